// The program's icon: the demo's mech, seen from the battle's camera, turned a little
// toward the viewer, outlined, over nothing.
#include "tools/assets/assets.h"
#include "tools/assets/models.h"

namespace {

constexpr double kIconHeading = 0.5;    // radians from facing down the screen
constexpr double kIconElevation = 40;   // a lower camera than the battle's shows the legs
// At 32 pixels the mech fills the square at this scale, its feet near the bottom edge.
constexpr double kScaleAt32 = 1.2;
constexpr double kOriginYAt32 = 25;

}  // namespace

void drawIcon(Surface& s, int size) {
    resizeSurface(s, size, size, kIconClear);
    const double k = size / 32.0;
    renderModel(s, 0, 0, size, size, size / 2.0, kOriginYAt32 * k, playerMech(),
                {kIconHeading, kIconElevation, kScaleAt32 * k});
    outlineSprite(s, 0, 0, size, size, palette::kOutline);
}
