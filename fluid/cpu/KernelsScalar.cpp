// The solver's inner loops for the scalar path (1 lane).
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "fluid/cpu/KernelSet.h"


#include "fluid/cpu/KernelsImpl.h"


namespace vornix::cpu {

const KernelSet& kernelsScalar()
{
    static const KernelSet set = makeKernelSet<1>();
    return set;
}

} // namespace vornix::cpu
