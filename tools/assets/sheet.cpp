// The character sheet: every sprite, the ground tiles and the banners, each drawn into its
// rectangle of sheet_layout.h.
#include <cmath>
#include <cstring>

#include "tools/assets/assets.h"
#include "tools/assets/models.h"
#include "tools/assets/sheet_layout.h"

using namespace palette;

namespace {

constexpr double kPi = 3.14159265358979;
constexpr double kBattleElevation = 55;
constexpr double kSideElevation = 22;

// Eight direction frames of a battle object: frame f faces f x 45 degrees from straight
// down toward the right.
void directionFrames(Surface& s, const SheetRect& r, const Model& m, double originY, double scale,
                     bool outline = true) {
    for (int f = 0; f < r.frames; ++f) {
        const int x = r.x + f * r.w;
        renderModel(s, x, r.y, r.w, r.h, r.w / 2.0, originY, m, {f * kPi / 4, kBattleElevation, scale});
        if (outline) outlineSprite(s, x, r.y, r.w, r.h, kOutline);
    }
}

void sideView(Surface& s, const SheetRect& r, const Model& m, double originX, double originY, double scale,
              bool facingRight = false) {
    renderModel(s, r.x, r.y, r.w, r.h, originX, originY, m, {facingRight ? kPi / 2 : 3 * kPi / 2, kSideElevation, scale});
    outlineSprite(s, r.x, r.y, r.w, r.h, kOutline);
}

// A round glow: colours from the rim inward, drawn as shrinking discs.
void glowBall(Surface& s, double cx, double cy, double r, std::initializer_list<Colour> colours) {
    const int n = static_cast<int>(colours.size());
    int i = 0;
    for (Colour c : colours) {
        fillCircle(s, cx, cy, r * (n - i) / n, c);
        ++i;
    }
}

// A ragged fireball: noise pushes the rim of each colour band in and out.
void fireball(Surface& s, const SheetRect& r, uint32_t seed, std::initializer_list<Colour> bands, double squash = 1) {
    const double cx = r.w / 2.0, cy = r.h / 2.0, radius = r.w / 2.0 - 1.5;
    const int n = static_cast<int>(bands.size());
    for (int y = 0; y < r.h; ++y)
        for (int x = 0; x < r.w; ++x) {
            const double dx = (x + 0.5 - cx) / radius, dy = (y + 0.5 - cy) / (radius * squash);
            const double d = std::sqrt(dx * dx + dy * dy);
            const double wobble = 0.75 + 0.45 * fractalNoise(x * 0.25, y * 0.25, seed, 3);
            const double level = d / wobble;
            if (level >= 1) continue;
            const int band = std::min(n - 1, static_cast<int>((1 - level) * n));
            put(s, r.x + x, r.y + y, opaque(*(bands.begin() + band)));
        }
}

void drawPad(Surface& s, const SheetRect& r) {
    // The standing surface is row 20: a mover stands with its top-left 12 rows above the
    // pad's, and a 32-pixel mech's feet then touch this row.
    const int top = r.y + 20;
    for (int x = 0; x < r.w; ++x) {
        const bool edge = x == 0 || x == r.w - 1;
        put(s, r.x + x, top, edge ? rgb(120, 130, 140) : rgb(226, 232, 236));
        put(s, r.x + x, top + 1, rgb(176, 186, 196));
        for (int y = 2; y < 6; ++y) put(s, r.x + x, top + y, (x / 4 + y) % 5 == 0 ? rgb(70, 78, 92) : rgb(104, 114, 130));
    }
    for (int x = 3; x < r.w - 3; x += 6) fillRect(s, r.x + x, top + 3, 2, 1, rgb(255, 196, 64));
    // Hover jets under the plate.
    for (int jet : {6, 22}) {
        fillRect(s, r.x + jet, top + 6, 4, 1, rgb(255, 240, 180));
        fillRect(s, r.x + jet, top + 7, 4, 2, rgb(255, 190, 70));
        fillRect(s, r.x + jet + 1, top + 9, 2, 2, rgb(230, 110, 40));
    }
}

void drawShots(Surface& s) {
    using namespace sheet;
    glowBall(s, kPlasma.x + 4, kPlasma.y + 4, 4, {rgb(40, 120, 220), rgb(90, 210, 255), rgb(230, 255, 255)});
    glowBall(s, kEnemyBullet.x + 4, kEnemyBullet.y + 4, 4, {rgb(150, 20, 40), rgb(255, 80, 90), rgb(255, 220, 200)});
    glowBall(s, kShell.x + 3, kShell.y + 3, 3, {rgb(150, 110, 20), rgb(255, 220, 90)});
    glowBall(s, kBullet.x + 3, kBullet.y + 3, 3, {rgb(170, 40, 30), rgb(255, 150, 110)});
    glowBall(s, kMortarShell.x + 4, kMortarShell.y + 4, 4, {rgb(40, 40, 46), rgb(96, 96, 110), rgb(190, 190, 200)});
    glowBall(s, kEmpShell.x + 4, kEmpShell.y + 4, 4, {rgb(30, 60, 140), rgb(90, 150, 255), rgb(220, 240, 255)});
    glowBall(s, kSeekerShell.x + 5, kSeekerShell.y + 5, 5, {rgb(60, 20, 24), rgb(150, 40, 40), rgb(255, 90, 90), rgb(255, 230, 200)});
}

void drawMine(Surface& s, const SheetRect& r) {
    const double cx = r.x + 8, cy = r.y + 8.5;
    for (int i = 0; i < 8; ++i) {
        const double a = i * kPi / 4;
        drawLine(s, static_cast<int>(cx), static_cast<int>(cy), static_cast<int>(cx + 7 * std::sin(a)),
                 static_cast<int>(cy + 5.5 * std::cos(a)), rgb(90, 90, 96));
    }
    fillEllipse(s, cx, cy, 5.5, 4.5, rgb(70, 74, 66));
    fillEllipse(s, cx - 1, cy - 1, 3.5, 2.5, rgb(110, 116, 100));
    glowBall(s, cx, cy - 0.5, 1.8, {rgb(200, 20, 20), rgb(255, 120, 110)});
}

void drawSmoke(Surface& s, const SheetRect& r, Colour dark, Colour light, uint32_t seed, double density) {
    for (int y = 0; y < r.h; ++y)
        for (int x = 0; x < r.w; ++x) {
            const double dx = (x + 0.5 - r.w / 2.0) / (r.w / 2.0), dy = (y + 0.5 - r.h / 2.0) / (r.h / 2.0);
            const double d = std::sqrt(dx * dx + dy * dy);
            const double n = fractalNoise(x * 0.35, y * 0.35, seed, 3);
            if (d > 0.35 + 0.6 * n * density) continue;
            put(s, r.x + x, r.y + y, opaque(mix(light, dark, d * 0.8 + (n - 0.5) * 0.6)));
        }
}

void drawCrater(Surface& s, const SheetRect& r) {
    const double cx = r.x + 16, cy = r.y + 17;
    fillEllipse(s, cx, cy, 15, 11, rgb(86, 70, 50));
    fillEllipse(s, cx, cy + 0.5, 12, 8.5, rgb(52, 42, 34));
    fillEllipse(s, cx + 1, cy + 1.5, 9, 6, rgb(34, 28, 24));
    for (int i = 0; i < 10; ++i) {
        const double a = i * 0.63 + 0.2;
        fillCircle(s, cx + 13.5 * std::sin(a), cy - 9.5 * std::cos(a), 1.6, rgb(120, 100, 72));
    }
}

void drawFire(Surface& s, const SheetRect& r) {
    fillEllipse(s, r.x + 16, r.y + 24, 15, 7, rgb(40, 30, 28));
    for (int y = 0; y < r.h; ++y)
        for (int x = 0; x < r.w; ++x) {
            const double dx = (x + 0.5 - 16) / 13.0;
            const double rise = (28 - y) / 26.0;  // 0 at the base, 1 at the top
            if (rise < 0 || rise > 1) continue;
            const double n = fractalNoise(x * 0.3, y * 0.18, 77, 3);
            const double width = (1 - rise) * (0.7 + 0.6 * n);
            if (std::fabs(dx) > width) continue;
            const double heat = 1 - std::fabs(dx) / width * 0.6 - rise * 0.5;
            Colour c = heat > 0.75 ? rgb(255, 240, 160) : heat > 0.5 ? rgb(255, 170, 50) : rgb(220, 70, 30);
            put(s, r.x + x, r.y + y, c);
        }
}

void drawStrike(Surface& s, const SheetRect& r) {
    const double cx = r.x + 24, cy = r.y + 24;
    const Colour blue = rgb(80, 190, 255), pale = rgb(200, 240, 255);
    for (int y = 0; y < r.h; ++y)
        for (int x = 0; x < r.w; ++x) {
            const double d = std::hypot(x + 0.5 - 24, (y + 0.5 - 24) * 1.2);
            if ((d > 20 && d < 22.5) || (d > 11 && d < 12.5)) put(s, r.x + x, r.y + y, blue);
        }
    for (int i = 0; i < 4; ++i) {
        const int ox = i == 0 ? -22 : i == 1 ? 14 : 0;
        if (i < 2) fillRect(s, static_cast<int>(cx) + ox, static_cast<int>(cy), 8, 1, pale);
    }
    fillRect(s, static_cast<int>(cx), r.y + 4, 1, 8, pale);
    fillRect(s, static_cast<int>(cx), r.y + 37, 1, 8, pale);
    glowBall(s, cx, cy, 2.5, {blue, pale});
}

void drawEmp(Surface& s, const SheetRect& r) {
    Rng rng(9);
    fireball(s, r, 31, {rgb(20, 40, 110), rgb(50, 110, 220), rgb(140, 200, 255)}, 0.8);
    for (int bolt = 0; bolt < 6; ++bolt) {
        double x = 16, y = 16;
        const double a = bolt * kPi / 3 + 0.3;
        for (int step = 0; step < 7; ++step) {
            const double nx = x + 2.2 * std::sin(a) + rng.range(-1, 1), ny = y + 1.8 * std::cos(a) + rng.range(-1, 1);
            drawLine(s, r.x + static_cast<int>(x), r.y + static_cast<int>(y), r.x + static_cast<int>(nx),
                     r.y + static_cast<int>(ny), rgb(235, 250, 255));
            x = nx, y = ny;
        }
    }
}

void drawRock(Surface& s, const SheetRect& r) {
    Model m;
    m.mats[1].colour = rgb(128, 118, 104);
    m.mats[2].colour = rgb(100, 92, 84);
    m.radius = 22;
    m.ball(0, 0, 4, 14, 12, 9, 1);
    m.ball(-6, 5, 5, 8, 7, 7, 2);
    m.ball(7, -3, 7, 7, 7, 7, 1);
    m.ball(9, 6, 9, 5, 5, 5, 0);  // chipped edge
    renderModel(s, r.x, r.y, r.w, r.h, r.w / 2.0, 29, m, {0.4, kBattleElevation, 1});
    outlineSprite(s, r.x, r.y, r.w, r.h, kOutline);
}

void drawSandbags(Surface& s, const SheetRect& r) {
    Model m;
    m.mats[1].colour = rgb(176, 160, 112);
    m.mats[2].colour = rgb(150, 134, 94);
    m.radius = 15;
    for (int row = 0; row < 2; ++row)
        for (int i = -2; i <= 2; ++i) {
            const float offset = row ? 1.6f : 0;
            m.ball(i * 3.4f + offset, -2 + row * 0.6f, 1.6f + row * 2.8f, 2, 3.6f, 1.6f, (i + row) % 2 ? 1 : 2);
            m.ball(i * 3.4f - offset, 4.2f - row * 0.4f, 1.6f + row * 2.8f, 2, 3.2f, 1.6f, (i + row) % 2 ? 2 : 1);
        }
    renderModel(s, r.x, r.y, r.w, r.h, 16, 19, m, {0, kBattleElevation, 1});
    outlineSprite(s, r.x, r.y, r.w, r.h, kOutline);
}

void seaTile(Surface& s, const SheetRect& r) {
    for (int y = 0; y < r.h; ++y)
        for (int x = 0; x < r.w; ++x) {
            const double n = tileNoise(x, y, r.w, 6, 11, 4);
            const double swell = std::sin((y + 14 * tileNoise(x, y, r.w, 5, 12, 2)) * 2 * kPi / 12.5);
            Colour c = mix(rgb(14, 52, 96), rgb(36, 104, 158), n);
            if (swell > 0.84) c = mix(c, rgb(130, 190, 224), (swell - 0.84) * 3.5);
            if (swell > 0.975 && n > 0.56) c = rgb(220, 242, 250);
            put(s, r.x + x, r.y + y, opaque(c));
        }
}

void lavaTile(Surface& s, const SheetRect& r) {
    // Dark basalt far below, crossed by one thin, wandering seam of lava. The noise
    // repeats every r.w pixels both ways; the rows past r.w repeat the top of the tile.
    for (int y = 0; y < r.h; ++y)
        for (int x = 0; x < r.w; ++x) {
            const int ty = y % r.w;
            const double n = tileNoise(x, ty, r.w, 6, 21, 4);
            Colour c = mix(rgb(26, 18, 26), rgb(54, 38, 44), n);
            const double centre = 100 + 10 * std::sin(2 * kPi * x / r.w) + 46 * (tileNoise(x, 0, r.w, 3, 23, 3) - 0.5);
            const double d = std::fabs(ty - centre);
            const double heat = tileNoise(x, 7, r.w, 8, 25, 2);
            if (d < 1.0) c = mix(rgb(200, 80, 24), rgb(255, 200, 100), heat);
            else if (d < 2.5) c = mix(rgb(150, 50, 24), c, (d - 1.0) / 1.5);
            else if (d < 6) c = mix(rgb(70, 30, 28), c, (d - 2.5) / 3.5);
            if (tileNoise(x, ty, r.w, 50, 24, 1) > 0.95) c = rgb(150, 60, 30);  // embers
            put(s, r.x + x, r.y + y, opaque(c));
        }
}

// Battle tiles are drawn transparently: a scatter of small things on black.
void scatterTile(Surface& s, const SheetRect& r, bool grass) {
    Rng rng(grass ? 5 : 6);
    const int count = grass ? 46 : 30;
    for (int i = 0; i < count; ++i) {
        // Keep every mark a few pixels inside so that neighbouring tiles never cut one.
        const int x = r.x + rng.range(3, r.w - 6), y = r.y + rng.range(3, r.h - 6);
        const int kind = rng.range(0, 9);
        if (grass) {
            if (kind < 6) {
                const Colour g = kind % 2 ? rgb(74, 128, 52) : rgb(96, 150, 60);
                put(s, x, y + 2, g), put(s, x + 1, y + 1, g), put(s, x + 2, y, g), put(s, x + 2, y + 1, g);
                put(s, x + 3, y + 2, g), put(s, x + 4, y + 1, g), put(s, x + 2, y + 2, shade(g, 0.7));
            } else if (kind < 8) {
                fillEllipse(s, x + 1.5, y + 1.5, 1.6, 1.2, rgb(150, 146, 130));
                put(s, x + 1, y + 1, rgb(196, 192, 176));
            } else {
                const Colour petal = kind == 8 ? rgb(240, 220, 90) : rgb(230, 236, 240);
                put(s, x + 1, y, petal), put(s, x, y + 1, petal), put(s, x + 2, y + 1, petal), put(s, x + 1, y + 2, petal);
                put(s, x + 1, y + 1, rgb(230, 150, 40));
            }
        } else {
            if (kind < 5) {
                fillEllipse(s, x + 2, y + 1.5, 2.2, 1.5, rgb(92, 86, 82));
                put(s, x + 1, y + 1, rgb(140, 134, 126));
            } else if (kind < 8) {
                int cx = x, cy = y;
                for (int k = 0; k < 5; ++k) {
                    const int nx = cx + rng.range(1, 2), ny = cy + rng.range(-1, 1);
                    drawLine(s, cx, cy, nx, ny, rgb(40, 34, 36));
                    cx = nx, cy = ny;
                }
            } else {
                put(s, x, y, rgb(255, 150, 60));
                put(s, x + 1, y, rgb(200, 90, 40));
            }
        }
    }
}

}  // namespace

