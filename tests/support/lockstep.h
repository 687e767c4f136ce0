// Lockstep checks: what one frame left behind (the whole entity table, the stage's globals,
// the input state, the sounds of the frame and the window's pixels), recorded from a
// reference run and compared with the same frame of the engine's run.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/headless_platform.h"
#include "platform/random.h"
#include "platform/surface.h"
#include "platform/window.h"
#include "stage/scenery.h"
#include "stage/world.h"
#include "support/plain_drawing.h"

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

// A world a lockstep test plays: the table, the stage parameters and the input before each
// frame; each stage adds its own globals.
struct LockstepWorld {
    std::vector<Entity> table;
    int32_t liveEnd = 0;
    StageParamsRecord params{};
    std::vector<InputValues> inputs;  // applied before each frame
    int frames = 0;
    uint32_t seed = 0;

    // The table and parameters as they are now, to be played for `frameCount` frames
    // without input from `worldSeed`.
    void captureTable(int frameCount, uint32_t worldSeed) {
        table.assign(EntityTable, EntityTable + kEntityCount);
        liveEnd = liveSlotEnd;
        params = StageParams;
        frames = frameCount;
        seed = worldSeed;
        inputs.assign(frameCount, InputValues{});
    }
    // Puts them back, with no opponent counted, nothing decided, no input held, and the
    // random generator seeded.
    void restoreTable() const {
        std::copy(table.begin(), table.end(), EntityTable);
        liveSlotEnd = liveEnd;
        StageParams = params;
        opponentsLeft = 0;
        stageCountdown = -1;
        stageResult = 0;
        InputState = InputValues{};
        seedRandom(seed);
    }
};

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
