#pragma once

#include <memory>

#include "materials/FullscreenPass.h"

// The sky's scattering constants and the sun of one time of day. Wavelengths 650, 560 and
// 475 nm for red, green and blue; Rayleigh and Mie scattering with a Henyey-Greenstein phase.
struct SkyParameters {
    float lambda4[3] = {5.602044e24f, 1.0168292e25f, 1.9643806e25f};  // 1 / lambda^4
    float lambda2[3] = {2.3668638e12f, 3.1887757e12f, 4.432133e12f};   // 1 / lambda^2
    float betaR[3] = {};
    float betaMie[3] = {};
    float g = 0.0f;
    float gConst[3] = {};  // 1 - g^2, 1 + g^2, 2g
    float betaRD[3] = {};
    float betaMieD[3] = {};
    float invSumBetas[3] = {};
    float rayleighDensity = 50.0f;
    float rayleighFalloff = 15000.0f;
    float mieDensityFactor = 0.15f;  // of the Rayleigh density
    float mieFalloff = 300.0f;
    float inscatterMultiplier = 7.0f;
    // Air crossed towards the zenith and along the horizon, and how far below the horizon the
    // sun still lights the upper sky.
    float zenithPath = 1500.0f;
    float horizonPath = 54629.996f;
    float twilight = 0.1f;

    float sunColor[3] = {};     // sunlight arriving at the ground
    float rawSunColor[3] = {};  // sunlight above the air (dimmed only by the horizon)
    float ambColor[3] = {};     // the sky's light on the scene
    float sunDir[3] = {0.0f, 1.0f, 0.0f};  // towards the sun
    float sunHeading = 0.0f, sunPitch = 0.0f;
    // The scene light's direction: the sun's, raised to at least 0.3 above the horizon.
    float lightDir[3] = {0.0f, 1.0f, 0.0f};
    float lightHeading = 0.0f, lightPitch = 0.0f;
    float starsFactor = 0.0f;
    float time = 0.0f;  // the hour last set

    SkyParameters();
    // The sun of an hour (any float; taken modulo 24) on a fixed autumn day at 26.5 degrees north.
    void SetTimeOfDay(float hour);
    // g from the sun's height (kept within asin's domain) and the betas that depend on it.
    void SetScattering(float sunHeight);

    float MieDensity() const { return rayleighDensity * mieDensityFactor; }
    // (Rayleigh, Mie) density at a world height.
    void DensityAt(float height, float* out2) const;
    // Air crossed towards a direction of the given height (y of the unit vector).
    float PathLength(float height) const;
    // Sunlight arriving where light scatters towards a view of the given height (light scattered
    // high up crossed less air), with the ozone's share taken out.
    void SkyLight(float viewHeight, float* rgb) const;
    // The sky's colour towards a unit direction, seen from height 0 (the sky shader's model,
    // without clouds and stars).
    void Evaluate(const float* direction, float* rgb) const;
    // The sky at the horizon, seen facing the side of the sun at the given offset: what the
    // scene's background and fog fade to.
    void HorizonColor(float* rgb) const;

    // Julian day number of a Gregorian date (January and February as months 13 and 14).
    static long JulianDayNumber(int year, int month, int day);
};

// The sky with atmospheric scattering, clouds and stars, drawn on the far plane behind the scene
// (where the depth buffer is still empty).
class FS_Sky : public FullscreenPass {
public:
    FS_Sky();
    ~FS_Sky() override;

    SkyParameters& GetParameters() { return m_parameters; }
    const SkyParameters& GetParameters() const { return m_parameters; }
    void SetTimeOfDay(float hour) { m_parameters.SetTimeOfDay(hour); }

    // Draws into the bound target for the viewer: clouds on unit 0, stars on unit 1; seconds
    // drive clouds and twinkling.
    void Render(Viewer& viewer, uint32_t clouds, uint32_t stars, float seconds);
    // How much a scene unit of air hazes distant scenery towards the horizon colour.
    float HazeDensity() const;

private:
    SkyParameters m_parameters;
    // The smooth scattered light is worked out at the corners of a grid over the screen; clouds,
    // stars and the sun's disc per pixel.
    std::unique_ptr<ElementList> m_grid;
};
