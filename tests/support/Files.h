#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// The tests' one way to read and write whole files (empty when a file cannot be read).
inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    const std::string text = ReadFile(path);
    return std::vector<uint8_t>(text.begin(), text.end());
}

inline bool WriteFile(const std::string& path, const void* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(out);
}

inline bool WriteFile(const std::string& path, const std::string& text) {
    return WriteFile(path, text.data(), text.size());
}

inline bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    return WriteFile(path, bytes.data(), bytes.size());
}

inline bool FileExists(const std::string& path) {
    return std::ifstream(path).good();
}
