#pragma once

#include <sys/types.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Writes a video file through an ffmpeg child process: raw 24-bit frames on one pipe and
// 16-bit stereo 44100 Hz sound on another, encoded to H.264 and AAC. The sound pipe is fed by
// a thread of its own, so ffmpeg reading either input first can never stall the other.
class VideoEncoder {
public:
    VideoEncoder() = default;
    ~VideoEncoder();

    VideoEncoder(const VideoEncoder&) = delete;
    VideoEncoder& operator=(const VideoEncoder&) = delete;

    // The path of an executable found on PATH, or empty.
    static std::string FindProgram(const std::string& name);

    // Starts ffmpeg writing `path`. False after logging why.
    bool Open(const std::string& path, int width, int height, double fps);
    bool IsOpen() const { return m_pid > 0; }
    // One frame, rows top to bottom; false once ffmpeg has gone.
    bool WriteFrame(const uint8_t* pixels);
    // Sound goes out in order, some time later, on the sound thread.
    void WriteSound(const int16_t* samples, int frames);
    // Ends both inputs and waits for ffmpeg; true when it wrote the file.
    bool Close();

private:
    void SoundLoop();
    static bool WriteAll(int fd, const uint8_t* data, size_t size);

    pid_t m_pid = -1;
    int m_videoFd = -1;
    int m_soundFd = -1;
    int m_width = 0;
    int m_height = 0;
    bool m_failed = false;
    std::string m_path;

    std::thread m_soundThread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::vector<int16_t>> m_sound;
    bool m_soundDone = false;
};
