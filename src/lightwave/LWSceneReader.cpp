#include "lightwave/LWSceneReader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/Log.h"
#include "io/Bitmap.h"
#include "io/Loader.h"
#include "lightwave/LWModelManager.h"
#include "lightwave/LWScene.h"

namespace {

constexpr int kMaxBlockDepth = 64;
constexpr float kDegrees = 3.14159265358979f / 180.0f;

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string Trim(const std::string& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && IsSpace(text[begin])) ++begin;
    while (end > begin && IsSpace(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

// The first space-separated token; rest (optional) receives what follows it, without the
// separating spaces.
std::string Token(const std::string& text, std::string* rest) {
    size_t begin = 0;
    while (begin < text.size() && IsSpace(text[begin])) ++begin;
    size_t end = begin;
    while (end < text.size() && !IsSpace(text[end])) ++end;
    std::string token = text.substr(begin, end - begin);
    if (rest) {
        size_t next = end;
        while (next < text.size() && IsSpace(text[next])) ++next;
        *rest = text.substr(next);  // text may be *rest itself
    }
    return token;
}

std::vector<std::string> Tokens(const std::string& text) {
    std::vector<std::string> tokens;
    std::string rest = text;
    for (std::string token = Token(rest, &rest); !token.empty(); token = Token(rest, &rest))
        tokens.push_back(token);
    return tokens;
}

bool ParseUnsigned(const std::string& token, uint32_t& out, int base = 10) {
    if (token.empty()) return false;
    char* end = nullptr;
    const unsigned long long v = std::strtoull(token.c_str(), &end, base);
    if (end == token.c_str()) return false;
    out = static_cast<uint32_t>(v);
    return true;
}

bool ParseInt(const std::string& token, int32_t& out) {
    if (token.empty()) return false;
    char* end = nullptr;
    const long long v = std::strtoll(token.c_str(), &end, 10);
    if (end == token.c_str()) return false;
    out = static_cast<int32_t>(std::max<long long>(INT32_MIN, std::min<long long>(INT32_MAX, v)));
    return true;
}

bool ParseFloat(const std::string& token, float& out) {
    if (token.empty()) return false;
    char* end = nullptr;
    const float v = std::strtof(token.c_str(), &end);
    if (end == token.c_str()) return false;
    out = v;
    return true;
}

// Leading numbers of a parameter text; returns how many were read.
int ParseFloats(const std::string& text, float* out, int count) {
    const std::vector<std::string> tokens = Tokens(text);
    int read = 0;
    while (read < count && read < static_cast<int>(tokens.size()) && ParseFloat(tokens[read], out[read]))
        ++read;
    return read;
}

bool FirstUnsigned(const std::string& text, uint32_t& out) {
    return ParseUnsigned(Token(text, nullptr), out);
}
bool FirstInt(const std::string& text, int32_t& out) {
    return ParseInt(Token(text, nullptr), out);
}
bool FirstHex(const std::string& text, uint32_t& out, std::string* rest = nullptr) {
    return ParseUnsigned(Token(text, rest), out, 16);
}

std::string Unquote(const std::string& text) {
    const std::string t = Trim(text);
    if (t.size() >= 2 && t.front() == '"' && t.back() == '"') return t.substr(1, t.size() - 2);
    return t;
}

std::string Hex(uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "%X", id);
    return text;
}

std::string ItemName(const std::string& fileName) {
    std::string base = fileName.substr(
        fileName.find_last_of("/\\:") == std::string::npos ? 0 : fileName.find_last_of("/\\:") + 1);
    const size_t dot = base.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? base : base.substr(0, dot);
}

}  // namespace

// A plugin block's handler: by default it refuses everything.
class LWSceneReader::PluginHandler {
public:
    virtual ~PluginHandler() = default;
    virtual bool Handle(const LWBlock&, LWSceneReader&) { return false; }
};

namespace {

// The morph mixer's block: morphs by name, each with its weight envelope.
class MorphMixerHandler : public LWSceneReader::PluginHandler {
public:
    explicit MorphMixerHandler(LWObjectItem* object) : m_object(object) {}

