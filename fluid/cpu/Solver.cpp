#include "fluid/cpu/Solver.h"

#ifdef __linux__
#include <sched.h>
#endif

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

namespace vornix::cpu {

namespace {

unsigned availableCpus()
{
#ifdef __linux__
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0)
        return static_cast<unsigned>(CPU_COUNT(&set));
#endif
    return std::max(1u, std::thread::hardware_concurrency());
}

// Below these sizes a stage is over before a second thread could help.
constexpr std::uint32_t MinCellsForThreads = 128 * 128;
constexpr std::uint32_t RowTasks = 8;
// Adaptive threads: every step is timed and runs wholly in one mode (one thread or all), the one whose recent steps
// were faster. Now and then a probe runs one step in the other mode. The gap between probes starts at FirstProbeGap
// steps and doubles up to LastProbeGap while the probes confirm the choice, so that a probe that costs a scheduler
// slice on a loaded machine is rare. All threads must beat one thread by ThreadsMargin to be chosen: the noise of a
// loaded machine must not tip the choice toward the mode that suffers most from it. Running means weigh the newest
// step by NewWeight, a probe by ProbeWeight.
constexpr std::uint32_t FirstProbeGap = 16;
constexpr std::uint32_t LastProbeGap = 128;
constexpr double ThreadsMargin = 0.97;
constexpr double NewWeight = 0.25;
constexpr double ProbeWeight = 0.5;

void setCorners(const Grid& g, float* x)
{
    const std::uint32_t n = g.n;
    x[g.ix(0, 0)] = 0.5f * (x[g.ix(1, 0)] + x[g.ix(0, 1)]);
    x[g.ix(0, n + 1)] = 0.5f * (x[g.ix(1, n + 1)] + x[g.ix(0, n)]);
    x[g.ix(n + 1, 0)] = 0.5f * (x[g.ix(n, 0)] + x[g.ix(n + 1, 1)]);
    x[g.ix(n + 1, n + 1)] = 0.5f * (x[g.ix(n, n + 1)] + x[g.ix(n + 1, n)]);
}

} // namespace

// One linear solve as tasks (pass p, chunk k of PassChunk stages). A chunk needs the previous chunk of its pass (the
// pass's scratch carries over) and the rows it reads finished by pass p - 1. Tasks are numbered by k + Lag * p, with
// Lag chunks enough for pass p - 1 to be that far ahead, so every dependency has a smaller number and two threads
// can run consecutive passes side by side.
//
// Every thread runs the same loop: it takes the next task in number order, but only once that task's dependencies
// have finished, so no thread ever holds a task it cannot start. A helper that loses its core while it waits for a
// task therefore holds nothing up; the caller just takes that task itself. Only a task that is being computed is
// waited for.
struct Solver::SweepJob {
    Solver* solver;
    SweepPass pass[MaxPasses];
    std::uint32_t stages[MaxPasses];
    std::uint32_t chunks[MaxPasses];
    int passes;
    std::uint32_t taskCount;
    std::atomic<std::uint32_t> next{0};       // the lowest task nobody has taken yet
    std::atomic<std::uint32_t> finished{0};   // tasks finished: what a waiting thread sleeps on
};

namespace {
// Chunks by which pass p - 1 must lead pass p: a chunk ending at stage t reads rows up to t, which pass p - 1
// finishes at stage t + 2 (lanes - 1), at most 30 stages later.
constexpr std::uint32_t PassLag = 2;
// Polls of a thread that waits for a sweep task to become ready before it sleeps (a chunk takes a few to a few
// hundred microseconds).
constexpr int SweepSpinRounds = 2000;
static_assert(PassChunk >= 2 * 16 - 1, "one chunk of lead must cover the deepest pass");
} // namespace

