// Writes the seed corpora of the fuzz targets: valid files of every accepted kind plus a
// few that must be refused. Deterministic; usage: fuzz_seed_generator <corpus dir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "LWObjectWriter.h"
#include "LWSceneWriter.h"
#include "LWShapes.h"
#include "base/Log.h"
#include "io/Loader.h"
#include "lightwave/LWBytes.h"
#include "support/ImageEncoding.h"

namespace {

using Bytes = std::vector<uint8_t>;

bool Write(const std::string& path, const Bytes& bytes) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
    return true;
}

Bytes Pattern(size_t count, unsigned seed) {
    Bytes bytes(count);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<uint8_t>((i * 37 + seed * 11 + (i >> 3) * 5) & 0xff);
    return bytes;
}

Bytes Png(uint32_t width, uint32_t height, int colorType, int bitDepth, bool interlaced) {
    Bytes pixels = Pattern(PngRowBytes(width, colorType, bitDepth) * height, width + height);
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        for (uint8_t& b : pixels) b &= 0x03;  // palette indices 0..3
    }
    return EncodePng(width, height, colorType, bitDepth, pixels, interlaced);
}

Bytes Jpeg(uint32_t width, uint32_t height, int components, bool progressive) {
    const Bytes pixels = Pattern(static_cast<size_t>(width) * height * components, components);
    return EncodeJpeg(width, height, components, pixels, 75, progressive);
}

