// The one GL context every GL test runs in: a hidden window made once for the whole test program.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "shell/platform/HiddenGlContext.h"

namespace {

class GlEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        context_ = std::make_unique<vornix::HiddenGlContext>(64, 64);
        std::printf("GL tests run on: %s\n", context_->renderer().c_str());
    }
    void TearDown() override { context_.reset(); }

private:
    std::unique_ptr<vornix::HiddenGlContext> context_;
};

[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new GlEnvironment);

} // namespace
