#!/usr/bin/env bash
# vornix on a screen at 150 %: Xft.dpi 144, which GLFW on X11 takes as the monitor's content scale. The checks are
# in lib_scaled.sh (the Wine test makes the same ones).
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/lib_app.sh"
source "$(dirname "$0")/lib_scaled.sh"

# The display is this test's own (lib.sh), kept without resets: the setting lasts as long as the test.
echo 'Xft.dpi: 144' | xrdb -nocpp -merge
check '[ "$(xrdb -query | awk "/^Xft.dpi:/ { print \$2 }")" = 144 ]' "the display's Xft.dpi is 144"
scaled_start "$VORNIX_BIN"
scaled_checks
e2e_finish
