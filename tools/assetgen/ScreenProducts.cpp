// The pictures the TV in the hardware scene shows: a tape loader flickering in the border,
// twenty pictures, the credits and a boot screen, all in the look of a home computer: a
// 320 x 200 picture of double-wide pixels in sixteen colours inside a wide border.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "AssetGenerator.h"
#include "BlockFont.h"
#include "Canvas.h"
#include "FighterPoses.h"
#include "SpriteRig.h"

namespace {

// Our sixteen colours.
enum Colour {
    kInk,
    kPaper,
    kBrick,
    kTeal,
    kPlum,
    kForest,
    kNavy,
    kStraw,
    kOrange,
    kBrown,
    kPeach,
    kCharcoal,
    kSlate,
    kLime,
    kSky,
    kSilver,
    kColourCount
};

Rgba PaletteColour(int c) {
    static const uint8_t rgb[kColourCount][3] = {
        {16, 14, 24},    {238, 232, 214}, {172, 62, 44},  {36, 140, 146},  {118, 50, 118},  {44, 108, 52},
        {34, 40, 112},   {228, 200, 96},  {218, 120, 40}, {104, 66, 38},   {226, 156, 118}, {60, 60, 70},
        {112, 114, 128}, {150, 206, 72},  {92, 150, 226}, {176, 178, 190},
    };
    return Rgba{rgb[c][0] / 255.0f, rgb[c][1] / 255.0f, rgb[c][2] / 255.0f, 1.0f};
}

uint32_t Hash(uint32_t x, uint32_t y, uint32_t seed) {
    uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return h;
}

// A TV picture: 384 x 288 with the 320 x 200 screen at (32, 44). Drawing is on the screen's
// 160 x 200 grid of double-wide pixels, text on its 40 x 25 grid of 8 x 8 characters.
class Screen {
public:
    static constexpr int kWidth = 384, kHeight = 288, kLeft = 32, kTop = 44;
    static constexpr int kCols = 160, kRows = 200;

    Screen(int border, int background) : m_canvas(kWidth, kHeight) {
        m_canvas.Fill(PaletteColour(border));
        Fill(0, 0, kCols, kRows, background);
    }

