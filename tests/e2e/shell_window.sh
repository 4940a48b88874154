#!/usr/bin/env bash
# The shell's window under Xvfb: a small application (vornix_shell_probe) prints what its hooks receive while
# xdotool clicks, drags outside the window, turns the wheel and types; its frames are read back and checked, full
# screen is entered and left, and the close request ends it cleanly. Without GLX it must stop with status 1.
set -euo pipefail
: "${VORNIX_SHELL_PROBE:?}" "${VORNIX_X_CLOSE:?}" "${VORNIX_SCRATCH:?}"
mkdir -p "$VORNIX_SCRATCH"
out="$VORNIX_SCRATCH/probe.out"
export LP_NUM_THREADS=0

if [[ "${1:-}" != "--inside" ]]; then
    # No GL: a clear line, one error message for the user (a stand-in zenity records it) and exit status 1, not a
    # window without a context.
    mkdir -p "$VORNIX_SCRATCH/bin"
    rm -f "$VORNIX_SCRATCH/messages.txt"
    printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>"%s/messages.txt"\n' "$VORNIX_SCRATCH" >"$VORNIX_SCRATCH/bin/zenity"
    chmod +x "$VORNIX_SCRATCH/bin/zenity"
    set +e
    PATH="$VORNIX_SCRATCH/bin:$PATH" xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp -noreset -extension GLX" \
        "$VORNIX_SHELL_PROBE" >"$VORNIX_SCRATCH/noglx.out" 2>"$VORNIX_SCRATCH/noglx.err"
    status=$?
    set -e
    [[ $status -eq 1 ]] || { echo "FAIL: without GLX the probe exited with $status"; exit 1; }
    grep -q "No OpenGL context could be made.*offers no OpenGL at all" "$VORNIX_SCRATCH/noglx.err" \
        || { echo "FAIL: no console line about the missing context"; cat "$VORNIX_SCRATCH/noglx.err"; exit 1; }
    [[ $(grep -c "^--error .*needs OpenGL 2.0 or later.*offers no OpenGL at all" "$VORNIX_SCRATCH/messages.txt") -eq 1 ]] \
        || { echo "FAIL: not one error message for the user"; cat "$VORNIX_SCRATCH/messages.txt"; exit 1; }
    grep -q "^setup" "$VORNIX_SCRATCH/noglx.out" && { echo "FAIL: setup ran without a context"; exit 1; }

    exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp -noreset" bash "$0" --inside
fi

fail() { echo "FAIL: $*"; echo "--- probe output"; grep -v mouseMove "$out" || true; exit 1; }
# Waits up to 10 s for a line (the machine may be busy), then fails.
expect()
{
    for _ in $(seq 100); do
        grep -qE -- "$1" "$out" && return 0
        sleep 0.1
    done
    fail "missing line: $1"
}
geometry() { xdotool getwindowgeometry "$win" | tr -s ' \n' ' '; }

"$VORNIX_SHELL_PROBE" >"$out" 2>"$VORNIX_SCRATCH/probe.err" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
win=$(xdotool search --sync --pid "$pid" | head -1)
sleep 0.5

# Centred on the 1280 x 1024 display with the exact client size; setup saw the size, then one resize followed.
[[ "$(geometry)" == *"Position: 340,212"*"Geometry: 600x600"* ]] || fail "window geometry: $(geometry)"
expect "^prepareSettings title=ShellProbe$"
expect "^setup aa=[0-9] size=600x600$"
expect "^resize 600x600$"
[[ $(grep -c "^resize" "$out") -eq 1 ]] || fail "expected exactly one resize after setup"
[[ "$(grep -E '^(setup|resize)' "$out" | head -1)" == setup* ]] || fail "resize came before setup"

