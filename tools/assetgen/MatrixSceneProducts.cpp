// The hardware table scene: a dim room at dusk with a wooden table against the wall, the
// five devices set up on it as one would use them, the cable ends as nulls, three cameras
// drifting slowly round the set-up and a light. Coordinates as the files store them (metres,
// y up, the room's front towards -z); the table top is y = 0.
#include <cmath>
#include <string>
#include <vector>

#include "AssetGenerator.h"
#include "Canvas.h"
#include "HardwareLayout.h"
#include "LWObjectWriter.h"
#include "LWSceneWriter.h"
#include "LWShapes.h"
#include "ModelKit.h"

using namespace ModelKit;

namespace {

// ---------------------------------------------------------------------------------------------
// The room's pictures

// Walnut: fine grain lines along the picture's width, drifting slowly, over broad changes of
// tone; low contrast, as a varnished table top looks from a metre away.
bool MakeWood(const std::string& dataDir) {
    const int w = 512, h = 256;
    Canvas canvas(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float fx = static_cast<float>(x), fy = static_cast<float>(y);
            const float drift = 40.0f * Fractal(fx, fy, 128.0f, 4, 2, 11);
            const float phase = (fy + drift) / 7.0f;
            const float line = std::pow(0.5f + 0.5f * std::cos(phase * 2.0f * kPi), 6.0f);
            const float tone = Fractal(fx, fy * 2.0f, 64.0f, 8, 3, 12);
            const float k =
                (0.88f + 0.2f * tone) * (1.0f - 0.16f * line) * (0.97f + 0.05f * Hash01(x / 2, y, 13));
            canvas.Set(x, y, Scale(Rgba{0.38f, 0.235f, 0.135f, 1.0f}, k));
        }
    return SaveImage(canvas, dataDir, "images/matrix_wood.png");
}

// Floor boards along the picture's height, four to a picture, their ends staggered.
bool MakeFloor(const std::string& dataDir) {
    const int w = 256, h = 512;
    Canvas canvas(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int board = x / 64;
            const int yy = (y + board * 173) % h;
            const float tone = 0.85f + 0.3f * Hash01(board, yy / 256, 21);
            const float grain =
                0.9f + 0.1f * std::sin(x * 0.9f + 6.0f * Fractal(static_cast<float>(x),
                                                                 static_cast<float>(yy), 64.0f, 8, 2, 22));
            float k = tone * grain;
            if (x % 64 < 2 || yy % 256 < 2) k *= 0.45f;
            canvas.Set(x, y, Scale(Rgba{0.42f, 0.29f, 0.18f, 1.0f}, k));
        }
    return SaveImage(canvas, dataDir, "images/matrix_floor.png");
}

// Wallpaper of the time: olive stripes with a small repeated diamond.
bool MakeWallpaper(const std::string& dataDir) {
    const int n = 128;
    Canvas canvas(n, n);
    const Rgba base{0.52f, 0.49f, 0.36f, 1.0f}, stripe{0.44f, 0.41f, 0.29f, 1.0f},
        motif{0.62f, 0.52f, 0.30f, 1.0f};
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            Rgba c = (x % 64) < 20 ? stripe : base;
            if ((x % 64) == 20 || (x % 64) == 63) c = Scale(c, 0.85f);
            const float dx = std::fabs(static_cast<float>((x % 64) - 42)),
                        dy = std::fabs(static_cast<float>((y % 32) - 16));
            if (dx + dy < 7.0f) c = motif;
            canvas.Set(x, y, Scale(c, 0.96f + 0.06f * Hash01(x, y, 31)));
        }
    return SaveImage(canvas, dataDir, "images/matrix_wallpaper.png");
}

