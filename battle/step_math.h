// Integer steps of the battle stage. Positions, counters and hit points wrap like the 32-bit
// fields they are instead of overflowing, however far objects drive or however large the
// data's values are; distances come from exact 64-bit differences.
#pragma once
#include <cmath>
#include <cstdint>

inline int32_t wrapAdd(int32_t value, int64_t delta) {
    return static_cast<int32_t>(static_cast<uint32_t>(value) + static_cast<uint32_t>(delta));
}

// A step along a heading, truncated toward zero; a heading that is not a number moves nothing.
inline int64_t truncStep(double v) { return v == v ? static_cast<int64_t>(v) : 0; }

// Square root of the exact sum of squares, truncated toward zero: the same value as
// truncatedDistance. Differences below 2^31 sum their squares in 64 bits, the common and
// much faster case; the sum is exact and rounded to double once either way.
inline int64_t distanceOf(int64_t dx, int64_t dy) {
    const uint64_t mx = dx < 0 ? 0 - static_cast<uint64_t>(dx) : static_cast<uint64_t>(dx);
    const uint64_t my = dy < 0 ? 0 - static_cast<uint64_t>(dy) : static_cast<uint64_t>(dy);
    constexpr uint64_t kSmall = uint64_t{1} << 31;
    if (mx < kSmall && my < kSmall) return static_cast<int64_t>(std::sqrt(static_cast<double>(mx * mx + my * my)));
    const unsigned __int128 sum = static_cast<unsigned __int128>(mx) * mx + static_cast<unsigned __int128>(my) * my;
    return static_cast<int64_t>(std::sqrt(static_cast<double>(sum)));
}
