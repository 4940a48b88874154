#include "render/DensityRenderer.h"

#include <epoxy/gl.h>
#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "fluid/WorkerPool.h"
#include "shell/Console.h"
#include "shell/Resources.h"
#include "shell/gl/GlException.h"

namespace vornix {

namespace {

// nz^LightingPower for nz = 1 - m * 2^-24, m = 0 .. PowTableSize - 1: these are exactly the floats just below 1.
// Below that range the power is < 2^-13, so the lighting term w < 0.07 and cannot change a byte.
constexpr int PowTableSize = 4096;
constexpr float PowTableFloor = 1.0f - static_cast<float>(PowTableSize - 1) * 0x1p-24f;

const std::array<float, PowTableSize>& powTable()
{
    static const std::array<float, PowTableSize> table = [] {
        std::array<float, PowTableSize> t{};
        for (int m = 0; m < PowTableSize; ++m)
            t[static_cast<std::size_t>(m)] = std::pow(1.0f - static_cast<float>(m) * 0x1p-24f, LightingPower);
        return t;
    }();
    return table;
}

// nz^LightingPower in single precision, as std::pow gives it, without calling it for every pixel.
inline float lightingPower(float nz)
{
    if (nz >= 1.0f)
        return std::pow(nz, LightingPower);   // 1 exactly for nz = 1
    if (!(nz >= PowTableFloor))               // also a NaN: never an unchecked conversion to a table index
        return 0.0f;
    const auto m = static_cast<std::size_t>((1.0f - nz) * 0x1p24f);
    return powTable()[m];
}

// Four pixels at a time where the compiler offers vectors of four floats (every x86-64 does); each lane computes
// exactly what the single-pixel version computes.
using Float4 = float __attribute__((vector_size(16)));
using Int4 = std::int32_t __attribute__((vector_size(16)));

// A NaN density (a brush or a parameter drove the solver out of range) is drawn as no density. Infinities stay:
// the clamped index puts +infinity at the top of the gradient and -infinity at the bottom, as the GPU program does.
inline float numericDensity(float d) { return std::isnan(d) ? 0.0f : d; }
inline Float4 numericDensity(Float4 d) { return d == d ? d : Float4{}; }

inline float squareRoot(float s) { return std::sqrt(s); }
inline Float4 squareRoot(Float4 s)
{
#if defined(__SSE2__)
    return reinterpret_cast<Float4>(_mm_sqrt_ps(reinterpret_cast<__m128>(s)));
#else
    return Float4{std::sqrt(s[0]), std::sqrt(s[1]), std::sqrt(s[2]), std::sqrt(s[3])};
#endif
}

inline int truncate(float x) { return static_cast<int>(x); }
inline Int4 truncate(Float4 x) { return __builtin_convertvector(x, Int4); }

// The gradient index of a density, trunc(d x 2048) limited to 0..2047, and nz = 1 / sqrt(1 + dx^2 + dy^2) from the
// differences to the right and lower neighbours (0, i.e. no light, where the density is not above 0).
template <typename T, typename Index>
inline void pixelTerms(T density, T right, T below, Index& index, T& nz)
{
    const T d = numericDensity(density);
    const T scaled = d * static_cast<float>(GradientColorCount);
    const T top = T{} + static_cast<float>(GradientColorCount - 1);
    index = truncate(scaled > top ? top : (scaled > 0.0f ? scaled : T{}));
    const T dx = d - numericDensity(right);
    const T dy = d - numericDensity(below);
    const T s = 1.0f + dx * dx + dy * dy;
    nz = d > 0.0f ? 1.0f / squareRoot(s) : T{};
}

// Colours the pixel rows [firstRow, endRow) of an N x N surface from a field of (N + 2)^2 floats in IX order.
// Per pixel: the gradient colour at index trunc(d x 2048) limited to 0..2047 (d <= 0 gives 0), then, with lighting
// and d > 0, w = nz^LightingPower x index x 512 / 2048 added to each byte (truncated, at most 255), where
// nz = 1 / sqrt(1 + dx^2 + dy^2) from the differences to the right and lower neighbours. A NaN density counts as 0. The rows go in chunks: first the arithmetic for a whole chunk, four pixels at a time, then the table
// look-ups pixel by pixel.
void colourRows(const float* field, std::uint32_t n, const std::uint8_t* colours, bool lighting,
                std::uint32_t barRows, Surface8u& surface, int firstRow, int endRow)
{
    const SurfaceChannelOrder& order = surface.getChannelOrder();
    const int ro = order.getRedOffset(), go = order.getGreenOffset(), bo = order.getBlueOffset();
    const int inc = order.getPixelInc();
    const float barDivisor = static_cast<float>(n) * 0x1p-11f;
    const int columns = static_cast<int>(n);
    const std::size_t stride = static_cast<std::size_t>(n) + 2;
    constexpr int Chunk = 256;
    int index[Chunk];
    float nz[Chunk];
    for (int y = firstRow; y < endRow; ++y) {
        std::uint8_t* p = surface.getRow(y);
        if (static_cast<std::uint32_t>(y) + 1 <= barRows) {
            for (int x = 0; x < columns; ++x, p += inc) {
                const int k =
                    std::min(static_cast<int>(static_cast<float>(x) / barDivisor), GradientColorCount - 1);
                p[ro] = colours[3 * k];
                p[go] = colours[3 * k + 1];
                p[bo] = colours[3 * k + 2];
            }
            continue;
        }
        const float* row = field + stride * static_cast<std::size_t>(y + 1) + 1;   // cell (1, y + 1)
        const float* below = row + stride;
        for (int x0 = 0; x0 < columns; x0 += Chunk) {
            const int count = std::min(Chunk, columns - x0);
            const float* c = row + x0;
            const float* dn = below + x0;
            int i = 0;
            for (; i + 4 <= count; i += 4) {
                Float4 d, right, down, light;
                std::memcpy(&d, c + i, sizeof d);
                std::memcpy(&right, c + i + 1, sizeof right);
                std::memcpy(&down, dn + i, sizeof down);
                Int4 k;
                pixelTerms(d, right, down, k, light);
                std::memcpy(index + i, &k, sizeof k);
                std::memcpy(nz + i, &light, sizeof light);
            }
            for (; i < count; ++i)
                pixelTerms(c[i], c[i + 1], dn[i], index[i], nz[i]);
            for (int i = 0; i < count; ++i, p += inc) {
                const int k = index[i];
                const std::uint8_t* rgb = colours + 3 * k;
                const float w = lighting ? lightingPower(nz[i]) * static_cast<float>(k) * 512.0f / 2048.0f : 0.0f;
                if (w > 0.0f) {
                    const auto lit = [w](std::uint8_t c) {
                        return static_cast<std::uint8_t>(std::min(255.0f, std::trunc(static_cast<float>(c) + w)));
                    };
                    p[ro] = lit(rgb[0]);
                    p[go] = lit(rgb[1]);
                    p[bo] = lit(rgb[2]);
                } else {
                    p[ro] = rgb[0];
                    p[go] = rgb[1];
                    p[bo] = rgb[2];
                }
            }
        }
    }
}

// Draws a 4-vertex triangle strip from client-side arrays of (x, y) pairs.
void drawStrip(const GLfloat* vertices, const GLfloat* texCoords)
{
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, vertices);
    if (texCoords) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, 0, texCoords);
    }
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glDisableClientState(GL_VERTEX_ARRAY);
    if (texCoords)
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

} // namespace

