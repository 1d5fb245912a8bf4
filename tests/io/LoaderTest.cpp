#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "io/Loader.h"
#include "support/Files.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

namespace {

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

uint32_t GetU32(const std::vector<uint8_t>& in, size_t at) {
    return in[at] | (in[at + 1] << 8) | (in[at + 2] << 16) | (static_cast<uint32_t>(in[at + 3]) << 24);
}

// Writes the data file layout by hand, independently of the Loader.
struct DataFileBuilder {
    struct Entry {
        std::string name;
        uint32_t offset, size;
    };
    std::vector<uint8_t> bytes;
    std::vector<Entry> entries;

    void Add(const std::string& name, const std::string& content) {
        entries.push_back({name, static_cast<uint32_t>(bytes.size()), static_cast<uint32_t>(content.size())});
        bytes.insert(bytes.end(), content.begin(), content.end());
    }
    std::vector<uint8_t> Finish(uint32_t countOverride = 0) const {
        std::vector<uint8_t> out = bytes;
        const uint32_t indexOffset = static_cast<uint32_t>(out.size());
        PutU32(out, countOverride ? countOverride : static_cast<uint32_t>(entries.size()));
        for (const Entry& e : entries) {
            PutU32(out, static_cast<uint32_t>(e.name.size()));
            out.insert(out.end(), e.name.begin(), e.name.end());
            PutU32(out, e.offset);
            PutU32(out, e.size);
            PutU32(out, 0);
        }
        PutU32(out, indexOffset);
        return out;
    }
};

std::string AsString(const std::unique_ptr<uint8_t[]>& buffer, uint32_t size) {
    return std::string(reinterpret_cast<const char*>(buffer.get()), size);
}

}  // namespace

TEST(LoaderTest, ReadsHandWrittenDataFile) {
    TempDir temp;
    const std::string dir = temp.Path() + "/";
    DataFileBuilder builder;
    // Entries out of order, a duplicate name and an empty item: the reader must not care.
    builder.Add("shaders/b.txt", "first copy");
    builder.Add("a.bin", std::string("\0\x01\xff", 3));
    builder.Add("shaders/b.txt", "second copy");
    builder.Add("empty", "");
    WriteFile(dir + "demo.dat", builder.Finish());

    LogCapture log(LogCapture::kAllLevels);
    Loader loader;
    ASSERT_TRUE(loader.LoadFromDataFile(dir + "demo.dat"));
    EXPECT_TRUE(log.Has("  Loading from data file: " + dir + "demo.dat"));
    EXPECT_TRUE(loader.IsDataFileMode());
    EXPECT_EQ(loader.GetItemNames(), (std::vector<std::string>{"a.bin", "empty", "shaders/b.txt"}));

    uint32_t size = 99;
    auto b = loader.LoadFile("shaders/b.txt", size);
    ASSERT_TRUE(b);
    EXPECT_EQ(AsString(b, size), "first copy");
    EXPECT_TRUE(log.Has("Loading file: shaders/b.txt"));
    auto a = loader.LoadFile("a.bin", size);
    ASSERT_TRUE(a);
    EXPECT_EQ(AsString(a, size), std::string("\0\x01\xff", 3));
    auto empty = loader.LoadFile("empty", size);
    EXPECT_TRUE(empty);
    EXPECT_EQ(size, 0u);
    EXPECT_TRUE(loader.LoadFile("a.bin"));

    // Lookups are exact: no case folding, no slash conversion.
    for (const char* name : {"A.bin", "shaders\\b.txt", "Shaders/b.txt", "a.bin ", ""}) {
        size = 7;
        EXPECT_FALSE(loader.LoadFile(name, size)) << name;
        EXPECT_EQ(size, 0u);
        EXPECT_TRUE(log.Has(std::string("ERROR: Loader: Data file item not found: ") + name)) << name;
    }
}

TEST(LoaderTest, EmptyIndexIsValid) {
    TempDir temp;
    const std::string dir = temp.Path() + "/";
    WriteFile(dir + "empty.dat", DataFileBuilder().Finish());
    LogCapture log(LogCapture::kAllLevels);
    Loader loader;
    ASSERT_TRUE(loader.LoadFromDataFile(dir + "empty.dat"));
    EXPECT_TRUE(loader.GetItemNames().empty());
    EXPECT_FALSE(loader.LoadFile("script.xml"));
    EXPECT_TRUE(log.Has("ERROR: Loader: Data file item not found: script.xml"));
}

