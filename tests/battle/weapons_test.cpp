#include "battle/weapons.h"
#include "battle_support.h"
#include "platform/trig.h"

TEST(Bearing, StoredConstants) {
    EXPECT_EQ(bearing(0, 0, 10, 0), 1.570796326794895);
    EXPECT_EQ(bearing(0, 0, -10, 0), 4.712388980384685);
    EXPECT_EQ(bearing(0, 0, 0, -10), 3.14159265358979);
    EXPECT_EQ(bearing(5, 5, 5, 5), 0.0);
    EXPECT_EQ(bearing(0, 0, -1, 1), -engineAtan(1.0) + 6.28318530717958);
    EXPECT_DOUBLE_EQ(bearing(0, 0, -1, 1), 5.497787143782132);
    EXPECT_EQ(bearing(0, 0, 0, 10), 0.0);
    EXPECT_EQ(bearing(0, 0, 1, -1), 3.14159265358979 - engineAtan(1.0));
}

TEST(Bearing, FarApartPointsDoNotOverflow) {
    EXPECT_DOUBLE_EQ(bearing(-2000000000, 0, 2000000000, 0), kHalfPi);
    EXPECT_DOUBLE_EQ(bearing(0, 2000000000, 0, -2000000000), kPi);
}

class WeaponsTest : public BattleTest {
protected:
    static constexpr int kShooter = 1;
    static constexpr int kShot = 2;
    static constexpr int kLobbed = 3;

    void SetUp() override {
        BattleTest::SetUp();
        defineTemplate(kShooter, 3, 10, 1, 0, 16);
        defineTemplate(kShot, 1, 1, 1, 5, 4);
        defineTemplate(kLobbed, 10, 1, 1, 4, 4);
        startStage();
    }

    // A shooter at (200, 200) whose weapon slot `slot` fires `templ` at (ax, ay).
    int armedShooter(int slot, int templ, int len, int ax, int ay) {
        const int n = place(kShooter, 1, 200, 200);
        Entity& e = EntityTable[n];
        e.WEP[slot] = static_cast<int8_t>(templ);
        e.BLA[slot] = 10;
        e.LEN[slot] = len;
        e.aimX[slot] = ax;
        e.aimY[slot] = ay;
        return n;
    }
};

TEST_F(WeaponsTest, StraightShotTakesRangeCooldownAndBearing) {
    const int n = armedShooter(2, kShot, 250, 300, 200);
    EntityTable[n].aimX[1] = 123;  // another slot's aim point without a weapon
    fireWeapons(n);
    ASSERT_EQ(liveCount(), 3);
    const Entity& shot = EntityTable[n + 1];
    EXPECT_EQ(shot.TYP, 1);
    EXPECT_EQ(shot.side, 1);
    EXPECT_EQ(shot.x, 200);
    EXPECT_EQ(shot.y, 200);
    EXPECT_EQ(shot.counter, 250);
    EXPECT_EQ(shot.angle, kHalfPi);
    EXPECT_EQ(shot.aimX[2], kNoTarget);
    EXPECT_EQ(EntityTable[n].cool[2], 10);
}

TEST_F(WeaponsTest, NoRangeMeansDefaultRangeEvenWhenLobbed) {
    const int n = armedShooter(0, kShot, 0, 300, 200);
    const int m = armedShooter(1, kLobbed, 0, 230, 240);  // 50 away
    fireWeapons(n);
    fireWeapons(m);
    EXPECT_EQ(EntityTable[3].counter, 128);
    EXPECT_EQ(EntityTable[4].counter, 128);
    EXPECT_EQ(EntityTable[4].vspeed, 128 / 4 / 2);
}

TEST_F(WeaponsTest, LobbedShotLandsOnItsAimPoint) {
    const int n = armedShooter(0, kLobbed, 300, 260, 280);  // 60 across, 80 down: 100 away
    fireWeapons(n);
    const Entity& shot = EntityTable[n + 1];
    EXPECT_EQ(shot.counter, 100);
    EXPECT_EQ(shot.vspeed, 12);
    EXPECT_EQ(shot.angle, engineAtan(60.0 / 80.0));
}

