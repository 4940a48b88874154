// Extreme settings on the CPU engine: the largest time step, viscosity and diffusion the panel allows, forces from
// mouse jumps across a whole screen and the widest brushes, for every preset at the smallest and largest grid. The
// fields must stay finite; and where a non-finite density still appears it must never reach the picture.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "app/Preset.h"
#include "fluid/FluidModelCPU.h"
#include "render/DensityRenderer.h"
#include "render/GradientTable.h"
#include "tests/support/WildInput.h"

using namespace vornix;
using test::wildFrame;

namespace {

std::size_t firstNonFinite(const float* field, std::uint32_t n)
{
    const std::size_t cells = static_cast<std::size_t>(n + 2) * (n + 2);
    for (std::size_t k = 0; k < cells; ++k)
        if (!std::isfinite(field[k]))
            return k;
    return cells;
}

void expectAllFinite(const FluidModelCPU& m, const std::string& what)
{
    const std::size_t cells = static_cast<std::size_t>(m.N + 2) * (m.N + 2);
    EXPECT_EQ(firstNonFinite(m.densityField(), m.N), cells) << what << ": density";
    EXPECT_EQ(firstNonFinite(m.uField(), m.N), cells) << what << ": u";
    EXPECT_EQ(firstNonFinite(m.vField(), m.N), cells) << what << ": v";
}

} // namespace

TEST(Extremes, CpuFieldsStayFiniteForEveryPresetAtTheParameterLimits)
{
    for (const Preset& p : builtInPresets()) {
        // With the preset's brush damping and with none (precision 0 passes the raw 5000-pixel jump on).
        for (int precision : {p.velocityPrecision, 0}) {
            FluidModelCPU m(10, toModelRate(10000), 1.0f, toModelRate(5000));
            for (int s = 0; s < 300; ++s)
                wildFrame(m, s, precision);
            expectAllFinite(m, p.name + " N=10 precision=" + std::to_string(precision));
        }
        // The preset's own parameters at N = 10, run long.
        FluidModelCPU own(10, toModelRate(p.viscosity), p.deltaTime, toModelRate(p.diffusion));
        for (int s = 0; s < 500; ++s)
            wildFrame(own, s, p.velocityPrecision);
        expectAllFinite(own, p.name + " own parameters");
    }
}

TEST(Extremes, CpuFieldsStayFiniteOnTheLargestGrid)
{
    // The largest grid is slow (under the sanitizers most of all): two steps with the undamped jumps.
    FluidModelCPU large(1000, toModelRate(10000), 1.0f, toModelRate(5000));
    for (int s = 0; s < 2; ++s)
        wildFrame(large, s, 0);
    expectAllFinite(large, "N=1000");
}

TEST(Extremes, ZeroViscosityAndDiffusionAtTheLargestStepStayFinite)
{
    FluidModelCPU m(10, 0.0f, 1.0f, 0.0f);
    for (int s = 0; s < 500; ++s)
        wildFrame(m, s, 0);
    expectAllFinite(m, "zero rates");
}

TEST(Extremes, NaNIsDrawnAsNoDensityAndInfinitiesAsTheLargestDensities)
{
    GradientTable t;
    t.buildTables(3);
    const std::uint32_t n = 8;
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    const float big = std::numeric_limits<float>::max();
    std::vector<float> bad((n + 2) * (n + 2), 0.7f), clean = bad;
    // A bad cell next to good ones, good cells next to bad ones (never two bad neighbours: inf - inf is no slope).
    const float specials[] = {nan, inf, -inf, -nan};
    const float standIns[] = {0.0f, big, -big, 0.0f};
    for (std::size_t k = 0; k < bad.size(); k += 3) {
        bad[k] = specials[(k / 3) % 4];
        clean[k] = standIns[(k / 3) % 4];
    }
    for (bool lighting : {false, true}) {
        Surface8u a(n, n, false, SurfaceChannelOrder::RGB), b(n, n, false, SurfaceChannelOrder::RGB);
        colorDensityField(bad.data(), n, t.gradientColors, lighting, 1, a);
        colorDensityField(clean.data(), n, t.gradientColors, lighting, 1, b);
        for (int y = 0; y < static_cast<int>(n); ++y)
            for (int x = 0; x < static_cast<int>(n); ++x)
                for (int c = 0; c < 3; ++c)
                    ASSERT_EQ(a.getPixel(x, y)[c], b.getPixel(x, y)[c]) << x << "," << y << " lighting " << lighting;
    }
}
