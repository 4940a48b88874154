#!/usr/bin/env bash
# vornix.exe under Wine on other machines' terms, on the display and Wine server scripts/test-windows provides:
# no silent overwrite (the dialog appends .png and asks itself; a name the program corrects asks in a message box
# owned by the window, "No" by default), a failed save shows one message box, the French, German, Russian and Greek
# layouts (Wine takes the X layout), and weak OpenGL through Mesa's overrides: no OpenGL 2.0 (a message box, status
# 1), no float textures (the CPU engine, one message box, status 0 on close).
source "$VORNIX_SOURCE/tests/windows/lib_wine.sh"
source "$VORNIX_SOURCE/tests/e2e/lib_layouts.sh"

out=$(e2e_fresh_dir saved)
answer() { e2e_answer "$1" "$2"; }   # TITLE KEY: a question or message; the focus stays where it falls
save_as() {   # PATH: 's', then the name typed into Wine's dialog
    e2e_key s
    wine_dialog_type "$1"
}
refocus() { xdotool windowfocus --sync "$E2E_WID" 2>/dev/null; sleep 0.3; }

wine_start
app_dismiss_help

# ---- No silent overwrite --------------------------------------------------------------------------------------------
printf 'earlier picture' >"$out/shot.png"
# "shot": the dialog itself makes it shot.png and asks; "No" leaves the dialog open, which is then cancelled.
save_as "$out/shot"
sleep 1
xdotool key n
sleep 1
xdotool key Escape
check 'e2e_wait 20 wine_dialog_gone' "the dialog asks itself about shot.png, and \"No\" then a cancel close it"
refocus
# "shot.bmp" becomes shot.png: the program asks; Return takes "No", the default.
save_as "$out/shot.bmp"
check 'answer "^Confirm Save As$" Return' "for shot.bmp the program asks before replacing shot.png; Return answers \"No\""
sleep 1
check '[ "$(cat "$out/shot.png")" = "earlier picture" ] && [ "$(ls "$out")" = shot.png ]' "\"No\" keeps the earlier shot.png and writes nothing else"
refocus
save_as "$out/shot.bmp"
check 'answer "^Confirm Save As$" y' "asked again, \"Yes\" is answered"
e2e_wait 20 test "$(head -c 4 "$out/shot.png" | od -An -c | tr -d ' ')" = "211PNG"
check '[ "$(identify -format "%m %wx%h" "$out/shot.png" 2>&1)" = "PNG 600x600" ]' "\"Yes\" replaced shot.png with the picture"
refocus

# ---- A failed save: one message box ------------------------------------------------------------------------------
mkdir -p "$out/locked"
printf 'x' >"$out/locked/blocker"
save_as "$out/locked/blocker/x.png"
check 'answer "^vornix$" Return' "a save that cannot be written shows a message box"
check '[ "$(tr -d "\r" <"$E2E_DIR/stderr.log" | grep -c "Could not save the picture")" = 1 ]' "and one console line"
refocus
e2e_close
check '[ "$E2E_STATUS" = 0 ]' "closing ends the program with status 0 (status $E2E_STATUS)"

# ---- Keyboard layouts (Wine reads the X layout when the program starts) -------------------------------------------
for layout in fr:AZERTY de:QWERTZ; do
    setxkbmap "${layout%%:*}"
    check '[ "$(setxkbmap -query | sed -n "s/^layout: *//p")" = "${layout%%:*}" ]' "the display has the layout ${layout%%:*}"
    wine_start
    app_dismiss_help
    layouts_check "${layout##*:}"
    e2e_close
    check '[ "$E2E_STATUS" = 0 ]' "${layout##*:}: closing ends the program with status 0 (status $E2E_STATUS)"
done
# A Russian and a Greek layout: the key on the US 'm' place types a letter of another script and shows the panel.
# Wine recognises the keyboard by the X layout's first group (with only a Cyrillic or Greek group it recognises none
# and gives the letter keys no places at all), so the layout comes second, as such users set it up; xdotool selects
# the group of the key symbol it types.
for layout in ru:Russian:Cyrillic_softsign gr:Greek:Greek_mu; do
    IFS=: read -r code name key <<<"$layout"
    setxkbmap -layout "us,$code"
    wine_start
    app_dismiss_help
    layouts_shortcuts "$name" "$key"
    e2e_close
    check '[ "$E2E_STATUS" = 0 ]' "$name: closing ends the program with status 0 (status $E2E_STATUS)"
done
setxkbmap us

# ---- Weak OpenGL --------------------------------------------------------------------------------------------------
MESA_GL_VERSION_OVERRIDE=1.4 wine "$VORNIX_BIN" >"$E2E_DIR/gl14.out" 2>"$E2E_DIR/gl14.err" &
pid=$!
check 'answer "^vornix$" Return' "without OpenGL 2.0 a message box says so"
e2e_wait 30 bash -c "! kill -0 $pid 2>/dev/null"
wait "$pid"
status=$?
check '[ "$status" = 1 ]' "and the program ends with status 1 (status $status)"
check 'tr -d "\r" <"$E2E_DIR/gl14.err" | grep -q "No OpenGL context could be made.*offers OpenGL 1"' "the console names what the driver offers"

MESA_EXTENSION_OVERRIDE=-GL_ARB_texture_float wine "$VORNIX_BIN" >"$E2E_DIR/stdout.log" 2>"$E2E_DIR/stderr.log" &
E2E_PID=$!
check 'answer "^vornix$" Return' "without float textures a message box says the CPU engine runs"
E2E_WID=$(e2e_find_window 60 --onlyvisible --name "^vornix - Quillon" | head -n 1)
xdotool windowfocus --sync "$E2E_WID"
check 'app_shot_until weak-start 60 app_is_help' "the program starts on the help picture"
app_dismiss_help
e2e_drag 3 350 300 550 300
dye() { [ "$(e2e_sum "$(e2e_mean "$1" 440 290 20 20)")" -ge 60 ]; }
check 'app_shot_until weak-dye 20 dye' "the CPU engine shows dye"
check '[ "$(tr -d "\r" <"$E2E_DIR/stderr.log" | grep -c "The GPU engine cannot run on this computer: the graphics driver offers no floating-point")" = 1 ]' "one console line says why"
e2e_close
check '[ "$E2E_STATUS" = 0 ]' "closing ends it with status 0 (status $E2E_STATUS)"
wine_program_lines
e2e_finish
