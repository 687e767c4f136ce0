// The examples of the authoring guide: its "file" blocks build a game folder, its "media"
// blocks list the pictures and sounds the folder holds, and each console block that runs
// sortie-check gives the report expected for the folder as built so far. The first game,
// the files before the first console block, plays through both its stages to its end.
#include <fstream>
#include <sstream>

#include "replay/replay_support.h"
#include "support/build_paths.h"
#include "support/screen_text.h"
#include "tests/check/check_fixture.h"

namespace {

constexpr char kCheckCommand[] = "$ build/tools/sortie-check";

std::vector<std::string> guideLines() {
    std::ifstream in(std::string(SORTIE_SOURCE_DIR) + "/docs/authoring.md");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The block that starts at line `i`: its info string and its lines; `end` is its closing line.
std::vector<std::string> blockAt(const std::vector<std::string>& lines, size_t i, size_t& end) {
    std::vector<std::string> block;
    for (end = i + 1; end < lines.size() && lines[end] != "```"; ++end) block.push_back(lines[end]);
    return block;
}

void writeFile(const std::filesystem::path& path, const std::vector<std::string>& block) {
    std::filesystem::create_directories(path.parent_path());
    std::string text;
    for (const std::string& l : block) text += l + "\n";
    std::ofstream(path, std::ios::binary) << text;
}

}  // namespace

TEST_F(CheckTest, GuideExamplesGiveTheReportsTheyShow) {
    const std::vector<std::string> lines = guideLines();
    ASSERT_FALSE(lines.empty());
    int examples = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].rfind("```", 0) != 0) continue;
        const std::string info = lines[i].substr(3);
        size_t end = 0;
        const std::vector<std::string> block = blockAt(lines, i, end);
        ASSERT_LT(end, lines.size()) << "unclosed block at line " << i + 1;

        if (info.rfind("file ", 0) == 0) {
            writeFile(info.substr(5), block);
        } else if (info == "media") {
            for (const std::string& l : block) {
                if (l.size() > 4 && l.compare(l.size() - 4, 4, ".bmp") == 0) {
                    picture(l);
                } else {
                    sound(l);
                }
            }
        } else if (info == "console" && !block.empty() && block[0].rfind(kCheckCommand, 0) == 0) {
            // The folder named after the command prefixes the file names.
            const std::string folderName = block[0].substr(std::min(block[0].size(), sizeof kCheckCommand));
            const std::vector<std::string> expected(block.begin() + 1, block.end());
            std::string shown;
            for (const std::string& l : report(folderName)) shown += l + "\n";
            std::string wanted;
            for (const std::string& l : expected) wanted += l + "\n";
            EXPECT_EQ(shown, wanted) << "example ending at line " << end + 1 << " of docs/authoring.md";
            ++examples;
        }
        i = end;
    }
    EXPECT_GE(examples, 2);
}

TEST_F(CheckTest, GuideFirstGamePlaysThroughBothStagesToItsEnd) {
    // The pictures and sounds of sortie-new's game, which the first game shares.
    ASSERT_EQ(std::system((std::string(SORTIE_NEW_PROGRAM) + " mygame >/dev/null").c_str()), 0);
    std::filesystem::remove_all("mygame/data");
    const std::vector<std::string> lines = guideLines();
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].rfind("```", 0) != 0) continue;
        if (lines[i] == "```console") break;
        size_t end = 0;
        const std::vector<std::string> block = blockAt(lines, i, end);
        if (lines[i].rfind("```file ", 0) == 0) writeFile("mygame/" + lines[i].substr(8), block);
        i = end;
    }
    std::filesystem::current_path("mygame");
    const replay::ReplayRun run =
        replay::runReplay(1085, std::string("--input ") + SORTIE_SOURCE_DIR + "/tests/check/guide_route.txt", {1085});
    ASSERT_EQ(run.status, 0) << run.err;
    // Both stages handed over (their music) and won; the script went on to the victory screen.
    for (const char* line : {"15 mci open ./././wav/level1.wav alias BGM", "229 mci open ././wav/win.wav alias SHOTVOX",
                             "561 mci open ./././wav/level1.wav alias BGM",
                             "768 mci open ././wav/win.wav alias SHOTVOX"})
        EXPECT_NE(std::find(run.trace.begin(), run.trace.end(), line), run.trace.end()) << line;
    EXPECT_EQ(run.value("mode"), 1);
    EXPECT_EQ(run.value("stage"), 2);
    EXPECT_EQ(run.value("result"), 1);
    EXPECT_TRUE(showsText(replay::shot(1085), 320, 280, "Victory"));
}