void drawBanner(Surface& s, const SheetRect& r, const char* text, Colour top, Colour bottom, Colour ink, Colour rim) {
    verticalGradient(s, r.x, r.y, r.w, r.h, top, bottom);
    frameRect(s, r.x, r.y, r.w, r.h, rim);
    frameRect(s, r.x + 1, r.y + 1, r.w - 2, r.h - 2, shade(rim, 0.5));
    const int length = static_cast<int>(std::strlen(text));
    // Wide letters when they fit, else bold condensed ones (each stroke doubled to the
    // right, 8 pixels a letter); 14 rows high either way.
    const bool wide = pixelTextWidth(text, 2) <= r.w - 8;
    const int advance = wide ? 12 : 8;
    const int width = length * advance - (wide ? 2 : 2);
    int pen = r.x + (r.w - width) / 2;
    const int y = r.y + 3;
    for (int i = 0; i < length; ++i, pen += advance) {
        const char one[2] = {text[i], 0};
        const int strokes = wide ? 1 : 2;
        for (int b = 0; b < strokes; ++b) drawPixelText(s, pen + b + 1, y + 1, one, shade(ink, 0.3), wide ? 2 : 1, 2);
        for (int b = 0; b < strokes; ++b) drawPixelText(s, pen + b, y, one, ink, wide ? 2 : 1, 2);
    }
}

