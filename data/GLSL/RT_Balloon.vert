#version 120
// Speech balloons: the font's glyph cells on unit 0.
varying vec3 eyePos;
varying vec3 eyeNormal;
varying vec4 clipPos;
varying vec4 vertexColor;
varying vec2 uv0;

void main()
{
    eyePos = (gl_ModelViewMatrix * gl_Vertex).xyz;
    eyeNormal = gl_NormalMatrix * gl_Normal;
    vertexColor = gl_Color;
    uv0 = (gl_TextureMatrix[0] * gl_MultiTexCoord0).xy;
    gl_Position = ftransform();
    clipPos = gl_Position;
}
