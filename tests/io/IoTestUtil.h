#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/Log.h"

// Captures every log line (all levels) while alive.
class LogCapture {
public:
    LogCapture() : m_file(std::tmpfile()) { SetLogSinks(nullptr, m_file); }
    ~LogCapture() {
        SetLogSinks(nullptr, nullptr);
        std::fclose(m_file);
    }
    std::string Text() const {
        std::fflush(m_file);
        std::rewind(m_file);
        std::string text;
        char buffer[4096];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, m_file)) > 0) text.append(buffer, got);
        return text;
    }
    bool Has(const std::string& line) const { return Text().find(line + "\n") != std::string::npos; }

private:
    FILE* m_file;
};

// A fresh directory below /tmp, path ending with "/".
inline std::string MakeTempDir() {
    char pattern[] = "/tmp/tatamix_io_XXXXXX";
    const char* dir = mkdtemp(pattern);
    return dir ? std::string(dir) + "/" : std::string("/tmp/");
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline void WriteText(const std::string& path, const std::string& text) {
    WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool FileExists(const std::string& path) {
    return std::ifstream(path).good();
}
