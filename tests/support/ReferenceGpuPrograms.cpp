// The solver programs exactly as first written (texture reads inside branches, four channels per field): the
// texts the reference GPU solver runs, kept here so that changes to the shipped programs cannot change the oracle.
#include "tests/support/ReferenceGpuSolver.h"

#include <stdexcept>

namespace vornix::test {

std::string referenceProgramText(int resourceId)
{
    switch (resourceId) {
    case 128:
        return R"glsl(// vert_passthru: the vertex program of every solver pass and of the density drawing. Passes the colour and texture
// coordinate set 0 through unchanged and places the vertex with the fixed-function transform.
void main()
{
    gl_FrontColor = gl_Color;
    gl_TexCoord[0] = gl_MultiTexCoord0;
    gl_Position = ftransform();
}
)glsl";
    case 129:
        return R"glsl(// frag_setbnd: boundary rule on texture coordinates. A wall texel takes its inner neighbour (negated across the
// left/right walls for b == 1 and across the bottom/top walls for b == 2); a corner takes the mean of its two wall
// neighbours. Everything is read from the copy bound to x, so corners average the walls as they were before.
#version 110

uniform sampler2D x;
uniform int b;
uniform float OneNStep;

void main()
{
    vec2 st = gl_TexCoord[0].xy;
    float h = OneNStep;
    vec4 result = texture2D(x, st);

    // Left and right walls.
    if (st.s == 0.0 && st.t > 0.0 && st.t < 1.0) {
        result = texture2D(x, vec2(h, st.t));
        if (b == 1)
            result = -result;
    } else if (st.s == 1.0 && st.t > 0.0 && st.t < 1.0) {
        result = texture2D(x, vec2(1.0 - h, st.t));
        if (b == 1)
            result = -result;
    }

    // Bottom and top walls.
    if (st.t == 0.0 && st.s > 0.0 && st.s < 1.0) {
        result = texture2D(x, vec2(st.s, h));
        if (b == 2)
            result = -result;
    } else if (st.t == 1.0 && st.s > 0.0 && st.s < 1.0) {
        result = texture2D(x, vec2(st.s, 1.0 - h));
        if (b == 2)
            result = -result;
    }

    // Corners.
    if (st.s == 0.0 && st.t == 0.0)
        result = 0.5 * (texture2D(x, vec2(h, 0.0)) + texture2D(x, vec2(0.0, h)));
    if (st.s == 0.0 && st.t == 1.0)
        result = 0.5 * (texture2D(x, vec2(h, 1.0)) + texture2D(x, vec2(0.0, 1.0 - h)));
    if (st.s == 1.0 && st.t == 0.0)
        result = 0.5 * (texture2D(x, vec2(1.0 - h, 0.0)) + texture2D(x, vec2(1.0, h)));
    if (st.s == 1.0 && st.t == 1.0)
        result = 0.5 * (texture2D(x, vec2(1.0 - h, 1.0)) + texture2D(x, vec2(1.0, 1.0 - h)));

    gl_FragColor = result;
}
)glsl";
    case 130:
        return R"glsl(// frag_addsource: x + dt * s, on all four channels.
#version 110

uniform sampler2D x;
uniform sampler2D s;
uniform float dt;

void main()
{
    vec2 st = gl_TexCoord[0].xy;
    gl_FragColor = texture2D(x, st) + dt * texture2D(s, st);
}
)glsl";
    case 132:
        return R"glsl(// frag_linsolve: one Jacobi iteration of x = (x0 + a * (sum of the four neighbours of x)) / c. Neighbours are read
// from the previous iterate bound to x; fragments outside the open interior (h, 1 - h) keep their value.
#version 110

uniform sampler2D x;
uniform sampler2D x0;
uniform float a;
uniform float c;
uniform float OneNStep;
uniform float OneMinusOneNStep;

void main()
{
    vec2 st = gl_TexCoord[0].xy;
    float h = OneNStep;
    float H = OneMinusOneNStep;
    if (st.s > h && st.t > h && st.s < H && st.t < H) {
        vec4 neighbours = texture2D(x, vec2(st.s - h, st.t)) + texture2D(x, vec2(st.s + h, st.t))
                        + texture2D(x, vec2(st.s, st.t - h)) + texture2D(x, vec2(st.s, st.t + h));
        gl_FragColor = (texture2D(x0, st) + a * neighbours) / c;
    } else {
        gl_FragColor = texture2D(x, st);
    }
}
)glsl";
    case 133:
        return R"glsl(// frag_addvect: semi-Lagrangian advection. Traces the fragment back along (u, v) for DT0, clamps the foot point to
