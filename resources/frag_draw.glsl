// frag_draw: colours the density through the gradient texture. With lighting on, flat dense areas glow towards white
// while slopes keep the gradient colour: the brightening falls off with the normal's tilt raised to a huge power.
uniform sampler2D Density;          // density in the red channel
uniform sampler2D GradientColors;   // the colour gradient, 2048 x 1
uniform float LightingFactor;
uniform float LightingPower;
uniform float OnePixel;             // step to the neighbour sample, in texture coordinates
uniform bool Show3DLighting;

void main()
{
    vec2 st = gl_TexCoord[0].st;
    float d = texture2D(Density, st).r;
    float c = clamp(d, 0.0, 1.0);
    vec4 colour = texture2D(GradientColors, vec2(c, 0.0));
    if (Show3DLighting) {
        float dx = d - texture2D(Density, st + vec2(OnePixel, 0.0)).r;
        float dy = d - texture2D(Density, st + vec2(0.0, OnePixel)).r;
        float nz = 1.0 / length(vec3(dx, dy, 1.0));
        float w = c * LightingFactor * pow(nz, LightingPower);
        colour.rgb = min(colour.rgb + w, vec3(1.0));
    }
    gl_FragColor = vec4(colour.rgb, 1.0);
}