std::uint32_t gradientBarRowsFor(std::uint32_t n)
{
    return static_cast<std::uint32_t>(std::max(1.0f, static_cast<float>(n) * 0.05f));
}

void colorDensityField(const float* density, std::uint32_t n, const std::vector<std::uint8_t>& gradientColors,
                       bool lighting, std::uint32_t barRows, Surface8u& surface, cpu::WorkerPool* pool)
{
    const int rows = static_cast<int>(n);
    if (!pool || pool->threadCount() < 2 || n < ParallelColouringMinN) {
        colourRows(density, n, gradientColors.data(), lighting, barRows, surface, 0, rows);
        return;
    }
    // Bands of rows, several per thread: a helper that loses its core holds up only a small band.
    struct Job {
        const float* density;
        std::uint32_t n;
        const std::uint8_t* colours;
        bool lighting;
        std::uint32_t barRows;
        Surface8u* surface;
        int bands;
    } job{density, n, gradientColors.data(), lighting, barRows, &surface, static_cast<int>(4 * pool->threadCount())};
    pool->run(
        [](void* context, std::uint32_t band, unsigned) {
            const Job& j = *static_cast<const Job*>(context);
            const int rows = static_cast<int>(j.n), b = static_cast<int>(band);
            colourRows(j.density, j.n, j.colours, j.lighting, j.barRows, *j.surface, rows * b / j.bands,
                         rows * (b + 1) / j.bands);
        },
        &job, static_cast<std::uint32_t>(job.bands));
}

void DensityRenderer::loadDrawProgram()
{
    loadDrawProgram([] { return loadResource(resource::vert_passthru); }, [] { return loadResource(resource::frag_draw); });
}

void DensityRenderer::loadDrawProgram(const SourceLoader& vertex, const SourceLoader& fragment)
{
    drawProgram.reset();
    try {
        drawProgram = gl::GlslProg(vertex(), fragment());
    } catch (const gl::GlslProgCompileExc& e) {
        // The compiler's log ends in a line break of its own; the message is one console line.
        std::string message = e.what();
        while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
            message.pop_back();
        console() << "Shader compile error: " << std::endl;
        console() << message << std::endl;
    } catch (...) {
        console() << "Unable to load shader" << std::endl;
    }
}

