#include "E2ETestSupport.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

ShowDirectory::ShowDirectory(const std::string& scriptXml) {
    dir_.Write("data/script.xml", scriptXml);
    for (const char* shared : {"GLSL", "textures", "music", "slogans.txt"}) {
        const std::string source = std::string(TATAMIX_SOURCE_DIR) + "/data/" + shared;
        if (access(source.c_str(), F_OK) != 0) continue;
        const std::string link = dir_.Path() + "/data/" + shared;
        if (symlink(source.c_str(), link.c_str()) != 0) std::perror("symlink");
    }
}

ProcessResult ShowDirectory::Run(const std::vector<std::string>& args, double timeoutSeconds) const {
    std::vector<std::string> argv{TatamixBinary()};
    bool debugFirst = !args.empty() && args[0] == "-debug";
    if (debugFirst) argv.push_back("-debug");
    argv.push_back("-d");
    argv.push_back("data");
    argv.insert(argv.end(), args.begin() + (debugFirst ? 1 : 0), args.end());
    return RunProcess(argv, dir_.Path(), timeoutSeconds);
}

bool ReadPngSize(const std::string& path, uint32_t* width, uint32_t* height) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    unsigned char header[24];
    const size_t n = std::fread(header, 1, sizeof(header), f);
    std::fclose(f);
    if (n != sizeof(header) || std::memcmp(header + 1, "PNG", 3) != 0) return false;
    *width = (header[16] << 24) | (header[17] << 16) | (header[18] << 8) | header[19];
    *height = (header[20] << 24) | (header[21] << 16) | (header[22] << 8) | header[23];
    return true;
}

int CountFrames(const std::string& directory) {
    DIR* dir = opendir(directory.c_str());
    if (!dir) return 0;
    int count = 0;
    while (dirent* entry = readdir(dir)) {
        if (std::strncmp(entry->d_name, "frame_", 6) == 0) ++count;
    }
    closedir(dir);
    return count;
}

bool InOrder(const std::string& text, const std::vector<std::string>& needles) {
    size_t at = 0;
    for (const std::string& needle : needles) {
        const size_t found = text.find(needle, at);
        if (found == std::string::npos) return false;
        at = found + needle.size();
    }
    return true;
}

std::string FramePath(const std::string& directory, int index) {
    char name[32];
    std::snprintf(name, sizeof(name), "/frame_%05d.png", index);
    return directory + name;
}

bool CapturedFrame::Load(const std::string& path) {
    const std::string bytes = ReadFile(path);
    if (bytes.empty() || !m_bitmap.LoadPNG(reinterpret_cast<const uint8_t*>(bytes.data()),
                                           static_cast<uint32_t>(bytes.size()), false))
        return false;
    m_bitmap.ConvertFormat(24);
    return true;
}

Rgb CapturedFrame::At(int x, int y) const {
    const uint8_t* p = m_bitmap.GetPixels() + (static_cast<size_t>(y) * m_bitmap.GetWidth() + x) * 3;
    return Rgb{p[0], p[1], p[2]};
}