TEST(LoaderTest, GeneratedFileHasTheDocumentedLayout) {
    TempDir temp;
    const std::string dir = temp.Path() + "/";
    const std::string data = dir + "data/";
    ASSERT_TRUE(Loader::CreatePath(data + "a/"));
    WriteFile(data + "z.txt", "zz");
    WriteFile(data + "a/b.bin", "BBBB");
    WriteFile(data + "a/b.bin.old", "old");
    WriteFile(data + "\xC3\xA4.txt", "umlaut");
    WriteFile(data + "empty.dat", "");

    LogCapture log(LogCapture::kAllLevels);
    Loader loader;
    EXPECT_TRUE(loader.LoadFromDataDirectory(data));
    EXPECT_TRUE(log.Has("  Loading from data directory: " + data));
    EXPECT_FALSE(loader.IsDataFileMode());
    const std::vector<std::string> order = {"z.txt",   "a/b.bin",     "\xC3\xA4.txt",
                                            "a/b.bin", "a/b.bin.old", "empty.dat"};
    std::vector<std::string> contents;
    for (const std::string& name : order) {
        uint32_t size = 0;
        auto buffer = loader.LoadFile(name, size);
        ASSERT_TRUE(buffer) << name;
        contents.push_back(AsString(buffer, size));
    }
    EXPECT_EQ(contents[5], "");
    ASSERT_TRUE(loader.GenerateDataFile(dir + "out.dat"));
    EXPECT_TRUE(log.Has("Loader::GenerateDataFile() called."));
    EXPECT_TRUE(log.Has("Adding file: a/b.bin.old"));
    EXPECT_TRUE(log.Has("Loader::GenerateDataFile() finished."));

    // Parse it back by hand: every load copied in order (the twice-loaded file twice).
    const std::vector<uint8_t> file = ReadBytes(dir + "out.dat");
    const std::string area = "zzBBBBumlautBBBBold";
    ASSERT_GE(file.size(), area.size() + 8);
    EXPECT_EQ(std::string(file.begin(), file.begin() + area.size()), area);
    const uint32_t indexOffset = GetU32(file, file.size() - 4);
    ASSERT_EQ(indexOffset, area.size());
    ASSERT_EQ(GetU32(file, indexOffset), 5u);
    // Ascending unsigned byte order; a prefix sorts first; the first copy wins.
    struct Expected {
        std::string name;
        uint32_t offset, size;
    };
    const std::vector<Expected> expected = {{"a/b.bin", 2, 4},
                                            {"a/b.bin.old", 16, 3},
                                            {"empty.dat", 19, 0},
                                            {"z.txt", 0, 2},
                                            {"\xC3\xA4.txt", 6, 6}};
    size_t at = indexOffset + 4;
    for (const Expected& e : expected) {
        const uint32_t length = GetU32(file, at);
        EXPECT_EQ(std::string(file.begin() + at + 4, file.begin() + at + 4 + length), e.name);
        at += 4 + length;
        EXPECT_EQ(GetU32(file, at), e.offset) << e.name;
        EXPECT_EQ(GetU32(file, at + 4), e.size) << e.name;
        EXPECT_EQ(GetU32(file, at + 8), 0u) << e.name;
        at += 12;
    }
    EXPECT_EQ(at + 4, file.size());

    // A second run from the generated file sees byte-identical buffers.
    Loader packed;
    ASSERT_TRUE(packed.LoadFromDataFile(dir + "out.dat"));
    for (size_t i = 0; i < order.size(); ++i) {
        uint32_t size = 0;
        auto buffer = packed.LoadFile(order[i], size);
        ASSERT_TRUE(buffer) << order[i];
        EXPECT_EQ(AsString(buffer, size), contents[i]);
    }
}

