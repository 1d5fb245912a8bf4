#version 120
// The finished picture: the scene darkened by ambient occlusion where its alpha says it is
// solid ground (water and sky write less), plus the glow.
uniform sampler2D texture0;  // scene
uniform sampler2D texture1;  // glow (blurred bright parts)
uniform sampler2D texture2;  // ambient occlusion (half resolution), eye distance / far in green
uniform sampler2D texture3;  // depth pre-pass
uniform vec4 amounts;        // glow amount, occlusion on, one occlusion texel
uniform vec2 depthAB;        // eye distance = depthAB.y / (depth - depthAB.x)
uniform vec4 haze;           // horizon colour, fading per scene unit
uniform float depthScale;    // 1 / far, as the occlusion stores distances
varying vec2 screenUV;

float EyeDistance(float depth)
{
    return depthAB.y / (depth - depthAB.x);
}

// One bilinear tap (a 2 x 2 block of occlusion texels), trusted as far as its depth matches.
void Tap(vec2 at, float z, inout float sum, inout float weight)
{
    vec2 ao = texture2D(texture2, at).rg;
    float w = 1.0 / (1.0 + abs(ao.y - z) * 40.0 / max(z, 0.004));
    sum += ao.x * w;
    weight += w;
}

void main()
{
    vec4 scene = texture2D(texture0, screenUV);
    vec3 colour = scene.rgb;
    float depth = texture2D(texture3, screenUV).r;
    // The sky (nothing in the depth pre-pass) is neither occluded nor hazed.
    if (amounts.y > 0.0 && depth < 1.0) {
        // Four taps cover 4 x 4 occlusion texels, one whole repeat of its sampling pattern;
        // taps across a depth edge count little, so no dark rim spills over silhouettes.
        float z = EyeDistance(depth) * depthScale;
        float sum = 0.0, weight = 0.0;
        // Each tap on a texel corner weighs its four texels alike.
        vec2 corner = floor(screenUV / amounts.zw + 0.5) * amounts.zw;
        Tap(corner + amounts.zw * vec2(-1.0, -1.0), z, sum, weight);
        Tap(corner + amounts.zw * vec2(1.0, -1.0), z, sum, weight);
        Tap(corner + amounts.zw * vec2(-1.0, 1.0), z, sum, weight);
        Tap(corner + amounts.zw * vec2(1.0, 1.0), z, sum, weight);
        colour *= mix(1.0, sum / weight, clamp(scene.a, 0.0, 1.0));
    }
    if (haze.w > 0.0 && depth < 1.0) colour = mix(colour, haze.rgb, 1.0 - exp(-EyeDistance(depth) * haze.w));
    if (amounts.x > 0.0) colour += texture2D(texture1, screenUV).rgb * amounts.x;
    gl_FragColor = vec4(colour, 1.0);
}
