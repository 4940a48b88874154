// make_help_picture: paints the help picture that vornix shows at start (resources/help.jpg, embedded as
// resource 138 "IMG").
//
// The background is real vornix fluid: the CPU model is stirred by a few swirling emitters of dye and force,
// stepped, and its density is coloured in blues. Curved arrows follow the swirls; on top sits a box of white text
// on blue panels explaining the mouse and the keys. Text is set with FreeType in the font that fontconfig picks for
// "Liberation Sans" (Arial's metric twin).
//
// To remake the picture after changing this file:
//     cmake --build build --target make_help_picture
//     ./build/tools/make_help_picture resources/help.jpg
// then look at the result and commit it. The output is a 1196 x 1200 baseline JPEG (three components, quality 92).
// `make_help_picture --keys` prints the keys the picture lists, one per line.
// The simulation is deterministic, so the same source gives the same picture.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include "fluid/FluidModelCPU.h"
#include "shell/Surface.h"
#include "shell/image/ImageIo.h"

using namespace vornix;

namespace {

constexpr int Width = 1196, Height = 1200;

struct Colour {
    float r, g, b;
};

Colour mix(Colour a, Colour b, float t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

// A float RGB canvas; painting blends with coverage.
class Canvas {
public:
    Canvas(int w, int h) : w_(w), h_(h), px_(static_cast<std::size_t>(w) * h, Colour{0, 0, 0}) {}
    int width() const { return w_; }
    int height() const { return h_; }
    Colour& at(int x, int y) { return px_[static_cast<std::size_t>(y) * w_ + x]; }
    void blend(int x, int y, Colour c, float alpha)
    {
        if (x < 0 || y < 0 || x >= w_ || y >= h_ || alpha <= 0)
            return;
        Colour& p = at(x, y);
        p = mix(p, c, std::min(alpha, 1.0f));
    }
    Surface8u toSurface() const
    {
        Surface8u s(w_, h_, false);
        for (int y = 0; y < h_; ++y)
            for (int x = 0; x < w_; ++x) {
                const Colour c = px_[static_cast<std::size_t>(y) * w_ + x];
                std::uint8_t* p = s.getPixel(x, y);
                p[0] = static_cast<std::uint8_t>(std::clamp(c.r, 0.0f, 1.0f) * 255.0f + 0.5f);
                p[1] = static_cast<std::uint8_t>(std::clamp(c.g, 0.0f, 1.0f) * 255.0f + 0.5f);
                p[2] = static_cast<std::uint8_t>(std::clamp(c.b, 0.0f, 1.0f) * 255.0f + 0.5f);
            }
        return s;
    }

private:
    int w_, h_;
    std::vector<Colour> px_;
};

// ---------------------------------------------------------------------------------------------------------------
// The swirl
// ---------------------------------------------------------------------------------------------------------------

struct Swirl {
    float x, y;       // centre in cells
    float spin;       // tangential force, sign = direction
    float radius;     // ring radius in cells
};

void paintFluid(Canvas& canvas, const std::vector<Swirl>& swirls)
{
    constexpr int N = 180;
    FluidModelCPU model(N, 0.0f, 0.1f, 0.0f);
    for (int frame = 0; frame < 170; ++frame) {
        for (std::size_t k = 0; k < swirls.size(); ++k) {
            const Swirl& s = swirls[k];
            const float phase = frame * 0.11f + static_cast<float>(k) * 1.7f;
            // An emitter circling the centre: dye, plus force along its path (and a little outwards).
            const float ex = s.x + s.radius * std::cos(phase), ey = s.y + s.radius * std::sin(phase);
            const float tx = -std::sin(phase) * s.spin, ty = std::cos(phase) * s.spin;
            if (frame < 150)
                model.addDensity(static_cast<int>(ex), static_cast<int>(ey), 6.0f, 3.0f);
            model.addVelocity(static_cast<int>(ex), static_cast<int>(ey), tx + 0.2f * std::cos(phase) * std::abs(s.spin),
                              ty + 0.2f * std::sin(phase) * std::abs(s.spin), 5.0f);
        }
        model.step();
    }
    double peak = 0;
    for (int j = 1; j <= N; ++j)
        for (int i = 1; i <= N; ++i)
            peak = std::max<double>(peak, model.getDensity(i, j));
    // Bilinear density at pixel centres, coloured from near-black navy through blue to pale cyan.
    const Colour deep{0.01f, 0.015f, 0.05f}, blue{0.05f, 0.22f, 0.75f}, light{0.55f, 0.85f, 1.0f};
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x) {
            const float gx = (x + 0.5f) * N / canvas.width() + 0.5f, gy = (y + 0.5f) * N / canvas.height() + 0.5f;
            const int i = std::clamp(static_cast<int>(gx), 0, N), j = std::clamp(static_cast<int>(gy), 0, N);
            const float fx = gx - i, fy = gy - j;
            const float d = (1 - fy) * ((1 - fx) * model.getDensity(i, j) + fx * model.getDensity(i + 1, j)) +
                            fy * ((1 - fx) * model.getDensity(i, j + 1) + fx * model.getDensity(i + 1, j + 1));
            // Normalised and curved so that thin dye sinks into the dark and the filaments stand out.
            const float t = std::pow(std::clamp(d / static_cast<float>(peak), 0.0f, 1.0f), 2.0f);
            canvas.at(x, y) = t < 0.6f ? mix(deep, blue, t / 0.6f) : mix(blue, light, (t - 0.6f) / 0.4f);
        }
}

// ---------------------------------------------------------------------------------------------------------------
// Shapes: anti-aliased by the distance of each pixel centre to the shape
// ---------------------------------------------------------------------------------------------------------------

float segmentDistance(float px, float py, float ax, float ay, float bx, float by)
{
    const float dx = bx - ax, dy = by - ay;
    const float len2 = dx * dx + dy * dy;
    const float t = len2 > 0 ? std::clamp(((px - ax) * dx + (py - ay) * dy) / len2, 0.0f, 1.0f) : 0.0f;
    return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

void roundedRect(Canvas& c, float x0, float y0, float x1, float y1, float r, Colour colour, float alpha)
{
    for (int y = static_cast<int>(y0) - 1; y <= static_cast<int>(y1) + 1; ++y)
        for (int x = static_cast<int>(x0) - 1; x <= static_cast<int>(x1) + 1; ++x) {
            const float px = x + 0.5f, py = y + 0.5f;
            const float qx = std::max(std::abs(px - (x0 + x1) / 2) - ((x1 - x0) / 2 - r), 0.0f);
            const float qy = std::max(std::abs(py - (y0 + y1) / 2) - ((y1 - y0) / 2 - r), 0.0f);
            const float dist = std::hypot(qx, qy) - r;   // negative inside
            c.blend(x, y, colour, alpha * std::clamp(0.5f - dist, 0.0f, 1.0f));
        }
}

// A polyline of thickness `width` ending in an arrow head, drawn with its own soft dark shadow for contrast.
void arrow(Canvas& c, const std::vector<std::pair<float, float>>& pts, float width, Colour colour)
{
    const auto [ex, ey] = pts.back();
    const auto [px, py] = pts[pts.size() - 2];
    const float len = std::hypot(ex - px, ey - py), ux = (ex - px) / len, uy = (ey - py) / len;
    const float head = width * 4.2f;
    const float bx = ex - ux * head, by = ey - uy * head;   // base of the head
    const float lx = bx - uy * head * 0.6f, ly = by + ux * head * 0.6f, rx = bx + uy * head * 0.6f,
                ry = by - ux * head * 0.6f;
    float minX = 1e9f, minY = 1e9f, maxX = -1e9f, maxY = -1e9f;
    for (auto [x, y] : pts)
        minX = std::min(minX, x), minY = std::min(minY, y), maxX = std::max(maxX, x), maxY = std::max(maxY, y);
    const int margin = static_cast<int>(head + 12);
    auto coverage = [&](float x, float y, float grow) {
        float d = 1e9f;
        for (std::size_t k = 0; k + 1 < pts.size(); ++k) {
            // The shaft stops at the head's base.
            const bool last = k + 2 == pts.size();
            d = std::min(d, segmentDistance(x, y, pts[k].first, pts[k].second, last ? bx : pts[k + 1].first,
                                            last ? by : pts[k + 1].second) -
                                width / 2);
        }
        // Head triangle: signed distance as the largest of the three edge distances.
        auto edge = [&](float ax, float ay, float cx, float cy) {
            const float nx = cy - ay, ny = -(cx - ax), nl = std::hypot(nx, ny);
            return ((x - ax) * nx + (y - ay) * ny) / nl;
        };
        const float tri = std::max({edge(ex, ey, lx, ly), edge(lx, ly, rx, ry), edge(rx, ry, ex, ey)});
        d = std::min(d, tri);
        return std::clamp(0.5f - (d - grow), 0.0f, 1.0f);
    };
    for (int pass = 0; pass < 2; ++pass)
        for (int y = static_cast<int>(minY) - margin; y <= static_cast<int>(maxY) + margin; ++y)
            for (int x = static_cast<int>(minX) - margin; x <= static_cast<int>(maxX) + margin; ++x) {
                const float fx = x + 0.5f, fy = y + 0.5f;
                if (pass == 0)
                    c.blend(x, y, Colour{0, 0, 0.02f}, 0.45f * coverage(fx - 3, fy - 4, 3.0f));
                else
                    c.blend(x, y, colour, coverage(fx, fy, 0.0f));
            }
}

std::vector<std::pair<float, float>> arc(float cx, float cy, float r, float from, float to, int steps = 48)
{
    std::vector<std::pair<float, float>> pts;
    for (int k = 0; k <= steps; ++k) {
        const float a = from + (to - from) * k / steps;
        pts.emplace_back(cx + r * std::cos(a), cy + r * std::sin(a));
    }
    return pts;
}

// ---------------------------------------------------------------------------------------------------------------
// Text
// ---------------------------------------------------------------------------------------------------------------

std::string fontFile(const char* pattern)
{
    FcPattern* pat = FcNameParse(reinterpret_cast<const FcChar8*>(pattern));
    FcConfigSubstitute(nullptr, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pat, &result);
    std::string file;
    FcChar8* path = nullptr;
    if (match && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch)
        file = reinterpret_cast<const char*>(path);
    if (match)
        FcPatternDestroy(match);
    FcPatternDestroy(pat);
    if (file.empty())
        throw std::runtime_error(std::string("fontconfig found no font for ") + pattern);
    return file;
}

// Code points of a UTF-8 string (the texts here are well-formed).
std::vector<char32_t> decodeUtf8(const std::string& s)
{
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
        char32_t cp = extra == 0 ? c : c & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        out.push_back(cp);
        i += 1 + extra;
    }
    return out;
}

class Font {
public:
    Font(FT_Library lib, const std::string& file, int pixels)
    {
        if (FT_New_Face(lib, file.c_str(), 0, &face_) != 0)
            throw std::runtime_error("FreeType cannot open " + file);
        FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(pixels));
    }
    ~Font() { FT_Done_Face(face_); }
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    float ascent() const { return face_->size->metrics.ascender / 64.0f; }

