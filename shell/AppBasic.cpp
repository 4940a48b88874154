#include "shell/AppBasic.h"

#include "shell/platform/AppImplGlfw.h"

namespace vornix {

AppBasic::AppBasic() = default;
AppBasic::~AppBasic() = default;

void AppBasic::quit()
{
    if (impl_)
        impl_->quit();
}

int AppBasic::getWindowWidth() const { return impl_ ? impl_->width() : 0; }

int AppBasic::getWindowHeight() const { return impl_ ? impl_->height() : 0; }

bool AppBasic::isFullScreen() const { return impl_ ? impl_->isFullScreen() : settings_.fullScreen; }

void AppBasic::setFullScreen(bool fullScreen)
{
    if (impl_)
        impl_->setFullScreen(fullScreen);
}

float AppBasic::getFrameRate() const { return impl_ ? impl_->frameRate() : settings_.frameRate; }

int AppBasic::run(const std::string& label, std::shared_ptr<RendererGl> renderer, std::vector<std::string> args)
{
    setArgs(std::move(args));
    if (!renderer)
        renderer = std::make_shared<RendererGl>();
    setRenderer(renderer);
    settings_.title = label;
    prepareSettings(&settings_);
    if (settings_.shouldQuit)
        return 0;
    impl_ = std::make_unique<platform::AppImplGlfw>(*this, settings_, *renderer);
    const int status = impl_->run();
    impl_.reset();
    return status;
}

} // namespace vornix