struct Solver::RowJob {
    enum Kind { Source, Advect, Divergence, Gradient } kind;
    const Grid* g;
    float* out;
    const float* in;
    const float* u;
    const float* v;
    float* p;
    float* div;
    float* out2;          // Advect: the second field, or null
    const float* in2;
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

Solver::Plan Solver::makePlan(int widest, unsigned threads)
{
    // One thread: the widest passes. Two threads: passes of at most 8 lanes, so that there are at least three to
    // share (a 16-lane vector divides no faster per lane than an 8-lane one on current processors).
    if (threads > 1 && widest > 8)
        widest = 8;
    Plan plan;
    int left = Sweeps;
    while (left > 0) {
        int w = widest;
        while (w > left)
            w = w >= 8 ? w / 2 : (w == 4 ? 1 : w);
        plan.lanes[static_cast<std::size_t>(plan.passes++)] = w;
        left -= w;
    }
    return plan;
}

std::size_t Solver::ringFloats(const Plan& plan, std::uint32_t n)
{
    std::size_t total = 0;
    for (int p = 0; p < plan.passes; ++p)
        total += (passRingFloats(n, plan.lanes[static_cast<std::size_t>(p)]) + 15) / 16 * 16;
    return total;
}

void Solver::resize(std::uint32_t n)
{
    std::size_t most = 0;
    for (int widest : {1, 4, 8, 16})
        for (unsigned threads : {1u, 2u})
            most = std::max(most, ringFloats(makePlan(widest, threads), n));
    std::size_t taskCount = 0;
    for (int widest : {1, 4, 8, 16}) {
        const Plan plan = makePlan(widest, 2);
        std::size_t count = 0;
        for (int p = 0; p < plan.passes; ++p)
            count += (passStages(n, plan.lanes[static_cast<std::size_t>(p)]) + PassChunk - 1) / PassChunk;
        taskCount = std::max(taskCount, count);
    }
    FieldArray rings(most);
    FieldArray zeros(static_cast<std::size_t>(n) + 2);
    std::vector<TaskSlot> tasks(taskCount);
    std::fill_n(rings.data(), rings.size(), 0.0f);
    std::fill_n(zeros.data(), zeros.size(), 0.0f);
    rings_ = std::move(rings);
    zeros_ = std::move(zeros);
    tasks_ = std::move(tasks);
    n_ = n;
    forgetTimings();
}

void Solver::setSimdPath(SimdPath path)
{
    if (!simdPathSupported(path))
        throw std::invalid_argument(std::string("Solver: this processor cannot run the ") + simdPathName(path) +
                                    " path");
    path_ = path;
    kernels_ = &kernelSet(path);
    forgetTimings();
}

void Solver::setAdaptiveThreads(bool on)
{
    adaptive_ = on;
    forgetTimings();
}

void Solver::forgetTimings() { timing_ = Timing{}; }

bool Solver::threadsPay(const Grid& g) const { return threads_ > 1 && pool_ && g.cells >= MinCellsForThreads; }

void Solver::setThreadCount(unsigned threads)
{
    if (threads < 1)
        throw std::invalid_argument("Solver: the thread count must be at least 1");
    if (threads == threads_ && (threads == 1 || pool_))
        return;
    pool_ = threads > 1 ? std::make_unique<WorkerPool>(threads - 1) : nullptr;
    threads_ = threads;
    forgetTimings();
}

void Solver::addSource(const Grid& g, float* x, const float* s, float dt)
{
    RowJob job{RowJob::Source, &g, x, s, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, dt, 0, g.cells, 0,
               kernels_};
    runRows(job, g.cells);
}

// Pass and chunk of every task number, for the two-thread plans: filled by linSolve, sized by resize.
void Solver::numberTasks(const SweepJob& job)
{
    std::uint32_t index = 0;
    for (std::uint32_t key = 0; index < job.taskCount; ++key)
        for (int p = 0; p < job.passes; ++p) {
            const std::uint32_t lag = PassLag * static_cast<std::uint32_t>(p);
            if (key < lag || key - lag >= job.chunks[p])
                continue;
            tasks_[index++] = TaskSlot{static_cast<std::uint16_t>(p), key - lag};
        }
}

bool Solver::taskReady(const SweepJob& job, std::uint32_t index) const
{
    const TaskSlot slot = tasks_[index];
    const int p = slot.pass;
    const std::uint32_t first = slot.chunk * PassChunk;
    const std::uint32_t end = std::min(first + PassChunk, job.stages[p]);
    if (slot.chunk > 0 && progress_[static_cast<std::size_t>(p)].load(std::memory_order_acquire) < first)
        return false;
    if (p > 0) {
        const std::uint32_t need = end + 2 * static_cast<std::uint32_t>(job.pass[p - 1].lanes) - 1;
        if (progress_[static_cast<std::size_t>(p - 1)].load(std::memory_order_acquire) <
            std::min(need, job.stages[p - 1]))
            return false;
    }
    return true;
}

void Solver::runSweepTask(void* context, std::uint32_t, unsigned)
{
    auto& job = *static_cast<SweepJob*>(context);
    Solver& solver = *job.solver;
    int idle = 0;
    for (;;) {
        const std::uint32_t seen = job.finished.load(std::memory_order_acquire);
        std::uint32_t index = job.next.load(std::memory_order_acquire);
        if (index >= job.taskCount)
            return;
        if (!solver.taskReady(job, index)) {
            // Nothing held: poll a little, then sleep until some task finishes (only a finished task can make
            // the next one ready).
            if (++idle < SweepSpinRounds)
                WorkerPool::relax();
            else if (job.finished.load(std::memory_order_acquire) == seen)
                job.finished.wait(seen, std::memory_order_acquire);
            continue;
        }
        if (!job.next.compare_exchange_strong(index, index + 1, std::memory_order_acq_rel))
            continue;
        idle = 0;
        const TaskSlot slot = solver.tasks_[index];
        const auto p = static_cast<std::size_t>(slot.pass);
        const std::uint32_t first = slot.chunk * PassChunk;
        const std::uint32_t end = std::min(first + PassChunk, job.stages[p]);
        solver.kernels_->sweepPass(job.pass[p], first, end);
        solver.progress_[p].store(end, std::memory_order_release);
        job.finished.fetch_add(1, std::memory_order_acq_rel);
        job.finished.notify_all();
    }
}

bool Solver::threadsPreferred() const
{
    const double* mean = timing_.mean;
    return mean[0] != 0 && mean[1] != 0 && mean[1] < ThreadsMargin * mean[0];
}

bool Solver::useThreads(const Grid& g) const { return threadsPay(g) && (!adaptive_ || timing_.threaded); }

void Solver::beginStep()
{
    Timing& t = timing_;
    t.timed = false;
    if (!adaptive_ || !pool_)
        return;
    // Measure each mode once, then keep to the faster one between probes of the other.
    t.probing = t.mean[1] == 0 || t.mean[0] == 0 || t.untilProbe == 0;
    if (t.probing) {
        t.probeThreaded = t.mean[1] == 0 ? true : t.mean[0] == 0 ? false : !threadsPreferred();
        t.wasPreferred = threadsPreferred();
    } else {
        --t.untilProbe;
    }
    t.threaded = t.probing ? t.probeThreaded : threadsPreferred();
    t.timed = true;
    t.start = std::chrono::steady_clock::now();
}

void Solver::endStep()
{
    Timing& t = timing_;
    if (!adaptive_ || !pool_)
        return;
    if (t.timed) {
        const double ns = std::max(1.0, static_cast<double>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                                                std::chrono::steady_clock::now() - t.start)
                                                                .count()));
        double& mean = t.mean[t.threaded ? 1 : 0];
        mean = mean == 0 ? ns : mean + (t.probing ? ProbeWeight : NewWeight) * (ns - mean);
    }
    if (t.probing && t.mean[0] != 0 && t.mean[1] != 0) {
        t.probeGap = t.probeGap == 0 || threadsPreferred() != t.wasPreferred ? FirstProbeGap
                                                                              : std::min(2 * t.probeGap, LastProbeGap);
        t.untilProbe = t.probeGap;
    }
    t.probing = false;
    t.timed = false;
}

