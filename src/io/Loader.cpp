#include "io/Loader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <new>

#include "base/Log.h"

namespace {

Loader* g_loader = nullptr;

constexpr size_t kCopyChunk = 64 * 1024;
// Name length, offset, size and reserved: the smallest possible index entry.
constexpr uint64_t kMinEntryBytes = 16;

struct FileCloser {
    FILE* file;
    ~FileCloser() {
        if (file) std::fclose(file);
    }
};

// Opens a regular file for reading; null for directories, FIFOs, devices and other non-files,
// whose reported length means nothing and whose open may wait for ever (a FIFO without a
// writer). The open itself does not block: the kind is checked before anything is read.
FILE* OpenRegularFile(const std::string& path, uint64_t* length) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || fcntl(fd, F_SETFL, 0) != 0) {
        close(fd);
        return nullptr;
    }
    FILE* file = fdopen(fd, "rb");
    if (!file) {
        close(fd);
        return nullptr;
    }
    if (length) *length = static_cast<uint64_t>(st.st_size);
    return file;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool ReadU32(FILE* file, uint32_t& value) {
    uint8_t b[4];
    if (std::fread(b, 1, 4, file) != 4) return false;
    value = static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
            (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
    return true;
}

bool WriteU32(FILE* file, uint32_t value) {
    const uint8_t b[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                          static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    return std::fwrite(b, 1, 4, file) == 4;
}

bool SeekTo(FILE* file, uint64_t offset) {
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
}

std::unique_ptr<uint8_t[]> Allocate(uint32_t size) {
    // One byte at least, so that an empty file still comes back as a buffer.
    return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[size > 0 ? size : 1]);
}

// Item names come from the file; one that is absolute or climbs with ".." would write
// outside the target directory.
bool IsSafeItemName(const std::string& name) {
    if (!name.empty() && (name[0] == '/' || name[0] == '\\')) return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("/\\", start);
        if (end == std::string::npos) end = name.size();
        if (name.compare(start, end - start, "..") == 0) return false;
        start = end + 1;
    }
    return true;
}

}  // namespace

Loader* GetLoader() {
    return g_loader;
}
void SetLoader(Loader* loader) {
    g_loader = loader;
}

Loader::Loader() = default;

Loader::~Loader() {
    Close();
}

bool Loader::IsDataFileMode() const {
    return m_dataFileMode;
}

std::vector<std::string> Loader::GetItemNames() const {
    std::vector<std::string> names;
    names.reserve(m_index.size());
    for (const auto& entry : m_index) names.push_back(entry.first);
    return names;
}

bool Loader::LoadFromDataDirectory(const std::string& dir) {
    LogMessage(LOG_INFO, "  Loading from data directory: ", dir);
    Close();
    m_dataDirectory = dir;
    m_dataFileMode = false;
    return true;
}

bool Loader::LoadFromDataFile(const std::string& path) {
    LogMessage(LOG_INFO, "  Loading from data file: ", path);
    Close();
    // A failed switch leaves directory mode, never data-file mode without a file.
    m_dataFileMode = false;
    uint64_t length = 0;
    m_dataFile = OpenRegularFile(path, &length);
    if (!m_dataFile) {
        LogMessage(LOG_ERROR, "Loader: Opening data file failed: ", path);
        return false;
    }
    if (!ReadIndex(length)) {
        LogMessage(LOG_ERROR, "Loader: Reading data file index failed.");
        std::fclose(m_dataFile);
        m_dataFile = nullptr;
        return false;
    }
    m_dataFileMode = true;
    return true;
}