    // Advance width of `text` in pixels.
    float measure(const std::string& text) const { return layout(text, nullptr, 0, 0, {}); }
    // Draws with the baseline at y; returns the advance.
    float draw(Canvas& c, const std::string& text, float x, float y, Colour colour) const
    {
        return layout(text, &c, x, y, colour);
    }

private:
    float layout(const std::string& text, Canvas* c, float x, float y, Colour colour) const
    {
        float pen = 0;
        FT_UInt previous = 0;
        for (char32_t cp : decodeUtf8(text)) {
            const FT_UInt glyph = FT_Get_Char_Index(face_, cp);
            if (previous && glyph && FT_HAS_KERNING(face_)) {
                FT_Vector k;
                FT_Get_Kerning(face_, previous, glyph, FT_KERNING_DEFAULT, &k);
                pen += k.x / 64.0f;
            }
            if (FT_Load_Glyph(face_, glyph, c ? FT_LOAD_RENDER : FT_LOAD_DEFAULT) != 0)
                continue;
            const FT_GlyphSlot g = face_->glyph;
            if (c) {
                const int ox = static_cast<int>(std::lround(x + pen)) + g->bitmap_left;
                const int oy = static_cast<int>(std::lround(y)) - g->bitmap_top;
                for (unsigned row = 0; row < g->bitmap.rows; ++row)
                    for (unsigned col = 0; col < g->bitmap.width; ++col) {
                        const float a = g->bitmap.buffer[row * g->bitmap.pitch + col] / 255.0f;
                        c->blend(ox + static_cast<int>(col), oy + static_cast<int>(row), colour, a);
                    }
            }
            pen += g->advance.x / 64.0f;
            previous = glyph;
        }
        return pen;
    }

