#!/usr/bin/env bash
# Recording video through the real save dialog: an MP4 while painting (frame count on the console equals what
# ffprobe counts, H.264 at 30 fps in the window's size, the last frame equals the window), a GIF the same way, a
# paused recording that one single step gives exactly one frame, full screen mid-recording (drawn at the clip's size),
# a window of odd size (its picture cropped to even numbers), closing the window mid-recording (the file is
# complete), kill -9 mid-recording (the file plays up to its last fragment), and a disk that fills up (the recording
# stops with a message, the program runs on, what was written plays).
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/lib_app.sh"

out=$(e2e_fresh_dir clips)
E2E_DIALOG_TITLE="Record Video"   # the save dialog asks for a video file
log="$E2E_DIR/stderr.log"
source "$(dirname "$0")/lib_record.sh"

# The error message is titled "vornix".
answer() { e2e_answer "$1" "$2" "$E2E_WID"; }   # TITLE KEY

record_start() {   # PATH CODEC
    e2e_key v
    e2e_dialog_save "$1"
    e2e_wait 10 rec_started "$1" "$2"
}

# Pausing and resuming are checked on the window, not assumed from a key press: a push with the left button moves
# the fluid only while it runs. The region leaves out the recording's clock at the bottom.
crop_shot() { local f; f=$(e2e_shot "$1"); convert "$f" -crop 560x500+20+40 +repage "$f"; echo "$f"; }
moving() {
    local a b deadline=$((SECONDS + 3))
    a=$(crop_shot still-a)
    while [ "$SECONDS" -lt "$deadline" ]; do
        sleep 0.3
        b=$(crop_shot still-b)
        [ "$(e2e_diff "$a" "$b")" != 0 ] && return 0
    done
    return 1
}
set_running() {   # yes | no
    local _
    for _ in 1 2 3; do
        e2e_drag 1 250 250 330 290 4
        if moving; then [ "$1" = yes ] && return 0; else [ "$1" = no ] && return 0; fi
        e2e_key space
    done
    echo "the fluid could not be made to $( [ "$1" = yes ] && echo run || echo pause)"
    return 1
}

app_start
app_dismiss_help

# MP4 while painting for about two seconds; paused before stopping, so the window keeps the last recorded picture.
record_start "$out/clip.mp4" "H.264"
check 'rec_started "$out/clip.mp4" "H.264 (libx264)"' "'v' and the dialog start an H.264 recording of 600 x 600"
check 'app_shot_until dot 10 rec_dot_shown' "the red dot shows while recording"
e2e_drag 3 150 300 450 300 60
set_running no
e2e_key v
e2e_wait 20 rec_stopped 1
check 'app_shot_until mp4-window 10 rec_dot_gone' "the dot is gone after stopping"
rec_check_mp4 "$out/clip.mp4" 1 5
check 'rec_dot_gone "$E2E_DIR/mp4-last.png"' "the recording does not show its own indicator"

# GIF the same way.
set_running yes
record_start "$out/clip.gif" "GIF"
e2e_drag 3 150 200 450 400 40
set_running no
e2e_key v
e2e_wait 60 rec_stopped 2
app_shot_until gif-window 10 rec_dot_gone
rec_check_gif "$out/clip.gif" 2 3

# Still paused: a second of waiting adds no frame, one single step adds one. A name with another extension is
# recorded as .mp4.
record_start "$out/step.avi" "H.264"
check 'rec_started "$out/step.mp4" "H.264"' "another extension records to step.mp4"
sleep 1
e2e_key Right   # keys are taken in order: the step is made before the next key stops the recording
e2e_key v
e2e_wait 20 rec_stopped 3
check '[ "$(rec_console_frames 3)" = 1 ] && [ "$(rec_frames "$out/step.mp4")" = 1 ]' \
    "paused, one single step gives one frame ($(rec_console_frames 3) on the console, $(rec_frames "$out/step.mp4") in the file)"
check '[ ! -e "$out/step.avi" ]' "nothing is written under the other extension"

# A cancelled dialog records nothing.
e2e_key v
e2e_dialog_cancel
sleep 0.5
check '[ "$(grep -c "^Recording video to" "$log")" = 3 ]' "a cancelled dialog starts no recording"

