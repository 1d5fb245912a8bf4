#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ProcessRunner.h"

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
