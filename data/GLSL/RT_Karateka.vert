#version 120
// The fighters' and the referee's block sprites: block colours per vertex, one UV set on unit 0
// feeding the normal map.
attribute vec4 tangent; // xyz along +u; w = -1 where +v runs against normal x tangent
varying vec3 eyePos;
varying vec3 eyeNormal;
varying vec4 eyeTangent;
varying vec4 clipPos;
varying vec4 vertexColor;
varying vec2 uv0;

void main()
{
    eyePos = (gl_ModelViewMatrix * gl_Vertex).xyz;
    eyeNormal = gl_NormalMatrix * gl_Normal;
    eyeTangent = vec4(mat3(gl_ModelViewMatrix) * tangent.xyz, tangent.w);
    vertexColor = gl_Color;
    uv0 = (gl_TextureMatrix[0] * gl_MultiTexCoord0).xy;
    gl_Position = ftransform();
    clipPos = gl_Position;
}
