#include "materials/FS_Sky.h"

#include <algorithm>
#include <cmath>

#include "render/ElementList.h"
#include "render/IRenderer.h"
#include "render/Matrix.h"
#include "scene/Frustum.h"
#include "scene/Viewer.h"

namespace {

const double kPi = 3.14159265358979323846;
const float kLatitude = 0.46251225f;   // 26.5 degrees north
const float kAxialTilt = 0.40927971f;  // 23.45 degrees
const float kEarthRadius = 6371.0f;    // km
// The light at least this high above the horizon, so that the scene is never lit edge-on.
const float kMinLightHeight = 0.3f;
// The look of the sky: exposure of the scattered light and a saturation lift (the shader uses
// the same numbers).
const float kExposure = 4.0f;
const float kSaturation = 1.4f;
// The sky light is the sunlight after half the air it crosses on its way down.
const float kSkyLightPath = 0.5f;
const float kNightGlow[3] = {0.004f, 0.007f, 0.018f};
// The grid the scattering is worked out on: cells of about 1.3 degrees across a 60 degree view.
const int kGridX = 48;
const int kGridY = 27;
// Ozone takes orange and green out of light that crossed much air (the shader uses the same).
const float kOzone[3] = {3.6e-5f, 1.0e-4f, 0.0f};

float SmoothStep(float e0, float e1, float x) {
    const float t = std::min(std::max((x - e0) / (e1 - e0), 0.0f), 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

void Normalise(double* v) {
    const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length > 0.0) v[0] /= length, v[1] /= length, v[2] /= length;
}

void Cross(const double* a, const double* b, double* out) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

// Heading and pitch of a direction as the light and camera nodes take them.
void HeadingPitch(const float* d, float* heading, float* pitch) {
    *heading = -std::atan2(d[0], d[2]);
    *pitch = std::atan2(d[1], std::sqrt(d[0] * d[0] + d[2] * d[2]));
}

}  // namespace

long SkyParameters::JulianDayNumber(int year, int month, int day) {
    if (month <= 2) {
        year -= 1;
        month += 12;
    }
    const long a = year / 100;
    const long b = 2 - a + a / 4;
    return static_cast<long>(std::floor(365.25 * (year + 4716))) +
           static_cast<long>(std::floor(30.6001 * (month + 1))) + day + b - 1524;
}

SkyParameters::SkyParameters() {
    SetTimeOfDay(12.0f);
}

void SkyParameters::SetScattering(float sunHeight) {
    static const float kMieColour[3] = {0.6843f, 0.6798f, 0.6645f};
    // A height a rounding step outside [-1, 1] must not make asin NaN.
    const float y = std::min(std::max(sunHeight, -1.0f), 1.0f);
    g = 0.3f * (std::asin(y) + 1.0f);
    gConst[0] = 1.0f - g * g;
    gConst[1] = 1.0f + g * g;
    gConst[2] = 2.0f * g;
    for (int i = 0; i < 3; ++i) {
        betaR[i] = 0.3f * lambda4[i] * 1.1133735e-30f;
        betaMie[i] = 2.5e-4f * kMieColour[i] * lambda2[i] * 3.229614e-15f;
        betaRD[i] = betaR[i] * 3.0f * 0.019894367f;
        betaMieD[i] = betaMie[i] * 0.07957747f;
        invSumBetas[i] = 1.0f / (betaR[i] + betaMie[i]);
    }
}

void SkyParameters::SetTimeOfDay(float hour) {
    time = hour;
    const double days = static_cast<double>(JulianDayNumber(2008, 9, 21) - JulianDayNumber(1997, 8, 20));
    const double m = days * 0.01720161 + 5.7317233 - 1.7951008;
    const double lambda = m + 0.03339224 * std::sin(m) + 0.00034847477 * std::sin(2.0 * m) +
                          5.042595e-6 * std::sin(3.0 * m);
    const double r = 149556160.0 / (1.0 + 0.0166967 * std::cos(lambda));
    const double sun[3] = {r * std::cos(lambda), 0.0, r * std::sin(lambda)};

    double h = std::fmod(static_cast<double>(hour), 24.0);
    if (!std::isfinite(h)) h = 12.0;
    const double angle = h * 2.0 * kPi / 24.0 - lambda + kPi / 2.0;
    const double observer[3] = {kEarthRadius * std::cos(kLatitude) * std::sin(angle),
                                kEarthRadius * std::sin(kLatitude),
                                kEarthRadius * std::cos(kLatitude) * std::cos(angle)};
    // The observer's frame: east-west, up and north-south as the columns.
    const double up[3] = {0.0, 1.0, 0.0};
    double east[3], north[3], zenith[3] = {observer[0], observer[1], observer[2]};
    Cross(up, observer, east);
    Cross(observer, east, north);
    Normalise(east);
    Normalise(north);
    Normalise(zenith);
    const double* columns[3] = {east, zenith, north};
    // The frame turned by the axial tilt about the third axis: rows of the tilt times columns.
    const double c = std::cos(kAxialTilt), s = std::sin(kAxialTilt);
    const double tilt[3][3] = {{c, -s, 0.0}, {s, c, 0.0}, {0.0, 0.0, 1.0}};
    double frame[3][3];  // frame[row][column]
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            frame[row][col] = tilt[row][0] * columns[col][0] + tilt[row][1] * columns[col][1] +
                              tilt[row][2] * columns[col][2];
    double local[3];
    for (int col = 0; col < 3; ++col)
        local[col] = -(frame[0][col] * sun[0] + frame[1][col] * sun[1] + frame[2][col] * sun[2]);
    Normalise(local);
    for (int i = 0; i < 3; ++i) sunDir[i] = static_cast<float>(local[i]);
    HeadingPitch(sunDir, &sunHeading, &sunPitch);

    double light[3] = {local[0], std::max(std::fabs(local[1]), static_cast<double>(kMinLightHeight)), local[2]};
    Normalise(light);
    for (int i = 0; i < 3; ++i) lightDir[i] = static_cast<float>(light[i]);
    HeadingPitch(lightDir, &lightHeading, &lightPitch);

    SetScattering(sunDir[1]);

    // Sunlight: gone once the sun is a little below the horizon, reddened by the air it crosses.
    const float y = sunDir[1];
    const float raw = SmoothStep(-twilight, 0.0f, y);
    const float visible = SmoothStep(-0.02f, 0.02f, y);
    float density[2];
    DensityAt(0.0f, density);
    for (int i = 0; i < 3; ++i) {
        const float extinction = betaR[i] * density[0] + betaMie[i] * density[1];
        rawSunColor[i] = raw;
        sunColor[i] = raw * visible * std::exp(-extinction * PathLength(y));
    }
    starsFactor = std::min(std::max(-y * 5.0f, 0.0f), 1.0f);
    // The scene's ambient light: the sky overhead and sunlight thrown back by the ground, never
    // quite black.
    const float zenithDir[3] = {0.0f, 1.0f, 0.0f};
    float zenithColour[3];
    Evaluate(zenithDir, zenithColour);
    const float bounce = 0.3f * std::max(y, 0.0f);
    for (int i = 0; i < 3; ++i) ambColor[i] = zenithColour[i] * 0.45f + sunColor[i] * bounce + kNightGlow[i] * 4.0f;
}

void SkyParameters::DensityAt(float height, float* out2) const {
    out2[0] = rayleighDensity * std::exp(-height / rayleighFalloff);
    out2[1] = MieDensity() * std::exp(-height / mieFalloff);
}

float SkyParameters::PathLength(float height) const {
    const float y = std::min(std::max(height, 0.0f), 1.0f);
    const float c = zenithPath / horizonPath;
    return zenithPath / (y * (1.0f - c) + c);
}

void SkyParameters::SkyLight(float viewHeight, float* rgb) const {
    float density[2];
    DensityAt(0.0f, density);
    const float lightPath =
        PathLength(sunDir[1] + twilight) * kSkyLightPath * (1.0f - 0.85f * std::sqrt(std::max(viewHeight, 0.0f)));
    for (int i = 0; i < 3; ++i) {
        const float extinction = betaR[i] * density[0] + betaMie[i] * density[1];
        rgb[i] = rawSunColor[i] * std::exp(-(extinction + kOzone[i]) * lightPath);
    }
}

void SkyParameters::Evaluate(const float* direction, float* rgb) const {
    float density[2];
    DensityAt(0.0f, density);
    const float cosTheta =
        direction[0] * sunDir[0] + direction[1] * sunDir[1] + direction[2] * sunDir[2];
    const float phaseR = 1.0f + cosTheta * cosTheta;
    const float phaseM = gConst[0] / std::pow(std::max(gConst[1] - gConst[2] * cosTheta, 1e-4f), 1.5f);
    const float viewPath = PathLength(direction[1]);
    float light[3];
    SkyLight(direction[1], light);
    const float mieWeight = density[1] / density[0];
    float linear[3];
    for (int i = 0; i < 3; ++i) {
        const float extinction = betaR[i] * density[0] + betaMie[i] * density[1];
        const float inscatter = (betaRD[i] * phaseR + betaMieD[i] * phaseM * mieWeight) * invSumBetas[i] *
                                (1.0f - std::exp(-extinction * viewPath)) * light[i] * inscatterMultiplier;
        linear[i] = 1.0f - std::exp(-kExposure * inscatter) + kNightGlow[i];
    }
    const float luma = 0.3f * linear[0] + 0.59f * linear[1] + 0.11f * linear[2];
    for (int i = 0; i < 3; ++i) rgb[i] = std::min(std::max(luma + (linear[i] - luma) * kSaturation, 0.0f), 1.0f);
}

void SkyParameters::HorizonColor(float* rgb) const {
    // Across the sun's line of sight: neither the bright nor the dark side.
    float d[3] = {sunDir[2], 0.0f, -sunDir[0]};
    const float length = std::sqrt(d[0] * d[0] + d[2] * d[2]);
    if (length > 0.0f) {
        d[0] /= length;
        d[2] /= length;
    } else {
        d[0] = 1.0f;
    }
    Evaluate(d, rgb);
}

FS_Sky::FS_Sky()
    : FullscreenPass("FS_Sky"),
      m_grid(std::make_unique<ElementList>(PRIMITIVE_TRIANGLES, (kGridX + 1) * (kGridY + 1), kGridX * kGridY * 6)) {
    LoadProgram("GLSL/FS_Sky.vert", "GLSL/FS_Sky.frag");
    m_grid->AllocVertexData(VERTEX_DATA_POSITION, 8);
    m_grid->AllocVertexData(VERTEX_DATA_EYE_DIR, 12);
    float* position = m_grid->GetVertexData(VERTEX_DATA_POSITION);
    for (int y = 0; y <= kGridY; ++y)
        for (int x = 0; x <= kGridX; ++x) {
            position[(y * (kGridX + 1) + x) * 2] = static_cast<float>(x) / kGridX - 0.5f;
            position[(y * (kGridX + 1) + x) * 2 + 1] = static_cast<float>(y) / kGridY - 0.5f;
        }
    uint32_t* index = m_grid->AllocIndices();
    for (int y = 0; y < kGridY; ++y)
        for (int x = 0; x < kGridX; ++x) {
            const uint32_t a = static_cast<uint32_t>(y * (kGridX + 1) + x), c = a + kGridX + 1;
            const uint32_t cell[6] = {a, a + 1, c, a + 1, c + 1, c};
            for (uint32_t i : cell) *index++ = i;
        }
}

FS_Sky::~FS_Sky() = default;

float FS_Sky::HazeDensity() const {
    // A scene unit counts as this much air: distant scenery fades into the sky.
    const float kHazeScale = 12.0f;
    const SkyParameters& p = m_parameters;
    float density[2];
    p.DensityAt(0.0f, density);
    float sum = 0.0f;
    for (int i = 0; i < 3; ++i) sum += p.betaR[i] * density[0] + p.betaMie[i] * density[1];
    return sum / 3.0f * kHazeScale;
}

void FS_Sky::Render(Viewer& viewer, uint32_t clouds, uint32_t stars, float seconds) {
    IRenderer* renderer = GetRenderer();
    const uint32_t program = GetProgram(0);
    if (!renderer || !program) return;
    BeginState();
    // Only where the depth buffer is still empty: the depth test rejects covered pixels before
    // the sky's arithmetic runs.
    renderer->SetDepthTest(true, COMPARE_LEQUAL);
    BindUnit(0, clouds);
    BindUnit(1, stars);
    renderer->UseProgram(program);
    Uniform1i(program, "texture0", 0);
    Uniform1i(program, "texture1", 1);

    const Matrix& camera = viewer.GetCameraMatrix();
    const float eyePos[4] = {camera[12], camera[13], camera[14], 1.0f};
    Uniform4f(program, "ws_EyePos", eyePos);
    const SkyParameters& p = m_parameters;
    Uniform3f(program, "sunColor", p.sunColor);
    Uniform3f(program, "rawSunColor", p.rawSunColor);
    Uniform3f(program, "ambColor", p.ambColor);
    Uniform3f(program, "ws_SunDir", p.sunDir);
    Uniform1f(program, "time", seconds);
    Uniform3f(program, "gConst", p.gConst);
    Uniform3f(program, "betaR", p.betaR);
    Uniform3f(program, "betaMie", p.betaMie);
    Uniform3f(program, "betaRD", p.betaRD);
    Uniform3f(program, "betaMieD", p.betaMieD);
    Uniform3f(program, "invSumBetas", p.invSumBetas);
    const float densityAndFalloff[4] = {p.rayleighDensity, p.MieDensity(), 1.0f / p.rayleighFalloff,
                                        1.0f / p.mieFalloff};
    Uniform4f(program, "densityAndFalloff", densityAndFalloff);
    float densityAtEye[2];
    p.DensityAt(eyePos[1], densityAtEye);
    Uniform2f(program, "densityAtEye", densityAtEye);
    const float skyDepth[3] = {p.zenithPath, p.horizonPath, p.twilight};
    Uniform3f(program, "skyDepth", skyDepth);
    Uniform1fv(program, "inscatterMultiplier", &p.inscatterMultiplier, 1);
    Uniform1f(program, "starsFactor", p.starsFactor);
    float cloudLight[3];
    p.SkyLight(0.5f, cloudLight);
    Uniform3f(program, "cloudLight", cloudLight);
    const Frustum& frustum = viewer.GetFrustum();
    float depthA, depthB;
    DepthConstants(frustum.GetNear(), frustum.GetFar(), &depthA, &depthB);
    Uniform1f(program, "depthA", depthA);
    Uniform1f(program, "depthB", depthB);
    UniformMatrix4(program, "camMat", viewer.GetViewMatrix());

    // Eye directions are linear across the screen: each grid corner's from the four corners'.
    float world[12];
    EyeDirections(viewer, true, world);
    float* dirs = m_grid->GetVertexData(VERTEX_DATA_EYE_DIR);
    for (int y = 0; y <= kGridY; ++y)
        for (int x = 0; x <= kGridX; ++x) {
            const float u = static_cast<float>(x) / kGridX, v = static_cast<float>(y) / kGridY;
            float* d = dirs + (y * (kGridX + 1) + x) * 3;
            for (int c = 0; c < 3; ++c)
                d[c] = (world[c] * (1.0f - u) + world[3 + c] * u) * (1.0f - v) +
                       (world[6 + c] * (1.0f - u) + world[9 + c] * u) * v;
        }
    const EyeDirs eyeDirs{"ws_attrEyeDir", dirs};
    DrawList(*m_grid, program, &eyeDirs, 1);
    renderer->UseProgram(0);
    renderer->ResetTextureUnits();
}
