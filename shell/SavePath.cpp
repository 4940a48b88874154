// The save dialog's answer and the extension rule, asking again when the rule picked the name of an existing file.
#include <filesystem>
#include <system_error>

#include "shell/Path.h"
#include "shell/platform/ReplaceQuestion.h"
#include "shell/platform/SaveFileDialog.h"

namespace vornix {

std::string savePathWithExtension(const std::string& path, const std::vector<std::string>& extensions)
{
    if (extensions.empty())
        return path;
    const std::string extension = toLowerAscii(pathExtension(path));
    for (const std::string& allowed : extensions)
        if (!extension.empty() && extension == toLowerAscii(allowed))
            return path;
    return replaceExtension(path, extensions.front());
}

namespace {

// The dialog's answer after the extension rule.
std::optional<std::string> applyExtensionRule(const std::optional<std::string>& chosen,
                                              const std::vector<std::string>& extensions)
{
    if (!chosen || chosen->empty())
        return chosen;
    const std::string path = savePathWithExtension(*chosen, extensions);
    std::error_code error;
    if (path == *chosen || !std::filesystem::exists(pathFromUtf8(path), error))
        return path;
    const std::optional<bool> replace = platform::askToReplace(path);
    if (!replace)
        return std::nullopt;
    return *replace ? path : std::string();
}

} // namespace

std::optional<std::string> chooseSavePath(const std::string& initialPath, const std::vector<std::string>& extensions)
{
    return applyExtensionRule(getSaveFilePath(initialPath, extensions), extensions);
}

std::optional<std::string> chooseSavePath(const std::string& initialPath, const std::vector<std::string>& extensions,
                                          const std::string& title)
{
    return applyExtensionRule(getSaveFilePath(initialPath, extensions, title), extensions);
}

namespace platform {

std::string replaceQuestion(const std::string& path)
{
    return fileName(path) + " already exists.\nDo you want to replace it?";
}

} // namespace platform

} // namespace vornix
