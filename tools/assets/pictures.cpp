// The full-screen pictures: stage scenery (three layers per stage), the ready screen, the
// title, the hangar menu and armory, and the story pictures with their caption panel.
#include <algorithm>
#include <cmath>

#include "tools/assets/assets.h"
#include "tools/assets/layout.h"
#include "tools/assets/models.h"
#include "tools/assets/paint.h"

using namespace palette;

namespace {

constexpr double kPi = 3.14159265358979;
constexpr int W = kScreenWidth;
constexpr int H = kScreenHeight;

void start(Surface& s, Colour c = 0) { resizeSurface(s, W, H, c); }

double smoothstep(double a, double b, double x) {
    const double t = std::clamp((x - a) / (b - a), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// A horizon profile in 0..1 that repeats every 800 pixels, so scrolling layers wrap
// without a seam.
double ridge(double x, uint32_t seed, int cells, int octaves) { return tileNoise(x, 0.5, W, cells, seed, octaves); }

void sunGlow(Surface& s, double cx, double cy, double radius, double glow, Colour core, Colour halo) {
    for (int y = std::max(0, static_cast<int>(cy - glow)); y < std::min(H, static_cast<int>(cy + glow)); ++y)
        for (int x = std::max(0, static_cast<int>(cx - glow)); x < std::min(W, static_cast<int>(cx + glow)); ++x) {
            const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
            Colour& p = s.row(y)[x];
            if (d < radius) p = core;
            else if (d < glow) p = mix(p, halo, 0.55 * std::pow(1 - (d - radius) / (glow - radius), 2));
        }
}

void stars(Surface& s, int top, int bottom, int count, uint32_t seed) {
    Rng rng(seed);
    for (int i = 0; i < count; ++i) {
        const int x = rng.range(0, W - 1), y = rng.range(top, bottom);
        const int bright = rng.range(120, 255);
        put(s, x, y, rgb(bright, bright, std::min(255, bright + 20)));
        if (bright > 235) {
            put(s, x + 1, y, rgb(bright / 2, bright / 2, bright / 2));
            put(s, x - 1, y, rgb(bright / 2, bright / 2, bright / 2));
        }
    }
}

// Soft clouds in a band; where there is no cloud the layer stays black (transparent).
void clouds(Surface& s, int top, int bottom, double cover, uint32_t seed, Colour lit, Colour shadow, bool seamless) {
    for (int y = top; y < bottom; ++y) {
        const double band = std::sin((y - top) * kPi / (bottom - top));
        for (int x = 0; x < W; ++x) {
            const double n = seamless ? tileNoise(x, y * 2.2, W, 7, seed, 5) : fractalNoise(x / 110.0, y / 50.0, seed, 5);
            const double density = n * band - (1 - cover);
            if (density <= 0.08) continue;
            const double above = seamless ? tileNoise(x, (y - 6) * 2.2, W, 7, seed, 5) * band : density;
            const double light = std::clamp(0.55 + (density - above) * 4 + (1 - (y - top) / double(bottom - top)) * 0.3, 0.0, 1.0);
            s.row(y)[x] = opaque(mix(shadow, lit, light));
        }
    }
}

// Filled silhouette from the profile down to `base`, shaded by a little noise and lit on
// its top edge.
void range(Surface& s, int base, double minHeight, double maxHeight, uint32_t seed, int cells, Colour body, Colour rim,
           double flatten = 0) {
    for (int x = 0; x < W; ++x) {
        double r = ridge(x, seed, cells, 5);
        if (flatten > 0) r = smoothstep(0.35, 0.35 + flatten, r);
        const int top = base - static_cast<int>(minHeight + (maxHeight - minHeight) * r);
        for (int y = std::max(0, top); y < base; ++y) {
            const double n = tileNoise(x, y, W, 40, seed + 7, 3);
            Colour c = shade(body, 0.85 + 0.3 * n);
            if (y < top + 2) c = rim;
            s.row(y)[x] = opaque(c);
        }
    }
}

// --- Shooting stage 1: the coast by day (ground band from y 200) ---

void coastFar(Surface& s) {
    start(s);
    verticalGradient(s, 0, 0, W, 200, rgb(66, 128, 204), rgb(196, 226, 242));
    sunGlow(s, 610, 70, 26, 120, rgb(255, 250, 220), rgb(255, 236, 180));
    clouds(s, 60, 150, 0.5, 3, rgb(250, 250, 255), rgb(200, 214, 232), false);
    verticalGradient(s, 0, 200, W, 400, rgb(40, 110, 170), rgb(14, 52, 96));
}

void coastMiddle(Surface& s) {
    start(s);
    range(s, 202, 6, 70, 31, 6, rgb(112, 140, 168), rgb(168, 190, 210));
    // Thin haze line where the islands meet the sea.
    for (int x = 0; x < W; ++x)
        if (s.row(198)[x]) s.row(198)[x] = rgb(190, 210, 226);
}

void coastNear(Surface& s) {
    start(s);
    clouds(s, 8, 120, 0.42, 5, rgb(255, 255, 255), rgb(176, 196, 222), true);
    // A few gulls.
    Rng rng(17);
    for (int i = 0; i < 7; ++i) {
        const int x = rng.range(20, W - 30), y = rng.range(130, 185);
        const Colour c = rgb(60, 66, 80);
        put(s, x, y, c), put(s, x + 1, y - 1, c), put(s, x + 2, y - 1, c), put(s, x + 3, y, c);
        put(s, x + 4, y - 1, c), put(s, x + 5, y - 1, c), put(s, x + 6, y, c);
    }
}

// --- Shooting stage 2: the canyon at dusk (ground band from y 160) ---

void canyonFar(Surface& s) {
    start(s);
    verticalGradient(s, 0, 0, W, 160, rgb(34, 22, 70), rgb(236, 120, 70));
    stars(s, 0, 80, 90, 23);
    sunGlow(s, 180, 60, 20, 70, rgb(250, 240, 220), rgb(240, 200, 210));
    fillCircle(s, 186, 56, 17, rgb(226, 214, 200));  // crescent
    sunGlow(s, 400, 175, 40, 260, rgb(255, 200, 120), rgb(255, 140, 80));
    verticalGradient(s, 0, 160, W, 440, rgb(60, 30, 40), rgb(20, 12, 18));
}

void canyonMiddle(Surface& s) {
    start(s);
    range(s, 162, 10, 96, 41, 5, rgb(92, 50, 70), rgb(236, 140, 100), 0.12);
}

void canyonNear(Surface& s) {
    start(s);
    // Rock spires and a broken relay tower, dark against the sky, lit from the sunset.
    const int spires[] = {60, 250, 470, 690};
    for (int i = 0; i < 4; ++i) {
        const int cx = spires[i], height = 70 + (i * 37) % 60, half = 16 + (i * 5) % 9;
        for (int y = 162 - height; y < 162; ++y) {
            const double t = (y - (162 - height)) / double(height);
            const int w = static_cast<int>(half * (0.3 + 0.7 * t * t) + 2 * fractalNoise(i * 10.0, y * 0.08, 57, 2));
            for (int x = cx - w; x <= cx + w; ++x) {
                const double n = fractalNoise(x * 0.15, y * 0.15, 50 + i, 3);
                Colour c = shade(rgb(48, 26, 40), 0.8 + 0.4 * n);
                if (x > cx + w - 3) c = rgb(200, 110, 80);
                put(s, (x + W) % W, y, opaque(c));
            }
        }
    }
    // Relay tower: lattice of lines.
    const int tx = 560, base = 162, top = 40;
    for (int y = top; y < base; y += 10) {
        const int half = 4 + (y - top) / 10;
        drawLine(s, tx - half, y, tx + half, y + 10, rgb(70, 44, 58));
        drawLine(s, tx + half, y, tx - half, y + 10, rgb(70, 44, 58));
    }
    drawLine(s, tx - 4, top, tx - 16, base, rgb(86, 54, 70));
    drawLine(s, tx + 4, top, tx + 16, base, rgb(86, 54, 70));
    fillCircle(s, tx, top - 3, 3, rgb(255, 60, 60));
}

// --- Battle stage 1: grassland seen from above ---

void grassFar(Surface& s) {
    start(s);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const double n = fractalNoise(x / 90.0, y / 90.0, 61, 5);
            const double dirt = fractalNoise(x / 160.0, y / 160.0, 62, 4);
            Colour c = mix(rgb(58, 104, 44), rgb(98, 146, 62), n);
            if (dirt > 0.62) c = mix(c, rgb(138, 116, 78), smoothstep(0.62, 0.7, dirt) * 0.8);
            if ((x * 7 + y * 13) % 29 == 0) c = shade(c, 1.12);
            s.row(y)[x] = c;
        }
}

void grassMiddle(Surface& s) {
    start(s);
    // A dirt track winding across the field, and a creek in the lower left.
    for (int x = 0; x < W; ++x) {
        const double centre = 150 + 70 * std::sin(x / 140.0) + 30 * std::sin(x / 47.0 + 1);
        for (int y = static_cast<int>(centre) - 16; y <= static_cast<int>(centre) + 16; ++y) {
            const double edge = std::fabs(y - centre) / 16;
            const double n = fractalNoise(x * 0.2, y * 0.2, 71, 2);
            if (edge > 0.85 + 0.15 * n) continue;
            Colour c = mix(rgb(170, 146, 102), rgb(132, 110, 76), edge * 0.6 + n * 0.4);
            if (std::fabs(y - centre) < 9 && std::fabs(y - centre) > 6 && (x / 3) % 4) c = shade(c, 0.86);
            put(s, x, y, opaque(c));
        }
    }
    for (int y = 380; y < H; ++y) {
        const double centre = 120 + (y - 380) * 0.9 + 20 * std::sin(y / 30.0);
        for (int x = static_cast<int>(centre) - 14; x <= static_cast<int>(centre) + 14; ++x) {
            const double edge = std::fabs(x - centre) / 14;
            Colour c = edge > 0.8 ? rgb(116, 100, 70) : mix(rgb(50, 110, 170), rgb(90, 160, 210), fractalNoise(x * 0.1, y * 0.05, 73, 2));
            put(s, x, y, opaque(c));
        }
    }
}

void bushes(Surface& s, uint32_t seed, int count, Colour leaf, Colour light) {
    Rng rng(seed);
    for (int i = 0; i < count; ++i) {
        // Bushes keep to the edges of the field, where they do not hide the fighting.
        int x = rng.range(10, W - 10), y = rng.range(10, H - 10);
        if (x > 140 && x < 660 && y > 110 && y < 490) x = x < 400 ? x - 110 : x + 110;
        const int clumps = rng.range(3, 6);
        for (int k = 0; k < clumps; ++k) {
            const double cx = x + rng.range(-12, 12), cy = y + rng.range(-9, 9), r = rng.range(6, 11);
            fillEllipse(s, cx + 2, cy + 3, r, r * 0.8, rgb(30, 52, 26));
            fillEllipse(s, cx, cy, r, r * 0.85, leaf);
            fillEllipse(s, cx - r * 0.3, cy - r * 0.3, r * 0.5, r * 0.4, light);
        }
    }
}

void grassNear(Surface& s) {
    start(s);
    bushes(s, 81, 26, rgb(40, 92, 40), rgb(84, 140, 60));
}

// --- Battle stage 2: the ash fields around the enemy depot, at night ---

void ashFar(Surface& s) {
    start(s);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const double n = fractalNoise(x / 80.0, y / 80.0, 91, 5);
            const double scorch = fractalNoise(x / 130.0, y / 130.0, 92, 4);
            Colour c = mix(rgb(58, 54, 60), rgb(96, 90, 92), n);
            if (scorch > 0.62) c = mix(c, rgb(44, 40, 46), 0.7 * smoothstep(0.62, 0.74, scorch));
            s.row(y)[x] = c;
        }
}

void ashMiddle(Surface& s) {
    start(s);
    // Concrete slabs of the depot's yard, cracked, with faded markings.
    for (int gy = 0; gy < 4; ++gy)
        for (int gx = 0; gx < 6; ++gx) {
            if ((gx + gy * 3) % 5 == 1) continue;
            const int x0 = 220 + gx * 62, y0 = 150 + gy * 62;
            if (x0 > W - 100) continue;
            for (int y = y0; y < y0 + 58; ++y)
                for (int x = x0; x < x0 + 58; ++x) {
                    const double n = fractalNoise(x * 0.08, y * 0.08, 95, 3);
                    Colour c = shade(rgb(120, 118, 112), 0.8 + 0.3 * n);
                    if (n > 0.7) c = rgb(70, 68, 66);
                    put(s, x, y, opaque(c));
                }
            if ((gx + gy) % 3 == 0) fillRect(s, x0 + 8, y0 + 26, 42, 5, rgb(190, 160, 60));
        }
}

void ashNear(Surface& s) {
    start(s);
    Rng rng(101);
    for (int i = 0; i < 18; ++i) {
        int x = rng.range(10, W - 10), y = rng.range(10, H - 10);
        if (x > 160 && x < 640 && y > 120 && y < 480) y = y < 300 ? y - 110 : y + 110;
        for (int k = 0; k < 6; ++k) {
            const double cx = x + rng.range(-14, 14), cy = y + rng.range(-8, 8);
            const Colour c = k % 2 ? rgb(110, 104, 98) : rgb(84, 78, 76);
            const double pts[] = {cx - 5, cy + 3, cx - 1, cy - 4, cx + 6, cy - 1, cx + 4, cy + 4};
            fillPolygon(s, pts, 4, c);
        }
        if (i % 4 == 0) {
            fillCircle(s, x + 2, y - 2, 4, rgb(255, 140, 40));
            fillCircle(s, x + 2, y - 3, 2, rgb(255, 230, 140));
        }
    }
}

// --- Screens ---

void panel(Surface& s, int x, int y, int w, int h) {
    fillRect(s, x + 4, y + 4, w, h, rgb(20, 20, 30));
    fillRect(s, x, y, w, h, rgb(255, 255, 255));
    frameRect(s, x, y, w, h, rgb(40, 48, 70));
    frameRect(s, x + 2, y + 2, w - 4, h - 4, rgb(150, 170, 200));
}

// The caption panel at the bottom of every story picture: the script writes up to five
// lines of text on it (layout.h).
void captionPanel(Surface& s) {
    panel(s, layout::kCaptionX, layout::kCaptionY, layout::kCaptionW, layout::kCaptionH);
    fillRect(s, layout::kCaptionX + 6, layout::kCaptionY + 6, 4, layout::kCaptionH - 12, rgb(255, 196, 64));
}

void drawModel(Surface& s, const Model& m, double cx, double groundY, double heading, double elevation, double scale) {
    const int size = static_cast<int>(m.radius * 2.6 * scale);
    renderModel(s, static_cast<int>(cx) - size / 2, static_cast<int>(groundY) - size * 3 / 4, size, size, size / 2.0,
                size * 3 / 4.0, m, {heading, elevation, scale});
}

// Renders onto a black scratch surface first so the rim can be drawn, then pastes.
void drawModelOutlined(Surface& s, const Model& m, double cx, double groundY, double heading, double elevation,
                       double scale) {
    Surface scratch;
    resizeSurface(scratch, W, H, 0);
    drawModel(scratch, m, cx, groundY, heading, elevation, scale);
    const int size = static_cast<int>(m.radius * 2.6 * scale);
    const int x0 = std::max(0, static_cast<int>(cx) - size / 2 - 2), y0 = std::max(0, static_cast<int>(groundY) - size * 3 / 4 - 2);
    outlineSprite(scratch, x0, y0, std::min(size + 4, W - x0), std::min(size + 4, H - y0), kOutline);
    pasteSprite(s, 0, 0, scratch, 0, 0, W, H);
}

void seaBand(Surface& s, int top) {
    for (int y = top; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const double depth = (y - top) / double(H - top);
            const double swell = std::sin((y * (1 + depth * 2) + 12 * fractalNoise(x / 60.0, y / 20.0, 7, 3)) * 0.5);
            Colour c = mix(rgb(60, 130, 186), rgb(14, 52, 96), depth);
            if (swell > 0.9) c = mix(c, rgb(200, 230, 245), (swell - 0.9) * 6 * (1 - depth * 0.5));
            s.row(y)[x] = c;
        }
}

void readyScreen(Surface& s) {
    start(s);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const double d = std::hypot(x - 400.0, (y - 300.0) * 1.3) / 500;
            s.row(y)[x] = mix(rgb(30, 50, 90), rgb(6, 8, 20), d);
        }
    for (int y = 0; y < H; y += 4) fillRect(s, 0, y, W, 1, rgb(10, 14, 28));  // scan lines
    for (int i = -20; i < 40; ++i) drawLine(s, i * 40, 470, i * 40 + 300, 600, rgb(40, 70, 120));
    drawModelOutlined(s, playerMech(), 400, 430, 0.0, 30, 8);
    drawPixelTextCentred(s, 400, 110, "GET READY", rgb(255, 214, 90), rgb(60, 30, 10), 8, 8, 1);
    drawPixelTextCentred(s, 400, 200, "SORTIE LAUNCHING", rgb(190, 220, 255), rgb(10, 20, 40), 3, 3, 1);
    fillRect(s, 150, 520, 500, 6, rgb(40, 60, 100));
    fillRect(s, 150, 520, 330, 6, rgb(255, 196, 64));
}

