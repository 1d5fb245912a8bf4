// The tools for show authors, run on the real program: starting later, validating, live
// reloading and capturing straight to a video.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "E2ETestSupport.h"
#include "support/Files.h"

namespace {

const std::string kRepositoryData = std::string(TATAMIX_SOURCE_DIR) + "/data";

// A data folder holding the repository's show files (linked) and a script of the test's own.
class ShowCopy {
public:
    explicit ShowCopy(const std::string& script) {
        m_dir.Write("data/script.xml", script);
        DIR* dir = opendir(kRepositoryData.c_str());
        while (dirent* entry = dir ? readdir(dir) : nullptr) {
            const std::string name = entry->d_name;
            if (name == "." || name == ".." || name == "script.xml") continue;
            const std::string link = m_dir.Path() + "/data/" + name;
            if (symlink((kRepositoryData + "/" + name).c_str(), link.c_str()) != 0) std::perror("symlink");
        }
        if (dir) closedir(dir);
    }
    const std::string& Path() const { return m_dir.Path(); }
    ProcessResult Run(std::vector<std::string> args, double timeout = 300.0) const {
        args.insert(args.begin(), {TatamixBinary(), "-d", "data"});
        return RunProcess(args, m_dir.Path(), timeout);
    }

private:
    TempDir m_dir;
};

// The shipped script with the demo's end moved (children are cut to it).
std::string ShippedScriptEndingAt(const std::string& end) {
    std::string script = ReadFile(kRepositoryData + "/script.xml");
    const size_t demo = script.find("<demo");
    const size_t close = script.find('>', demo);
    const size_t attribute = script.find(" end=\"", demo);
    if (demo == std::string::npos || attribute == std::string::npos || attribute > close) return std::string();
    const size_t value = attribute + 6;
    return script.replace(value, script.find('"', value) - value, end);
}

std::vector<int16_t> ReadSound(const std::string& path) {
    SF_INFO info{};
    std::vector<int16_t> samples;
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file || info.frames > 600 * 44100) return samples;
    samples.resize(static_cast<size_t>(info.frames) * info.channels);
    sf_readf_short(file, samples.data(), info.frames);
    sf_close(file);
    return samples;
}

TEST(AuthoringE2E, StartLaterCapturesTheSameFramesAndSoundAsACaptureFromZero) {
    const std::string script = ShippedScriptEndingAt("13.05");
    ASSERT_FALSE(script.empty());
    ShowCopy show(script);
    const std::vector<std::string> capture = {"-fps", "10", "-res", "320x180", "-seed", "1"};
    std::vector<std::string> full = {"-capture", "full"}, part = {"-capture", "part", "-start", "12.5"};
    full.insert(full.end(), capture.begin(), capture.end());
    part.insert(part.end(), capture.begin(), capture.end());

    ProcessResult fromZero = show.Run(full);
    ASSERT_EQ(fromZero.exitCode, 0) << fromZero.output;
    ASSERT_EQ(CountFrames(show.Path() + "/full"), 131);
    // The progress line, here as log lines (no terminal), ends with the last frame.
    EXPECT_NE(fromZero.output.find("Frame 131 of 131 (100.0%)"), std::string::npos) << fromZero.output;

    ProcessResult later = show.Run(part);
    ASSERT_EQ(later.exitCode, 0) << later.output;
    EXPECT_NE(later.output.find("* Stepping to 12.500 s.."), std::string::npos);
    EXPECT_NE(later.output.find("Frame 6 of 6 (100.0%)"), std::string::npos) << later.output;
    ASSERT_EQ(CountFrames(show.Path() + "/part"), 6);  // 12.5 .. 13.0
    for (int i = 0; i < 6; ++i) {
        EXPECT_TRUE(ReadFile(FramePath(show.Path() + "/full", 125 + i)) ==
                    ReadFile(FramePath(show.Path() + "/part", i)))
            << "frame " << 125 + i;
    }
    const std::vector<int16_t> all = ReadSound(show.Path() + "/full/audio.wav");
    const std::vector<int16_t> stretch = ReadSound(show.Path() + "/part/audio.wav");
    ASSERT_EQ(stretch.size(), 6u * 4410 * 2);
    ASSERT_EQ(all.size(), 131u * 4410 * 2);
    EXPECT_TRUE(std::equal(stretch.begin(), stretch.end(), all.begin() + 125 * 4410 * 2));
    // The stretch is music, not silence.
    int loud = 0;
    for (int16_t s : stretch) loud += std::abs(s) > 1000;
    EXPECT_GT(loud, 1000);
}

