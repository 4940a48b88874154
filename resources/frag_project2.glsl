// frag_project2: subtracts the horizontal pressure gradient from the red channel of u0; the other channels pass.
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
