// A small game folder for the checker tests: a clean game that every test starts from, and
// the checker's report on it as printed lines.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/bitmap.h"
#include "platform/surface.h"
#include "support/test_files.h"
#include "tools/check/check.h"

// Rows 40 (a block, which fences the battle field), 0 (the player, a kind-0 unit firing row
// 2), 2 (its shot), 5 (an opponent unit that fires row 2 in a pattern and leaves row 6), 6
// (an explosion) and 63 (the battle trail mark). The columns:
//   No LEF TOP WID HEI HP  BP  SP  SIZ WEP BLA TYP SE  DEA TAX TAY GRA LEN
constexpr const char* kCleanCharList =
    "040,000,400,032,032,999,000,000,016,000,000,002,000,000,000,000,000,000\n"
    "000,000,000,032,032,010,001,004,016,002,005,000,000,000,000,032,000,100\n"
    "002,000,040,008,008,001,001,008,004,000,000,001,001,000,000,000,000,000\n"
    "005,000,100,032,032,003,001,002,016,002,000,000,000,006,000,000,000,000\n"
    "006,000,200,032,032,001,000,000,000,000,000,005,000,000,000,000,000,000\n"
    "063,000,300,016,016,001,000,000,000,000,000,005,000,000,000,000,000,000\n";

// A stage-file line that places the block of row 40 below the screen: a battle stage without
// any block is a warning of its own.
constexpr const char* kFence = "53,40,1,0,400,640,0,0\n";

class CheckTest : public ::testing::Test {
protected:
    std::filesystem::path home;
    std::filesystem::path folder;

    void SetUp() override {
        home = std::filesystem::current_path();
        char pattern[] = "/tmp/sortie-check-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        std::filesystem::current_path(folder);
        for (const char* dir : {"data", "bmp", "wav"}) std::filesystem::create_directory(dir);
    }

    void TearDown() override {
        std::filesystem::current_path(home);
        std::filesystem::remove_all(folder);
    }

    static void write(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }

    static void remove(const std::string& path) { std::filesystem::remove(path); }

    static void picture(const std::string& path, int w = kScreenWidth, int h = kScreenHeight) {
        Surface s;
        resizeSurface(s, w, h, kWhite);
        ASSERT_TRUE(writeBitmapFile(path.c_str(), s));
    }

    // A short wave file: the checker asks whether the mixer could play it.
    static void sound(const std::string& path) { ASSERT_TRUE(writeWav(path, 10)); }

    // A game without a single problem: a title screen, then a shooting stage and a battle
    // stage on the same stage file, which places one opponent of row 5 and, below the
    // screen, one block.
    void cleanGame() {
        // Only the character sheet's size matters to the checker; the others stay small.
        picture("bmp/char.bmp");
        for (const char* p : {"bmp/format.bmp", "bmp/zyunbi.bmp", "bmp/title.bmp", "bmp/back1.bmp"}) picture(p, 8, 8);
        for (const char* s : {"wav/shot00.wav", "wav/mehit.wav", "wav/win.wav", "wav/lost.wav", "wav/theme.wav",
                              "wav/level1.wav", "wav/se1.wav"})
            sound(s);
        write("data/advfile.dat", "bgm wav/theme.wav\nbmp bmp/title.bmp\nshoot 1\nkh 1\nend\n");
        write("data/charlist.txt", kCleanCharList);
        write("data/level1.txt", "50,1,1,1\n54,4,0,500,64,32,568\n53,5,1,0,600,200,3,0\n61,1\n" + std::string(kFence));
    }

    // The printed report, one line each, the summary last; file names under `prefix` as when
    // the folder is given by that name.
    static std::vector<std::string> report(const std::string& prefix = "") {
        char* buffer = nullptr;
        size_t size = 0;
        std::FILE* out = open_memstream(&buffer, &size);
        printReport(checkGameFolder(), prefix, out);
        std::fclose(out);
        const std::string text(buffer, size);
        std::free(buffer);
        std::vector<std::string> lines;
        for (size_t start = 0; start < text.size();) {
            const size_t end = text.find('\n', start);
            lines.push_back(text.substr(start, end - start));
            start = end + 1;
        }
        return lines;
    }
};

// Expects the report to hold this line, and shows the whole report when it does not.
#define EXPECT_REPORTS(line)                                                                          \
    do {                                                                                              \
        const std::vector<std::string> lines_ = report();                                             \
        std::string all_;                                                                             \
        for (const std::string& l_ : lines_) all_ += l_ + "\n";                                       \
        EXPECT_NE(std::find(lines_.begin(), lines_.end(), std::string(line)), lines_.end()) << all_; \
    } while (0)

// Expects the summary line, and shows the whole report when it differs.
#define EXPECT_SUMMARY(summary)                                         \
    do {                                                                \
        const std::vector<std::string> lines_ = report();               \
        std::string all_;                                               \
        for (const std::string& l_ : lines_) all_ += l_ + "\n";         \
        EXPECT_EQ(lines_.back(), std::string(summary)) << all_;         \
    } while (0)
