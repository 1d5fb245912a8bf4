#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>

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
    std::vector<uint8_t> bytes, index;
    uint32_t count = 0;

    void Add(const std::string& name, const std::string& content) {
        PutU32(index, static_cast<uint32_t>(name.size()));
        index.insert(index.end(), name.begin(), name.end());
        PutU32(index, static_cast<uint32_t>(bytes.size()));
        PutU32(index, static_cast<uint32_t>(content.size()));
        PutU32(index, 0);
        bytes.insert(bytes.end(), content.begin(), content.end());
        ++count;
    }
    std::vector<uint8_t> Finish() const {
        std::vector<uint8_t> out = bytes;
        PutU32(out, count);
        out.insert(out.end(), index.begin(), index.end());
        PutU32(out, static_cast<uint32_t>(bytes.size()));
        return out;
    }
};

std::string Load(Loader& loader, const std::string& name) {
    uint32_t size = 99;
    std::unique_ptr<uint8_t[]> buffer = loader.LoadFile(name, size);
    return buffer ? std::string(reinterpret_cast<const char*>(buffer.get()), size) : "<failed>";
}

}  // namespace

TEST(LoaderTest, ReadsHandWrittenDataFiles) {
    TempDir temp;
    const std::string dir = temp.Path() + "/";
    DataFileBuilder builder;
    // Entries out of order, a duplicate name and an empty item: the reader must not care.
    builder.Add("shaders/b.txt", "first copy");
    builder.Add("a.bin", std::string("\0\x01\xff", 3));
    builder.Add("shaders/b.txt", "second copy");
    builder.Add("empty", "");
    WriteFile(dir + "demo.dat", builder.Finish());
    WriteFile(dir + "none.dat", DataFileBuilder().Finish());

    LogCapture log(LogCapture::kAllLevels);
    Loader loader;
    ASSERT_TRUE(loader.LoadFromDataFile(dir + "none.dat"));  // an empty index is valid
    EXPECT_TRUE(loader.GetItemNames().empty());
    ASSERT_TRUE(loader.LoadFromDataFile(dir + "demo.dat"));
    EXPECT_TRUE(log.Has("  Loading from data file: " + dir + "demo.dat"));
    EXPECT_TRUE(loader.IsDataFileMode());
    EXPECT_EQ(loader.GetItemNames(), (std::vector<std::string>{"a.bin", "empty", "shaders/b.txt"}));
    EXPECT_EQ(Load(loader, "shaders/b.txt"), "first copy");
    EXPECT_TRUE(log.Has("Loading file: shaders/b.txt"));
    EXPECT_EQ(Load(loader, "a.bin"), std::string("\0\x01\xff", 3));
    EXPECT_EQ(Load(loader, "empty"), "");
    // Lookups are exact: no case folding, no slash conversion.
    for (const char* name : {"A.bin", "shaders\\b.txt", "a.bin ", ""}) {
        EXPECT_EQ(Load(loader, name), "<failed>") << name;
        EXPECT_TRUE(log.Has(std::string("ERROR: Loader: Data file item not found: ") + name)) << name;
    }
}

TEST(LoaderTest, GeneratedFileHasTheDocumentedLayout) {
    TempDir temp;
    const std::string dir = temp.Path() + "/", data = dir + "data/";
    for (auto file : {std::make_pair("z.txt", "zz"), std::make_pair("a/b.bin", "BBBB"),
                      std::make_pair("a/b.bin.old", "old"), std::make_pair("\xC3\xA4.txt", "umlaut"),
                      std::make_pair("empty.dat", "")})
        temp.Write(std::string("data/") + file.first, file.second);
    LogCapture log(LogCapture::kAllLevels);
    Loader loader;
    EXPECT_TRUE(loader.LoadFromDataDirectory(data));
    const std::vector<std::string> order = {"z.txt",   "a/b.bin",     "\xC3\xA4.txt",
                                            "a/b.bin", "a/b.bin.old", "empty.dat"};
    for (const std::string& name : order) ASSERT_NE(Load(loader, name), "<failed>") << name;
    ASSERT_TRUE(loader.GenerateDataFile(dir + "out.dat"));
    EXPECT_TRUE(log.Has("Adding file: a/b.bin.old"));

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
    } expected[] = {{"a/b.bin", 2, 4}, {"a/b.bin.old", 16, 3}, {"empty.dat", 19, 0}, {"z.txt", 0, 2},
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
    for (const std::string& name : order) EXPECT_EQ(Load(packed, name), temp.Read("data/" + name)) << name;
    // It refuses to pack in data-file mode, and to extract in directory mode.
    EXPECT_FALSE(packed.GenerateDataFile(dir + "gen.dat"));
    EXPECT_TRUE(log.Has("WARNING: Loader: Data file can only be generated from data directory mode."));
    EXPECT_FALSE(loader.ExtractDataFile(dir + "x/"));
    EXPECT_TRUE(log.Has("WARNING: Loader: Data file can only be extracted from data file mode."));
    EXPECT_FALSE(temp.Exists("gen.dat") || temp.Exists("x"));
}

