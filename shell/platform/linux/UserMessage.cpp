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

} // namespace vornix
