// The home-computer hardware of the table scene: the computer with its keyboard, the colour
// monitor, the tape unit, the power supply and the joystick, with their textures. Modelled in
// the file's coordinates (front towards -z) at real size in metres.
#include <cmath>
#include <string>
#include <vector>

#include "AssetGenerator.h"
#include "Canvas.h"
#include "HardwareLayout.h"
#include "LWObjectWriter.h"
#include "LWShapes.h"
#include "ModelKit.h"

using namespace ModelKit;
using LWShapes::Ring;

namespace {

// ---------------------------------------------------------------------------------------------
// Colours of the era's plastics

const Rgba kBreadbin{0.60f, 0.55f, 0.46f, 1.0f};
const Rgba kKeyDark{0.20f, 0.175f, 0.155f, 1.0f};
const Rgba kKeyLight{0.72f, 0.66f, 0.56f, 1.0f};
const Rgba kLegendLight{0.93f, 0.90f, 0.83f, 1.0f};
const Rgba kLegendDark{0.16f, 0.14f, 0.12f, 1.0f};

// Plastic with a faint mottle, tileable; used for the device cases.
bool MakePlasticImage(const std::string& dataDir, const std::string& name, const Rgba& base, uint32_t seed) {
    const int n = 128;
    Canvas canvas(n, n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const float mottle = Fractal(static_cast<float>(x), static_cast<float>(y), 32.0f, 4, 4, seed);
            const float speck = Hash01(x, y, seed + 1) > 0.985f ? -0.05f : 0.0f;
            canvas.Set(x, y, Scale(base, 0.94f + 0.12f * mottle + speck));
        }
    return SaveImage(canvas, dataDir, "images/" + name);
}

// ---------------------------------------------------------------------------------------------
// The computer

struct KeyDef {
    const char* legend;
    float units;
};

constexpr float kKeyPitch = 0.0185f;
constexpr float kDeckAngle = 15.0f * ModelKit::kPi / 180.0f;
constexpr float kDeckFrontZ = -0.098f, kDeckFrontY = 0.0335f;
constexpr float kKeyboardLeft = -0.178f;
// The space bar's row up the deck; the number row then lies where a figure stands on the keys.
constexpr float kFirstRowS = 0.02925f;
constexpr int kAtlasWidth = 1024, kAtlasHeight = 512, kCell = 64;

// Rows from the front (space bar) to the back (numbers); the function keys stand apart.
const std::vector<std::vector<KeyDef>>& KeyRows() {
    static const std::vector<std::vector<KeyDef>> rows = {
        {{"", 3.0f}, {" ", 9.0f}},
        {{"SHIFT", 2.25f},
         {"Z", 1},
         {"X", 1},
         {"C", 1},
         {"V", 1},
         {"B", 1},
         {"N", 1},
         {"M", 1},
         {",", 1},
         {".", 1},
         {"/", 1},
         {"SHIFT", 1.75f},
         {"^v", 1},
         {"<>", 1}},
        {{"CTRL", 1.75f},
         {"A", 1},
         {"S", 1},
         {"D", 1},
         {"F", 1},
         {"G", 1},
         {"H", 1},
         {"J", 1},
         {"K", 1},
         {"L", 1},
         {";", 1},
         {":", 1},
         {"=", 1},
         {"RETURN", 2.25f}},
        {{"TAB", 1.5f},
         {"Q", 1},
         {"W", 1},
         {"E", 1},
         {"R", 1},
         {"T", 1},
         {"Y", 1},
         {"U", 1},
         {"I", 1},
         {"O", 1},
         {"P", 1},
         {"@", 1},
         {"*", 1},
         {"+", 1},
         {"BRK", 1.5f}},
        {{"ESC", 1},
         {"1", 1},
         {"2", 1},
         {"3", 1},
         {"4", 1},
         {"5", 1},
         {"6", 1},
         {"7", 1},
         {"8", 1},
         {"9", 1},
         {"0", 1},
         {"-", 1},
         {"#", 1},
         {"?", 1},
         {"CLR", 1},
         {"DEL", 1}},
    };
    return rows;
}
const char* const kFunctionKeys[4] = {"F4", "F3", "F2", "F1"};

// Atlas cell of a key: the row's strip, keys side by side at 64 pixels a unit.
void KeyCell(int row, float unitsBefore, float& x, float& y) {
    x = unitsBefore * kCell;
    y = static_cast<float>(row * kCell);
}

// Draws one key's cell: the sides darker, the top lighter towards the middle, the legend on
// the top face (single characters large, words small).
void DrawKeyCell(Canvas& atlas, float x0, float y0, float units, const char* legend, bool light) {
    const float w = units * kCell;
    const Rgba cap = light ? kKeyLight : kKeyDark;
    const Rgba ink = light ? kLegendDark : kLegendLight;
    // The top face starts about 10 pixels in from the cell edge (see the key shape).
    const float inset = 11.0f;
    for (int y = static_cast<int>(y0); y < static_cast<int>(y0 + kCell); ++y)
        for (int x = static_cast<int>(x0); x < static_cast<int>(x0 + w); ++x) {
            const float dx = std::min(x + 0.5f - x0, x0 + w - x - 0.5f);
            const float dy = std::min(y + 0.5f - y0, y0 + kCell - y - 0.5f);
            const float edge = std::min(dx, dy);
            const float top = Smoothstep(inset - 1.5f, inset + 1.5f, edge);
            // A faint dish: the middle of the top a little lighter.
            const float cx = (x + 0.5f - x0) / w - 0.5f, cy = (y + 0.5f - y0) / kCell - 0.5f;
            const float dish =
                1.0f + 0.06f * (1.0f - 4.0f * (cx * cx * (units > 1.5f ? 0.3f : 1.0f) + cy * cy));
            // Sides shade down towards the base, the front side (lower in the cell) darkest.
            const float side =
                0.78f - 0.1f * (y + 0.5f > y0 + kCell * 0.5f ? 1.0f : 0.0f) + 0.02f * edge / inset;
            const float noise = 0.97f + 0.06f * Hash01(x, y, 41);
            atlas.Set(x, y, Scale(cap, (side + (dish - side) * top) * noise));
        }
    const std::string text = legend;
    if (text.empty() || text == " ") return;
    const float cx = x0 + w * 0.5f, baseline = y0 + kCell * 0.5f;
    if (text == "^v" || text == "<>") {
        // Cursor keys: two small arrows.
        const bool vertical = text == "^v";
        for (int s = -1; s <= 1; s += 2) {
            const float ax = vertical ? cx : cx + s * 9.0f, ay = vertical ? baseline + s * 8.0f : baseline;
            const float tip = 6.0f;
            Outline head = vertical ? Outline{{ax, ay + s * tip}, {ax - 5.0f, ay}, {ax + 5.0f, ay}}
                                    : Outline{{ax + s * tip, ay}, {ax, ay - 5.0f}, {ax, ay + 5.0f}};
            atlas.FillPolygon(head, ink);
        }
        if (vertical)
            atlas.DrawLine(cx, baseline - 8.0f, cx, baseline + 8.0f, 1.2f, ink);
        else
            atlas.DrawLine(cx - 9.0f, baseline, cx + 9.0f, baseline, 1.2f, ink);
        return;
    }
    const bool word = text.size() > 1;
    const float capHeight = light ? 12.0f : (word ? 8.0f : 15.0f), radius = word && !light ? 1.0f : 1.5f;
    // Words sit in the upper left of the top face like on the machines of the time.
    if (word && units > 1.2f && !light)
        DrawText(atlas, text, x0 + inset + 4.0f, y0 + inset + 4.0f + capHeight, capHeight, radius, ink,
                 Align::Left, 0.8f);
    else
        DrawText(atlas, text, cx, baseline + capHeight * 0.5f, capHeight, radius, ink, Align::Centre,
                 word ? 0.8f : 1.0f);
}

bool MakeKeyAtlas(const std::string& dataDir) {
    Canvas atlas(kAtlasWidth, kAtlasHeight);
    atlas.Fill(kKeyDark);
    const auto& rows = KeyRows();
    for (size_t r = 0; r < rows.size(); ++r) {
        float before = 0.0f;
        for (const KeyDef& key : rows[r]) {
            float x, y;
            KeyCell(static_cast<int>(r), before, x, y);
            if (key.legend[0]) DrawKeyCell(atlas, x, y, key.units, key.legend, false);
            before += key.units;
        }
    }
    // The function keys: light caps in their own strip.
    for (int f = 0; f < 4; ++f)
        DrawKeyCell(atlas, f * 1.5f * kCell, 5.0f * kCell, 1.5f, kFunctionKeys[f], true);
    return SaveImage(atlas, dataDir, "images/c64_27_keys.png");
}

// A small maker-less badge plate: the production's name in the house typeface.
bool MakeComputerBadge(const std::string& dataDir) {
    Canvas canvas(256, 48);
    canvas.Fill(Rgba{0.10f, 0.09f, 0.085f, 1.0f});
    for (int x = 0; x < 256; ++x)
        for (int y = 0; y < 48; ++y)
            if (x < 2 || y < 2 || x > 253 || y > 45) canvas.Set(x, y, Rgba{0.55f, 0.53f, 0.50f, 1.0f});
    DrawText(canvas, "TATAMIX+", 12.0f, 32.0f, 17.0f, 1.8f, Rgba{0.86f, 0.84f, 0.80f, 1.0f});
    DrawText(canvas, "PERSONAL COMPUTER", 244.0f, 30.0f, 8.0f, 1.0f, Rgba{0.70f, 0.68f, 0.64f, 1.0f},
             Align::Right, 0.8f);
    // Four small colour bars of the house palette.
    const Rgba bars[4] = {{0.85f, 0.22f, 0.16f, 1},
                          {0.95f, 0.62f, 0.15f, 1},
                          {0.35f, 0.62f, 0.30f, 1},
                          {0.24f, 0.38f, 0.72f, 1}};
    for (int b = 0; b < 4; ++b) canvas.FillRect(124.0f + b * 7.0f, 12.0f, 129.0f + b * 7.0f, 34.0f, bars[b]);
    return SaveImage(canvas, dataDir, "images/c64_27_badge.png");
}

// Placement on the sloping keyboard deck: x across, s up the slope from its front edge, n off it.
LWPlacement OnDeck(float x, float s, float n) {
    const float sa = std::sin(kDeckAngle), ca = std::cos(kDeckAngle);
    return At(x, kDeckFrontY + s * sa + n * ca, kDeckFrontZ + s * ca - n * sa) *
           LWPlacement::RotationX(-kDeckAngle);
}

// One key cap of the given width on the deck, textured from its atlas cell.
void AddKey(LWObjectWriter& writer, float x, float s, float units, float cellX, float cellY) {
    const float w = units * kKeyPitch - 0.001f, d = kKeyPitch - 0.001f;
    const uint32_t first = writer.PointCount();
    Placed(writer, OnDeck(x, s, 0.002f), [&] {
        const float ax[3] = {1, 0, 0}, az[3] = {0, 0, 1};
        const float b0[3] = {0, -0.003f, 0}, b1[3] = {0, 0.001f, 0}, b2[3] = {0, 0.0075f, 0},
                    b3[3] = {0, 0.009f, 0};
        const float t1 = 0.0018f, t2 = 0.003f;
        LWShapes::AddLoft(
            writer,
            {LWShapes::PlaneRing(LWShapes::RoundedRectangle(w, d, 0.0012f, 1), b0, ax, az),
             LWShapes::PlaneRing(LWShapes::RoundedRectangle(w, d, 0.0012f, 1), b1, ax, az),
             LWShapes::PlaneRing(LWShapes::RoundedRectangle(w - 2 * t1, d - 2 * t1, 0.0012f, 1), b2, ax, az),
             LWShapes::PlaneRing(LWShapes::RoundedRectangle(w - 2 * t2, d - 2 * t2, 0.0008f, 1), b3, ax, az)},
            false, true, "Keys");
    });
    // Top-down projection in the deck's frame onto the key's cell (v up the slope = up the image).
    const float sa = std::sin(kDeckAngle), ca = std::cos(kDeckAngle);
    float origin[3];
    const float zero[3] = {0, 0, 0};
    OnDeck(x, s, 0.0f).Apply(zero, origin);
    const float du = static_cast<float>(kCell) / kAtlasWidth / kKeyPitch;
    const float dv = static_cast<float>(kCell) / kAtlasHeight / kKeyPitch;
    const float uAxis[3] = {du, 0, 0}, vAxis[3] = {0, sa * dv, ca * dv};
    const float u0 = (cellX + units * kCell * 0.5f) / kAtlasWidth;
    const float v0 = 1.0f - (cellY + kCell * 0.5f) / kAtlasHeight;
    LWShapes::ProjectUV(writer, "keys", first, writer.PointCount(), origin, uAxis, vAxis, u0, v0);
}

// The case's side profile (z, y): a low front, the keyboard deck at 15 degrees, a flat back.
Outline ComputerProfile() {
    return {{-0.100f, 0.000f},          {0.104f, 0.000f},  {0.108f, 0.006f},  {0.108f, 0.060f},
            {0.105f, 0.0665f},          {0.098f, 0.070f},  {0.040f, 0.070f},  {0.030f, 0.0678f},
            {kDeckFrontZ, kDeckFrontY}, {-0.105f, 0.029f}, {-0.108f, 0.022f}, {-0.106f, 0.005f}};
}

bool MakeComputerObject(const std::string& dataDir) {
    LWObjectWriter object;
    const uint32_t keys = object.AddClip("images/c64_27_keys.png");
    const uint32_t plastic = object.AddClip("images/c64_27_case.png");
    const uint32_t badge = object.AddClip("images/c64_27_badge.png");
    object.AddLayer("computer");

    // The case.
    AddExtrusion(object, ComputerProfile(), -0.202f, 0.202f, 0.006f, "Case");
    // The dark bed the keys stand in, and a lip round it.
    Placed(object, OnDeck(-0.007f, 0.061f, 0.0f),
           [&] { AddBox(object, 0, 0, 0, 0.362f, 0.004f, 0.1f, 0.0012f, "Keyboard Bed"); });

    // Keys, row by row from the front.
    const auto& rows = KeyRows();
    for (size_t r = 0; r < rows.size(); ++r) {
        float before = 0.0f;
        const float s = kFirstRowS + kKeyPitch * static_cast<float>(r);
        for (const KeyDef& key : rows[r]) {
            float cellX, cellY;
            KeyCell(static_cast<int>(r), before, cellX, cellY);
            if (key.legend[0])
                AddKey(object, kKeyboardLeft + (before + key.units * 0.5f) * kKeyPitch, s, key.units, cellX,
                       cellY);
            before += key.units;
        }
    }
    for (int f = 0; f < 4; ++f) {
        const float s = kFirstRowS + kKeyPitch * (f + 1.0f);
        AddKey(object, 0.1485f, s, 1.5f, f * 1.5f * kCell, 5.0f * kCell);
    }

    // The power lamp beside the space bar, under the function keys.
    Placed(object, OnDeck(0.1485f, kFirstRowS, 0.002f),
           [&] { AddBox(object, 0, 0.0008f, 0, 0.006f, 0.0022f, 0.003f, 0.0005f, "Power LED"); });

    // Badge on the flat back of the top.
    AddDecal(object, At(-0.120f, 0.0703f, 0.068f), 0.076f, 0.0143f, "Badge", "badge", true);

    // Sockets at the back (+z): tape edge connector, user port, video and serial sockets, aerial
    // socket, expansion slot.
    AddBox(object, -0.140f, 0.025f, 0.107f, 0.042f, 0.009f, 0.006f, 0.001f, "Ports");
    AddBox(object, -0.075f, 0.025f, 0.107f, 0.052f, 0.009f, 0.006f, 0.001f, "Ports");
    AddBox(object, 0.150f, 0.022f, 0.107f, 0.062f, 0.011f, 0.006f, 0.001f, "Ports");
    const Outline din = {{0.0f, 0.0f},       {0.0085f, 0.0f},   {0.0085f, 0.004f},
                         {0.0072f, 0.0045f}, {0.0060f, 0.002f}, {0.0f, 0.002f}};
    for (float x : {0.0f, 0.036f})
        AddTurned(object, At(x, 0.035f, 0.106f) * FacingBack(), din, 16, "Socket Metal");
    AddTurned(object, At(0.072f, 0.033f, 0.106f) * FacingBack(),
              {{0.0f, 0.0f},
               {0.0045f, 0.0f},
               {0.0045f, 0.006f},
               {0.0016f, 0.006f},
               {0.0016f, 0.004f},
               {0.0f, 0.004f}},
              12, "Socket Metal");
    // On the right side (+x): two joystick ports, the power switch, the power socket.
    for (float z : {-0.055f, -0.020f})
        AddBox(object, 0.2015f, 0.028f, z, 0.006f, 0.010f, 0.026f, 0.0015f, "Ports");
    AddBox(object, 0.2015f, 0.030f, 0.040f, 0.008f, 0.012f, 0.008f, 0.0015f, "Ports");
    AddTurned(object, At(0.2005f, 0.028f, 0.075f) * FacingRight(),
              {{0.0f, 0.0f},
               {0.0075f, 0.0f},
               {0.0075f, 0.0035f},
               {0.0055f, 0.0035f},
               {0.0055f, 0.0015f},
               {0.0f, 0.0015f}},
              16, "Socket Metal");

    LWSurfaceDesc& casing = AddMaterial(object, "Case", 1, 1, 1, 0.28f, 0.38f, 55.0f);
    const float centre[3] = {0, 0, 0}, size[3] = {0.12f, 0.12f, 0.12f};
    casing.imageMaps.push_back(PlanarImage(plastic, 1, centre, size));
    AddMaterial(object, "Keyboard Bed", 0.11f, 0.10f, 0.09f, 0.15f, 0.3f, 30.0f);
    LWSurfaceDesc& keyCaps = AddMaterial(object, "Keys", 1, 1, 1, 0.45f, 0.52f, 46.0f);
    keyCaps.imageMaps.push_back(UVImage(keys, "keys"));
    LWSurfaceDesc& led = AddMaterial(object, "Power LED", 1.0f, 0.16f, 0.10f, 0.6f, 0.7f, 40.0f);
    led.luminosity = 0.9f;
    LWSurfaceDesc& plate = AddMaterial(object, "Badge", 1, 1, 1, 0.5f, 0.6f, 0.0f);
    plate.imageMaps.push_back(UVImage(badge, "badge"));
    AddMaterial(object, "Ports", 0.07f, 0.065f, 0.06f, 0.3f, 0.4f, 40.0f);
    LWSurfaceDesc& metal = AddMaterial(object, "Socket Metal", 0.62f, 0.60f, 0.56f, 0.7f, 0.65f, 50.0f);
    metal.colourHighlights = 0.6f;

    const std::string path = AssetGenerator::OutputPath(dataDir, "objects/c64_27.lwo");
    return !path.empty() && object.Save(path);
}

bool MakeComputer(const std::string& dataDir) {
    return MakeKeyAtlas(dataDir) && MakeComputerBadge(dataDir) &&
           MakePlasticImage(dataDir, "c64_27_case.png", kBreadbin, 101) && MakeComputerObject(dataDir);
}

// ---------------------------------------------------------------------------------------------
// The colour monitor

const Rgba kCabinet{0.64f, 0.61f, 0.56f, 1.0f};
const Rgba kBezel{0.27f, 0.24f, 0.215f, 1.0f};
const Rgba kPanelInk{0.86f, 0.83f, 0.76f, 1.0f};

// The visible glass of the tube: 4 : 3, centred above the control strip.
constexpr float kScreenWidth = 0.276f, kScreenHeight = 0.207f, kScreenCentreY = 0.215f;

// The glass when the set is off: a dark grey-green with a soft sheen towards one corner.
bool MakeScreenGlass(const std::string& dataDir) {
    const int w = 256, h = 192;
    Canvas canvas(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float u = (x + 0.5f) / w - 0.3f, v = (y + 0.5f) / h - 0.25f;
            const float sheen = std::exp(-(u * u + v * v) * 6.0f);
            canvas.Set(x, y,
                       Rgba{0.035f + 0.05f * sheen, 0.05f + 0.055f * sheen, 0.045f + 0.05f * sheen, 1.0f});
        }
    return SaveImage(canvas, dataDir, "images/commodore_1702_17_glass.png");
}

// The control strip under the screen (0.30 x 0.056 from y 0.030): a speaker grille, the
// power button's and the knobs' names. Positions follow the strip's parts in the model.
constexpr float kPanelWidth = 0.300f, kPanelHeight = 0.056f, kPanelY = 0.058f, kKnobY = 0.061f;
constexpr float kPowerButtonX = -0.052f, kPowerLampX = -0.030f;
constexpr float kKnobX[4] = {0.008f, 0.042f, 0.076f, 0.110f};

bool MakeMonitorPanel(const std::string& dataDir) {
    const int w = 512, h = 96;
    auto px = [&](float x) { return (x + kPanelWidth * 0.5f) / kPanelWidth * w; };
    auto py = [&](float y) { return (kPanelY + kPanelHeight * 0.5f - y) / kPanelHeight * h; };
    Canvas canvas(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            canvas.Set(x, y,
                       Scale(Rgba{0.16f, 0.145f, 0.13f, 1.0f}, 0.95f + 0.08f * Hash01(x / 2, y / 2, 7)));
    // Grille slots on the left.
    for (int s = 0; s < 7; ++s)
        canvas.FillRect(px(-0.140f), 18.0f + s * 9.0f, px(-0.075f), 22.0f + s * 9.0f,
                        Rgba{0.04f, 0.035f, 0.03f, 1.0f});
    const float labels = py(kKnobY) + 34.0f;
    DrawText(canvas, "POWER", px(kPowerButtonX), labels, 8.0f, 0.9f, kPanelInk, Align::Centre, 0.7f);
    const char* names[4] = {"VOLUME", "COLOUR", "BRIGHT", "CONTRAST"};
    for (int k = 0; k < 4; ++k)
        DrawText(canvas, names[k], px(kKnobX[k]), labels, 7.0f, 0.8f, kPanelInk, Align::Centre, 0.6f);
    DrawText(canvas, "COLOUR VIDEO MONITOR", px(0.140f), 13.0f, 8.0f, 0.9f, kPanelInk, Align::Right, 0.8f);
    return SaveImage(canvas, dataDir, "images/commodore_1702_17_panel.png");
}

// Cooling slots for the top of the cabinet, and the labels of the sockets at the back.
bool MakeMonitorVents(const std::string& dataDir) {
    const int w = 256, h = 128;
    Canvas canvas(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            canvas.Set(x, y,
                       Scale(kCabinet, 0.95f + 0.1f * Fractal(static_cast<float>(x), static_cast<float>(y),
                                                              32.0f, 0, 3, 5)));
    for (int row = 0; row < 2; ++row)
        for (int s = 0; s < 14; ++s) {
            const float x = 14.0f + s * 17.0f, y = 14.0f + row * 56.0f;
            canvas.FillRect(x, y, x + 7.0f, y + 44.0f, Rgba{0.07f, 0.06f, 0.055f, 1.0f});
            canvas.FillRect(x + 7.0f, y, x + 8.5f, y + 44.0f, Scale(kCabinet, 1.15f));
        }
    return SaveImage(canvas, dataDir, "images/commodore_1702_17_vents.png");
}

bool MakeMonitorBackPanel(const std::string& dataDir) {
    const int w = 256, h = 128;
    Canvas canvas(w, h);
    canvas.Fill(Rgba{0.20f, 0.19f, 0.18f, 1.0f});
    const char* names[3] = {"LUMA", "CHROMA", "AUDIO"};
    // The jacks stand at 0.06, 0.085 and 0.11 across a panel from -0.12 to 0.12.
    for (int k = 0; k < 3; ++k)
        DrawText(canvas, names[k], (0.12f - 0.06f - 0.025f * k) / 0.24f * w, 94.0f, 7.0f, 0.8f, kPanelInk,
                 Align::Centre, 0.6f);
    DrawText(canvas, "INPUT", (0.12f - 0.085f) / 0.24f * w, 40.0f, 9.0f, 1.0f, kPanelInk, Align::Centre,
             0.8f);
    DrawText(canvas, "120-240V~ 50/60Hz", 0.1f * w, 116.0f, 7.0f, 0.8f, kPanelInk, Align::Left, 0.6f);
    DrawText(canvas, "CAUTION: HIGH VOLTAGE INSIDE", 0.1f * w, 22.0f, 7.0f, 0.8f, kPanelInk, Align::Left,
             0.6f);
    return SaveImage(canvas, dataDir, "images/commodore_1702_17_back.png");
}

Ring RectRing(float w, float h, float r, float cy, float z) {
    const float origin[3] = {0, cy, z}, x[3] = {1, 0, 0}, y[3] = {0, 1, 0};
    return LWShapes::PlaneRing(LWShapes::RoundedRectangle(w, h, r, 3), origin, x, y);
}

bool MakeMonitorObject(const std::string& dataDir) {
    LWObjectWriter object;
    const uint32_t glass = object.AddClip("images/commodore_1702_17_glass.png");
    const uint32_t panel = object.AddClip("images/commodore_1702_17_panel.png");
    const uint32_t vents = object.AddClip("images/commodore_1702_17_vents.png");
    const uint32_t back = object.AddClip("images/commodore_1702_17_back.png");
    const uint32_t cabinetGrain = object.AddClip("images/commodore_1702_17_cabinet.png");
    const uint32_t bezelGrain = object.AddClip("images/commodore_1702_17_bezel.png");
    object.AddLayer("monitor");

    // The front frame: outer wall, a rounded front edge, the flat face and a chamfer into the
    // screen opening, ending in a lip that lies over the glass's edge (no seam between them).
    const float outerW = 0.360f, outerH = 0.343f, outerY = 0.010f + outerH * 0.5f;
    const float openW = kScreenWidth + 0.020f, openH = kScreenHeight + 0.019f;
    LWShapes::AddLoft(
        object,
        {RectRing(outerW, outerH, 0.012f, outerY, -0.150f), RectRing(outerW, outerH, 0.012f, outerY, -0.198f),
         RectRing(outerW - 0.008f, outerH - 0.008f, 0.009f, outerY, -0.2035f),
         RectRing(openW, openH, 0.018f, kScreenCentreY, -0.2035f),
         RectRing(openW - 0.012f, openH - 0.012f, 0.014f, kScreenCentreY, -0.190f),
         RectRing(kScreenWidth - 0.003f, kScreenHeight - 0.003f, 0.012f, kScreenCentreY, -0.1852f)},
        false, false, "Bezel");
    // The cabinet behind it narrows towards the back; its top stays level where a figure stands.
    LWShapes::AddLoft(
        object,
        {RectRing(0.354f, 0.342f, 0.014f, 0.181f, -0.152f), RectRing(0.354f, 0.342f, 0.014f, 0.181f, 0.000f),
         RectRing(0.270f, 0.250f, 0.020f, 0.170f, 0.200f)},
        true, true, "Cabinet");
    // The glass: slightly domed, UVs across the 4 : 3 picture.
    const float out[3] = {0, 0, -1};
    const uint32_t first = LWShapes::AddPatch(
        object, 16, 12,
        [](float u, float v, float p[3]) {
            const float a = 2.0f * u - 1.0f, b = 2.0f * v - 1.0f;
            p[0] = (u - 0.5f) * kScreenWidth;
            p[1] = kScreenCentreY + (v - 0.5f) * kScreenHeight;
            p[2] =
                -0.181f - 0.009f * (1.0f - 0.55f * a * a) * (1.0f - 0.55f * b * b) + 0.009f * 0.45f * 0.45f;
        },
        out, "Screen DYNAMIC=1");
    const float origin[3] = {-kScreenWidth * 0.5f, kScreenCentreY - kScreenHeight * 0.5f, 0};
    const float uAxis[3] = {1.0f / kScreenWidth, 0, 0}, vAxis[3] = {0, 1.0f / kScreenHeight, 0};
    LWShapes::ProjectUV(object, "screen", first, object.PointCount(), origin, uAxis, vAxis, 0, 0);

    // The control strip: panel, power button and lamp, four knobs.
    AddDecal(object, At(0.0f, kPanelY, -0.2037f), kPanelWidth, kPanelHeight, "Control Panel", "panel", false);
    AddBox(object, kPowerButtonX, kKnobY, -0.2055f, 0.020f, 0.012f, 0.006f, 0.0015f, "Knobs");
    AddTurned(object, At(kPowerLampX, kKnobY, -0.2037f) * FacingFront(),
              {{0.0f, 0.0f}, {0.0032f, 0.0f}, {0.0032f, 0.0012f}, {0.0f, 0.0022f}}, 10, "Power Lamp");
    for (int k = 0; k < 4; ++k)
        AddTurned(object, At(kKnobX[k], kKnobY, -0.2037f) * FacingFront(),
                  {{0.0f, 0.0f}, {0.0085f, 0.0f}, {0.0085f, 0.009f}, {0.0075f, 0.011f}, {0.0f, 0.0115f}}, 16,
                  "Knobs");
    // Vent slots on the top, the socket panel at the back with its jacks and the mains lead.
    AddDecal(object, At(0.0f, 0.3525f, -0.055f), 0.24f, 0.09f, "Vents", "vents", true);
    AddDecal(object, At(0.0f, 0.118f, 0.2005f) * LWPlacement::RotationY(ModelKit::kPi), 0.24f, 0.12f,
             "Back Panel", "back", false);
    const Outline jack = {{0.0f, 0.0f},      {0.0055f, 0.0f},   {0.0055f, 0.003f}, {0.0035f, 0.003f},
                          {0.0035f, 0.011f}, {0.0014f, 0.011f}, {0.0014f, 0.009f}, {0.0f, 0.009f}};
    for (const HardwareLayout::Point& p :
         {HardwareLayout::kMonitorLuma, HardwareLayout::kMonitorChroma, HardwareLayout::kMonitorAudio})
        AddTurned(object, At(p.x, p.y, 0.2f) * FacingBack(), jack, 12, "Jack Metal");
    AddCableStub(object,
                 At(HardwareLayout::kMonitorMains.x, HardwareLayout::kMonitorMains.y, 0.199f) * FacingBack(),
                 0.0032f, HardwareLayout::kMonitorMains.z - 0.199f, "Cable");
    // Two feet across the bottom.
    for (float z : {-0.16f, 0.12f}) AddBox(object, 0.0f, 0.0055f, z, 0.30f, 0.011f, 0.03f, 0.003f, "Feet");

    LWSurfaceDesc& cabinet = AddMaterial(object, "Cabinet", 1, 1, 1, 0.25f, 0.35f, 50.0f);
    const float centre[3] = {0, 0, 0}, grain[3] = {0.15f, 0.15f, 0.15f};
    cabinet.imageMaps.push_back(PlanarImage(cabinetGrain, 0, centre, grain));
    LWSurfaceDesc& bezel = AddMaterial(object, "Bezel", 1, 1, 1, 0.3f, 0.4f, 50.0f);
    bezel.imageMaps.push_back(PlanarImage(bezelGrain, 2, centre, grain));
    LWSurfaceDesc& screen = AddMaterial(object, "Screen DYNAMIC=1", 0.05f, 0.06f, 0.055f, 0.9f, 0.85f, 80.0f);
    screen.imageMaps.push_back(UVImage(glass, "screen"));
    LWSurfaceDesc& strip = AddMaterial(object, "Control Panel", 1, 1, 1, 0.2f, 0.3f, 0.0f);
    strip.imageMaps.push_back(UVImage(panel, "panel"));
    AddMaterial(object, "Knobs", 0.12f, 0.11f, 0.10f, 0.4f, 0.5f, 45.0f);
    LWSurfaceDesc& lamp = AddMaterial(object, "Power Lamp", 1.0f, 0.25f, 0.12f, 0.6f, 0.7f, 60.0f);
    lamp.luminosity = 0.8f;
    LWSurfaceDesc& slots = AddMaterial(object, "Vents", 1, 1, 1, 0.25f, 0.35f, 0.0f);
    slots.imageMaps.push_back(UVImage(vents, "vents"));
    LWSurfaceDesc& plate = AddMaterial(object, "Back Panel", 1, 1, 1, 0.2f, 0.3f, 0.0f);
    plate.imageMaps.push_back(UVImage(back, "back"));
    LWSurfaceDesc& jackMetal = AddMaterial(object, "Jack Metal", 0.75f, 0.62f, 0.35f, 0.8f, 0.7f, 50.0f);
    jackMetal.colourHighlights = 0.8f;
    AddMaterial(object, "Cable", 0.08f, 0.08f, 0.085f, 0.3f, 0.4f, 60.0f);
    AddMaterial(object, "Feet", 0.08f, 0.075f, 0.07f, 0.1f, 0.2f, 40.0f);

    const std::string path = AssetGenerator::OutputPath(dataDir, "objects/commodore_1702_17.lwo");
    return !path.empty() && object.Save(path);
}

bool MakeMonitor(const std::string& dataDir) {
    return MakeScreenGlass(dataDir) && MakeMonitorPanel(dataDir) && MakeMonitorVents(dataDir) &&
           MakeMonitorBackPanel(dataDir) &&
           MakePlasticImage(dataDir, "commodore_1702_17_cabinet.png", kCabinet, 202) &&
           MakePlasticImage(dataDir, "commodore_1702_17_bezel.png", kBezel, 203) &&
           MakeMonitorObject(dataDir);
}

// ---------------------------------------------------------------------------------------------
// The tape unit

// Six key symbols: record, play, rewind, fast forward, stop/eject, pause.
bool MakeTapeKeys(const std::string& dataDir) {
    const int cell = 64;
    Canvas canvas(cell * 6, cell);
    for (int k = 0; k < 6; ++k) {
        DrawKeyCell(canvas, static_cast<float>(k * cell), 0.0f, 1.0f, "", false);
        const float cx = k * cell + cell * 0.5f, cy = cell * 0.5f;
        const Rgba ink = k == 0 ? Rgba{0.85f, 0.2f, 0.15f, 1.0f} : kLegendLight;
        switch (k) {
            case 0:
                canvas.DrawDisc(cx, cy, 6.0f, ink);
                break;
            case 1:
                canvas.FillPolygon({{cx - 5, cy - 7}, {cx + 7, cy}, {cx - 5, cy + 7}}, ink);
                break;
            case 2:
                canvas.FillPolygon({{cx + 1, cy - 6}, {cx - 9, cy}, {cx + 1, cy + 6}}, ink);
                canvas.FillPolygon({{cx + 10, cy - 6}, {cx, cy}, {cx + 10, cy + 6}}, ink);
                break;
            case 3:
                canvas.FillPolygon({{cx - 1, cy - 6}, {cx + 9, cy}, {cx - 1, cy + 6}}, ink);
                canvas.FillPolygon({{cx - 10, cy - 6}, {cx, cy}, {cx - 10, cy + 6}}, ink);
                break;
            case 4:
                canvas.FillRect(cx - 7, cy - 1, cx + 7, cy + 6, ink);
                canvas.FillPolygon({{cx - 7, cy - 3}, {cx, cy - 9}, {cx + 7, cy - 3}}, ink);
                break;
            default:
                canvas.FillRect(cx - 6, cy - 7, cx - 2, cy + 7, ink);
                canvas.FillRect(cx + 2, cy - 7, cx + 6, cy + 7, ink);
        }
    }
    return SaveImage(canvas, dataDir, "images/datassette_09_keys.png");
}

// The lid's window: a smoky pane over a cassette with its label and two reels.
bool MakeTapeWindow(const std::string& dataDir) {
    const int w = 320, h = 200;
    Canvas canvas(w, h);
    canvas.Fill(Rgba{0.05f, 0.045f, 0.04f, 1.0f});
    // The cassette shell and label.
    canvas.FillRect(22, 26, 298, 184, Rgba{0.16f, 0.15f, 0.15f, 1.0f});
    canvas.FillRect(36, 36, 284, 120, Rgba{0.80f, 0.76f, 0.64f, 1.0f});
    canvas.FillRect(36, 36, 284, 52, Rgba{0.78f, 0.30f, 0.16f, 1.0f});
    DrawText(canvas, "TATAMIX+", 46.0f, 49.0f, 10.0f, 1.2f, Rgba{0.98f, 0.94f, 0.85f, 1.0f});
    DrawText(canvas, "SIDE A", 276.0f, 49.0f, 9.0f, 1.1f, Rgba{0.98f, 0.94f, 0.85f, 1.0f}, Align::Right);
    for (int line = 0; line < 3; ++line)
        canvas.FillRect(46, 66.0f + line * 16.0f, 274, 67.5f + line * 16.0f, Rgba{0.45f, 0.42f, 0.38f, 1.0f});
    DrawText(canvas, "KARATE  60", 50.0f, 78.0f, 9.0f, 1.0f, Rgba{0.15f, 0.12f, 0.30f, 1.0f});
    // The window in the label with the two reels of tape.
    canvas.FillRect(92, 96, 228, 146, Rgba{0.10f, 0.09f, 0.09f, 1.0f});
    for (float cx : {118.0f, 202.0f}) {
        canvas.DrawDisc(cx, 121.0f, cx < 160 ? 21.0f : 15.0f, Rgba{0.28f, 0.18f, 0.10f, 1.0f});
        canvas.DrawDisc(cx, 121.0f, 9.0f, Rgba{0.85f, 0.84f, 0.80f, 1.0f});
        canvas.DrawDisc(cx, 121.0f, 4.0f, Rgba{0.10f, 0.09f, 0.09f, 1.0f});
    }
    // Smoked glass: a darkening veil and a streak of sheen.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            Rgba c = Scale(canvas.Get(x, y), 0.55f);
            const float streak = std::exp(-std::pow((x - 0.6f * y - 60.0f) / 18.0f, 2.0f));
            c = Mix(c, Rgba{0.9f, 0.9f, 0.9f, 1.0f}, 0.12f * streak);
            canvas.Set(x, y, c);
        }
    return SaveImage(canvas, dataDir, "images/datassette_09_window.png");
}

bool MakeTapeCounter(const std::string& dataDir) {
    Canvas canvas(128, 64);
    canvas.Fill(Rgba{0.08f, 0.075f, 0.07f, 1.0f});
    for (int d = 0; d < 3; ++d) {
        canvas.FillRect(14.0f + d * 28.0f, 12.0f, 38.0f + d * 28.0f, 52.0f, Rgba{0.92f, 0.90f, 0.84f, 1.0f});
        DrawText(canvas, d == 2 ? "7" : "0", 26.0f + d * 28.0f, 42.0f, 20.0f, 2.0f,
                 Rgba{0.1f, 0.1f, 0.1f, 1.0f}, Align::Centre);
    }
    DrawText(canvas, "RESET", 118.0f, 36.0f, 7.0f, 0.8f, kPanelInk, Align::Right, 0.6f);
    return SaveImage(canvas, dataDir, "images/datassette_09_counter.png");
}

bool MakeTapeObject(const std::string& dataDir) {
    LWObjectWriter object;
    const uint32_t keys = object.AddClip("images/datassette_09_keys.png");
    const uint32_t window = object.AddClip("images/datassette_09_window.png");
    const uint32_t counter = object.AddClip("images/datassette_09_counter.png");
    const uint32_t plastic = object.AddClip("images/c64_27_case.png");
    object.AddLayer("tape unit");
    const Outline profile = {{-0.080f, 0.000f}, {0.078f, 0.000f}, {0.080f, 0.004f},  {0.080f, 0.047f},
                             {0.077f, 0.051f},  {0.072f, 0.052f}, {-0.060f, 0.052f}, {-0.076f, 0.044f},
                             {-0.080f, 0.036f}, {-0.080f, 0.004f}};
    AddExtrusion(object, profile, -0.095f, 0.095f, 0.005f, "Tape Case");
    // The piano keys along the front, running over the front slope.
    for (int k = 0; k < 6; ++k) {
        const float x = -0.085f + 0.0202f * k + 0.0095f;
        const uint32_t first = object.PointCount();
        Placed(object, At(x, 0.0435f, -0.061f) * LWPlacement::RotationX(-0.35f),
               [&] { AddBox(object, 0, 0.0045f, 0, 0.0188f, 0.011f, 0.034f, 0.0022f, "Tape Keys"); });
        float origin[3];
        const float zero[3] = {0, 0, 0};
        (At(x, 0.0435f, -0.061f) * LWPlacement::RotationX(-0.35f)).Apply(zero, origin);
        const float s = std::sin(0.35f), c = std::cos(0.35f);
        const float uAxis[3] = {1.0f / 6.0f / 0.0188f, 0, 0}, vAxis[3] = {0, s / 0.034f, c / 0.034f};
        LWShapes::ProjectUV(object, "keys", first, object.PointCount(), origin, uAxis, vAxis,
                            (k + 0.5f) / 6.0f, 0.5f);
    }
    // Cassette window in the lid, tape counter with its reset button.
    AddDecal(object, At(-0.020f, 0.0522f, 0.012f), 0.124f, 0.0775f, "Tape Window", "window", true);
    AddDecal(object, At(0.062f, 0.0522f, -0.040f), 0.032f, 0.016f, "Counter", "counter", true);
    AddBox(object, 0.074f, 0.0535f, -0.040f, 0.005f, 0.004f, 0.005f, 0.001f, "Tape Keys");
    // The lead leaves the right side towards the computer.
    AddCableStub(object,
                 At(0.0945f, HardwareLayout::kTapeCable.y, HardwareLayout::kTapeCable.z) * FacingRight(),
                 0.0028f, HardwareLayout::kTapeCable.x - 0.0945f, "Cable");

    LWSurfaceDesc& casing = AddMaterial(object, "Tape Case", 1, 1, 1, 0.28f, 0.38f, 55.0f);
    const float centre[3] = {0, 0, 0}, size[3] = {0.12f, 0.12f, 0.12f};
    casing.imageMaps.push_back(PlanarImage(plastic, 1, centre, size));
    LWSurfaceDesc& keyCaps = AddMaterial(object, "Tape Keys", 1, 1, 1, 0.45f, 0.5f, 50.0f);
    keyCaps.imageMaps.push_back(UVImage(keys, "keys"));
    LWSurfaceDesc& pane = AddMaterial(object, "Tape Window", 1, 1, 1, 0.9f, 0.85f, 0.0f);
    pane.imageMaps.push_back(UVImage(window, "window"));
    LWSurfaceDesc& digits = AddMaterial(object, "Counter", 1, 1, 1, 0.5f, 0.6f, 0.0f);
    digits.imageMaps.push_back(UVImage(counter, "counter"));
    AddMaterial(object, "Cable", 0.08f, 0.08f, 0.085f, 0.3f, 0.4f, 60.0f);

    const std::string path = AssetGenerator::OutputPath(dataDir, "objects/datassette_09.lwo");
    return !path.empty() && object.Save(path);
}

bool MakeTapeUnit(const std::string& dataDir) {
    return MakeTapeKeys(dataDir) && MakeTapeWindow(dataDir) && MakeTapeCounter(dataDir) &&
           MakeTapeObject(dataDir);
}

// ---------------------------------------------------------------------------------------------
// The power supply

bool MakePowerLabel(const std::string& dataDir) {
    const int w = 256, h = 160;
    Canvas canvas(w, h);
    canvas.Fill(Rgba{0.72f, 0.70f, 0.66f, 1.0f});
    const Rgba ink{0.12f, 0.11f, 0.10f, 1.0f};
    canvas.FillRect(0, 0, w, 30, ink);
    DrawText(canvas, "POWER SUPPLY", w * 0.5f, 21.0f, 12.0f, 1.4f, Rgba{0.9f, 0.88f, 0.82f, 1.0f},
             Align::Centre);
    const char* lines[5] = {"INPUT  230V~  50Hz  50W", "OUTPUT  5V DC  1.5A", "         9V AC  1.0A",
                            "FOR INDOOR USE ONLY", "DO NOT OPEN"};
    for (int l = 0; l < 5; ++l)
        DrawText(canvas, lines[l], 14.0f, 54.0f + l * 21.0f, 8.0f, 0.9f, ink, Align::Left, 0.7f);
    // A double square and a bolt: the usual warning marks, drawn plainly.
    canvas.FillRect(204, 96, 240, 132, ink);
    canvas.FillRect(207, 99, 237, 129, Rgba{0.72f, 0.70f, 0.66f, 1.0f});
    canvas.FillRect(212, 104, 232, 124, ink);
    canvas.FillRect(215, 107, 229, 121, Rgba{0.72f, 0.70f, 0.66f, 1.0f});
    canvas.FillPolygon({{222, 44}, {210, 64}, {220, 64}, {214, 82}, {232, 58}, {222, 58}, {228, 44}}, ink);
    return SaveImage(canvas, dataDir, "images/power_supply_07_label.png");
}

bool MakePowerSupplyObject(const std::string& dataDir) {
    LWObjectWriter object;
    const uint32_t label = object.AddClip("images/power_supply_07_label.png");
    const uint32_t plastic = object.AddClip("images/power_supply_07_case.png");
    object.AddLayer("power supply");
    AddRoundedSlab(object, 0.130f, 0.085f, 0.012f, 3, 0.0f, 0.050f, 0.007f, "Brick");
    // Ribs along both long sides of the top, the label between them.
    for (float z : {-0.034f, -0.029f, 0.029f, 0.034f})
        AddBox(object, 0.0f, 0.0505f, z, 0.096f, 0.002f, 0.0025f, 0.0006f, "Brick");
    AddDecal(object, At(0.0f, 0.0502f, 0.0f), 0.090f, 0.050f, "Label", "label", true);
    // The low-voltage lead out of one end, the mains plug in the other.
    AddCableStub(object, At(-0.064f, HardwareLayout::kPowerSupplyOut.y, 0.0f) * FacingLeft(), 0.0032f,
                 -0.064f - HardwareLayout::kPowerSupplyOut.x, "Cable");
    AddBox(object, 0.071f, HardwareLayout::kPowerSupplyMains.y, 0.0f, 0.016f, 0.014f, 0.020f, 0.003f,
           "Cable");
    AddCableStub(object, At(0.079f, HardwareLayout::kPowerSupplyMains.y, 0.0f) * FacingRight(), 0.0032f,
                 HardwareLayout::kPowerSupplyMains.x - 0.079f, "Cable");

    LWSurfaceDesc& brick = AddMaterial(object, "Brick", 1, 1, 1, 0.35f, 0.42f, 50.0f);
    const float centre[3] = {0, 0, 0}, size[3] = {0.1f, 0.1f, 0.1f};
    brick.imageMaps.push_back(PlanarImage(plastic, 1, centre, size));
    LWSurfaceDesc& sticker = AddMaterial(object, "Label", 1, 1, 1, 0.15f, 0.3f, 0.0f);
    sticker.imageMaps.push_back(UVImage(label, "label"));
    AddMaterial(object, "Cable", 0.08f, 0.08f, 0.085f, 0.3f, 0.4f, 60.0f);

    const std::string path = AssetGenerator::OutputPath(dataDir, "objects/power_supply_07.lwo");
    return !path.empty() && object.Save(path);
}

bool MakePowerSupply(const std::string& dataDir) {
    return MakePowerLabel(dataDir) &&
           MakePlasticImage(dataDir, "power_supply_07_case.png", Rgba{0.20f, 0.18f, 0.165f, 1.0f}, 303) &&
           MakePowerSupplyObject(dataDir);
}

// ---------------------------------------------------------------------------------------------
// The joystick

// The top of the base: a ring round the stick and four arrows.
bool MakeJoystickTop(const std::string& dataDir) {
    const int n = 256;
    Canvas canvas(n, n);
    canvas.Fill(Rgba{0.06f, 0.06f, 0.065f, 1.0f});
    const Rgba ink{0.42f, 0.42f, 0.44f, 1.0f};
    const float c = n * 0.5f;
    for (int a = 0; a < 360; a += 2) {
        const float r = 74.0f, t = a * ModelKit::kPi / 180.0f, t2 = (a + 2) * ModelKit::kPi / 180.0f;
        canvas.DrawLine(c + r * std::cos(t), c + r * std::sin(t), c + r * std::cos(t2), c + r * std::sin(t2),
                        1.6f, ink);
    }
    for (int k = 0; k < 4; ++k) {
        const float t = k * ModelKit::kPi * 0.5f, dx = std::cos(t), dy = std::sin(t);
        const float tip = 108.0f, base = 88.0f, half = 10.0f;
        canvas.FillPolygon({{c + dx * tip, c + dy * tip},
                            {c + dx * base - dy * half, c + dy * base + dx * half},
                            {c + dx * base + dy * half, c + dy * base - dx * half}},
                           ink);
    }
    return SaveImage(canvas, dataDir, "images/tac2_black02_top.png");
}

bool MakeJoystickObject(const std::string& dataDir) {
    LWObjectWriter object;
    const uint32_t top = object.AddClip("images/tac2_black02_top.png");
    object.AddLayer("joystick");
    AddRoundedSlab(object, 0.090f, 0.090f, 0.014f, 3, 0.0f, 0.032f, 0.008f, "Stick Base");
    AddDecal(object, At(0.0f, 0.0322f, 0.0f), 0.074f, 0.074f, "Stick Top", "top", true);
    // The stick: rubber boot, shaft and grip.
    AddTurned(object, At(0.0f, 0.032f, 0.0f),
              {{0.0f, 0.0f},
               {0.017f, 0.0f},
               {0.016f, 0.004f},
               {0.012f, 0.009f},
               {0.0075f, 0.016f},
               {0.0f, 0.0175f}},
              20, "Boot");
    AddTurned(object, At(0.0f, 0.045f, 0.0f),
              {{0.0f, 0.0f},
               {0.0055f, 0.0f},
               {0.0055f, 0.055f},
               {0.0075f, 0.060f},
               {0.0085f, 0.072f},
               {0.0090f, 0.090f},
               {0.0082f, 0.096f},
               {0.0060f, 0.1f},
               {0.0f, 0.1015f}},
              20, "Stick");
    // Two red fire buttons at the front corners.
    for (float x : {-0.029f, 0.029f})
        AddTurned(object, At(x, 0.032f, -0.029f),
                  {{0.0f, 0.0f},
                   {0.0085f, 0.0f},
                   {0.0085f, 0.003f},
                   {0.0075f, 0.0052f},
                   {0.0045f, 0.0065f},
                   {0.0f, 0.007f}},
                  16, "Fire Button");
    AddCableStub(object, At(0.0f, HardwareLayout::kJoystickCable.y, 0.044f) * FacingBack(), 0.0028f,
                 HardwareLayout::kJoystickCable.z - 0.044f, "Cable");

    AddMaterial(object, "Stick Base", 0.05f, 0.05f, 0.055f, 0.5f, 0.55f, 50.0f);
    LWSurfaceDesc& plate = AddMaterial(object, "Stick Top", 1, 1, 1, 0.5f, 0.55f, 0.0f);
    plate.imageMaps.push_back(UVImage(top, "top"));
    AddMaterial(object, "Boot", 0.035f, 0.035f, 0.035f, 0.1f, 0.2f, 70.0f);
    AddMaterial(object, "Stick", 0.045f, 0.045f, 0.05f, 0.6f, 0.6f, 70.0f);
    AddMaterial(object, "Fire Button", 0.80f, 0.08f, 0.06f, 0.7f, 0.7f, 60.0f);
    AddMaterial(object, "Cable", 0.06f, 0.06f, 0.065f, 0.3f, 0.4f, 60.0f);

    const std::string path = AssetGenerator::OutputPath(dataDir, "objects/tac2_black02.lwo");
    return !path.empty() && object.Save(path);
}

bool MakeJoystick(const std::string& dataDir) {
    return MakeJoystickTop(dataDir) && MakeJoystickObject(dataDir);
}

bool MakeHardware(const std::string& dataDir) {
    return MakeComputer(dataDir) && MakeMonitor(dataDir) && MakeTapeUnit(dataDir) &&
           MakePowerSupply(dataDir) && MakeJoystick(dataDir);
}

}  // namespace

void RegisterHardwareProducts(AssetGenerator& generator) {
    generator.Register({"hardware",
                        "objects/c64_27.lwo, commodore_1702_17.lwo, datassette_09.lwo, power_supply_07.lwo, "
                        "tac2_black02.lwo and their images/: the home-computer set-up of the table scene",
                        MakeHardware});
}
