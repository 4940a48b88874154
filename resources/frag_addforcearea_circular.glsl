// frag_addforcearea_circular: adds a faded disc, s * clamp(1 - distance / r, 0, 1) on all four channels, around
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
