// Runs the real program on one small show of several parts and checks pixels of its frames.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/E2ETestSupport.h"
#include "io/PngWriter.h"

namespace {

::testing::AssertionResult Near(const Rgb& actual, const Rgb& expected, int tolerance = 3) {
    if (std::abs(actual.r - expected.r) <= tolerance && std::abs(actual.g - expected.g) <= tolerance &&
        std::abs(actual.b - expected.b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actual << " is not " << expected;
}

const Rgb kBlack{0, 0, 0}, kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255};

// A texture of four coloured quadrants: red top-left, green top-right, blue bottom-left,
// white bottom-right.
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
    show.Dir().MakeDir("data/test");
    ASSERT_TRUE(WritePNG(show.Path() + "/data/test/" + name, width, height, 32, pixels.data()));
}

// 320 x 240 holds the 16:9 picture in rows 30 to 209: one screen unit is 90 pixels and the
// origin is at (160, 120).
int PixelX(float x) {
    return static_cast<int>(160.0f + x * 90.0f);
}
int PixelY(float y) {
    return static_cast<int>(120.0f - y * 90.0f);
}

std::string Sprite(const char* id, const char* x, const char* blend) {
    return std::string("<sprite id=\"") + id + "\" pos=\"" + x +
           ", 0\" size=\"0.3, 0.3\" color=\"1, 0, 0, 0.5\" " + blend + "/>";
}

}  // namespace