void drawSheet(Surface& s) {
    using namespace sheet;
    resizeSurface(s, kSheetWidth, kSheetHeight, 0);

    // Battle units in eight directions; the player's frame 0 is also its shooting-stage
    // picture.
    directionFrames(s, kPlayer, playerMech(), 23, 1.15);
    directionFrames(s, kTank, tankModel(), 18, 1.1);
    directionFrames(s, kTurret, turretModel(), 19, 1.1);
    directionFrames(s, kMortarTurret, mortarTurretModel(), 20, 1.1);
    directionFrames(s, kHeavyTank, heavyTankModel(), 26, 1.05);
    directionFrames(s, kMissile, missileModel(), 8.5, 1.05);
    directionFrames(s, kRocket, rocketModel(), 8.5, 1.05);
    directionFrames(s, kTrack, trackMarkModel(), 8, 1.0, false);

    // The firing frame: frame 0 with the arm cannon's flash toward the right.
    renderModel(s, kPlayerFiring.x, kPlayerFiring.y, 32, 32, 16, 23, playerMech(), {0, kBattleElevation, 1.15});
    outlineSprite(s, kPlayerFiring.x, kPlayerFiring.y, 32, 32, kOutline);
    {
        const int fx = kPlayerFiring.x + 25, fy = kPlayerFiring.y + 23;
        glowBall(s, fx, fy, 3.5, {rgb(255, 150, 40), rgb(255, 230, 120), rgb(255, 255, 230)});
        fillRect(s, fx, fy - 1, 7, 2, rgb(255, 240, 170));
        fillRect(s, fx - 1, fy - 5, 1, 3, rgb(255, 220, 120));
        fillRect(s, fx - 1, fy + 3, 1, 3, rgb(255, 220, 120));
    }

    drawMine(s, kMine);
    drawSmoke(s, kPuff, rgb(70, 70, 74), rgb(190, 186, 180), 41, 1.0);
    drawSmoke(s, kDust, rgb(96, 84, 66), rgb(150, 134, 108), 43, 0.6);
    for (const SheetRect* r : {&kPuff, &kDust})
        for (int f = 1; f < r->frames; ++f) pasteSprite(s, r->x + f * r->w, r->y, s, r->x, r->y, r->w, r->h);
    drawShots(s);

    fireball(s, kBlast, 51, {rgb(90, 40, 30), rgb(200, 60, 20), rgb(255, 150, 40), rgb(255, 230, 120), rgb(255, 255, 220)}, 0.85);
    drawEmp(s, kEmpBlast);
    renderModel(s, kWreck.x, kWreck.y, 32, 32, 16, 19, wreckModel(false), {0.5, kBattleElevation, 1.1});
    outlineSprite(s, kWreck.x, kWreck.y, 32, 32, kOutline);
    renderModel(s, kBigWreck.x, kBigWreck.y, 48, 48, 24, 28, wreckModel(true), {5.6, kBattleElevation, 1.05});
    outlineSprite(s, kBigWreck.x, kBigWreck.y, 48, 48, kOutline);
    drawCrater(s, kCrater);
    drawFire(s, kFire);
    renderModel(s, kBarrier.x, kBarrier.y, 32, 32, 16, 19, barrierModel(), {0, kBattleElevation, 1.05});
    outlineSprite(s, kBarrier.x, kBarrier.y, 32, 32, kOutline);
    drawSandbags(s, kBunker);
    renderModel(s, kPylon.x, kPylon.y, 16, 32, 8, 27, pylonModel(), {0, kBattleElevation, 1.0});
    outlineSprite(s, kPylon.x, kPylon.y, 16, 32, kOutline);
    drawStrike(s, kStrike);
    drawRock(s, kRock);

    drawBanner(s, kWonBanner, "STAGE CLEAR", rgb(26, 60, 120), rgb(12, 28, 66), rgb(255, 214, 90), rgb(255, 214, 90));
    drawBanner(s, kLostBanner, "MISSION FAILED", rgb(120, 24, 24), rgb(60, 10, 14), rgb(255, 236, 226), rgb(255, 120, 100));

    sideView(s, kDart, dartModel(), 17, 8, 1.15);
    sideView(s, kBobber, bobberModel(), 12, 12, 1.15);
    sideView(s, kLooper, looperModel(), 16, 15, 1.25);
    sideView(s, kDelta, deltaModel(), 16, 17, 1.35);
    sideView(s, kSaucer, saucerModel(), 20, 13, 1.0);
    sideView(s, kDiver, diverModel(), 12, 12, 1.3);
    sideView(s, kScout, scoutModel(), 15, 8, 1.15, true);
    sideView(s, kCruiser, cruiserModel(), 24, 16, 1.05);
    sideView(s, kWalker, walkerModel(), 16, 21, 1.05);
    sideView(s, kPod, podModel(), 12, 16, 1.15);
    drawPad(s, kPad);
    fireball(s, kExplosion, 61, {rgb(70, 40, 40), rgb(190, 50, 20), rgb(255, 140, 30), rgb(255, 220, 100), rgb(255, 255, 230)});

    seaTile(s, kSeaTile);
    lavaTile(s, kLavaTile);
    scatterTile(s, kGrassTile, true);
    scatterTile(s, kAshTile, false);
}
