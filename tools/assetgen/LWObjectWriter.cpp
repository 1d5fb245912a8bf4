#include "LWObjectWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// Big-endian IFF bytes with chunk (4-byte size) and sub-chunk (2-byte size) framing.
class Iff {
public:
    std::vector<uint8_t> bytes;

    Iff& Id(const char* id) {
        bytes.insert(bytes.end(), id, id + 4);
        return *this;
    }
    Iff& U2(uint32_t v) {
        bytes.push_back(static_cast<uint8_t>(v >> 8));
        bytes.push_back(static_cast<uint8_t>(v));
        return *this;
    }
    Iff& U4(uint32_t v) {
        for (int s = 24; s >= 0; s -= 8) bytes.push_back(static_cast<uint8_t>(v >> s));
        return *this;
    }
    Iff& F4(float f) {
        uint32_t v;
        std::memcpy(&v, &f, 4);
        return U4(v);
    }
    Iff& Vec(const float* v) { return F4(v[0]).F4(v[1]).F4(v[2]); }
    Iff& VX(uint32_t v) { return v < 0xFF00 ? U2(v) : U4(0xFF000000u | v); }
    Iff& S0(const std::string& s) {
        bytes.insert(bytes.end(), s.begin(), s.end());
        bytes.push_back(0);
        if (bytes.size() & 1) bytes.push_back(0);
        return *this;
    }
    Iff& Chunk(const char* id, const Iff& body) {
        Id(id).U4(static_cast<uint32_t>(body.bytes.size()));
        return Append(body);
    }
    Iff& Sub(const char* id, const Iff& body) {
        Id(id).U2(static_cast<uint32_t>(body.bytes.size()));
        return Append(body);
    }

private:
    Iff& Append(const Iff& body) {
        bytes.insert(bytes.end(), body.bytes.begin(), body.bytes.end());
        if (body.bytes.size() & 1) bytes.push_back(0);
        return *this;
    }
};

// S0 pads relative to its own start, which the writer keeps even by construction.
Iff Parameter(float value) {
    return Iff().F4(value).VX(0);
}

const char* SpanId(uint32_t shape) {
    static const char* ids[] = {"TCB ", "HERM", "BEZI", "LINE", "STEP"};
    return shape < 5 ? ids[shape] : "TCB ";
}

Iff ImageMap(const LWImageMapDesc& map, int ordinal) {
    // Ordinals order the layers of a channel; 0x80 + n keeps them single-byte and sorted.
    const char text[2] = {static_cast<char>(0x80 + ordinal), 0};
    Iff header;
    header.S0(text).Sub("CHAN", Iff().Id(map.channel.c_str())).Sub("ENAB", Iff().U2(1));
    header.Sub("OPAC", Iff().U2(0).F4(map.opacity).VX(0));
    Iff tmap;
    tmap.Sub("CNTR", Iff().Vec(map.centre).VX(0)).Sub("SIZE", Iff().Vec(map.size).VX(0));
    tmap.Sub("ROTA", Iff().Vec(map.rotation).VX(0)).Sub("CSYS", Iff().U2(0));
    Iff block;
    block.Sub("IMAP", header)
        .Sub("TMAP", tmap)
        .Sub("PROJ", Iff().U2(map.projection))
        .Sub("AXIS", Iff().U2(map.axis));
    block.Sub("IMAG", Iff().VX(map.clip)).Sub("WRAP", Iff().U2(map.widthWrap).U2(map.heightWrap));
    block.Sub("WRPW", Iff().F4(map.widthRepeat)).Sub("WRPH", Iff().F4(map.heightRepeat));
    if (map.projection == 5) block.Sub("VMAP", Iff().S0(map.uvMap));
    block.Sub("PIXB", Iff().U2(map.pixelBlending ? 1 : 0));
    return block;
}

}  // namespace

LWPlacement LWPlacement::Translation(float x, float y, float z) {
    LWPlacement p;
    p.m[3] = x, p.m[7] = y, p.m[11] = z;
    return p;
}

LWPlacement LWPlacement::RotationX(float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    LWPlacement p;
    p.m[5] = c, p.m[6] = -s, p.m[9] = s, p.m[10] = c;
    return p;
}

LWPlacement LWPlacement::RotationY(float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    LWPlacement p;
    p.m[0] = c, p.m[2] = s, p.m[8] = -s, p.m[10] = c;
    return p;
}

LWPlacement LWPlacement::RotationZ(float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    LWPlacement p;
    p.m[0] = c, p.m[1] = -s, p.m[4] = s, p.m[5] = c;
    return p;
}

LWPlacement LWPlacement::Scaling(float x, float y, float z) {
    LWPlacement p;
    p.m[0] = x, p.m[5] = y, p.m[10] = z;
    return p;
}

