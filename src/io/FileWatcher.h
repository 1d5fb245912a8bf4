#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

// Tells which of a set of files below a directory were written, created or moved into place
// (inotify on the files' folders, so editors that save through a temporary file and a rename
// are seen too). Polled, never blocking; a file counts as changed once nothing more has
// happened to the watched files for a moment, so a save made of several writes is one change.
class FileWatcher {
public:
    explicit FileWatcher(const std::string& rootDirectory);
    ~FileWatcher();

    FileWatcher(const FileWatcher&) = delete;
    FileWatcher& operator=(const FileWatcher&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    // A file by its name relative to the root ("script.xml", "GLSL/Plus/Depth.frag").
    void Watch(const std::string& name);
    bool IsWatched(const std::string& name) const { return m_files.count(name) != 0; }
    // The watched files changed since the last call that returned them, once the last event is
    // `settleMicroseconds` old; empty otherwise.
    std::vector<std::string> TakeChanged(uint64_t nowMicroseconds, uint64_t settleMicroseconds = 150000);

private:
    void ReadEvents(uint64_t nowMicroseconds);

    std::string m_root;
    int m_fd = -1;
    std::map<int, std::string> m_folders;  // watch descriptor -> folder relative to the root
    std::set<std::string> m_watchedFolders;
    std::set<std::string> m_files;
    std::set<std::string> m_changed;
    uint64_t m_lastEvent = 0;
};
