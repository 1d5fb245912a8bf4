#pragma once

#include <cstdint>
#include <string>

class ScriptObject;
class ScriptObjectFloat;

// Helpers shared by the value types.
namespace ScriptValueUtil {

// Scans "%f,%f,..." (up to maxCount numbers) the way sscanf does: white space before each
// number is skipped, each comma must follow the previous number directly, scanning stops at
// the first mismatch. Returns the count of numbers read, or -1 when the text ends before the
// first number (empty or white space only). A number that is not finite ("nan", "inf",
// "1e99") makes the whole text unparseable (0): it would poison every value computed from it.
int ScanFloats(const std::string& text, float* out, int maxCount);

// Scans "%d"; same return convention. Out-of-range values are clamped to 32 bits.
int ScanInteger(const std::string& text, int32_t* out);

// The number that begins the text (atof/atoi behaviour), 0 when none does or when it is
// not finite.
float LeadingFloat(const std::string& text);
int32_t LeadingInteger(const std::string& text);

// Truncates toward zero; NaN gives 0 and out-of-range values clamp to the 32-bit limits.
int32_t FloatToInt(float value);

// The float components of a vector or colour object (x, y, z, w / r, g, b, a), or 0 for
// any other object.
int GetComponents(ScriptObject* object, ScriptObjectFloat** out);

// Copies a source into N float components of a vector or colour target following the
// copy rules; isColor selects the colour variant (scalar spread, alpha default 1.0).
bool CopyComponents(ScriptObjectFloat** target, int count, bool isColor, ScriptObject* source);

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A script-supplied text as it goes into a message: at most maxLength characters, a longer
// one cut with its full length noted, so that a huge attribute cannot flood the log.
std::string Excerpt(const std::string& text, size_t maxLength = 200);

}  // namespace ScriptValueUtil
