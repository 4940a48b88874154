#!/usr/bin/env bash
# No silent overwrite, and a failed save the user sees: a name the extension rule changes ("shot.jpeg", "shot.bmp")
# to that of an existing file (shot.png) brings a question; "No" (the default) keeps the file, "Yes" replaces it. A
# picture that cannot be written brings one error message, after which the program goes on. (A bare "shot" is not
# typed here: the dialog may complete it to the existing shot.png while it is typed, and then asks itself.)
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/lib_app.sh"

out=$(e2e_fresh_dir saved)
printf 'earlier picture' >"$out/shot.png"
answer() { e2e_answer "$1" "$2" "$E2E_WID"; }   # TITLE KEY

app_start
app_dismiss_help

# "shot.jpeg" becomes shot.png, which exists: the question comes; Return takes its default, "No": nothing is written.
e2e_key s
e2e_dialog_type "$out/shot.jpeg"
check 'answer "^Confirm Save As$" Return' "a question asks before shot.png is replaced, and \"No\" closes it"
sleep 1
check '[ "$(cat "$out/shot.png")" = "earlier picture" ] && [ "$(ls "$out")" = shot.png ]' "\"No\" keeps the earlier shot.png and writes nothing else"

# "shot.bmp" becomes shot.png too; "Yes" replaces it with the picture.
e2e_key s
e2e_dialog_type "$out/shot.bmp"
check 'answer "^Confirm Save As$" alt+y' "the question comes again for shot.bmp, and is answered \"Yes\""
e2e_wait 10 test "$(head -c 4 "$out/shot.png" | od -An -c | tr -d ' ')" = "211PNG"
check '[ "$(identify -format "%m %wx%h" "$out/shot.png" 2>&1)" = "PNG 600x600" ]' "\"Yes\" replaced shot.png with the 600 x 600 picture"

# A picture that cannot be written: one error message, and the program goes on.
e2e_key s
e2e_dialog_type "/proc/vornix-cannot-write.png"
check 'answer "^vornix$" Return' "a failed save shows an error message"
check 'grep -q "Could not save the picture to /proc/vornix-cannot-write.png" "$E2E_DIR/stderr.log"' "and writes its console line"
check '[ "$(grep -c "Could not save" "$E2E_DIR/stderr.log")" = 1 ]' "one console line for the one failure"
check 'app_toggle_panel shown' "the program still answers keys afterwards"

e2e_close
check '[ "$E2E_STATUS" = 0 ]' "closing the window ends the program with status 0 (status $E2E_STATUS)"
e2e_finish
