// Block-sprite geometry, sprite sequences, slogans, balloons and cords, without GL.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "io/Bitmap.h"
#include "io/Loader.h"
#include "io/PngWriter.h"
#include "render/ElementList.h"
#include "scene/GeomEngine.h"
#include "scene/SceneNode.h"
#include "show/BalloonNode.h"
#include "show/BlockSpriteNode.h"
#include "show/CordNode.h"
#include "show/GeomBlockSprite.h"
#include "show/SloganList.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

namespace {

// A 32-bit image from rows of '#' (solid, colour 10,20,30) and '.' (transparent).
Bitmap Image(const std::vector<std::string>& rows) {
    Bitmap image;
    image.Create(static_cast<uint32_t>(rows[0].size()), static_cast<uint32_t>(rows.size()), 32);
    uint8_t* p = image.GetPixels();
    for (const std::string& row : rows)
        for (char c : row) {
            p[0] = 10, p[1] = 20, p[2] = 30, p[3] = c == '#' ? 255 : 0;
            p += 4;
        }
    return image;
}

std::unique_ptr<Bitmap> Collision(const std::vector<std::string>& rows) {
    return std::make_unique<Bitmap>(Image(rows));
}

TEST(GeomBlockSprite, VisibleFacesOfBlocks) {
    struct Case {
        std::vector<std::string> rows;
        uint32_t faces;
    } cases[] = {
        {{"##"}, 6},         // one block: all six sides
        {{"####"}, 10},      // two side by side share no faces
        {{"#."}, 6},         // solidity is the left pixel's
        {{"##", "##"}, 10},  // stacked
        {{"#.#."}, 10},      // a block is solid by its left pixel on both sides
        {{"..", ".."}, 0},   // nothing solid
        {{"###"}, 10},       // odd width: the last block is a single pixel
    };
    for (const Case& c : cases) {
        Bitmap image = Image(c.rows);
        EXPECT_EQ(GeomBlockSprite::MarkBlocks(image), c.faces) << c.rows[0];
    }
}

TEST(GeomBlockSprite, FramesShareOneListAndKeepTheirRanges) {
    GeomBlockSprite sprite;
    Bitmap one = Image({"##"});
    sprite.AddFrame(one, nullptr);
    Bitmap empty = Image({"....", "...."});
    sprite.AddFrame(empty, nullptr);
    Bitmap two = Image({"####", "...."});
    sprite.AddFrame(two, nullptr);
    ASSERT_EQ(sprite.GetFrameCount(), 3u);

    const GeomBlockSprite::Frame& a = sprite.GetFrame(0);
    const GeomBlockSprite::Frame& b = sprite.GetFrame(1);
    const GeomBlockSprite::Frame& c = sprite.GetFrame(2);
    EXPECT_EQ(a.firstIndex, 0u);
    EXPECT_EQ(a.indexCount, 36u);
    EXPECT_EQ(b.indexCount, 0u);  // a fully transparent image is an empty frame
    EXPECT_EQ(c.firstIndex, 36u);
    EXPECT_EQ(c.indexCount, 60u);

    ElementList* list = sprite.GetElementList();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetVertexCount(), 64u);
    EXPECT_EQ(list->GetIndexCount(), 96u);
    for (uint32_t type : {VERTEX_DATA_POSITION, VERTEX_DATA_NORMAL, VERTEX_DATA_TANGENT, VERTEX_DATA_COLOR,
                          VERTEX_DATA_TEXCOORD0})
        EXPECT_TRUE(list->HasVertexData(type)) << type;

    // The first frame's geometry is still there after later frames: a 0.06 x 0.03 x 0.06 block
    // centred on x = 0, standing on y = 0, in the pixel's colour, with projected coordinates.
    const float* position = list->GetVertexData(VERTEX_DATA_POSITION);
    const float* color = list->GetVertexData(VERTEX_DATA_COLOR);
    const float* uv = list->GetVertexData(VERTEX_DATA_TEXCOORD0);
    const uint32_t* indices = list->GetIndices();
    for (uint32_t i = a.firstIndex; i < a.firstIndex + a.indexCount; ++i) {
        const float* p = position + indices[i] * 3;
        EXPECT_NEAR(std::fabs(p[0]), 0.03f, 1e-6f);
        EXPECT_TRUE(std::fabs(p[1]) < 1e-6f || std::fabs(p[1] - 0.03f) < 1e-6f) << p[1];
        EXPECT_NEAR(std::fabs(p[2]), 0.03f, 1e-6f);
        EXPECT_NEAR(color[indices[i] * 4 + 0], 10 / 255.0f, 1e-6f);
        EXPECT_EQ(color[indices[i] * 4 + 3], 1.0f);
        EXPECT_NEAR(uv[indices[i] * 2], p[0] * 1.6666667f, 1e-6f);
    }
    for (uint32_t i = c.firstIndex; i < c.firstIndex + c.indexCount; ++i) EXPECT_GE(indices[i], 24u);
    EXPECT_NEAR(a.box.size[0], 0.06f, 1e-6f);
    EXPECT_NEAR(a.box.centre[1], 0.015f, 1e-6f);
    // The upper row of the second image stands one row above the ground.
    EXPECT_NEAR(c.box.centre[1], 0.045f, 1e-6f);

