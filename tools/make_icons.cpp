// make_icons: paints the program's icon (resources/icons/vornix-48.png, -128.png, -256.png for the desktop's icon
// theme, and vornix.ico with 16, 32, 48 and 256 pixel images for the Windows build).
//
// The picture is real vornix fluid: the CPU model is stirred into a vortex that winds the dye of two sources into
// two spiral arms, and the density is coloured through the "Blackbody" scheme with the lighting term, exactly as the
// CPU engine colours the window. The square picture is cut to a disc with a soft edge and a thin bright rim, so that
// it reads as one round swirl even at 16 pixels.
//
// To remake the icons after changing this file:
//     cmake --build build --target make_icons
//     ./build/tools/make_icons resources/icons
// then look at the results and commit them. The simulation is deterministic, so the same source gives the same
// pictures.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "fluid/FluidModelCPU.h"
#include "render/DensityRenderer.h"
#include "render/GradientTable.h"
#include "shell/Surface.h"
#include "shell/image/ImageIo.h"

using namespace vornix;

namespace {

constexpr int GridN = 120;
constexpr int Blackbody = 3;

// The stirred fluid coloured as the CPU engine colours it: GridN x GridN RGB pixels, cell (x + 1, y + 1) at (x, y).
Surface8u paintSwirl()
{
    FluidModelCPU model(GridN, 0.0f, 0.1f, 0.0f);
    constexpr float Centre = GridN / 2.0f + 0.5f;
    constexpr float Ring = 22, Spin = 0.3f;         // the stirring ring's radius (cells) and its tangential force
    constexpr float Source = 12, Dye = 0.9f;        // the dye sources' distance from the centre, and their strength
    // Long enough for the arms to wind half a turn, short enough that they stay clear of the edge.
    constexpr int Steps = 110, DyeSteps = 100;
    for (int frame = 0; frame < Steps; ++frame) {
        // A vortex: tangential force on a ring round the centre. Two dye sources on opposite sides are wound
        // into two spiral arms by it.
        for (int k = 0; k < 12; ++k) {
            const float a = k * 6.2831853f / 12;
            model.addVelocity(static_cast<int>(Centre + Ring * std::cos(a)),
                              static_cast<int>(Centre + Ring * std::sin(a)), -std::sin(a) * Spin,
                              std::cos(a) * Spin, 5.0f);
        }
        if (frame < DyeSteps) {
            model.addDensity(static_cast<int>(Centre + Source), static_cast<int>(Centre), Dye, 4.0f);
            model.addDensity(static_cast<int>(Centre - Source), static_cast<int>(Centre), Dye, 4.0f);
        }
        model.step();
    }
    std::vector<float> density(static_cast<std::size_t>(GridN + 2) * (GridN + 2));
    for (int j = 0; j < GridN + 2; ++j)
        for (int i = 0; i < GridN + 2; ++i)
            density[static_cast<std::size_t>(i) + static_cast<std::size_t>(GridN + 2) * j] = model.getDensity(i, j);
    GradientTable table;
    table.buildTables(Blackbody);
    Surface8u picture(GridN, GridN, false);
    colorDensityField(density.data(), GridN, table.gradientColors, true, 0, picture);
    return picture;
}

// The picture resampled bilinearly to size x size, cut to a disc with a bright rim; RGBA.
Surface8u iconOf(const Surface8u& swirl, int size)
{
    Surface8u icon(size, size, true);
    const float scale = static_cast<float>(swirl.getWidth()) / size;
    const float radius = size / 2.0f - 0.5f, rim = std::max(1.0f, size / 40.0f);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            // Area-averaged when shrinking: sample a few points per pixel.
            const int taps = std::max(1, static_cast<int>(std::ceil(scale)));
            float rgb[3] = {0, 0, 0};
            for (int ty = 0; ty < taps; ++ty)
                for (int tx = 0; tx < taps; ++tx) {
                    const float gx = (x + (tx + 0.5f) / taps) * scale - 0.5f;
                    const float gy = (y + (ty + 0.5f) / taps) * scale - 0.5f;
                    const int i = std::clamp(static_cast<int>(std::floor(gx)), 0, swirl.getWidth() - 2);
                    const int j = std::clamp(static_cast<int>(std::floor(gy)), 0, swirl.getHeight() - 2);
                    const float fx = std::clamp(gx - i, 0.0f, 1.0f), fy = std::clamp(gy - j, 0.0f, 1.0f);
                    for (int c = 0; c < 3; ++c)
                        rgb[c] += (1 - fy) * ((1 - fx) * swirl.getPixel(i, j)[c] + fx * swirl.getPixel(i + 1, j)[c]) +
                                  fy * ((1 - fx) * swirl.getPixel(i, j + 1)[c] + fx * swirl.getPixel(i + 1, j + 1)[c]);
                }
            const float dist = std::hypot(x + 0.5f - size / 2.0f, y + 0.5f - size / 2.0f);
            const float inside = std::clamp(radius - dist + 0.5f, 0.0f, 1.0f);
            const float onRim = std::clamp(1.0f - std::abs(dist - (radius - rim / 2)) / rim * 2 + 0.5f, 0.0f, 1.0f);
            std::uint8_t* p = icon.getPixel(x, y);
            for (int c = 0; c < 3; ++c) {
                const float v = rgb[c] / (taps * taps);
                const float rimColour = c == 0 ? 255.0f : c == 1 ? 190.0f : 90.0f;   // the scheme's glowing orange
                p[c] = static_cast<std::uint8_t>(std::lround(v + (rimColour - v) * onRim * 0.8f));
            }
            p[3] = static_cast<std::uint8_t>(std::lround(inside * 255.0f));
        }
    return icon;
}

