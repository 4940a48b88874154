#include "app/studio/SoftwareOpenGl.h"

#include "shell/Path.h"

namespace vornix {

bool isSoftwareRenderer(std::string_view renderer)
{
    const std::string name = toLowerAscii(renderer);
    for (const char* software : {"llvmpipe", "softpipe", "swrast", "software rasterizer", "gdi generic",
                                 "microsoft basic render driver"})
        if (name.find(software) != std::string::npos)
            return true;
    return false;
}

std::optional<std::string> softwareOpenGlAdvice(std::string_view renderer, Engine engine)
{
    if (engine != EngineGPU || !isSoftwareRenderer(renderer))
        return std::nullopt;
    return "OpenGL is drawn in software on this computer (" + std::string(renderer) +
           "): \"Render Engine: CPU\" in the panel (key m) is faster here than the GPU engine the presets choose.";
}

} // namespace vornix
