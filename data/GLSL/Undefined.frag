#version 120
// Loud on purpose: the fixed magenta material, shaded by the view direction alone so the
// shape reads without any lights.
varying vec3 eyePos;
varying vec3 eyeNormal;

void main()
{
    vec3 N = normalize(gl_FrontFacing ? eyeNormal : -eyeNormal);
    float facing = abs(dot(N, normalize(-eyePos)));
    vec3 color = gl_FrontMaterial.emission.rgb + gl_FrontMaterial.ambient.rgb +
                 gl_FrontMaterial.diffuse.rgb * (0.3 + 0.7 * facing);
    gl_FragColor = vec4(color, 1.0);
}