bool Loader::ReadIndex(uint64_t length) {
    // The index sits between the data area and the trailing index offset; every count and
    // length in it is checked against the bytes that are really there.
    if (length < 8) return false;
    uint32_t indexOffset = 0;
    if (!SeekTo(m_dataFile, length - 4) || !ReadU32(m_dataFile, indexOffset)) return false;
    const uint64_t indexEnd = length - 4;
    if (static_cast<uint64_t>(indexOffset) + 4 > indexEnd) return false;
    uint32_t count = 0;
    if (!SeekTo(m_dataFile, indexOffset) || !ReadU32(m_dataFile, count)) return false;
    uint64_t remaining = indexEnd - indexOffset - 4;
    if (count * kMinEntryBytes > remaining) return false;
    std::string name;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t nameLength = 0, offset = 0, size = 0, reserved = 0;
        if (remaining < kMinEntryBytes || !ReadU32(m_dataFile, nameLength)) return false;
        if (nameLength > remaining - kMinEntryBytes) return false;
        name.resize(nameLength);
        if (nameLength > 0 && std::fread(&name[0], 1, nameLength, m_dataFile) != nameLength) return false;
        if (!ReadU32(m_dataFile, offset) || !ReadU32(m_dataFile, size) || !ReadU32(m_dataFile, reserved)) {
            return false;
        }
        remaining -= kMinEntryBytes + nameLength;
        if (static_cast<uint64_t>(offset) + size > length) return false;
        AddItem(name, offset, size, reserved);
    }
    return true;
}

void Loader::AddItem(const std::string& name, uint32_t offset, uint32_t size, uint32_t reserved) {
    if (m_index.count(name)) return;  // the first entry of a name wins
    auto item = std::make_unique<DataFileItem>();
    item->name = name;
    item->offset = offset;
    item->size = size;
    item->reserved = reserved;
    m_index.emplace(name, std::move(item));
}

std::unique_ptr<uint8_t[]> Loader::LoadFile(const std::string& name) {
    uint32_t size = 0;
    return LoadFile(name, size);
}

std::unique_ptr<uint8_t[]> Loader::LoadFile(const std::string& name, uint32_t& size) {
    LogMessage(LOG_TRACE, "Loading file: ", name);
    size = 0;
    if (m_dataFileMode) return LoadFromIndex(name, size);
    return LoadFromDirectory(name, size);
}

std::unique_ptr<uint8_t[]> Loader::LoadFromIndex(const std::string& name, uint32_t& size) {
    auto it = m_index.find(name);
    if (it == m_index.end() || !m_dataFile) {
        LogMessage(LOG_ERROR, "Loader: Data file item not found: ", name);
        return nullptr;
    }
    const DataFileItem& item = *it->second;
    std::unique_ptr<uint8_t[]> buffer = Allocate(item.size);
    // A short read also covers a data file that shrank after its index was read.
    if (!buffer || !SeekTo(m_dataFile, item.offset) ||
        std::fread(buffer.get(), 1, item.size, m_dataFile) != item.size) {
        LogMessage(LOG_ERROR, "Loader: Reading data file item failed: ", name);
        return nullptr;
    }
    size = item.size;
    return buffer;
}

std::unique_ptr<uint8_t[]> Loader::LoadFromDirectory(const std::string& name, uint32_t& size) {
    const std::string path = m_dataDirectory + name;
    uint64_t length = 0;
    FileCloser in{OpenRegularFile(path, &length)};
    if (!in.file) {
        LogMessage(LOG_ERROR, "Loader: Opening file failed: ", path);
        return nullptr;
    }
    std::unique_ptr<uint8_t[]> buffer;
    if (length <= UINT32_MAX) buffer = Allocate(static_cast<uint32_t>(length));
    if (!buffer || std::fread(buffer.get(), 1, length, in.file) != length) {
        LogMessage(LOG_ERROR, "Loader: Reading file failed: ", path);
        return nullptr;
    }
    m_loadedFiles.push_back(name);
    size = static_cast<uint32_t>(length);
    return buffer;
}

