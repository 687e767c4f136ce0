#include "tools/assets/models.h"

#include <cmath>

using namespace palette;

namespace {

enum : uint8_t { kEmpty, kHull, kLight, kDark, kMetal, kGlow, kAccent, kGlass, kExtra };

Model withColours(Colour hull, Colour light, Colour dark, Colour metal, Colour glow, Colour accent) {
    Model m;
    m.mats[kHull].colour = hull;
    m.mats[kLight].colour = light;
    m.mats[kDark].colour = dark;
    m.mats[kMetal].colour = metal;
    m.mats[kGlow].colour = glow;
    m.mats[kGlow].glow = true;
    m.mats[kAccent].colour = accent;
    m.mats[kGlass].colour = rgb(120, 220, 255);
    m.mats[kGlass].glow = true;
    m.mats[kExtra].colour = rgb(230, 230, 220);
    return m;
}

Model enemyColours() {
    return withColours(kEnemyHull, kEnemyLight, kEnemyDark, kGunmetal, kEnemyGlow, rgb(240, 190, 70));
}

}  // namespace

Model playerMech() {
    Model m = withColours(kPlayerHull, kPlayerLight, kPlayerDark, kSteel, kAmber, rgb(230, 120, 40));
    m.radius = 14;
    for (float side : {-1.f, 1.f}) {
        m.box(side * 3.6f, 0.8f, 0.9f, 2.2f, 3.2f, 0.9f, kDark);    // foot
        m.box(side * 3.6f, 0, 4, 1.7f, 2, 2.6f, kMetal);          // shin
        m.ball(side * 3.6f, 0.6f, 6.6f, 1.9f, 1.9f, 1.6f, kDark);   // knee
        m.ball(side * 7, 0, 13.2f, 2.6f, 2.8f, 2.4f, kAccent);      // shoulder
        m.box(side * 7.4f, 0.5f, 10.4f, 1.6f, 1.8f, 2.2f, kMetal);  // upper arm
        m.cylinder('y', side * 7.4f, 3.6f, 9.4f, 1.6f, 3.6f, kDark);  // arm cannon
        m.cylinder('y', side * 7.4f, 7.2f, 9.4f, 1.0f, 0.4f, kGlow);  // muzzle
    }
    m.box(0, 0, 8, 4.6f, 2.6f, 1.4f, kMetal);       // hips
    m.box(0, 0, 11.6f, 5.4f, 3.6f, 3.2f, kHull);    // torso
    m.box(0, 2.6f, 12.2f, 4, 1.4f, 2.2f, kLight);   // chest plate
    m.box(0, 3.9f, 11.4f, 1.2f, 0.3f, 0.5f, kGlow); // chest light
    m.box(0, -3.8f, 12.6f, 3.4f, 1.4f, 3, kDark);   // backpack
    m.ball(0, 0.6f, 16.4f, 3.3f, 3.2f, 2.6f, kHull);  // head
    m.box(0, 3.2f, 16.6f, 2.4f, 0.8f, 0.8f, kGlass);  // visor
    m.box(0, 0, 19.2f, 0.5f, 2.2f, 0.7f, kLight);     // crest
    return m;
}

Model tankModel() {
    Model m = enemyColours();
    m.radius = 14;
    for (float side : {-1.f, 1.f}) {
        m.box(side * 5.6f, 0, 1.8f, 2.1f, 8.6f, 1.8f, kDark);
        for (int i = -3; i <= 3; ++i) m.box(side * 5.6f, i * 2.4f, 1.8f, 2.3f, 0.35f, 1.9f, kMetal);  // treads
    }
    m.box(0, -0.5f, 3.6f, 4.4f, 7.4f, 1.9f, kHull);
    m.box(0, 6.6f, 3.0f, 4.2f, 1.2f, 1.3f, kLight);
    m.cylinder('z', 0, -1.2f, 6.6f, 3.6f, 1.5f, kLight);
    m.cylinder('y', 0, 4.6f, 6.8f, 0.9f, 5.2f, kMetal);
    m.ball(-1.6f, -2.4f, 8.3f, 1.1f, 1.1f, 0.6f, kGlow);
    m.box(0, -7.3f, 4.6f, 3.2f, 0.6f, 0.9f, kDark);
    return m;
}

