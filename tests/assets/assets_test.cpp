// The demo's generated assets and the content that names them: the generator is
// deterministic, the sheet keeps every picture where the engine and the character list
// expect it, and every file a script, stage file or template names is there.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/bitmap.h"
#include "platform/surface.h"
#include "support/build_paths.h"
#include "support/test_files.h"
#include "tools/assets/sheet_layout.h"

namespace fs = std::filesystem;

namespace {

const fs::path kContent = fs::path(SORTIE_SOURCE_DIR) / "content" / "data";

// Runs the generator into a fresh temporary folder and returns it.
fs::path generate(const char* tag) {
    const fs::path out = fs::temp_directory_path() / ("sortie-assets-" + std::string(tag) + "-" + std::to_string(getpid()));
    fs::remove_all(out);
    const std::string command = std::string(SORTIE_BINARY_DIR) + "/tools/sortie-assets " + out.string();
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return out;
}

std::map<std::string, std::string> allFiles(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file()) files[fs::relative(entry.path(), root).string()] = readWhole(entry.path());
    return files;
}

// Script tokens as the loader cuts them: space, comma and line feed separate, carriage
// returns vanish.
std::vector<std::string> scriptTokens(const std::string& text) {
    std::vector<std::string> tokens;
    std::string token;
    for (char c : text) {
        if (c == ' ' || c == ',' || c == '\n') {
            if (!token.empty()) tokens.push_back(token);
            token.clear();
        } else if (c != '\r') {
            token += c;
        }
    }
    if (!token.empty()) tokens.push_back(token);
    return tokens;
}

// Numeric lines of the character list and the stage files: fields split at commas and
// spaces, "/" starts a comment.
std::vector<std::vector<int>> numericLines(const fs::path& p) {
    std::vector<std::vector<int>> lines;
    std::istringstream in(readWhole(p));
    std::string line;
    while (std::getline(in, line)) {
        line = line.substr(0, line.find('/'));
        if (line.find_first_of(", ") == std::string::npos) continue;
        std::vector<int> fields;
        std::string field;
        for (char c : line + ",") {
            if (c == ',' || c == ' ') {
                fields.push_back(field.empty() ? 0 : std::stoi(field));
                field.clear();
            } else if (c != '\r') {
                field += c;
            }
        }
        lines.push_back(fields);
    }
    return lines;
}

bool opaqueEverywhere(const Surface& s, const SheetRect& r) {
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w * r.frames; ++x)
            if (s.row(y)[x] == kBlack) return false;
    return true;
}

bool anyInk(const Surface& s, int x0, int y0, int w, int h) {
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x)
            if (s.row(y)[x] != kBlack) return true;
    return false;
}

}  // namespace

