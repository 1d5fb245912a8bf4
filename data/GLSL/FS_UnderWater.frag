#version 120
// The view from below the water plane: the scene fogged by the water it is seen through,
// caustics shimmering on what lies under the surface, and the surface overhead showing the
// bright sky through its window and the mirrored depths beyond it.
uniform sampler2D texture0;  // reflection (the under-water scene mirrored in the surface)
uniform sampler2D texture1;  // water normal map, repeating
uniform sampler2D texture2;  // depth pre-pass
uniform sampler2D texture3;  // the scene's colour
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

const vec3 kAbsorb = vec3(0.30, 0.075, 0.055);
const vec3 kFog = vec3(0.03, 0.16, 0.2);

vec3 WaterNormal(vec2 xz)
{
    vec3 a = texture2D(texture1, xz * 0.09 + vec2(time * 0.011, time * 0.007)).xyz * 2.0 - 1.0;
    vec3 b = texture2D(texture1, xz * 0.041 - vec2(time * 0.006, -time * 0.009)).xyz * 2.0 - 1.0;
    vec3 n = a + b;
    return normalize(vec3(n.x, (n.z + 0.0001) * 2.0, n.y));
}

// Bright threads where the waves focus the sunlight.
float Caustics(vec2 xz)
{
    float a = texture2D(texture1, xz * 0.23 + vec2(time * 0.031, time * 0.017)).x;
    float b = texture2D(texture1, xz * 0.19 - vec2(time * 0.019, -time * 0.027)).x;
    return pow(1.0 - abs(a + b - 1.0), 6.0);
}

void main()
{
    float d = texture2D(texture2, screenUV).r;
    float sceneZ = d >= 1.0 ? 1e6 : depthB / (d - depthA);
    float rayLength = length(es_eyeDir);
    float t = (waterLevel - ws_EyePos.y) / ws_eyeDir.y;
    bool seesSurface = ws_eyeDir.y > 0.0 && t > 0.0 && t < sceneZ;
    float waterZ = seesSurface ? t : min(sceneZ, 1e3);
    vec3 colour = texture2D(texture3, screenUV).rgb;
    vec3 light = ambColor * 1.5 + sunColor * (0.3 + 0.7 * max(ws_SunDir.y, 0.0));

    if (!seesSurface && d < 1.0) {
        // Caustics on surfaces under the water, fading with their depth below it.
        vec3 p = ws_EyePos.xyz + ws_eyeDir * sceneZ;
        float depthBelow = max(waterLevel - p.y, 0.0);
        colour *= 1.0 + Caustics(p.xz) * 1.6 * sunColor * exp(-depthBelow * 0.25) * step(p.y, waterLevel);
    }
    if (seesSurface) {
        vec3 surface = ws_EyePos.xyz + ws_eyeDir * t;
        vec3 n = -WaterNormal(surface.xz);
        vec3 v = normalize(ws_EyePos.xyz - surface);
        // Inside the window the world above shows through, bent by the waves; outside it the
        // surface mirrors the depths.
        float cosine = max(dot(n, v), 0.0);
        float window = smoothstep(0.6, 0.7, cosine);
        vec4 surfaceEye = viewMat * vec4(surface, 1.0);
        vec2 wobble = n.xz * (0.3 / (1.0 + -surfaceEye.z * 0.15));
        vec3 above = texture2D(texture3, screenUV + wobble * 0.15).rgb;
        above += sunColor * pow(max(dot(-v, ws_SunDir), 0.0), 40.0) * 2.0;
        // The mirror also returns the glow of the lit water below it.
        vec3 mirror = texture2D(texture0, screenUV + wobble * 0.2).rgb + kFog * light * 0.8;
        colour = mix(mirror, above, window);
    }
    // Water between the eye and what is seen: light fades, red first, into the water's own glow.
    vec3 transmit = exp(-kAbsorb * waterZ * rayLength);
    vec3 fog = kFog * light;
    colour = mix(fog, colour, transmit);
    // projViewMat places the sun's shafts: brighter looking towards the sun's screen position.
    vec4 sunClip = projViewMat * vec4(ws_EyePos.xyz + ws_SunDir * 100.0, 1.0);
    vec2 sunUV = sunClip.xy / max(sunClip.w, 1e-4) * 0.5 + 0.5;
    float shaft = sunClip.w > 0.0 ? exp(-length((screenUV - sunUV) * vec2(1.78, 1.0)) * 3.0) : 0.0;
    colour += fog * shaft * 2.0 * (1.0 - transmit);
    // Ambient occlusion belongs to surfaces seen clearly, not to the water or its surface.
    float solid = seesSurface ? 0.0 : dot(transmit, vec3(0.333));
    gl_FragColor = vec4(colour, solid);
}