// The view out of the window at dusk: a deep blue sky over an orange horizon, the dark roofs
// and a few lit windows of the houses opposite.
bool MakeWindowView(const std::string& dataDir) {
    const int w = 256, h = 256;
    Canvas canvas(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float t = static_cast<float>(y) / h;
            Rgba sky =
                t < 0.6f ? Mix(Rgba{0.05f, 0.08f, 0.22f, 1}, Rgba{0.25f, 0.30f, 0.55f, 1}, t / 0.6f)
                         : Mix(Rgba{0.25f, 0.30f, 0.55f, 1}, Rgba{0.95f, 0.55f, 0.30f, 1}, (t - 0.6f) / 0.4f);
            canvas.Set(x, y, sky);
        }
    // Rooftops: a skyline of blocks and gables.
    for (int b = 0; b < 9; ++b) {
        const float x0 = b * 30.0f - 6.0f + 8.0f * Hash01(b, 0, 41), width = 26.0f + 14.0f * Hash01(b, 1, 41);
        const float top = 150.0f + 60.0f * Hash01(b, 2, 41);
        const Rgba roof{0.04f, 0.035f, 0.05f, 1.0f};
        canvas.FillRect(x0, top, x0 + width, static_cast<float>(h), roof);
        if (Hash01(b, 3, 41) > 0.5f)
            canvas.FillPolygon({{x0, top}, {x0 + width * 0.5f, top - 16.0f}, {x0 + width, top}}, roof);
        for (int wy = 0; wy < 4; ++wy)
            for (int wx = 0; wx < 3; ++wx)
                if (Hash01(b * 16 + wx, wy, 42) > 0.72f)
                    canvas.FillRect(x0 + 4 + wx * 8.0f, top + 10 + wy * 14.0f, x0 + 8 + wx * 8.0f,
                                    top + 16 + wy * 14.0f, Rgba{0.95f, 0.75f, 0.40f, 1.0f});
    }
    return SaveImage(canvas, dataDir, "images/matrix_window.png");
}

