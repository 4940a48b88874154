# Helpers for end-to-end tests: a private Xvfb display, starting a program and finding its window, xdotool input,
# screenshots and pixel probes. Source it from a test script; it re-runs the script under xvfb-run once.
#   e2e_start CMD...      start a program in the background; sets E2E_PID and E2E_WID (its first window, or the
#                         first whose name matches E2E_WINDOW_TITLE when that is set: a program CMD starts in turn)
#   e2e_shot NAME         screenshot of E2E_WID into $E2E_DIR/NAME.png; prints the path
#   e2e_pixel FILE X Y    "R G B" of one pixel
#   e2e_mean FILE X Y W H "R G B" mean of a region (0..255, rounded)
#   e2e_diff A B          number of differing pixels
#   e2e_close             close the window like the frame's close button and wait; sets E2E_STATUS (the code in
#                         E2E_EXIT_CODE_FILE instead, when CMD wrote one there: the Wine tests' relay)
#   check COND MESSAGE    records a failure (the script exits 1 at the end if any check failed)
#   e2e_wait SECS CMD...  re-runs CMD until it succeeds; status 1 after SECS seconds
#   e2e_key KEY           presses and releases KEY in the focused window, held long enough for a slow frame
#   e2e_click X Y [BTN]   moves to window pixel (X, Y) and clicks (button 1 by default)
#   e2e_drag BTN X0 Y0 X1 Y1 [STEPS]   presses BTN at (X0, Y0), moves in STEPS steps to (X1, Y1), releases
#   e2e_fresh_dir NAME    makes $E2E_DIR/NAME anew, empty; prints its path
#   e2e_find_window SECS ARGS...   the windows "xdotool search ARGS" finds, searching until it finds any
#   e2e_focus_titled TITLE   focuses the newest visible window whose name matches TITLE; prints its id
#   e2e_answer TITLE KEY [WINDOW]   answers the window titled TITLE with KEY, waits until it is gone, focuses WINDOW
#   e2e_dialog_save PATH  answers the open save dialog with PATH; e2e_dialog_cancel cancels it (the dialog is found by
#                         its title, E2E_DIALOG_TITLE: "Save Picture" unless the test sets another)
#   e2e_dialog_type PATH  types PATH and Return into the open save dialog (which may then ask a question)

if [ -z "${E2E_INSIDE_XVFB:-}" ]; then
    export E2E_INSIDE_XVFB=1
    # A random first display number: other test runs on the machine start their own servers at the same time.
    # The server's own messages go to xvfb.log in the scratch folder. -noreset: otherwise the server resets when its
    # last client leaves (the readiness probe below), and a program that connects during the reset is refused.
    # -ardelay: no key repeats. e2e_key holds a key for 0.1 s, but on a busy machine the release can come after the
    # server's 0.66 s repeat delay, and a repeated 's' opened a second save dialog that nobody answered.
    mkdir -p "${VORNIX_SCRATCH:-/tmp}"
    exec xvfb-run -a -n $((100 + RANDOM % 800)) -e "${VORNIX_SCRATCH:-/tmp}/xvfb.log" \
        -s "-screen 0 1280x1024x24 -nolisten tcp -noreset -ardelay 60000" bash "$0" "$@"
fi

set -u
export GSETTINGS_BACKEND=memory
# The server may still be coming up (or may have failed): wait a little, then say so plainly.
for _ in $(seq 1 20); do
    xdotool getdisplaygeometry >/dev/null 2>&1 && break
    sleep 0.25
done
xdotool getdisplaygeometry >/dev/null 2>&1 || echo "warning: display $DISPLAY does not answer"
E2E_DIR=${VORNIX_SCRATCH:-$(mktemp -d)}
mkdir -p "$E2E_DIR"
# The program's settings folder (own presets, a preset to start with): a fresh one per run, never the user's.
rm -rf "$E2E_DIR/config"
export XDG_CONFIG_HOME="$E2E_DIR/config"
E2E_FAILURES=0
E2E_CHECKS=0

