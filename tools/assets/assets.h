// The parts of the demo's asset generator: the sprite sheet, the full-screen pictures and
// the sounds. Each writes into memory; main() names the files.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/surface.h"
#include "tools/assets/paint.h"

struct SheetRect;

// The character sheet, 800 x 600 (layout in sheet_layout.h).
void drawSheet(Surface& s);
// A stage banner in rectangle r of the sheet: a gradient plate with a rim and the text in the
// pixel font, centred.
void drawBanner(Surface& s, const SheetRect& r, const char* text, Colour top, Colour bottom, Colour ink, Colour rim);

// One 800 x 600 picture by its file name without ".bmp" ("title", "back7", ...).
struct PictureRecipe {
    const char* name;
    void (*draw)(Surface&);
};
// Every picture the game shows besides the sheet.
const std::vector<PictureRecipe>& pictures();

// One sound by its file name without ".wav", as 16-bit mono samples at kSampleRate.
constexpr int kSampleRate = 22050;
struct SoundRecipe {
    const char* name;
    std::vector<int16_t> (*make)();
};
const std::vector<SoundRecipe>& sounds();

// The program's icon, size x size pixels: the player's mech over kIconClear, which the icon
// files leave transparent.
constexpr Colour kIconClear = 0;
void drawIcon(Surface& s, int size);
// The sizes the desktop's icon theme takes.
constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256, 512};

// Writes samples as a 16-bit PCM mono WAV file.
bool writeWavFile(const char* path, const std::vector<int16_t>& samples);
