#version 120
// Mat_Shd_Bump2D_Color2D_Env2D: bump on unit 1, colour on unit 2, environment on unit 3.
attribute vec4 tangent; // xyz along +u; w = -1 where +v runs against normal x tangent
varying vec3 eyePos;
varying vec3 eyeNormal;
varying vec4 eyeTangent;
varying vec4 clipPos;
varying vec4 vertexColor;
varying vec2 uv1;
varying vec2 uv2;

void main()
{
    eyePos = (gl_ModelViewMatrix * gl_Vertex).xyz;
    eyeNormal = gl_NormalMatrix * gl_Normal;
    eyeTangent = vec4(mat3(gl_ModelViewMatrix) * tangent.xyz, tangent.w);
    vertexColor = gl_Color;
    uv1 = (gl_TextureMatrix[1] * gl_MultiTexCoord1).xy;
    uv2 = (gl_TextureMatrix[2] * gl_MultiTexCoord2).xy;
    gl_Position = ftransform();
    clipPos = gl_Position;
}
