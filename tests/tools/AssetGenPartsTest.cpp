// Pieces of the generator that can be checked without running it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "Canvas.h"
#include "OggWriter.h"
#include "Song.h"
#include "StrokeFont.h"
#include "Synth.h"
#include "support/LogCapture.h"

TEST(StrokeFontTest, EveryGlyphParsesAndStaysInsideTheDesignBox) {
    const unsigned char latin1[] = {0xC4, 0xD6, 0xE4, 0xF6};
    std::vector<unsigned char> codes;
    for (int c = 33; c <= 126; ++c) codes.push_back(static_cast<unsigned char>(c));
    codes.insert(codes.end(), latin1, latin1 + 4);
    LogCapture log;
    for (unsigned char c : codes) {
        SCOPED_TRACE(static_cast<int>(c));
        ASSERT_TRUE(StrokeFont::HasGlyph(c));
        const auto segments = StrokeFont::Glyph(c);
        ASSERT_FALSE(segments.empty());
        for (const auto& s : segments) {
            // A typo in the path table shows up as a stroke flying off the box.
            for (float x : {s.x0, s.x1}) EXPECT_TRUE(x >= -0.5f && x <= 5.0f) << x;
            for (float y : {s.y0, s.y1}) EXPECT_TRUE(y >= -2.1f && y <= 7.8f) << y;
        }
    }
    // Every path in the table parses to its end: a malformed one would have logged a warning.
    EXPECT_EQ(log.Text(), "");
    EXPECT_FALSE(StrokeFont::HasGlyph(' '));
    EXPECT_TRUE(StrokeFont::Glyph(0x7f).empty());
    EXPECT_TRUE(StrokeFont::Glyph(10).empty());
}

TEST(CanvasTest, PolygonsFillTheirAreaWithSoftEdges) {
    Canvas canvas(8, 8);
    canvas.Fill(Rgba{0, 0, 0, 0});
    // A right triangle over half the canvas, and the same drawn the other way round below it.
    canvas.FillPolygon({{0, 0}, {8, 0}, {0, 8}}, Rgba{1, 0, 0, 1});
    float covered = 0.0f;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) covered += canvas.Get(x, y).a;
    EXPECT_NEAR(covered, 32.0f, 0.5f);
    EXPECT_FLOAT_EQ(canvas.Get(1, 1).a, 1.0f);
    EXPECT_FLOAT_EQ(canvas.Get(7, 7).a, 0.0f);
    EXPECT_GT(canvas.Get(3, 4).a, 0.3f);  // the diagonal runs through this pixel
    EXPECT_LT(canvas.Get(3, 4).a, 0.7f);
    Canvas other(8, 8);
    other.Fill(Rgba{0, 0, 0, 0});
    other.FillPolygon({{0, 8}, {8, 0}, {0, 0}}, Rgba{1, 0, 0, 1});
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) EXPECT_FLOAT_EQ(other.Get(x, y).a, canvas.Get(x, y).a);
}

TEST(SynthTest, NoteNamesAndFrequencies) {
    EXPECT_EQ(Synth::ParseNote("A4"), 69);
    EXPECT_EQ(Synth::ParseNote("C#5"), 73);
    EXPECT_EQ(Synth::ParseNote("Bb3"), 58);
    EXPECT_EQ(Synth::ParseNote("C0"), 12);
    EXPECT_EQ(Synth::ParseNote("H4"), -1);
    EXPECT_EQ(Synth::ParseNote("A"), -1);
    EXPECT_EQ(Synth::ParseNote("A44"), -1);
    EXPECT_EQ(Synth::ParseNote(""), -1);
    EXPECT_EQ(Synth::ParseNote(nullptr), -1);
    EXPECT_NEAR(Synth::NoteFrequency(69), 440.0f, 1e-3f);
    EXPECT_NEAR(Synth::NoteFrequency(57), 220.0f, 1e-3f);
}

