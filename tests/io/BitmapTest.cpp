#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "io/Bitmap.h"
#include "io/Loader.h"
#include "support/Files.h"
#include "support/ImageEncoding.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

namespace {

const uint8_t kSos[] = {0xff, 0xda};

bool LoadPng(Bitmap& bitmap, const std::vector<uint8_t>& file, bool flag) {
    return bitmap.LoadPNG(file.data(), static_cast<uint32_t>(file.size()), flag);
}

std::vector<uint8_t> Pixels(const Bitmap& bitmap) {
    const uint8_t* p = bitmap.GetPixels();
    return p ? std::vector<uint8_t>(p,
                                    p + bitmap.GetWidth() * bitmap.GetHeight() * bitmap.GetBitsPerPixel() / 8)
             : std::vector<uint8_t>();
}

Bitmap Make(uint32_t width, uint32_t height, uint32_t bpp, const std::vector<uint8_t>& pixels) {
    Bitmap bitmap;
    EXPECT_TRUE(bitmap.Create(width, height, bpp));
    std::memcpy(bitmap.GetPixels(), pixels.data(), pixels.size());
    return bitmap;
}

uint32_t Crc32(const uint8_t* data, size_t size) {
    uint32_t crc = 0xffffffffu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// Rewrites a PNG's IHDR size and fixes its CRC, leaving the image data as it was.
std::vector<uint8_t> WithHeaderSize(std::vector<uint8_t> png, uint32_t width, uint32_t height) {
    for (int i = 0; i < 4; ++i) {
        png[16 + i] = static_cast<uint8_t>(width >> (24 - 8 * i));
        png[20 + i] = static_cast<uint8_t>(height >> (24 - 8 * i));
    }
    const uint32_t crc = Crc32(png.data() + 12, 17);
    for (int i = 0; i < 4; ++i) png[29 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    return png;
}

}  // namespace

TEST(BitmapTest, DecodesEveryAcceptedPngColourType) {
    Bitmap bitmap;
    // grey
    ASSERT_TRUE(LoadPng(bitmap, EncodePng(2, 2, PNG_COLOR_TYPE_GRAY, 8, {0, 50, 200, 255}), true));
    EXPECT_EQ(bitmap.GetBitsPerPixel(), 8u);
    EXPECT_EQ(Pixels(bitmap), (std::vector<uint8_t>{0, 50, 200, 255}));
    // grey + alpha keeps the grey channel only
    ASSERT_TRUE(LoadPng(bitmap, EncodePng(2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {10, 99, 20, 0}), false));
    EXPECT_EQ(bitmap.GetBitsPerPixel(), 8u);
    EXPECT_EQ(Pixels(bitmap), (std::vector<uint8_t>{10, 20}));
    // RGB, without and with alpha from luminance
    const std::vector<uint8_t> rgb =
        EncodePng(3, 1, PNG_COLOR_TYPE_RGB, 8, {255, 0, 0, 255, 255, 255, 0, 0, 255});
    ASSERT_TRUE(LoadPng(bitmap, rgb, false));
    EXPECT_EQ(bitmap.GetBitsPerPixel(), 24u);
    EXPECT_EQ(Pixels(bitmap), (std::vector<uint8_t>{255, 0, 0, 255, 255, 255, 0, 0, 255}));
    ASSERT_TRUE(LoadPng(bitmap, rgb, true));
    EXPECT_EQ(bitmap.GetBitsPerPixel(), 32u);
    EXPECT_EQ(Pixels(bitmap), (std::vector<uint8_t>{255, 0, 0, 76, 255, 255, 255, 255, 0, 0, 255, 28}));
    // RGBA: the file's alpha, or luminance with the flag
    const std::vector<uint8_t> rgba =
        EncodePng(1, 2, PNG_COLOR_TYPE_RGB_ALPHA, 8, {0, 255, 0, 7, 9, 9, 9, 200});
    ASSERT_TRUE(LoadPng(bitmap, rgba, false));
    EXPECT_EQ(bitmap.GetWidth(), 1u);
    EXPECT_EQ(bitmap.GetHeight(), 2u);
    EXPECT_EQ(Pixels(bitmap), (std::vector<uint8_t>{0, 255, 0, 7, 9, 9, 9, 200}));
    ASSERT_TRUE(LoadPng(bitmap, rgba, true));
    EXPECT_EQ(Pixels(bitmap), (std::vector<uint8_t>{0, 255, 0, 150, 9, 9, 9, 9}));
    // Interlaced rows come out in order
    std::vector<uint8_t> ramp(64);
    for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<uint8_t>(i * 3);
    ASSERT_TRUE(LoadPng(bitmap, EncodePng(8, 8, PNG_COLOR_TYPE_GRAY, 8, ramp, true), false));
    EXPECT_EQ(Pixels(bitmap), ramp);
}

TEST(BitmapTest, RejectsUnsupportedAndBrokenPngs) {
    LogCapture log(LogCapture::kAllLevels);
    Bitmap bitmap;
    EXPECT_FALSE(LoadPng(bitmap, EncodePng(1, 1, PNG_COLOR_TYPE_GRAY, 16, {0x12, 0x34}), false));
    EXPECT_TRUE(log.Has("ERROR: Bitmap: PNG bit depth not supported: bpp=16"));
    EXPECT_FALSE(LoadPng(bitmap, EncodePng(2, 1, PNG_COLOR_TYPE_PALETTE, 8, {0, 1}), false));
    EXPECT_TRUE(log.Has("ERROR: Bitmap: PNG color type not supported: type=3"));
    EXPECT_EQ(bitmap.GetPixels(), nullptr);

    const std::vector<uint8_t> text = {'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'};
    EXPECT_FALSE(LoadPng(bitmap, text, false));
    EXPECT_FALSE(bitmap.LoadPNG(text.data(), 3, false));
    EXPECT_TRUE(log.Has("ERROR: Bitmap: Memory block is not recognized as a valid PNG file."));

    std::vector<uint8_t> noise(64 * 64 * 3);
    for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(i * 7919 >> 3);
    const std::vector<uint8_t> good = EncodePng(64, 64, PNG_COLOR_TYPE_RGB, 8, noise);
    EXPECT_FALSE(LoadPng(bitmap, std::vector<uint8_t>(good.begin(), good.begin() + 20), false));
    EXPECT_TRUE(log.Has("ERROR: Bitmap: Initializing PNG read failed."));
    EXPECT_FALSE(LoadPng(bitmap, std::vector<uint8_t>(good.begin(), good.begin() + good.size() / 2), false));
    EXPECT_TRUE(log.Has("ERROR: Bitmap: Error reading PNG image."));
    EXPECT_EQ(bitmap.GetPixels(), nullptr);
    EXPECT_EQ(bitmap.GetWidth(), 0u);

    // Text chunks are skipped: a small one changes nothing, one claiming more bytes than
    // exist fails at once instead of being buffered at its claimed length.
    auto withChunk = [&](uint32_t length, const std::string& body) {
        std::vector<uint8_t> png(good.begin(), good.begin() + 33);
        for (int i = 0; i < 4; ++i) png.push_back(static_cast<uint8_t>(length >> (24 - 8 * i)));
        png.insert(png.end(), {'z', 'T', 'X', 't'});
        png.insert(png.end(), body.begin(), body.end());
        for (int i = 0; i < 4; ++i) png.push_back(0);  // CRC, unchecked for skipped chunks
        png.insert(png.end(), good.begin() + 33, good.end());
        return png;
    };
    ASSERT_TRUE(LoadPng(bitmap, withChunk(5, std::string("k\0\0xx", 5)), false));
    EXPECT_EQ(Pixels(bitmap), noise);
    const size_t logged = log.Text().size();
    EXPECT_FALSE(LoadPng(bitmap, withChunk(0x46464646, "FFFF"), false));
    EXPECT_EQ(log.Text().substr(logged), "ERROR: Bitmap: Initializing PNG read failed.\n");

    // A header claiming absurd dimensions is refused before anything is allocated, and so is
    // one claiming more rows than its compressed data could possibly hold.
    EXPECT_FALSE(LoadPng(bitmap, WithHeaderSize(good, 16384, 4096), false));
    EXPECT_TRUE(log.Has("ERROR: Bitmap: PNG data too short for its image size: 16384x4096"));
    EXPECT_FALSE(LoadPng(bitmap, WithHeaderSize(good, 9500, 9500), false));
    EXPECT_TRUE(log.Has("ERROR: Bitmap: Image size not supported: 9500x9500x24"));
    EXPECT_FALSE(LoadPng(bitmap, WithHeaderSize(good, 20000, 1), false));
    EXPECT_TRUE(log.Has("ERROR: Bitmap: Image size not supported: 20000x1x24"));
    EXPECT_FALSE(bitmap.Create(16385, 1, 8));
    EXPECT_FALSE(bitmap.Create(16384, 16384, 24));
    EXPECT_TRUE(bitmap.Create(16384, 4, 32));
}

TEST(BitmapTest, DecodesJpegAndSurvivesBrokenOnes) {
    LogCapture log(LogCapture::kAllLevels);
    Bitmap bitmap;
    std::vector<uint8_t> grey(16 * 8, 100);
    const std::vector<uint8_t> greyJpeg = EncodeJpeg(16, 8, 1, grey);
    ASSERT_TRUE(bitmap.LoadJPEG(greyJpeg.data(), static_cast<uint32_t>(greyJpeg.size()), true));
    EXPECT_EQ(bitmap.GetBitsPerPixel(), 8u);
    EXPECT_EQ(bitmap.GetWidth(), 16u);
    EXPECT_EQ(bitmap.GetHeight(), 8u);
    for (uint8_t v : Pixels(bitmap)) EXPECT_NEAR(v, 100, 2);

    std::vector<uint8_t> rgb;
    for (int i = 0; i < 8 * 8; ++i) rgb.insert(rgb.end(), {200, 40, 40});
    const std::vector<uint8_t> rgbJpeg = EncodeJpeg(8, 8, 3, rgb);
    ASSERT_TRUE(bitmap.LoadJPEG(rgbJpeg.data(), static_cast<uint32_t>(rgbJpeg.size()), false));
    EXPECT_EQ(bitmap.GetBitsPerPixel(), 24u);
    const std::vector<uint8_t> px = Pixels(bitmap);
    for (size_t i = 0; i < px.size(); ++i) EXPECT_NEAR(px[i], rgb[i], 3) << i;
    ASSERT_TRUE(bitmap.LoadJPEG(rgbJpeg.data(), static_cast<uint32_t>(rgbJpeg.size()), true));
    EXPECT_EQ(bitmap.GetBitsPerPixel(), 32u);
    const uint8_t* p = bitmap.GetPixels();
    EXPECT_EQ(p[3], (30 * p[0] + 59 * p[1] + 11 * p[2]) / 100);

    // Corrupt, truncated and empty streams fail the load and leave the process running, also
    // where libjpeg itself only warns and pads the picture with grey: data cut inside the
    // scan, and an end marker inside it.
    std::vector<uint8_t> noise(64 * 64 * 3);
    for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(i * 7919 >> 3);
    const std::vector<uint8_t> noiseJpeg = EncodeJpeg(64, 64, 3, noise, 90);
    const size_t scan = std::search(noiseJpeg.begin(), noiseJpeg.end(), std::begin(kSos), std::end(kSos)) -
                        noiseJpeg.begin() + 20;
    ASSERT_LT(scan + 200, noiseJpeg.size());
    std::vector<uint8_t> cutInScan(noiseJpeg.begin(), noiseJpeg.begin() + (scan + noiseJpeg.size()) / 2);
    std::vector<uint8_t> endInScan = cutInScan;
    endInScan.insert(endInScan.end(), {0xff, 0xd9});
    std::vector<uint8_t> corrupt = rgbJpeg;
    for (size_t i = 2; i < 40 && i < corrupt.size(); ++i) corrupt[i] = 0x5a;
    std::vector<uint8_t> truncated(rgbJpeg.begin(), rgbJpeg.begin() + rgbJpeg.size() * 2 / 3);
    std::vector<uint8_t> headerOnly(rgbJpeg.begin(), rgbJpeg.begin() + 30);
    for (const auto* bad : {&cutInScan, &endInScan, &corrupt, &truncated, &headerOnly}) {
        EXPECT_FALSE(bitmap.LoadJPEG(bad->data(), static_cast<uint32_t>(bad->size()), false));
        EXPECT_EQ(bitmap.GetPixels(), nullptr);
    }
    EXPECT_FALSE(bitmap.LoadJPEG(rgbJpeg.data(), 0, false));
    EXPECT_TRUE(log.Has("ERROR: Bitmap: Error reading JPEG image."));
}

TEST(BitmapTest, LoadChoosesDecoderByExactExtension) {
    TempDir temp;
    const std::string dir = temp.Path() + "/";
    const std::vector<uint8_t> png = EncodePng(1, 1, PNG_COLOR_TYPE_GRAY, 8, {42});
    const std::vector<uint8_t> jpeg = EncodeJpeg(8, 8, 1, std::vector<uint8_t>(64, 42));
    for (const char* name : {"a.png", "a.PNG", "a.Png", "a.pNg", "a", "x.y.tga"}) WriteFile(dir + name, png);
    for (const char* name : {"b.jpg", "b.JPEG", "b.Jpg", "b.jPG"}) WriteFile(dir + name, jpeg);
    Loader loader;
    loader.LoadFromDataDirectory(dir);
    LogCapture log(LogCapture::kAllLevels);
    Bitmap bitmap;
    for (const char* name : {"a.png", "a.PNG", "a.Png", "b.jpg", "b.JPEG", "b.Jpg"}) {
        EXPECT_TRUE(bitmap.Load(&loader, name, false)) << name;
        EXPECT_TRUE(log.Has(std::string("Loading bitmap: ") + name));
        EXPECT_NEAR(bitmap.GetPixels()[0], 42, 1) << name;
    }
    EXPECT_FALSE(bitmap.Load(&loader, "a.pNg", false));
    EXPECT_TRUE(log.Has("ERROR: Bitmap: Unknown bitmap format: pNg"));
    EXPECT_FALSE(bitmap.Load(&loader, "b.jPG", false));
    EXPECT_TRUE(log.Has("ERROR: Bitmap: Unknown bitmap format: jPG"));
    EXPECT_FALSE(bitmap.Load(&loader, "x.y.tga", false));
    EXPECT_TRUE(log.Has("ERROR: Bitmap: Unknown bitmap format: tga"));
    const std::string before = log.Text();
    EXPECT_FALSE(bitmap.Load(&loader, "a", false));  // no extension: fails silently
    EXPECT_EQ(log.Text(), before + "Loading bitmap: a\n");
    EXPECT_FALSE(bitmap.Load(&loader, "missing.png", false));
    EXPECT_TRUE(log.Has("ERROR: Loader: Opening file failed: " + dir + "missing.png"));
}

TEST(BitmapTest, ConvertFormatEveryPair) {
    const std::vector<uint8_t> grey = {0, 128, 255};
    const std::vector<uint8_t> rgb = {255, 0, 0, 0, 255, 0, 255, 255, 255};
    const std::vector<uint8_t> rgba = {255, 0, 0, 9, 0, 255, 0, 99, 255, 255, 255, 199};
    struct Case {
        const std::vector<uint8_t>* from;
        uint32_t fromBpp, toBpp;
        std::vector<uint8_t> expected;
    };
    const std::vector<Case> cases = {
        {&grey, 8, 24, {0, 0, 0, 128, 128, 128, 255, 255, 255}},
        {&grey, 8, 32, {0, 0, 0, 0, 128, 128, 128, 128, 255, 255, 255, 255}},
        {&rgb, 24, 8, {76, 150, 255}},
        {&rgb, 24, 32, {255, 0, 0, 76, 0, 255, 0, 150, 255, 255, 255, 255}},
        {&rgba, 32, 8, {9, 99, 199}},  // the alpha, not the luminance
        {&rgba, 32, 24, {255, 0, 0, 0, 255, 0, 255, 255, 255}},
        {&rgb, 24, 24, rgb},
        {&rgb, 24, 16, rgb},  // not a listed pair
    };
    for (const Case& c : cases) {
        Bitmap bitmap = Make(3, 1, c.fromBpp, *c.from);
        bitmap.ConvertFormat(c.toBpp);
        EXPECT_EQ(Pixels(bitmap), c.expected) << c.fromBpp << " -> " << c.toBpp;
        EXPECT_EQ(bitmap.GetBitsPerPixel(), c.toBpp == 16 ? 24u : c.toBpp);
    }
}

TEST(BitmapTest, ResizeFlipAndCopy) {
    for (uint32_t bpp : {8u, 24u, 32u}) {
        const uint32_t n = bpp / 8;
        std::vector<uint8_t> src(2 * n);
        std::fill(src.begin() + n, src.end(), 255);
        Bitmap bitmap = Make(2, 1, bpp, src);
        bitmap.Resize(4, 1);
        ASSERT_EQ(bitmap.GetWidth(), 4u);
        const std::vector<uint8_t> px = Pixels(bitmap);
        for (uint32_t c = 0; c < n; ++c) {
            EXPECT_EQ(px[0 * n + c], 0);
            EXPECT_EQ(px[1 * n + c], 127);
            EXPECT_EQ(px[2 * n + c], 255);
            EXPECT_EQ(px[3 * n + c], 255);
        }
    }
    Bitmap shrink = Make(4, 2, 8, {10, 20, 30, 40, 50, 60, 70, 80});
    shrink.Resize(2, 1);
    EXPECT_EQ(Pixels(shrink), (std::vector<uint8_t>{10, 30}));

    {
        LogCapture log(LogCapture::kAllLevels);
        Bitmap flat = Make(3, 3, 24, std::vector<uint8_t>(27, 200));
        flat.ResizeBicubic(7, 5);
        EXPECT_TRUE(log.Has("ResizeBicubic() helvetin hidas ja liian blurri."));
        EXPECT_TRUE(log.Has(" ->Tee uusiksi."));
        ASSERT_EQ(flat.GetWidth(), 7u);
        ASSERT_EQ(flat.GetHeight(), 5u);
        for (uint8_t v : Pixels(flat)) EXPECT_NEAR(v, 200, 1);
        Bitmap edge = Make(4, 1, 8, {0, 0, 255, 255});
        edge.ResizeBicubic(8, 1);
        const std::vector<uint8_t> px = Pixels(edge);
        for (size_t i = 1; i < px.size(); ++i) EXPECT_GE(px[i] + 1, px[i - 1]);  // monotone, no ringing
    }

    Bitmap rows = Make(2, 3, 8, {1, 2, 3, 4, 5, 6});
    rows.FlipVertical();
    EXPECT_EQ(Pixels(rows), (std::vector<uint8_t>{5, 6, 3, 4, 1, 2}));
    Bitmap single = Make(2, 1, 8, {1, 2});
    single.FlipVertical();
    EXPECT_EQ(Pixels(single), (std::vector<uint8_t>{1, 2}));

    Bitmap copy(rows);
    copy.GetPixels()[0] = 99;
    EXPECT_EQ(rows.GetPixels()[0], 5);
    Bitmap assigned;
    assigned = copy;
    EXPECT_EQ(Pixels(assigned), Pixels(copy));
}

TEST(BitmapTest, SubImagesStayInside) {
    std::vector<uint8_t> px(4 * 3 * 3);
    for (size_t i = 0; i < px.size(); ++i) px[i] = static_cast<uint8_t>(i);
    const Bitmap bitmap = Make(4, 3, 24, px);
    auto sub = bitmap.GetSubImage(1, 1, 2, 2);
    ASSERT_TRUE(sub);
    EXPECT_EQ(sub->GetBitsPerPixel(), 24u);
    EXPECT_EQ(Pixels(*sub), (std::vector<uint8_t>{15, 16, 17, 18, 19, 20, 27, 28, 29, 30, 31, 32}));
    EXPECT_TRUE(bitmap.GetSubImage(0, 0, 4, 3));

    LogCapture log(LogCapture::kAllLevels);
    EXPECT_FALSE(bitmap.GetSubImage(3, 0, 2, 1));
    EXPECT_FALSE(bitmap.GetSubImage(0, 2, 1, 2));
    EXPECT_FALSE(bitmap.GetSubImage(0xffffffffu, 0, 2, 1));  // would wrap in 32 bits
    EXPECT_FALSE(bitmap.GetSubImage(0, 0, 0, 1));
    EXPECT_TRUE(log.Has("ERROR: Bitmap: Sub-image outside the bitmap: 3,0 2x1"));
}

TEST(BitmapTest, PixelIndexWrapsOnceThenClamps) {
    Bitmap bitmap = Make(4, 3, 8, std::vector<uint8_t>(12));
    EXPECT_EQ(bitmap.GetPixelIndex(-1, 0, true), 3u);
    EXPECT_EQ(bitmap.GetPixelIndex(4, 2, true), 8u);
    EXPECT_EQ(bitmap.GetPixelIndex(1, -1, true), 9u);
    EXPECT_EQ(bitmap.GetPixelIndex(-9, 0, true), 0u);  // wrapped once, still outside: clamped
    EXPECT_EQ(bitmap.GetPixelIndex(-1, -1, false), 0u);
    EXPECT_EQ(bitmap.GetPixelIndex(10, 10, false), 11u);
    EXPECT_EQ(bitmap.GetPixelIndex(2, 1, false), 6u);
}

TEST(BitmapTest, NormalMaps) {
    for (int kernel : {1, 3}) {
        for (bool wrap : {false, true}) {
            Bitmap flat = Make(5, 4, 24, std::vector<uint8_t>(60, 80));
            flat.MakeNormalMap(2.5f, kernel, wrap);
            ASSERT_EQ(flat.GetBitsPerPixel(), 32u);
            const std::vector<uint8_t> px = Pixels(flat);
            for (size_t i = 0; i < px.size(); i += 4) {
                EXPECT_EQ(px[i], 127);
                EXPECT_EQ(px[i + 1], 127);
                EXPECT_EQ(px[i + 2], 255);
                EXPECT_EQ(px[i + 3], 80);  // luminance of the grey colour
            }
        }
    }
    Bitmap off = Make(2, 2, 8, {0, 50, 100, 150});
    off.MakeNormalMap(0.0f, 1, false);
    EXPECT_EQ(Pixels(off),
              (std::vector<uint8_t>{127, 127, 255, 0, 127, 127, 255, 0, 127, 127, 255, 0, 127, 127, 255, 0}));

    // Height rising by 10 per column.
    std::vector<uint8_t> slope;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) slope.push_back(static_cast<uint8_t>(10 * x));
    auto pixel = [](const Bitmap& b, int x, int y) { return b.GetPixels() + (y * b.GetWidth() + x) * 4; };

    Bitmap clamped = Make(6, 4, 8, slope);
    clamped.MakeNormalMap(1.0f, 1, false);
    const uint8_t* inner = pixel(clamped, 3, 2);
    EXPECT_EQ(inner[0], 132);  // (10/255, 0, 1) normalised
    EXPECT_EQ(inner[1], 127);
    EXPECT_EQ(inner[2], 254);
    EXPECT_EQ(inner[3], 30);
    EXPECT_EQ(pixel(clamped, 0, 1)[0], 127);  // clamped edge sees no slope

    Bitmap wrapped = Make(6, 4, 8, slope);
    wrapped.MakeNormalMap(1.0f, 1, true);
    EXPECT_LT(pixel(wrapped, 0, 1)[0], 127);  // its left neighbour is the high far column
    EXPECT_EQ(pixel(wrapped, 3, 2)[0], 132);

    Bitmap steep = Make(6, 4, 8, slope);
    steep.MakeNormalMap(4.0f, 1, false);
    EXPECT_GT(pixel(steep, 3, 2)[0], 132);  // a larger scale tilts the normal further

    Bitmap wide = Make(6, 4, 8, slope);
    wide.MakeNormalMap(1.0f, 3, false);
    const uint8_t* k3 = pixel(wide, 3, 1);
    EXPECT_GT(k3[0], 127);
    EXPECT_EQ(k3[1], 127);
    EXPECT_LT(k3[2], 255);
    EXPECT_EQ(k3[3], 30);
    Bitmap wideWrap = Make(6, 4, 8, slope);
    wideWrap.MakeNormalMap(1.0f, 3, true);
    EXPECT_EQ(pixel(wideWrap, 3, 1)[0], k3[0]);
    EXPECT_NE(pixel(wideWrap, 0, 1)[0], pixel(wide, 0, 1)[0]);
}