void titleScreen(Surface& s) {
    start(s);
    verticalGradient(s, 0, 0, W, 360, rgb(20, 24, 70), rgb(230, 130, 90));
    stars(s, 0, 150, 120, 3);
    sunGlow(s, 560, 350, 46, 260, rgb(255, 220, 150), rgb(255, 160, 100));
    range(s, 362, 4, 60, 11, 5, rgb(70, 50, 90), rgb(200, 120, 110));
    seaBand(s, 360);
    // A hover pad for the mech to stand on, and drones on the horizon.
    fillRect(s, 480, 516, 160, 12, rgb(200, 210, 220));
    fillRect(s, 480, 528, 160, 10, rgb(90, 100, 120));
    for (int jet : {504, 598}) fillRect(s, jet, 538, 18, 12, rgb(255, 190, 70));
    drawModelOutlined(s, playerMech(), 560, 521, 0.5, 30, 9);
    drawModelOutlined(s, dartModel(), 150, 250, 3 * kPi / 2, 20, 2.5);
    drawModelOutlined(s, dartModel(), 240, 210, 3 * kPi / 2, 20, 1.8);
    drawModelOutlined(s, saucerModel(), 90, 170, 0, 20, 1.6);
    drawPixelTextRimmed(s, 60, 60, "SORTIE", rgb(255, 214, 90), rgb(70, 30, 20), 14, 14, 1);
    drawPixelTextRimmed(s, 66, 180, "A SMALL MECH ON A BIG SORTIE", rgb(230, 240, 255), rgb(20, 20, 50), 2, 2, 1);
    panel(s, layout::kTitlePromptX - 12, layout::kTitlePromptY - 8, 230, 32);
}

