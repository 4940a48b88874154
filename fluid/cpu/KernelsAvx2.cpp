// The solver's inner loops for the avx2 path (8 lanes).
#include <cstddef>
#include <cstdint>
#include <utility>

#include <immintrin.h>

#include "fluid/cpu/KernelSet.h"

#pragma GCC push_options
#pragma GCC target("avx2")
#define VORNIX_GATHER_AVX2 1
#include "fluid/cpu/KernelsImpl.h"
#undef VORNIX_GATHER_AVX2
#pragma GCC pop_options

namespace vornix::cpu {

const KernelSet& kernelsAvx2()
{
    static const KernelSet set = makeKernelSet<8>();
    return set;
}

} // namespace vornix::cpu
