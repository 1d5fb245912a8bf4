// The LWO2 reader on objects built byte by byte: layout rules, mirroring, surfaces,
// texture layers, preparation, and files that lie about their sizes and indices.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <set>
#include <string>

#include "io/Bitmap.h"
#include "lightwave/LWBytes.h"
#include "lightwave/LWObject.h"
#include "lightwave/LWObjectReader.h"
#include "render/ElementList.h"
#include "render/IRenderer.h"
#include "support/LogCapture.h"

namespace {

const float kCube[8][3] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                           {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};
// Clockwise seen from outside, in the file's left-handed space.
const uint32_t kCubeFaces[6][4] = {{3, 2, 1, 0}, {6, 7, 4, 5}, {7, 6, 2, 3},
                                   {0, 1, 5, 4}, {2, 6, 5, 1}, {7, 3, 0, 4}};

LWBytes Points(int count, const float (*points)[3]) {
    LWBytes pnts;
    for (int i = 0; i < count; ++i) pnts.Vec(points[i][0], points[i][1], points[i][2]);
    return pnts;
}

LWBytes Layer() {
    LWBytes layr;
    layr.U2(0).U2(0).Vec(0.5f, 0, 2).S0("main");
    return layr;
}

LWBytes CubeFaces() {
    LWBytes pols;
    pols.Id("FACE");
    for (const auto& face : kCubeFaces) {
        pols.U2(4);
        for (uint32_t v : face) pols.VX(v);
    }
    return pols;
}

LWBytes Surface(const std::string& name, float smoothingDegrees) {
    LWBytes surf;
    surf.S0(name).S0("");
    surf.Sub("COLR", LWBytes().Vec(0.25f, 0.5f, 0.75f).VX(0));
    surf.Sub("SMAN", LWBytes().F4(smoothingDegrees * 3.14159265f / 180.0f));
    return surf;
}

// A cube of surface "Cube"; the tag list has "Other" first so the tag index matters.
LWBytes CubeFile(float smoothingDegrees) {
    LWBytes ptag;
    ptag.Id("SURF");
    for (uint16_t p = 0; p < 6; ++p) ptag.VX(p).U2(1);
    LWBytes body;
    body.Chunk("TAGS", LWBytes().S0("Other").S0("Cube"))
        .Chunk("LAYR", Layer())
        .Chunk("PNTS", Points(8, kCube))
        .Chunk("POLS", CubeFaces())
        .Chunk("PTAG", ptag)
        .Chunk("SURF", Surface("Other", 0))
        .Chunk("SURF", Surface("Cube", smoothingDegrees));
    return LWForm(body);
}

std::unique_ptr<LWObject> Read(const LWBytes& bytes, const std::string& name = "test.lwo") {
    LWObjectReader reader;
    return reader.Read(bytes.Data(), bytes.Size(), name);
}

// The points of every drawn triangle of a layer, as stored point indices.
std::vector<std::array<uint32_t, 3>> Triangles(const LWLayer& layer) {
    std::vector<std::array<uint32_t, 3>> triangles;
    for (const LWSurfaceGeometry& g : layer.geometry) {
        const uint32_t* indices = g.list->GetIndices();
        for (uint32_t i = 0; i + 2 < g.list->GetIndexCount(); i += 3) {
            std::array<uint32_t, 3> t;
            for (int k = 0; k < 3; ++k) t[k] = layer.polygonVertices[g.vertexCorners[indices[i + k]]];
            triangles.push_back(t);
        }
    }
    return triangles;
}

}  // namespace

