#include "fluid/cpu/Solver.h"

#include <sched.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <thread>

namespace vornix::cpu {

namespace {

unsigned availableCpus()
{
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0)
        return static_cast<unsigned>(CPU_COUNT(&set));
    return std::max(1u, std::thread::hardware_concurrency());
}

// Below these sizes a stage is over before a second thread could help.
constexpr std::uint32_t MinStripsForThreads = 3;
constexpr std::uint32_t MinCellsForThreads = 128 * 128;
constexpr std::uint32_t RowTasks = 8;

void waitAtLeast(const std::atomic<std::uint32_t>& value, std::uint32_t wanted)
{
    for (;;) {
        const std::uint32_t v = value.load(std::memory_order_acquire);
        if (v >= wanted)
            return;
        WorkerPool::waitWhileEqual(value, v);
    }
}

void setCorners(const Grid& g, float* x)
{
    const std::uint32_t n = g.n;
    x[g.ix(0, 0)] = 0.5f * (x[g.ix(1, 0)] + x[g.ix(0, 1)]);
    x[g.ix(0, n + 1)] = 0.5f * (x[g.ix(1, n + 1)] + x[g.ix(0, n)]);
    x[g.ix(n + 1, 0)] = 0.5f * (x[g.ix(n, 0)] + x[g.ix(n + 1, 1)]);
    x[g.ix(n + 1, n + 1)] = 0.5f * (x[g.ix(n, n + 1)] + x[g.ix(n + 1, n)]);
}

} // namespace

// One linear solve as tasks (strip b, sweep s), numbered in order of b + 2s. Strip b of sweep s needs strip b - 1 of
// sweep s (the row below, already swept) and strip b + 1 of sweep s - 1 (the row above, swept once); it must also run
// before strip b - 1 of sweep s + 1 reads its bottom row as not yet swept. Every dependency has a smaller number, and
// tasks with the same b + 2s are independent, so two threads can pipeline consecutive sweeps.
struct Solver::SweepJob {
    Solver* solver;
    StripSweep base;
    std::uint32_t strips;
    std::uint32_t stripRows;
    std::uint32_t taskCount;
};

struct Solver::RowJob {
    enum Kind { Source, Advect, Divergence, Gradient } kind;
    const Grid* g;
    float* out;
    const float* in;
    const float* u;
    const float* v;
    float* p;
    float* div;
    float dt;
    std::uint32_t first;   // first row (or cell for Source)
    std::uint32_t end;
    std::uint32_t chunk;
    const KernelSet* kernels;
};

Solver::Solver(std::uint32_t n) : path_(bestSimdPath()), kernels_(&kernelSet(path_))
{
    resize(n);
    setThreadCount(defaultThreadCount());
}

Solver::~Solver() = default;

unsigned Solver::defaultThreadCount() { return availableCpus() >= 2 ? 2 : 1; }

void Solver::resize(std::uint32_t n)
{
    std::vector<FieldArray> fresh;
    fresh.reserve(std::max(1u, threads_));
    for (unsigned t = 0; t < std::max(1u, threads_); ++t) {
        FieldArray w(stripWorkFloats(n));
        std::fill_n(w.data(), w.size(), 0.0f);
        fresh.push_back(std::move(w));
    }
    scratch_.swap(fresh);
    n_ = n;
}

void Solver::setSimdPath(SimdPath path)
{
    if (!simdPathSupported(path))
        throw std::invalid_argument(std::string("Solver: this processor cannot run the ") + simdPathName(path) +
                                    " path");
    path_ = path;
    kernels_ = &kernelSet(path);
}

void Solver::setThreadCount(unsigned threads)
{
    if (threads < 1)
        throw std::invalid_argument("Solver: the thread count must be at least 1");
    if (threads == threads_ && (threads == 1 || pool_))
        return;
    std::vector<FieldArray> more;
    for (unsigned t = static_cast<unsigned>(scratch_.size()); t < threads; ++t) {
        FieldArray w(stripWorkFloats(n_));
        std::fill_n(w.data(), w.size(), 0.0f);
        more.push_back(std::move(w));
    }
    std::unique_ptr<WorkerPool> pool = threads > 1 ? std::make_unique<WorkerPool>(threads - 1) : nullptr;
    for (auto& w : more)
        scratch_.push_back(std::move(w));
    pool_ = std::move(pool);
    threads_ = threads;
}

void Solver::addSource(const Grid& g, float* x, const float* s, float dt)
{
    RowJob job{RowJob::Source, &g, x, s, nullptr, nullptr, nullptr, nullptr, dt, 0, g.cells, 0, kernels_};
    runRows(job, g.cells);
}

