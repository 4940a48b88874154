// Embedded resources: lookup by id and type, and the failure message.
#include <gtest/gtest.h>

#include "shell/Resources.h"

TEST(Resources, UnknownIdOrTypeRaisesTheNamedFailure)
{
    try {
        vornix::loadResource(138, "GLSL");
        FAIL();
    } catch (const vornix::ResourceLoadExc& e) {
        EXPECT_STREQ(e.what(), "Failed to load resource: #138 type: GLSL");
    }
    EXPECT_THROW(vornix::loadResource(999, "IMG"), vornix::ResourceLoadExc);
}
