#include "app/StartupOptions.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "support/LogCapture.h"
#include "support/TempDir.h"

namespace {

struct Parsed {
    StartupOptions options;
    OptionsResult result;
    std::string console;
};

Parsed Parse(const std::vector<std::string>& args) {
    std::vector<std::string> storage{"tatamix"};
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& s : storage) argv.push_back(s.data());
    LogCapture log;
    Parsed p;
    p.result = ParseStartupOptions(static_cast<int>(argv.size()), argv.data(), p.options);
    p.console = log.Console();
    return p;
}

TEST(StartupOptions, EachOptionSetsWhatItNames) {
    using Check = std::function<void(const StartupOptions&)>;
    struct Case {
        std::vector<std::string> args;
        Check check;
    } cases[] = {
        {{}, [](const StartupOptions& o) {
             EXPECT_TRUE(o.useGlut);
             EXPECT_FALSE(o.fullScreen);
             EXPECT_EQ(o.width, 0);
             EXPECT_FLOAT_EQ(o.masterVolume, 0.75f);
             EXPECT_FALSE(o.dataSourceDefined);
         }},
        // The later of -full / -win_* wins; "/" works like "-"; -fsaa and -vsync change nothing.
        {{"-full", "-win_glut"}, [](const StartupOptions& o) { EXPECT_FALSE(o.fullScreen); }},
        {{"-win_glut", "/full"}, [](const StartupOptions& o) { EXPECT_TRUE(o.fullScreen); }},
        {{"-win_sdl", "-fsaa", "/vsync", "-scripthelp"}, [](const StartupOptions& o) {
             EXPECT_FALSE(o.useGlut);
             EXPECT_TRUE(o.printScriptHelp);
         }},
        // Fields of -res that parse are taken, the rest keep their values.
        {{"-res", "1024x600", "/res", "640xabc"}, [](const StartupOptions& o) {
             EXPECT_EQ(o.width, 640);
             EXPECT_EQ(o.height, 600);
         }},
        {{"-res"}, [](const StartupOptions& o) { EXPECT_EQ(o.width, 0); }},
        {{"-volume", "150"}, [](const StartupOptions& o) { EXPECT_FLOAT_EQ(o.masterVolume, 1.0f); }},
        {{"-volume", "-5"}, [](const StartupOptions& o) { EXPECT_FLOAT_EQ(o.masterVolume, 0.0f); }},
        {{"-volume", "loud"}, [](const StartupOptions& o) { EXPECT_FLOAT_EQ(o.masterVolume, 0.75f); }},
        {{"-volume", "40"}, [](const StartupOptions& o) { EXPECT_FLOAT_EQ(o.masterVolume, 0.4f); }},
        {{"-win_sdl", "-volume"}, [](const StartupOptions& o) { EXPECT_FLOAT_EQ(o.masterVolume, 0.75f); }},
        {{"-d", "mydata"}, [](const StartupOptions& o) {
             EXPECT_TRUE(o.dataSourceDefined);
             EXPECT_FALSE(o.dataSourceIsFile);
             EXPECT_EQ(o.dataDirectory, "mydata/");
         }},
        {{"/d", "mydata\\"}, [](const StartupOptions& o) { EXPECT_EQ(o.dataDirectory, "mydata\\"); }},
        {{"-f", "show.dat", "-x", "out", "-g", "gen.dat"}, [](const StartupOptions& o) {
             EXPECT_TRUE(o.dataSourceIsFile);
             EXPECT_EQ(o.dataFile, "show.dat");
             EXPECT_EQ(o.extractDirectory, "out/");
             EXPECT_EQ(o.generateFileName, "gen.dat");
         }},
        // A source option as the last argument leaves the source undefined (the default rule applies).
        {{"-f"}, [](const StartupOptions& o) { EXPECT_FALSE(o.dataSourceDefined); }},
        {{"-g"}, [](const StartupOptions& o) { EXPECT_FALSE(o.generateDataFile); }},
        {{"-x"}, [](const StartupOptions& o) { EXPECT_FALSE(o.extractDataFile); }},
        {{"-capture", "frames", "-fps", "10", "-seed", "1234"}, [](const StartupOptions& o) {
             EXPECT_EQ(o.captureDirectory, "frames/");
             EXPECT_FLOAT_EQ(o.captureFps, 10.0f);
             EXPECT_TRUE(o.seedGiven);
             EXPECT_EQ(o.seed, 1234u);
         }},
        // A video target is a file, not a directory.
        {{"-capture", "show.mp4"}, [](const StartupOptions& o) {
             EXPECT_TRUE(o.captureVideo);
             EXPECT_EQ(o.captureDirectory, "show.mp4");
         }},
        {{"-capture", "out.mkv/"}, [](const StartupOptions& o) { EXPECT_FALSE(o.captureVideo); }},
        {{"-start", "12.5", "-bar", "2", "-watch", "/validate"}, [](const StartupOptions& o) {
             EXPECT_DOUBLE_EQ(o.startTime, 12.5);
             EXPECT_DOUBLE_EQ(o.barLength, 2.0);
             EXPECT_TRUE(o.watch);
             EXPECT_TRUE(o.validate);
         }},
    };
    for (const Case& c : cases) {
        Parsed p = Parse(c.args);
        EXPECT_FALSE(p.result.exit) << testing::PrintToString(c.args);
        EXPECT_TRUE(p.console.empty()) << testing::PrintToString(c.args) << p.console;
        c.check(p.options);
    }
}

