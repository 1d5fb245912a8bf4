#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lightwave/LWEnvelope.h"
#include "lightwave/LWLayer.h"
#include "lightwave/LWSurface.h"

// An image clip: a still image, or a reference to another clip (XREF).
struct LWClip {
    uint32_t index = 0;
    std::string fileName;
    int64_t reference = -1;
};

// A loaded LWO2 object. Geometry is in the renderer's right-handed space (z mirrored,
// polygon order reversed). Prepare() turns what the reader collected into renderable data.
class LWObject {
public:
    LWObject();
    ~LWObject();
    LWObject(const LWObject&) = delete;
    LWObject& operator=(const LWObject&) = delete;

    // Envelope by zero-based number (file order); null when there is none.
    const LWEnvelope* GetEnvelope(int64_t index) const;
    const LWClip* FindClip(int64_t index) const;
    // The still image of a clip, following references; empty (after a warning) for a
    // missing clip or a reference chain that loops.
    std::string GetClipFileName(int64_t index) const;
    // The clip's image as found in the object's image directory; empty when none.
    std::string GetImagePath(int64_t clipIndex) const;
    LWSurface* FindSurface(const std::string& surfaceName);
    const LWLayer* FindLayer(uint32_t layerNumber) const;

    // Resolves envelopes, texture coordinate sets and channels, then builds each layer's
    // bounds, normals and per-surface element lists.
    void Prepare();

    std::string name;
    std::string imageDirectory;
    std::vector<std::string> tags;
    std::vector<std::unique_ptr<LWLayer>> layers;
    std::vector<std::unique_ptr<LWSurface>> surfaces;
    std::vector<LWClip> clips;
    std::vector<LWEnvelope> envelopes;

private:
    void ResolveParameter(LWParameter& parameter, const char* what, const std::string& owner);
    void ResolveVector(LWVectorParameter& vector, const char* what, const std::string& owner);
    void PrepareSurface(LWSurface& surface);
    void ResolvePolygonSurfaces(LWLayer& layer);
    void PrepareLayer(LWLayer& layer);
    void BuildGeometry(LWLayer& layer);
};
