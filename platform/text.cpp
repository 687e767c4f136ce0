#include "platform/text.h"

#include <sys/stat.h>

#include <SDL_ttf.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/file_report.h"
#include "platform/surface.h"

namespace {

// GNU Unifont at 16 px gives crisp 8 x 16 glyphs, inside the 12 x 24 cell a byte of text owns.
// The copy shipped beside the program comes first (the build places one beside the built
// programs, an install under share/sortie/), then what fontconfig names, then where Debian
// puts it.
const char* const kShippedFontPaths[] = {"unifont.otf", "../share/sortie/unifont.otf"};
const char kFontconfigQuery[] = "fc-match --format=%{file} unifont 2>/dev/null";
const char* const kFontPaths[] = {
    "/usr/share/fonts/opentype/unifont/unifont.otf",
    "/usr/share/fonts/truetype/unifont/unifont.ttf",
    "/usr/share/fonts/truetype/unifont/unifont_sample.ttf",
};
constexpr int kFontSize = 16;
constexpr int kFallbackAdvance = 8;

struct Glyph {
    int advance = kFallbackAdvance;
    int width = 0;
    int height = 0;
    std::vector<uint8_t> ink;  // 1 where the glyph is drawn
};

TTF_Font* font = nullptr;
bool fontTried = false;
int lineHeight = kFontSize;
int underlineRow = kFontSize - 1;
// Rendered once per code point, so drawing a known text allocates nothing.
std::unordered_map<uint32_t, Glyph> glyphCache;

// The file fontconfig gives for Unifont; empty when it has none (it answers with some other
// font then, whose glyphs would not fit the cells).
#ifdef _WIN32
// Windows has no fontconfig: the copy shipped beside the program is the font.
std::string fontconfigUnifont() { return ""; }
#else
std::string fontconfigUnifont() {
    std::FILE* answer = popen(kFontconfigQuery, "r");
    if (!answer) return "";
    char path[4096] = "";
    const size_t got = std::fread(path, 1, sizeof path - 1, answer);
    path[got] = '\0';
    pclose(answer);
    const std::string file = path;
    const std::string name = file.substr(file.find_last_of('/') + 1);
    return name == "unifont.otf" || name == "unifont.ttf" ? file : "";
}
#endif

}  // namespace

std::string findUnifont() {
    struct stat info;
    auto isFile = [&info](const std::string& path) {
        return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
    };
    if (char* base = SDL_GetBasePath()) {
        std::string found;
        for (const char* shipped : kShippedFontPaths)
            if (found.empty() && isFile(std::string(base) + shipped)) found = std::string(base) + shipped;
        SDL_free(base);
        if (!found.empty()) return found;
    }
    // fontconfig is asked only when no copy was shipped: it starts a process.
    if (const std::string named = fontconfigUnifont(); isFile(named)) return named;
    for (const char* path : kFontPaths)
        if (isFile(path)) return path;
    return "";
}

namespace {

void openFont() {
    fontTried = true;
    if (!TTF_WasInit() && TTF_Init() != 0) return;
    const std::string path = findUnifont();
    if (!path.empty()) font = TTF_OpenFont(path.c_str(), kFontSize);
    if (!font) {
        reportTrouble("no Unifont font found beside the program, through fontconfig or in /usr/share/fonts: "
                      "texts will not show (Debian's package fonts-unifont provides it)");
        return;
    }
    lineHeight = TTF_FontHeight(font);
    underlineRow = std::min(lineHeight - 1, TTF_FontAscent(font) + 1);
}

const Glyph& glyphFor(uint32_t codePoint) {
    auto found = glyphCache.find(codePoint);
    if (found != glyphCache.end()) return found->second;
    Glyph g;
    if (font) {
        int minX, maxX, minY, maxY, advance;
        if (TTF_GlyphMetrics32(font, codePoint, &minX, &maxX, &minY, &maxY, &advance) == 0) g.advance = advance;
        SDL_Color black{0, 0, 0, 255};
        if (SDL_Surface* s = TTF_RenderGlyph32_Solid(font, codePoint, black)) {
            g.width = s->w;
            g.height = s->h;
            g.ink.resize(static_cast<size_t>(s->w) * s->h);
            SDL_LockSurface(s);
            for (int y = 0; y < s->h; ++y) {
                const auto* row = static_cast<const uint8_t*>(s->pixels) + static_cast<size_t>(y) * s->pitch;
                for (int x = 0; x < s->w; ++x) g.ink[static_cast<size_t>(y) * s->w + x] = row[x] != 0;
            }
            SDL_UnlockSurface(s);
            SDL_FreeSurface(s);
        }
    }
    return glyphCache.emplace(codePoint, std::move(g)).first->second;
}

// Decodes one UTF-8 sequence at text[i]; a malformed byte stands for itself as U+FFFD.
uint32_t decodeUtf8(const unsigned char* text, int length, int& i) {
    unsigned char c = text[i++];
    if (c < 0x80) return c;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
    if (extra < 0 || i + extra > length) return 0xFFFD;
    uint32_t cp = c & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        if ((text[i + k] & 0xC0) != 0x80) return 0xFFFD;
        cp = (cp << 6) | (text[i + k] & 0x3F);
    }
    i += extra;
    return cp;
}

struct Clip {
    int left, top, right, bottom;
    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

void plot(Surface& dst, const Clip& clip, int x, int y, uint32_t colour) {
    if (clip.contains(x, y)) dst.row(y)[x] = colour;
}

}  // namespace

void drawText(Surface& dst, int left, int top, int right, int bottom, const char* text, int length) {
    if (!fontTried) openFont();
    Clip clip{std::max(left, 0), std::max(top, 0), std::min(right, dst.width), std::min(bottom, dst.height)};
    if (clip.left >= clip.right || clip.top >= clip.bottom) return;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    int penX = left;
    int i = 0;
    while (i < length && penX < clip.right) {
        bool underline = false;
        if (bytes[i] == '&') {
            ++i;
            if (i >= length) break;
            underline = bytes[i] != '&';
        }
        const Glyph& g = glyphFor(decodeUtf8(bytes, length, i));
        for (int y = 0; y < lineHeight; ++y)
            for (int x = 0; x < g.advance; ++x) plot(dst, clip, penX + x, top + y, kWhite);
        for (int y = 0; y < g.height; ++y)
            for (int x = 0; x < g.width; ++x)
                if (g.ink[static_cast<size_t>(y) * g.width + x]) plot(dst, clip, penX + x, top + y, kBlack);
        if (underline)
            for (int x = 0; x < g.advance; ++x) plot(dst, clip, penX + x, top + underlineRow, kBlack);
        penX += g.advance;
    }
}