TEST(Assets, GeneratorAnswersHelpAndVersionAndRefusesBadArgumentsWritingNothing) {
    const std::string program = std::string(SORTIE_BINARY_DIR) + "/tools/sortie-assets";
    const fs::path here = fs::temp_directory_path() / ("sortie-assets-args-" + std::to_string(getpid()));
    fs::create_directories(here);
    const auto run = [&](const std::string& args) {
        const int status = std::system(("cd '" + here.string() + "' && '" + program + "' " + args +
                                        " >out.txt 2>err.txt").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(run("--help"), 0);
    EXPECT_EQ(readWhole(here / "out.txt").rfind("usage: sortie-assets [--icons] OUTDIR\n", 0), 0u);
    EXPECT_EQ(run("--version"), 0);
    EXPECT_EQ(readWhole(here / "out.txt"), std::string("sortie-assets ") + SORTIE_VERSION + "\n");
    for (const char* bad : {"--bogus", "", "one two", "--icons=yes one", "--icons"}) {
        EXPECT_EQ(run(bad), 2) << bad;
        EXPECT_EQ(linesOf(readWhole(here / "err.txt")).size(), 1u) << bad;
    }
    EXPECT_FALSE(fs::exists(here / "--bogus"));
    EXPECT_FALSE(fs::exists(here / "one"));
    fs::remove_all(here);
}

// The icons: a PNG of each size with an alpha channel, the mech over transparent corners.
TEST(Assets, IconsComeAtEverySizeTheDesktopTakesWithAClearBackground) {
    const fs::path here = fs::temp_directory_path() / ("sortie-icons-" + std::to_string(getpid()));
    const std::string command = std::string(SORTIE_BINARY_DIR) + "/tools/sortie-assets --icons '" + here.string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    auto bigEndian = [](const std::string& bytes, size_t at) {
        uint32_t value = 0;
        for (size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
        return value;
    };
    for (int size : {16, 24, 32, 48, 64, 128, 256, 512}) {
        const std::string side = std::to_string(size);
        const std::string png = readWhole(here / (side + "x" + side) / "apps" / "sortie.png");
        ASSERT_GT(png.size(), 33u) << size;
        EXPECT_EQ(png.substr(1, 3), "PNG");
        EXPECT_EQ(bigEndian(png, 16), static_cast<uint32_t>(size));  // the header's width and height
        EXPECT_EQ(bigEndian(png, 20), static_cast<uint32_t>(size));
        EXPECT_EQ(png[25], 6) << "not RGBA";
    }
    // The corner is clear and the mech covers a good part of the square (ImageMagick reads
    // the alpha channel back).
    if (std::system("command -v convert >/dev/null") == 0) {
        const std::string alpha = (here / "alpha.txt").string();
        ASSERT_EQ(std::system(("convert '" + (here / "64x64/apps/sortie.png").string() +
                               "' -format '%[fx:p{0,0}.a] %[fx:mean.a]' info: >'" + alpha + "'").c_str()),
                  0);
        std::istringstream read(readWhole(alpha));
        double corner = 1, covered = 0;
        read >> corner >> covered;
        EXPECT_EQ(corner, 0);
        EXPECT_GT(covered, 0.25);
        EXPECT_LT(covered, 0.9);
    }
    fs::remove_all(here);
}

TEST(Assets, GeneratorGivesTheSameBytesEveryRun) {
    const fs::path a = generate("a"), b = generate("b");
    const auto first = allFiles(a), second = allFiles(b);
    EXPECT_GT(first.size(), 30u);
    ASSERT_EQ(first.size(), second.size());
    for (const auto& [name, bytes] : first) {
        ASSERT_TRUE(second.count(name)) << name;
        EXPECT_TRUE(bytes == second.at(name)) << name << " differs between two runs";
    }
    fs::remove_all(a);
    fs::remove_all(b);
}

TEST(Assets, SheetHoldsEveryPictureInsideTheMaskedArea) {
    const fs::path out = generate("sheet");
    Surface sheet;
    ASSERT_TRUE(readBitmapFile((out / "bmp" / "char.bmp").string().c_str(), sheet));
    EXPECT_EQ(sheet.width, sheet::kSheetWidth);
    EXPECT_EQ(sheet.height, sheet::kSheetHeight);

    // The banners sit where both stages copy them from, opaque over their whole area.
    EXPECT_EQ(sheet::kWonBanner.x, 0);
    EXPECT_EQ(sheet::kWonBanner.y, 82);
    EXPECT_EQ(sheet::kLostBanner.x, 0);
    EXPECT_EQ(sheet::kLostBanner.y, 101);
    for (const SheetRect& banner : {sheet::kWonBanner, sheet::kLostBanner}) {
        EXPECT_EQ(banner.w, 138);
        EXPECT_EQ(banner.h, 19);
        EXPECT_TRUE(opaqueEverywhere(sheet, banner)) << banner.name;
    }
    EXPECT_TRUE(opaqueEverywhere(sheet, sheet::kSeaTile));
    EXPECT_TRUE(opaqueEverywhere(sheet, sheet::kLavaTile));

    // Every rectangle lies inside 800 x 600, overlaps no other, and every frame shows
    // something.
    for (const SheetRect& r : sheet::kAll) {
        EXPECT_GE(r.x, 0) << r.name;
        EXPECT_GE(r.y, 0) << r.name;
        EXPECT_LE(r.x + r.w * r.frames, sheet::kSheetWidth) << r.name;
        EXPECT_LE(r.y + r.h, sheet::kSheetHeight) << r.name;
        for (int f = 0; f < r.frames; ++f) EXPECT_TRUE(anyInk(sheet, r.x + f * r.w, r.y, r.w, r.h)) << r.name << " frame " << f;
        for (const SheetRect& other : sheet::kAll) {
            if (&other == &r) continue;
            const bool apart = r.x + r.w * r.frames <= other.x || other.x + other.w * other.frames <= r.x ||
                               r.y + r.h <= other.y || other.y + other.h <= r.y;
            EXPECT_TRUE(apart) << r.name << " overlaps " << other.name;
        }
    }
    fs::remove_all(out);
}

TEST(Assets, SoundsAreShortSixteenBitMonoPcm) {
    const fs::path out = generate("wav");
    uintmax_t total = 0;
    for (const auto& entry : fs::directory_iterator(out / "wav")) {
        const std::string bytes = readWhole(entry.path());
        ASSERT_GE(bytes.size(), 44u) << entry.path();
        auto u16 = [&](size_t at) { return static_cast<unsigned>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8); };
        EXPECT_EQ(bytes.substr(0, 4), "RIFF");
        EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
        EXPECT_EQ(u16(20), 1u) << "PCM";
        EXPECT_EQ(u16(22), 1u) << "mono";
        EXPECT_EQ(u16(24), 22050u);
        EXPECT_EQ(u16(34), 16u);
        total += bytes.size();
    }
    EXPECT_LT(total, 10u * 1024 * 1024);
    fs::remove_all(out);
}

// Every picture, sound and script that the content names exists: paths in the scripts,
// the backgrounds and music of the stage files, the spawn sounds of the templates, and
// every template a stage file places.
TEST(Assets, EveryFileTheContentNamesExists) {
    const fs::path out = generate("names");
    std::set<std::string> missing;
    auto need = [&](const fs::path& p, const std::string& from) {
        if (!fs::exists(p)) missing.insert(p.string() + " (named by " + from + ")");
    };

    for (const auto& entry : fs::directory_iterator(kContent)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".dat") continue;
        for (const std::string& token : scriptTokens(readWhole(entry.path()))) {
            if (token.rfind("bmp/", 0) == 0 || token.rfind("wav/", 0) == 0) need(out / token, name);
            if (token.rfind("data/", 0) == 0) need(kContent / token.substr(5), name);
        }
    }
    need(kContent / "advfile.dat", "the engine");
    need(out / "bmp" / "format.bmp", "the engine");
    need(out / "bmp" / "char.bmp", "the engine");
    need(out / "bmp" / "zyunbi.bmp", "the engine");
    for (const char* sound : {"shot00", "mehit", "win", "lost"}) need(out / "wav" / (std::string(sound) + ".wav"), "the engine");

    std::set<int> templates;
    for (const auto& f : numericLines(kContent / "charlist.txt")) {
        ASSERT_GE(f.size(), 18u);
        templates.insert(f[0]);
        if (f[12] != 0) need(out / "wav" / ("se" + std::to_string(f[12]) + ".wav"), "template " + std::to_string(f[0]));
        // The sprite is one of the sheet's rectangles (or its first frame).
        bool onSheet = false;
        for (const SheetRect& r : sheet::kAll) onSheet |= r.x == f[1] && r.y == f[2] && r.w == f[3] && r.h == f[4];
        EXPECT_TRUE(onSheet) << "template " << f[0] << " shows no rectangle of the sheet";
    }
    EXPECT_TRUE(templates.count(0)) << "the player's template";
    EXPECT_TRUE(templates.count(63)) << "the track mark";

    for (const auto& entry : fs::directory_iterator(kContent)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("level", 0) != 0) continue;
        for (const auto& f : numericLines(entry.path())) {
            if (f[0] == 50)
                for (int k = 1; k <= 3; ++k) need(out / "bmp" / ("back" + std::to_string(f[k]) + ".bmp"), name);
            if (f[0] == 61) need(out / "wav" / ("level" + std::to_string(f[1]) + ".wav"), name);
            if (f[0] == 54 && f.size() > 6) {
                EXPECT_TRUE(f[6] >= 600 || (f[4] > 0 && f[5] > 0)) << name << ": a ground tile needs a size";
            }
            if (f[0] == 53) {
                EXPECT_TRUE(templates.count(f[1])) << name << " places template " << f[1] << ", which is not in the list";
            }
        }
    }
    for (const std::string& m : missing) ADD_FAILURE() << "missing " << m;
    fs::remove_all(out);
}
