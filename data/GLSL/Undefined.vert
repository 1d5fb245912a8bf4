#version 120
// A surface without a fitting material.
varying vec3 eyePos;
varying vec3 eyeNormal;

void main()
{
    eyePos = (gl_ModelViewMatrix * gl_Vertex).xyz;
    eyeNormal = gl_NormalMatrix * gl_Normal;
    gl_Position = ftransform();
}
