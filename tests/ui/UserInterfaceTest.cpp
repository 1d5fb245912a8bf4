#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "support/LogCapture.h"
#include "ui/IAppFramework.h"
#include "ui/UserInterfaceBase.h"

namespace {

// A front end without a window: frames are stepped by hand.
class HeadlessUserInterface : public UserInterfaceBase {
public:
    HeadlessUserInterface() : UserInterfaceBase(0, 0) {}
    bool Init(int*, char**, const char*) override { return true; }
    void Start(IAppFramework* framework) override { BeginLoop(framework, "HeadlessUserInterface"); }
    void Resize(int width, int height) {
        width_ = width;
        height_ = height;
    }
    int swaps = 0;

private:
    void SwapWindowBuffers() override { ++swaps; }
};

struct RecordingFramework : IAppFramework {
    bool Init() override { return true; }
    void Destroy() override {}
    void Update(float time, float dt) override {
        ++updates;
        lastTime = time;
        lastDt = dt;
        if (ui) pressedDuringUpdate = ui->WasKeyPressed('a');
    }
    void Render() override { ++renders; }
    void UpdateUpdateables() override {}
    void KeyReleased(unsigned char, int, int) override { ++released; }
    void KeyPressed(unsigned char key, int, int) override {
        ++pressed;
        // Visible to a death test's parent through stderr.
        std::fprintf(stderr, "framework saw key %d\n", key);
    }
    void MouseButton(int button, int state, int, int) override {
        lastButton = button;
        lastState = state;
    }
    void MouseDragged(int, int) override { ++drags; }
    void MouseMoved(int, int) override { ++moves; }

