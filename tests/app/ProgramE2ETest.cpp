// Runs the real program on small data directories under the virtual display.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "E2ETestSupport.h"

namespace {

const char* const kSmallWindow = "320x180";

TEST(ProgramE2E, PlaysToTheEndAndShutsDownInOrder) {
    ShowDirectory show("<demo end=\"1.0\"><part start=\"0\" end=\"+0.5\"/></demo>");
    ProcessResult r = show.Run({"-debug", "-res", kSmallWindow});
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(InOrder(r.output, {"Debug logging enabled: debug.txt.", "\nTATAMIX+", "* Initializing loader..",
                                   "  Loading from data directory: data/", "* Initializing GLUT user interface..",
                                   "* Running..", "* Script ended.", "* Destroying demo framework..",
                                   "* Destroying geomerty engine..", "* Destroying sound engine..",
                                   "* Destroying renderer..", "* Destroying user interface..",
                                   "* Destroying loader..", "* The End\n\n"}))
        << r.output;
    EXPECT_EQ(r.output.find("undeleted"), std::string::npos) << r.output;
    const std::string debug = show.Dir().Read("debug.txt");
    EXPECT_TRUE(InOrder(debug, {"onexitCallback() called.", std::string(65, '-'), "onexitCallback() finished."}));
    // The geometry engine lives from its start-up step to its shut-down step.
    EXPECT_TRUE(InOrder(debug, {"* Initializing geometry engine..", "GeomEngine::GeomEngine() finished.",
                                "* Initializing demo framework..", "* Destroying geomerty engine..",
                                "GeomEngine::DeleteAllNodes() finished.", "GeomEngine::~GeomEngine() finished.",
                                "* Destroying sound engine.."}))
        << debug;
}

TEST(ProgramE2E, UsageAndOptionErrorsRunNoShutDown) {
    ShowDirectory show("<demo end=\"1\"/>");
    ProcessResult help = show.Run({"-help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.output.find("-volume X      Sets master volume in range [0..100]. (Default=80)."), std::string::npos);
    EXPECT_EQ(help.output.find("* The End"), std::string::npos);

    ProcessResult unknown = show.Run({"-nonsense"});
    EXPECT_EQ(unknown.exitCode, 255);
    EXPECT_TRUE(InOrder(unknown.output, {"ERROR: Unknown command line parameter: -nonsense\n\nUsage:"}));

    ProcessResult twice = show.Run({"-f", "other.dat"});
    EXPECT_EQ(twice.exitCode, 255);
    EXPECT_NE(twice.output.find("ERROR: Data source already defined."), std::string::npos);
}

TEST(ProgramE2E, ScriptHelpListsTypesWithoutParsingTheScript) {
    ShowDirectory show("this is <not xml");
    ProcessResult r = show.Run({"-scripthelp", "-res", kSmallWindow});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    const std::string rule = "\n\n" + std::string(65, '-') + "\n\nScript object help: ";
    EXPECT_TRUE(InOrder(r.output, {"Script help:", "Script objects:", rule + "audio_stream", rule + "boolean",
                                   rule + "color3", rule + "color4", rule + "envelope", rule + "float",
                                   rule + "func_add", rule + "vector4", "(End of script help.)", "* The End"}))
        << r.output;
    EXPECT_EQ(r.output.find("Parsing demo script failed."), std::string::npos);
}

TEST(ProgramE2E, ScriptFailuresAndTheirExitCodes) {
    {
        ShowDirectory show("<demo end=\"1\"/>");
        std::remove((show.Path() + "/data/script.xml").c_str());
        ProcessResult r = show.Run({"-res", kSmallWindow});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(InOrder(r.output, {"ERROR: Loading demo script failed.", "ERROR: Initializing application failed.",
                                       "* The End"}))
            << r.output;
    }
    {
        ShowDirectory show("<demo end=\"1\">\n  <part>\n</demo>");
        ProcessResult r = show.Run({"-res", kSmallWindow});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(InOrder(r.output, {"ERROR: ScriptParser: XML parse error in  (row=", "ERROR: Parsing demo script failed.",
                                       "ERROR: Initializing application failed."}))
            << r.output;
    }
    {
        ShowDirectory show("<demo end=\"5\"><float id=\"f\" nope=\"1\"/></demo>");
        ProcessResult r = show.Run({"-res", kSmallWindow});
        EXPECT_EQ(r.exitCode, 255);
        EXPECT_TRUE(InOrder(r.output, {"ERROR: ScriptObject::AssignValue(): Target child object not found: \"nope\"",
                                       "* The End"}))
            << r.output;
    }
}

TEST(ProgramE2E, CaptureWritesOneFramePerStepAndIsRepeatable) {
    // Frames at 0.0, 0.1, ... 0.5 are rendered; the update at 0.6 passes the end (0.5) and ends
    // the program before rendering, so a 0.5 s script at 10 fps gives exactly 6 frames.
    ShowDirectory show("<demo end=\"0.5\"><func_rand id=\"r\"/></demo>");
    ProcessResult first = show.Run({"-capture", "a", "-fps", "10", "-seed", "7", "-res", kSmallWindow});
    ASSERT_EQ(first.exitCode, 0) << first.output;
    ProcessResult second = show.Run({"-capture", "b", "-fps", "10", "-seed", "7", "-res", kSmallWindow});
    ASSERT_EQ(second.exitCode, 0) << second.output;
    EXPECT_EQ(CountFrames(show.Path() + "/a"), 6);
    EXPECT_EQ(CountFrames(show.Path() + "/b"), 6);
    for (int i = 0; i < 6; ++i) {
        char name[32];
        std::snprintf(name, sizeof(name), "/frame_%05d.png", i);
        const std::string a = ReadFile(show.Path() + "/a" + name);
        ASSERT_FALSE(a.empty());
        EXPECT_TRUE(a == ReadFile(show.Path() + "/b" + name)) << name;
    }
    uint32_t w = 0, h = 0;
    ASSERT_TRUE(ReadPngSize(show.Path() + "/a/frame_00000.png", &w, &h));
    EXPECT_EQ(w, 320u);
    EXPECT_EQ(h, 180u);
}

TEST(ProgramE2E, SynchronizeRestartsScriptTime) {
    // Without the event the script ends after 11 frames at 10 fps; synchronising at 0.5 s
    // moves the origin, so 5 more frames are needed.
    ShowDirectory plain("<demo end=\"1.0\"/>");
    ProcessResult a = plain.Run({"-capture", "f", "-fps", "10", "-res", kSmallWindow});
    ASSERT_EQ(a.exitCode, 0) << a.output;
    EXPECT_EQ(CountFrames(plain.Path() + "/f"), 11);

    ShowDirectory synced("<demo end=\"1.0\"><event id=\"Synchronize\" start=\"0.5\"/></demo>");
    ProcessResult b = synced.Run({"-capture", "f", "-fps", "10", "-res", kSmallWindow});
    ASSERT_EQ(b.exitCode, 0) << b.output;
    EXPECT_EQ(CountFrames(synced.Path() + "/f"), 16);
}

TEST(ProgramE2E, PackedDataFileExtractsToTheFilesTheRunLoaded) {
    ShowDirectory show("<demo end=\"0.2\"><texture id=\"star\" src=\"textures/star.png\"/></demo>");
    ProcessResult pack = show.Run({"-g", "out.dat", "-capture", "a", "-fps", "10", "-res", kSmallWindow});
    ASSERT_EQ(pack.exitCode, 0) << pack.output;
    EXPECT_TRUE(InOrder(pack.output, {"* Destroying user interface..", "* Generating data file..", "* Destroying loader.."}));

    ProcessResult extract = RunProcess({TatamixBinary(), "-f", "out.dat", "-x", "extracted", "-capture", "b", "-fps",
                                        "10", "-res", kSmallWindow},
                                       show.Path(), 120);
    ASSERT_EQ(extract.exitCode, 0) << extract.output;
    EXPECT_NE(extract.output.find("* Extracting data file to directory.."), std::string::npos);
    for (const char* name : {"script.xml", "textures/star.png", "textures/font_default.png"}) {
        const std::string original = ReadFile(show.Path() + "/data/" + name);
        ASSERT_FALSE(original.empty()) << name;
        EXPECT_TRUE(ReadFile(show.Path() + "/extracted/" + name) == original) << name;
    }
}

TEST(ProgramE2E, EscapeEndsTheShowWithStatusZero) {
    if (RunProcess({"/bin/sh", "-c", "command -v xdotool"}, "", 10).exitCode != 0) GTEST_SKIP() << "no xdotool";
    ShowDirectory show("<demo end=\"60\"/>");
    // Start the show, wait for its window, press Escape in it, report the show's exit status.
    // The display is this test program's own (see RunProcess), so the window is the only show.
    const std::string script =
        "'" + TatamixBinary() + "' -d data -res 320x180 > show.log 2>&1 & pid=$!; "
        "for i in $(seq 1 200); do wid=$(xdotool search --name '^TATAMIX\\+$' 2>/dev/null | head -n 1); "
        "[ -n \"$wid\" ] && break; sleep 0.1; done; sleep 0.5; "
        "xdotool key --window \"$wid\" Escape 2>/dev/null; wait $pid; echo \"status=$?\"";
    ProcessResult r = RunProcess({"/bin/sh", "-c", script}, show.Path(), 90);
    ASSERT_FALSE(r.timedOut);
    EXPECT_NE(r.output.find("status=0"), std::string::npos) << r.output;
    const std::string log = show.Dir().Read("show.log");
    EXPECT_TRUE(InOrder(log, {"* Running..", "* Destroying demo framework..", "* The End"})) << log;
    EXPECT_EQ(log.find("* Script ended."), std::string::npos);
}

TEST(ProgramE2E, BothFrontEndsOpenAtDefaultAndRequestedSizes) {
    ShowDirectory show("<demo end=\"0.05\"/>");
    struct Case {
        std::vector<std::string> args;
        uint32_t width, height;
        const char* banner;
    } cases[] = {
        {{"-capture", "glut", "-fps", "10"}, 1280, 720, "* Initializing GLUT user interface.."},
        {{"-capture", "glut_res", "-fps", "10", "-res", "400x300"}, 400, 300, "* Initializing GLUT user interface.."},
        {{"-win_sdl", "-capture", "sdl", "-fps", "10"}, 1280, 720, "* Initializing SDL user interface.."},
        {{"-win_sdl", "-capture", "sdl_res", "-fps", "10", "-res", "640x360"}, 640, 360,
         "* Initializing SDL user interface.."},
    };
    for (const Case& c : cases) {
        ProcessResult r = show.Run(c.args);
        ASSERT_EQ(r.exitCode, 0) << r.output;
        EXPECT_NE(r.output.find(c.banner), std::string::npos);
        uint32_t w = 0, h = 0;
        ASSERT_TRUE(ReadPngSize(show.Path() + "/" + c.args[c.args[0] == "-win_sdl" ? 2 : 1] + "/frame_00000.png", &w, &h));
        EXPECT_EQ(w, c.width);
        EXPECT_EQ(h, c.height);
    }
}

}  // namespace