check() {
    E2E_CHECKS=$((E2E_CHECKS + 1))
    if eval "$1"; then
        echo "ok: $2"
    else
        echo "FAILED: $2   [$1]"
        E2E_FAILURES=$((E2E_FAILURES + 1))
    fi
}

e2e_start() {
    "$@" >"$E2E_DIR/stdout.log" 2>"$E2E_DIR/stderr.log" &
    E2E_PID=$!
    E2E_WID=""
    for _ in $(seq 1 200); do
        if [ -n "${E2E_WINDOW_TITLE:-}" ]; then
            E2E_WID=$(xdotool search --onlyvisible --name "$E2E_WINDOW_TITLE" 2>/dev/null | head -n 1)
        else
            E2E_WID=$(xdotool search --onlyvisible --pid "$E2E_PID" 2>/dev/null | head -n 1)
        fi
        [ -n "$E2E_WID" ] && break
        kill -0 "$E2E_PID" 2>/dev/null || break
        sleep 0.1
    done
    if [ -z "$E2E_WID" ]; then
        echo "FAILED: no window appeared for: $* (display $DISPLAY)"
        cat "$E2E_DIR/stderr.log"
        [ -f "$E2E_DIR/xvfb.log" ] && tail -n 20 "$E2E_DIR/xvfb.log"
        exit 1
    fi
}

e2e_shot() {
    local file="$E2E_DIR/$1.png"
    import -window "$E2E_WID" "$file"
    echo "$file"
}

e2e_pixel() {
    convert "$1" -format "%[fx:round(255*p{$2,$3}.r)] %[fx:round(255*p{$2,$3}.g)] %[fx:round(255*p{$2,$3}.b)]" info:
}

e2e_mean() {
    convert "$1" -crop "$4x$5+$2+$3" +repage -format "%[fx:round(255*mean.r)] %[fx:round(255*mean.g)] %[fx:round(255*mean.b)]" info:
}

e2e_diff() {
    compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1
}

# Sum of the three channels of an "R G B" triple.
e2e_sum() { echo "$1" | awk '{print $1 + $2 + $3}'; }

e2e_close() {
    "$VORNIX_X_CLOSE" "$E2E_WID"
    E2E_STATUS=timeout
    for _ in $(seq 1 100); do
        if ! kill -0 "$E2E_PID" 2>/dev/null; then
            wait "$E2E_PID"
            E2E_STATUS=$?
            E2E_PID=""   # reaped: the number may belong to another process now
            if [ -n "${E2E_EXIT_CODE_FILE:-}" ] && [ -s "$E2E_EXIT_CODE_FILE" ]; then
                E2E_STATUS=$(tr -dc 0-9 <"$E2E_EXIT_CODE_FILE")
                rm -f "$E2E_EXIT_CODE_FILE"
            fi
            return
        fi
        sleep 0.1
    done
    kill -9 "$E2E_PID" 2>/dev/null
}

e2e_wait() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -ge "$deadline" ] && return 1
        sleep 0.2
    done
}

e2e_key() {
    xdotool keydown "$1"
    sleep 0.1
    xdotool keyup "$1"
}

e2e_click() {
    xdotool mousemove --window "$E2E_WID" "$1" "$2"
    sleep 0.2
    xdotool click "${3:-1}"
}

e2e_drag() {
    local button=$1 x0=$2 y0=$3 x1=$4 y1=$5 steps=${6:-20} k
    xdotool mousemove --window "$E2E_WID" "$x0" "$y0"
    sleep 0.2
    xdotool mousedown "$button"
    for k in $(seq 1 "$steps"); do
        xdotool mousemove --window "$E2E_WID" $((x0 + (x1 - x0) * k / steps)) $((y0 + (y1 - y0) * k / steps))
        sleep 0.03
    done
    xdotool mouseup "$button"
}

e2e_fresh_dir() {
    rm -rf "${E2E_DIR:?}/$1"
    mkdir -p "$E2E_DIR/$1"
    echo "$E2E_DIR/$1"
}

