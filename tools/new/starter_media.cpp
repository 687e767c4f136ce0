// The starter game's pictures and sounds. The pictures are placeholders drawn from code:
// every sprite is a labelled box in the place the character list names, every full-screen
// picture says which file it is. The sounds are the demo's, under the starter's names.
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "platform/bitmap.h"
#include "platform/text.h"
#include "tools/assets/assets.h"
#include "tools/new/starter.h"

namespace {

namespace fs = std::filesystem;

constexpr double kPi = 3.14159265358979;

// Names the picture's file in its bottom-left corner, black on white.
void fileLabel(Surface& s, const char* text) {
    const int length = static_cast<int>(std::char_traits<char>::length(text));
    drawText(s, 8, kScreenHeight - 24, 8 + 8 * length, kScreenHeight - 8, text, length);
}

void plainPicture(Surface& s, Colour top, Colour bottom, const char* heading, const char* file) {
    resizeSurface(s, kScreenWidth, kScreenHeight, kWhite);
    verticalGradient(s, 0, 0, kScreenWidth, kScreenHeight, top, bottom);
    drawPixelTextCentred(s, kScreenWidth / 2, 60, heading, rgb(255, 230, 140), rgb(20, 20, 30), 6, 6);
    fileLabel(s, file);
}

void titlePicture(Surface& s) {
    plainPicture(s, rgb(20, 40, 90), rgb(40, 120, 130), "YOUR GAME", "bmp/title.bmp: the title screen");
}

void reportPicture(Surface& s) {
    plainPicture(s, rgb(50, 50, 60), rgb(90, 80, 70), "REPORT", "bmp/report.bmp: reports and endings");
}

void readyPicture(Surface& s) {
    plainPicture(s, rgb(10, 10, 20), rgb(30, 30, 60), "GET READY", "bmp/zyunbi.bmp: shown while a stage loads");
}

void blankPicture(Surface& s) { resizeSurface(s, kScreenWidth, kScreenHeight, kWhite); }

// The far background stands still and is drawn opaque.
void farBackground(Surface& s) {
    resizeSurface(s, kScreenWidth, kScreenHeight, kWhite);
    verticalGradient(s, 0, 0, kScreenWidth, kScreenHeight, rgb(90, 150, 220), rgb(200, 220, 240));
    drawPixelText(s, 16, 16, "BACK3.BMP: FAR LAYER, STANDS STILL", rgb(30, 40, 80), 2, 2);
}

// The middle and near layers scroll; pure black is transparent in them.
void middleBackground(Surface& s) {
    resizeSurface(s, kScreenWidth, kScreenHeight, kBlack);
    for (int x = 0; x < kScreenWidth; ++x) {
        const int top = 300 + static_cast<int>(60 * std::sin(x * 2 * kPi / kScreenWidth * 2));
        fillRect(s, x, top, 1, kScreenHeight - top, rgb(70, 110, 90));
    }
    drawPixelText(s, 16, 48, "BACK2.BMP: MIDDLE LAYER, HALF SPEED", rgb(230, 240, 230), 2, 2);
}

void nearBackground(Surface& s) {
    resizeSurface(s, kScreenWidth, kScreenHeight, kBlack);
    for (int x = 0; x < kScreenWidth; x += 100) fillRect(s, x + 40, 420, 20, 180, rgb(110, 80, 50));
    drawPixelText(s, 16, 80, "BACK1.BMP: NEAR LAYER, FULL SPEED", rgb(250, 240, 200), 2, 2);
}

// One box of the sheet: a fill, a rim and a label in the pixel font.
void labelledBox(Surface& s, int x, int y, int w, int h, Colour fill, const char* label) {
    fillRect(s, x, y, w, h, opaque(fill));
    frameRect(s, x, y, w, h, opaque(shade(fill, 0.45)));
    drawPixelText(s, x + 3, y + 3, label, rgb(255, 255, 255), 1, 1);
}

// Eight direction frames: frame f faces f x 45 degrees from straight down toward the right,
// which its arrow shows.
void directionBoxes(Surface& s, const SheetRect& r, Colour fill, char letter) {
    for (int f = 0; f < r.frames; ++f) {
        const int x = r.x + f * r.w;
        // Boxes too small for a label show the arrow alone; in the others it goes below the label.
        const bool labelled = r.w > 16 && r.h > 16;
        const char label[3] = {letter, static_cast<char>('0' + f), 0};
        labelledBox(s, x, r.y, r.w, r.h, fill, labelled ? label : "");
        const double top = labelled ? 11 : 0;
        const double cx = x + r.w / 2.0, cy = r.y + (top + r.h) / 2.0;
        const double reach = (r.h - top) / 2.0 - 3;
        const double dx = std::sin(f * kPi / 4) * reach, dy = std::cos(f * kPi / 4) * reach;
        drawLine(s, static_cast<int>(cx), static_cast<int>(cy), static_cast<int>(cx + dx), static_cast<int>(cy + dy),
                 rgb(255, 255, 200));
        fillCircle(s, cx + dx, cy + dy, 1.6, rgb(255, 255, 200));
    }
}

void starterSheet(Surface& s) {
    using namespace starter;
    resizeSurface(s, kScreenWidth, kScreenHeight, kBlack);
    directionBoxes(s, kPlayer, rgb(40, 90, 200), 'P');
    labelledBox(s, kPlayerFiring.x, kPlayerFiring.y, kPlayerFiring.w, kPlayerFiring.h, rgb(90, 140, 250), "FIRE");
    directionBoxes(s, kOpponent, rgb(200, 50, 50), 'E');
    labelledBox(s, kPlayerShot.x, kPlayerShot.y, kPlayerShot.w, kPlayerShot.h, rgb(255, 230, 80), "");
    labelledBox(s, kOpponentShot.x, kOpponentShot.y, kOpponentShot.w, kOpponentShot.h, rgb(255, 90, 200), "");
    drawBanner(s, sheet::kWonBanner, "STAGE CLEAR", rgb(30, 70, 140), rgb(12, 28, 66), rgb(255, 214, 90),
               rgb(255, 214, 90));
    drawBanner(s, sheet::kLostBanner, "STAGE LOST", rgb(130, 30, 30), rgb(60, 10, 14), rgb(255, 236, 226),
               rgb(255, 120, 100));
    directionBoxes(s, kExplosion, rgb(240, 140, 30), 'X');
    directionBoxes(s, kTrail, rgb(120, 120, 120), 'T');
    labelledBox(s, kGround.x, kGround.y, kGround.w, kGround.h, rgb(60, 140, 60), "GROUND");
    labelledBox(s, kBlock.x, kBlock.y, kBlock.w, kBlock.h, rgb(140, 100, 60), "BLK");
}

struct Picture {
    const char* name;
    void (*draw)(Surface&);
};
constexpr Picture kPictures[] = {
    {"format", blankPicture}, {"char", starterSheet},      {"title", titlePicture},    {"report", reportPicture},
    {"zyunbi", readyPicture}, {"back1", nearBackground}, {"back2", middleBackground}, {"back3", farBackground},
};

// Each sound of the game and the demo sound it takes.
struct Sound {
    const char* name;
    const char* demoSound;
};
constexpr Sound kSounds[] = {
    {"title", "level0"},   {"level1", "level1"}, {"level2", "level3"}, {"se1", "se1"}, {"se2", "se2"},
    {"shot00", "shot00"}, {"mehit", "mehit"},   {"win", "win"},       {"lost", "lost"},
};

}  // namespace

bool writeStarterGame(const std::string& folder, std::string& error) {
    const fs::path root = folder;
    std::error_code ec;
    for (const char* sub : {"data", "bmp", "wav"}) fs::create_directories(root / sub, ec);
    for (const StarterFile& file : starterFiles()) {
        const std::string path = (root / file.path).string();
        std::FILE* out = std::fopen(path.c_str(), "wb");
        const bool written = out && std::fwrite(file.text.data(), 1, file.text.size(), out) == file.text.size();
        if (!(out && std::fclose(out) == 0 && written)) return error = "cannot write " + path, false;
    }
    Surface s;
    for (const Picture& p : kPictures) {
        p.draw(s);
        const std::string path = (root / "bmp" / (std::string(p.name) + ".bmp")).string();
        if (!writeBitmapFile(path.c_str(), s)) return error = "cannot write " + path, false;
    }
    for (const Sound& sound : kSounds) {
        for (const SoundRecipe& recipe : sounds()) {
            if (std::string(recipe.name) != sound.demoSound) continue;
            const std::string path = (root / "wav" / (std::string(sound.name) + ".wav")).string();
            if (!writeWavFile(path.c_str(), recipe.make())) return error = "cannot write " + path, false;
        }
    }
    return true;
}
