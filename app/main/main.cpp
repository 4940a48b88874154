// The program's entry: the command line's questions (--help, --version, a mistake) are answered without a window;
// otherwise one vornixApp on a GL renderer that asks for 16-sample antialiasing.
#include <memory>
#include <string>
#include <vector>

#include "app/studio/LaunchOptions.h"
#include "app/vornixApp.h"
#include "shell/RendererGl.h"

int main(int argc, char** argv)
{
    if (const auto status = vornix::answerWithoutWindow(std::vector<std::string>(argv, argv + argc)))
        return *status;
    return vornix::AppBasic::launch<vornix::vornixApp>("vornixApp", std::make_shared<vornix::RendererGl>(5), argc,
                                                       argv);
}