void PutU32(Bytes& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

bool WriteDataFiles(const std::string& dir) {
    // A real packed file, made the way a run makes it.
    const std::string source = dir + "source.tmp/";
    Loader::CreatePath(source + "textures/");
    Write(source + "script.xml", {'<', 'd', 'e', 'm', 'o', '/', '>'});
    Write(source + "textures/a.png", Png(2, 2, PNG_COLOR_TYPE_GRAY, 8, false));
    Write(source + "empty.txt", {});
    Loader loader;
    loader.LoadFromDataDirectory(source);
    for (const char* name : {"script.xml", "textures/a.png", "empty.txt", "script.xml"})
        loader.LoadFile(name);
    const bool ok = loader.GenerateDataFile(dir + "packed.dat");
    for (const char* name : {"script.xml", "textures/a.png", "empty.txt"})
        std::remove((source + name).c_str());
    std::remove((source + "textures").c_str());
    std::remove(source.c_str());

    Bytes empty;
    PutU32(empty, 0);
    PutU32(empty, 0);
    Write(dir + "empty_index.dat", empty);

    // Duplicate names, an item spanning the index, and a name that climbs out.
    Bytes dup = {'a', 'b', 'c', 'd'};
    PutU32(dup, 3);
    for (const auto& entry : {std::make_pair(std::string("x"), 0u), std::make_pair(std::string("x"), 2u),
                              std::make_pair(std::string("../y"), 1u)}) {
        PutU32(dup, static_cast<uint32_t>(entry.first.size()));
        dup.insert(dup.end(), entry.first.begin(), entry.first.end());
        PutU32(dup, entry.second);
        PutU32(dup, 2);
        PutU32(dup, 0);
    }
    PutU32(dup, 4);
    Write(dir + "duplicates.dat", dup);

    Bytes lying = {'z'};
    PutU32(lying, 0x10000000);
    PutU32(lying, 1);
    return ok && Write(dir + "lying_count.dat", lying);
}

bool WritePngs(const std::string& dir) {
    bool ok = Write(dir + "grey.png", Png(5, 3, PNG_COLOR_TYPE_GRAY, 8, false));
    ok &= Write(dir + "grey_alpha.png", Png(3, 3, PNG_COLOR_TYPE_GRAY_ALPHA, 8, false));
    ok &= Write(dir + "rgb.png", Png(4, 2, PNG_COLOR_TYPE_RGB, 8, false));
    ok &= Write(dir + "rgba_interlaced.png", Png(9, 9, PNG_COLOR_TYPE_RGB_ALPHA, 8, true));
    ok &= Write(dir + "rgb16.png", Png(2, 2, PNG_COLOR_TYPE_RGB, 16, false));
    ok &= Write(dir + "palette.png", Png(4, 4, PNG_COLOR_TYPE_PALETTE, 8, false));
    ok &= Write(dir + "grey2.png", Png(7, 2, PNG_COLOR_TYPE_GRAY, 2, false));
    Bytes cut = Png(16, 16, PNG_COLOR_TYPE_RGB, 8, false);
    cut.resize(cut.size() / 2);
    return ok && Write(dir + "truncated.png", cut);
}

bool WriteJpegs(const std::string& dir) {
    bool ok = Write(dir + "grey.jpg", Jpeg(8, 8, 1, false));
    ok &= Write(dir + "rgb.jpg", Jpeg(17, 9, 3, false));
    ok &= Write(dir + "progressive.jpg", Jpeg(16, 16, 3, true));
    Bytes cut = Jpeg(16, 16, 3, false);
    cut.resize(cut.size() * 2 / 3);
    return ok && Write(dir + "truncated.jpg", cut);
}

bool WriteText(const std::string& path, const std::string& text) {
    return Write(path, Bytes(text.begin(), text.end()));
}

// A textured, tagged, enveloped object with every kind of vertex map, a normal-map shader
// and clips that refer to each other.
LWBytes RichObject() {
    LWBytes tags, pnts, pols, ptag, smgp, uv, uvd, rgb, morf, wght;
    tags.S0("Wood").S0("Metal");
    const float p[6][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}};
    for (const auto& q : p) pnts.Vec(q[0], q[1], q[2]);
    pols.Id("FACE").U2(4).VX(0).VX(1).VX(2).VX(3).U2(3).VX4(0).VX4(4).VX4(5).U2(2).VX(1).VX(5);
    ptag.Id("SURF").VX(0).U2(0).VX(1).U2(1).VX(2).U2(1);
    smgp.Id("SMGP").VX(0).U2(1).VX(1).U2(1);
    uv.Id("TXUV").U2(2).S0("uv").VX(0).F4(0).F4(0).VX(1).F4(1).F4(0).VX(2).F4(1).F4(1).VX(3).F4(0).F4(1);
    uvd.Id("TXUV").U2(2).S0("uv").VX(0).VX(1).F4(0.5f).F4(0.5f);
    rgb.Id("RGBA").U2(4).S0("paint").VX(4).F4(1).F4(0).F4(0).F4(1);
    morf.Id("MORF").U2(3).S0("bulge").VX(2).F4(0).F4(0.5f).F4(0.25f);
    wght.Id("WGHT").U2(1).S0("arm").VX(5).F4(0.75f);
    LWBytes header, tmap, imap, nmapHeader, shader;
    header.S0("\x80").Sub("CHAN", LWBytes().Id("COLR")).Sub("ENAB", LWBytes().U2(1));
    header.Sub("OPAC", LWBytes().U2(0).F4(1).VX(0));
    tmap.Sub("CNTR", LWBytes().Vec(0, 0, 0).VX(1)).Sub("SIZE", LWBytes().Vec(1, 1, 1).VX(0));
    tmap.Sub("ROTA", LWBytes().Vec(0, 0, 0).VX(0)).Sub("CSYS", LWBytes().U2(0));
    imap.Sub("IMAP", header).Sub("TMAP", tmap).Sub("PROJ", LWBytes().U2(5)).Sub("AXIS", LWBytes().U2(1));
    imap.Sub("IMAG", LWBytes().VX(2)).Sub("WRAP", LWBytes().U2(1).U2(2)).Sub("VMAP", LWBytes().S0("uv"));
    imap.Sub("WRPW", LWBytes().F4(1)).Sub("WRPH", LWBytes().F4(2)).Sub("PIXB", LWBytes().U2(1));
    imap.Sub("TAMP", LWBytes().F4(1).VX(0));
    LWBytes planar = imap;
    nmapHeader.S0("\x81").Sub("ENAB", LWBytes().U2(1));
    LWBytes clip, txtr, tblk, nmap, func;
    clip.Sub("STIL", LWBytes().S0("images/normal.png")).Sub("FLAG", LWBytes().U4(0));
    txtr.Sub("ICNT", LWBytes().U2(1)).Sub("CLIP", clip);
    tblk.Sub("BLOK", planar);
    nmap.Sub("TXTR", txtr).Sub("TBLK", tblk);
    func.S0("NormalMapShader").Sub("NMAP", nmap);
    shader.Sub("SHDR", nmapHeader).Sub("FUNC", func);
    LWBytes wood, metal;
    wood.S0("Wood")
        .S0("")
        .Sub("COLR", LWBytes().Vec(0.6f, 0.4f, 0.2f).VX(1))
        .Sub("DIFF", LWBytes().F4(0.8f).VX(4));
    wood.Sub("SMAN", LWBytes().F4(1.2f)).Sub("SIDE", LWBytes().U2(3)).Sub("BLOK", imap).Sub("BLOK", shader);
    wood.Sub("VCOL", LWBytes().F4(1).VX(0).Id("RGBA").S0("paint"));
    metal.S0("Metal").S0("").Sub("SPEC", LWBytes().F4(0.9f).VX(0)).Sub("GLOS", LWBytes().F4(0.6f).VX(0));
    metal.Sub("RIMG", LWBytes().VX(3)).Sub("REFL", LWBytes().F4(0.3f).VX(0));
    LWBytes still, xref, envl, envl2, envl3;
    still.U4(2).Sub("STIL", LWBytes().S0("images/wood.png"));
    xref.U4(3).Sub("XREF", LWBytes().U4(2).S0("again"));
    envl.VX(1).Sub("TYPE", LWBytes().U2(0x0301)).Sub("PRE ", LWBytes().U2(2)).Sub("POST", LWBytes().U2(4));
    envl.Sub("KEY ", LWBytes().F4(0).F4(0.1f)).Sub("SPAN", LWBytes().Id("TCB ").F4(0).F4(0).F4(0));
    envl.Sub("KEY ", LWBytes().F4(1).F4(0.9f))
        .Sub("SPAN", LWBytes().Id("BEZ2").F4(-0.3f).F4(0).F4(0.3f).F4(0));
    envl.Sub("KEY ", LWBytes().F4(2).F4(0.5f))
        .Sub("SPAN", LWBytes().Id("HERM").F4(0).F4(0).F4(0).F4(1).F4(1));
    envl2.VX(2).Sub("KEY ", LWBytes().F4(0).F4(0)).Sub("SPAN", LWBytes().Id("STEP"));
    envl3.VX(3).Sub("KEY ", LWBytes().F4(0).F4(0)).Sub("SPAN", LWBytes().Id("LINE"));
    LWBytes body;
    body.Chunk("TAGS", tags).Chunk("LAYR", LWBytes().U2(0).U2(0).Vec(0, 0, 0).S0("base").U2(0xFFFF));
    body.Chunk("PNTS", pnts).Chunk("VMAP", uv).Chunk("VMAP", rgb).Chunk("VMAP", morf).Chunk("VMAP", wght);
    body.Chunk("POLS", pols).Chunk("PTAG", ptag).Chunk("PTAG", smgp).Chunk("VMAD", uvd);
    body.Chunk("LAYR", LWBytes().U2(1).U2(0).Vec(1, 2, 3).S0("child").U2(0));
    body.Chunk("PNTS", LWBytes().Vec(0, 0, 0).Vec(0, 1, 0).Vec(1, 0, 0));
    body.Chunk("POLS", LWBytes().Id("PTCH").U2(3).VX(0).VX(1).VX(2));
    body.Chunk("CLIP", still).Chunk("CLIP", xref);
    body.Chunk("ENVL", envl).Chunk("ENVL", envl2).Chunk("ENVL", envl3).Chunk("ENVL", envl3);
    body.Chunk("SURF", wood).Chunk("SURF", metal);
    return LWForm(body);
}

