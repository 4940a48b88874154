#include "app/studio/WindowIdentity.h"

#include <exception>

#include "shell/Console.h"
#include "shell/Resources.h"
#include "shell/image/ImageTargetSurface.h"

namespace vornix {

void setWindowIdentity(App::Settings& settings)
{
    settings.setWindowClass("vornix");
    std::vector<Surface8u> icons;
    for (const auto& which : {resource::vornix_48, resource::vornix_128}) {
        try {
            icons.push_back(loadSurface(loadResource(which), "png"));
        } catch (const std::exception& e) {
            console() << "The window's icon " << which.id << " is not available: " << e.what() << std::endl;
        }
    }
    settings.setWindowIcons(std::move(icons));
}

} // namespace vornix
