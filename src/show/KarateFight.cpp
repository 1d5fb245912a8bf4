#include "show/KarateFight.h"

#include <algorithm>
#include <cmath>

#include "base/Random.h"
#include "render/Matrix.h"
#include "scene/CameraNode.h"
#include "scene/SceneNode.h"
#include "show/BalloonNode.h"
#include "show/Karateka.h"
#include "show/SloganList.h"

namespace {
const float kPi = 3.14159265358979f;
const float kStarStep = 0.08f;
const int kStars[] = {2,  3,  4,  5,  6,
                      7,  8,  9,  10, 11,
                      12, 13, 14, 15, 16,
                      17, 18, 19, 20, 21,
                      22, 23, 24, 25, BlockSpriteNode::kSequenceEnd};
const int kRefereeFrame = 0;
const int kRefereeInvisibleFrame = 1;
const float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};

// One accumulator for every fight: with several fights updated in a frame, each fight's stars
// advance more slowly. The show was tuned that way.
float g_starsAccumulator = 0.0f;
}  // namespace

const float KarateFight::kGiColors[5][3] = {{224 / 255.0f, 224 / 255.0f, 224 / 255.0f},
                                            {137 / 255.0f, 64 / 255.0f, 54 / 255.0f},
                                            {62 / 255.0f, 49 / 255.0f, 162 / 255.0f},
                                            {104 / 255.0f, 169 / 255.0f, 65 / 255.0f},
                                            {208 / 255.0f, 220 / 255.0f, 113 / 255.0f}};

KarateFight::KarateFight(Node* parent, GeomBlockSprite* fighterSprites, GeomBlockSprite* refereeSprites,
                         const SloganList* slogans)
    : Node(parent, "KarateFight"),
      m_fighterSprites(fighterSprites),
      m_refereeSprites(refereeSprites),
      m_slogans(slogans) {}

void KarateFight::Init(int count) {
    for (int i = 0; i < count; ++i) m_fighters.push_back(new Karateka(this, m_fighterSprites));
    for (Karateka* fighter : m_fighters)
        for (Karateka* other : m_fighters)
            if (other != fighter) fighter->AddOpponent(other);
    m_referee = new BlockSpriteNode(this, "tuomari", m_refereeSprites);
    m_stars = new BlockSpriteNode(m_referee, "tuomari_stars", m_refereeSprites);
    // Until the first burst the stars show the empty frame, not a second referee.
    m_stars->SetFrame(kRefereeInvisibleFrame);
    m_balloon = new BalloonNode(m_referee, "tuomari_balloon");
    m_balloon->Hide();
    m_balloon->GetOrientation().SetPosition(-0.175f, 1.55f, 0.0f);
    m_camera = new CameraNode(GetScene(), "FightCam");
    m_camera->SetFov(1.7777778f, kPi / 2.0f);
}

void KarateFight::Setup(const KarateFightSetup& setup) {
    m_setup = setup;
    SetParent(setup.parent ? setup.parent : GetScene());
    Orientation& orientation = GetOrientation();
    orientation.ResetRotation();
    orientation.SetRotationHPB(setup.heading * kPi / 180.0f, 0.0f, 0.0f);
    orientation.SetPosition(setup.position[0], setup.position[1], setup.position[2]);
    orientation.SetScale(setup.scale);
    m_left = -setup.ringWidth / 2.0f;
    m_right = setup.ringWidth / 2.0f;
    m_margin = setup.ringWidth / 10.0f;
    UpdateTransforms();
    Reset(false);
}

float KarateFight::PlaceX(int index) const {
    const int count = GetFighterCount();
    // A lone fighter stands in the middle (spreading one place over the ring would divide by 0).
    if (count < 2) return 0.0f;
    const float w = (m_right - m_left) - 2.0f * m_margin;
    return -w / 2.0f + static_cast<float>(index) * w / static_cast<float>(count - 1);
}

void KarateFight::PlaceFighters() {
    for (int i = 0; i < GetFighterCount(); ++i) {
        const float x = PlaceX(i);
        m_fighters[static_cast<size_t>(i)]->PlaceAt(x, x > 0.0f ? 1 : 0);
    }
}

