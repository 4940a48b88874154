#!/usr/bin/env bash
# vornix.exe under Wine, on the display and Wine server scripts/test-windows provides: the window and its title at
# 600 x 600, the help picture, a click dismisses it, a right drag leaves dye, 'm' shows the panel, 's' saves a PNG
# through Wine's common save dialog (the name typed with xdotool), and the window manager's close request ends the
# program with status 0.
source "$VORNIX_SOURCE/tests/windows/lib_wine.sh"

out=$(e2e_fresh_dir saved)

wine_start
check '[ "$(xdotool getwindowname "$E2E_WID")" = "vornix - Quillon'"'"'s interactive fluidum" ]' "the window's title"
check 'xdotool getwindowgeometry "$E2E_WID" | grep -q "Geometry: 600x600"' "the window is 600 x 600"
check 'app_is_help "$E2E_DIR/start.png"' "the help picture is shown first"
check 'app_dismiss_help' "a click dismisses the help picture"

region() { e2e_sum "$(e2e_mean "$1" "$2" "$3" "$4" "$5")"; }
e2e_drag 3 150 450 450 450
stroke() { [ "$(region "$1" 290 440 20 20)" -ge 60 ] && [ "$(region "$1" 440 440 20 20)" -ge 60 ]; }
check 'app_shot_until stroke 20 stroke' "a right drag leaves dye along its path"
check '[ "$(region "$E2E_DIR/stroke.png" 0 0 600 300)" -le 1 ]' "no dye in the upper half of the window"
e2e_key space   # paused: the saved picture can be compared with the window

check 'app_toggle_panel shown' "'m' shows the panel"
app_toggle_panel hidden
e2e_shot paused >/dev/null

# Wine's save dialog: it has the focus once it is mapped; the name is a Windows path to the scratch folder.
e2e_key s
dialog=$(e2e_focus_titled "^Save As$")
check '[ -n "$dialog" ]' "'s' opens the save dialog"
if [ -n "$dialog" ]; then
  xdotool type --delay 15 "$(winpath "$out/fluid.png")"
  xdotool key Return
  e2e_wait 20 test -s "$out/fluid.png"
fi
check '[ "$(identify -format "%m %wx%h" "$out/fluid.png" 2>&1)" = "PNG 600x600" ]' "the saved file is a 600 x 600 PNG"
check '[ "$(app_rmse "$out/fluid.png" "$E2E_DIR/paused.png")" -le 1 ]' "the saved picture shows the window's fluid"

e2e_close
check '[ "$E2E_STATUS" = 0 ]' "the close request ends the program with status 0 (got $E2E_STATUS)"
wine_program_lines
e2e_finish
