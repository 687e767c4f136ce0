// sortie-assets OUTDIR: draws every picture and synthesises every sound of the demo game
// into OUTDIR/bmp and OUTDIR/wav; `sortie-assets --icons OUTDIR` draws the program's icon
// at the desktop's sizes instead, as OUTDIR/<size>x<size>/apps/sortie.png. The output depends on nothing but this program, so two
// runs give the same bytes. Which rectangle of the sprite sheet holds what is listed in
// sheet_layout.h (and docs/sprite-sheet.md); where the pictures leave room for script
// texts and buttons, in layout.h.
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/command_line.h"
#include "platform/bitmap.h"
#include "tools/assets/assets.h"

namespace {

constexpr int kBadUsage = 2;
const char kUsage[] = "usage: sortie-assets [--icons] OUTDIR";

// The icons in the layout of an icon theme's folder.
bool writeIcons(const std::filesystem::path& out) {
    Surface s;
    for (int size : kIconSizes) {
        const std::string side = std::to_string(size);
        const std::filesystem::path folder = out / (side + "x" + side) / "apps";
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        const std::string path = (folder / "sortie.png").string();
        drawIcon(s, size);
        if (error || !writePngFileClearing(path.c_str(), s, kIconClear)) {
            std::fprintf(stderr, "sortie-assets: cannot write %s\n", path.c_str());
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    switch (helpOrVersionAsked(argc, argv)) {
    case CommandAsked::Help:
        std::printf("%s\nDraws every picture and synthesises every sound of the demo game into OUTDIR/bmp and "
                    "OUTDIR/wav.\nWith --icons, draws the program's icon instead, as "
                    "OUTDIR/<size>x<size>/apps/sortie.png for each size a desktop takes.\n",
                    kUsage);
        return 0;
    case CommandAsked::Version: std::printf("sortie-assets %s\n", SORTIE_VERSION); return 0;
    case CommandAsked::Run: break;
    }
    std::string folder;
    int folders = 0;
    bool icons = false;
    ArgumentReader args{argc, argv};
    while (nextArgument(args)) {
        std::string error;
        if (args.isOption && args.word == "--icons") {
            if (!takesNoValue(args, error)) {
                std::fprintf(stderr, "sortie-assets: %s (%s)\n", error.c_str(), kUsage);
                return kBadUsage;
            }
            icons = true;
        } else if (args.isOption) {
            std::fprintf(stderr, "sortie-assets: unknown option %s (%s)\n", args.word.c_str(), kUsage);
            return kBadUsage;
        } else {
            folder = args.word;
            ++folders;
        }
    }
    if (folders != 1 || folder.empty()) {
        std::fprintf(stderr, "sortie-assets: one output folder is needed (%s)\n", kUsage);
        return kBadUsage;
    }
    const std::filesystem::path out = folder;
    if (icons) return writeIcons(out) ? 0 : 1;
    std::error_code error;
    std::filesystem::create_directories(out / "bmp", error);
    std::filesystem::create_directories(out / "wav", error);
    if (error) {
        std::fprintf(stderr, "sortie-assets: cannot create %s\n", folder.c_str());
        return 1;
    }
    bool ok = true;
    auto writePicture = [&](const std::string& name, const Surface& s) {
        const std::string path = (out / "bmp" / (name + ".bmp")).string();
        if (!writeBitmapFile(path.c_str(), s)) {
            std::fprintf(stderr, "sortie-assets: cannot write %s\n", path.c_str());
            ok = false;
        }
    };
    Surface s;
    drawSheet(s);
    writePicture("char", s);
    for (const PictureRecipe& p : pictures()) {
        p.draw(s);
        writePicture(p.name, s);
    }
    for (const SoundRecipe& recipe : sounds()) {
        const std::string path = (out / "wav" / (std::string(recipe.name) + ".wav")).string();
        if (!writeWavFile(path.c_str(), recipe.make())) {
            std::fprintf(stderr, "sortie-assets: cannot write %s\n", path.c_str());
            ok = false;
        }
    }
    return ok ? 0 : 1;
}