TEST(StartupOptions, HelpAndErrorsEndParsingWithTheirStatus) {
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string firstLine;
    } cases[] = {
        {{"-?", "-unknown"}, 0, "Usage:"},
        {{"/help"}, 0, "Usage:"},
        {{"-win_glut", "-bogus"}, -1, "ERROR: Unknown command line parameter: -bogus"},
        {{"-HELP"}, -1, "ERROR: Unknown command line parameter: -HELP"},  // exact, case-sensitive
        {{"--help"}, -1, "ERROR: Unknown command line parameter: --help"},
        {{"-d", "a", "-f", "b"}, -1, "ERROR: Data source already defined."},
        {{"-f", "b", "/d", "a"}, -1, "ERROR: Data source already defined."},
        {{"-fps", "0"}, -1, "ERROR: Invalid frame rate: 0"},
        {{"-seed", "12ab"}, -1, "ERROR: Invalid seed: 12ab"},
        {{"-start", "-1"}, -1, "ERROR: Invalid start time: -1"},
        {{"-start", "nan"}, -1, "ERROR: Invalid start time: nan"},
        {{"-start", "1e9"}, -1, "ERROR: Invalid start time: 1e9"},
        {{"-bar", "0"}, -1, "ERROR: Invalid bar length: 0"},
    };
    for (const Case& c : cases) {
        Parsed p = Parse(c.args);
        EXPECT_TRUE(p.result.exit) << c.firstLine;
        EXPECT_EQ(p.result.exitCode, c.exitCode) << c.firstLine;
        EXPECT_EQ(p.console.rfind(c.firstLine + "\n", 0), 0u) << p.console;
        // Errors are followed by the usage text too.
        EXPECT_NE(p.console.find("-volume X      Sets master volume"), std::string::npos) << c.firstLine;
    }
}

TEST(StartupOptions, HelpListsOurOptionsAfterTheOriginalLines) {
    const std::string help = Parse({"-help"}).console;
    const size_t original = help.find("-volume X      Sets master volume in range [0..100]. (Default=80).\n\n");
    ASSERT_NE(original, std::string::npos) << help;
    for (const char* option : {"\n-capture DIR ", "\n-capture F.mp4 ", "\n-start T ", "\n-bar S ", "\n-watch ", "\n-validate "}) {
        EXPECT_GT(help.find(option), original) << option;
        EXPECT_NE(help.find(option), std::string::npos) << option;
    }
}

TEST(StartupOptions, DebugCountsOnlyAsTheFirstArgument) {
    EXPECT_TRUE(Parse({"-debug"}).console.empty());
    Parsed late = Parse({"-win_sdl", "-debug"});
    EXPECT_FALSE(late.result.exit);
    EXPECT_EQ(late.console,
              "WARNING: Command line parameter -debug must always be the first parameter, otherwise ignored!\n");
    std::vector<std::string> s{"tatamix", "/debug"};
    std::vector<char*> argv{s[0].data(), s[1].data()};
    EXPECT_TRUE(IsDebugLogRequested(2, argv.data()));
    EXPECT_FALSE(IsDebugLogRequested(1, argv.data()));
}

TEST(StartupOptions, DataSourceDefaultRuleProbesDemoDat) {
    TempDir dir;
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof(previous)), nullptr);
    ASSERT_EQ(chdir(dir.Path().c_str()), 0);
    StartupOptions o;
    o.dataSourceIsFile = true;  // "-f" without a file name
    ApplyDataSourceDefault(o);
    EXPECT_FALSE(o.dataSourceIsFile);
    EXPECT_EQ(o.dataDirectory, "data/");
    dir.Write("demo.dat", "");
    StartupOptions withFile;
    ApplyDataSourceDefault(withFile);
    EXPECT_TRUE(withFile.dataSourceIsFile);
    EXPECT_EQ(withFile.dataFile, "demo.dat");
    // An explicit directory skips the probe.
    StartupOptions explicitDir;
    explicitDir.dataSourceDefined = true;
    explicitDir.dataDirectory = "elsewhere/";
    ApplyDataSourceDefault(explicitDir);
    EXPECT_FALSE(explicitDir.dataSourceIsFile);
    ASSERT_EQ(chdir(previous), 0);
}

}  // namespace
