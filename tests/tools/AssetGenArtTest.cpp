// Runs the generator's show artwork products and checks the facts the show relies on: block
// sprites that stand, face and strike where the fight expects them, collision images read
// mirrored, gi pixels the fighter shader can recolour, and the font cells the balloon reads.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "io/Bitmap.h"
#include "show/FighterFrames.h"
#include "support/TempDir.h"

namespace {

struct Image {
    int w = 0, h = 0;
    std::vector<uint8_t> px;  // RGBA
    bool ok = false;
    const uint8_t* At(int x, int y) const { return &px[(static_cast<size_t>(y) * w + x) * 4]; }
    bool Opaque(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h && At(x, y)[3] != 0; }
};

// Decoded by the engine's own bitmap reader; ok only for 32-bit images, as the block sprite
// builder demands.
Image Read(const std::string& path) {
    Image img;
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Bitmap bitmap;
    if (bytes.empty() || !bitmap.LoadPNG(bytes.data(), static_cast<uint32_t>(bytes.size()), false))
        return img;
    if (bitmap.GetBitsPerPixel() != 32) return img;
    img.w = static_cast<int>(bitmap.GetWidth());
    img.h = static_cast<int>(bitmap.GetHeight());
    img.px.assign(bitmap.GetPixels(), bitmap.GetPixels() + static_cast<size_t>(img.w) * img.h * 4);
    img.ok = true;
    return img;
}

// The frame table of the fight, in index order.
const auto& kFrames = FighterFrames::kNames;

bool NearWhite(const uint8_t* p) {
    return std::min({p[0], p[1], p[2]}) >= 190;
}
bool GiShade(const uint8_t* p) {
    return p[0] == p[1] && p[1] == p[2] && p[0] >= 200;
}

class AssetGenArtTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = new TempDir();
        const std::string cmd =
            std::string(ASSETGEN_BIN) +
            " --only karateka --only tuomari --only font_c64 --only karateka_bump"
            " --only karateka_env --only clouds --only stars --only waterbump --only rgb_noise"
            " --only color_test --only light_ball --only light_bloom --only light_rays"
            " --only light_lens1 --only light_lens2 --only screens_load --only screens"
            " --only screens_credits --only screens_basic " +
            s_dir->Path() + " > /dev/null 2>&1";
        s_status = std::system(cmd.c_str());
    }
    static void TearDownTestSuite() {
        delete s_dir;
        s_dir = nullptr;
    }
    static Image Texture(const std::string& name) { return Read(s_dir->Path() + "/textures/" + name); }

    static TempDir* s_dir;
    static int s_status;
};

TempDir* AssetGenArtTest::s_dir = nullptr;
int AssetGenArtTest::s_status = -1;

}  // namespace

TEST_F(AssetGenArtTest, FighterFramesAreDoubleWideBlocksWithMirroredCollisionAndRecolourableGi) {
    ASSERT_EQ(s_status, 0);
    for (const char* name : kFrames) {
        SCOPED_TRACE(name);
        const Image frame = Texture(std::string("karate/") + name + ".png");
        const Image hit = Texture(std::string("karate/collision/") + name + ".png");
        ASSERT_TRUE(frame.ok && hit.ok);
        ASSERT_EQ(frame.w, 128);
        ASSERT_EQ(frame.h, 96);
        ASSERT_EQ(hit.w, 128);
        ASSERT_EQ(hit.h, 96);
        int gi = 0, body = 0, onlyDrawn = 0;
        for (int y = 0; y < 96; ++y)
            for (int x = 0; x < 128; ++x) {
                const uint8_t* p = frame.At(x, y);
                // Only the left pixel of a pair becomes a block: the right one must agree.
                if (x % 2 == 1) {
                    ASSERT_TRUE(std::equal(p, p + 4, frame.At(x - 1, y))) << x << "," << y;
                }
                ASSERT_TRUE(p[3] == 0 || p[3] == 255);
                if (p[3] == 0) {
                    ASSERT_FALSE(hit.Opaque(127 - x, y))
                        << "collision outside the figure at " << x << "," << y;
                    continue;
                }
                // The fighter shader turns near-white into the gi colour: only the gi may be.
                if (NearWhite(p)) {
                    ASSERT_TRUE(GiShade(p)) << x << "," << y;
                }
                gi += p[0] == 255 && p[1] == 255 && p[2] == 255;
                if (hit.Opaque(127 - x, y))
                    ++body;
                else
                    ++onlyDrawn;
            }
        EXPECT_GT(gi, 60);
        // The collision image is the drawn silhouette mirrored; only effects such as dizzy
        // stars are left out of it.
        EXPECT_LE(onlyDrawn, 40);
        EXPECT_GT(body, 500);
    }
    // A standing frame has no effects at all: exactly the mirror.
    const Image stance = Texture("karate/stance_00.png"), hit = Texture("karate/collision/stance_00.png");
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 128; ++x) ASSERT_EQ(stance.Opaque(x, y), hit.Opaque(127 - x, y)) << x << "," << y;
}

