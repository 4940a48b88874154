// A short, literal transcription of the CPU fluid step (plain loops, i outer, j inner), kept as the test oracle:
// the real engine may be tuned in any way, but it must produce exactly these bits.
#pragma once

#include <vector>

namespace vornix::reference {

struct ReferenceFluid {
    ReferenceFluid(int n, float viscosity, float dt, float diffusion);

    void addDensity(int x, int y, float amount, float radius);
    void addVelocity(int x, int y, float forceX, float forceY, float radius);
    void step();

    int N;
    float visc, dt, diff;
    std::vector<float> u, v, u_prev, v_prev, dens, dens_prev;
};

// The literal 20 sweeps of one linear solve with walls of kind b (0, 1, 2), on fields of (n + 2)^2 cells.
void linSolve(int n, int b, float* x, const float* x0, float a, float c);

// The literal advection of d0 along (u, v) into d, walls of kind b.
void advectField(int n, int b, float* d, const float* d0, const float* u, const float* v, float dt);

} // namespace vornix::reference
