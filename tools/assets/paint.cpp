#include "tools/assets/paint.h"

#include <algorithm>
#include <cmath>
#include <vector>

Colour mix(Colour a, Colour b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    auto lerp = [t](int p, int q) { return static_cast<int>(std::lround(p + (q - p) * t)); };
    return rgb(lerp(red(a), red(b)), lerp(green(a), green(b)), lerp(blue(a), blue(b)));
}

Colour shade(Colour c, double f) {
    auto scale = [f](int v) { return std::clamp(static_cast<int>(std::lround(v * f)), 0, 255); };
    return rgb(scale(red(c)), scale(green(c)), scale(blue(c)));
}

Colour opaque(Colour c) { return c == 0 ? rgb(6, 6, 8) : c; }

uint32_t Rng::next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

double Rng::unit() { return (next() >> 8) / 16777216.0; }

int Rng::range(int lo, int hi) { return lo + static_cast<int>(next() % static_cast<uint32_t>(hi - lo + 1)); }

namespace {

uint32_t hash(int x, int y, uint32_t seed) {
    uint32_t h = seed * 0x27D4EB2Du ^ static_cast<uint32_t>(x) * 0x85EBCA6Bu ^ static_cast<uint32_t>(y) * 0xC2B2AE35u;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

double lattice(int x, int y, uint32_t seed) { return (hash(x, y, seed) & 0xFFFF) / 65535.0; }

double smooth(double t) { return t * t * (3 - 2 * t); }

}  // namespace

double valueNoise(double x, double y, uint32_t seed) {
    const double fx = std::floor(x), fy = std::floor(y);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    const double tx = smooth(x - fx), ty = smooth(y - fy);
    const double a = lattice(ix, iy, seed), b = lattice(ix + 1, iy, seed);
    const double c = lattice(ix, iy + 1, seed), d = lattice(ix + 1, iy + 1, seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

double fractalNoise(double x, double y, uint32_t seed, int octaves) {
    double sum = 0, weight = 0, amplitude = 1, frequency = 1;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * valueNoise(x * frequency, y * frequency, seed + 101u * i);
        weight += amplitude;
        amplitude *= 0.5;
        frequency *= 2;
    }
    return sum / weight;
}

double tileNoise(double x, double y, int period, int cells, uint32_t seed, int octaves) {
    double sum = 0, weight = 0, amplitude = 1;
    for (int i = 0; i < octaves; ++i) {
        const double fx = x * cells / period, fy = y * cells / period;
        const double x0 = std::floor(fx), y0 = std::floor(fy);
        const int ix = static_cast<int>(x0), iy = static_cast<int>(y0);
        auto at = [&](int cx, int cy) {
            return lattice(((cx % cells) + cells) % cells, ((cy % cells) + cells) % cells, seed + 101u * i);
        };
        const double tx = smooth(fx - x0), ty = smooth(fy - y0);
        const double top = at(ix, iy) + (at(ix + 1, iy) - at(ix, iy)) * tx;
        const double bottom = at(ix, iy + 1) + (at(ix + 1, iy + 1) - at(ix, iy + 1)) * tx;
        sum += amplitude * (top + (bottom - top) * ty);
        weight += amplitude;
        amplitude *= 0.5;
        cells *= 2;
    }
    return sum / weight;
}

void put(Surface& s, int x, int y, Colour c) {
    if (x >= 0 && y >= 0 && x < s.width && y < s.height) s.row(y)[x] = c;
}

Colour get(const Surface& s, int x, int y) {
    if (x >= 0 && y >= 0 && x < s.width && y < s.height) return s.row(y)[x];
    return 0;
}

void fillRect(Surface& s, int x, int y, int w, int h, Colour c) {
    for (int yy = std::max(y, 0); yy < std::min(y + h, s.height); ++yy)
        for (int xx = std::max(x, 0); xx < std::min(x + w, s.width); ++xx) s.row(yy)[xx] = c;
}

void frameRect(Surface& s, int x, int y, int w, int h, Colour c) {
    fillRect(s, x, y, w, 1, c);
    fillRect(s, x, y + h - 1, w, 1, c);
    fillRect(s, x, y, 1, h, c);
    fillRect(s, x + w - 1, y, 1, h, c);
}

void fillEllipse(Surface& s, double cx, double cy, double rx, double ry, Colour c) {
    if (rx <= 0 || ry <= 0) return;
    const int y0 = static_cast<int>(std::floor(cy - ry)), y1 = static_cast<int>(std::ceil(cy + ry));
    const int x0 = static_cast<int>(std::floor(cx - rx)), x1 = static_cast<int>(std::ceil(cx + rx));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
            if (dx * dx + dy * dy <= 1.0) put(s, x, y, c);
        }
}

void drawLine(Surface& s, int x0, int y0, int x1, int y1, Colour c) {
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        put(s, x0, y0, c);
        if (x0 == x1 && y0 == y1) break;
        const int e2 = 2 * err;
        if (e2 >= dy) { err += dy; x0 += sx; }
        if (e2 <= dx) { err += dx; y0 += sy; }
    }
}

