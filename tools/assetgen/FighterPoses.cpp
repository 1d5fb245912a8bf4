#include "FighterPoses.h"

namespace FighterPoses {

namespace {

// Standing feet have their ankles this high, so the soles rest on the row above the outline.
constexpr float kAnkle = 3.0f;

Limb Foot(float x, float y = kAnkle, float angle = 90.0f) {
    return Reach(x, y, 1, 0.0f, angle);
}

// Fists held up in front of the chest and chin.
void Guard(Pose& p) {
    p.farArm = Angles(50.0f, 128.0f);
    p.nearArm = Angles(22.0f, 158.0f);
}

Pose Stance() {
    Pose p;
    p.hip = {-1.0f, 27.0f};
    p.lean = 6.0f;
    p.tilt = -4.0f;
    p.farLeg = Foot(9.0f);
    p.nearLeg = Foot(-10.0f);
    Guard(p);
    return p;
}

Pose Airborne(float lift) {
    Pose p;
    p.grounded = true;
    p.lift = lift;
    p.hip = {0.0f, 40.0f};
    return p;
}

// The walk is a step-together-step shuffle: the rear foot catches up with the front one, then
// the front foot steps out again, so the cycle starts and ends in the stance.
Pose Walk(int step) {
    struct Step {
        float nearX, nearY, farX, farY, hipX, hipY;
    };
    const Step steps[5] = {
        {-6.0f, 7.0f, 5.0f, 3.0f, -1.0f, 27.5f}, {0.0f, 8.0f, 1.0f, 3.0f, 0.0f, 28.5f},
        {3.0f, 3.0f, -3.0f, 3.6f, 0.0f, 28.5f},  {-2.0f, 3.0f, 3.0f, 8.0f, 1.0f, 28.5f},
        {-6.0f, 3.0f, 8.0f, 7.0f, 1.0f, 27.5f},
    };
    const Step& s = steps[step];
    Pose p = Stance();
    p.hip = {s.hipX, s.hipY};
    p.nearLeg = Foot(s.nearX, s.nearY, s.nearY > kAnkle + 1.0f ? 70.0f : 90.0f);
    p.farLeg = Foot(s.farX, s.farY, s.farY > kAnkle + 1.0f ? 70.0f : 90.0f);
    p.farArm = Angles(50.0f + (step % 2) * 6.0f, 128.0f);
    return p;
}

Pose Kicking(float hipX, float hipY, float lean, float supportX) {
    Pose p = Stance();
    p.hip = {hipX, hipY};
    p.lean = lean;
    p.tilt = -lean * 0.6f;
    p.farLeg = Foot(supportX);
    return p;
}

Pose Tuck(float spin, float lift) {
    Pose p = Airborne(lift);
    p.spin = spin;
    p.lean = 10.0f;
    p.tilt = 10.0f;
    p.nearLeg = Angles(115.0f, -5.0f, 40.0f);
    p.farLeg = Angles(105.0f, -15.0f, 40.0f);
    p.nearArm = Angles(95.0f, 40.0f);
    p.farArm = Angles(85.0f, 30.0f);
    return p;
}

Pose Crouch(float hipX, float hipY, float lean) {
    Pose p = Stance();
    p.hip = {hipX, hipY};
    p.lean = lean;
    p.tilt = -lean * 0.5f;
    p.nearLeg = Foot(hipX - 5.0f);
    p.farLeg = Foot(hipX + 6.0f);
    return p;
}

// Lying on the ground: the standing rig turned a quarter, face down (-90) or on the back (+90).
Pose Lying(float spin, int phase) {
    Pose p = Airborne(0.0f);
    p.spin = spin;
    if (spin < 0.0f) {  // face down, head forward
        p.nearArm = Angles(165.0f, 175.0f);
        p.farArm = Angles(150.0f, 170.0f);
        p.nearLeg = Angles(-4.0f, phase % 2 ? -40.0f : -8.0f);
        p.farLeg = Angles(2.0f, phase % 2 ? -5.0f : -35.0f);
        p.tilt = phase % 2 ? -25.0f : -10.0f;
    } else {  // on the back, head behind
        p.nearArm = Angles(170.0f, 178.0f);
        p.farArm = Angles(-25.0f, phase % 2 ? -60.0f : -15.0f);
        p.nearLeg = Angles(phase % 2 ? 40.0f : 10.0f, phase % 2 ? -20.0f : 5.0f, 150.0f);
        p.farLeg = Angles(phase % 2 ? 5.0f : 35.0f, phase % 2 ? 5.0f : -25.0f, 150.0f);
        p.tilt = phase % 2 ? 15.0f : 0.0f;
    }
    p.dazed = phase;
    return p;
}

// Curled up on the side, hugging the stomach.
Pose Curled(int phase) {
    Pose p = Airborne(0.0f);
    p.spin = 72.0f + (phase % 2 ? 10.0f : 0.0f);
    p.lean = 25.0f;
    p.tilt = 20.0f;
    p.nearLeg = Angles(110.0f, 0.0f, 60.0f);
    p.farLeg = Angles(95.0f, -10.0f, 60.0f);
    p.nearArm = Angles(40.0f, 120.0f);
    p.farArm = Angles(30.0f, 110.0f);
    p.eyesShut = true;
    p.dazed = phase;
    return p;
}

Pose Pose0(int frame) {
    switch (frame) {
        case 0:
            return Stance();
        case 1:
        case 2:
        case 3:
        case 4:
        case 5:
            return Walk(frame - 1);
        case 6: {  // low kick chamber
            Pose p = Kicking(0.0f, 28.0f, -4.0f, -1.0f);
            p.nearLeg = Angles(65.0f, -15.0f, 60.0f);
            return p;
        }
        case 7: {
            Pose p = Kicking(2.0f, 28.0f, -8.0f, -1.0f);
            p.nearLeg = Kick(27.0f, 12.0f);
            return p;
        }
        case 8: {
            Pose p = Kicking(0.0f, 28.5f, -6.0f, -2.0f);
            p.nearLeg = Angles(100.0f, 8.0f, 60.0f);
            return p;
        }
        case 9: {
            Pose p = Kicking(3.0f, 29.0f, -14.0f, -2.0f);
            p.nearLeg = Kick(29.0f, 34.0f);
            p.nearArm = Angles(-35.0f, 20.0f);
            return p;
        }
        case 10: {
            Pose p = Kicking(0.0f, 29.0f, -12.0f, -3.0f);
            p.nearLeg = Angles(140.0f, 40.0f, 100.0f);
            return p;
        }
        case 11: {
            Pose p = Kicking(4.0f, 29.5f, -25.0f, -2.0f);
            p.tilt = 18.0f;
            p.nearLeg = Kick(27.0f, 48.0f);
            p.nearArm = Angles(-45.0f, 10.0f);
            return p;
        }
        case 12: {  // double kick: crouch, tuck, split in the air, land
            Pose p = Crouch(0.0f, 21.0f, 20.0f);
            p.nearArm = Angles(-50.0f, -30.0f);
            p.farArm = Angles(-40.0f, -20.0f);
            return p;
        }
        case 13: {
            Pose p = Airborne(10.0f);
            p.nearLeg = Angles(60.0f, -30.0f, 50.0f);
            p.farLeg = Angles(100.0f, 10.0f, 60.0f);
            p.nearArm = Angles(150.0f, 160.0f);
            p.farArm = Angles(140.0f, 165.0f);
            return p;
        }
        case 14: {
            Pose p;
            p.hip = {0.0f, 46.0f};
            p.nearLeg = Kick(35.0f, 46.0f);
            p.farLeg = Kick(-35.0f, 46.0f);
            p.nearArm = Angles(115.0f, 150.0f);
            p.farArm = Angles(-115.0f, -150.0f);
            p.tilt = 5.0f;
            return p;
        }
        case 15: {
            Pose p = Airborne(6.0f);
            p.nearLeg = Angles(50.0f, 20.0f, 40.0f);
            p.farLeg = Angles(-35.0f, -20.0f, 20.0f);
            p.nearArm = Angles(100.0f, 130.0f);
            p.farArm = Angles(-80.0f, -100.0f);
            return p;
        }
        case 16: {  // headbutt: rear back, lunge, strike with the forehead
            Pose p = Stance();
            p.hip = {-2.0f, 27.0f};
            p.lean = -18.0f;
            p.tilt = -10.0f;
            p.nearArm = Angles(-30.0f, 20.0f);
            p.farArm = Angles(-20.0f, 30.0f);
            return p;
        }
        case 17: {
            Pose p = Stance();
            p.hip = {8.0f, 26.0f};
            p.lean = 20.0f;
            p.nearLeg = Foot(-6.0f);
            p.farLeg = Foot(20.0f);
            p.nearArm = Angles(-60.0f, -40.0f);
            p.farArm = Angles(-50.0f, -30.0f);
            return p;
        }
        case 18: {
            Pose p = Stance();
            p.hip = {18.0f, 27.6f};
            p.lean = 35.0f;
            p.tilt = 0.0f;
            p.nearLeg = Foot(6.0f);
            p.farLeg = Foot(30.0f);
            p.nearArm = Angles(-75.0f, -55.0f);
            p.farArm = Angles(-65.0f, -45.0f);
            return p;
        }
        case 19: {  // block: both forearms up before the face
            Pose p = Stance();
            p.hip = {-2.0f, 26.0f};
            p.lean = -3.0f;
            p.farArm = Angles(65.0f, 172.0f);
            p.nearArm = Angles(85.0f, 160.0f);
            return p;
        }
        case 20: {  // back flip: crouch, take off, a full turn tucked, land
            Pose p = Crouch(-2.0f, 21.0f, 25.0f);
            p.nearArm = Angles(-40.0f, -20.0f);
            p.farArm = Angles(-30.0f, -10.0f);
            return p;
        }
        case 21: {
            Pose p = Airborne(5.0f);
            p.spin = 20.0f;
            p.lean = -10.0f;
            p.tilt = -10.0f;
            p.nearLeg = Angles(-5.0f, -5.0f, 20.0f);
            p.farLeg = Angles(0.0f, 0.0f, 20.0f);
            p.nearArm = Angles(170.0f, 175.0f);
            p.farArm = Angles(160.0f, 170.0f);
            return p;
        }
        case 22:
            return Tuck(75.0f, 18.0f);
        case 23:
            return Tuck(130.0f, 26.0f);
        case 24:
            return Tuck(185.0f, 28.0f);
        case 25:
            return Tuck(235.0f, 26.0f);
        case 26:
            return Tuck(290.0f, 18.0f);
        case 27: {
            Pose p = Airborne(6.0f);
            p.spin = 335.0f;
            p.nearLeg = Angles(15.0f, 0.0f, 70.0f);
            p.farLeg = Angles(8.0f, -5.0f, 70.0f);
            p.nearArm = Angles(150.0f, 170.0f);
            p.farArm = Angles(140.0f, 160.0f);
            return p;
        }
        case 28: {
            Pose p = Crouch(1.0f, 22.0f, 20.0f);
            p.nearArm = Angles(80.0f, 100.0f);
            p.farArm = Angles(70.0f, 95.0f);
            return p;
        }
        case 29: {  // jump: crouch, rise, top
            Pose p = Crouch(0.0f, 21.0f, 18.0f);
            p.nearArm = Angles(-30.0f, -10.0f);
            p.farArm = Angles(-20.0f, 0.0f);
            return p;
        }
        case 30: {
            Pose p = Airborne(8.0f);
            p.nearLeg = Angles(-5.0f, -10.0f, 10.0f);
            p.farLeg = Angles(5.0f, -5.0f, 10.0f);
            p.nearArm = Angles(160.0f, 170.0f);
            p.farArm = Angles(150.0f, 165.0f);
            return p;
        }
        case 31: {
            Pose p = Airborne(22.0f);
            p.nearLeg = Angles(95.0f, 0.0f, 60.0f);
            p.farLeg = Angles(85.0f, -10.0f, 60.0f);
            Guard(p);
            return p;
        }
        case 32: {  // high fist: wind up, lunge
            Pose p = Stance();
            p.hip = {2.0f, 26.0f};
            p.lean = 5.0f;
            p.nearLeg = Foot(-9.0f);
            p.farLeg = Foot(12.0f);
            p.nearArm = Angles(-35.0f, 100.0f);
            p.farArm = Angles(80.0f, 95.0f);
            return p;
        }
        case 33: {
            Pose p = Stance();
            p.hip = {9.5f, 25.0f};
            p.lean = 15.0f;
            p.tilt = -10.0f;
            p.nearLeg = Foot(-6.0f);
            p.farLeg = Foot(21.0f);
            p.nearArm = Reach(33.0f, 42.0f, -1, 1.4f);
            p.farArm = Angles(-20.0f, 140.0f);
            return p;
        }
        case 34: {  // kneel fist: drop to a knee, punch low
            Pose p = Stance();
            p.hip = {6.0f, 17.5f};
            p.lean = 15.0f;
            p.tilt = -10.0f;
            p.nearLeg = Angles(-25.0f, -90.0f, 180.0f);
            p.farLeg = Foot(17.0f);
            p.nearArm = Angles(-30.0f, 90.0f);
            p.farArm = Angles(60.0f, 120.0f);
            return p;
        }
        case 35: {
            Pose p = Stance();
            p.hip = {14.0f, 17.5f};
            p.lean = 30.0f;
            p.tilt = -25.0f;
            p.nearLeg = Angles(-25.0f, -90.0f, 180.0f);
            p.farLeg = Foot(26.0f);
            p.nearArm = Reach(41.0f, 24.0f, -1, 1.4f);
            p.farArm = Angles(-30.0f, 120.0f);
            return p;
        }
        case 36: {  // flying side kick
            Pose p;
            p.hip = {11.0f, 46.0f};
            p.lean = -25.0f;
            p.tilt = 20.0f;
            p.nearLeg = Kick(39.0f, 48.0f);
            p.farLeg = Angles(60.0f, -60.0f, 30.0f);
            p.farArm = Angles(60.0f, 130.0f);
            p.nearArm = Angles(-60.0f, -20.0f);
            return p;
        }
        case 37: {  // kneel kick: drop low, sweep along the floor
            Pose p = Stance();
            p.hip = {3.0f, 15.0f};
            p.lean = 35.0f;
            p.tilt = -20.0f;
            p.farLeg = Foot(8.0f);
            p.nearLeg = Angles(-30.0f, -100.0f, 180.0f);
            p.farArm = Reach(16.0f, 3.0f, -1, 1.4f);
            p.nearArm = Angles(40.0f, 120.0f);
            return p;
        }
        case 38: {
            Pose p;
            p.hip = {20.0f, 9.0f};
            p.lean = -60.0f;
            p.tilt = 35.0f;
            p.nearLeg = Kick(51.0f, 4.0f);
            p.farLeg = Angles(120.0f, -60.0f, 40.0f);
            p.farArm = Reach(2.0f, 3.0f, 1, 1.4f);
            p.nearArm = Angles(70.0f, 100.0f);
            return p;
        }
        case 39: {  // pants down: trousers drop to the knees
            Pose p;
            p.hip = {0.0f, 29.5f};
            p.tilt = 20.0f;
            p.nearLeg = Foot(3.0f);
            p.farLeg = Foot(-3.0f);
            p.nearArm = Angles(40.0f, 80.0f);
            p.farArm = Angles(-35.0f, -20.0f);
            p.trousers = 1;
            p.mouthOpen = true;
            return p;
        }
        case 40: {
            Pose p;
            p.hip = {0.0f, 29.0f};
            p.lean = 8.0f;
            p.tilt = 15.0f;
            p.nearLeg = Foot(3.0f);
            p.farLeg = Foot(-2.0f);
            p.nearArm = Reach(7.0f, 22.0f, -1, 1.4f);
            p.farArm = Reach(6.0f, 24.0f, -1, 1.4f);
            p.trousers = 2;
            p.blush = true;
            return p;
        }
        case 41: {
            Pose p;
            p.hip = {-5.0f, 26.0f};
            p.lean = 70.0f;
            p.tilt = -30.0f;
            p.nearLeg = Foot(2.0f);
            p.farLeg = Foot(-2.0f);
            p.nearArm = Reach(4.0f, 7.0f, -1, 1.4f);
            p.farArm = Reach(2.0f, 7.0f, -1, 1.4f);
            p.trousers = 2;
            p.blush = true;
            return p;
        }
        case 42: {  // round kick: spin through the back view, come round facing the other way
            Pose p = Stance();
            p.turn = 0.55f;
            p.hip = {0.0f, 27.0f};
            p.nearLeg = Foot(-4.0f);
            p.farLeg = Foot(6.0f);
            return p;
        }
        case 43: {
            Pose p = Stance();
            p.turn = 1.0f;
            p.hip = {0.0f, 28.0f};
            p.lean = 0.0f;
            p.nearLeg = Angles(70.0f, -10.0f, 60.0f);
            p.farLeg = Foot(-3.0f);
            p.nearArm = Angles(40.0f, 150.0f);
            p.farArm = Angles(-40.0f, -150.0f);
            return p;
        }
        case 44: {
            Pose p = Kicking(0.0f, 29.0f, -12.0f, -3.0f);
            p.nearLeg = Angles(125.0f, 50.0f, 100.0f);
            p.mirror = true;
            return p;
        }
        case 45: {  // turn: seen from behind
            Pose p;
            p.turn = 1.0f;
            p.hip = {0.0f, 29.0f};
            p.nearLeg = Foot(5.0f);
            p.farLeg = Foot(-5.0f);
            p.nearArm = Angles(18.0f, 8.0f);
            p.farArm = Angles(-18.0f, -8.0f);
            return p;
        }
        case 46: {  // hit in the stomach: double over, sink to the knees, curl up
            Pose p = Stance();
            p.hip = {-3.0f, 26.0f};
            p.lean = 50.0f;
            p.tilt = 15.0f;
            p.nearLeg = Foot(-9.0f);
            p.farLeg = Foot(5.0f);
            p.nearArm = Reach(5.0f, 27.0f, -1, 1.4f);
            p.farArm = Reach(3.0f, 25.0f, -1, 1.4f);
            p.mouthOpen = true;
            return p;
        }
        case 47: {
            Pose p;
            p.hip = {-2.0f, 17.5f};
            p.lean = 60.0f;
            p.tilt = 20.0f;
            p.nearLeg = Angles(25.0f, -90.0f, 180.0f);
            p.farLeg = Angles(20.0f, -95.0f, 180.0f);
            p.nearArm = Reach(6.0f, 20.0f, -1, 1.4f);
            p.farArm = Reach(4.0f, 18.0f, -1, 1.4f);
            p.mouthOpen = true;
            return p;
        }
        case 48: {
            Pose p = Curled(-1);
            p.spin = 35.0f;
            p.dazed = -1;
            return p;
        }
        case 49:
        case 50:
        case 51:
        case 52:
            return Curled(frame - 49);
        case 53: {  // hit in the back: jolt, stumble forward, fall on the face
            Pose p = Stance();
            p.hip = {2.0f, 27.0f};
            p.lean = -15.0f;
            p.tilt = -25.0f;
            p.nearLeg = Foot(-8.0f);
            p.farLeg = Foot(8.0f, 4.0f);
            p.nearArm = Angles(-60.0f, -80.0f);
            p.farArm = Angles(-50.0f, -70.0f);
            p.mouthOpen = true;
            return p;
        }
        case 54: {
            Pose p = Airborne(0.0f);
            p.spin = -30.0f;
            p.lean = 10.0f;
            p.nearLeg = Angles(-30.0f, -50.0f);
            p.farLeg = Angles(15.0f, 5.0f);
            p.nearArm = Angles(120.0f, 150.0f);
            p.farArm = Angles(70.0f, 100.0f);
            p.mouthOpen = true;
            return p;
        }
        case 55: {
            Pose p = Airborne(0.0f);
            p.spin = -70.0f;
            p.nearLeg = Angles(-10.0f, -30.0f);
            p.farLeg = Angles(5.0f, -5.0f);
            p.nearArm = Angles(170.0f, 175.0f);
            p.farArm = Angles(150.0f, 160.0f);
            return p;
        }
        case 56:
        case 57:
        case 58:
        case 59:
            return Lying(-90.0f, frame - 56);
        case 60: {  // hit in the front: recoil, fall backwards, land on the back
            Pose p = Stance();
            p.hip = {-3.0f, 27.0f};
            p.lean = -25.0f;
            p.tilt = -20.0f;
            p.nearLeg = Foot(-10.0f);
            p.farLeg = Foot(6.0f, 5.0f);
            p.nearArm = Angles(100.0f, 140.0f);
            p.farArm = Angles(130.0f, 170.0f);
            p.mouthOpen = true;
            return p;
        }
        case 61: {
            Pose p = Airborne(0.0f);
            p.spin = 35.0f;
            p.nearLeg = Angles(30.0f, 20.0f);
            p.farLeg = Angles(10.0f, 0.0f);
            p.nearArm = Angles(90.0f, 120.0f);
            p.farArm = Angles(110.0f, 150.0f);
            p.mouthOpen = true;
            return p;
        }
        case 62: {
            Pose p = Airborne(0.0f);
            p.spin = 75.0f;
            p.nearLeg = Angles(60.0f, 80.0f, 160.0f);
            p.farLeg = Angles(40.0f, 60.0f, 160.0f);
            p.nearArm = Angles(-100.0f, -120.0f);
            p.farArm = Angles(-80.0f, -100.0f);
            return p;
        }
        case 63:
        case 64:
        case 65:
        case 66:
            return Lying(90.0f, frame - 63);
        case 67: {  // get up from the back: sit up, hug the knees, roll forward, kneel, rise
            Pose p;
            p.hip = {-4.0f, 8.0f};
            p.lean = -50.0f;
            p.tilt = 20.0f;
            p.nearLeg = Angles(88.0f, 90.0f, 170.0f);
            p.farLeg = Angles(80.0f, 95.0f, 170.0f);
            p.nearArm = Reach(-18.0f, 3.0f, 1, 1.4f);
            p.farArm = Reach(-16.0f, 3.0f, 1, 1.4f);
            return p;
        }
        case 68: {
            Pose p;
            p.hip = {-4.0f, 7.5f};
            p.lean = -5.0f;
            p.nearLeg = Foot(8.0f);
            p.farLeg = Foot(10.0f);
            p.nearArm = Reach(10.0f, 16.0f, -1, 1.4f);
            p.farArm = Reach(11.0f, 18.0f, -1, 1.4f);
            return p;
        }
        case 69: {
            Pose p = Crouch(-2.0f, 12.0f, 45.0f);
            p.nearLeg = Foot(-4.0f);
            p.farLeg = Foot(5.0f);
            p.nearArm = Reach(12.0f, 3.0f, -1, 1.4f);
            p.farArm = Reach(14.0f, 3.0f, -1, 1.4f);
            return p;
        }
        case 70: {
            Pose p;
            p.hip = {-2.0f, 17.5f};
            p.lean = 10.0f;
            p.nearLeg = Angles(-5.0f, -90.0f, 180.0f);
            p.farLeg = Foot(10.0f);
            p.farArm = Reach(9.0f, 18.0f, -1, 1.4f);
            p.nearArm = Angles(10.0f, 30.0f);
            return p;
        }
        case 71: {
            Pose p;
            p.hip = {-1.0f, 21.0f};
            p.lean = 20.0f;
            p.nearLeg = Foot(-9.0f, 4.0f, 60.0f);
            p.farLeg = Foot(8.0f);
            p.nearArm = Reach(7.0f, 20.0f, -1, 1.4f);
            p.farArm = Reach(9.0f, 21.0f, -1, 1.4f);
            return p;
        }
        case 72: {
            Pose p = Crouch(0.0f, 24.0f, 15.0f);
            p.nearLeg = Foot(-7.0f);
            p.farLeg = Foot(7.0f);
            p.nearArm = Angles(20.0f, 120.0f);
            p.farArm = Angles(40.0f, 110.0f);
            return p;
        }
        case 73: {  // get up from the face: on hands and knees, one foot up
            Pose p;
            p.hip = {-8.0f, 17.5f};
            p.lean = 80.0f;
            p.tilt = -40.0f;
            p.nearLeg = Angles(0.0f, -90.0f, 180.0f);
            p.farLeg = Angles(5.0f, -85.0f, 180.0f);
            p.nearArm = Reach(12.0f, 3.0f, -1, 1.4f);
            p.farArm = Reach(14.0f, 3.0f, -1, 1.4f);
            return p;
        }
        case 74: {
            Pose p;
            p.hip = {-2.0f, 17.5f};
            p.lean = 40.0f;
            p.tilt = -20.0f;
            p.nearLeg = Angles(-10.0f, -90.0f, 180.0f);
            p.farLeg = Foot(8.0f);
            p.nearArm = Reach(9.0f, 18.0f, -1, 1.4f);
            p.farArm = Reach(10.0f, 19.0f, -1, 1.4f);
            return p;
        }
        case 75: {
            Pose p = Curled(0);
            p.dazed = -1;
            return p;
        }
        case 76: {
            Pose p = Lying(-90.0f, 0);
            p.dazed = -1;
            p.eyesShut = true;
            return p;
        }
        case 77: {
            Pose p = Lying(90.0f, 0);
            p.dazed = -1;
            p.eyesShut = true;
            return p;
        }
        default:
            return Stance();
    }
}

}  // namespace

const char* FrameName(int frame) {
    return frame >= 0 && frame < kFrameCount ? FighterFrames::kNames[frame] : "";
}

Pose FramePose(int frame) {
    return Pose0(frame);
}

bool StrikePoint(int frame, Vec2& point) {
    switch (frame) {
        case 7:
            point = {27.0f, 12.0f};
            return true;
        case 9:
            point = {29.0f, 34.0f};
            return true;
        case 11:
            point = {27.0f, 48.0f};
            return true;
        case 14:
            point = {35.0f, 46.0f};
            return true;
        case 18:
            point = {31.0f, 46.0f};
            return true;
        case 33:
            point = {33.0f, 42.0f};
            return true;
        case 35:
            point = {41.0f, 24.0f};
            return true;
        case 36:
            point = {39.0f, 48.0f};
            return true;
        case 38:
            point = {51.0f, 4.0f};
            return true;
        default:
            return false;
    }
}

}  // namespace FighterPoses
