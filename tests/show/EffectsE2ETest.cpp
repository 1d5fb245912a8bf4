// Runs the real program on small shows and checks pixels of the captured frames.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/E2ETestSupport.h"
#include "io/Bitmap.h"
#include "io/PngWriter.h"

namespace {

struct Rgb {
    int r, g, b;
};

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

// A captured frame of a run.
class Frame {
public:
    bool Load(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (bytes.empty() || !m_bitmap.LoadPNG(bytes.data(), static_cast<uint32_t>(bytes.size()), false))
            return false;
        m_bitmap.ConvertFormat(24);
        return true;
    }
    // x from the left, y from the top.
    Rgb At(int x, int y) const {
        const uint8_t* p = m_bitmap.GetPixels() + (static_cast<size_t>(y) * m_bitmap.GetWidth() + x) * 3;
        return Rgb{p[0], p[1], p[2]};
    }
    uint32_t Width() const { return m_bitmap.GetWidth(); }

private:
    Bitmap m_bitmap;
};

::testing::AssertionResult Near(const Rgb& actual, const Rgb& expected, int tolerance = 3) {
    if (std::abs(actual.r - expected.r) <= tolerance && std::abs(actual.g - expected.g) <= tolerance &&
        std::abs(actual.b - expected.b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actual << " is not " << expected;
}

const Rgb kBlack{0, 0, 0}, kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255};

// Writes a texture with four coloured quadrants: red top-left, green top-right, blue
// bottom-left, white bottom-right.
void WriteQuadrants(const ShowDirectory& show, const std::string& name, uint32_t width, uint32_t height) {
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const bool right = x >= width / 2, bottom = y >= height / 2;
            const Rgb c = bottom ? (right ? kWhite : kBlue) : (right ? kGreen : kRed);
            uint8_t* p = &pixels[(static_cast<size_t>(y) * width + x) * 4];
            p[0] = static_cast<uint8_t>(c.r);
            p[1] = static_cast<uint8_t>(c.g);
            p[2] = static_cast<uint8_t>(c.b);
            p[3] = 255;
        }
    }
    show.Dir().Write("data/test/.keep", "");
    ASSERT_TRUE(WritePNG(show.Path() + "/data/test/" + name, width, height, 32, pixels.data()));
}

// Plays the show with frame capture (10 frames per second) and loads the listed frames.
ProcessResult Capture(const ShowDirectory& show, const std::string& resolution,
                      const std::vector<int>& indices, std::vector<Frame>* frames) {
    ProcessResult r = show.Run({"-capture", "cap", "-fps", "10", "-res", resolution, "-seed", "1"});
    frames->resize(indices.size());
    for (size_t i = 0; i < indices.size(); ++i) {
        char name[32];
        std::snprintf(name, sizeof(name), "/cap/frame_%05d.png", indices[i]);
        EXPECT_TRUE((*frames)[i].Load(show.Path() + name)) << name << "\n" << r.output;
    }
    return r;
}

// 320 x 180 is exactly 16:9: the picture fills the window, one screen unit is 90 pixels and
// the origin is at (160, 90).
int PixelX(float x) {
    return static_cast<int>(160.0f + x * 90.0f);
}
int PixelY(float y) {
    return static_cast<int>(90.0f - y * 90.0f);
}

}  // namespace

TEST(EffectsE2E, EffectNullClearsOnlyTheLetterboxedViewport) {
    ShowDirectory show("<demo end=\"0.5\"><effect_null id=\"bg\" clear_color=\"0.2, 0.4, 0.6, 1\"/></demo>");
    std::vector<Frame> f;
    ProcessResult r = Capture(show, "320x240", {2}, &f);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    // 16:9 inside 320 x 240: rows 30 to 209 are the picture, the bars stay black.
    EXPECT_TRUE(Near(f[0].At(160, 120), Rgb{51, 102, 153}));
    EXPECT_TRUE(Near(f[0].At(5, 31), Rgb{51, 102, 153}));
    EXPECT_TRUE(Near(f[0].At(314, 208), Rgb{51, 102, 153}));
    EXPECT_TRUE(Near(f[0].At(160, 5), kBlack));
    EXPECT_TRUE(Near(f[0].At(160, 28), kBlack));
    EXPECT_TRUE(Near(f[0].At(160, 211), kBlack));
    EXPECT_TRUE(Near(f[0].At(5, 235), kBlack));
    EXPECT_EQ(r.output.find("undeleted"), std::string::npos) << r.output;
}