TEST(LoaderTest, DirectoryModeFailures) {
    TempDir temp;
    const std::string dir = temp.Path() + "/";
    temp.Write("present.txt", "here");
    temp.MakeDir("sub");
    ASSERT_EQ(mkfifo((dir + "pipe").c_str(), 0600), 0);
    LogCapture log(LogCapture::kAllLevels);
    Loader loader;
    loader.LoadFromDataDirectory(dir);
    // Missing, a directory, a FIFO (opening it for reading would wait for a writer).
    for (const char* name : {"missing.txt", "sub", "pipe"}) {
        EXPECT_EQ(Load(loader, name), "<failed>") << name;
        EXPECT_TRUE(log.Has(std::string("ERROR: Loader: Opening file failed: ") + dir + name)) << name;
    }
    // Failed loads are not packed; a file that vanished since its load fails generation and
    // leaves neither the target nor a temporary file behind.
    EXPECT_EQ(Load(loader, "present.txt"), "here");
    ASSERT_TRUE(loader.GenerateDataFile(dir + "ok.dat"));
    Loader check;
    ASSERT_TRUE(check.LoadFromDataFile(dir + "ok.dat"));
    EXPECT_EQ(check.GetItemNames(), std::vector<std::string>{"present.txt"});
    // A target that is one of the packed files is refused and left as it was.
    EXPECT_FALSE(loader.GenerateDataFile(dir + "present.txt"));
    EXPECT_TRUE(log.Has("ERROR: Loader: Data file target is one of the files it would pack: " + dir + "present.txt"));
    EXPECT_EQ(temp.Read("present.txt"), "here");
    std::remove((dir + "present.txt").c_str());
    EXPECT_FALSE(loader.GenerateDataFile(dir + "bad.dat"));
    EXPECT_TRUE(log.Has("ERROR: Loader: Opening file for reading failed: " + dir + "present.txt"));
    EXPECT_FALSE(loader.GenerateDataFile(dir + "no/such/dir/x.dat"));
    EXPECT_TRUE(log.Has("ERROR: Loader: Opening data file for writing failed: " + dir + "no/such/dir/x.dat"));
    std::set<std::string> entries;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) entries.insert(entry.path().filename());
    EXPECT_EQ(entries, (std::set<std::string>{"ok.dat", "pipe", "sub"}));

    // A failed switch to a data file leaves directory mode with an empty data directory.
    EXPECT_FALSE(loader.LoadFromDataFile(dir + "pipe"));
    EXPECT_TRUE(log.Has("ERROR: Loader: Opening data file failed: " + dir + "pipe"));
    EXPECT_FALSE(loader.IsDataFileMode());
    EXPECT_EQ(Load(loader, "ok.dat"), "<failed>");
}