# Full screen while recording: the clip keeps its 600 x 600, and later frames are drawn at that size (the fluid fills
# them, as the full-screen window's picture scaled to 600 x 600 shows).
set_running yes
record_start "$out/full.mp4" "H.264"
fullscreen() { xdotool getwindowgeometry "$E2E_WID" | grep -q "Geometry: 1280x1024"; }
e2e_key Escape
e2e_wait 20 fullscreen
e2e_drag 3 300 500 1000 500 30
set_running no
e2e_key v
e2e_wait 20 rec_stopped 4
app_shot_until full-window 10 rec_dot_gone
e2e_key Escape
n=$(rec_console_frames 4)
check '[ "${n:-0}" -ge 1 ] && [ "$(rec_frames "$out/full.mp4")" = "$n" ] && [ "$(rec_stream "$out/full.mp4")" = "h264,600,600,30/1" ]' \
    "a recording across full screen keeps its size and every frame ($n; $(rec_stream "$out/full.mp4"))"
rec_last_frame "$out/full.mp4" "$E2E_DIR/full-last.png"
convert "$E2E_DIR/full-window.png" -resize '600x600!' "$E2E_DIR/full-window-small.png"
check '[ "$(rec_psnr "$E2E_DIR/full-last.png" "$E2E_DIR/full-window-small.png")" -ge 30 ]' \
    "the full-screen frames show the whole picture at the clip's size (PSNR $(rec_psnr "$E2E_DIR/full-last.png" "$E2E_DIR/full-window-small.png") dB)"

# A window of odd size (601 x 599) records 600 x 598: the picture as the window shows it, cropped, not resampled. The
# fluid is painted, paused, and three single steps are recorded, so the window keeps showing the clip's last frame. A
# GIF keeps the picture closer than H.264 does, so the comparison sees the crop rather than the encoder: the last frame
# is the window's crop, and clearly nearer to it than to the window resampled to 600 x 598.
windowed() { xdotool getwindowgeometry "$E2E_WID" | grep -q "Geometry: $1"; }
e2e_wait 20 windowed 600x600
xdotool windowsize "$E2E_WID" 601 599
e2e_wait 20 windowed 601x599
set_running yes
e2e_drag 3 100 100 500 500 40
e2e_drag 1 500 100 100 500 20
set_running no
e2e_key v
e2e_dialog_save "$out/odd.gif"
e2e_wait 10 rec_started "$out/odd.gif" "GIF" "600 x 598"
check 'rec_started "$out/odd.gif" "GIF" "600 x 598"' "a window of 601 x 599 records 600 x 598"
for _ in 1 2 3; do e2e_key Right; done
e2e_key v
e2e_wait 60 rec_stopped 5
app_shot_until odd-window 10 rec_dot_gone
check '[ "$(rec_console_frames 5)" = 3 ] && [ "$(rec_frames "$out/odd.gif")" = 3 ] && [ "$(rec_stream "$out/odd.gif" | cut -d, -f1-3)" = "gif,600,598" ]' \
    "three single steps give three frames of 600 x 598 ($(rec_console_frames 5); $(rec_stream "$out/odd.gif"))"
rec_last_frame "$out/odd.gif" "$E2E_DIR/odd-last.png"
convert "$E2E_DIR/odd-window.png" -crop 600x598+0+0 +repage "$E2E_DIR/odd-window-crop.png"
convert "$E2E_DIR/odd-window.png" -resize '600x598!' "$E2E_DIR/odd-window-resampled.png"
cropped=$(rec_psnr "$E2E_DIR/odd-last.png" "$E2E_DIR/odd-window-crop.png")
resampled=$(rec_psnr "$E2E_DIR/odd-last.png" "$E2E_DIR/odd-window-resampled.png")
check '[ "$cropped" -ge 35 ] && [ "$cropped" -ge $((resampled + 3)) ]' \
    "its last frame is the window's picture cropped (PSNR $cropped dB; against the picture resampled $resampled dB)"
xdotool windowsize "$E2E_WID" 600 600
e2e_wait 20 windowed 600x600

