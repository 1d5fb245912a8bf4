#include "lightwave/LWObjectReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/Log.h"
#include "io/Loader.h"
#include "lightwave/LWObject.h"

namespace {

// Envelope references are stored zero-based; the file counts from 1 and uses 0 for none.
int32_t EnvelopeRef(uint32_t vx) {
    return static_cast<int32_t>(vx) - 1;
}

void ReadParameter(LWByteCursor& data, LWParameter& parameter) {
    parameter.value = data.F4();
    parameter.envelopeIndex = EnvelopeRef(data.VX());
}

void ReadVectorParameter(LWByteCursor& data, LWVectorParameter& vector) {
    float v[3];
    data.VEC12(v);
    const int32_t envelope = EnvelopeRef(data.VX());
    for (int i = 0; i < 3; ++i) vector.c[i].value = v[i];
    vector.envelopeIndex = envelope;
}

std::string ChannelText(uint32_t id) {
    return LWIDText(id);
}

float BigEndianFloat(const uint8_t* p) {
    const uint32_t bits = (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
                          (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

// Nested blocks (a shader holding a block holding a shader ...) are legal but never deep.
constexpr int kMaxBlockDepth = 8;

}  // namespace

std::string LWObjectReader::ImageDirectory(const std::string& objectDirectory) {
    std::string dir = objectDirectory;
    while (dir.find("objects/") != std::string::npos || dir.find("Objects/") != std::string::npos) {
        // Cut the last directory component: keep up to and including the '/' before it.
        const size_t end = dir.size() >= 2 ? dir.find_last_of('/', dir.size() - 2) : std::string::npos;
        dir = end == std::string::npos ? std::string() : dir.substr(0, end + 1);
    }
    return dir + "images/";
}

std::unique_ptr<LWObject> LWObjectReader::Load(Loader* loader, const std::string& fileName) {
    LogMessage(LOG_INFO, "* Loading LWObject: ", fileName);
    if (!loader) return nullptr;
    uint32_t size = 0;
    std::unique_ptr<uint8_t[]> data = loader->LoadFile(fileName, size);
    if (!data) return nullptr;
    const size_t slash = fileName.find_last_of('/');
    LWObjectReader reader;
    reader.SetDirectory(slash == std::string::npos ? std::string() : fileName.substr(0, slash + 1));
    return reader.Read(data.get(), size, slash == std::string::npos ? fileName : fileName.substr(slash + 1));
}

void LWObjectReader::Warn(const std::string& what) {
    LogMessage(LOG_WARNING, "LWObject " + m_name + ": " + what);
}

void LWObjectReader::Fail(const std::string& what) {
    if (m_failed) return;
    m_failed = true;
    LogMessage(LOG_ERROR, "Loading LWObject failed: " + m_name + ": " + what);
}

void LWObjectReader::CheckComplete(const LWChunk& chunk, const char* what) {
    if (chunk.data.Overrun())
        Warn(std::string(what) + " \"" + LWIDText(chunk.id) + "\" at byte " + std::to_string(chunk.offset) +
             " ends inside a value; the incomplete entry is ignored.");
}

bool LWObjectReader::WalkFailed(LWChunkWalker& walker, const char* parent) {
    if (!walker.Broken()) return false;
    const LWChunk& broken = walker.Current();
    Fail(std::string("sub-chunk \"") + LWIDText(broken.id) + "\" at byte " + std::to_string(broken.offset) +
         " runs past its " + parent + ".");
    return true;
}

LWLayer* LWObjectReader::RequireLayer(const LWChunk& chunk) {
    if (!m_layer) Warn(LWIDText(chunk.id) + " chunk before any LAYR ignored.");
    return m_layer;
}

std::unique_ptr<LWObject> LWObjectReader::Read(const uint8_t* data, uint64_t size, const std::string& name) {
    m_name = name;
    m_failed = false;
    m_layer = nullptr;
    m_polygonBase = 0;
    LWByteCursor file(data, size);
    if (size < 12 || file.ID4() != LWID("FORM")) {
        LogMessage(LOG_ERROR, "Invalid LWObject format file: ", name);
        return nullptr;
    }
    uint64_t formEnd = 8 + static_cast<uint64_t>(file.U4());
    if (file.ID4() != LWID("LWO2")) {
        LogMessage(LOG_ERROR, "LWO2 file format tag not found in the file: ", name);
        return nullptr;
    }
    if (formEnd < 12) {
        // Too small even for its own type: there is nothing inside to read.
        Warn("the FORM size is smaller than its type; the file holds nothing.");
        formEnd = 12;
    }
    if (formEnd > size) {
        Warn("the FORM size runs past the end of the file; reading the " + std::to_string(size) +
             " bytes there are.");
        formEnd = size;
    }

    auto object = std::make_unique<LWObject>();
    object->name = name;
    m_object = object.get();
    LWByteCursor body(data + 12, formEnd - 12, 12);
    LWChunkWalker walker(body, false);
    while (!m_failed && walker.Next()) ReadChunk(walker.Current());
    if (!m_failed && walker.Broken()) {
        const LWChunk& broken = walker.Current();
        Fail("chunk \"" + LWIDText(broken.id) + "\" at byte " + std::to_string(broken.offset) +
             " runs past the end of the file.");
    }
    m_object = nullptr;
    m_layer = nullptr;
    if (m_failed) return nullptr;

    object->imageDirectory = ImageDirectory(m_directory);
    LogMessage(LOG_INFO, "* Preparing LWObject..");
    object->Prepare();
    LogMessage(LOG_INFO, "LWObject successfully read: ", name);
    return object;
}

void LWObjectReader::ReadChunk(LWChunk& chunk) {
    switch (chunk.id) {
        case LWID("TAGS"):
            ReadTags(chunk);
            break;
        case LWID("LAYR"):
            ReadLayer(chunk);
            break;
        case LWID("PNTS"):
            ReadPoints(chunk);
            break;
        case LWID("VMAP"):
            ReadVertexMap(chunk, false);
            break;
        case LWID("VMAD"):
            ReadVertexMap(chunk, true);
            break;
        case LWID("POLS"):
            ReadPolygons(chunk);
            break;
        case LWID("PTAG"):
            ReadPolygonTags(chunk);
            break;
        case LWID("SURF"):
            ReadSurface(chunk);
            break;
        case LWID("CLIP"):
            ReadClip(chunk);
            break;
        case LWID("ENVL"):
            ReadEnvelope(chunk);
            break;
        default:
            return;  // BBOX and everything unknown: bounds are computed, the rest unused
    }
    CheckComplete(chunk, "chunk");
}

void LWObjectReader::ReadTags(LWChunk& chunk) {
    while (!chunk.data.AtEnd()) {
        std::string tag = chunk.data.S0();
        if (chunk.data.Overrun() || tag.empty()) break;
        m_object->tags.push_back(std::move(tag));
    }
}

void LWObjectReader::ReadLayer(LWChunk& chunk) {
    auto layer = std::make_unique<LWLayer>();
    LWByteCursor& d = chunk.data;
    layer->object = m_object;
    layer->number = d.U2();
    layer->flags = d.U2();
    d.VEC12(layer->pivot);
    layer->pivot[2] = -layer->pivot[2];
    layer->name = d.S0();
    if (d.Remaining() >= 2) layer->parent = d.U2();
    m_layer = layer.get();
    m_polygonBase = 0;
    m_object->layers.push_back(std::move(layer));
}

void LWObjectReader::ReadPoints(LWChunk& chunk) {
    LWLayer* layer = RequireLayer(chunk);
    if (!layer) return;
    // A second PNTS adds to the layer's points instead of losing the first.
    const uint64_t count = chunk.data.Remaining() / 12;
    const size_t first = layer->points.size();
    layer->points.resize(first + count * 3);
    float* out = layer->points.data() + first;
    const uint8_t* raw = chunk.data.Peek(count * 12);
    for (uint64_t i = 0; i < count; ++i, out += 3, raw += 12) {
        out[0] = BigEndianFloat(raw);
        out[1] = BigEndianFloat(raw + 4);
        out[2] = -BigEndianFloat(raw + 8);
    }
    chunk.data.Skip(count * 12);
}

void LWObjectReader::ReadVertexMap(LWChunk& chunk, bool perPolygon) {
    LWLayer* layer = RequireLayer(chunk);
    if (!layer) return;
    LWByteCursor& d = chunk.data;
    LWVertexMap map;
    map.type = d.ID4();
    map.dimension = d.U2();
    map.name = d.S0();
    map.perPolygon = perPolygon;
    switch (map.type) {
        case LWID("TXUV"):
            map.kind = LWVertexMap::KIND_TXUV;
            break;
        case LWID("WGHT"):
            map.kind = LWVertexMap::KIND_WEIGHT;
            break;
        case LWID("MORF"):
        case LWID("SPOT"):
            if (perPolygon) return;
            map.kind = LWVertexMap::KIND_MORPH;
            map.absolute = map.type == LWID("SPOT");
            break;
        default:
            if ((map.type & 0xFFFFFF00u) != (LWID("RGB ") & 0xFFFFFF00u)) return;
            map.kind = LWVertexMap::KIND_RGBA;
            break;
    }
    if (d.Overrun()) return;
    map.components = LWVertexMap::Components(map.kind);
    const uint32_t pointCount = layer->PointCount();
    const uint32_t polygonCount = layer->PolygonCount();
    uint64_t badPoints = 0, badPolygons = 0;
    float values[4];
    map.points.reserve(d.Remaining() / (2 + 4 * std::max<uint64_t>(map.dimension, 1)));
    map.values.reserve(map.points.capacity() * map.components);
    // The common entry (a per-point map of two-byte index and at most four values) is
    // decoded straight from the bytes after one size check.
    const uint32_t given = std::min<uint32_t>(map.dimension, 4);
    const bool simple = !perPolygon && map.dimension == given && map.kind == LWVertexMap::KIND_TXUV;
    while (simple) {
        const uint8_t* raw = d.Peek(2 + 4ull * given);
        if (!raw || raw[0] == 0xFF) break;
        const uint32_t point = (static_cast<uint32_t>(raw[0]) << 8) | raw[1];
        d.Skip(2 + 4ull * given);
        if (point >= pointCount) {
            ++badPoints;
            continue;
        }
        map.points.push_back(point);
        map.values.push_back(given > 0 ? BigEndianFloat(raw + 2) : 0.0f);
        map.values.push_back(given > 1 ? BigEndianFloat(raw + 6) : 0.0f);
    }
    while (!d.AtEnd()) {
        const uint32_t point = d.VX();
        const uint32_t polygon = perPolygon ? d.VX() + m_polygonBase : 0;
        // The file's dimension sets the entry size whatever the type; missing values
        // take the kind's defaults and extra ones are skipped.
        if (const uint8_t* raw = d.Peek(4ull * given)) {
            for (uint32_t i = 0; i < given; ++i) values[i] = BigEndianFloat(raw + 4 * i);
            d.Skip(4ull * given);
        } else {
            for (uint32_t i = 0; i < given; ++i) values[i] = d.F4();
        }
        for (uint32_t i = given; i < 4; ++i) values[i] = 0.0f;
        if (map.dimension > 4) d.Skip(4ull * (map.dimension - 4));
        if (d.Overrun()) break;
        if (point >= pointCount) {
            ++badPoints;
            continue;
        }
        if (perPolygon && polygon >= polygonCount) {
            ++badPolygons;
            continue;
        }
        map.points.push_back(point);
        if (perPolygon) map.polygons.push_back(polygon);
        switch (map.kind) {
            case LWVertexMap::KIND_RGBA:
                if (map.dimension != 4) values[3] = 1.0f;
                break;
            case LWVertexMap::KIND_MORPH:
                values[2] = -values[2];
                break;
            default:
                break;
        }
        for (uint32_t i = 0; i < map.components; ++i) map.values.push_back(values[i]);
    }
    const std::string what = LWIDText(chunk.id) + " \"" + map.name + "\"";
    if (badPoints)
        Warn(what + ": " + std::to_string(badPoints) + " entries name points beyond the layer's " +
             std::to_string(pointCount) + "; skipped.");
    if (badPolygons)
        Warn(what + ": " + std::to_string(badPolygons) + " entries name polygons beyond the layer's " +
             std::to_string(polygonCount) + "; skipped.");
    layer->vertexMaps.push_back(std::move(map));
}

void LWObjectReader::ReadPolygons(LWChunk& chunk) {
    LWLayer* layer = RequireLayer(chunk);
    if (!layer) return;
    LWByteCursor& d = chunk.data;
    const uint32_t type = d.ID4();
    if (type != LWID("FACE") && type != LWID("CURV") && type != LWID("PTCH")) return;
    // A layer may hold several POLS chunks; tags and per-polygon maps that follow one refer
    // to its own polygons, which start here.
    m_polygonBase = layer->PolygonCount();
    const uint32_t pointCount = layer->PointCount();
    // Every index takes at least two bytes; most polygons are triangles and quads.
    layer->polygonVertices.reserve(layer->polygonVertices.size() + d.Remaining() / 2);
    layer->polygons.reserve(layer->polygons.size() + d.Remaining() / 8);
    uint64_t badPolygons = 0;
    uint32_t indices[1024];
    while (!d.AtEnd()) {
        const uint16_t word = d.U2();
        const uint32_t count = word & 0x03FFu;
        bool valid = true;
        if (const uint8_t* raw = d.Peek(4ull * count)) {
            // Room for the widest encoding: decode without a check per index.
            const uint8_t* at = raw;
            for (uint32_t i = 0; i < count; ++i) {
                if (at[0] == 0xFF) {
                    indices[i] =
                        (static_cast<uint32_t>(at[1]) << 16) | (static_cast<uint32_t>(at[2]) << 8) | at[3];
                    at += 4;
                } else {
                    indices[i] = (static_cast<uint32_t>(at[0]) << 8) | at[1];
                    at += 2;
                }
                valid = valid && indices[i] < pointCount;
            }
            d.Skip(static_cast<uint64_t>(at - raw));
        } else {
            for (uint32_t i = 0; i < count; ++i) {
                indices[i] = d.VX();
                if (indices[i] >= pointCount) valid = false;
            }
        }
        if (d.Overrun()) break;
        LWPolygon polygon;
        polygon.type = type == LWID("FACE")
                           ? LWPolygon::TYPE_FACE
                           : (type == LWID("CURV") ? LWPolygon::TYPE_CURVE : LWPolygon::TYPE_PATCH);
        polygon.flags = static_cast<uint8_t>(word >> 10);
        polygon.first = static_cast<uint32_t>(layer->polygonVertices.size());
        // A polygon naming points that do not exist stays in the list without vertices,
        // so that the tags after it still find their polygons.
        if (!valid) ++badPolygons;
        polygon.count = static_cast<uint16_t>(valid ? count : 0);
        for (uint32_t i = polygon.count; i-- > 0;) layer->polygonVertices.push_back(indices[i]);
        layer->polygons.push_back(polygon);
    }
    if (badPolygons)
        Warn("POLS: " + std::to_string(badPolygons) + " polygons name points beyond the layer's " +
             std::to_string(pointCount) + "; they are not drawn.");
}

void LWObjectReader::ReadPolygonTags(LWChunk& chunk) {
    LWLayer* layer = RequireLayer(chunk);
    if (!layer) return;
    LWByteCursor& d = chunk.data;
    const uint32_t type = d.ID4();
    if (type != LWID("SURF") && type != LWID("SMGP")) return;
    uint64_t bad = 0;
    while (!d.AtEnd()) {
        const uint64_t polygon = static_cast<uint64_t>(d.VX()) + m_polygonBase;
        const uint16_t tag = d.U2();
        if (d.Overrun()) break;
        if (polygon >= layer->polygons.size()) {
            ++bad;
            continue;
        }
        if (type == LWID("SURF")) {
            layer->polygons[polygon].surfaceTag = tag;
        } else {
            layer->polygons[polygon].smoothingGroup = tag;
        }
    }
    if (bad)
        Warn("PTAG " + LWIDText(type) + ": " + std::to_string(bad) +
             " entries name polygons beyond the layer's " + std::to_string(layer->polygons.size()) +
             "; skipped.");
}

void LWObjectReader::ReadSurface(LWChunk& chunk) {
    auto surface = std::make_unique<LWSurface>();
    LWByteCursor& d = chunk.data;
    surface->name = d.S0();
    surface->source = d.S0();
    LWChunkWalker walker(d, true);
    while (walker.Next()) {
        LWChunk& sub = walker.Current();
        LWByteCursor& s = sub.data;
        switch (sub.id) {
            case LWID("CMNT"):
                surface->comment = s.S0();
                break;
            case LWID("COLR"):
                ReadVectorParameter(s, surface->colour);
                break;
            case LWID("DIFF"):
                ReadParameter(s, surface->diffuse);
                break;
            case LWID("LUMI"):
                ReadParameter(s, surface->luminosity);
                break;
            case LWID("SPEC"):
                ReadParameter(s, surface->specular);
                break;
            case LWID("REFL"):
                ReadParameter(s, surface->reflection);
                break;
            case LWID("TRAN"):
                ReadParameter(s, surface->transparency);
                break;
            case LWID("TRNL"):
                ReadParameter(s, surface->translucency);
                break;
            case LWID("GLOS"):
                ReadParameter(s, surface->glossiness);
                break;
            case LWID("BUMP"):
                ReadParameter(s, surface->bump);
                break;
            case LWID("CLRH"):
                ReadParameter(s, surface->colourHighlights);
                break;
            case LWID("GVAL"):
                ReadParameter(s, surface->glow);
                break;
            case LWID("SIDE"):
                surface->doubleSided = s.U2() != 1;
                break;
            case LWID("SMAN"):
                surface->smoothingAngle = std::max(0.0f, s.F4());
                break;
            case LWID("RIMG"): {
                // Clip 0 is the file format's "no image".
                const uint32_t clip = s.VX();
                surface->reflectionImage = clip ? static_cast<int32_t>(clip) : -1;
                break;
            }
            case LWID("BLOK"):
                ReadBlock(sub, *surface);
                break;
            case LWID("VCOL"): {
                const float intensity = s.F4();
                const int32_t envelope = EnvelopeRef(s.VX());
                const uint32_t mapType = s.ID4();
                const std::string mapName = s.S0();
                const bool rgb = (mapType & 0xFFFFFF00u) == (LWID("RGB ") & 0xFFFFFF00u);
                if (!surface->hasVertexColour && rgb && !s.Overrun()) {
                    surface->hasVertexColour = true;
                    surface->vertexColourIntensity = intensity;
                    surface->vertexColourEnvelope = envelope;
                    surface->vertexColourMap = mapName;
                }
                break;
            }
            default:
                break;
        }
        CheckComplete(sub, "sub-chunk");
        if (m_failed) return;
    }
    if (WalkFailed(walker, "SURF")) return;
    if (!std::isfinite(surface->smoothingAngle)) surface->smoothingAngle = 0.0f;
    m_object->surfaces.push_back(std::move(surface));
}

void LWObjectReader::ReadBlock(LWChunk& block, LWSurface& surface) {
    if (m_blockDepth >= kMaxBlockDepth) {
        Warn("texture blocks nested too deeply; the inner ones are skipped.");
        return;
    }
    ++m_blockDepth;
    LWChunkWalker walker(block.data, true);
    if (walker.Next()) {
        LWChunk header = walker.Current();
        if (header.id == LWID("IMAP")) {
            LWTextureLayer layer;
            if (ReadImageMap(header, block.data, layer)) surface.InsertTextureLayer(layer);
        } else if (header.id == LWID("SHDR")) {
            ReadShader(header, block.data, surface);
        }
    } else {
        WalkFailed(walker, "BLOK");
    }
    --m_blockDepth;
}

// The header sub-chunk holds the ordinal and the layer's channel settings; the rest of the
// block (what follows the header in `rest`) holds the mapping.
bool LWObjectReader::ReadImageMap(LWChunk& header, LWByteCursor& rest, LWTextureLayer& layer) {
    layer.ordinal = header.data.S0();
    LWChunkWalker headerWalker(header.data, true);
    while (headerWalker.Next()) {
        LWByteCursor& s = headerWalker.Current().data;
        switch (headerWalker.Current().id) {
            case LWID("CHAN"):
                layer.channel = ChannelText(s.ID4());
                break;
            case LWID("ENAB"):
                layer.enabled = s.U2() != 0;
                break;
            case LWID("OPAC"):
                layer.opacityType = s.U2();
                ReadParameter(s, layer.opacity);
                break;
            case LWID("NEGA"):
                layer.negative = s.U2() == 1;
                break;
            default:
                break;
        }
    }
    if (WalkFailed(headerWalker, "block header")) return false;

    LWChunkWalker walker(rest, true);
    while (walker.Next()) {
        LWChunk& sub = walker.Current();
        LWByteCursor& s = sub.data;
        switch (sub.id) {
            case LWID("TMAP"):
                ReadTextureMap(sub, layer);
                break;
            case LWID("PROJ"):
                layer.projection = s.U2();
                break;
            case LWID("AXIS"):
                layer.axis = s.U2();
                break;
            case LWID("IMAG"): {
                const uint32_t clip = s.VX();
                if (clip) layer.image = static_cast<int32_t>(clip);
                break;
            }
            case LWID("WRAP"):
                layer.widthWrap = s.U2();
                layer.heightWrap = s.U2();
                break;
            case LWID("WRPW"):
                layer.widthRepeat = s.F4();
                break;
            case LWID("WRPH"):
                layer.heightRepeat = s.F4();
                break;
            case LWID("VMAP"):
                layer.uvMapName = s.S0();
                break;
            case LWID("PIXB"):
                layer.pixelBlending = s.U2() != 0;
                break;
            case LWID("TAMP"):
                ReadParameter(s, layer.amplitude);
                break;
            default:
                break;
        }
        CheckComplete(sub, "sub-chunk");
        if (m_failed) return false;
    }
    if (WalkFailed(walker, "BLOK")) return false;
    return layer.enabled && layer.image > 0;
}

void LWObjectReader::ReadTextureMap(LWChunk& tmap, LWTextureLayer& layer) {
    LWChunkWalker walker(tmap.data, true);
    while (walker.Next()) {
        LWByteCursor& s = walker.Current().data;
        switch (walker.Current().id) {
            case LWID("CNTR"):
                ReadVectorParameter(s, layer.centre);
                break;
            case LWID("SIZE"):
                ReadVectorParameter(s, layer.size);
                break;
            case LWID("ROTA"):
                ReadVectorParameter(s, layer.rotation);
                break;
            case LWID("CSYS"):
                layer.worldCoordinates = s.U2() == 1;
                break;
            default:
                break;
        }
    }
    WalkFailed(walker, "TMAP");
}

void LWObjectReader::ReadShader(LWChunk& header, LWByteCursor& rest, LWSurface& surface) {
    LWShaderBlock shader;
    shader.ordinal = header.data.S0();
    LWChunkWalker headerWalker(header.data, true);
    while (headerWalker.Next()) {
        if (headerWalker.Current().id == LWID("ENAB")) shader.enabled = headerWalker.Current().data.U2() != 0;
    }
    if (WalkFailed(headerWalker, "block header")) return;
    LWChunkWalker walker(rest, true);
    if (shader.enabled && walker.Next() && walker.Current().id == LWID("FUNC")) {
        LWByteCursor& func = walker.Current().data;
        shader.server = func.S0();
        if (shader.server == "NormalMapShader") ReadNormalMapShader(func, surface);
    }
    if (WalkFailed(walker, "BLOK")) return;
    // Kept in ordinal order.
    auto at = std::upper_bound(surface.shaderBlocks.begin(), surface.shaderBlocks.end(), shader,
                               [](const LWShaderBlock& a, const LWShaderBlock& b) {
                                   return std::strcmp(a.ordinal.c_str(), b.ordinal.c_str()) < 0;
                               });
    surface.shaderBlocks.insert(at, shader);
}

// NMAP { TXTR { ICNT, IMGS, CLIP { STIL, FLAG } ... }, TBLK { BLOK ... } }: the first
// still image is the normal map, the block is its texture layer.
void LWObjectReader::ReadNormalMapShader(LWByteCursor& data, LWSurface& surface) {
    LWChunkWalker walker(data, true);
    if (!walker.Next() || walker.Current().id != LWID("NMAP")) {
        WalkFailed(walker, "FUNC");
        return;
    }
    LWChunkWalker parts(walker.Current().data, true);
    while (parts.Next()) {
        LWChunk& part = parts.Current();
        if (part.id == LWID("TXTR")) {
            LWChunkWalker entries(part.data, true);
            while (entries.Next()) {
                if (entries.Current().id != LWID("CLIP")) continue;
                LWChunkWalker clip(entries.Current().data, true);
                while (clip.Next()) {
                    if (clip.Current().id == LWID("STIL") && surface.normalMapImage.empty())
                        surface.normalMapImage = clip.Current().data.S0();
                }
                if (WalkFailed(clip, "CLIP")) return;
            }
            if (WalkFailed(entries, "TXTR")) return;
        } else if (part.id == LWID("TBLK")) {
            LWChunkWalker blocks(part.data, true);
            while (blocks.Next()) {
                if (blocks.Current().id != LWID("BLOK")) continue;
                LWSurface scratch;
                ReadBlock(blocks.Current(), scratch);
                for (LWTextureLayer layer : scratch.textureLayers) {
                    layer.channel = "NMAP";
                    surface.InsertTextureLayer(layer);
                }
            }
            if (WalkFailed(blocks, "TBLK")) return;
        }
    }
    WalkFailed(parts, "NMAP");
}

void LWObjectReader::ReadClip(LWChunk& chunk) {
    LWClip clip;
    clip.index = chunk.data.U4();
    LWChunkWalker walker(chunk.data, true);
    while (walker.Next()) {
        LWByteCursor& s = walker.Current().data;
        if (walker.Current().id == LWID("STIL")) {
            clip.fileName = s.S0();
            clip.reference = -1;
        } else if (walker.Current().id == LWID("XREF")) {
            clip.reference = s.U4();
            clip.fileName = s.S0();
        }
    }
    if (WalkFailed(walker, "CLIP")) return;
    m_object->clips.push_back(std::move(clip));
}

void LWObjectReader::ReadEnvelope(LWChunk& chunk) {
    LWEnvelope envelope;
    // The envelope's own number is a variable-length index like every other reference.
    envelope.index = chunk.data.VX();
    bool haveKey = false;
    float keyTime = 0.0f, keyValue = 0.0f;
    LWChunkWalker walker(chunk.data, true);
    while (walker.Next()) {
        LWByteCursor& s = walker.Current().data;
        const uint32_t id = walker.Current().id;
        if (id == LWID("PRE ")) {
            envelope.preBehavior = s.U2();
        } else if (id == LWID("POST")) {
            envelope.postBehavior = s.U2();
        } else if (id == LWID("KEY ")) {
            keyTime = s.F4();
            keyValue = s.F4();
            haveKey = !s.Overrun();
        } else if (id == LWID("SPAN") && haveKey) {
            const uint32_t shape = LWEnvelope::ShapeFromId(s.ID4());
            float p[6] = {0, 0, 0, 0, 0, 0};
            for (int i = 0; i < 6 && s.Remaining() >= 4; ++i) p[i] = s.F4();
            envelope.AddKey(keyTime, keyValue, shape, p[0], p[1], p[2], p[3], p[4], p[5]);
            haveKey = false;
        }
    }
    if (WalkFailed(walker, "ENVL")) return;
    m_object->envelopes.push_back(std::move(envelope));
}