void KarateFight::Reset(bool placeFighters) {
    const int count = GetFighterCount();
    int c = RandomNext() % 5;
    int step = (RandomNext() & 3) + 1;
    // Half of the matches are all white.
    if (Rand01() < 0.5f) c = 0, step = 1;
    const float zStep = count > 1 ? 0.06f / static_cast<float>(count - 1) : 0.0f;
    float z = -0.03f;
    for (int i = 0; i < count; ++i) {
        Karateka* fighter = m_fighters[static_cast<size_t>(i)];
        const float gi[4] = {kGiColors[c][0], kGiColors[c][1], kGiColors[c][2], 1.0f};
        fighter->SetReplaceColors(kWhite, gi);
        fighter->SetZ(z);
        fighter->SetX(PlaceX(i) + (Rand01() - 0.5f));
        c = (c + step) % 5;
        z += zStep;
    }
    if (m_referee) {
        const float refereeX = (Rand01() - 0.5f) * (m_right - m_left);
        const float refereeZ = -(Rand01() + 1.0f) * 0.5f;
        m_referee->GetOrientation().SetPosition(refereeX, 0.0f, refereeZ);
        m_referee->GetOrientation().SetScale(1.25f);
    }
    if (placeFighters) {
        for (int i = 0; i < count; ++i) {
            Karateka* fighter = m_fighters[static_cast<size_t>(i)];
            fighter->ResetForFight();
            const float x = PlaceX(i);
            fighter->PlaceAt(x, x > 0.0f ? 1 : 0);
        }
    }
    m_state = STATE_WAITING;
    if (m_balloon) m_balloon->Hide();
}

void KarateFight::SetBalloonEnabled(bool enabled) {
    if (m_balloon) m_balloon->SetEnabled(enabled);
}

void KarateFight::Say(const char* text) {
    if (m_balloon) m_balloon->SetText(Rand01() < 0.5f ? text : "");
}

void KarateFight::UpdateMatch(float dt) {
    m_balloonTimer -= dt;
    if (m_balloonTimer < 0.0f && m_balloon && m_balloon->IsShown()) m_balloon->Hide();
    const int count = GetFighterCount();
    switch (m_state) {
        case STATE_WAITING:
            if (std::all_of(m_fighters.begin(), m_fighters.end(), [](Karateka* f) { return f->IsReady(); })) {
                m_state = STATE_GET_SET;
                m_timer = Rand01() * 0.5f + 2.5f;
            }
            break;
        case STATE_GET_SET:
            if (m_timer >= 0.0f) m_timer -= dt;
            if (m_timer < 0.0f) {
                m_balloonTimer = 1.0f;
                Say("FIGHT!");
                if (m_stars) m_stars->PlaySequence(kStars, false, 0, 0);
                m_state = STATE_FIGHTING;
                for (Karateka* fighter : m_fighters) fighter->StartFight();
            }
            break;
        case STATE_FIGHTING: {
            const int down = static_cast<int>(
                std::count_if(m_fighters.begin(), m_fighters.end(), [](Karateka* f) { return f->IsDown(); }));
            if (down >= count - 1) {
                m_state = STATE_MATCH_OVER;
                m_timer = Rand01() * 2.5f + 5.0f;
                m_balloonTimer = 1.0f;
                Say("MATCH OVER!");
                Rand01();  // drawn and unused; kept so a seed replays the same fights
                if (m_stars) m_stars->PlaySequence(kStars, false, 0, 0);
                m_refereeShown = true;
            }
            break;
        }
        case STATE_MATCH_OVER:
            if (m_balloon && !m_balloon->IsShown()) {
                // The referee's comment lasts until the next match is called.
                m_balloonTimer = m_timer;
                const bool slogan = Rand01() < 0.5f;
                // A missing "slogans.txt" leaves nothing to say.
                if (slogan && m_slogans && !m_slogans->IsEmpty())
                    m_balloon->SetText(
                        m_slogans->Get(static_cast<size_t>(RandomNext()) % m_slogans->GetCount()));
                else
                    m_balloon->SetText("");
            }
            if (m_timer < 0.0f) {
                m_state = STATE_WAITING;
                m_balloonTimer = 1.0f;
                Say("GET READY!");
                PlaceFighters();
            } else {
                m_timer -= dt;
            }
            break;
        default:
            break;
    }
}

