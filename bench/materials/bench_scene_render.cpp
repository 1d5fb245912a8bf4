// The whole render order of the outdoor scene (reflection, depth pre-pass, shadows, occlusion,
// scene with sky, water, glow, composition, flares) at 1280x720, with every stage on, against the
// same scene drawn with every stage off: the generated LightWave still-life (when it has been
// generated) and the showcase built in code. Prints milliseconds per frame and per stage; the
// goal is at most three times the frame time with the stages off.
//
// Usage: bench_scene_render [frames] [--stills DIR]
//   reads the data directory of the source tree (generated textures and still-life: run the
//   asset generator first); with --stills writes PNG stills of each stage (showcase) into DIR
//   instead of timing.
#include <GL/glew.h>
#include <GL/glut.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "StillLife.h"
#include "base/Log.h"
#include "io/Loader.h"
#include "lightwave/GLSLPlusSurfaceHandler.h"
#include "lightwave/LWLayer.h"
#include "lightwave/LWModelManager.h"
#include "lightwave/LWObject.h"
#include "lightwave/LWObjectNode.h"
#include "lightwave/LWSceneNode.h"
#include "lightwave/LWSurface.h"
#include "io/PngWriter.h"
#include "materials/SceneRenderer.h"
#include "render/IRenderTarget.h"
#include "render/IRenderer.h"

namespace {

const int kWidth = 1280, kHeight = 720;

// The GLUT window's frame buffer as the output.
class Window : public IRenderTarget {
public:
    int GetWidth() override { return kWidth; }
    int GetHeight() override { return kHeight; }
    float GetAspectRatio() override { return 16.0f / 9.0f; }
    uint32_t GetColorTexture() override { return 0; }
    uint32_t GetDepthTexture() override { return 0; }
    uint32_t GetFrameBuffer() override { return 0; }
    uint32_t GetDepthRenderBuffer() override { return 0; }
    void AttachSharedDepthBuffer(IRenderTarget*) override {}
};

SceneRenderSettings AllOff() {
    SceneRenderSettings s;
    s.shadows = SHADOWS_OFF;
    s.ssao = s.glow = s.sky = s.water = s.flares = false;
    return s;
}

// Every stage on, shadows in their plain mode (soft ones are timed on their own below).
SceneRenderSettings AllOn(float waterLevel = -0.35f) {
    SceneRenderSettings s;
    s.shadows = SHADOWS_ON;
    s.ssao = s.glow = s.sky = s.water = s.flares = true;
    s.skyHour = 16.8f;
    s.waterLevel = waterLevel;
    return s;
}

struct Bench {
    Window window;
    Loader loader;
    std::unique_ptr<SceneRenderer> renderer = std::make_unique<SceneRenderer>();
    StillLife::Scene world;
    // The generated still-life instead, when loaded.
    std::unique_ptr<LWModelManager> manager;
    LWSceneNode* lightwave = nullptr;

