#pragma once

// Measures of the modelled home-computer hardware that its scenes rely on: where cables leave
// and enter each device and how much room each takes. Object coordinates as the files store
// them: metres, y up, the front of each device towards -z, standing on y = 0.
namespace HardwareLayout {

struct Point {
    float x, y, z;
};

// Half sizes of each device's footprint (x, z) and its height.
struct Extent {
    float halfWidth, height, halfDepth;
};

constexpr Extent kComputer = {0.202f, 0.070f, 0.108f};
constexpr Extent kMonitor = {0.180f, 0.352f, 0.205f};
constexpr Extent kTapeUnit = {0.095f, 0.056f, 0.080f};
constexpr Extent kPowerSupply = {0.065f, 0.050f, 0.0425f};
constexpr Extent kJoystick = {0.045f, 0.150f, 0.045f};

// Sockets on the computer: power and joystick on the right side, video and tape at the back.
constexpr Point kComputerPower = {0.212f, 0.028f, 0.075f};
constexpr Point kComputerJoystick = {0.212f, 0.028f, -0.020f};
constexpr Point kComputerVideo = {0.000f, 0.035f, 0.118f};
constexpr Point kComputerTape = {-0.140f, 0.025f, 0.118f};

// The monitor's inputs (picture, colour, sound) and its mains lead, all at the back.
constexpr Point kMonitorLuma = {0.060f, 0.100f, 0.228f};
constexpr Point kMonitorChroma = {0.085f, 0.100f, 0.228f};
constexpr Point kMonitorAudio = {0.110f, 0.100f, 0.228f};
constexpr Point kMonitorMains = {-0.090f, 0.070f, 0.232f};

// Where the cables come out of their strain reliefs.
constexpr Point kTapeCable = {0.122f, 0.018f, 0.050f};
constexpr Point kPowerSupplyOut = {-0.092f, 0.020f, 0.000f};
constexpr Point kPowerSupplyMains = {0.088f, 0.022f, 0.000f};
constexpr Point kJoystickCable = {0.000f, 0.012f, 0.072f};

}  // namespace HardwareLayout