    FT_Face face_ = nullptr;
};

// ---------------------------------------------------------------------------------------------------------------
// The help box
// ---------------------------------------------------------------------------------------------------------------

struct KeyHelp {
    const char* key;       // as printed on the key cap; "1 – 7" stands for the keys 1 to 7
    const char* meaning;
};

// Every key the program answers, one line each, in the order the help lists them (two columns, top to bottom, left
// column first). The README's key table lists the same keys (tests/tools/help_picture.sh holds them to that).
const std::vector<KeyHelp> keys = {
    {"m", "parameter panel"},
    {"Space", "pause or resume"},
    {"→", "one step while paused"},
    {"r", "clear dye and velocities"},
    {"s", "save the picture"},
    {"Esc", "full screen"},
    {"1 – 7", "colour scheme"},
    {"8", "random colour scheme"},
    {"f", "framerate line"},
    {"g", "gradient bar"},
    {"l", "3D lighting"},
    {"h", "this help"},
    {"t", "Studio panel"},
    {"v", "record video (MP4, GIF)"},
    {"a", "autopilot: paints by itself"},
    {"u", "dye moves with the music"},
    {"e", "gradient editor"},
    {"o", "open a preset or colours"},
};

const Colour White{1, 1, 1}, Panel{0.07f, 0.23f, 0.62f}, PanelEdge{0.35f, 0.62f, 1.0f}, KeyCap{0.20f, 0.45f, 0.92f},
             Soft{0.78f, 0.88f, 1.0f};

