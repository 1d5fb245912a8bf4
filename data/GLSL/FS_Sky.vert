#version 120
// The sky over a grid across the screen, on the far plane: the scattered light (Rayleigh and
// Henyey-Greenstein Mie, with ozone) is smooth enough to be worked out at the grid's corners;
// the fragment shader adds clouds, stars and the sun's disc. The eye direction through each
// corner comes in world space.
attribute vec3 ws_attrEyeDir;
uniform vec3 rawSunColor;
uniform vec3 ws_SunDir;
uniform vec3 gConst;
uniform vec3 betaR;
uniform vec3 betaMie;
uniform vec3 betaRD;
uniform vec3 betaMieD;
uniform vec3 invSumBetas;
uniform vec2 densityAtEye;
uniform vec3 skyDepth;           // air towards the zenith, along the horizon; twilight reach
uniform float inscatterMultiplier[1];
varying vec3 ws_eyeDir;
varying vec3 skyColour;

const float kExposure = 4.0;
const float kSaturation = 1.4;
const float kSkyLightPath = 0.5;
const vec3 kNightGlow = vec3(0.004, 0.007, 0.018);
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

void main()
{
    ws_eyeDir = ws_attrEyeDir;
    vec3 dir = normalize(ws_attrEyeDir);
    skyColour = Expose(Inscatter(dir, PathLength(dir.y)));
    // Below the horizon the haze darkens towards the ground.
    skyColour *= mix(1.0, 0.45, smoothstep(0.0, -0.35, dir.y));
    gl_Position = vec4(gl_Vertex.xy * 2.0, 1.0, 1.0);
}
