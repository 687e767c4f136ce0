#include "script/script.h"

#include <cstring>

char ScriptTable[kScriptRows][kScriptRowSize];
int32_t ScriptCounter;
int32_t ScriptVars[kScriptVarCount];

void LoadScript(const char* /*path*/) {
    std::memset(ScriptVars, 0, sizeof ScriptVars);
    std::memset(ScriptTable, 0, sizeof ScriptTable);
    std::strcpy(ScriptTable[0], "end");
    ScriptCounter = 0;
}

void ScriptStep() {}
