#include "render/GLTextureManager.h"

#include "GLTestContext.h"
#include "io/Bitmap.h"

namespace {
class GLTextureManagerTest : public RendererFixture {
protected:
    GLTextureManager* Textures() { return GLTextureManager::GetInstance(); }
    uint32_t References(uint32_t id) {
        const TextureRecord* r = Textures()->GetRecord(id);
        return r ? r->references : 0;
    }
    void WriteChecker(const std::string& name, uint32_t w, uint32_t h) {
        m_data.WriteImage(name, w, h, 24, [](uint32_t x, uint32_t y, uint8_t* p) {
            p[0] = static_cast<uint8_t>(x);
            p[1] = static_cast<uint8_t>(y);
            p[2] = 7;
        });
    }
};

// Distinct colour per cross cell: red = column * 80 + 10, green = row * 60 + 10.
void CrossColor(uint32_t col, uint32_t row, uint8_t* p) {
    p[0] = static_cast<uint8_t>(col * 80 + 10);
    p[1] = static_cast<uint8_t>(row * 60 + 10);
    p[2] = 0;
}
}  // namespace

TEST_F(GLTextureManagerTest, SameFileAndParametersShareOneTexture) {
    WriteChecker("textures/a.png", 16, 16);
    uint32_t fontRefs = Textures()->GetTotalReferences();
    uint32_t first = m_renderer->LoadTexture2D(m_data.GetLoader(), "textures/a.png", FORMAT_RGB);
    uint32_t second = m_renderer->LoadTexture2D(m_data.GetLoader(), "textures/a.png", FORMAT_RGB);
    ASSERT_NE(first, 0u);
    EXPECT_EQ(first, second);
    EXPECT_EQ(References(first), 2u);
    EXPECT_EQ(Textures()->GetTotalReferences(), fontRefs + 2);

    m_renderer->SetTextureWrap(WRAP_CLAMP_TO_EDGE, WRAP_CLAMP_TO_EDGE, WRAP_REPEAT);
    uint32_t clamped = m_renderer->LoadTexture2D(m_data.GetLoader(), "textures/a.png", FORMAT_RGB);
    EXPECT_NE(clamped, first);
    uint32_t oneD = m_renderer->LoadTexture1D(m_data.GetLoader(), "textures/a.png", FORMAT_RGB);
    EXPECT_NE(oneD, clamped);
    EXPECT_NE(oneD, 0u);
    GLint wrap = 0;
    glBindTexture(GL_TEXTURE_2D, clamped);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    EXPECT_EQ(wrap, GL_CLAMP_TO_EDGE);

    // Two references: the first free keeps it, the second deletes it.
    m_renderer->FreeTexture(first);
    EXPECT_EQ(References(first), 1u);
    EXPECT_TRUE(m_log->Contains("References left: 1\n"));
    EXPECT_EQ(glIsTexture(first), GL_TRUE);
    uint64_t sizeBefore = Textures()->GetTotalTextureSize();
    m_renderer->FreeTexture(first);
    EXPECT_EQ(Textures()->GetRecord(first), nullptr);
    EXPECT_EQ(glIsTexture(first), GL_FALSE);
    EXPECT_EQ(Textures()->GetTotalTextureSize(), sizeBefore - 16 * 16 * 3);
    m_renderer->FreeTexture(first);
    EXPECT_TRUE(m_log->Contains("WARNING: GLTextureManager: Texture object not found: id=" + std::to_string(first)));
    m_renderer->FreeTexture(clamped);
    m_renderer->FreeTexture(oneD);

    EXPECT_EQ(m_renderer->LoadTexture2D(m_data.GetLoader(), "textures/missing.png", FORMAT_RGB), 0u);
    EXPECT_TRUE(m_log->Contains("ERROR: Loading texture failed: textures/missing.png\n"));
    EXPECT_FLOAT_EQ(m_renderer->GetTextureAspectRatio(0), 1.0f);
    std::string log = Shutdown();
    EXPECT_EQ(log.find("ndeleted"), std::string::npos) << log;
}

