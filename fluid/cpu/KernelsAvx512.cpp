// The solver's inner loops for the avx512 path (16 lanes).
#include <cstddef>
#include <cstdint>
#include <utility>

#include <immintrin.h>

#include "fluid/cpu/KernelSet.h"

#pragma GCC push_options
#pragma GCC target("avx512f")
#define VORNIX_GATHER_AVX512 1
#include "fluid/cpu/KernelsImpl.h"
#undef VORNIX_GATHER_AVX512
#pragma GCC pop_options

namespace vornix::cpu {

const KernelSet& kernelsAvx512()
{
    static const KernelSet set = makeKernelSet<16>();
    return set;
}

} // namespace vornix::cpu