void Solver::linSolve(const Grid& g, float* x, const float* x0, int b, float a, float c)
{
    const bool threaded = useThreads(g);
    const Plan plan = makePlan(kernels_->lanes, threaded ? threads_ : 1);
    SweepJob job;
    job.solver = this;
    job.passes = plan.passes;
    job.taskCount = 0;
    float* ring = rings_.data();
    for (int p = 0; p < plan.passes; ++p) {
        const int lanes = plan.lanes[static_cast<std::size_t>(p)];
        job.pass[p] = SweepPass{x, x0, g.n, g.size, b, a, c, lanes, ring, zeros_.data()};
        ring += (passRingFloats(g.n, lanes) + 15) / 16 * 16;
        job.stages[p] = passStages(g.n, lanes);
        job.chunks[p] = (job.stages[p] + PassChunk - 1) / PassChunk;
        job.taskCount += job.chunks[p];
    }
    if (!threaded) {
        for (int p = 0; p < plan.passes; ++p)
            kernels_->sweepPass(job.pass[p], 0, job.stages[p]);
    } else {
        for (auto& progress : progress_)
            progress.store(0, std::memory_order_relaxed);
        numberTasks(job);
        // One loop per thread; a helper that wakes up late finds the tasks taken and returns at once.
        pool_->run(&runSweepTask, &job, threads_);
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
        k.advectRows(*job.g, job.out, job.in, job.out2, job.in2, job.u, job.v, job.dt, lo, hi);
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
    if (!useThreads(*job.g)) {
        j.chunk = units;
        runRowTask(&j, 0, 0);
        return;
    }
    j.chunk = (units + RowTasks - 1) / RowTasks;
    pool_->run(&runRowTask, &j, (units + j.chunk - 1) / j.chunk);
}

void Solver::advect(const Grid& g, float* d, const float* d0, int b, const float* u, const float* v, float dt)
{
    RowJob job{RowJob::Advect, &g, d, d0, u, v, nullptr, nullptr, nullptr, nullptr, dt, 1, g.n + 1, 0, kernels_};
    runRows(job, g.n);
    setBnd(g, d, b);
}

void Solver::advectPair(const Grid& g, float* d, const float* d0, int bd, float* e, const float* e0, int be,
                        const float* u, const float* v, float dt)
{
    RowJob job{RowJob::Advect, &g, d, d0, u, v, nullptr, nullptr, e, e0, dt, 1, g.n + 1, 0, kernels_};
    runRows(job, g.n);
    setBnd(g, d, bd);
    setBnd(g, e, be);
}

void Solver::project(const Grid& g, float* u, float* v, float* p, float* div)
{
    RowJob first{RowJob::Divergence, &g, nullptr, nullptr, u, v, p, div, nullptr, nullptr, 0, 1, g.n + 1, 0,
                 kernels_};
    runRows(first, g.n);
    setBnd(g, div, Scalar);
    setBnd(g, p, Scalar);
    linSolve(g, p, div, Scalar, 1, 4);
    RowJob second{RowJob::Gradient, &g, u, nullptr, nullptr, v, p, nullptr, nullptr, nullptr, 0, 1, g.n + 1, 0,
                  kernels_};
    runRows(second, g.n);
    setBnd(g, u, Horizontal);
    setBnd(g, v, Vertical);
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
