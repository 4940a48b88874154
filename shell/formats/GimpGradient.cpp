#include "shell/formats/GimpGradient.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "shell/formats/TextLines.h"

namespace vornix {

namespace {

constexpr double Epsilon = 1e-10;
// Neighbouring segments written with six decimals may miss each other by rounding.
constexpr double Seam = 1e-5;

// The factor that puts 0.5 at the middle point and runs linearly on each side of it.
double linearFactor(double middle, double pos)
{
    if (pos <= middle)
        return middle < Epsilon ? 0.0 : 0.5 * pos / middle;
    pos -= middle;
    middle = 1.0 - middle;
    return middle < Epsilon ? 1.0 : 0.5 + 0.5 * pos / middle;
}

double blendFactor(GimpSegment::Blend blend, double middle, double pos)
{
    switch (blend) {
    case GimpSegment::Curved:
        // A middle point at either end makes the exponent 0 or infinite: kept just inside, the curve becomes a step
        // at that end, as the segment's shape suggests.
        return std::pow(pos, std::log(0.5) / std::log(std::clamp(middle, Epsilon, 1.0 - Epsilon)));
    case GimpSegment::Sine:
        return (std::sin(-std::numbers::pi / 2.0 + std::numbers::pi * linearFactor(middle, pos)) + 1.0) / 2.0;
    case GimpSegment::SphereIncreasing: {
        const double p = linearFactor(middle, pos) - 1.0;
        return std::sqrt(std::max(0.0, 1.0 - p * p));
    }
    case GimpSegment::SphereDecreasing: {
        const double p = linearFactor(middle, pos);
        return 1.0 - std::sqrt(std::max(0.0, 1.0 - p * p));
    }
    case GimpSegment::Step:
        return pos >= middle ? 1.0 : 0.0;
    case GimpSegment::Linear:
    default:
        return linearFactor(middle, pos);
    }
}

struct Hsv {
    double h, s, v;
};

Hsv toHsv(const double* c)
{
    const double max = std::max({c[0], c[1], c[2]}), min = std::min({c[0], c[1], c[2]}), delta = max - min;
    Hsv out{0.0, max > 0.0 ? delta / max : 0.0, max};
    if (delta > 0.0) {
        if (c[0] == max)
            out.h = (c[1] - c[2]) / delta;
        else if (c[1] == max)
            out.h = 2.0 + (c[2] - c[0]) / delta;
        else
            out.h = 4.0 + (c[0] - c[1]) / delta;
        out.h /= 6.0;
        if (out.h < 0.0)
            out.h += 1.0;
    }
    return out;
}

void fromHsv(const Hsv& hsv, double* c)
{
    if (hsv.s <= 0.0) {
        c[0] = c[1] = c[2] = hsv.v;
        return;
    }
    const double h = (hsv.h >= 1.0 ? 0.0 : hsv.h) * 6.0;
    const int sector = static_cast<int>(std::floor(h));
    const double f = h - sector, p = hsv.v * (1.0 - hsv.s), q = hsv.v * (1.0 - hsv.s * f),
                 t = hsv.v * (1.0 - hsv.s * (1.0 - f));
    const double table[6][3] = {{hsv.v, t, p}, {q, hsv.v, p}, {p, hsv.v, t},
                                {p, q, hsv.v}, {t, p, hsv.v}, {hsv.v, p, q}};
    std::copy(table[std::clamp(sector, 0, 5)], table[std::clamp(sector, 0, 5)] + 3, c);
}

} // namespace

std::optional<GimpGradient> parseGimpGradient(std::string_view text, std::string& error)
{
    TextLines lines(text);
    GimpGradient gradient;
    std::string_view line;
    if (!lines.next(line) || line != "GIMP Gradient") {
        error = "not a GIMP gradient (the first line is not \"GIMP Gradient\")";
        return std::nullopt;
    }
    if (!lines.next(line)) {
        error = "the number of segments is missing";
        return std::nullopt;
    }
    if (line.rfind("Name:", 0) == 0) {
        gradient.name = trimmed(line.substr(5));
        if (!lines.next(line)) {
            error = "the number of segments is missing";
            return std::nullopt;
        }
    }
    const auto count = parseWhole(trimmed(line));
    if (!count || *count < 1 || *count > static_cast<long long>(MaxGimpSegments)) {
        error = "line " + std::to_string(lines.number()) + ": the number of segments must be 1 to " +
                std::to_string(MaxGimpSegments) + ", not \"" + std::string(trimmed(line).substr(0, 40)) + "\"";
        return std::nullopt;
    }
    for (long long k = 0; k < *count; ++k) {
        if (!lines.next(line)) {
            error = "the file ends after " + std::to_string(k) + " of " + std::to_string(*count) + " segments";
            return std::nullopt;
        }
        const std::string where = "line " + std::to_string(lines.number()) + ": ";
        const std::vector<double> v = parseNumbers(line);
        if (v.size() < 13 || v.size() > 15) {
            error = where + "a segment has 13 to 15 numbers";
            return std::nullopt;
        }
        if (!std::all_of(v.begin(), v.end(), [](double d) { return std::isfinite(d); })) {
            error = where + "a number is not finite";
            return std::nullopt;
        }
        GimpSegment s;
        s.left = v[0];
        s.middle = v[1];
        s.right = v[2];
        for (int c = 0; c < 4; ++c) {
            s.leftColor[c] = v[3 + c];
            s.rightColor[c] = v[7 + c];
        }
        if (!(0.0 <= s.left && s.left <= s.middle && s.middle <= s.right && s.right <= 1.0)) {
            error = where + "the segment's points must run 0 <= left <= middle <= right <= 1";
            return std::nullopt;
        }
        for (int c = 0; c < 4; ++c)
            if (s.leftColor[c] < 0.0 || s.leftColor[c] > 1.0 || s.rightColor[c] < 0.0 || s.rightColor[c] > 1.0) {
                error = where + "a colour value lies outside 0 to 1";
                return std::nullopt;
            }
        if (v[11] != std::floor(v[11]) || v[11] < 0 || v[11] > 5 || v[12] != std::floor(v[12]) || v[12] < 0 ||
            v[12] > 2) {
            error = where + "the blending must be 0 to 5 and the colouring 0 to 2";
            return std::nullopt;
        }
        s.blend = static_cast<GimpSegment::Blend>(static_cast<int>(v[11]));
        s.coloring = static_cast<GimpSegment::Coloring>(static_cast<int>(v[12]));
        const double expectedLeft = gradient.segments.empty() ? 0.0 : gradient.segments.back().right;
        if (std::fabs(s.left - expectedLeft) > Seam) {
            error = where + "the segment does not start where the one before ends";
            return std::nullopt;
        }
        gradient.segments.push_back(s);
    }
    if (std::fabs(gradient.segments.back().right - 1.0) > Seam) {
        error = "the last segment does not end at 1";
        return std::nullopt;
    }
    return gradient;
}

ColorA gimpGradientColor(const GimpGradient& gradient, double x)
{
    if (gradient.segments.empty())
        return {};
    x = std::clamp(x, 0.0, 1.0);
    // The first segment whose right end reaches x.
    const auto it = std::lower_bound(gradient.segments.begin(), gradient.segments.end(), x,
                                     [](const GimpSegment& s, double v) { return s.right < v; });
    const GimpSegment& s = it == gradient.segments.end() ? gradient.segments.back() : *it;
    const double length = s.right - s.left;
    double middle = 0.5, pos = 0.5;
    if (length >= Epsilon) {
        middle = (s.middle - s.left) / length;
        pos = std::clamp((x - s.left) / length, 0.0, 1.0);
    }
    const double factor = blendFactor(s.blend, middle, pos);
    double rgb[3];
    if (s.coloring == GimpSegment::Rgb) {
        for (int c = 0; c < 3; ++c)
            rgb[c] = s.leftColor[c] + (s.rightColor[c] - s.leftColor[c]) * factor;
    } else {
        const Hsv l = toHsv(s.leftColor), r = toHsv(s.rightColor);
        Hsv out{0.0, l.s + (r.s - l.s) * factor, l.v + (r.v - l.v) * factor};
        if (s.coloring == GimpSegment::HsvCounterClockwise) {
            if (l.h < r.h) {
                out.h = l.h + (r.h - l.h) * factor;
            } else {
                out.h = l.h + (1.0 - (l.h - r.h)) * factor;
                if (out.h > 1.0)
                    out.h -= 1.0;
            }
        } else {
            if (r.h < l.h) {
                out.h = l.h - (l.h - r.h) * factor;
            } else {
                out.h = l.h - (1.0 - (r.h - l.h)) * factor;
                if (out.h < 0.0)
                    out.h += 1.0;
            }
        }
        fromHsv(out, rgb);
    }
    const double alpha = s.leftColor[3] + (s.rightColor[3] - s.leftColor[3]) * factor;
    return ColorA{static_cast<float>(rgb[0]), static_cast<float>(rgb[1]), static_cast<float>(rgb[2]),
                  static_cast<float>(alpha)};
}

} // namespace vornix
