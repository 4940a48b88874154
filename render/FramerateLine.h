// FramerateLine: the "Framerate: ..." text in the top-left corner. The text is made at most once per whole second of
// the application clock (from the averaged frame rate) and drawn every frame as white text on its black box.
#pragma once

#include <cstdint>
#include <string>

#include "shell/ContentScale.h"
#include "shell/Font.h"

namespace vornix {

class FramerateLine {
public:
    // The font "Arial" at size 16 (a 12-pixel em) at 100 %, larger with the screen's content scale. Throws
    // FontLoadExc when no face can be found.
    FramerateLine();
    // That font; throws FontLoadExc when no face can be found or opened.
    static Font defaultFont();
    // For tests and tools that bring their own font.
    explicit FramerateLine(Font font) : framerateFont(std::move(font)) {}

    // "Framerate: %4.1f   SF: 1.0".
    static std::string format(double averageFps);

    // While shown: when trunc(elapsedSeconds) differs from the second of the last refresh, remake the text from
    // averageFps. Returns whether the text was remade. A font made at another content scale is made anew first.
    bool refresh(bool showFramerate, double elapsedSeconds, double averageFps);

    // drawString(framerateText, (10, 10), opaque white, framerateFont), the place scaled with the screen.
    void draw() const;

    Font framerateFont;
    std::string framerateText;
    std::int32_t framerateSecond = 0;

private:
    void followScale();
    float fontScale = contentScale();   // the content scale the font was made for
};

} // namespace vornix
