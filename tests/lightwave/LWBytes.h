#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// Builds LightWave IFF bytes by hand, big-endian, for tests that check the reader byte by
// byte (independently of the asset generator's writer).
struct LWBytes {
    std::vector<uint8_t> b;

    LWBytes& Id(const char* id) {
        b.insert(b.end(), id, id + 4);
        return *this;
    }
    LWBytes& U1(uint8_t v) {
        b.push_back(v);
        return *this;
    }
    LWBytes& U2(uint16_t v) {
        b.push_back(static_cast<uint8_t>(v >> 8));
        b.push_back(static_cast<uint8_t>(v));
        return *this;
    }
    LWBytes& U4(uint32_t v) {
        for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<uint8_t>(v >> s));
        return *this;
    }
    LWBytes& F4(float v) {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        return U4(bits);
    }
    LWBytes& Vec(float x, float y, float z) { return F4(x).F4(y).F4(z); }
    // Two bytes below 0xFF00, four with the 0xFF marker otherwise.
    LWBytes& VX(uint32_t v) { return v < 0xFF00 ? U2(static_cast<uint16_t>(v)) : U4(0xFF000000u | v); }
    LWBytes& VX4(uint32_t v) { return U4(0xFF000000u | v); }
    LWBytes& S0(const std::string& s) {
        b.insert(b.end(), s.begin(), s.end());
        b.push_back(0);
        if ((s.size() + 1) & 1) b.push_back(0);
        return *this;
    }
    LWBytes& Raw(const std::vector<uint8_t>& bytes) {
        b.insert(b.end(), bytes.begin(), bytes.end());
        return *this;
    }
    // A chunk (4-byte size) or sub-chunk (2-byte size) holding body, padded to even length.
    LWBytes& Chunk(const char* id, const LWBytes& body) {
        Id(id).U4(static_cast<uint32_t>(body.b.size())).Raw(body.b);
        if (body.b.size() & 1) b.push_back(0);
        return *this;
    }
    LWBytes& Sub(const char* id, const LWBytes& body) {
        Id(id).U2(static_cast<uint16_t>(body.b.size())).Raw(body.b);
        if (body.b.size() & 1) b.push_back(0);
        return *this;
    }
    size_t Size() const { return b.size(); }
    const uint8_t* Data() const { return b.data(); }
};

inline LWBytes LWForm(const LWBytes& body) {
    LWBytes form;
    form.Id("FORM").U4(static_cast<uint32_t>(body.b.size() + 4)).Id("LWO2").Raw(body.b);
    return form;
}
