#pragma once

#include <ftw.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

// A fresh directory below /tmp, removed with everything in it when the object goes.
// Path() has no trailing slash.
class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/tatamix_testXXXXXX";
        const char* made = mkdtemp(pattern);
        m_path = made ? made : "/tmp";
    }
    ~TempDir() {
        // Leftovers in /tmp are harmless, so failures are ignored.
        if (m_path != "/tmp") nftw(m_path.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    // Creates a directory below this one, with its parents.
    void MakeDir(const std::string& relativePath) const { MakeParents(m_path + "/" + relativePath + "/"); }
    // Writes a file below the directory, creating parent directories.
    void Write(const std::string& relativePath, const std::string& content) const {
        const std::string full = m_path + "/" + relativePath;
        MakeParents(full);
        std::ofstream out(full, std::ios::binary);
        out << content;
    }
    std::string Read(const std::string& relativePath) const {
        std::ifstream in(m_path + "/" + relativePath, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    bool Exists(const std::string& relativePath) const {
        struct stat st;
        return stat((m_path + "/" + relativePath).c_str(), &st) == 0;
    }

private:
    static int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
        std::remove(path);
        return 0;
    }
    static void MakeParents(const std::string& path) {
        for (size_t i = 1; i < path.size(); ++i) {
            if (path[i] == '/') mkdir(path.substr(0, i).c_str(), 0755);
        }
    }

    std::string m_path;
};
