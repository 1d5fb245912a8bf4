#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes Ogg Vorbis through libsndfile, then makes the file reproducible: the encoder picks a
// random stream serial number, which is replaced by a fixed one in every page (CRC updated).
class OggWriter {
public:
    static constexpr uint32_t kFixedSerial = 0x7a7a4d58u;

    // Interleaved float samples; quality 0..1 (libsndfile's VBR scale).
    static bool Write(const std::string& path, const std::vector<float>& interleaved, int channels, int rate,
                      double quality);

    // Rewrites the serial of every page in place. False (bytes untouched) when the data is not
    // a well-formed sequence of Ogg pages.
    static bool FixSerials(std::vector<uint8_t>& bytes, uint32_t serial);

    // Ogg's CRC-32: polynomial 0x04c11db7, no reflection, zero initial value, no final xor.
    static uint32_t Crc(const uint8_t* data, size_t size);
};
