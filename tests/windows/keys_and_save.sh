#!/usr/bin/env bash
# vornix.exe under Wine: Alt+F4 is a key for the program and leaves the window open; the save dialog's paths end to
# end: a .jpg name gives a JPEG, a name without extension or with another one gives a PNG under the corrected name,
# and a cancelled dialog writes nothing while the program runs on.
export E2E_INSIDE_XVFB=1   # the display is the one the Wine server already uses
source "$VORNIX_SOURCE/tests/e2e/lib.sh"
source "$VORNIX_SOURCE/tests/e2e/lib_app.sh"
: "${WINEPREFIX:?run through scripts/test-windows}"

out="$E2E_DIR/saved"
rm -rf "$out"
mkdir -p "$out"
winout="Z:${out//\//\\}"
# A window that goes away while import reads it leaves import waiting for ever: every screenshot has a time limit.
e2e_shot() {
  local file="$E2E_DIR/$1.png"
  timeout 20 import -window "$E2E_WID" "$file"
  echo "$file"
}

convert "$VORNIX_SOURCE/resources/help.jpg" -resize '600x600!' "$APP_HELP_REF"
e2e_start wine "$VORNIX_BIN"
xdotool windowfocus --sync "$E2E_WID"
app_shot_until start 60 app_is_help
app_dismiss_help

# Alt+F4 reaches the program as a key. Had the system's default handling closed the window, the loop would have
# ended before the next key: 'm' then never shows the panel.
xdotool key alt+F4
check 'app_toggle_panel shown' "after Alt+F4 the program still runs ('m' shows the panel)"
check 'app_toggle_panel hidden' "and hides it again"
check 'kill -0 "$E2E_PID" 2>/dev/null && xdotool getwindowname "$E2E_WID" >/dev/null 2>&1' \
  "Alt+F4 leaves the window open"
kill -0 "$E2E_PID" 2>/dev/null || e2e_finish

# Wine's save dialog ("Save As"): waits until it is mapped and has the focus.
dialog_window() {
  dialog=$(timeout 30 xdotool search --sync --onlyvisible --name "^Save As$" | head -n 1)
  [ -n "$dialog" ] || { echo "no save dialog appeared"; return 1; }
  for _ in $(seq 1 50); do
    xdotool windowfocus --sync "$dialog" 2>/dev/null
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$dialog" ] && return 0
    sleep 0.2
  done
  echo "the save dialog did not take the focus"
  return 1
}
dialog_gone() { ! xdotool search --onlyvisible --name "^Save As$" >/dev/null 2>&1; }
# save NAME: 's', the name typed into the dialog (a Windows path in the scratch folder), Return.
save() {
  e2e_key s
  dialog_window || return 1
  xdotool type --delay 15 "$winout\\$1"
  xdotool key Return
  e2e_wait 20 dialog_gone && xdotool windowfocus --sync "$E2E_WID"
}
kind() { identify -format "%m %wx%h" "$out/$1" 2>&1; }

save shot.jpg && e2e_wait 20 test -s "$out/shot.jpg"
check '[ "$(kind shot.jpg)" = "JPEG 600x600" ]' "a .jpg name is saved as a 600 x 600 JPEG (got $(kind shot.jpg))"
save noext && e2e_wait 20 test -s "$out/noext.png"
check '[ "$(kind noext.png)" = "PNG 600x600" ]' "a name without extension is saved as NAME.png"
save other.bmp && e2e_wait 20 test -s "$out/other.png"
check '[ "$(kind other.png)" = "PNG 600x600" ] && [ ! -e "$out/other.bmp" ]' "a .bmp name is saved as .png instead"

# Cancel: the dialog goes, nothing new is written, and the program goes on drawing frames.
before=$(ls "$out" | sort | tr '\n' ' ')
e2e_key s
dialog_window && xdotool key Escape
check 'e2e_wait 20 dialog_gone' "Escape closes the save dialog"
xdotool windowfocus --sync "$E2E_WID"
check 'app_toggle_panel shown && app_toggle_panel hidden' "after a cancelled dialog the program runs on"
check '[ "$(ls "$out" | sort | tr "\n" " ")" = "$before" ]' "a cancelled dialog writes no file"

e2e_close
check '[ "$E2E_STATUS" = 0 ]' "the close request ends the program with status 0 (got $E2E_STATUS)"
tr -d '\r' <"$E2E_DIR/stderr.log" | grep -v '^$' | sed 's/^/program: /'
e2e_finish
