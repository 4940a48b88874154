// zenity's file selection (it never changes this process's working folder).
#include "shell/platform/OpenFileDialog.h"

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
    return platform::runFileSelection(args, "Open dialog");
}

} // namespace vornix