void hangarBackdrop(Surface& s, const char* heading) {
    start(s);
    verticalGradient(s, 0, 0, W, H, rgb(46, 52, 66), rgb(18, 20, 28));
    for (int x = 0; x < W; x += 80) fillRect(s, x, 0, 6, 470, rgb(34, 38, 50));
    for (int x = 0; x < W; x += 40)  // hazard stripes along the floor edge
        for (int k = 0; k < 20; ++k) drawLine(s, x + k, 470, x + k + 20, 490, k < 10 ? rgb(230, 180, 40) : rgb(30, 30, 36));
    fillRect(s, 0, 490, W, 110, rgb(60, 62, 70));
    for (int y = 0; y < 470; y += 3)
        for (int x = 0; x < W; ++x)
            if (fractalNoise(x / 40.0, y / 40.0, 13, 3) > 0.68) s.row(y)[x] = shade(s.row(y)[x], 1.15);
    drawPixelTextRimmed(s, 40, 34, heading, rgb(255, 214, 90), rgb(20, 20, 30), 6, 6, 1);
}

void menuScreen(Surface& s) {
    hangarBackdrop(s, "HANGAR");
    panel(s, layout::kMenuX - 40, layout::kMenuY - 24, 330, layout::kMenuRows * layout::kMenuStep + 28);
    for (int i = 0; i < layout::kMenuRows; ++i) {
        const int y = layout::kMenuY + i * layout::kMenuStep;
        const double tri[] = {layout::kMenuX - 26.0, y + 2.0, layout::kMenuX - 14.0, y + 8.0, layout::kMenuX - 26.0, y + 14.0};
        fillPolygon(s, tri, 3, rgb(230, 120, 40));
    }
    drawModelOutlined(s, playerMech(), 680, 470, 5.6, 30, 9);
    drawPixelTextRimmed(s, 44, 110, "CHOOSE YOUR SORTIE", rgb(200, 220, 255), rgb(20, 20, 30), 2, 2, 1);
}

