#include "shell/TextRenderer.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>

#include "shell/gl/Texture.h"

namespace vornix {

RenderedString renderString(const std::string& text, const Font& font, const ColorA& colour)
{
    const float width = font.measureWidth(text);
    const float lineBox = font.getAscent() + font.getDescent();
    const float height = std::max(lineBox, font.getAscent() + font.getDescent() + font.getLeading());
    RenderedString out;
    out.surface = Surface8u(static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height)) + 1, true,
                            SurfaceChannelOrder::RGBA);
    const int baseline = static_cast<int>(std::lround(font.getLeading() + font.getAscent()));
    font.rasterize(text, out.surface, 0, baseline, colour);
    out.baselineOffset = font.getDescent();
    return out;
}

void drawString(const std::string& text, float x, float y, const ColorA& colour, const Font& font)
{
    if (text.empty())
        return;
    GLfloat saved[4];
    glGetFloatv(GL_CURRENT_COLOR, saved);
    const RenderedString rendered = renderString(text, font, colour);
    if (rendered.surface.getWidth() > 0) {
        const gl::Texture texture(rendered.surface);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        const float top = y - rendered.baselineOffset;
        gl::draw(texture, Rectf{x, top, x + static_cast<float>(rendered.surface.getWidth()),
                                top + static_cast<float>(rendered.surface.getHeight())});
    }
    glColor4fv(saved);
}

} // namespace vornix