TEST(AuthoringE2E, ValidateFindsEveryProblemWithItsLineAndPassesTheShippedShow) {
    TempDir dir;
    ProcessResult shipped = RunProcess({TatamixBinary(), "-d", kRepositoryData, "-validate"}, dir.Path(), 300);
    EXPECT_EQ(shipped.exitCode, 0) << shipped.output;
    EXPECT_NE(shipped.output.find("Validation passed: script.xml and "), std::string::npos) << shipped.output;

    // A bad reference, a missing texture, a shader that does not compile and a missing scene.
    dir.Write("data/script.xml",
              "<demo end=\"10\">\n"
              "  <texture id=\"glow\" src=\"textures/glow.png\"/>\n"
              "  <texture id=\"gone\" src=\"textures/missing.png\"/>\n"
              "  <sprite id=\"s\" tex_id=\"*glow.tex_id\" pos=\"*nowhere.out\"/>\n"
              "  <effect_karate id=\"k\" auto_start=\"false\" src_karate=\"scenes/missing.lws\"/>\n"
              "</demo>\n");
    for (const char* shader : {"Sprite.vert", "Sprite.frag"}) {
        std::string text = ReadFile(kRepositoryData + "/GLSL/Special/" + shader);
        if (std::string(shader) == "Sprite.frag") text.insert(text.find('\n') + 1, "this is not glsl;\n");
        dir.Write(std::string("data/GLSL/Special/") + shader, text);
    }
    ASSERT_EQ(symlink((kRepositoryData + "/textures").c_str(), (dir.Path() + "/data/textures").c_str()), 0);
    ProcessResult broken = RunProcess({TatamixBinary(), "-d", "data", "-validate"}, dir.Path(), 120);
    EXPECT_EQ(broken.exitCode, 2) << broken.output;
    EXPECT_NE(broken.output.find("\nscript.xml:3: src: file not found: textures/missing.png\n"), std::string::npos)
        << broken.output;
    EXPECT_NE(broken.output.find("\nscript.xml:4: ScriptObject::AssignValue(): Reference object not found: "
                                 "\"*nowhere.out\"\n"),
              std::string::npos)
        << broken.output;
    EXPECT_NE(broken.output.find("\nGLSL/Special/Sprite.frag:2: error: "), std::string::npos) << broken.output;
    // A type's own files, as it names them.
    EXPECT_NE(broken.output.find("\nscript.xml:5: src_karate: file not found: scenes/missing.lws\n"), std::string::npos)
        << broken.output;
    EXPECT_NE(broken.output.find("Validation found "), std::string::npos);
    // Nothing was played.
    EXPECT_EQ(broken.output.find("* Running.."), std::string::npos);
}

TEST(AuthoringE2E, WatchPicksUpEditedScriptsAndShadersAndSurvivesBrokenOnes) {
    TempDir dir;
    auto script = [&](const std::string& marker, const std::string& more) {
        dir.Write("data/script.xml", "<demo end=\"120\">\n<effect_null id=\"bg\" clear_color=\"0.2,0,0,1\"/>\n"
                                     "<sprite id=\"s\" size=\"0.2,0.2\"/>\n<part id=\"" +
                                         marker + "\"><event id=\"debug\" start=\"0\"/></part>\n" + more +
                                         "</demo>\n");
    };
    const std::string vertex = ReadFile(kRepositoryData + "/GLSL/Special/Sprite.vert");
    const std::string fragment = ReadFile(kRepositoryData + "/GLSL/Special/Sprite.frag");
    dir.Write("data/GLSL/Special/Sprite.vert", vertex);
    dir.Write("data/GLSL/Special/Sprite.frag", fragment);
    script("version_one", "");
    RunningProcess show({TatamixBinary(), "-d", "data", "-watch", "-res", "160x90"}, dir.Path());
    size_t at = show.WaitFor("\"version_one\" (part)", 0, 60);
    ASSERT_NE(at, std::string::npos) << show.Output();
    // The sprite's shaders are in use (and watched) once it has started.
    show.ReadFor(1.0);

    script("version_two", "");
    at = show.WaitFor("\"version_two\" (part)", at, 30);
    ASSERT_NE(at, std::string::npos) << show.Output();

    dir.Write("data/GLSL/Special/Sprite.frag", fragment + "// edited\n");
    at = show.WaitFor("* Reloaded GLSL/Special/Sprite.frag..", at, 30);
    ASSERT_NE(at, std::string::npos) << show.Output();

    // Broken edits: logged with their file and line, the previous version keeps running.
    std::string broken = fragment;
    broken.insert(broken.find('\n') + 1, "this is not glsl;\n");
    dir.Write("data/GLSL/Special/Sprite.frag", broken);
    at = show.WaitFor("GLSL/Special/Sprite.frag:2: error: ", at, 30);
    ASSERT_NE(at, std::string::npos) << show.Output();
    at = show.WaitFor("* The previous version of GLSL/Special/Sprite.frag keeps running..", at, 10);
    ASSERT_NE(at, std::string::npos) << show.Output();
    // Fixed again: back in place, and the script edits below build on it.
    dir.Write("data/GLSL/Special/Sprite.frag", fragment);
    at = show.WaitFor("* Reloaded GLSL/Special/Sprite.frag..", at, 30);
    ASSERT_NE(at, std::string::npos) << show.Output();

    dir.Write("data/script.xml", "<demo end=\"120\">\n<part id=\"unclosed\">\n</demo>\n");
    at = show.WaitFor("script.xml:3: ", at, 30);
    ASSERT_NE(at, std::string::npos) << show.Output();
    at = show.WaitFor("* The previous version of script.xml keeps running..", at, 10);
    ASSERT_NE(at, std::string::npos) << show.Output();

    // A fatal script error while stepping the new version: the version before comes back.
    script("version_three", "<sprite id=\"bad\" pos=\"*nowhere.out\"/>\n");
    at = show.WaitFor("script.xml:5: fatal script error at 0.000 s", at, 30);
    ASSERT_NE(at, std::string::npos) << show.Output();
    at = show.WaitFor("* The previous version of script.xml comes back..", at, 10);
    ASSERT_NE(at, std::string::npos) << show.Output();
    at = show.WaitFor("\"version_two\" (part)", at, 30);
    ASSERT_NE(at, std::string::npos) << show.Output();

    // Still running, and a good edit after all that is picked up as before.
    show.ReadFor(0.5);
    EXPECT_TRUE(show.IsRunning()) << show.Output();
    script("version_four", "");
    at = show.WaitFor("\"version_four\" (part)", at, 30);
    ASSERT_NE(at, std::string::npos) << show.Output();
    EXPECT_TRUE(show.IsRunning());
    show.Stop();
}

