// Runs the generator binary and checks what it wrote.
#include <gtest/gtest.h>
#include <png.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int RunGenerator(const std::string& args) {
    const std::string cmd = std::string(ASSETGEN_BIN) + " " + args + " > /dev/null 2>&1";
    const int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::map<std::string, std::vector<uint8_t>> ReadTree(const fs::path& root) {
    std::map<std::string, std::vector<uint8_t>> files;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file()) files[fs::relative(e.path(), root).string()] = ReadBytes(e.path());
    return files;
}

struct Image {
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> rgba;
    uint8_t At(uint32_t x, uint32_t y, int c) const {
        return rgba[(static_cast<size_t>(y) * width + x) * 4 + c];
    }
};

bool ReadRGBA(const fs::path& path, Image& image) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_read_info(png, info);
    const bool rgba =
        png_get_color_type(png, info) == PNG_COLOR_TYPE_RGBA && png_get_bit_depth(png, info) == 8;
    image.width = png_get_image_width(png, info);
    image.height = png_get_image_height(png, info);
    if (rgba) {
        image.rgba.resize(static_cast<size_t>(image.width) * image.height * 4);
        std::vector<png_bytep> rows(image.height);
        for (uint32_t y = 0; y < image.height; ++y)
            rows[y] = &image.rgba[static_cast<size_t>(y) * image.width * 4];
        png_read_image(png, rows.data());
    }
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
    return rgba;
}

// One full generator run into each of two fresh folders, shared by every test below.
class AssetGenTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_root = fs::temp_directory_path() / ("tatamix-assetgen-test-" + std::to_string(getpid()));
        fs::remove_all(s_root);
        s_statusA = RunGenerator((s_root / "a").string());
        s_statusB = RunGenerator((s_root / "b").string());
    }
    static void TearDownTestSuite() { fs::remove_all(s_root); }
    static fs::path Data() { return s_root / "a"; }

    static fs::path s_root;
    static int s_statusA, s_statusB;
};

fs::path AssetGenTest::s_root;
int AssetGenTest::s_statusA = -1;
int AssetGenTest::s_statusB = -1;

}  // namespace

TEST_F(AssetGenTest, TwoRunsWriteTheSameBytes) {
    ASSERT_EQ(s_statusA, 0);
    ASSERT_EQ(s_statusB, 0);
    const auto a = ReadTree(s_root / "a");
    const auto b = ReadTree(s_root / "b");
    const char* expected[] = {
        "textures/font_default.png", "textures/logo_tatamix.png", "textures/glow.png",
        "textures/rasterbars.png",   "textures/scanlines.png",    "textures/checker.png",
        "textures/star.png",         "textures/belt.png",         "music/tatamix.ogg"};
    for (const char* name : expected) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(a.count(name));
        EXPECT_FALSE(a.at(name).empty());
    }
    ASSERT_EQ(a.size(), b.size());
    for (const auto& [name, bytes] : a) {
        ASSERT_TRUE(b.count(name)) << name;
        EXPECT_TRUE(bytes == b.at(name)) << name << " differs between runs";
    }
    EXPECT_LT(a.at("music/tatamix.ogg").size(), 6u * 1024 * 1024);
}