TEST(LWObjectReaderTest, HandBuiltCubeIsMirroredTaggedAndDrawnOutward) {
    LogCapture log;
    auto object = Read(CubeFile(0.0f), "cube.lwo");
    ASSERT_TRUE(object);
    EXPECT_TRUE(log.Has("* Preparing LWObject.."));
    EXPECT_TRUE(log.Has("LWObject successfully read: cube.lwo"));
    ASSERT_EQ(object->layers.size(), 1u);
    const LWLayer& layer = *object->layers[0];
    EXPECT_EQ(layer.name, "main");
    EXPECT_FLOAT_EQ(layer.pivot[2], -2.0f);
    ASSERT_EQ(layer.PointCount(), 8u);
    EXPECT_FLOAT_EQ(layer.Point(6)[0], 1.0f);
    EXPECT_FLOAT_EQ(layer.Point(6)[2], -1.0f);  // z mirrored
    EXPECT_FLOAT_EQ(layer.boundsMin[2], -1.0f);
    EXPECT_FLOAT_EQ(layer.boundsMax[1], 1.0f);

    // The file's (3, 2, 1, 0) is stored reversed and drawn as a fan from its first vertex.
    const LWPolygon& front = layer.polygons[0];
    ASSERT_EQ(front.count, 4u);
    EXPECT_EQ(layer.PolygonVertex(front, 0), 0u);
    EXPECT_EQ(layer.PolygonVertex(front, 3), 3u);
    ASSERT_EQ(object->surfaces.size(), 2u);
    EXPECT_EQ(front.surface, 1);  // tag 1 "Cube" names the second SURF
    EXPECT_FLOAT_EQ(object->surfaces[1]->colour.c[2].value, 0.75f);

    // Every face normal points out of the cube after mirroring and reversal.
    for (uint32_t p = 0; p < layer.PolygonCount(); ++p) {
        const LWPolygon& polygon = layer.polygons[p];
        float centre[3] = {0, 0, 0};
        for (uint32_t k = 0; k < polygon.count; ++k)
            for (int a = 0; a < 3; ++a) centre[a] += layer.Point(layer.PolygonVertex(polygon, k))[a] / 4;
        const float* n = &layer.polygonNormals[p * 3];
        EXPECT_GT(n[0] * centre[0] + n[1] * centre[1] + n[2] * centre[2], 0.9f) << "face " << p;
    }
    ASSERT_EQ(layer.geometry.size(), 1u);
    EXPECT_EQ(layer.geometry[0].surface, 1u);
    const ElementList& list = *layer.geometry[0].list;
    EXPECT_EQ(list.GetPrimitiveType(), static_cast<uint32_t>(PRIMITIVE_TRIANGLES));
    EXPECT_EQ(list.GetIndexCount(), 36u);
    EXPECT_EQ(list.GetVertexCount(), 24u);  // unsmoothed: four corners per face
    const auto triangles = Triangles(layer);
    EXPECT_EQ(triangles[0], (std::array<uint32_t, 3>{0, 1, 2}));
    EXPECT_EQ(triangles[1], (std::array<uint32_t, 3>{0, 2, 3}));
}

TEST(LWObjectReaderTest, SmoothingAngleDecidesWhichCornersShareANormal) {
    // Cube edges are 90 degrees: an 89 degree limit keeps them hard, 91 smooths them.
    auto hard = Read(CubeFile(89.0f));
    auto soft = Read(CubeFile(91.0f));
    ASSERT_TRUE(hard && soft);
    EXPECT_EQ(hard->layers[0]->geometry[0].list->GetVertexCount(), 24u);
    ElementList& list = *soft->layers[0]->geometry[0].list;
    ASSERT_EQ(list.GetVertexCount(), 8u);
    const float* normals = list.GetVertexData(VERTEX_DATA_NORMAL);
    const float* positions = list.GetVertexData(VERTEX_DATA_POSITION);
    for (int v = 0; v < 8; ++v) {
        for (int a = 0; a < 3; ++a)
            EXPECT_NEAR(normals[v * 3 + a], positions[v * 3 + a] / std::sqrt(3.0f), 1e-5f);
    }

    // Different smoothing groups keep an edge hard whatever the angle.
    LWBytes groups;
    groups.Id("SMGP");
    for (uint16_t p = 0; p < 6; ++p) groups.VX(p).U2(p);
    LWBytes body;
    body.Chunk("TAGS", LWBytes().S0("Cube"))
        .Chunk("LAYR", Layer())
        .Chunk("PNTS", Points(8, kCube))
        .Chunk("POLS", CubeFaces())
        .Chunk("PTAG", groups)
        .Chunk("SURF", Surface("Cube", 91.0f));
    auto grouped = Read(LWForm(body));
    ASSERT_TRUE(grouped);
    EXPECT_EQ(grouped->layers[0]->geometry[0].list->GetVertexCount(), 24u);
}