LWPlacement LWPlacement::operator*(const LWPlacement& inner) const {
    LWPlacement p;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 4; ++c) {
            float v = c == 3 ? m[r * 4 + 3] : 0.0f;
            for (int k = 0; k < 3; ++k) v += m[r * 4 + k] * inner.m[k * 4 + c];
            p.m[r * 4 + c] = v;
        }
    }
    return p;
}

void LWPlacement::Apply(const float in[3], float out[3]) const {
    for (int r = 0; r < 3; ++r)
        out[r] = m[r * 4] * in[0] + m[r * 4 + 1] * in[1] + m[r * 4 + 2] * in[2] + m[r * 4 + 3];
}

bool LWPlacement::Mirrors() const {
    const float det = m[0] * (m[5] * m[10] - m[6] * m[9]) - m[1] * (m[4] * m[10] - m[6] * m[8]) +
                      m[2] * (m[4] * m[9] - m[5] * m[8]);
    return det < 0.0f;
}

LWObjectWriter::Layer& LWObjectWriter::Current() {
    if (m_layers.empty()) AddLayer("");
    return m_layers.back();
}

void LWObjectWriter::AddLayer(const std::string& name, float pivotX, float pivotY, float pivotZ, int parent) {
    m_layers.push_back(Layer{name, {pivotX, pivotY, pivotZ}, parent, {}, {}, {}, {}, {}, {}});
}

uint32_t LWObjectWriter::AddPoint(float x, float y, float z) {
    Layer& layer = Current();
    const float in[3] = {x, y, z};
    float placed[3];
    m_placement.Apply(in, placed);
    layer.points.insert(layer.points.end(), placed, placed + 3);
    return static_cast<uint32_t>(layer.points.size() / 3 - 1);
}

const float* LWObjectWriter::Point(uint32_t index) const {
    static const float kNone[3] = {0, 0, 0};
    if (m_layers.empty() || index >= m_layers.back().points.size() / 3) return kNone;
    return &m_layers.back().points[index * 3ull];
}

uint16_t LWObjectWriter::Tag(const std::string& surface) {
    for (size_t i = 0; i < m_tags.size(); ++i) {
        if (m_tags[i] == surface) return static_cast<uint16_t>(i);
    }
    m_tags.push_back(surface);
    return static_cast<uint16_t>(m_tags.size() - 1);
}

uint32_t LWObjectWriter::AddPolygon(const std::vector<uint32_t>& points, const std::string& surface,
                                    uint16_t smoothingGroup) {
    Layer& layer = Current();
    layer.polygons.push_back(Polygon{points, Tag(surface), smoothingGroup});
    if (m_placement.Mirrors())
        std::reverse(layer.polygons.back().points.begin(), layer.polygons.back().points.end());
    return static_cast<uint32_t>(layer.polygons.size() - 1);
}

void LWObjectWriter::SetUV(const std::string& map, uint32_t point, float u, float v) {
    Current().uvs[map][point] = {u, v};
}

void LWObjectWriter::SetCornerUV(const std::string& map, uint32_t point, uint32_t polygon, float u, float v) {
    Current().cornerUVs[map].push_back(Corner{point, polygon, u, v});
}

void LWObjectWriter::SetWeight(const std::string& map, uint32_t point, float weight) {
    Current().weights[map][point] = weight;
}

void LWObjectWriter::SetMorph(const std::string& map, uint32_t point, float dx, float dy, float dz) {
    Current().morphs[map][point] = {dx, dy, dz};
}

LWSurfaceDesc& LWObjectWriter::AddSurface(const std::string& name) {
    Tag(name);
    m_surfaces.push_back(LWSurfaceDesc());
    m_surfaces.back().name = name;
    return m_surfaces.back();
}

uint32_t LWObjectWriter::AddClip(const std::string& fileName) {
    m_clips.push_back(fileName);
    return static_cast<uint32_t>(m_clips.size());
}

uint32_t LWObjectWriter::AddEnvelope(const LWEnvelopeDesc& envelope) {
    m_envelopes.push_back(envelope);
    return static_cast<uint32_t>(m_envelopes.size());
}