// 0..1 - h and weights d0 at the four lattice points around it; the bilinear filter blends between texels.
#version 110

uniform sampler2D d0;
uniform sampler2D u;
uniform sampler2D v;
uniform float OneNStep;
uniform float OneMinusOneNStep;
uniform float DT0;

void main()
{
    vec2 st = gl_TexCoord[0].xy;
    float h = OneNStep;
    if (!(st.s > 0.0 && st.s < 1.0 && st.t > 0.0 && st.t < 1.0)) {
        gl_FragColor = texture2D(d0, st);
    } else {
        vec2 uv = vec2(texture2D(u, st).r, texture2D(v, st).r);
        vec2 xy = clamp(st - DT0 * uv, 0.0, OneMinusOneNStep);
        vec2 st1 = mod(xy, h);
        vec2 st0 = vec2(1.0, 1.0) - st1;
        vec2 ij0 = (xy / h - st1) * h;
        vec2 ij1 = ij0 + vec2(h, h);
        gl_FragColor = st0.s * (st0.t * texture2D(d0, vec2(ij0.x, ij0.y)) + st1.t * texture2D(d0, vec2(ij0.x, ij1.y)))
                     + st1.s * (st0.t * texture2D(d0, vec2(ij1.x, ij0.y)) + st1.t * texture2D(d0, vec2(ij1.x, ij1.y)));
    }
}
)glsl";
    case 134:
        return R"glsl(// frag_project1: divergence of the velocity (u, v), read from and written to the red channel only.
#version 110

uniform sampler2D u;
uniform sampler2D v;
uniform float OneNStep;
uniform float N;

void main()
{
    vec2 st = gl_TexCoord[0].xy;
    float h = OneNStep;
    float div = -0.5 * (texture2D(u, vec2(st.s + h, st.t)).r - texture2D(u, vec2(st.s - h, st.t)).r
                      + texture2D(v, vec2(st.s, st.t + h)).r - texture2D(v, vec2(st.s, st.t - h)).r) / N;
    gl_FragColor = vec4(div, 0.0, 0.0, 0.0);
}
)glsl";
    case 135:
        return R"glsl(// frag_project2: subtracts the horizontal pressure gradient from the red channel of u0; the other channels pass.
#version 110

uniform sampler2D u0;
uniform sampler2D p;
uniform float OneNStep;
uniform float N;

void main()
{
    vec2 st = gl_TexCoord[0].xy;
    float h = OneNStep;
    float gradient = 0.5 * N * (texture2D(p, vec2(st.s + h, st.t)).r - texture2D(p, vec2(st.s - h, st.t)).r);
    gl_FragColor = texture2D(u0, st) - vec4(gradient, 0.0, 0.0, 0.0);
}
)glsl";
    case 136:
        return R"glsl(// frag_project3: subtracts the vertical pressure gradient from the red channel of v0; the other channels pass.
#version 110

uniform sampler2D v0;
uniform sampler2D p;
uniform float OneNStep;
uniform float N;

void main()
{
    vec2 st = gl_TexCoord[0].xy;
    float h = OneNStep;
    float gradient = 0.5 * N * (texture2D(p, vec2(st.s, st.t + h)).r - texture2D(p, vec2(st.s, st.t - h)).r);
    gl_FragColor = texture2D(v0, st) - vec4(gradient, 0.0, 0.0, 0.0);
}
)glsl";
    case 137:
        return R"glsl(// frag_addforcearea_circular: adds a faded disc, s * clamp(1 - distance / r, 0, 1) on all four channels, around
// (x_center, y_center). The box test is nested so that fragments outside it stop early, before the square root.
#version 110

uniform sampler2D field0;
uniform float x_center;
uniform float y_center;
uniform float s;
uniform float r;

void main()
{
    vec2 st = gl_TexCoord[0].xy;
    vec4 SourcePixel = texture2D(field0, st);
    vec4 result = SourcePixel;
    if (st.s >= clamp(x_center - r, 0.0, 1.0)) {
        if (st.s <= clamp(x_center + r, 0.0, 1.0)) {
            if (st.t >= clamp(y_center - r, 0.0, 1.0)) {
                if (st.t <= clamp(y_center + r, 0.0, 1.0)) {
                    float dx = x_center - st.s;
                    float dy = y_center - st.t;
                    float f = 1.0 - sqrt(dx * dx + dy * dy) / r;
                    result = SourcePixel + clamp(f, 0.0, 1.0) * s;
                }
            }
        }
    }
    gl_FragColor = result;
}
)glsl";
    default:
        throw std::out_of_range("no reference program with id " + std::to_string(resourceId));
    }
}

} // namespace vornix::test
