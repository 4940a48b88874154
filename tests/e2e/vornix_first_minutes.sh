#!/usr/bin/env bash
# What a new user meets in the first minutes: the window names itself "vornix" and carries the program's icon, so a
# dock or task bar matches it to the menu entry; on software OpenGL (llvmpipe here) a notice over the help picture
# and one console line say that the CPU engine is faster, and the click that starts takes the notice away.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/lib_app.sh"

app_start
wm_class=$(xprop -id "$E2E_WID" WM_CLASS)
check '[ "$wm_class" = "WM_CLASS(STRING) = \"vornix\", \"vornix\"" ]' "the window's class and instance are vornix ($wm_class)"
icons=$(xprop -id "$E2E_WID" _NET_WM_ICON | grep -o "Icon ([0-9]* x [0-9]*)" | tr '\n' ' ')
check '[ "$icons" = "Icon (48 x 48) Icon (128 x 128) " ]' "the window carries the icon at 48 and 128 pixels ($icons)"


advice="OpenGL is drawn in software on this computer (llvmpipe"
check '[ "$(grep -c "^$advice" "$E2E_DIR/stderr.log")" = 1 ]' "one console line says OpenGL is drawn in software"
check 'app_notice_over "$E2E_DIR/start.png" "$APP_HELP_REF"' "a notice over the help picture says so too"
app_dismiss_help
check 'app_is_black "$E2E_DIR/dismissed.png"' "the click that dismisses the help picture takes the notice away"

e2e_close
check '[ "$E2E_STATUS" = 0 ]' "closing the window ends the program with status 0 (status $E2E_STATUS)"
e2e_finish
