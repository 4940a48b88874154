// Windows finds "Arial" only where it is installed (Wine has none; the program then runs on without the framerate
// line): tests that measure or draw with it skip there.
#pragma once

#include <gtest/gtest.h>

#include "shell/Font.h"
#include "shell/platform/FontMatch.h"

inline bool arialMissing()
{
    try {
        vornix::matchFontFamily("Arial");
        return false;
    } catch (const vornix::FontLoadExc&) {
        return true;
    }
}

#define SKIP_WITHOUT_ARIAL() \
    if (arialMissing()) \
    GTEST_SKIP() << "no font for \"Arial\" here"
