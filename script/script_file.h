// The script file format: how a script's bytes become tokens. The game's loader and the
// content checker share this one tokenizer, so both see exactly the same rows.
#pragma once
#include <cstdint>
#include <cstdio>

constexpr int kScriptRows = 1024;
constexpr int kScriptRowSize = 160;
// The longest token a row holds; longer ones are cut here.
constexpr int kScriptTokenMax = kScriptRowSize - 1;
// The longest token the format allows; the checker warns about longer ones.
constexpr int kScriptTokenLimit = 127;

// Where a row came from, for tools that report on script files.
struct TokenSource {
    int32_t line;    // 1-based line of the token's first byte (lines end at LF)
    int32_t length;  // bytes of the token in the file, carriage returns left out, before cutting
};

// Cuts the bytes of `file` into tokens: LF, comma and space separate, CR is dropped where it
// stands (the bytes around it join), every other byte belongs to the token; runs of
// separators make no empty tokens. Stores them in file order into rows 0 upward of `table`
// (whose rows must be zero), at most kScriptRows, each cut to kScriptTokenMax bytes; when
// the file ends with a row still free, "end" goes into it. Returns the number of rows
// filled, the added "end" included (a file of 1023 tokens fills all 1024 rows). A full
// table leaves the file just after its last token. When `sources` is given, sources[r]
// tells where row r came from (the added "end" gets the line where the file ended and
// length 0).
int tokenizeScript(std::FILE* file, char (*table)[kScriptRowSize], TokenSource* sources);
