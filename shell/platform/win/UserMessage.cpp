// A message box owned by the window whose context is current (none before the window exists or after it failed).
#include "shell/platform/UserMessage.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <GLFW/glfw3.h>
#define GLFW_EXPOSE_NATIVE_WIN32
#include <GLFW/glfw3native.h>

#include "shell/Console.h"
#include "shell/platform/win/WideText.h"

namespace vornix {

bool showErrorMessage(const std::string& text)
{
    GLFWwindow* window = glfwGetCurrentContext();
    const HWND owner = window ? glfwGetWin32Window(window) : nullptr;
    if (MessageBoxW(owner, widen(text).c_str(), L"vornix", MB_OK | MB_ICONERROR) != 0)
        return true;
    console() << "The message could not be shown: error " << GetLastError() << std::endl;
    return false;
}

std::optional<bool> askYesNo(const std::string& question)
{
    GLFWwindow* window = glfwGetCurrentContext();
    const int answer = MessageBoxW(window ? glfwGetWin32Window(window) : nullptr, widen(question).c_str(), L"vornix",
                                   MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    if (answer == 0) {
        console() << "The question could not be shown: error " << GetLastError() << std::endl;
        return std::nullopt;
    }
    return answer == IDYES;
}

} // namespace vornix
