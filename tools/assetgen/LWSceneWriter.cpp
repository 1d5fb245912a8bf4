#include "LWSceneWriter.h"

#include <cstdio>

namespace {

// Enough digits that a float read back is the float written.
std::string Number(float v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", v);
    return text;
}

std::string Hex(uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "%X", id);
    return text;
}

std::string Envelope(const LWEnvelopeDesc& envelope, const char* indent) {
    std::string text =
        std::string(indent) + "{ Envelope\n" + indent + "  " + std::to_string(envelope.keys.size()) + "\n";
    for (const LWEnvelopeDesc::Key& key : envelope.keys) {
        text += std::string(indent) + "  Key " + Number(key.value) + " " + Number(key.time) + " " +
                std::to_string(key.shape) + " " + Number(key.tension) + " " + Number(key.continuity) + " " +
                Number(key.bias) + " 0 0 0\n";
    }
    text += std::string(indent) + "  Behaviors " + std::to_string(envelope.pre) + " " +
            std::to_string(envelope.post) + "\n" + indent + "}\n";
    return text;
}

std::string Motion(const char* keyword, const LWMotionDesc& motion) {
    std::string text = std::string(keyword) + "\nNumChannels 9\n";
    for (int c = 0; c < 9; ++c)
        text += "Channel " + std::to_string(c) + "\n" + Envelope(motion.channels[c], "");
    return text;
}

}  // namespace

void LWSceneWriter::SetFrames(int32_t first, int32_t last, uint32_t framesPerSecond) {
    m_first = first;
    m_last = last;
    m_fps = framesPerSecond;
}

void LWSceneWriter::SetAmbient(float r, float g, float b, float intensity) {
    m_ambient[0] = r, m_ambient[1] = g, m_ambient[2] = b, m_ambient[3] = intensity;
}

uint32_t LWSceneWriter::AddObject(const std::string& fileName, int layer) {
    const uint32_t id = 0x10000000u + static_cast<uint32_t>(m_objects.size());
    m_objects.push_back(
        Item{id, "LoadObjectLayer " + std::to_string(layer) + " " + Hex(id) + " " + fileName + "\n", "",
             LWMotionDesc()});
    return id;
}

uint32_t LWSceneWriter::AddNull(const std::string& name) {
    const uint32_t id = 0x10000000u + static_cast<uint32_t>(m_objects.size());
    m_objects.push_back(Item{id, "AddNullObject " + Hex(id) + " " + name + "\n", "", LWMotionDesc()});
    return id;
}

uint32_t LWSceneWriter::AddLight(const std::string& name, float r, float g, float b, float intensity,
                                 uint32_t type) {
    const uint32_t id = 0x20000000u + static_cast<uint32_t>(m_lights.size());
    m_lights.push_back(Item{id, "AddLight " + Hex(id) + "\nLightName " + name + "\n",
                            "LightColor " + Number(r) + " " + Number(g) + " " + Number(b) +
                                "\nLightIntensity " + Number(intensity) + "\nLightType " +
                                std::to_string(type) + "\n",
                            LWMotionDesc()});
    return id;
}

uint32_t LWSceneWriter::AddCamera(const std::string& name, float zoomFactor, uint32_t frameWidth,
                                  uint32_t frameHeight) {
    const uint32_t id = 0x30000000u + static_cast<uint32_t>(m_cameras.size());
    m_cameras.push_back(Item{id, "AddCamera " + Hex(id) + "\nCameraName " + name + "\n",
                             "ZoomFactor " + Number(zoomFactor) + "\nFrameSize " +
                                 std::to_string(frameWidth) + " " + std::to_string(frameHeight) +
                                 "\nPixelAspect 1\n",
                             LWMotionDesc()});
    return id;
}

LWSceneWriter::Item* LWSceneWriter::Find(uint32_t id) {
    for (auto* list : {&m_objects, &m_lights, &m_cameras}) {
        for (Item& item : *list) {
            if (item.id == id) return &item;
        }
    }
    return nullptr;
}

void LWSceneWriter::SetMotion(uint32_t item, const LWMotionDesc& motion) {
    if (Item* found = Find(item)) found->motion = motion;
}

void LWSceneWriter::SetParent(uint32_t item, uint32_t parent) {
    if (Item* found = Find(item)) found->parent = static_cast<int32_t>(parent);
}

void LWSceneWriter::SetTarget(uint32_t item, uint32_t target) {
    if (Item* found = Find(item)) found->target = target;
}

std::string LWSceneWriter::Write() const {
    std::string text = "LWSC\n5\n\nFirstFrame " + std::to_string(m_first) + "\nLastFrame " +
                       std::to_string(m_last) + "\nFramesPerSecond " + std::to_string(m_fps) +
                       "\n\nAmbientColor " + Number(m_ambient[0]) + " " + Number(m_ambient[1]) + " " +
                       Number(m_ambient[2]) + "\nAmbientIntensity " + Number(m_ambient[3]) + "\n";
    const struct {
        const std::vector<Item>* items;
        const char* motion;
    } kinds[] = {{&m_objects, "ObjectMotion"}, {&m_lights, "LightMotion"}, {&m_cameras, "CameraMotion"}};
    for (const auto& kind : kinds) {
        for (const Item& item : *kind.items) {
            text += "\n" + item.header + Motion(kind.motion, item.motion);
            if (item.parent >= 0) text += "ParentItem " + Hex(static_cast<uint32_t>(item.parent)) + "\n";
            if (item.target >= 0)
                text += "TargetItem " + Hex(static_cast<uint32_t>(item.target)) +
                        "\nHController 1\nPController 1\n";
            text += item.properties;
        }
    }
    return text;
}

bool LWSceneWriter::Save(const std::string& path) const {
    const std::string text = Write();
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    return std::fclose(out) == 0 && ok;
}
