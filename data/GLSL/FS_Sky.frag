#version 120
// Sky from single scattering (Rayleigh and Henyey-Greenstein Mie), sun disc, clouds and stars,
// drawn on the far plane where the scene left the background empty.
uniform sampler2D texture0;  // clouds: coverage in alpha
uniform sampler2D texture1;  // stars
uniform vec4 ws_EyePos;
uniform vec3 sunColor;
uniform vec3 rawSunColor;
uniform vec3 ambColor;
uniform vec3 ws_SunDir;
uniform float time;
uniform vec3 gConst;
uniform vec3 betaR;
uniform vec3 betaMie;
uniform vec3 betaRD;
uniform vec3 betaMieD;
uniform vec3 invSumBetas;
uniform vec4 densityAndFalloff;  // Rayleigh and Mie density, 1 / their falloff heights
uniform vec2 densityAtEye;
uniform vec3 skyDepth;           // air towards the zenith, along the horizon; twilight reach
uniform float inscatterMultiplier[1];
uniform float starsFactor;
uniform vec3 cloudLight;         // sunlight at the clouds' height
varying vec3 ws_eyeDir;

const float kExposure = 4.0;
const float kSaturation = 1.4;
const float kSkyLightPath = 0.5;
const vec3 kNightGlow = vec3(0.004, 0.007, 0.018);
const float kCloudHeight = 400.0;
// Ozone takes orange and green out of light that crossed much air: twilight skies turn blue and
// purple instead of green.
const vec3 kOzone = vec3(3.6e-5, 1.0e-4, 0.0);

float PathLength(float height)
{
    float c = skyDepth.x / skyDepth.y;
    return skyDepth.x / (clamp(height, 0.0, 1.0) * (1.0 - c) + c);
}

vec3 Extinction()
{
    return betaR * densityAtEye.x + betaMie * densityAtEye.y;
}

// Sunlight arriving where light scatters towards a view of the given height: light scattered
// high up (looking up) crossed less air than light scattered near the ground.
vec3 SkyLight(float viewHeight)
{
    float lightPath = PathLength(ws_SunDir.y + skyDepth.z) * kSkyLightPath * (1.0 - 0.85 * sqrt(max(viewHeight, 0.0)));
    return rawSunColor * exp(-(Extinction() + kOzone) * lightPath);
}

// Light scattered towards the eye along viewPath units of air, before exposure.
vec3 Inscatter(vec3 dir, float viewPath)
{
    float cosTheta = dot(dir, ws_SunDir);
    float phaseR = 1.0 + cosTheta * cosTheta;
    float phaseM = gConst.x / pow(max(gConst.y - gConst.z * cosTheta, 1e-4), 1.5);
    vec3 extinction = Extinction();
    vec3 light = SkyLight(dir.y);
    float mieWeight = densityAtEye.y / densityAtEye.x;
    return (betaRD * phaseR + betaMieD * phaseM * mieWeight) * invSumBetas * (1.0 - exp(-extinction * viewPath)) *
           light * inscatterMultiplier[0];
}

vec3 Expose(vec3 linear)
{
    vec3 c = 1.0 - exp(-kExposure * linear) + kNightGlow;
    float luma = dot(c, vec3(0.3, 0.59, 0.11));
    return clamp(vec3(luma) + (c - vec3(luma)) * kSaturation, 0.0, 1.0);
}

// Interleaved gradient noise: a cheap, even hash of the pixel position.
float Hash(vec2 p)
{
    return fract(52.9829189 * fract(dot(p, vec2(0.06711056, 0.00583715))));
}

vec3 SkyColour(vec3 dir)
{
    vec3 sky = Expose(Inscatter(dir, PathLength(dir.y)));
    // Below the horizon the haze darkens towards the ground.
    sky *= mix(1.0, 0.45, smoothstep(0.0, -0.35, dir.y));

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
    return sky;
}

void main()
{
    vec3 colour = SkyColour(normalize(ws_eyeDir));
    // Half a quantisation step of noise: smooth gradients without bands.
    colour += (Hash(gl_FragCoord.xy + fract(time)) - 0.5) / 255.0;
    gl_FragColor = vec4(colour, 1.0);
}