void armoryScreen(Surface& s) {
    hangarBackdrop(s, "ARMORY");
    panel(s, layout::kMenuX - 40, layout::kMenuY - 24, 420, layout::kArmoryRows * layout::kMenuStep + 28);
    for (int i = 0; i < layout::kArmoryRows; ++i) {
        const int y = layout::kMenuY + i * layout::kMenuStep;
        const double tri[] = {layout::kMenuX - 26.0, y + 2.0, layout::kMenuX - 14.0, y + 8.0, layout::kMenuX - 26.0, y + 14.0};
        fillPolygon(s, tri, 3, rgb(230, 120, 40));
    }
    // The weapons on their rack, left of the list.
    drawModelOutlined(s, rocketModel(), 120, 250, kPi / 2, 30, 6);
    drawModelOutlined(s, missileModel(), 120, 340, kPi / 2, 30, 6);
    drawModelOutlined(s, turretModel(), 110, 460, 0.8, 40, 4);
    drawPixelTextRimmed(s, 44, 110, "FIT THE MECH'S WEAPONS", rgb(200, 220, 255), rgb(20, 20, 30), 2, 2, 1);
}

void storyCity(Surface& s) {
    start(s);
    verticalGradient(s, 0, 0, W, 420, rgb(40, 20, 50), rgb(220, 110, 70));
    // Smoke plumes rising from the skyline.
    for (int i = 0; i < 3; ++i)
        for (int y = 60; y < 330; ++y) {
            const double cx = 180 + i * 230 + (330 - y) * 0.35;
            const double w = 10 + (330 - y) * 0.18;
            for (int x = static_cast<int>(cx - w); x < cx + w; ++x)
                if (fractalNoise(x / 30.0, y / 30.0, 300 + i, 3) > 0.42) put(s, x, y, mix(s.row(y)[std::clamp(x, 0, W - 1)], rgb(40, 30, 40), 0.7));
        }
    Rng rng(7);
    for (int x = 0; x < W;) {
        const int w = rng.range(30, 70), h = rng.range(80, 230);
        fillRect(s, x, 420 - h, w, h, rgb(30, 22, 40));
        for (int wy = 420 - h + 8; wy < 410; wy += 12)
            for (int wx = x + 5; wx < x + w - 6; wx += 10)
                if (rng.range(0, 3) == 0) fillRect(s, wx, wy, 4, 5, rgb(255, 200, 110));
        x += w + rng.range(2, 10);
    }
    verticalGradient(s, 0, 420, W, 180, rgb(30, 22, 40), rgb(12, 8, 16));
    for (int i = 0; i < 9; ++i)
        drawModelOutlined(s, dartModel(), 80 + i * 80 + rng.range(-20, 20), 80 + rng.range(0, 120), 3 * kPi / 2, 20, 1.2 + (i % 3) * 0.3);
    drawModelOutlined(s, saucerModel(), 420, 150, 0, 25, 3);
    captionPanel(s);
}