TEST(EffectsE2E, SpriteGeometryFromTextureAspectAxisAndAngle) {
    ShowDirectory show(
        "<demo end=\"1.2\">"
        "<texture id=\"square\" src=\"test/square.png\" filter=\"nearest\"/>"
        "<texture id=\"wide\" src=\"test/wide.png\" filter=\"nearest\"/>"
        "<effect_null id=\"bg\" clear_color=\"0, 0, 0, 1\"/>"
        "<part id=\"a\" start=\"0\" end=\"0.3\"><sprite id=\"s\" tex_id=\"*square.tex_id\"/></part>"
        "<part id=\"b\" start=\"0.3\" end=\"0.6\"><sprite id=\"s\" tex_id=\"*square.tex_id\" "
        "angle=\"90\"/></part>"
        "<part id=\"c\" start=\"0.6\" end=\"0.9\">"
        "<sprite id=\"s\" tex_id=\"*wide.tex_id\" size=\"0.5, 0.5\"/></part>"
        "<part id=\"d\" start=\"0.9\" end=\"1.2\">"
        "<sprite id=\"s\" tex_id=\"*wide.tex_id\" size=\"0.5, 0.5\" unit_axis=\"y\"/></part>"
        "</demo>");
    WriteQuadrants(show, "square.png", 64, 64);
    WriteQuadrants(show, "wide.png", 64, 32);
    std::vector<Frame> f;
    ProcessResult r = Capture(show, "320x180", {1, 4, 7, 10}, &f);
    ASSERT_EQ(r.exitCode, 0) << r.output;

    // Defaults: a full-height square, centred, upright.
    const Frame& square = f[0];
    EXPECT_TRUE(Near(square.At(PixelX(-0.9f), PixelY(0.9f)), kRed));
    EXPECT_TRUE(Near(square.At(PixelX(0.9f), PixelY(0.9f)), kGreen));
    EXPECT_TRUE(Near(square.At(PixelX(-0.9f), PixelY(-0.9f)), kBlue));
    EXPECT_TRUE(Near(square.At(PixelX(0.9f), PixelY(-0.9f)), kWhite));
    EXPECT_TRUE(Near(square.At(PixelX(-1.1f), 90), kBlack));
    EXPECT_TRUE(Near(square.At(PixelX(1.1f), 90), kBlack));

    // 90 degrees turns it clockwise: the red corner goes to the top right.
    const Frame& turned = f[1];
    EXPECT_TRUE(Near(turned.At(PixelX(-0.9f), PixelY(0.9f)), kBlue));
    EXPECT_TRUE(Near(turned.At(PixelX(0.9f), PixelY(0.9f)), kRed));
    EXPECT_TRUE(Near(turned.At(PixelX(0.9f), PixelY(-0.9f)), kGreen));
    EXPECT_TRUE(Near(turned.At(PixelX(-0.9f), PixelY(-0.9f)), kWhite));

    // 2:1 with "x": half extents (0.5, 0.25).
    const Frame& x = f[2];
    EXPECT_TRUE(Near(x.At(PixelX(-0.45f), PixelY(0.2f)), kRed));
    EXPECT_TRUE(Near(x.At(PixelX(0.45f), PixelY(-0.2f)), kWhite));
    EXPECT_TRUE(Near(x.At(PixelX(-0.55f), 90), kBlack));
    EXPECT_TRUE(Near(x.At(160, PixelY(0.3f)), kBlack));
    // 2:1 with "y": half extents (1.0, 0.5).
    const Frame& y = f[3];
    EXPECT_TRUE(Near(y.At(PixelX(-0.95f), PixelY(0.45f)), kRed));
    EXPECT_TRUE(Near(y.At(PixelX(0.95f), PixelY(-0.45f)), kWhite));
    EXPECT_TRUE(Near(y.At(PixelX(-1.05f), 90), kBlack));
    EXPECT_TRUE(Near(y.At(160, PixelY(0.55f)), kBlack));
    EXPECT_EQ(r.output.find("undeleted"), std::string::npos) << r.output;
}

TEST(EffectsE2E, RenderTargetFilledByOneEffectShownByAnother) {
    ShowDirectory show(
        "<demo end=\"0.5\">"
        "<render_target id=\"rt\" width=\"256\" height=\"144\"/>"
        "<effect_null id=\"fill\" render_target=\"rt\" clear_color=\"1, 0, 0, 1\"/>"
        "<sprite id=\"inner\" render_target=\"rt\" size=\"0.5, 0.5\" color=\"0, 1, 0, 1\"/>"
        "<effect_null id=\"bg\" clear_color=\"0, 0, 0, 1\"/>"
        "<sprite id=\"show\" tex_id=\"*rt.tex_id\" aspect=\"1.7777778\" unit_axis=\"y\"/>"
        "</demo>");
    std::vector<Frame> f;
    ProcessResult r = Capture(show, "320x180", {3}, &f);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    // The target fills the window: green square in the middle, red around it.
    EXPECT_TRUE(Near(f[0].At(160, 90), kGreen));
    EXPECT_TRUE(Near(f[0].At(PixelX(0.4f), PixelY(0.4f)), kGreen));
    EXPECT_TRUE(Near(f[0].At(10, 90), kRed));
    EXPECT_TRUE(Near(f[0].At(160, 10), kRed));
    EXPECT_TRUE(Near(f[0].At(PixelX(0.6f), 90), kRed));
    EXPECT_EQ(r.output.find("undeleted"), std::string::npos) << r.output;
}

