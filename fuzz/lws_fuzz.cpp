// Fuzzes the LWS reader (text, blocks, items and their references), then evaluates the
// scene the way a scene node does each frame. No files are loaded.

#include <cstdint>

#include "base/Log.h"
#include "lightwave/LWScene.h"
#include "lightwave/LWSceneReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetLogSinks(nullptr, nullptr);
    LWSceneReader reader;
    std::unique_ptr<LWScene> scene = reader.Parse(reinterpret_cast<const char*>(data), size, "fuzz.lws");
    if (!scene) return 0;
    volatile float sink = 0.0f;
    const float t = scene->GetSceneTime(2.5f);
    auto motion = [&](const LWItem& item) {
        for (int c = 0; c < LWMotion::kChannels; ++c) sink = sink + item.motion.Evaluate(c, t);
        for (const LWItem* up = item.parent; up; up = up->parent) sink = sink + 1.0f;
    };
    for (uint32_t i = 0; i < scene->objects.size(); ++i) {
        const LWObjectItem& object = *scene->objects[i];
        motion(object);
        sink = sink + object.dissolve.Evaluate(t) + object.morphAmount.Evaluate(t);
        sink = sink + static_cast<float>(scene->GetMorphChain(i).size());
        for (const LWMorphForm& form : object.morphForms) sink = sink + form.weight.Evaluate(t);
        for (const auto& bone : object.bones) motion(*bone);
    }
    for (const auto& light : scene->lights) motion(*light);
    for (const auto& camera : scene->cameras) {
        motion(*camera);
        float h = 0, v = 0;
        camera->FieldOfView(t, h, v);
        sink = sink + h + v;
    }
    return 0;
}
