// frag_addvect: semi-Lagrangian advection. Traces the fragment back along (u, v) for DT0, clamps the foot point to
// 0..1 - h and weights d0 at the four lattice points around it; the bilinear filter blends between texels.
// Fragments on the outer edge (s or t at 0 or 1) keep d0 at their own coordinate; that read is the first lattice read
// at a selected coordinate, so no read sits in a branch (a software rasteriser would pay for both sides).
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
    bool inside = st.s > 0.0 && st.s < 1.0 && st.t > 0.0 && st.t < 1.0;
    vec2 uv = vec2(texture2D(u, st).r, texture2D(v, st).r);
    vec2 xy = clamp(st - DT0 * uv, 0.0, OneMinusOneNStep);
    vec2 st1 = mod(xy, h);
    vec2 st0 = vec2(1.0, 1.0) - st1;
    vec2 ij0 = (xy / h - st1) * h;
    vec2 ij1 = ij0 + vec2(h, h);
    vec4 d00 = texture2D(d0, inside ? vec2(ij0.x, ij0.y) : st);
    vec4 result = st0.s * (st0.t * d00 + st1.t * texture2D(d0, vec2(ij0.x, ij1.y)))
                + st1.s * (st0.t * texture2D(d0, vec2(ij1.x, ij0.y)) + st1.t * texture2D(d0, vec2(ij1.x, ij1.y)));
    gl_FragColor = inside ? result : d00;
}
