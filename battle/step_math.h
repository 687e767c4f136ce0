// Integer steps of the battle stage along a heading (sums wrap through wrapAdd, in world.h).
#pragma once
#include <cstdint>

// A step along a heading, truncated toward zero; a heading that is not a number moves nothing.
inline int64_t truncStep(double v) { return v == v ? static_cast<int64_t>(v) : 0; }
