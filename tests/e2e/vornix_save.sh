#!/usr/bin/env bash
# Saving pictures through the real save dialog (zenity, answered with xdotool): with the panel shown, 's' writes a
# 600 x 600 PNG (three 8-bit channels) of the fluid without the panel, and so does the panel's button, then a JPEG of
# quality 90; a cancelled dialog writes nothing; a name without an extension is saved as .png. The fluid is paused, so the saved files can be compared with the window.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/lib_app.sh"

out=$(e2e_fresh_dir saved)   # the dialog only accepts folders that exist

app_start
app_dismiss_help
check 'app_use_cpu' "the panel's \"Render Engine\" switches to CPU"
region() { e2e_sum "$(e2e_mean "$1" "$2" "$3" "$4" "$5")"; }
e2e_drag 3 350 300 550 300
dye() { [ "$(region "$1" 440 290 20 20)" -ge 60 ]; }
check 'app_shot_until dye 20 dye' "a right drag drops dye to save"
e2e_key space
app_toggle_panel shown
sleep 0.5
e2e_shot with-panel >/dev/null

# PNG, with the panel shown: the file holds the fluid only, and the panel is back afterwards.
e2e_key s
e2e_dialog_save "$out/fluid.png"
e2e_wait 10 test -s "$out/fluid.png"   # the program writes the file after the dialog has gone
# The PNG header's bit depth and colour type: 8 bits, type 2 (three channels, no alpha).
png_kind() { identify -format "%m %wx%h %[png:IHDR.bit-depth-orig] %[png:IHDR.color-type-orig]" "$1" 2>&1; }
check '[ "$(png_kind "$out/fluid.png")" = "PNG 600x600 8 2" ]' "'s' saved fluid.png, a 600 x 600 PNG of three 8-bit channels ($(png_kind "$out/fluid.png"))"
check 'app_panel_hidden "$out/fluid.png"' "the saved picture has no panel where the window shows it (title bar $(app_title_sum "$out/fluid.png"))"
check 'dye "$out/fluid.png"' "the saved picture shows the dye where it was painted"
check 'app_shot_until after-save 10 app_panel_shown' "the panel is shown again after saving"
# Once the notice saying where the picture went has faded.
as_before() { [ "$(e2e_diff "$1" "$E2E_DIR/with-panel.png")" = 0 ]; }
check 'app_shot_until after-save-notice 20 as_before' "the window looks as before the save"

# The panel's "Save Picture" button does what 's' does: the same picture without the panel, and the panel back.
e2e_click 150 151
xdotool mousemove --window "$E2E_WID" 590 590
e2e_dialog_save "$out/clicked.png"
e2e_wait 10 test -s "$out/clicked.png"
check '[ "$(e2e_diff "$out/clicked.png" "$out/fluid.png")" = 0 ]' "the clicked \"Save Picture\" saved the picture 's' saved"
check 'app_shot_until after-click 10 app_panel_shown' "the panel is shown again after the clicked save"
app_toggle_panel hidden
sleep 0.5
as_saved() { [ "$(e2e_diff "$out/fluid.png" "$1")" = 0 ]; }
check 'app_shot_until no-panel 20 as_saved' "the PNG equals the window without the panel (and the notice), pixel for pixel"

# JPEG (panel hidden now): close to the window picture.
e2e_key s
e2e_dialog_save "$out/fluid.jpg"
e2e_wait 10 test -s "$out/fluid.jpg"
# The quality ImageMagick reads back from the file's quantisation tables.
jpeg_kind() { identify -format "%m %wx%h %Q" "$1" 2>&1; }
check '[ "$(jpeg_kind "$out/fluid.jpg")" = "JPEG 600x600 90" ]' "'s' saved fluid.jpg, a 600 x 600 JPEG of quality 90 ($(jpeg_kind "$out/fluid.jpg"))"
check '[ "$(app_rmse "$out/fluid.jpg" "$E2E_DIR/no-panel.png")" -le 2 ]' "the JPEG shows the same picture (RMSE $(app_rmse "$out/fluid.jpg" "$E2E_DIR/no-panel.png")%)"

# A cancelled dialog writes nothing; the program goes on (the panel still answers 'm').
e2e_key s
e2e_dialog_cancel
sleep 0.5
check '[ "$(ls "$out" | tr "\n" " ")" = "clicked.png fluid.jpg fluid.png " ]' "a cancelled dialog writes no file ($(ls "$out" | tr "\n" " "))"

# A name without an extension gets .png.
e2e_key s
e2e_dialog_save "$out/plain"
e2e_wait 10 test -s "$out/plain.png"
check '[ -f "$out/plain.png" ] && [ ! -e "$out/plain" ]' "a name without an extension is saved as plain.png"
check '[ "$(png_kind "$out/plain.png")" = "PNG 600x600 8 2" ]' "plain.png is a 600 x 600 PNG"

app_toggle_panel shown
check 'app_panel_shown "$E2E_DIR/panel-shown.png"' "the program still answers keys after the dialogs"

e2e_close
check '[ "$E2E_STATUS" = 0 ]' "closing the window ends the program with status 0 (status $E2E_STATUS)"
e2e_finish
