#include "show/Karateka.h"

#include <algorithm>
#include <cmath>

#include "base/Random.h"
#include "show/GeomBlockSprite.h"
#include "show/KarateFight.h"

namespace {
const int F = BlockSpriteNode::kFlipFacing;
const int E = BlockSpriteNode::kSequenceEnd;

// Frame sequences of the moves (frame numbers of the fighter set).
const int kStance[] = {0, E};
const int kTurn[] = {45, F, E};
const int kWalk[] = {1, 2, 3, 4, 5, 0, E};
const int kBackFlip[] = {20, 21, 22, 23, 24, 25, 26, 27, 28, 29, E};
const int kBlock[] = {19, E};
const int kJump[] = {29, 30, 31, 30, 29, E};
const int kLowKick[] = {6, 7, 6, E};
const int kKick[] = {6, 8, 9, 8, 6, E};
const int kHighKick[] = {6, 10, 11, 10, 6, E};
const int kDoubleKick[] = {12, 13, 14, 15, 13, 12, E};
const int kJumpKick[] = {29, 30, 36, 31, 29, E};
const int kKneelKick[] = {37, 38, 37, E};
const int kRoundKick[] = {42, 43, 44, F, 11, 10, 6, E};
const int kBackKneelKick[] = {45, F, 37, 38, 37, E};
const int kHighFist[] = {32, 33, 32, E};
const int kKneelFist[] = {34, 35, 34, E};
const int kBackHighFist[] = {45, F, 32, 33, 32, E};
const int kHeadbutt[] = {16, 17, 18, E};
const int kPantsDown[] = {39, 40, 41, 41, 41, 41, 41, 41, 41, 41, 41, 41, 39, E};
const int kHitBack[] = {53, 54, 55, E};
const int kHitFront[] = {60, 61, 62, E};
const int kHitStomach[] = {46, 47, 48, E};
const int kDazedBack[] = {56, 57, 58, 59, E};
const int kDazedFront[] = {63, 64, 65, 66, E};
const int kDazedStomach[] = {49, 50, 51, 52, E};
const int kGetUpFront[] = {73, 74, 72, 0, E};
const int kGetUpBack[] = {67, 68, 69, 70, 71, 72, 0, E};
const int kGetUpStomach[] = {75, 70, 71, 72, 0, E};
const int kDownBack[] = {76, E};
const int kDownFront[] = {77, E};
const int kDownStomach[] = {75, E};

// How a move's sequence repeats: once, a random number of extra times, or until replaced.
enum Repeats { ONCE, WALK_FORWARD, WALK_BACKWARD, THREE_TO_SIX, HOLD };

struct MoveInfo {
    const int* sequence;
    Repeats repeats;
};

// Indexed by move number; moves without a sequence are no moves.
const MoveInfo kMoves[] = {
    {nullptr, ONCE},
    {kStance, ONCE},
    {nullptr, ONCE},
    {kTurn, ONCE},
    {kWalk, WALK_FORWARD},
    {kWalk, WALK_BACKWARD},
    {kBackFlip, ONCE},
    {kTurn, ONCE},
    {kBlock, THREE_TO_SIX},
    {kJump, ONCE},
    {nullptr, ONCE},
    {kLowKick, ONCE},
    {kKick, ONCE},
    {kHighKick, ONCE},
    {kDoubleKick, ONCE},
    {kJumpKick, ONCE},
    {kKneelKick, ONCE},
    {kRoundKick, ONCE},
    {kBackKneelKick, ONCE},
    {kHighFist, ONCE},
    {kKneelFist, ONCE},
    {kBackHighFist, ONCE},
    {kHeadbutt, ONCE},
    {nullptr, ONCE},
    {kPantsDown, ONCE},
    {kHitBack, ONCE},
    {kHitFront, ONCE},
    {kHitStomach, ONCE},
    {kDazedBack, THREE_TO_SIX},
    {kDazedFront, THREE_TO_SIX},
    {kDazedStomach, THREE_TO_SIX},
    {kGetUpFront, ONCE},
    {kGetUpBack, ONCE},
    {kGetUpStomach, ONCE},
    {kDownBack, HOLD},
    {kDownFront, HOLD},
    {kDownStomach, HOLD},
};
const int kMoveCount = static_cast<int>(sizeof(kMoves) / sizeof(kMoves[0]));

// Attack reach in sprite pixels, indexed from move 11.
const int kReach[12][2] = {{27, 12},  {29, 34}, {27, 48}, {35, 46}, {39, 48},  {51, 4},
                           {-27, 48}, {-51, 4}, {33, 42}, {41, 24}, {-33, 42}, {31, 46}};
const float kPixel = 0.03f;

const float kWalkSpeed = 1.5f;
const float kFlipSpeed = 2.25f;
const float kIdleLimit = 5.0f;
const float kPlaceTolerance = 0.3f;
const float kReactDistance = 6.0f;
const float kPi = 3.14159265358979f;

bool IsOneOf(int value, std::initializer_list<int> set) {
    return std::find(set.begin(), set.end(), value) != set.end();
}
}  // namespace

