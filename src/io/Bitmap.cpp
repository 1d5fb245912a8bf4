#include "io/Bitmap.h"

#include <jerror.h>
#include <jpeglib.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstring>
#include <new>
#include <vector>

#include "base/Log.h"
#include "io/Loader.h"

namespace {

constexpr uint32_t kMaxSide = 16384;
constexpr uint64_t kMaxBytes = 256ull * 1024 * 1024;
constexpr png_alloc_size_t kMaxChunkBytes = 8 * 1024 * 1024;
// Deflate expands a byte of compressed data into at most 1032 bytes; a PNG whose remaining
// bytes could not possibly hold its claimed rows is refused before any pixel is allocated.
constexpr uint64_t kMaxDeflateRatio = 1032;

std::unique_ptr<uint8_t[]> AllocatePixels(uint64_t bytes) {
    return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[bytes > 0 ? bytes : 1]());
}

// For buffers that the decoder fills completely: not zeroed, so memory is only paid for as
// rows really arrive.
std::unique_ptr<uint8_t[]> AllocateUninitialised(uint64_t bytes) {
    return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[bytes > 0 ? bytes : 1]);
}

// trunc((0.3 R + 0.59 G + 0.11 B) / 255 * 255), in integers so that white stays 255.
uint8_t Luminance(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<uint8_t>((30u * r + 59u * g + 11u * b) / 100u);
}

// ---- PNG ----

struct PngSource {
    const uint8_t* data;
    size_t size;
    size_t cursor;
};

void PngReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
    PngSource* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (length > source->size - source->cursor) png_error(png, "Read past the end of the data.");
    std::memcpy(out, source->data + source->cursor, length);
    source->cursor += length;
}

[[noreturn]] void PngErrorExit(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void PngIgnoreWarning(png_structp, png_const_charp) {}

// The setjmp frames hold nothing with a destructor, so a library error may jump out.
bool PngReadHeader(png_structp png, png_infop info) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_info(png, info);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return true;
}

bool PngReadRows(png_structp png, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_image(png, rows);
    return true;
}

bool PngReadRow(png_structp png, png_bytep row) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_row(png, row, nullptr);
    return true;
}

void ConvertPngRow(const uint8_t* in, uint8_t* out, uint32_t width, uint32_t channels, uint32_t step,
                   bool alphaFromLuminance) {
    for (uint32_t x = 0; x < width; ++x, in += channels, out += step) {
        if (channels < 3) {
            out[0] = in[0];
            continue;
        }
        out[0] = in[0];
        out[1] = in[1];
        out[2] = in[2];
        if (step == 4) out[3] = alphaFromLuminance || channels == 3 ? Luminance(in[0], in[1], in[2]) : in[3];
    }
}

struct PngReader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngReader() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

// ---- JPEG ----

struct JpegErrorManager {
    jpeg_error_mgr base;
    jmp_buf jump;
};

[[noreturn]] void JpegErrorExit(j_common_ptr cinfo) {
    longjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->jump, 1);
}

void JpegEmitMessage(j_common_ptr cinfo, int level) {
    // libjpeg only warns about corrupt data and goes on with grey or garbage in its place
    // (a stream that ends early, an end marker inside the scan, a bad code): treat each of
    // those as the error it is. Harmless warnings (unknown JFIF version ...) pass.
    if (level >= 0) return;
    switch (cinfo->err->msg_code) {
        case JWRN_BOGUS_PROGRESSION:
        case JWRN_EXTRANEOUS_DATA:
        case JWRN_HIT_MARKER:
        case JWRN_HUFF_BAD_CODE:
        case JWRN_JPEG_EOF:
        case JWRN_MUST_RESYNC:
        case JWRN_NOT_SEQUENTIAL:
            JpegErrorExit(cinfo);
        default:
            break;
    }
}

void JpegOutputMessage(j_common_ptr) {}

