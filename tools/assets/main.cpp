// sortie-assets OUTDIR: draws every picture and synthesises every sound of the demo game
// into OUTDIR/bmp and OUTDIR/wav. The output depends on nothing but this program, so two
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
const char kUsage[] = "usage: sortie-assets OUTDIR";

}  // namespace

int main(int argc, char** argv) {
    switch (helpOrVersionAsked(argc, argv)) {
    case CommandAsked::Help:
        std::printf("%s\nDraws every picture and synthesises every sound of the demo game into OUTDIR/bmp and "
                    "OUTDIR/wav.\n",
                    kUsage);
        return 0;
    case CommandAsked::Version: std::printf("sortie-assets %s\n", SORTIE_VERSION); return 0;
    case CommandAsked::Run: break;
    }
    std::string folder;
    int folders = 0;
    ArgumentReader args{argc, argv};
    while (nextArgument(args)) {
        if (args.isOption) {
            std::fprintf(stderr, "sortie-assets: unknown option %s (%s)\n", args.word.c_str(), kUsage);
            return kBadUsage;
        }
        folder = args.word;
        ++folders;
    }
    if (folders != 1 || folder.empty()) {
        std::fprintf(stderr, "sortie-assets: one output folder is needed (%s)\n", kUsage);
        return kBadUsage;
    }
    const std::filesystem::path out = folder;
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
