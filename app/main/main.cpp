// The program's entry: one vornixApp on a GL renderer that asks for 16-sample antialiasing.
#include <memory>

#include "app/vornixApp.h"
#include "shell/RendererGl.h"

int main(int argc, char** argv)
{
    return vornix::AppBasic::launch<vornix::vornixApp>("vornixApp", std::make_shared<vornix::RendererGl>(5), argc,
                                                       argv);
}
