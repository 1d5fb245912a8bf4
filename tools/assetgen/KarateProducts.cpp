// The fighters, the referee and the contact sheet that shows them.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "AssetGenerator.h"
#include "BlockFont.h"
#include "Canvas.h"
#include "FighterPoses.h"
#include "SpriteRig.h"

namespace {

constexpr int kRefereeFrames = 26;  // the referee, his empty frame, 24 frames of stars
constexpr int kStarFrames = 24;

bool Save(const Canvas& canvas, const std::string& dataDir, const std::string& relative) {
    const std::string path = AssetGenerator::OutputPath(dataDir, relative);
    return !path.empty() && canvas.SavePNG(path);
}

Costume RefereeCostume() {
    Costume c;
    c.referee = true;
    c.scale = 0.82f;
    c.girth = 1.25f;
    return c;
}

// The referee faces the audience: front view, feet apart, hands by his sides.
PixelSprite Referee(FigurePoints* points) {
    Pose p;
    p.turn = -1.0f;
    p.hip = {0.0f, 24.4f};
    p.nearLeg = Reach(-4.5f, 2.7f, 1);
    p.farLeg = Reach(4.5f, 2.7f, -1);
    p.nearArm = Angles(-14.0f, -6.0f);
    p.farArm = Angles(14.0f, 6.0f);
    return DrawFigure(p, RefereeCostume(), points);
}

// A chunky four-point sparkle: arms `size` logical pixels across, twice as many rows up and
// down so it looks square on the double-wide grid.
void Sparkle(PixelSprite& s, Vec2 at, int size, Ink arm, Ink core) {
    const int x = PixelSprite::Column(at.x), y = PixelSprite::Row(at.y);
    for (int k = 1; k <= size; ++k) {
        s.Put(x - k, y, arm, true);
        s.Put(x + k, y, arm, true);
    }
    for (int k = 1; k <= 2 * size; ++k) {
        s.Put(x, y - k, arm, true);
        s.Put(x, y + k, arm, true);
    }
    if (size >= 2) {
        for (int dy : {-1, 1}) {
            s.Put(x - 1, y + dy, arm, true);
            s.Put(x + 1, y + dy, arm, true);
        }
    }
    s.Put(x, y, core, true);
}

// Frame i (0..22) of the burst around the referee's head: the stars fly outwards, swell,
// twinkle, then shrink and cool to embers. The 24th frame is empty, because a finished
// sequence holds its last frame.
PixelSprite StarBurst(int frame, Vec2 head) {
    PixelSprite s;
    if (frame >= kStarFrames - 1) return s;
    const float t = static_cast<float>(frame) / (kStarFrames - 2);
    const float radius = 5.0f + 27.0f * (1.0f - (1.0f - t) * (1.0f - t));
    const Ink hot[4] = {Ink::StarYellow, Ink::StarCyan, Ink::StarPink, Ink::StarOrange};
    const Ink cool[4] = {Ink::StarOrange, Ink::Band, Ink::BandDark, Ink::Mouth};
    const int count = 10;
    for (int k = 0; k < count; ++k) {
        const float a = (k * 360.0f / count + t * 40.0f + (k % 2) * 12.0f) * 3.14159265f / 180.0f;
        const float r = radius * (k % 2 ? 0.78f : 1.0f);
        const Vec2 at{head.x + std::cos(a) * r, head.y + std::sin(a) * r};
        int size = t < 0.25f ? 1 + static_cast<int>(t * 8.0f) : (t < 0.6f ? 2 : (t < 0.85f ? 1 : 0));
        if ((frame + k) % 3 == 0 && size > 0) --size;  // twinkle
        const Ink arm = t < 0.6f ? hot[k % 4] : cool[k % 4];
        const Ink core = t < 0.6f ? Ink::StarYellow : Ink::StarOrange;
        Sparkle(s, at, size, arm, core);
    }
    // A ring of little glints between the stars while the burst is young.
    if (t < 0.7f)
        for (int k = 0; k < 16; ++k) {
            if ((k + frame) % 2) continue;
            const float a = (k * 22.5f + 11.0f - t * 60.0f) * 3.14159265f / 180.0f;
            const float r = radius * 0.55f;
            s.Put(PixelSprite::Column(head.x + std::cos(a) * r), PixelSprite::Row(head.y + std::sin(a) * r),
                  hot[(k / 2) % 4], true);
        }
    return s;
}

bool MakeFighters(const std::string& dataDir) {
    for (int f = 0; f < FighterPoses::kFrameCount; ++f) {
        const PixelSprite sprite = DrawFigure(FighterPoses::FramePose(f), Costume());
        const std::string name = std::string(FighterPoses::FrameName(f)) + ".png";
        if (!Save(sprite.ToCanvas(), dataDir, "textures/karate/" + name)) return false;
        if (!Save(sprite.CollisionCanvas(), dataDir, "textures/karate/collision/" + name)) return false;
    }
    return true;
}

bool MakeReferee(const std::string& dataDir) {
    FigurePoints points;
    const PixelSprite referee = Referee(&points);
    if (!Save(referee.ToCanvas(), dataDir, "textures/karate/tuomari/tuomari.png")) return false;
    if (!Save(PixelSprite().ToCanvas(), dataDir, "textures/karate/tuomari/tuomari_invisible.png"))
        return false;
    for (int i = 0; i < kStarFrames; ++i) {
        char name[64];
        std::snprintf(name, sizeof(name), "textures/karate/tuomari/stars_%02d.png", i + 1);
        if (!Save(StarBurst(i, points.head).ToCanvas(), dataDir, name)) return false;
    }
    return true;
}

// --- contact sheet -------------------------------------------------------------------------

void Blit(Canvas& sheet, const Canvas& image, int x0, int y0, int scale, float opacity = 1.0f) {
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            const Rgba c = image.Get(x, y);
            if (c.a <= 0.0f) continue;
            for (int sy = 0; sy < scale; ++sy)
                for (int sx = 0; sx < scale; ++sx)
                    sheet.Blend(x0 + x * scale + sx, y0 + y * scale + sy, c, opacity);
        }
}

