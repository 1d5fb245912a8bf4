#version 120
// Depth pass of cut-out surfaces: holes (opacity below one half, as in the material pairs)
// write no depth and so cast no shadow.
uniform sampler2D texture0; // alpha: opacity in the colour channels (1 solid)
uniform vec4 esClipPlane;   // eye space; the negative side is cut away
varying vec3 eyePos;
varying vec2 uv0;

void main()
{
    if (dot(esClipPlane, vec4(eyePos, 1.0)) < 0.0) discard;
    if (dot(texture2D(texture0, uv0).rgb, vec3(0.299, 0.587, 0.114)) < 0.5) discard;
    gl_FragColor = vec4(vec3(gl_FragCoord.z), 1.0);
}