# Prints the windows `xdotool search ARGS` finds, once it finds any (nothing after SECS seconds). One search at a
# time: xdotool stops with an X error (BadWindow from QueryTree) when a window goes away while it walks the window
# tree, as the save dialog does while its question comes up, and a single search --sync would then report nothing.
e2e_find_window() {
    local deadline=$((SECONDS + $1)) found
    shift
    until found=$(xdotool search "$@" 2>/dev/null) && [ -n "$found" ]; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.2
    done
    echo "$found"
}

# There is no window manager to give a new window (a dialog, a question) the focus: waits up to 30 seconds for a
# visible window whose name matches TITLE, focuses the newest one and prints its id. Status 1 when none appeared or
# it did not take the focus (the id is printed all the same).
e2e_focus_titled() {
    local id _
    id=$(e2e_find_window 30 --onlyvisible --name "$1" | tail -n 1)
    [ -n "$id" ] || return 1
    for _ in $(seq 1 50); do
        xdotool windowfocus --sync "$id" 2>/dev/null
        [ "$(xdotool getwindowfocus 2>/dev/null)" = "$id" ] && break
        sleep 0.2
    done
    sleep 0.3
    echo "$id"
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$id" ]
}

# For a failure that needs explaining: the whole screen and the names of its visible windows, kept in $E2E_DIR.
e2e_keep_screen() {
    local stem="$E2E_DIR/$1-$(date +%H%M%S)" id
    import -window root "$stem.png" 2>/dev/null
    for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
        echo "$id $(xdotool getwindowname "$id" 2>/dev/null)"
    done >"$stem.windows"
    echo "the screen is kept in $stem.png, its windows in $stem.windows"
}

# Whether `xdotool search ARGS` finds nothing, twice a moment apart (a search that met an X error finds nothing too).
e2e_none_found() {
    local _
    for _ in 1 2; do
        ! xdotool search "$@" >/dev/null 2>&1 || return 1
        sleep 0.1
    done
}

e2e_titled_gone() { e2e_none_found --onlyvisible --name "$1"; }

# A question or message (a zenity window, a Wine message box): presses KEY in it and waits until no window titled
# TITLE is left; then gives the focus to WINDOW when one is named (the program's, which may not be there any more).
e2e_answer() {
    local id
    id=$(e2e_focus_titled "$1")
    [ -n "$id" ] || { echo "no window \"$1\" appeared"; e2e_keep_screen "no-window"; return 1; }
    xdotool key "$2"
    e2e_wait 20 e2e_titled_gone "$1" || return 1
    [ -z "${3:-}" ] || xdotool windowfocus --sync "$3"
}

# The save dialog (zenity) opened by the program: wait for its window, focus it, answer it, wait until it is gone and
# give the focus back to the program's window.
e2e_dialog_window() {
    # Only a mapped window can take the focus; a key typed before the dialog has it would reach the program instead
    # (Escape there means full screen), so the focus is checked, not assumed.
    E2E_DIALOG=$(e2e_focus_titled "^${E2E_DIALOG_TITLE:-Save Picture}$") && return 0
    if [ -n "$E2E_DIALOG" ]; then echo "the save dialog did not take the focus"; else echo "no save dialog appeared"; fi
    return 1
}

e2e_dialog_gone() { e2e_none_found --name "^${E2E_DIALOG_TITLE:-Save Picture}$"; }

e2e_dialog_done() {
    e2e_wait 20 e2e_dialog_gone || { echo "the save dialog did not close"; return 1; }
    xdotool windowfocus --sync "$E2E_WID"
}

e2e_dialog_type() {
    e2e_dialog_window || return 1
    xdotool key ctrl+a   # the dialog suggests a name: the path typed replaces it
    xdotool type --delay 15 "$1"
    sleep 0.3
    xdotool key Return
}

e2e_dialog_save() {
    e2e_dialog_type "$1" || return 1
    e2e_dialog_done
}

e2e_dialog_cancel() {
    e2e_dialog_window || return 1
    xdotool key Escape
    e2e_dialog_done
}

e2e_finish() {
    [ -n "${E2E_PID:-}" ] && kill -9 "$E2E_PID" 2>/dev/null
    echo "$((E2E_CHECKS - E2E_FAILURES)) passed, $E2E_FAILURES failed"
    [ "$E2E_FAILURES" -eq 0 ]
    exit $?
}
