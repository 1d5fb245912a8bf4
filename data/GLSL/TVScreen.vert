#version 120
// TV screens: the picture's coordinates on unit 1, an overlay's on unit 2.
varying vec3 eyePos;
varying vec3 eyeNormal;
varying vec4 clipPos;
varying vec4 vertexColor;
varying vec2 uv1;
varying vec2 uv2;

void main()
{
    eyePos = (gl_ModelViewMatrix * gl_Vertex).xyz;
    eyeNormal = gl_NormalMatrix * gl_Normal;
    vertexColor = gl_Color;
    uv1 = (gl_TextureMatrix[1] * gl_MultiTexCoord1).xy;
    uv2 = (gl_TextureMatrix[2] * gl_MultiTexCoord2).xy;
    gl_Position = ftransform();
    clipPos = gl_Position;
}
