#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "sound/AudioBackend.h"
#include "sound/FMODSoundEngine.h"
#include "sound/SoundTestData.h"
#include "support/LogCapture.h"

// Runs the real-time mixer thread (the silent output here, a device where one exists) against
// every main-thread call that touches shared state. Built with ThreadSanitizer.
TEST(RealtimeMixerTest, MainThreadCallsRaceFreeWithMixerThread) {
    SoundTestData data;
    AudioBackend_SetOffline(nullptr);
    LogCapture log;
    {
        FMODSoundEngine engine;
        ASSERT_TRUE(engine.Init(0.8f));
        int id = engine.LoadStream(data.GetLoader(), "sine.ogg");
        int channel = engine.PlayStream(id);
        ASSERT_GE(channel, 0);
        int loops = engine.LoadStream(data.GetLoader(), "ramp.wav");
        engine.SetLooping(loops, 0.0f, 9999.0f, -1);
        engine.PlayStream(loops);

        auto start = std::chrono::steady_clock::now();
        int maxLength = 0;
        float maxLevel = 0.0f;
        int frame = 0;
        while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(400)) {
            engine.Update();
            engine.SetVolume(channel, (frame % 10) * 0.1f);
            float left = 0.0f, right = 0.0f;
            engine.GetLevels(channel, &left, &right);
            maxLevel = std::max(maxLevel, left);
            int n = engine.GetOscilloscopeLength();
            const float* scope = engine.GetOscilloscopeData();
            float sum = 0.0f;
            for (int i = 0; i < n; ++i) sum += scope[i];
            EXPECT_LE(n, 1024);
            EXPECT_LE(std::fabs(sum), 1024.0f);
            maxLength = std::max(maxLength, n);
            if (frame % 20 == 10) {
                engine.ActivateOscilloscope(false);
                engine.ActivateOscilloscope(true);
            }
            ++frame;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        float position = engine.GetStreamTime(id);
        EXPECT_GT(position, 0.2f);
        EXPECT_LT(position, 1.0f);
        EXPECT_EQ(maxLength, 1024);
        EXPECT_GT(maxLevel, 0.0f);
        EXPECT_EQ(engine.GetSpectrumLength(), 512);
        engine.StopStream(id);
        engine.DeleteStream(id);
        engine.DeleteStream(loops);
    }
}
