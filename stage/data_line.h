// The one line reader and tokenizer of the numeric data files (the character list and the
// stage files), shared with the content checker so that both read a line the same way.
//
// A line holds decimal fields. Each comma or space ends a field (", " is two separators with
// an empty field of 0 between them); "/", a NUL or the line end ends the line; a "-" anywhere
// in a field makes it negative (5-3 reads -53); any other character ch adds as
// v = v * 10 + (ch - 48), ch taken as a signed byte, so stray letters or tabs change the
// number instead of being skipped. Values wrap in 32 bits. A line without a separator before
// its end carries no fields at all.
#pragma once
#include <cstdint>
#include <cstdio>

constexpr int kLineFields = 32;
constexpr int kLineTextSize = 160;

// One physical line and its fields. The first kLineFields fields are kept; fieldCount counts
// them all. Columns count from 0 along the physical line.
struct DataLine {
    int32_t value[kLineFields];   // field values; fields the line leaves out are 0
    int32_t column[kLineFields];  // where each kept field starts
    uint32_t strayFields;         // bit i: field i held a character other than a digit or "-"
    int32_t fieldCount;           // separators before the end of the line, plus one
    bool hasSeparator;            // false: the line is ignored by every reader
    int32_t endColumn;            // where the "/", NUL or line end stopped the fields
    int32_t length;               // characters on the line, line end excluded
    char text[kLineTextSize];     // its first 159 characters, for messages

    // Tokenizer state while the line is fed.
    bool minus;
    bool ended;
};

// Starts an empty line.
void beginLine(DataLine& line);
// Feeds the next character of the line.
void feedChar(DataLine& line, char ch);
// Ends the line (the characters after a terminator were only counted).
void endLine(DataLine& line);

// Splits a whole zero-terminated text as one line.
void tokenizeLine(const char* text, DataLine& line);

// Reads the next physical line of a file opened for reading, however long, with a CR before
// the line end dropped; a last line without a line end is read like any other. False at the
// end of the file.
bool readDataLine(std::FILE* file, DataLine& line);