struct JpegDecode {
    jpeg_decompress_struct cinfo;
    JpegErrorManager error;
    bool alphaFromLuminance = false;
    bool sizeRefused = false;
    uint8_t* pixels = nullptr;  // released by the caller on every path
    uint8_t* row = nullptr;
    uint32_t width = 0, height = 0, bitsPerPixel = 0;
};

void CopyJpegRow(const JpegDecode& d, const uint8_t* row, uint8_t* out) {
    if (d.bitsPerPixel == 8) {
        std::memcpy(out, row, d.width);
        return;
    }
    const uint32_t step = d.bitsPerPixel / 8;
    for (uint32_t x = 0; x < d.width; ++x, row += 3, out += step) {
        out[0] = row[0];
        out[1] = row[1];
        out[2] = row[2];
        if (step == 4) out[3] = Luminance(row[0], row[1], row[2]);
    }
}

bool CheckImageSize(uint32_t width, uint32_t height, uint32_t bitsPerPixel);

bool DecodeJpeg(JpegDecode& d, const uint8_t* data, uint32_t size) {
    d.cinfo.err = jpeg_std_error(&d.error.base);
    d.error.base.error_exit = JpegErrorExit;
    d.error.base.emit_message = JpegEmitMessage;
    d.error.base.output_message = JpegOutputMessage;
    if (setjmp(d.error.jump)) {
        jpeg_destroy_decompress(&d.cinfo);
        return false;
    }
    jpeg_create_decompress(&d.cinfo);
    // Progressive streams buffer coefficients; bound what a hostile header can claim.
    d.cinfo.mem->max_memory_to_use = 512l * 1024 * 1024;
    jpeg_mem_src(&d.cinfo, data, size);
    jpeg_read_header(&d.cinfo, TRUE);
    d.cinfo.out_color_space = d.cinfo.num_components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    d.width = d.cinfo.image_width;
    d.height = d.cinfo.image_height;
    d.bitsPerPixel = d.cinfo.num_components == 1 ? 8 : (d.alphaFromLuminance ? 32 : 24);
    if (!CheckImageSize(d.width, d.height, d.bitsPerPixel)) {
        d.sizeRefused = true;
        jpeg_destroy_decompress(&d.cinfo);
        return false;
    }
    jpeg_start_decompress(&d.cinfo);
    const uint64_t stride = static_cast<uint64_t>(d.width) * (d.bitsPerPixel / 8);
    d.pixels = new (std::nothrow) uint8_t[stride * d.height];
    d.row = new (std::nothrow) uint8_t[static_cast<uint64_t>(d.width) * d.cinfo.output_components];
    if (!d.pixels || !d.row || d.cinfo.output_width != d.width || d.cinfo.output_height != d.height) {
        jpeg_destroy_decompress(&d.cinfo);
        return false;
    }
    while (d.cinfo.output_scanline < d.cinfo.output_height) {
        const uint32_t y = d.cinfo.output_scanline;
        JSAMPROW rowPointer = d.row;
        if (jpeg_read_scanlines(&d.cinfo, &rowPointer, 1) != 1) ERREXIT(&d.cinfo, JERR_INPUT_EMPTY);
        CopyJpegRow(d, d.row, d.pixels + y * stride);
    }
    jpeg_finish_decompress(&d.cinfo);
    jpeg_destroy_decompress(&d.cinfo);
    return true;
}

bool CheckImageSize(uint32_t width, uint32_t height, uint32_t bitsPerPixel) {
    const uint64_t bytes = static_cast<uint64_t>(width) * height * (bitsPerPixel / 8);
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide || bytes > kMaxBytes) {
        LogMessage(LOG_ERROR, "Bitmap: Image size not supported: ",
                   std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(bitsPerPixel));
        return false;
    }
    return true;
}

// Uniform cubic B-spline weight.
double BSpline(double t) {
    auto p3 = [](double u) { return u > 0.0 ? u * u * u : 0.0; };
    return (p3(t + 2.0) - 4.0 * p3(t + 1.0) + 6.0 * p3(t) - 4.0 * p3(t - 1.0)) / 6.0;
}

}  // namespace

