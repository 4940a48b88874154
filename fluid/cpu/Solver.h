// Solver: the fast CPU stages of one fluid step, with the same results as the straightforward loops (the tests'
// oracle, tests/support/ReferenceSolver), run with the widest vector path the processor offers and spread over a
// small thread pool.
//
// Owns its scratch (a few rows per sweep pass) and the pool; both are made outside the step
// (construction, resize, setThreadCount), so stepping allocates nothing. Used from one thread at a time.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "fluid/WorkerPool.h"
#include "fluid/cpu/FieldArray.h"
#include "fluid/cpu/Grid.h"
#include "fluid/cpu/KernelSet.h"
#include "fluid/cpu/ReciprocalDivisors.h"
#include "fluid/cpu/SimdPath.h"
#include "fluid/cpu/ThreadCountChooser.h"

namespace vornix::cpu {

class Solver {
public:
    // Scratch for grids of n interior cells, the best vector path, defaultThreadCount() threads.
    explicit Solver(std::uint32_t n);
    ~Solver();

    // Makes the scratch fit grids of n interior cells. Strong guarantee: throws std::bad_alloc with nothing changed.
    void resize(std::uint32_t n);

    // Throws std::invalid_argument for a path this processor cannot run.
    void setSimdPath(SimdPath path);
    SimdPath simdPath() const { return path_; }

    // 1 or more; the helper threads are made here.
    void setThreadCount(unsigned threads);
    unsigned threadCount() const { return threads_; }
    // Two threads when the process may run on two or more processors, otherwise one.
    static unsigned defaultThreadCount();
    // With more than one thread, by default every step (beginStep .. endStep) times itself and the solver keeps to
    // one thread while the helpers do not make steps faster (a loaded machine, a small grid), trying the other count
    // now and then (ThreadCountChooser). Off: the thread count is used whenever the grid is large enough (for tests
    // that must exercise the threaded path).
    void setAdaptiveThreads(bool on);
    // Bracket one step of the model: with adaptive threads, each step runs in one mode and is timed as a whole.
    // Stages called outside a bracket run in the mode of the last step.
    void beginStep();
    void endStep();
    bool adaptiveThreads() const { return adaptive_; }
    // Prove each divisor's reciprocal division at its first solve instead of after enough work (for tests).
    void setEagerReciprocal(bool on) { divisors_.setEager(on); }

    void addSource(const Grid& g, float* x, const float* s, float dt);
    void linSolve(const Grid& g, float* x, const float* x0, Boundary b, float a, float c);
    void diffuse(const Grid& g, float* x, const float* x0, Boundary b, float rate, float dt);
    // One diffusion of diffuseTogether: x0 into x with kind b and rate.
    struct Diffusion {
        float* x;
        const float* x0;
        Boundary b;
        float rate;
    };
    static constexpr int MaxTogether = 3;
    // Up to MaxTogether diffusions that do not depend on each other (no x is another one's x or x0): the same results
    // as one diffuse call each. On several threads they run side by side, chunk by chunk, each tail pass a few
    // chunks behind its wide pass.
    void diffuseTogether(const Grid& g, std::span<const Diffusion> solves, float dt);
    void advect(const Grid& g, float* d, const float* d0, Boundary b, const float* u, const float* v, float dt);
    // advect of d0 into d and of e0 into e along the same (u, v), which neither d nor e may alias: the same results
    // as two advect calls, with the positions and weights computed once.
    void advectPair(const Grid& g, float* d, const float* d0, Boundary bd, float* e, const float* e0, Boundary be,
                    const float* u, const float* v, float dt);
    void project(const Grid& g, float* u, float* v, float* p, float* div);

private:
    static constexpr int Sweeps = 20;

    static constexpr int MaxPasses = MaxTogether * Sweeps;

    // How the 20 sweeps are split into passes, for a given widest pass.
    struct Plan {
        int passes = 0;
        std::array<int, MaxPasses> lanes{};
    };
    static Plan makePlan(int widest);
    static std::size_t ringFloats(const Plan& plan, std::uint32_t n);

    struct SweepJob;
    struct RowJob;
    struct TaskSlot {
        std::uint16_t pass = 0;
        std::uint32_t chunk = 0;
    };
    void addSolve(SweepJob& job, const Grid& g, float* x, const float* x0, Boundary b, float a, float c,
                  const Plan& plan, float*& ring);
    void runSweeps(SweepJob& job, bool threaded);
    static std::size_t taskCount(const Plan& plan, std::uint32_t n);
    void numberTasks(const SweepJob& job);
    bool taskReady(const SweepJob& job, std::uint32_t index) const;
    static void runSweepTask(void* job, std::uint32_t index, unsigned thread);
    static void runRowTask(void* job, std::uint32_t index, unsigned thread);
    static void runRowRange(const RowJob& job, std::uint32_t lo, std::uint32_t hi);
    void solveAround(const Grid& g, float* x, const float* x0, Boundary b, float a, float c, const RowJob* before,
                     const RowJob* then);
    void runRows(const RowJob& job, std::uint32_t rows);
    bool threadsPay(const Grid& g) const;
    bool useThreads(const Grid& g) const;

    SimdPath path_;
    const KernelSet* kernels_;
    unsigned threads_ = 1;
    bool adaptive_ = true;
    ThreadCountChooser chooser_;
    ReciprocalDivisors divisors_;
    std::uint32_t n_ = 0;
    FieldArray rings_;   // the passes' scratch, back to back, sized for every plan
    FieldArray zeros_;   // one row of zeros
    std::vector<TaskSlot> tasks_;   // pass and chunk of each task of a threaded solve
    std::unique_ptr<std::atomic<std::uint8_t>[]> rowDone_;   // which row tasks ahead of a solve have finished
    std::unique_ptr<WorkerPool> pool_;
    std::array<std::atomic<std::uint32_t>, MaxPasses> progress_{};   // stages finished per pass, in order
};

} // namespace vornix::cpu
