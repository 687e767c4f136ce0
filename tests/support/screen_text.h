// Checks on window shots: a rectangle that matches a picture's, and a script's text where
// the script puts it.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/surface.h"
#include "platform/text.h"

// Script texts take 12 x 24 pixels a byte.
constexpr int kCellWidth = 12;
constexpr int kCellHeight = 24;

// The rectangle (x, y, w, h) of `shown` equals the one at (sx, sy) of `source`.
inline ::testing::AssertionResult sameRect(const Surface& shown, int x, int y, int w, int h, const Surface& source,
                                           int sx, int sy) {
    if (shown.width < x + w || shown.height < y + h || source.width < sx + w || source.height < sy + h)
        return ::testing::AssertionFailure() << "the rectangle lies outside a picture";
    int differ = 0;
    for (int row = 0; row < h; ++row)
        for (int col = 0; col < w; ++col)
            differ += (shown.row(y + row)[x + col] & 0xFFFFFF) != (source.row(sy + row)[sx + col] & 0xFFFFFF);
    if (differ == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << differ << " of " << w * h << " pixels differ";
}

// A script's text at (x, y): drawing it again over the shot changes nothing. Words are
// written with plain spaces here; the scripts join them with no-break spaces.
inline ::testing::AssertionResult showsText(const Surface& shown, int x, int y, const std::string& words) {
    std::string text;
    for (char c : words) text += c == ' ' ? std::string("\xC2\xA0") : std::string(1, c);
    const int length = static_cast<int>(text.size());
    Surface expected = shown;
    drawText(expected, x, y, x + kCellWidth * length, y + kCellHeight, text.c_str(), length);
    const int w = std::min(kCellWidth * length, kScreenWidth - x);
    ::testing::AssertionResult same = sameRect(shown, x, y, w, kCellHeight, expected, x, y);
    if (!same) same << " where \"" << words << "\" should be";
    return same;
}
