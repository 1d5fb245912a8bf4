// 200 simultaneous sprites driven by envelopes and function objects.
//
// 1. Plays the show in the real program at 1280x720 (for a few seconds, under the current
//    display) with -debug and reads the average frame rate from its debug log.
// 2. Steps the same script in this process, over a renderer that does nothing, with the
//    frame time the program reached: the time of the framework's Update (script step plus
//    the effects' per-frame update) and of the effects' own render-side work, all without the
//    GL driver. Their share of the real frame time is the part of a frame spent outside the
//    driver (swap and driver work make up the rest).
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "FakeRenderer.h"
#include "base/Log.h"
#include "io/Loader.h"
#include "script/DemoFramework.h"
#include "script/EffectNull.h"
#include "show/EffectSprite.h"
#include "sound/ISoundEngine.h"
#include "support/FakeUserInterface.h"

ISoundEngine* GetSoundEngine() {
    return nullptr;
}

namespace {

const int kSprites = 200;
const float kSeconds = 4.0f;

double Now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

std::string Script() {
    std::ostringstream s;
    s << "<demo end=\"" << kSeconds << "\">\n<effect_null id=\"bg\" clear_color=\"0.1, 0.1, 0.2, 1\"/>\n"
      << "<part id=\"p\" start=\"0\" end=\"" << kSeconds << "\">\n";
    for (int i = 0; i < kSprites; ++i) {
        const float phase = static_cast<float>(i) * 0.37f;
        const float x = -1.6f + 3.2f * static_cast<float>(i % 20) / 19.0f;
        const float y = -0.9f + 1.8f * static_cast<float>(i / 20) / 9.0f;
        s << "<envelope id=\"e" << i
          << "\" interpolation=\"linear\" env_time=\"*p.time\" post_behavior=\"repeat\">"
          << "<keyframe t=\"0\" v=\"" << x << ", " << y << ", 0, 0.3\"/>"
          << "<keyframe t=\"1\" v=\"" << x + 0.1f << ", " << y - 0.1f << ", 180, 0.9\"/>"
          << "<keyframe t=\"2\" v=\"" << x << ", " << y << ", 360, 0.3\"/></envelope>\n"
          << "<func_add id=\"t" << i << "\" a=\"*p.time\" b=\"" << phase << "\"/>"
          << "<func_sin id=\"w" << i << "\" a=\"*t" << i << ".out\"/>"
          << "<func_mul id=\"c" << i << "\" a=\"*w" << i << ".out\" b=\"0.5, 0.5, 0.5, 0\"/>"
          << "<func_add id=\"k" << i << "\" a=\"*c" << i << ".out\" b=\"0.5, 0.5, 0.5, 1\"/>\n"
          << "<sprite id=\"s" << i << "\" pos=\"*e" << i << ".out\" angle=\"*e" << i << ".out.z\""
          << " size=\"0.08, 0.08\" color=\"*k" << i << ".out\" src_blend=\"src_alpha\""
          << " dst_blend=\"one_minus_src_alpha\"/>\n";
    }
    s << "</part></demo>\n";
    return s.str();
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

double AfterLabel(const std::string& text, const std::string& label) {
    const size_t at = text.rfind(label);
    return at == std::string::npos ? 0.0 : std::atof(text.c_str() + at + label.size());
}

}  // namespace

int main() {
    char pattern[] = "/tmp/tatamix-bench-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir) return 1;
    const std::string root = dir;
    const std::string data = root + "/data/";
    if (system(("mkdir -p '" + data + "' && ln -s '" TATAMIX_SOURCE_DIR "/data/GLSL' '" + data + "GLSL'")
                   .c_str()) != 0)
        return 1;
    std::ofstream(data + "script.xml") << Script();

    // 1. The real program.
    const std::string command =
        "cd '" + root + "' && '" TATAMIX_BIN "' -debug -d data -res 1280x720 -seed 1 > run.txt 2>&1";
    const int status = system(command.c_str());
    const std::string debug = ReadAll(root + "/debug.txt");
    const double fps = AfterLabel(debug, "Average frames per second: ");
    const double frames = AfterLabel(debug, "Frames rendered: ");
    if (status != 0 || fps <= 0.0) {
        std::printf("bench_sprites: the program did not run (status %d); its output:\n%s\n", status,
                    ReadAll(root + "/run.txt").c_str());
        return 1;
    }

    // 2. The same script in this process, without the driver.
    SetLogSinks(nullptr, nullptr);
    Loader loader;
    loader.LoadFromDataDirectory(data);
    SetLoader(&loader);
    FakeRenderer renderer;
    renderer.record = false;
    SetTestRenderer(&renderer);
    FakeUserInterface window;
    window.width = 1280;
    window.height = 720;
    SetUserInterface(&window);
    double updateSeconds = 0.0, renderSeconds = 0.0;
    int stepped = 0;
    {
        DemoFramework framework("script.xml");
        framework.RegisterObjectType("effect_null", EffectNull::Create);
        framework.RegisterObjectType("sprite", EffectSprite::Create);
        if (!framework.Init()) return 1;
        const float dt = static_cast<float>(1.0 / fps);
        for (float t = 0.0f; t < kSeconds; t += dt, ++stepped) {
            const double t0 = Now();
            framework.Update(t, dt);
            const double t1 = Now();
            framework.Render();
            updateSeconds += t1 - t0;
            renderSeconds += Now() - t1;
        }
    }
    SetUserInterface(nullptr);
    SetTestRenderer(nullptr);
    SetLoader(nullptr);
    system(("rm -rf '" + root + "'").c_str());

    const double frameMs = 1000.0 / fps;
    const double updateMs = 1000.0 * updateSeconds / stepped;
    const double renderMs = 1000.0 * renderSeconds / stepped;
    std::printf("bench_sprites: %d sprites at 1280x720, %.0f frames in %.1f s\n", kSprites, frames,
                static_cast<double>(kSeconds));
    std::printf("  frames per second:             %8.1f  (%.2f ms per frame)\n", fps, frameMs);
    std::printf("  script step + effect update:   %8.3f ms  (%.1f%% of the frame)\n", updateMs,
                100.0 * updateMs / frameMs);
    std::printf("  effect render work, no driver: %8.3f ms  (%.1f%% of the frame)\n", renderMs,
                100.0 * renderMs / frameMs);
    std::printf("  outside the GL driver:         %8.1f%% of the frame\n",
                100.0 * (updateMs + renderMs) / frameMs);
    return 0;
}
