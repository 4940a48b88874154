// A failed setN must leave the model exactly as it was (strong guarantee). The fields are allocated with aligned
// operator new[]; this test binary replaces that operator with one that can be told to fail on the k-th call.
#include <gtest/gtest.h>

#include <cstdlib>
#ifdef _WIN32
#include <malloc.h>
#endif
#include <new>

#include "fluid/FluidModelCPU.h"

namespace {
int allocationsUntilFailure = -1;   // -1: never fail

// The Windows C library has no aligned_alloc; its aligned blocks have their own free.
#ifdef _WIN32
void* alignedAlloc(std::size_t align, std::size_t size) { return _aligned_malloc(size, align); }
void alignedFree(void* p) { _aligned_free(p); }
#else
void* alignedAlloc(std::size_t align, std::size_t size) { return std::aligned_alloc(align, size); }
void alignedFree(void* p) { std::free(p); }
#endif
}

void* operator new[](std::size_t size, std::align_val_t align)
{
    if (allocationsUntilFailure == 0)
        throw std::bad_alloc();
    if (allocationsUntilFailure > 0)
        --allocationsUntilFailure;
    const std::size_t a = static_cast<std::size_t>(align);
    void* p = alignedAlloc(a, (size + a - 1) / a * a);
    if (!p)
        throw std::bad_alloc();
    return p;
}

void operator delete[](void* p, std::align_val_t) noexcept { alignedFree(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { alignedFree(p); }

namespace {

TEST(FluidModelAllocation, FailedSetNLeavesTheModelUsableAndUnchanged)
{
    for (int failAt = 0; failAt < 6; ++failAt) {
        vornix::FluidModelCPU m(20, 0.0001f, 0.1f, 0.0001f);
        m.addDensity(10, 10, 0.5f, 4.0f);
        m.step();
        const float before = m.getDensity(10, 10);
        allocationsUntilFailure = failAt;
        EXPECT_THROW(m.setN(40), std::bad_alloc);
        allocationsUntilFailure = -1;
        EXPECT_EQ(m.N, 20u);
        EXPECT_EQ(m.GridSize, 22u);
        EXPECT_EQ(m.cellCount(), 22u * 22u);
        EXPECT_EQ(m.getDensity(10, 10), before);
        m.addDensity(5, 5, 0.5f, 3.0f);
        m.step();   // still steps over intact fields
        m.setN(40);
        EXPECT_EQ(m.N, 40u);
        EXPECT_EQ(m.getDensity(10, 10), 0.0f);
    }
}

} // namespace
