// The adventure script as the rest of the game sees it: the token table with its counter
// and variables, the loader, and the step the main loop runs once per frame in mode 1.
#pragma once
#include <cstdint>
#include <cstdio>

#include "script/script_file.h"

constexpr int kScriptVarCount = 32;

// One token per row, zero-terminated; rows after the last token are all zero. Whole run.
extern char ScriptTable[kScriptRows][kScriptRowSize];
// Row the interpreter runs next; 0 after every load.
extern int32_t ScriptCounter;
// Script variables, cleared by every load; the main loop writes a battle's result into 0.
extern int32_t ScriptVars[kScriptVarCount];

// Replaces the script with the file at `path` and starts it at row 0 with all variables 0
// and all screen texts empty (their positions stay). A file that cannot be opened (missing,
// not a regular file) gives a script of just "end"; only the first kTextFileLimit bytes of
// a larger one are read. `path` may be a token of the running script.
void LoadScript(const char* path);
// What LoadScript does with the opened file (null: a file that cannot be opened).
void loadScriptFrom(std::FILE* file);

// The token at `row`, or an empty token for a row outside the table, so operands read past
// the last row are harmless.
const char* scriptToken(int64_t row);
// The token at `row` read as a signed decimal: leading blanks, an optional sign, digits up
// to the first other byte; 0 when it does not begin with a number. Saturates at the int32
// limits.
int32_t scriptNumber(int64_t row);
// The same reading of any text.
int32_t readScriptNumber(const char* text);

// Runs one command, or one frame of the picture screen (defined by the interpreter).
void ScriptStep();