TEST(LoaderTest, DirectoryModeFailures) {
    TempDir temp;
    const std::string dir = temp.Path() + "/";
    WriteFile(dir + "present.txt", "here");
    ASSERT_TRUE(Loader::CreatePath(dir + "sub/"));
    LogCapture log(LogCapture::kAllLevels);
    Loader loader;
    loader.LoadFromDataDirectory(dir);
    uint32_t size = 5;
    EXPECT_FALSE(loader.LoadFile("missing.txt", size));
    EXPECT_EQ(size, 0u);
    EXPECT_TRUE(log.Has("ERROR: Loader: Opening file failed: " + dir + "missing.txt"));
    // A directory is not a file, whatever length the file system reports for it.
    EXPECT_FALSE(loader.LoadFile("sub", size));
    EXPECT_TRUE(log.Has("ERROR: Loader: Opening file failed: " + dir + "sub"));

    // Failed loads are not packed; a file that vanished since its load fails generation.
    EXPECT_TRUE(loader.LoadFile("present.txt", size));
    ASSERT_TRUE(loader.GenerateDataFile(dir + "ok.dat"));
    Loader check;
    ASSERT_TRUE(check.LoadFromDataFile(dir + "ok.dat"));
    EXPECT_EQ(check.GetItemNames(), std::vector<std::string>{"present.txt"});
    std::remove((dir + "present.txt").c_str());
    EXPECT_FALSE(loader.GenerateDataFile(dir + "bad.dat"));
    EXPECT_TRUE(log.Has("ERROR: Loader: Opening file for reading failed: " + dir + "present.txt"));
    EXPECT_FALSE(loader.GenerateDataFile(dir + "no/such/dir/x.dat"));
    EXPECT_TRUE(log.Has("ERROR: Loader: Opening data file for writing failed: " + dir + "no/such/dir/x.dat"));

    // A failed switch to a data file leaves directory mode with an empty data directory.
    EXPECT_FALSE(loader.LoadFromDataFile(dir + "nope.dat"));
    EXPECT_TRUE(log.Has("ERROR: Loader: Opening data file failed: " + dir + "nope.dat"));
    EXPECT_FALSE(loader.IsDataFileMode());
    EXPECT_FALSE(loader.LoadFile("present.txt"));
    EXPECT_TRUE(log.Has("ERROR: Loader: Opening file failed: present.txt"));
}

TEST(LoaderTest, GenerateAndExtractRefuseTheWrongMode) {
    TempDir temp;
    const std::string dir = temp.Path() + "/";
    WriteFile(dir + "demo.dat", DataFileBuilder().Finish());
    LogCapture log(LogCapture::kAllLevels);
    Loader loader;
    EXPECT_FALSE(loader.ExtractDataFile(dir + "out/"));
    EXPECT_TRUE(log.Has("WARNING: Loader: Data file can only be extracted from data file mode."));
    EXPECT_FALSE(FileExists(dir + "out"));
    ASSERT_TRUE(loader.LoadFromDataFile(dir + "demo.dat"));
    EXPECT_FALSE(loader.GenerateDataFile(dir + "gen.dat"));
    EXPECT_TRUE(log.Has("WARNING: Loader: Data file can only be generated from data directory mode."));
    EXPECT_FALSE(FileExists(dir + "gen.dat"));
}

TEST(LoaderTest, LyingIndexIsRefusedWithoutAllocating) {
    TempDir temp;
    const std::string dir = temp.Path() + "/";
    DataFileBuilder good;
    good.Add("a.txt", "hello");
    const std::vector<uint8_t> valid = good.Finish();
    const size_t indexOffset = 5;

    std::vector<std::vector<uint8_t>> cases;
    cases.push_back({});                                                    // empty file
    cases.push_back({1, 2, 3});                                             // shorter than 4 bytes
    cases.push_back(std::vector<uint8_t>(valid.begin(), valid.end() - 1));  // trailer cut
    auto patched = [&](size_t at, uint32_t value) {
        std::vector<uint8_t> bytes = valid;
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
        return bytes;
    };
    cases.push_back(patched(valid.size() - 4, 0x7fffffff));  // index offset past the end
    cases.push_back(patched(valid.size() - 4, static_cast<uint32_t>(valid.size() - 4)));  // index in trailer
    cases.push_back(patched(indexOffset, 0xffffffff));       // absurd entry count
    cases.push_back(patched(indexOffset, 2));                // one entry more than present
    cases.push_back(patched(indexOffset + 4, 0xfffffff0));   // name length beyond the file
    cases.push_back(patched(indexOffset + 4, 20));           // name length into the trailer
    cases.push_back(patched(indexOffset + 13, 0xfffffff0));  // item offset past the end
    cases.push_back(patched(indexOffset + 17, 1000));        // item size past the end
    cases.push_back(patched(indexOffset + 13, 0xffffffff));  // offset + size wraps in 32 bits

    for (size_t i = 0; i < cases.size(); ++i) {
        WriteFile(dir + "bad.dat", cases[i]);
        LogCapture log(LogCapture::kAllLevels);
        Loader loader;
        EXPECT_FALSE(loader.LoadFromDataFile(dir + "bad.dat")) << "case " << i;
        EXPECT_TRUE(log.Has("ERROR: Loader: Reading data file index failed.")) << "case " << i;
        EXPECT_FALSE(loader.IsDataFileMode()) << "case " << i;
    }

    // A valid file that shrinks after its index was read: the item read fails cleanly.
    DataFileBuilder large;
    large.Add("a.txt", std::string(100000, 'x'));  // beyond any stdio buffer
    WriteFile(dir + "shrink.dat", large.Finish());
    LogCapture log(LogCapture::kAllLevels);
    Loader loader;
    ASSERT_TRUE(loader.LoadFromDataFile(dir + "shrink.dat"));
    ASSERT_EQ(truncate((dir + "shrink.dat").c_str(), 3), 0);
    EXPECT_FALSE(loader.LoadFile("a.txt"));
    EXPECT_TRUE(log.Has("ERROR: Loader: Reading data file item failed: a.txt"));
}

