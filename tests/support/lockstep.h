// Lockstep checks: what one frame left behind (the whole entity table, the stage's globals,
// the input state, the sounds of the frame and the window's pixels), recorded from a
// reference run and compared with the same frame of the engine's run.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/headless_platform.h"
#include "platform/surface.h"
#include "platform/window.h"
#include "stage/scenery.h"
#include "stage/world.h"

struct FrameRecord {
    std::vector<Entity> table;
    int32_t liveEnd = 0;
    std::vector<int64_t> globals;  // the stage's own, in an order the test fixes
    InputValues input{};
    std::vector<std::string> sounds;
    std::vector<uint32_t> shown;
};

// The frame just run; `soundsBefore` is the trace length before it.
inline FrameRecord recordFrame(const HeadlessPlatform& hp, size_t soundsBefore, std::vector<int64_t> globals) {
    FrameRecord r;
    r.table.assign(EntityTable, EntityTable + kEntityCount);
    r.liveEnd = liveSlotEnd;
    r.globals = std::move(globals);
    r.input = InputState;
    r.sounds.assign(hp.trace.begin() + static_cast<std::ptrdiff_t>(soundsBefore), hp.trace.end());
    r.shown = hp.shown.pixels;
    return r;
}

// Empty when both frames are the same; otherwise the first difference, in words.
inline std::string frameDifference(const FrameRecord& want, const FrameRecord& got) {
    std::ostringstream out;
    for (int s = 0; s < kEntityCount; ++s) {
        if (std::memcmp(&want.table[s], &got.table[s], sizeof(Entity)) == 0) continue;
        const Entity& a = want.table[s];
        const Entity& b = got.table[s];
        out << "slot " << s << ": reference inUse " << int{a.inUse} << " TYP " << int{a.TYP} << " at (" << a.x << ", "
            << a.y << ") HP " << a.HP << " goal " << a.goalX << " aim " << a.aimX[0] << "; engine inUse "
            << int{b.inUse} << " TYP " << int{b.TYP} << " at (" << b.x << ", " << b.y << ") HP " << b.HP << " goal "
            << b.goalX << " aim " << b.aimX[0];
        return out.str();
    }
    if (want.liveEnd != got.liveEnd) return "liveSlotEnd " + std::to_string(want.liveEnd) + " vs " + std::to_string(got.liveEnd);
    for (size_t k = 0; k < want.globals.size(); ++k) {
        if (want.globals[k] != got.globals[k])
            return "global " + std::to_string(k) + ": " + std::to_string(want.globals[k]) + " vs " +
                   std::to_string(got.globals[k]);
    }
    if (std::memcmp(&want.input, &got.input, sizeof want.input) != 0) return "input state differs";
    if (want.sounds != got.sounds) {
        out << "sounds: reference " << want.sounds.size() << ", engine " << got.sounds.size();
        for (size_t k = 0; k < want.sounds.size() && k < got.sounds.size(); ++k) {
            if (want.sounds[k] != got.sounds[k]) {
                out << "; first difference \"" << want.sounds[k] << "\" vs \"" << got.sounds[k] << "\"";
                break;
            }
        }
        return out.str();
    }
    if (want.shown != got.shown) {
        size_t k = 0;
        while (k < want.shown.size() && k < got.shown.size() && want.shown[k] == got.shown[k]) ++k;
        return "pixels differ from index " + std::to_string(k);
    }
    return "";
}

// How many random worlds a lockstep test plays: `standard` in the suite, more when the
// environment variable SORTIE_SOAK_WORLDS asks for a longer soak.
inline int lockstepWorlds(int standard) {
    const char* soak = std::getenv("SORTIE_SOAK_WORLDS");
    const int n = soak != nullptr ? std::atoi(soak) : 0;
    return n > 0 ? n : standard;
}

// Soaks vary their worlds through SORTIE_SOAK_SEED (0 in the suite).
inline uint32_t lockstepSeedOffset() {
    const char* seed = std::getenv("SORTIE_SOAK_SEED");
    return seed != nullptr ? static_cast<uint32_t>(std::strtoul(seed, nullptr, 10)) : 0;
}

// The plain drawing both stages share, one raster operation at a time.

