#include "app/StartupOptions.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/Banner.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

namespace {

struct Parsed {
    StartupOptions options;
    OptionsResult result;
    std::string console;
};

Parsed Parse(std::initializer_list<const char*> args) {
    std::vector<std::string> storage{"tatamix"};
    for (const char* a : args) storage.emplace_back(a);
    std::vector<char*> argv;
    for (auto& s : storage) argv.push_back(s.data());
    LogCapture log;
    Parsed p;
    p.result = ParseStartupOptions(static_cast<int>(argv.size()), argv.data(), p.options);
    p.console = log.Console();
    return p;
}

const char* const kUsage =
    "Usage:\n\nHelp and usage:\n-? -help       Print this help text and exit.\n\nWindow parameters:\n"
    "-win_glut      Enable windowed mode with GLUT (Default).\n-win_sdl       Enable windowed mode with SDL.\n"
    "-full          Enable fullscreen mode.\n-res WxH       Resolution for fullscreen mode (Default=current).\n\n"
    "Sound parameters:\n-volume X      Sets master volume in range [0..100]. (Default=80).\n\n";

TEST(StartupOptions, DefaultsWithoutArguments) {
    Parsed p = Parse({});
    EXPECT_FALSE(p.result.exit);
    EXPECT_TRUE(p.options.useGlut);
    EXPECT_FALSE(p.options.fullScreen);
    EXPECT_EQ(p.options.width, 0);
    EXPECT_EQ(p.options.height, 0);
    EXPECT_FLOAT_EQ(p.options.masterVolume, 0.75f);
    EXPECT_FALSE(p.options.dataSourceDefined);
    EXPECT_TRUE(p.console.empty());
}

TEST(StartupOptions, HelpPrintsTheFourteenUsageLinesAndStops) {
    for (const char* help : {"-?", "/?", "-help", "/help"}) {
        Parsed p = Parse({help, "-unknown"});
        EXPECT_TRUE(p.result.exit);
        EXPECT_EQ(p.result.exitCode, 0);
        EXPECT_EQ(p.console, kUsage) << help;
    }
}

TEST(StartupOptions, UnknownOptionAndSecondDataSourceAreErrorsWithUsage) {
    Parsed unknown = Parse({"-win_glut", "-bogus"});
    EXPECT_TRUE(unknown.result.exit);
    EXPECT_EQ(unknown.result.exitCode, -1);
    EXPECT_EQ(unknown.console, std::string("ERROR: Unknown command line parameter: -bogus\n\n") + kUsage);

    for (auto args : {std::vector<const char*>{"-d", "a", "-f", "b"}, {"-f", "b", "/d", "a"}, {"-d", "a", "-d", "b"}}) {
        std::vector<std::string> storage{"tatamix"};
        for (const char* a : args) storage.emplace_back(a);
        std::vector<char*> argv;
        for (auto& s : storage) argv.push_back(s.data());
        LogCapture log;
        StartupOptions o;
        OptionsResult r = ParseStartupOptions(static_cast<int>(argv.size()), argv.data(), o);
        EXPECT_TRUE(r.exit);
        EXPECT_EQ(r.exitCode, -1);
        EXPECT_EQ(log.Console(), std::string("ERROR: Data source already defined.\n\n") + kUsage);
    }
    // Matching is exact and case-sensitive.
    EXPECT_EQ(Parse({"-HELP"}).result.exitCode, -1);
    EXPECT_EQ(Parse({"--help"}).result.exitCode, -1);
}

TEST(StartupOptions, DebugOnlyCountsAsFirstArgument) {
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

TEST(StartupOptions, WindowOptionsLaterOneWins) {
    Parsed a = Parse({"-full", "-win_glut"});
    EXPECT_FALSE(a.options.fullScreen);
    EXPECT_TRUE(a.options.useGlut);
    Parsed b = Parse({"-win_glut", "/full"});
    EXPECT_TRUE(b.options.fullScreen);
    Parsed c = Parse({"-win_sdl"});
    EXPECT_FALSE(c.options.useGlut);
    EXPECT_FALSE(c.options.fullScreen);
    Parsed d = Parse({"-fsaa", "/vsync", "-scripthelp"});
    EXPECT_FALSE(d.result.exit);
    EXPECT_TRUE(d.options.printScriptHelp);
}

TEST(StartupOptions, ResolutionScansFieldsThatParse) {
    Parsed p = Parse({"-res", "800x600"});
    EXPECT_EQ(p.options.width, 800);
    EXPECT_EQ(p.options.height, 600);
    Parsed half = Parse({"-res", "1024x600", "/res", "640xabc"});
    EXPECT_EQ(half.options.width, 640);
    EXPECT_EQ(half.options.height, 600);
    Parsed last = Parse({"-res"});
    EXPECT_FALSE(last.result.exit);
    EXPECT_EQ(last.options.width, 0);
}

TEST(StartupOptions, VolumeClampsAndDefaults) {
    EXPECT_FLOAT_EQ(Parse({"-volume", "150"}).options.masterVolume, 1.0f);
    EXPECT_FLOAT_EQ(Parse({"-volume", "-5"}).options.masterVolume, 0.0f);
    EXPECT_FLOAT_EQ(Parse({"-volume", "loud"}).options.masterVolume, 0.75f);
    EXPECT_FLOAT_EQ(Parse({"-volume", "40"}).options.masterVolume, 0.4f);
    // As the last argument X = 75 and parsing ends.
    Parsed last = Parse({"-win_sdl", "-volume"});
    EXPECT_FLOAT_EQ(last.options.masterVolume, 0.75f);
}

TEST(StartupOptions, DataSourcesAndDirectories) {
    Parsed d = Parse({"-d", "mydata"});
    EXPECT_TRUE(d.options.dataSourceDefined);
    EXPECT_FALSE(d.options.dataSourceIsFile);
    EXPECT_EQ(d.options.dataDirectory, "mydata/");
    EXPECT_EQ(Parse({"/d", "mydata\\"}).options.dataDirectory, "mydata\\");
    EXPECT_EQ(Parse({"-d", "mydata/"}).options.dataDirectory, "mydata/");

    Parsed f = Parse({"-f", "show.dat", "-x", "out", "-g", "gen.dat"});
    EXPECT_TRUE(f.options.dataSourceIsFile);
    EXPECT_EQ(f.options.dataFile, "show.dat");
    EXPECT_TRUE(f.options.extractDataFile);
    EXPECT_EQ(f.options.extractDirectory, "out/");
    EXPECT_TRUE(f.options.generateDataFile);
    EXPECT_EQ(f.options.generateFileName, "gen.dat");

    // "-d" as the last argument leaves the source undefined, so the default rule applies.
    Parsed lastD = Parse({"-f"});
    EXPECT_FALSE(lastD.options.dataSourceDefined);
    EXPECT_FALSE(Parse({"-g"}).options.generateDataFile);
    EXPECT_FALSE(Parse({"-x"}).options.extractDataFile);
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

    FILE* dat = std::fopen("demo.dat", "wb");
    ASSERT_NE(dat, nullptr);
    std::fclose(dat);
    StartupOptions withFile;
    ApplyDataSourceDefault(withFile);
    EXPECT_TRUE(withFile.dataSourceIsFile);
    EXPECT_EQ(withFile.dataFile, "demo.dat");

    // An explicit directory skips the probe entirely.
    StartupOptions explicitDir;
    explicitDir.dataSourceDefined = true;
    explicitDir.dataDirectory = "elsewhere/";
    ApplyDataSourceDefault(explicitDir);
    EXPECT_FALSE(explicitDir.dataSourceIsFile);
    EXPECT_EQ(explicitDir.dataDirectory, "elsewhere/");

    ASSERT_EQ(chdir(previous), 0);
}

TEST(StartupOptions, CaptureFpsAndSeed) {
    Parsed p = Parse({"-capture", "frames", "-fps", "10", "-seed", "1234"});
    EXPECT_TRUE(p.options.capture);
    EXPECT_EQ(p.options.captureDirectory, "frames/");
    EXPECT_FLOAT_EQ(p.options.captureFps, 10.0f);
    EXPECT_TRUE(p.options.seedGiven);
    EXPECT_EQ(p.options.seed, 1234u);
    EXPECT_EQ(Parse({"-fps", "0"}).result.exitCode, -1);
    EXPECT_EQ(Parse({"-seed", "12ab"}).result.exitCode, -1);
}

TEST(Banner, FourLinesWithRuleOf36) {
    LogCapture log;
    PrintBanner();
    const std::string text = log.Console();
    EXPECT_EQ(text.rfind("\nTATAMIX+", 0), 0u);
    EXPECT_NE(text.find("\n" + std::string(36, '-') + "\n\n"), std::string::npos);
    int lines = 0;
    for (char c : text) lines += c == '\n';
    EXPECT_EQ(lines, 4);
}

}  // namespace
