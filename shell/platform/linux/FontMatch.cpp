// Family names resolve through fontconfig, which substitutes metric-compatible faces (Arial: Liberation Sans).
#include <fontconfig/fontconfig.h>

#include "shell/Font.h"
#include "shell/platform/FontMatch.h"

namespace vornix {

std::pair<std::string, int> matchFontFamily(const std::string& family)
{
    if (!FcInit())
        throw FontLoadExc("fontconfig could not be initialised");
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    std::pair<std::string, int> found{"", 0};
    if (match) {
        FcChar8* file = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file)
            found.first = reinterpret_cast<const char*>(file);
        FcPatternGetInteger(match, FC_INDEX, 0, &found.second);
        FcPatternDestroy(match);
    }
    if (found.first.empty())
        throw FontLoadExc("No font found for family \"" + family + "\"");
    return found;
}

} // namespace vornix