// A poster of the show: the name over a red sun and a kicking figure in black ink.
bool MakePoster(const std::string& dataDir) {
    const int w = 256, h = 384;
    Canvas canvas(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            canvas.Set(x, y,
                       Scale(Rgba{0.92f, 0.86f, 0.72f, 1.0f},
                             0.93f + 0.08f * Fractal(static_cast<float>(x), static_cast<float>(y), 32.0f, 0,
                                                     3, 51)));
    canvas.DrawDisc(128.0f, 170.0f, 84.0f, Rgba{0.82f, 0.16f, 0.10f, 1.0f});
    const Rgba ink{0.08f, 0.06f, 0.06f, 1.0f};
    // The figure: standing leg, kicking leg, body, arms, head.
    canvas.DrawLine(112, 280, 118, 214, 7.0f, ink);
    canvas.DrawLine(118, 214, 108, 176, 7.5f, ink);
    canvas.DrawLine(118, 214, 160, 196, 6.5f, ink);
    canvas.DrawLine(160, 196, 206, 158, 6.0f, ink);
    canvas.DrawLine(108, 176, 92, 128, 9.0f, ink);
    canvas.DrawLine(96, 140, 64, 150, 5.0f, ink);
    canvas.DrawLine(64, 150, 54, 130, 4.5f, ink);
    canvas.DrawLine(98, 138, 124, 118, 5.0f, ink);
    canvas.DrawDisc(86.0f, 110.0f, 13.0f, ink);
    canvas.DrawLine(94, 104, 112, 96, 2.5f, Rgba{0.82f, 0.16f, 0.10f, 1.0f});
    canvas.FillRect(92, 282, 132, 288, ink);
    DrawText(canvas, "TATAMIX+", 128.0f, 54.0f, 30.0f, 3.2f, ink, Align::Centre);
    DrawText(canvas, "KARATE CHAMPIONSHIP", 128.0f, 322.0f, 11.0f, 1.3f, ink, Align::Centre, 0.8f);
    DrawText(canvas, "TONIGHT ON THE TATAMI", 128.0f, 348.0f, 9.0f, 1.0f, Rgba{0.55f, 0.12f, 0.08f, 1.0f},
             Align::Centre, 0.8f);
    return SaveImage(canvas, dataDir, "images/matrix_poster.png");
}

// Spines of the boxes and tape cases on the shelf: eight cells of a colour band and a title.
bool MakeSpines(const std::string& dataDir) {
    const int w = 256, h = 256;
    Canvas canvas(w, h);
    const Rgba colours[8] = {{0.75f, 0.15f, 0.12f, 1}, {0.15f, 0.30f, 0.62f, 1}, {0.90f, 0.72f, 0.18f, 1},
                             {0.12f, 0.12f, 0.14f, 1}, {0.25f, 0.55f, 0.30f, 1}, {0.85f, 0.85f, 0.80f, 1},
                             {0.55f, 0.20f, 0.50f, 1}, {0.95f, 0.45f, 0.15f, 1}};
    const char* titles[8] = {"DOJO", "TATAMI", "KIAI!", "BELT", "KATA", "SENSEI", "BLOCK", "KICK"};
    for (int k = 0; k < 8; ++k) {
        const float y0 = k * 32.0f;
        canvas.FillRect(0, y0, static_cast<float>(w), y0 + 32.0f, colours[k]);
        canvas.FillRect(0, y0 + 26.0f, static_cast<float>(w), y0 + 29.0f, Scale(colours[k], 0.6f));
        const bool light = colours[k].r + colours[k].g + colours[k].b < 1.4f;
        DrawText(canvas, titles[k], 128.0f, y0 + 20.0f, 12.0f, 1.4f,
                 light ? Rgba{0.95f, 0.93f, 0.88f, 1} : Rgba{0.1f, 0.1f, 0.1f, 1}, Align::Centre);
    }
    return SaveImage(canvas, dataDir, "images/matrix_spines.png");
}

// ---------------------------------------------------------------------------------------------
// The room

constexpr float kFloorY = -0.75f, kCeilingY = 1.75f;
constexpr float kBackWallZ = 0.72f, kFrontWallZ = -2.6f, kLeftWallX = -1.9f, kRightWallX = 2.3f;
constexpr float kWindowZ0 = -1.0f, kWindowZ1 = 0.1f, kWindowY0 = 0.12f, kWindowY1 = 1.30f;
constexpr float kTableX0 = -1.05f, kTableX1 = 1.2f, kTableZ0 = -0.78f, kTableZ1 = 0.70f;
// The wall socket the mains leads come from, above the back of the table.
constexpr float kSocketX = -0.58f, kSocketY = 0.15f;

// A wall or floor rectangle from (a0, b0) to (a1, b1) in a plane, facing `out`.
void AddWall(LWObjectWriter& room, const float origin[3], const float aAxis[3], const float bAxis[3],
             float a0, float a1, float b0, float b1, const float out[3], const std::string& surface) {
    LWShapes::AddPatch(
        room, 1, 1,
        [&](float u, float v, float p[3]) {
            const float a = a0 + (a1 - a0) * u, b = b0 + (b1 - b0) * v;
            for (int k = 0; k < 3; ++k) p[k] = origin[k] + a * aAxis[k] + b * bAxis[k];
        },
        out, surface);
}

void AddWalls(LWObjectWriter& room) {
    const float x[3] = {1, 0, 0}, y[3] = {0, 1, 0}, z[3] = {0, 0, 1}, zero[3] = {0, 0, 0};
    const float up[3] = {0, 1, 0}, front[3] = {0, 0, -1}, back[3] = {0, 0, 1}, right[3] = {1, 0, 0},
                left[3] = {-1, 0, 0};
    const float floor[3] = {0, kFloorY, 0};
    AddWall(room, floor, x, z, kLeftWallX, kRightWallX, kFrontWallZ, kBackWallZ, up, "Floor");
    const float backWall[3] = {0, 0, kBackWallZ}, frontWall[3] = {0, 0, kFrontWallZ};
    AddWall(room, backWall, x, y, kLeftWallX, kRightWallX, kFloorY, kCeilingY, front, "Wallpaper");
    AddWall(room, frontWall, x, y, kLeftWallX, kRightWallX, kFloorY, kCeilingY, back, "Wallpaper");
    const float rightWall[3] = {kRightWallX, 0, 0}, leftWall[3] = {kLeftWallX, 0, 0};
    AddWall(room, rightWall, z, y, kFrontWallZ, kBackWallZ, kFloorY, kCeilingY, left, "Wallpaper Side");
    // The left wall round the window.
    AddWall(room, leftWall, z, y, kFrontWallZ, kBackWallZ, kFloorY, kWindowY0, right, "Wallpaper Side");
    AddWall(room, leftWall, z, y, kFrontWallZ, kBackWallZ, kWindowY1, kCeilingY, right, "Wallpaper Side");
    AddWall(room, leftWall, z, y, kFrontWallZ, kWindowZ0, kWindowY0, kWindowY1, right, "Wallpaper Side");
    AddWall(room, leftWall, z, y, kWindowZ1, kBackWallZ, kWindowY0, kWindowY1, right, "Wallpaper Side");
    (void)zero;
    // Skirting boards.
    const float skirt = 0.08f;
    AddBox(room, (kLeftWallX + kRightWallX) * 0.5f, kFloorY + skirt * 0.5f, kBackWallZ - 0.01f,
           kRightWallX - kLeftWallX, skirt, 0.02f, 0.004f, "Paint");
    AddBox(room, (kLeftWallX + kRightWallX) * 0.5f, kFloorY + skirt * 0.5f, kFrontWallZ + 0.01f,
           kRightWallX - kLeftWallX, skirt, 0.02f, 0.004f, "Paint");
    AddBox(room, kLeftWallX + 0.01f, kFloorY + skirt * 0.5f, (kFrontWallZ + kBackWallZ) * 0.5f, 0.02f, skirt,
           kBackWallZ - kFrontWallZ, 0.004f, "Paint");
    AddBox(room, kRightWallX - 0.01f, kFloorY + skirt * 0.5f, (kFrontWallZ + kBackWallZ) * 0.5f, 0.02f, skirt,
           kBackWallZ - kFrontWallZ, 0.004f, "Paint");
}

void AddWindow(LWObjectWriter& room) {
    const float zc = (kWindowZ0 + kWindowZ1) * 0.5f, yc = (kWindowY0 + kWindowY1) * 0.5f;
    const float wz = kWindowZ1 - kWindowZ0, hy = kWindowY1 - kWindowY0, frame = 0.06f, depth = 0.12f;
    const float x = kLeftWallX - 0.02f;
    // Frame, sill and the cross of glazing bars.
    AddBox(room, x, kWindowY1 - frame * 0.5f, zc, depth, frame, wz, 0.006f, "Paint");
    AddBox(room, x, kWindowY0 + frame * 0.5f, zc, depth, frame, wz, 0.006f, "Paint");
    AddBox(room, x, yc, kWindowZ0 + frame * 0.5f, depth, hy, frame, 0.006f, "Paint");
    AddBox(room, x, yc, kWindowZ1 - frame * 0.5f, depth, hy, frame, 0.006f, "Paint");
    AddBox(room, kLeftWallX + 0.07f, kWindowY0 - 0.015f, zc, 0.16f, 0.03f, wz + 0.12f, 0.008f, "Paint");
    AddBox(room, x - 0.03f, yc, zc, 0.03f, hy, 0.035f, 0.004f, "Paint");
    AddBox(room, x - 0.03f, yc + 0.1f, zc, 0.03f, 0.035f, wz, 0.004f, "Paint");
    // The pane, lit by the dusk outside.
    const uint32_t first = room.PointCount();
    const float out[3] = {1, 0, 0};
    LWShapes::AddPatch(
        room, 1, 1,
        [&](float u, float v, float p[3]) {
            p[0] = kLeftWallX - 0.06f;
            p[1] = kWindowY0 + v * hy;
            p[2] = kWindowZ1 - u * wz;
        },
        out, "Window View");
    for (uint32_t j = 0; j < 2; ++j)
        for (uint32_t i = 0; i < 2; ++i)
            room.SetUV("window", first + j * 2 + i, static_cast<float>(i), static_cast<float>(j));
    // Curtains either side: folds in a wave.
    for (int side = 0; side < 2; ++side) {
        const float z0 = side ? kWindowZ1 + 0.02f : kWindowZ0 - 0.32f, z1 = z0 + 0.30f;
        const float inward[3] = {1, 0, 0};
        LWShapes::AddPatch(
            room, 12, 1,
            [&](float u, float v, float p[3]) {
                p[0] = kLeftWallX + 0.08f + 0.025f * std::sin(u * 6.0f * kPi);
                p[1] = kWindowY0 - 0.35f + v * (kWindowY1 - kWindowY0 + 0.55f);
                p[2] = z0 + (z1 - z0) * u;
            },
            inward, "Curtain");
    }
}

void AddTable(LWObjectWriter& room) {
    const float cx = (kTableX0 + kTableX1) * 0.5f, cz = (kTableZ0 + kTableZ1) * 0.5f;
    const float sx = kTableX1 - kTableX0, sz = kTableZ1 - kTableZ0;
    AddBox(room, cx, -0.0175f, cz, sx, 0.035f, sz, 0.008f, "Table Top");
    for (float lx : {kTableX0 + 0.07f, kTableX1 - 0.07f})
        for (float lz : {kTableZ0 + 0.07f, kTableZ1 - 0.07f})
            AddBox(room, lx, (kFloorY - 0.035f) * 0.5f, lz, 0.06f, -0.035f - kFloorY, 0.06f, 0.006f,
                   "Table Frame");
    AddBox(room, cx, -0.075f, kTableZ0 + 0.07f, sx - 0.2f, 0.08f, 0.025f, 0.004f, "Table Frame");
    AddBox(room, cx, -0.075f, kTableZ1 - 0.07f, sx - 0.2f, 0.08f, 0.025f, 0.004f, "Table Frame");
    AddBox(room, kTableX0 + 0.07f, -0.075f, cz, 0.025f, 0.08f, sz - 0.2f, 0.004f, "Table Frame");
    AddBox(room, kTableX1 - 0.07f, -0.075f, cz, 0.025f, 0.08f, sz - 0.2f, 0.004f, "Table Frame");
}

// A shelf over the back of the table with boxes and tape cases, the poster and the socket.
void AddWallThings(LWObjectWriter& room) {
    const float shelfY = 0.47f, z0 = kBackWallZ - 0.20f;
    AddBox(room, -0.62f, shelfY, (z0 + kBackWallZ) * 0.5f, 0.95f, 0.025f, kBackWallZ - z0, 0.004f,
           "Table Top");
    for (float x : {-1.0f, -0.25f})
        AddBox(room, x, shelfY - 0.07f, kBackWallZ - 0.07f, 0.02f, 0.12f, 0.12f, 0.003f, "Paint");
    // Boxes standing with their spines out, one leaning, and a stack of tape cases.
    const float spine[3] = {0, 0, -1};
    const float widths[6] = {0.035f, 0.05f, 0.03f, 0.045f, 0.04f, 0.05f};
    float x = -1.04f;
    for (int b = 0; b < 6; ++b) {
        const float w = widths[b], hgt = 0.22f - 0.015f * (b % 3), d = 0.16f;
        const uint32_t first = room.PointCount();
        const float lean = b == 5 ? -0.35f : 0.0f;
        Placed(room,
               At(x + w * 0.5f + (b == 5 ? 0.03f : 0.0f), shelfY + 0.0125f, kBackWallZ - 0.02f - d * 0.5f) *
                   LWPlacement::RotationZ(lean),
               [&] { AddBox(room, 0, hgt * 0.5f, 0, w, hgt, d, 0.002f, "Box Spines"); });
        // The spine's cell of the atlas, read upwards along the box.
        float origin[3];
        const float base[3] = {0, 0, 0};
        (At(x + w * 0.5f, shelfY + 0.0125f, 0) * LWPlacement::RotationZ(lean)).Apply(base, origin);
        const float c = std::cos(lean), s = std::sin(lean);
        const float uAxis[3] = {-s / hgt, c / hgt, 0}, vAxis[3] = {c / w / 8.0f, s / w / 8.0f, 0};
        LWShapes::ProjectUV(room, "spines", first, room.PointCount(), origin, uAxis, vAxis, 0.0f,
                            1.0f - (b + 0.5f) / 8.0f);
        x += w + 0.004f;
        (void)spine;
    }
    for (int t = 0; t < 4; ++t) {
        const uint32_t first = room.PointCount();
        const float y = shelfY + 0.0125f + 0.0085f + t * 0.017f;
        AddBox(room, -0.40f + 0.004f * (t % 2), y, kBackWallZ - 0.09f, 0.11f, 0.017f, 0.07f, 0.002f,
               "Box Spines");
        const float origin[3] = {-0.455f, y, 0}, uAxis[3] = {1.0f / 0.11f, 0, 0},
                    vAxis[3] = {0, 1.0f / 0.017f / 8.0f, 0};
        LWShapes::ProjectUV(room, "spines", first, room.PointCount(), origin, uAxis, vAxis, 0.0f,
                            1.0f - (6 + t % 2 + 0.5f) / 8.0f);
    }
    // Poster and frame.
    AddDecal(room, At(0.92f, 0.68f, kBackWallZ - 0.012f), 0.40f, 0.60f, "Poster", "poster", false);
    AddBox(room, 0.92f, 0.68f, kBackWallZ - 0.006f, 0.43f, 0.63f, 0.01f, 0.003f, "Frame");
    // Wall socket with two plugs in it.
    AddBox(room, kSocketX, kSocketY, kBackWallZ - 0.006f, 0.15f, 0.08f, 0.012f, 0.004f, "Socket Plastic");
    for (float dx : {-0.035f, 0.035f}) {
        AddTurned(room, At(kSocketX + dx, kSocketY, kBackWallZ - 0.012f) * FacingFront(),
                  {{0.0f, 0.0f}, {0.019f, 0.0f}, {0.019f, 0.004f}, {0.0f, 0.004f}}, 20, "Socket Plastic");
        AddTurned(room, At(kSocketX + dx, kSocketY, kBackWallZ - 0.016f) * FacingFront(),
                  {{0.0f, 0.0f},
                   {0.016f, 0.0f},
                   {0.016f, 0.016f},
                   {0.012f, 0.024f},
                   {0.005f, 0.028f},
                   {0.0f, 0.028f}},
                  14, "Plug");
    }
    // The door in the front wall.
    const float doorX = 1.35f, doorW = 0.85f, doorH = 2.05f;
    AddBox(room, doorX, kFloorY + doorH * 0.5f, kFrontWallZ + 0.02f, doorW, doorH, 0.04f, 0.01f, "Door");
    AddBox(room, doorX, kFloorY + doorH * 0.5f + 0.03f, kFrontWallZ + 0.01f, doorW + 0.14f, doorH + 0.1f,
           0.02f, 0.006f, "Paint");
    AddTurned(
        room, At(doorX - doorW * 0.5f + 0.08f, kFloorY + 1.0f, kFrontWallZ + 0.04f) * FacingBack(),
        {{0.0f, 0.0f}, {0.025f, 0.0f}, {0.025f, 0.01f}, {0.008f, 0.015f}, {0.008f, 0.05f}, {0.0f, 0.05f}}, 12,
        "Brass");
}

bool MakeRoomObject(const std::string& dataDir) {
    LWObjectWriter room;
    const uint32_t wood = room.AddClip("images/matrix_wood.png");
    const uint32_t floor = room.AddClip("images/matrix_floor.png");
    const uint32_t paper = room.AddClip("images/matrix_wallpaper.png");
    const uint32_t view = room.AddClip("images/matrix_window.png");
    const uint32_t poster = room.AddClip("images/matrix_poster.png");
    const uint32_t spines = room.AddClip("images/matrix_spines.png");
    room.AddLayer("room");
    AddWalls(room);
    AddWindow(room);
    AddTable(room);
    AddWallThings(room);

    const float centre[3] = {0, 0, 0};
    LWSurfaceDesc& top = AddMaterial(room, "Table Top", 1, 1, 1, 0.35f, 0.5f, 40.0f);
    const float topSize[3] = {1.1f, 1.1f, 0.55f};
    top.imageMaps.push_back(PlanarImage(wood, 1, centre, topSize));
    LWSurfaceDesc& frame = AddMaterial(room, "Table Frame", 1, 1, 1, 0.25f, 0.4f, 40.0f);
    const float frameSize[3] = {0.3f, 0.6f, 0.3f};
    frame.imageMaps.push_back(PlanarImage(wood, 2, centre, frameSize));
    LWSurfaceDesc& boards = AddMaterial(room, "Floor", 1, 1, 1, 0.2f, 0.35f, 0.0f);
    const float floorSize[3] = {0.8f, 1.0f, 1.6f};
    boards.imageMaps.push_back(PlanarImage(floor, 1, centre, floorSize));
    const float paperSize[3] = {0.45f, 0.45f, 0.45f};
    LWSurfaceDesc& wallpaper = AddMaterial(room, "Wallpaper", 1, 1, 1, 0.05f, 0.2f, 0.0f);
    wallpaper.imageMaps.push_back(PlanarImage(paper, 2, centre, paperSize));
    LWSurfaceDesc& side = AddMaterial(room, "Wallpaper Side", 1, 1, 1, 0.05f, 0.2f, 0.0f);
    side.imageMaps.push_back(PlanarImage(paper, 0, centre, paperSize));
    AddMaterial(room, "Paint", 0.82f, 0.80f, 0.74f, 0.2f, 0.35f, 40.0f);
    LWSurfaceDesc& pane = AddMaterial(room, "Window View", 1, 1, 1, 0.8f, 0.8f, 0.0f);
    pane.luminosity = 0.85f;
    pane.imageMaps.push_back(UVImage(view, "window"));
    LWSurfaceDesc& curtain = AddMaterial(room, "Curtain", 0.45f, 0.12f, 0.10f, 0.05f, 0.2f, 70.0f);
    curtain.doubleSided = true;
    LWSurfaceDesc& print = AddMaterial(room, "Poster", 1, 1, 1, 0.15f, 0.3f, 0.0f);
    print.imageMaps.push_back(UVImage(poster, "poster"));
    AddMaterial(room, "Frame", 0.10f, 0.09f, 0.08f, 0.4f, 0.5f, 30.0f);
    LWSurfaceDesc& boxes = AddMaterial(room, "Box Spines", 1, 1, 1, 0.3f, 0.45f, 30.0f);
    boxes.imageMaps.push_back(UVImage(spines, "spines"));
    AddMaterial(room, "Socket Plastic", 0.88f, 0.86f, 0.80f, 0.35f, 0.45f, 40.0f);
    AddMaterial(room, "Plug", 0.10f, 0.10f, 0.10f, 0.3f, 0.4f, 50.0f);
    LWSurfaceDesc& door = AddMaterial(room, "Door", 1, 1, 1, 0.25f, 0.4f, 30.0f);
    const float doorSize[3] = {0.9f, 2.0f, 0.5f};
    door.imageMaps.push_back(PlanarImage(wood, 2, centre, doorSize));
    LWSurfaceDesc& brass = AddMaterial(room, "Brass", 0.78f, 0.60f, 0.30f, 0.8f, 0.7f, 60.0f);
    brass.colourHighlights = 0.8f;

    const std::string path = AssetGenerator::OutputPath(dataDir, "objects/matrix_room.lwo");
    return !path.empty() && room.Save(path);
}

// ---------------------------------------------------------------------------------------------
// The scene

struct Placement {
    float x, z, headingDegrees;
};

// Where the devices stand on the table. The two figures' spots (-0.5, -0.2) and (0.5, 0.3)
// and the strips their fights fill stay clear.
constexpr Placement kComputerAt = {0.12f, -0.30f, -3.0f};
constexpr Placement kMonitorAt = {-0.20f, 0.32f, -12.0f};
constexpr Placement kTapeAt = {-0.90f, 0.33f, 15.0f};
constexpr Placement kPowerSupplyAt = {0.42f, -0.02f, -51.0f};
constexpr Placement kJoystickAt = {0.60f, -0.45f, -66.0f};

float Radians(float degrees) {
    return degrees * kPi / 180.0f;
}

uint32_t AddDevice(LWSceneWriter& scene, const char* file, const Placement& at) {
    const uint32_t id = scene.AddObject(file);
    scene.SetMotion(
        id, LWMotionDesc().Position(at.x, 0.0f, at.z).Rotation(Radians(at.headingDegrees), 0.0f, 0.0f));
    return id;
}

// A cable end: a null on its device (so it follows the device when that moves).
void AddCableEnd(LWSceneWriter& scene, const char* name, uint32_t device, const HardwareLayout::Point& p) {
    const uint32_t id = scene.AddNull(name);
    scene.SetMotion(id, LWMotionDesc().Position(p.x, p.y, p.z));
    scene.SetParent(id, device);
}

// Heading and pitch that aim an item at a point (heading turns +z towards +x, pitch looks down).
void Aim(const float from[3], const float at[3], float& heading, float& pitch) {
    const float dx = at[0] - from[0], dy = at[1] - from[1], dz = at[2] - from[2];
    heading = std::atan2(dx, dz);
    pitch = std::atan2(-dy, std::sqrt(dx * dx + dz * dz));
}

// A camera gliding from one view to another and back over the scene's loop, always aimed at
// its subject; eased at both ends.
void AddDriftingCamera(LWSceneWriter& scene, const char* name, const float from[3], const float to[3],
                       const float lookFrom[3], const float lookTo[3], float loopSeconds,
                       float horizontalFovDegrees) {
    const float zoom = (16.0f / 9.0f) / std::tan(Radians(horizontalFovDegrees) * 0.5f);
    const uint32_t camera = scene.AddCamera(name, zoom, 1280, 720);
    LWMotionDesc motion;
    float h0, p0, h1, p1;
    Aim(from, lookFrom, h0, p0);
    Aim(to, lookTo, h1, p1);
    const float values[5][2] = {{from[0], to[0]}, {from[1], to[1]}, {from[2], to[2]}, {h0, h1}, {p0, p1}};
    for (int c = 0; c < 5; ++c) {
        LWEnvelopeDesc e;
        e.Add(0.0f, values[c][0], 0)
            .Add(loopSeconds * 0.5f, values[c][1], 0)
            .Add(loopSeconds, values[c][0], 0);
        e.pre = e.post = 2;
        motion.channels[c] = e;
    }
    scene.SetMotion(camera, motion);
}

bool MakeMatrixScene(const std::string& dataDir) {
    using namespace HardwareLayout;
    LWSceneWriter scene;
    const uint32_t fps = 30, frames = 720;
    scene.SetFrames(0, static_cast<int32_t>(frames), fps);
    scene.SetAmbient(1.0f, 0.92f, 0.82f, 0.22f);
    scene.AddObject("objects/matrix_room.lwo");
    const uint32_t computer = AddDevice(scene, "objects/c64_27.lwo", kComputerAt);
    const uint32_t monitor = AddDevice(scene, "objects/commodore_1702_17.lwo", kMonitorAt);
    const uint32_t tape = AddDevice(scene, "objects/datassette_09.lwo", kTapeAt);
    const uint32_t power = AddDevice(scene, "objects/power_supply_07.lwo", kPowerSupplyAt);
    const uint32_t joystick = AddDevice(scene, "objects/tac2_black02.lwo", kJoystickAt);

    // The cables: power supply to computer, the three video leads to the monitor, wall socket
    // to the power supply and to the monitor (both from the same socket), joystick and tape
    // unit to the computer.
    AddCableEnd(scene, "Cord01_start", power, kPowerSupplyOut);
    AddCableEnd(scene, "Cord01_end", computer, kComputerPower);
    AddCableEnd(scene, "Cord02_start", computer,
                {kComputerVideo.x - 0.004f, kComputerVideo.y, kComputerVideo.z});
    AddCableEnd(scene, "Cord02_end", monitor, kMonitorLuma);
    const uint32_t socket = scene.AddNull("Cord03_start");
    scene.SetMotion(socket, LWMotionDesc().Position(kSocketX + 0.035f, kSocketY, kBackWallZ - 0.046f));
    AddCableEnd(scene, "Cord03_end", power, kPowerSupplyMains);
    AddCableEnd(scene, "Cord04_start", joystick, kJoystickCable);
    AddCableEnd(scene, "Cord04_end", computer, kComputerJoystick);
    AddCableEnd(scene, "Cord05_start", tape, kTapeCable);
    AddCableEnd(scene, "Cord05_end", computer, kComputerTape);
    AddCableEnd(scene, "Cord06_start", computer,
                {kComputerVideo.x, kComputerVideo.y + 0.004f, kComputerVideo.z});
    AddCableEnd(scene, "Cord06_end", monitor, kMonitorChroma);
    AddCableEnd(scene, "Cord07_start", computer,
                {kComputerVideo.x + 0.004f, kComputerVideo.y, kComputerVideo.z});
    AddCableEnd(scene, "Cord07_end", monitor, kMonitorAudio);
    AddCableEnd(scene, "Cord08_end", monitor, kMonitorMains);

    // The light of a lamp high at the front left, falling to the back right.
    const uint32_t light = scene.AddLight("Light", 1.0f, 0.90f, 0.76f, 1.0f, 0);
    scene.SetMotion(
        light, LWMotionDesc().Position(-1.2f, 1.6f, -1.6f).Rotation(Radians(28.0f), Radians(52.0f), 0.0f));

    const float loop = static_cast<float>(frames) / fps;
    const float rightFrom[3] = {1.18f, 0.52f, -0.90f}, rightTo[3] = {1.22f, 0.62f, -0.66f};
    const float rightLook[3] = {-0.08f, 0.10f, 0.05f}, rightLook2[3] = {-0.15f, 0.12f, 0.10f};
    AddDriftingCamera(scene, "Camera_Right", rightFrom, rightTo, rightLook, rightLook2, loop, 52.0f);
    const float leftFrom[3] = {-0.95f, 0.62f, -1.22f}, leftTo[3] = {-0.70f, 0.55f, -1.32f};
    const float leftLook[3] = {-0.22f, 0.06f, 0.04f}, leftLook2[3] = {-0.12f, 0.08f, 0.0f};
    AddDriftingCamera(scene, "Camera_Left", leftFrom, leftTo, leftLook, leftLook2, loop, 56.0f);
    const float backFrom[3] = {0.98f, 0.78f, 0.66f}, backTo[3] = {0.70f, 0.84f, 0.67f};
    const float backLook[3] = {-0.15f, 0.04f, -0.22f}, backLook2[3] = {-0.08f, 0.04f, -0.28f};
    AddDriftingCamera(scene, "Camera_Back", backFrom, backTo, backLook, backLook2, loop, 60.0f);

    const std::string path = AssetGenerator::OutputPath(dataDir, "scenes/matrix.lws");
    return !path.empty() && scene.Save(path);
}

bool MakeMatrix(const std::string& dataDir) {
    return MakeWood(dataDir) && MakeFloor(dataDir) && MakeWallpaper(dataDir) && MakeWindowView(dataDir) &&
           MakePoster(dataDir) && MakeSpines(dataDir) && MakeRoomObject(dataDir) && MakeMatrixScene(dataDir);
}

}  // namespace

void RegisterMatrixSceneProducts(AssetGenerator& generator) {
    generator.Register(
        {"matrix_scene",
         "scenes/matrix.lws, objects/matrix_room.lwo, images/matrix_*.png: the hardware on a table in "
         "a dim room, cable ends, three cameras and a light",
         MakeMatrix});
}
