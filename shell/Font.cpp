#include "shell/Font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <exception>
#include <fstream>
#include <iterator>
#include <vector>

#include "shell/Path.h"
#include "shell/platform/FontMatch.h"

namespace vornix {

namespace {

// One FreeType library for the process; faces keep it alive through their shared handle.
std::shared_ptr<FT_LibraryRec_> freeTypeLibrary()
{
    static std::weak_ptr<FT_LibraryRec_> cache;
    if (auto library = cache.lock())
        return library;
    FT_Library raw = nullptr;
    if (FT_Init_FreeType(&raw) != 0)
        throw FontLoadExc("FreeType could not be initialised");
    std::shared_ptr<FT_LibraryRec_> library(raw, [](FT_Library l) { FT_Done_FreeType(l); });
    cache = library;
    return library;
}

} // namespace

namespace {

// Code points of a UTF-8 string; a malformed byte stands for itself (Latin-1) rather than ending the line.
std::vector<char32_t> decodeUtf8(const std::string& text)
{
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
        char32_t cp = extra == 3 ? (b & 0x07u) : extra == 2 ? (b & 0x0Fu) : extra == 1 ? (b & 0x1Fu) : b;
        bool valid = b < 0x80 || extra > 0;   // a stray continuation byte is malformed
        for (int k = 1; valid && k <= extra; ++k) {
            if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0u) != 0x80u)
                valid = false;
            else
                cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3Fu);
        }
        if (!valid) {
            out.push_back(b);
            ++i;
        } else {
            out.push_back(cp);
            i += 1 + extra;
        }
    }
    return out;
}

} // namespace

std::vector<unsigned char> readFontFile(const std::string& path)
{
    std::vector<unsigned char> bytes;
    try {   // a read error (a folder, say) throws from the stream buffer
        std::ifstream file(pathFromUtf8(path), std::ios::binary);
        if (file)
            bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    } catch (const std::exception&) {
        bytes.clear();
    }
    return bytes;
}

struct Font::Impl {
    std::shared_ptr<FT_LibraryRec_> library;
    std::vector<unsigned char> fileData;   // the face reads the font from here
    FT_Face face = nullptr;
    std::string name, filePath;
    float size = 0;
    int emHeight = 0;
    float ascent = 0, descent = 0, leading = 0;
    ~Impl()
    {
        if (face)
            FT_Done_Face(face);
    }
};

Font::Font(const std::string& family, float size)
{
    checkSize(size);
    const auto [path, index] = matchFontFamily(family);
    open(family, path, index, size);
}

Font Font::fromFile(const std::string& path, float size, int faceIndex)
{
    checkSize(size);
    Font font;
    font.open(path, path, faceIndex, size);
    return font;
}

void Font::checkSize(float size)
{
    if (static_cast<int>(size * 72.0f / 96.0f) < 1)
        throw FontLoadExc("Font size too small: " + std::to_string(size));
}

void Font::open(const std::string& name, const std::string& path, int index, float size)
{
    auto impl = std::make_shared<Impl>();
    Impl& f = *impl;
    f.library = freeTypeLibrary();
    f.name = name;
    f.size = size;
    f.emHeight = static_cast<int>(size * 72.0f / 96.0f);
    f.filePath = path;
    f.fileData = readFontFile(path);
    if (f.fileData.empty() ||
        FT_New_Memory_Face(f.library.get(), f.fileData.data(), static_cast<FT_Long>(f.fileData.size()), index,
                           &f.face) != 0)
        throw FontLoadExc("Cannot open font file " + path);
    if (FT_Set_Pixel_Sizes(f.face, 0, static_cast<FT_UInt>(f.emHeight)) != 0)
        throw FontLoadExc("Cannot size font " + path);

    // Line metrics as the Windows text metrics define them: the line box from the OS/2 Windows ascent and descent,
    // internal leading = box - em, external leading = what the line gap adds beyond the box.
    const double scale = static_cast<double>(f.emHeight) / f.face->units_per_EM;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(f.face, FT_SFNT_OS2));
    const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(f.face, FT_SFNT_HHEA));
    if (os2 && hhea && os2->version != 0xFFFFu) {
        f.ascent = static_cast<float>(std::lround(os2->usWinAscent * scale));
        f.descent = static_cast<float>(std::lround(os2->usWinDescent * scale));
        const double gap = hhea->Line_Gap - ((os2->usWinAscent + os2->usWinDescent) - (hhea->Ascender - hhea->Descender));
        const float external = static_cast<float>(std::max(0L, std::lround(gap * scale)));
        f.leading = (f.ascent + f.descent - static_cast<float>(f.emHeight)) + external;
    } else {
        const FT_Size_Metrics& m = f.face->size->metrics;
        f.ascent = static_cast<float>(m.ascender) / 64.0f;
        f.descent = static_cast<float>(-m.descender) / 64.0f;
        f.leading = static_cast<float>(m.height) / 64.0f - static_cast<float>(f.emHeight);
    }
    impl_ = std::move(impl);
}

