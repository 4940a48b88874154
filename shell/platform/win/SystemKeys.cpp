// GLFW turns WM_SYSKEYDOWN and WM_SYSKEYUP into key events and then hands them to DefWindowProc, which closes the
// window on Alt+F4. The window procedure is wrapped so that GLFW receives them as WM_KEYDOWN and WM_KEYUP: GLFW
// handles both pairs the same way (the key, its scan code and the modifiers come from the message and the key
// state), and the default handling of plain key messages does nothing. Alt menus are off in GLFW already.
#include "shell/platform/SystemKeys.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <GLFW/glfw3.h>
#define GLFW_EXPOSE_NATIVE_WIN32
#include <GLFW/glfw3native.h>

namespace vornix::platform {

namespace {

WNDPROC glfwProcedure = nullptr;   // GLFW's window procedure: one for all windows of its class

LRESULT CALLBACK systemKeysAsKeys(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SYSKEYDOWN)
        message = WM_KEYDOWN;
    else if (message == WM_SYSKEYUP)
        message = WM_KEYUP;
    return CallWindowProcW(glfwProcedure, window, message, wParam, lParam);
}

} // namespace

void keepSystemKeysForTheApplication(GLFWwindow* window)
{
    HWND hwnd = glfwGetWin32Window(window);
    const auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
    if (!hwnd || current == &systemKeysAsKeys)
        return;
    glfwProcedure = current;
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&systemKeysAsKeys));
}

} // namespace vornix::platform