    void Plot(int x, int y, int c) {
        if (x < 0 || y < 0 || x >= kCols || y >= kRows) return;
        m_canvas.Set(kLeft + 2 * x, kTop + y, PaletteColour(c));
        m_canvas.Set(kLeft + 2 * x + 1, kTop + y, PaletteColour(c));
    }
    void Fill(int x0, int y0, int w, int h, int c) {
        for (int y = y0; y < y0 + h; ++y)
            for (int x = x0; x < x0 + w; ++x) Plot(x, y, c);
    }
    // Two colours mixed in a 2 x 2 ordered pattern by a level 0..4: the only way to blend.
    void Dither(int x, int y, int a, int b, int level) {
        static const int order[2][2] = {{0, 2}, {3, 1}};
        Plot(x, y, order[y & 1][x & 1] < level ? b : a);
    }
    // Horizontal bands stepping from colour a to b between rows y0 and y1.
    void Gradient(int y0, int y1, int a, int b) {
        for (int y = y0; y < y1; ++y) {
            const int level = (y - y0) * 5 / std::max(1, y1 - y0);
            for (int x = 0; x < kCols; ++x) Dither(x, y, a, b, level);
        }
    }
    void Disc(float cx, float cy, float r, int c) {
        for (int y = static_cast<int>(cy - r) - 1; y <= static_cast<int>(cy + r) + 1; ++y)
            for (int x = static_cast<int>(cx - r / 2) - 1; x <= static_cast<int>(cx + r / 2) + 1; ++x) {
                const float dx = (x + 0.5f - cx) * 2.0f, dy = y + 0.5f - cy;
                if (dx * dx + dy * dy <= r * r) Plot(x, y, c);
            }
    }
    // Text in screen pixels (hi-res: 320 across), at character cell (col, row) or any pixel.
    void Text(int col, int row, const std::string& text, int c) { TextAt(col * 8, row * 8, text, c, 1); }
    void TextAt(int px, int py, const std::string& text, int c, int scale) {
        const BlockFont& font = BlockFont::Get();
        int pen = px;
        for (char ch : text) {
            for (int gy = 0; gy < 8; ++gy)
                for (int gx = 0; gx < 8; ++gx)
                    if (font.Ink(static_cast<unsigned char>(ch), gx, gy))
                        for (int sy = 0; sy < scale; ++sy)
                            for (int sx = 0; sx < scale; ++sx)
                                SetHiRes(pen + gx * scale + sx, py + gy * scale + sy, c);
            pen += 8 * scale;
        }
    }
    void CentreText(int row, const std::string& text, int c) {
        Text((40 - static_cast<int>(text.size())) / 2, row, text, c);
    }
    // Big lettering with a drop shadow, centred at a pixel row.
    void Title(int py, const std::string& text, int c, int shadow, int scale) {
        const int w = static_cast<int>(text.size()) * 8 * scale;
        const int px = (320 - w) / 2;
        TextAt(px + scale, py + scale, text, shadow, scale);
        TextAt(px, py, text, c, scale);
    }
    void SetHiRes(int x, int y, int c) {
        if (x < 0 || y < 0 || x >= 320 || y >= kRows) return;
        m_canvas.Set(kLeft + x, kTop + y, PaletteColour(c));
    }
    // Pastes a block-fighter sprite (its own grid is double-wide too) with its bottom-centre at
    // (x, y), each sprite pixel scale x scale, inks mapped to our colours.
    void Sprite(const PixelSprite& s, int x, int y, int scale, int gi = kPaper, int giShade = kSilver) {
        for (int sy = 0; sy < PixelSprite::kHeight; ++sy)
            for (int sx = 0; sx < PixelSprite::kWidth; ++sx) {
                const Ink ink = s.At(sx, sy);
                if (ink == Ink::None) continue;
                const int c = Map(ink, gi, giShade);
                for (int ky = 0; ky < scale; ++ky)
                    for (int kx = 0; kx < scale; ++kx)
                        Plot(x + (sx - PixelSprite::kWidth / 2) * scale + kx,
                             y - (PixelSprite::kHeight - sy) * scale + ky, c);
            }
    }
    // The loader's border: horizontal stripes of random height and colour, one moment of them.
    void LoaderBorder(uint32_t seed, const int* colours, int count) {
        int y = 0, band = 0;
        while (y < kHeight) {
            const uint32_t h = Hash(static_cast<uint32_t>(band), 7u, seed);
            const int height = 2 + static_cast<int>(h % 11);
            const Rgba c = PaletteColour(colours[(h >> 8) % static_cast<uint32_t>(count)]);
            for (int yy = y; yy < std::min(kHeight, y + height); ++yy)
                for (int x = 0; x < kWidth; ++x) {
                    const bool inside = x >= kLeft && x < kLeft + 320 && yy >= kTop && yy < kTop + kRows;
                    if (!inside) m_canvas.Set(x, yy, c);
                }
            y += height;
            ++band;
        }
    }
    bool Save(const std::string& dataDir, const std::string& relative) const {
        const std::string path = AssetGenerator::OutputPath(dataDir, relative);
        return !path.empty() && m_canvas.SavePNG(path, 6);
    }

