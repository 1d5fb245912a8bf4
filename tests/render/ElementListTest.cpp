#include "render/ElementList.h"

#include <gtest/gtest.h>

#include <string>

#include "render/IRenderer.h"
#include "support/LogCapture.h"

TEST(ElementListTest, ArraysFollowEachOtherInAllocationOrder) {
    ElementList list(PRIMITIVE_TRIANGLE_STRIP, 4, 4);
    ASSERT_TRUE(list.AllocVertexData(VERTEX_DATA_POSITION, 12));
    float* positions = list.GetVertexData(VERTEX_DATA_POSITION);
    for (int i = 0; i < 12; ++i) positions[i] = static_cast<float>(i);
    ASSERT_TRUE(list.AllocVertexData(VERTEX_DATA_TEXCOORD0, 8));
    EXPECT_EQ(list.GetVertexDataOffset(VERTEX_DATA_POSITION), 0);
    EXPECT_EQ(list.GetVertexDataOffset(VERTEX_DATA_TEXCOORD0), 48);
    EXPECT_EQ(list.GetVertexDataSize(), 80u);
    EXPECT_EQ(list.GetItemSize(VERTEX_DATA_TEXCOORD0), 8u);
    // Growing keeps what was written before.
    positions = list.GetVertexData(VERTEX_DATA_POSITION);
    EXPECT_EQ(positions[11], 11.0f);
    EXPECT_EQ(reinterpret_cast<uint8_t*>(list.GetVertexData(VERTEX_DATA_TEXCOORD0)) - list.GetVertexDataBlock(), 48);
    uint32_t* indices = list.AllocIndices();
    for (uint32_t i = 0; i < 4; ++i) indices[i] = i;
    EXPECT_EQ(list.GetIndices()[3], 3u);
}

TEST(ElementListTest, MissingDataAndForeignBlocksAreReported) {
    LogCapture log;
    ElementList list(PRIMITIVE_TRIANGLES, 3, 3);
    EXPECT_EQ(list.GetVertexData(VERTEX_DATA_NORMAL), nullptr);
    uint8_t foreign[36] = {};
    list.SetVertexData(foreign, sizeof(foreign), false);
    list.AddVertexData(VERTEX_DATA_POSITION, 0, 12);
    EXPECT_FALSE(list.AllocVertexData(VERTEX_DATA_NORMAL, 12));
    EXPECT_EQ(list.GetVertexDataSize(), 36u);
    EXPECT_EQ(list.GetVertexDataOffset(VERTEX_DATA_NORMAL), -1);
    EXPECT_EQ(list.GetItemSize(VERTEX_DATA_COLOR), 0u);
    EXPECT_EQ(list.GetVertexData(VERTEX_DATA_COLOR), nullptr);
    EXPECT_EQ(reinterpret_cast<uint8_t*>(list.GetVertexData(VERTEX_DATA_POSITION)), foreign);
    list.CopyVertexDataToVBO();
    list.Destroy();
    EXPECT_FALSE(list.HasVertexData(VERTEX_DATA_POSITION));
    std::string text = log.Text();
    EXPECT_NE(text.find("WARNING: ElementList::GetVertexData(): Vertex data not defined.\n"), std::string::npos);
    EXPECT_NE(text.find("ERROR: ElementList::AllocVertexData() cannot realloc buffer that is not owned.\n"),
              std::string::npos);
    EXPECT_NE(text.find("WARNING: ElementList::GetVertexDataOffset(): Vertex data not found: type=1\n"),
              std::string::npos);
    EXPECT_NE(text.find("WARNING: ElementList::GetItemSize(): Vertex data not found: type=2\n"), std::string::npos);
    EXPECT_NE(text.find("WARNING: ElementList::GetVertexData(): Vertex data not found: type=2\n"),
              std::string::npos);
    EXPECT_NE(text.find("WARNING: ElementList::CopyVertexDataToVBO(): VBO not defined.\n"), std::string::npos);
}
