// The show's 3D acts on the software rasteriser: effect_karate in stage 2 on the generated
// scenes, frames of the outdoor stage and of the hardware table at 1280x720 and 640x360. Each
// frame's wall time (up to glFinish) is split into the engine's own CPU time — the update (the
// director, fight simulation, scene animation, transforms) timed directly, plus the part of the
// render call's CPU time on this thread that stack samples place in the program's own code
// (culling, sorting, uniform and state set-up) — and the rest, the time inside GL (the driver on
// this thread and the rasteriser's worker threads, shown too). Prints milliseconds per frame and
// the engine's share; the goal is a share below 10%.
//
// Usage: bench_karate [frames]   (default 24 per scene and size; run the asset generator first)
#include <GL/glew.h>
#include <GL/glut.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "CpuSplit.h"
#include "base/Log.h"
#include "base/Random.h"
#include "io/Loader.h"
#include "render/IRenderer.h"
#include "scene/GeomEngine.h"
#include "script/DemoFramework.h"
#include "show/EffectKarate.h"
#include "support/FakeUserInterface.h"

namespace {

double ThreadCpu() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// A data directory of the source tree's generated content with the benchmark's own script.
std::string MakeShowDirectory() {
    char pattern[] = "/tmp/bench_karate_XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir) return "";
    const std::string root = dir;
    for (const char* shared : {"GLSL", "textures", "slogans.txt", "objects", "scenes", "images"}) {
        const std::string source = std::string(TATAMIX_SOURCE_DIR) + "/data/" + shared;
        if (symlink(source.c_str(), (root + "/" + shared).c_str()) != 0) return "";
    }
    std::ofstream script(root + "/script.xml");
    script << "<demo end=\"100000\"><effect_karate id=\"k\" src_matrix=\"scenes/matrix.lws\" "
              "src_karate=\"scenes/karate.lws\" demo_stage=\"2\"/></demo>";
    return root;
}

void RemoveShowDirectory(const std::string& root) {
    for (const char* shared : {"GLSL", "textures", "slogans.txt", "objects", "scenes", "images", "script.xml"})
        unlink((root + "/" + shared).c_str());
    rmdir(root.c_str());
}

struct Figures {
    double frame = 0.0, update = 0.0, renderOwn = 0.0, renderDriver = 0.0, renderOther = 0.0, workers = 0.0, mainCpu = 0.0;
};

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 24;
    SetLogSinks(nullptr, nullptr);
    int glutArgc = 1;
    char name[] = "bench_karate";
    char* glutArgv[] = {name, nullptr};
    glutInit(&glutArgc, glutArgv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DEPTH | GLUT_DOUBLE);
    glutInitWindowSize(1280, 720);
    glutCreateWindow("bench_karate");
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) return 1;

    const std::string root = MakeShowDirectory();
    if (root.empty()) return 1;
    Loader loader;
    if (!loader.LoadFromDataDirectory(root + "/")) return 1;
    SetLoader(&loader);
    FakeUserInterface window;
    SetUserInterface(&window);
    IRenderer* renderer = CreateRenderer();
    if (!renderer->Init(&window)) return 1;
    CreateGeomEngine();
    RandomSeed(1);
    auto framework = std::make_unique<DemoFramework>("script.xml");
    framework->RegisterObjectType("effect_karate", EffectKarate::Create);
    if (!framework->Init()) return 1;
    auto* effect = dynamic_cast<EffectKarate*>(framework->GetRootObject()->FindObject("k"));
    if (!effect) return 1;

    CpuSplit& split = CpuSplit::Instance();
    if (!split.Start(500)) std::fprintf(stderr, "no CPU sampling: the render split is missing\n");

    const float dt = 1.0f / 30.0f;
    float time = 0.0f;
    std::printf("effect_karate, stage 2, %d frames per scene and size (ms per frame)\n", frames);
    std::printf("%-8s %-6s %8s %8s %10s %10s %8s %10s %7s\n", "size", "scene", "frame", "update", "render CPU",
                "engine's", "in GL", "GL workers", "engine");
    for (bool karate : {false, true}) {
        // Step the show (no drawing) until the scene is on screen, then keep it for the frames.
        while (effect->GetDirector().IsKarateSceneShown() != karate && time < 600.0f) {
            framework->Update(time, dt);
            time += dt;
        }
        for (int size : {1280, 640}) {
            window.width = size;
            window.height = size * 9 / 16;
            glViewport(0, 0, window.width, window.height);
            // Two frames to size the targets and warm the caches.
            for (int i = 0; i < 2; ++i) {
                framework->Update(time, dt);
                framework->Render();
                glFinish();
                time += dt;
            }
            Figures f;
            for (int i = 0; i < frames; ++i) {
                const double t0 = Now();
                framework->Update(time, dt);
                const double t1 = Now();
                const CpuSplit::Reading before = split.Read();
                const double c0 = ThreadCpu();
                framework->Render();
                glFinish();
                f.mainCpu += ThreadCpu() - c0;
                const CpuSplit::Reading after = split.Read();
                f.frame += Now() - t0;
                f.update += t1 - t0;
                f.renderOwn += static_cast<double>(after.own - before.own) * split.Interval();
                f.renderDriver += static_cast<double>(after.driver - before.driver) * split.Interval();
                f.renderOther += static_cast<double>(after.other - before.other) * split.Interval();
                f.workers += after.workerSeconds - before.workerSeconds;
                time += dt;
            }
            // The samples give the shares of the render call's CPU time on this thread (the CPU
            // timer fires at most once per scheduler tick, so counts are shares, not durations);
            // samples no stack frame could place (libc, the kernel) count as the engine's: an
            // upper bound on its share.
            const double samples = f.renderOwn + f.renderOther + f.renderDriver;
            const double ownShare = samples > 0.0 ? (f.renderOwn + f.renderOther) / samples : 0.0;
            const double renderEngine = f.mainCpu * ownShare;
            const double engine = f.update + renderEngine;
            const double ms = 1000.0 / frames;
            std::printf("%4dx%-3d %-6s %8.1f %8.2f %10.2f %10.2f %8.1f %10.1f %6.1f%%\n", window.width,
                        window.height, karate ? "stage" : "table", f.frame * ms, f.update * ms, f.mainCpu * ms,
                        renderEngine * ms, (f.frame - engine) * ms, f.workers * ms, 100.0 * engine / f.frame);
            std::fflush(stdout);
        }
    }
    split.Stop();
    framework.reset();
    DestroyGeomEngine();
    DestroyRenderer();
    SetUserInterface(nullptr);
    SetLoader(nullptr);
    RemoveShowDirectory(root);
    return 0;
}
