#version 120
// "textured" is 0 while the sprite has no texture: the tint alone is drawn.
uniform sampler2D texture0;
uniform int textured;
varying vec2 texCoord;
varying vec4 tint;

void main()
{
    vec4 texel = textured != 0 ? texture2D(texture0, texCoord) : vec4(1.0);
    gl_FragColor = texel * tint;
}
