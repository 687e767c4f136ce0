// Whole-game replays: runs the real sortie-replay on a small game folder and reads back what
// it reports (the summary, the sound trace and the window shots), with writers for the
// character sheets, scenery and pictures that the scenarios draw with.
#pragma once
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/bitmap.h"
#include "platform/surface.h"
#include "platform/text.h"
#include "stage/scenery.h"
#include "support/build_paths.h"
#include "support/test_files.h"

namespace replay {

struct Rect {
    int x, y, w, h;
};

// A rectangle of one colour on a character sheet or a picture.
struct Paint {
    Rect rect;
    uint32_t colour;
};

constexpr Rect kWonBannerSource{0, kWonBannerTop, kBannerWidth, kBannerHeight};
constexpr Rect kLostBannerSource{0, kLostBannerTop, kBannerWidth, kBannerHeight};
constexpr Rect kBannerOnScreen{kBannerX, kBannerY, kBannerWidth, kBannerHeight};
constexpr uint32_t kWonColour = 0x20C020;
constexpr uint32_t kLostColour = 0xC020C0;

// What one run reported.
struct ReplayRun {
    int status = -1;
    std::string err;
    std::map<std::string, std::string> summary;  // "mode" -> "3", "vars" -> "0 5 0 ..."
    std::vector<std::string> trace;

    int64_t value(const std::string& key) const {
        const auto found = summary.find(key);
        return found == summary.end() ? INT64_MIN : std::stoll(found->second);
    }
    std::vector<int64_t> vars() const {
        std::vector<int64_t> values;
        const auto found = summary.find("vars");
        if (found == summary.end()) return values;
        std::istringstream in(found->second);
        for (int64_t v; in >> v;) values.push_back(v);
        return values;
    }
};

// Runs sortie-replay on the game folder we are in, for `frames` frames, with the options
// given (input file, seed, shots), and a trace. Shots go to shot-<F>.bmp.
inline ReplayRun runReplay(int64_t frames, const std::string& options, const std::vector<int>& shots = {}) {
    std::string command = std::string(SORTIE_REPLAY_PROGRAM) + " --frames " + std::to_string(frames) +
                          " --trace trace.txt " + options;
    for (int f : shots) command += " --shot " + std::to_string(f) + "=shot-" + std::to_string(f) + ".bmp";
    command += " . >summary.txt 2>errors.txt";
    const int status = std::system(command.c_str());
    ReplayRun run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = readWhole("errors.txt");
    for (const std::string& line : linesOf(readWhole("summary.txt"))) {
        const size_t space = line.find(' ');
        if (space != std::string::npos) run.summary[line.substr(0, space)] = line.substr(space + 1);
    }
    run.trace = linesOf(readWhole("trace.txt"));
    return run;
}

// The window after frame f, as the run wrote it; an empty surface when it is missing.
inline Surface shot(int f) {
    Surface s;
    readBitmapFile(("shot-" + std::to_string(f) + ".bmp").c_str(), s);
    return s;
}

inline int countColour(const Surface& s, Rect r, uint32_t colour) {
    int n = 0;
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x)
            if (x >= 0 && y >= 0 && x < s.width && y < s.height && s.row(y)[x] == colour) ++n;
    return n;
}

// Whether every pixel of `r` has `colour` (and `r` lies on the surface).
inline bool filled(const Surface& s, Rect r, uint32_t colour) {
    return r.x >= 0 && r.y >= 0 && r.x + r.w <= s.width && r.y + r.h <= s.height &&
           countColour(s, r, colour) == r.w * r.h;
}

inline int countEverywhere(const Surface& s, uint32_t colour) {
    return countColour(s, {0, 0, s.width, s.height}, colour);
}

inline uint32_t pixel(const Surface& s, int x, int y) {
    return x >= 0 && y >= 0 && x < s.width && y < s.height ? s.row(y)[x] : 0xFF000000u;
}

