#version 120
// Full-screen quad with the eye-space direction through each corner (z = -1).
attribute vec3 attrEyeDir;
varying vec3 eyeDir;
varying vec2 screenUV;

void main()
{
    eyeDir = attrEyeDir;
    screenUV = gl_Vertex.xy + 0.5;
    gl_Position = vec4(gl_Vertex.xy * 2.0, 0.0, 1.0);
}
