#version 120
// Ambient occlusion: samples in the hemisphere around each point's normal (rebuilt from the
// depth of its neighbours) are tested against the depth pre-pass. An occluder counts only while
// it lies within the sampling radius in depth, so a near object in front of a far wall leaves
// no dark halo around it.
uniform sampler2D texture0;  // depth pre-pass (full resolution)
uniform sampler2D texture1;  // random rotations, repeating
uniform float depthA;
uniform float depthB;
uniform vec4 screenFromEye;  // left and bottom slopes, 1 / width and 1 / height of the slopes
uniform vec4 aoParams;       // radius (scene units), strength, one depth texel (x, y)
uniform float depthScale;    // 1 / far: the eye distance kept beside the occlusion
varying vec2 screenUV;

float EyeDistance(vec2 uv)
{
    return depthB / (texture2D(texture0, uv).r - depthA);
}

vec2 ToScreen(vec3 p)
{
    return (p.xy / -p.z - screenFromEye.xy) * screenFromEye.zw;
}

vec3 EyePoint(vec2 uv)
{
    float z = EyeDistance(uv);
    vec2 slope = uv / screenFromEye.zw + screenFromEye.xy;
    return vec3(slope, -1.0) * z;
}

void main()
{
    // The centre of the depth texel under this pixel: the point and its depth must agree, or
    // steep surfaces shade in stripes.
    vec2 texel = aoParams.zw;
    vec2 uv = (floor(screenUV / texel) + 0.5) * texel;
    if (texture2D(texture0, uv).r >= 1.0) {
        gl_FragColor = vec4(1.0, 1.0, 0.0, 1.0);
        return;
    }
    vec3 p = EyePoint(uv);
    // Normal from the nearer neighbour on each axis: no smearing across silhouettes.
    vec3 px0 = EyePoint(uv - vec2(texel.x, 0.0)) - p, px1 = EyePoint(uv + vec2(texel.x, 0.0)) - p;
    vec3 py0 = EyePoint(uv - vec2(0.0, texel.y)) - p, py1 = EyePoint(uv + vec2(0.0, texel.y)) - p;
    vec3 dx = abs(px0.z) < abs(px1.z) ? -px0 : px1;
    vec3 dy = abs(py0.z) < abs(py1.z) ? -py0 : py1;
    vec3 n = normalize(cross(dx, dy));

    // A random frame around the normal per pixel, repeating every 4 x 4 pixels: the composition
    // averages exactly such a square, which leaves no noise.
    vec3 random = texture2D(texture1, (mod(floor(gl_FragCoord.xy), 4.0) + 0.5) / 64.0).rgb * 2.0 - 1.0;
    vec3 t = normalize(random - n * dot(random, n));
    vec3 b = cross(n, t);
    float radius = aoParams.x;
    float occlusion = 0.0;
    for (int i = 0; i < 6; ++i) {
        // Points spread over the hemisphere, denser near the centre.
        float fi = float(i);
        float scale = mix(0.2, 1.0, (fi + 1.0) / 6.0);
        float a = fi * 2.3999632;  // golden angle
        float h = 0.3 + 0.6 * fract(fi * 0.618034);
        vec3 dir = t * (cos(a) * sqrt(1.0 - h * h)) + b * (sin(a) * sqrt(1.0 - h * h)) + n * h;
        vec3 s = p + dir * (radius * scale);
        float sceneZ = EyeDistance(ToScreen(s));
        float behind = -s.z - sceneZ;  // > 0: geometry in front of the sample
        float inRange = smoothstep(0.0, 1.0, radius / max(abs(-p.z - sceneZ), 1e-4));
        occlusion += step(0.02 * radius + 0.002 * -p.z, behind) * inRange;
    }
    float ao = clamp(1.0 - occlusion / 6.0 * aoParams.y, 0.0, 1.0);
    // The distance travels along, so that smoothing can keep to pixels of like depth.
    gl_FragColor = vec4(ao, -p.z * depthScale, 0.0, 1.0);
}