void fillPolygon(Surface& s, const double* xy, int n, Colour c) {
    double minY = xy[1], maxY = xy[1];
    for (int i = 1; i < n; ++i) {
        minY = std::min(minY, xy[2 * i + 1]);
        maxY = std::max(maxY, xy[2 * i + 1]);
    }
    std::vector<double> crossings;
    for (int y = static_cast<int>(std::floor(minY)); y <= static_cast<int>(std::ceil(maxY)); ++y) {
        const double py = y + 0.5;
        crossings.clear();
        for (int i = 0; i < n; ++i) {
            const double ax = xy[2 * i], ay = xy[2 * i + 1];
            const double bx = xy[2 * ((i + 1) % n)], by = xy[2 * ((i + 1) % n) + 1];
            if ((ay <= py) != (by <= py)) crossings.push_back(ax + (py - ay) / (by - ay) * (bx - ax));
        }
        std::sort(crossings.begin(), crossings.end());
        for (size_t k = 0; k + 1 < crossings.size(); k += 2)
            for (int x = static_cast<int>(std::ceil(crossings[k] - 0.5)); x + 0.5 < crossings[k + 1]; ++x) put(s, x, y, c);
    }
}

void verticalGradient(Surface& s, int x, int y, int w, int h, Colour top, Colour bottom) {
    for (int row = 0; row < h; ++row) fillRect(s, x, y + row, w, 1, mix(top, bottom, h > 1 ? row / (h - 1.0) : 0));
}