Karateka::Karateka(KarateFight* fight, GeomBlockSprite* geometry)
    : BlockSpriteNode(fight, "karateka", geometry), m_fight(fight) {}

void Karateka::AddOpponent(Karateka* opponent) {
    if (static_cast<int>(m_opponents.size()) >= kMaxOpponents) return;
    m_opponents.push_back(opponent);
    m_distances.push_back(0.0f);
}

void Karateka::GetReach(int move, float& x, float& y) {
    if (move >= MOVE_FIRST_ATTACK && move <= MOVE_LAST_ATTACK) {
        x = static_cast<float>(kReach[move - MOVE_FIRST_ATTACK][0]) * kPixel;
        y = static_cast<float>(kReach[move - MOVE_FIRST_ATTACK][1]) * kPixel;
    } else {
        x = 200.0f * kPixel;
        y = 0.0f;
    }
}

float Karateka::GetDamage(int frame) {
    switch (frame) {
        case 7:
        case 35:
        case 38:
            return 20.0f;
        case 9:
        case 33:
            return 30.0f;
        case 11:
            return 40.0f;
        case 14:
        case 18:
            return 80.0f;
        case 36:
            return 50.0f;
        default:
            return 0.0f;
    }
}

void Karateka::SetMove(int move) {
    const float left = m_fight->GetLeft(), right = m_fight->GetRight(), margin = m_fight->GetMargin();
    const bool nearRight = m_x > right - margin, nearLeft = m_x < left + margin;
    const int facing = GetFacing();
    // A back flip towards a ring edge becomes a turn away, and a turn away from an edge a flip.
    if (move == MOVE_BACK_FLIP && ((nearRight && facing == 1) || (nearLeft && facing == 0)))
        move = MOVE_TURN_AWAY;
    else if (move == MOVE_TURN_AWAY && ((nearRight && facing == 0) || (nearLeft && facing == 1)))
        move = MOVE_BACK_FLIP;

    m_move = move;
    m_frameAccumulator = 0.0f;
    if (move < 0 || move >= kMoveCount || !kMoves[move].sequence) {
        m_move = MOVE_NONE;
        SetFrame(0);
        return;
    }
    const MoveInfo& info = kMoves[move];
    switch (info.repeats) {
        case ONCE:
            PlaySequence(info.sequence, false, 0, 0);
            break;
        case WALK_FORWARD:
            PlaySequence(info.sequence, true, 0, RandomNext() % 3 + 1);
            break;
        case WALK_BACKWARD:
            PlaySequence(info.sequence, true, 0, (RandomNext() & 1) + 1);
            break;
        case THREE_TO_SIX:
            PlaySequence(info.sequence, true, 0, (RandomNext() & 3) + 3);
            break;
        case HOLD:
            PlaySequence(info.sequence, true, 0, kRepeatForever);
            break;
    }
}

void Karateka::ResetForFight() {
    SetFrame(0);
    m_move = MOVE_NONE;
    m_mode = MODE_READY;
    m_energy = kFullEnergy;
    m_r1 = Rand01();
    m_r2 = Rand01();
    m_frameAccumulator = 0.0f;
    m_thinkTimer = Rand01();
    m_idleTimer = 0.0f;
}

void Karateka::StartFight() {
    ResetForFight();
    m_mode = Rand01() < 0.5f ? MODE_CAUTIOUS : MODE_AGGRESSIVE;
}

void Karateka::PlaceAt(float x, int facing) {
    m_mode = MODE_WALK_TO_PLACE;
    m_targetX = x;
    m_targetFacing = facing;
}