// The keys as a window gets them (the arrows come through GLUT's special-key path): Space
// pauses, Left and Right seek by bars while paused, and the title follows the script time.
TEST(AuthoringE2E, KeysInTheWindowPauseAndSeekAndTheTitleFollows) {
    if (RunProcess({"/bin/sh", "-c", "command -v xdotool"}, "", 10).exitCode != 0) GTEST_SKIP() << "no xdotool";
    ShowDirectory show("<demo end=\"60\"/>");
    // Paused before 4.8 s, two bars back land on 0 wherever it stood; one bar on is 1.92 s.
    const std::string script =
        "'" + TatamixBinary() +
        "' -d data -res 160x90 > show.log 2>&1 & pid=$!; "
        "for i in $(seq 1 200); do wid=$(xdotool search --name '^TATAMIX\\+' 2>/dev/null | head -n 1); "
        "[ -n \"$wid\" ] && break; sleep 0.1; done; "
        "for k in space Left Left Right; do xdotool key --window \"$wid\" $k; sleep 0.3; done; "
        "echo \"title=$(xdotool getwindowname \"$wid\")\"; "
        "xdotool key --window \"$wid\" Escape 2>/dev/null; wait $pid; echo \"status=$?\"";
    ProcessResult r = RunProcess({"/bin/sh", "-c", script}, show.Path(), 90);
    ASSERT_FALSE(r.timedOut);
    EXPECT_NE(r.output.find("status=0"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("title=TATAMIX+ - 1.9 s (paused)\n"), std::string::npos) << r.output;
    const std::string log = show.Dir().Read("show.log");
    EXPECT_TRUE(InOrder(log, {"* Paused..", "* Stepping to 0.000 s..", "* Stepping to 1.920 s.."})) << log;
}

TEST(AuthoringE2E, CaptureToAVideoGoesThroughFfmpegAndSaysSoWhenItIsMissing) {
    ShowDirectory show(
        "<demo end=\"1.0\"><effect_null clear_color=\"0,0.5,1,1\"/>"
        "<audio_stream id=\"music\" src=\"music/tatamix.ogg\"/><event id=\"Play\" target=\"music\" start=\"0\"/>"
        "</demo>");
    // The video's folder is made as a frame directory would be.
    ProcessResult r = show.Run({"-capture", "out/show.mp4", "-fps", "10", "-res", "160x90"});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("Frame 11 of 11 (100.0%)"), std::string::npos) << r.output;
    EXPECT_EQ(CountFrames(show.Path() + "/out"), 0);  // no PNGs on the way
    ProcessResult probe = RunProcess({"/usr/bin/ffprobe", "-v", "error", "-count_frames", "-show_entries",
                                      "stream=codec_type,nb_read_frames,width,height", "-of", "csv=p=0",
                                      "out/show.mp4"},
                                     show.Path(), 60);
    ASSERT_EQ(probe.exitCode, 0) << probe.output;
    EXPECT_NE(probe.output.find("video,160,90,11"), std::string::npos) << probe.output;
    EXPECT_NE(probe.output.find("audio"), std::string::npos) << probe.output;

    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", "/nonexistent", 1);
    ProcessResult missing = show.Run({"-capture", "again.mkv", "-fps", "10", "-res", "160x90"});
    setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.output.find("ERROR: Capturing to a video needs ffmpeg, which is not on the PATH"),
              std::string::npos)
        << missing.output;
}

}  // namespace
