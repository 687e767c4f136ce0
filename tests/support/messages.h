// Window messages in tests: packed positions, and comparing what a back end delivered with
// what it should have.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/platform.h"

// A mouse position packed as mouse messages carry it.
inline int64_t at(int x, int y) { return (static_cast<int64_t>(y) << 16) | x; }

// Every message `source` has now.
inline std::vector<Message> drain(Platform& source) {
    std::vector<Message> got;
    for (Message m; source.peekMessage(m);) got.push_back(m);
    return got;
}

// Every message `source` has now and over the frames after: a release that came in the pump
// of its press waits for a frame to have seen the press.
inline std::vector<Message> drainOverFrames(Platform& source, int frames = 64) {
    std::vector<Message> got = drain(source);
    for (int frame = 1; frame <= frames; ++frame) {
        source.frameStarted(frame);
        for (Message m; source.peekMessage(m);) got.push_back(m);
    }
    return got;
}

inline void expectMessages(const std::vector<Message>& got, const std::vector<Message>& expected) {
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].code, expected[i].code) << "message " << i;
        EXPECT_EQ(got[i].wParam, expected[i].wParam) << "message " << i;
        EXPECT_EQ(got[i].lParam, expected[i].lParam) << "message " << i;
    }
}
