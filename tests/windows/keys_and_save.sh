#!/usr/bin/env bash
# vornix.exe under Wine: Alt+F4 is a key for the program and leaves the window open; the save dialog's paths end to
# end: a .jpg name gives a JPEG, a name without extension or with another one gives a PNG under the corrected name,
# and a cancelled dialog writes nothing while the program runs on.
source "$VORNIX_SOURCE/tests/windows/lib_wine.sh"

out=$(e2e_fresh_dir saved)
# A window that goes away while import reads it leaves import waiting for ever: every screenshot has a time limit.
e2e_shot() {
  local file="$E2E_DIR/$1.png"
  timeout 20 import -window "$E2E_WID" "$file"
  echo "$file"
}

wine_start
app_dismiss_help

# Alt+F4 reaches the program as a key. Had the system's default handling closed the window, the loop would have
# ended before the next key: 'm' then never shows the panel.
xdotool key alt+F4
check 'app_toggle_panel shown' "after Alt+F4 the program still runs ('m' shows the panel)"
check 'app_toggle_panel hidden' "and hides it again"
check 'kill -0 "$E2E_PID" 2>/dev/null && xdotool getwindowname "$E2E_WID" >/dev/null 2>&1' \
  "Alt+F4 leaves the window open"
kill -0 "$E2E_PID" 2>/dev/null || e2e_finish

save() {   # NAME: 's', the name typed into the dialog (a Windows path in the scratch folder), Return
  e2e_key s
  wine_dialog_save "$out/$1"
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
e2e_focus_titled "^Save As$" >/dev/null && xdotool key Escape
check 'e2e_wait 20 wine_dialog_gone' "Escape closes the save dialog"
xdotool windowfocus --sync "$E2E_WID"
check 'app_toggle_panel shown && app_toggle_panel hidden' "after a cancelled dialog the program runs on"
check '[ "$(ls "$out" | sort | tr "\n" " ")" = "$before" ]' "a cancelled dialog writes no file"

e2e_close
check '[ "$E2E_STATUS" = 0 ]' "the close request ends the program with status 0 (got $E2E_STATUS)"
wine_program_lines
e2e_finish
