#version 120
varying vec2 screenUV;

void main()
{
    screenUV = gl_Vertex.xy + 0.5;
    gl_Position = vec4(gl_Vertex.xy * 2.0, 0.0, 1.0);
}