TEST_F(WeaponsTest, LobbedShotBeyondRangeFliesItsRange) {
    const int n = armedShooter(0, kLobbed, 80, 260, 280);
    fireWeapons(n);
    EXPECT_EQ(EntityTable[n + 1].counter, 80);
    EXPECT_EQ(EntityTable[n + 1].vspeed, 10);
}

TEST_F(WeaponsTest, LobbedShotThatCannotMoveDoesNotRise) {
    CharTable[kLobbed].SP = 0;
    const int n = armedShooter(0, kLobbed, 300, 260, 280);
    fireWeapons(n);
    EXPECT_EQ(EntityTable[n + 1].counter, 100);
    EXPECT_EQ(EntityTable[n + 1].vspeed, 0);
}

TEST_F(WeaponsTest, UnreadyUnaimedAndEmptySlotsDoNotFire) {
    const int n = armedShooter(0, kShot, 100, 300, 200);
    Entity& e = EntityTable[n];
    e.cool[0] = 1;
    e.WEP[1] = kShot;
    e.aimX[1] = kNoTarget;
    e.aimX[2] = 50;  // aimed, but no weapon
    fireWeapons(n);
    EXPECT_EQ(liveCount(), 2);
}

TEST_F(WeaponsTest, FullTableLeavesTheCooldownAtZero) {
    const int n = armedShooter(0, kShot, 100, 300, 200);
    for (int s = 1; s < kEntityCount; ++s) EntityTable[s].inUse = 1;
    noteSlotLive(kEntityCount - 1);
    fireWeapons(n);
    EXPECT_EQ(EntityTable[n].cool[0], 0);
}

TEST_F(WeaponsTest, WeaponOutsideTheTableFiresNothing) {
    const int n = armedShooter(0, -5, 100, 300, 200);
    fireWeapons(n);
    EXPECT_EQ(liveCount(), 2);
    EXPECT_EQ(EntityTable[n].cool[0], 0);
}

TEST_F(WeaponsTest, ManualAndAutomaticWeaponsNeverFireTogether) {
    Entity& p = EntityTable[kPlayerSlot];
    for (int i = 0; i < 4; ++i) {
        p.WEP[i] = kShot;
        p.LEN[i] = 100 + i;
        p.aimX[i] = 300;
        p.aimY[i] = 288;
    }
    firePlayerWeapons(weaponSel);
    ASSERT_EQ(liveCount(), 2);
    EXPECT_EQ(EntityTable[1].counter, 100);

    firePlayerWeapons(4096);
    ASSERT_EQ(liveCount(), 5);
    EXPECT_EQ(EntityTable[2].counter, 101);
    EXPECT_EQ(EntityTable[3].counter, 102);
    EXPECT_EQ(EntityTable[4].counter, 103);
}

TEST_F(WeaponsTest, RemainsKeepTheAimPointsAndLastSixtyFourFrames) {
    defineTemplate(5, 6, 1, 2, 0, 20);
    Entity record = EntityTable[kPlayerSlot];
    record.DEA = 5;
    record.side = 2;
    record.move = 3;
    record.x = 111;
    record.y = 222;
    record.z = 40;
    for (int i = 0; i < 4; ++i) {
        record.aimX[i] = 10 + i;
        record.aimY[i] = 20 + i;
    }
    const int k = spawnRemains(record);
    ASSERT_EQ(k, 1);
    const Entity& r = EntityTable[k];
    EXPECT_EQ(r.TYP, 6);
    EXPECT_EQ(r.side, 2);
    EXPECT_EQ(r.move, 3);
    EXPECT_EQ(r.x, 111);
    EXPECT_EQ(r.y, 222);
    EXPECT_EQ(r.z, 0);
    EXPECT_EQ(r.counter, 64);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(r.aimX[i], 10 + i);
        EXPECT_EQ(r.aimY[i], 20 + i);
    }
}

TEST_F(WeaponsTest, NoRemainsWithoutValidDea) {
    Entity record = EntityTable[kPlayerSlot];
    record.DEA = 0;
    EXPECT_LT(spawnRemains(record), 0);
    record.DEA = -3;
    EXPECT_LT(spawnRemains(record), 0);
    EXPECT_EQ(liveCount(), 1);
}
