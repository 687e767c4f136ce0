// The engine's own sine, cosine and arctangent. A frame's motion depends on them, and the C
// libraries disagree with each other in the last bit on a few percent of arguments, so these
// are computed here from plain IEEE double operations (no fused multiply-add, no long double)
// and round correctly: the same argument gives the same bits on every compiler, C library
// and processor. Square roots stay with the C library: IEEE makes sqrt correctly rounded
// everywhere.
#pragma once

// Correctly rounded for finite arguments (radians, any magnitude), short of a value within
// about 2^-100 (relative) of a halfway point between two doubles, where the last bit could
// go either way, the same way on every target. An infinity or a NaN gives one fixed quiet
// NaN, whatever the processor would make of it.
double engineSin(double x);
double engineCos(double x);

// Both at once, the same bits as the two calls, for a little over the cost of one: the
// stages move along headings.
struct SineCosine {
    double sine, cosine;
};
SineCosine engineSinCos(double x);

// Arctangent, rounded the same way, -pi/2 to pi/2; +-infinity give +-pi/2 rounded, a NaN
// the fixed quiet NaN.
double engineAtan(double x);
