#pragma once

#include <cstdint>
#include <string>

#include "Canvas.h"

// The house 8 x 8 bitmap typeface of the home-computer look: the speech balloon's texture, the
// TV screens' text and the contact sheet's labels. Printable ASCII has glyphs; code 127 is a
// full block; other codes are blank. Codes 128..255 read as their lower half.
class BlockFont {
public:
    static constexpr unsigned char kFullBlock = 127;

    static const BlockFont& Get();

    // Ink at glyph pixel (x, y), row 0 at the top.
    bool Ink(unsigned char code, int x, int y) const;
    bool HasGlyph(unsigned char code) const;
    // Sets the ink pixels of a text (8 x 8 cells, '\n' starts a new line), each font pixel
    // scaleX x scaleY canvas pixels; the background is left alone.
    void Draw(Canvas& canvas, int x, int y, const std::string& text, const Rgba& ink, int scaleX = 1,
              int scaleY = 1) const;

private:
    BlockFont();
    uint8_t m_rows[128][8];
};
