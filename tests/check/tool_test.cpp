// sortie-check as a command: its arguments, its output and its exit status.
#include "tests/check/check_fixture.h"

namespace {

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

ToolRun runTool(std::vector<const char*> args) {
    args.insert(args.begin(), "sortie-check");
    char* outText = nullptr;
    char* errText = nullptr;
    size_t outSize = 0;
    size_t errSize = 0;
    std::FILE* out = open_memstream(&outText, &outSize);
    std::FILE* err = open_memstream(&errText, &errSize);
    const int status = runCheckTool(static_cast<int>(args.size()), args.data(), out, err);
    std::fclose(out);
    std::fclose(err);
    ToolRun r{status, std::string(outText, outSize), std::string(errText, errSize)};
    std::free(outText);
    std::free(errText);
    return r;
}

}  // namespace

TEST_F(CheckTest, CleanFolderPassesWithStatusZero) {
    cleanGame();
    const ToolRun r = runTool({});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "0 errors, 0 warnings\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(CheckTest, WarningsAloneGiveStatusZeroAndErrorsOne) {
    cleanGame();
    write("data/advfile.dat", "wait\nend\n");
    ToolRun r = runTool({"."});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "data/advfile.dat:1: warning: \"wait\" is no keyword: it is skipped\n0 errors, 1 warnings\n");
    write("data/advfile.dat", "varset 32 0\nwait\nend\n");
    r = runTool({});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out,
              "data/advfile.dat:1: error: variable 32 is outside 0 to 31\n"
              "data/advfile.dat:2: warning: \"wait\" is no keyword: it is skipped\n"
              "1 errors, 1 warnings\n");
}

TEST_F(CheckTest, FindingsAreGroupedByFileInTheOrderReached) {
    cleanGame();
    write("data/advfile.dat", "call data/b.dat\nwait\n");
    write("data/b.dat", "wait\nkh 1\nend\n");
    write("data/level1.txt", "50,1,1,1\n54,4,0,500,64,32,568\n53,5,1,0,600,200,3,0\n62,1\n" + std::string(kFence));
    EXPECT_EQ(report(), (std::vector<std::string>{
                            "data/advfile.dat:2: warning: never run: every way through the script ends before this "
                            "line (at line 1)",
                            "data/b.dat:1: warning: \"wait\" is no keyword: it is skipped",
                            "data/level1.txt:4: warning: command code 62 is not 50, 53, 54 or 61: the line is ignored",
                            "0 errors, 3 warnings"}));
}

TEST_F(CheckTest, FolderArgumentPrefixesTheFileNames) {
    cleanGame();
    write("data/advfile.dat", "wait\nend\n");
    std::filesystem::current_path(folder.parent_path());
    const std::string name = folder.filename().string() + "/";
    const ToolRun r = runTool({name.c_str()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, folder.filename().string() + "/data/advfile.dat:1: warning: \"wait\" is no keyword: it is "
                                                  "skipped\n0 errors, 1 warnings\n");
    EXPECT_EQ(std::filesystem::current_path(), folder.parent_path());  // left where it was
}

TEST_F(CheckTest, BadArgumentsGiveStatusTwo) {
    for (const std::vector<const char*>& args : std::vector<std::vector<const char*>>{
             {"--frames"}, {".", "."}, {"no-such-folder"}, {"data/../bmp/../no"}}) {
        const ToolRun r = runTool(args);
        EXPECT_EQ(r.status, 2) << args[0];
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    write("data/file", "");
    EXPECT_EQ(runTool({"data/file"}).status, 2);
}

TEST_F(CheckTest, AnswersHelpAndVersion) {
    EXPECT_EQ(runTool({"--help"}).out.rfind("usage: sortie-check [GAME_DIR]\n", 0), 0u);
    const ToolRun r = runTool({"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string("sortie-check ") + SORTIE_VERSION + "\n");
}

TEST_F(CheckTest, EmptyFolderReportsTheStartUpFiles) {
    const ToolRun r = runTool({});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out,
              "data/advfile.dat:0: error: the first script is missing\n"
              "data/charlist.txt:0: error: the character list is missing\n"
              "bmp/format.bmp:0: error: start-up picture is missing\n"
              "bmp/char.bmp:0: error: start-up picture is missing\n"
              "4 errors, 0 warnings\n");
}