    void Frame(float seconds) {
        if (lightwave) lightwave->Update(seconds);
        world.Update();
        renderer->Render(world.scene, world.camera, &window, seconds);
    }
    // Milliseconds per frame (best of the runs) and the per-stage times of that frame set; cpu
    // receives the processor time of all threads (the rasteriser's too) per frame, which the
    // other engineers' load on this shared machine does not inflate.
    double Time(const SceneRenderSettings& settings, int frames, SceneRenderTimes* stages, double* cpu = nullptr) {
        renderer->SetSettings(settings);
        renderer->SetTiming(stages != nullptr);
        Frame(0.0f);  // targets, maps and programs made before timing
        SceneRenderTimes sum;
        double best = 1e30, bestCpu = 1e30;
        for (int run = 0; run < 3; ++run) {
            SceneRenderTimes runSum;
            glFinish();
            const double start = NowMs(), startCpu = CpuMs();
            for (int i = 0; i < frames; ++i) {
                Frame(static_cast<float>(i) / 30.0f);
                const SceneRenderTimes& t = renderer->GetTimes();
                runSum.reflection += t.reflection, runSum.depth += t.depth, runSum.shadows += t.shadows;
                runSum.ssao += t.ssao, runSum.scene += t.scene, runSum.water += t.water, runSum.glow += t.glow;
                runSum.present += t.present, runSum.flares += t.flares;
            }
            glFinish();
            const double ms = (NowMs() - start) / frames;
            bestCpu = std::min(bestCpu, (CpuMs() - startCpu) / frames);
            if (ms < best) {
                best = ms;
                sum = runSum;
            }
        }
        if (cpu) *cpu = bestCpu;
        if (stages) {
            double* fields[] = {&sum.reflection, &sum.depth, &sum.shadows, &sum.ssao, &sum.scene,
                                &sum.water,      &sum.glow,  &sum.present, &sum.flares};
            for (double* f : fields) *f /= frames;
            *stages = sum;
        }
        return best;
    }
    static double CpuMs() {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return t.tv_sec * 1e3 + t.tv_nsec * 1e-6;
    }
    static double NowMs() {
        timespec t{};
        clock_gettime(CLOCK_MONOTONIC, &t);
        return t.tv_sec * 1e3 + t.tv_nsec * 1e-6;
    }
    void Still(const std::string& dir, const std::string& name) {
        std::vector<uint8_t> pixels(kWidth * kHeight * 4), flipped(pixels.size());
        GetRenderer()->SetRenderTarget(&window);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        for (int y = 0; y < kHeight; ++y)
            std::memcpy(&flipped[y * kWidth * 4], &pixels[(kHeight - 1 - y) * kWidth * 4], kWidth * 4);
        for (size_t i = 3; i < flipped.size(); i += 4) flipped[i] = 255;
        WritePNG(dir + "/" + name + ".png", kWidth, kHeight, 32, flipped.data());
        std::printf("wrote %s/%s.png\n", dir.c_str(), name.c_str());
    }
};

void Aim(StillLife::Scene& world, float ex, float ey, float ez, float tx, float ty, float tz) {
    const float eye[3] = {ex, ey, ez}, target[3] = {tx, ty, tz};
    StillLife::Aim(world.camera, eye, target);
}

void Stills(Bench& b, const std::string& dir) {
    SceneRenderSettings s = AllOn();
    s.glow = false;
    s.water = false;
    struct Hour {
        float hour;
        const char* name;
    } hours[] = {{12.0f, "sky_noon"}, {6.2f, "sky_dawn"}, {17.9f, "sky_dusk"}, {0.0f, "sky_midnight"}};
    for (const Hour& h : hours) {
        s.skyHour = h.hour;
        b.renderer->SetSettings(s);
        Aim(b.world, -5.5f, 2.6f, -17.0f, 0.0f, 4.5f, 0.0f);
        b.Frame(20.0f);
        b.Still(dir, h.name);
    }
    s = AllOn();
    s.water = false;
    s.glow = false;
    s.flares = false;
    s.ssao = false;
    s.skyHour = 15.5f;
    Aim(b.world, -4.0f, 4.5f, -11.0f, 0.0f, 1.5f, 0.0f);
    for (int mode : {SHADOWS_ON, SHADOWS_SOFT}) {
        s.shadows = mode;
        b.renderer->SetSettings(s);
        b.Frame(20.0f);
        b.Still(dir, mode == SHADOWS_ON ? "shadows" : "shadows_soft");
    }
    s.ssao = true;
    b.renderer->SetSettings(s);
    b.Frame(20.0f);
    b.Still(dir, "ssao");
    s = AllOn();
    s.skyHour = 16.8f;
    Aim(b.world, -3.0f, 1.6f, -15.0f, 0.0f, 2.2f, 0.0f);
    b.renderer->SetSettings(s);
    b.Frame(20.0f);
    b.Still(dir, "water");
    s.skyHour = 12.5f;
    b.renderer->SetSettings(s);
    Aim(b.world, -1.0f, -0.9f, -9.0f, 0.0f, 5.0f, 0.0f);
    b.Frame(20.0f);
    b.Still(dir, "under_water");
    // Morning: the sun low in the east (+x), seen past the gate.
    s.skyHour = 7.4f;
    b.renderer->SetSettings(s);
    b.renderer->GetSky().SetTimeOfDay(s.skyHour);
    const float* sun = b.renderer->GetSky().GetParameters().sunDir;
    // The sun in the upper left of the picture.
    Aim(b.world, -12.0f, 2.0f, -6.0f, -12.0f + sun[0] * 100.0f + sun[2] * 25.0f, 2.0f + sun[1] * 100.0f - 8.0f,
        -6.0f + sun[2] * 100.0f - sun[0] * 25.0f);
    b.Frame(20.0f);
    b.Still(dir, "flares");
}

void Report(Bench& b, int frames, const char* name, float waterLevel) {
    std::printf("== %s\n", name);
    SceneRenderTimes stages;
    // Off and on in alternation, so that the load of a shared machine hits both alike.
    double off = 1e30, on = 1e30, offCpu = 1e30, onCpu = 1e30;
    for (int round = 0; round < 3; ++round) {
        double cpu = 0.0;
        off = std::min(off, b.Time(AllOff(), frames, nullptr, &cpu));
        offCpu = std::min(offCpu, cpu);
        on = std::min(on, b.Time(AllOn(waterLevel), frames, nullptr, &cpu));
        onCpu = std::min(onCpu, cpu);
    }
    b.Time(AllOn(waterLevel), frames, &stages);
    std::printf("%dx%d, %d frames per run, best of 9 runs taken in alternation (wall clock; processor time "
                "of all threads)\n",
                kWidth, kHeight, frames);
    std::printf("all stages off: %8.2f ms/frame  %8.2f ms cpu\n", off, offCpu);
    std::printf("all stages on:  %8.2f ms/frame  %8.2f ms cpu  (%.2fx wall, %.2fx cpu; goal <= 3x)\n", on, onCpu,
                on / off, onCpu / offCpu);
    std::printf("per stage with every stage on (each waited for with glFinish):\n");
    const struct {
        const char* name;
        double ms;
    } rows[] = {{"reflection (half size)", stages.reflection}, {"depth pre-pass", stages.depth},
                {"shadow maps + mask", stages.shadows},         {"ambient occlusion (half)", stages.ssao},
                {"scene + sky", stages.scene},                  {"water", stages.water},
                {"glow (quarter size)", stages.glow},           {"composition", stages.present},
                {"flares", stages.flares}};
    for (const auto& row : rows) std::printf("  %-26s %8.2f ms\n", row.name, row.ms);
}

// The generated still-life in a scene of its own, through its camera, with a flare light for the
// sky's sun and water a little below the mat.
bool LoadStillLife(Bench& b) {
    std::ifstream probe(std::string(TATAMIX_SOURCE_DIR) + "/data/scenes/stilllife.lws");
    if (!probe.good()) return false;
    b.manager = std::make_unique<LWModelManager>(&b.loader, new GLSLPlusSurfaceHandler(&b.loader));
    StillLife::Scene& w = b.world;
    w = StillLife::Scene();
    w.scene = GetGeomEngine()->CreateScene("stilllife_lws");
    b.lightwave = b.manager->CreateSceneNode(w.scene, "scenes/stilllife.lws");
    if (!b.lightwave || b.lightwave->GetCameraNodes().empty()) return false;
    w.camera = b.lightwave->GetCameraNodes()[0];
    w.sunFlare = new LightNode(w.scene, "sun_flare");
    w.sunFlare->GetLight().type = LIGHT_DIRECTIONAL;
    w.sunFlare->GetLight().flags = LIGHT_FLAG_FLARE;
    b.renderer->ClearShadowReceivers();
    for (LWObjectNode* node : b.lightwave->GetObjectNodes()) {
        const LWLayer* layer = node->GetLayer();
        if (!layer || !layer->object) continue;
        for (const auto& surface : layer->object->surfaces)
            if (surface->technique) b.renderer->AddShadowReceiver(surface->technique.get());
    }
    b.renderer->SetSunLights(nullptr, w.sunFlare);
    b.lightwave->Update(0.0f);
    w.Update();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int frames = 5;
    std::string stills;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--stills") == 0 && i + 1 < argc)
            stills = argv[++i];
        else
            frames = std::max(1, std::atoi(argv[i]));
    }
    SetLogSinks(nullptr, nullptr);
    int glutArgc = 1;
    char name[] = "bench_scene_render";
    char* glutArgv[] = {name, nullptr};
    glutInit(&glutArgc, glutArgv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DEPTH | GLUT_DOUBLE);
    glutInitWindowSize(kWidth, kHeight);
    glutCreateWindow("bench_scene_render");
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) return 1;

    Bench b;
    if (!b.loader.LoadFromDataDirectory(std::string(TATAMIX_SOURCE_DIR) + "/data/")) return 1;
    SetLoader(&b.loader);
    IRenderer* renderer = CreateRenderer();
    if (!renderer->Init(&b.window)) return 1;
    CreateGeomEngine();
    if (!b.renderer->Init()) std::fprintf(stderr, "textures missing: run the asset generator into data/\n");
    b.world = StillLife::BuildShowcase(GetGeomEngine());
    for (auto& technique : b.world.techniques) b.renderer->AddShadowReceiver(technique.get());
    b.renderer->SetSunLights(b.world.sun, b.world.sunFlare);

    if (!stills.empty()) {
        Stills(b, stills);
    } else {
        // The generated still-life first, the showcase after it.
        StillLife::Scene showcase = std::move(b.world);
        if (LoadStillLife(b)) {
            // Water just below the lowest thing in the scene.
            const BoundingBox& box = b.world.scene->GetTreeBox();
            Report(b, frames, "generated still-life (scenes/stilllife.lws)", box.centre[1] - box.size[1] * 0.5f - 0.02f);
            b.renderer->ClearShadowReceivers();
        }
        if (b.world.scene) {
            GetGeomEngine()->DetachNode(b.world.scene->GetId());
            delete b.world.scene;
        }
        b.lightwave = nullptr;
        b.manager.reset();
        b.world = std::move(showcase);
        for (auto& technique : b.world.techniques) b.renderer->AddShadowReceiver(technique.get());
        b.renderer->SetSunLights(b.world.sun, b.world.sunFlare);
        Report(b, frames, "showcase built in code", -0.35f);
    }
    b.renderer->ClearShadowReceivers();
    GetGeomEngine()->DetachNode(b.world.scene->GetId());
    delete b.world.scene;
    b.world.techniques.clear();
    b.renderer.reset();
    DestroyGeomEngine();
    DestroyRenderer();
    SetLoader(nullptr);
    return 0;
}
