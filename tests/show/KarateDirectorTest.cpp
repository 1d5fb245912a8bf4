// The karate show's clockwork without GL: developer keys through the window's input tables,
// the cut, light and scene timers on the bar grid, scene flips, the TV screen's images, and the
// fights' places dealt on the outdoor stage and on the hardware table.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "base/Random.h"
#include "scene/GeomEngine.h"
#include "scene/SceneNode.h"
#include "show/FightPlacements.h"
#include "show/KarateDirector.h"
#include "show/KarateFight.h"
#include "show/GeomBlockSprite.h"
#include "support/LogCapture.h"
#include "ui/UserInterfaceBase.h"

namespace {

const float kBar = KarateDirector::kBar;
const float kDt = 1.0f / 50.0f;

// The shared window code without a window: keys go into the same tables the front ends fill.
class KeyWindow : public UserInterfaceBase {
public:
    KeyWindow() : UserInterfaceBase(320, 180) {}
    bool Init(int*, char**, const char*) override { return true; }
    void Start(IAppFramework*) override {}
    // A key pressed for one frame: the tables as the main loop leaves them for the update.
    void Press(unsigned char key) {
        HandleKeyDown(key, 0, 0);
        HandleKeyUp(key, 0, 0);
    }
    // Ends the frame the way the main loop does (the pressed table is cleared).
    void EndFrame() { FrameUpdate(); }

protected:
    void SwapWindowBuffers() override {}
};

struct Recorder : KarateDirector::Listener {
    void SetupFights(bool placeFighters) override { calls.push_back(placeFighters ? "setup+place" : "setup"); }
    void SceneFlipped(bool karate) override { calls.push_back(karate ? "flip:karate" : "flip:matrix"); }
    std::vector<std::string> calls;
};

}  // namespace

TEST(KarateDirector, DeveloperKeysToggleAndLogThroughTheInputTables) {
    LogCapture log;
    KarateDirector director;
    KeyWindow window;
    struct Case {
        unsigned char key;
        const char* line;
    };
    // Each press flips its flag and says so; "2" cycles on -> soft -> off -> on.
    const Case cases[] = {
        {'u', "User camera enabled."},      {'U', "User camera disabled."},
        {'1', "SSAO disabled."},            {'1', "SSAO enabled."},
        {'2', "Soft shadow maps enabled."}, {'2', "Shadow maps disabled."},
        {'2', "Shadow maps enabled."},      {'3', "Glow enabled."},
        {'3', "Glow disabled."},            {'9', "Debug lines enabled."},
        {'9', "Debug lines disabled."},     {'0', "Debug info enabled."},
        {'0', "Debug info disabled."},      {'t', "Time running: x2"},
        {'T', "Time running: x3"},          {'r', "Time running: x2"},
        {'R', "Time running: x1"},
    };
    for (const Case& c : cases) {
        const int before = log.Count(c.line);
        window.Press(c.key);
        director.Update(1, 0.0f, kDt, &window);
        window.EndFrame();
        EXPECT_EQ(log.Count(c.line), before + 1) << c.key;
    }
    EXPECT_EQ(director.GetShadowMode(), KarateDirector::SHADOWS_ON);
    EXPECT_TRUE(director.IsSsaoEnabled());
    EXPECT_FALSE(director.IsUserCameraEnabled());
    EXPECT_FLOAT_EQ(director.GetTimeMultiplier(), 1.0f);

    // A press is seen by one update only; a held key presses nothing more.
    window.HandleKeyDown('3', 0, 0);
    director.Update(1, 0.0f, kDt, &window);
    window.EndFrame();
    director.Update(1, 0.0f, kDt, &window);
    EXPECT_TRUE(director.IsGlowEnabled());
    EXPECT_EQ(log.Count("Glow enabled."), 2);
    // "t" from a fraction rounds down after adding one.
    KarateDirector fresh;
    RandomSeed(5);
    for (int i = 0; i < 3; ++i) fresh.FlipScene();  // a multiplier drawn at random
    const float before = fresh.GetTimeMultiplier();
    window.Press('t');
    fresh.Update(1, 0.0f, 0.0f, &window);
    EXPECT_FLOAT_EQ(fresh.GetTimeMultiplier(), std::floor(before + 1.0f));
}

