// frag_addsource: x + dt * s, on all four channels.
#version 110

uniform sampler2D x;
uniform sampler2D s;
uniform float dt;

void main()
{
    vec2 st = gl_TexCoord[0].xy;
    gl_FragColor = texture2D(x, st) + dt * texture2D(s, st);
}
