// Drawing of the shooting stage (shootingDraw, declared in shooting.h) and its scroll state.
#pragma once
#include <cstdint>

// Scroll offsets of the middle layer (0 to 800), the near layer (0 to 800) and the ground
// tiles (0 to groundWidth). Kept for the whole run: the scenery of the next stage starts
// where the last one stopped.
extern int32_t shootMidScroll;
extern int32_t shootNearScroll;
extern int32_t shootGroundScroll;
