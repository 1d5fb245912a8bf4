// The fighters' costs on the show's own artwork (generate the data directory first):
// 1. start-up: the 104 block-sprite frames (78 fighter frames with collision images, 26 referee
//    frames) loaded, decoded and built into their two element lists (target: under 300 ms), and
//    the reading and decoding alone;
// 2. one frame of five three-fighter fights updated, as the karate scene does every frame
//    (target: under 0.2 ms).
// No GL: buffer uploads happen in the driver and are not part of either figure.
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "base/Log.h"
#include "base/Random.h"
#include "io/Bitmap.h"
#include "io/Loader.h"
#include "scene/GeomEngine.h"
#include "scene/SceneNode.h"
#include "show/KarateFight.h"
#include "show/KarateSpriteSets.h"
#include "show/SloganList.h"

namespace {

double Now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

std::vector<std::string> FrameNames(bool collision) {
    std::vector<std::string> names;
    for (const char* name : KarateSpriteSets::kFighterFrames)
        names.push_back(std::string("textures/karate/") + (collision ? "collision/" : "") + name + ".png");
    if (collision) return names;
    names.push_back("textures/karate/tuomari/tuomari.png");
    names.push_back("textures/karate/tuomari/tuomari_invisible.png");
    for (int i = 1; i <= 24; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "textures/karate/tuomari/stars_%02d.png", i);
        names.push_back(name);
    }
    return names;
}

}  // namespace

int main() {
    SetLogSinks(nullptr, nullptr);
    Loader loader;
    if (!loader.LoadFromDataDirectory(TATAMIX_SOURCE_DIR "/data/")) return 1;
    SetLoader(&loader);

    // 1. Start-up.
    std::vector<double> whole;
    uint32_t vertices = 0, indices = 0;
    for (int round = 0; round < 5; ++round) {
        const double t0 = Now();
        KarateSpriteSets sets;
        if (!sets.LoadFighters() || !sets.LoadReferee()) {
            std::printf("bench_fighters: frames missing; run tatamix-assetgen data first\n");
            return 1;
        }
        whole.push_back(Now() - t0);
        vertices = sets.GetFighters().GetVertexCount() + sets.GetReferee().GetVertexCount();
        indices = sets.GetFighters().GetIndexCount() + sets.GetReferee().GetIndexCount();
    }
    std::vector<double> decode;
    size_t frameCount = 0;
    for (int round = 0; round < 5; ++round) {
        const double t0 = Now();
        std::vector<Bitmap> images;
        for (bool collision : {false, true})
            for (const std::string& name : FrameNames(collision))
                images.emplace_back().Load(&loader, name, false);
        decode.push_back(Now() - t0);
        frameCount = images.size() - KarateSpriteSets::kFighterFrameCount;
    }

    // 2. Five fights, a minute of them after half a minute of warming up.
    KarateSpriteSets sets;
    sets.LoadFighters();
    sets.LoadReferee();
    SloganList slogans;
    slogans.Load(&loader);
    GeomEngine* engine = CreateGeomEngine();
    SceneNode* scene = engine->CreateScene("scene");
    RandomSeed(1);
    std::vector<KarateFight*> fights;
    for (int i = 0; i < 5; ++i) {
        auto* fight = new KarateFight(scene, &sets.GetFighters(), &sets.GetReferee(), &slogans);
        fight->Init(3);
        KarateFightSetup setup;
        setup.position[0] = static_cast<float>(i * 10);
        setup.ringWidth = 6.0f + static_cast<float>(i);
        fight->Setup(setup);
        fight->Reset(true);
        fights.push_back(fight);
    }
    const float dt = 1.0f / 60.0f;
    float time = 0.0f;
    auto frame = [&]() {
        for (KarateFight* fight : fights) fight->Update(time, dt);
        time += dt;
    };
    for (int i = 0; i < 30 * 60; ++i) frame();
    std::vector<double> frames;
    double treeSeconds = 0.0;
    for (int i = 0; i < 60 * 60; ++i) {
        const double t0 = Now();
        frame();
        const double t1 = Now();
        scene->UpdateTransforms();
        scene->Update(false);
        treeSeconds += Now() - t1;
        frames.push_back(t1 - t0);
    }
    double sum = 0.0;
    for (double f : frames) sum += f;
    std::sort(frames.begin(), frames.end());
    engine->DetachNode(scene->GetId());
    delete scene;
    DestroyGeomEngine();
    SetLoader(nullptr);

    std::printf("bench_fighters: %zu frames, %u vertices, %u indices\n", frameCount, vertices, indices);
    std::printf("  start-up, load + decode + build:  %8.1f ms median of 5 (best %.1f)  target < 300 ms\n",
                1000.0 * Median(whole), 1000.0 * *std::min_element(whole.begin(), whole.end()));
    std::printf("  of which reading and decoding:    %8.1f ms median of 5\n", 1000.0 * Median(decode));
    std::printf("  five fights, one frame:           %8.1f us mean (p50 %.1f, p99 %.1f)  target < 200 us\n",
                1e6 * sum / static_cast<double>(frames.size()), 1e6 * frames[frames.size() / 2],
                1e6 * frames[frames.size() * 99 / 100]);
    std::printf("  their scene tree's update:        %8.1f us mean per frame\n",
                1e6 * treeSeconds / static_cast<double>(frames.size()));
    return 0;
}