void Karateka::FindNearest() {
    const float dir = GetFacing() == 1 ? -1.0f : 1.0f;
    m_nearest = -1;
    for (size_t i = 0; i < m_opponents.size(); ++i) {
        m_distances[i] = (m_opponents[i]->m_x - m_x) * dir;
        if (m_opponents[i]->IsHit()) continue;
        if (m_nearest < 0 ||
            std::fabs(m_distances[i]) < std::fabs(m_distances[static_cast<size_t>(m_nearest)]))
            m_nearest = static_cast<int>(i);
    }
}

bool Karateka::HitsMe(float x, float y) const {
    const GeomBlockSprite* geometry = GetGeometry();
    const float point[2] = {x, y};
    return geometry && geometry->TestCollision(static_cast<uint32_t>(GetFrame()), point, GetFacing() == 1);
}

void Karateka::CheckHits() {
    if (IsHit()) return;
    int hitFrame = -1;
    for (Karateka* opponent : m_opponents) {
        // The turning attacks (round kick, back kneel kick, back high fist) flip the attacker
        // half way; their reach points behind the facing they started with, which is the
        // opposite of the facing their striking frames are drawn with.
        float s = opponent->GetFacing() == 1 ? -1.0f : 1.0f;
        if (IsOneOf(opponent->m_move, {17, 18, 21})) s = -s;
        float ox, oy;
        GetReach(opponent->m_move, ox, oy);
        const int f = opponent->GetFrame();
        const bool sameFacing = opponent->GetFacing() == GetFacing();
        if (IsOneOf(f, {7, 9, 11, 18, 33, 36, 38})) {
            if (HitsMe(ox * s + opponent->m_x - m_x, oy)) {
                SetMove(sameFacing ? MOVE_HIT_BACK : MOVE_HIT_FRONT);
                hitFrame = f;
            }
        } else if (f == 14) {
            // The double kick reaches both sides at once.
            if (HitsMe(ox + opponent->m_x - m_x, oy)) {
                SetMove(sameFacing ? MOVE_HIT_BACK : MOVE_HIT_STOMACH);
                hitFrame = f;
            }
            if (HitsMe(opponent->m_x - ox - m_x, oy)) {
                SetMove(sameFacing ? MOVE_HIT_FRONT : MOVE_HIT_BACK);
                hitFrame = f;
            }
        } else if (f == 35) {
            if (HitsMe(ox * s + opponent->m_x - m_x, oy)) {
                SetMove(sameFacing ? MOVE_HIT_BACK : MOVE_HIT_STOMACH);
                hitFrame = f;
            }
        }
    }
    if (hitFrame >= 0) m_energy -= GetDamage(hitFrame);
}

void Karateka::ThinkWalkingToPlace() {
    switch (m_move) {
        case MOVE_DAZED_BACK:
        case MOVE_DOWN_BACK:
            SetMove(MOVE_GET_UP_FRONT);
            return;
        case MOVE_DAZED_FRONT:
        case MOVE_DOWN_FRONT:
            SetMove(MOVE_GET_UP_BACK);
            return;
        case MOVE_DAZED_STOMACH:
        case MOVE_DOWN_STOMACH:
            SetMove(MOVE_GET_UP_STOMACH);
            return;
        case MOVE_NONE:
        case MOVE_STANCE:
        case MOVE_WALK_FORWARD:
        case MOVE_WALK_BACKWARD:
            break;
        default:
            return;  // busy with another move
    }
    const int facing = GetFacing();
    if (std::fabs(m_x - m_targetX) < kPlaceTolerance) {
        if (facing == m_targetFacing) {
            SetMove(MOVE_STANCE);
            m_mode = MODE_READY;
        } else {
            SetMove(MOVE_TURN);
        }
        return;
    }
    const bool placeAhead = m_targetX - kPlaceTolerance > m_x;   // towards +x
    const bool placeBehind = m_targetX + kPlaceTolerance < m_x;  // towards -x
    if (placeAhead && facing == 1 && m_move != MOVE_WALK_BACKWARD)
        SetMove(MOVE_WALK_BACKWARD);
    else if (placeAhead && facing == 0 && m_move != MOVE_WALK_FORWARD)
        SetMove(MOVE_WALK_FORWARD);
    else if (placeBehind && facing == 0 && m_move != MOVE_WALK_BACKWARD)
        SetMove(MOVE_WALK_BACKWARD);
    else if (placeBehind && facing == 1 && m_move != MOVE_WALK_FORWARD)
        SetMove(MOVE_WALK_FORWARD);
}

