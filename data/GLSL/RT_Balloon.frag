#version 120
// Speech balloons: the font texture is the printed page itself (paper, ink and the frame's
// rounded outline), tinted by the vertex colour; where it is transparent there is no balloon.
uniform vec4 lightTypes;    // per light: 0 off, 1 point, 2 directional, 3 spot
uniform sampler2D texture0; // font: 16 x 16 glyph cells of ink on paper
// Unit 0 holds the font, so there is no shadow mask.
const float useShadowMask = 0.0;
varying vec3 eyePos;
varying vec3 eyeNormal;
varying vec4 clipPos;
varying vec4 vertexColor;
varying vec2 uv0;

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

void main()
{
    vec4 page = texture2D(texture0, uv0);
    if (page.a < 0.5) discard;
    vec4 base = vec4(page.rgb * vertexColor.rgb, vertexColor.a);
    gl_FragColor = Shade(base, normalize(gl_FrontFacing ? eyeNormal : -eyeNormal));
}
