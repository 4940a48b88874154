// vert_passthru: passes colour and texture coordinate 0 through and applies the fixed-function transform.
void main()
{
    gl_FrontColor = gl_Color;
    gl_TexCoord[0] = gl_MultiTexCoord0;
    gl_Position = ftransform();
}
