#!/usr/bin/env bash
# vornix.exe under Wine, on the display and Wine server scripts/test-windows provides: the window and its title at
# 600 x 600, the help picture, a click dismisses it, a right drag leaves dye, 'm' shows the panel, 's' saves a PNG
# through Wine's common save dialog (the name typed with xdotool), and the window manager's close request ends the
# program with status 0.
export E2E_INSIDE_XVFB=1   # the display is the one the Wine server already uses
source "$VORNIX_SOURCE/tests/e2e/lib.sh"
source "$VORNIX_SOURCE/tests/e2e/lib_app.sh"
: "${WINEPREFIX:?run through scripts/test-windows}"

out="$E2E_DIR/saved"
rm -rf "$out"
mkdir -p "$out"

convert "$VORNIX_SOURCE/resources/help.jpg" -resize '600x600!' "$APP_HELP_REF"
e2e_start wine "$VORNIX_BIN"
xdotool windowfocus --sync "$E2E_WID"
app_shot_until start 60 app_is_help
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
dialog=$(timeout 30 xdotool search --sync --onlyvisible --name "^Save As$" | head -n 1)
check '[ -n "$dialog" ]' "'s' opens the save dialog"
if [ -n "$dialog" ]; then
  for _ in $(seq 1 50); do
    xdotool windowfocus --sync "$dialog" 2>/dev/null
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$dialog" ] && break
    sleep 0.2
  done
  xdotool type --delay 15 "Z:${out//\//\\}\\fluid.png"
  xdotool key Return
  e2e_wait 20 test -s "$out/fluid.png"
fi
check '[ "$(identify -format "%m %wx%h" "$out/fluid.png" 2>&1)" = "PNG 600x600" ]' "the saved file is a 600 x 600 PNG"
check '[ "$(app_rmse "$out/fluid.png" "$E2E_DIR/paused.png")" -le 1 ]' "the saved picture shows the window's fluid"

e2e_close
check '[ "$E2E_STATUS" = 0 ]' "the close request ends the program with status 0 (got $E2E_STATUS)"
tr -d '\r' <"$E2E_DIR/stderr.log" | grep -v '^$' | sed 's/^/program: /'
e2e_finish
