#version 120
// Screen-space sprite: position, one texture coordinate set and a tint per vertex.
varying vec2 texCoord;
varying vec4 tint;

void main()
{
    texCoord = gl_MultiTexCoord0.xy;
    tint = gl_Color;
    gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;
}
