#version 120
// Depth pass of cut-out surfaces: the alpha texture sits on unit 0 with its layer's coordinates.
varying vec3 eyePos;
varying vec2 uv0;

void main()
{
    eyePos = (gl_ModelViewMatrix * gl_Vertex).xyz;
    uv0 = (gl_TextureMatrix[0] * gl_MultiTexCoord0).xy;
    gl_Position = ftransform();
}
