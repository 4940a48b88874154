// A zenity error dialog; the program waits until the user has closed it.
#include "shell/platform/UserMessage.h"

#include "shell/Console.h"
#include "shell/platform/linux/Zenity.h"

namespace vornix {

bool showErrorMessage(const std::string& text)
{
    std::string error;
    const auto result = platform::runZenity({"--error", "--title=vornix", "--no-markup", "--text=" + text}, error);
    if (!result) {
        console() << "The message could not be shown: " << error << std::endl;
        return false;
    }
    if (result->status != 0 && result->status != 1 && result->status != 5) {
        console() << "The message could not be shown: zenity ended with status " << result->status << std::endl;
        return false;
    }
    return true;
}

std::optional<bool> askYesNo(const std::string& question)
{
    std::string error;
    const auto result = platform::runZenity(
        {"--question", "--title=vornix", "--no-markup", "--default-cancel", "--text=" + question}, error);
    if (!result) {
        console() << "The question could not be shown: " << error << std::endl;
        return std::nullopt;
    }
    if (result->status == 0 || result->status == 1)
        return result->status == 0;
    console() << "The question could not be shown: zenity ended with status " << result->status << std::endl;
    return std::nullopt;
}

} // namespace vornix