void KarateFight::Update(float time, float dt) {
    UpdateMatch(dt);
    g_starsAccumulator += dt;
    while (g_starsAccumulator >= kStarStep) {
        if (m_stars) m_stars->Step();
        g_starsAccumulator -= kStarStep;
    }
    if (m_referee && m_stars)
        m_referee->SetFrame(!m_refereeShown && m_stars->IsFinished() ? kRefereeInvisibleFrame
                                                                     : kRefereeFrame);
    for (Karateka* fighter : m_fighters) fighter->CheckHits();
    for (Karateka* fighter : m_fighters) fighter->Think();
    for (Karateka* fighter : m_fighters) fighter->Update(time, dt);
    if (m_camera) UpdateCamera(time, dt);
}

void KarateFight::FightPointToWorld(float x, float y, float z, float* out3) const {
    // From the fight's own transform and its parent's world matrix, so a fight placed this
    // frame is followed at once.
    Matrix world = GetParent() ? GetParent()->GetWorldMatrix() : Matrix();
    world.Multiply(const_cast<KarateFight*>(this)->GetOrientation().GetMatrix());
    const float* m = world.GetData();
    for (int i = 0; i < 3; ++i) out3[i] = m[i] * x + m[4 + i] * y + m[8 + i] * z + m[12 + i];
}

void KarateFight::UpdateCamera(float time, float dt) {
    float target[3] = {0.0f, 0.0f, 0.0f};
    int counted = 0;
    if (m_state == STATE_FIGHTING) {
        for (Karateka* fighter : m_fighters) {
            if (fighter->IsHit()) continue;
            float p[3];
            FightPointToWorld(fighter->GetX(), 0.0f, fighter->GetZ(), p);
            for (int i = 0; i < 3; ++i) target[i] += p[i];
            ++counted;
        }
        // Everyone hit at once: look at all of them rather than at the mean of nobody.
        if (counted == 0) {
            for (Karateka* fighter : m_fighters) {
                float p[3];
                FightPointToWorld(fighter->GetX(), 0.0f, fighter->GetZ(), p);
                for (int i = 0; i < 3; ++i) target[i] += p[i];
                ++counted;
            }
        }
    }
    if (counted > 0) {
        for (float& t : target) t /= static_cast<float>(counted);
    } else if (m_referee) {
        const float* r = m_referee->GetOrientation().GetPosition();
        FightPointToWorld(r[0], r[1], r[2], target);
    }
    target[1] += m_setup.scale + m_setup.lookAtHeight;

    // Target into the camera's parent space, where the camera is placed.
    if (Node* parent = m_camera->GetParent()) {
        const float world[4] = {target[0], target[1], target[2], 1.0f};
        float local[4];
        parent->WorldToLocal(world, local);
        std::copy(local, local + 3, target);
    }

    static const float kWobbleRates[3] = {0.345f, 0.413f, 0.134f};
    float position[3];
    for (int i = 0; i < 3; ++i) {
        const float base = m_setup.cameraBase[i], amplitude = m_setup.cameraWobble[i];
        const float wobbled = base + std::sin(kWobbleRates[i] * time) * amplitude;
        const float a = std::fabs(amplitude);
        position[i] = std::clamp(wobbled, base - a, base + a);
    }
    m_camera->GetOrientation().SetPosition(position[0], position[1], position[2]);

    const float k = std::clamp(dt, 0.01f, 0.2f);
    const float k2 = std::clamp(dt, 0.05f, 0.2f);
    for (int i = 0; i < 3; ++i) {
        m_lookAt[i] = (1.0f - k) * m_lookAt[i] + k * target[i];
        m_smoothedPosition[i] = (1.0f - k2) * m_smoothedPosition[i] + k2 * position[i];
    }

    const float d[3] = {m_lookAt[0] - position[0], m_lookAt[1] - position[1], m_lookAt[2] - position[2]};
    const float heading = std::atan2(d[2], d[0]) + kPi / 2.0f;
    const float pitch = -std::atan2(d[1], std::sqrt(d[0] * d[0] + d[2] * d[2]));
    m_camera->GetOrientation().SetRotationHPB(heading, pitch, 0.0f);
}