TEST(LWObjectReaderTest, IndicesPaddingAndStringsFollowTheByteLayout) {
    // VX: FF 00 00 10 is 16 in four bytes, FE FF the two-byte 65279.
    const uint8_t vx[] = {0xFF, 0x00, 0x00, 0x10, 0xFE, 0xFF, 0x00};
    LWByteCursor cursor(vx, sizeof vx);
    EXPECT_EQ(cursor.VX(), 16u);
    EXPECT_EQ(cursor.Position(), 4u);
    EXPECT_EQ(cursor.VX(), 65279u);
    EXPECT_EQ(cursor.Position(), 6u);
    EXPECT_FALSE(cursor.Overrun());
    cursor.U2();
    EXPECT_TRUE(cursor.Overrun());

    // A quad (0, 1, 2, 3) written with four-byte indices, odd-sized chunks and sub-chunks
    // before the ones that matter, and tags of odd and even length.
    const float quad[4][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    LWBytes pols;
    pols.Id("FACE").U2(4).VX4(0).VX4(1).VX4(2).VX4(3);
    LWBytes surf;
    surf.S0("Abc").S0("").Sub("XYZW", LWBytes().U1(7)).Sub("DIFF", LWBytes().F4(0.5f).VX(0));
    LWBytes body;
    body.Chunk("ODD!", LWBytes().U1(1).U1(2).U1(3))
        .Chunk("TAGS", LWBytes().S0("Abc").S0("Cube"))
        .Chunk("LAYR", Layer())
        .Chunk("PNTS", Points(4, quad))
        .Chunk("POLS", pols)
        .Chunk("SURF", surf);
    auto object = Read(LWForm(body));
    ASSERT_TRUE(object);
    EXPECT_EQ(object->tags, (std::vector<std::string>{"Abc", "Cube"}));
    ASSERT_EQ(object->surfaces.size(), 1u);
    EXPECT_FLOAT_EQ(object->surfaces[0]->diffuse.value, 0.5f);
    const LWLayer& layer = *object->layers[0];
    ASSERT_EQ(layer.PolygonCount(), 1u);
    // Stored (3, 2, 1, 0), drawn as (3, 2, 1) and (3, 1, 0).
    const auto triangles = Triangles(layer);
    ASSERT_EQ(triangles.size(), 2u);
    EXPECT_EQ(triangles[0], (std::array<uint32_t, 3>{3, 2, 1}));
    EXPECT_EQ(triangles[1], (std::array<uint32_t, 3>{3, 1, 0}));
}

TEST(LWObjectReaderTest, FilesThatAreNotLWO2OrBreakTheirChunksAreRefused) {
    LogCapture log;
    LWBytes notIff;
    notIff.Id("RIFF").U4(4).Id("WAVE");
    EXPECT_FALSE(Read(notIff, "a.lwo"));
    EXPECT_TRUE(log.Has("ERROR: Invalid LWObject format file: a.lwo"));
    LWBytes lwob;
    lwob.Id("FORM").U4(4).Id("LWOB");
    EXPECT_FALSE(Read(lwob, "b.lwo"));
    EXPECT_TRUE(log.Has("ERROR: LWO2 file format tag not found in the file: b.lwo"));
    EXPECT_FALSE(Read(LWBytes().U1(0x46).U1(0x4F), "c.lwo"));

    // A chunk longer than the file, and a sub-chunk longer than its chunk.
    LWBytes body;
    body.Chunk("LAYR", Layer()).Id("PNTS").U4(0x7FFFFFF0u).Vec(1, 2, 3);
    EXPECT_FALSE(Read(LWForm(body), "d.lwo"));
    EXPECT_TRUE(log.Contains("ERROR: Loading LWObject failed: d.lwo: chunk \"PNTS\" at byte 42 runs past"));
    LWBytes surf;
    surf.S0("S").S0("").Id("COLR").U2(400).Vec(1, 1, 1);
    EXPECT_FALSE(Read(LWForm(LWBytes().Chunk("SURF", surf)), "e.lwo"));
    EXPECT_TRUE(log.Contains("ERROR: Loading LWObject failed: e.lwo: sub-chunk \"COLR\""));

    // A FORM size too small for its own type holds nothing (and is not read backwards).
    LWBytes tiny;
    tiny.Id("FORM").U4(0).Id("LWO2").Chunk("LAYR", Layer());
    auto empty = Read(tiny, "g.lwo");
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->layers.empty());

    // A FORM size beyond the file is clamped to the file.
    LWBytes clamped = CubeFile(0);
    clamped.b[7] += 100;
    auto object = Read(clamped, "f.lwo");
    ASSERT_TRUE(object);
    EXPECT_EQ(object->layers[0]->PolygonCount(), 6u);
    EXPECT_TRUE(log.Contains("WARNING: LWObject f.lwo: the FORM size runs past the end of the file"));
}