    // A frame added after the list was built joins it with the earlier frames intact.
    Bitmap more = Image({"##"});
    sprite.AddFrame(more, nullptr);
    list = sprite.GetElementList();
    EXPECT_EQ(list->GetIndexCount(), 132u);
    EXPECT_EQ(sprite.GetFrame(3).firstIndex, 96u);
    EXPECT_NEAR(std::fabs(list->GetVertexData(VERTEX_DATA_POSITION)[list->GetIndices()[0] * 3]), 0.03f,
                1e-6f);
}

TEST(GeomBlockSprite, CollisionImagesAreReadMirrored) {
    GeomBlockSprite sprite;
    Bitmap image = Image({"####", "####"});
    // One solid collision pixel: column 1 of the bottom row.
    sprite.AddFrame(image, Collision({"....", ".#.."}));
    Bitmap noCollision = Image({"##"});
    sprite.AddFrame(noCollision, nullptr);

    const float origin[2] = {0.0f, 0.0f};
    EXPECT_FALSE(sprite.TestCollision(0, origin, false));  // the bottom edge row is outside
    const float right[2] = {0.015f, 0.015f}, left[2] = {-0.015f, 0.015f};
    // Not mirrored, +x reads lower columns; mirrored, higher ones.
    EXPECT_TRUE(sprite.TestCollision(0, right, false));
    EXPECT_FALSE(sprite.TestCollision(0, left, false));
    EXPECT_TRUE(sprite.TestCollision(0, left, true));
    EXPECT_FALSE(sprite.TestCollision(0, right, true));
    const float high[2] = {0.015f, 0.045f}, far[2] = {1e30f, 0.015f}, nan[2] = {NAN, 0.015f};
    EXPECT_FALSE(sprite.TestCollision(0, high, false));
    EXPECT_FALSE(sprite.TestCollision(0, far, false));
    EXPECT_FALSE(sprite.TestCollision(0, nan, false));
    EXPECT_FALSE(sprite.TestCollision(1, right, false));  // no collision image
    EXPECT_FALSE(sprite.TestCollision(2, right, false));  // no such frame
}

TEST(GeomBlockSprite, ImagesThatAreNot32BitAreSkippedWithTheirNames) {
    TempDir dir;
    const uint8_t rgb[2 * 1 * 3] = {255, 0, 0, 255, 0, 0};
    const uint8_t rgba[2 * 1 * 4] = {255, 0, 0, 255, 255, 0, 0, 255};
    ASSERT_TRUE(WritePNG(dir.Path() + "/rgb.png", 2, 1, 24, rgb));
    ASSERT_TRUE(WritePNG(dir.Path() + "/rgba.png", 2, 1, 32, rgba));
    Loader loader;
    ASSERT_TRUE(loader.LoadFromDataDirectory(dir.Path() + "/"));
    SetLoader(&loader);
    LogCapture log;
    GeomBlockSprite sprite;
    EXPECT_FALSE(sprite.AddFrame("rgb.png", ""));
    EXPECT_TRUE(sprite.AddFrame("rgba.png", "rgb.png"));
    SetLoader(nullptr);
    EXPECT_TRUE(log.Has("ERROR: GeomBlockSprite::AddFrame(): Skipping non-32bpp bitmap: rgb.png"));
    EXPECT_TRUE(log.Has("ERROR: GeomBlockSprite::AddFrame(): Skipping non-32bpp collision bitmap: rgb.png"));
    ASSERT_EQ(sprite.GetFrameCount(), 1u);
    EXPECT_EQ(sprite.GetFrame(0).indexCount, 36u);
    EXPECT_EQ(sprite.GetFrame(0).collision, nullptr);
}

