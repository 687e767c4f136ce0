// Saved states against whole runs: every route of this folder is played once, saving the
// state at a dozen frames spread over it, and each state is then loaded and played to the
// route's end with the rest of its input. Each of those runs must end as the whole run did:
// the same summary, the same trace from the state's frame on, the same window at the next
// saved frame and at the end, the same character list; and a state saved again right after
// loading is the same file.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/build_paths.h"
#include "support/demo_folder.h"
#include "support/test_files.h"

namespace {

namespace fs = std::filesystem;

struct Route {
    const char* name;
    int frames;
    const char* before;  // a route played first, into the same player's folder; or null
    int beforeFrames;
};

const Route kRoutes[] = {
    {"story_won", 4433, nullptr, 0},       {"story_setbacks", 3531, nullptr, 0},
    {"practice_shooting", 579, nullptr, 0}, {"practice_battle", 860, nullptr, 0},
    {"armory_first", 170, nullptr, 0},      {"armory_second", 266, "armory_first", 170},
};

constexpr int kStates = 12;

struct RouteRun {
    int status = -1;
    std::string summary;
    std::vector<std::string> trace;
    std::string errors;
};

std::string routeFile(const std::string& name) {
    return std::string(SORTIE_SOURCE_DIR) + "/tests/playthrough/" + name + ".txt";
}

RouteRun replay(const std::string& arguments) {
    const std::string command = std::string("'") + SORTIE_REPLAY_PROGRAM + "' " + arguments +
                                " --trace trace.txt game >summary.txt 2>errors.txt";
    const int status = std::system(command.c_str());
    RouteRun run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.summary = readWhole("summary.txt");
    run.trace = linesOf(readWhole("trace.txt"));
    run.errors = readWhole("errors.txt");
    return run;
}

std::vector<std::string> traceAfter(const std::vector<std::string>& trace, int frame) {
    std::vector<std::string> after;
    for (const std::string& line : trace)
        if (std::stoi(line.substr(0, line.find(' '))) > frame) after.push_back(line);
    return after;
}

class SavedStates : public ::testing::TestWithParam<Route> {
protected:
    void SetUp() override {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/sortie-states-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern;
        fs::current_path(folder);
        ASSERT_EQ(copyDemoGame("game"), "");
    }
    void TearDown() override {
        std::error_code ec;
        fs::current_path("/", ec);
        fs::remove_all(folder, ec);
    }
    fs::path folder;
};

TEST_P(SavedStates, EveryStateContinuesAsTheWholeRun) {
    const Route route = GetParam();
    fs::create_directories("before");
    if (route.before) {
        const RouteRun before = replay("--frames " + std::to_string(route.beforeFrames) + " --input '" +
                                  routeFile(route.before) + "' --data before");
        ASSERT_EQ(before.status, 0) << before.errors;
    }
    std::vector<int> saves;
    for (int i = 1; i <= kStates; ++i) saves.push_back(route.frames * i / (kStates + 1));

    const std::string common = "--frames " + std::to_string(route.frames) + " --input '" + routeFile(route.name) + "'";
    fs::copy("before", "whole", fs::copy_options::recursive);
    std::string arguments = common + " --data whole --shot " + std::to_string(route.frames) + "=whole-end.bmp";
    for (int f : saves) {
        arguments += " --save " + std::to_string(f) + "=state-" + std::to_string(f) + ".sav";
        arguments += " --shot " + std::to_string(f) + "=whole-" + std::to_string(f) + ".bmp";
    }
    const RouteRun whole = replay(arguments);
    ASSERT_EQ(whole.status, 0) << whole.errors;
    const std::string wholeList = readWhole("whole/data/charlist.txt");
    const std::string beforeList = readWhole("before/data/charlist.txt");

    for (size_t i = 0; i < saves.size(); ++i) {
        const int f = saves[i];
        const std::string state = "state-" + std::to_string(f) + ".sav";
        SCOPED_TRACE("loaded from frame " + std::to_string(f));
        const std::string data = "from-" + std::to_string(f);
        fs::copy("before", data, fs::copy_options::recursive);
        std::string loadArguments = common + " --data " + data + " --load " + state + " --save " + std::to_string(f) +
                                    "=again.sav --shot " + std::to_string(route.frames) + "=end.bmp";
        const bool hasNext = i + 1 < saves.size();
        if (hasNext) loadArguments += " --shot " + std::to_string(saves[i + 1]) + "=next.bmp";
        const RouteRun loaded = replay(loadArguments);
        ASSERT_EQ(loaded.status, 0) << loaded.errors;
        EXPECT_EQ(loaded.summary, whole.summary);
        EXPECT_EQ(loaded.trace, traceAfter(whole.trace, f));
        EXPECT_EQ(readWhole("again.sav"), readWhole(state)) << "a state saved again after loading differs";
        EXPECT_EQ(readWhole("end.bmp"), readWhole("whole-end.bmp"));
        if (hasNext) {
            EXPECT_EQ(readWhole("next.bmp"), readWhole("whole-" + std::to_string(saves[i + 1]) + ".bmp"));
        }
        // The list the run ends with is the whole run's; a state taken after the armory saved
        // plays on with the saved weapons but has nothing more to save.
        const std::string list = readWhole(data + "/data/charlist.txt");
        if (list != beforeList || i == 0) {
            EXPECT_EQ(list, wholeList);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Routes, SavedStates, ::testing::ValuesIn(kRoutes),
                         [](const ::testing::TestParamInfo<Route>& info) { return std::string(info.param.name); });

}  // namespace
