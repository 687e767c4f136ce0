#include "stage/data_line.h"

#include <cstdint>
#include <cstring>

namespace {

// The minus flag applies when its field closes; negation wraps like the accumulation.
void closeField(DataLine& line) {
    const int32_t f = line.fieldCount - 1;
    if (line.minus && f < kLineFields) line.value[f] = static_cast<int32_t>(0u - static_cast<uint32_t>(line.value[f]));
    line.minus = false;
}

}  // namespace

void beginLine(DataLine& line) {
    std::memset(&line, 0, sizeof line);
    line.fieldCount = 1;
}

void feedChar(DataLine& line, char ch) {
    const int32_t col = line.length;
    if (line.length < INT32_MAX - 1) ++line.length;  // a gigabyte line must not wrap the count
    if (col < kLineTextSize - 1) line.text[col] = ch;
    if (line.ended) return;

    const int32_t f = line.fieldCount - 1;
    switch (ch) {
    case '\0':
    case '\n':
    case '/':
        closeField(line);
        line.ended = true;
        line.endColumn = col;
        return;
    case ' ':
    case ',':
        closeField(line);
        line.hasSeparator = true;
        if (line.fieldCount < INT32_MAX) ++line.fieldCount;
        if (f + 1 < kLineFields) line.column[f + 1] = col + 1;
        return;
    case '-': line.minus = true; return;
    default:
        if (f >= kLineFields) return;
        // ch is a signed byte; the sum is taken modulo 2^32 so no input can overflow.
        line.value[f] = static_cast<int32_t>(static_cast<uint32_t>(line.value[f]) * 10u +
                                             static_cast<uint32_t>(static_cast<int8_t>(ch) - 48));
        if (ch < '0' || ch > '9') line.strayFields |= 1u << f;
        return;
    }
}

void endLine(DataLine& line) {
    if (line.ended) return;
    closeField(line);
    line.ended = true;
    line.endColumn = line.length;
}

void tokenizeLine(const char* text, DataLine& line) {
    beginLine(line);
    for (; *text != '\0'; ++text) feedChar(line, *text);
    endLine(line);
}

bool readDataLine(std::FILE* file, DataLine& line) {
    int c = std::getc(file);
    if (c == EOF) return false;
    beginLine(line);
    while (c != EOF && c != '\n') {
        if (c == '\r') {  // text mode: CR LF is a line end
            const int next = std::getc(file);
            if (next == '\n') break;
            feedChar(line, '\r');
            c = next;
            continue;
        }
        feedChar(line, static_cast<char>(c));
        c = std::getc(file);
    }
    endLine(line);
    return true;
}
