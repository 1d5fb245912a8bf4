#include "io/FileWatcher.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>

#include "base/Log.h"

FileWatcher::FileWatcher(const std::string& rootDirectory) : m_root(rootDirectory) {
    if (!m_root.empty() && m_root.back() != '/') m_root += '/';
    m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0) LogMessage(LOG_WARNING, "FileWatcher: inotify is not available; changes are not picked up.");
}

FileWatcher::~FileWatcher() {
    if (m_fd >= 0) close(m_fd);
}

void FileWatcher::Watch(const std::string& name) {
    if (m_fd < 0 || !m_files.insert(name).second) return;
    const size_t slash = name.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : name.substr(0, slash);
    if (!m_watchedFolders.insert(folder).second) return;
    const std::string path = m_root + folder;
    const int wd = inotify_add_watch(m_fd, path.empty() ? "." : path.c_str(),
                                     IN_CLOSE_WRITE | IN_MODIFY | IN_MOVED_TO | IN_CREATE);
    if (wd < 0) {
        LogMessage(LOG_WARNING, "FileWatcher: cannot watch folder: ", path);
        return;
    }
    m_folders[wd] = folder;
}

void FileWatcher::ReadEvents(uint64_t nowMicroseconds) {
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        const ssize_t n = read(m_fd, buffer, sizeof(buffer));
        if (n <= 0) return;  // EAGAIN: nothing more now
        for (ssize_t offset = 0; offset + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
            const inotify_event* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->len == 0) continue;
            auto folder = m_folders.find(event->wd);
            if (folder == m_folders.end()) continue;
            const std::string name = folder->second.empty() ? std::string(event->name)
                                                            : folder->second + "/" + event->name;
            if (!m_files.count(name)) continue;
            m_changed.insert(name);
            m_lastEvent = nowMicroseconds;
        }
    }
}

std::vector<std::string> FileWatcher::TakeChanged(uint64_t nowMicroseconds, uint64_t settleMicroseconds) {
    std::vector<std::string> changed;
    if (m_fd < 0) return changed;
    ReadEvents(nowMicroseconds);
    if (m_changed.empty() || nowMicroseconds - m_lastEvent < settleMicroseconds) return changed;
    changed.assign(m_changed.begin(), m_changed.end());
    m_changed.clear();
    return changed;
}
