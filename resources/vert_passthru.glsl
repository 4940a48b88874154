// vert_passthru: the vertex program of every solver pass and of the density drawing. Passes the colour and texture
// coordinate set 0 through unchanged and places the vertex with the fixed-function transform.
void main()
{
    gl_FrontColor = gl_Color;
    gl_TexCoord[0] = gl_MultiTexCoord0;
    gl_Position = ftransform();
}