// A key cap with its label; an arrow (a lone symbol) is set larger, as it is small in the font.
void keyCap(Canvas& c, const Font& bold, const Font& symbol, const std::string& key, float x, float baseline,
            float width)
{
    // The cap spans the text's x-height band generously; the key's glyphs sit on the line's baseline.
    roundedRect(c, x, baseline - 31, x + width, baseline + 9, 8, KeyCap, 0.95f);
    const Font& font = static_cast<unsigned char>(key[0]) >= 0x80 ? symbol : bold;
    font.draw(c, key, x + (width - font.measure(key)) / 2, baseline + (&font == &symbol ? 3 : 0), White);
}

// The box ends at y = 990 at the most: the band below it (the window's y 500 to 560) is where the program's notices
// appear.
void helpBox(Canvas& c, FT_Library lib)
{
    const std::string regular = fontFile("Liberation Sans:style=Regular"), boldFile = fontFile("Liberation Sans:bold");
    const Font title(lib, boldFile, 56), heading(lib, boldFile, 38), body(lib, regular, 32), bold(lib, boldFile, 32),
        capFont(lib, boldFile, 29), symbolFont(lib, boldFile, 46), small(lib, regular, 30);

    // The box is as tall as the keys need, up to y = 990.
    const float x0 = 40, x1 = Width - 40, top = 150, maxBottom = 990;
    const float keysTop = 460, firstRow = keysTop + 100, maxLastRow = maxBottom - 20 - 32;
    const std::size_t rows = (keys.size() + 1) / 2;
    const float pitch = rows > 1 ? std::min(48.0f, (maxLastRow - firstRow) / static_cast<float>(rows - 1)) : 0.0f;
    const float keysBottom = firstRow + pitch * static_cast<float>(rows - 1) + 32, bottom = keysBottom + 20;
    // Outer box: a dark translucent frame holding the two panels.
    roundedRect(c, x0 - 4, top - 4, x1 + 4, bottom + 4, 30, PanelEdge, 0.55f);
    roundedRect(c, x0, top, x1, bottom, 27, Colour{0.01f, 0.03f, 0.10f}, 0.82f);

    const std::string heading0 = "How to play";
    title.draw(c, heading0, (Width - title.measure(heading0)) / 2, 222, White);

    // Mouse panel.
    const float tx = x0 + 56;
    roundedRect(c, x0 + 24, 250, x1 - 24, 440, 18, Panel, 0.92f);
    heading.draw(c, "Mouse", tx, 296, Soft);
    float y = 342;
    struct Line {
        const char* strong;
        const char* rest;
    };
    for (const Line& l : {Line{"Drag with the right button", " to paint dye"},
                          Line{"Drag with the left button", " to push the fluid"},
                          Line{"Both", " may be done at once"}}) {
        const float x = tx + bold.draw(c, l.strong, tx, y, White);
        body.draw(c, l.rest, x, y, White);
        y += 40;
    }

    // Keys panel: two columns of key caps with their meanings, as many rows as the list needs.
    roundedRect(c, x0 + 24, keysTop, x1 - 24, keysBottom, 18, Panel, 0.92f);
    heading.draw(c, "Keys", tx, keysTop + 46, Soft);
    const float columnWidth = (x1 - 24 - tx) / 2;
    float capWidth = 56;
    for (const KeyHelp& k : keys)
        capWidth = std::max(capWidth, capFont.measure(k.key) + 24);
    // The meanings share one size, as large as the widest of them allows (at most the body's).
    float widest = 1;
    for (const KeyHelp& k : keys)
        widest = std::max(widest, body.measure(k.meaning));
    const float room = columnWidth - capWidth - 20 - 16;
    const Font meaning(lib, regular, static_cast<int>(std::min(32.0f, 32.0f * room / widest)));
    for (std::size_t k = 0; k < keys.size(); ++k) {
        const float x = tx + columnWidth * static_cast<float>(k / rows);
        const float baseline = firstRow + pitch * static_cast<float>(k % rows);
        keyCap(c, capFont, symbolFont, keys[k].key, x, baseline, capWidth);
        meaning.draw(c, keys[k].meaning, x + capWidth + 20, baseline, White);
    }

    const std::string hint = "Click anywhere to start";
    small.draw(c, hint, (Width - small.measure(hint)) / 2, 1152, Soft);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string out = argc > 1 ? argv[1] : "resources/help.jpg";
    if (out == "--keys") {   // the keys the picture lists, one per line
        for (const KeyHelp& k : keys)
            std::printf("%s\n", k.key);
        return 0;
    }
    try {
        Canvas canvas(Width, Height);
        // Grid cells: 180 across. The box covers the middle; the swirls turn in the corners and along the edges,
        // where the arrows show their sense of rotation (positive spin turns clockwise on screen).
        paintFluid(canvas, {{13, 13, 5.0f, 7}, {167, 13, -5.0f, 7}, {13, 167, -5.0f, 7}, {167, 167, 5.0f, 7},
                            {16, 90, 4.0f, 8}, {164, 90, -4.0f, 8}, {90, 10, 4.0f, 6}, {90, 170, -4.0f, 6}});

        const Colour arrowColour{0.92f, 0.97f, 1.0f};
        constexpr float Pi = 3.14159265f, Deg = Pi / 180;
        arrow(canvas, arc(88, 88, 58, 80 * Deg, 370 * Deg), 8, arrowColour);
        arrow(canvas, arc(Width - 88, 88, 58, 100 * Deg, -190 * Deg), 8, arrowColour);
        arrow(canvas, arc(88, Height - 88, 58, -80 * Deg, -370 * Deg), 8, arrowColour);
        arrow(canvas, arc(Width - 88, Height - 88, 58, -100 * Deg, 190 * Deg), 8, arrowColour);

        FT_Library lib;
        if (FT_Init_FreeType(&lib) != 0)
            throw std::runtime_error("FreeType cannot start");
        helpBox(canvas, lib);
        FT_Done_FreeType(lib);

        writeImage(out, canvas.toSurface(), ImageTarget::Options().quality(0.92f));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_help_picture: %s\n", e.what());
        return 1;
    }
    std::printf("wrote %s (%d x %d)\n", out.c_str(), Width, Height);
    return 0;
}