TEST(EffectsE2E, BlendModesCombineWithTheBackground) {
    const std::string sprite =
        "<sprite id=\"%s\" pos=\"%s, 0\" size=\"0.3, 0.3\" color=\"1, 0, 0, 0.5\" %s/>";
    auto make = [&](const char* id, const char* x, const char* blend) {
        char text[256];
        std::snprintf(text, sizeof(text), sprite.c_str(), id, x, blend);
        return std::string(text);
    };
    ShowDirectory show("<demo end=\"0.5\"><effect_null id=\"bg\" clear_color=\"0.5, 0.5, 0.5, 1\"/>" +
                       make("replace", "-1.2", "") +
                       make("alpha", "-0.4", "src_blend=\"src_alpha\" dst_blend=\"one_minus_src_alpha\"") +
                       make("add", "0.4", "src_blend=\"one\" dst_blend=\"one\"") +
                       make("multiply", "1.2", "src_blend=\"zero\" dst_blend=\"src_color\"") + "</demo>");
    std::vector<Frame> f;
    ProcessResult r = Capture(show, "320x180", {2}, &f);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    const Rgb grey = f[0].At(160, 10);
    EXPECT_TRUE(Near(grey, Rgb{128, 128, 128}, 2));
    EXPECT_TRUE(Near(f[0].At(PixelX(-1.2f), 90), kRed));
    EXPECT_TRUE(Near(f[0].At(PixelX(-0.4f), 90), Rgb{191, 64, 64}));
    EXPECT_TRUE(Near(f[0].At(PixelX(0.4f), 90), Rgb{255, 128, 128}));
    EXPECT_TRUE(Near(f[0].At(PixelX(1.2f), 90), Rgb{128, 0, 0}));
}

TEST(EffectsE2E, EnvelopesMoveASpriteAndFadeAClearColour) {
    // Both keyed over two seconds: x from -1 to 1, the clear colour's red from 0 to 1.
    ShowDirectory show(
        "<demo end=\"2\"><part id=\"p\" start=\"0\" end=\"2\">"
        "<envelope id=\"move\" interpolation=\"linear\" env_time=\"*p.time\">"
        "<keyframe t=\"0\" v=\"-1, 0, 0, 0\"/><keyframe t=\"2\" v=\"1, 0, 0, 0\"/></envelope>"
        "<envelope id=\"fade\" interpolation=\"linear\" env_time=\"*p.time\">"
        "<keyframe t=\"0\" v=\"0, 0, 0, 1\"/><keyframe t=\"2\" v=\"1, 0, 0, 1\"/></envelope>"
        "<effect_null id=\"bg\" clear_color=\"*p.fade.out\"/>"
        "<sprite id=\"s\" pos=\"*p.move.out\" size=\"0.2, 0.2\" color=\"0, 0, 1, 1\"/>"
        "</part></demo>");
    std::vector<Frame> f;
    ProcessResult r = Capture(show, "320x180", {6, 16}, &f);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    // The part's time reaches the envelopes one frame late: frame n shows time (n - 1) / 10.
    EXPECT_TRUE(Near(f[0].At(PixelX(-0.5f), 90), kBlue));
    EXPECT_FALSE(Near(f[0].At(PixelX(0.5f), 90), kBlue));
    EXPECT_TRUE(Near(f[1].At(PixelX(0.5f), 90), kBlue));
    EXPECT_FALSE(Near(f[1].At(PixelX(-0.5f), 90), kBlue));
    EXPECT_TRUE(Near(f[0].At(10, 10), Rgb{64, 0, 0}, 4));
    EXPECT_TRUE(Near(f[1].At(10, 10), Rgb{191, 0, 0}, 4));
}