Model heavyTankModel() {
    Model m = withColours(rgb(128, 52, 88), rgb(176, 92, 128), rgb(62, 28, 52), kGunmetal, kEnemyGlow,
                          rgb(240, 190, 70));
    m.radius = 21;
    for (float side : {-1.f, 1.f}) {
        m.box(side * 8.4f, 0, 2.4f, 3, 12.6f, 2.4f, kDark);
        for (int i = -4; i <= 4; ++i) m.box(side * 8.4f, i * 2.8f, 2.4f, 3.2f, 0.4f, 2.5f, kMetal);
        m.box(side * 8.4f, -1, 5.4f, 3.2f, 10, 0.6f, kHull);  // skirts
        m.cylinder('y', side * 2.2f, 9.2f, 10.6f, 1.1f, 6.6f, kMetal);  // twin guns
    }
    m.box(0, -0.5f, 5.2f, 6.4f, 11, 2.6f, kHull);
    m.box(0, 10.4f, 4.2f, 6, 1.4f, 1.6f, kLight);
    m.box(0, -1.8f, 10.4f, 5.2f, 6, 2.4f, kLight);
    m.box(0, -5.4f, 13.4f, 2.2f, 1.8f, 0.8f, kAccent);  // missile box
    m.ball(3.2f, -4.2f, 13.2f, 1.2f, 1.2f, 0.7f, kGlow);
    m.ball(-3.2f, -4.2f, 13.2f, 1.2f, 1.2f, 0.7f, kGlow);
    return m;
}

Model turretModel() {
    Model m = enemyColours();
    m.mats[kExtra].colour = kConcrete;
    m.radius = 14;
    m.cylinder('z', 0, 0, 1.8f, 8.4f, 1.8f, kExtra);
    m.cylinder('z', 0, 0, 3.8f, 6.8f, 0.4f, kDark);
    m.ball(0, 0, 5.6f, 5, 5, 3.4f, kHull);
    m.box(0, 2.8f, 6.4f, 3.6f, 2.4f, 1.2f, kLight);  // launcher face
    for (float side : {-1.f, 1.f}) {
        m.cylinder('y', side * 2, 5.4f, 6.4f, 1.1f, 1.8f, kMetal);  // missile tubes
        m.cylinder('y', side * 2, 7.3f, 6.4f, 0.7f, 0.2f, kGlow);
    }
    m.ball(0, -2.6f, 8.6f, 1, 1, 1, kGlow);
    return m;
}

Model mortarTurretModel() {
    Model m = enemyColours();
    m.mats[kExtra].colour = kConcrete;
    m.radius = 14;
    m.box(0, 0, 1.8f, 8, 8, 1.8f, kExtra);
    m.box(0, 0, 3.8f, 6.6f, 6.6f, 0.4f, kDark);
    m.box(0, -0.5f, 5.6f, 4.8f, 5.4f, 1.8f, kHull);
    m.cylinder('z', 0, 2.4f, 8.6f, 2.4f, 3.4f, kMetal);  // mortar tube
    m.cylinder('z', 0, 2.4f, 11.8f, 1.6f, 0.3f, kDark);
    m.box(0, -4.6f, 7.6f, 2.6f, 0.8f, 0.8f, kLight);
    m.ball(2.8f, -3.2f, 7.8f, 0.8f, 0.8f, 0.8f, kGlow);
    return m;
}

Model missileModel() {
    Model m = enemyColours();
    m.mats[kExtra].colour = rgb(228, 224, 214);
    m.radius = 8;
    m.cylinder('y', 0, 0, 3, 1.3f, 4, kExtra);
    m.ball(0, 4, 3, 1.3f, 1.8f, 1.3f, kHull);
    m.box(0, -3, 3, 2.2f, 0.7f, 0.3f, kHull);
    m.ball(0, -5.4f, 3, 1.0f, 2.0f, 1.0f, kGlow);
    m.mats[kGlow].colour = rgb(255, 210, 90);
    return m;
}

