// frag_project1: divergence of the velocity (u, v), read from and written to the red channel only.
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