TEST_F(AssetGenArtTest, StanceStandsOnTheGroundAtTheCentreWithHeadBodyAndLegsAtTheReachHeights) {
    ASSERT_EQ(s_status, 0);
    const Image img = Texture("karate/stance_00.png");
    ASSERT_TRUE(img.ok);
    int top = 96, minX = 128, maxX = -1, bottomRow = 0;
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 128; ++x)
            if (img.Opaque(x, y)) {
                top = std::min(top, y);
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                bottomRow += y == 95;
            }
    EXPECT_GT(bottomRow, 0) << "feet do not reach the ground row";
    EXPECT_GE(96 - top, 53);
    EXPECT_LE(96 - top, 57);
    EXPECT_NEAR((minX + maxX + 1) / 2.0, 64.0, 8.0);
    // Rows at the reach heights (pixels above the ground): legs, body, head.
    auto rowHas = [&](int height, bool (*what)(const uint8_t*)) {
        const int y = 96 - height;
        for (int x = 48; x < 80; ++x)
            if (img.Opaque(x, y) && what(img.At(x, y))) return true;
        return false;
    };
    auto gi = [](const uint8_t* p) { return GiShade(p); };
    auto head = [](const uint8_t* p) { return !GiShade(p) && p[0] > p[2] + 40; };  // skin, hair, band
    EXPECT_TRUE(rowHas(12, gi));
    EXPECT_TRUE(rowHas(34, gi));
    EXPECT_TRUE(rowHas(48, head));
    EXPECT_FALSE(rowHas(48, gi));
}

TEST_F(AssetGenArtTest, AttackFramesReachTheirStrikePointsAndHitAStandingOpponent) {
    ASSERT_EQ(s_status, 0);
    struct Strike {
        const char* frame;
        int x, y;  // reach of the move, pixels forward and up from the attacker
    };
    const Strike strikes[] = {{"lowkick_02", 27, 12},    {"kick_02", 29, 34},     {"highkick_02", 27, 48},
                              {"doublekick_03", 35, 46}, {"headbutt_03", 31, 46}, {"highfist_02", 33, 42},
                              {"kneelfist_02", 41, 24},  {"jumpkick_01", 39, 48}, {"kneelkick_02", 51, 4}};
    const Image victim = Texture("karate/collision/stance_00.png");
    ASSERT_TRUE(victim.ok);
    for (const Strike& s : strikes) {
        SCOPED_TRACE(s.frame);
        const Image img = Texture(std::string("karate/") + s.frame + ".png");
        ASSERT_TRUE(img.ok);
        // The striking limb is drawn at the point (block rows count down from the top).
        bool reached = false;
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -3; dx <= 3; ++dx) reached = reached || img.Opaque(64 + s.x + dx, 96 - s.y + dy);
        EXPECT_TRUE(reached);
        // An opponent facing back, standing a little nearer or farther than the reach, is hit:
        // the fight tests the point against its collision image, mirrored because it faces -x.
        int hits = 0;
        for (int d = s.x - 6; d <= s.x + 6; ++d) {
            const int column = 64 + (s.x - d), row = 96 - s.y;
            hits += victim.Opaque(column, row);
        }
        EXPECT_GE(hits, 4) << "an opponent at fighting distance is missed";
    }
    // The double kick strikes both ways at once.
    const Image split = Texture("karate/doublekick_03.png");
    bool back = false;
    for (int dx = -3; dx <= 3; ++dx) back = back || split.Opaque(64 - 35 + dx, 96 - 46);
    EXPECT_TRUE(back);
}