# Closing the window while recording completes the file.
set_running yes
record_start "$out/closed.mp4" "H.264"
e2e_drag 3 300 150 300 450 30
e2e_close
check '[ "$E2E_STATUS" = 0 ]' "closing the window while recording ends the program with status 0"
n=$(rec_console_frames 6)
check '[ "${n:-0}" -ge 1 ] && [ "$(rec_frames "$out/closed.mp4")" = "$n" ]' "the file closed with the window holds its $n frames"

# kill -9: the file plays up to its last complete fragment (a fragment per second of video). 80 single steps make 80
# frames; once two fragments (60 frames) are in the file, the program is killed.
app_start
app_dismiss_help
e2e_drag 3 200 300 400 300 10   # dye, so that motion shows
set_running no
record_start "$out/killed.mp4" "H.264"
xdotool key --delay 40 --repeat 80 Right
at_least() { [ "$(rec_frames "$1")" -ge "$2" ] 2>/dev/null; }
e2e_wait 60 at_least "$out/killed.mp4" 60
kill -9 "$E2E_PID"
wait "$E2E_PID" 2>/dev/null
E2E_PID=""
k=$(rec_frames "$out/killed.mp4")
check '[ "${k:-0}" -ge 60 ] && [ "$k" -le 80 ] && ffprobe -v error "$out/killed.mp4"' \
    "after kill -9 the file still plays its first $k of 80 frames"

# A full disk: a 256 KB file system of its own (a private mount namespace; the program runs inside it and the file is
# copied out when it ends). The recording stops with a message, the program runs on, and what was written plays.
full="$E2E_DIR/full"
mkdir -p "$full"
if unshare -rm true 2>/dev/null; then
    rm -f "$E2E_DIR/full.pid"
    unshare -rm sh -c 'mount -t tmpfs -o size=256k tmpfs "$1" || exit 99; "$2" & echo $! >"$3"; wait $!; s=$?
                       cp "$1"/big.mp4 "$4"/ 2>/dev/null; exit $s' \
        sh "$full" "$VORNIX_BIN" "$E2E_DIR/full.pid" "$out" >"$E2E_DIR/stdout.log" 2>"$log" &
    outer=$!
    e2e_wait 20 test -s "$E2E_DIR/full.pid"
    E2E_PID=$(cat "$E2E_DIR/full.pid")
    E2E_WID=""
    for _ in $(seq 1 200); do
        E2E_WID=$(xdotool search --onlyvisible --pid "$E2E_PID" 2>/dev/null | head -n 1)
        [ -n "$E2E_WID" ] && break
        sleep 0.1
    done
    xdotool windowfocus --sync "$E2E_WID"
    app_shot_until full-start 30 app_is_help
    app_dismiss_help
    record_start "$full/big.mp4" "H.264"
    full_stop() { grep -q "^Recording to $full/big.mp4 stopped: Cannot write $full/big.mp4: No space left on device" "$log"; }
    for _ in $(seq 1 20); do
        full_stop && break
        e2e_drag 3 100 100 500 500 20
        e2e_drag 1 500 100 100 500 20
    done
    check 'full_stop' "a full disk stops the recording with a console line ($(grep "stopped" "$log" | tail -n 1))"
    check 'answer "^vornix$" Return' "the full disk is shown to the user in an error message"
    check 'app_shot_until full-dot 10 rec_dot_gone' "the indicator goes when the disk is full"
    app_toggle_panel shown
    check 'app_panel_shown "$E2E_DIR/panel-shown.png"' "the program runs on after the full disk"
    "$VORNIX_X_CLOSE" "$E2E_WID"
    wait "$outer"
    status=$?
    E2E_PID=""
    check '[ "$status" = 0 ]' "and ends with status 0 (status $status)"
    k=$(rec_frames "$out/big.mp4")
    said=$(rec_console | grep "^Recording to $full/big.mp4 stopped: " | sed 's/.*(after \([0-9]*\) frames.*/\1/')
    check '[ "${k:-0}" -ge 1 ] && [ "$k" = "$said" ]' "what was written before the disk filled plays: the $said frames the message counts ($k)"
else
    echo "skipped: no private mount namespace here (unshare -rm) for the full-disk case"
fi
e2e_finish
