#include "lightwave/LWSurface.h"

#include <cstring>

const char* LWSurface::ChannelName(int channel) {
    static const char* names[kChannelCount] = {"COLR", "TRAN", "BUMP", "REFL", "NMAP"};
    return channel >= 0 && channel < kChannelCount ? names[channel] : "";
}

const LWTextureLayer* LWSurface::GetChannelLayer(int channel) const {
    if (channel < 0 || channel >= kChannelCount) return nullptr;
    const int32_t index = channelLayer[channel];
    return index >= 0 && static_cast<size_t>(index) < textureLayers.size() ? &textureLayers[index] : nullptr;
}

void LWSurface::InsertTextureLayer(const LWTextureLayer& layer) {
    // Ordinals compare as C strings, the way the file format orders them.
    size_t at = textureLayers.size();
    bool inChannel = false;
    for (size_t i = 0; i < textureLayers.size(); ++i) {
        if (textureLayers[i].channel != layer.channel) {
            if (inChannel) break;
            continue;
        }
        inChannel = true;
        at = i + 1;
        if (std::strcmp(layer.ordinal.c_str(), textureLayers[i].ordinal.c_str()) < 0) {
            at = i;
            break;
        }
    }
    textureLayers.insert(textureLayers.begin() + static_cast<std::ptrdiff_t>(at), layer);
}