Model rocketModel() {
    Model m = withColours(kPlayerHull, kPlayerLight, kPlayerDark, kSteel, kAmber, kAmber);
    m.radius = 8;
    m.cylinder('y', 0, 0, 3, 1.1f, 4.2f, kLight);
    m.ball(0, 4.2f, 3, 1.1f, 1.6f, 1.1f, kDark);
    m.box(0, -3.2f, 3, 2.0f, 0.7f, 0.3f, kHull);
    m.ball(0, -5.6f, 3, 1.0f, 2.0f, 1.0f, kGlow);
    return m;
}

Model trackMarkModel() {
    Model m;
    m.mats[1].colour = rgb(74, 62, 46);
    m.radius = 8;
    for (float side : {-1.f, 1.f})
        for (int i = -2; i <= 2; ++i) m.box(side * 3.6f, i * 2.4f, 0.2f, 1.4f, 0.8f, 0.2f, 1);
    return m;
}

Model barrierModel() {
    Model m;
    m.mats[1].colour = kConcrete;
    m.mats[2].colour = rgb(196, 190, 170);
    m.mats[3].colour = rgb(220, 180, 40);
    m.mats[4].colour = rgb(60, 58, 56);
    m.radius = 14;
    m.box(0, 0, 3, 9, 9, 3, 1);
    m.box(0, 0, 6.4f, 8, 8, 0.6f, 2);
    m.box(0, 0, 6.5f, 8.2f, 1.2f, 0.6f, 3);
    m.box(0, 0, 6.5f, 1.2f, 8.2f, 0.6f, 3);
    m.box(-6, 6, 4, 1.4f, 1.4f, 0.9f, 4);
    return m;
}

Model pylonModel() {
    Model m;
    m.mats[1].colour = rgb(110, 116, 128);
    m.mats[2].colour = rgb(60, 64, 76);
    m.mats[3].colour = rgb(120, 220, 255);
    m.mats[3].glow = true;
    m.radius = 16;
    m.box(0, 0, 1, 4, 4, 1, 2);
    m.box(0, 0, 9, 2, 2, 8, 1);
    m.box(0, 0, 17.5f, 2.6f, 2.6f, 0.8f, 2);
    m.ball(0, 0, 19.4f, 1.7f, 1.7f, 1.3f, 3);
    m.box(0, 1.6f, 9, 0.5f, 0.5f, 6, 3);
    return m;
}

Model wreckModel(bool heavy) {
    Model m;
    m.mats[1].colour = rgb(64, 56, 52);
    m.mats[2].colour = rgb(40, 36, 36);
    m.mats[3].colour = rgb(255, 150, 40);
    m.mats[3].glow = true;
    m.mats[4].colour = rgb(255, 230, 120);
    m.mats[4].glow = true;
    const float k = heavy ? 1.5f : 1.0f;
    m.radius = 14 * k;
    m.box(-5.4f * k, 0.4f * k, 1.6f * k, 2 * k, 8 * k, 1.6f * k, 2);
    m.box(5.2f * k, -0.6f * k, 1.4f * k, 2 * k, 7.4f * k, 1.4f * k, 2);
    m.box(0, 0, 3 * k, 4.4f * k, 7 * k, 1.6f * k, 1);
    m.cylinder('y', 2.5f * k, 6 * k, 4 * k, 0.9f * k, 3 * k, 2);  // broken gun
    m.ball(-1 * k, -1 * k, 4.8f * k, 2.2f * k, 2 * k, 1.6f * k, 3);
    m.ball(-1.2f * k, -1.2f * k, 5.8f * k, 1.1f * k, 1 * k, 1.1f * k, 4);
    m.ball(2.4f * k, 2.6f * k, 4.6f * k, 1.2f * k, 1.2f * k, 1.0f * k, 3);
    return m;
}

