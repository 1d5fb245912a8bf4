#include "app/Application.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "app/Banner.h"
#include "app/CaptureProgress.h"
#include "app/ScriptValidator.h"
#include "app/ShowPlayer.h"
#include "app/StartupOptions.h"
#include "base/Log.h"
#include "io/Loader.h"
#include "io/VideoEncoder.h"
#include "render/IRenderer.h"
#include "scene/GeomEngine.h"
#include "script/DemoFramework.h"
#include "script/ScriptObject.h"
#include "sound/AudioBackend.h"
#include "sound/ISoundEngine.h"
#include "ui/FrameClock.h"
#include "ui/HiddenGLContext.h"
#include "ui/IUserInterface.h"

namespace {

const char* const kTitle = "TATAMIX+";
const char* const kExitRule = "-----------------------------------------------------------------";

StartupOptions g_options;
FILE* g_debugLogFile = nullptr;
ShowPlayer* g_player = nullptr;
std::unique_ptr<CaptureProgress> g_progress;
std::unique_ptr<VideoEncoder> g_video;

void OpenDebugLog(int argc, char** argv) {
    if (!IsDebugLogRequested(argc, argv)) return;
    g_debugLogFile = std::fopen("debug.txt", "w");
    if (g_debugLogFile) {
        std::fputs("Debug logging enabled: debug.txt.\n", stdout);
    } else {
        std::fputs("Unable to open debug log file debug.txt.\n", stdout);
    }
    std::fflush(stdout);
}

void InitLoader() {
    LogMessage(LOG_INFO, "* Initializing loader..");
    Loader* loader = new Loader();
    SetLoader(loader);
    if (!g_options.dataSourceIsFile) {
        loader->LoadFromDataDirectory(g_options.dataDirectory);
        return;
    }
    loader->LoadFromDataFile(g_options.dataFile);
    if (g_options.extractDataFile) {
        LogMessage(LOG_INFO, "* Extracting data file to directory..");
        loader->ExtractDataFile(g_options.extractDirectory);
    }
}

CaptureSettings MakeCaptureSettings() {
    CaptureSettings capture;
    if (!g_options.capture) return capture;
    capture.enabled = true;
    capture.directory = g_options.captureDirectory;
    capture.fps = g_options.captureFps;
    const double fps = g_options.captureFps;
    // Frame n covers the sound of [n / fps, (n + 1) / fps).
    capture.frameWritten = [fps](uint32_t frameIndex) {
        AudioBackend_MixOfflineTo(static_cast<uint64_t>(std::floor((frameIndex + 1.0) * 44100.0 / fps)));
        if (g_progress) g_progress->FrameWritten(frameIndex);
    };
    if (g_options.captureVideo) {
        g_video = std::make_unique<VideoEncoder>();
        capture.frameSink = [fps](const uint8_t* pixels, int width, int height) {
            static int openWidth = 0, openHeight = 0;
            if (!g_video->IsOpen()) {
                if (!g_video->Open(g_options.captureDirectory, width, height, fps)) return false;
                openWidth = width;
                openHeight = height;
            }
            if (width != openWidth || height != openHeight) {
                LogMessage(LOG_ERROR, "The window size changed while capturing to a video.");
                return false;
            }
            return g_video->WriteFrame(pixels);
        };
    }
    return capture;
}

// The frames a capture will write: from the start frame to the last one inside the script.
void StartCaptureProgress(DemoFramework* framework) {
    const ScriptObject* root = framework->GetRootObject();
    if (!g_options.capture || !root) return;
    const double fps = g_options.captureFps;
    const uint32_t first = FixedStepFrameAt(static_cast<uint64_t>(std::llround(g_options.startTime * 1e6)), fps);
    const double lastTime = std::max(0.0, static_cast<double>(root->GetEnd()));
    const uint32_t last = static_cast<uint32_t>(std::floor(lastTime * fps));
    g_progress = std::make_unique<CaptureProgress>(first, last, isatty(STDOUT_FILENO) != 0);
}

// The shader sources of the data source, by their names in it.
std::vector<std::string> ListShaderFiles() {
    std::vector<std::string> files;
    auto isShader = [](const std::string& name) {
        const size_t dot = name.rfind('.');
        const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
        return extension == ".vert" || extension == ".frag";
    };
    if (g_options.dataSourceIsFile) {
        if (Loader* loader = GetLoader()) {
            for (const std::string& name : loader->GetItemNames()) {
                if (isShader(name)) files.push_back(name);
            }
        }
    } else {
        namespace fs = std::filesystem;
        std::error_code error;
        const fs::path root(g_options.dataDirectory);
        for (fs::recursive_directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
            if (it->is_regular_file(error) && isShader(it->path().filename().string()))
                files.push_back(it->path().lexically_relative(root).generic_string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// -validate: checks the show and every file it uses without opening a window; 0 when all is
// well, 2 when something is not.
int RunValidation() {
    LogMessage(LOG_INFO, "* Validating the show..");
    // Shaders compile in a context of their own that is never shown.
    HiddenGLContext context;
    const bool gl = context.Create();
    DemoFramework* framework = new DemoFramework("script.xml");
    SetDemoFramework(framework);
    RegisterEffectTypes(framework);
    ScriptValidator validator(framework, GetLoader());
    validator.SetShaderFiles(ListShaderFiles(), gl);
    const int problems = validator.Run();
    for (const std::string& problem : validator.GetProblems()) LogMessage(LOG_INFO, problem);
    if (!gl) LogMessage(LOG_WARNING, "Shaders were not compiled: no OpenGL context.");
    if (problems > 0) {
        LogMessage(LOG_INFO, "Validation found " + std::to_string(problems) +
                                 (problems == 1 ? " problem." : " problems."));
        return 2;
    }
    // Without a context the shaders were read but not compiled: the pass says so.
    LogMessage(LOG_INFO, std::string(gl ? "Validation passed" : "Validation passed, shaders not compiled") +
                             ": script.xml and " + std::to_string(validator.GetFileCount()) + " files.");
    return 0;
}

}  // namespace

void onexitCallback() {
    // Registered twice (see RunApplication); the shut-down runs once.
    static bool done = false;
    if (done) return;
    done = true;
    LogMessage(LOG_TRACE, "onexitCallback() called.");
    LogMessage(LOG_TRACE, kExitRule);
    delete g_player;
    g_player = nullptr;
    if (DemoFramework* framework = GetDemoFramework()) {
        framework->Destroy();
        delete framework;
        SetDemoFramework(nullptr);
    }
    LogMessage(LOG_INFO, "* Destroying geomerty engine..");
    DestroyGeomEngine();
    LogMessage(LOG_INFO, "* Destroying sound engine..");
    DestroySoundEngine();
    // The sound is complete once the engine is gone: the video can be finished.
    bool videoFailed = false;
    if (g_video) {
        if (g_video->IsOpen()) {
            LogMessage(LOG_INFO, "* Finishing video " + g_options.captureDirectory + "..");
            videoFailed = !g_video->Close();
        }
        g_video.reset();
    }
    g_progress.reset();
    LogMessage(LOG_INFO, "* Destroying renderer..");
    DestroyRenderer();
    if (IUserInterface* ui = GetUserInterface()) {
        const double seconds = ui->GetElapsedTime();
        LogMessage(LOG_TRACE, "Frames rendered: ", ui->GetRenderCount());
        if (seconds > 0.0) LogMessage(LOG_TRACE, "Average frames per second: ", ui->GetRenderCount() / seconds);
    }
    LogMessage(LOG_INFO, "* Destroying user interface..");
    DestroyUserInterface();
    bool packingFailed = false;
    if (Loader* loader = GetLoader()) {
        if (!g_options.dataSourceIsFile && g_options.generateDataFile) {
            LogMessage(LOG_INFO, "* Generating data file..");
            packingFailed = !loader->GenerateDataFile(g_options.generateFileName);
        }
        LogMessage(LOG_INFO, "* Destroying loader..");
        loader->Close();
        delete loader;
        SetLoader(nullptr);
    }
    LogMessage(LOG_INFO, "* The End");
    LogMessage(LOG_INFO, "");
    LogMessage(LOG_TRACE, "onexitCallback() finished.");
    CloseLogSinks();
    if (g_debugLogFile) {
        SetLogSinks(stdout, nullptr);
        std::fclose(g_debugLogFile);
        g_debugLogFile = nullptr;
    }
    // The show ran, but the file asked for was not written: say so in the exit status.
    // (exit() may not be called again from an exit handler.)
    if (packingFailed || videoFailed) {
        std::fflush(nullptr);
        _exit(1);
    }
}

int RunApplication(int argc, char** argv) {
    OpenDebugLog(argc, argv);
    SetLogSinks(stdout, g_debugLogFile);
    PrintBanner();

    g_options = StartupOptions();
    const OptionsResult parsed = ParseStartupOptions(argc, argv, g_options);
    if (parsed.exit) {
        CloseLogSinks();
        return parsed.exitCode;
    }
    ApplyDataSourceDefault(g_options);
    // Packing into the script would destroy it while the show reads it; the other inputs are
    // only known at the end, where the loader checks them again.
    if (g_options.generateDataFile && !g_options.dataSourceIsFile &&
        Loader::IsSameFile(g_options.generateFileName, g_options.dataDirectory + "script.xml")) {
        LogMessage(LOG_ERROR, "Loader: Data file target is one of the files it would pack: ",
                   g_options.generateFileName);
        CloseLogSinks();
        return -1;
    }
    std::atexit(onexitCallback);

    InitLoader();
    if (g_options.validate) return RunValidation();
    if (g_options.captureVideo && VideoEncoder::FindProgram("ffmpeg").empty()) {
        LogMessage(LOG_ERROR, "Capturing to a video needs ffmpeg, which is not on the PATH: install it (Debian: "
                              "apt-get install ffmpeg) or capture to a directory of PNG frames.");
        return 1;
    }
    // A video's folder is made as a frame directory is.
    std::string captureFolder = g_options.captureDirectory;
    if (g_options.captureVideo) captureFolder.erase(captureFolder.rfind('/') + 1);  // npos + 1 == 0
    if (g_options.capture && !captureFolder.empty() && !Loader::CreatePath(captureFolder)) {
        LogMessage(LOG_ERROR, "Creating capture directory failed: ", captureFolder);
        return 1;
    }

    LogMessage(LOG_TRACE, "* Initializing user interface..");
    UserInterfaceSettings uiSettings;
    uiSettings.fullScreen = g_options.fullScreen;
    uiSettings.useGlut = g_options.useGlut;
    uiSettings.width = g_options.width;
    uiSettings.height = g_options.height;
    uiSettings.capture = MakeCaptureSettings();
    IUserInterface* userInterface = CreateUserInterface(uiSettings);
    const bool userInterfaceReady = userInterface->Init(&argc, argv, kTitle);
    // GLUT registers its own exit handler, which destroys the window and its GL context.
    // Registering the shut-down again makes it run first, while the context still exists.
    std::atexit(onexitCallback);
    if (!userInterfaceReady) {
        LogMessage(LOG_ERROR, "Initializing user interface failed.");
        return 1;
    }

    LogMessage(LOG_TRACE, "* Initializing renderer..");
    if (!CreateRenderer()->Init(userInterface)) {
        LogMessage(LOG_ERROR, "Initializing renderer failed.");
        return 1;
    }

    LogMessage(LOG_TRACE, "* Initializing sound engine..");
    if (g_options.captureVideo) {
        AudioBackend_SetOffline("");
        AudioBackend_SetOfflineSink([](const int16_t* samples, int frames) { g_video->WriteSound(samples, frames); });
    } else if (g_options.capture) {
        AudioBackend_SetOffline((g_options.captureDirectory + "audio.wav").c_str());
    }
    if (!CreateSoundEngine()->Init(g_options.masterVolume)) {
        LogMessage(LOG_ERROR, "Initializing sound system failed.");
        return 1;
    }

    LogMessage(LOG_TRACE, "* Initializing geometry engine..");
    CreateGeomEngine();

    LogMessage(LOG_TRACE, "* Initializing demo framework..");
    if (g_options.seedGiven) DemoFramework::SetRandomSeedOverride(true, g_options.seed);
    DemoFramework* framework = new DemoFramework("script.xml");
    SetDemoFramework(framework);
    RegisterEffectTypes(framework);
    if (g_options.printScriptHelp) {
        framework->PrintScriptHelp();
        std::exit(0);
    }
    if (!framework->Init()) {
        LogMessage(LOG_ERROR, "Initializing application failed.");
        return 1;
    }

    if (const ScriptObject* root = framework->GetRootObject()) {
        if (g_options.startTime > root->GetEnd()) {
            LogMessage(LOG_ERROR, "Start time " + std::to_string(g_options.startTime) +
                                      " s is after the end of the script (" + std::to_string(root->GetEnd()) + " s).");
            std::exit(-1);
        }
    }
    StartCaptureProgress(framework);

    ShowPlayerSettings playerSettings;
    playerSettings.startTime = g_options.startTime;
    playerSettings.stepFps = g_options.captureFps;
    playerSettings.barLength = g_options.barLength;
    playerSettings.interactive = !g_options.capture;
    playerSettings.watch = g_options.watch && !g_options.capture;
    if (g_options.watch && g_options.dataSourceIsFile) {
        LogMessage(LOG_WARNING, "-watch works on a data directory (-d), not on a data file: not watching.");
        playerSettings.watch = false;
    }
    if (g_options.watch && g_options.capture) LogMessage(LOG_WARNING, "-watch is not used while capturing.");
    playerSettings.dataDirectory = g_options.dataDirectory;
    g_player = new ShowPlayer(framework, userInterface, playerSettings);

    LogMessage(LOG_INFO, "* Running..");
    userInterface->Start(g_player);
    return 0;
}