void Panel(Canvas& sheet, int x0, int y0, int w, int h, const Rgba& c) {
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x) sheet.Set(x, y, c);
}

// Every fighter frame at twice its size with a standing opponent's ghost where its attack
// lands, its collision image mirrored back beside it, and the referee's frames below.
bool MakeKarateSheet(const std::string& dataDir) {
    const int scale = 2, fw = 128 * scale, fh = 96 * scale;
    const int cellW = fw + 128 + 24, cellH = fh + 28, perRow = 5;
    const int rows = (FighterPoses::kFrameCount + perRow - 1) / perRow;
    const int refPerRow = 13, refRows = (kRefereeFrames + refPerRow - 1) / refPerRow;
    const int width = perRow * cellW + 16, refTop = 40 + rows * cellH;
    const int height = refTop + refRows * (96 + 28) + 16;
    Canvas sheet(width, height);
    sheet.Fill(Rgba{0.16f, 0.17f, 0.22f, 1.0f});
    const BlockFont& font = BlockFont::Get();
    const Rgba label{0.95f, 0.86f, 0.45f, 1.0f}, floor{0.36f, 0.40f, 0.50f, 1.0f};
    font.Draw(sheet, 16, 12, "FIGHTER FRAMES  (FRAME X2 / COLLISION MIRRORED BACK)", label, 2, 2);

    PixelSprite stance = DrawFigure(FighterPoses::FramePose(0), Costume());
    for (int f = 0; f < FighterPoses::kFrameCount; ++f) {
        const int cx = 8 + (f % perRow) * cellW, cy = 40 + (f / perRow) * cellH;
        Panel(sheet, cx, cy, fw, fh, Rgba{0.23f, 0.25f, 0.31f, 1.0f});
        Panel(sheet, cx + fw / 2, cy, 1, fh, floor);
        const PixelSprite sprite = DrawFigure(FighterPoses::FramePose(f), Costume());
        Vec2 strike;
        if (FighterPoses::StrikePoint(f, strike)) {
            // The opponent faces back, standing where this attack's point meets its centre.
            PixelSprite ghost = stance;
            ghost.MirrorX();
            Blit(sheet, ghost.ToCanvas(), cx + static_cast<int>(strike.x) * scale, cy, scale, 0.35f);
        }
        Blit(sheet, sprite.ToCanvas(), cx, cy, scale);
        if (FighterPoses::StrikePoint(f, strike)) {
            const int px = cx + (64 + static_cast<int>(strike.x)) * scale,
                      py = cy + (96 - static_cast<int>(strike.y)) * scale;
            Panel(sheet, px - 6, py, 13, 1, Rgba{1.0f, 0.1f, 0.1f, 1.0f});
            Panel(sheet, px, py - 6, 1, 13, Rgba{1.0f, 0.1f, 0.1f, 1.0f});
        }
        // The collision image flipped back should cover the figure exactly.
        Canvas collision = sprite.CollisionCanvas();
        Canvas back(128, 96);
        for (int y = 0; y < 96; ++y)
            for (int x = 0; x < 128; ++x) back.Set(x, y, collision.Get(127 - x, y));
        Panel(sheet, cx + fw + 8, cy + fh - 96, 128, 96, Rgba{0.23f, 0.25f, 0.31f, 1.0f});
        Blit(sheet, back, cx + fw + 8, cy + fh - 96, 1);
        char text[64];
        std::snprintf(text, sizeof(text), "%02d %s", f, FighterPoses::FrameName(f));
        font.Draw(sheet, cx, cy + fh + 4, text, label, 2, 2);
    }

    FigurePoints points;
    const PixelSprite referee = Referee(&points);
    for (int i = 0; i < kRefereeFrames; ++i) {
        const int cx = 8 + (i % refPerRow) * 152, cy = refTop + (i / refPerRow) * (96 + 28);
        Panel(sheet, cx, cy, 128, 96, Rgba{0.23f, 0.25f, 0.31f, 1.0f});
        if (i >= 2) Blit(sheet, referee.ToCanvas(), cx, cy, 1, 0.3f);
        const PixelSprite frame = i == 0 ? referee : (i == 1 ? PixelSprite() : StarBurst(i - 2, points.head));
        Blit(sheet, frame.ToCanvas(), cx, cy, 1);
        char text[16];
        std::snprintf(text, sizeof(text), "%02d", i);
        font.Draw(sheet, cx, cy + 100, text, label, 2, 2);
    }
    return Save(sheet, dataDir, "karate_sheet.png");
}

}  // namespace

void RegisterKarateProducts(AssetGenerator& generator) {
    generator.Register(
        {"karateka", "textures/karate/*.png, collision/*.png: 78 fighter frames, 128x96", MakeFighters});
    generator.Register(
        {"tuomari", "textures/karate/tuomari/*.png: referee and star burst, 128x96", MakeReferee});
    Product sheet{"karate_sheet", "karate_sheet.png: contact sheet of the fighter and referee frames",
                  MakeKarateSheet};
    sheet.onRequest = true;
    generator.Register(sheet);
}
