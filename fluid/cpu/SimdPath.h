// SimdPath: which instruction set the CPU solver's kernels use. Chosen at run time from what the processor
// supports, so one binary runs on any x86-64; every path computes the same bits.
#pragma once

namespace vornix::cpu {

enum class SimdPath { Scalar, Sse2, Avx2, Avx512 };

// The widest path this processor can run.
SimdPath bestSimdPath();
// Whether this processor can run the path (Scalar and Sse2 always).
bool simdPathSupported(SimdPath path);
const char* simdPathName(SimdPath path);
// Whether the 16-lane sweeps should divide through the reciprocal where it is exact: on Intel cores a 512-bit
// division is slow next to a step's other work; AMD's Zen 4 divides quickly enough that the plain division is faster.
bool reciprocalDivisionPays();

} // namespace vornix::cpu
