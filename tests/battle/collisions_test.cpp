#include "battle/collisions.h"
#include "battle/weapons.h"
#include "battle_support.h"

namespace {

class CollisionsTest : public BattleTest {};

}  // namespace

// Remains that land below the pair under test are first met in the next row; the pair
// itself is not visited twice (a second visit would move the unit back once more).
TEST_F(CollisionsTest, RemainsBelowThePairDoNotRepeatIt) {
    defineTemplate(1, 0, 1, 5, 3, 16);   // frail unit
    defineTemplate(2, 0, 10, 5, 3, 16);  // sturdy unit
    defineTemplate(3, 10, 1, 1, 0, 4);   // a lobbed shot, gone before the pass
    defineTemplate(4, 6, 100, 2, 0, 16);  // blast left by the frail unit
    CharTable[1].DEA = 4;
    startStage();
    EntityTable[kPlayerSlot].x = 700;
    const int gone = place(3, 0, 100, 100);
    const int frail = place(1, 0, 300, 300);
    const int sturdy = place(2, 1, 300, 304);
    EntityTable[gone].inUse = 0;
    collisionPass();
    EXPECT_EQ(EntityTable[frail].inUse, 0);
    EXPECT_EQ(EntityTable[frail].y, 300 - 6);  // backed off once, along its heading 0
    ASSERT_EQ(EntityTable[gone].inUse, 1);
    EXPECT_EQ(EntityTable[gone].TYP, 6);
    EXPECT_EQ(EntityTable[gone].counter, kRemainsLife);
    EXPECT_EQ(EntityTable[sturdy].HP, 10 - 5);
    // The blast joined the pass in its slot: the sturdy unit, guarded now, dealt it a blow.
    EXPECT_EQ(EntityTable[gone].HP, 100 - 5);
}
