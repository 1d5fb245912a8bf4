#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "LWObjectWriter.h"

// Motion of a scene item: nine channels (position x, y, z; heading, pitch, bank in
// radians; scale x, y, z), each a constant or an envelope.
struct LWMotionDesc {
    LWMotionDesc() {
        for (int c = 6; c < 9; ++c) channels[c].Add(0, 1);
        for (int c = 0; c < 6; ++c) channels[c].Add(0, 0);
    }
    LWMotionDesc& Position(float x, float y, float z) {
        channels[0] = LWEnvelopeDesc().Add(0, x);
        channels[1] = LWEnvelopeDesc().Add(0, y);
        channels[2] = LWEnvelopeDesc().Add(0, z);
        return *this;
    }
    LWMotionDesc& Rotation(float heading, float pitch, float bank) {
        channels[3] = LWEnvelopeDesc().Add(0, heading);
        channels[4] = LWEnvelopeDesc().Add(0, pitch);
        channels[5] = LWEnvelopeDesc().Add(0, bank);
        return *this;
    }
    LWEnvelopeDesc channels[9];
};

// Writes LWS scenes (format version 5, item ids given) for the generated content.
// Object paths are relative to the content directory, the parent of the scene's folder.
class LWSceneWriter {
public:
    void SetFrames(int32_t first, int32_t last, uint32_t framesPerSecond);
    void SetAmbient(float r, float g, float b, float intensity);

    // Each returns the item's id.
    uint32_t AddObject(const std::string& fileName, int layer = 1);
    uint32_t AddNull(const std::string& name);
    // Light types: 0 distant, 1 point, 2 spot.
    uint32_t AddLight(const std::string& name, float r, float g, float b, float intensity, uint32_t type = 0);
    // The frame size sets the camera's aspect (the engine's is 16 : 9 at 1280 x 720).
    uint32_t AddCamera(const std::string& name, float zoomFactor = 3.2f, uint32_t frameWidth = 640,
                       uint32_t frameHeight = 480);

    void SetMotion(uint32_t item, const LWMotionDesc& motion);
    void SetParent(uint32_t item, uint32_t parent);
    // Aims the item at another one (heading and pitch follow the target).
    void SetTarget(uint32_t item, uint32_t target);

    std::string Write() const;
    bool Save(const std::string& path) const;

private:
    struct Item {
        uint32_t id;
        std::string header;      // the line that adds the item
        std::string properties;  // keyword lines that follow it
        LWMotionDesc motion;
        int32_t parent = -1;
        int64_t target = -1;
    };
    Item* Find(uint32_t id);

    int32_t m_first = 1, m_last = 60;
    uint32_t m_fps = 30;
    float m_ambient[4] = {1, 1, 1, 0.25f};
    std::vector<Item> m_objects, m_lights, m_cameras;
};