bool Loader::GenerateDataFile(const std::string& outPath) {
    LOG_TRACE_CALLED("Loader", "GenerateDataFile");
    if (m_dataFileMode) {
        LogMessage(LOG_WARNING, "Loader: Data file can only be generated from data directory mode.");
        return false;
    }
    if (IsLoadedFile(outPath)) {
        LogMessage(LOG_ERROR, "Loader: Data file target is one of the files it would pack: ", outPath);
        return false;
    }
    // Written under a temporary name beside the target and renamed at the end: a failed run
    // never leaves a half-written file, and an existing target stays intact until then.
    std::string temporaryPath = outPath + ".XXXXXX";
    const int fd = mkstemp(&temporaryPath[0]);
    if (fd >= 0) {
        // mkstemp makes the file private; the data file gets the usual permissions.
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
    }
    FileCloser out{fd >= 0 ? fdopen(fd, "wb") : nullptr};
    if (!out.file) {
        if (fd >= 0) close(fd);
        LogMessage(LOG_ERROR, "Loader: Opening data file for writing failed: ", outPath);
        if (fd >= 0) std::remove(temporaryPath.c_str());
        return false;
    }
    LogMessage(LOG_TRACE, "Opening data file for writing: ", outPath);
    bool ok = WriteDataFile(out.file, outPath);
    ok = std::fclose(out.file) == 0 && ok;
    out.file = nullptr;
    if (ok && std::rename(temporaryPath.c_str(), outPath.c_str()) != 0) {
        LogMessage(LOG_ERROR, "Loader: Writing data file failed: ", outPath);
        ok = false;
    }
    if (!ok) {
        std::remove(temporaryPath.c_str());
        return false;
    }
    LOG_TRACE_FINISHED("Loader", "GenerateDataFile");
    return true;
}

bool Loader::IsLoadedFile(const std::string& path) const {
    for (const std::string& name : m_loadedFiles) {
        if (IsSameFile(path, m_dataDirectory + name)) return true;
    }
    return false;
}

bool Loader::IsSameFile(const std::string& a, const std::string& b) {
    struct stat first;
    struct stat second;
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && SameFile(first, second);
}

bool Loader::WriteDataFile(FILE* out, const std::string& outPath) {
    m_index.clear();
    std::vector<uint8_t> chunk(kCopyChunk);
    uint64_t position = 0;
    for (const std::string& name : m_loadedFiles) {
        LogMessage(LOG_TRACE, "Adding file: ", name);
        const std::string path = m_dataDirectory + name;
        FileCloser in{OpenRegularFile(path, nullptr)};
        if (!in.file) {
            LogMessage(LOG_ERROR, "Loader: Opening file for reading failed: ", path);
            return false;
        }
        const uint64_t offset = position;
        size_t got;
        while ((got = std::fread(chunk.data(), 1, chunk.size(), in.file)) > 0) {
            if (std::fwrite(chunk.data(), 1, got, out) != got) {
                LogMessage(LOG_ERROR, "Loader: Writing data file failed: ", outPath);
                return false;
            }
            position += got;
            // Offsets and sizes are 32-bit; past 4 GiB the index could not describe the items.
            if (position > UINT32_MAX) {
                LogMessage(LOG_ERROR, "Loader: Data file too large: ", outPath);
                return false;
            }
        }
        AddItem(name, static_cast<uint32_t>(offset), static_cast<uint32_t>(position - offset), 0);
    }
    bool ok = WriteU32(out, static_cast<uint32_t>(m_index.size()));
    for (const auto& entry : m_index) {
        const DataFileItem& item = *entry.second;
        ok = ok && WriteU32(out, static_cast<uint32_t>(item.name.size())) &&
             std::fwrite(item.name.data(), 1, item.name.size(), out) == item.name.size() &&
             WriteU32(out, item.offset) && WriteU32(out, item.size) && WriteU32(out, item.reserved);
    }
    ok = ok && WriteU32(out, static_cast<uint32_t>(position));
    if (!ok) LogMessage(LOG_ERROR, "Loader: Writing data file failed: ", outPath);
    return ok;
}