namespace {

struct Glyph {
    char ch;
    const char* rows[7];
};

// 5 x 7 glyphs; '#' is ink.
const Glyph kFont[] = {
    {'A', {" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
    {'B', {"#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### "}},
    {'C', {" ### ", "#   #", "#    ", "#    ", "#    ", "#   #", " ### "}},
    {'D', {"#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "}},
    {'E', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"}},
    {'F', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#    "}},
    {'G', {" ### ", "#   #", "#    ", "# ###", "#   #", "#   #", " ####"}},
    {'H', {"#   #", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
    {'I', {"#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "#####"}},
    {'J', {"  ###", "   # ", "   # ", "   # ", "   # ", "#  # ", " ##  "}},
    {'K', {"#   #", "#  # ", "# #  ", "##   ", "# #  ", "#  # ", "#   #"}},
    {'L', {"#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"}},
    {'M', {"#   #", "## ##", "# # #", "# # #", "#   #", "#   #", "#   #"}},
    {'N', {"#   #", "##  #", "# # #", "#  ##", "#   #", "#   #", "#   #"}},
    {'O', {" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
    {'P', {"#### ", "#   #", "#   #", "#### ", "#    ", "#    ", "#    "}},
    {'Q', {" ### ", "#   #", "#   #", "#   #", "# # #", "#  # ", " ## #"}},
    {'R', {"#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"}},
    {'S', {" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "}},
    {'T', {"#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "}},
    {'U', {"#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
    {'V', {"#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "}},
    {'W', {"#   #", "#   #", "#   #", "# # #", "# # #", "## ##", "#   #"}},
    {'X', {"#   #", "#   #", " # # ", "  #  ", " # # ", "#   #", "#   #"}},
    {'Y', {"#   #", "#   #", " # # ", "  #  ", "  #  ", "  #  ", "  #  "}},
    {'Z', {"#####", "    #", "   # ", "  #  ", " #   ", "#    ", "#####"}},
    {'0', {" ### ", "#   #", "#  ##", "# # #", "##  #", "#   #", " ### "}},
    {'1', {"  #  ", " ##  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "}},
    {'2', {" ### ", "#   #", "    #", "   # ", "  #  ", " #   ", "#####"}},
    {'3', {"#### ", "    #", "    #", " ### ", "    #", "    #", "#### "}},
    {'4', {"   # ", "  ## ", " # # ", "#  # ", "#####", "   # ", "   # "}},
    {'5', {"#####", "#    ", "#### ", "    #", "    #", "#   #", " ### "}},
    {'6', {" ### ", "#    ", "#    ", "#### ", "#   #", "#   #", " ### "}},
    {'7', {"#####", "    #", "   # ", "  #  ", " #   ", " #   ", " #   "}},
    {'8', {" ### ", "#   #", "#   #", " ### ", "#   #", "#   #", " ### "}},
    {'9', {" ### ", "#   #", "#   #", " ####", "    #", "    #", " ### "}},
    {' ', {"     ", "     ", "     ", "     ", "     ", "     ", "     "}},
    {'!', {"  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "     ", "  #  "}},
    {'?', {" ### ", "#   #", "    #", "   # ", "  #  ", "     ", "  #  "}},
    {'.', {"     ", "     ", "     ", "     ", "     ", "     ", "  #  "}},
    {',', {"     ", "     ", "     ", "     ", "     ", "  #  ", " #   "}},
    {':', {"     ", "  #  ", "     ", "     ", "     ", "  #  ", "     "}},
    {'-', {"     ", "     ", "     ", " ### ", "     ", "     ", "     "}},
    {'\'', {"  #  ", "  #  ", " #   ", "     ", "     ", "     ", "     "}},
    {'/', {"    #", "    #", "   # ", "  #  ", " #   ", "#    ", "#    "}},
    {'>', {" #   ", "  #  ", "   # ", "    #", "   # ", "  #  ", " #   "}},
    {'<', {"   # ", "  #  ", " #   ", "#    ", " #   ", "  #  ", "   # "}},
    {'+', {"     ", "  #  ", "  #  ", "#####", "  #  ", "  #  ", "     "}},
};

const Glyph* findGlyph(char ch) {
    for (const Glyph& g : kFont)
        if (g.ch == ch) return &g;
    return nullptr;
}

template <typename Plot>
void forEachInk(std::string_view text, int scaleX, int scaleY, int spacing, Plot plot) {
    int penX = 0;
    for (char ch : text) {
        if (const Glyph* g = findGlyph(ch))
            for (int row = 0; row < 7; ++row)
                for (int col = 0; col < 5; ++col)
                    if (g->rows[row][col] == '#') plot(penX + col * scaleX, row * scaleY);
        penX += (5 + spacing) * scaleX;
    }
}

}  // namespace

int pixelTextWidth(std::string_view text, int scaleX, int spacing) {
    if (text.empty()) return 0;
    return static_cast<int>(text.size()) * (5 + spacing) * scaleX - spacing * scaleX;
}

void drawPixelText(Surface& s, int x, int y, std::string_view text, Colour c, int scaleX, int scaleY, int spacing) {
    forEachInk(text, scaleX, scaleY, spacing,
               [&](int px, int py) { fillRect(s, x + px, y + py, scaleX, scaleY, c); });
}

void drawPixelTextRimmed(Surface& s, int x, int y, std::string_view text, Colour c, Colour rim, int scaleX,
                         int scaleY, int spacing) {
    const int r = std::max(1, std::min(scaleX, scaleY) / 2);
    forEachInk(text, scaleX, scaleY, spacing,
               [&](int px, int py) { fillRect(s, x + px - r, y + py - r, scaleX + 2 * r, scaleY + 2 * r, rim); });
    drawPixelText(s, x, y, text, c, scaleX, scaleY, spacing);
}

void drawPixelTextCentred(Surface& s, int cx, int y, std::string_view text, Colour c, Colour rim, int scaleX,
                          int scaleY, int spacing) {
    drawPixelTextRimmed(s, cx - pixelTextWidth(text, scaleX, spacing) / 2, y, text, c, rim, scaleX, scaleY, spacing);
}

void outlineSprite(Surface& s, int x, int y, int w, int h, Colour c) {
    std::vector<uint8_t> solid(static_cast<size_t>(w) * h);
    for (int yy = 0; yy < h; ++yy)
        for (int xx = 0; xx < w; ++xx) solid[static_cast<size_t>(yy) * w + xx] = get(s, x + xx, y + yy) != 0;
    auto isSolid = [&](int xx, int yy) {
        return xx >= 0 && yy >= 0 && xx < w && yy < h && solid[static_cast<size_t>(yy) * w + xx];
    };
    for (int yy = 0; yy < h; ++yy)
        for (int xx = 0; xx < w; ++xx)
            if (!isSolid(xx, yy) &&
                (isSolid(xx - 1, yy) || isSolid(xx + 1, yy) || isSolid(xx, yy - 1) || isSolid(xx, yy + 1)))
                put(s, x + xx, y + yy, c);
}

void pasteSprite(Surface& dst, int dx, int dy, const Surface& src, int sx, int sy, int w, int h) {
    for (int yy = 0; yy < h; ++yy)
        for (int xx = 0; xx < w; ++xx) {
            const Colour c = get(src, sx + xx, sy + yy);
            if (c != 0) put(dst, dx + xx, dy + yy, c);
        }
}