Bitmap::Bitmap() = default;

Bitmap::Bitmap(const Bitmap& other) {
    *this = other;
}

Bitmap& Bitmap::operator=(const Bitmap& other) {
    if (this == &other) return *this;
    Release();
    if (other.m_pixels) {
        const size_t bytes = other.ByteCount();
        m_pixels.reset(new (std::nothrow) uint8_t[bytes > 0 ? bytes : 1]);
        if (!m_pixels) {
            LogMessage(LOG_ERROR, "Bitmap: Copying image failed.");
            return *this;
        }
        std::memcpy(m_pixels.get(), other.m_pixels.get(), bytes);
        m_width = other.m_width;
        m_height = other.m_height;
        m_bitsPerPixel = other.m_bitsPerPixel;
    }
    return *this;
}

Bitmap::~Bitmap() = default;

void Bitmap::Release() {
    m_pixels.reset();
    m_width = m_height = m_bitsPerPixel = 0;
}

bool Bitmap::CheckSize(uint32_t width, uint32_t height, uint32_t bitsPerPixel) {
    return CheckImageSize(width, height, bitsPerPixel);
}

size_t Bitmap::ByteCount() const {
    return static_cast<size_t>(m_width) * m_height * (m_bitsPerPixel / 8);
}

void Bitmap::ReplacePixels(std::unique_ptr<uint8_t[]> pixels, uint32_t width, uint32_t height,
                           uint32_t bitsPerPixel) {
    m_pixels = std::move(pixels);
    m_width = width;
    m_height = height;
    m_bitsPerPixel = bitsPerPixel;
}

uint8_t* Bitmap::GetPixels() {
    return m_pixels.get();
}
const uint8_t* Bitmap::GetPixels() const {
    return m_pixels.get();
}
uint32_t Bitmap::GetWidth() const {
    return m_width;
}
uint32_t Bitmap::GetHeight() const {
    return m_height;
}
uint32_t Bitmap::GetBitsPerPixel() const {
    return m_bitsPerPixel;
}

bool Bitmap::Create(uint32_t width, uint32_t height, uint32_t bitsPerPixel) {
    Release();
    if (bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32) {
        LogMessage(LOG_ERROR, "Bitmap: Unsupported bits per pixel: ", bitsPerPixel);
        return false;
    }
    if (!CheckSize(width, height, bitsPerPixel)) return false;
    std::unique_ptr<uint8_t[]> pixels =
        AllocatePixels(static_cast<uint64_t>(width) * height * (bitsPerPixel / 8));
    if (!pixels) return false;
    ReplacePixels(std::move(pixels), width, height, bitsPerPixel);
    return true;
}

bool Bitmap::Load(Loader* loader, const std::string& name, bool alphaFromLuminance) {
    LogMessage(LOG_TRACE, "Loading bitmap: ", name);
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || !loader) return false;
    const std::string ext = name.substr(dot + 1);
    const bool jpeg =
        ext == "jpeg" || ext == "jpg" || ext == "JPEG" || ext == "JPG" || ext == "Jpeg" || ext == "Jpg";
    const bool png = ext == "png" || ext == "PNG" || ext == "Png";
    if (!jpeg && !png) {
        LogMessage(LOG_ERROR, "Bitmap: Unknown bitmap format: ", ext);
        return false;
    }
    uint32_t size = 0;
    std::unique_ptr<uint8_t[]> data = loader->LoadFile(name, size);
    if (!data) return false;
    return jpeg ? LoadJPEG(data.get(), size, alphaFromLuminance)
                : LoadPNG(data.get(), size, alphaFromLuminance);
}