class SpriteSequence : public ::testing::Test {
protected:
    SpriteSequence() {
        // 50 frames (empty ones will do) for a node to step through.
        for (int i = 0; i < 50; ++i) {
            Bitmap empty = Image({".."});
            m_sprite.AddFrame(empty, nullptr);
        }
    }
    // The frames shown: the first one, then one per step until the sequence ends.
    std::vector<int> Play(BlockSpriteNode& node, const int* sequence, bool repeat, int loopStart, int repeats,
                          int maxSteps = 100) {
        node.PlaySequence(sequence, repeat, loopStart, repeats);
        std::vector<int> shown = {node.GetFrame()};
        for (int i = 0; i < maxSteps && !node.IsFinished(); ++i) {
            node.Step();
            shown.push_back(node.GetFrame());
        }
        return shown;
    }
    GeomBlockSprite m_sprite;
};

TEST_F(SpriteSequence, RepeatsHoldsAndTheFacingToggle) {
    BlockSpriteNode node(nullptr, "sprite", &m_sprite);
    EXPECT_TRUE(node.IsFinished());
    EXPECT_EQ(node.GetFrame(), 0);

    const int once[] = {3, 4, 5, -1};
    EXPECT_EQ(Play(node, once, false, 0, 0), (std::vector<int>{3, 3, 4, 5, 5}));
    EXPECT_TRUE(node.IsFinished());
    EXPECT_EQ(node.GetFrame(), 5);  // holds the last frame

    // Repeat flag with 2 extra repeats: three rounds, the later ones from the loop start.
    EXPECT_EQ(Play(node, once, true, 1, 2), (std::vector<int>{3, 3, 4, 5, 4, 5, 4, 5, 5}));
    // Repeats without the flag play once.
    EXPECT_EQ(Play(node, once, false, 0, 5), (std::vector<int>{3, 3, 4, 5, 5}));

    // A list ending on the facing toggle turns the sprite once and holds the frame before it.
    const int turn[] = {45, BlockSpriteNode::kFlipFacing, -1};
    EXPECT_FALSE(node.IsMirrored());
    EXPECT_EQ(Play(node, turn, false, 0, 0), (std::vector<int>{45, 45, 45}));
    EXPECT_TRUE(node.IsMirrored());
    const int flipInside[] = {42, BlockSpriteNode::kFlipFacing, 11, -1};
    EXPECT_EQ(Play(node, flipInside, false, 0, 0), (std::vector<int>{42, 42, 11, 11}));
    EXPECT_FALSE(node.IsMirrored());

    // Frames the set does not have show frame 0.
    const int beyond[] = {7, 60, -1};
    EXPECT_EQ(Play(node, beyond, false, 0, 0), (std::vector<int>{7, 7, 0, 0}));

    // Held until replaced.
    const int hold[] = {9, -1};
    const std::vector<int> held = Play(node, hold, true, 0, BlockSpriteNode::kRepeatForever, 20);
    EXPECT_FALSE(node.IsFinished());
    EXPECT_EQ(held, std::vector<int>(21, 9));
    node.SetFrame(77);
    EXPECT_TRUE(node.IsFinished());
    EXPECT_EQ(node.GetFrame(), 0);
}

TEST(SloganList, MarkersLineEndsUmlautsAndLeftovers) {
    struct Case {
        std::string text;
        std::vector<std::string> slogans;
    } cases[] = {
        {"Hyv\xE4!\r\n---\r\nP\xF6\xF6 \xC4\xD6\r\n---\r\nleft over", {"Hyva!", "Poo AO"}},
        {"one\nline\n---\ntwo\n---\n", {"one\nline", "two"}},  // LF only
        {"two\r\nlines\r\n---\r\n", {"two\nlines"}},           // no CR inside
        {"---\r\nafter empty\r\n---", {"", "after empty"}},    // empty slogan, marker at the end
        {"a\r\n---\r\n---\r\nb\r\n---\r\n", {"a", "", "b"}},
        {"no markers at all", {}},
        {"", {}},
        {"\xE5 stays\r\n---\r\n", {"\xE5 stays"}},
    };
    for (const Case& c : cases) {
        SloganList list;
        list.Parse(c.text.data(), c.text.size());
        EXPECT_EQ(list.GetAll(), c.slogans) << c.text;
    }
}

TEST(SloganList, TheShowsFileAndAMissingOne) {
    Loader loader;
    ASSERT_TRUE(loader.LoadFromDataDirectory(std::string(TATAMIX_SOURCE_DIR) + "/data/"));
    SloganList list;
    list.Load(&loader);
    ASSERT_GT(list.GetCount(), 10u);
    for (const std::string& slogan : list.GetAll()) {
        EXPECT_FALSE(slogan.empty());
        EXPECT_EQ(slogan.find('\r'), std::string::npos) << slogan;
        EXPECT_EQ(slogan.find("---"), std::string::npos) << slogan;
    }
    TempDir empty;
    Loader nothing;
    ASSERT_TRUE(nothing.LoadFromDataDirectory(empty.Path() + "/"));
    LogCapture log;
    SloganList none;
    none.Load(&nothing);
    EXPECT_TRUE(none.IsEmpty());
}

