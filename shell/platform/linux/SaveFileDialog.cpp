// The dialog is zenity's file selection, its standard output read as the chosen path.
#include "shell/platform/SaveFileDialog.h"

#include "shell/Console.h"
#include "shell/platform/ReplaceQuestion.h"
#include "shell/platform/linux/Zenity.h"

namespace vornix {

std::optional<std::string> getSaveFilePath(const std::string& initialPath, const std::vector<std::string>& extensions)
{
    return getSaveFilePath(initialPath, extensions, "Save Picture");
}

std::optional<std::string> getSaveFilePath(const std::string& initialPath, const std::vector<std::string>& extensions,
                                           const std::string& title)
{
    std::string filter = "--file-filter=Supported Types |";
    for (const auto& extension : extensions)
        filter += " *." + extension;
    std::vector<std::string> args = {"--file-selection", "--save", "--confirm-overwrite"};
    if (!title.empty())
        args.push_back("--title=" + title);
    args.push_back(filter);
    if (!initialPath.empty())
        args.push_back("--filename=" + initialPath);

    return platform::runFileSelection(args, "Save dialog");
}

namespace platform {

std::optional<bool> askToReplace(const std::string& path)
{
    // "No" is the default button: a stray Return keeps the file.
    const std::vector<std::string> args = {"--question", "--title=Confirm Save As", "--no-markup", "--default-cancel",
                                           "--text=" + replaceQuestion(path)};
    std::string error;
    const auto result = runZenity(args, error);
    if (!result) {
        console() << "The question whether to replace " << path << " could not be shown: " << error << std::endl;
        return std::nullopt;
    }
    if (result->status == 0 || result->status == 1)
        return result->status == 0;
    console() << "The question whether to replace " << path << " could not be shown: zenity ended with status "
              << result->status << std::endl;
    return std::nullopt;
}

} // namespace platform

} // namespace vornix