bool Bitmap::LoadPNG(const uint8_t* data, uint32_t size, bool alphaFromLuminance) {
    Release();
    if (!data || size < 8 || png_sig_cmp(const_cast<png_bytep>(data), 0, 8) != 0) {
        LogMessage(LOG_ERROR, "Bitmap: Memory block is not recognized as a valid PNG file.");
        return false;
    }
    PngReader reader;
    reader.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngErrorExit, PngIgnoreWarning);
    if (!reader.png) {
        LogMessage(LOG_ERROR, "Bitmap: Creating PNG read structure failed.");
        return false;
    }
    reader.info = png_create_info_struct(reader.png);
    if (!reader.info) {
        LogMessage(LOG_ERROR, "Bitmap: Creating PNG info struct failed.");
        return false;
    }
    PngSource source{data, size, 0};
    png_set_read_fn(reader.png, &source, PngReadFromMemory);
    // Text and profile chunks are buffered whole at the length the file claims, before it
    // is known that so many bytes exist; they are never used here, so skip them unread.
    static const png_byte kSkippedChunks[] = "tEXt\0zTXt\0iTXt\0iCCP\0sPLT\0eXIf";
    png_set_keep_unknown_chunks(reader.png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
    png_set_keep_unknown_chunks(reader.png, PNG_HANDLE_CHUNK_NEVER, kSkippedChunks, 6);
    png_set_chunk_malloc_max(reader.png, kMaxChunkBytes);
    if (!PngReadHeader(reader.png, reader.info)) {
        LogMessage(LOG_ERROR, "Bitmap: Initializing PNG read failed.");
        return false;
    }
    const int bitDepth = png_get_bit_depth(reader.png, reader.info);
    if (bitDepth != 8) {
        LogMessage(LOG_ERROR, "Bitmap: PNG bit depth not supported: bpp=", bitDepth);
        return false;
    }
    const uint32_t width = png_get_image_width(reader.png, reader.info);
    const uint32_t height = png_get_image_height(reader.png, reader.info);
    const int colorType = png_get_color_type(reader.png, reader.info);
    uint32_t bitsPerPixel;
    switch (colorType) {
        case PNG_COLOR_TYPE_GRAY:
            bitsPerPixel = 8;
            break;
        case PNG_COLOR_TYPE_RGB:
            bitsPerPixel = alphaFromLuminance ? 32 : 24;
            break;
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            bitsPerPixel = 8;
            break;
        case PNG_COLOR_TYPE_RGB_ALPHA:
            bitsPerPixel = 32;
            break;
        default:
            LogMessage(LOG_ERROR, "Bitmap: PNG color type not supported: type=", colorType);
            return false;
    }
    const uint32_t channels = png_get_channels(reader.png, reader.info);
    if (channels < 1 || channels > 4) {
        LogMessage(LOG_WARNING, "Bitmap: PNG number of channels is not supported: channels=", channels);
    }
    if (!CheckSize(width, height, bitsPerPixel) || !CheckSize(width, height, 8 * std::max(channels, 1u))) {
        return false;
    }
    const size_t rowBytes = png_get_rowbytes(reader.png, reader.info);
    const bool interlaced = png_get_interlace_type(reader.png, reader.info) != PNG_INTERLACE_NONE;
    const uint64_t rawBytes = (static_cast<uint64_t>(rowBytes) + 1) * height;
    if (static_cast<uint64_t>(size - source.cursor) * kMaxDeflateRatio < rawBytes) {
        LogMessage(LOG_ERROR, "Bitmap: PNG data too short for its image size: ",
                   std::to_string(width) + "x" + std::to_string(height));
        return false;
    }
    const uint32_t step = bitsPerPixel / 8;
    const uint64_t outStride = static_cast<uint64_t>(width) * step;
    std::unique_ptr<uint8_t[]> pixels = AllocateUninitialised(outStride * height);
    // Interlaced images arrive in passes over the whole image; others row by row.
    std::unique_ptr<uint8_t[]> rowData = AllocateUninitialised(interlaced ? rawBytes : rowBytes);
    if (!rowData || !pixels || rowBytes < static_cast<uint64_t>(width) * channels || channels < 1 ||
        channels > 4) {
        LogMessage(LOG_ERROR, "Bitmap: Error reading PNG image.");
        return false;
    }
    bool ok = true;
    if (interlaced) {
        std::vector<png_bytep> rows(height);
        for (uint32_t y = 0; y < height; ++y) rows[y] = rowData.get() + static_cast<size_t>(y) * rowBytes;
        ok = PngReadRows(reader.png, rows.data());
        for (uint32_t y = 0; ok && y < height; ++y)
            ConvertPngRow(rows[y], pixels.get() + y * outStride, width, channels, step, alphaFromLuminance);
    } else {
        for (uint32_t y = 0; ok && y < height; ++y) {
            ok = PngReadRow(reader.png, rowData.get());
            if (ok)
                ConvertPngRow(rowData.get(), pixels.get() + y * outStride, width, channels, step,
                              alphaFromLuminance);
        }
    }
    if (!ok) {
        LogMessage(LOG_ERROR, "Bitmap: Error reading PNG image.");
        return false;
    }
    ReplacePixels(std::move(pixels), width, height, bitsPerPixel);
    return true;
}

