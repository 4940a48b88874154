#include "tests/support/ReferenceSolver.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace vornix::reference {

#define IX(i, j) ((i) + (N + 2) * (j))
#define RANGE(x, lo, hi) ((x) < (lo) ? (lo) : ((x) > (hi) ? (hi) : (x)))

namespace {

void add_source(int N, float* x, const float* s, float dt)
{
    int size = (N + 2) * (N + 2);
    for (int k = 0; k < size; k++) x[k] += dt * s[k];
}

void set_bnd(int N, int b, float* x)
{
    for (int k = 1; k <= N; k++) {
        x[IX(0, k)] = b == 1 ? -x[IX(1, k)] : x[IX(1, k)];
        x[IX(N + 1, k)] = b == 1 ? -x[IX(N, k)] : x[IX(N, k)];
        x[IX(k, 0)] = b == 2 ? -x[IX(k, 1)] : x[IX(k, 1)];
        x[IX(k, N + 1)] = b == 2 ? -x[IX(k, N)] : x[IX(k, N)];
    }
    x[IX(0, 0)] = 0.5f * (x[IX(1, 0)] + x[IX(0, 1)]);
    x[IX(0, N + 1)] = 0.5f * (x[IX(1, N + 1)] + x[IX(0, N)]);
    x[IX(N + 1, 0)] = 0.5f * (x[IX(N, 0)] + x[IX(N + 1, 1)]);
    x[IX(N + 1, N + 1)] = 0.5f * (x[IX(N, N + 1)] + x[IX(N + 1, N)]);
}

void lin_solve(int N, int b, float* x, const float* x0, float a, float c)
{
    for (int k = 0; k < 20; k++) {
        for (int i = 1; i <= N; i++)
            for (int j = 1; j <= N; j++)
                x[IX(i, j)] = (a * (x[IX(i - 1, j)] + x[IX(i + 1, j)] + x[IX(i, j - 1)] + x[IX(i, j + 1)]) + x0[IX(i, j)]) / c;
        set_bnd(N, b, x);
    }
}

void diffuse(int N, int b, float* x, const float* x0, float diff, float dt)
{
    float a = dt * diff * (float)N * (float)N;
    float c = 1 + 4 * a;
    lin_solve(N, b, x, x0, a, c);
}

void advect(int N, int b, float* d, const float* d0, const float* u, const float* v, float dt)
{
    float dt0 = dt * (float)N;
    for (int i = 1; i <= N; i++) {
        for (int j = 1; j <= N; j++) {
            float x = (float)i - dt0 * u[IX(i, j)];
            float y = (float)j - dt0 * v[IX(i, j)];
            x = RANGE(x, 0.5f, (float)N + 0.5f);
            y = RANGE(y, 0.5f, (float)N + 0.5f);
            int i0 = (int)x, i1 = i0 + 1;
            int j0 = (int)y, j1 = j0 + 1;
            float s1 = x - (float)i0, s0 = 1 - s1;
            float t1 = y - (float)j0, t0 = 1 - t1;
            d[IX(i, j)] = s0 * (t0 * d0[IX(i0, j0)] + t1 * d0[IX(i0, j1)]) + s1 * (t0 * d0[IX(i1, j0)] + t1 * d0[IX(i1, j1)]);
        }
    }
    set_bnd(N, b, d);
}

void project(int N, float* u, float* v, float* p, float* div)
{
    for (int i = 1; i <= N; i++) {
        for (int j = 1; j <= N; j++) {
            div[IX(i, j)] = -0.5f * (u[IX(i + 1, j)] - u[IX(i - 1, j)] + v[IX(i, j + 1)] - v[IX(i, j - 1)]) / (float)N;
            p[IX(i, j)] = 0;
        }
    }
    set_bnd(N, 0, div);
    set_bnd(N, 0, p);
    lin_solve(N, 0, p, div, 1, 4);
    for (int i = 1; i <= N; i++) {
        for (int j = 1; j <= N; j++) {
            u[IX(i, j)] -= 0.5f * (float)N * (p[IX(i + 1, j)] - p[IX(i - 1, j)]);
            v[IX(i, j)] -= 0.5f * (float)N * (p[IX(i, j + 1)] - p[IX(i, j - 1)]);
        }
    }
    set_bnd(N, 1, u);
    set_bnd(N, 2, v);
}

void add_force_area(int N, float* f, int x, int y, float value, float radius)
{
    int iLo = (int)RANGE((float)x - radius, 1.0f, (float)N);
    int iHi = (int)RANGE((float)x + radius, 1.0f, (float)N);
    int jLo = (int)RANGE((float)y - radius, 1.0f, (float)N);
    int jHi = (int)RANGE((float)y + radius, 1.0f, (float)N);
    for (int i = iLo; i <= iHi; i++) {
        for (int j = jLo; j <= jHi; j++) {
            float d = std::sqrt((float)((x - i) * (x - i) + (y - j) * (y - j)));
            float w = 1 - d / radius;
            if (std::isnan(w)) w = 1;
            f[IX(i, j)] += RANGE(w, 0.0f, 1.0f) * value;
        }
    }
}

} // namespace

ReferenceFluid::ReferenceFluid(int n, float viscosity, float dt_, float diffusion)
    : N(n), visc(viscosity), dt(dt_), diff(diffusion)
{
    std::size_t size = (std::size_t)(N + 2) * (N + 2);
    for (auto* f : {&u, &v, &u_prev, &v_prev, &dens, &dens_prev}) f->assign(size, 0.0f);
}

void ReferenceFluid::addDensity(int x, int y, float amount, float radius)
{
    add_force_area(N, dens_prev.data(), x, y, amount, radius);
}

void ReferenceFluid::addVelocity(int x, int y, float forceX, float forceY, float radius)
{
    add_force_area(N, u_prev.data(), x, y, forceX, radius);
    add_force_area(N, v_prev.data(), x, y, forceY, radius);
}

void ReferenceFluid::step()
{
    float* U = u.data(); float* V = v.data(); float* U0 = u_prev.data(); float* V0 = v_prev.data();
    float* D = dens.data(); float* D0 = dens_prev.data();
    // velocity step
    add_source(N, U, U0, dt); add_source(N, V, V0, dt);
    diffuse(N, 1, U0, U, visc, dt); diffuse(N, 2, V0, V, visc, dt);
    project(N, U0, V0, U, V);
    advect(N, 1, U, U0, U0, V0, dt); advect(N, 2, V, V0, U0, V0, dt);
    project(N, U, V, U0, V0);
    // density step
    add_source(N, D, D0, dt);
    diffuse(N, 0, D0, D, diff, dt);
    advect(N, 0, D, D0, U, V, dt);
    // the sources are consumed
    for (auto* f : {&u_prev, &v_prev, &dens_prev}) std::fill(f->begin(), f->end(), 0.0f);
}

void linSolve(int n, int b, float* x, const float* x0, float a, float c) { lin_solve(n, b, x, x0, a, c); }

void advectField(int n, int b, float* d, const float* d0, const float* u, const float* v, float dt)
{
    advect(n, b, d, d0, u, v, dt);
}

#undef IX
#undef RANGE

} // namespace vornix::reference
