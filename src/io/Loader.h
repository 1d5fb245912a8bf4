#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

// One file stored in a data file.
struct DataFileItem {
    std::string name;
    uint32_t offset = 0;
    uint32_t size = 0;
    uint32_t reserved = 0;
};

// The single gateway for content files: reads them from a data directory or from one
// packed data file, and converts between the two.
//
// Data file layout (all integers u32 little-endian): the item bytes back to back, then
// at offset I the entry count N and N entries {name length, name, offset, size, reserved},
// then I itself as the last four bytes.
class Loader {
public:
    Loader();
    virtual ~Loader();

    bool LoadFromDataDirectory(const std::string& dir);
    bool LoadFromDataFile(const std::string& path);

    // The whole file as one owned buffer (not zero-terminated); null after logging on failure.
    // A zero-length file gives a non-null buffer with size 0.
    std::unique_ptr<uint8_t[]> LoadFile(const std::string& name);
    std::unique_ptr<uint8_t[]> LoadFile(const std::string& name, uint32_t& size);

    // Packs every file this run loaded in directory mode. The target is written under a
    // temporary name and renamed when complete; a target that is one of the loaded files
    // is refused.
    bool GenerateDataFile(const std::string& outPath);
    // Writes every item of the data file below targetDir. Links inside targetDir are never
    // followed; an existing file is overwritten with a warning.
    bool ExtractDataFile(const std::string& targetDir);
    static bool CreatePath(const std::string& path);
    // True when both paths name one existing file (links and relative paths resolved).
    static bool IsSameFile(const std::string& a, const std::string& b);

    void Close();
    bool IsDataFileMode() const;

    // Names in the data file's index, in index order (for tools and fuzzing).
    std::vector<std::string> GetItemNames() const;

private:
    bool ReadIndex(uint64_t fileLength);
    bool IsLoadedFile(const std::string& path) const;
    bool WriteDataFile(FILE* out, const std::string& outPath);
    void AddItem(const std::string& name, uint32_t offset, uint32_t size, uint32_t reserved);
    std::unique_ptr<uint8_t[]> LoadFromIndex(const std::string& name, uint32_t& size);
    std::unique_ptr<uint8_t[]> LoadFromDirectory(const std::string& name, uint32_t& size);
    bool ExtractItem(const DataFileItem& item, int root, const std::string& path);
    FILE* OpenForExtraction(int root, const std::string& name, const std::string& path) const;

    bool m_dataFileMode = false;
    std::string m_dataDirectory;
    std::vector<std::string> m_loadedFiles;
    FILE* m_dataFile = nullptr;
    // std::string compares through char_traits<char>, i.e. memcmp: unsigned byte order.
    std::map<std::string, std::unique_ptr<DataFileItem>> m_index;
};

Loader* GetLoader();
void SetLoader(Loader* loader);
