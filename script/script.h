// The adventure script: the token table, its loader and the interpreter that runs one
// command (or one frame of a picture screen) per frame.
#pragma once
#include <cstdint>

constexpr int kScriptRows = 1024;
constexpr int kScriptRowSize = 160;
constexpr int kScriptVarCount = 32;

// One token per row, zero-terminated; rows after the last token are all zero.
extern char ScriptTable[kScriptRows][kScriptRowSize];
// Row the interpreter runs next.
extern int32_t ScriptCounter;
// Script variables, cleared by every load; the main loop writes a battle's result into 0.
extern int32_t ScriptVars[kScriptVarCount];

// Replaces the script with the file at `path` and starts it at row 0 with all variables 0
// and all screen texts empty. A file that cannot be opened gives a script of just "end".
void LoadScript(const char* path);

// Runs one command, or one frame of the picture screen.
void ScriptStep();
