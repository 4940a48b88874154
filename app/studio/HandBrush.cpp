#include "app/studio/HandBrush.h"

#include "app/BrushInput.h"

namespace vornix {

void paintStroke(FluidModel& model, const Preset& current, int windowWidth, int windowHeight, const HandStroke& stroke)
{
    Cell cell;
    if (!cellUnderPixel(stroke.x, stroke.y, windowWidth, windowHeight, current.quality, cell))
        return;
    if (stroke.dye > 0.0f)
        model.addDensity(cell.i, cell.j, 0.5f * stroke.dye, current.brushSizeDensity);
    if (stroke.push) {
        const Force f = dampedForce(stroke.dx, stroke.dy, current.velocityPrecision);
        model.addVelocity(cell.i, cell.j, f.x, f.y, current.brushSizeVelocity);
    }
}

} // namespace vornix
