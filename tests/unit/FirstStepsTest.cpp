// What a new user meets first: the advice on software OpenGL.
#include <gtest/gtest.h>

#include "app/studio/SoftwareOpenGl.h"

using namespace vornix;

TEST(SoftwareOpenGl, RenderersThatDrawOnTheProcessorAreToldApartFromGpus)
{
    for (const char* software : {"llvmpipe (LLVM 15.0.6, 256 bits)", "softpipe", "Mesa X11 (swrast)",
                                 "Software Rasterizer", "GDI Generic", "Microsoft Basic Render Driver"})
        EXPECT_TRUE(isSoftwareRenderer(software)) << software;
    for (const char* gpu : {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", "NVIDIA GeForce GTX 1060/PCIe/SSE2",
                            "AMD Radeon RX 580 Series (polaris10, LLVM 15.0.6, DRM 3.49, 6.1.0-13-amd64)",
                            "virgl (Mesa)", ""})
        EXPECT_FALSE(isSoftwareRenderer(gpu)) << gpu;
    // Only while the GPU engine runs: on the CPU engine there is nothing to advise.
    EXPECT_TRUE(softwareOpenGlAdvice("llvmpipe", EngineGPU));
    EXPECT_FALSE(softwareOpenGlAdvice("llvmpipe", EngineCPU));
}
