#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "show/BlockSpriteNode.h"

class KarateFight;

// One self-playing fighter: a block sprite that walks, attacks, blocks, gets hit, falls and
// gets up by simple random rules. Positions are along the fight's ring (x) with a little depth
// (z), in the fight's space; one sprite pixel is 0.03 units.
class Karateka : public BlockSpriteNode {
public:
    enum Mode {
        MODE_PASSIVE = 0,
        MODE_CAUTIOUS = 1,
        MODE_AGGRESSIVE = 2,
        MODE_WALK_TO_PLACE = 3,
        MODE_READY = 4,
    };
    enum Move {
        MOVE_NONE = 0,
        MOVE_STANCE = 1,
        MOVE_TURN = 3,
        MOVE_WALK_FORWARD = 4,
        MOVE_WALK_BACKWARD = 5,
        MOVE_BACK_FLIP = 6,
        MOVE_TURN_AWAY = 7,
        MOVE_BLOCK = 8,
        MOVE_JUMP = 9,
        MOVE_FIRST_ATTACK = 11,  // low kick
        MOVE_LAST_ATTACK = 22,   // headbutt
        MOVE_PANTS_DOWN = 24,
        MOVE_HIT_BACK = 25,
        MOVE_HIT_FRONT = 26,
        MOVE_HIT_STOMACH = 27,
        MOVE_DAZED_BACK = 28,
        MOVE_DAZED_FRONT = 29,
        MOVE_DAZED_STOMACH = 30,
        MOVE_GET_UP_FRONT = 31,
        MOVE_GET_UP_BACK = 32,
        MOVE_GET_UP_STOMACH = 33,
        MOVE_DOWN_BACK = 34,
        MOVE_DOWN_FRONT = 35,
        MOVE_DOWN_STOMACH = 36,
    };
    static constexpr int kMaxOpponents = 32;
    static constexpr float kStepTime = 0.08f;
    static constexpr float kFullEnergy = 70.0f;

    Karateka(KarateFight* fight, GeomBlockSprite* geometry);

    // Opponents are kept in the order they were added; beyond kMaxOpponents they are ignored.
    void AddOpponent(Karateka* opponent);
    void SetMove(int move);
    void ResetForFight();
    void StartFight();
    // Walk to x and face that way (facing 1: towards -x).
    void PlaceAt(float x, int facing);
    void FindNearest();
    // The fighter as victim: whether an opponent's attack frame reaches its silhouette.
    void CheckHits();
    void Think();
    using Node::Update;
    void Update(float time, float dt);

    bool IsReady() const { return m_mode == MODE_READY; }
    bool IsDown() const { return m_move >= MOVE_DOWN_BACK && m_move <= MOVE_DOWN_STOMACH; }
    // Being hit, dazed, getting up or down: not attackable, not a target, not standing.
    bool IsHit() const { return m_move >= MOVE_HIT_BACK && m_move <= MOVE_DOWN_STOMACH; }

    // Attack reach of a move in ring units: (x along the attacker's facing, height).
    static void GetReach(int move, float& x, float& y);
    // Energy an attack frame takes; 0 for a frame that hurts nobody.
    static float GetDamage(int frame);

    int GetMove() const { return m_move; }
    int GetMode() const { return m_mode; }
    void SetMode(int mode) { m_mode = mode; }
    float GetX() const { return m_x; }
    void SetX(float x) { m_x = x; }
    float GetZ() const { return m_z; }
    void SetZ(float z) { m_z = z; }
    // 0: facing +x, 1: facing -x (the sprite's mirrored flag).
    int GetFacing() const { return IsMirrored() ? 1 : 0; }
    void SetFacing(int facing) { SetMirrored(facing != 0); }
    float GetEnergy() const { return m_energy; }
    void SetEnergy(float energy) { m_energy = energy; }
    float GetCaution() const { return m_caution; }
    float GetTargetX() const { return m_targetX; }
    int GetTargetFacing() const { return m_targetFacing; }
    float GetThinkTimer() const { return m_thinkTimer; }
    void SetThinkTimer(float seconds) { m_thinkTimer = seconds; }
    int GetNearest() const { return m_nearest; }
    const std::vector<Karateka*>& GetOpponents() const { return m_opponents; }
    float GetDistance(int opponent) const { return m_distances[static_cast<size_t>(opponent)]; }

private:
    void ThinkWalkingToPlace();
    bool HitsMe(float x, float y) const;
    void PlaceNode();

    KarateFight* m_fight;
    std::vector<Karateka*> m_opponents;
    std::vector<float> m_distances;
    int m_nearest = -1;
    float m_x = 0.0f;
    float m_z = 0.0f;
    float m_targetX = 0.0f;
    int m_targetFacing = 0;
    float m_energy = kFullEnergy;
    float m_caution = 0.5f;
    float m_r1 = 0.0f;
    float m_r2 = 0.0f;
    int m_mode = MODE_PASSIVE;
    int m_move = MOVE_NONE;
    float m_frameAccumulator = 0.0f;
    float m_thinkTimer = 0.0f;
    float m_idleTimer = 0.0f;
};