TEST_F(AssetGenArtTest, PosesStayInsideTheirFrameFaceTheirWayAndLieDownWhereTheyShould) {
    ASSERT_EQ(s_status, 0);
    struct Box {
        int minX = 128, maxX = -1, minY = 96, maxY = -1;
    };
    auto box = [](const Image& img) {
        Box b;
        for (int y = 0; y < img.h; ++y)
            for (int x = 0; x < img.w; ++x)
                if (img.Opaque(x, y)) {
                    b.minX = std::min(b.minX, x);
                    b.maxX = std::max(b.maxX, x);
                    b.minY = std::min(b.minY, y);
                    b.maxY = std::max(b.maxY, y);
                }
        return b;
    };
    std::vector<Image> frames;
    for (const char* name : kFrames) {
        SCOPED_TRACE(name);
        frames.push_back(Texture(std::string("karate/") + name + ".png"));
        ASSERT_TRUE(frames.back().ok);
        const Box b = box(frames.back());
        // Nothing is cut off by the frame's sides or top.
        EXPECT_GT(b.minX, 1);
        EXPECT_LT(b.maxX, 126);
        EXPECT_GT(b.minY, 0);
        const std::string n = name;
        const bool lying =
            n == "hit_back_00" || n == "hit_front_00" || n == "hit_back_04" || n == "hit_front_04";
        const bool standing =
            n == "stance_00" || n.rfind("walk", 0) == 0 || n == "block_01" || n == "turn_01";
        if (lying) {
            EXPECT_GT(b.maxX - b.minX, b.maxY - b.minY) << "lies along the ground";
        }
        if (standing) {
            EXPECT_GT(b.maxY - b.minY, b.maxX - b.minX) << "stands upright";
            EXPECT_EQ(b.maxY, 95);
        }
    }
    // Every walk frame is its own phase of the step.
    for (int i = 0; i <= 5; ++i)
        for (int j = i + 1; j <= 5; ++j)
            EXPECT_FALSE(frames[i].px == frames[j].px) << kFrames[i] << " = " << kFrames[j];
    // Facing: the face's skin is in front of the hair, towards +x, except in the frame that has
    // already come round for the round kick.
    auto faceAhead = [](const Image& img) {
        double skin = 0, hair = 0;
        int nSkin = 0, nHair = 0;
        for (int y = 38; y < 50; ++y)  // the head's rows, above the guarding fists
            for (int x = 0; x < 128; ++x) {
                if (!img.Opaque(x, y)) continue;
                const uint8_t* p = img.At(x, y);
                if (p[0] > 200 && p[1] > 130 && p[1] < 190 && p[2] < 150) skin += x, ++nSkin;
                if (p[0] < 90 && p[0] > p[2] && p[1] < 60) hair += x, ++nHair;
            }
        return nSkin && nHair && skin / nSkin > hair / nHair;
    };
    EXPECT_TRUE(faceAhead(frames[0]));
    EXPECT_TRUE(faceAhead(frames[9]));
    EXPECT_FALSE(faceAhead(frames[44])) << "roundkick_03 faces the other way before the facing flips";
}

TEST_F(AssetGenArtTest, RefereeStandsHisHeightAndHisStarsBurstAndVanish) {
    ASSERT_EQ(s_status, 0);
    const Image ref = Texture("karate/tuomari/tuomari.png");
    ASSERT_TRUE(ref.ok);
    ASSERT_EQ(ref.w, 128);
    ASSERT_EQ(ref.h, 96);
    int top = 96;
    bool grounded = false;
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 128; ++x)
            if (ref.Opaque(x, y)) {
                top = std::min(top, y);
                grounded = grounded || y == 95;
                EXPECT_FALSE(NearWhite(ref.At(x, y)))
                    << "the fighter shader would recolour " << x << "," << y;
            }
    EXPECT_TRUE(grounded);
    EXPECT_GE(96 - top, 48);
    EXPECT_LE(96 - top, 50);
    auto spread = [&](const Image& img) {
        int minX = 128, maxX = -1;
        for (int y = 0; y < 96; ++y)
            for (int x = 0; x < 128; ++x)
                if (img.Opaque(x, y)) {
                    minX = std::min(minX, x);
                    maxX = std::max(maxX, x);
                }
        return maxX - minX;
    };
    for (const char* empty : {"karate/tuomari/tuomari_invisible.png", "karate/tuomari/stars_24.png"}) {
        SCOPED_TRACE(empty);
        const Image img = Texture(empty);
        ASSERT_TRUE(img.ok);
        EXPECT_EQ(spread(img), -129) << "must be fully transparent";
    }
    int previous = 0;
    for (int i = 1; i <= 23; ++i) {
        char name[64];
        std::snprintf(name, sizeof(name), "karate/tuomari/stars_%02d.png", i);
        const Image img = Texture(name);
        ASSERT_TRUE(img.ok) << name;
        EXPECT_GT(spread(img), 0) << name;
        if (i <= 12) {
            EXPECT_GE(spread(img), previous) << name << ": the burst grows";
        }
        previous = spread(img);
    }
}