Model dartModel() {
    Model m = enemyColours();
    m.radius = 17;
    m.ball(0, 0, 0, 3.2f, 9, 3, kHull);
    m.ball(0, 7.6f, -0.4f, 2.4f, 5, 2.2f, kLight);
    m.ball(0, 3, 2.2f, 1.8f, 3.4f, 1.6f, kGlass);
    m.box(0, -3, -0.6f, 8, 2.6f, 0.7f, kDark);       // wings
    m.box(0, -6, 3.6f, 0.6f, 2, 3, kDark);           // fin
    m.ball(0, -8.6f, 0, 2.2f, 1.4f, 2.2f, kGlow);
    return m;
}

Model bobberModel() {
    Model m = withColours(rgb(150, 70, 170), rgb(200, 130, 220), rgb(70, 34, 90), kGunmetal, kEnemyGlow,
                          rgb(240, 190, 70));
    m.radius = 12;
    m.ball(0, 0, 0, 7, 7, 7, kHull);
    m.box(0, 0, 0, 9.5f, 1, 1, kMetal);
    m.box(0, 0, 0, 1, 9.5f, 1, kMetal);
    m.box(0, 0, 0, 1, 1, 9.5f, kMetal);
    m.ball(0, 6.2f, 0.6f, 2.6f, 1.4f, 2.6f, kGlow);
    m.ball(0, 7.1f, 0.6f, 1.1f, 0.6f, 1.1f, kDark);
    return m;
}

Model looperModel() {
    Model m = enemyColours();
    m.radius = 16;
    m.ball(0, 0, 0, 6, 7, 5, kHull);
    m.ball(0, 3.2f, 1.2f, 3.6f, 4.6f, 2.6f, kLight);
    m.ball(0, 6.4f, 0.4f, 1.6f, 1.2f, 1.6f, kGlow);
    m.cylinder('z', 0, -1, 7.4f, 8.6f, 0.4f, kMetal);   // rotor
    m.cylinder('z', 0, -1, 5.6f, 1, 1.8f, kDark);
    m.box(0, -1, -6.4f, 4, 1, 1.4f, kDark);             // skid
    m.box(0, -8, 0.8f, 1.2f, 2.6f, 1.4f, kDark);
    return m;
}

Model deltaModel() {
    Model m = enemyColours();
    m.radius = 17;
    m.ball(0, 0, 0, 3.4f, 9.4f, 3.2f, kHull);
    m.ball(0, 8.4f, -0.6f, 2.3f, 4.4f, 2.1f, kLight);
    m.ball(0, 3.6f, 2.4f, 1.7f, 3.2f, 1.5f, kGlass);
    for (int i = 0; i < 6; ++i) m.box(0, -5 + i * 1.6f, -1.2f, 9.6f - i * 1.5f, 0.9f, 0.8f, kDark);  // delta wing
    m.box(0, -6, 4.8f, 0.7f, 2.6f, 4.4f, kHull);  // tall fin
    m.box(0, -5.4f, 8.8f, 0.8f, 1.4f, 0.7f, kGlow);
    m.ball(0, -9.4f, 0, 2.4f, 1.2f, 2.4f, kGlow);
    return m;
}

Model saucerModel() {
    Model m = withColours(rgb(150, 156, 170), rgb(200, 206, 220), rgb(80, 84, 100), kGunmetal, kEnemyGlow,
                          rgb(240, 190, 70));
    m.radius = 21;
    m.ball(0, 0, 0, 19, 19, 3.2f, kHull);
    m.ball(0, 0, -1.4f, 12, 12, 3, kDark);
    m.ball(0, 0, 2.6f, 7, 7, 5, kGlass);
    m.mats[kGlass].colour = rgb(140, 230, 170);
    for (int i = 0; i < 8; ++i) {
        const float a = i * 0.785398f;
        m.ball(16.5f * std::sin(a), 16.5f * std::cos(a), 0.4f, 1.6f, 1.6f, 1.2f, kGlow);
    }
    return m;
}

