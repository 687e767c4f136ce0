// World state shared by both action stages: the entity record, the character table it is
// copied from, the entity table, and the stage-wide globals. Everything here is allocated
// once for the whole run.
#pragma once
#include <cstdint>

// One record serves as a row of the character table (a template) and as a live object of
// a stage (an entity), so that spawning is a plain copy followed by a few writes. The
// capitalised fields are the columns of the character list. Fields and widths are fixed:
// templates and entities are copied as whole blocks.
//
// In the shooting stage (x, y) is the sprite's top-left corner; in the battle stage it is
// the object's centre and z its height above the ground. `counter` is a pattern phase in
// the shooting stage, and a firing cycle, remaining life or remaining travel in the battle
// stage, by kind. TYP is the kind of object; each stage gives the kinds their behaviour.
struct Entity {
    uint8_t inUse;    // 1: live entity (a loaded row, in CharTable); 0: free
    int8_t side;      // team; only different sides target, hit and count each other
    int32_t x;
    int32_t y;
    int32_t z;
    int8_t move;      // shooting-stage movement pattern
    int32_t LEF;      // sprite rectangle in the character sheet
    int32_t TOP;
    int32_t WID;
    int32_t HEI;
    int32_t HP;       // destroyed at 0 or below
    int32_t BP;       // damage dealt on contact
    int32_t SP;       // speed per frame; -1 in a template means the stage's scrollSpeed
    int32_t SIZ;      // collision diameter; also the battle stage's turn rate 1/SIZ
    int8_t WEP[4];    // weapon slot i: template of its projectile; 0 = no weapon
    int32_t BLA[4];   // weapon slot i: frames between shots
    int32_t LEN[4];   // weapon slot i: range; 0 or less means 128
    int32_t cool[4];  // weapon slot i: frames until it may fire again
    int32_t counter;
    int8_t TYP;
    int8_t SE;        // spawn sound number; 0 = none
    int8_t DEA;       // template spawned when destroyed; 0 = none
    int32_t TAX;      // offset of the alternate sprite frame
    int32_t TAY;
    int8_t GRA;       // 1 = falls (shooting stage)
    int32_t vspeed;   // shooting: downward speed; battle: upward speed of z
    double angle;     // heading in radians (battle stage)
    int32_t aimX[4];  // weapon slot i: aim point; kNoTarget = none
    int32_t aimY[4];
    int32_t goalX;    // steering point; kNoTarget = none
    int32_t goalY;
    int32_t guard;    // battle stage: frames of hit immunity left
};
using CharTemplate = Entity;

// The one "none" marker of the record, in aimX and goalX.
constexpr int32_t kNoTarget = -32766;

// Kinds 0 and 3 are the units: the only kinds that look for targets and are found.
inline bool isUnitKind(int8_t typ) { return typ == 0 || typ == 3; }

constexpr int kTemplateCount = 128;
constexpr int kEntityCount = 4096;
constexpr int kPlayerSlot = 0;

// Rows of the character list, indexed by template number; row 0 is the player. Filled at
// start-up; afterwards only the player's weapons change.
extern CharTemplate CharTable[kTemplateCount];
// Live objects of the current stage; slot 0 is always the player. Cleared at every stage
// reset, left as it is while the script runs.
extern Entity EntityTable[kEntityCount];
// One past the highest slot that can be live: every scan of EntityTable stops here. Spawns
// raise it, clearEntityTable lowers it to 0; removals leave it.
extern int32_t liveSlotEnd;

// Sets every record of EntityTable to zero bytes.
void clearEntityTable();
// Records that `slot` may now be live (for code that fills EntityTable directly).
void noteSlotLive(int slot);

// The six stage parameters, set by the stage file and kept until a stage file sets them
// again.
struct StageParamsRecord {
    int32_t scrollSpeed;   // scenery scroll per frame; also the speed of SP -1 templates
    int32_t groundSrcX;    // ground tile's rectangle in the character sheet
    int32_t groundSrcY;
    int32_t groundWidth;
    int32_t groundHeight;
    int32_t groundTop;     // where the ground band starts; shooting stage: smallest y
};
extern StageParamsRecord StageParams;

extern int32_t opponentsLeft;   // live opponents, recounted by the running stage
extern int32_t stageCountdown;  // -1 while undecided; 300 when decided, then counted down
extern uint8_t stageResult;     // 1 won, 0 lost
extern int32_t weaponSel;       // the player's manual weapon slot; nothing changes it
extern uint8_t StageNumber;     // stage file of the next stage, read as a signed byte

// What each frame of the main loop runs. The script hands over to a stage by setting one of
// the two hand-over modes; the main loop sets the others. Any other value idles.
enum : int8_t {
    kScriptMode = 1,
    kShootingHandOver = 2,  // ready screen, then the shooting stage
    kShootingMode = 3,
    kBattleHandOver = 4,    // ready screen, then the battle stage
    kBattleMode = 5,
};
extern int8_t GameMode;  // starts at kScriptMode

// A decided stage shows its banner this many frames before the game goes on.
constexpr int32_t kStageDecidedFrames = 300;

// Positions, counters and hit points are 32-bit fields and wrap like them, however far
// objects travel or however large the data's values are; sums go through here so that they
// cannot overflow.
inline int32_t wrapAdd(int64_t a, int64_t b) {
    return static_cast<int32_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b));
}
