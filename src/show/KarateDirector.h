#pragma once

#include <cstdint>

class IUserInterface;

// The karate show's clockwork, apart from anything it draws: the cut, light and scene timers on
// the music's 1.92 s bar grid, the flips between the outdoor karate scene and the hardware
// table, the time of day and how fast it runs, the developer keys and their toggles, and which
// image the TV screen shows. The effect owns one and acts on what it asks for through the
// listener (fights placed anew, a flip taken); all randomness comes from the program's generator
// in a fixed order, so a seed replays the show.
class KarateDirector {
public:
    static constexpr float kBar = 1.92f;
    // The TV screen images: 16 loader frames, 20 pictures, 8 credit screens, one boot screen.
    static constexpr int kLoaderFirst = 0, kLoaderCount = 16;
    static constexpr int kPictureFirst = 16, kPictureCount = 20;
    static constexpr int kCreditsFirst = 36, kCreditsCount = 8;
    static constexpr int kBootScreen = 44;
    static constexpr int kScreenCount = 45;
    static constexpr int kIntensityCount = 6;
    // Time of day runs this many hours per second at a multiplier of 1.
    static constexpr float kHoursPerSecond = 0.1f;

    enum ShadowMode { SHADOWS_OFF = 0, SHADOWS_ON = 1, SHADOWS_SOFT = 2 };

    class Listener {
    public:
        virtual ~Listener() = default;
        // Fights take new places; with placeFighters everyone walks to a start place afresh.
        virtual void SetupFights(bool placeFighters) = 0;
        // A flip has set the new time of day (and, going to the karate scene, its timers).
        virtual void SceneFlipped(bool karateShown) = 0;
    };

    explicit KarateDirector(Listener* listener = nullptr);
    void SetListener(Listener* listener) { m_listener = listener; }

    // Update steps 1 to 7 for one frame at show time `time` (input may be null: no keys). Also
    // advances the time of day and eases the light intensities.
    void Update(int stage, float time, float dt, IUserInterface* input);
    // The TV screen image index (0..44) for this frame of the hardware scene. time: show seconds.
    int UpdateScreen(int stage, float time, bool showLoader, int screenIdx);

    // Toggles.
    bool IsSsaoEnabled() const { return m_ssao; }
    int GetShadowMode() const { return m_shadowMode; }
    bool IsGlowEnabled() const { return m_glow; }
    bool AreDebugLinesEnabled() const { return m_debugLines; }
    bool IsDebugInfoEnabled() const { return m_debugInfo; }
    bool IsUserCameraEnabled() const { return m_userCamera; }
    bool IsKarateSceneShown() const { return m_karateShown; }

    float GetCutTimer() const { return m_cutTimer; }
    float GetSceneTimer() const { return m_sceneTimer; }
    float GetLightTimer() const { return m_lightTimer; }
    float GetTimeMultiplier() const { return m_timeMultiplier; }
    float GetTimeOfDay() const { return m_timeOfDay; }
    int GetSwitchCount() const { return m_switchCount; }
    // A new random value at every cut (0 on the first view of the karate scene).
    int GetCameraChoice() const { return m_cameraChoice; }
    // Counts cuts and flips, so that a renderer knows a new shot began.
    uint32_t GetShotNumber() const { return m_shotNumber; }
    const float* GetIntensities() const { return m_intensity; }
    const float* GetIntensityTargets() const { return m_intensityTarget; }

    // The flip of step 4, as "m" or the scene timer triggers it; sinceBar is how far this frame
    // lies past the bar line it follows (0 when no bar line was just crossed).
    void FlipScene(float sinceBar = 0.0f);

private:
    void HandleKeys(int stage, float sinceBar, IUserInterface* input);
    void DrawIntensityTargets();

    Listener* m_listener;
    bool m_ssao = true;
    int m_shadowMode = SHADOWS_ON;
    bool m_glow = false;
    bool m_debugLines = false;
    bool m_debugInfo = false;
    bool m_userCamera = false;
    bool m_karateShown = true;
    // Run out at the start, so that the show's first frame already cuts and flips.
    float m_cutTimer = -1.0f;
    float m_sceneTimer = -1.0f;
    float m_lightTimer = -1.0f;
    float m_timeMultiplier = 1.0f;
    float m_timeOfDay = 12.0f;
    int m_switchCount = 0;
    int m_cameraChoice = 0;
    uint32_t m_shotNumber = 0;
    float m_intensity[kIntensityCount] = {};
    float m_intensityTarget[kIntensityCount] = {};
    bool m_loading = false;
    float m_screenBar = -1.0f;
    int m_screen = kBootScreen;
    int m_warnedScreenIdx = 0;
    bool m_screenWarned = false;
};
