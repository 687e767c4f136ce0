// The game's craft as solid models: the player's mech, the battle units and missiles, and
// the side-view craft of the shooting stage. The sprite sheet renders them small; the
// story pictures render the same models large.
#pragma once
#include "tools/assets/voxel.h"

// Team colours: the player's side is steel blue with amber lights, the enemy rust red.
Model playerMech();
Model tankModel();
Model heavyTankModel();
Model turretModel();
Model mortarTurretModel();
Model missileModel();
Model rocketModel();
Model trackMarkModel();
Model barrierModel();
Model pylonModel();
Model wreckModel(bool heavy);

// Side-view craft; all face +y, rendered turned toward the left (or the right for the
// scout).
Model dartModel();
Model bobberModel();
Model looperModel();
Model deltaModel();
Model saucerModel();
Model diverModel();
Model scoutModel();
Model cruiserModel();
Model walkerModel();
Model podModel();

// Palette shared with the 2D art.
namespace palette {
constexpr Colour kPlayerHull = rgb(86, 140, 196);
constexpr Colour kPlayerLight = rgb(150, 196, 232);
constexpr Colour kPlayerDark = rgb(44, 62, 96);
constexpr Colour kAmber = rgb(255, 196, 64);
constexpr Colour kSteel = rgb(132, 138, 150);
constexpr Colour kEnemyHull = rgb(184, 64, 48);
constexpr Colour kEnemyLight = rgb(230, 120, 80);
constexpr Colour kEnemyDark = rgb(92, 34, 36);
constexpr Colour kEnemyGlow = rgb(255, 80, 96);
constexpr Colour kGunmetal = rgb(72, 74, 84);
constexpr Colour kConcrete = rgb(150, 146, 134);
constexpr Colour kOutline = rgb(18, 14, 24);
}  // namespace palette
