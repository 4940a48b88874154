// Each solver program's per-fragment rule, run through the passes of both GPU models (the fast one with its
// single-channel fields and rewritten programs, and the reference with the original programs) on small hand-made
// fields and compared with a CPU evaluation of the same rule (bilinear reads emulated; llvmpipe differs in the last
// bits).
#include <gtest/gtest.h>

#include <epoxy/gl.h>

#include <cmath>
#include <sstream>

#include "fluid/gpu/FluidModelGLSL.h"
#include "tests/support/GpuFieldSupport.h"
#include "tests/support/ReferenceGpuSolver.h"

using namespace vornix;
using test::Field4;

namespace {

constexpr int n = 6;
constexpr int g = n + 2;
// Tolerance for values built from reads between texel centres.
constexpr double blendTolerance = 2e-4;

double centre(int i) { return (i + 0.5) / g; }
bool ring(int i, int j) { return i == 0 || j == 0 || i == g - 1 || j == g - 1; }

template <class Model> class GpuPass : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(model.programsLoaded()) << console.str(); }

    std::ostringstream console;
    Model model{console, n, 0.0f, 0.5f, 0.0f};
    const double h = model.oneNStep();
    const Field4 x = test::patternField(g);
    const Field4 y = test::patternField(g, -0.7f);
};

using Models = ::testing::Types<FluidModelGLSL, test::ReferenceGpuSolver>;
TYPED_TEST_SUITE(GpuPass, Models);

// The fixture's members under short names; `channels` is how many channels the model's fields carry.
#define GPU_PASS_LOCALS                                                                                              \
    auto& model = this->model;                                                                                       \
    const Field4& x = this->x;                                                                                       \
    const Field4& y = this->y;                                                                                       \
    const double h = this->h;                                                                                        \
    const int channels = test::channelsOf(model);                                                                    \
    using F = typename TypeParam::Field;                                                                             \
    (void)x, (void)y, (void)h, (void)channels

TYPED_TEST(GpuPass, AddSourceAddsDtTimesTheSource)
{
    GPU_PASS_LOCALS;
    test::writeField(model, F::U, x);
    test::writeField(model, F::UPrev, y);
    model.addSource(F::U, F::UPrev);
    const Field4 out = test::readField(model, F::U);
    for (std::size_t k = 0; k < out.texels.size(); ++k)
        if (static_cast<int>(k % 4) < channels) {
            EXPECT_NEAR(out.texels[k], x.texels[k] + 0.5f * y.texels[k], 1e-5) << k;
        }
    // The source is only read.
    EXPECT_TRUE(test::sameRed(test::readField(model, F::UPrev), y));
}

TYPED_TEST(GpuPass, JacobiIterationUpdatesOnlyTheInteriorFromTheOldIterate)
{
    GPU_PASS_LOCALS;
    test::writeField(model, F::DensPrev, x);
    test::writeField(model, F::Dens, y);
    const float a = 0.7f, c = 1.0f + 4.0f * a;
    model.linSolveIteration(F::DensPrev, F::Dens, a, c);
    const Field4 out = test::readField(model, F::DensPrev);
    for (int j = 0; j < g; ++j)
        for (int i = 0; i < g; ++i)
            for (int ch = 0; ch < channels; ++ch) {
                const double s = centre(i), t = centre(j);
                const double expected = ring(i, j) ? x.at(i, j, ch)
                                                   : (y.sample(s, t, ch) + a * (x.sample(s - h, t, ch) +
                                                                                x.sample(s + h, t, ch) +
                                                                                x.sample(s, t - h, ch) +
                                                                                x.sample(s, t + h, ch))) / c;
                EXPECT_NEAR(out.at(i, j, ch), expected, ring(i, j) ? 1e-6 : blendTolerance) << i << "," << j;
            }
}

TYPED_TEST(GpuPass, DivergenceIsWrittenToRedOnly)
{
    GPU_PASS_LOCALS;
    test::writeField(model, F::U, x);
    test::writeField(model, F::V, y);
    test::writeField(model, F::Dens, test::patternField(g, 3.0f));
    model.divergencePass(F::U, F::V, F::Dens);
    const Field4 out = test::readField(model, F::Dens);
    for (int j = 0; j < g; ++j)
        for (int i = 0; i < g; ++i) {
            const double s = centre(i), t = centre(j);
            const double expected =
                -0.5 * (x.sample(s + h, t, 0) - x.sample(s - h, t, 0) + y.sample(s, t + h, 0) - y.sample(s, t - h, 0)) /
                n;
            EXPECT_NEAR(out.at(i, j, 0), expected, blendTolerance) << i << "," << j;
            EXPECT_EQ(out.at(i, j, 1), 0.0f);
            EXPECT_EQ(out.at(i, j, 2), 0.0f);
            EXPECT_EQ(out.at(i, j, 3), 0.0f);
        }
}

TYPED_TEST(GpuPass, GradientPassesChangeOnlyRed)
{
    GPU_PASS_LOCALS;
    const Field4 p = test::patternField(g, 0.01f);
    test::writeField(model, F::UPrev, p);
    test::writeField(model, F::U, x);
    test::writeField(model, F::V, y);
    model.subtractGradientU(F::U, F::UPrev);
    model.subtractGradientV(F::V, F::UPrev);
    const Field4 outU = test::readField(model, F::U);
    const Field4 outV = test::readField(model, F::V);
    for (int j = 0; j < g; ++j)
        for (int i = 0; i < g; ++i) {
            const double s = centre(i), t = centre(j);
            EXPECT_NEAR(outU.at(i, j, 0), x.at(i, j, 0) - 0.5 * n * (p.sample(s + h, t, 0) - p.sample(s - h, t, 0)),
                        blendTolerance);
            EXPECT_NEAR(outV.at(i, j, 0), y.at(i, j, 0) - 0.5 * n * (p.sample(s, t + h, 0) - p.sample(s, t - h, 0)),
                        blendTolerance);
            for (int ch = 1; ch < channels; ++ch) {
                EXPECT_NEAR(outU.at(i, j, ch), x.at(i, j, ch), 1e-6);
                EXPECT_NEAR(outV.at(i, j, ch), y.at(i, j, ch), 1e-6);
            }
        }
}

