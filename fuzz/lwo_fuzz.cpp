// Fuzzes the LWO2 reader and its preparation, then reads back what a renderer would use.

#include <cstdint>

#include "base/Log.h"
#include "lightwave/LWObject.h"
#include "lightwave/LWObjectReader.h"
#include "render/ElementList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetLogSinks(nullptr, nullptr);
    LWObjectReader reader;
    reader.SetDirectory("objects/props/");
    std::unique_ptr<LWObject> object = reader.Read(data, size, "fuzz.lwo");
    if (!object) return 0;
    volatile float sink = 0.0f;
    for (const auto& layer : object->layers) {
        for (const LWSurfaceGeometry& geometry : layer->geometry) {
            ElementList& list = *geometry.list;
            const float* positions = list.GetVertexData(VERTEX_DATA_POSITION);
            for (uint32_t i = 0; i < list.GetIndexCount(); ++i)
                sink = sink + positions[list.GetIndices()[i] * 3];
        }
    }
    for (const auto& surface : object->surfaces) {
        sink = sink + surface->colour.c[0].Evaluate(1.5f) + surface->diffuse.Evaluate(-2.0f);
        for (const LWTextureLayer& layer : surface->textureLayers) {
            object->GetImagePath(layer.image);
            sink = sink + layer.opacity.Evaluate(0.5f);
        }
        if (surface->reflectionImage >= 0) object->GetImagePath(surface->reflectionImage);
    }
    for (const LWEnvelope& envelope : object->envelopes)
        sink = sink + envelope.Evaluate(3.25f) + envelope.Slope(-1.0f);
    return 0;
}
