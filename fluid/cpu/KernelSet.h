// KernelSet: the solver's inner loops for one instruction set, as plain function pointers. Each set is compiled in
// its own translation unit with its own target attributes (KernelsAvx512.cpp, ...), so the rest of the program is
// built for baseline x86-64 and a path is only ever entered on a processor that supports it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "fluid/cpu/SimdPath.h"
#include "fluid/cpu/Grid.h"

namespace vornix::cpu {

// Gauss-Seidel sweeps run as passes: one pass applies `lanes` consecutive sweeps to the whole field in a single
// stream over its rows. Lane k of a vector carries sweep k of the pass, two rows behind lane k - 1 (sweep k of row r
// needs row r + 1 after sweep k - 1 and row r - 1 after sweep k), so the lanes are independent and every sweep of the
// pass reads the rows the one before it has just written, while they are still in the cache. The pass advances in
// stages: at stage t lane k works on row t - 2k; a stage walks the columns left to right. Stage t of a 4-lane pass:
//
//   row t + 1   as the previous pass left it          <- lane 0 reads it (its up neighbour)
//   row t       lane 0: sweep 1                       <- reads row t - 1 after sweep 1 (lane 0 one stage ago)
//   row t - 1   after sweep 1 (lane 0, stage t - 1)   <- lane 1 reads it as its up neighbour
//   row t - 2   lane 1: sweep 2                       <- reads row t - 3 after sweep 2 (lane 1 one stage ago)
//   row t - 4   lane 2: sweep 3
//   row t - 6   lane 3: sweep 4                       -> written back to x, finished for this pass
struct SweepPass {
    float* x;
    const float* x0;
    std::uint32_t n;
    std::uint32_t size;
    Boundary b;
    float a;
    float c;
    int lanes;           // sweeps in this pass: 1, 4, 8 or 16, at most KernelSet::lanes
    float* ring;         // passRingFloats(n, lanes) floats, 64-byte aligned, private to this pass
    const float* zeros;  // size zeros, read for rows outside the grid
    bool reciprocal;     // divide through the reciprocal: KernelSet::reciprocalIsExact(c) said so
};

// Stages of a pass (the last lane reaches row n) and floats of its private scratch.
inline std::uint32_t passStages(std::uint32_t n, int lanes) { return n + 2 * static_cast<std::uint32_t>(lanes) - 1; }

inline std::size_t passRingFloats(std::uint32_t n, int lanes)
{
    // Per column four stages of x and four of x0, then a sink row for stages without an output row.
    const std::size_t columns = static_cast<std::size_t>(n) + 2;
    return 8 * static_cast<std::size_t>(lanes) * columns + columns + 2 * static_cast<std::size_t>(lanes);
}

struct KernelSet {
    int lanes;   // the widest pass this set runs
    // Stages [first, end) of a pass; stages must be run in order and `first` a multiple of PassChunk (or 0). The x
    // rows a stage reads must hold their values after the previous pass.
    void (*sweepPass)(const SweepPass& p, std::uint32_t first, std::uint32_t end);
    // Whether the passes may divide by c through its reciprocal with the same bits (an exhaustive check of a few
    // milliseconds; false where the path has no fused multiply-add).
    bool (*reciprocalIsExact)(float c);
    // x[k] += dt * s[k] for k in [begin, end).
    void (*addSource)(float* x, const float* s, float dt, std::uint32_t begin, std::uint32_t end);
    // The advection of rows j in [j0, j1), every interior column, of d0 into d and, if e is not null, of e0 into e
    // along the same velocity (positions and weights computed once for both).
    void (*advectRows)(const Grid& g, float* d, const float* d0, float* e, const float* e0, const float* u,
                       const float* v, float dt, std::uint32_t j0, std::uint32_t j1);
    // Projection step 1 (divergence, p := 0) and step 4 (subtract the pressure gradient) for rows [j0, j1).
    void (*divergenceRows)(const Grid& g, const float* u, const float* v, float* p, float* div, std::uint32_t j0,
                           std::uint32_t j1);
    void (*gradientRows)(const Grid& g, float* u, float* v, const float* p, std::uint32_t j0, std::uint32_t j1);
};

// Stages per task when passes are spread over threads; a multiple of every chain count the passes use.
constexpr std::uint32_t PassChunk = 48;

const KernelSet& kernelSet(SimdPath path);

// Per-path sets, defined in the per-path translation units.
const KernelSet& kernelsScalar();
const KernelSet& kernelsSse2();
const KernelSet& kernelsAvx2();
const KernelSet& kernelsAvx512();

} // namespace vornix::cpu
