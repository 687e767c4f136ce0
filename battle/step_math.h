// Integer steps of the battle stage. Positions, counters and hit points wrap like the 32-bit
// fields they are instead of overflowing, however far objects drive or however large the
// data's values are.
#pragma once
#include <cstdint>

inline int32_t wrapAdd(int32_t value, int64_t delta) {
    return static_cast<int32_t>(static_cast<uint32_t>(value) + static_cast<uint32_t>(delta));
}

// A step along a heading, truncated toward zero; a heading that is not a number moves nothing.
inline int64_t truncStep(double v) { return v == v ? static_cast<int64_t>(v) : 0; }