const std::string& Font::getName() const { return impl_->name; }
float Font::getSize() const { return impl_->size; }
const std::string& Font::getFilePath() const { return impl_->filePath; }
int Font::getEmHeight() const { return impl_->emHeight; }
float Font::getAscent() const { return impl_->ascent; }
float Font::getDescent() const { return impl_->descent; }
float Font::getLeading() const { return impl_->leading; }

float Font::measureWidth(const std::string& text) const
{
    FT_Face face = impl_->face;
    FT_Pos pen = 0;       // 26.6 fixed point
    long inkRight = 0;    // pixels
    for (char32_t cp : decodeUtf8(text)) {
        if (FT_Load_Char(face, cp, FT_LOAD_DEFAULT) != 0)
            continue;
        const FT_Glyph_Metrics& m = face->glyph->metrics;
        inkRight = std::max(inkRight, static_cast<long>((pen + m.horiBearingX + m.width + 63) >> 6));
        pen += face->glyph->advance.x;
    }
    return std::max(static_cast<float>(pen) / 64.0f, static_cast<float>(inkRight));
}

void Font::rasterize(const std::string& text, Surface8u& target, int x, int baselineY, const ColorA& colour) const
{
    FT_Face face = impl_->face;
    const SurfaceChannelOrder& order = target.getChannelOrder();
    const float channel[4] = {colour.r, colour.g, colour.b, colour.a};
    const int offset[4] = {order.getRedOffset(), order.getGreenOffset(), order.getBlueOffset(),
                           order.getAlphaOffset()};
    FT_Pos pen = static_cast<FT_Pos>(x) * 64;
    for (char32_t cp : decodeUtf8(text)) {
        if (FT_Load_Char(face, cp, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) != 0)
            continue;
        const FT_GlyphSlot g = face->glyph;
        const FT_Bitmap& bm = g->bitmap;
        const int left = static_cast<int>((pen + 32) >> 6) + g->bitmap_left;
        const int top = baselineY - g->bitmap_top;
        for (unsigned row = 0; row < bm.rows; ++row) {
            const int y = top + static_cast<int>(row);
            if (y < 0 || y >= target.getHeight())
                continue;
            const unsigned char* src = bm.buffer + static_cast<long>(row) * bm.pitch;
            for (unsigned col = 0; col < bm.width; ++col) {
                const int px = left + static_cast<int>(col);
                if (px < 0 || px >= target.getWidth() || src[col] == 0)
                    continue;
                const float coverage = static_cast<float>(src[col]) / 255.0f;
                std::uint8_t* p = target.getPixel(px, y);
                for (int c = 0; c < 4; ++c) {
                    if (offset[c] < 0)
                        continue;
                    const auto v = static_cast<std::uint8_t>(std::lround(std::clamp(channel[c], 0.0f, 1.0f) * coverage * 255.0f));
                    p[offset[c]] = std::max(p[offset[c]], v);
                }
            }
        }
        pen += g->advance.x;
    }
}

} // namespace vornix
