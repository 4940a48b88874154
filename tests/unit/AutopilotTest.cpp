// The autopilot on the CPU model: a seed makes a run repeatable bit for bit, another seed paints another picture, the
// emitters stay on the window and cover a good part of it in ten seconds of steps.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/Preset.h"
#include "app/studio/Autopilot.h"
#include "app/studio/HandBrush.h"
#include "fluid/FluidModelCPU.h"

using namespace vornix;

namespace {

constexpr int window = 600;

Preset fancyOnCpu(int n)
{
    Preset p;
    p.quality = n;
    p.brushSizeDensity = 20.0f * n / 200;
    p.brushSizeVelocity = 10.0f * n / 200;
    p.velocityPrecision = 4;
    return p;
}

// The density after `steps` steps of an autopilot with this seed painting into a fresh model.
std::vector<float> paintedDensity(std::uint64_t seed, int steps, int n = 100)
{
    FluidModelCPU model(n, 100 / 1e7f, 0.1f, 200 / 1e7f);
    const Preset current = fancyOnCpu(n);
    Autopilot autopilot(seed);
    AutopilotSettings settings;
    for (int k = 0; k < steps; ++k) {
        for (const HandStroke& s : autopilot.step(settings, window, window))
            paintStroke(model, current, window, window, s);
        model.step();
    }
    const float* d = model.densityField();
    return std::vector<float>(d, d + model.cellCount());
}

} // namespace

TEST(Autopilot, TheSameSeedPaintsTheSamePictureBitForBitAnotherSeedAnother)
{
    const std::vector<float> first = paintedDensity(42, 90);
    const std::vector<float> again = paintedDensity(42, 90);
    ASSERT_EQ(first.size(), again.size());
    EXPECT_EQ(std::memcmp(first.data(), again.data(), first.size() * sizeof(float)), 0);
    EXPECT_NE(paintedDensity(43, 90), first);
}

TEST(Autopilot, EmittersStayOnTheWindowAndCoverAFifthOfItInTenSeconds)
{
    const int n = 100;
    for (std::uint64_t seed : {1u, 77u}) {
        const std::vector<float> d = paintedDensity(seed, 300, n);   // ten seconds at 30 steps per second
        int dyed = 0;
        for (int j = 1; j <= n; ++j)
            for (int i = 1; i <= n; ++i)
                dyed += d[static_cast<std::size_t>(i + (n + 2) * j)] > 0.05f;
        EXPECT_GE(dyed, n * n / 5) << "seed " << seed;

        Autopilot autopilot(seed);
        AutopilotSettings fast;
        fast.speed = 5.0f;
        fast.emitters = AutopilotSettings::maxEmitters;
        for (int k = 0; k < 1000; ++k)
            for (const HandStroke& s : autopilot.step(fast, window, window)) {
                ASSERT_GE(s.x, 0);
                ASSERT_LT(s.x, window);
                ASSERT_GE(s.y, 0);
                ASSERT_LT(s.y, window);
            }
    }
}
