// Mixer cost for 1, 8 and 32 playing Ogg Vorbis streams as a share of one core in real
// time (goal: 32 streams under 25%), stream open time, and the output latency.
#include <sndfile.h>
#include <time.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "io/Loader.h"
#include "sound/AudioBackend.h"
#include "sound/FMODSoundEngine.h"

namespace {

const int kRate = 44100;

double CpuSeconds() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec * 1e-9;
}

// A stereo chord with a slow tremolo, so the encoder has real work and real data.
bool WriteOgg(const std::string& path, double seconds) {
    SF_INFO info = {};
    info.samplerate = kRate;
    info.channels = 2;
    info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) return false;
    const int frames = static_cast<int>(seconds * kRate);
    std::vector<float> block(2 * 4096);
    for (int start = 0; start < frames; start += 4096) {
        int n = std::min(4096, frames - start);
        for (int i = 0; i < n; ++i) {
            double t = static_cast<double>(start + i) / kRate;
            double tremolo = 0.6 + 0.4 * std::sin(2 * M_PI * 0.5 * t);
            double v = 0.2 * tremolo *
                       (std::sin(2 * M_PI * 220 * t) + std::sin(2 * M_PI * 277.2 * t) +
                        std::sin(2 * M_PI * 329.6 * t));
            block[2 * i] = static_cast<float>(v);
            block[2 * i + 1] = static_cast<float>(v * 0.9);
        }
        sf_writef_float(file, block.data(), n);
    }
    sf_close(file);
    return true;
}

}  // namespace

int main() {
    char pattern[] = "/tmp/tatamix_bench_sound_XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir) return 1;
    const std::string name = "music.ogg";
    const std::string path = std::string(dir) + "/" + name;
    const double musicSeconds = 180.0;
    std::printf("Encoding a %.0f s Ogg Vorbis test stream..\n", musicSeconds);
    if (!WriteOgg(path, musicSeconds)) return 1;
    Loader loader;
    loader.LoadFromDataDirectory(std::string(dir) + "/");

    std::printf("%-10s %14s %14s %14s\n", "streams", "audio s", "cpu s", "share of core");
    for (int streams : {1, 8, 32}) {
        AudioBackend_SetOffline("");
        FMODSoundEngine engine;
        if (!engine.Init(1.0f)) return 1;
        double openStart = CpuSeconds();
        std::vector<int> ids;
        for (int i = 0; i < streams; ++i) ids.push_back(engine.LoadStream(&loader, name.c_str()));
        double openMs = (CpuSeconds() - openStart) * 1000.0 / streams;
        for (int id : ids) engine.SetVolume(engine.PlayStream(id), 1.0f / streams);
        const double audioSeconds = 20.0;
        double start = CpuSeconds();
        // Frame-sized steps with the per-frame engine work, as the show does at 60 fps.
        const int steps = static_cast<int>(audioSeconds * 60);
        for (int f = 1; f <= steps; ++f) {
            AudioBackend_MixOfflineTo(static_cast<uint64_t>(f) * kRate / 60);
            engine.Update();
            engine.GetOscilloscopeLength();
        }
        double cpu = CpuSeconds() - start;
        std::printf("%-10d %14.1f %14.3f %13.2f%%   (open %.2f ms per stream)\n", streams, audioSeconds, cpu,
                    100.0 * cpu / audioSeconds, openMs);
        engine.DeleteAll();
        AudioBackend_SetOffline(nullptr);
    }
    std::printf("Output latency: %d frames / %d Hz = %.1f ms\n", AudioBackend_GetBufferFrames(), kRate,
                1000.0 * AudioBackend_GetBufferFrames() / kRate);
    std::remove(path.c_str());
    std::remove(dir);
    return 0;
}
