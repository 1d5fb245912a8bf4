// Runs the real program on small data directories, each test program on an X display of its own.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <string>

#include "E2ETestSupport.h"
#include "support/ImageEncoding.h"

namespace {

const char* const kSmallWindow = "320x180";

TEST(ProgramE2E, PlaysToTheEndAndShutsDownInOrder) {
    ShowDirectory show("<demo end=\"1.0\"><part start=\"0\" end=\"+0.5\"/></demo>");
    ProcessResult r = show.Run({"-debug", "-res", kSmallWindow});
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(InOrder(
        r.output, {"Debug logging enabled: debug.txt.", "\nTATAMIX+", "* Initializing loader..",
                   "  Loading from data directory: data/", "* Initializing GLUT user interface..",
                   "* Running..", "* Script ended.", "* Destroying demo framework..",
                   "* Destroying geomerty engine..", "* Destroying sound engine..", "* Destroying renderer..",
                   "* Destroying user interface..", "* Destroying loader..", "* The End\n\n"}))
        << r.output;
    EXPECT_EQ(r.output.find("undeleted"), std::string::npos) << r.output;
    const std::string debug = show.Dir().Read("debug.txt");
    EXPECT_TRUE(
        InOrder(debug, {"onexitCallback() called.", std::string(65, '-'), "onexitCallback() finished."}));
    // The geometry engine lives from its start-up step to its shut-down step.
    EXPECT_TRUE(InOrder(debug, {"* Initializing geometry engine..", "GeomEngine::GeomEngine() finished.",
                                "* Initializing demo framework..", "* Destroying geomerty engine..",
                                "GeomEngine::DeleteAllNodes() finished.",
                                "GeomEngine::~GeomEngine() finished.", "* Destroying sound engine.."}))
        << debug;
}

// Hostile and broken input: each run ends with its message and status, nothing it read is
// lost, and nothing outside the places it may write is touched.
TEST(ProgramE2E, BadInputEndsWithItsMessageAndStatus) {
    const std::string texture = "<texture id=\"t\" src=\"own.png\"/>";
    std::string siblings = "<demo id=\"show\" end=\"0.1\">";
    for (int i = 0; i < 40000; ++i) siblings += "<float id=\"f" + std::to_string(i) + "\"/>";
    siblings += "<float id=\"f39999\"/></demo>";
    std::string jpeg = std::string(1, '\0');
    {
        // An end-of-image marker inside the scan data: libjpeg would fill the rest with grey.
        const std::vector<uint8_t> good = EncodeJpeg(64, 64, 1, std::vector<uint8_t>(64 * 64, 90), 90);
        jpeg.assign(good.begin(), good.end());
        jpeg.replace(jpeg.size() - 40, 2, "\xff\xd9");
    }
    struct Case {
        std::string name, script;
        std::vector<std::string> args;
        int exitCode;
        std::string message;
        std::function<void(const ShowDirectory&)> prepare = nullptr;
    } cases[] = {
        {"pack into the script",
         "<demo end=\"0.1\"/>",
         {"-g", "data/script.xml"},
         255,
         "ERROR: Loader: Data file target is one of the files it would pack: data/script.xml\n"},
        {"pack into a file the show loaded",
         "<demo end=\"0.1\">" + texture + "</demo>",
         {"-g", "data/own.png"},
         1,
         "ERROR: Loader: Data file target is one of the files it would pack: data/own.png\n"},
        {"window beyond X",
         "<demo end=\"0.1\"/>",
         {"-res", "100000x100000"},
         1,
         "ERROR: GLUTUserInterface: Window size 100000x100000 is larger than the X display allows"},
        {"window beyond OpenGL",
         "<demo end=\"0.1\"/>",
         {"-win_sdl", "-res", "20000x100"},
         1,
         "ERROR: SDLUserInterface: Window size 20000x100 is larger than OpenGL can render here"},
        {"data file that is a FIFO",
         "",
         {"-f", "pipe.dat"},
         1,
         "ERROR: Loader: Opening data file failed: pipe.dat\n",
         [](const ShowDirectory& show) { mkfifo((show.Path() + "/pipe.dat").c_str(), 0600); }},
        {"end that never comes",
         "<demo end=\"nan\"/>",
         {},
         255,
         "ERROR: Script node demo. end is not a finite time: \"nan\"\n"},
        {"infinite event time",
         "<demo end=\"1\"><event id=\"Play\" start=\"inf\"/></demo>",
         {},
         255,
         "ERROR: Script node event. start is not a finite time: \"inf\"\n"},
        {"40,000 siblings and a duplicate",
         siblings,
         {},
         255,
         "ERROR: Object with the same id already defined: show.f39999\n"},
        {"a huge value in a message",
         "<demo end=\"1\"><float id=\"f\" nope=\"" + std::string(50000, 'x') + "\"/></demo>",
         {},
         255,
         "nope=\"" + std::string(200, 'x') +
             "... (50000 characters)\")\nERROR: ScriptObject::AssignValue(): "
             "Target child object not found: \"nope\"\n"},
        {"corrupt image and huge target",
         "<demo end=\"0.1\"><texture id=\"j\" src=\"bad.jpg\"/>"
         "<render_target id=\"rt\" width=\"100000\" height=\"64\"/></demo>",
         // A captured frame 0 is at time 0 however slowly the machine starts.
         {"-capture", "frames", "-fps", "10"},
         0,
         "ERROR: Bitmap: Error reading JPEG image.\n",
         [&](const ShowDirectory& show) { show.Dir().Write("data/bad.jpg", jpeg); }},
    };
    for (const Case& c : cases) {
        ShowDirectory show(c.script);
        const std::vector<uint8_t> png = EncodePng(2, 2, PNG_COLOR_TYPE_GRAY, 8, {1, 2, 3, 4});
        show.Dir().Write("data/own.png", std::string(png.begin(), png.end()));
        if (c.prepare) c.prepare(show);
        std::vector<std::string> args = c.args;
        if (c.args.empty() || c.args[0] != "-res") args.insert(args.begin(), {"-res", kSmallWindow});
        args.insert(args.begin(), TatamixBinary());
        // Every case reads the show from data/ unless it names a data file of its own.
        if (std::find(args.begin(), args.end(), "-f") == args.end())
            args.insert(args.begin() + 1, {"-d", "data"});
        ProcessResult r = RunProcess(args, show.Path(), 30);
        EXPECT_FALSE(r.timedOut) << c.name;
        EXPECT_EQ(r.exitCode, c.exitCode) << c.name << "\n" << r.output.substr(0, 4000);
        EXPECT_NE(r.output.find(c.message), std::string::npos) << c.name << "\n" << r.output.substr(0, 4000);
        EXPECT_LT(r.output.size(), 20000u) << c.name;
        EXPECT_EQ(r.output.find("undeleted"), std::string::npos) << c.name << "\n" << r.output;
        // Sizes first: a program that packs into its own input grows that file without end.
        struct stat st;
        ASSERT_EQ(stat((show.Path() + "/data/script.xml").c_str(), &st), 0);
        ASSERT_EQ(static_cast<size_t>(st.st_size), c.script.size()) << c.name;
        EXPECT_TRUE(show.Dir().Read("data/script.xml") == c.script) << c.name;
        EXPECT_TRUE(show.Dir().Read("data/own.png") == std::string(png.begin(), png.end())) << c.name;
        if (c.exitCode == 0) {
            EXPECT_NE(r.output.find("capped to 4096x64."), std::string::npos) << r.output;
        }
    }
}

TEST(ProgramE2E, PackedDataFileExtractsToTheFilesTheRunLoaded) {
    ShowDirectory show("<demo end=\"0.2\"><texture id=\"star\" src=\"textures/star.png\"/></demo>");
    ProcessResult pack = show.Run({"-g", "out.dat", "-capture", "a", "-fps", "10", "-res", kSmallWindow});
    ASSERT_EQ(pack.exitCode, 0) << pack.output;
    EXPECT_TRUE(InOrder(
        pack.output, {"* Destroying user interface..", "* Generating data file..", "* Destroying loader.."}));
    struct stat packed;
    ASSERT_EQ(stat((show.Path() + "/out.dat").c_str(), &packed), 0);
    EXPECT_NE(packed.st_mode & 0044, 0u) << "the data file keeps the usual permissions";

    // Inside the target a link to a folder outside it is never followed, an existing file is
    // overwritten with a warning.
    show.Dir().MakeDir("outside");
    show.Dir().MakeDir("extracted");
    ASSERT_EQ(symlink((show.Path() + "/outside").c_str(), (show.Path() + "/extracted/textures").c_str()), 0);
    show.Dir().Write("extracted/script.xml", "old");
    ProcessResult extract = RunProcess({TatamixBinary(), "-f", "out.dat", "-x", "extracted", "-capture", "b",
                                        "-fps", "10", "-res", kSmallWindow},
                                       show.Path(), 120);
    ASSERT_EQ(extract.exitCode, 0) << extract.output;
    EXPECT_NE(extract.output.find("* Extracting data file to directory.."), std::string::npos);
    EXPECT_NE(extract.output.find("WARNING: Loader: Overwriting existing file: extracted/script.xml\n"),
              std::string::npos)
        << extract.output;
    EXPECT_NE(extract.output.find("ERROR: Extracting file failed: extracted/textures/star.png\n"),
              std::string::npos);
    EXPECT_FALSE(show.Dir().Exists("outside/star.png"));
    EXPECT_TRUE(ReadFile(show.Path() + "/extracted/script.xml") == show.Dir().Read("data/script.xml"));

    unlink((show.Path() + "/extracted/textures").c_str());
    extract = RunProcess({TatamixBinary(), "-f", "out.dat", "-x", "extracted", "-capture", "c", "-fps", "10",
                          "-res", kSmallWindow},
                         show.Path(), 120);
    ASSERT_EQ(extract.exitCode, 0) << extract.output;
    for (const char* name : {"script.xml", "textures/star.png", "textures/font_default.png"}) {
        const std::string original = ReadFile(show.Path() + "/data/" + name);
        ASSERT_FALSE(original.empty()) << name;
        EXPECT_TRUE(ReadFile(show.Path() + "/extracted/" + name) == original) << name;
    }
}

TEST(ProgramE2E, EscapeEndsTheShowWithStatusZero) {
    if (RunProcess({"/bin/sh", "-c", "command -v xdotool"}, "", 10).exitCode != 0)
        GTEST_SKIP() << "no xdotool";
    ShowDirectory show("<demo end=\"60\"/>");
    // Start the show, wait for its window, press Escape in it, report the show's exit status.
    // The display is this test program's own (see RunProcess), so the window is the only show;
    // its title goes on with the script time.
    const std::string script =
        "'" + TatamixBinary() +
        "' -d data -res 320x180 > show.log 2>&1 & pid=$!; "
        "for i in $(seq 1 200); do wid=$(xdotool search --name '^TATAMIX\\+' 2>/dev/null | head -n 1); "
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
        {{"-capture", "glut_res", "-fps", "10", "-res", "400x300"},
         400,
         300,
         "* Initializing GLUT user interface.."},
        {{"-win_sdl", "-capture", "sdl", "-fps", "10"}, 1280, 720, "* Initializing SDL user interface.."},
        {{"-win_sdl", "-capture", "sdl_res", "-fps", "10", "-res", "640x360"},
         640,
         360,
         "* Initializing SDL user interface.."},
    };
    for (const Case& c : cases) {
        ProcessResult r = show.Run(c.args);
        ASSERT_EQ(r.exitCode, 0) << r.output;
        EXPECT_NE(r.output.find(c.banner), std::string::npos);
        uint32_t w = 0, h = 0;
        ASSERT_TRUE(ReadPngSize(
            show.Path() + "/" + c.args[c.args[0] == "-win_sdl" ? 2 : 1] + "/frame_00000.png", &w, &h));
        EXPECT_EQ(w, c.width);
        EXPECT_EQ(h, c.height);
    }
}

TEST(ProgramE2E, WithoutAnXDisplayOneLineSaysSo) {
    ShowDirectory show("<demo end=\"1\"/>");
    ProcessResult r =
        RunProcess({"/usr/bin/env", "-u", "DISPLAY", TatamixBinary(), "-d", "data"}, show.Path(), 60);
    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_TRUE(InOrder(r.output,
                        {"ERROR: GLUTUserInterface: No X display (DISPLAY is not set): run the program on a "
                         "desktop or under xvfb-run.\nERROR: Initializing user interface failed.\n"}))
        << r.output;
    EXPECT_EQ(r.output.find("freeglut"), std::string::npos) << r.output;
}

}  // namespace
