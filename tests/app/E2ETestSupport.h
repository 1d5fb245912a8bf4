#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "ProcessRunner.h"
#include "io/Bitmap.h"

// A temporary working directory with a data directory "data/" holding the given script and
// links to the repository's shaders and generated textures and music.
class ShowDirectory {
public:
    explicit ShowDirectory(const std::string& scriptXml);
    const std::string& Path() const { return dir_.Path(); }
    const TempDir& Dir() const { return dir_; }
    // Runs tatamix in this directory with "-d data" and the given arguments.
    ProcessResult Run(const std::vector<std::string>& args, double timeoutSeconds = 120.0) const;

private:
    TempDir dir_;
};

// Width and height from a PNG file's header; false when it is not a PNG.
bool ReadPngSize(const std::string& path, uint32_t* width, uint32_t* height);
// Number of files named frame_NNNNN.png in a directory.
int CountFrames(const std::string& directory);
// Order check: every needle appears, each after the previous one.
bool InOrder(const std::string& text, const std::vector<std::string>& needles);

// "DIR/frame_NNNNN.png", the name capture gives frame n.
std::string FramePath(const std::string& directory, int index);

struct Rgb {
    int r, g, b;
};
inline std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

// A captured frame, read back as 24-bit pixels.
class CapturedFrame {
public:
    bool Load(const std::string& path);
    // x from the left, y from the top.
    Rgb At(int x, int y) const;
    const Bitmap& Image() const { return m_bitmap; }

private:
    Bitmap m_bitmap;
};