TEST_F(AssetGenArtTest, BalloonFontHasPaperCellsInkedGlyphsAndItsFramePieces) {
    ASSERT_EQ(s_status, 0);
    const Image font = Texture("font_C64.png");
    ASSERT_TRUE(font.ok);
    ASSERT_EQ(font.w, 256);
    ASSERT_EQ(font.h, 256);
    // Row 0 of the grid is the top of the image; a cell is 16 texels.
    auto ink = [&](int code, bool& transparent) {
        int n = 0;
        transparent = false;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const uint8_t* p = font.At((code % 16) * 16 + x, (code / 16) * 16 + y);
                transparent = transparent || p[3] == 0;
                n += p[0] < 128;
            }
        return n;
    };
    bool transparent;
    EXPECT_EQ(ink(' ', transparent), 0);
    EXPECT_FALSE(transparent) << "text cells form the balloon's opaque body";
    EXPECT_EQ(ink(127, transparent), 256);
    for (int c = 33; c < 127; ++c) {
        const int n = ink(c, transparent);
        EXPECT_GE(n, 8) << "no glyph for " << c;
        EXPECT_LT(n, 256 / 2) << c;
        EXPECT_FALSE(transparent) << c;
    }
    // 'A' is upright: its apex is narrower than its bar.
    auto rowInk = [&](int code, int row) {
        int n = 0;
        for (int x = 0; x < 16; ++x) n += font.At((code % 16) * 16 + x, (code / 16) * 16 + row)[0] < 128;
        return n;
    };
    EXPECT_LT(rowInk('A', 2), rowInk('A', 8));
    EXPECT_EQ(ink('A' + 128, transparent), 256 - ink('A', transparent)) << "inverse video";
    EXPECT_GT(ink(1, transparent), 0);
    EXPECT_TRUE(transparent) << "the rounded corner is cut out";
}

TEST_F(AssetGenArtTest, BlockBumpIsTenBevelledBricksPerTileAndTheEnvironmentHasSkyAboveGround) {
    ASSERT_EQ(s_status, 0);
    const Image bump = Texture("karateka_bump.png");
    ASSERT_TRUE(bump.ok);
    ASSERT_EQ(bump.w, 256);
    // Along a row through brick middles the height dips once per brick edge: 10 per tile,
    // counted round the wrap so the tile joins itself seamlessly.
    const int y = 13;
    int dips = 0;
    for (int x = 0; x < 256; ++x) {
        const int l = bump.At((x + 255) % 256, y)[0], c = bump.At(x, y)[0], r = bump.At((x + 1) % 256, y)[0];
        dips += c < l && c <= r && c < 200;
    }
    EXPECT_EQ(dips, 10);
    EXPECT_GT(bump.At(13, 13)[0], 240);  // brick face
    EXPECT_LT(bump.At(0, 13)[0], 120);   // joint
    const Image env = Texture("karateka_env.png");
    ASSERT_TRUE(env.ok);
    const uint8_t* sky = env.At(128, 40);
    const uint8_t* ground = env.At(128, 216);
    EXPECT_GT(sky[2], sky[0] + 40);
    EXPECT_GT(ground[0], ground[2] + 30);
}