bool Bitmap::LoadJPEG(const uint8_t* data, uint32_t size, bool alphaFromLuminance) {
    Release();
    JpegDecode decode;
    decode.alphaFromLuminance = alphaFromLuminance;
    const bool ok = data && DecodeJpeg(decode, data, size);
    std::unique_ptr<uint8_t[]> pixels(decode.pixels);
    delete[] decode.row;
    if (!ok) {
        if (!decode.sizeRefused) LogMessage(LOG_ERROR, "Bitmap: Error reading JPEG image.");
        return false;
    }
    ReplacePixels(std::move(pixels), decode.width, decode.height, decode.bitsPerPixel);
    return true;
}

void Bitmap::ConvertFormat(uint32_t bitsPerPixel) {
    const uint32_t from = m_bitsPerPixel;
    if (!m_pixels || bitsPerPixel == from) return;
    const bool listed = (from == 8 || from == 24 || from == 32) &&
                        (bitsPerPixel == 8 || bitsPerPixel == 24 || bitsPerPixel == 32);
    if (!listed) return;
    const size_t count = static_cast<size_t>(m_width) * m_height;
    std::unique_ptr<uint8_t[]> pixels = AllocatePixels(static_cast<uint64_t>(count) * (bitsPerPixel / 8));
    if (!pixels) return;
    const uint8_t* in = m_pixels.get();
    uint8_t* out = pixels.get();
    const uint32_t inStep = from / 8, outStep = bitsPerPixel / 8;
    for (size_t i = 0; i < count; ++i, in += inStep, out += outStep) {
        if (from == 8) {
            std::memset(out, in[0], outStep);
        } else if (bitsPerPixel == 8) {
            out[0] = from == 32 ? in[3] : Luminance(in[0], in[1], in[2]);
        } else {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
            if (outStep == 4) out[3] = Luminance(in[0], in[1], in[2]);
        }
    }
    ReplacePixels(std::move(pixels), m_width, m_height, bitsPerPixel);
}

void Bitmap::Resize(uint32_t newWidth, uint32_t newHeight) {
    if (!m_pixels || (newWidth == m_width && newHeight == m_height)) return;
    if (!CheckSize(newWidth, newHeight, m_bitsPerPixel)) return;
    const uint32_t bpp = m_bitsPerPixel / 8;
    std::unique_ptr<uint8_t[]> pixels = AllocatePixels(static_cast<uint64_t>(newWidth) * newHeight * bpp);
    if (!pixels) return;
    const double stepX = static_cast<double>(m_width) / newWidth;
    const double stepY = static_cast<double>(m_height) / newHeight;
    const uint8_t* src = m_pixels.get();
    auto at = [&](uint32_t x, uint32_t y) { return src + (static_cast<size_t>(y) * m_width + x) * bpp; };
    uint8_t* out = pixels.get();
    double sy = 0.0;
    for (uint32_t j = 0; j < newHeight; ++j, sy += stepY) {
        const uint32_t y0 = std::min(static_cast<uint32_t>(sy), m_height - 1);
        const uint32_t y1 = std::min(y0 + 1, m_height - 1);
        const double fy = sy - std::trunc(sy);
        double sx = 0.0;
        for (uint32_t i = 0; i < newWidth; ++i, sx += stepX) {
            const uint32_t x0 = std::min(static_cast<uint32_t>(sx), m_width - 1);
            const uint32_t x1 = std::min(x0 + 1, m_width - 1);
            const double fx = sx - std::trunc(sx);
            for (uint32_t c = 0; c < bpp; ++c) {
                const double top = at(x0, y0)[c] * (1.0 - fx) + at(x1, y0)[c] * fx;
                const double bottom = at(x0, y1)[c] * (1.0 - fx) + at(x1, y1)[c] * fx;
                *out++ = static_cast<uint8_t>(top * (1.0 - fy) + bottom * fy);
            }
        }
    }
    ReplacePixels(std::move(pixels), newWidth, newHeight, m_bitsPerPixel);
}

