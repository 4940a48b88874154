// The solver's inner loops for the avx512 path (16 lanes).
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

#include <immintrin.h>

#include "fluid/cpu/KernelSet.h"

// MinGW's GCC notes that 512-bit vectors are returned differently without AVX-512; no vector crosses this file's
// boundary (the kernel set holds plain function pointers), so the note concerns no call that can happen.
#pragma GCC diagnostic ignored "-Wpsabi"
#pragma GCC push_options
#pragma GCC target("avx512f,avx512dq,avx512vl,avx2,fma")
#define VORNIX_PATH_AVX512 1
// GCC 12's AVX-512 header builds several intrinsics on _mm512_undefined_*(), which -Wmaybe-uninitialized then
// reports wherever they are inlined (GCC bug 105593); the values are never read.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#include "fluid/cpu/KernelsImpl.h"
#pragma GCC diagnostic pop
#undef VORNIX_PATH_AVX512
#pragma GCC pop_options

namespace vornix::cpu {

const KernelSet& kernelsAvx512()
{
    static const KernelSet set = makeKernelSet<16>();
    return set;
}

} // namespace vornix::cpu
