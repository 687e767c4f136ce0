// Shared set-up for the battle tests: a headless platform, hand-made templates, a stage with
// the player in slot 0, and small helpers over the trace and the table.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "battle/battle_draw.h"
#include "battle/battle_update.h"
#include "platform/headless_platform.h"
#include "platform/window.h"
#include "stage/spawn.h"
#include "stage/world.h"

constexpr int kMarkTemplate = 63;

class BattleTest : public ::testing::Test {
protected:
    HeadlessPlatform hp;

    void SetUp() override {
        platform = &hp;
        hp.recordTrace = true;
        // Each test normally runs in its own process; this keeps them independent otherwise.
        InputState = InputValues{};
        trailTick = 0;
        opponentsLeft = 0;
        stageCountdown = -1;
        stageResult = 0;
        StageParams = StageParamsRecord{};
        battleMidScroll = battleNearScroll = battleGroundScroll = battleBlink = 0;
        std::memset(CharTable, 0, sizeof CharTable);
        // The player: a unit that does not move, turns by 1/16 and has no weapons.
        defineTemplate(0, 0, 10, 1, 0, 16);
        // The trail mark every unit leaves: a timed ground object.
        defineTemplate(kMarkTemplate, 5, 1, 0, 0, 0);
    }

    // A loaded row with no weapons and no aim points.
    CharTemplate& defineTemplate(int row, int typ, int hp, int bp, int sp, int siz) {
        CharTemplate& t = CharTable[row];
        std::memset(&t, 0, sizeof t);
        t.inUse = 1;
        t.TYP = static_cast<int8_t>(typ);
        t.HP = hp;
        t.BP = bp;
        t.SP = sp;
        t.SIZ = siz;
        t.goalX = kNoTarget;
        for (int i = 0; i < 4; ++i) t.aimX[i] = kNoTarget;
        return t;
    }

    // The stage reset: an empty table, the player in slot 0 at (64, 288), undecided.
    void startStage() {
        clearEntityTable();
        spawnEntity(0, 0, 0, 64, 288, 0, 1);
        stageCountdown = -1;
    }

    int place(int templ, int side, int x, int y, int counter = 0) {
        return spawnEntity(templ, static_cast<int8_t>(side), counter, x, y, 0, 0);
    }

    int liveCount() const {
        int count = 0;
        for (const Entity& e : EntityTable) count += e.inUse == 1;
        return count;
    }

    bool traced(const std::string& text) const {
        for (const std::string& line : hp.trace) {
            if (line.find(text) != std::string::npos) return true;
        }
        return false;
    }
};
