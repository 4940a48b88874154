#!/usr/bin/env bash
# vornix.exe under Wine, what a new user meets first: --version, --help and a mistake on the command line are
# answered in the terminal without a window (status 0, 0 and 2); on software OpenGL (llvmpipe through Wine) a console
# line and a notice over the help picture advise the CPU engine; the save dialogs start in the Pictures and Videos
# known folders with a dated name, then in the folder used last; a saved picture is announced by a notice; a paused
# recording's indicator says that no frames are added.
source "$VORNIX_SOURCE/tests/windows/lib_wine.sh"

exe() { timeout 120 wine "$VORNIX_BIN" "$@"; }
version=$(exe --version 2>"$E2E_DIR/version.err" | tr -d '\r')
check '[ "$version" = "vornix $VORNIX_VERSION" ] && [ ! -s "$E2E_DIR/version.err" ]' \
  "--version prints the version ($version)"
exe --help >"$E2E_DIR/help.txt" 2>/dev/null
status=$?
usage_in() { tr -d "\r" <"$1" | grep -q "^Usage: vornix .*FILE"; }
check '[ "$status" = 0 ] && usage_in "$E2E_DIR/help.txt"' "--help prints the usage, status 0 (status $status)"
exe --bogus >"$E2E_DIR/bogus.out" 2>"$E2E_DIR/bogus.err"
status=$?
check '[ "$status" = 2 ] && usage_in "$E2E_DIR/bogus.err" && [ ! -s "$E2E_DIR/bogus.out" ]' \
  "an unknown option prints the usage to standard error, status 2 (status $status)"

# The known folders as real folders of the test's prefix (Wine links them to the home folder), and no folder
# remembered by the tests that saved before.
users="$WINEPREFIX/drive_c/users/${USER:-$(id -un)}"
for folder in Pictures Videos; do
  [ -L "$users/$folder" ] && rm "$users/$folder"
  rm -rf "${users:?}/$folder"
  mkdir -p "$users/$folder"
done
rm -rf "$users/AppData/Roaming/vornix"
out=$(e2e_fresh_dir saved)
dialog_accept() {
  e2e_focus_titled "^${E2E_DIALOG_TITLE:-Save As}$" >/dev/null && xdotool key Return &&
    e2e_wait 20 wine_dialog_gone && xdotool windowfocus --sync "$E2E_WID"
}

wine_start
advice_lines() { wine_program_lines | grep -c "^program: OpenGL is drawn in software on this computer (llvmpipe"; }
check '[ "$(advice_lines)" = 1 ]' "one console line says OpenGL is drawn in software"
check 'app_notice_over "$E2E_DIR/start.png" "$APP_HELP_REF"' "a notice over the help picture says so too"
app_dismiss_help

e2e_key s
dialog_accept
check 'e2e_wait 20 app_saved_in "$users/Pictures" png' "'s' suggests the Pictures folder and a dated name"
check 'app_shot_until saved 10 app_notice_over "$(app_suggested_in "$users/Pictures" png)"' \
  "a notice says where it went"
e2e_key s
wine_dialog_save "$out/typed.png"
e2e_wait 20 test -s "$out/typed.png"
e2e_key s
dialog_accept
check 'e2e_wait 20 app_saved_in "$out" png' "the next save starts in the folder used last"

indicator_text() { [ "$(e2e_sum "$(e2e_mean "$1" 70 570 230 24)")" -ge 3 ]; }
E2E_DIALOG_TITLE="Record Video"
e2e_key v
dialog_accept
named_in() { [ -n "$(app_suggested_in "$1" "$2")" ]; }
check 'e2e_wait 30 named_in "$users/Videos" mp4' "'v' suggests the Videos folder and a dated name"
e2e_key space
check 'app_shot_until recording-paused 10 indicator_text' "a paused recording's indicator says that no frames are added"
e2e_key v
stopped() { tr -d '\r' <"$E2E_DIR/stderr.log" | grep -q "^Recording stopped"; }
check 'e2e_wait 60 stopped' "'v' stops the recording"

e2e_close
check '[ "$E2E_STATUS" = 0 ]' "the close request ends the program with status 0 (got $E2E_STATUS)"
wine_program_lines
e2e_finish
