// The examples of the authoring guide: its "file" blocks build a game folder, its "media"
// blocks list the pictures and sounds the folder holds, and each console block that runs
// sortie-check gives the report expected for the folder as built so far.
#include <fstream>
#include <sstream>

#include "tests/check/check_fixture.h"

namespace {

std::vector<std::string> guideLines() {
    std::ifstream in(SORTIE_SOURCE_DIR "/docs/authoring.md");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace

TEST_F(CheckTest, GuideExamplesGiveTheReportsTheyShow) {
    const std::vector<std::string> lines = guideLines();
    ASSERT_FALSE(lines.empty());
    int examples = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].rfind("```", 0) != 0) continue;
        const std::string info = lines[i].substr(3);
        std::vector<std::string> block;
        size_t end = i + 1;
        for (; end < lines.size() && lines[end] != "```"; ++end) block.push_back(lines[end]);
        ASSERT_LT(end, lines.size()) << "unclosed block at line " << i + 1;

        if (info.rfind("file ", 0) == 0) {
            const std::filesystem::path path = info.substr(5);
            std::filesystem::create_directories(path.parent_path());
            std::string text;
            for (const std::string& l : block) text += l + "\n";
            write(path.string(), text);
        } else if (info == "media") {
            for (const std::string& l : block) {
                if (l.size() > 4 && l.compare(l.size() - 4, 4, ".bmp") == 0) {
                    picture(l);
                } else {
                    sound(l);
                }
            }
        } else if (info == "console" && !block.empty() && block[0] == "$ sortie-check") {
            const std::vector<std::string> expected(block.begin() + 1, block.end());
            std::string shown;
            for (const std::string& l : report()) shown += l + "\n";
            std::string wanted;
            for (const std::string& l : expected) wanted += l + "\n";
            EXPECT_EQ(shown, wanted) << "example ending at line " << end + 1 << " of docs/authoring.md";
            ++examples;
        }
        i = end;
    }
    EXPECT_GE(examples, 2);
}
