#include "show/KarateDirector.h"

#include <cmath>

#include "base/Log.h"
#include "base/Random.h"
#include "ui/IUserInterface.h"

namespace {

// Loader flicker at the start of each bar, then a picture until the next bar line.
const float kLoaderSpan = 0.48f;
// The scene timer never leaves less than four bars after a cut.
const float kShortestShot = 7.68f;
// Light intensities follow their targets with this rate (1/s).
const float kIntensityRate = 2.0f;

bool Pressed(IUserInterface* input, char lower, char upper) {
    return input && (input->WasKeyPressed(static_cast<unsigned char>(lower)) ||
                     (upper && input->WasKeyPressed(static_cast<unsigned char>(upper))));
}

// ((rand() % n) + first) bars.
float Bars(int n, int first) {
    return static_cast<float>((RandomNext() % n) + first) * KarateDirector::kBar;
}

// How far this frame lies past the bar line the last frame step crossed; 0 when it crossed
// none. Timers that run out are set again from that bar line, not from the frame, so that the
// cuts stay on the music's grid whatever the frame rate (frames land after the bar line, and
// timers set from them would fall behind by up to a frame at every cut).
float SinceBarLine(float time, float dt) {
    const float since = time - std::floor(time / KarateDirector::kBar) * KarateDirector::kBar;
    return since <= dt + 1e-4f ? since : 0.0f;
}

}  // namespace

KarateDirector::KarateDirector(Listener* listener) : m_listener(listener) {}

void KarateDirector::DrawIntensityTargets() {
    for (float& target : m_intensityTarget) target = Rand01() < 0.5f ? Rand01() * 0.7f + 0.3f : 0.0f;
}

void KarateDirector::Update(int stage, float time, float dt, IUserInterface* input) {
    const float sinceBar = SinceBarLine(time, dt);
    // 1. Cuts, never so late that the scene timer would leave a stub of a shot.
    m_cutTimer -= dt;
    if (m_cutTimer < 0.0f) {
        m_cutTimer = Bars(8, 4) - sinceBar;
        if (m_sceneTimer - m_cutTimer < kShortestShot) m_cutTimer = m_sceneTimer;
        m_cameraChoice = RandomNext();
        ++m_shotNumber;
    }
    // 2. The hardware table's lights.
    m_lightTimer -= dt;
    if (m_lightTimer < 0.0f) {
        m_lightTimer = Bars(4, 2) - sinceBar;
        DrawIntensityTargets();
    }
    // 3.
    m_sceneTimer -= dt;
    HandleKeys(stage, sinceBar, input);
    // 7. The intro holds the hardware scene.
    if (stage == 1) {
        m_karateShown = false;
        m_sceneTimer = -1.0f;
    }

    const float ease = std::fmin(1.0f, dt * kIntensityRate);
    for (int i = 0; i < kIntensityCount; ++i) m_intensity[i] += (m_intensityTarget[i] - m_intensity[i]) * ease;
    m_timeOfDay = std::fmod(m_timeOfDay + dt * m_timeMultiplier * kHoursPerSecond, 24.0f);
    if (m_timeOfDay < 0.0f) m_timeOfDay += 24.0f;
}

void KarateDirector::FlipScene(float sinceBar) {
    m_karateShown = !m_karateShown;
    m_timeMultiplier = Rand01() * 4.0f;
    m_timeOfDay = Rand01() * 24.0f;
    if (m_karateShown && m_switchCount == 0) {
        // The first view of the outdoor stage: dawn, at the normal pace, a long scene.
        if (m_listener) m_listener->SetupFights(true);
        m_cameraChoice = 0;
        ++m_switchCount;
        m_timeMultiplier = 1.0f;
        m_timeOfDay = 6.0f;
        m_cutTimer = 7.68f - sinceBar;
        m_sceneTimer = 30.72f - sinceBar;
    } else {
        m_cutTimer = Bars(8, 4) - sinceBar;
        m_sceneTimer = Bars(8, 8) - sinceBar;
        if (Rand01() < 0.3f) {
            // Now and then the golden hours: late afternoon or early morning, slowly.
            m_timeOfDay = Rand01() >= 0.5f ? 16.0f + Rand01() : 4.0f + Rand01();
            m_timeMultiplier = Rand01() * 1.5f;
        }
        m_lightTimer = Bars(4, 2) - sinceBar;
        DrawIntensityTargets();
        for (int i = 0; i < kIntensityCount; ++i) m_intensity[i] = m_intensityTarget[i];
    }
    ++m_shotNumber;
    if (m_listener) {
        m_listener->SceneFlipped(m_karateShown);
        m_listener->SetupFights(false);
    }
}

