// The script interpreter: the phase machine of ScriptStep, the keyword dispatch, and the
// commands for control flow, variables, the player's weapons and the stage launch.
#pragma once
#include <cstdint>

// Execute: run one command. Arm: a picture screen is requested. Show: it is up and waits
// for a click. Release: the click was taken; wait until both inputs are up.
enum class Phase : uint8_t { Execute = 0, Arm = 1, Show = 2, Release = 3 };

// Looked at once per ScriptStep; a load leaves it alone. Whole run.
extern Phase ScriptPhase;

// ScriptStep (declared with the table in script.h) runs one phase's work per frame. In
// Execute it runs the command at ScriptCounter, or acts as "end" when the counter has
// passed the last row.

// A script keyword: the command it runs from its row p, and how many operand rows follow it.
struct ScriptKeyword {
    const char* word;
    int operands;
    void (*run)(int32_t p);
};

constexpr int kScriptKeywordCount = 17;
// In the order they are tried; the content checker reads the same table.
extern const ScriptKeyword kScriptKeywords[kScriptKeywordCount];

// The keyword that the whole token matches (case matters), or nullptr: such a token is
// skipped.
const ScriptKeyword* findScriptKeyword(const char* token);
