// The program's one loop: start-up, the message pump with its cap, the music keep-alive,
// the fixed sleep, one GameMode step per frame, the stage hand-over and end, and shutdown.
#pragma once
#include <cstdint>

#include "platform/platform.h"

// Messages dispatched since the last frame; never above kPumpCap.
extern int32_t pumpCount;
// The message last fetched by the pump; the loop ends when it is WM_QUIT.
extern Message lastMessage;

// The cap keeps a message flood from starving the game.
constexpr int32_t kPumpCap = 128;
constexpr int kFrameSleepMs = 16;

// Seeds the random generator, shows the loading text, loads the surfaces, the first script
// and the character list.
void startUp();
// One pass of the loop: dispatches one message, or (queue empty or cap reached) runs a
// frame. Returns true when a frame ran.
bool loopPass();
// True once WM_QUIT has been fetched.
bool quitFetched();
// Closes the sound aliases and frees the surfaces; returns the exit code.
int shutDown();
// startUp, loop passes until WM_QUIT, shutDown.
int runGame();

// The steps of a frame, in order, for tools and tests that drive frames directly.
void musicKeepAlive();
void runModeStep();
// After a stage frame: counts a decided stage down and, at 0, returns to the script, replays
// a lost shooting stage, or hands a battle's result to the script in variable 0.
void stageEndCheck();
