#include "io/PngWriter.h"

#include <png.h>

#include <cstdio>
#include <vector>

#include "base/Log.h"

namespace {

struct FileCloser {
    FILE* file;
    ~FileCloser() {
        if (file) std::fclose(file);
    }
};

}  // namespace

bool WritePNG(const std::string& path, uint32_t width, uint32_t height, uint32_t bitsPerPixel,
              const uint8_t* pixels, int compressionLevel, PngFilter filter) {
    int colorType;
    switch (bitsPerPixel) {
        case 8: colorType = PNG_COLOR_TYPE_GRAY; break;
        case 24: colorType = PNG_COLOR_TYPE_RGB; break;
        case 32: colorType = PNG_COLOR_TYPE_RGBA; break;
        default:
            LogMessage(LOG_ERROR, "PngWriter: Unsupported bits per pixel: ", bitsPerPixel);
            return false;
    }
    if (width == 0 || height == 0 || !pixels) {
        LogMessage(LOG_ERROR, "PngWriter: Empty image: ", path);
        return false;
    }
    FileCloser out{std::fopen(path.c_str(), "wb")};
    if (!out.file) {
        LogMessage(LOG_ERROR, "PngWriter: Opening file for writing failed: ", path);
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, &info);
        LogMessage(LOG_ERROR, "PngWriter: Creating PNG write structure failed.");
        return false;
    }
    const size_t stride = static_cast<size_t>(width) * (bitsPerPixel / 8);
    std::vector<png_bytep> rows(height);
    for (uint32_t y = 0; y < height; ++y) rows[y] = const_cast<png_bytep>(pixels + y * stride);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        LogMessage(LOG_ERROR, "PngWriter: Writing PNG image failed: ", path);
        return false;
    }
    png_init_io(png, out.file);
    png_set_compression_level(png, compressionLevel);
    if (filter == PngFilter::Sub) png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_IHDR(png, info, width, height, 8, colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}
