#include "app/studio/Notice.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <sstream>

#include "shell/ContentScale.h"
#include "shell/TextRenderer.h"

namespace vornix {

namespace {

bool fits(const std::string& text, const Font& font, float width) { return font.measureWidth(text) <= width; }

// Where the next UTF-8 character after byte `k` starts.
std::size_t nextCharacter(const std::string& text, std::size_t k)
{
    ++k;
    while (k < text.size() && (static_cast<unsigned char>(text[k]) & 0xC0) == 0x80)
        ++k;
    return k;
}

// The longest start of `word` that fits (at least one character), ending after a folder separator when there is one.
std::size_t fittingPrefix(const std::string& word, const Font& font, float width)
{
    std::size_t fit = nextCharacter(word, 0), separator = 0;
    for (std::size_t k = fit; k < word.size();) {
        const std::size_t next = nextCharacter(word, k);
        if (!fits(word.substr(0, next), font, width))
            break;
        fit = next;
        if (word[k] == '/' || word[k] == '\\')
            separator = next;
        k = next;
    }
    return separator > 0 && fit < word.size() ? separator : fit;
}

void wrapParagraph(const std::string& paragraph, const Font& font, float width, std::vector<std::string>& lines)
{
    std::string line;
    std::istringstream words(paragraph);
    std::string word;
    bool first = true;
    while (std::getline(words, word, ' ')) {
        const std::string candidate = first ? word : line + " " + word;
        first = false;
        if (fits(candidate, font, width)) {
            line = candidate;
            continue;
        }
        if (!line.empty())
            lines.push_back(line);
        while (!fits(word, font, width)) {
            const std::size_t cut = fittingPrefix(word, font, width);
            lines.push_back(word.substr(0, cut));
            word.erase(0, cut);
        }
        line = word;
    }
    lines.push_back(line);
}

} // namespace

std::vector<std::string> wrapText(const std::string& text, const Font& font, float width)
{
    std::vector<std::string> lines;
    std::istringstream paragraphs(text);
    std::string paragraph;
    while (std::getline(paragraphs, paragraph))
        wrapParagraph(paragraph, font, width, lines);
    return lines;
}

void Notice::show(const std::string& text, double now, std::optional<double> seconds)
{
    drop(now);
    const double words = static_cast<double>(std::count(text.begin(), text.end(), ' ') + 1);
    entries_.push_back(Entry{text, now + seconds.value_or(std::min(4.0 + 0.25 * words, 15.0)), -1.0f, {}});
    while (entries_.size() > maxShown)
        entries_.pop_front();
}

void Notice::fadeAll(double now)
{
    for (Entry& entry : entries_)
        entry.until = std::min(entry.until, now + 0.5);
}

std::vector<std::string> Notice::shown(double now) const
{
    std::vector<std::string> texts;
    for (const Entry& entry : entries_)
        if (entry.until > now)
            texts.push_back(entry.text);
    return texts;
}

void Notice::drop(double now)
{
    std::erase_if(entries_, [now](const Entry& entry) { return entry.until <= now; });
}

void Notice::draw(int windowWidth, int windowHeight, const Font& font, double now)
{
    drop(now);
    if (entries_.empty() || !font)
        return;
    const float padding = scaledPixels(6.0f), gap = scaledPixels(4.0f);
    const float wrapWidth =
        std::max(static_cast<float>(windowWidth) - scaledPixels(40.0f) - 2 * padding, scaledPixels(60.0f));
    const float centre = static_cast<float>(windowWidth) / 2;
    // Above the recording indicator and the help picture's last line.
    float bottom = static_cast<float>(windowHeight) - scaledPixels(48.0f);

    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_ENABLE_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);   // the text's pixels are premultiplied, and so is the box's black
    for (auto entry = entries_.rbegin(); entry != entries_.rend(); ++entry) {
        if (entry->wrappedAt != wrapWidth) {
            entry->lines.clear();
            for (const std::string& line : wrapText(entry->text, font, wrapWidth)) {
                const RenderedString rendered = renderString(line, font, ColorA{1.0f, 1.0f, 1.0f, 1.0f});
                entry->lines.push_back(rendered.surface.getWidth() > 0 ? gl::Texture(rendered.surface)
                                                                       : gl::Texture());
            }
            entry->wrappedAt = wrapWidth;
        }
        const float lineHeight = font.getAscent() + font.getDescent() + font.getLeading() + 1.0f;
        float width = 0.0f;
        for (const gl::Texture& line : entry->lines)
            width = std::max(width, line ? static_cast<float>(line.getWidth()) : 0.0f);
        const float height = lineHeight * static_cast<float>(entry->lines.size()) + 2 * padding;
        const float top = bottom - height, left = centre - width / 2 - padding;
        const float alpha = static_cast<float>(std::clamp((entry->until - now) / fadeSeconds, 0.0, 1.0));

        glDisable(GL_TEXTURE_2D);
        glColor4f(0.0f, 0.0f, 0.0f, 0.7f * alpha);
        glBegin(GL_QUADS);
        glVertex2f(left, top);
        glVertex2f(left + width + 2 * padding, top);
        glVertex2f(left + width + 2 * padding, bottom);
        glVertex2f(left, bottom);
        glEnd();
        glColor4f(alpha, alpha, alpha, alpha);
        float y = top + padding;
        for (const gl::Texture& line : entry->lines) {
            if (line) {
                const float x = std::round(centre - static_cast<float>(line.getWidth()) / 2), row = std::round(y);
                gl::draw(line, Rectf{x, row, x + static_cast<float>(line.getWidth()),
                                     row + static_cast<float>(line.getHeight())});
            }
            y += lineHeight;
        }
        bottom = top - gap;
    }
    glPopAttrib();
}

} // namespace vornix
