// Saved states that must be refused: of another game, of a changed game, of another format,
// cut short anywhere, with any byte changed; each refusal is one line and leaves the game
// exactly as it was. Whole runs from saved states are compared in tests/playthrough.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "app/main_loop.h"
#include "app/save_state.h"
#include "platform/data_file.h"
#include "platform/headless_platform.h"
#include "support/demo_folder.h"
#include "support/test_files.h"

namespace {

namespace fs = std::filesystem;

class SaveState : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/sortie-state-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root = pattern;
        ASSERT_EQ(copyDemoGame(root / "game"), "");
        fs::current_path(root / "game");
        platform = &hp;
        // The battle practice's stage, some frames in: a table with units, shots and music.
        startUp(StartPoint{"./data/advfile.dat", kBattleHandOver, 2});
        for (int frame = 1; frame <= 60; ++frame) {
            hp.post(WM_RBUTTONDOWN);
            while (!loopPass()) {
            }
        }
        state = encodeGameState();
        payload = gameStatePayload();
    }
    void TearDown() override {
        shutDown();
        platform = nullptr;
        std::error_code ec;
        fs::current_path("/", ec);
        fs::remove_all(root, ec);
    }

    // Applying `bytes` is refused, the game as it was.
    ::testing::AssertionResult refused(const std::vector<uint8_t>& bytes) {
        std::string error;
        if (applyGameState(bytes.data(), bytes.size(), error)) return ::testing::AssertionFailure() << "applied";
        if (error.empty() || error.find('\n') != std::string::npos)
            return ::testing::AssertionFailure() << "not one line: '" << error << "'";
        if (gameStatePayload() != payload) return ::testing::AssertionFailure() << "the game changed: " << error;
        return ::testing::AssertionSuccess() << error;
    }

    fs::path root;
    HeadlessPlatform hp;
    std::vector<uint8_t> state;
    std::vector<uint8_t> payload;  // the state uncompressed
};

TEST_F(SaveState, AStateOfTheGameLoadsBackToTheSameBytesAndFrames) {
    ASSERT_GE(liveSlotEnd, 2);
    std::string error;
    for (int frame = 0; frame < 30; ++frame)
        while (!loopPass()) {
        }
    const std::vector<uint8_t> later = encodeGameState();
    ASSERT_NE(later, state);
    ASSERT_TRUE(applyGameState(state.data(), state.size(), error)) << error;
    EXPECT_EQ(frameCount, 60);
    EXPECT_EQ(encodeGameState(), state);
    for (int frame = 0; frame < 30; ++frame)
        while (!loopPass()) {
        }
    EXPECT_EQ(encodeGameState(), later);
}

TEST_F(SaveState, CutShortOrChangedStatesAreRefused) {
    std::mt19937 random(23);
    for (size_t i = 0; i < kSaveStateHeaderBytes + 24; ++i) {
        const size_t length = i <= kSaveStateHeaderBytes ? i : random() % state.size();
        ASSERT_TRUE(refused(std::vector<uint8_t>(state.begin(), state.begin() + static_cast<long>(length))))
            << "cut at " << length;
    }
    for (int i = 0; i < static_cast<int>(kSaveStateHeaderBytes) + 40; ++i) {
        std::vector<uint8_t> changed = state;
        const size_t at = i < static_cast<int>(kSaveStateHeaderBytes) ? i : random() % changed.size();
        changed[at] ^= static_cast<uint8_t>(1 + random() % 255);
        ASSERT_TRUE(refused(changed)) << "byte " << at << " changed";
    }
    std::vector<uint8_t> longer = state;
    longer.push_back(0);
    EXPECT_TRUE(refused(longer));
}

TEST_F(SaveState, ForgedStatesWithBadValuesAreRefused) {
    auto wrapped = [&](const std::vector<uint8_t>& p) { return wrapGameStatePayload(p.data(), p.size(), 60); };
    std::string error;
    EXPECT_TRUE(applyGameState(wrapped(payload).data(), wrapped(payload).size(), error)) << error;
    // Another format, and the state's own frame unlike its header's.
    std::vector<uint8_t> older = state;
    older[8] = 0;
    EXPECT_TRUE(refused(older));
    const std::vector<uint8_t> otherFrame = wrapGameStatePayload(payload.data(), payload.size(), 61);
    EXPECT_TRUE(refused(otherFrame));
    // Bytes set to 0xFF over the records' sizes and the fields before the script (the first
    // 800 bytes): texts lose their ends, counts go out of range. Whatever is not refused
    // must play.
    for (size_t at = 0; at < 800; at += at < 32 ? 1 : 23) {
        std::vector<uint8_t> p = payload;
        p[at] = 0xFF;
        const std::vector<uint8_t> file = wrapped(p);
        std::string why;
        if (applyGameState(file.data(), file.size(), why)) {
            while (!loopPass()) {
            }
            ASSERT_TRUE(applyGameState(state.data(), state.size(), why)) << why;
        }
    }
    std::vector<uint8_t> shorter(payload.begin(), payload.end() - 1);
    EXPECT_TRUE(refused(wrapped(shorter)));
}

TEST_F(SaveState, StatesOfAnotherOrAChangedGameAreRefused) {
    ASSERT_EQ(copyDemoGame(root / "changed"), "");
    fs::current_path(root / "changed");
    std::vector<uint8_t> picture;
    ASSERT_EQ(readDataFile("bmp/char.bmp", int64_t{1} << 30, picture), FileState::Ok);
    picture.back() ^= 1;
    ASSERT_TRUE(writeText("bmp/char.bmp", std::string(picture.begin(), picture.end())));
    std::string error;
    EXPECT_FALSE(applyGameState(state.data(), state.size(), error));
    EXPECT_NE(error.find("another game"), std::string::npos) << error;
    // The same game in another folder is the same game.
    ASSERT_EQ(copyDemoGame(root / "copy"), "");
    fs::current_path(root / "copy");
    EXPECT_TRUE(applyGameState(state.data(), state.size(), error)) << error;
}

}  // namespace