void KarateDirector::HandleKeys(int stage, float sinceBar, IUserInterface* input) {
    // 4. While the user flies the camera only "m" flips (the timer would pull the scene away).
    if (stage == 2 && (Pressed(input, 'm', 'M') || (!m_userCamera && m_sceneTimer < 0.0f))) FlipScene(sinceBar);
    // 5.
    if (Pressed(input, 'k', 'K') && m_listener) m_listener->SetupFights(false);
    // 6.
    if (Pressed(input, 'u', 'U')) {
        m_userCamera = !m_userCamera;
        LogMessage(LOG_INFO, m_userCamera ? "User camera enabled." : "User camera disabled.");
    }
    if (Pressed(input, '1', 0)) {
        m_ssao = !m_ssao;
        LogMessage(LOG_INFO, m_ssao ? "SSAO enabled." : "SSAO disabled.");
    }
    if (Pressed(input, '2', 0)) {
        static const char* const kMessages[3] = {"Shadow maps disabled.", "Shadow maps enabled.",
                                                 "Soft shadow maps enabled."};
        m_shadowMode = (m_shadowMode + 1) % 3;
        LogMessage(LOG_INFO, kMessages[m_shadowMode]);
    }
    if (Pressed(input, '3', 0)) {
        m_glow = !m_glow;
        LogMessage(LOG_INFO, m_glow ? "Glow enabled." : "Glow disabled.");
    }
    if (Pressed(input, '9', 0)) {
        m_debugLines = !m_debugLines;
        LogMessage(LOG_INFO, m_debugLines ? "Debug lines enabled." : "Debug lines disabled.");
    }
    if (Pressed(input, '0', 0)) {
        m_debugInfo = !m_debugInfo;
        LogMessage(LOG_INFO, m_debugInfo ? "Debug info enabled." : "Debug info disabled.");
    }
    if (Pressed(input, 't', 'T')) {
        m_timeMultiplier = std::floor(m_timeMultiplier + 1.0f);
        LogMessage(LOG_INFO, "Time running: x", m_timeMultiplier);
    }
    if (Pressed(input, 'r', 'R')) {
        m_timeMultiplier = std::floor(m_timeMultiplier - 1.0f);
        LogMessage(LOG_INFO, "Time running: x", m_timeMultiplier);
    }
}

int KarateDirector::UpdateScreen(int stage, float time, bool showLoader, int screenIdx) {
    if (stage == 1) {
        if (showLoader) {
            m_screen = RandomNext() % kLoaderCount;
        } else {
            int index = screenIdx + kCreditsFirst;
            // Only 45 images: a screen number past them shows the nearest one, with one warning.
            if (index < 0 || index >= kScreenCount) {
                if (!m_screenWarned || m_warnedScreenIdx != screenIdx) {
                    LogMessage(LOG_WARNING, "EffectKarate: screen_idx out of range: ", screenIdx);
                    m_screenWarned = true;
                    m_warnedScreenIdx = screenIdx;
                }
                index = index < 0 ? 0 : kScreenCount - 1;
            }
            m_screen = index;
        }
        return m_screen;
    }
    // A new bar starts the loader even when the frames are too far apart to land in its first
    // 0.48 s (a capture at a low frame rate would otherwise never change the picture).
    const float bar = std::floor(time / kBar);
    const float p = time - bar * kBar;
    if (bar != m_screenBar) {
        m_screenBar = bar;
        m_loading = true;
    }
    if (m_loading) {
        if (p < kLoaderSpan) {
            m_screen = RandomNext() % kLoaderCount;
        } else {
            m_loading = false;
            m_screen = RandomNext() % kPictureCount + kPictureFirst;
        }
    }
    return m_screen;
}