Model diverModel() {
    Model m = enemyColours();
    m.radius = 12;
    m.ball(0, 0, 0, 5.4f, 6, 5.4f, kHull);
    m.ball(0, 2.4f, 0, 4.4f, 4.4f, 4.4f, kLight);
    m.ball(0, 5.6f, 0.4f, 2.6f, 1.6f, 2.6f, kDark);   // eye socket
    m.ball(0, 6.6f, 0.4f, 1.5f, 1.0f, 1.5f, kGlow);   // eye
    m.box(0, -2, 6, 0.8f, 2.6f, 2, kDark);             // top fin
    m.box(0, -2, -6, 0.8f, 2.6f, 2, kDark);            // bottom fin
    m.ball(0, -6.2f, 0, 2.2f, 1.4f, 2.2f, kGlow);      // thruster
    return m;
}

Model scoutModel() {
    Model m = withColours(rgb(222, 140, 40), rgb(250, 200, 90), rgb(110, 62, 30), kGunmetal, kEnemyGlow,
                          rgb(255, 230, 120));
    m.radius = 17;
    m.ball(0, 0, 0, 3, 9, 2.8f, kHull);
    m.ball(0, 7.8f, -0.4f, 2.2f, 4.6f, 2, kLight);
    m.ball(0, 3, 2, 1.7f, 3.2f, 1.5f, kGlass);
    m.box(0, -2, -0.4f, 7.4f, 2.2f, 0.6f, kDark);
    m.box(0, -6.4f, 3.2f, 0.6f, 1.8f, 2.8f, kDark);
    m.ball(0, -8.8f, 0, 2, 1.4f, 2, kGlow);
    return m;
}

Model cruiserModel() {
    Model m = withColours(rgb(96, 100, 118), rgb(150, 154, 170), rgb(52, 50, 64), kGunmetal, kEnemyGlow,
                          kEnemyHull);
    m.radius = 25;
    m.ball(0, 0, 0, 7, 19, 6.4f, kHull);
    m.box(0, -2, 6.4f, 3.6f, 9, 2.6f, kLight);       // bridge deck
    m.ball(0, 9.6f, 3.6f, 2.4f, 3.6f, 2, kGlass);
    m.box(0, 4, -5.2f, 5, 8, 1.2f, kDark);           // keel
    for (float side : {-1.f, 1.f}) m.cylinder('y', side * 7, -11, -1, 3, 5, kDark);  // engines
    m.ball(0, -18, -1, 5, 1.4f, 4, kGlow);
    m.cylinder('y', 0, 15, -3.6f, 1, 5, kMetal);     // chin gun
    m.box(0, -1, 0, 7.2f, 2, 0.8f, kAccent);         // stripe
    m.box(0, -9, 10.4f, 0.7f, 2.4f, 2.2f, kDark);    // mast
    return m;
}

Model walkerModel() {
    Model m = enemyColours();
    m.radius = 17;
    m.ball(0, 0, 8, 7, 9, 4, kHull);
    m.ball(0, 2, 10.6f, 4.4f, 5.4f, 2, kLight);
    m.ball(0, 8.4f, 8.6f, 1.4f, 1.2f, 1.4f, kGlow);
    m.ball(0, 8.8f, 6.4f, 2.2f, 1.6f, 1.2f, kDark);  // claws
    for (int i = -1; i <= 1; ++i) {
        m.box(6.6f, i * 5.2f, 4, 1, 1, 4.2f, kDark);
        m.box(-6.6f, i * 5.2f, 4, 1, 1, 4.2f, kDark);
    }
    return m;
}

Model podModel() {
    Model m = withColours(rgb(120, 126, 110), rgb(176, 180, 150), rgb(60, 64, 54), kGunmetal, kEnemyGlow,
                          kEnemyHull);
    m.radius = 17;
    m.ball(0, 0, 0, 7, 7, 11, kHull);
    m.box(0, 0, 4, 7.2f, 1.6f, 1, kAccent);
    m.ball(0, 5.2f, 1, 2.2f, 1.6f, 2.2f, kGlow);
    for (float side : {-1.f, 1.f}) m.box(side * 6, 0, 11, 1, 4, 4, kDark);  // fins on top
    m.ball(0, 0, -10, 4, 4, 2, kDark);
    return m;
}