    static int Map(Ink ink, int gi, int giShade) {
        switch (ink) {
            case Ink::GiLit:
                return gi;
            case Ink::GiShade:
            case Ink::GiDeep:
                return giShade;
            case Ink::Skin:
                return kPeach;
            case Ink::SkinShade:
                return kOrange;
            case Ink::SkinDeep:
            case Ink::HairLit:
                return kBrown;
            case Ink::BeltLit:
            case Ink::Suit:
                return kCharcoal;
            case Ink::Band:
            case Ink::Mouth:
            case Ink::Tie:
            case Ink::Blush:
                return kBrick;
            case Ink::BandDark:
                return kPlum;
            case Ink::Shorts:
            case Ink::Shirt:
            case Ink::StarCyan:
                return kSky;
            case Ink::ShirtShade:
                return kTeal;
            case Ink::ShortsDot:
            case Ink::StarYellow:
                return kStraw;
            case Ink::StarOrange:
                return kOrange;
            case Ink::StarPink:
                return kPlum;
            case Ink::Grey:
                return kSlate;
            default:
                return kInk;
        }
    }

private:
    Canvas m_canvas;
};

PixelSprite Fighter(int frame, bool facingLeft = false) {
    PixelSprite s = DrawFigure(FighterPoses::FramePose(frame), Costume());
    if (facingLeft) s.MirrorX();
    return s;
}

PixelSprite RefereeSprite() {
    Pose p;
    p.turn = -1.0f;
    p.hip = {0.0f, 24.4f};
    p.nearLeg = Reach(-4.5f, 2.7f, 1);
    p.farLeg = Reach(4.5f, 2.7f, -1);
    p.nearArm = Angles(-14.0f, -6.0f);
    p.farArm = Angles(150.0f, 170.0f);
    Costume c;
    c.referee = true;
    c.scale = 0.82f;
    c.girth = 1.25f;
    return DrawFigure(p, c);
}

// A tatami floor in perspective-free stripes: straw mats with dark seams.
void Tatami(Screen& s, int y0, int y1) {
    for (int y = y0; y < y1; ++y)
        for (int x = 0; x < Screen::kCols; ++x) {
            const int mat = ((x / 20) + ((y - y0) / 12)) % 2;
            const bool seam = x % 20 == 0 || (y - y0) % 12 == 0;
            s.Plot(x, y, seam ? kBrown : (mat ? kStraw : kLime));
        }
}

void Sea(Screen& s, int y0, int y1, uint32_t seed) {
    for (int y = y0; y < y1; ++y)
        for (int x = 0; x < Screen::kCols; ++x) {
            const int level = (y - y0) * 4 / std::max(1, y1 - y0);
            s.Dither(x, y, kTeal, kNavy, level);
            if (Hash(static_cast<uint32_t>(x / 6), static_cast<uint32_t>(y), seed) % 23 == 0)
                s.Plot(x, y, kSky);
        }
}

void NightStars(Screen& s, int y1, uint32_t seed) {
    for (int y = 0; y < y1; ++y)
        for (int x = 0; x < Screen::kCols; ++x) {
            const uint32_t h = Hash(static_cast<uint32_t>(x), static_cast<uint32_t>(y), seed) % 300;
            if (h == 0)
                s.Plot(x, y, kPaper);
            else if (h < 3)
                s.Plot(x, y, kSlate);
        }
}

void Island(Screen& s, int cx, int top, int half, int sand, int grass) {
    for (int y = top; y < top + 14; ++y) {
        const int w = half + (y - top) * 2;  // sloping shores
        for (int x = cx - w; x <= cx + w; ++x) s.Plot(x, y, y < top + 4 ? grass : sand);
    }
}

void Balloon(Screen& s, int col, int row, const std::string& text) {
    const int w = static_cast<int>(text.size()) + 2;
    for (int y = row * 8 - 4; y < (row + 1) * 8 + 4; ++y)
        for (int x = col * 8 - 8; x < (col + w - 1) * 8; ++x) s.SetHiRes(x, y, kPaper);
    for (int k = 0; k < 8; ++k)
        for (int x = 0; x < 8 - k; ++x) s.SetHiRes(col * 8 + x + k, (row + 1) * 8 + 4 + k, kPaper);
    s.Text(col, row, text, kInk);
}

using PictureFn = void (*)(Screen&);

void PicTitle(Screen& s) {
    s.Gradient(0, 120, kNavy, kPlum);
    s.Gradient(120, 150, kPlum, kOrange);
    Tatami(s, 150, 200);
    s.Title(24, "TATAMIX+", kStraw, kBrick, 4);
    s.CentreText(9, "THE BLOCK FIGHTERS", kPaper);
    s.Sprite(Fighter(0), 38, 190, 1);
    s.Sprite(Fighter(11, true), 122, 190, 1, kSky, kTeal);
}

void PicCloseUp(Screen& s) {
    s.Gradient(0, 200, kTeal, kForest);
    s.Sprite(Fighter(0), 84, 202, 2);
    s.TextAt(16, 16, "OSS!", kStraw, 3);
}

void PicFaceOff(Screen& s) {
    s.Gradient(0, 140, kSky, kSilver);
    Tatami(s, 140, 200);
    s.Sprite(Fighter(9), 62, 176, 1);
    s.Sprite(Fighter(60, true), 104, 176, 1, kSky, kTeal);
    s.CentreText(2, "ROUND ONE", kNavy);
}

void PicReferee(Screen& s) {
    s.Gradient(0, 200, kCharcoal, kSlate);
    s.Sprite(RefereeSprite(), 96, 200, 2);
    Balloon(s, 4, 5, "FIGHT!");
}

void PicMat(Screen& s) {
    for (int y = 0; y < Screen::kRows; ++y)
        for (int x = 0; x < Screen::kCols; ++x) {
            const int mx = x / 40, my = y / 50;
            const bool seam = x % 40 == 0 || y % 50 == 0;
            const int weave = ((mx + my) % 2 ? y : x) % 3 == 0;
            s.Plot(x, y,
                   seam ? kBrown : ((mx + my) % 2 ? (weave ? kForest : kLime) : (weave ? kOrange : kStraw)));
        }
    s.Fill(38, 86, 84, 28, kInk);
    s.CentreText(12, "THE MAT", kPaper);
}

void PicSunsetKick(Screen& s) {
    s.Gradient(0, 70, kPlum, kBrick);
    s.Gradient(70, 140, kBrick, kOrange);
    s.Disc(80, 130, 46, kStraw);
    Tatami(s, 150, 200);
    s.Sprite(Fighter(11), 70, 182, 1);
}

void PicIsland(Screen& s) {
    s.Gradient(0, 100, kSky, kSilver);
    s.Disc(130, 30, 14, kStraw);
    Sea(s, 100, 200, 3u);
    Island(s, 80, 110, 24, kStraw, kForest);
    s.Fill(66, 108, 28, 3, kLime);
    s.Sprite(Fighter(0), 70, 110, 1);
    s.Sprite(Fighter(0, true), 92, 110, 1, kSky, kTeal);
}

void PicFlyingKick(Screen& s) {
    s.Gradient(0, 200, kNavy, kBrick);
    s.Disc(80, 100, 80, kOrange);
    s.Disc(80, 100, 64, kStraw);
    PixelSprite k = Fighter(36);
    for (int y = 0; y < PixelSprite::kHeight; ++y)
        for (int x = 0; x < PixelSprite::kWidth; ++x)
            if (k.At(x, y) != Ink::None) k.Put(x, y, Ink::Outline, true);
    s.Sprite(k, 72, 170, 1);
}

void PicFlip(Screen& s) {
    s.Gradient(0, 150, kForest, kTeal);
    Tatami(s, 150, 200);
    const int frames[5] = {20, 22, 24, 26, 28};
    for (int i = 0; i < 5; ++i) s.Sprite(Fighter(frames[i]), 140 - i * 30, 176, 1);
    s.CentreText(2, "BACK FLIP", kPaper);
}

void PicPantsDown(Screen& s) {
    s.Gradient(0, 150, kBrick, kPlum);
    Tatami(s, 150, 200);
    s.Sprite(Fighter(40), 80, 184, 1);
    s.Title(16, "OOPS!", kStraw, kInk, 3);
}

void PicDoubleKick(Screen& s) {
    s.Gradient(0, 160, kNavy, kTeal);
    Tatami(s, 160, 200);
    s.Sprite(Fighter(14), 80, 190, 1);
    for (int i = 0; i < 10; ++i) {
        const float a = i * 0.628f;
        const int x = 80 + static_cast<int>(std::cos(a) * 40), y = 60 + static_cast<int>(std::sin(a) * 36);
        s.Plot(x, y, kStraw);
        s.Plot(x - 1, y, kStraw);
        s.Plot(x + 1, y, kStraw);
        s.Plot(x, y - 1, kStraw);
        s.Plot(x, y + 1, kStraw);
    }
}

void PicGetReady(Screen& s) {
    s.Gradient(0, 200, kInk, kNavy);
    s.Title(40, "GET READY!", kLime, kForest, 3);
    Tatami(s, 160, 200);
    s.Sprite(Fighter(0), 50, 176, 1);
    s.Sprite(Fighter(0, true), 110, 176, 1, kStraw, kOrange);
}

void PicBelt(Screen& s) {
    s.Gradient(0, 200, kBrick, kPlum);
    s.Fill(0, 84, 160, 30, kInk);
    s.Fill(0, 88, 160, 1, kCharcoal);
    s.Fill(0, 108, 160, 1, kCharcoal);
    s.Disc(80, 99, 26, kInk);
    for (int k = 0; k < 60; ++k) {
        s.Fill(70 - k / 4, 110 + k, 9, 1, kInk);
        s.Fill(82 + k / 5, 110 + k, 9, 1, kInk);
    }
    s.CentreText(3, "BLACK BELT", kStraw);
}

void PicSunset(Screen& s) {
    s.Gradient(0, 60, kPlum, kBrick);
    s.Gradient(60, 120, kBrick, kOrange);
    s.Disc(100, 118, 30, kStraw);
    Sea(s, 120, 200, 9u);
    // A dojo's silhouette: a wide roof over a hall.
    for (int y = 0; y < 20; ++y) s.Fill(20 - y / 2, 96 + y, 60 + y, 1, kInk);
    s.Fill(28, 116, 44, 14, kInk);
}

void PicNight(Screen& s) {
    s.Gradient(0, 120, kInk, kNavy);
    NightStars(s, 120, 14u);
    s.Disc(126, 30, 16, kSilver);
    s.Disc(120, 26, 14, kInk);
    Sea(s, 120, 200, 15u);
    Island(s, 60, 128, 20, kBrown, kForest);
    s.Sprite(Fighter(19), 54, 128, 1, kSilver, kSlate);
    s.Sprite(Fighter(9, true), 76, 128, 1, kSilver, kSlate);
}

void PicMatchOver(Screen& s) {
    s.Gradient(0, 150, kBrick, kInk);
    Tatami(s, 150, 200);
    s.Sprite(Fighter(77), 100, 186, 1, kSky, kTeal);
    s.Sprite(Fighter(0), 50, 186, 1);
    s.Title(24, "MATCH OVER!", kPaper, kInk, 3);
}

void PicScores(Screen& s) {
    s.Fill(0, 0, Screen::kCols, Screen::kRows, kNavy);
    s.CentreText(2, "BEST BELTS", kStraw);
    const char* lines[] = {"1. THE LEAD        99999", "2. THE RIG         87650", "3. THE SPINE       76540",
                           "4. THE RENDERER    65430", "5. THE GRAPH       54320", "6. THE MATERIALS   43210",
                           "7. THE LIGHT       32100", "8. THE REFEREE     00000"};
    for (int i = 0; i < 8; ++i) s.Text(8, 6 + i * 2, lines[i], i == 0 ? kLime : kPaper);
}

void PicHeadbutt(Screen& s) {
    s.Gradient(0, 150, kOrange, kStraw);
    Tatami(s, 150, 200);
    s.Sprite(Fighter(18), 60, 184, 1);
    s.Sprite(Fighter(60, true), 110, 184, 1, kSky, kTeal);
    s.Title(20, "BONK!", kBrick, kInk, 3);
}

void PicWalk(Screen& s) {
    s.Gradient(0, 150, kSky, kPaper);
    Tatami(s, 150, 200);
    for (int i = 0; i < 5; ++i) s.Sprite(Fighter(1 + i), 16 + i * 32, 176, 1);
    s.CentreText(2, "STEP BY STEP", kNavy);
}

void PicTheEnd(Screen& s) {
    s.Gradient(0, 100, kPlum, kSky);
    Sea(s, 100, 200, 21u);
    Island(s, 80, 120, 30, kStraw, kForest);
    s.Title(30, "TATAMIX+", kPaper, kPlum, 4);
    s.CentreText(20, "SEE YOU ON THE MAT", kPaper);
}

const PictureFn kPictures[20] = {PicTitle,      PicCloseUp,  PicFaceOff,    PicReferee, PicMat,
                                 PicSunsetKick, PicIsland,   PicFlyingKick, PicFlip,    PicPantsDown,
                                 PicDoubleKick, PicGetReady, PicBelt,       PicSunset,  PicNight,
                                 PicMatchOver,  PicScores,   PicHeadbutt,   PicWalk,    PicTheEnd};

bool MakeLoaderScreens(const std::string& dataDir) {
    const int colours[2][3] = {{kTeal, kStraw, kNavy}, {kBrick, kSky, kInk}};
    for (int i = 0; i < 16; ++i) {
        Screen s(kInk, kNavy);
        PicTitle(s);
        s.LoaderBorder(static_cast<uint32_t>(i) + 100u, colours[i % 2], 3);
        char name[64];
        std::snprintf(name, sizeof(name), "textures/screens/load/%02d.png", i);
        if (!s.Save(dataDir, name)) return false;
    }
    return true;
}

bool MakePictureScreens(const std::string& dataDir) {
    // Each border differs from the picture's own edge colours, so the screen's frame shows.
    const int borders[20] = {kNavy, kInk,  kNavy, kInk, kBrown,    kInk, kTeal, kInk,   kInk,  kNavy,
                             kInk,  kNavy, kInk,  kInk, kCharcoal, kInk, kTeal, kBrown, kNavy, kInk};
    for (int i = 0; i < 20; ++i) {
        Screen s(borders[i], kInk);
        kPictures[i](s);
        char name[64];
        std::snprintf(name, sizeof(name), "textures/screens/%02d.png", i);
        if (!s.Save(dataDir, name)) return false;
    }
    return true;
}

bool MakeCreditScreens(const std::string& dataDir) {
    struct Credit {
        const char* title;
        const char* lines[8];
    };
    const Credit credits[8] = {
        {"TATAMIX+",
         {"A SHOW OF BLOCK FIGHTERS", "", "MADE ON THE MAT BY", "THE DOJO ENGINE CREW", "", "BOW IN", "",
          ""}},
        {"CODE",
         {"ENGINE SPINE ..... THE LEAD", "SCRIPT TIMELINE .. THE SPINE", "RENDERER ......... THE GL DESK",
          "SCENE GRAPH ...... THE GRAPH", "MATERIALS ........ THE SHADERS", "FIGHT RULES ...... THE FIGHTERS",
          "", ""}},
        {"GRAPHICS",
         {"PIXEL FIGHTERS ... THE RIG", "REFEREE .......... THE RIG", "TV PICTURES ...... THE PALETTE",
          "SKY AND WATER .... THE LIGHT", "HARDWARE MODELS .. THE WORKSHOP", "", "EVERY PIXEL MADE HERE",
          ""}},
        {"MUSIC",
         {"SOUNDTRACK ....... THE SYNTH BENCH", "125 BEATS A MINUTE", "ONE BAR = 1.92 SECONDS", "",
          "ALL SOUNDS SYNTHESISED", "FROM SCRATCH", "", ""}},
        {"THANKS",
         {"TO EVERY TATAMI", "TO EVERY BLACK BELT", "TO THE REFEREE FOR HIS PATIENCE", "",
          "AND TO YOU FOR WATCHING", "", "", ""}},
        {"GREETINGS",
         {"TO ALL DOJOS NEAR AND FAR", "TO THE WHITE BELTS STARTING OUT", "TO THE SENSEI IN THE BACK ROW",
          "TO ANYONE WHO EVER LOST", "THEIR TROUSERS IN A FIGHT", "", "", ""}},
        {"TECHNICAL",
         {"BLOCK SPRITES FROM PIXELS", "SKY, WATER AND SHADOWS IN GLSL", "SCENES IN OUR OWN FILES",
          "ASSETS BY OUR OWN GENERATOR", "", "NO PIXEL BORROWED", "", ""}},
        {"THE END", {"BOW OUT", "", "SEE YOU ON THE MAT!", "", "", "", "", ""}},
    };
    for (int i = 0; i < 8; ++i) {
        Screen s(kTeal, kNavy);
        s.Fill(0, 16, Screen::kCols, 24, kPlum);
        s.Title(20, credits[i].title, kStraw, kInk, 2);
        for (int l = 0; l < 8; ++l)
            if (credits[i].lines[l][0]) s.CentreText(8 + l * 2, credits[i].lines[l], l % 2 ? kSky : kPaper);
        s.Text(1, 23, "TATAMIX+", kTeal);
        char page[16];
        std::snprintf(page, sizeof(page), "%d/8", i + 1);
        s.Text(35, 23, page, kTeal);
        char name[64];
        std::snprintf(name, sizeof(name), "textures/screens/credits/%02d.png", i);
        if (!s.Save(dataDir, name)) return false;
    }
    return true;
}

bool MakeBootScreen(const std::string& dataDir) {
    Screen s(kForest, kInk);
    const char* lines[] = {"  == DOJO-8 KATA SYSTEM  REV 2 ==",
                           "  SIXTY-FOUR MATS, ONE REFEREE",
                           "",
                           "READY TO BOW.",
                           "LOAD \"TATAMIX+\"",
                           "WARMING UP THE BELTS...",
                           "ALL LIMBS ACCOUNTED FOR.",
                           "READY TO BOW.",
                           "RUN"};
    for (int i = 0; i < 9; ++i) s.Text(0, 1 + i, lines[i], i < 2 ? kStraw : kLime);
    s.Text(0, 10, std::string(1, static_cast<char>(BlockFont::kFullBlock)), kLime);
    return s.Save(dataDir, "textures/screens/basic/00.png");
}

}  // namespace

void RegisterScreenProducts(AssetGenerator& generator) {
    generator.Register({"screens_load", "textures/screens/load/00..15.png: tape loader flicker, 384x288",
                        MakeLoaderScreens});
    generator.Register({"screens", "textures/screens/00..19.png: TV pictures, 384x288", MakePictureScreens});
    generator.Register(
        {"screens_credits", "textures/screens/credits/00..07.png: credits, 384x288", MakeCreditScreens});
    generator.Register(
        {"screens_basic", "textures/screens/basic/00.png: boot screen, 384x288", MakeBootScreen});
}