// Number of pixels where two pictures differ (all of them when the sizes differ).
inline int64_t differences(const Surface& a, const Surface& b) {
    if (a.width != b.width || a.height != b.height) return int64_t{800} * 600;
    int64_t n = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) n += a.pixels[i] != b.pixels[i];
    return n;
}

// A w x h picture of `background` with rectangles painted over it, in order.
inline Surface painted(int w, int h, uint32_t background, const std::vector<Paint>& paints) {
    Surface s;
    resizeSurface(s, w, h, background);
    for (const Paint& p : paints)
        for (int y = p.rect.y; y < p.rect.y + p.rect.h; ++y)
            for (int x = p.rect.x; x < p.rect.x + p.rect.w; ++x)
                if (x >= 0 && y >= 0 && x < w && y < h) s.row(y)[x] = p.colour;
    return s;
}

inline void writePainted(const std::string& path, int w, int h, uint32_t background, const std::vector<Paint>& paints) {
    ASSERT_TRUE(writeBitmapFile(path.c_str(), painted(w, h, background, paints))) << path;
}

struct ScreenText {
    int x, y;
    std::string text;
};

// A picture screen as the script composes it: the picture, then each text in its rectangle
// of 12 pixels per byte and 24 rows, in order.
inline Surface pictureScreen(uint32_t picture, const std::vector<ScreenText>& texts) {
    Surface s = painted(800, 600, picture, {});
    for (const ScreenText& t : texts) {
        const int n = static_cast<int>(t.text.size());
        drawText(s, t.x, t.y, t.x + 12 * n, t.y + 24, t.text.c_str(), n);
    }
    return s;
}

// Black glyph pixels inside a text's rectangle: the text really is on the screen.
inline int glyphPixels(const Surface& s, const ScreenText& t) {
    return countColour(s, {t.x, t.y, 12 * static_cast<int>(t.text.size()), 24}, kBlack);
}

// A character sheet: pure black (transparent) with the sprites and both banners painted on.
inline void writeSheet(const std::vector<Paint>& sprites) {
    std::vector<Paint> paints = sprites;
    paints.push_back({kWonBannerSource, kWonColour});
    paints.push_back({kLostBannerSource, kLostColour});
    writePainted("bmp/char.bmp", 256, 320, kBlack, paints);
}

// The trace a run should write: "F mci status BGM mode" first in every frame 1..last (the
// music keep-alive), then the frame's own lines in order, then the shutdown's two closes in
// the last frame.
inline std::vector<std::string> expectedTrace(int64_t last, const std::map<int64_t, std::vector<std::string>>& extra) {
    std::vector<std::string> lines;
    for (int64_t f = 1; f <= last; ++f) {
        const std::string prefix = std::to_string(f) + " ";
        lines.push_back(prefix + "mci status BGM mode");
        const auto found = extra.find(f);
        if (found == extra.end()) continue;
        for (const std::string& line : found->second) lines.push_back(prefix + line);
    }
    lines.push_back(std::to_string(last) + " mci close SHOTVOX");
    lines.push_back(std::to_string(last) + " mci close BGM");
    return lines;
}

// "" when the traces agree, else the first line where they part.
inline std::string firstDifference(const std::vector<std::string>& got, const std::vector<std::string>& want) {
    for (size_t i = 0; i < got.size() || i < want.size(); ++i) {
        const std::string g = i < got.size() ? got[i] : "(nothing)";
        const std::string w = i < want.size() ? want[i] : "(nothing)";
        if (g != w) return "line " + std::to_string(i + 1) + ": got '" + g + "', want '" + w + "'";
    }
    return "";
}

// The three commands that start a sound on the shot channel.
inline std::vector<std::string> shotSound(const std::string& path) {
    return {"mci close SHOTVOX", "mci open ./" + path + " alias SHOTVOX", "mci play SHOTVOX"};
}

// The three commands that (re)start the music.
inline std::vector<std::string> musicStart(const std::string& path) {
    return {"mci close BGM", "mci open ./" + path + " alias BGM", "mci play BGM"};
}

inline std::vector<std::string> joined(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

}  // namespace replay
