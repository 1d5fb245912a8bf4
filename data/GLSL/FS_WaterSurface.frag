#version 120
// The water plane seen from above, blended over the scene: the mirrored scene and the scene below
// the surface, mixed by the Fresnel term, both bent by waves from the normal map; the water
// swallows red first and turns deep blue-green with depth; the sun glints off the wave slopes.
// Where no water is seen nothing is written; alpha fades the shallow edge into the scene.
uniform sampler2D texture0;  // reflection (the scene mirrored in the water plane)
uniform sampler2D texture1;  // water normal map, repeating
uniform sampler2D texture2;  // depth pre-pass
uniform sampler2D texture3;  // a copy of the scene's colour (half size: it is only seen bent and fogged)
uniform vec4 ws_EyePos;
uniform vec3 sunColor;
uniform vec3 ambColor;
uniform vec3 ws_SunDir;
uniform float time;
uniform float waterLevel;
uniform float depthA;
uniform float depthB;
uniform mat4 viewMat;
uniform mat4 projViewMat;
varying vec3 ws_eyeDir;
varying vec3 es_eyeDir;
varying vec2 screenUV;

const vec3 kAbsorb = vec3(0.45, 0.11, 0.07);  // per scene unit of water
const vec3 kDeep = vec3(0.015, 0.075, 0.095);

vec3 WaterNormal(vec2 xz, float flatten)
{
    vec3 a = texture2D(texture1, xz * 0.09 + vec2(time * 0.011, time * 0.007)).xyz * 2.0 - 1.0;
    vec3 b = texture2D(texture1, xz * 0.041 - vec2(time * 0.006, -time * 0.009)).xyz * 2.0 - 1.0;
    vec3 n = a + b;
    return normalize(vec3(n.x, (n.z + 0.0001) * flatten, n.y));
}

vec2 Project(vec3 world)
{
    vec4 clip = projViewMat * vec4(world, 1.0);
    return clip.xy / clip.w * 0.5 + 0.5;
}

// Eye distance (along -z) of the scene at a screen point; background very far.
float SceneDistance(vec2 uv)
{
    float d = texture2D(texture2, uv).r;
    return d >= 1.0 ? 1e6 : depthB / (d - depthA);
}

void main()
{
    float sceneZ = SceneDistance(screenUV);
    // Where the ray meets the water plane (in eye distances along -z, as the depth gives them).
    float t = (waterLevel - ws_EyePos.y) / ws_eyeDir.y;
    if (ws_eyeDir.y >= 0.0 || t <= 0.0 || t >= sceneZ) discard;
    vec3 surface = ws_EyePos.xyz + ws_eyeDir * t;
    float eyeDistance = t * length(es_eyeDir);
    // Waves flatten out with distance so far water does not shimmer.
    vec3 n = WaterNormal(surface.xz, 1.1 + eyeDistance * 0.06);
    vec3 v = normalize(ws_EyePos.xyz - surface);
    float fresnel = 0.02 + 0.98 * pow(1.0 - max(dot(n, v), 0.0), 5.0);

    // The mirror image, shifted by the wave slope.
    vec2 wobble = n.xz * (0.5 / (1.0 + eyeDistance * 0.12));
    vec3 reflection = texture2D(texture0, screenUV + wobble * 0.25).rgb;

    // Below the surface: bend the ray, find how much water it crosses, fog it.
    vec3 bent = refract(-v, n, 0.75);
    float below = max(sceneZ - t, 0.0) * length(es_eyeDir);
    vec2 refractUV = Project(surface + bent * min(below, 1.5));
    // A bent sample that lands on something in front of the water would show it twice.
    vec4 refractEye = viewMat * vec4(surface, 1.0);
    float refractZ = SceneDistance(refractUV);
    if (refractZ < -refractEye.z) {
        refractUV = screenUV;
        refractZ = sceneZ;
    }
    vec3 under = texture2D(texture3, refractUV).rgb;
    float throughDepth = min(refractZ, 1e3) * length(es_eyeDir) - eyeDistance;
    vec3 transmit = exp(-kAbsorb * max(throughDepth, 0.0));
    vec3 deep = kDeep * (ambColor * 1.5 + sunColor * 0.5);
    vec3 water = mix(deep, under, transmit);

    vec3 colour = mix(water, reflection, fresnel);
    // Sun glint: a sharp highlight and a broad sheen off the slopes facing the sun.
    vec3 h = normalize(v + ws_SunDir);
    float glint = pow(max(dot(n, h), 0.0), 600.0) * 6.0 + pow(max(dot(n, h), 0.0), 60.0) * 0.25;
    colour += sunColor * glint * step(0.0, ws_SunDir.y);
    // A soft edge where the water is shallow.
    gl_FragColor = vec4(colour, smoothstep(0.0, 0.08, below));
}
