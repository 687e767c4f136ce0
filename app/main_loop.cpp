#include "app/main_loop.h"

#include <cstring>

#include "app/media.h"
#include "app/random.h"
#include "app/surface.h"
#include "app/text.h"
#include "app/window.h"
#include "battle/battle.h"
#include "script/script.h"
#include "shooting/shooting.h"
#include "stage/charlist.h"
#include "stage/stage_file.h"
#include "stage/world.h"

int8_t GameMode = 1;
int32_t pumpCount;
Message lastMessage;
int64_t frameCount;

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

void startUp() {
    seedRandom(static_cast<uint32_t>(platform->clockSeconds()));
    resizeSurface(windowDC, kScreenWidth, kScreenHeight, kWhite);
    static const char kLoadingText[] = "Now Loading v7";
    drawText(windowDC, 0, 0, kScreenWidth, kScreenHeight, kLoadingText, 14);
    platform->presentWindow(windowDC);
    loadSurfaces();
    LoadScript("./data/advfile.dat");
    loadCharList();
}

void stageEndCheck() {
    if (stageCountdown < 0) return;
    if (--stageCountdown != 0) return;
    if (GameMode == 3) {
        if (stageResult == 1) {
            GameMode = 1;
        } else {
            startStage();  // a lost shooting stage is replayed in place
        }
    } else if (GameMode == 5) {
        ScriptVars[0] = stageResult == 1 ? 1 : 0;
        GameMode = 1;
    }
}

bool quitFetched() { return lastMessage.code == WM_QUIT; }

bool loopPass() {
    const bool fetched = platform->peekMessage(lastMessage);
    if (fetched && pumpCount < kPumpCap) {
        if (lastMessage.code != WM_QUIT) windowProc(lastMessage);
        ++pumpCount;
        return false;
    }
    // The message fetched at the cap is dropped; a WM_QUIT still ends the loop afterwards.
    pumpCount = 0;
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
    case 1: ScriptStep(); break;
    case 2: handOverToStage(3); break;
    case 3:
        shootingUpdate();
        shootingDraw();
        stageEndCheck();
        break;
    case 4: handOverToStage(5); break;
    case 5:
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

int runGame() {
    startUp();
    while (!quitFetched()) loopPass();
    return shutDown();
}
