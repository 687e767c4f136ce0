// A shooting stage built by hand: a small character table, the player reset into slot 0 and
// a headless platform that records every sound.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/headless_platform.h"
#include "platform/window.h"
#include "shooting/shooting.h"
#include "stage/spawn.h"
#include "stage/world.h"

enum TestTemplate : int32_t {
    kPlayerRow = 0,
    kPlayerShotRow = 1,  // TYP 1, flies right at 8
    kFoeRow = 2,         // TYP 0 body, HP 10 BP 3
    kBlockRow = 3,       // TYP 2, SIZ 32
    kRemainsRow = 4,     // TYP 5, harmless
    kFoeShotRow = 5,     // TYP 1, SP 0 so it stays where it was fired
};

inline CharTemplate makeRow(int8_t typ, int32_t wid, int32_t hei, int32_t hp, int32_t bp, int32_t sp, int32_t siz) {
    CharTemplate t{};
    t.inUse = 1;
    t.TYP = typ;
    t.WID = wid;
    t.HEI = hei;
    t.HP = hp;
    t.BP = bp;
    t.SP = sp;
    t.SIZ = siz;
    t.goalX = kNoTarget;
    return t;
}

class ShootingStage : public ::testing::Test {
protected:
    HeadlessPlatform hp;

    void SetUp() override {
        platform = &hp;
        hp.recordTrace = true;
        StageParams = StageParamsRecord{0, 0, 0, 32, 32, 0};
        CharTable[kPlayerRow] = makeRow(0, 32, 32, 10, 1, 4, 16);
        CharTable[kPlayerRow].WEP[0] = kPlayerShotRow;
        CharTable[kPlayerShotRow] = makeRow(1, 8, 4, 1, 1, 8, 4);
        CharTable[kFoeRow] = makeRow(0, 32, 32, 10, 3, 3, 16);
        CharTable[kFoeRow].WEP[0] = kFoeShotRow;
        CharTable[kBlockRow] = makeRow(2, 64, 64, 1000, 0, 0, 32);
        CharTable[kRemainsRow] = makeRow(5, 16, 16, 1, 0, 2, 0);
        CharTable[kFoeShotRow] = makeRow(1, 4, 4, 1, 1, 0, 2);
        InputState = InputValues{};
        resetShootingStage();
    }

    static Entity& at(int32_t slot) { return EntityTable[slot]; }
    static Entity& player() { return EntityTable[kPlayerSlot]; }

    // An object placed as a stage file would place it.
    static int32_t place(int32_t row, int8_t side, int32_t x, int32_t y, int8_t move = 0, int32_t counter = 0) {
        return spawnEntity(row, side, counter, x, y, move, 0);
    }

    // How many times the shot channel was opened with `path`.
    int soundsStarted(const std::string& path) const {
        const std::string open = "mci open ./" + path + " alias SHOTVOX";
        return static_cast<int>(std::count_if(hp.trace.begin(), hp.trace.end(), [&](const std::string& line) {
            return line.size() >= open.size() && line.compare(line.size() - open.size(), open.size(), open) == 0;
        }));
    }

    static int liveCount(int8_t typ) {
        int n = 0;
        for (int i = 0; i < kEntityCount; ++i) n += EntityTable[i].inUse == 1 && EntityTable[i].TYP == typ;
        return n;
    }
};