TEST_F(AssetGenTest, FontCoversPrintableCellsAndKeepsSpaceAndBordersEmpty) {
    Image font;
    ASSERT_TRUE(ReadRGBA(Data() / "textures/font_default.png", font));
    ASSERT_EQ(font.width, 512u);
    ASSERT_EQ(font.height, 512u);
    const uint32_t cell = font.width / 16;
    auto inkIn = [&](int code, bool border) {
        int ink = 0;
        const uint32_t x0 = (code % 16) * cell, y0 = (code / 16) * cell;
        for (uint32_t y = 0; y < cell; ++y)
            for (uint32_t x = 0; x < cell; ++x) {
                const bool edge = x == 0 || y == 0 || x == cell - 1 || y == cell - 1;
                if (edge == border && font.At(x0 + x, y0 + y, 3) > 0) ++ink;
            }
        return ink;
    };
    std::vector<int> printable;
    for (int c = 33; c <= 126; ++c) printable.push_back(c);
    for (int c : {0xC4, 0xD6, 0xE4, 0xF6}) printable.push_back(c);
    for (int c : printable) EXPECT_GT(inkIn(c, false), 6) << "no glyph for code " << c;
    EXPECT_EQ(inkIn(' ', false), 0);
    EXPECT_EQ(inkIn(0, false), 0);
    // Neighbouring cells must not bleed into each other under linear filtering.
    for (int c = 0; c < 256; ++c) EXPECT_EQ(inkIn(c, true), 0) << "glyph touches its cell border: " << c;
    // A capital is taller than a lower-case letter in the same row layout: 'H' vs 'n'.
    auto height = [&](int code) {
        uint32_t top = cell, bottom = 0;
        for (uint32_t y = 0; y < cell; ++y)
            for (uint32_t x = 0; x < cell; ++x)
                if (font.At((code % 16) * cell + x, (code / 16) * cell + y, 3) > 128) {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        return static_cast<int>(bottom) - static_cast<int>(top);
    };
    EXPECT_GT(height('H'), height('n') + 3);
    // Glyphs are white; only alpha carries the shape.
    const uint32_t ax = ('A' % 16) * cell + cell / 2, ay = ('A' / 16) * cell;
    for (uint32_t y = ay; y < ay + cell; ++y)
        if (font.At(ax, y, 3) > 0) {
            EXPECT_EQ(font.At(ax, y, 0), 255);
        }
}

TEST_F(AssetGenTest, TexturesHaveTheirSizesAndTransparency) {
    struct Expect {
        const char* name;
        uint32_t w, h;
        bool hasTransparent, hasOpaque;
    };
    const Expect textures[] = {
        {"logo_tatamix.png", 1024, 256, true, true}, {"glow.png", 128, 128, true, false},
        {"rasterbars.png", 16, 256, false, true},    {"scanlines.png", 4, 4, true, false},
        {"checker.png", 256, 256, false, true},      {"star.png", 64, 64, true, false},
        {"belt.png", 512, 64, true, true},
    };
    for (const Expect& e : textures) {
        SCOPED_TRACE(e.name);
        Image img;
        ASSERT_TRUE(ReadRGBA(Data() / "textures" / e.name, img));
        EXPECT_EQ(img.width, e.w);
        EXPECT_EQ(img.height, e.h);
        int transparent = 0, opaque = 0;
        for (size_t i = 3; i < img.rgba.size(); i += 4) {
            transparent += img.rgba[i] == 0;
            opaque += img.rgba[i] == 255;
        }
        EXPECT_EQ(transparent > 0, e.hasTransparent);
        if (e.hasOpaque) {
            EXPECT_GT(opaque, 0);
        }
    }
    // The glow is brightest in the middle and gone at the corners.
    Image glow;
    ASSERT_TRUE(ReadRGBA(Data() / "textures/glow.png", glow));
    EXPECT_GT(glow.At(64, 64, 3), 200);
    EXPECT_EQ(glow.At(0, 0, 3), 0);
    EXPECT_GT(glow.At(64, 40, 3), glow.At(64, 20, 3));
}

TEST_F(AssetGenTest, SoundtrackIsWholeBarsLoudButUnclippedWithBassAndTreble) {
    SF_INFO info{};
    SNDFILE* file = sf_open((Data() / "music/tatamix.ogg").c_str(), SFM_READ, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    EXPECT_EQ(info.samplerate, 44100);
    ASSERT_EQ(info.channels, 2);
    std::vector<float> s(static_cast<size_t>(info.frames) * 2);
    const sf_count_t got = sf_readf_float(file, s.data(), info.frames);
    sf_close(file);
    ASSERT_EQ(got, info.frames);

    const double seconds = static_cast<double>(info.frames) / info.samplerate;
    const double bars = seconds / 1.92;
    EXPECT_NEAR(bars * 1.92, std::round(bars) * 1.92, 0.010) << seconds;
    EXPECT_GT(seconds, 150.0);
    EXPECT_LT(seconds, 210.0);

    float peak = 0.0f;
    size_t clipped = 0;
    for (float v : s) {
        peak = std::max(peak, std::fabs(v));
        clipped += std::fabs(v) >= 0.999f;
    }
    EXPECT_EQ(clipped, 0u);
    EXPECT_GT(peak, 0.7f);  // normalised close to -1 dBFS, not left quiet

    // Loudness bar by bar: every bar but the faded last one carries sound.
    const size_t barFrames = static_cast<size_t>(1.92 * 44100);
    const size_t barCount = static_cast<size_t>(std::round(bars));
    for (size_t bar = 0; bar + 1 < barCount; ++bar) {
        double sum = 0.0;
        for (size_t i = bar * barFrames * 2; i < (bar + 1) * barFrames * 2; ++i) sum += s[i] * s[i];
        const double db = 10.0 * std::log10(sum / (barFrames * 2) + 1e-20);
        EXPECT_GT(db, -40.0) << "bar " << bar << " nearly silent";
        EXPECT_LT(db, -3.0) << "bar " << bar << " squashed";
    }

    // Spectral balance with one-pole filters on the mono mix: real bass and real treble.
    double total = 0.0, low = 0.0, high = 0.0;
    float lp = 0.0f, hpIn = 0.0f, hp = 0.0f;
    const float aLow = 1.0f - std::exp(-2.0f * 3.14159265f * 150.0f / 44100.0f);
    const float aHigh = std::exp(-2.0f * 3.14159265f * 5000.0f / 44100.0f);
    for (size_t i = 0; i < s.size(); i += 2) {
        const float m = 0.5f * (s[i] + s[i + 1]);
        lp += aLow * (m - lp);
        hp = aHigh * (hp + m - hpIn);
        hpIn = m;
        total += m * m;
        low += lp * lp;
        high += hp * hp;
    }
    EXPECT_GT(low / total, 0.05) << "too little bass";
    EXPECT_GT(high / total, 0.002) << "too little treble";
    EXPECT_LT(low / total, 0.9);
}

TEST_F(AssetGenTest, CommandLineListsSelectsAndRejects) {
    EXPECT_EQ(RunGenerator("--list"), 0);
    EXPECT_EQ(RunGenerator(""), 2);
    EXPECT_EQ(RunGenerator("--only nosuchproduct " + (s_root / "c").string()), 2);
    EXPECT_FALSE(fs::exists(s_root / "c"));
    ASSERT_EQ(RunGenerator("--only star --only glow " + (s_root / "d").string()), 0);
    const auto files = ReadTree(s_root / "d");
    EXPECT_EQ(files.size(), 2u);
    EXPECT_TRUE(files.count("textures/star.png"));
    // A data folder that cannot be created is a failure, not a silent success.
    std::ofstream(s_root / "blocker") << "x";
    EXPECT_EQ(RunGenerator("--only star " + (s_root / "blocker").string()), 1);
}

TEST(SlogansTest, FileParsesIntoShortLatin1SlogansWithCrLfLines) {
    const std::vector<uint8_t> bytes = ReadBytes(fs::path(TATAMIX_SOURCE_DIR) / "data/slogans.txt");
    ASSERT_FALSE(bytes.empty());
    const std::string text(bytes.begin(), bytes.end());
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n') {
            ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare line feed at byte " << i;
        }
    // The reader's rule: a slogan ends one character before "---"; the next starts 5 after it.
    std::vector<std::string> slogans;
    size_t pos = 0;
    for (size_t mark; (mark = text.find("---", pos)) != std::string::npos; pos = mark + 5) {
        ASSERT_GE(mark, pos + 1);
        slogans.push_back(text.substr(pos, mark - 1 - pos));
    }
    EXPECT_GE(slogans.size(), 30u);
    int umlauts = 0;
    for (const std::string& s : slogans) {
        SCOPED_TRACE(s);
        ASSERT_FALSE(s.empty());
        // Each slogan is its text plus the CR of its line end; the LF was the character cut off.
        EXPECT_EQ(s.back(), '\r');
        size_t lineLength = 0;
        for (unsigned char c : s) {
            if (c == '\r' || c == '\n') {
                lineLength = 0;
                continue;
            }
            EXPECT_LE(++lineLength, 64u);
            if (c >= 0x80) {
                EXPECT_TRUE(c == 0xE4 || c == 0xF6 || c == 0xC4 || c == 0xD6)
                    << "not Latin-1 umlaut: " << int(c);
                ++umlauts;
            }
            EXPECT_TRUE(c >= 0x20 || c == '\r') << int(c);
        }
        EXPECT_EQ(s.find("---"), std::string::npos);
    }
    EXPECT_GT(umlauts, 0);
}
