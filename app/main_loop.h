// The program's one loop: start-up, the message pump with its cap, the music keep-alive,
// the fixed sleep, one GameMode step per frame, the stage hand-over and end, and shutdown.
#pragma once
#include <cstdint>

#include "platform/media.h"
#include "platform/platform.h"
#include "stage/world.h"

// Messages dispatched since the last frame; never above kPumpCap.
extern int32_t pumpCount;
// The message last fetched by the pump; the loop ends when it is WM_QUIT.
extern Message lastMessage;

// The cap keeps a message flood from starving the game.
constexpr int32_t kPumpCap = 128;
constexpr int kFrameSleepMs = 16;

// Where a session starts: the script that start-up loads, and the mode of frame 1. With a
// hand-over mode frame 1 is that stage's hand-over, and when the stage ends the script runs
// from its first row.
struct StartPoint {
    char scriptPath[kTextSize] = "./data/advfile.dat";
    int8_t mode = kScriptMode;  // kScriptMode, kShootingHandOver or kBattleHandOver
    int8_t stageNumber = 0;     // the stage file of a hand-over mode
};

// Every global of the game back to its value when the program starts: the tables, the
// script and its screen, both stages, the input, the frame count, the random generator,
// the sound aliases and the surfaces. Start-up begins with it, and so does every test.
void resetGame();
// Resets the game (resetGame), seeds the random generator, shows the loading text, loads the surfaces, the start script
// and the character list, and sets the mode of frame 1.
void startUp(const StartPoint& start = StartPoint{});
// One pass of the loop: dispatches one message, or (queue empty or cap reached) runs a
// frame. Returns true when a frame ran.
bool loopPass();
// True once WM_QUIT has been fetched.
bool quitFetched();
// Closes the sound aliases and frees the surfaces; returns the exit code.
int shutDown();
// startUp, loop passes until WM_QUIT, shutDown.
int runGame(const StartPoint& start = StartPoint{});

// The steps of a frame, in order, for tools and tests that drive frames directly.
void musicKeepAlive();
void runModeStep();
// After a stage frame: counts a decided stage down and, at 0, returns to the script, replays
// a lost shooting stage, or hands a battle's result to the script in variable 0.
void stageEndCheck();