TEST(SynthTest, FilterStaysStableUnderExtremeSweeps) {
    Synth::Filter f;
    Synth::Noise noise(1);
    float peak = 0.0f;
    for (int i = 0; i < 200000; ++i) {
        if (i % 16 == 0) f.Set((i / 16) % 2 ? 20.0f : 30000.0f, 12.0f);
        f.Process(noise.Next());
        peak = std::max(peak, std::fabs(f.Low()));
    }
    EXPECT_TRUE(std::isfinite(peak));
    EXPECT_LT(peak, 100.0f);
}

TEST(SongTest, SectionsTileTheWholePieceOnTheBarGrid) {
    int next = 0;
    for (const Song::Section& s : Song::Sections()) {
        EXPECT_EQ(s.firstBar, next) << s.name;
        EXPECT_GT(s.bars, 0);
        next = s.firstBar + s.bars;
    }
    EXPECT_EQ(next, Song::kBars);
    EXPECT_EQ(Song::kBarSamples, 84672);  // 1.92 s at 44.1 kHz, exactly
    EXPECT_DOUBLE_EQ(Song::BarStartSeconds(1), 1.92);
    EXPECT_DOUBLE_EQ(Song::BarStartSeconds(Song::kBars), 1.92 * Song::kBars);
}

namespace {

std::vector<uint8_t> Page(uint32_t serial, const std::vector<uint8_t>& body) {
    std::vector<uint8_t> p = {'O', 'g', 'g', 'S', 0, 2, 0, 0, 0, 0, 0, 0, 0, 0};
    for (int i = 0; i < 4; ++i) p.push_back(static_cast<uint8_t>(serial >> (8 * i)));
    for (int i = 0; i < 8; ++i) p.push_back(0);  // sequence number, CRC
    p.push_back(1);
    p.push_back(static_cast<uint8_t>(body.size()));
    p.insert(p.end(), body.begin(), body.end());
    return p;
}

uint32_t LE32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

TEST(OggWriterTest, RewritesEverySerialAndRejectsBrokenPageChains) {
    std::vector<uint8_t> bytes = Page(0x12345678u, {1, 2, 3});
    const std::vector<uint8_t> second = Page(0x12345678u, {9, 8, 7, 6, 5});
    bytes.insert(bytes.end(), second.begin(), second.end());
    ASSERT_TRUE(OggWriter::FixSerials(bytes, 0xAABBCCDDu));
    const size_t offsets[2] = {0, 31};  // 27-byte header, 1 lacing byte, body
    for (size_t off : offsets) {
        EXPECT_EQ(LE32(&bytes[off + 14]), 0xAABBCCDDu);
        std::vector<uint8_t> page(bytes.begin() + off, bytes.begin() + off + (off ? 33 : 31));
        const uint32_t stored = LE32(&page[22]);
        page[22] = page[23] = page[24] = page[25] = 0;
        EXPECT_EQ(OggWriter::Crc(page.data(), page.size()), stored);
    }
    // A known value: the Ogg CRC of one 0x01 byte is the polynomial itself.
    const uint8_t one = 1;
    EXPECT_EQ(OggWriter::Crc(&one, 1), 0x04c11db7u);

    // Truncated body, bad capture pattern, lying segment table: refused, bytes untouched.
    std::vector<uint8_t> truncated(bytes.begin(), bytes.end() - 1);
    const std::vector<uint8_t> truncatedCopy = truncated;
    EXPECT_FALSE(OggWriter::FixSerials(truncated, 1));
    EXPECT_EQ(truncated, truncatedCopy);
    std::vector<uint8_t> garbage = bytes;
    garbage[31] = 'X';
    EXPECT_FALSE(OggWriter::FixSerials(garbage, 1));
    std::vector<uint8_t> lying = Page(1, {1, 2, 3});
    lying[26] = 200;
    EXPECT_FALSE(OggWriter::FixSerials(lying, 1));
    std::vector<uint8_t> empty;
    EXPECT_FALSE(OggWriter::FixSerials(empty, 1));
}
