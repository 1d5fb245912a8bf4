#version 120
// Nine Gaussian taps along one direction, read as five bilinear fetches.
uniform sampler2D texture0;
uniform vec2 blurStep;    // one source texel along the blur direction
uniform float threshold;  // > 0: only the light above it (the first glow pass)
varying vec2 screenUV;

vec3 Tap(vec2 uv)
{
    vec3 c = texture2D(texture0, uv).rgb;
    if (threshold > 0.0) c = max(c - vec3(threshold), 0.0) / (1.0 - threshold);
    return c;
}

void main()
{
    // No step: a plain copy (of another size).
    if (blurStep.x == 0.0 && blurStep.y == 0.0) {
        gl_FragColor = vec4(Tap(screenUV), 1.0);
        return;
    }
    vec3 sum = Tap(screenUV) * 0.2270270;
    sum += (Tap(screenUV + blurStep * 1.3846154) + Tap(screenUV - blurStep * 1.3846154)) * 0.3162162;
    sum += (Tap(screenUV + blurStep * 3.2307692) + Tap(screenUV - blurStep * 3.2307692)) * 0.0702703;
    gl_FragColor = vec4(sum, 1.0);
}
