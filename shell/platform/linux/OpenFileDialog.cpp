// zenity's file selection (it never changes this process's working folder).
#include "shell/platform/OpenFileDialog.h"

#include "shell/Console.h"
#include "shell/Path.h"
#include "shell/platform/linux/Zenity.h"

namespace vornix {

std::optional<std::string> getOpenFilePath(const std::string& title, const std::string& filterName,
                                           const std::vector<std::string>& extensions)
{
    // The toolkit's patterns are case-sensitive: each extension in lower and upper case.
    std::string filter = "--file-filter=" + filterName + " |";
    for (const auto& extension : extensions) {
        std::string upper = toLowerAscii(extension);
        for (char& c : upper)
            c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        filter += " *." + toLowerAscii(extension) + " *." + upper;
    }
    const std::vector<std::string> args = {"--file-selection", "--title=" + title, filter, "--file-filter=All files | *"};
    std::string error;
    const auto result = platform::runZenity(args, error);
    if (!result) {
        console() << "Open dialog could not be shown: " << error << std::endl;
        return std::nullopt;
    }
    if (result->status == 0)
        return result->output;
    if (result->status == 1)
        return std::string();   // cancelled
    console() << "Open dialog could not be shown: zenity ended with status " << result->status << std::endl;
    return std::nullopt;
}

} // namespace vornix
