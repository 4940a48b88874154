#include "render/GradientTable.h"

#include <algorithm>

namespace vornix {

void GradientTable::fillTables()
{
    gradient.fillColorBytes(gradientColors);
    gradient.fillColorFloats(gradientColorsF);
    ++revision;
}

void GradientTable::uploadTexture()
{
    Surface32f image(GradientColorCount, 1, true, SurfaceChannelOrder::RGBA);
    std::copy(gradientColorsF.begin(), gradientColorsF.end(), image.getData());
    gradientTexture = gl::Texture(image);
}

void GradientTable::buildTables(int index)
{
    colorScheme = index;
    ownStops = false;
    gradient.setScheme(index);
    fillTables();
}

void GradientTable::setColorScheme(int index)
{
    buildTables(index);
    uploadTexture();
}

void GradientTable::setStops(std::vector<ColorStop> stops)
{
    ownStops = true;
    gradient.setStops(std::move(stops));
    fillTables();
    uploadTexture();
}

} // namespace vornix