bool WriteLightWaveObjects(const std::string& dir) {
    const LWBytes rich = RichObject();
    bool ok = Write(dir + "rich.lwo", rich.b);
    Bytes cut = rich.b;
    cut.resize(cut.size() * 3 / 5);
    ok &= Write(dir + "truncated.lwo", cut);
    // A cube with a smoothing angle, as in the reader's tests.
    LWBytes pnts, pols, ptag;
    for (int i = 0; i < 8; ++i) pnts.Vec(i & 1 ? 1.f : -1.f, i & 2 ? 1.f : -1.f, i & 4 ? 1.f : -1.f);
    const int faces[6][4] = {{2, 3, 1, 0}, {7, 6, 4, 5}, {6, 7, 3, 2},
                             {0, 1, 5, 4}, {3, 7, 5, 1}, {6, 2, 0, 4}};
    pols.Id("FACE");
    for (const auto& f : faces) pols.U2(4).VX(f[0]).VX(f[1]).VX(f[2]).VX(f[3]);
    ptag.Id("SURF");
    for (int i = 0; i < 6; ++i) ptag.VX(i).U2(0);
    LWBytes body;
    body.Chunk("TAGS", LWBytes().S0("Cube")).Chunk("LAYR", LWBytes().U2(0).U2(0).Vec(0, 0, 0).S0(""));
    body.Chunk("PNTS", pnts).Chunk("POLS", pols).Chunk("PTAG", ptag);
    body.Chunk("SURF", LWBytes().S0("Cube").S0("").Sub("SMAN", LWBytes().F4(1.6f)));
    ok &= Write(dir + "cube.lwo", LWForm(body).b);

    // What the asset generator's writer makes: bevelled, turned and round solids with
    // projected and UV-mapped image layers.
    LWObjectWriter writer;
    const uint32_t clip = writer.AddClip("images/grain.png");
    writer.AddLayer("box");
    const float centre[3] = {0, 0.5f, 0}, size[3] = {1, 1, 1};
    LWShapes::AddBevelBox(writer, centre, size, 0.1f, "Box");
    for (uint32_t p = 0; p < writer.PointCount(); ++p) writer.SetUV("uv", p, p * 0.1f, 1 - p * 0.05f);
    writer.AddLayer("turned", 1, 0, 0, 0);
    LWShapes::AddLathe(writer, 1, 0, {{0, 0}, {0.2f, 0}, {0.25f, 0.4f}, {0.1f, 0.8f}}, 8, "Turned");
    LWShapes::AddSphere(writer, centre, 0.3f, 4, 6, "Turned");
    LWSurfaceDesc& box = writer.AddSurface("Box");
    LWImageMapDesc uv;
    uv.clip = clip;
    uv.uvMap = "uv";
    box.imageMaps.push_back(uv);
    LWSurfaceDesc& turned = writer.AddSurface("Turned");
    turned.smoothingDegrees = 60;
    LWImageMapDesc cylinder;
    cylinder.clip = clip;
    cylinder.projection = 1;
    turned.imageMaps.push_back(cylinder);
    turned.colourEnvelope = writer.AddEnvelope(LWEnvelopeDesc().Add(0, 1).Add(1, 0.5f, 0));
    writer.AddEnvelope(LWEnvelopeDesc().Add(0, 0.5f));
    writer.AddEnvelope(LWEnvelopeDesc().Add(0, 0.25f, 4));
    ok &= Write(dir + "written.lwo", writer.Write());
    return ok;
}