void storyCoast(Surface& s) {
    start(s);
    verticalGradient(s, 0, 0, W, 250, rgb(70, 130, 204), rgb(200, 228, 242));
    sunGlow(s, 640, 80, 28, 130, rgb(255, 250, 220), rgb(255, 236, 180));
    clouds(s, 40, 200, 0.45, 3, rgb(250, 250, 255), rgb(200, 214, 232), false);
    range(s, 252, 6, 50, 31, 6, rgb(112, 140, 168), rgb(168, 190, 210));
    seaBand(s, 250);
    fillRect(s, 160, 360, 150, 12, rgb(220, 228, 236));
    fillRect(s, 160, 372, 150, 8, rgb(96, 106, 124));
    for (int jet : {180, 270}) fillRect(s, jet, 380, 16, 10, rgb(255, 190, 70));
    drawModelOutlined(s, playerMech(), 235, 361, 1.2, 25, 6);
    drawModelOutlined(s, deltaModel(), 560, 190, 3 * kPi / 2, 20, 2.6);
    drawModelOutlined(s, looperModel(), 690, 280, 3 * kPi / 2, 20, 2.4);
    captionPanel(s);
}

void storyCanyon(Surface& s) {
    start(s);
    verticalGradient(s, 0, 0, W, 300, rgb(30, 20, 66), rgb(236, 120, 70));
    stars(s, 0, 120, 120, 29);
    fillCircle(s, 640, 80, 30, rgb(230, 220, 206));
    range(s, 300, 20, 150, 41, 5, rgb(92, 50, 70), rgb(236, 140, 100), 0.12);
    for (int y = 300; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const double crack = std::fabs(fractalNoise(x / 40.0, y / 14.0, 22, 3) - 0.5);
            s.row(y)[x] = crack < 0.04 ? rgb(255, 160, 60) : mix(rgb(70, 40, 50), rgb(30, 18, 24), (y - 300) / 300.0);
        }
    drawModelOutlined(s, saucerModel(), 250, 200, 0, 25, 3.5);
    drawModelOutlined(s, walkerModel(), 520, 330, 3 * kPi / 2, 20, 2.6);
    drawModelOutlined(s, podModel(), 640, 210, 3 * kPi / 2, 20, 2.2);
    captionPanel(s);
}