TYPED_TEST(GpuPass, FadedDiscAddsTheFullStrengthAtItsCentreAndNothingFromItsRadiusOn)
{
    GPU_PASS_LOCALS;
    test::writeField(model, F::DensPrev, x);
    const float xc = static_cast<float>(centre(3)), yc = static_cast<float>(centre(4));
    const float r = 2.5f / g, strength = 2.0f;
    model.addForceAreaPass(F::DensPrev, xc, yc, strength, r);
    const Field4 out = test::readField(model, F::DensPrev);
    for (int j = 0; j < g; ++j)
        for (int i = 0; i < g; ++i) {
            const double d = std::hypot(xc - centre(i), yc - centre(j));
            const double added = strength * std::clamp(1.0 - d / r, 0.0, 1.0);
            for (int ch = 0; ch < channels; ++ch)
                EXPECT_NEAR(out.at(i, j, ch), x.at(i, j, ch) + added, d >= r ? 1e-6 : 1e-5) << i << "," << j;
        }
    EXPECT_NEAR(out.at(3, 4, 0), x.at(3, 4, 0) + strength, 1e-5);
    // The texel two cells to the right is 2 / g away: inside; three cells (3 / g > r) keeps its value.
    EXPECT_GT(out.at(5, 4, 0), x.at(5, 4, 0));
    EXPECT_NEAR(out.at(6, 4, 0), x.at(6, 4, 0), 1e-6);
}

TYPED_TEST(GpuPass, FadedDiscNearAnEdgeIsClippedButKeepsItsShape)
{
    GPU_PASS_LOCALS;
    // Centre at cell (0, 1) in the model's coordinates: the box is clipped at 0 on the left.
    model.addDensity(0, 1, 1.0f, 3.0f);
    const Field4 out = test::readField(model, F::DensPrev);
    const double xc = 0.0f * model.oneNStep(), yc = 1.0f * model.oneNStep(), r = 3.0f * model.oneNStep();
    double total = 0.0;
    for (int j = 0; j < g; ++j)
        for (int i = 0; i < g; ++i) {
            const double d = std::hypot(xc - centre(i), yc - centre(j));
            EXPECT_NEAR(out.at(i, j, 0), std::clamp(1.0 - d / r, 0.0, 1.0), 1e-5) << i << "," << j;
            if (channels == 4) {
                EXPECT_EQ(out.at(i, j, 0), out.at(i, j, 3));
            }
            total += out.at(i, j, 0);
        }
    EXPECT_GT(total, 0.0);
}

TYPED_TEST(GpuPass, AdvectionWithoutTimeStepWeightsTheFieldAroundTheFragment)
{
    GPU_PASS_LOCALS;
    test::writeField(model, F::DensPrev, x);
    test::writeField(model, F::U, test::patternField(g, 5.0f));   // velocities that must be ignored
    test::writeField(model, F::V, test::patternField(g, -5.0f));
    model.advectPass(F::Dens, F::DensPrev, F::U, F::V, 0.0f);
    const Field4 out = test::readField(model, F::Dens);
    const float hf = model.oneNStep(), H = 1.0f - hf;
    for (int j = 0; j < g; ++j)
        for (int i = 0; i < g; ++i) {
            // The rule as the program computes it, in float.
            const float xy[2] = {std::clamp(static_cast<float>(centre(i)), 0.0f, H),
                                 std::clamp(static_cast<float>(centre(j)), 0.0f, H)};
            float st1[2], ij0[2], ij1[2];
            for (int k = 0; k < 2; ++k) {
                st1[k] = xy[k] - hf * std::floor(xy[k] / hf);
                ij0[k] = (xy[k] / hf - st1[k]) * hf;
                ij1[k] = ij0[k] + hf;
            }
            for (int ch = 0; ch < channels; ++ch) {
                const double lo = (1 - st1[1]) * x.sample(ij0[0], ij0[1], ch) + st1[1] * x.sample(ij0[0], ij1[1], ch);
                const double hi = (1 - st1[1]) * x.sample(ij1[0], ij0[1], ch) + st1[1] * x.sample(ij1[0], ij1[1], ch);
                const double expected = (1 - st1[0]) * lo + st1[0] * hi;
                EXPECT_NEAR(out.at(i, j, ch), expected, blendTolerance) << i << "," << j << " ch " << ch;
            }
        }
}

TYPED_TEST(GpuPass, BoundaryPassCopiesTheFieldWithTheTexelCentredQuad)
{
    GPU_PASS_LOCALS;
    // No fragment sits exactly on 0.0 or 1.0, so neither the wall nor the corner rules select one.
    for (vornix::Boundary b : {vornix::Boundary::Scalar, vornix::Boundary::Horizontal, vornix::Boundary::Vertical}) {
        test::writeField(model, F::VPrev, x);
        model.setBnd(F::VPrev, b);
        const Field4 out = test::readField(model, F::VPrev);
        for (std::size_t k = 0; k < out.texels.size(); ++k)
            if (static_cast<int>(k % 4) < channels) {
                ASSERT_NEAR(out.texels[k], x.texels[k], 1e-6) << "b " << static_cast<int>(b) << " texel value " << k;
            }
    }
}

} // namespace
