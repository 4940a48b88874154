#!/usr/bin/env bash
# No silent overwrite, and a failed save the user sees: a name the extension rule changes ("shot", "shot.bmp") to
# that of an existing file (shot.png) brings a question; "No" (the default) keeps the file, "Yes" replaces it. A
# picture that cannot be written brings one error message, after which the program goes on.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/lib_app.sh"

out="$E2E_DIR/saved"
rm -rf "$out"
mkdir -p "$out"
printf 'earlier picture' >"$out/shot.png"

# The open window titled $1: waits for it, focuses it (there is no window manager) and prints its id.
focus_window() {
    local id _
    id=$(timeout 30 xdotool search --sync --onlyvisible --name "$1" | head -n 1)
    [ -n "$id" ] || return 1
    for _ in $(seq 1 50); do
        xdotool windowfocus --sync "$id" 2>/dev/null
        [ "$(xdotool getwindowfocus 2>/dev/null)" = "$id" ] && break
        sleep 0.2
    done
    sleep 0.3
    echo "$id"
}
gone() { ! xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
answer() {   # TITLE KEY: answers the window titled TITLE with KEY and waits until it is gone
    focus_window "$1" >/dev/null || { echo "no window \"$1\" appeared"; return 1; }
    xdotool key "$2"
    e2e_wait 20 gone "$1" || return 1
    xdotool windowfocus --sync "$E2E_WID"
}
type_in_dialog() {
    e2e_dialog_window || return 1
    xdotool type --delay 15 "$1"
    sleep 0.3
    xdotool key Return
}

app_start
app_dismiss_help

# "shot" becomes shot.png, which exists: the question comes; Return takes its default, "No": nothing is written.
e2e_key s
type_in_dialog "$out/shot"
check 'answer "^Confirm Save As$" Return' "a question asks before shot.png is replaced, and \"No\" closes it"
sleep 1
check '[ "$(cat "$out/shot.png")" = "earlier picture" ] && [ "$(ls "$out")" = shot.png ]' "\"No\" keeps the earlier shot.png and writes nothing else"

# "shot.bmp" becomes shot.png too; "Yes" replaces it with the picture.
e2e_key s
type_in_dialog "$out/shot.bmp"
check 'answer "^Confirm Save As$" alt+y' "the question comes again for shot.bmp, and is answered \"Yes\""
e2e_wait 10 test "$(head -c 4 "$out/shot.png" | od -An -c | tr -d ' ')" = "211PNG"
check '[ "$(identify -format "%m %wx%h" "$out/shot.png" 2>&1)" = "PNG 600x600" ]' "\"Yes\" replaced shot.png with the 600 x 600 picture"

# A picture that cannot be written: one error message, and the program goes on.
e2e_key s
type_in_dialog "/proc/vornix-cannot-write.png"
check 'answer "^vornix$" Return' "a failed save shows an error message"
check 'grep -q "Could not save the picture to /proc/vornix-cannot-write.png" "$E2E_DIR/stderr.log"' "and writes its console line"
check '[ "$(grep -c "Could not save" "$E2E_DIR/stderr.log")" = 1 ]' "one console line for the one failure"
check 'app_toggle_panel shown' "the program still answers keys afterwards"

e2e_close
check '[ "$E2E_STATUS" = 0 ]' "closing the window ends the program with status 0 (status $E2E_STATUS)"
e2e_finish
