#include "lightwave/LWObject.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "base/Log.h"
#include "lightwave/LWByteCursor.h"
#include "render/ElementList.h"
#include "render/IRenderer.h"

namespace {

constexpr uint32_t kMaxTexCoordSets = 8;

void Cross(const float a[3], const float b[3], float out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

float Dot(const float a[3], const float b[3]) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// One set of texture coordinates of a layer: per point, with per-corner overrides (VMAD).
struct CoordinateSet {
    std::vector<float> pointUV;
    std::vector<float> cornerUV;
    std::vector<uint8_t> hasCorner;

    void Get(uint32_t point, size_t corner, float out[2]) const {
        if (!hasCorner.empty() && hasCorner[corner]) {
            out[0] = cornerUV[corner * 2], out[1] = cornerUV[corner * 2 + 1];
        } else if (!pointUV.empty()) {
            out[0] = pointUV[point * 2ull], out[1] = pointUV[point * 2ull + 1];
        } else {
            out[0] = out[1] = 0.0f;
        }
    }
};

}  // namespace

LWObject::LWObject() = default;
LWObject::~LWObject() = default;

const LWEnvelope* LWObject::GetEnvelope(int64_t index) const {
    return index >= 0 && static_cast<uint64_t>(index) < envelopes.size() ? &envelopes[index] : nullptr;
}

const LWClip* LWObject::FindClip(int64_t index) const {
    for (const LWClip& clip : clips) {
        if (static_cast<int64_t>(clip.index) == index) return &clip;
    }
    return nullptr;
}

std::string LWObject::GetClipFileName(int64_t index) const {
    const LWClip* clip = FindClip(index);
    // A reference chain can be no longer than the clip list without looping.
    for (size_t steps = 0; clip && clip->reference >= 0; ++steps) {
        if (steps >= clips.size()) {
            LogMessage(LOG_WARNING,
                       "LWObject " + name + ": clip references loop at clip " + std::to_string(index) + ".");
            return std::string();
        }
        clip = FindClip(clip->reference);
    }
    if (!clip) {
        LogMessage(LOG_WARNING, "LWObject " + name + ": no image clip " + std::to_string(index) + ".");
        return std::string();
    }
    return clip->fileName;
}

std::string LWObject::GetImagePath(int64_t clipIndex) const {
    const std::string file = GetClipFileName(clipIndex);
    if (file.empty()) return file;
    // Clips name files the way the modeller saw them (absolute, with drive letters or
    // backslashes); only the file name is looked up in the image directory.
    const size_t cut = file.find_last_of("/\\:");
    return imageDirectory + (cut == std::string::npos ? file : file.substr(cut + 1));
}

LWSurface* LWObject::FindSurface(const std::string& surfaceName) {
    for (auto& surface : surfaces) {
        if (surface->name == surfaceName) return surface.get();
    }
    return nullptr;
}

const LWLayer* LWObject::FindLayer(uint32_t layerNumber) const {
    for (const auto& layer : layers) {
        if (layer->number == layerNumber) return layer.get();
    }
    return nullptr;
}

void LWObject::ResolveParameter(LWParameter& parameter, const char* what, const std::string& owner) {
    if (parameter.envelopeIndex < 0) return;
    const LWEnvelope* envelope = GetEnvelope(parameter.envelopeIndex);
    if (!envelope) {
        LogMessage(LOG_WARNING, "LWObject " + name + ": " + owner + " " + what + " names envelope " +
                                    std::to_string(parameter.envelopeIndex + 1) + " of " +
                                    std::to_string(envelopes.size()) + "; it stays constant.");
        return;
    }
    parameter.SetEnvelope(*envelope);
}

void LWObject::ResolveVector(LWVectorParameter& vector, const char* what, const std::string& owner) {
    if (vector.envelopeIndex < 0) return;
    // The three components use three consecutive envelopes.
    if (!GetEnvelope(static_cast<int64_t>(vector.envelopeIndex) + 2)) {
        LogMessage(LOG_WARNING, "LWObject " + name + ": " + owner + " " + what + " names envelopes " +
                                    std::to_string(vector.envelopeIndex + 1) + " to " +
                                    std::to_string(vector.envelopeIndex + 3) + " of " +
                                    std::to_string(envelopes.size()) + "; it stays constant.");
        return;
    }
    for (int i = 0; i < 3; ++i) vector.c[i].SetEnvelope(envelopes[vector.envelopeIndex + i]);
}

void LWObject::PrepareSurface(LWSurface& surface) {
    const std::string owner = "surface \"" + surface.name + "\"";
    ResolveVector(surface.colour, "COLR", owner);
    const std::pair<LWParameter*, const char*> parameters[] = {
        {&surface.diffuse, "DIFF"},          {&surface.luminosity, "LUMI"},
        {&surface.specular, "SPEC"},         {&surface.glossiness, "GLOS"},
        {&surface.colourHighlights, "CLRH"}, {&surface.transparency, "TRAN"},
        {&surface.translucency, "TRNL"},     {&surface.bump, "BUMP"},
        {&surface.reflection, "REFL"},       {&surface.glow, "GVAL"}};
    for (const auto& p : parameters) ResolveParameter(*p.first, p.second, owner);

    uint32_t sets = 0;
    for (size_t i = 0; i < surface.textureLayers.size(); ++i) {
        LWTextureLayer& layer = surface.textureLayers[i];
        const std::string layerOwner = owner + " layer \"" + layer.ordinal + "\"";
        ResolveParameter(layer.opacity, "OPAC", layerOwner);
        ResolveParameter(layer.amplitude, "TAMP", layerOwner);
        ResolveVector(layer.centre, "CNTR", layerOwner);
        ResolveVector(layer.size, "SIZE", layerOwner);
        ResolveVector(layer.rotation, "ROTA", layerOwner);
        layer.UpdateTextureMatrix(0.0f);

        layer.texCoordSet = -1;
        bool wantsSet = layer.IsProjected();
        if (layer.projection == LWTextureLayer::PROJECTION_UV) {
            wantsSet = true;
            for (size_t j = 0; j < i; ++j) {
                if (surface.textureLayers[j].uvMapName != layer.uvMapName) continue;
                layer.texCoordSet = surface.textureLayers[j].texCoordSet;
                wantsSet = layer.texCoordSet < 0;
                break;
            }
        }
        if (!wantsSet) continue;
        if (sets >= kMaxTexCoordSets) {
            LogMessage(LOG_WARNING, "LWObject " + name + ": " + layerOwner +
                                        " would need more than 8 texture coordinate sets; it gets none.");
            continue;
        }
        layer.texCoordSet = static_cast<int32_t>(sets++);
    }
    surface.texCoordSetCount = sets;

    for (const LWTextureLayer& texture : surface.textureLayers) {
        if (texture.IsProjected() || texture.projection == LWTextureLayer::PROJECTION_UV) continue;
        if (texture.projection == LWTextureLayer::PROJECTION_CUBIC) {
            LogMessage(LOG_WARNING, "Cubic mapping not supported.");
        } else if (texture.projection == LWTextureLayer::PROJECTION_FRONT) {
            LogMessage(LOG_WARNING, "Front mapping not supported.");
        } else {
            LogMessage(LOG_WARNING,
                       "Unsupported texture projection mode: ", static_cast<unsigned>(texture.projection));
        }
    }

    for (int c = 0; c < LWSurface::kChannelCount; ++c) surface.channelLayer[c] = -1;
    for (size_t i = 0; i < surface.textureLayers.size(); ++i) {
        const std::string& channel = surface.textureLayers[i].channel;
        int found = -1;
        for (int c = 0; c < LWSurface::kChannelCount; ++c) {
            if (channel == LWSurface::ChannelName(c)) found = c;
        }
        if (found < 0) {
            LogMessage(LOG_TRACE, "Skipping unsupported texture layer: ", channel);
        } else if (surface.channelLayer[found] < 0) {
            surface.channelLayer[found] = static_cast<int32_t>(i);
        }
    }
}

void LWObject::ResolvePolygonSurfaces(LWLayer& layer) {
    std::unordered_map<uint32_t, int32_t> byTag;
    uint64_t badTags = 0;
    for (LWPolygon& polygon : layer.polygons) {
        auto known = byTag.find(polygon.surfaceTag);
        if (known != byTag.end()) {
            polygon.surface = known->second;
            continue;
        }
        int32_t index = -1;
        if (polygon.surfaceTag < tags.size()) {
            const std::string& tag = tags[polygon.surfaceTag];
            for (size_t s = 0; s < surfaces.size(); ++s) {
                if (surfaces[s]->name == tag) {
                    index = static_cast<int32_t>(s);
                    break;
                }
            }
            if (index < 0) {
                // Like the modeller, polygons whose surface was never described get one
                // with the default settings.
                LogMessage(LOG_TRACE, "LWObject " + name + ": default surface made for tag ", tag);
                auto surface = std::make_unique<LWSurface>();
                surface->name = tag;
                surfaces.push_back(std::move(surface));
                index = static_cast<int32_t>(surfaces.size() - 1);
            }
        }
        byTag[polygon.surfaceTag] = index;
        polygon.surface = index;
        if (index < 0) ++badTags;
    }
    if (badTags)
        LogMessage(LOG_WARNING, "LWObject " + name + ": " + std::to_string(badTags) +
                                    " polygons name surface tags beyond the " + std::to_string(tags.size()) +
                                    " tags; they are not drawn.");
}

void LWObject::Prepare() {
    for (auto& surface : surfaces) PrepareSurface(*surface);
    for (auto& layer : layers) {
        layer->object = this;
        ResolvePolygonSurfaces(*layer);
        PrepareLayer(*layer);
    }
}

void LWObject::PrepareLayer(LWLayer& layer) {
    const uint32_t pointCount = layer.PointCount();
    for (int a = 0; a < 3; ++a) layer.boundsMin[a] = layer.boundsMax[a] = 0.0f;
    for (uint32_t i = 0; i < pointCount; ++i) {
        const float* p = layer.Point(i);
        for (int a = 0; a < 3; ++a) {
            if (i == 0 || p[a] < layer.boundsMin[a]) layer.boundsMin[a] = p[a];
            if (i == 0 || p[a] > layer.boundsMax[a]) layer.boundsMax[a] = p[a];
        }
    }

    // Polygons per point, as offsets into one shared array.
    layer.pointPolygonStart.assign(static_cast<size_t>(pointCount) + 1, 0);
    for (const LWPolygon& polygon : layer.polygons) {
        for (uint32_t k = 0; k < polygon.count; ++k)
            ++layer.pointPolygonStart[layer.PolygonVertex(polygon, k) + 1];
    }
    for (uint32_t i = 0; i < pointCount; ++i) layer.pointPolygonStart[i + 1] += layer.pointPolygonStart[i];
    layer.pointPolygons.resize(layer.pointPolygonStart[pointCount]);
    std::vector<uint32_t> fill(layer.pointPolygonStart.begin(), layer.pointPolygonStart.end() - 1);
    for (uint32_t p = 0; p < layer.PolygonCount(); ++p) {
        const LWPolygon& polygon = layer.polygons[p];
        for (uint32_t k = 0; k < polygon.count; ++k)
            layer.pointPolygons[fill[layer.PolygonVertex(polygon, k)]++] = p;
    }

    std::vector<float> cornerNormals;
    layer.ComputeNormals(layer.points.data(), layer.polygonNormals, cornerNormals);
    BuildGeometry(layer, cornerNormals);
}

void LWObject::BuildGeometry(LWLayer& layer, const std::vector<float>& cornerNormals) {
    layer.geometry.clear();
    const uint32_t pointCount = layer.PointCount();
    std::vector<std::vector<uint32_t>> bySurface(surfaces.size());
    for (uint32_t p = 0; p < layer.PolygonCount(); ++p) {
        const LWPolygon& polygon = layer.polygons[p];
        if (polygon.count >= 3 && polygon.surface >= 0) bySurface[polygon.surface].push_back(p);
    }

    std::vector<int32_t> head(pointCount, -1);  // first vertex made for a point
    for (size_t s = 0; s < surfaces.size(); ++s) {
        if (bySurface[s].empty()) continue;
        LWSurface& surface = *surfaces[s];
        const uint32_t setCount = std::min(surface.texCoordSetCount, kMaxTexCoordSets);

        // Texture coordinates of each set, from the first layer that uses it.
        std::vector<CoordinateSet> sets(setCount);
        std::vector<bool> setDone(setCount, false);
        for (LWTextureLayer& texture : surface.textureLayers) {
            if (texture.texCoordSet < 0 || static_cast<uint32_t>(texture.texCoordSet) >= setCount) continue;
            if (setDone[texture.texCoordSet]) continue;
            setDone[texture.texCoordSet] = true;
            CoordinateSet& set = sets[texture.texCoordSet];
            if (texture.IsProjected()) {
                set.pointUV.resize(static_cast<size_t>(pointCount) * 2);
                for (uint32_t i = 0; i < pointCount; ++i)
                    texture.Project(layer.Point(i), set.pointUV[i * 2ull], set.pointUV[i * 2ull + 1]);
                continue;
            }
            if (const LWVertexMap* map = layer.FindVertexMap(LWID("TXUV"), texture.uvMapName, false)) {
                set.pointUV.assign(static_cast<size_t>(pointCount) * 2, 0.0f);
                for (size_t e = 0; e < map->Count(); ++e) {
                    set.pointUV[map->points[e] * 2ull] = map->Values(e)[0];
                    set.pointUV[map->points[e] * 2ull + 1] = map->Values(e)[1];
                }
            }
            // Per-polygon values win over per-point ones at the corners they name.
            if (const LWVertexMap* map = layer.FindVertexMap(LWID("TXUV"), texture.uvMapName, true)) {
                set.cornerUV.assign(layer.polygonVertices.size() * 2, 0.0f);
                set.hasCorner.assign(layer.polygonVertices.size(), 0);
                for (size_t e = 0; e < map->Count(); ++e) {
                    const LWPolygon& polygon = layer.polygons[map->polygons[e]];
                    for (uint32_t k = 0; k < polygon.count; ++k) {
                        if (layer.PolygonVertex(polygon, k) != map->points[e]) continue;
                        const size_t corner = static_cast<size_t>(polygon.first) + k;
                        set.cornerUV[corner * 2] = map->Values(e)[0];
                        set.cornerUV[corner * 2 + 1] = map->Values(e)[1];
                        set.hasCorner[corner] = 1;
                    }
                }
            }
        }
        LWSurfaceGeometry geometry;
        geometry.surface = static_cast<uint32_t>(s);
        std::vector<float> positions, normals;
        std::vector<std::vector<float>> uvs(setCount);
        std::vector<int32_t> nextSame;
        std::vector<uint32_t> indices;
        std::vector<uint32_t> cornerVertex;
        std::vector<uint32_t> touched;
        for (uint32_t p : bySurface[s]) {
            const LWPolygon& polygon = layer.polygons[p];
            cornerVertex.resize(polygon.count);
            for (uint32_t k = 0; k < polygon.count; ++k) {
                const uint32_t point = layer.PolygonVertex(polygon, k);
                const size_t corner = static_cast<size_t>(polygon.first) + k;
                const float* n = &cornerNormals[corner * 3];
                float uv[kMaxTexCoordSets][2];
                for (uint32_t t = 0; t < setCount; ++t) sets[t].Get(point, corner, uv[t]);
                // Corners of one point share a vertex when normal and coordinates agree.
                int32_t found = -1;
                for (int32_t v = head[point]; v >= 0 && found < 0; v = nextSame[v]) {
                    if (std::memcmp(&normals[v * 3ull], n, sizeof(float) * 3) != 0) continue;
                    bool same = true;
                    for (uint32_t t = 0; t < setCount && same; ++t)
                        same = std::memcmp(&uvs[t][v * 2ull], uv[t], sizeof(float) * 2) == 0;
                    if (same) found = v;
                }
                if (found < 0) {
                    found = static_cast<int32_t>(geometry.vertexCorners.size());
                    const float* position = layer.Point(point);
                    positions.insert(positions.end(), position, position + 3);
                    normals.insert(normals.end(), n, n + 3);
                    for (uint32_t t = 0; t < setCount; ++t) uvs[t].insert(uvs[t].end(), uv[t], uv[t] + 2);
                    geometry.vertexCorners.push_back(static_cast<uint32_t>(corner));
                    geometry.cornerPolygons.push_back(p);
                    if (head[point] < 0) touched.push_back(point);
                    nextSame.push_back(head[point]);
                    head[point] = found;
                }
                cornerVertex[k] = static_cast<uint32_t>(found);
            }
            for (uint32_t k = 1; k + 1 < polygon.count; ++k) {
                indices.push_back(cornerVertex[0]);
                indices.push_back(cornerVertex[k]);
                indices.push_back(cornerVertex[k + 1]);
            }
        }
        for (uint32_t point : touched) head[point] = -1;

        const uint32_t vertexCount = static_cast<uint32_t>(geometry.vertexCorners.size());
        std::vector<float> tangents;
        const LWTextureLayer* bumpLayer = surface.GetChannelLayer(LWSurface::CHANNEL_BUMP);
        if (bumpLayer && bumpLayer->texCoordSet >= 0 &&
            static_cast<uint32_t>(bumpLayer->texCoordSet) < setCount) {
            const std::vector<float>& uv = uvs[bumpLayer->texCoordSet];
            std::vector<float> tan(vertexCount * 3ull, 0.0f), bitan(vertexCount * 3ull, 0.0f);
            for (size_t i = 0; i + 2 < indices.size(); i += 3) {
                const uint32_t v[3] = {indices[i], indices[i + 1], indices[i + 2]};
                float e1[3], e2[3];
                for (int a = 0; a < 3; ++a) {
                    e1[a] = positions[v[1] * 3ull + a] - positions[v[0] * 3ull + a];
                    e2[a] = positions[v[2] * 3ull + a] - positions[v[0] * 3ull + a];
                }
                const float du1 = uv[v[1] * 2ull] - uv[v[0] * 2ull],
                            dv1 = uv[v[1] * 2ull + 1] - uv[v[0] * 2ull + 1];
                const float du2 = uv[v[2] * 2ull] - uv[v[0] * 2ull],
                            dv2 = uv[v[2] * 2ull + 1] - uv[v[0] * 2ull + 1];
                const float r = du1 * dv2 - du2 * dv1;
                if (!(std::fabs(r) > 1e-12f)) continue;
                for (uint32_t corner : v) {
                    for (int a = 0; a < 3; ++a) {
                        tan[corner * 3ull + a] += (e1[a] * dv2 - e2[a] * dv1) / r;
                        bitan[corner * 3ull + a] += (e2[a] * du1 - e1[a] * du2) / r;
                    }
                }
            }
            tangents.resize(vertexCount * 4ull);
            for (uint32_t v = 0; v < vertexCount; ++v) {
                const float* n = &normals[v * 3ull];
                float* t = &tan[v * 3ull];
                const float d = Dot(n, t);
                for (int a = 0; a < 3; ++a) t[a] -= n[a] * d;
                float length = std::sqrt(Dot(t, t));
                if (!(length > 1e-12f)) {
                    // No usable direction from the coordinates: any tangent across the normal.
                    const float axis[3] = {std::fabs(n[0]) < 0.9f ? 1.0f : 0.0f,
                                           std::fabs(n[0]) < 0.9f ? 0.0f : 1.0f, 0.0f};
                    Cross(n, axis, t);
                    length = std::sqrt(Dot(t, t));
                }
                float c[3];
                Cross(n, t, c);
                float* out = &tangents[v * 4ull];
                for (int a = 0; a < 3; ++a) out[a] = t[a] / length;
                out[3] = Dot(c, &bitan[v * 3ull]) < 0.0f ? -1.0f : 1.0f;
            }
            geometry.hasTangents = true;
        }

        auto list = std::make_unique<ElementList>(PRIMITIVE_TRIANGLES, vertexCount,
                                                  static_cast<uint32_t>(indices.size()));
        std::copy(indices.begin(), indices.end(), list->AllocIndices());
        list->AllocVertexData(VERTEX_DATA_POSITION, 12);
        list->AllocVertexData(VERTEX_DATA_NORMAL, 12);
        for (uint32_t t = 0; t < setCount; ++t) list->AllocVertexData(VERTEX_DATA_TEXCOORD0 + t, 8);
        if (geometry.hasTangents) list->AllocVertexData(VERTEX_DATA_ATTRIB3, 16);
        std::copy(positions.begin(), positions.end(), list->GetVertexData(VERTEX_DATA_POSITION));
        std::copy(normals.begin(), normals.end(), list->GetVertexData(VERTEX_DATA_NORMAL));
        for (uint32_t t = 0; t < setCount; ++t)
            std::copy(uvs[t].begin(), uvs[t].end(), list->GetVertexData(VERTEX_DATA_TEXCOORD0 + t));
        if (geometry.hasTangents)
            std::copy(tangents.begin(), tangents.end(), list->GetVertexData(VERTEX_DATA_ATTRIB3));
        geometry.list = std::move(list);
        layer.geometry.push_back(std::move(geometry));
    }
}
