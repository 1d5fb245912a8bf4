#version 120
// Mat_Shd_Env2D: environment on unit 1.
varying vec3 eyePos;
varying vec3 eyeNormal;
varying vec4 clipPos;
varying vec4 vertexColor;

void main()
{
    eyePos = (gl_ModelViewMatrix * gl_Vertex).xyz;
    eyeNormal = gl_NormalMatrix * gl_Normal;
    vertexColor = gl_Color;
    gl_Position = ftransform();
    clipPos = gl_Position;
}
