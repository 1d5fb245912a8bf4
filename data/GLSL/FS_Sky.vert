#version 120
// Full-screen quad at the far plane; the eye direction through each corner comes in world space.
attribute vec3 ws_attrEyeDir;
varying vec3 ws_eyeDir;

void main()
{
    ws_eyeDir = ws_attrEyeDir;
    gl_Position = vec4(gl_Vertex.xy * 2.0, 1.0, 1.0);
}
