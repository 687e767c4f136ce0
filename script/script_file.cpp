#include "script/script_file.h"

#include <cstring>

namespace {

bool isSeparator(int byte) { return byte == '\n' || byte == ',' || byte == ' '; }

// A byte of value 255 is an ordinary byte: the end is the stream's state, not the value read.
// A read error (a folder opened as a file, say) ends the file too, so no loop can spin on it.
bool streamEnded(std::FILE* file) { return std::feof(file) != 0 || std::ferror(file) != 0; }

}  // namespace

int tokenizeScript(std::FILE* file, char (*table)[kScriptRowSize], TokenSource* sources) {
    int row = 0;
    int32_t line = 1;
    while (row < kScriptRows) {
        char* token = table[row];
        int length = 0;          // bytes stored in the row
        int32_t fullLength = 0;  // bytes the token has in the file
        int32_t tokenLine = line;
        int byte = std::fgetc(file);
        bool atEnd = streamEnded(file);
        while (!atEnd && !isSeparator(byte)) {
            if (byte != '\r') {
                if (fullLength == 0) tokenLine = line;
                if (length < kScriptTokenMax) token[length++] = static_cast<char>(byte);
                if (fullLength < INT32_MAX) ++fullLength;
            }
            byte = std::fgetc(file);
            atEnd = streamEnded(file);
        }
        token[length] = '\0';
        if (token[0] != '\0') {
            if (sources) sources[row] = TokenSource{tokenLine, fullLength};
            ++row;
        }
        if (!atEnd && byte == '\n') ++line;
        if (atEnd) {
            if (row < kScriptRows) {
                std::memcpy(table[row], "end", 4);
                if (sources) sources[row] = TokenSource{line, 0};
                ++row;
            }
            break;
        }
    }
    return row;
}
