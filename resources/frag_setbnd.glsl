// frag_setbnd: boundary rule on texture coordinates. A wall texel takes its inner neighbour (negated across the
// left/right walls for b == 1 and across the bottom/top walls for b == 2); a corner takes the mean of its two wall
// neighbours. Everything is read from the copy bound to x, so corners average the walls as they were before.
// The rule picks where to read and whether to negate; the texture is then read at those places unconditionally,
// because a software rasteriser would pay for a read in every branch.
#version 110

uniform sampler2D x;
uniform int b;
uniform float OneNStep;

void main()
{
    vec2 st = gl_TexCoord[0].xy;
    float h = OneNStep;
    bool left = st.s == 0.0;
    bool right = st.s == 1.0;
    bool bottom = st.t == 0.0;
    bool top = st.t == 1.0;

    // First read: the fragment itself, its wall neighbour, or the first wall texel of a corner.
    vec2 first = st;
    // Second read: only a corner uses it (the second wall texel).
    vec2 second = st;
    bool negate = false;

    // Left and right walls.
    if ((left || right) && st.t > 0.0 && st.t < 1.0) {
        first = vec2(left ? h : 1.0 - h, st.t);
        negate = b == 1;
    }
    // Bottom and top walls (never together with a left or right wall: those need 0 < t < 1).
    if ((bottom || top) && st.s > 0.0 && st.s < 1.0) {
        first = vec2(st.s, bottom ? h : 1.0 - h);
        negate = b == 2;
    }
    // Corners: (h, t) and (s, h) at the bottom left, (1 - h, t) and (s, 1 - h) at the top right, and so on.
    bool corner = (left || right) && (bottom || top);
    if (corner) {
        first = vec2(left ? h : 1.0 - h, st.t);
        second = vec2(st.s, bottom ? h : 1.0 - h);
    }

    vec4 a = texture2D(x, first);
    vec4 c = texture2D(x, second);
    vec4 result = negate ? -a : a;
    if (corner)
        result = 0.5 * (a + c);
    gl_FragColor = result;
}
