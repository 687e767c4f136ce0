// Reading BMP files (any depth the platform's decoder understands) into surfaces.
#pragma once

struct Surface;

// Reads the bitmap file at `path` at its own size into `out`. Returns false, leaving `out`
// untouched, when the file is missing or is not a readable bitmap.
bool readBitmapFile(const char* path, Surface& out);

// Writes `s` as an uncompressed 24-bit BMP file (for shots and generated assets).
bool writeBitmapFile(const char* path, const Surface& s);

// Writes `s` as a 24-bit PNG file (screenshots and shots that people look at).
bool writePngFile(const char* path, const Surface& s);
