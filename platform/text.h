// Text drawing as the game's screens need it: black glyphs on an opaque white background,
// left- and top-aligned in a rectangle, clipped to it, no wrapping; "&" underlines the next
// character and "&&" draws one ampersand. Bytes are read as UTF-8.
#pragma once
#include <string>

struct Surface;

// Draws `length` bytes of `text` into the rectangle [left, right) x [top, bottom) of dst.
void drawText(Surface& dst, int left, int top, int right, int bottom, const char* text, int length);

// Where GNU Unifont is: beside the program (a build places a copy there, an install under
// share/sortie/), else what fontconfig names, else where Debian puts it; empty when none of
// them holds it. The game draws with it, and the web export packs it.
std::string findUnifont();