std::vector<char> readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in.eof() && !in)
        throw std::runtime_error("cannot read " + path.string());
    return bytes;
}

void putLe(std::string& out, std::uint32_t value, int bytes)
{
    for (int k = 0; k < bytes; ++k)
        out.push_back(static_cast<char>((value >> (8 * k)) & 0xFF));
}

// A Windows icon file whose images are whole PNG files (allowed since Windows Vista).
void writeIco(const std::filesystem::path& path, const std::vector<std::pair<int, std::vector<char>>>& images)
{
    std::string out;
    putLe(out, 0, 2);   // reserved
    putLe(out, 1, 2);   // type: icon
    putLe(out, static_cast<std::uint32_t>(images.size()), 2);
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    for (const auto& [size, png] : images) {
        putLe(out, size >= 256 ? 0 : size, 1);   // 0 stands for 256
        putLe(out, size >= 256 ? 0 : size, 1);
        putLe(out, 0, 1);    // no palette
        putLe(out, 0, 1);    // reserved
        putLe(out, 1, 2);    // colour planes
        putLe(out, 32, 2);   // bits per pixel
        putLe(out, static_cast<std::uint32_t>(png.size()), 4);
        putLe(out, offset, 4);
        offset += static_cast<std::uint32_t>(png.size());
    }
    for (const auto& image : images)
        out.append(image.second.begin(), image.second.end());
    std::ofstream file(path, std::ios::binary);
    file.write(out.data(), static_cast<std::streamsize>(out.size()));
    if (!file)
        throw std::runtime_error("cannot write " + path.string());
}

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path folder = argc > 1 ? argv[1] : "resources/icons";
    try {
        const Surface8u swirl = paintSwirl();
        // The theme sizes are kept; 16 and 32 exist only inside the .ico.
        std::vector<std::pair<int, std::vector<char>>> icoImages;
        for (int size : {16, 32, 48, 128, 256}) {
            const bool themeSize = size >= 48;
            const std::filesystem::path png =
                themeSize ? folder / ("vornix-" + std::to_string(size) + ".png")
                          : std::filesystem::temp_directory_path() / ("vornix-icon-" + std::to_string(size) + ".png");
            writeImage(png.string(), iconOf(swirl, size));
            if (size != 128)
                icoImages.emplace_back(size, readFile(png));
            if (!themeSize)
                std::filesystem::remove(png);
            else
                std::printf("wrote %s\n", png.c_str());
        }
        writeIco(folder / "vornix.ico", icoImages);
        std::printf("wrote %s\n", (folder / "vornix.ico").c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_icons: %s\n", e.what());
        return 1;
    }
    return 0;
}
