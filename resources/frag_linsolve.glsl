// frag_linsolve: one Jacobi iteration of x = (x0 + a * (sum of the four neighbours of x)) / c. Neighbours are read
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