void storyBriefing(Surface& s) {
    start(s, rgb(14, 30, 26));
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const double n = fractalNoise(x / 70.0, y / 70.0, 61, 4);
            Colour c = mix(rgb(20, 60, 44), rgb(34, 90, 60), n);
            if (x % 40 == 0 || y % 40 == 0) c = rgb(60, 140, 100);
            s.row(y)[x] = c;
        }
    // Enemy positions marked on the map, the mech's route drawn in.
    for (int i = 0; i < 3; ++i) drawModelOutlined(s, tankModel(), 470 + i * 70, 120 + i * 90, 4.4, 60, 2.2);
    drawModelOutlined(s, turretModel(), 660, 320, 4.7, 60, 2.4);
    drawModelOutlined(s, playerMech(), 120, 300, 1.6, 60, 3);
    for (int k = 0; k < 14; ++k) fillRect(s, 160 + k * 20, 280 - k * 6, 10, 4, rgb(255, 214, 90));
    drawPixelTextRimmed(s, 24, 20, "SECTOR 7 - BRIEFING", rgb(160, 255, 200), rgb(10, 30, 20), 3, 3, 1);
    captionPanel(s);
}

void storyDepot(Surface& s) {
    start(s);
    verticalGradient(s, 0, 0, W, H, rgb(10, 10, 24), rgb(90, 36, 44));
    stars(s, 0, 160, 80, 37);
    for (int i = 0; i < 6; ++i) fillRect(s, 40 + i * 130, 250 - (i % 3) * 30, 90, 170 + (i % 3) * 30, rgb(40, 36, 46));
    for (int i = 0; i < 6; ++i) fillRect(s, 60 + i * 130, 270 - (i % 3) * 30, 12, 6, rgb(255, 80, 80));
    sunGlow(s, 400, 330, 10, 200, rgb(255, 120, 60), rgb(200, 60, 40));
    drawModelOutlined(s, heavyTankModel(), 400, 360, 0.3, 30, 6);
    captionPanel(s);
}

