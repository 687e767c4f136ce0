// Where every picture sits on the character sheet bmp/char.bmp (800 x 600). The character
// list, the stage files (ground tiles) and the two stages' banners refer to these
// rectangles by their numbers, so this table is the one place to look them up.
//
// A rectangle with `frames` > 1 holds that many frames of w x h side by side: the eight
// direction frames of a battle object, frame f facing f x 45 degrees from straight down
// toward the right (0 down, 2 right, 4 up, 6 left).
//
//   y   0..31   player mech 8 frames | tank 8 frames | turret 8 frames | mine
//   y  32..63   player firing frame, timed objects and blocks (32 x 32) | mortar turret
//               8 frames | track mark, homing missile and rocket frames (16 x 16) | shots
//   y  82..119  won banner (0, 82) and lost banner (0, 101), 138 x 19 each
//   y 120..167  heavy tank 8 frames (48 x 48) | big wreck, strike marker, rock (48 x 48)
//   y 168..215  side-view craft of the shooting stage, hover pad, explosion (48 x 48 cells)
//   y 216..365  ground tiles: sea and lava (100 x 100, opaque), grass and ash (200 x 150,
//               drawn transparently in the battle stage)
//
// Pure black is transparent everywhere on the sheet; every rectangle lies inside the top
// left 800 x 600, the part that gets a mask.
#pragma once

struct SheetRect {
    const char* name;
    int x, y, w, h;
    int frames;
};

namespace sheet {

// Battle units and the player (8 direction frames each).
constexpr SheetRect kPlayer{"player mech", 0, 0, 32, 32, 8};
constexpr SheetRect kPlayerFiring{"player firing frame (TAX 0, TAY 32)", 0, 32, 32, 32, 1};
constexpr SheetRect kTank{"tank", 256, 0, 32, 32, 8};
constexpr SheetRect kTurret{"missile turret", 512, 0, 32, 32, 8};
constexpr SheetRect kMortarTurret{"mortar turret", 256, 32, 32, 32, 8};
constexpr SheetRect kHeavyTank{"heavy tank", 0, 120, 48, 48, 8};

// Directional shots and marks (8 frames of 16 x 16).
constexpr SheetRect kTrack{"track mark", 512, 32, 16, 16, 8};
constexpr SheetRect kMissile{"homing missile", 512, 48, 16, 16, 8};
constexpr SheetRect kRocket{"rocket", 640, 32, 16, 16, 8};

// Ground-level remains that the battle stage draws by heading: their heading is always
// 0, but all eight frames are there (the same picture each).
constexpr SheetRect kPuff{"smoke puff", 400, 216, 16, 16, 8};
constexpr SheetRect kDust{"settling dust", 400, 232, 16, 16, 8};

// Small plain pictures.
constexpr SheetRect kMine{"mine", 768, 0, 16, 16, 1};

constexpr SheetRect kPlasma{"plasma bolt", 640, 48, 8, 8, 1};
constexpr SheetRect kEnemyBullet{"enemy bullet", 656, 48, 8, 8, 1};
constexpr SheetRect kShell{"autocannon shell", 672, 48, 6, 6, 1};
constexpr SheetRect kBullet{"battle bullet", 688, 48, 6, 6, 1};
constexpr SheetRect kMortarShell{"mortar shell", 704, 48, 8, 8, 1};
constexpr SheetRect kEmpShell{"EMP shell", 720, 48, 8, 8, 1};
constexpr SheetRect kSeekerShell{"homing mortar shell", 736, 48, 10, 10, 1};

// Timed objects, remains and blocks of the battle stage (32 x 32 and 48 x 48).
constexpr SheetRect kBlast{"blast", 32, 32, 32, 32, 1};
constexpr SheetRect kEmpBlast{"EMP burst", 64, 32, 32, 32, 1};
constexpr SheetRect kWreck{"burning wreck", 96, 32, 32, 32, 1};
constexpr SheetRect kCrater{"crater", 128, 32, 32, 32, 1};
constexpr SheetRect kFire{"oil fire", 160, 32, 32, 32, 1};
constexpr SheetRect kBarrier{"concrete barrier", 192, 32, 32, 32, 1};
constexpr SheetRect kBunker{"sandbag wall", 224, 32, 32, 32, 1};
constexpr SheetRect kPylon{"fence pylon", 768, 32, 16, 32, 1};
constexpr SheetRect kBigWreck{"heavy tank wreck", 384, 120, 48, 48, 1};
constexpr SheetRect kStrike{"artillery strike marker", 432, 120, 48, 48, 1};
constexpr SheetRect kRock{"boulder", 480, 120, 48, 48, 1};

// The stage banners, fixed by the engine.
constexpr SheetRect kWonBanner{"won banner", 0, 82, 138, 19, 1};
constexpr SheetRect kLostBanner{"lost banner", 0, 101, 138, 19, 1};

// Side-view craft and props of the shooting stage, one per 48 x 48 cell from x 0.
constexpr SheetRect kDart{"dart (flies left)", 0, 168, 32, 16, 1};
constexpr SheetRect kBobber{"bobber (swings up and down)", 48, 168, 24, 24, 1};
constexpr SheetRect kLooper{"looper (square loop)", 96, 168, 32, 32, 1};
constexpr SheetRect kDelta{"delta fighter (diamond loop)", 144, 168, 32, 32, 1};
constexpr SheetRect kSaucer{"saucer (circle, ring fire)", 192, 168, 40, 24, 1};
constexpr SheetRect kDiver{"diver (straight dive)", 240, 168, 24, 24, 1};
constexpr SheetRect kScout{"scout (flies right)", 288, 168, 32, 16, 1};
constexpr SheetRect kCruiser{"cruiser (flies left, slow)", 336, 168, 48, 32, 1};
constexpr SheetRect kWalker{"crab walker (falls, walks left)", 384, 168, 32, 24, 1};
constexpr SheetRect kPod{"drop pod (falls)", 432, 168, 24, 32, 1};
constexpr SheetRect kPad{"hover pad (block)", 480, 168, 32, 32, 1};
constexpr SheetRect kExplosion{"explosion", 528, 168, 32, 32, 1};

// Ground tiles.
constexpr SheetRect kGrassTile{"grass tile (battle)", 0, 216, 200, 150, 1};
constexpr SheetRect kAshTile{"ash tile (battle)", 200, 216, 200, 150, 1};
constexpr SheetRect kSeaTile{"sea tile (shooting)", 0, 366, 200, 200, 1};
constexpr SheetRect kLavaTile{"lava tile (shooting)", 200, 366, 200, 220, 1};

constexpr SheetRect kAll[] = {
    kPlayer, kPlayerFiring, kTank, kTurret, kMortarTurret, kHeavyTank, kTrack, kMissile, kRocket,
    kMine, kPuff, kDust, kPlasma, kEnemyBullet, kShell, kBullet, kMortarShell, kEmpShell, kSeekerShell,
    kBlast, kEmpBlast, kWreck, kCrater, kFire, kBarrier, kBunker, kPylon, kBigWreck, kStrike, kRock,
    kWonBanner, kLostBanner,
    kDart, kBobber, kLooper, kDelta, kSaucer, kDiver, kScout, kCruiser, kWalker, kPod, kPad, kExplosion,
    kSeaTile, kLavaTile, kGrassTile, kAshTile,
};

constexpr int kSheetWidth = 800;
constexpr int kSheetHeight = 600;

}  // namespace sheet