    IUserInterface* ui = nullptr;
    int updates = 0, renders = 0, pressed = 0, released = 0, drags = 0, moves = 0;
    int lastButton = -1, lastState = -1;
    float lastTime = -1.0f, lastDt = -1.0f;
    bool pressedDuringUpdate = false;
};

TEST(UserInterface, WindowTargetReportsSixteenByNine) {
    HeadlessUserInterface ui;
    EXPECT_FLOAT_EQ(ui.GetAspectRatio(), 1.7777778f);
    EXPECT_EQ(ui.GetFrameBuffer(), 0u);
    EXPECT_EQ(ui.GetColorTexture(), 0u);
    EXPECT_FALSE(ui.IsMouseButtonDown(3));
    EXPECT_FALSE(ui.IsMouseButtonDown(-1));
}

TEST(UserInterface, KeyPressedLastsExactlyOneUpdate) {
    HeadlessUserInterface ui;
    RecordingFramework fw;
    fw.ui = &ui;
    ui.Start(&fw);
    ui.HandleKeyDown('a', 1, 2);
    EXPECT_EQ(fw.pressed, 1);
    ui.FrameUpdate();
    EXPECT_TRUE(fw.pressedDuringUpdate);
    EXPECT_TRUE(ui.IsKeyDown('a'));
    ui.FrameUpdate();
    EXPECT_FALSE(fw.pressedDuringUpdate);  // still held, no longer "pressed"
    EXPECT_TRUE(ui.IsKeyDown('a'));
    ui.HandleKeyUp('a', 1, 2);
    EXPECT_FALSE(ui.IsKeyDown('a'));
    EXPECT_EQ(fw.released, 1);
    EXPECT_EQ(ui.swaps, 2);
    EXPECT_EQ(ui.GetUpdateCount(), 2u);
}

TEST(UserInterface, MouseMoveAndDragRules) {
    HeadlessUserInterface ui;
    RecordingFramework fw;
    ui.Start(&fw);
    float x, y;
    ui.HandleMouseMotion(false, 10, 10);
    ui.HandleMouseButton(0, true, 10, 10);
    EXPECT_TRUE(ui.IsMouseButtonDown(0));
    EXPECT_EQ(fw.lastState, 0);
    ui.HandleMouseMotion(true, 15, 12);
    ui.HandleMouseMotion(true, 20, 20);
    ui.GetMouseDrag(&x, &y);
    EXPECT_FLOAT_EQ(x, 10.0f);
    EXPECT_FLOAT_EQ(y, 10.0f);
    ui.GetMouseMove(&x, &y);
    EXPECT_FLOAT_EQ(x, 20.0f);  // includes the passive move from 0,0 to 10,10
    EXPECT_EQ(fw.drags, 2);

    // Release resets the drag; motion without a button resets it too.
    ui.HandleMouseButton(0, false, 20, 20);
    EXPECT_EQ(fw.lastState, 1);
    ui.GetMouseDrag(&x, &y);
    EXPECT_FLOAT_EQ(x, 0.0f);
    ui.HandleMouseButton(2, true, 20, 20);
    ui.HandleMouseMotion(true, 25, 20);
    ui.HandleMouseMotion(false, 30, 20);
    ui.GetMouseDrag(&x, &y);
    EXPECT_FLOAT_EQ(x, 0.0f);
    ui.GetMousePosition(&x, &y);
    EXPECT_FLOAT_EQ(x, 30.0f);

    // Each frame update clears move and drag.
    ui.FrameUpdate();
    ui.GetMouseMove(&x, &y);
    EXPECT_FLOAT_EQ(x, 0.0f);
    EXPECT_FLOAT_EQ(y, 0.0f);
    // Buttons beyond the third are ignored.
    ui.HandleMouseButton(5, true, 0, 0);
    EXPECT_EQ(fw.lastButton, 2);
}

TEST(UserInterface, CaptureClockStepsByFixedFrameTime) {
    HeadlessUserInterface ui;
    CaptureSettings capture;
    capture.enabled = true;
    capture.fps = 30.0;
    std::vector<uint32_t> written, mixed;
    capture.writeFrame = [&](uint32_t frame, int, int) {
        written.push_back(frame);
        return true;
    };
    capture.frameWritten = [&](uint32_t frame) { mixed.push_back(frame); };
    ui.SetCapture(capture);
    ui.Resize(64, 36);
    RecordingFramework fw;
    ui.Start(&fw);
    EXPECT_FALSE(ui.IsCaptureAwaitingRender());
    // Frame n shows time n / 30 with a step of 1 / 30 (the first step is 0), however long the
    // machine takes; an expose between frames draws without stepping or writing.
    for (uint32_t n = 0; n < 100; ++n) {
        ui.FrameUpdate();
        ASSERT_NEAR(fw.lastTime, n / 30.0, 1e-5) << n;
        ASSERT_NEAR(fw.lastDt, n == 0 ? 0.0 : 1.0 / 30.0, 1e-5) << n;
        // The updated frame must be drawn and written before time may step again.
        EXPECT_TRUE(ui.IsCaptureAwaitingRender());
        ui.FrameRender();
        ui.FrameRender();
        EXPECT_FALSE(ui.IsCaptureAwaitingRender());
    }
    EXPECT_NEAR(ui.GetElapsedTime(), 99 / 30.0 + 1 / 30.0, 1e-6);
    ASSERT_EQ(written.size(), 100u);
    EXPECT_EQ(written[99], 99u);
    EXPECT_EQ(mixed, written);
}

TEST(UserInterface, DebugLogTimesFramesFromTheFirstRenderAfterAnUpdate) {
    HeadlessUserInterface ui;
    RecordingFramework fw;
    LogCapture log(LogCapture::kAllLevels);
    ui.Start(&fw);
    ui.FrameRender();  // the window's first expose: nothing loaded yet
    EXPECT_FALSE(log.Contains("First frame rendered"));
    for (int i = 0; i < 3; ++i) {
        ui.FrameUpdate();
        ui.FrameRender();
    }
    EXPECT_EQ(log.Count("First frame rendered at monotonic microsecond "), 1);
    EXPECT_EQ(log.Count("Frame time at "), 2);
}

TEST(UserInterfaceDeathTest, EscapeEndsTheProgramBeforeTheFrameworkSeesIt) {
    EXPECT_EXIT(
        {
            HeadlessUserInterface ui;
            RecordingFramework fw;
            ui.Start(&fw);
            ui.HandleKeyDown(27, 0, 0);
            std::fprintf(stderr, "still running\n");
            std::exit(3);
        },
        ::testing::ExitedWithCode(0), "^$");
}

}  // namespace