TEST(LWObjectReaderTest, BadIndicesAndMisplacedChunksAreSkippedWithAWarning) {
    LogCapture log;
    const float tri[4][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    LWBytes early;
    early.Id("FACE").U2(3).VX(0).VX(1).VX(2);
    LWBytes pols1, pols2;
    pols1.Id("FACE").U2(3).VX(0).VX(1).VX(2).U2(3).VX(0).VX(1).VX(9);  // 9 is no point
    pols2.Id("FACE").U2(3).VX(0).VX(2).VX(3).U2(2).VX(0).VX(1).U2(0);  // a line and an empty one
    LWBytes tags1, tags2;
    tags1.Id("SURF").VX(0).U2(0).VX(1).U2(0).VX(7).U2(0);  // polygon 7 does not exist
    tags2.Id("SURF").VX(0).U2(1).VX(1).U2(5);              // tag 5 does not exist
    LWBytes uv;                                            // TXUV declared with three values per entry
    uv.Id("TXUV")
        .U2(3)
        .S0("uv")
        .VX(0)
        .F4(0.1f)
        .F4(0.2f)
        .F4(9)
        .VX(3)
        .F4(0.3f)
        .F4(0.4f)
        .F4(9)
        .VX(40)
        .F4(0)
        .F4(0)
        .F4(0);
    LWBytes envl;  // an envelope whose own number takes four bytes
    envl.VX4(1).Sub("KEY ", LWBytes().F4(0).F4(2)).Sub("SPAN", LWBytes().Id("LINE"));
    LWBytes surfB;
    surfB.S0("B").S0("").Sub("DIFF", LWBytes().F4(0.5f).VX(1)).Sub("COLR", LWBytes().Vec(1, 1, 1).VX(1));
    LWBytes body;
    body.Chunk("TAGS", LWBytes().S0("A").S0("B"))
        .Chunk("POLS", early)
        .Chunk("PNTS", Points(1, tri))
        .Chunk("LAYR", Layer())
        .Chunk("PNTS", Points(4, tri))
        .Chunk("VMAP", uv)
        .Chunk("POLS", pols1)
        .Chunk("PTAG", tags1)
        .Chunk("POLS", pols2)
        .Chunk("PTAG", tags2)
        .Chunk("ENVL", envl)
        .Chunk("SURF", LWBytes().S0("A").S0(""))
        .Chunk("SURF", surfB)
        .Chunk("TAGS", LWBytes().S0("Unterminated").Raw({'x', 'y'}));
    auto object = Read(LWForm(body), "bad.lwo");
    ASSERT_TRUE(object);
    EXPECT_TRUE(log.Has("WARNING: LWObject bad.lwo: POLS chunk before any LAYR ignored."));
    EXPECT_TRUE(log.Has("WARNING: LWObject bad.lwo: PNTS chunk before any LAYR ignored."));
    EXPECT_TRUE(log.Has(
        "WARNING: LWObject bad.lwo: POLS: 1 polygons name points beyond the layer's 4; they are not drawn."));
    EXPECT_TRUE(log.Has(
        "WARNING: LWObject bad.lwo: PTAG SURF: 1 entries name polygons beyond the layer's 2; skipped."));
    EXPECT_TRUE(log.Has(
        "WARNING: LWObject bad.lwo: VMAP \"uv\": 1 entries name points beyond the layer's 4; skipped."));
    EXPECT_TRUE(log.Has(
        "WARNING: LWObject bad.lwo: 1 polygons name surface tags beyond the 3 tags; they are not drawn."));
    EXPECT_TRUE(log.Contains("WARNING: LWObject bad.lwo: surface \"B\" COLR names envelopes 1 to 3 of 1;"));
    EXPECT_TRUE(log.Contains("chunk \"TAGS\" at byte"));

    const LWLayer& layer = *object->layers[0];
    EXPECT_EQ(layer.PointCount(), 4u);
    // Both POLS chunks are kept; the second PTAG tags the second chunk's polygons.
    ASSERT_EQ(layer.PolygonCount(), 5u);
    EXPECT_EQ(layer.polygons[1].count, 0u);
    EXPECT_EQ(layer.polygons[2].surfaceTag, 1);
    EXPECT_EQ(layer.polygons[2].surface, 1);
    EXPECT_EQ(layer.polygons[3].surface, -1);
    // Only the two real triangles are drawn: the line, the empty and the broken polygon not.
    EXPECT_EQ(Triangles(layer).size(), 2u);
    // The map's stride followed its declared dimension.
    const LWVertexMap* map = layer.FindVertexMap(LWID("TXUV"), "uv", false);
    ASSERT_TRUE(map);
    ASSERT_EQ(map->Count(), 2u);
    EXPECT_FLOAT_EQ(map->Values(1)[0], 0.3f);
    EXPECT_FLOAT_EQ(map->Values(1)[1], 0.4f);
    // The four-byte envelope number left the keys in place.
    ASSERT_EQ(object->envelopes.size(), 1u);
    EXPECT_EQ(object->envelopes[0].index, 1u);
    EXPECT_TRUE(object->surfaces[1]->diffuse.animated);
    EXPECT_FLOAT_EQ(object->surfaces[1]->diffuse.Evaluate(5.0f), 2.0f);
    EXPECT_FALSE(object->surfaces[1]->colour.IsAnimated());
    EXPECT_EQ(object->tags.back(), "Unterminated");
}

namespace {

LWBytes ImageMap(const char* ordinal, const char* channel, bool enabled, uint32_t image, uint16_t projection,
                 const char* uvMap = "") {
    LWBytes header;
    header.S0(ordinal).Sub("CHAN", LWBytes().Id(channel)).Sub("ENAB", LWBytes().U2(enabled ? 1 : 0));
    LWBytes tmap;
    tmap.Sub("CNTR", LWBytes().Vec(0, 0, 0).VX(0)).Sub("SIZE", LWBytes().Vec(2, 2, 2).VX(0));
    LWBytes blok;
    blok.Sub("IMAP", header)
        .Sub("TMAP", tmap)
        .Sub("PROJ", LWBytes().U2(projection))
        .Sub("AXIS", LWBytes().U2(2));
    if (image) blok.Sub("IMAG", LWBytes().VX(image));
    blok.Sub("WRAP", LWBytes().U2(2).U2(3)).Sub("VMAP", LWBytes().S0(uvMap));
    return blok;
}

}  // namespace

TEST(LWObjectReaderTest, SurfaceLayersChannelsAndCoordinateSets) {
    LogCapture log(LogCapture::kConsoleAndDebug);
    LWBytes surf;
    surf.S0("S")
        .S0("src")
        .Sub("CMNT", LWBytes().S0("note"))
        .Sub("SIDE", LWBytes().U2(3))
        .Sub("SMAN", LWBytes().F4(-1.0f))
        .Sub("RIMG", LWBytes().VX(2))
        .Sub("VCOL", LWBytes().F4(0.5f).VX(0).Id("RGBA").S0("paint"))
        .Sub("VCOL", LWBytes().F4(0.9f).VX(0).Id("RGB ").S0("later"))
        .Sub("BLOK", ImageMap("\x80", "COLR", true, 1, 0))
        .Sub("BLOK", ImageMap("\x70", "COLR", true, 1, 5, "uv"))  // sorts before the first
        .Sub("BLOK", ImageMap("\x90", "COLR", false, 1, 0))       // disabled
        .Sub("BLOK", ImageMap("\x91", "TRAN", true, 0, 0))        // no image
        .Sub("BLOK", ImageMap("\x92", "BUMP", true, 1, 5, "uv"))  // same map: same set
        .Sub("BLOK", ImageMap("\x93", "SPEC", true, 1, 3))        // cubic, unused channel
        .Sub("BLOK", ImageMap("\x94", "COLR", true, 1, 2));
    const float tri[3][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    LWBytes uv;
    uv.Id("TXUV").U2(2).S0("uv").VX(0).F4(0).F4(0).VX(1).F4(1).F4(0).VX(2).F4(0).F4(1);
    LWBytes clip;
    clip.U4(1).Sub("STIL", LWBytes().S0("C:\\art\\wood.png"));
    LWBytes xref;
    xref.U4(2).Sub("XREF", LWBytes().U4(1).S0("ref"));
    LWBytes loop;
    loop.U4(3).Sub("XREF", LWBytes().U4(3).S0("self"));
    LWBytes body;
    body.Chunk("TAGS", LWBytes().S0("S"))
        .Chunk("LAYR", Layer())
        .Chunk("PNTS", Points(3, tri))
        .Chunk("VMAP", uv)
        .Chunk("POLS", LWBytes().Id("FACE").U2(3).VX(0).VX(1).VX(2))
        .Chunk("CLIP", clip)
        .Chunk("CLIP", xref)
        .Chunk("CLIP", loop)
        .Chunk("SURF", surf);
    LWObjectReader reader;
    reader.SetDirectory("data/objects/props/");
    auto object = reader.Read(LWForm(body).Data(), LWForm(body).Size(), "s.lwo");
    ASSERT_TRUE(object);
    const LWSurface& s = *object->surfaces[0];
    EXPECT_EQ(s.source, "src");
    EXPECT_EQ(s.comment, "note");
    EXPECT_TRUE(s.doubleSided);
    EXPECT_EQ(s.smoothingAngle, 0.0f);
    EXPECT_EQ(s.reflectionImage, 2);
    EXPECT_EQ(s.vertexColourMap, "paint");
    EXPECT_FLOAT_EQ(s.glossiness.value, 0.4f);
    // Disabled and image-less layers are dropped; the rest grouped by channel, by ordinal.
    ASSERT_EQ(s.textureLayers.size(), 5u);
    EXPECT_EQ(s.textureLayers[0].ordinal, "\x70");
    EXPECT_EQ(s.textureLayers[1].ordinal, "\x80");
    EXPECT_EQ(s.textureLayers[2].ordinal, "\x94");
    EXPECT_EQ(s.textureLayers[3].channel, "BUMP");
    EXPECT_EQ(s.textureLayers[4].channel, "SPEC");
    EXPECT_EQ(s.textureLayers[4].texCoordSet, -1);
    EXPECT_EQ(s.textureLayers[1].widthWrap, LWTextureLayer::WRAP_MIRROR);
    EXPECT_EQ(s.textureLayers[1].heightWrap, LWTextureLayer::WRAP_EDGE);
    // Two COLR layers after the first stay unused; the UV layers share one set.
    EXPECT_EQ(s.channelLayer[LWSurface::CHANNEL_COLR], 0);
    EXPECT_EQ(s.channelLayer[LWSurface::CHANNEL_BUMP], 3);
    EXPECT_EQ(s.channelLayer[LWSurface::CHANNEL_TRAN], -1);
    EXPECT_EQ(s.textureLayers[0].texCoordSet, 0);
    EXPECT_EQ(s.textureLayers[1].texCoordSet, 1);
    EXPECT_EQ(s.textureLayers[2].texCoordSet, 2);
    EXPECT_EQ(s.textureLayers[3].texCoordSet, 0);
    EXPECT_EQ(s.texCoordSetCount, 3u);

    // The geometry carries the UV set, the planar set and tangents for the bump layer.
    ElementList& list = *object->layers[0]->geometry[0].list;
    ASSERT_TRUE(list.HasVertexData(VERTEX_DATA_TEXCOORD2));
    EXPECT_FALSE(list.HasVertexData(VERTEX_DATA_TEXCOORD3));
    ASSERT_TRUE(list.HasVertexData(VERTEX_DATA_ATTRIB3));
    const float* uv0 = list.GetVertexData(VERTEX_DATA_TEXCOORD0);
    const float* planar = list.GetVertexData(VERTEX_DATA_TEXCOORD1);
    const float* tangent = list.GetVertexData(VERTEX_DATA_ATTRIB3);
    for (uint32_t v = 0; v < list.GetVertexCount(); ++v) {
        const float* p = list.GetVertexData(VERTEX_DATA_POSITION) + v * 3;
        EXPECT_FLOAT_EQ(uv0[v * 2], p[0]);  // this map's u follows x
        // Planar along z, size 2: u = x/2 + 0.5, v = -(0.5 - y/2).
        EXPECT_FLOAT_EQ(planar[v * 2], p[0] / 2 + 0.5f);
        EXPECT_FLOAT_EQ(planar[v * 2 + 1], -(0.5f - p[1] / 2));
        EXPECT_NEAR(tangent[v * 4], 1.0f, 1e-5f);
    }

    EXPECT_TRUE(log.Console().find("WARNING: Cubic mapping not supported.\n") != std::string::npos);
    EXPECT_TRUE(log.Debug().find("Skipping unsupported texture layer: SPEC\n") != std::string::npos);
    EXPECT_EQ(object->imageDirectory, "data/images/");
    EXPECT_EQ(object->GetImagePath(2), "data/images/wood.png");
    EXPECT_EQ(object->GetImagePath(3), "");
    EXPECT_EQ(object->GetImagePath(9), "");
    EXPECT_TRUE(log.Contains("clip references loop at clip 3."));
}

TEST(LWObjectReaderTest, ImageDirectoryClimbsOutOfObjectFolders) {
    EXPECT_EQ(LWObjectReader::ImageDirectory("data/objects/fighters/"), "data/images/");
    EXPECT_EQ(LWObjectReader::ImageDirectory("objects/"), "images/");
    EXPECT_EQ(LWObjectReader::ImageDirectory("Objects/a/b/"), "images/");
    EXPECT_EQ(LWObjectReader::ImageDirectory(""), "images/");
    EXPECT_EQ(LWObjectReader::ImageDirectory("props/"), "props/images/");
}

TEST(LWTextureLayerTest, WrapsKeepCpuSamplesInsideTheBitmap) {
    struct Case {
        uint16_t mode;
        float in;
        bool kept;
        float out;
    };
    const Case cases[] = {
        {LWTextureLayer::WRAP_RESET, 1.5f, false, 0},      {LWTextureLayer::WRAP_RESET, 0.25f, true, 0.25f},
        {LWTextureLayer::WRAP_REPEAT, 1.25f, true, 0.25f}, {LWTextureLayer::WRAP_REPEAT, -0.25f, true, 0.75f},
        {LWTextureLayer::WRAP_MIRROR, 1.25f, true, 0.75f}, {LWTextureLayer::WRAP_MIRROR, 2.25f, true, 0.25f},
        {LWTextureLayer::WRAP_EDGE, -3.0f, true, 0.0f},    {LWTextureLayer::WRAP_EDGE, 7.0f, true, 1.0f},
    };
    for (const Case& c : cases) {
        float v = c.in;
        EXPECT_EQ(LWTextureLayer::WrapCoordinate(v, c.mode), c.kept) << c.mode << " " << c.in;
        if (c.kept) {
            EXPECT_FLOAT_EQ(v, c.out) << c.mode << " " << c.in;
        }
    }

    Bitmap bitmap;
    ASSERT_TRUE(bitmap.Create(4, 2, 8));
    for (int i = 0; i < 8; ++i) bitmap.GetPixels()[i] = static_cast<uint8_t>(i * 10);
    LWTextureLayer layer;
    float value = -1;
    // A tiny negative coordinate repeats to a fraction that rounds to 1.0: still the last texel.
    ASSERT_TRUE(layer.Sample(bitmap, -1e-9f, -1e-9f, value));
    EXPECT_FLOAT_EQ(value, 70 / 255.0f);
    ASSERT_TRUE(layer.Sample(bitmap, 0.3f, 0.2f, value));
    EXPECT_FLOAT_EQ(value, 10 / 255.0f);
    layer.widthWrap = LWTextureLayer::WRAP_RESET;
    EXPECT_FALSE(layer.Sample(bitmap, 1.5f, 0.2f, value));
    EXPECT_FALSE(layer.Sample(bitmap, std::nanf(""), 0.2f, value));
}
