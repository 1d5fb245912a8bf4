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

// One set of texture coordinates of a layer: per point (computed, or borrowed from a UV
// map that lists every point in order), with per-corner overrides (VMAD).
struct CoordinateSet {
    std::vector<float> ownUV;
    const float* pointUV = nullptr;
    std::vector<float> cornerUV;
    std::vector<uint8_t> hasCorner;

    void Get(uint32_t point, size_t corner, float out[2]) const {
        if (!hasCorner.empty() && hasCorner[corner]) {
            out[0] = cornerUV[corner * 2], out[1] = cornerUV[corner * 2 + 1];
        } else if (pointUV) {
            out[0] = pointUV[point * 2ull], out[1] = pointUV[point * 2ull + 1];
        } else {
            out[0] = out[1] = 0.0f;
        }
    }
};

// Tangents along the bump layer's u direction, orthogonal to the normal, with the sign of
// the v direction in w.
void BuildTangents(ElementList& list, int32_t set) {
    const uint32_t vertexCount = list.GetVertexCount();
    const float* positions = list.GetVertexData(VERTEX_DATA_POSITION);
    const float* normals = list.GetVertexData(VERTEX_DATA_NORMAL);
    const float* uv = list.GetVertexData(VERTEX_DATA_TEXCOORD0 + static_cast<uint32_t>(set));
    float* tangents = list.GetVertexData(VERTEX_DATA_ATTRIB3);
    const uint32_t* indices = list.GetIndices();
    std::vector<float> tan(vertexCount * 3ull, 0.0f), bitan(vertexCount * 3ull, 0.0f);
    for (uint32_t i = 0; i + 2 < list.GetIndexCount(); i += 3) {
        const uint32_t v[3] = {indices[i], indices[i + 1], indices[i + 2]};
        float e1[3], e2[3];
        for (int a = 0; a < 3; ++a) {
            e1[a] = positions[v[1] * 3ull + a] - positions[v[0] * 3ull + a];
            e2[a] = positions[v[2] * 3ull + a] - positions[v[0] * 3ull + a];
        }
        const float du1 = uv[v[1] * 2ull] - uv[v[0] * 2ull], dv1 = uv[v[1] * 2ull + 1] - uv[v[0] * 2ull + 1];
        const float du2 = uv[v[2] * 2ull] - uv[v[0] * 2ull], dv2 = uv[v[2] * 2ull + 1] - uv[v[0] * 2ull + 1];
        const float r = du1 * dv2 - du2 * dv1;
        if (!(std::fabs(r) > 1e-12f)) continue;
        for (uint32_t corner : v) {
            for (int a = 0; a < 3; ++a) {
                tan[corner * 3ull + a] += (e1[a] * dv2 - e2[a] * dv1) / r;
                bitan[corner * 3ull + a] += (e2[a] * du1 - e1[a] * du2) / r;
            }
        }
    }
    for (uint32_t v = 0; v < vertexCount; ++v) {
        const float* n = &normals[v * 3ull];
        float* t = &tan[v * 3ull];
        const float d = Dot(n, t);
        for (int a = 0; a < 3; ++a) t[a] -= n[a] * d;
        float length = std::sqrt(Dot(t, t));
        if (!(length > 1e-12f)) {
            // No usable direction from the coordinates: any tangent across the normal.
            const float axis[3] = {std::fabs(n[0]) < 0.9f ? 1.0f : 0.0f, std::fabs(n[0]) < 0.9f ? 0.0f : 1.0f,
                                   0.0f};
            Cross(n, axis, t);
            length = std::sqrt(Dot(t, t));
        }
        float c[3];
        Cross(n, t, c);
        float* out = &tangents[v * 4ull];
        for (int a = 0; a < 3; ++a) out[a] = t[a] / length;
        out[3] = Dot(c, &bitan[v * 3ull]) < 0.0f ? -1.0f : 1.0f;
    }
}

