#pragma once

#include <cstdint>
#include <memory>
#include <string>

class Loader;

// An image in memory: 8 (grey or alpha), 24 (RGB) or 32 (RGBA) bits per pixel, rows top
// to bottom, tightly packed.
class Bitmap {
public:
    Bitmap();
    Bitmap(const Bitmap& other);
    Bitmap& operator=(const Bitmap& other);
    virtual ~Bitmap();

    // Zeroed pixels; for code that builds images.
    bool Create(uint32_t width, uint32_t height, uint32_t bitsPerPixel);
    // Chooses the decoder by the name's extension.
    bool Load(Loader* loader, const std::string& name, bool alphaFromLuminance);
    bool LoadPNG(const uint8_t* data, uint32_t size, bool alphaFromLuminance);
    bool LoadJPEG(const uint8_t* data, uint32_t size, bool alphaFromLuminance);

    void ConvertFormat(uint32_t bitsPerPixel);
    // Bilinear.
    void Resize(uint32_t newWidth, uint32_t newHeight);
    // Cubic B-spline.
    void ResizeBicubic(uint32_t newWidth, uint32_t newHeight);
    void FlipVertical();
    // Null after logging when the rectangle is not inside the bitmap.
    std::unique_ptr<Bitmap> GetSubImage(uint32_t x, uint32_t y, uint32_t width, uint32_t height) const;
    // Treats the image as a height field and replaces it by a 32-bit normal map whose alpha
    // is the height.
    void MakeNormalMap(float scale, int kernel, bool wrap);
    uint32_t GetPixelIndex(int x, int y, bool wrap) const;

    uint8_t* GetPixels();
    const uint8_t* GetPixels() const;
    uint32_t GetWidth() const;
    uint32_t GetHeight() const;
    uint32_t GetBitsPerPixel() const;

private:
    void Release();
    // Refuses, after a level-3 message, sizes that would need absurd memory.
    static bool CheckSize(uint32_t width, uint32_t height, uint32_t bitsPerPixel);
    size_t ByteCount() const;
    void ReplacePixels(std::unique_ptr<uint8_t[]> pixels, uint32_t width, uint32_t height,
                       uint32_t bitsPerPixel);

    std::unique_ptr<uint8_t[]> m_pixels;
    uint32_t m_width = 0;
    uint32_t m_height = 0;
    uint32_t m_bitsPerPixel = 0;
};
