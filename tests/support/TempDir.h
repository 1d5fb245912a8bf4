#pragma once

#include <ftw.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "support/Files.h"

// A fresh directory below $TMPDIR (or /tmp), removed with everything in it when the object
// goes, or at exit when the process ends without unwinding (a death test's child calls exit()
// with the directory still alive). Path() has no trailing slash.
class TempDir {
public:
    TempDir() {
        std::string pattern = TempRoot() + "/tatamix_testXXXXXX";
        if (!mkdtemp(&pattern[0])) {
            std::perror(pattern.c_str());
            std::abort();
        }
        m_path = pattern;
        Register(this);
    }
    ~TempDir() {
        Unregister(this);
        Remove();
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
        WriteFile(full, content);
    }
    std::string Read(const std::string& relativePath) const { return ReadFile(m_path + "/" + relativePath); }
    bool Exists(const std::string& relativePath) const {
        struct stat st;
        return lstat((m_path + "/" + relativePath).c_str(), &st) == 0;
    }

    static std::string TempRoot() {
        const char* root = std::getenv("TMPDIR");
        return root && *root ? root : "/tmp";
    }

private:
    struct Live {
        std::vector<TempDir*> dirs;
        bool hooked = false;
    };
    static Live& Registry() {
        static Live live;
        return live;
    }
    static void Register(TempDir* dir) {
        Live& live = Registry();
        live.dirs.push_back(dir);
        if (!live.hooked) {
            live.hooked = true;
            std::atexit(RemoveAllAtExit);
        }
    }
    static void Unregister(TempDir* dir) {
        std::vector<TempDir*>& dirs = Registry().dirs;
        dirs.erase(std::remove(dirs.begin(), dirs.end(), dir), dirs.end());
    }
    static void RemoveAllAtExit() {
        // A forked child sees its parent's directories too; only their maker removes them.
        for (TempDir* dir : Registry().dirs) {
            if (dir->m_owner == getpid()) dir->Remove();
        }
    }
    void Remove() {
        // Leftovers are harmless, so failures are ignored.
        if (!m_path.empty()) nftw(m_path.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
        m_path.clear();
    }
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
    pid_t m_owner = getpid();
};