TEST(KarateDirector, StageTwoCutsAndFlipsOnTheBarGrid) {
    RandomSeed(11);
    Recorder recorder;
    KarateDirector director(&recorder);
    // The intro holds the hardware scene whatever the timers say.
    for (int i = 0; i < 500; ++i) director.Update(1, i * kDt, kDt, nullptr);
    EXPECT_FALSE(director.IsKarateSceneShown());
    EXPECT_FLOAT_EQ(director.GetSceneTimer(), -1.0f);
    EXPECT_TRUE(recorder.calls.empty());

    // The show's first frame (on bar 6) flips to the outdoor stage at dawn for sixteen bars.
    director.Update(2, 6 * kBar, kDt, nullptr);
    ASSERT_TRUE(director.IsKarateSceneShown());
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"setup+place", "flip:karate", "setup"}));
    EXPECT_FLOAT_EQ(director.GetSceneTimer(), 30.72f);
    EXPECT_FLOAT_EQ(director.GetCutTimer(), 7.68f);
    EXPECT_EQ(director.GetCameraChoice(), 0);
    EXPECT_EQ(director.GetSwitchCount(), 1);
    EXPECT_NEAR(director.GetTimeOfDay(), 6.0f, 0.01f);
    EXPECT_FLOAT_EQ(director.GetTimeMultiplier(), 1.0f);

    // Ten minutes at 60 and at 2 frames per second (time counted in doubles, as the frame clock
    // does): every flip and every cut falls on the first frame at or after a bar line, flips 8 to
    // 15 bars apart, cuts 4 to 11; the time of day runs with its multiplier.
    for (double dt : {1.0 / 60.0, 0.5}) {
        RandomSeed(5);
        KarateDirector show(&recorder);
        recorder.calls.clear();
        int flips = 0, cuts = 0;
        double lastFlip = 0.0, lastCut = 0.0;
        bool karate = show.IsKarateSceneShown();
        for (double t = 0.0; t < 600.0; t += dt) {
            const float hour = show.GetTimeOfDay(), multiplier = show.GetTimeMultiplier();
            const uint32_t shot = show.GetShotNumber();
            show.Update(2, static_cast<float>(t), static_cast<float>(dt), nullptr);
            const double since = std::fmod(t, kBar);
            if (show.IsKarateSceneShown() != karate) {
                karate = show.IsKarateSceneShown();
                EXPECT_LT(since, dt + 1e-3) << t;
                if (flips > 1) {
                    const double bars = std::round((t - lastFlip) / kBar);
                    EXPECT_GE(bars, 8.0) << t;
                    EXPECT_LE(bars, 16.0) << t;
                }
                lastFlip = t;
                ++flips;
                // Going to the table the lights start at their new targets.
                for (int k = 0; k < KarateDirector::kIntensityCount && !karate; ++k)
                    EXPECT_EQ(show.GetIntensities()[k], show.GetIntensityTargets()[k]);
            } else if (show.GetShotNumber() != shot) {
                EXPECT_LT(since, dt + 1e-3) << t;
                EXPECT_GE(std::round((t - lastCut) / kBar), 4.0) << t;
                ++cuts;
            } else if (t > 0.0) {
                const float expected =
                    std::fmod(hour + static_cast<float>(dt) * multiplier * KarateDirector::kHoursPerSecond, 24.0f);
                EXPECT_NEAR(show.GetTimeOfDay(), expected, 1e-3f);
            }
            if (show.GetShotNumber() != shot) lastCut = t;
            for (int k = 0; k < KarateDirector::kIntensityCount; ++k) {
                const float target = show.GetIntensityTargets()[k];
                EXPECT_TRUE(target == 0.0f || (target >= 0.3f && target <= 1.0001f)) << target;
            }
        }
        EXPECT_GT(flips, 20) << dt;
        EXPECT_GT(cuts, 20) << dt;
        EXPECT_EQ(show.GetSwitchCount(), 1);  // only the first view of the stage is special
        EXPECT_EQ(static_cast<int>(recorder.calls.size()), 1 + 2 * flips);
    }
}

TEST(KarateDirector, TheUserCameraStopsTheTimedFlipsButNotTheKey) {
    RandomSeed(3);
    KarateDirector director;
    KeyWindow window;
    LogCapture log;
    window.Press('u');
    director.Update(2, 0.0f, kDt, &window);
    window.EndFrame();
    const bool shown = director.IsKarateSceneShown();
    for (int i = 0; i < 3000; ++i) director.Update(2, 0.0f, kDt, &window);  // a minute, timers run out
    EXPECT_EQ(director.IsKarateSceneShown(), shown);
    window.Press('M');
    director.Update(2, 0.0f, kDt, &window);
    window.EndFrame();
    EXPECT_NE(director.IsKarateSceneShown(), shown);
    // Outside the show proper "m" does nothing.
    window.Press('m');
    director.Update(1, 0.0f, kDt, &window);
    EXPECT_FALSE(director.IsKarateSceneShown());
}

