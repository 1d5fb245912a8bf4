#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scene/Node.h"

class BalloonNode;
class BlockSpriteNode;
class CameraNode;
class GeomBlockSprite;
class Karateka;
class SloganList;

// Where and how a fight stands: its place in the scene, its ring and its camera.
struct KarateFightSetup {
    float position[3] = {0.0f, 0.0f, 0.0f};
    float heading = 0.0f;  // degrees
    float scale = 1.0f;
    float ringWidth = 10.0f;
    Node* parent = nullptr;  // none: the scene
    float cameraBase[3] = {0.0f, 0.0f, 0.0f};
    float cameraWobble[3] = {0.0f, 0.0f, 0.0f};
    float lookAtHeight = 0.0f;
};

// An endless self-playing karate match: fighters wait until all are ready, fight until all but
// one are down, and walk back to their places, while a referee comments in a speech balloon and
// a camera ("FightCam") follows the action. All randomness comes from the program's generator,
// so a seed replays the same fight.
class KarateFight : public Node {
public:
    enum State {
        STATE_WAITING = 0,
        STATE_GET_SET = 1,
        STATE_FIGHTING = 2,
        STATE_MATCH_OVER = 3,
    };

    // The sprite sets and slogans are shared, not owned; slogans may be null.
    KarateFight(Node* parent, GeomBlockSprite* fighterSprites, GeomBlockSprite* refereeSprites,
                const SloganList* slogans);

    // Creates the fighters (every one the opponent of every other), the referee with his stars
    // and balloon, and the camera in the fight's scene.
    void Init(int count);
    void Setup(const KarateFightSetup& setup);
    // New gi colours and places; with placeFighters everyone walks to a start place afresh.
    void Reset(bool placeFighters);
    void SetBalloonEnabled(bool enabled);
    using Node::Update;
    void Update(float time, float dt);

    float GetLeft() const { return m_left; }
    float GetRight() const { return m_right; }
    float GetMargin() const { return m_margin; }
    int GetState() const { return m_state; }
    float GetTimer() const { return m_timer; }
    int GetFighterCount() const { return static_cast<int>(m_fighters.size()); }
    Karateka* GetFighter(int index) const { return m_fighters[static_cast<size_t>(index)]; }
    BlockSpriteNode* GetReferee() const { return m_referee; }
    BlockSpriteNode* GetStars() const { return m_stars; }
    BalloonNode* GetBalloon() const { return m_balloon; }
    CameraNode* GetCamera() const { return m_camera; }
    const KarateFightSetup& GetSetup() const { return m_setup; }
    // Where the camera looks (in its parent's space), smoothed.
    const float* GetLookAt() const { return m_lookAt; }

    // Gi colours (RGB) fighters are dressed in.
    static const float kGiColors[5][3];

private:
    void UpdateMatch(float dt);
    void UpdateCamera(float time, float dt);
    // Start place of fighter i: spread evenly over the ring less its margins.
    float PlaceX(int index) const;
    void PlaceFighters();
    void FightPointToWorld(float x, float y, float z, float* out3) const;
    void Say(const char* text);

    GeomBlockSprite* m_fighterSprites;
    GeomBlockSprite* m_refereeSprites;
    const SloganList* m_slogans;
    KarateFightSetup m_setup;
    float m_left = -5.0f;
    float m_right = 5.0f;
    float m_margin = 1.0f;
    int m_state = STATE_WAITING;
    float m_timer = 0.0f;
    std::vector<Karateka*> m_fighters;
    BlockSpriteNode* m_referee = nullptr;
    BlockSpriteNode* m_stars = nullptr;
    BalloonNode* m_balloon = nullptr;
    CameraNode* m_camera = nullptr;
    float m_balloonTimer = 0.0f;
    bool m_refereeShown = true;
    float m_lookAt[3] = {0.0f, 0.0f, 0.0f};
    float m_smoothedPosition[3] = {0.0f, 0.0f, 0.0f};
};