// Each half second is one part; frame n (10 per second) shows time n / 10.
TEST(EffectsE2E, PartsOfOneShowDrawWhatTheirEffectsSay) {
    ShowDirectory show(
        "<demo end=\"5.5\">"
        "<texture id=\"square\" src=\"test/square.png\" filter=\"nearest\"/>"
        "<texture id=\"wide\" src=\"test/wide.png\" filter=\"nearest\"/>"
        "<effect_null id=\"bg\" clear_color=\"0, 0, 0, 1\"/>"
        // Frame 2: a clear inside the letterboxed picture, sprites blended four ways over it.
        "<part id=\"blend\" start=\"0\" end=\"0.5\"><effect_null id=\"grey\" clear_color=\"0.5, 0.5, 0.5, "
        "1\"/>" +
        Sprite("replace", "-1.2", "") +
        Sprite("alpha", "-0.4", "src_blend=\"src_alpha\" dst_blend=\"one_minus_src_alpha\"") +
        Sprite("add", "0.4", "src_blend=\"one\" dst_blend=\"one\"") +
        Sprite("multiply", "1.2", "src_blend=\"zero\" dst_blend=\"src_color\"") +
        "</part>"
        // Frames 7, 12, 17, 22: sprite geometry from texture aspect, main axis and angle.
        "<part id=\"a\" start=\"0.5\" end=\"1\"><sprite id=\"s\" tex_id=\"*square.tex_id\"/></part>"
        "<part id=\"b\" start=\"1\" end=\"1.5\"><sprite id=\"s\" tex_id=\"*square.tex_id\" "
        "angle=\"90\"/></part>"
        "<part id=\"c\" start=\"1.5\" end=\"2\">"
        "<sprite id=\"s\" tex_id=\"*wide.tex_id\" size=\"0.5, 0.5\"/></part>"
        "<part id=\"d\" start=\"2\" end=\"2.5\">"
        "<sprite id=\"s\" tex_id=\"*wide.tex_id\" size=\"0.5, 0.5\" unit_axis=\"y\"/></part>"
        // Frame 27: a render target filled by two effects, shown by a third.
        "<part id=\"rt\" start=\"2.5\" end=\"3\"><render_target id=\"t\" width=\"256\" height=\"144\"/>"
        "<effect_null id=\"fill\" render_target=\"t\" clear_color=\"1, 0, 0, 1\"/>"
        "<sprite id=\"inner\" render_target=\"t\" size=\"0.5, 0.5\" color=\"0, 1, 0, 1\"/>"
        "<sprite id=\"show\" tex_id=\"*t.tex_id\" aspect=\"1.7777778\" unit_axis=\"y\"/></part>"
        // Frame 32: the capture reads the window, although the frame's last effect drew into a
        // render target and a texture left a colour scale in the pixel-transfer state.
        "<part id=\"capture\" start=\"3\" end=\"3.5\"><render_target id=\"t\" width=\"64\" height=\"64\"/>"
        "<texture id=\"scaled\" src=\"test/square.png\" color_scale=\"0.5, 0.5, 0.5, 1\"/>"
        "<effect_null id=\"window\" clear_color=\"0.8, 0, 0, 1\"/>"
        "<effect_null id=\"last\" render_target=\"t\" clear_color=\"0, 1, 0, 1\"/></part>"
        // Frames 41 and 51: envelopes over two seconds move a sprite's x from -1 to 1 and fade
        // the clear colour's red from 0 to 1 (the part's time reaches them one frame late).
        "<part id=\"p\" start=\"3.5\" end=\"5.5\">"
        "<envelope id=\"move\" interpolation=\"linear\" env_time=\"*p.time\">"
        "<keyframe t=\"0\" v=\"-1, 0, 0, 0\"/><keyframe t=\"2\" v=\"1, 0, 0, 0\"/></envelope>"
        "<envelope id=\"fade\" interpolation=\"linear\" env_time=\"*p.time\">"
        "<keyframe t=\"0\" v=\"0, 0, 0, 1\"/><keyframe t=\"2\" v=\"1, 0, 0, 1\"/></envelope>"
        "<effect_null id=\"bg\" clear_color=\"*p.fade.out\"/>"
        "<sprite id=\"s\" pos=\"*p.move.out\" size=\"0.2, 0.2\" color=\"0, 0, 1, 1\"/></part>"
        "</demo>");
    WriteQuadrants(show, "square.png", 64, 64);
    WriteQuadrants(show, "wide.png", 64, 32);
    ProcessResult r = show.Run({"-capture", "cap", "-fps", "10", "-res", "320x240", "-seed", "1"});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(r.output.find("undeleted"), std::string::npos) << r.output;
    std::map<int, CapturedFrame> f;
    for (int n : {2, 7, 12, 17, 22, 27, 32, 41, 51})
        ASSERT_TRUE(f[n].Load(FramePath(show.Path() + "/cap", n))) << n;

    // The clear stays inside the picture; the bars above and below stay black.
    const Rgb grey{128, 128, 128};
    for (auto xy : {std::make_pair(5, 31), std::make_pair(314, 208), std::make_pair(160, 35)})
        EXPECT_TRUE(Near(f[2].At(xy.first, xy.second), grey, 2));
    for (auto xy :
         {std::make_pair(160, 5), std::make_pair(160, 28), std::make_pair(160, 211), std::make_pair(5, 235)})
        EXPECT_TRUE(Near(f[2].At(xy.first, xy.second), kBlack));
    EXPECT_TRUE(Near(f[2].At(PixelX(-1.2f), 120), kRed));
    EXPECT_TRUE(Near(f[2].At(PixelX(-0.4f), 120), Rgb{191, 64, 64}));
    EXPECT_TRUE(Near(f[2].At(PixelX(0.4f), 120), Rgb{255, 128, 128}));
    EXPECT_TRUE(Near(f[2].At(PixelX(1.2f), 120), Rgb{128, 0, 0}));

    // Defaults: a full-height square, centred, upright; 90 degrees turns it clockwise.
    const CapturedFrame& square = f[7];
    EXPECT_TRUE(Near(square.At(PixelX(-0.9f), PixelY(0.9f)), kRed));
    EXPECT_TRUE(Near(square.At(PixelX(0.9f), PixelY(0.9f)), kGreen));
    EXPECT_TRUE(Near(square.At(PixelX(-0.9f), PixelY(-0.9f)), kBlue));
    EXPECT_TRUE(Near(square.At(PixelX(0.9f), PixelY(-0.9f)), kWhite));
    EXPECT_TRUE(Near(square.At(PixelX(-1.1f), 120), kBlack));
    EXPECT_TRUE(Near(square.At(PixelX(1.1f), 120), kBlack));
    EXPECT_TRUE(Near(f[12].At(PixelX(-0.9f), PixelY(0.9f)), kBlue));
    EXPECT_TRUE(Near(f[12].At(PixelX(0.9f), PixelY(0.9f)), kRed));
    EXPECT_TRUE(Near(f[12].At(PixelX(0.9f), PixelY(-0.9f)), kGreen));
    EXPECT_TRUE(Near(f[12].At(PixelX(-0.9f), PixelY(-0.9f)), kWhite));
    // 2:1 with "x": half extents (0.5, 0.25); with "y": (1.0, 0.5).
    EXPECT_TRUE(Near(f[17].At(PixelX(-0.45f), PixelY(0.2f)), kRed));
    EXPECT_TRUE(Near(f[17].At(PixelX(0.45f), PixelY(-0.2f)), kWhite));
    EXPECT_TRUE(Near(f[17].At(PixelX(-0.55f), 120), kBlack));
    EXPECT_TRUE(Near(f[17].At(160, PixelY(0.3f)), kBlack));
    EXPECT_TRUE(Near(f[22].At(PixelX(-0.95f), PixelY(0.45f)), kRed));
    EXPECT_TRUE(Near(f[22].At(PixelX(0.95f), PixelY(-0.45f)), kWhite));
    EXPECT_TRUE(Near(f[22].At(PixelX(-1.05f), 120), kBlack));
    EXPECT_TRUE(Near(f[22].At(160, PixelY(0.55f)), kBlack));

    // The target fills the picture: green square in the middle, red around it.
    EXPECT_TRUE(Near(f[27].At(160, 120), kGreen));
    EXPECT_TRUE(Near(f[27].At(PixelX(0.4f), PixelY(0.4f)), kGreen));
    EXPECT_TRUE(Near(f[27].At(10, 120), kRed));
    EXPECT_TRUE(Near(f[27].At(160, 35), kRed));
    EXPECT_TRUE(Near(f[27].At(PixelX(0.6f), 120), kRed));

    EXPECT_TRUE(Near(f[32].At(160, 120), Rgb{204, 0, 0}));

    EXPECT_TRUE(Near(f[41].At(PixelX(-0.5f), 120), kBlue));
    EXPECT_FALSE(Near(f[41].At(PixelX(0.5f), 120), kBlue));
    EXPECT_TRUE(Near(f[51].At(PixelX(0.5f), 120), kBlue));
    EXPECT_FALSE(Near(f[51].At(PixelX(-0.5f), 120), kBlue));
    EXPECT_TRUE(Near(f[41].At(10, 35), Rgb{64, 0, 0}, 4));
    EXPECT_TRUE(Near(f[51].At(10, 35), Rgb{191, 0, 0}, 4));
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
