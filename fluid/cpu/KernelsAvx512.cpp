// The solver's inner loops for the avx512 path (16 lanes).
#include <cstddef>
#include <cstdint>
#include <utility>

#include "fluid/cpu/KernelSet.h"

#pragma GCC push_options
#pragma GCC target("avx512f")
#include "fluid/cpu/KernelsImpl.h"
#pragma GCC pop_options

namespace vornix::cpu {

const KernelSet& kernelsAvx512()
{
    static const KernelSet set = makeKernelSet<16>();
    return set;
}

} // namespace vornix::cpu