TEST(BalloonNode, MeshSizesFollowLinesAndLongestLine) {
    BalloonNode balloon(nullptr, "balloon");
    EXPECT_FALSE(balloon.IsShown());
    struct Case {
        std::string text;
        int lines, width;
    } cases[] = {
        {"FIGHT!", 1, 6},
        {"GET\nREADY!", 2, 6},
        {"a\nbb\nccc", 3, 3},
        {"1\n2\n3\n4", 4, 1},
        {"1\n2\n3\n4\n5 is dropped", 4, 1},
        {std::string(70, 'x'), 1, 64},
    };
    for (const Case& c : cases) {
        balloon.SetEnabled(true);
        balloon.SetText(c.text);
        EXPECT_TRUE(balloon.IsShown());
        EXPECT_FALSE(balloon.IsEnabled());
        EXPECT_EQ(static_cast<int>(balloon.GetLines().size()), c.lines) << c.text;
        EXPECT_EQ(balloon.GetLongestLine(), c.width) << c.text;
        ElementList* list = balloon.GetElementList();
        ASSERT_NE(list, nullptr);
        const int cells = c.lines * c.width;
        EXPECT_EQ(list->GetVertexCount(), static_cast<uint32_t>(8 * cells + 120)) << c.text;
        EXPECT_EQ(list->GetIndexCount(), static_cast<uint32_t>(12 * (cells + 15))) << c.text;
        // Every index names a vertex; the glyph quads and the frame's 22 quads are real triangles
        // with unit normals, and what the frame leaves of its budget is degenerate.
        const uint32_t* index = list->GetIndices();
        const float* normal = list->GetVertexData(VERTEX_DATA_NORMAL);
        int triangles = 0;
        for (uint32_t i = 0; i < list->GetIndexCount(); i += 3) {
            for (int k = 0; k < 3; ++k) ASSERT_LT(index[i + k], list->GetVertexCount());
            if (index[i] == index[i + 1] && index[i + 1] == index[i + 2]) continue;
            ++triangles;
            for (int k = 0; k < 3; ++k) {
                const float* n = normal + index[i + k] * 3;
                EXPECT_NEAR(n[0] * n[0] + n[1] * n[1] + n[2] * n[2], 1.0f, 1e-4f) << c.text;
            }
        }
        EXPECT_EQ(triangles, 4 * cells + 44) << c.text;
    }
    // The bottom line sits between 0.2 and 0.4; the tail reaches 0.3 below the text.
    balloon.SetText("AB");
    balloon.UpdateBounds();
    float lo[3], hi[3];
    balloon.GetLocalBox().GetMin(lo);
    balloon.GetLocalBox().GetMax(hi);
    EXPECT_NEAR(lo[1], 0.2f - 0.3f, 1e-5f);
    EXPECT_NEAR(hi[1], 0.4f + 0.1f, 1e-5f);

    balloon.SetText("");
    EXPECT_TRUE(balloon.IsShown());
    EXPECT_EQ(balloon.GetElementList(), nullptr);
    balloon.Hide();
    EXPECT_FALSE(balloon.IsShown());
}

TEST(BalloonNode, GlyphCellsOfBytesAboveAsciiAndTheMirroredBack) {
    BalloonNode balloon(nullptr, "balloon");
    balloon.SetText(
        "\xE5"
        "A");
    const float* uv = balloon.GetElementList()->GetVertexData(VERTEX_DATA_TEXCOORD0);
    // Front of cell 0 is 0xE5: column 5, row 15 - 14; back of cell 0 shows the last character, 'A'.
    EXPECT_NEAR(uv[0], 5 * 0.0625f, 1e-6f);
    EXPECT_NEAR(uv[1], 1 * 0.0625f, 1e-6f);
    EXPECT_NEAR(uv[4 * 2 + 0], ('A' % 16) * 0.0625f + 0.0625f, 1e-6f);
    EXPECT_NEAR(uv[4 * 2 + 1], (15 - 'A' / 16) * 0.0625f, 1e-6f);
}