std::vector<uint8_t> LWObjectWriter::Write() const {
    Iff body;
    Iff tags;
    for (const std::string& tag : m_tags) tags.S0(tag);
    body.Chunk("TAGS", tags);
    for (size_t l = 0; l < m_layers.size(); ++l) {
        const Layer& layer = m_layers[l];
        Iff layr;
        layr.U2(static_cast<uint32_t>(l)).U2(0).Vec(layer.pivot).S0(layer.name);
        if (layer.parent >= 0) layr.U2(static_cast<uint32_t>(layer.parent));
        body.Chunk("LAYR", layr);
        Iff pnts;
        for (float f : layer.points) pnts.F4(f);
        body.Chunk("PNTS", pnts);
        if (!layer.points.empty()) {
            float lo[3], hi[3];
            for (int a = 0; a < 3; ++a) lo[a] = hi[a] = layer.points[a];
            for (size_t i = 0; i < layer.points.size(); ++i) {
                lo[i % 3] = std::min(lo[i % 3], layer.points[i]);
                hi[i % 3] = std::max(hi[i % 3], layer.points[i]);
            }
            body.Chunk("BBOX", Iff().Vec(lo).Vec(hi));
        }
        for (const auto& map : layer.uvs) {
            Iff vmap;
            vmap.Id("TXUV").U2(2).S0(map.first);
            for (const auto& entry : map.second)
                vmap.VX(entry.first).F4(entry.second.first).F4(entry.second.second);
            body.Chunk("VMAP", vmap);
        }
        for (const auto& map : layer.morphs) {
            Iff vmap;
            vmap.Id("MORF").U2(3).S0(map.first);
            for (const auto& entry : map.second) vmap.VX(entry.first).Vec(entry.second.data());
            body.Chunk("VMAP", vmap);
        }
        for (const auto& map : layer.weights) {
            Iff vmap;
            vmap.Id("WGHT").U2(1).S0(map.first);
            for (const auto& entry : map.second) vmap.VX(entry.first).F4(entry.second);
            body.Chunk("VMAP", vmap);
        }
        Iff pols, surf, groups;
        pols.Id("FACE");
        surf.Id("SURF");
        groups.Id("SMGP");
        bool anyGroup = false;
        for (size_t p = 0; p < layer.polygons.size(); ++p) {
            const Polygon& polygon = layer.polygons[p];
            pols.U2(static_cast<uint32_t>(polygon.points.size()) & 0x3FF);
            for (uint32_t point : polygon.points) pols.VX(point);
            surf.VX(static_cast<uint32_t>(p)).U2(polygon.tag);
            if (polygon.group) {
                groups.VX(static_cast<uint32_t>(p)).U2(polygon.group);
                anyGroup = true;
            }
        }
        body.Chunk("POLS", pols).Chunk("PTAG", surf);
        if (anyGroup) body.Chunk("PTAG", groups);
        for (const auto& map : layer.cornerUVs) {
            Iff vmad;
            vmad.Id("TXUV").U2(2).S0(map.first);
            for (const Corner& c : map.second) vmad.VX(c.point).VX(c.polygon).F4(c.u).F4(c.v);
            body.Chunk("VMAD", vmad);
        }
    }
    for (size_t c = 0; c < m_clips.size(); ++c) {
        body.Chunk("CLIP", Iff().U4(static_cast<uint32_t>(c + 1)).Sub("STIL", Iff().S0(m_clips[c])));
    }
    for (size_t e = 0; e < m_envelopes.size(); ++e) {
        const LWEnvelopeDesc& envelope = m_envelopes[e];
        Iff envl;
        envl.VX(static_cast<uint32_t>(e + 1))
            .Sub("PRE ", Iff().U2(envelope.pre))
            .Sub("POST", Iff().U2(envelope.post));
        for (const LWEnvelopeDesc::Key& key : envelope.keys) {
            envl.Sub("KEY ", Iff().F4(key.time).F4(key.value));
            Iff span;
            span.Id(SpanId(key.shape));
            if (key.shape == 0) span.F4(key.tension).F4(key.continuity).F4(key.bias);
            envl.Sub("SPAN", span);
        }
        body.Chunk("ENVL", envl);
    }
    for (const LWSurfaceDesc& s : m_surfaces) {
        Iff surf;
        surf.S0(s.name).S0("");
        surf.Sub("COLR", Iff().Vec(s.colour).VX(s.colourEnvelope));
        surf.Sub("DIFF", Parameter(s.diffuse)).Sub("LUMI", Parameter(s.luminosity));
        surf.Sub("SPEC", Parameter(s.specular)).Sub("GLOS", Parameter(s.glossiness));
        surf.Sub("REFL", Parameter(s.reflection)).Sub("TRAN", Parameter(s.transparency));
        surf.Sub("CLRH", Parameter(s.colourHighlights));
        if (s.reflectionImage) surf.Sub("RIMG", Iff().VX(s.reflectionImage));
        surf.Sub("SIDE", Iff().U2(s.doubleSided ? 3 : 1));
        surf.Sub("SMAN", Iff().F4(s.smoothingDegrees * 3.14159265358979f / 180.0f));
        for (size_t i = 0; i < s.imageMaps.size(); ++i)
            surf.Sub("BLOK", ImageMap(s.imageMaps[i], static_cast<int>(i)));
        body.Chunk("SURF", surf);
    }
    Iff form;
    form.Id("FORM").U4(static_cast<uint32_t>(body.bytes.size() + 4)).Id("LWO2");
    form.bytes.insert(form.bytes.end(), body.bytes.begin(), body.bytes.end());
    return form.bytes;
}

bool LWObjectWriter::Save(const std::string& path) const {
    const std::vector<uint8_t> bytes = Write();
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && ok;
}