// A scrolling layer moved left by n: both mask pieces by AND, then both picture pieces by OR.
inline void plainLayer(int maskSlot, int pictureSlot, int32_t n) {
    Surface& back = SurfaceTable[kBackBuffer];
    blit(back, 0, 0, 800 - n, 600, SurfaceTable[maskSlot], n, 0, Rop::And);
    blit(back, 800 - n, 0, n, 600, SurfaceTable[maskSlot], 0, 0, Rop::And);
    blit(back, 0, 0, 800 - n, 600, SurfaceTable[pictureSlot], n, 0, Rop::Or);
    blit(back, 800 - n, 0, n, 600, SurfaceTable[pictureSlot], 0, 0, Rop::Or);
}

// A rectangle of the character sheet, its mask by AND and then the sheet by OR.
inline void plainSprite(int64_t dx, int64_t dy, int64_t w, int64_t h, int64_t sx, int64_t sy) {
    blit(SurfaceTable[kBackBuffer], dx, dy, w, h, SurfaceTable[kCharMask], sx, sy, Rop::And);
    blit(SurfaceTable[kBackBuffer], dx, dy, w, h, SurfaceTable[kCharSheet], sx, sy, Rop::Or);
}

// The far layer, the middle and near layers with their scroll offsets advanced, and the
// ground tiles from groundTop down (opaque, or transparent tile by tile).
inline void plainScenery(int32_t& middle, int32_t& near, int32_t& ground, bool transparentGround) {
    const StageParamsRecord& g = StageParams;
    blit(SurfaceTable[kBackBuffer], 0, 0, 800, 600, SurfaceTable[kFarLayer], 0, 0, Rop::Copy);
    middle = advanceScroll(middle, g.scrollSpeed / 2, 800);
    plainLayer(kMiddleMask, kMiddleLayer, middle);
    near = advanceScroll(near, g.scrollSpeed, 800);
    plainLayer(kNearMask, kNearLayer, near);
    ground = advanceScroll(ground, g.scrollSpeed, g.groundWidth);
    for (int64_t y = g.groundTop; y < 600; y += g.groundHeight) {
        for (int64_t x = -int64_t{ground}; x < 800; x += g.groundWidth) {
            if (transparentGround)
                plainSprite(x, y, g.groundWidth, g.groundHeight, g.groundSrcX, g.groundSrcY);
            else
                blit(SurfaceTable[kBackBuffer], x, y, g.groundWidth, g.groundHeight, SurfaceTable[kCharSheet],
                     g.groundSrcX, g.groundSrcY, Rop::Copy);
        }
    }
}

// The won banner when no opponent is left, else the lost one when the player is gone; then
// the back buffer to the window.
inline void plainBannerAndPresent() {
    Surface& back = SurfaceTable[kBackBuffer];
    if (opponentsLeft == 0)
        blit(back, 320, 288, 138, 19, SurfaceTable[kCharSheet], 0, 82, Rop::Copy);
    else if (EntityTable[0].inUse == 0)
        blit(back, 320, 288, 138, 19, SurfaceTable[kCharSheet], 0, 101, Rop::Copy);
    blit(windowDC, 0, 0, 800, 600, back, 0, 0, Rop::Copy);
    platform->presentWindow(windowDC);
}

// Full-screen pictures of random colours, three in ten pixels pure black, and their masks.
// With odd sizes some masks no longer match their pictures, as a failed load leaves them.
inline void randomScenery(std::mt19937& rng, bool oddSizes) {
    for (int slot = 0; slot < kSurfaceCount; ++slot) {
        resizeSurface(SurfaceTable[slot], 800, 600, kBlack);
        if (slot == kBackBuffer) continue;
        for (uint32_t& p : SurfaceTable[slot].pixels) p = rng() % 10 < 3 ? kBlack : rng() & 0xFFFFFF;
    }
    SurfaceTable[kCharMask] = SurfaceTable[kCharSheet];
    SurfaceTable[kNearMask] = SurfaceTable[kNearLayer];
    SurfaceTable[kMiddleMask] = SurfaceTable[kMiddleLayer];
    if (oddSizes) {
        resizeSurface(SurfaceTable[kCharMask], 640, 480, kBlack);
        resizeSurface(SurfaceTable[kNearMask], 700, 650, kBlack);
        resizeSurface(SurfaceTable[kMiddleMask], 900, 550, kBlack);
    }
    buildMask(kCharMask);
    buildMask(kNearMask);
    buildMask(kMiddleMask);
    resizeSurface(windowDC, 800, 600, kWhite);
}