void storyVictory(Surface& s) {
    start(s);
    verticalGradient(s, 0, 0, W, 420, rgb(90, 140, 220), rgb(255, 210, 150));
    sunGlow(s, 400, 330, 50, 300, rgb(255, 250, 220), rgb(255, 220, 160));
    Rng rng(7);
    for (int x = 0; x < W;) {
        const int w = rng.range(30, 70), h = rng.range(80, 200);
        fillRect(s, x, 420 - h, w, h, rgb(70, 80, 110));
        x += w + rng.range(2, 10);
    }
    verticalGradient(s, 0, 420, W, 180, rgb(70, 80, 110), rgb(40, 44, 60));
    drawModelOutlined(s, playerMech(), 400, 410, 0.2, 25, 10);
    captionPanel(s);
}

void storyDefeat(Surface& s) {
    start(s);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const double n = fractalNoise(x / 50.0, y / 50.0, 211, 4);
            s.row(y)[x] = mix(rgb(20, 18, 22), rgb(80, 60, 60), n * (1 - y / 700.0));
        }
    Rng rng(5);  // signal static
    for (int i = 0; i < 4000; ++i) {
        const int v = rng.range(60, 200);
        put(s, rng.range(0, W - 1), rng.range(0, H - 1), rgb(v, v, v));
    }
    for (int y = 0; y < H; y += 3) fillRect(s, 0, y, W, 1, rgb(10, 8, 12));
    drawPixelTextCentred(s, 400, 170, "SIGNAL LOST", rgb(255, 90, 80), rgb(30, 0, 0), 6, 6, 1);
    captionPanel(s);
}