TEST(KarateDirector, TheScreenFlickersThroughTheLoaderThenHoldsAPicturePerBar) {
    RandomSeed(7);
    KarateDirector director;
    LogCapture log;
    // Intro with the loader: a loader frame every frame, and not always the same.
    std::set<int> seen;
    for (int i = 0; i < 40; ++i) {
        const int index = director.UpdateScreen(1, i * kDt, true, 0);
        EXPECT_GE(index, 0);
        EXPECT_LT(index, 16);
        seen.insert(index);
    }
    EXPECT_GT(seen.size(), 5u);
    // Without it: the credit screen asked for; a number past the images shows the last one
    // (the boot screen) and the first, with one warning per bad number.
    EXPECT_EQ(director.UpdateScreen(1, 0.0f, false, 3), 39);
    EXPECT_EQ(director.UpdateScreen(1, 0.0f, false, 8), 44);
    EXPECT_EQ(director.UpdateScreen(1, 0.0f, false, 9), 44);
    EXPECT_EQ(director.UpdateScreen(1, 0.1f, false, 9), 44);
    EXPECT_EQ(director.UpdateScreen(1, 0.1f, false, -40), 0);
    EXPECT_EQ(log.Count("screen_idx out of range"), 2);

    // The show: every bar starts with 0.48 s of loader flicker, then one picture to the bar's end.
    for (int bar = 3; bar < 8; ++bar) {
        std::set<int> loader;
        int picture = -1;
        for (float p = 0.01f; p < kBar - 0.01f; p += 0.02f) {
            const int index = director.UpdateScreen(2, bar * kBar + p, true, 0);
            if (p < 0.47f) {
                EXPECT_LT(index, 16) << p;
                loader.insert(index);
            } else if (p > 0.49f) {
                EXPECT_GE(index, 16);
                EXPECT_LT(index, 36);
                if (picture < 0) picture = index;
                EXPECT_EQ(index, picture) << "the picture holds until the bar ends";
            }
        }
        EXPECT_GT(loader.size(), 4u);
    }
    // Frames too far apart to land in a bar's first 0.48 s: each bar still gets its picture.
    std::set<int> pictures;
    for (int bar = 10; bar < 30; ++bar) {
        for (float p : {0.6f, 1.2f, 1.8f}) {
            const int index = director.UpdateScreen(2, bar * kBar + p, true, 0);
            EXPECT_GE(index, 16) << bar;
            pictures.insert(index);
        }
    }
    EXPECT_GT(pictures.size(), 8u);
}

TEST(FightPlacements, EveryFightGetsAPlaceOfItsOwn) {
    GeomEngine engine;
    LogCapture log;
    SceneNode* scene = engine.CreateScene("scene");
    GeomBlockSprite fighters, referee;
    std::vector<KarateFight*> fights;
    for (int i = 0; i < 5; ++i) {
        fights.push_back(new KarateFight(scene, &fighters, &referee, nullptr));
        fights.back()->Init(2);
    }
    for (uint32_t seed = 1; seed < 40; ++seed) {
        RandomSeed(seed);
        KarateFightSetup records[FightPlacements::kKarateCount];
        FightPlacements::KarateRecords(records);
        EXPECT_GE(records[0].heading, 90.0f);
        EXPECT_LE(records[0].heading, 95.0f);
        EXPECT_GE(records[2].heading, -90.0f);
        EXPECT_LE(records[4].heading, -85.0f);
        EXPECT_FLOAT_EQ(records[4].cameraBase[0], 18.0f);
        EXPECT_FLOAT_EQ(records[1].ringWidth, 6.0f);
        const bool all[5] = {true, true, true, true, true};
        FightPlacements::Deal(fights, records, all, 5, seed & 1);
        std::set<float> places;
        for (KarateFight* fight : fights) {
            places.insert(fight->GetSetup().position[0]);
            EXPECT_EQ(fight->GetParent(), scene);
            EXPECT_EQ(fight->GetState(), KarateFight::STATE_WAITING);
        }
        EXPECT_EQ(places.size(), 5u) << "seed " << seed;
    }

    // The hardware table: two fights among four places; a place on a missing object is not used.
    Node* computer = new Node(scene, "c64");
    Node* monitor = new Node(scene, "monitor");
    std::vector<KarateFight*> two(fights.begin(), fights.begin() + 2);
    std::set<Node*> parents;
    for (uint32_t seed = 1; seed < 40; ++seed) {
        RandomSeed(seed);
        KarateFightSetup records[FightPlacements::kMatrixCount];
        bool usable[FightPlacements::kMatrixCount];
        FightPlacements::MatrixRecords(records, computer, seed < 20 ? monitor : nullptr, usable);
        FightPlacements::Deal(two, records, usable, 4, false);
        EXPECT_NE(two[0]->GetSetup().position[2], two[1]->GetSetup().position[2]);
        for (KarateFight* fight : two) {
            Node* parent = fight->GetParent();
            parents.insert(parent);
            if (seed >= 20) {
                EXPECT_NE(parent, monitor) << "seed " << seed;
            }
            if (parent == computer) {
                EXPECT_FLOAT_EQ(fight->GetSetup().scale, 0.05f);
            }
        }
    }
    EXPECT_EQ(parents.size(), 3u);  // computer, monitor and the table itself
    delete scene;
}
