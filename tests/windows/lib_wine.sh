# Helpers for the tests of vornix.exe under Wine, on the display and Wine server scripts/test-windows provides.
# Sourcing it sources lib.sh and lib_app.sh as well and makes the help picture's reference for app_is_help.
#   winpath PATH            the Windows name of a path on this machine (drive Z:)
#   wine_exe EXE [ARG...]   starts the Windows program EXE with ARGs through the exit-code relay (e2e_start): the
#                           window is found by vornix's title and e2e_close gives the program's own exit code (a
#                           shell may see Wine kill the Unix process of a program that has already ended)
#   wine_start [ARG...]     starts vornix.exe with ARGs; waits until it shows the help picture (screenshot "start")
#   wine_dialog_type PATH   focuses Wine's save dialog and types PATH's Windows name and Return into it (the dialog or
#                           the program may then ask a question); the dialog is found by its title, E2E_DIALOG_TITLE:
#                           the system's "Save As" unless the test sets another
#   wine_dialog_save PATH   the same, then waits until the dialog is gone and focuses the program's window again
#   wine_dialog_gone        no save dialog is open
#   wine_program_lines      the program's console lines (stderr.log), without Wine's \r, each after "program: "
export E2E_INSIDE_XVFB=1   # the display is the one the Wine server already uses
source "$VORNIX_SOURCE/tests/e2e/lib.sh"
source "$VORNIX_SOURCE/tests/e2e/lib_app.sh"
: "${WINEPREFIX:?run through scripts/test-windows}" "${VORNIX_EXIT_RELAY:?}"

convert "$VORNIX_SOURCE/resources/help.jpg" -resize '600x600!' "$APP_HELP_REF"

winpath() { printf 'Z:%s' "${1//\//\\}"; }

wine_exe() {
    E2E_EXIT_CODE_FILE=$E2E_DIR/exit-code
    rm -f "$E2E_EXIT_CODE_FILE"
    E2E_WINDOW_TITLE="^vornix - Quillon" e2e_start wine "$VORNIX_EXIT_RELAY" "$(winpath "$E2E_EXIT_CODE_FILE")" \
        "$(winpath "$1")" "${@:2}"
}

wine_start() {
    wine_exe "$VORNIX_BIN" "$@"
    xdotool windowfocus --sync "$E2E_WID"
    app_shot_until start 60 app_is_help
}

# Wine's dialog takes the focus once it is mapped; a name typed before then would reach the program's window.
wine_dialog_type() {
    local dialog
    if ! dialog=$(e2e_focus_titled "^${E2E_DIALOG_TITLE:-Save As}$"); then
        if [ -n "$dialog" ]; then echo "the save dialog did not take the focus"; else echo "no save dialog appeared"; fi
        return 1
    fi
    xdotool type --delay 15 "$(winpath "$1")"
    xdotool key Return
}

wine_dialog_gone() { e2e_titled_gone "^${E2E_DIALOG_TITLE:-Save As}$"; }

wine_dialog_save() {
    wine_dialog_type "$1" || return 1
    e2e_wait 20 wine_dialog_gone || { echo "the save dialog did not close"; return 1; }
    xdotool windowfocus --sync "$E2E_WID"
}

wine_program_lines() { tr -d '\r' <"$E2E_DIR/stderr.log" | grep -v '^$' | sed 's/^/program: /'; }