// Texture coordinates of each set of a surface within one layer, from the first texture
// layer that uses the set: projected per point, or from the named UV maps.
std::vector<CoordinateSet> TextureCoordinates(const LWLayer& layer, LWSurface& surface, uint32_t setCount) {
    const uint32_t pointCount = layer.PointCount();
    std::vector<CoordinateSet> sets(setCount);
    std::vector<bool> setDone(setCount, false);
    for (LWTextureLayer& texture : surface.textureLayers) {
        if (texture.texCoordSet < 0 || static_cast<uint32_t>(texture.texCoordSet) >= setCount) continue;
        if (setDone[texture.texCoordSet]) continue;
        setDone[texture.texCoordSet] = true;
        CoordinateSet& set = sets[texture.texCoordSet];
        if (texture.IsProjected()) {
            set.ownUV.resize(static_cast<size_t>(pointCount) * 2);
            for (uint32_t i = 0; i < pointCount; ++i)
                texture.Project(layer.Point(i), set.ownUV[i * 2ull], set.ownUV[i * 2ull + 1]);
            set.pointUV = set.ownUV.data();
            continue;
        }
        if (const LWVertexMap* map = layer.FindVertexMap(LWID("TXUV"), texture.uvMapName, false)) {
            bool inOrder = map->Count() == pointCount;
            for (size_t e = 0; e < map->Count() && inOrder; ++e) inOrder = map->points[e] == e;
            if (inOrder) {
                set.pointUV = map->values.data();
            } else {
                set.ownUV.assign(static_cast<size_t>(pointCount) * 2, 0.0f);
                for (size_t e = 0; e < map->Count(); ++e) {
                    set.ownUV[map->points[e] * 2ull] = map->Values(e)[0];
                    set.ownUV[map->points[e] * 2ull + 1] = map->Values(e)[1];
                }
                set.pointUV = set.ownUV.data();
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
    return sets;
}

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
    int32_t lastTag = -1, lastSurface = -1;  // neighbouring polygons mostly share a surface
    for (LWPolygon& polygon : layer.polygons) {
        if (polygon.surfaceTag == lastTag) {
            polygon.surface = lastSurface;
            if (lastSurface < 0) ++badTags;
            continue;
        }
        lastTag = polygon.surfaceTag;
        auto known = byTag.find(polygon.surfaceTag);
        if (known != byTag.end()) {
            polygon.surface = lastSurface = known->second;
            if (lastSurface < 0) ++badTags;
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
                surface->object = this;
                surface->name = tag;
                surfaces.push_back(std::move(surface));
                index = static_cast<int32_t>(surfaces.size() - 1);
            }
        }
        byTag[polygon.surfaceTag] = index;
        polygon.surface = lastSurface = index;
        if (index < 0) ++badTags;
    }
    if (badTags)
        LogMessage(LOG_WARNING, "LWObject " + name + ": " + std::to_string(badTags) +
                                    " polygons name surface tags beyond the " + std::to_string(tags.size()) +
                                    " tags; they are not drawn.");
}

void LWObject::Prepare() {
    for (auto& surface : surfaces) {
        surface->object = this;
        PrepareSurface(*surface);
    }
    for (auto& layer : layers) {
        layer->object = this;
        ResolvePolygonSurfaces(*layer);
        PrepareLayer(*layer);
    }
}

void LWObject::PrepareLayer(LWLayer& layer) {
    const uint32_t pointCount = layer.PointCount();
    for (int a = 0; a < 3; ++a) layer.boundsMin[a] = layer.boundsMax[a] = pointCount ? layer.points[a] : 0.0f;
    for (uint32_t i = 1; i < pointCount; ++i) {
        const float* p = layer.Point(i);
        for (int a = 0; a < 3; ++a) {
            layer.boundsMin[a] = std::min(layer.boundsMin[a], p[a]);
            layer.boundsMax[a] = std::max(layer.boundsMax[a], p[a]);
        }
    }

    BuildGeometry(layer);
}

void LWObject::BuildGeometry(LWLayer& layer) {
    layer.geometry.clear();
    const uint32_t pointCount = layer.PointCount();
    // Corners and triangles of each surface, so that every list is allocated once.
    std::vector<size_t> cornerCounts(surfaces.size(), 0), indexCounts(surfaces.size(), 0);
    for (const LWPolygon& polygon : layer.polygons) {
        if (polygon.count < 3 || polygon.surface < 0) continue;
        cornerCounts[polygon.surface] += polygon.count;
        indexCounts[polygon.surface] += (polygon.count - 2) * 3ull;
    }

    const std::vector<float> cosines = layer.SmoothingCosines();
    // Points whose corners all share one normal (state 1) and that normal.
    std::vector<uint8_t> pointState;
    std::vector<float> pointNormal;
    layer.ComputePointNormals(layer.points.data(), cosines, layer.polygonNormals, pointNormal, pointState);
    const float* faceNormals = layer.polygonNormals.data();
    auto normalAt = [&](uint32_t p, uint32_t k, uint32_t point, float n[3]) {
        if (pointState[point] == 1) {
            std::copy(&pointNormal[point * 3ull], &pointNormal[point * 3ull] + 3, n);
        } else {
            layer.CornerNormal(faceNormals, cosines, p, k, n);
        }
    };
    std::vector<int32_t> head(pointCount, -1);  // last vertex made for a point
    std::vector<int32_t> nextSame;              // the vertex made before it for the same point
    for (size_t s = 0; s < surfaces.size(); ++s) {
        if (cornerCounts[s] == 0) continue;
        LWSurface& surface = *surfaces[s];
        const uint32_t setCount = std::min(surface.texCoordSetCount, kMaxTexCoordSets);
        const std::vector<CoordinateSet> sets = TextureCoordinates(layer, surface, setCount);
        bool perPointOnly = true;
        for (const CoordinateSet& set : sets) perPointOnly = perPointOnly && set.hasCorner.empty();

        // Pass 1: which corners share a vertex (same point, normal and coordinates); the
        // triangles are written as the corners find their vertices.
        LWSurfaceGeometry geometry;
        geometry.surface = static_cast<uint32_t>(s);
        geometry.vertexCorners.reserve(cornerCounts[s]);
        nextSame.clear();
        nextSame.reserve(cornerCounts[s]);
        std::unique_ptr<uint32_t[]> indexBlock(new uint32_t[indexCounts[s] ? indexCounts[s] : 1]);
        uint32_t* indices = indexBlock.get();
        uint32_t cornerVertex[1024];
        for (uint32_t p = 0; p < layer.PolygonCount(); ++p) {
            const LWPolygon& polygon = layer.polygons[p];
            if (polygon.surface != static_cast<int32_t>(s) || polygon.count < 3) continue;
            for (uint32_t k = 0; k < polygon.count; ++k) {
                const uint32_t point = layer.PolygonVertex(polygon, k);
                const size_t corner = static_cast<size_t>(polygon.first) + k;
                // A point with one normal and coordinates only per point has one vertex.
                if (pointState[point] == 1 && perPointOnly && head[point] >= 0) {
                    cornerVertex[k] = static_cast<uint32_t>(head[point]);
                    continue;
                }
                float n[3];
                normalAt(p, k, point, n);
                float uv[kMaxTexCoordSets][2];
                for (uint32_t t = 0; t < setCount; ++t) sets[t].Get(point, corner, uv[t]);
                int32_t found = -1;
                for (int32_t v = head[point]; v >= 0 && found < 0; v = nextSame[v]) {
                    const size_t other = geometry.vertexCorners[v];
                    if (pointState[point] != 1) {
                        // Corners of a point with one shared normal agree without asking.
                        const uint32_t otherPolygon = layer.PolygonOfCorner(static_cast<uint32_t>(other));
                        float theirs[3];
                        layer.CornerNormal(faceNormals, cosines, otherPolygon,
                                           static_cast<uint32_t>(other - layer.polygons[otherPolygon].first),
                                           theirs);
                        if (std::memcmp(theirs, n, sizeof n) != 0) continue;
                    }
                    bool same = true;
                    for (uint32_t t = 0; t < setCount && same; ++t) {
                        float theirs[2];
                        sets[t].Get(point, other, theirs);
                        same = std::memcmp(theirs, uv[t], sizeof theirs) == 0;
                    }
                    if (same) found = v;
                }
                if (found < 0) {
                    found = static_cast<int32_t>(geometry.vertexCorners.size());
                    geometry.vertexCorners.push_back(static_cast<uint32_t>(corner));
                    nextSame.push_back(head[point]);
                    head[point] = found;
                }
                cornerVertex[k] = static_cast<uint32_t>(found);
            }
            for (uint32_t k = 1; k + 1 < polygon.count; ++k) {
                *indices++ = cornerVertex[0];
                *indices++ = cornerVertex[k];
                *indices++ = cornerVertex[k + 1];
            }
        }
        for (uint32_t corner : geometry.vertexCorners) head[layer.polygonVertices[corner]] = -1;

        // Pass 2: one block holding every array, filled from each vertex's first corner.
        const uint32_t vertexCount = static_cast<uint32_t>(geometry.vertexCorners.size());
        const LWTextureLayer* bumpLayer = surface.GetChannelLayer(LWSurface::CHANNEL_BUMP);
        geometry.hasTangents = bumpLayer && bumpLayer->texCoordSet >= 0 &&
                               static_cast<uint32_t>(bumpLayer->texCoordSet) < setCount;
        const uint32_t floatsPerVertex = 6 + 2 * setCount + (geometry.hasTangents ? 4 : 0);
        const uint64_t blockSize = static_cast<uint64_t>(vertexCount) * floatsPerVertex * 4;
        auto list = std::make_unique<ElementList>(PRIMITIVE_TRIANGLES, vertexCount,
                                                  static_cast<uint32_t>(indexCounts[s]));
        list->SetVertexData(new uint8_t[blockSize ? blockSize : 1], static_cast<uint32_t>(blockSize), true);
        uint32_t offset = 0;
        list->AddVertexData(VERTEX_DATA_POSITION, offset, 12);
        list->AddVertexData(VERTEX_DATA_NORMAL, offset += vertexCount * 12, 12);
        offset += vertexCount * 12;
        for (uint32_t t = 0; t < setCount; ++t, offset += vertexCount * 8)
            list->AddVertexData(VERTEX_DATA_TEXCOORD0 + t, offset, 8);
        if (geometry.hasTangents) list->AddVertexData(VERTEX_DATA_ATTRIB3, offset, 16);
        float* positions = list->GetVertexData(VERTEX_DATA_POSITION);
        float* normals = list->GetVertexData(VERTEX_DATA_NORMAL);
        float* uvs[kMaxTexCoordSets];
        for (uint32_t t = 0; t < setCount; ++t) uvs[t] = list->GetVertexData(VERTEX_DATA_TEXCOORD0 + t);
        for (uint32_t v = 0; v < vertexCount; ++v) {
            const size_t corner = geometry.vertexCorners[v];
            const uint32_t point = layer.polygonVertices[corner];
            std::copy(layer.Point(point), layer.Point(point) + 3, positions + v * 3ull);
            if (pointState[point] == 1) {
                std::copy(&pointNormal[point * 3ull], &pointNormal[point * 3ull] + 3, normals + v * 3ull);
            } else {
                const uint32_t p = layer.PolygonOfCorner(static_cast<uint32_t>(corner));
                layer.CornerNormal(faceNormals, cosines, p,
                                   static_cast<uint32_t>(corner - layer.polygons[p].first),
                                   normals + v * 3ull);
            }
            for (uint32_t t = 0; t < setCount; ++t) {
                if (perPointOnly && sets[t].pointUV) {
                    uvs[t][v * 2ull] = sets[t].pointUV[point * 2ull];
                    uvs[t][v * 2ull + 1] = sets[t].pointUV[point * 2ull + 1];
                } else {
                    sets[t].Get(point, corner, uvs[t] + v * 2ull);
                }
            }
        }
        list->SetIndices(indexBlock.release(), true);
        if (geometry.hasTangents) BuildTangents(*list, bumpLayer->texCoordSet);
        geometry.list = std::move(list);
        layer.geometry.push_back(std::move(geometry));
    }
}
