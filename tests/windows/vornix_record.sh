#!/usr/bin/env bash
# Recording video with vornix.exe under Wine, on the display and Wine server scripts/test-windows provides: 'v' and
# Wine's common save dialog start an MP4 (H.264 through openh264) while a right drag paints for about two seconds;
# the console's frame count equals what ffprobe counts, the stream is H.264 at 30 fps in the window's size, and the
# last decoded frame is the window's picture. Then the same for a GIF, and a paused recording to which three single
# steps add exactly three frames. (xdotool cannot type a name outside ASCII into
# Wine's dialog: the unit test VideoFileNameTest covers such names under Wine.)
source "$VORNIX_SOURCE/tests/windows/lib_wine.sh"

out=$(e2e_fresh_dir clips)
E2E_DIALOG_TITLE="Record Video"   # the save dialog asks for a video file
log="$E2E_DIR/stderr.log"
source "$VORNIX_SOURCE/tests/e2e/lib_record.sh"

# record FILE CODEC NAME SECONDS_OF_DRAG: a recording painted by a right drag, paused before it stops so that the
# window keeps the last recorded picture; the screenshot NAME-window is taken once the dot is gone.
record() {
    local file=$1 codec=$2 name=$3 steps=$(($4 * 30))
    e2e_key v
    wine_dialog_save "$file"
    e2e_wait 30 rec_started "$(winpath "$file")" "$codec"
    check 'rec_started "$(winpath "$file")" "$codec"' "'v' and the dialog start a $codec recording of 600 x 600 ($(rec_console | grep 'Recording video to' | tail -n 1))"
    check 'app_shot_until "$name-dot" 20 rec_dot_shown' "the red dot shows while recording the $name"
    e2e_drag 3 150 200 450 400 "$steps"
    e2e_key space
    e2e_key v
    e2e_wait 120 rec_stopped "$5"
    check 'app_shot_until "$name-window" 20 rec_dot_gone' "the dot is gone after stopping the $name"
    e2e_key space
}

wine_start
app_dismiss_help

record "$out/clip.mp4" "H.264 (libopenh264)" mp4 2 1
rec_check_mp4 "$out/clip.mp4" 1 10

record "$out/clip.gif" "GIF" gif 2 2
rec_check_gif "$out/clip.gif" 2 10

# Paused, three single steps give exactly three frames, the last one included.
e2e_key space
e2e_key v
wine_dialog_save "$out/steps.mp4"
e2e_wait 30 rec_started "$(winpath "$out/steps.mp4")" "H.264"
for _ in 1 2 3; do e2e_key Right; sleep 0.3; done
e2e_key v
e2e_wait 60 rec_stopped 3
check '[ "$(rec_console_frames 3)" = 3 ] && [ "$(rec_frames "$out/steps.mp4")" = 3 ]' \
    "paused, three single steps give three frames ($(rec_console_frames 3) on the console, $(rec_frames "$out/steps.mp4") in the file)"

e2e_close
check '[ "$E2E_STATUS" = 0 ]' "the close request ends the program with status 0 (got $E2E_STATUS)"
wine_program_lines
e2e_finish
