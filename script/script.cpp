#include "script/script.h"

#include <cstdio>
#include <cstring>

#include "platform/data_file.h"
#include "platform/file_report.h"
#include "script/presentation.h"

char ScriptTable[kScriptRows][kScriptRowSize];
int32_t ScriptCounter;
int32_t ScriptVars[kScriptVarCount];

void LoadScript(const char* path) {
    // The path may be a token of the running script, which the load is about to wipe.
    char name[kScriptRowSize];
    std::snprintf(name, sizeof name, "%s", path);
    // A file that cannot be opened (data_file.h: a missing file, a folder, a FIFO, a device)
    // reads as an empty one; a file over the size limit is read up to it.
    FileState state;
    std::FILE* file = openTextFile(name, &state);
    reportTextFileTrouble(name, state);
    loadScriptFrom(file);
    if (file) std::fclose(file);
}

void loadScriptFrom(std::FILE* file) {
    std::memset(ScriptVars, 0, sizeof ScriptVars);
    std::memset(ScriptTable, 0, sizeof ScriptTable);
    for (ScreenText& slot : TextSlots) std::memset(slot.text, 0, sizeof slot.text);
    if (file) {
        tokenizeScript(file, ScriptTable, nullptr);
    } else {
        std::memcpy(ScriptTable[0], "end", 4);  // the script still ends in "end"
    }
    ScriptCounter = 0;
}

const char* scriptToken(int64_t row) {
    if (row < 0 || row >= kScriptRows) return "";
    return ScriptTable[row];
}

int32_t scriptNumber(int64_t row) { return readScriptNumber(scriptToken(row)); }

int32_t readScriptNumber(const char* text) {
    // The blanks of the C library's isspace; tabs and the like may sit in a token.
    while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
        if (value > INT32_MAX) {  // a row holds at most 159 digits; keep the number in range
            value = static_cast<int64_t>(INT32_MAX) + 1;
        }
    }
    if (negative) value = -value;
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}
