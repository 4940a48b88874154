// Notice: short messages shown in the window, over the picture near its bottom edge, each fading out by itself
// ("Saved the picture to ...", what a failure was when no message box could be shown). vornixApp draws them after
// the picture has been taken for a saved file or a recording, so they are never part of either. Any capability may
// post one through vornixApp::showNotice.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "shell/Font.h"
#include "shell/gl/Texture.h"

namespace vornix {

// `text` in lines no wider than `width` pixels of `font`: broken at spaces, a word too long for a line (a path, say)
// after one of its '/' or '\' where possible, else between characters. Explicit line ends are kept. Nothing is lost:
// the lines joined (with the spaces they were broken at) give the text back.
std::vector<std::string> wrapText(const std::string& text, const Font& font, float width);

class Notice {
public:
    static constexpr std::size_t maxShown = 3;
    static constexpr double fadeSeconds = 1.0;

    // Shows `text` from `now` (seconds on the application clock) for `seconds`, the last of them fading. Without a
    // duration: long enough to read it, 4 seconds and a quarter second per word, at most 15. When more than maxShown
    // notices would be up, the oldest goes.
    void show(const std::string& text, double now, std::optional<double> seconds = {});
    // Every notice fades out within half a second from `now`.
    void fadeAll(double now);
    // The texts up at `now`, oldest first.
    std::vector<std::string> shown(double now) const;

    // Draws the notices up at `now`, newest at the bottom, centred, white on a dark box, in a window of the given size
    // with window matrices set (origin top-left) and the GL context current.
    void draw(int windowWidth, int windowHeight, const Font& font, double now);

private:
    struct Entry {
        std::string text;
        double until = 0.0;
        float wrappedAt = -1.0f;          // the width the texture was made for
        std::vector<gl::Texture> lines;   // one texture per line of text
    };
    void drop(double now);

    std::deque<Entry> entries_;
};

} // namespace vornix
