#version 120
// Full-screen quad with the eye direction through each corner, in world and in eye space.
attribute vec3 ws_attrEyeDir;
attribute vec3 es_attrEyeDir;
varying vec3 ws_eyeDir;
varying vec3 es_eyeDir;
varying vec2 screenUV;

void main()
{
    ws_eyeDir = ws_attrEyeDir;
    es_eyeDir = es_attrEyeDir;
    screenUV = gl_Vertex.xy + 0.5;
    gl_Position = vec4(gl_Vertex.xy * 2.0, 0.0, 1.0);
}