void Bitmap::ResizeBicubic(uint32_t newWidth, uint32_t newHeight) {
    if (!m_pixels || (newWidth == m_width && newHeight == m_height)) return;
    LogMessage(LOG_INFO, "ResizeBicubic() helvetin hidas ja liian blurri.");
    LogMessage(LOG_INFO, " ->Tee uusiksi.");
    if (!CheckSize(newWidth, newHeight, m_bitsPerPixel)) return;
    const uint32_t bpp = m_bitsPerPixel / 8;
    std::unique_ptr<uint8_t[]> pixels = AllocatePixels(static_cast<uint64_t>(newWidth) * newHeight * bpp);
    if (!pixels) return;
    const uint8_t* src = m_pixels.get();
    const int64_t w = m_width, h = m_height;
    uint8_t* out = pixels.get();
    for (uint32_t j = 0; j < newHeight; ++j) {
        const double sy = static_cast<double>(j) * m_height / newHeight;
        const int64_t iy = static_cast<int64_t>(std::floor(sy));
        const double dy = sy - iy;
        for (uint32_t i = 0; i < newWidth; ++i) {
            const double sx = static_cast<double>(i) * m_width / newWidth;
            const int64_t ix = static_cast<int64_t>(std::floor(sx));
            const double dx = sx - ix;
            double sum[4] = {0.0, 0.0, 0.0, 0.0};
            for (int m = -1; m <= 2; ++m) {
                const double wx = BSpline(m - dx);
                const int64_t px = std::clamp<int64_t>(ix + m, 0, w - 1);
                for (int n = -1; n <= 2; ++n) {
                    const double weight = wx * BSpline(dy - n);
                    const int64_t py = std::clamp<int64_t>(iy + n, 0, h - 1);
                    const uint8_t* p = src + (py * w + px) * bpp;
                    for (uint32_t c = 0; c < bpp; ++c) sum[c] += p[c] * weight;
                }
            }
            for (uint32_t c = 0; c < bpp; ++c) *out++ = static_cast<uint8_t>(std::clamp(sum[c], 0.0, 255.0));
        }
    }
    ReplacePixels(std::move(pixels), newWidth, newHeight, m_bitsPerPixel);
}

void Bitmap::FlipVertical() {
    if (!m_pixels || m_height < 2) return;
    const size_t stride = static_cast<size_t>(m_width) * (m_bitsPerPixel / 8);
    std::vector<uint8_t> row(stride);
    for (uint32_t j = 0; j < m_height / 2; ++j) {
        uint8_t* a = m_pixels.get() + j * stride;
        uint8_t* b = m_pixels.get() + (m_height - 1 - j) * stride;
        std::memcpy(row.data(), a, stride);
        std::memcpy(a, b, stride);
        std::memcpy(b, row.data(), stride);
    }
}