TEST_F(GLTextureManagerTest, SizesAreKeptUnlessOverTheLimit) {
    WriteChecker("textures/wide.png", 300, 200);
    uint32_t id = m_renderer->LoadTexture2D(m_data.GetLoader(), "textures/wide.png", FORMAT_RGB);
    ASSERT_NE(id, 0u);
    GLint w = 0, h = 0;
    glBindTexture(GL_TEXTURE_2D, id);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    EXPECT_EQ(w, 300);
    EXPECT_EQ(h, 200);
    EXPECT_FLOAT_EQ(m_renderer->GetTextureAspectRatio(id), 1.5f);
    // The image's top row is the texture's last row: the pixel at image (5, 0) has green 0.
    std::vector<uint8_t> texels(300 * 200 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    EXPECT_EQ(texels[(199 * 300 + 5) * 3 + 0], 5);
    EXPECT_EQ(texels[(199 * 300 + 5) * 3 + 1], 0);
    EXPECT_EQ(texels[(0 * 300 + 5) * 3 + 1], 199);
    m_renderer->FreeTexture(id);

    Textures()->SetSizeLimit(64);
    WriteChecker("textures/big.png", 128, 128);
    id = m_renderer->LoadTexture2D(m_data.GetLoader(), "textures/big.png", FORMAT_RGBA);
    glBindTexture(GL_TEXTURE_2D, id);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    EXPECT_EQ(w, 64);
    EXPECT_FLOAT_EQ(m_renderer->GetTextureAspectRatio(id), 1.0f);
    EXPECT_TRUE(m_log->Contains("GLTextureManager: Bitmap resized before using as texture.\n"));
    EXPECT_TRUE(m_log->Contains("GLTextureManager: Bitmap color depth changed before using as texture.\n"));
    EXPECT_EQ(Textures()->GetRecord(id)->size, 64u * 64u * 4u);
    m_renderer->FreeTexture(id);
    Textures()->SetSizeLimit(0);

    // Unsupported upload format keeps the image as it is and says so.
    Bitmap bitmap;
    bitmap.Create(4, 4, 24);
    id = Textures()->AddTexture2D(&bitmap, GL_LUMINANCE_ALPHA);
    EXPECT_TRUE(m_log->Contains("WARNING: GLTextureManager: Unsupported texture format. format=" +
                                std::to_string(GL_LUMINANCE_ALPHA)));
    m_renderer->FreeTexture(id);
}

TEST_F(GLTextureManagerTest, VerticalCrossGivesSixFacesInPlace) {
    m_data.WriteImage("textures/cross.png", 768, 1024, 24, [](uint32_t x, uint32_t y, uint8_t* p) {
        CrossColor(x / 256, y / 256, p);
        // Marker in the top-left corner of the -Z cell (column 1, row 3).
        if (x >= 256 && x < 260 && y >= 768 && y < 772) p[2] = 255;
    });
    uint32_t id = m_renderer->LoadTextureCubeVCross(m_data.GetLoader(), "textures/cross.png", FORMAT_RGB);
    ASSERT_NE(id, 0u);
    glBindTexture(GL_TEXTURE_CUBE_MAP, id);
    const uint32_t cells[6][2] = {{2, 1}, {0, 1}, {1, 0}, {1, 2}, {1, 1}, {1, 3}};
    std::vector<uint8_t> face(256 * 256 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (int f = 0; f < 6; ++f) {
        GLint w = 0, h = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_CUBE_MAP_POSITIVE_X + f, 0, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(GL_TEXTURE_CUBE_MAP_POSITIVE_X + f, 0, GL_TEXTURE_HEIGHT, &h);
        EXPECT_EQ(w, 256);
        EXPECT_EQ(h, 256);
        glGetTexImage(GL_TEXTURE_CUBE_MAP_POSITIVE_X + f, 0, GL_RGB, GL_UNSIGNED_BYTE, face.data());
        uint8_t expected[3];
        CrossColor(cells[f][0], cells[f][1], expected);
        size_t centre = (128 * 256 + 128) * 3;
        EXPECT_EQ(face[centre], expected[0]) << f;
        EXPECT_EQ(face[centre + 1], expected[1]) << f;
    }
    // -Z is turned by 180 degrees: the marker moved to the opposite corner.
    glGetTexImage(GL_TEXTURE_CUBE_MAP_NEGATIVE_Z, 0, GL_RGB, GL_UNSIGNED_BYTE, face.data());
    EXPECT_EQ(face[(255 * 256 + 255) * 3 + 2], 255);
    EXPECT_EQ(face[2], 0);
    EXPECT_EQ(Textures()->GetRecord(id)->size, 6u * 256u * 256u * 3u);
    m_renderer->FreeTexture(id);
}

TEST_F(GLTextureManagerTest, VolumeSlicesComeFromANumberedPattern) {
    for (int i = 1; i <= 3; ++i)
        m_data.WriteImage("textures/slice" + std::to_string(i) + ".png", 8, 8, 24,
                          [i](uint32_t, uint32_t, uint8_t* p) { p[0] = p[1] = p[2] = static_cast<uint8_t>(i * 50); });
    uint32_t id = m_renderer->LoadTexture3D(m_data.GetLoader(), "textures/slice%d.png", FORMAT_LUMINANCE, 1, 3);
    ASSERT_NE(id, 0u);
    EXPECT_EQ(Textures()->GetRecord(id)->name, "textures/slice1.png-textures/slice3.png");
    glBindTexture(GL_TEXTURE_3D, id);
    GLint depth = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_3D, 0, GL_TEXTURE_DEPTH, &depth);
    EXPECT_EQ(depth, 3);
    std::vector<uint8_t> volume(8 * 8 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_3D, 0, GL_LUMINANCE, GL_UNSIGNED_BYTE, volume.data());
    EXPECT_EQ(volume[0], 50);
    EXPECT_EQ(volume[8 * 8 * 2], 150);
    m_renderer->FreeTexture(id);
    // A pattern printf would misread is refused.
    EXPECT_EQ(m_renderer->LoadTexture3D(m_data.GetLoader(), "textures/%s%d.png", FORMAT_RGB, 1, 3), 0u);
}
