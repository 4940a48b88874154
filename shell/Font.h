// Font: a platform font found by family name (fontconfig; on Windows the registered fonts) and rasterised with
// FreeType, made with an em height of trunc(size * 72 / 96) pixels. "Arial" resolves to a metric-compatible face such as Liberation Sans.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "shell/Color.h"
#include "shell/Exception.h"
#include "shell/Surface.h"

namespace vornix {

// No face could be found or opened for a family.
class FontLoadExc : public Exception {
public:
    explicit FontLoadExc(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// The bytes of a font file at a UTF-8 path, read by us rather than by the font libraries (their file calls take
// narrow paths, which on Windows miss names outside the code page). Empty when the file cannot be read (a folder,
// say).
std::vector<unsigned char> readFontFile(const std::string& path);

class Font {
public:
    Font() = default;
    // Throws FontLoadExc when no face can be found or opened.
    Font(const std::string& family, float size);
    // The face `faceIndex` of a font file, named after the file's path. Throws FontLoadExc when FreeType cannot open
    // the file as a font.
    static Font fromFile(const std::string& path, float size, int faceIndex = 0);

    explicit operator bool() const { return static_cast<bool>(impl_); }
    const std::string& getName() const;
    float getSize() const;
    // The file of the face the platform chose.
    const std::string& getFilePath() const;
    // Em height in pixels: trunc(size * 72 / 96).
    int getEmHeight() const;
    // Line metrics in pixels: ascent and descent of the line box, leading = internal + external leading.
    float getAscent() const;
    float getDescent() const;
    float getLeading() const;

    // Advance width of a line of UTF-8 text in pixels (at least as wide as the inked glyphs).
    float measureWidth(const std::string& text) const;
    // Draws anti-aliased glyphs into an 8-bit RGBA surface, pen starting at (x, baselineY). Each pixel gets the
    // colour scaled by the glyph's coverage (premultiplied), the strongest coverage winning where glyphs overlap.
    void rasterize(const std::string& text, Surface8u& target, int x, int baselineY, const ColorA& colour) const;

private:
    static void checkSize(float size);
    // Opens face `index` of the file at `path`; on failure throws and leaves the font empty.
    void open(const std::string& name, const std::string& path, int index, float size);

    struct Impl;
    std::shared_ptr<Impl> impl_;
};

} // namespace vornix