std::unique_ptr<Bitmap> Bitmap::GetSubImage(uint32_t x, uint32_t y, uint32_t width, uint32_t height) const {
    if (!m_pixels || width == 0 || height == 0 || static_cast<uint64_t>(x) + width > m_width ||
        static_cast<uint64_t>(y) + height > m_height) {
        LogMessage(LOG_ERROR, "Bitmap: Sub-image outside the bitmap: ",
                   std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(width) + "x" +
                       std::to_string(height));
        return nullptr;
    }
    auto sub = std::make_unique<Bitmap>();
    if (!sub->Create(width, height, m_bitsPerPixel)) return nullptr;
    const size_t bpp = m_bitsPerPixel / 8;
    const size_t rowBytes = width * bpp;
    for (uint32_t j = 0; j < height; ++j) {
        std::memcpy(sub->m_pixels.get() + j * rowBytes,
                    m_pixels.get() + ((static_cast<size_t>(y) + j) * m_width + x) * bpp, rowBytes);
    }
    return sub;
}

uint32_t Bitmap::GetPixelIndex(int x, int y, bool wrap) const {
    const int64_t w = m_width, h = m_height;
    int64_t px = x, py = y;
    if (wrap) {
        if (px < 0)
            px += w;
        else if (px >= w)
            px -= w;
        if (py < 0)
            py += h;
        else if (py >= h)
            py -= h;
    }
    px = std::clamp<int64_t>(px, 0, std::max<int64_t>(w - 1, 0));
    py = std::clamp<int64_t>(py, 0, std::max<int64_t>(h - 1, 0));
    return static_cast<uint32_t>(py * w + px);
}

void Bitmap::MakeNormalMap(float scale, int kernel, bool wrap) {
    ConvertFormat(8);
    if (!m_pixels || m_bitsPerPixel != 8) return;
    const size_t count = static_cast<size_t>(m_width) * m_height;
    std::unique_ptr<uint8_t[]> pixels = AllocatePixels(static_cast<uint64_t>(count) * 4);
    if (!pixels) return;
    const uint8_t* height = m_pixels.get();
    auto h = [&](int x, int y) { return static_cast<float>(height[GetPixelIndex(x, y, wrap)]); };
    auto encode = [](float n) { return static_cast<uint8_t>((n + 1.0f) * 0.5f * 255.0f); };
    uint8_t* out = pixels.get();
    const int w = static_cast<int>(m_width), hgt = static_cast<int>(m_height);
    for (int y = 0; y < hgt; ++y) {
        for (int x = 0; x < w; ++x, out += 4) {
            const float center = h(x, y);
            float nx = 0.0f, ny = 0.0f, nz = 1.0f;
            if (scale <= 0.0f) {
                out[0] = 127;
                out[1] = 127;
                out[2] = 255;
                out[3] = 0;
                continue;
            }
            if (kernel <= 1) {
                nx = (center - h(x - 1, y)) / 255.0f;
                ny = (center - h(x, y - 1)) / 255.0f;
                nz = 1.0f / scale;
            } else {
                const int half = kernel / 2;
                float sx = 0.0f, sy = 0.0f, sz = 0.0f;
                for (int j = y - half; j < y - half + kernel; ++j) {
                    for (int i = x - half; i < x - half + kernel; ++i) {
                        if (i == x && j == y) continue;
                        float vx = static_cast<float>(x - i), vy = static_cast<float>(y - j);
                        float vz = (h(i, j) - center) / 255.0f;
                        const float len = std::sqrt(vx * vx + vy * vy + vz * vz);
                        if (len != 0.0f) {
                            vx /= len;
                            vy /= len;
                            vz /= len;
                        }
                        // (v x Z) x v with Z = (0, 0, 1)
                        sx += -vx * vz;
                        sy += -vy * vz;
                        sz += vx * vx + vy * vy;
                    }
                }
                nx = sx;
                ny = sy;
                nz = sz / scale;
            }
            const float len = std::sqrt(nx * nx + ny * ny + nz * nz);
            if (len != 0.0f) {
                nx /= len;
                ny /= len;
                nz /= len;
            }
            out[0] = encode(nx);
            out[1] = encode(ny);
            out[2] = encode(nz);
            out[3] = static_cast<uint8_t>(center);
        }
    }
    ReplacePixels(std::move(pixels), m_width, m_height, 32);
}
