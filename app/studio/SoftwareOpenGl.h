// On a computer without a GPU driver, OpenGL is drawn by the processor (Mesa's llvmpipe, softpipe or swrast,
// Windows' "GDI Generic" or basic render driver). There the GPU engine the presets choose runs its many shader passes
// on the processor too and is slower than the CPU engine: the user is told once, at start.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/Preset.h"

namespace vornix {

// Whether the OpenGL renderer's name (GL_RENDERER) is one of a renderer that draws on the processor.
bool isSoftwareRenderer(std::string_view renderer);

// What to tell the user when `renderer` draws in software while `engine` is the GPU engine; nothing otherwise.
std::optional<std::string> softwareOpenGlAdvice(std::string_view renderer, Engine engine);

} // namespace vornix
