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

inline void expectMessages(const std::vector<Message>& got, const std::vector<Message>& expected) {
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].code, expected[i].code) << "message " << i;
        EXPECT_EQ(got[i].wParam, expected[i].wParam) << "message " << i;
        EXPECT_EQ(got[i].lParam, expected[i].lParam) << "message " << i;
    }
}
