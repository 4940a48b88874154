// frag_setbnd: boundary rule on texture coordinates. A wall texel takes its inner neighbour (negated across the
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
