// The one GL context every GL test runs in: a hidden window made once for the whole test program.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#ifdef __linux__
#include <dlfcn.h>
#include <link.h>
#endif
#include <memory>

#include "shell/platform/HiddenGlContext.h"

namespace {

// Keeps the GL driver's libraries mapped until exit. Otherwise GLFW's shutdown unloads the driver while its own
// allocations are still referenced only from its globals, and LeakSanitizer reports them as leaks of
// "<unknown module>".
void pinGlDriverLibraries()
{
#ifdef __linux__
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            const char* name = info->dlpi_name;
            if (name && (std::strstr(name, "dri") || std::strstr(name, "LLVM") || std::strstr(name, "gallium") ||
                         std::strstr(name, "GLX_mesa")))
                dlopen(name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
#endif
}

std::unique_ptr<vornix::HiddenGlContext> context_;

class GlEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        context_ = std::make_unique<vornix::HiddenGlContext>(64, 64);
        pinGlDriverLibraries();
        std::printf("GL tests run on: %s\n", context_->renderer().c_str());
    }
    void TearDown() override { context_.reset(); }
};

[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new GlEnvironment);

} // namespace

// For tests that run a window of their own: the shared context is current again afterwards.
void makeTestContextCurrent() { context_->makeCurrent(); }