void debriefScreen(Surface& s) {
    hangarBackdrop(s, "DEBRIEF");
    drawModelOutlined(s, playerMech(), 620, 400, 0.0, 30, 8);
    drawModelOutlined(s, tankModel(), 260, 330, 2.2, 45, 5);
    captionPanel(s);
}

}  // namespace

const std::vector<PictureRecipe>& pictures() {
    static const std::vector<PictureRecipe> list = {
        {"format", [](Surface& s) { start(s); }},
        {"zyunbi", readyScreen},
        {"title", titleScreen},
        {"menu", menuScreen},
        {"armory", armoryScreen},
        {"story1", storyCity},
        {"story2", storyCoast},
        {"story3", storyCanyon},
        {"story4", storyBriefing},
        {"story5", storyDepot},
        {"victory", storyVictory},
        {"defeat", storyDefeat},
        {"debrief", debriefScreen},
        // Stage scenery: back<k>, three per stage (near, middle, far).
        {"back1", coastNear},
        {"back2", coastMiddle},
        {"back3", coastFar},
        {"back4", canyonNear},
        {"back5", canyonMiddle},
        {"back6", canyonFar},
        {"back7", grassNear},
        {"back8", grassMiddle},
        {"back9", grassFar},
        {"back10", ashNear},
        {"back11", ashMiddle},
        {"back12", ashFar},
    };
    return list;
}