bool WriteLightWaveScenes(const std::string& dir) {
    const std::string envelope =
        "{ Envelope\n  2\n  Key 0 0 0 0 0 0 0 0 0\n  Key 1 1 5 -0.3 0 0.3 0 0 0\n"
        "  Behaviors 3 4\n}\n";
    const std::string motion = "NumChannels 2\nChannel 0\n" + envelope + "Channel 7\n" + envelope;
    const std::string current =
        "LWSC\n5\n\nFirstFrame 1\nLastFrame 60\nFramesPerSecond 30\nAmbientColor (envelope)\n" + envelope +
        envelope + envelope + "AmbientIntensity 0.25\nFogType 1\nFogMaxDistance (envelope)\n" + envelope +
        "\nLoadObjectLayer 1 10000000 objects/rich.lwo\nObjectMotion\n" + motion +
        "ObjectDissolve (envelope)\n" + envelope +
        "MorphTarget 2\nMTSEMorphing 1\nMorphAmount 0.5\n"
        "Plugin DisplacementHandler 1 LW_MorphMixer\n{ MorfForm\n  \"bulge\"\n  Flags 0\n" +
        envelope +
        "}\nEndPlugin\nDisplacementMaps\n{ TextureBlock\n  { Texture\n    ImageMap \x80\n    Opacity 0 1 "
        "1\n" +
        envelope +
        "    { TextureMap\n      Center 0 0 0\n      Size 1 1 1\n      Rotation 0 0 0\n    }\n"
        "    { Image\n      { Clip\n        Still images/dent.png\n      }\n    }\n    WrapOptions 1 2\n"
        "    TextureAmplitude 0.2\n  }\n}\n"
        "AddBone 40000000\nBoneName root\nParentItem 10000000\nBoneRestPosition 0 1 0\nBoneMotion\n" +
        motion +
        "AddBone 40010000\nBoneName tip\nParentItem 40000000\nBoneWeightMapName arm\n"
        "LoadObjectLayer 2 10000001 objects/rich.lwo\nParentItem 10000000\nMorphTarget 1\n"
        "AddNullObject 10000002 Null Target\nPivotRotation 90 0 30\n"
        "Plugin CustomObjHandler 1 FX_Emitter\nUnseenByCamera 1\nEndPlugin\n"
        "AddLight 20000000\nLightName Key Light\nLightMotion\n" +
        motion +
        "LightColor 1 0.9 0.8\n"
        "LightConeAngle (envelope)\n" +
        envelope +
        "TargetItem 10000002\nHController 1\nPController 1\n"
        "Plugin LightHandler 1 SpotLight\n{ Block\n  1\n}\nEndPlugin\n"
        "AddCamera 30000000\nCameraName Camera\nCameraMotion\n" +
        motion + "ZoomFactor (envelope)\n" + envelope +
        "FrameSize 640 480\nPixelAspect 1\n"
        "{ Nodes\n  { Data\n  }\n}\n";
    bool ok = WriteText(dir + "current.lws", current);
    std::string crlf;
    for (char c : current) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    ok &= WriteText(dir + "crlf.lws", crlf);
    ok &= WriteText(dir + "old.lws",
                    "LWSC\n3\nLoadObjectLayer 1 objects/a b.lwo\nAddNullObject Pivot\nParentItem 10000000\n"
                    "AddLight\nLightName Sun\nAddCamera\nTargetItem 10000001\nAddBone\nBoneName b\n");
    ok &= WriteText(dir + "truncated.lws", current.substr(0, current.size() / 2));

    LWSceneWriter writer;
    writer.SetFrames(-10, 50, 25);
    const uint32_t object = writer.AddObject("objects/written.lwo", 2);
    const uint32_t target = writer.AddNull("Aim Here");
    writer.SetParent(object, target);
    LWMotionDesc path;
    path.channels[0] = LWEnvelopeDesc().Add(0, 0, 0).Add(1, 2, 1).Add(2, 0, 2);
    writer.SetMotion(object, path);
    const uint32_t light = writer.AddLight("Spot", 1, 1, 1, 0.8f, 2);
    writer.SetTarget(light, target);
    writer.SetMotion(writer.AddCamera("Camera"), LWMotionDesc().Position(0, 1, -4).Rotation(0, 0.2f, 0));
    ok &= WriteText(dir + "written.lws", writer.Write());
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "Usage: fuzz_seed_generator <corpus dir>\n");
        return 2;
    }
    SetLogSinks(stderr, nullptr);
    std::string root = argv[1];
    if (root.back() != '/') root += '/';
    for (const char* target : {"datafile/", "png/", "jpeg/", "lwo/", "lws/"})
        Loader::CreatePath(root + target);
    const bool ok = WriteDataFiles(root + "datafile/") && WritePngs(root + "png/") &&
                    WriteJpegs(root + "jpeg/") && WriteLightWaveObjects(root + "lwo/") &&
                    WriteLightWaveScenes(root + "lws/");
    return ok ? 0 : 1;
}
