// frag_linsolve: one Jacobi iteration of x = (x0 + a * (sum of the four neighbours of x)) / c. Neighbours are read
// from the previous iterate bound to x; fragments outside the open interior (h, 1 - h) keep their value.
// The first neighbour read doubles as the read of the fragment's own value outside the interior, so no read sits in a
// branch (a software rasteriser would pay for both sides).
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
    bool interior = st.s > h && st.t > h && st.s < H && st.t < H;
    vec4 west = texture2D(x, interior ? vec2(st.s - h, st.t) : st);
    vec4 neighbours = west + texture2D(x, vec2(st.s + h, st.t))
                    + texture2D(x, vec2(st.s, st.t - h)) + texture2D(x, vec2(st.s, st.t + h));
    vec4 result = (texture2D(x0, st) + a * neighbours) / c;
    gl_FragColor = interior ? result : west;
}