void Karateka::Think() {
    if (m_mode == MODE_READY) {
        SetMove(MOVE_STANCE);
        return;
    }
    if (m_mode == MODE_WALK_TO_PLACE) {
        ThinkWalkingToPlace();
        return;
    }
    FindNearest();
    const float nearestDistance = m_nearest >= 0 ? m_distances[static_cast<size_t>(m_nearest)] : 0.0f;
    if ((m_move == MOVE_WALK_FORWARD || m_move == MOVE_WALK_BACKWARD) && m_nearest >= 0 &&
        std::fabs(nearestDistance) < 1.0f && Rand01() < 0.1f)
        m_thinkTimer = 0.0f;
    if (m_thinkTimer > 0.0f) return;

    // Moods drift with the fighter's caution.
    if (m_mode == MODE_PASSIVE) {
        if (Rand01() < 0.005f) m_mode = Rand01() < m_caution ? MODE_CAUTIOUS : MODE_AGGRESSIVE;
    } else if (m_mode == MODE_CAUTIOUS) {
        if (Rand01() < 0.03f) m_mode = m_caution * 0.1f > Rand01() ? MODE_PASSIVE : MODE_AGGRESSIVE;
    } else if (m_mode == MODE_AGGRESSIVE) {
        if (Rand01() < 0.02f) m_mode = Rand01() < m_caution ? MODE_CAUTIOUS : MODE_AGGRESSIVE;
    }
    if (m_mode == MODE_PASSIVE) {
        SetMove(MOVE_STANCE);
        return;
    }

    // An attack coming this way: counter it or get out of the way.
    for (size_t i = 0; i < m_opponents.size(); ++i) {
        const Karateka* opponent = m_opponents[i];
        const int move = opponent->m_move;
        if (opponent->IsHit() || move < MOVE_FIRST_ATTACK || move > MOVE_LAST_ATTACK) continue;
        float s = opponent->GetFacing() == 1 ? -1.0f : 1.0f;
        if (move == 17 || move == 18 || move == 21) s = -s;
        int counter;
        if (IsOneOf(move, {11, 16, 18, 20}))
            counter = MOVE_JUMP;
        else if (IsOneOf(move, {12, 17, 19, 21, 22}))
            counter = MOVE_BLOCK;
        else
            counter = m_distances[i] <= 0.0f ? 18 : (Rand01() < 0.5f ? 16 : 20);
        const float d = (m_x - opponent->m_x) * s;
        if (d >= 0.0f && d < kReactDistance) {
            if (m_mode == MODE_AGGRESSIVE)
                SetMove(counter);
            else
                SetMove(Rand01() < 0.5f ? MOVE_BACK_FLIP : MOVE_TURN_AWAY);
            return;
        }
    }

    if (m_mode == MODE_AGGRESSIVE) {
        if (m_nearest >= 0 && std::fabs(nearestDistance) < 1.5f && Rand01() < 0.25f) {
            static const int kShuffle[6] = {MOVE_WALK_BACKWARD, MOVE_WALK_BACKWARD, MOVE_WALK_BACKWARD,
                                            MOVE_WALK_FORWARD,  MOVE_BACK_FLIP,     MOVE_TURN_AWAY};
            SetMove(kShuffle[RandomNext() % 6]);
            return;
        }
        for (int m = MOVE_FIRST_ATTACK; m <= MOVE_LAST_ATTACK; ++m) {
            float reachX, reachY;
            GetReach(m, reachX, reachY);
            int inReach = 0;
            for (size_t i = 0; i < m_opponents.size(); ++i)
                if (!m_opponents[i]->IsHit() && std::fabs(reachX - m_distances[i]) < 0.4f) ++inReach;
            if (inReach >= 2 || (inReach == 1 && Rand01() < 0.09090909f)) {
                SetMove(m);
                return;
            }
        }
    }

    if (m_nearest < 0) {
        SetMove(MOVE_STANCE);
    } else if (std::fabs(nearestDistance) < 0.5f) {
        static const int kClose[6] = {MOVE_BACK_FLIP,     MOVE_TURN_AWAY, MOVE_WALK_FORWARD,
                                      MOVE_WALK_BACKWARD, MOVE_STANCE,    MOVE_STANCE};
        SetMove(kClose[RandomNext() % 6]);
    } else if (nearestDistance < -0.5f) {
        SetMove(MOVE_TURN);
    } else if (m_mode == MODE_AGGRESSIVE) {
        SetMove(MOVE_WALK_FORWARD);
    } else if (m_mode == MODE_CAUTIOUS) {
        SetMove(nearestDistance < 2.0f ? MOVE_WALK_BACKWARD : MOVE_STANCE);
    }
}

