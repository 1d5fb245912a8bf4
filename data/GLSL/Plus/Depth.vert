#version 120
// Depth pass: shadow maps and the depth pre-pass. Same transform as the colour passes, so
// their depths match exactly under GL_LEQUAL.
varying vec3 eyePos;

void main()
{
    eyePos = (gl_ModelViewMatrix * gl_Vertex).xyz;
    gl_Position = ftransform();
}
