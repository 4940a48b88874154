// The solver's inner loops, written once over a vector width W with GCC vector extensions. Included only by the
// per-path translation units, after their target pragma and after every standard header, and wrapped in an unnamed
// namespace: each path gets its own private copy and no inline function compiled for a wider instruction set can
// leak into code that runs on a narrower one.
//
// Every cell is computed with exactly the operations of the straightforward loops, in the same order, in single
// precision (the build forbids FMA contraction); only the order in which independent cells are visited changes, and
// where another form is used (a division through the reciprocal, a product formed in double precision) it is one that
// gives the same bits for every input it meets (LaneOps.h says why).

namespace vornix::cpu {
namespace {

#include "fluid/cpu/LaneOps.h"
#include "fluid/cpu/SweepKernel.h"

#include "fluid/cpu/RowKernels.h"

template <int W> KernelSet makeKernelSet()
{
    return KernelSet{W, &sweepPass<W>, &reciprocalIsExact<W>, &addSourceRange<W>, &advectRows<W>,
                     &divergenceRowRange<W>, &gradientRowRange<W>};
}

} // namespace
} // namespace vornix::cpu
