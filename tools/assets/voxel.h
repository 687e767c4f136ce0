// Small solid models for the sprites: a model is a list of boxes, balls and cylinders in
// model space, and the renderer ray-casts it at a heading and a camera elevation into a
// rectangle of a surface, lit from the upper left. Battle units are rendered once per
// direction frame, side-view craft once; the same models at a larger scale dress the
// story pictures, so the whole game shares one look.
#pragma once
#include <cstdint>
#include <vector>

#include "tools/assets/paint.h"

// Model space: +y is the front of the model, +x its left flank seen from behind, +z up;
// the origin is the centre of the model's footprint on the ground.
struct Prim {
    enum Shape : uint8_t { Box, Ball, CylX, CylY, CylZ };
    Shape shape;
    float x, y, z;     // centre
    float rx, ry, rz;  // half extents (radius for the round sides of a cylinder: rx = ry or rz)
    uint8_t mat;       // 0 carves the shape out of what came before
};

struct Material {
    Colour colour = 0;
    bool glow = false;  // drawn at full colour, unlit
};

struct Model {
    Material mats[16];
    std::vector<Prim> prims;  // later shapes win where they overlap
    float radius = 16;        // bound of every shape around the origin

    void box(float x, float y, float z, float rx, float ry, float rz, uint8_t mat) {
        prims.push_back({Prim::Box, x, y, z, rx, ry, rz, mat});
    }
    void ball(float x, float y, float z, float rx, float ry, float rz, uint8_t mat) {
        prims.push_back({Prim::Ball, x, y, z, rx, ry, rz, mat});
    }
    // Cylinder along the given axis ('x', 'y' or 'z'): r across, half length along.
    void cylinder(char axis, float x, float y, float z, float r, float halfLength, uint8_t mat);
    // The material at a model-space point (0 = empty).
    uint8_t at(float x, float y, float z) const;
};

struct View {
    double heading = 0;      // radians; 0 faces down the screen, pi/2 faces right
    double elevation = 55;   // camera height in degrees: 90 looks straight down, 0 from the side
    double scale = 1;        // pixels per model unit
};

// Renders the model into the w x h rectangle at (x, y) of dst with the model origin at
// (x + ox, y + oy). Pixels the model does not cover are left as they are.
void renderModel(Surface& dst, int x, int y, int w, int h, double ox, double oy, const Model& model,
                 const View& view);
