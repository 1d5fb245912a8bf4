#include "io/Loader.h"

#include <sys/stat.h>
#include <sys/types.h>

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

// Length of an open regular file; false for directories and other non-files, whose
// reported length means nothing.
bool RegularFileLength(FILE* file, uint64_t& length) {
    struct stat st;
    if (fstat(fileno(file), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    length = static_cast<uint64_t>(st.st_size);
    return true;
}

bool ReadU32(FILE* file, uint32_t& value) {
    uint8_t b[4];
    if (std::fread(b, 1, 4, file) != 4) return false;
    value = static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
            (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
    return true;
}

void WriteU32(FILE* file, uint32_t value) {
    const uint8_t b[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                          static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    std::fwrite(b, 1, 4, file);
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
    m_dataFile = std::fopen(path.c_str(), "rb");
    uint64_t length = 0;
    if (m_dataFile && !RegularFileLength(m_dataFile, length)) {
        std::fclose(m_dataFile);
        m_dataFile = nullptr;
    }
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
    FileCloser in{std::fopen(path.c_str(), "rb")};
    uint64_t length = 0;
    if (!in.file || !RegularFileLength(in.file, length)) {
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
    LogMessage(LOG_TRACE, "Opening data file for writing: ", outPath);
    FileCloser out{std::fopen(outPath.c_str(), "wb")};
    if (!out.file) {
        LogMessage(LOG_ERROR, "Loader: Opening data file for writing failed: ", outPath);
        return false;
    }
    m_index.clear();
    std::vector<uint8_t> chunk(kCopyChunk);
    uint64_t position = 0;
    for (const std::string& name : m_loadedFiles) {
        LogMessage(LOG_TRACE, "Adding file: ", name);
        const std::string path = m_dataDirectory + name;
        FileCloser in{std::fopen(path.c_str(), "rb")};
        if (!in.file) {
            LogMessage(LOG_ERROR, "Loader: Opening file for reading failed: ", path);
            return false;
        }
        const uint64_t offset = position;
        size_t got;
        while ((got = std::fread(chunk.data(), 1, chunk.size(), in.file)) > 0) {
            std::fwrite(chunk.data(), 1, got, out.file);
            position += got;
        }
        // Offsets and sizes are 32-bit; past 4 GiB the index could not describe the items.
        if (position > UINT32_MAX) {
            LogMessage(LOG_ERROR, "Loader: Data file too large: ", outPath);
            return false;
        }
        AddItem(name, static_cast<uint32_t>(offset), static_cast<uint32_t>(position - offset), 0);
    }
    WriteU32(out.file, static_cast<uint32_t>(m_index.size()));
    for (const auto& entry : m_index) {
        const DataFileItem& item = *entry.second;
        WriteU32(out.file, static_cast<uint32_t>(item.name.size()));
        std::fwrite(item.name.data(), 1, item.name.size(), out.file);
        WriteU32(out.file, item.offset);
        WriteU32(out.file, item.size);
        WriteU32(out.file, item.reserved);
    }
    WriteU32(out.file, static_cast<uint32_t>(position));
    LOG_TRACE_FINISHED("Loader", "GenerateDataFile");
    return true;
}

bool Loader::ExtractDataFile(const std::string& targetDir) {
    LOG_TRACE_CALLED("Loader", "ExtractDataFile");
    if (!m_dataFileMode) {
        LogMessage(LOG_WARNING, "Loader: Data file can only be extracted from data file mode.");
        return false;
    }
    LogMessage(LOG_TRACE, "Extracting data file to: ", targetDir);
    for (const auto& entry : m_index) {
        const DataFileItem& item = *entry.second;
        const std::string path = targetDir + item.name;
        LogMessage(LOG_TRACE, "Extracting file: ", path);
        if (!IsSafeItemName(item.name)) {
            LogMessage(LOG_ERROR, "Extracting file failed: ", path);
            continue;
        }
        ExtractItem(item, path);
    }
    LOG_TRACE_FINISHED("Loader", "ExtractDataFile");
    return true;
}

void Loader::ExtractItem(const DataFileItem& item, const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const std::string dirPart = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    if (CreatePath(dirPart)) {
        FileCloser out{std::fopen(path.c_str(), "wb")};
        if (out.file) {
            std::vector<uint8_t> chunk(kCopyChunk);
            uint64_t left = item.size;
            if (!SeekTo(m_dataFile, item.offset)) left = 0;
            while (left > 0) {
                const size_t want = left < chunk.size() ? static_cast<size_t>(left) : chunk.size();
                const size_t got = std::fread(chunk.data(), 1, want, m_dataFile);
                std::fwrite(chunk.data(), 1, got, out.file);
                if (got != want) break;
                left -= got;
            }
            return;
        }
        LogMessage(LOG_ERROR, "Loader: Opening data file for writing failed: ", path);
    }
    LogMessage(LOG_ERROR, "Extracting file failed: ", path);
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