    bool Handle(const LWBlock& block, LWSceneReader& reader) override {
        const bool form = block.keyword == "MorfForm";
        if (!form && block.keyword != "KeyedMorph") {
            LogMessage(LOG_INFO, "Ignoring unknown block: \"" + block.keyword + "\"");
            return false;
        }
        LWMorphForm morph;
        const size_t first = block.parameters.find('"'), last = block.parameters.rfind('"');
        morph.name =
            first != last ? block.parameters.substr(first + 1, last - first - 1) : Trim(block.parameters);
        const size_t envelopeChild = form ? 1 : 0;
        if (envelopeChild < block.children.size() && block.children[envelopeChild]->keyword == "Envelope") {
            LWEnvelope envelope;
            reader.ReadEnvelope(*block.children[envelopeChild], envelope);
            morph.weight.SetEnvelope(envelope);
        } else {
            LogMessage(LOG_WARNING, "LWSceneReader: morph \"" + morph.name + "\" at line " +
                                        std::to_string(block.line) + " has no envelope; its weight stays 0.");
        }
        m_object->morphForms.push_back(std::move(morph));
        return true;
    }

private:
    LWObjectItem* m_object;
};

}  // namespace

LWSceneReader::LWSceneReader() = default;
LWSceneReader::~LWSceneReader() = default;

const LWBlock* LWSceneReader::BlockSource::Next() {
    if (m_reader) {
        m_held = m_reader->ReadBlock();
        return m_held.get();
    }
    return m_next < m_lines.size() ? m_lines[m_next++] : nullptr;
}

std::vector<const LWBlock*> LWSceneReader::LinesOf(const LWBlock& block, bool withParameters,
                                                   std::unique_ptr<LWBlock>& paramLine) {
    std::vector<const LWBlock*> lines;
    if (withParameters && !Trim(block.parameters).empty()) {
        paramLine = ParseBlockLine(block.parameters, 0);
        if (paramLine) {
            paramLine->line = block.line + 1;
            lines.push_back(paramLine.get());
        }
    }
    for (const auto& child : block.children) lines.push_back(child.get());
    return lines;
}

void LWSceneReader::Warn(const std::string& what) {
    LogMessage(LOG_WARNING, "LWScene " + (m_scene ? m_scene->name : std::string()) + ": " + what);
}

std::unique_ptr<LWScene> LWSceneReader::Load(LWModelManager* manager, const std::string& fileName) {
    Loader* loader = manager ? manager->GetLoader() : nullptr;
    if (!loader) return nullptr;
    const size_t slash = fileName.find_last_of('/');
    // Paths in a scene are relative to the parent of the scene's own folder.
    std::string base;
    if (slash != std::string::npos && slash > 0) {
        const size_t up = fileName.find_last_of('/', slash - 1);
        if (up != std::string::npos) base = fileName.substr(0, up + 1);
    }
    uint32_t size = 0;
    std::unique_ptr<uint8_t[]> data = loader->LoadFile(fileName, size);
    if (!data) return nullptr;
    LWSceneReader reader;
    std::unique_ptr<LWScene> scene =
        reader.Parse(reinterpret_cast<const char*>(data.get()), size,
                     slash == std::string::npos ? fileName : fileName.substr(slash + 1));
    data.reset();
    if (!scene) return nullptr;
    scene->contentDirectory = base;
    if (!scene->LoadItems(manager)) {
        LogMessage(LOG_ERROR, "Loading scene items failed.");
        return nullptr;
    }
    return scene;
}

bool LWSceneReader::ReadLine(std::string& line) {
    if (m_pos >= m_size) return false;
    const char* start = m_text + m_pos;
    const void* newline = std::memchr(start, '\n', m_size - m_pos);
    const size_t length =
        newline ? static_cast<size_t>(static_cast<const char*>(newline) - start) : m_size - m_pos;
    line.assign(start, length);
    if (!line.empty() && line.back() == '\r') line.pop_back();  // CR LF files
    m_pos += length + (newline ? 1 : 0);
    ++m_lineNumber;
    return true;
}

bool LWSceneReader::PeekLine(std::string& line) const {
    if (m_pos >= m_size) return false;
    const char* start = m_text + m_pos;
    const void* newline = std::memchr(start, '\n', m_size - m_pos);
    line.assign(start,
                newline ? static_cast<size_t>(static_cast<const char*>(newline) - start) : m_size - m_pos);
    return true;
}

std::unique_ptr<LWScene> LWSceneReader::Parse(const char* text, size_t size, const std::string& name) {
    m_text = text;
    m_size = text ? size : 0;
    m_pos = 0;
    m_lineNumber = 0;
    auto scene = std::make_unique<LWScene>();
    scene->name = name;
    m_scene = scene.get();
    m_item = nullptr;
    m_object = nullptr;
    m_light = nullptr;
    m_camera = nullptr;
    m_bone = nullptr;
    m_plugin.reset();
    m_inEmitterPlugin = false;

    std::string header, versionLine;
    uint32_t version = 0;
    if (!ReadLine(header) || Trim(header) != "LWSC" || !ReadLine(versionLine) ||
        !FirstUnsigned(versionLine, version)) {
        LogMessage(LOG_ERROR, "Invalid LWS file format.");
        return nullptr;
    }
    if (version < 3) {
        LogMessage(LOG_ERROR, "Unsupported LWS file format version: ", version);
        return nullptr;
    }
    if (version > 5) LogMessage(LOG_WARNING, "Unknown LWS file format version: ", version);
    m_version = version;

    while (m_pos < m_size) {
        std::unique_ptr<LWBlock> block = ReadBlock();
        if (!block || !HandleBlock(*block)) return nullptr;
    }
    if (scene->framesPerSecond == 0) {
        Warn("a frame rate of 0 leaves the scene standing still.");
    } else if (scene->lastFrame <= scene->firstFrame) {
        Warn("frames " + std::to_string(scene->firstFrame) + " to " + std::to_string(scene->lastFrame) +
             " hold no time; the scene stands still.");
    }
    scene->ResolveItems();
    m_scene = nullptr;
    return scene;
}

std::unique_ptr<LWBlock> LWSceneReader::ReadBlock() {
    std::string line;
    if (!ReadLine(line)) {
        LogMessage(LOG_ERROR, "LWSceneReader::ReadBlock(): Reading line failed.");
        return nullptr;
    }
    return ParseBlockLine(line, 0);
}

std::unique_ptr<LWBlock> LWSceneReader::ParseBlockLine(const std::string& line, int depth) {
    auto block = std::make_unique<LWBlock>();
    block->line = m_lineNumber;
    std::string rest;
    const std::string keyword = Token(line, &rest);
    if (keyword != "{") {
        block->keyword = keyword;
        block->parameters = rest;
        return block;
    }
    if (depth >= kMaxBlockDepth) {
        LogMessage(LOG_ERROR, "LWSceneReader::ReadBlock(): Blocks nested too deeply at line ", m_lineNumber);
        return nullptr;
    }
    block->braced = true;
    block->keyword = Token(rest, nullptr);
    std::string next;
    if (!PeekLine(next)) {
        LogMessage(LOG_ERROR, "LWSceneReader::ReadBlock(): Reading line failed.");
        return nullptr;
    }
    const std::string peeked = Trim(next);
    // A block closed right away has neither parameters nor children.
    if (peeked == "}") {
        ReadLine(next);
        return block;
    }
    if (peeked.empty() || peeked[0] != '{') {
        ReadLine(next);
        if (peeked.empty()) {
            LogMessage(LOG_ERROR, "LWSceneReader::ReadBlock(): Could not read parameters.");
            return nullptr;
        }
        block->parameters = peeked;
    }
    for (;;) {
        if (!ReadLine(next)) {
            LogMessage(LOG_ERROR, "LWSceneReader::ReadBlock(): Reading line failed.");
            LogMessage(LOG_ERROR, "LWSceneReader::ReadBlock(): Could not read child block.");
            return nullptr;
        }
        if (Trim(next) == "}") break;
        std::unique_ptr<LWBlock> child = ParseBlockLine(next, depth + 1);
        if (!child) {
            LogMessage(LOG_ERROR, "LWSceneReader::ReadBlock(): Could not read child block.");
            return nullptr;
        }
        block->children.push_back(std::move(child));
    }
    return block;
}

bool LWSceneReader::ReadEnvelope(const LWBlock& block, LWEnvelope& envelope) {
    envelope = LWEnvelope();
    uint32_t count = 0;
    const bool counted = FirstUnsigned(block.parameters, count);
    uint32_t keys = 0;
    for (const auto& child : block.children) {
        if (child->keyword == "Key") {
            const std::vector<std::string> t = Tokens(child->parameters);
            float value = 0, time = 0, p[6] = {0, 0, 0, 0, 0, 0};
            uint32_t shape = 0;
            if (t.size() < 2 || !ParseFloat(t[0], value) || !ParseFloat(t[1], time) ||
                !std::isfinite(value) || !std::isfinite(time)) {
                LogMessage(LOG_WARNING, "LWSceneReader: unreadable key at line " +
                                            std::to_string(child->line) + " skipped.");
                continue;
            }
            if (t.size() > 2) ParseUnsigned(t[2], shape);
            for (size_t i = 0; i < 6 && i + 3 < t.size(); ++i) ParseFloat(t[i + 3], p[i]);
            envelope.AddKey(time, value, shape, p[0], p[1], p[2], p[3], p[4], p[5]);
            ++keys;
        } else if (child->keyword == "Behaviors") {
            const std::vector<std::string> t = Tokens(child->parameters);
            if (!t.empty()) ParseUnsigned(t[0], envelope.preBehavior);
            if (t.size() > 1) ParseUnsigned(t[1], envelope.postBehavior);
        }
    }
    // The key lines are the data; a count that disagrees with them is only reported.
    if (!counted || count != keys)
        LogMessage(LOG_WARNING, "LWSceneReader: envelope at line " + std::to_string(block.line) +
                                    " announces " + Trim(block.parameters) + " keys but holds " +
                                    std::to_string(keys) + ".");
    return true;
}

bool LWSceneReader::ReadScalar(const LWBlock& block, BlockSource& more, LWParameter& parameter) {
    const std::string text = Trim(block.parameters);
    if (text == "(envelope)") {
        const LWBlock* envelope = more.Next();
        if (!envelope || envelope->keyword != "Envelope") {
            LogMessage(LOG_ERROR, "LWSceneReader: \"" + block.keyword + "\" at line " +
                                      std::to_string(block.line) + " is not followed by an Envelope block.");
            return false;
        }
        LWEnvelope e;
        ReadEnvelope(*envelope, e);
        parameter.SetEnvelope(e);
        return true;
    }
    float value = 0.0f;
    if (ParseFloats(text, &value, 1) == 1) {
        parameter.value = value;
        parameter.animated = false;
    } else {
        LogMessage(LOG_WARNING, "LWSceneReader: \"" + block.keyword + "\" at line " +
                                    std::to_string(block.line) + " has no value; ignored.");
    }
    return true;
}

bool LWSceneReader::ReadVector(const LWBlock& block, BlockSource& more, LWVectorParameter& vector) {
    const std::string text = Trim(block.parameters);
    if (text == "(envelope)") {
        for (LWParameter& component : vector.c) {
            const LWBlock* envelope = more.Next();
            if (!envelope || envelope->keyword != "Envelope") {
                LogMessage(LOG_ERROR, "LWSceneReader: \"" + block.keyword + "\" at line " +
                                          std::to_string(block.line) +
                                          " is not followed by three Envelope blocks.");
                return false;
            }
            LWEnvelope e;
            ReadEnvelope(*envelope, e);
            component.SetEnvelope(e);
        }
        return true;
    }
    float v[3];
    if (ParseFloats(text, v, 3) == 3) {
        for (int i = 0; i < 3; ++i) {
            vector.c[i].value = v[i];
            vector.c[i].animated = false;
        }
    } else {
        LogMessage(LOG_WARNING, "LWSceneReader: \"" + block.keyword + "\" at line " +
                                    std::to_string(block.line) + " needs three values; ignored.");
    }
    return true;
}

bool LWSceneReader::ReadMotion(LWMotion& motion) {
    BlockSource source(*this);
    const LWBlock* count = source.Next();
    uint32_t channels = 0;
    if (!count || count->keyword != "NumChannels" || !FirstUnsigned(count->parameters, channels)) {
        LogMessage(LOG_ERROR, "LWSceneReader: motion without NumChannels at line ", m_lineNumber);
        return false;
    }
    motion.channelCount = channels;
    for (uint32_t i = 0; i < channels; ++i) {
        const LWBlock* channel = source.Next();
        uint32_t number = 0;
        if (!channel || channel->keyword != "Channel" || !FirstUnsigned(channel->parameters, number)) {
            LogMessage(LOG_ERROR, "LWSceneReader: motion channel expected at line ", m_lineNumber);
            return false;
        }
        const LWBlock* envelope = source.Next();
        if (!envelope || envelope->keyword != "Envelope") {
            LogMessage(LOG_ERROR, "LWSceneReader: envelope of motion channel expected at line ",
                       m_lineNumber);
            return false;
        }
        LWEnvelope e;
        ReadEnvelope(*envelope, e);
        if (number >= static_cast<uint32_t>(LWMotion::kChannels)) {
            LogMessage(LOG_INFO, "Invalid motion channel: ", number);
            continue;
        }
        motion.channels[number] = std::move(e);
        motion.present[number] = true;
    }
    return true;
}

template <class T>
T* LWSceneReader::Current(T* item, const LWBlock& block, const char* kind) {
    if (!item)
        Warn("\"" + block.keyword + "\" at line " + std::to_string(block.line) + " comes before any " + kind +
             "; ignored.");
    return item;
}

template <class T>
T* LWSceneReader::AddItem(std::vector<std::unique_ptr<T>>& list, uint32_t id) {
    list.push_back(std::make_unique<T>());
    T* item = list.back().get();
    item->id = id;
    if (!m_scene->AddToIdMap(item)) Warn("item id " + Hex(id) + " is used twice; references find the first.");
    m_item = item;
    return item;
}

bool LWSceneReader::HandleBlock(const LWBlock& block) {
    if (m_plugin) {
        if (block.keyword == "EndPlugin") {
            m_plugin.reset();
        } else if (!m_plugin->Handle(block, *this)) {
            LogMessage(LOG_WARNING,
                       "LWSceneReader::HandleBlock(): Plugin block \"" + block.keyword + "\" ignored.");
        }
        return true;
    }
    if (block.keyword == "EndPlugin") {
        m_inEmitterPlugin = false;
        return true;
    }
    if (block.keyword == "Plugin") return HandlePlugin(block);
    bool handled = false;
    bool ok = HandleSceneKeyword(block, handled);
    if (!handled) ok = HandleItemKeyword(block, handled);
    if (!handled) ok = HandleObjectKeyword(block, handled);
    if (!handled) ok = HandleBoneKeyword(block, handled);
    if (!handled) ok = HandleLightKeyword(block, handled);
    if (!handled) ok = HandleCameraKeyword(block, handled);
    return handled ? ok : true;  // unknown keywords are skipped
}

bool LWSceneReader::HandlePlugin(const LWBlock& block) {
    std::string rest;
    LWPluginInfo info;
    info.className = Token(block.parameters, &rest);
    ParseInt(Token(rest, &rest), info.index);
    info.server = Trim(rest);
    if (info.className == "CustomObjHandler" && info.server == "FX_Emitter") {
        // Its lines are ordinary scene lines up to EndPlugin.
        m_inEmitterPlugin = true;
        return true;
    }
    if (info.className == "DisplacementHandler" && info.server == "LW_MorphMixer" && m_object) {
        m_plugin = std::make_unique<MorphMixerHandler>(m_object);
        return true;
    }
    if (m_object && m_item == m_object) m_object->plugins.push_back(info);
    m_plugin = std::make_unique<PluginHandler>();
    return true;
}

bool LWSceneReader::HandleSceneKeyword(const LWBlock& block, bool& handled) {
    handled = true;
    const std::string& k = block.keyword;
    LWScene& s = *m_scene;
    BlockSource more(*this);
    if (k == "FirstFrame") {
        FirstInt(block.parameters, s.firstFrame);
        return true;
    }
    if (k == "LastFrame") {
        FirstInt(block.parameters, s.lastFrame);
        return true;
    }
    if (k == "FramesPerSecond") {
        FirstUnsigned(block.parameters, s.framesPerSecond);
        return true;
    }
    if (k == "AmbientColor") return ReadVector(block, more, s.ambientColor);
    if (k == "AmbientIntensity") return ReadScalar(block, more, s.ambientIntensity);
    if (k == "GlobalLightIntensity") return ReadScalar(block, more, s.globalLightIntensity);
    if (k == "GlobalFlareIntensity") return ReadScalar(block, more, s.globalFlareIntensity);
    if (k == "FogMinDistance") return ReadScalar(block, more, s.fogMinDistance);
    if (k == "FogMaxDistance") return ReadScalar(block, more, s.fogMaxDistance);
    if (k == "FogColor") return ReadVector(block, more, s.fogColor);
    uint32_t u = 0;
    if (k == "EnableLensFlares") {
        if (FirstUnsigned(block.parameters, u)) s.enableLensFlares = u != 0;
        return true;
    }
    if (k == "BackdropFog") {
        if (FirstUnsigned(block.parameters, u)) s.backdropFog = u != 0;
        return true;
    }
    if (k == "FogType") {
        FirstUnsigned(block.parameters, s.fogType);
        return true;
    }
    if (k == "BackdropColor") {
        ParseFloats(block.parameters, s.backdropColor, 3);
        return true;
    }
    handled = false;
    return true;
}

bool LWSceneReader::HandleItemKeyword(const LWBlock& block, bool& handled) {
    handled = true;
    const std::string& k = block.keyword;
    const bool withIds = m_version >= 4;
    std::string rest;
    uint32_t id = 0;
    if (k == "LoadObjectLayer" || k == "AddNullObject") {
        const uint32_t generated = 0x10000000u + static_cast<uint32_t>(m_scene->objects.size());
        int32_t layer = -1;
        std::string text = block.parameters;
        if (k == "LoadObjectLayer" && !ParseInt(Token(text, &text), layer)) {
            Warn("LoadObjectLayer at line " + std::to_string(block.line) +
                 " has no layer number; layer 1 is used.");
            layer = 1;
        }
        if (!withIds || !FirstHex(text, id, &rest)) {
            if (withIds) Warn("item at line " + std::to_string(block.line) + " has no id; one is made up.");
            id = generated;
            rest = Trim(text);
        }
        LWObjectItem* object = AddItem(m_scene->objects, id);
        // Names keep their spaces: the rest of the line is the name.
        if (k == "LoadObjectLayer") {
            object->layer = std::max(layer, 0);
            object->fileName = Trim(rest);
            object->name = ItemName(object->fileName);
        } else {
            object->name = Trim(rest);
        }
        m_object = object;
        m_bone = nullptr;
        return true;
    }
    if (k == "AddLight" || k == "AddCamera") {
        const bool light = k == "AddLight";
        const uint32_t generated =
            (light ? 0x20000000u : 0x30000000u) +
            static_cast<uint32_t>(light ? m_scene->lights.size() : m_scene->cameras.size());
        if (!withIds || !FirstHex(block.parameters, id)) id = generated;
        if (light) {
            m_light = AddItem(m_scene->lights, id);
        } else {
            m_camera = AddItem(m_scene->cameras, id);
        }
        return true;
    }
    if (k == "AddBone") {
        LWObjectItem* owner = m_object;
        if (withIds && FirstHex(block.parameters, id)) {
            LWItem* found = m_scene->FindItem((id & 0xFFFFu) + 0x10000000u);
            owner = found && found->type == LWITEM_OBJECT ? static_cast<LWObjectItem*>(found) : nullptr;
            if (!owner) LogMessage(LOG_ERROR, "Owner object for bone not found. bone id=" + Hex(id));
        } else if (!owner) {
            Warn("AddBone at line " + std::to_string(block.line) + " comes before any object; ignored.");
        }
        m_bone = nullptr;
        if (!owner) {
            m_item = nullptr;
            return true;
        }
        owner->bones.push_back(std::make_unique<LWBoneItem>());
        LWBoneItem* bone = owner->bones.back().get();
        bone->owner = owner;
        bone->id = ((0x4000u + static_cast<uint32_t>(owner->bones.size() - 1)) << 16) + (owner->id & 0xFFFFu);
        if (!m_scene->AddToIdMap(bone))
            Warn("item id " + Hex(bone->id) + " is used twice; references find the first.");
        m_bone = bone;
        m_item = bone;
        return true;
    }

    if (k == "ObjectMotion" || k == "BoneMotion" || k == "LightMotion" || k == "CameraMotion") {
        LWItem* item = k[0] == 'O'   ? static_cast<LWItem*>(Current(m_object, block, "object"))
                       : k[0] == 'B' ? static_cast<LWItem*>(Current(m_bone, block, "bone"))
                       : k[0] == 'L' ? static_cast<LWItem*>(Current(m_light, block, "light"))
                                     : static_cast<LWItem*>(Current(m_camera, block, "camera"));
        // An orphan motion is still read, so that its lines do not pass for keywords.
        LWMotion scratch;
        return ReadMotion(item ? item->motion : scratch);
    }
    if (k == "LightName" || k == "CameraName" || k == "BoneName") {
        LWItem* item = k[0] == 'L'   ? static_cast<LWItem*>(Current(m_light, block, "light"))
                       : k[0] == 'C' ? static_cast<LWItem*>(Current(m_camera, block, "camera"))
                                     : static_cast<LWItem*>(Current(m_bone, block, "bone"));
        if (item) item->name = Trim(block.parameters);
        return true;
    }

    const bool itemKeyword = k == "ParentItem" || k == "TargetItem" || k == "HController" ||
                             k == "PController" || k == "BController" || k == "PivotPosition" ||
                             k == "PivotRotation";
    if (!itemKeyword) {
        handled = false;
        return true;
    }
    LWItem* item = Current(m_item, block, "item");
    if (!item) return true;
    if (k == "ParentItem" || k == "TargetItem") {
        if (!FirstHex(block.parameters, id)) {
            Warn("\"" + k + "\" at line " + std::to_string(block.line) + " has no item id; ignored.");
        } else if (k == "ParentItem") {
            item->hasParent = true;
            item->parentId = id;
        } else {
            item->hasTarget = true;
            item->targetId = id;
        }
    } else if (k == "PivotPosition") {
        float v[3] = {0, 0, 0};
        ParseFloats(block.parameters, v, 3);
        item->pivot[0] = v[0], item->pivot[1] = v[1], item->pivot[2] = -v[2];
        item->hasPivot = true;
    } else if (k == "PivotRotation") {
        float v[3] = {0, 0, 0};
        ParseFloats(block.parameters, v, 3);
        item->pivotRotation[0] = v[0] * kDegrees;
        item->pivotRotation[1] = v[1] * kDegrees;
        item->pivotRotation[2] = -v[2] * kDegrees;
    } else {
        int32_t controller = 0;
        FirstInt(block.parameters, controller);
        if (controller < 0 || controller > 2) {
            LogMessage(LOG_INFO, "Invalid rotation controller: ", controller);
        } else {
            item->controllers[k[0] == 'H' ? 0 : (k[0] == 'P' ? 1 : 2)] = controller;
        }
    }
    return true;
}

bool LWSceneReader::HandleObjectKeyword(const LWBlock& block, bool& handled) {
    static const char* const keywords[] = {"ObjectDissolve",   "UnaffectedByFog",      "UnseenByCamera",
                                           "PolygonEdgeFlags", "PolygonEdgeThickness", "PolygonEdgeColor",
                                           "MorphAmount",      "MorphTarget",          "MTSEMorphing",
                                           "DisplacementMaps", "UseBonesFrom",         "BoneFalloffType"};
    const std::string& k = block.keyword;
    handled = std::find(std::begin(keywords), std::end(keywords), k) != std::end(keywords);
    if (!handled) return true;
    if (k == "DisplacementMaps") return HandleDisplacementMaps(block);
    BlockSource more(*this);
    LWObjectItem scratch;
    LWObjectItem* current = Current(m_object, block, "object");
    LWObjectItem& o = current ? *current : scratch;
    uint32_t u = 0;
    const bool number = FirstUnsigned(block.parameters, u);
    if (k == "ObjectDissolve") return ReadScalar(block, more, o.dissolve);
    if (k == "MorphAmount") return ReadScalar(block, more, o.morphAmount);
    if (k == "UnaffectedByFog" && number) o.unaffectedByFog = u != 0;
    if (k == "UnseenByCamera" && number) o.unseenByCamera = u != 0;
    if (k == "PolygonEdgeFlags" && number)
        for (int i = 0; i < 5; ++i) o.edgeFlags[i] = (u >> i) & 1u;
    if (k == "PolygonEdgeThickness") ParseFloats(block.parameters, o.edgeThickness, 5);
    if (k == "PolygonEdgeColor") ParseFloats(block.parameters, o.edgeColour, 3);
    if (k == "MorphTarget") FirstInt(block.parameters, o.morphTarget);
    if (k == "MTSEMorphing" && number) o.mtseMorphing = u != 0;
    if (k == "UseBonesFrom" && number) o.useBonesFrom = u;
    if (k == "BoneFalloffType" && number) o.boneFalloff = u >= 1 && u <= 8 ? 1u << (u - 1) : 1u;
    return true;
}

bool LWSceneReader::HandleBoneKeyword(const LWBlock& block, bool& handled) {
    const std::string& k = block.keyword;
    float f = 0.0f;
    uint32_t u = 0;
    const bool isFloat = ParseFloats(block.parameters, &f, 1) == 1;
    const bool isUnsigned = FirstUnsigned(block.parameters, u);
    struct FlagField {
        const char* keyword;
        bool LWBoneItem::*field;
    };
    static const FlagField flags[] = {{"BoneActive", &LWBoneItem::active},
                                      {"BoneWeightMapOnly", &LWBoneItem::weightMapOnly},
                                      {"BoneNormalization", &LWBoneItem::normalization},
                                      {"ScaleBoneStrength", &LWBoneItem::scaleStrength},
                                      {"BoneLimitedRange", &LWBoneItem::limitedRange}};
    struct FloatField {
        const char* keyword;
        float LWBoneItem::*field;
    };
    static const FloatField floats[] = {
        {"BoneRestLength", &LWBoneItem::restLength}, {"BoneStrength", &LWBoneItem::strength},
        {"BoneMinRange", &LWBoneItem::minRange},     {"BoneMaxRange", &LWBoneItem::maxRange},
        {"BoneJointComp", &LWBoneItem::jointComp},   {"BoneJointCompParent", &LWBoneItem::jointCompParent},
        {"BoneMuscleFlex", &LWBoneItem::muscleFlex}, {"BoneMuscleFlexParent", &LWBoneItem::muscleFlexParent}};
    const bool known = k == "BoneRestPosition" || k == "BoneRestDirection" || k == "BoneWeightMapName" ||
                       std::any_of(std::begin(flags), std::end(flags),
                                   [&](const FlagField& f2) { return k == f2.keyword; }) ||
                       std::any_of(std::begin(floats), std::end(floats),
                                   [&](const FloatField& f2) { return k == f2.keyword; });
    handled = known;
    if (!known) return true;
    LWBoneItem* bone = Current(m_bone, block, "bone");
    if (!bone) return true;
    if (k == "BoneRestPosition") ParseFloats(block.parameters, bone->restPosition, 3);
    if (k == "BoneRestDirection") ParseFloats(block.parameters, bone->restDirection, 3);
    if (k == "BoneWeightMapName") bone->weightMapName = Trim(block.parameters);
    for (const FlagField& field : flags) {
        if (k == field.keyword && isUnsigned) bone->*field.field = u != 0;
    }
    for (const FloatField& field : floats) {
        if (k == field.keyword && isFloat) bone->*field.field = f;
    }
    return true;
}

bool LWSceneReader::HandleLightKeyword(const LWBlock& block, bool& handled) {
    static const char* const keywords[] = {
        "LightColor",     "LightIntensity",   "AffectDiffuse",        "AffectSpecular",
        "LightType",      "LightFalloffType", "LightRange",           "LensFlare",
        "FlareIntensity", "FlareDissolve",    "FlareNominalDistance", "LensFlareFade",
        "FlareRingColor", "FlareRingSize",    "LightConeAngle",       "LightEdgeAngle"};
    const std::string& k = block.keyword;
    handled = std::find(std::begin(keywords), std::end(keywords), k) != std::end(keywords);
    if (!handled) return true;
    BlockSource more(*this);
    LWLightItem scratch;
    LWLightItem* current = Current(m_light, block, "light");
    LWLightItem& l = current ? *current : scratch;
    if (k == "LightColor") return ReadVector(block, more, l.colour);
    if (k == "FlareRingColor") return ReadVector(block, more, l.flareRingColour);
    const std::pair<const char*, LWParameter*> scalars[] = {{"LightIntensity", &l.intensity},
                                                            {"LightRange", &l.range},
                                                            {"FlareIntensity", &l.flareIntensity},
                                                            {"FlareDissolve", &l.flareDissolve},
                                                            {"FlareNominalDistance", &l.flareNominalDistance},
                                                            {"FlareRingSize", &l.flareRingSize},
                                                            {"LightConeAngle", &l.coneAngle},
                                                            {"LightEdgeAngle", &l.edgeAngle}};
    for (const auto& scalar : scalars) {
        if (k != scalar.first) continue;
        const bool ok = ReadScalar(block, more, *scalar.second);
        // Cone and edge angles are given in degrees, constants and envelopes alike.
        if (ok && (k == "LightConeAngle" || k == "LightEdgeAngle")) {
            scalar.second->value *= kDegrees;
            scalar.second->envelope.ScaleValues(kDegrees);
        }
        return ok;
    }
    uint32_t u = 0;
    if (!FirstUnsigned(block.parameters, u)) return true;
    if (k == "AffectDiffuse") l.affectDiffuse = u != 0;
    if (k == "AffectSpecular") l.affectSpecular = u != 0;
    if (k == "LightType") l.lightType = u;
    if (k == "LightFalloffType") l.falloffType = u;
    if (k == "LensFlare") l.lensFlare = u == 1;
    if (k == "LensFlareFade") {
        l.flareFadeBit1 = (u & 2u) != 0;
        l.flareFadeBit4 = (u & 16u) != 0;
    }
    return true;
}

bool LWSceneReader::HandleCameraKeyword(const LWBlock& block, bool& handled) {
    const std::string& k = block.keyword;
    handled = k == "ZoomFactor" || k == "FrameSize" || k == "PixelAspect";
    if (!handled) return true;
    BlockSource more(*this);
    LWCameraItem scratch;
    LWCameraItem* current = Current(m_camera, block, "camera");
    LWCameraItem& c = current ? *current : scratch;
    if (k == "ZoomFactor") return ReadScalar(block, more, c.zoomFactor);
    float v[2] = {0, 0};
    if (k == "FrameSize" && ParseFloats(block.parameters, v, 2) == 2) {
        c.frameWidth = v[0];
        c.frameHeight = v[1];
    }
    if (k == "PixelAspect" && ParseFloats(block.parameters, v, 1) == 1) c.pixelAspect = v[0];
    return true;
}

uint32_t LWSceneReader::DisplacementImage(const std::string& fileName) {
    auto& images = m_scene->displacementImages;
    for (size_t i = 0; i < images.size(); ++i) {
        if (images[i].fileName == fileName) return static_cast<uint32_t>(i);
    }
    images.push_back(LWDisplacementImage{fileName, nullptr});
    return static_cast<uint32_t>(images.size() - 1);
}

bool LWSceneReader::HandleDisplacementMaps(const LWBlock& block) {
    std::unique_ptr<LWBlock> held;
    const LWBlock* textures = nullptr;
    if (block.braced) {
        for (const auto& child : block.children) {
            if (child->keyword == "TextureBlock") textures = child.get();
        }
    } else {
        held = ReadBlock();
        textures = held.get();
    }
    if (!textures || textures->keyword != "TextureBlock") {
        LogMessage(LOG_ERROR, "LWSceneReader: DisplacementMaps at line " + std::to_string(block.line) +
                                  " is not followed by a TextureBlock.");
        return false;
    }
    LWObjectItem* object = Current(m_object, block, "object");
    for (const auto& child : textures->children) {
        if (child->keyword != "Texture") continue;
        std::unique_ptr<LWTextureLayer> layer = HandleTextureBlock(*child);
        if (!layer || !object) continue;
        layer->image = static_cast<int32_t>(DisplacementImage(layer->imageFile));
        auto& layers = object->displacementLayers;
        auto at = std::upper_bound(layers.begin(), layers.end(), *layer,
                                   [](const LWTextureLayer& a, const LWTextureLayer& b) {
                                       return std::strcmp(a.ordinal.c_str(), b.ordinal.c_str()) < 0;
                                   });
        layers.insert(at, std::move(*layer));
    }
    return true;
}

std::unique_ptr<LWTextureLayer> LWSceneReader::HandleTextureBlock(const LWBlock& block) {
    std::string rest;
    const std::string type = Token(block.parameters, &rest);
    if (type != "ImageMap") {
        LogMessage(LOG_WARNING,
                   "LWSceneReader::HandleTextureBlock(): Layer type not supported: \"" + type + "\"");
        return nullptr;
    }
    auto layer = std::make_unique<LWTextureLayer>();
    layer->ordinal = Trim(rest);
    layer->channel = "DISP";
    int32_t blendMode = 0;
    std::unique_ptr<LWBlock> unused;
    BlockSource children(LinesOf(block, false, unused));
    while (const LWBlock* c = children.Next()) {
        const std::string& k = c->keyword;
        const std::vector<std::string> t = Tokens(c->parameters);
        int32_t i = 0;
        const bool isInt = !t.empty() && ParseInt(t[0], i);
        if (k == "Channel" && isInt) {
            layer->channel = std::to_string(i);
        } else if (k == "Opacity") {
            if (isInt) blendMode = i;
            if (t.size() > 1) ParseFloat(t[1], layer->opacity.value);
            int32_t animated = 0;
            if (t.size() > 2 && ParseInt(t[2], animated) && animated) {
                LWParameter opacity;
                LWBlock marker;
                marker.keyword = k;
                marker.parameters = "(envelope)";
                marker.line = c->line;
                if (!ReadScalar(marker, children, opacity)) return nullptr;
                layer->opacity = opacity;
            }
        } else if (k == "Enable" && isInt) {
            layer->enabled = i != 0;
        } else if (k == "Negative" && isInt) {
            layer->negative = i != 0;
        } else if (k == "TextureMap") {
            std::unique_ptr<LWBlock> first;
            BlockSource map(LinesOf(*c, true, first));
            while (const LWBlock* m = map.Next()) {
                if (m->keyword == "Center" && !ReadVector(*m, map, layer->centre)) return nullptr;
                if (m->keyword == "Size" && !ReadVector(*m, map, layer->size)) return nullptr;
                if (m->keyword == "Rotation" && !ReadVector(*m, map, layer->rotation)) return nullptr;
                int32_t world = 0;
                if (m->keyword == "Coordinates" && FirstInt(m->parameters, world))
                    layer->worldCoordinates = world != 0;
            }
        } else if (k == "Projection" && isInt) {
            layer->projection = static_cast<uint16_t>(i);
        } else if (k == "Axis" && isInt) {
            layer->axis = static_cast<uint16_t>(i);
        } else if (k == "Image") {
            const LWBlock* kind = c->children.empty() ? nullptr : c->children[0].get();
            const std::string imageType = kind ? kind->keyword : Token(c->parameters, nullptr);
            if (imageType != "Clip" || !kind) {
                LogMessage(LOG_WARNING,
                           "LWSceneReader::HandleTextureBlock(): Ignoring unsupported image type: \"" +
                               imageType + "\"");
                continue;
            }
            std::unique_ptr<LWBlock> first;
            for (const LWBlock* clip : LinesOf(*kind, true, first)) {
                if (clip->keyword == "Still") {
                    layer->imageFile = Unquote(clip->parameters);
                } else {
                    LogMessage(LOG_WARNING,
                               "LWSceneReader::HandleTextureBlock(): Ignoring unsupported clip type: \"" +
                                   clip->keyword + "\"");
                }
            }
        } else if (k == "WrapOptions" && isInt) {
            layer->widthWrap = static_cast<uint16_t>(i);
            if (t.size() > 1 && ParseInt(t[1], i)) layer->heightWrap = static_cast<uint16_t>(i);
        } else if (k == "WidthWrap" || k == "HeightWrap") {
            LWParameter repeat(1.0f);
            if (!ReadScalar(*c, children, repeat)) return nullptr;
            (k == "WidthWrap" ? layer->widthRepeat : layer->heightRepeat) = repeat.Evaluate(0.0f);
        } else if (k == "PixelBlending" && isInt) {
            layer->pixelBlending = i != 0;
        } else if (k == "TextureAmplitude") {
            if (!ReadScalar(*c, children, layer->amplitude)) return nullptr;
        }
    }
    if (!layer->enabled) {
        LogMessage(LOG_WARNING,
                   "LWSceneReader::HandleTextureBlock(): Disabled displacement texture layer deleted.");
        return nullptr;
    }
    if (blendMode == 5 || blendMode == 6) {
        LogMessage(LOG_WARNING,
                   "LWSceneReader::HandleTextureBlock(): Displacement texture layer deleted: unsupported "
                   "blendmode.");
        return nullptr;
    }
    if (layer->imageFile.empty()) {
        LogMessage(
            LOG_WARNING,
            "LWSceneReader::HandleTextureBlock():: Displacement texture layer deleted: no texture defined.");
        return nullptr;
    }
    layer->opacityType = static_cast<uint16_t>(blendMode);
    layer->UpdateTextureMatrix(0.0f);
    return layer;
}
