#include "io/VideoEncoder.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "base/Log.h"

namespace {
const int kVideoChildFd = 3;
const int kSoundChildFd = 4;
}  // namespace

VideoEncoder::~VideoEncoder() {
    if (IsOpen()) Close();
}

std::string VideoEncoder::FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/local/bin:/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        const std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
        struct stat st;
        if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return std::string();
}

bool VideoEncoder::Open(const std::string& path, int width, int height, double fps) {
    const std::string ffmpeg = FindProgram("ffmpeg");
    if (ffmpeg.empty()) {
        LogMessage(LOG_ERROR, "Capturing to a video needs ffmpeg, which is not on the PATH: install it (Debian: "
                              "apt-get install ffmpeg) or capture to a directory of PNG frames.");
        return false;
    }
    int video[2], sound[2];
    if (pipe2(video, O_CLOEXEC) != 0) return false;
    if (pipe2(sound, O_CLOEXEC) != 0) {
        close(video[0]);
        close(video[1]);
        return false;
    }
    char size[32], rate[32];
    std::snprintf(size, sizeof(size), "%dx%d", width, height);
    std::snprintf(rate, sizeof(rate), "%.6g", fps);
    const std::string videoInput = "pipe:" + std::to_string(kVideoChildFd);
    const std::string soundInput = "pipe:" + std::to_string(kSoundChildFd);
    std::vector<std::string> args = {ffmpeg,        "-nostdin", "-y",         "-loglevel", "error",  "-f",
                                     "rawvideo",    "-pix_fmt", "rgb24",      "-video_size", size,   "-framerate",
                                     rate,          "-probesize", "32", "-analyzeduration", "0", "-i", videoInput,
                                     "-f",          "s16le",  "-ar", "44100",  "-ac",      "2",  "-probesize", "32",
                                     "-analyzeduration", "0", "-i",        soundInput, "-map",
                                     "0:v",         "-map",     "1:a",        "-c:v",      "libx264", "-preset",
                                     "fast",        "-crf",     "18",         "-pix_fmt",  "yuv420p", "-c:a",
                                     "aac",         "-b:a",     "192k",       path};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(&a[0]);
    argv.push_back(nullptr);

    // A reader that goes away must show up as a failed write, not end the program.
    signal(SIGPIPE, SIG_IGN);
    const pid_t pid = fork();
    if (pid == 0) {
        // Out of the way of 3 and 4 first, then into place (dup2 clears close-on-exec).
        const int v = fcntl(video[0], F_DUPFD, 10);
        const int s = fcntl(sound[0], F_DUPFD, 10);
        if (v < 0 || s < 0 || dup2(v, kVideoChildFd) < 0 || dup2(s, kSoundChildFd) < 0) _exit(127);
        const int null = open("/dev/null", O_RDONLY);
        if (null >= 0) dup2(null, 0);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(video[0]);
    close(sound[0]);
    if (pid < 0) {
        close(video[1]);
        close(sound[1]);
        LogMessage(LOG_ERROR, "Starting ffmpeg failed.");
        return false;
    }
    m_pid = pid;
    m_videoFd = video[1];
    m_soundFd = sound[1];
    m_width = width;
    m_height = height;
    m_path = path;
    m_failed = false;
    m_soundDone = false;
    m_soundThread = std::thread(&VideoEncoder::SoundLoop, this);
    return true;
}

bool VideoEncoder::WriteAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool VideoEncoder::WriteFrame(const uint8_t* pixels) {
    if (!IsOpen() || m_failed) return false;
    const size_t size = static_cast<size_t>(m_width) * static_cast<size_t>(m_height) * 3;
    if (!WriteAll(m_videoFd, pixels, size)) {
        m_failed = true;
        LogMessage(LOG_ERROR, "ffmpeg stopped taking frames for " + m_path + ".");
        return false;
    }
    return true;
}

void VideoEncoder::WriteSound(const int16_t* samples, int frames) {
    if (!IsOpen() || frames <= 0) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sound.emplace_back(samples, samples + static_cast<size_t>(frames) * 2);
    m_wake.notify_one();
}

void VideoEncoder::SoundLoop() {
    bool ok = true;
    for (;;) {
        std::vector<int16_t> block;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this] { return m_soundDone || !m_sound.empty(); });
            if (m_sound.empty()) break;
            block.swap(m_sound.front());
            m_sound.pop_front();
        }
        // After a failed write the rest is dropped, still in order, so the queue empties.
        if (ok) ok = WriteAll(m_soundFd, reinterpret_cast<const uint8_t*>(block.data()), block.size() * 2);
    }
    close(m_soundFd);
    m_soundFd = -1;
}

bool VideoEncoder::Close() {
    if (!IsOpen()) return false;
    close(m_videoFd);
    m_videoFd = -1;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_soundDone = true;
        m_wake.notify_one();
    }
    m_soundThread.join();
    int status = 0;
    while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
    const bool ok = !m_failed && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!ok) {
        LogMessage(LOG_ERROR, "ffmpeg failed writing " + m_path + " (exit status " +
                                  std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + ").");
    }
    return ok;
}