void Solver::runSweepTask(void* context, std::uint32_t index, unsigned thread)
{
    auto& job = *static_cast<SweepJob*>(context);
    // Invert the numbering: for key K = b + 2s the tasks run with s ascending.
    std::uint32_t key = 0, before = 0;
    for (;; ++key) {
        const std::uint32_t sLo = key + 1 > job.strips ? (key + 1 - job.strips + 1) / 2 : 0;
        const std::uint32_t sHi = std::min<std::uint32_t>(Sweeps - 1, key / 2);
        const std::uint32_t inKey = sHi >= sLo ? sHi - sLo + 1 : 0;
        if (index < before + inKey) {
            const std::uint32_t s = sLo + (index - before);
            const std::uint32_t b = key - 2 * s;
            Solver& solver = *job.solver;
            if (b > 0)
                waitAtLeast(solver.progress_[s], b);
            if (s > 0)
                waitAtLeast(solver.progress_[s - 1], std::min(b + 2, job.strips));
            StripSweep strip = job.base;
            strip.firstRow = 1 + b * job.stripRows;
            strip.work = solver.work(thread);
            solver.kernels_->sweepStrip(strip);
            solver.progress_[s].store(b + 1, std::memory_order_release);
            solver.progress_[s].notify_all();
            return;
        }
        before += inKey;
    }
}

void Solver::linSolve(const Grid& g, float* x, const float* x0, int b, float a, float c)
{
    const std::uint32_t stripRows = static_cast<std::uint32_t>(kernels_->lanes * StripVectors);
    const std::uint32_t strips = (g.n + stripRows - 1) / stripRows;
    const StripSweep base{x, x0, g.n, g.size, 1, b, a, c, nullptr};
    if (threads_ == 1 || !pool_ || strips < MinStripsForThreads || g.cells < MinCellsForThreads) {
        StripSweep strip = base;
        strip.work = work(0);
        for (int s = 0; s < Sweeps; ++s) {
            for (std::uint32_t k = 0; k < strips; ++k) {
                strip.firstRow = 1 + k * stripRows;
                kernels_->sweepStrip(strip);
            }
        }
    } else {
        for (auto& p : progress_)
            p.store(0, std::memory_order_relaxed);
        SweepJob job{this, base, strips, stripRows, strips * Sweeps};
        pool_->run(&runSweepTask, &job, job.taskCount);
    }
    setCorners(g, x);
}

void Solver::diffuse(const Grid& g, float* x, const float* x0, int b, float rate, float dt)
{
    const float nf = static_cast<float>(g.n);
    const float a = dt * rate * nf * nf;
    const float c = 1 + 4 * a;
    linSolve(g, x, x0, b, a, c);
}

void Solver::runRowTask(void* context, std::uint32_t index, unsigned)
{
    const auto& job = *static_cast<const RowJob*>(context);
    const std::uint32_t lo = job.first + index * job.chunk;
    const std::uint32_t hi = std::min(job.end, lo + job.chunk);
    const KernelSet& k = *job.kernels;
    switch (job.kind) {
    case RowJob::Source:
        k.addSource(job.out, job.in, job.dt, lo, hi);
        break;
    case RowJob::Advect:
        k.advectRows(*job.g, job.out, job.in, job.u, job.v, job.dt, lo, hi);
        break;
    case RowJob::Divergence:
        k.divergenceRows(*job.g, job.u, job.v, job.p, job.div, lo, hi);
        break;
    case RowJob::Gradient:
        k.gradientRows(*job.g, job.out, const_cast<float*>(job.v), job.p, lo, hi);
        break;
    }
}

void Solver::runRows(const RowJob& job, std::uint32_t units)
{
    RowJob j = job;
    if (threads_ == 1 || !pool_ || job.g->cells < MinCellsForThreads) {
        j.chunk = units;
        runRowTask(&j, 0, 0);
        return;
    }
    j.chunk = (units + RowTasks - 1) / RowTasks;
    pool_->run(&runRowTask, &j, (units + j.chunk - 1) / j.chunk);
}

void Solver::advect(const Grid& g, float* d, const float* d0, int b, const float* u, const float* v, float dt)
{
    RowJob job{RowJob::Advect, &g, d, d0, u, v, nullptr, nullptr, dt, 1, g.n + 1, 0, kernels_};
    runRows(job, g.n);
    setBnd(g, d, b);
}

void Solver::project(const Grid& g, float* u, float* v, float* p, float* div)
{
    RowJob first{RowJob::Divergence, &g, nullptr, nullptr, u, v, p, div, 0, 1, g.n + 1, 0, kernels_};
    runRows(first, g.n);
    setBnd(g, div, Scalar);
    setBnd(g, p, Scalar);
    linSolve(g, p, div, Scalar, 1, 4);
    RowJob second{RowJob::Gradient, &g, u, nullptr, nullptr, v, p, nullptr, 0, 1, g.n + 1, 0, kernels_};
    runRows(second, g.n);
    setBnd(g, u, Horizontal);
    setBnd(g, v, Vertical);
}

std::size_t stripWorkFloats(std::uint32_t n)
{
    // The widest path: 16 lanes, (StripVectors + 2) + StripVectors groups of n + 3 * 16 slots.
    constexpr std::size_t MaxLanes = 16;
    return (2 * StripVectors + 2) * (static_cast<std::size_t>(n) + 3 * MaxLanes) * MaxLanes;
}

const KernelSet& kernelSet(SimdPath path)
{
    switch (path) {
    case SimdPath::Avx512: return kernelsAvx512();
    case SimdPath::Avx2: return kernelsAvx2();
    case SimdPath::Sse2: return kernelsSse2();
    case SimdPath::Scalar: break;
    }
    return kernelsScalar();
}

} // namespace vornix::cpu
