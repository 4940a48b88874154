// The solver's inner loops for the sse2 path (4 lanes).
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "fluid/cpu/KernelSet.h"


#include "fluid/cpu/KernelsImpl.h"


namespace vornix::cpu {

const KernelSet& kernelsSse2()
{
    static const KernelSet set = makeKernelSet<4>();
    return set;
}

} // namespace vornix::cpu
