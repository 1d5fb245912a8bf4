#version 120
// Full-screen quad lying on the water plane: each corner carries the plane's depth there (a
// plane's window depth is affine across the screen), so the depth test keeps only the water in
// front of the scene. Eye directions through the corners in world and in eye space.
attribute vec3 ws_attrEyeDir;
attribute vec3 es_attrEyeDir;
uniform vec4 cornerDepths;  // normalised device z of the plane at the four corners
varying vec3 ws_eyeDir;
varying vec3 es_eyeDir;
varying vec2 screenUV;

void main()
{
    ws_eyeDir = ws_attrEyeDir;
    es_eyeDir = es_attrEyeDir;
    screenUV = gl_Vertex.xy + 0.5;
    vec2 bottom = gl_Vertex.x < 0.0 ? cornerDepths.xx : cornerDepths.yy;
    vec2 top = gl_Vertex.x < 0.0 ? cornerDepths.zz : cornerDepths.ww;
    float z = gl_Vertex.y < 0.0 ? bottom.x : top.x;
    gl_Position = vec4(gl_Vertex.xy * 2.0, z, 1.0);
}
