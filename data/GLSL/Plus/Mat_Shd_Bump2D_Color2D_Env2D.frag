#version 120
// Mat_Shd_Bump2D_Color2D_Env2D: bump on unit 1, colour on unit 2, environment on unit 3.
uniform vec4 lightTypes;     // per light: 0 off, 1 point, 2 directional, 3 spot
uniform sampler2D texture0;  // screen-space shadow mask, channel i for light i (1 lit)
uniform float useShadowMask; // 0 without a mask: every light is lit
uniform vec4 esClipPlane;    // eye space; the negative side is cut away
uniform sampler2D texture1;  // bump
uniform sampler2D texture2;  // colour
uniform sampler2D texture3;  // environment
uniform float colorTexOpacity;
varying vec3 eyePos;
varying vec3 eyeNormal;
varying vec4 eyeTangent;
varying vec4 clipPos;
varying vec4 vertexColor;
varying vec2 uv1;
varying vec2 uv2;

// --- lighting: the same in every material pair ---
vec3 ambientSum;
vec3 diffuseSum;
vec3 specularSum;

// The spot exponent carries the soft-edge ratio: the outer fraction of the cone that fades out.
float SpotFalloff(int i, vec3 L)
{
    float cone = radians(gl_LightSource[i].spotCutoff);
    float angle = acos(clamp(dot(-L, normalize(gl_LightSource[i].spotDirection)), -1.0, 1.0));
    float t = clamp((cone - angle) / max(cone * gl_LightSource[i].spotExponent, 0.001), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

// type: 0 off, 1 point, 2 directional, 3 spot; lit: the light's shadow-mask channel.
void AddLight(int i, float type, float lit, vec3 P, vec3 N, vec3 V)
{
    if (type < 0.5) return;
    vec3 L = gl_LightSource[i].position.xyz;
    float attenuation = 1.0;
    if (type > 1.5 && type < 2.5) {
        L = normalize(L);
    } else {
        L -= P;
        float d = max(length(L), 0.0001);
        L /= d;
        attenuation = 1.0 / max(gl_LightSource[i].constantAttenuation +
                                d * (gl_LightSource[i].linearAttenuation + d * gl_LightSource[i].quadraticAttenuation),
                                0.0001);
        if (type > 2.5) attenuation *= SpotFalloff(i, L);
    }
    ambientSum += gl_LightSource[i].ambient.rgb * attenuation;
    float nDotL = dot(N, L);
    if (nDotL <= 0.0) return;
    float amount = attenuation * lit;
    diffuseSum += gl_LightSource[i].diffuse.rgb * (nDotL * amount);
    float nDotH = max(dot(N, normalize(L + V)), 0.0);
    specularSum += gl_LightSource[i].specular.rgb * (pow(nDotH, max(gl_FrontMaterial.shininess, 1.0)) * amount);
}

// base: the surface colour and opacity; N: the unit normal facing the viewer's side.
vec4 Shade(vec4 base, vec3 N)
{
    vec4 mask = vec4(1.0);
    if (useShadowMask > 0.5) mask = texture2D(texture0, clipPos.xy / clipPos.w * 0.5 + 0.5);
    vec3 V = normalize(-eyePos);
    ambientSum = vec3(0.0);
    diffuseSum = vec3(0.0);
    specularSum = vec3(0.0);
    AddLight(0, lightTypes.x, mask.r, eyePos, N, V);
    AddLight(1, lightTypes.y, mask.g, eyePos, N, V);
    AddLight(2, lightTypes.z, mask.b, eyePos, N, V);
    AddLight(3, lightTypes.w, mask.a, eyePos, N, V);
    vec3 light = gl_FrontMaterial.ambient.rgb * (gl_LightModel.ambient.rgb + ambientSum) +
                 gl_FrontMaterial.diffuse.rgb * diffuseSum + gl_FrontMaterial.emission.rgb;
    // The specular alpha tints highlights with the surface colour.
    vec3 highlight = mix(vec3(1.0), base.rgb, gl_FrontMaterial.specular.a) * gl_FrontMaterial.specular.rgb;
    return vec4(base.rgb * light + highlight * specularSum, base.a * gl_FrontMaterial.diffuse.a);
}
// --- end of lighting ---

// Tangent-space normal map as the texture manager makes it from a height field: rgb =
// n * 0.5 + 0.5 with x and y pointing uphill, so they are turned round here (bright is raised).
// Without tangents or a map the normal stays.
vec3 Bump(vec3 N, vec4 texel)
{
    vec3 T = eyeTangent.xyz - N * dot(N, eyeTangent.xyz);
    float size = length(T);
    if (size < 0.0001) return N;
    T /= size;
    vec3 B = cross(N, T) * (eyeTangent.w < 0.0 ? -1.0 : 1.0);
    vec3 n = texel.xyz * 2.0 - 1.0;
    if (n.z <= 0.0) return N; // no map bound (black)
    return normalize(N * n.z - T * n.x - B * n.y);
}

// Sphere-map coordinates of the view reflected about N.
vec2 SphereMap(vec3 N)
{
    vec3 r = reflect(normalize(eyePos), N);
    float m = 2.0 * sqrt(r.x * r.x + r.y * r.y + (r.z + 1.0) * (r.z + 1.0));
    return r.xy / max(m, 0.0001) + 0.5;
}

void main()
{
    if (dot(esClipPlane, vec4(eyePos, 1.0)) < 0.0) discard;
    vec4 base = vertexColor;
    base.rgb = mix(base.rgb, texture2D(texture2, uv2).rgb, colorTexOpacity);
    vec3 N = normalize(gl_FrontFacing ? eyeNormal : -eyeNormal);
    N = Bump(N, texture2D(texture1, uv1));
    gl_FragColor = Shade(base, N);
    gl_FragColor.rgb += texture2D(texture3, SphereMap(N)).rgb;
}