TEST(CordNode, TubeCountsAndAVerticalCord) {
    GeomEngine* engine = CreateGeomEngine();
    SceneNode* scene = engine->CreateScene("scene");
    Node* top = new Node(scene, "top");
    Node* bottom = new Node(scene, "bottom");
    top->GetOrientation().SetPosition(0.0f, 2.0f, 0.0f);
    bottom->GetOrientation().SetPosition(0.0f, 0.0f, 0.0f);
    // No sag: the cord hangs straight down, parallel to the world's up.
    CordNode* cord = new CordNode(scene, "cord", top, bottom, 0.0f);
    scene->UpdateTransforms();
    scene->Update(false);
    ElementList* list = cord->GetElementList();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetVertexCount(), static_cast<uint32_t>(cord->GetSides() * (cord->GetSegments() + 1)));
    EXPECT_EQ(list->GetIndexCount(), static_cast<uint32_t>(6 * cord->GetSides() * cord->GetSegments()));
    const float* p = list->GetVertexData(VERTEX_DATA_POSITION);
    for (uint32_t i = 0; i < list->GetVertexCount() * 3; ++i) ASSERT_TRUE(std::isfinite(p[i])) << i;
    for (uint32_t v = 0; v < list->GetVertexCount(); ++v)
        EXPECT_NEAR(std::hypot(p[v * 3], p[v * 3 + 2]), cord->GetRadius(), 1e-5f);

    cord->SetSides(5);
    cord->SetSegments(4);
    EXPECT_EQ(cord->GetElementList(), nullptr);
    scene->Update(false);
    ASSERT_NE(cord->GetElementList(), nullptr);
    EXPECT_EQ(cord->GetElementList()->GetVertexCount(), 25u);
    EXPECT_EQ(cord->GetElementList()->GetIndexCount(), 120u);

    // A sagging cord between two points at one height hangs below them, and follows a moved end.
    bottom->GetOrientation().SetPosition(3.0f, 2.0f, 0.0f);
    CordNode* hanging = new CordNode(scene, "hanging", top, bottom, 1.0f);
    scene->UpdateTransforms();
    scene->Update(false);
    float middle[3];
    hanging->EvaluateCurve(0.5f, middle);
    EXPECT_NEAR(middle[0], 1.5f, 1e-4f);
    EXPECT_LT(middle[1], 2.0f - 0.5f);
    bottom->GetOrientation().SetPosition(5.0f, 2.0f, 0.0f);
    scene->UpdateTransforms();
    scene->Update(false);
    float end[3];
    hanging->EvaluateCurve(1.0f, end);
    EXPECT_NEAR(end[0], 5.0f, 1e-5f);
    engine->DetachNode(scene->GetId());
    delete scene;
    DestroyGeomEngine();
}

TEST(CordNode, RestsOnATableInsteadOfHangingThroughIt) {
    GeomEngine* engine = CreateGeomEngine();
    SceneNode* scene = engine->CreateScene("scene");
    Node* plug = new Node(scene, "plug");
    Node* socket = new Node(scene, "socket");
    // Two sockets 3 cm above a table top at y = 0, 0.8 apart: a loose cable would hang 0.24 deep.
    plug->GetOrientation().SetPosition(0.0f, 0.03f, 0.0f);
    socket->GetOrientation().SetPosition(0.8f, 0.03f, 0.0f);
    CordNode* cord = new CordNode(scene, "cord", plug, socket, 1.2f);
    cord->SetRestHeight(0.0f);
    scene->UpdateTransforms();
    scene->Update(false);
    ElementList* list = cord->GetElementList();
    ASSERT_NE(list, nullptr);
    const float* p = list->GetVertexData(VERTEX_DATA_POSITION);
    float lowest = 1.0f;
    for (uint32_t v = 0; v < list->GetVertexCount(); ++v) lowest = std::min(lowest, p[v * 3 + 1]);
    EXPECT_GE(lowest, -1e-5f) << "no part of the tube under the table";
    EXPECT_LT(lowest, 0.002f) << "the cable lies on the table";
    float middle[3], end[3];
    cord->EvaluateCurve(0.5f, middle);
    EXPECT_NEAR(middle[1], cord->GetRadius(), 1e-5f);
    EXPECT_NEAR(middle[0], 0.4f, 1e-4f);
    cord->EvaluateCurve(1.0f, end);
    EXPECT_NEAR(end[1], 0.03f, 1e-5f) << "the ends stay at their plugs";
    // Without the surface it hangs through again.
    cord->ClearRestHeight();
    scene->Update(false);
    cord->EvaluateCurve(0.5f, middle);
    EXPECT_LT(middle[1], -0.15f);
    engine->DetachNode(scene->GetId());
    delete scene;
    DestroyGeomEngine();
}

}  // namespace
