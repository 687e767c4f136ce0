#include "app/main_loop.h"

#include <cstring>

#include "app/recording.h"
#include "battle/battle.h"
#include "battle/battle_draw.h"
#include "battle/battle_update.h"
#include "platform/media.h"
#include "platform/random.h"
#include "platform/surface.h"
#include "platform/text.h"
#include "platform/window.h"
#include "script/buttons.h"
#include "script/interpreter.h"
#include "script/presentation.h"
#include "script/script.h"
#include "shooting/shooting.h"
#include "shooting/shooting_draw.h"
#include "stage/spawn.h"
#include "stage/charlist.h"
#include "stage/stage_file.h"
#include "stage/world.h"

int32_t pumpCount;
Message lastMessage;

namespace {

// Every stage starts this way, and a lost shooting stage restarts this way.
void startStage() {
    resetShootingStage();
    loadStage(static_cast<int8_t>(StageNumber));
}

void handOverToStage(int8_t nextMode) {
    loadBitmapInto(kPicture, "./bmp/zyunbi.bmp");
    blit(SurfaceTable[kBackBuffer], 0, 0, kScreenWidth, kScreenHeight, SurfaceTable[kPicture], 0, 0, Rop::Copy);
    presentBackBuffer();
    startStage();
    GameMode = nextMode;
}

}  // namespace

void resetGame() {
    frameCount = 0;
    pumpCount = 0;
    lastMessage = Message{};
    InputState = InputValues{};
    seedRandom(1);
    resetMedia();
    releaseSurfaces();
    windowDC = Surface{};
    std::memset(ScriptTable, 0, sizeof ScriptTable);
    ScriptCounter = 0;
    std::memset(ScriptVars, 0, sizeof ScriptVars);
    ScriptPhase = Phase::Execute;
    std::memset(ButtonTable, 0, sizeof ButtonTable);
    ButtonCount = 0;
    ShownButtonCount = 0;
    BlinkToggle = kBlinkShow;
    resetPresentation();
    std::memset(CharTable, 0, sizeof CharTable);
    clearEntityTable();
    resetSpawnPicks();
    StageParams = StageParamsRecord{};
    opponentsLeft = 0;
    stageCountdown = 0;
    stageResult = 0;
    weaponSel = 0;
    StageNumber = 0;
    GameMode = kScriptMode;
    shootMidScroll = shootNearScroll = shootGroundScroll = 0;
    battleMidScroll = battleNearScroll = battleGroundScroll = battleBlink = 0;
    trailTick = 0;
}

void startUp(const StartPoint& start) {
    resetGame();
    const int64_t seconds = platform->clockSeconds();
    seedRandom(static_cast<uint32_t>(seconds));
    recordClock(seconds);
    resizeSurface(windowDC, kScreenWidth, kScreenHeight, kWhite);
    static const char kLoadingText[] = "Now Loading v7";
    drawText(windowDC, 0, 0, kScreenWidth, kScreenHeight, kLoadingText, 14);
    platform->presentWindow(windowDC);
    loadSurfaces();
    LoadScript(start.scriptPath);
    loadCharList();
    recordPlayerList();
    if (start.mode == kShootingHandOver || start.mode == kBattleHandOver) {
        StageNumber = static_cast<uint8_t>(start.stageNumber);
        GameMode = start.mode;
    }
}

void stageEndCheck() {
    if (stageCountdown < 0) return;
    if (--stageCountdown != 0) return;
    if (GameMode == kShootingMode) {
        if (stageResult == 1) {
            GameMode = kScriptMode;
        } else {
            startStage();  // a lost shooting stage is replayed in place
        }
    } else if (GameMode == kBattleMode) {
        ScriptVars[0] = stageResult == 1 ? 1 : 0;
        GameMode = kScriptMode;
    }
}

bool quitFetched() { return lastMessage.code == WM_QUIT; }

bool loopPass() {
    const bool fetched = platform->peekMessage(lastMessage);
    // A recording keeps what the game saw, whatever the back end or a layer above the pump
    // did with the input before.
    if (fetched) recordPumped(frameCount + 1, lastMessage, pumpCount < kPumpCap);
    if (fetched && pumpCount < kPumpCap) {
        if (lastMessage.code != WM_QUIT) windowProc(lastMessage);
        ++pumpCount;
        return false;
    }
    // The message fetched at the cap is dropped; a WM_QUIT still ends the loop afterwards.
    pumpCount = 0;
    flushRecording();
    platform->frameStarted(++frameCount);
    musicKeepAlive();
    platform->sleepMs(kFrameSleepMs);
    runModeStep();
    return true;
}

void musicKeepAlive() {
    sendMediaCommand("status BGM mode", "", "", "", "", MciReply);
    if (std::strcmp(MciReply, "stopped") == 0) restartMusic();
}

void runModeStep() {
    switch (GameMode) {
    case kScriptMode: ScriptStep(); break;
    case kShootingHandOver: handOverToStage(kShootingMode); break;
    case kShootingMode:
        shootingUpdate();
        shootingDraw();
        stageEndCheck();
        break;
    case kBattleHandOver: handOverToStage(kBattleMode); break;
    case kBattleMode:
        battleUpdate();
        battleDraw();
        stageEndCheck();
        break;
    default: break;
    }
}

int shutDown() {
    sendMediaCommand("close SHOTVOX", "", "", "", "", MciReply);
    sendMediaCommand("close BGM", "", "", "", "", MciReply);
    releaseSurfaces();
    return static_cast<int>(lastMessage.wParam);
}

int runGame(const StartPoint& start) {
    startUp(start);
    while (!quitFetched()) loopPass();
    return shutDown();
}