TEST(LoaderTest, LyingIndexIsRefusedWithoutAllocating) {
    TempDir temp;
    const std::string dir = temp.Path() + "/";
    DataFileBuilder good;
    good.Add("a.txt", "hello");
    const std::vector<uint8_t> valid = good.Finish();
    const size_t indexOffset = 5;
    auto patched = [&](size_t at, uint32_t value) {
        std::vector<uint8_t> bytes = valid;
        if (at + 4 > bytes.size()) return bytes;
        for (size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
        return bytes;
    };
    const std::vector<std::vector<uint8_t>> cases = {
        {},                                                    // empty file
        {1, 2, 3},                                             // shorter than 4 bytes
        std::vector<uint8_t>(valid.begin(), valid.end() - 1),  // trailer cut
        patched(valid.size() - 4, 0x7fffffff),                 // index offset past the end
        patched(valid.size() - 4, static_cast<uint32_t>(valid.size() - 4)),  // index in trailer
        patched(indexOffset, 0xffffffff),                      // absurd entry count
        patched(indexOffset, 2),                               // one entry more than present
        patched(indexOffset + 4, 0xfffffff0),                  // name length beyond the file
        patched(indexOffset + 4, 20),                          // name length into the trailer
        patched(indexOffset + 13, 0xfffffff0),                 // item offset past the end
        patched(indexOffset + 17, 1000),                       // item size past the end
        patched(indexOffset + 13, 0xffffffff),                 // offset + size wraps in 32 bits
    };
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
    EXPECT_EQ(Load(loader, "a.txt"), "<failed>");
    EXPECT_TRUE(log.Has("ERROR: Loader: Reading data file item failed: a.txt"));
}

TEST(LoaderTest, ExtractionStaysInsideTheTarget) {
    TempDir temp;
    const std::string dir = temp.Path() + "/";
    DataFileBuilder builder;
    builder.Add("models/room/room.lwo", "LWO");
    builder.Add("top.txt", "top");
    builder.Add("empty.bin", "");
    builder.Add("linked/x.txt", "through a link");
    builder.Add("../escaped.txt", "bad");
    builder.Add("models/../../escaped2.txt", "bad");
    builder.Add(dir + "absolute.txt", "bad");
    builder.Add("models\\..\\..\\escaped3.txt", "bad");
    WriteFile(dir + "demo.dat", builder.Finish());
    temp.MakeDir("out/models");  // an existing level is accepted
    temp.MakeDir("elsewhere");
    ASSERT_EQ(symlink((dir + "elsewhere").c_str(), (dir + "out/linked").c_str()), 0);
    temp.Write("out/top.txt", "old");

    LogCapture log(LogCapture::kAllLevels);
    Loader loader;
    ASSERT_TRUE(loader.LoadFromDataFile(dir + "demo.dat"));
    EXPECT_TRUE(loader.ExtractDataFile(dir + "out/"));
    EXPECT_TRUE(log.Has("Extracting file: " + dir + "out/models/room/room.lwo"));
    EXPECT_EQ(temp.Read("out/models/room/room.lwo"), "LWO");
    EXPECT_EQ(temp.Read("out/top.txt"), "top");
    EXPECT_TRUE(log.Has("WARNING: Loader: Overwriting existing file: " + dir + "out/top.txt"));
    EXPECT_TRUE(temp.Exists("out/empty.bin"));
    // Names that climb out, absolute names and a link inside the target are refused.
    for (const std::string& name : {std::string("../escaped.txt"), std::string("models/../../escaped2.txt"),
                                    dir + "absolute.txt", std::string("models\\..\\..\\escaped3.txt"),
                                    std::string("linked/x.txt")}) {
        EXPECT_TRUE(log.Has("ERROR: Extracting file failed: " + dir + "out/" + name)) << name;
    }
    for (const char* name : {"escaped.txt", "escaped2.txt", "absolute.txt", "escaped3.txt", "elsewhere/x.txt"})
        EXPECT_FALSE(temp.Exists(name)) << name;
}

TEST(LoaderTest, CreatePathLevels) {
    TempDir temp;
    const std::string dir = temp.Path() + "/";
    LogCapture log(LogCapture::kAllLevels);
    EXPECT_TRUE(Loader::CreatePath(""));
    EXPECT_TRUE(Loader::CreatePath(dir + "x/y\\z/"));
    EXPECT_TRUE(log.Has("Path succesfully created: " + dir + "x/y\\z/"));
    EXPECT_TRUE(temp.Exists("x/y\\z"));
    EXPECT_TRUE(Loader::CreatePath(dir + "x/y"));  // already there
    temp.Write("file", "f");
    EXPECT_FALSE(Loader::CreatePath(dir + "file/sub/"));
    EXPECT_TRUE(log.Has("ERROR: Creating path node failed: " + dir + "file/sub"));
}
