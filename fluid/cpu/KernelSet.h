// KernelSet: the solver's inner loops for one instruction set, as plain function pointers. Each set is compiled in
// its own translation unit with its own target attributes (KernelsAvx512.cpp, ...), so the rest of the program is
// built for baseline x86-64 and a path is only ever entered on a processor that supports it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "fluid/cpu/SimdPath.h"
#include "fluid/cpu/SolverKernels.h"

namespace vornix::cpu {

// Gauss-Seidel sweeps run over horizontal strips of rows. A strip is StripVectors stacked groups of `lanes` rows;
// inside a strip the rows are skewed (row k runs k columns behind row k - 1), so the cells of one anti-diagonal,
// which do not depend on each other, fill one vector.
constexpr int StripVectors = 2;

// One sweep over one strip: rows firstRow .. firstRow + stripRows - 1 (rows past n are left alone), followed by the
// boundary values that depend on those rows (their left and right walls, and the bottom or top wall when the strip
// holds row 1 or row n). Reads the row below the strip as already swept and the row above as not yet swept.
struct StripSweep {
    float* x;
    const float* x0;
    std::uint32_t n;
    std::uint32_t size;
    std::uint32_t firstRow;
    int b;
    float a;
    float c;
    float* work;   // stripWorkFloats(n) floats, 64-byte aligned, private to the calling thread
};

struct KernelSet {
    int lanes;   // rows per skewed vector
    void (*sweepStrip)(const StripSweep& s);
    // x[k] += dt * s[k] for k in [begin, end).
    void (*addSource)(float* x, const float* s, float dt, std::uint32_t begin, std::uint32_t end);
    // The advection of rows j in [j0, j1), every interior column.
    void (*advectRows)(const Grid& g, float* d, const float* d0, const float* u, const float* v, float dt,
                       std::uint32_t j0, std::uint32_t j1);
    // Projection step 1 (divergence, p := 0) and step 4 (subtract the pressure gradient) for rows [j0, j1).
    void (*divergenceRows)(const Grid& g, const float* u, const float* v, float* p, float* div, std::uint32_t j0,
                           std::uint32_t j1);
    void (*gradientRows)(const Grid& g, float* u, float* v, const float* p, std::uint32_t j0, std::uint32_t j1);
};

// Floats of per-thread scratch one strip sweep needs for grids of n interior cells, for any path.
std::size_t stripWorkFloats(std::uint32_t n);

const KernelSet& kernelSet(SimdPath path);

// Per-path sets, defined in the per-path translation units.
const KernelSet& kernelsScalar();
const KernelSet& kernelsSse2();
const KernelSet& kernelsAvx2();
const KernelSet& kernelsAvx512();

} // namespace vornix::cpu
