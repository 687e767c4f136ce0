// Drawing helpers of the asset generator: colours, a seeded noise source, filled shapes, a
// 5 x 7 pixel font and sprite outlines, all drawn on the engine's Surface. Everything here
// is deterministic: the same calls give the same pixels on every run.
#pragma once
#include <cstdint>
#include <string_view>

#include "platform/surface.h"

using Colour = uint32_t;

constexpr Colour rgb(int r, int g, int b) {
    return (static_cast<Colour>(r & 255) << 16) | (static_cast<Colour>(g & 255) << 8) |
           static_cast<Colour>(b & 255);
}
inline int red(Colour c) { return (c >> 16) & 255; }
inline int green(Colour c) { return (c >> 8) & 255; }
inline int blue(Colour c) { return c & 255; }

// Linear blend, t = 0 gives a, t = 1 gives b.
Colour mix(Colour a, Colour b, double t);
// Scales every channel by f, clamped to 0..255.
Colour shade(Colour c, double f);
// Pure black is the transparent colour of sprites and overlay layers; a pixel that must
// show is nudged off it.
Colour opaque(Colour c);

// A small xorshift generator: art that wants scatter asks it, never the clock.
struct Rng {
    uint32_t state;
    explicit Rng(uint32_t seed) : state(seed ? seed : 0x9E3779B9u) {}
    uint32_t next();
    double unit();                 // 0 <= u < 1
    int range(int lo, int hi);     // lo..hi inclusive
};

// Smooth value noise in 0..1, and its sum over octaves (also 0..1).
double valueNoise(double x, double y, uint32_t seed);
double fractalNoise(double x, double y, uint32_t seed, int octaves);
// Noise that repeats every `period` units in x and y, for tiles that must join seamlessly;
// `cells` lattice cells span one period at the coarsest octave.
double tileNoise(double x, double y, int period, int cells, uint32_t seed, int octaves);

// All shapes clip to the surface.
void put(Surface& s, int x, int y, Colour c);
Colour get(const Surface& s, int x, int y);
void fillRect(Surface& s, int x, int y, int w, int h, Colour c);
void frameRect(Surface& s, int x, int y, int w, int h, Colour c);
void fillEllipse(Surface& s, double cx, double cy, double rx, double ry, Colour c);
inline void fillCircle(Surface& s, double cx, double cy, double r, Colour c) { fillEllipse(s, cx, cy, r, r, c); }
void drawLine(Surface& s, int x0, int y0, int x1, int y1, Colour c);
// Even-odd fill of the polygon with n corners (x0, y0, x1, y1, ...), sampled at pixel centres.
void fillPolygon(Surface& s, const double* xy, int n, Colour c);
void verticalGradient(Surface& s, int x, int y, int w, int h, Colour top, Colour bottom);

// The pixel font: 5 x 7 capitals, digits and a little punctuation, each glyph pixel drawn
// as a scaleX x scaleY block, `spacing` blank pixels (before scaling) between glyphs.
int pixelTextWidth(std::string_view text, int scaleX, int spacing = 1);
void drawPixelText(Surface& s, int x, int y, std::string_view text, Colour c, int scaleX, int scaleY,
                   int spacing = 1);
// The same with a one-block dark rim around every glyph pixel, for titles over pictures.
void drawPixelTextRimmed(Surface& s, int x, int y, std::string_view text, Colour c, Colour rim, int scaleX,
                         int scaleY, int spacing = 1);
// Centres the text horizontally on cx.
void drawPixelTextCentred(Surface& s, int cx, int y, std::string_view text, Colour c, Colour rim, int scaleX,
                          int scaleY, int spacing = 1);

// Gives the sprite in the rectangle a one-pixel rim: every transparent pixel of the
// rectangle that touches an opaque one (left, right, up, down) takes colour c.
void outlineSprite(Surface& s, int x, int y, int w, int h, Colour c);
// Copies the w x h rectangle at (sx, sy) of src to (dx, dy) of dst, skipping pure black.
void pasteSprite(Surface& dst, int dx, int dy, const Surface& src, int sx, int sy, int w, int h);