TEST(LoaderTest, ExtractsNestedTreeAndStaysInsideTarget) {
    TempDir temp;
    const std::string dir = temp.Path() + "/";
    DataFileBuilder builder;
    builder.Add("models/room/room.lwo", "LWO");
    builder.Add("top.txt", "top");
    builder.Add("../escaped.txt", "bad");
    builder.Add("models/../../escaped2.txt", "bad");
    builder.Add(dir + "absolute.txt", "bad");
    builder.Add("models\\..\\..\\escaped3.txt", "bad");
    builder.Add("empty.bin", "");
    WriteFile(dir + "demo.dat", builder.Finish());
    ASSERT_TRUE(Loader::CreatePath(dir + "out/models/"));  // an existing level is accepted

    LogCapture log(LogCapture::kAllLevels);
    Loader loader;
    ASSERT_TRUE(loader.LoadFromDataFile(dir + "demo.dat"));
    EXPECT_TRUE(loader.ExtractDataFile(dir + "out/"));
    EXPECT_TRUE(log.Has("Loader::ExtractDataFile() finished."));
    EXPECT_TRUE(log.Has("Extracting file: " + dir + "out/models/room/room.lwo"));
    EXPECT_EQ(ReadBytes(dir + "out/models/room/room.lwo"), (std::vector<uint8_t>{'L', 'W', 'O'}));
    EXPECT_EQ(ReadBytes(dir + "out/top.txt"), (std::vector<uint8_t>{'t', 'o', 'p'}));
    EXPECT_TRUE(FileExists(dir + "out/empty.bin"));
    EXPECT_TRUE(ReadBytes(dir + "out/empty.bin").empty());

    for (const std::string& name : {std::string("../escaped.txt"), std::string("models/../../escaped2.txt"),
                                    dir + "absolute.txt", std::string("models\\..\\..\\escaped3.txt")}) {
        EXPECT_TRUE(log.Has("ERROR: Extracting file failed: " + dir + "out/" + name)) << name;
    }
    EXPECT_FALSE(FileExists(dir + "escaped.txt"));
    EXPECT_FALSE(FileExists(dir + "escaped2.txt"));
    EXPECT_FALSE(FileExists(dir + "absolute.txt"));
    EXPECT_FALSE(FileExists(dir + "escaped3.txt"));
}

TEST(LoaderTest, CreatePathLevels) {
    TempDir temp;
    const std::string dir = temp.Path() + "/";
    LogCapture log(LogCapture::kAllLevels);
    EXPECT_TRUE(Loader::CreatePath(""));
    EXPECT_TRUE(Loader::CreatePath(dir + "x/y\\z/"));
    EXPECT_TRUE(log.Has("Path succesfully created: " + dir + "x/y\\z/"));
    struct stat st;
    EXPECT_EQ(stat((dir + "x/y\\z").c_str(), &st), 0);
    EXPECT_TRUE(Loader::CreatePath(dir + "x/y"));  // already there
    WriteFile(dir + "file", "f");
    EXPECT_FALSE(Loader::CreatePath(dir + "file/sub/"));
    EXPECT_TRUE(log.Has("ERROR: Creating path node failed: " + dir + "file/sub"));
}
