// The solver's inner loops for the avx2 path (8 lanes).
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

#include <immintrin.h>

#include "fluid/cpu/KernelSet.h"

#pragma GCC push_options
#pragma GCC target("avx2,fma")
#define VORNIX_PATH_AVX2 1
// Eight doubles fill a 512-bit vector, which these private functions pass by value without AVX-512 registers; they
// never cross this unit, so the calling convention GCC warns about does not matter.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpsabi"
#include "fluid/cpu/KernelsImpl.h"
#pragma GCC diagnostic pop
#undef VORNIX_PATH_AVX2
#pragma GCC pop_options

namespace vornix::cpu {

const KernelSet& kernelsAvx2()
{
    static const KernelSet set = makeKernelSet<8>();
    return set;
}

} // namespace vornix::cpu
