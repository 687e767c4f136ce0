// The entity record and the stage globals keep their exact widths and field order: records
// are copied as whole blocks, and the character list's columns map onto the fields.
#include "stage/world.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <type_traits>

namespace {

template <typename Field, typename Want>
constexpr bool is = std::is_same_v<Field, Want>;

static_assert(is<decltype(Entity::inUse), uint8_t> && is<decltype(Entity::side), int8_t>);
static_assert(is<decltype(Entity::x), int32_t> && is<decltype(Entity::move), int8_t>);
static_assert(is<decltype(Entity::WEP), int8_t[4]> && is<decltype(Entity::BLA), int32_t[4]>);
static_assert(is<decltype(Entity::TYP), int8_t> && is<decltype(Entity::SE), int8_t>);
static_assert(is<decltype(Entity::DEA), int8_t> && is<decltype(Entity::GRA), int8_t>);
static_assert(is<decltype(Entity::angle), double> && is<decltype(Entity::aimX), int32_t[4]>);
static_assert(is<decltype(stageResult), uint8_t> && is<decltype(StageNumber), uint8_t>);
static_assert(std::is_trivially_copyable_v<Entity> && std::is_same_v<CharTemplate, Entity>);
static_assert(sizeof(StageParamsRecord) == 6 * sizeof(int32_t));

TEST(WorldState, FieldsLieInTheirFixedOrder) {
    const size_t order[] = {
        offsetof(Entity, inUse), offsetof(Entity, side),  offsetof(Entity, x),       offsetof(Entity, y),
        offsetof(Entity, z),     offsetof(Entity, move),  offsetof(Entity, LEF),     offsetof(Entity, TOP),
        offsetof(Entity, WID),   offsetof(Entity, HEI),   offsetof(Entity, HP),      offsetof(Entity, BP),
        offsetof(Entity, SP),    offsetof(Entity, SIZ),   offsetof(Entity, WEP),     offsetof(Entity, BLA),
        offsetof(Entity, LEN),   offsetof(Entity, cool),  offsetof(Entity, counter), offsetof(Entity, TYP),
        offsetof(Entity, SE),    offsetof(Entity, DEA),   offsetof(Entity, TAX),     offsetof(Entity, TAY),
        offsetof(Entity, GRA),   offsetof(Entity, vspeed), offsetof(Entity, angle),  offsetof(Entity, aimX),
        offsetof(Entity, aimY),  offsetof(Entity, goalX), offsetof(Entity, goalY),   offsetof(Entity, guard)};
    for (size_t i = 1; i < std::size(order); ++i) EXPECT_LT(order[i - 1], order[i]) << i;
    EXPECT_EQ(offsetof(StageParamsRecord, groundTop), 5 * sizeof(int32_t));
}

TEST(WorldState, TablesStartZeroAndClearingResetsTheLiveEnd) {
    EXPECT_EQ(std::size(CharTable), 128u);
    EXPECT_EQ(std::size(EntityTable), 4096u);
    EXPECT_EQ(EntityTable[4095].inUse, 0);
    EXPECT_EQ(stageCountdown, 0);
    EXPECT_EQ(liveSlotEnd, 0);

    EntityTable[9].inUse = 1;
    EntityTable[9].angle = 1.5;
    noteSlotLive(9);
    noteSlotLive(3);
    EXPECT_EQ(liveSlotEnd, 10);
    clearEntityTable();
    EXPECT_EQ(liveSlotEnd, 0);
    EXPECT_EQ(EntityTable[9].inUse, 0);
    EXPECT_EQ(EntityTable[9].angle, 0.0);
}

}  // namespace
