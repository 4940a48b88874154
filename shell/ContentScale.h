// The scale of the user interface: 1 on a 96 dpi screen, 1.5 at 150 %, as the monitor under the window reports it.
// The window's size, the panels' text and widgets and the overlays drawn in pixels follow it, so that on screen they
// cover what they cover at 100 %; the fluid simply fills the window's pixels. The window's platform layer sets it
// when the window opens and when the window moves to a monitor with another scale; everything else reads it.
#pragma once

namespace vornix {

// The current scale (1 until the window has opened).
float contentScale();
// Takes the monitor's reported scale. Reports within 1 % of a whole step of 1/8 are taken as that step, so that an
// imprecise report at 100 % still changes nothing at all; the scale stays within 0.5 .. 4.
void setContentScale(float reported);

// The number of pixels that a length of `pixels` at 100 % takes at `scale`, rounded to the nearest pixel.
int scaledPixels(int pixels, float scale);
float scaledPixels(float pixels, float scale);
// The same at the current scale.
inline int scaledPixels(int pixels) { return scaledPixels(pixels, contentScale()); }
inline float scaledPixels(float pixels) { return scaledPixels(pixels, contentScale()); }

} // namespace vornix
