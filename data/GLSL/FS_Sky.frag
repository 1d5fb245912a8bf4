#version 120
// The sky's detail over the scattered light the vertex shader worked out: twinkling stars at
// night, the sun's disc, clouds lit by the sunlight at their height; dithered against banding.
uniform sampler2D texture0;  // clouds: coverage in alpha
uniform sampler2D texture1;  // stars
uniform vec4 ws_EyePos;
uniform vec3 sunColor;
uniform vec3 ambColor;
uniform vec3 ws_SunDir;
uniform float time;
uniform float starsFactor;
uniform vec3 cloudLight;  // sunlight at the clouds' height
varying vec3 ws_eyeDir;
varying vec3 skyColour;

const vec3 kNightGlow = vec3(0.004, 0.007, 0.018);
const float kCloudHeight = 400.0;

// Interleaved gradient noise: a cheap, even hash of the pixel position.
float Hash(vec2 p)
{
    return fract(52.9829189 * fract(dot(p, vec2(0.06711056, 0.00583715))));
}

void main()
{
    vec3 dir = normalize(ws_eyeDir);
    vec3 sky = skyColour;
    float up = max(dir.y, 0.0);
    if (starsFactor > 0.0) {
        // Stars on a slowly turning dome, twinkling, hidden by day and under the horizon haze.
        vec2 starUV = dir.xz / (1.0 + up) * 1.3;
        float turn = time * 0.004;
        starUV = vec2(cos(turn) * starUV.x - sin(turn) * starUV.y, sin(turn) * starUV.x + cos(turn) * starUV.y);
        vec3 stars = texture2D(texture1, starUV + 0.5).rgb;
        float twinkle = 0.75 + 0.25 * sin(time * 3.0 + dot(starUV, vec2(4100.0, 2900.0)));
        sky += stars * twinkle * starsFactor * smoothstep(0.0, 0.25, up) * 1.4;
    }

    // The sun's disc with a soft rim.
    float cosSun = dot(dir, ws_SunDir);
    sky += sunColor * smoothstep(0.99965, 0.99985, cosSun) * 4.0;

    // Clouds on a plane above the eye, drifting with the wind, thinning towards the horizon.
    if (dir.y > 0.01) {
        vec2 cloudUV = (ws_EyePos.xz + dir.xz * ((kCloudHeight - ws_EyePos.y) / dir.y)) / 2400.0;
        float cover = texture2D(texture0, cloudUV + vec2(time * 0.004, time * 0.0015)).a;
        float detail = texture2D(texture0, cloudUV * 3.1 - vec2(time * 0.006, 0.0)).a;
        float density = smoothstep(0.35, 0.85, cover * 0.8 + detail * 0.3) * smoothstep(0.01, 0.2, dir.y);
        // Lit by the sunlight at their height (still red after sunset), brightest towards the
        // sun, greyer in their thick cores.
        float silver = pow(max(cosSun, 0.0), 6.0);
        vec3 lit = cloudLight * (0.9 + 1.2 * silver) + ambColor * 0.8 + kNightGlow * 2.0;
        vec3 shade = mix(lit, lit * 0.55 + ambColor * 0.3, smoothstep(0.55, 1.0, cover) * 0.6);
        sky = mix(sky, clamp(shade, 0.0, 1.0), density * 0.88);
    }
    // Half a quantisation step of noise: smooth gradients without bands.
    sky += (Hash(gl_FragCoord.xy + fract(time)) - 0.5) / 255.0;
    gl_FragColor = vec4(sky, 1.0);
}