bool Loader::ExtractDataFile(const std::string& targetDir) {
    LOG_TRACE_CALLED("Loader", "ExtractDataFile");
    if (!m_dataFileMode) {
        LogMessage(LOG_WARNING, "Loader: Data file can only be extracted from data file mode.");
        return false;
    }
    LogMessage(LOG_TRACE, "Extracting data file to: ", targetDir);
    // The target directory itself is the user's choice and may be reached through links;
    // below it nothing is followed, so no item can write outside it.
    const int root = CreatePath(targetDir) ? open(targetDir.empty() ? "." : targetDir.c_str(),
                                                  O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                                           : -1;
    for (const auto& entry : m_index) {
        const DataFileItem& item = *entry.second;
        const std::string path = targetDir + item.name;
        LogMessage(LOG_TRACE, "Extracting file: ", path);
        if (root < 0 || !IsSafeItemName(item.name) || !ExtractItem(item, root, path)) {
            LogMessage(LOG_ERROR, "Extracting file failed: ", path);
        }
    }
    if (root >= 0) close(root);
    LOG_TRACE_FINISHED("Loader", "ExtractDataFile");
    return true;
}

bool Loader::ExtractItem(const DataFileItem& item, int root, const std::string& path) {
    FILE* out = OpenForExtraction(root, item.name, path);
    if (!out) return false;
    FileCloser closer{out};
    std::vector<uint8_t> chunk(kCopyChunk);
    uint64_t left = item.size;
    if (!SeekTo(m_dataFile, item.offset)) return false;
    while (left > 0) {
        const size_t want = left < chunk.size() ? static_cast<size_t>(left) : chunk.size();
        const size_t got = std::fread(chunk.data(), 1, want, m_dataFile);
        if (std::fwrite(chunk.data(), 1, got, out) != got || got != want) return false;
        left -= got;
    }
    return true;
}

FILE* Loader::OpenForExtraction(int root, const std::string& name, const std::string& path) const {
    // Walks the item's folders one by one without following links, creating them as needed.
    int dir = dup(root);
    size_t start = 0;
    for (size_t slash = name.find('/'); dir >= 0 && slash != std::string::npos;
         slash = name.find('/', start)) {
        const std::string part = name.substr(start, slash - start);
        start = slash + 1;
        if (part.empty()) continue;
        if (mkdirat(dir, part.c_str(), 0777) != 0 && errno != EEXIST) {
            LogMessage(LOG_ERROR,
                       "Creating path node failed: ", path.substr(0, path.size() - name.size() + slash));
            close(dir);
            return nullptr;
        }
        const int next = openat(dir, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        close(dir);
        dir = next;
        if (dir < 0) LogMessage(LOG_ERROR, "Loader: Not a directory (links are not followed): ", part);
    }
    if (dir < 0) return nullptr;
    const std::string leaf = name.substr(start);
    int fd = leaf.empty()
                 ? -1
                 : openat(dir, leaf.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) {
        struct stat existing;
        struct stat dataFile;
        if (fstatat(dir, leaf.c_str(), &existing, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(existing.st_mode)) {
            LogMessage(LOG_ERROR, "Loader: Not a regular file (links are not followed): ", path);
        } else if (fstat(fileno(m_dataFile), &dataFile) == 0 && SameFile(existing, dataFile)) {
            LogMessage(LOG_ERROR, "Loader: Extracting would overwrite the data file being read: ", path);
        } else {
            LogMessage(LOG_WARNING, "Loader: Overwriting existing file: ", path);
            fd = openat(dir, leaf.c_str(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC);
        }
    }
    close(dir);
    if (fd < 0) {
        LogMessage(LOG_ERROR, "Loader: Opening data file for writing failed: ", path);
        return nullptr;
    }
    FILE* file = fdopen(fd, "wb");
    if (!file) close(fd);
    return file;
}

bool Loader::CreatePath(const std::string& path) {
    LOG_TRACE_CALLED("Loader", "CreatePath");
    size_t start = (!path.empty() && (path[0] == '/' || path[0] == '\\')) ? 1 : 0;
    while (start < path.size()) {
        const size_t separator = path.find_first_of("/\\", start);
        const std::string node = separator == std::string::npos ? path : path.substr(0, separator);
        if (mkdir(node.c_str(), 0777) != 0 && errno != EEXIST) {
            LogMessage(LOG_ERROR, "Creating path node failed: ", node);
            return false;
        }
        start = node.size() + 1;
    }
    LogMessage(LOG_TRACE, "Path succesfully created: ", path);
    LOG_TRACE_FINISHED("Loader", "CreatePath");
    return true;
}

void Loader::Close() {
    if (m_dataFile) {
        std::fclose(m_dataFile);
        m_dataFile = nullptr;
    }
    m_index.clear();
    m_loadedFiles.clear();
    m_dataDirectory.clear();
}
