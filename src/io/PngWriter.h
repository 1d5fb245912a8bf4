#pragma once

#include <cstdint>
#include <string>

// Row filters: libpng's adaptive choice (smallest files), or the fixed "sub" filter, which
// at compression level 1 writes about twice as fast at much the same size (frame capture).
enum class PngFilter { Adaptive, Sub };

// Writes 8-bit grey, 24-bit RGB or 32-bit RGBA pixels (rows top to bottom, tightly packed)
// as a PNG file. Used by frame capture and by the asset generator. Returns false after
// logging when the file cannot be written.
bool WritePNG(const std::string& path, uint32_t width, uint32_t height, uint32_t bitsPerPixel,
              const uint8_t* pixels, int compressionLevel = 6, PngFilter filter = PngFilter::Adaptive);