void Karateka::Update(float time, float dt) {
    m_thinkTimer -= dt;
    m_idleTimer = m_mode == MODE_PASSIVE ? m_idleTimer + dt : 0.0f;
    if (m_idleTimer > kIdleLimit) {
        m_idleTimer = 0.0f;
        SetMove(MOVE_PANTS_DOWN);
        if (m_mode == MODE_PASSIVE) m_mode = MODE_CAUTIOUS;
    }
    m_caution =
        std::sin((m_r1 + 1.0f) * time * 0.0329f) * std::sin((m_r2 + 1.0f) * time * 0.0517f) * 0.25f + 0.5f;

    if (!IsFinished()) {
        m_thinkTimer = Rand01() + kStepTime;
        m_frameAccumulator += dt;
        while (m_frameAccumulator >= kStepTime && !IsFinished()) {
            Step();
            m_frameAccumulator -= kStepTime;
        }
        if (IsFinished()) {
            switch (m_move) {
                case MOVE_STANCE:
                case MOVE_TURN:
                case MOVE_WALK_FORWARD:
                case MOVE_WALK_BACKWARD:
                    m_thinkTimer = 0.0f;
                    break;
                case MOVE_TURN_AWAY:
                    SetMove(MOVE_BACK_FLIP);
                    break;
                case MOVE_HIT_BACK:
                    SetMove(MOVE_DAZED_BACK);
                    break;
                case MOVE_HIT_FRONT:
                    SetMove(MOVE_DAZED_FRONT);
                    break;
                case MOVE_HIT_STOMACH:
                    SetMove(MOVE_DAZED_STOMACH);
                    break;
                case MOVE_DAZED_BACK:
                    SetMove(m_energy <= 0.0f ? MOVE_DOWN_BACK : MOVE_GET_UP_FRONT);
                    break;
                case MOVE_DAZED_FRONT:
                    SetMove(m_energy <= 0.0f ? MOVE_DOWN_FRONT : MOVE_GET_UP_BACK);
                    break;
                case MOVE_DAZED_STOMACH:
                    SetMove(m_energy <= 0.0f ? MOVE_DOWN_STOMACH : MOVE_GET_UP_STOMACH);
                    break;
                default:
                    break;
            }
            if (IsFinished()) {
                m_move = MOVE_NONE;
                SetFrame(0);
            }
        }
    }

    float speed = 0.0f;
    if (m_move == MOVE_WALK_FORWARD) speed = kWalkSpeed;
    if (m_move == MOVE_WALK_BACKWARD) speed = -kWalkSpeed;
    if (m_move == MOVE_BACK_FLIP) speed = -kFlipSpeed;
    m_x += GetFacing() == 1 ? -speed * dt : speed * dt;

    const float left = m_fight->GetLeft(), right = m_fight->GetRight(), margin = m_fight->GetMargin();
    if ((m_mode == MODE_PASSIVE || m_mode == MODE_CAUTIOUS) && (m_x > right - margin || m_x < left + margin))
        m_mode = MODE_AGGRESSIVE;
    const float clamped = std::clamp(m_x, left, right);
    if (clamped != m_x) {
        m_x = clamped;
        if (m_move == MOVE_WALK_FORWARD || m_move == MOVE_WALK_BACKWARD) SetMove(MOVE_NONE);
    }
    PlaceNode();
}

void Karateka::PlaceNode() {
    // Facing -x the sprite is turned round; it stands at (x, 0, z) of the fight either way.
    Orientation& orientation = GetOrientation();
    orientation.ResetRotation();
    orientation.SetRotationHPB(GetFacing() == 1 ? -kPi : 0.0f, 0.0f, 0.0f);
    orientation.SetPosition(m_x, 0.0f, m_z);
}
