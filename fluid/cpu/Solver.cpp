#include "fluid/cpu/Solver.h"

#include "fluid/SystemThreads.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <thread>

namespace vornix::cpu {

namespace {

// Below these sizes a stage is over before a second thread could help.
constexpr std::uint32_t MinCellsForThreads = 128 * 128;
constexpr std::uint32_t RowTasks = 8;

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
// pass's scratch carries over) and the rows it reads finished by pass p - 1. Tasks are numbered by their key
// k + PassLag * p, PassLag chunks being enough for pass p - 1 to be that far ahead, so every dependency has a smaller
// number and two threads can run consecutive passes side by side. Task numbers for three passes of a solve on two threads:
//
//   key k + 2p   0      1      2      3      4
//   pass 0       c0: 0  c1: 1  c2: 2  c3: 4  c4: 6 ...
//   pass 1                     c0: 3  c1: 5  c2: 7 ...
//   pass 2                                   c0: 8 ...
//
// Every thread runs the same loop: it takes the next task in number order, but only once that task's dependencies
// have finished, so no thread ever holds a task it cannot start. A helper that loses its core while it waits for a
// task therefore holds nothing up; the caller just takes that task itself. Only a task that is being computed is
// waited for.
//
// Independent solves (diffuseTogether) go into one job: each pass waits only for the previous pass of its own solve,
// and its key counts the passes before it in that solve, so the solves' first passes come first and run side by side,
// chunk by chunk, and each tail pass follows its own wide pass a few chunks behind (with whole passes as tasks, one
// thread would be left alone with the last solve's tail).
struct Solver::SweepJob {
    Solver* solver;
    SweepPass pass[MaxPasses];
    std::uint32_t stages[MaxPasses];
    std::uint32_t chunks[MaxPasses];
    int after[MaxPasses];             // the pass this one follows (-1: the first of its solve)
    std::uint32_t depth[MaxPasses];   // passes before this one in its solve
    int passes = 0;
    int solves = 0;
    // Row tasks ahead of the first pass and behind the last (solveAround), PassChunk rows each.
    const RowJob* rowsBefore = nullptr;
    const RowJob* rowsAfter = nullptr;
    std::uint32_t chunksBefore = 0;
    std::uint32_t chunksAfter = 0;
    float* solveX[MaxTogether];
    std::uint32_t taskCount = 0;
    std::atomic<std::uint32_t> next{0};       // the lowest task nobody has taken yet
    std::atomic<std::uint32_t> finished{0};   // tasks finished: what a waiting thread sleeps on
};

namespace {
// Chunks by which pass p - 1 must lead pass p: a chunk ending at stage t reads rows up to t, which pass p - 1
// finishes at stage t + 2 (lanes - 1), at most 30 stages later.
constexpr std::uint32_t PassLag = 2;
// Chunks of PassChunk stages or rows that cover `units` of them.
constexpr std::uint32_t chunksOf(std::uint32_t units) { return (units + PassChunk - 1) / PassChunk; }
// The pass numbers of row tasks (SweepJob::rowsBefore, rowsAfter).
constexpr std::uint16_t RowsBeforeSlot = 0xfffe;
constexpr std::uint16_t RowsAfterSlot = 0xffff;
// Polls of a thread that waits for a sweep task to become ready before it sleeps (a chunk takes a few to a few
// hundred microseconds).
constexpr int SweepSpinRounds = 2000;
static_assert(PassChunk >= 2 * 16 - 1, "one chunk of lead must cover the deepest pass");
} // namespace

// One row stage: rows [first, end) (cells for Source), cut into tasks of `chunk` rows. Which fields a kind uses:
// Source out += dt * in; Advect out from in and out2 (if not null) from in2 along (u, v); Divergence div and p from
// (u, v); Gradient out (u) and v2 (v) from p.
struct Solver::RowJob {
    enum Kind { Source, Advect, Divergence, Gradient } kind;
    const Grid* g = nullptr;
    float* out = nullptr;
    const float* in = nullptr;
    float* out2 = nullptr;
    const float* in2 = nullptr;
    const float* u = nullptr;
    const float* v = nullptr;
    float* v2 = nullptr;
    float* p = nullptr;
    float* div = nullptr;
    bool walls = false;   // Divergence: also the walls of div and p for the rows written (setBndRows, Scalar)
    float dt = 0;
    std::uint32_t first = 0;
    std::uint32_t end = 0;
    std::uint32_t chunk = 0;
    const KernelSet* kernels = nullptr;
};

Solver::Solver(std::uint32_t n) : path_(bestSimdPath()), kernels_(&kernelSet(path_))
{
    resize(n);
    setThreadCount(defaultThreadCount());
}

Solver::~Solver() = default;

unsigned Solver::defaultThreadCount() { return usableProcessorCount() >= 2 ? 2 : 1; }

Solver::Plan Solver::makePlan(int widest)
{
    // The widest passes, whatever the thread count: narrower passes cost as many vector steps each, and two threads
    // share a solve by running its passes side by side, the tail pass a few chunks behind the wide one.
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

std::size_t Solver::taskCount(const Plan& plan, std::uint32_t n)
{
    std::size_t count = 0;
    for (int p = 0; p < plan.passes; ++p)
        count += chunksOf(passStages(n, plan.lanes[static_cast<std::size_t>(p)]));
    return count;
}

void Solver::resize(std::uint32_t n)
{
    // Row tasks of PassChunk rows, ahead of and behind one solve (solveAround).
    const std::size_t rowChunks = chunksOf(n);
    std::size_t most = 0;
    std::size_t taskCount = 0;
    for (int widest : {1, 4, 8, 16}) {
        most = std::max(most, MaxTogether * ringFloats(makePlan(widest), n));
        taskCount = std::max(taskCount, MaxTogether * Solver::taskCount(makePlan(widest), n));
        taskCount = std::max(taskCount, Solver::taskCount(makePlan(widest), n) + 2 * rowChunks);
    }
    FieldArray rings(most);
    FieldArray zeros(static_cast<std::size_t>(n) + 2);
    std::vector<TaskSlot> tasks(taskCount);
    auto rowDone = std::make_unique<std::atomic<std::uint8_t>[]>(rowChunks);
    std::fill_n(rings.data(), rings.size(), 0.0f);
    std::fill_n(zeros.data(), zeros.size(), 0.0f);
    rings_ = std::move(rings);
    zeros_ = std::move(zeros);
    tasks_ = std::move(tasks);
    rowDone_ = std::move(rowDone);
    n_ = n;
    chooser_.forget();
}

void Solver::setSimdPath(SimdPath path)
{
    if (!simdPathSupported(path))
        throw std::invalid_argument(std::string("Solver: this processor cannot run the ") + simdPathName(path) +
                                    " path");
    path_ = path;
    kernels_ = &kernelSet(path);
    chooser_.forget();
}

void Solver::setAdaptiveThreads(bool on)
{
    adaptive_ = on;
    chooser_.forget();
}

bool Solver::threadsPay(const Grid& g) const { return threads_ > 1 && pool_ && g.cells >= MinCellsForThreads; }

void Solver::setThreadCount(unsigned threads)
{
    if (threads < 1)
        throw std::invalid_argument("Solver: the thread count must be at least 1");
    if (threads == threads_ && (threads == 1 || pool_))
        return;
    pool_ = threads > 1 ? std::make_unique<WorkerPool>(threads - 1) : nullptr;
    // Fewer threads when not every helper could be started.
    if (pool_ && pool_->threadCount() == 1)
        pool_.reset();
    threads_ = pool_ ? pool_->threadCount() : 1;
    chooser_.forget();
}

void Solver::addSource(const Grid& g, float* x, const float* s, float dt)
{
    const RowJob job{.kind = RowJob::Source, .g = &g, .out = x, .in = s, .dt = dt, .end = g.cells, .kernels = kernels_};
    runRows(job, g.cells);
}

// Pass and chunk of every task number, for the two-thread plans: filled by linSolve, sized by resize.
void Solver::numberTasks(const SweepJob& job)
{
    // Row tasks count as one more pass before the first and after the last.
    const std::uint32_t lead = job.rowsBefore ? 1 : 0;
    std::uint32_t index = 0;
    for (std::uint32_t key = 0; index < job.taskCount; ++key)
        for (int p = -1; p <= job.passes; ++p) {
            std::uint32_t depth = 0, chunks = 0;
            std::uint16_t slot = RowsBeforeSlot;
            if (p < 0) {
                chunks = job.chunksBefore;
            } else if (p == job.passes) {
                depth = lead + job.depth[p - 1] + 1;
                chunks = job.chunksAfter;
                slot = RowsAfterSlot;
            } else {
                depth = lead + job.depth[p];
                chunks = job.chunks[p];
                slot = static_cast<std::uint16_t>(p);
            }
            const std::uint32_t lag = PassLag * depth;
            if (key < lag || key - lag >= chunks)
                continue;
            tasks_[index++] = TaskSlot{slot, key - lag};
        }
}

bool Solver::taskReady(const SweepJob& job, std::uint32_t index) const
{
    const TaskSlot slot = tasks_[index];
    if (slot.pass == RowsBeforeSlot)
        return true;
    if (slot.pass == RowsAfterSlot) {
        // A row reads the rows next to it, which the last pass has finished 2 * lanes - 1 stages after them.
        const int last = job.passes - 1;
        const std::uint32_t end = std::min(job.rowsAfter->first + (slot.chunk + 1) * PassChunk, job.rowsAfter->end);
        const std::uint32_t need = end + 2 * static_cast<std::uint32_t>(job.pass[last].lanes) - 1;
        return progress_[static_cast<std::size_t>(last)].load(std::memory_order_acquire) >=
               std::min(need, job.stages[last]);
    }
    const int p = slot.pass;
    const std::uint32_t first = slot.chunk * PassChunk;
    const std::uint32_t end = std::min(first + PassChunk, job.stages[p]);
    if (slot.chunk > 0 && progress_[static_cast<std::size_t>(p)].load(std::memory_order_acquire) < first)
        return false;
    if (job.rowsBefore && job.after[p] < 0) {
        // Stages [first, end) read rows up to end (n + 1: the top wall, which the task of row n writes).
        const std::uint32_t rows = std::min(end, job.pass[p].n);
        for (std::uint32_t c = 0; c <= (rows - 1) / PassChunk; ++c)
            if (rowDone_[c].load(std::memory_order_acquire) == 0)
                return false;
    }
    const int before = job.after[p];
    if (before >= 0) {
        const std::uint32_t need = end + 2 * static_cast<std::uint32_t>(job.pass[before].lanes) - 1;
        if (progress_[static_cast<std::size_t>(before)].load(std::memory_order_acquire) <
            std::min(need, job.stages[before]))
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
                sleepWhileEqual(job.finished, seen);
            continue;
        }
        if (!job.next.compare_exchange_strong(index, index + 1, std::memory_order_acq_rel))
            continue;
        idle = 0;
        const TaskSlot slot = solver.tasks_[index];
        if (slot.pass == RowsBeforeSlot || slot.pass == RowsAfterSlot) {
            const RowJob& rows = slot.pass == RowsBeforeSlot ? *job.rowsBefore : *job.rowsAfter;
            const std::uint32_t first = rows.first + slot.chunk * PassChunk;
            runRowRange(rows, first, std::min(first + PassChunk, rows.end));
            if (slot.pass == RowsBeforeSlot)
                solver.rowDone_[slot.chunk].store(1, std::memory_order_release);
        } else {
            const auto p = static_cast<std::size_t>(slot.pass);
            const std::uint32_t first = slot.chunk * PassChunk;
            const std::uint32_t end = std::min(first + PassChunk, job.stages[p]);
            solver.kernels_->sweepPass(job.pass[p], first, end);
            solver.progress_[p].store(end, std::memory_order_release);
        }
        job.finished.fetch_add(1, std::memory_order_acq_rel);
        wakeAllWaiters(job.finished);
    }
}

bool Solver::useThreads(const Grid& g) const { return threadsPay(g) && (!adaptive_ || chooser_.threaded()); }

void Solver::beginStep()
{
    if (adaptive_ && pool_)
        chooser_.beginStep();
}

void Solver::endStep()
{
    if (adaptive_ && pool_)
        chooser_.endStep();
}

void Solver::addSolve(SweepJob& job, const Grid& g, float* x, const float* x0, Boundary b, float a, float c,
                      const Plan& plan, float*& ring)
{
    // Only dividing solves (not c == 1, not the pressure's a == 1, c == 4) ask for the reciprocal.
    const bool dividing = c != 1.0f && !(a == 1.0f && c == 4.0f);
    const bool reciprocal =
        dividing && divisors_.use(*kernels_, c, static_cast<std::uint64_t>(g.n) * g.n * Sweeps);
    for (int k = 0; k < plan.passes; ++k) {
        const int p = job.passes++;
        const int lanes = plan.lanes[static_cast<std::size_t>(k)];
        job.pass[p] = SweepPass{.x = x, .x0 = x0, .n = g.n, .size = g.size, .b = b, .a = a, .c = c, .lanes = lanes,
                                .ring = ring, .zeros = zeros_.data(), .reciprocal = reciprocal};
        ring += (passRingFloats(g.n, lanes) + 15) / 16 * 16;
        job.stages[p] = passStages(g.n, lanes);
        job.chunks[p] = chunksOf(job.stages[p]);
        job.after[p] = k > 0 ? p - 1 : -1;
        job.depth[p] = static_cast<std::uint32_t>(k);
        job.taskCount += job.chunks[p];
    }
    job.solveX[job.solves++] = x;
}

void Solver::runSweeps(SweepJob& job, bool threaded)
{
    if (!threaded) {
        for (int p = 0; p < job.passes; ++p)
            kernels_->sweepPass(job.pass[p], 0, job.stages[p]);
    } else {
        for (auto& progress : progress_)
            progress.store(0, std::memory_order_relaxed);
        numberTasks(job);
        // One loop per thread; a helper that wakes up late finds the tasks taken and returns at once.
        pool_->run(&runSweepTask, &job, threads_);
    }
}

void Solver::linSolve(const Grid& g, float* x, const float* x0, Boundary b, float a, float c)
{
    solveAround(g, x, x0, b, a, c, nullptr, nullptr);
}

// The row stage `before` (if not null: rows 1 .. n, writing x and x0 with their walls), linSolve, then the row stage
// `then` (if not null: rows that read x but not its corners). On threads all go into one job: the first pass's
// chunks start as soon as the rows they read are written, and each row task of `then` as soon as the last pass
// has finished the rows it reads, so the rows fill the time in which a thread would wait for the wide pass.
void Solver::solveAround(const Grid& g, float* x, const float* x0, Boundary b, float a, float c, const RowJob* before,
                         const RowJob* then)
{
    const bool threaded = useThreads(g);
    SweepJob job;
    job.solver = this;
    float* ring = rings_.data();
    addSolve(job, g, x, x0, b, a, c, makePlan(kernels_->lanes), ring);
    if (threaded) {
        const auto chunks = [](const RowJob* rows) {
            return rows ? chunksOf(rows->end - rows->first) : 0u;
        };
        job.rowsBefore = before;
        job.chunksBefore = chunks(before);
        job.rowsAfter = then;
        job.chunksAfter = chunks(then);
        job.taskCount += job.chunksBefore + job.chunksAfter;
        for (std::uint32_t k = 0; k < job.chunksBefore; ++k)
            rowDone_[k].store(0, std::memory_order_relaxed);
    } else if (before) {
        runRows(*before, before->end - before->first);
    }
    runSweeps(job, threaded);
    setCorners(g, x);
    if (then && !threaded)
        runRows(*then, then->end - then->first);
}

namespace {
struct Coefficients {
    float a, c;
};
// a = dt * rate * n * n and c = 1 + 4a, each rounded to single precision.
Coefficients diffusionCoefficients(const Grid& g, float rate, float dt)
{
    const float nf = static_cast<float>(g.n);
    const float a = dt * rate * nf * nf;
    const float c = 1 + 4 * a;
    return {a, c};
}
} // namespace

void Solver::diffuse(const Grid& g, float* x, const float* x0, Boundary b, float rate, float dt)
{
    const Coefficients k = diffusionCoefficients(g, rate, dt);
    linSolve(g, x, x0, b, k.a, k.c);
}

void Solver::diffuseTogether(const Grid& g, std::span<const Diffusion> solves, float dt)
{
    if (solves.size() > MaxTogether)
        throw std::invalid_argument("Solver: at most three diffusions run together");
    if (!useThreads(g) || solves.size() < 2) {
        for (const Diffusion& d : solves)
            diffuse(g, d.x, d.x0, d.b, d.rate, dt);
        return;
    }
    SweepJob job;
    job.solver = this;
    float* ring = rings_.data();
    const Plan plan = makePlan(kernels_->lanes);
    for (const Diffusion& d : solves) {
        const Coefficients k = diffusionCoefficients(g, d.rate, dt);
        addSolve(job, g, d.x, d.x0, d.b, k.a, k.c, plan, ring);
    }
    runSweeps(job, true);
    for (int s = 0; s < job.solves; ++s)
        setCorners(g, job.solveX[s]);
}

void Solver::runRowTask(void* context, std::uint32_t index, unsigned)
{
    const auto& job = *static_cast<const RowJob*>(context);
    const std::uint32_t lo = job.first + index * job.chunk;
    runRowRange(job, lo, std::min(job.end, lo + job.chunk));
}

void Solver::runRowRange(const RowJob& job, std::uint32_t lo, std::uint32_t hi)
{
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
        if (job.walls) {
            setBndRows(*job.g, job.div, Boundary::Scalar, lo, hi);
            setBndRows(*job.g, job.p, Boundary::Scalar, lo, hi);
        }
        break;
    case RowJob::Gradient:
        k.gradientRows(*job.g, job.out, job.v2, job.p, lo, hi);
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

void Solver::advect(const Grid& g, float* d, const float* d0, Boundary b, const float* u, const float* v, float dt)
{
    const RowJob job{.kind = RowJob::Advect, .g = &g, .out = d, .in = d0, .u = u, .v = v, .dt = dt, .first = 1,
                     .end = g.n + 1, .kernels = kernels_};
    runRows(job, g.n);
    setBnd(g, d, b);
}

void Solver::advectPair(const Grid& g, float* d, const float* d0, Boundary bd, float* e, const float* e0, Boundary be,
                        const float* u, const float* v, float dt)
{
    const RowJob job{.kind = RowJob::Advect, .g = &g, .out = d, .in = d0, .out2 = e, .in2 = e0, .u = u, .v = v,
                     .dt = dt, .first = 1, .end = g.n + 1, .kernels = kernels_};
    runRows(job, g.n);
    setBnd(g, d, bd);
    setBnd(g, e, be);
}

void Solver::project(const Grid& g, float* u, float* v, float* p, float* div)
{
    const RowJob first{.kind = RowJob::Divergence, .g = &g, .u = u, .v = v, .p = p, .div = div, .walls = true,
                       .first = 1, .end = g.n + 1, .kernels = kernels_};
    const RowJob second{.kind = RowJob::Gradient, .g = &g, .out = u, .v2 = v, .p = p, .first = 1, .end = g.n + 1,
                        .kernels = kernels_};
    solveAround(g, p, div, Boundary::Scalar, 1, 4, &first, &second);
    setBnd(g, u, Boundary::Horizontal);
    setBnd(g, v, Boundary::Vertical);
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