void DensityRenderer::updateGridDependents(std::uint32_t n, DensitySource source)
{
    gradientBarRows = gradientBarRowsFor(n);
    if (source == DensitySource::Texture) {
        // A one-cell grid has no neighbour to step to; a zero step leaves it flat instead of sampling at infinity.
        OnePixel = n > 1 ? static_cast<float>(1.0L / static_cast<long double>(n - 1)) : 0.0f;
    } else {
        densitySurface = Surface8u(static_cast<int>(n), static_cast<int>(n), false, SurfaceChannelOrder::RGB);
    }
}

void DensityRenderer::colorDensitySurface(const FluidModel& model, const RenderFlags& flags,
                                          const GradientTable& gradient)
{
    const std::uint32_t n = model.N;
    if (!densitySurface || densitySurface.getWidth() != static_cast<int>(n) ||
        densitySurface.getHeight() != static_cast<int>(n))
        densitySurface = Surface8u(static_cast<int>(n), static_cast<int>(n), false, SurfaceChannelOrder::RGB);
    if (gradient.gradientColors.size() < static_cast<std::size_t>(GradientColorCount) * 3)
        return;   // no scheme chosen yet: nothing to colour with
    const std::uint32_t barRows = flags.showGradientBar ? gradientBarRows : 0;
    if (const float* whole = model.densityField()) {
        if (!colouringPool && std::thread::hardware_concurrency() > 1 && n >= ParallelColouringMinN)
            colouringPool = std::make_shared<cpu::WorkerPool>(1);
        colorDensityField(whole, n, gradient.gradientColors, flags.show3DLighting, barRows,
                          densitySurface, colouringPool.get());
    } else {
        // A model without a field in memory: its cells 1 .. N + 1 (walls included) in a field of that layout.
        const std::size_t stride = static_cast<std::size_t>(n) + 2;
        std::vector<float> field(stride * stride, 0.0f);
        for (std::uint32_t j = 1; j <= n + 1; ++j)
            for (std::uint32_t i = 1; i <= n + 1; ++i)
                field[i + stride * j] = model.getDensity(static_cast<int>(i), static_cast<int>(j));
        colorDensityField(field.data(), n, gradient.gradientColors, flags.show3DLighting, barRows, densitySurface);
    }
}

void DensityRenderer::drawCpuDensity(const FluidModel& model, const RenderFlags& flags, const GradientTable& gradient,
                                     float width, float height)
{
    colorDensitySurface(model, flags, gradient);
    densityTexture = gl::Texture(densitySurface);
    gl::draw(densityTexture, Rectf{0.0f, 0.0f, width, height});
}

void DensityRenderer::drawGpuDensity(const gl::Texture& density, const Rectf& interior, std::uint32_t n,
                                     const RenderFlags& flags, const GradientTable& gradient, float width,
                                     float height) const
{
    const GLfloat vertices[8] = {width, 0.0f, 0.0f, 0.0f, width, height, 0.0f, height};
    const GLfloat texCoords[8] = {interior.x2, interior.y1, interior.x1, interior.y1,
                                  interior.x2, interior.y2, interior.x1, interior.y2};
    if (drawProgram && density && gradient.gradientTexture) {
        drawProgram.bind();
        drawProgram.uniform("Density", 0);
        drawProgram.uniform("GradientColors", 1);
        drawProgram.uniform("LightingFactor", LightingFactor);
        drawProgram.uniform("LightingPower", LightingPower);
        drawProgram.uniform("OnePixel", OnePixel);
        drawProgram.uniform("Show3DLighting", flags.show3DLighting ? 1 : 0);
        density.bind(0);
        gradient.gradientTexture.bind(1);
        drawStrip(vertices, texCoords);
        density.unbind(0);
        gl::GlslProg::unbind();
    } else {
        // Without the program there is nothing to colour with: show black rather than whatever lay beneath.
        GLfloat saved[4];
        glGetFloatv(GL_CURRENT_COLOR, saved);
        const GLboolean textured = glIsEnabled(GL_TEXTURE_2D);
        glDisable(GL_TEXTURE_2D);
        glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
        drawStrip(vertices, nullptr);
        glColor4fv(saved);
        if (textured)
            glEnable(GL_TEXTURE_2D);
    }
    if (flags.showGradientBar && gradient.gradientTexture)
        drawGradientBar(gradient.gradientTexture, n, width, height);
}

void DensityRenderer::drawGradientBar(const gl::Texture& gradientTexture, std::uint32_t n, float width,
                                      float height) const
{
    if (n == 0)
        return;
    const double barHeight =
        std::trunc(static_cast<double>(height) * static_cast<double>(gradientBarRows) / static_cast<double>(n));
    gl::draw(gradientTexture, Rectf{0.0f, 0.0f, width, static_cast<float>(barHeight)});
}

void DensityRenderer::drawHelpPicture(const gl::Texture& help, float width, float height)
{
    if (help)
        gl::draw(help, Rectf{0.0f, 0.0f, width, height});
}

} // namespace vornix
