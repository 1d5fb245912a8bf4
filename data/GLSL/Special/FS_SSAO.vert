#version 120
// Full-screen quad; the fragment shader rebuilds eye-space points from the depth texels.
varying vec2 screenUV;

void main()
{
    screenUV = gl_Vertex.xy + 0.5;
    gl_Position = vec4(gl_Vertex.xy * 2.0, 0.0, 1.0);
}
