#include "render/GradientTable.h"

#include <algorithm>

namespace vornix {

void GradientTable::buildTables(int index)
{
    colorScheme = index;
    gradient.setScheme(index);
    gradient.fillColorBytes(gradientColors);
    gradient.fillColorFloats(gradientColorsF);
}

void GradientTable::setColorScheme(int index)
{
    buildTables(index);
    Surface32f image(GradientColorCount, 1, true, SurfaceChannelOrder::RGBA);
    std::copy(gradientColorsF.begin(), gradientColorsF.end(), image.getData());
    gradientTexture = gl::Texture(image);
}

} // namespace vornix
