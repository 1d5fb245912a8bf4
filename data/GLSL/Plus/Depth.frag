#version 120
// Depth pass. Where colour is written it holds the window depth, for passes that read depth
// from a colour texture.
uniform vec4 esClipPlane; // eye space; the negative side is cut away
varying vec3 eyePos;

void main()
{
    if (dot(esClipPlane, vec4(eyePos, 1.0)) < 0.0) discard;
    gl_FragColor = vec4(vec3(gl_FragCoord.z), 1.0);
}