TEST_F(AssetGenArtTest, SkyWaterAndFlareTexturesTileOrFadeOutAndTheNoiseIsUniform) {
    ASSERT_EQ(s_status, 0);
    struct Expect {
        const char* name;
        int size;
        bool tiles;
    };
    const Expect textures[] = {{"clouds.png", 256, true},       {"stars.png", 512, true},
                               {"waterbump.png", 256, true},    {"color_test.png", 256, false},
                               {"light_ball.png", 256, false},  {"light_bloom.png", 256, false},
                               {"light_rays.png", 256, false},  {"light_lens1.png", 256, false},
                               {"light_lens2.png", 256, false}, {"rgb-noise.png", 64, false}};
    for (const Expect& e : textures) {
        SCOPED_TRACE(e.name);
        const Image img = Texture(e.name);
        ASSERT_TRUE(img.ok);
        ASSERT_EQ(img.w, e.size);
        ASSERT_EQ(img.h, e.size);
        if (!e.tiles) continue;
        // Across the wrap the picture changes no more than between any two neighbouring columns
        // or rows inside it.
        auto step = [&](int x0, int y0, int x1, int y1) {
            return std::abs(img.At(x0, y0)[0] - img.At(x1, y1)[0]) +
                   std::abs(img.At(x0, y0)[3] - img.At(x1, y1)[3]);
        };
        double wrapX = 0, wrapY = 0, inner = 0;
        for (int i = 0; i < e.size; ++i) {
            wrapX += step(e.size - 1, i, 0, i);
            wrapY += step(i, e.size - 1, i, 0);
            inner += step(e.size / 2 - 1, i, e.size / 2, i);
        }
        EXPECT_LE(wrapX, inner * 2.0 + e.size);
        EXPECT_LE(wrapY, inner * 2.0 + e.size);
    }
    for (const char* flare :
         {"light_ball.png", "light_bloom.png", "light_rays.png", "light_lens1.png", "light_lens2.png"}) {
        SCOPED_TRACE(flare);
        const Image img = Texture(flare);
        int edge = 0, peak = 0;
        for (int i = 0; i < 256; ++i) {
            edge = std::max({edge, static_cast<int>(img.At(i, 0)[3]), static_cast<int>(img.At(0, i)[3]),
                             static_cast<int>(img.At(i, 255)[0]), static_cast<int>(img.At(255, i)[0])});
            for (int j = 0; j < 256; ++j) peak = std::max(peak, static_cast<int>(img.At(i, j)[3]));
        }
        EXPECT_EQ(edge, 0) << "a flare quad's edge must not show";
        EXPECT_GT(peak, 100);
    }
    const Image noise = Texture("rgb-noise.png");
    std::vector<int> reds(256, 0);
    double mean = 0.0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            ++reds[noise.At(x, y)[0]];
            mean += noise.At(x, y)[1];
        }
    EXPECT_GT(std::count_if(reds.begin(), reds.end(), [](int n) { return n > 0; }), 230);
    EXPECT_NEAR(mean / 4096.0, 127.5, 8.0);
}

TEST_F(AssetGenArtTest, TvScreensAreFourByThreeAndOnlyTheLoaderFlickersInItsBorder) {
    ASSERT_EQ(s_status, 0);
    std::vector<std::string> names;
    char name[64];
    for (int i = 0; i < 16; ++i) {
        std::snprintf(name, sizeof(name), "screens/load/%02d.png", i);
        names.push_back(name);
    }
    for (int i = 0; i < 20; ++i) {
        std::snprintf(name, sizeof(name), "screens/%02d.png", i);
        names.push_back(name);
    }
    for (int i = 0; i < 8; ++i) {
        std::snprintf(name, sizeof(name), "screens/credits/%02d.png", i);
        names.push_back(name);
    }
    names.push_back("screens/basic/00.png");
    ASSERT_EQ(names.size(), 45u);
    std::vector<Image> screens;
    for (const std::string& n : names) {
        SCOPED_TRACE(n);
        screens.push_back(Texture(n));
        ASSERT_TRUE(screens.back().ok);
        ASSERT_EQ(screens.back().w, 384);
        ASSERT_EQ(screens.back().h, 288);
    }
    // The screen sits at (32, 44), 320 x 200; the rest is border.
    auto border = [](const Image&, int x, int y) { return x < 32 || x >= 352 || y < 44 || y >= 244; };
    auto sameInside = [&](const Image& a, const Image& b, bool inside) {
        for (int y = 0; y < 288; ++y)
            for (int x = 0; x < 384; ++x)
                if (border(a, x, y) != inside && !std::equal(a.At(x, y), a.At(x, y) + 4, b.At(x, y)))
                    return false;
        return true;
    };
    int flickers = 0;
    for (int i = 1; i < 16; ++i) {
        EXPECT_TRUE(sameInside(screens[0], screens[i], true)) << "the loading picture itself holds still";
        flickers += !sameInside(screens[0], screens[i], false);
    }
    EXPECT_EQ(flickers, 15) << "every loader frame is its own moment of flicker";
    for (size_t i = 16; i < screens.size(); ++i) {
        SCOPED_TRACE(names[i]);
        const Image& img = screens[i];
        const uint8_t* corner = img.At(0, 0);
        int inkInside = 0;
        for (int y = 0; y < 288; ++y)
            for (int x = 0; x < 384; ++x) {
                if (border(img, x, y)) {
                    ASSERT_TRUE(std::equal(corner, corner + 3, img.At(x, y))) << "a plain border";
                } else {
                    inkInside += !std::equal(corner, corner + 3, img.At(x, y));
                }
            }
        EXPECT_GT(inkInside, 2000) << "the picture is more than its border";
    }
    // Pictures differ from each other.
    for (size_t i = 17; i < 36; ++i) EXPECT_FALSE(sameInside(screens[i - 1], screens[i], true)) << names[i];
}