# Press at client (100, 50), drag out past the top-left and bottom-right corners, release outside.
xdotool mousemove 440 262; sleep 0.2
xdotool mousedown 1; sleep 0.1
xdotool mousemove 300 200; sleep 0.1
xdotool mousemove 1000 900; sleep 0.1
xdotool mouseup 1; sleep 0.2
expect "^mouseDown x=100 y=50 initiator=1 modifiers=1$"
expect "^mouseDrag x=-40 y=-12 initiator=0 modifiers=1$"
expect "^mouseDrag x=660 y=688 initiator=0 modifiers=1$"
expect "^mouseUp x=660 y=688 initiator=1 modifiers=0$"

# Back inside: plain motion is a move; the wheel gives one notch per click.
xdotool mousemove 500 500; sleep 0.2
expect "^mouseMove x=160 y=288 initiator=0 modifiers=0$"
xdotool click 4; sleep 0.1
xdotool click 5; sleep 0.2
expect "^mouseWheel increment=1$"
expect "^mouseWheel increment=-1$"

# Right and left held, right released: the one held flag is clear, so motion with the left still down is a move.
xdotool mousedown 1 mousedown 3; sleep 0.1
xdotool mousemove 510 500; sleep 0.1
xdotool mouseup 3; sleep 0.1
xdotool mousemove 520 500; sleep 0.1
xdotool mouseup 1; sleep 0.2
expect "^mouseDown x=160 y=288 initiator=2 modifiers=3$"
expect "^mouseDrag x=170 y=288 initiator=0 modifiers=3$"
expect "^mouseUp x=170 y=288 initiator=2 modifiers=1$"
expect "^mouseMove x=180 y=288 initiator=0 modifiers=1$"

# Keys: Control+A and Shift+A share code 97; minus has no code but its character; Alt+F4 is just a key.
xdotool key ctrl+a shift+a minus alt+F4; sleep 0.3
expect "^keyDown code=97 character=97 modifiers=32$"
expect "^keyDown code=97 character=65 modifiers=8$"
expect "^keyDown code=0 character=45 modifiers=0$"
expect "^keyDown code=285 character=0 modifiers=16$"
kill -0 "$pid" 2>/dev/null || fail "Alt+F4 ended the program"
# The "< >" key beside the left Shift (X keycode 94): code 60 with its character, Shift gives '>'.
xdotool key 94 shift+94; sleep 0.3
expect "^keyDown code=60 character=60 modifiers=0$"
expect "^keyDown code=60 character=62 modifiers=8$"

# The frame read back: red square top left, green bottom left, blue elsewhere, rows top to bottom.
xdotool key F5; sleep 0.3
expect "^readback 600x600 topleft=ff0000 bottomleft=00ff00 centre=0000ff$"

# Full screen takes the display's size; leaving restores 600 x 600 where the window was; GL objects survive.
xdotool key Escape; sleep 0.5
expect "^resize 1280x1024$"
expect "^fullscreen=1 texture=1$"
[[ "$(geometry)" == *"Position: 0,0"*"Geometry: 1280x1024"* ]] || fail "full-screen geometry: $(geometry)"
xdotool key F5; sleep 0.3
expect "^readback 1280x1024 topleft=ff0000 bottomleft=00ff00 centre=0000ff$"
xdotool key Escape; sleep 0.5
expect "^fullscreen=0 texture=1$"
[[ $(grep -c "^resize 600x600$" "$out") -eq 2 ]] || fail "leaving full screen did not deliver one 600x600 resize"
[[ "$(geometry)" == *"Position: 340,212"*"Geometry: 600x600"* ]] || fail "windowed geometry: $(geometry)"

# Let the loop run, then report the frame rate (printed for the record; timing is not asserted here).
sleep 3
xdotool key F6; sleep 0.3
grep "^fps" "$out" | tail -1

# The close button's request ends the loop; shutdown runs with the context current; the exit status is 0.
"$VORNIX_X_CLOSE" "$win"
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "the close request did not end the program"
set +e; wait "$pid"; status=$?; set -e
trap - EXIT
[[ $status -eq 0 ]] || fail "exit status $status"
expect "^shutdown texture=1 "
expect "^exit 0$"
grep "^shutdown" "$out"
echo "PASS"