TEST(EffectsE2E, UnknownNamesEndTheRunWithTheirMessage) {
    struct Case {
        const char* body;
        const char* message;
    } cases[] = {
        {"<sprite id=\"s\" src_blend=\"add\"/>", "ERROR: EffectSprite: Unknown src_blend value: add\n"},
        {"<sprite id=\"s\" angle_unit=\"turns\"/>", "ERROR: EffectSprite: Unknown angle_unit value: turns\n"},
        {"<sprite id=\"s\" render_target=\"offscreen\"/>",
         "ERROR: Render target \"offscreen\" not found for effect (s).\n"},
        {"<sprite id=\"s\"/><part id=\"later\" start=\"0.2\" end=\"1\">"
         "<texture id=\"t\" src=\"missing.png\" format=\"RGBA\"/></part>",
         "ERROR: ScriptObjectTexture::HandleEvent(): Unknown format value: RGBA\n"},
    };
    for (const Case& c : cases) {
        ShowDirectory show(std::string("<demo end=\"1\">") + c.body + "</demo>");
        ProcessResult r = show.Run({"-res", "320x180"});
        EXPECT_EQ(r.exitCode, 255) << c.body << "\n" << r.output;
        EXPECT_NE(r.output.find(c.message), std::string::npos) << r.output;
        // The shut-down after a fatal error still releases the sprite's program.
        EXPECT_EQ(r.output.find("undeleted"), std::string::npos) << r.output;
    }
}

namespace {

// type -> "name (type) access" for every parameter.
using Reference = std::map<std::string, std::set<std::string>>;

Reference ParseScriptHelp(const std::string& text) {
    Reference reference;
    std::istringstream in(text);
    std::string line, type, access;
    while (std::getline(in, line)) {
        if (line.rfind("Script object help: ", 0) == 0) {
            type = line.substr(20);
            reference[type];
        } else if (line == "Init-only input parameters:") {
            access = "init-only";
        } else if (line == "Read/write parameters:") {
            access = "read/write";
        } else if (line == "* Read-only output parameters:") {
            access = "read-only";
        } else if (!type.empty() && line.rfind("- ", 0) == 0) {
            reference[type].insert(line.substr(2) + " " + access);
        }
    }
    return reference;
}

// "### `type`" headings and "| `name` | type | access | ..." rows.
Reference ParseReadme(const std::string& text) {
    Reference reference;
    std::istringstream in(text);
    std::string line, type;
    while (std::getline(in, line)) {
        if (line.rfind("### `", 0) == 0) {
            type = line.substr(5, line.find('`', 5) - 5);
            reference[type];
        } else if (!type.empty() && line.rfind("| `", 0) == 0) {
            std::vector<std::string> cells;
            std::istringstream row(line.substr(1));
            std::string cell;
            while (std::getline(row, cell, '|') && cells.size() < 3) {
                cell.erase(0, cell.find_first_not_of(' '));
                cell.erase(cell.find_last_not_of(' ') + 1);
                cells.push_back(cell);
            }
            if (cells.size() == 3 && cells[0].size() > 2)
                reference[type].insert(cells[0].substr(1, cells[0].size() - 2) + " (" + cells[1] + ") " +
                                       cells[2]);
        }
    }
    return reference;
}

}  // namespace

TEST(EffectsE2E, ReadmeReferenceMatchesScriptHelp) {
    // TATAMIX_README lets the check itself be tried on another file.
    const char* path = std::getenv("TATAMIX_README");
    std::ifstream in(path ? std::string(path) : std::string(TATAMIX_SOURCE_DIR) + "/README.md");
    std::stringstream readme;
    readme << in.rdbuf();
    const std::string text = readme.str();
    const size_t begin = text.find("<!-- script-reference:begin -->");
    const size_t end = text.find("<!-- script-reference:end -->");
    if (begin == std::string::npos || end == std::string::npos || end < begin)
        GTEST_SKIP() << "README.md has no script reference section yet";

    ShowDirectory show("<demo end=\"1\"/>");
    ProcessResult r = show.Run({"-scripthelp", "-res", "320x180"});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    const Reference help = ParseScriptHelp(r.output);
    const Reference documented = ParseReadme(text.substr(begin, end - begin));
    ASSERT_FALSE(help.empty());
    // Every type and parameter on both sides, with the same type and access.
    for (const auto& entry : help) {
        auto it = documented.find(entry.first);
        if (it == documented.end()) {
            ADD_FAILURE() << "README lacks type " << entry.first;
            continue;
        }
        for (const std::string& p : entry.second)
            EXPECT_TRUE(it->second.count(p)) << entry.first << ": README lacks " << p;
        for (const std::string& p : it->second)
            EXPECT_TRUE(entry.second.count(p)) << entry.first << ": help lacks " << p;
    }
    for (const auto& entry : documented)
        EXPECT_TRUE(help.count(entry.first)) << "help lacks type " << entry.first;
}
