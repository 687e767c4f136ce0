#include "tools/assets/voxel.h"

#include <cmath>
#include <vector>

void Model::cylinder(char axis, float x, float y, float z, float r, float halfLength, uint8_t mat) {
    switch (axis) {
    case 'x': prims.push_back({Prim::CylX, x, y, z, halfLength, r, r, mat}); break;
    case 'y': prims.push_back({Prim::CylY, x, y, z, r, halfLength, r, mat}); break;
    default: prims.push_back({Prim::CylZ, x, y, z, r, r, halfLength, mat}); break;
    }
}

namespace {

bool inside(const Prim& p, float x, float y, float z) {
    const float dx = (x - p.x) / p.rx, dy = (y - p.y) / p.ry, dz = (z - p.z) / p.rz;
    switch (p.shape) {
    case Prim::Box: return std::fabs(dx) <= 1 && std::fabs(dy) <= 1 && std::fabs(dz) <= 1;
    case Prim::Ball: return dx * dx + dy * dy + dz * dz <= 1;
    case Prim::CylX: return std::fabs(dx) <= 1 && dy * dy + dz * dz <= 1;
    case Prim::CylY: return std::fabs(dy) <= 1 && dx * dx + dz * dz <= 1;
    case Prim::CylZ: return std::fabs(dz) <= 1 && dx * dx + dy * dy <= 1;
    }
    return false;
}

}  // namespace

uint8_t Model::at(float x, float y, float z) const {
    uint8_t mat = 0;
    for (const Prim& p : prims)
        if (inside(p, x, y, z)) mat = p.mat;
    return mat;
}

void renderModel(Surface& dst, int x, int y, int w, int h, double ox, double oy, const Model& model,
                 const View& view) {
    const double t = view.elevation * 3.14159265358979 / 180.0;
    const double ca = std::cos(view.heading), sa = std::sin(view.heading);
    // Screen axes and the viewing direction in world space (X right, Y toward the viewer,
    // Z up); model space is world space turned by the heading about Z.
    const double uyY = std::sin(t), uyZ = -std::cos(t);
    const double dY = -std::cos(t), dZ = -std::sin(t);
    const double radius = model.radius;
    const double step = 0.2;
    // Light from the upper left and a little toward the viewer.
    double lx = -0.55, ly = 0.45, lz = 0.75;
    const double ll = std::sqrt(lx * lx + ly * ly + lz * lz);
    lx /= ll, ly /= ll, lz /= ll;

    auto toModelX = [&](double wx, double wy) { return wx * ca - wy * sa; };
    auto toModelY = [&](double wx, double wy) { return wx * sa + wy * ca; };
    auto modelAt = [&](double wx, double wy, double wz) {
        return model.at(static_cast<float>(toModelX(wx, wy)), static_cast<float>(toModelY(wx, wy)), static_cast<float>(wz));
    };

    // Each ray only visits the shapes whose bounding spheres it passes through.
    std::vector<const Prim*> candidates;
    candidates.reserve(model.prims.size());

    for (int py = 0; py < h; ++py)
        for (int px = 0; px < w; ++px) {
            const double sx = (px + 0.5 - ox) / view.scale, sy = (py + 0.5 - oy) / view.scale;
            // Point of the screen plane through the origin, then back toward the camera.
            double wx = sx, wy = sy * uyY, wz = sy * uyZ;
            if (wx * wx > radius * radius) continue;
            wy -= dY * radius * 1.5;
            wz -= dZ * radius * 1.5;
            // The ray in model space: start o, direction d (unit length).
            const double oxm = toModelX(wx, wy), oym = toModelY(wx, wy), ozm = wz;
            const double dxm = toModelX(0, dY), dym = toModelY(0, dY), dzm = dZ;
            candidates.clear();
            double first = 1e9, last = -1e9;
            for (const Prim& p : model.prims) {
                const double r2 = double(p.rx) * p.rx + double(p.ry) * p.ry + double(p.rz) * p.rz;
                const double cx = p.x - oxm, cy = p.y - oym, cz = p.z - ozm;
                const double along = cx * dxm + cy * dym + cz * dzm;
                const double off2 = cx * cx + cy * cy + cz * cz - along * along;
                if (off2 > r2) continue;
                const double half = std::sqrt(r2 - off2);
                candidates.push_back(&p);
                first = std::fmin(first, along - half);
                last = std::fmax(last, along + half);
            }
            if (candidates.empty()) continue;
            uint8_t mat = 0;
            double travelled = std::fmax(0.0, first);
            for (; travelled <= last; travelled += step) {
                const float mx = static_cast<float>(oxm + dxm * travelled);
                const float my = static_cast<float>(oym + dym * travelled);
                const float mz = static_cast<float>(ozm + dzm * travelled);
                for (const Prim* p : candidates)
                    if (inside(*p, mx, my, mz)) mat = p->mat;
                if (mat) break;
            }
            if (!mat) continue;
            wy += dY * travelled;
            wz += dZ * travelled;
            const Material& m = model.mats[mat];
            Colour c = m.colour;
            if (!m.glow) {
                const double e = 0.7;
                double nx = (modelAt(wx - e, wy, wz) ? 1 : 0) - (modelAt(wx + e, wy, wz) ? 1 : 0);
                double ny = (modelAt(wx, wy - e, wz) ? 1 : 0) - (modelAt(wx, wy + e, wz) ? 1 : 0);
                double nz = (modelAt(wx, wy, wz - e) ? 1 : 0) - (modelAt(wx, wy, wz + e) ? 1 : 0);
                double nl = std::sqrt(nx * nx + ny * ny + nz * nz);
                if (nl == 0) nx = 0, ny = -dY, nz = -dZ, nl = 1;
                const double diffuse = std::fmax(0.0, (nx * lx + ny * ly + nz * lz) / nl);
                c = shade(c, 0.55 + 0.6 * diffuse);
            }
            put(dst, x + px, y + py, opaque(c));
        }
}
