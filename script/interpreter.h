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
