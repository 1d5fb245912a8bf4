#include "script/ScriptValueUtil.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "script/ScriptObjectColor3.h"
#include "script/ScriptObjectColor4.h"
#include "script/ScriptObjectFloat.h"
#include "script/ScriptObjectVector2.h"
#include "script/ScriptObjectVector3.h"
#include "script/ScriptObjectVector4.h"

namespace ScriptValueUtil {

namespace {

size_t SkipSpace(const char* s, size_t pos) {
    while (s[pos] != '\0' && std::isspace(static_cast<unsigned char>(s[pos]))) ++pos;
    return pos;
}

int32_t ClampLong(long long value) {
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}

}  // namespace

int ScanFloats(const std::string& text, float* out, int maxCount) {
    const char* s = text.c_str();
    size_t pos = 0;
    int count = 0;
    for (int i = 0; i < maxCount; ++i) {
        if (i > 0) {
            if (s[pos] != ',') break;
            ++pos;
        }
        pos = SkipSpace(s, pos);
        if (s[pos] == '\0') return count == 0 ? -1 : count;
        char* endPtr = nullptr;
        float value = std::strtof(s + pos, &endPtr);
        if (endPtr == s + pos) break;
        if (!std::isfinite(value)) return 0;
        out[count++] = value;
        pos = static_cast<size_t>(endPtr - s);
    }
    return count;
}

int ScanInteger(const std::string& text, int32_t* out) {
    const char* s = text.c_str();
    size_t pos = SkipSpace(s, 0);
    if (s[pos] == '\0') return -1;
    char* endPtr = nullptr;
    errno = 0;
    long long value = std::strtoll(s + pos, &endPtr, 10);
    if (endPtr == s + pos) return 0;
    *out = ClampLong(value);
    return 1;
}

float LeadingFloat(const std::string& text) {
    const float value = std::strtof(text.c_str(), nullptr);
    return std::isfinite(value) ? value : 0.0f;
}

int32_t LeadingInteger(const std::string& text) {
    return ClampLong(std::strtoll(text.c_str(), nullptr, 10));
}

int32_t FloatToInt(float value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0f) return INT32_MAX;
    if (value <= -2147483648.0f) return INT32_MIN;
    return static_cast<int32_t>(value);
}

int GetComponents(ScriptObject* object, ScriptObjectFloat** out) {
    switch (object->GetValueKind()) {
        case ScriptValueKind::Vector2: {
            auto* v = static_cast<ScriptObjectVector2*>(object);
            for (int i = 0; i < 2; ++i) out[i] = v->GetComponent(i);
            return 2;
        }
        case ScriptValueKind::Vector3: {
            auto* v = static_cast<ScriptObjectVector3*>(object);
            for (int i = 0; i < 3; ++i) out[i] = v->GetComponent(i);
            return 3;
        }
        case ScriptValueKind::Vector4: {
            auto* v = static_cast<ScriptObjectVector4*>(object);
            for (int i = 0; i < 4; ++i) out[i] = v->GetComponent(i);
            return 4;
        }
        case ScriptValueKind::Color3: {
            auto* v = static_cast<ScriptObjectColor3*>(object);
            for (int i = 0; i < 3; ++i) out[i] = v->GetComponent(i);
            return 3;
        }
        case ScriptValueKind::Color4: {
            auto* v = static_cast<ScriptObjectColor4*>(object);
            for (int i = 0; i < 4; ++i) out[i] = v->GetComponent(i);
            return 4;
        }
        default:
            return 0;
    }
}

bool CopyComponents(ScriptObjectFloat** target, int count, bool isColor, ScriptObject* source) {
    ScriptValueKind kind = source->GetValueKind();
    if (kind == ScriptValueKind::Float || kind == ScriptValueKind::Integer) {
        int spread = isColor ? 3 : 1;
        for (int i = 0; i < count; ++i) {
            if (i < spread) {
                target[i]->CopyFrom(source);
            } else {
                target[i]->SetValue(isColor && i == 3 ? 1.0f : 0.0f);
            }
        }
        return true;
    }
    ScriptObjectFloat* src[4];
    int srcCount = GetComponents(source, src);
    if (srcCount == 0) return false;
    for (int i = 0; i < count; ++i) {
        if (i < srcCount) {
            target[i]->CopyFrom(src[i]);
        } else {
            target[i]->SetValue(isColor && i == 3 ? 1.0f : 0.0f);
        }
    }
    return true;
}

std::string Format(const char* format, ...) {
    char buffer[256];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(buffer, sizeof(buffer), format, args);
    va_end(args);
    if (n < 0) return std::string();
    if (static_cast<size_t>(n) < sizeof(buffer)) return std::string(buffer, static_cast<size_t>(n));
    std::string result(static_cast<size_t>(n) + 1, '\0');
    va_start(args, format);
    std::vsnprintf(&result[0], result.size(), format, args);
    va_end(args);
    result.resize(static_cast<size_t>(n));
    return result;
}

std::string Excerpt(const std::string& text, size_t maxLength) {
    if (text.size() <= maxLength) return text;
    return text.substr(0, maxLength) + "... (" + std::to_string(text.size()) + " characters)";
}

}  // namespace ScriptValueUtil
