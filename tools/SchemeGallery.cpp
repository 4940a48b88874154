// SchemeGallery: draws a density field (a smooth hill and a flat-topped disc) through each of the eight colour schemes, with and without lighting, on both
// engines' paths (CPU colouring, frag_draw), and writes the tiles as one binary PPM picture.
// Rows: schemes 0..7. Columns: CPU plain, CPU lit, GPU plain, GPU lit. The gradient bar is on in every tile.
// Usage: SchemeGallery out.ppm   (needs a display, e.g. xvfb-run)
#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <fstream>
#include <vector>

#include "fluid/FluidModel.h"
#include "render/DensityRenderer.h"
#include "render/FramerateLine.h"
#include "shell/gl/Fbo.h"
#include "shell/platform/HiddenGlContext.h"

using namespace vornix;

namespace {

constexpr int Tile = 200;
constexpr int GridN = 100;

void setWindowMatrices(int w, int h)
{
    glViewport(0, 0, w, h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, w, h, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// A hand-made density field behind the model interface: a smooth hill (peak 1.1, so its top saturates) and a
// flat-topped disc at 0.6 with a soft rim. Only the density is meaningful; the renderer reads nothing else.
class FieldModel : public FluidModel {
public:
    FieldModel() : FluidModel(GridN, 0.0f, 0.1f, 0.0f), cells_(static_cast<std::size_t>(GridN + 2) * (GridN + 2))
    {
        for (int j = 0; j < GridN + 2; ++j)
            for (int i = 0; i < GridN + 2; ++i) {
                const float hx = static_cast<float>(i - 32), hy = static_cast<float>(j - 62);
                const float hill = 1.1f * std::exp(-(hx * hx + hy * hy) / (2.0f * 14.0f * 14.0f));
                const float dx = static_cast<float>(i - 68), dy = static_cast<float>(j - 34);
                const float r = std::sqrt(dx * dx + dy * dy);
                const float disc = 0.6f * std::clamp((22.0f - r) / 5.0f, 0.0f, 1.0f);
                cells_[static_cast<std::size_t>(i) + static_cast<std::size_t>(GridN + 2) * j] = std::max(hill, disc);
            }
    }
    void reset() override {}
    void clearVelocity() override {}
    void clearDensity() override {}
    void addDensity(int, int, float, float) override {}
    void addVelocity(int, int, float, float, float) override {}
    void step() override {}
    void velStep() override {}
    void densStep() override {}
    float getDensity(int i, int j) const override
    {
        return cells_[static_cast<std::size_t>(i) + static_cast<std::size_t>(GridN + 2) * j];
    }
    float getU(int, int) const override { return 0.0f; }
    float getV(int, int) const override { return 0.0f; }
    void setN(int) override {}
    DensitySource densitySource() const override { return DensitySource::Field; }
    const float* densityField() const override { return cells_.data(); }

private:
    std::vector<float> cells_;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s out.ppm\n", argv[0]);
        return 2;
    }
    try {
        HiddenGlContext context(64, 64);
        const FieldModel model;
        const int size = GridN + 2;
        Surface32f field(size, size, true, SurfaceChannelOrder::RGBA);
        for (int j = 0; j < size; ++j)
            for (int i = 0; i < size; ++i)
                std::fill_n(field.getPixel(i, j), 4, model.getDensity(i, j));
        const gl::Texture densityTexture(field);
        const Rectf interior = densityTexture.texCoordsOf(Area{1, 1, GridN + 1, GridN + 1});

        DensityRenderer cpu, gpu;
        cpu.updateGridDependents(GridN, DensitySource::Field);
        gpu.updateGridDependents(GridN, DensitySource::Texture);
        gpu.loadDrawProgram();
        FramerateLine framerate;
        framerate.refresh(true, 1.0, 29.9);

        const int width = 4 * Tile, height = 8 * Tile;
        std::vector<unsigned char> picture(static_cast<std::size_t>(width) * height * 3);
        gl::Fbo fbo(Tile, Tile, gl::FboFormat().enableDepthBuffer(false));
        std::vector<unsigned char> tile(static_cast<std::size_t>(Tile) * Tile * 3);
        GradientTable table;
        for (int scheme = 0; scheme < 8; ++scheme) {
            table.setColorScheme(scheme);
            for (int column = 0; column < 4; ++column) {
                const bool lit = column % 2 == 1, onGpu = column >= 2;
                fbo.bindFramebuffer();
                setWindowMatrices(Tile, Tile);
                glColor4f(1, 1, 1, 1);
                const RenderFlags flags{lit, true};
                if (onGpu)
                    gpu.drawGpuDensity(densityTexture, interior, GridN, flags, table, Tile, Tile);
                else
                    cpu.drawCpuDensity(model, flags, table, Tile, Tile);
                if (scheme == 0 && column == 0)
                    framerate.draw();
                glPixelStorei(GL_PACK_ALIGNMENT, 1);
                glReadPixels(0, 0, Tile, Tile, GL_RGB, GL_UNSIGNED_BYTE, tile.data());
                gl::Fbo::unbindFramebuffer();
                for (int y = 0; y < Tile; ++y) {
                    const unsigned char* src = tile.data() + static_cast<std::size_t>(Tile - 1 - y) * Tile * 3;
                    unsigned char* dst =
                        picture.data() + (static_cast<std::size_t>(scheme * Tile + y) * width + column * Tile) * 3;
                    std::copy_n(src, Tile * 3, dst);
                }
            }
        }
        std::ofstream out(argv[1], std::ios::binary);
        out << "P6\n" << width << " " << height << "\n255\n";
        out.write(reinterpret_cast<const char*>(picture.data()), static_cast<std::streamsize>(picture.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", argv[1]);
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "SchemeGallery: %s\n", e.what());
        return 1;
    }
    return 0;
}
