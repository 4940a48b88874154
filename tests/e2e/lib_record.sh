# Helpers for the tests of recording video, on Linux and under Wine; source after lib.sh. $log is the program's
# standard error, where its console lines go.
#   rec_console               the program's console lines (without the \r that Wine adds)
#   rec_frames FILE           frames ffprobe decodes in FILE
#   rec_stream FILE           "codec,width,height,frame rate" of its video stream; rec_colour_tags FILE its colour tags
#   rec_last_frame FILE PNG   its last decoded frame as a picture
#   rec_psnr A B              PSNR of two pictures in whole dB (99 when they are equal)
#   rec_started PATH CODEC [SIZE]   the console says a recording of SIZE ("600 x 600" by default) to PATH with CODEC
#                             started
#   rec_stopped N             the console says N recordings stopped; rec_console_frames N: the N-th one's frames
#   rec_dot_shown PICTURE     the red recording dot shows in the window's bottom-left corner; rec_dot_gone: it does not
#   rec_check_mp4 FILE K MIN, rec_check_gif FILE K MIN   the checks of a clip painted while recording (below)
: "${log:?set log to the standard error file of the program before sourcing lib_record.sh}"

rec_console() { tr -d '\r' <"$log"; }
rec_frames() { ffprobe -v error -select_streams v:0 -count_frames -show_entries stream=nb_read_frames -of csv=p=0 "$1" 2>/dev/null; }
rec_stream() { ffprobe -v error -select_streams v:0 -show_entries stream=codec_name,width,height,r_frame_rate -of csv=p=0 "$1" 2>/dev/null; }
# "range,matrix,transfer,primaries" of its video stream's colour tags.
rec_colour_tags() { ffprobe -v error -select_streams v:0 -show_entries stream=color_range,color_space,color_transfer,color_primaries -of csv=p=0 "$1" 2>/dev/null; }
# Every decoded frame is written over the same picture: the last one remains.
rec_last_frame() { ffmpeg -v error -y -i "$1" -update 1 "$2"; }
rec_psnr() { compare -metric PSNR "$1" "$2" null: 2>&1 | awk '{ if ($1 == "inf") print 99; else printf "%d", $1 }'; }
rec_started() { rec_console | grep -qF "Recording video to $1 (${3:-600 x 600}, $2"; }
rec_stopped() { [ "$(rec_console | grep -c "^Recording stopped: ")" -ge "$1" ]; }
rec_console_frames() { rec_console | grep "^Recording stopped: " | sed -n "$1p" | sed 's/^Recording stopped: \([0-9]*\) frames.*/\1/'; }
rec_dot_shown() { set -- $(e2e_pixel "$1" 18 582); [ "$1" -ge 150 ] && [ "$2" -le 60 ]; }
rec_dot_gone() { ! rec_dot_shown "$1"; }

# The checks of the K-th recording, to FILE, painted and then paused before it stopped: its console line counts at
# least MIN frames, ffprobe counts as many in the file, the stream has the window's size (and for MP4 is H.264 at 30
# fps), and the last frame (saved as mp4-last.png or gif-last.png) is the window's picture in the screenshot
# mp4-window.png or gif-window.png taken after the stop.
rec_check_mp4() {
    local file=$1 min=$3 n
    n=$(rec_console_frames "$2")
    check '[ "${n:-0}" -ge "$min" ]' "the console's stop line counts the frames ($n)"
    check '[ "$(rec_frames "$file")" = "$n" ]' "ffprobe counts the console's $n frames ($(rec_frames "$file"))"
    check '[ "$(rec_stream "$file")" = "h264,600,600,30/1" ]' "H.264, 600 x 600, 30 fps ($(rec_stream "$file"))"
    check '[ "$(rec_colour_tags "$file")" = "tv,smpte170m,iec61966-2-1,bt709" ]' \
        "tagged as sRGB in BT.601 limited-range YUV ($(rec_colour_tags "$file"))"
    rec_last_frame "$file" "$E2E_DIR/mp4-last.png"
    check '[ "$(rec_psnr "$E2E_DIR/mp4-last.png" "$E2E_DIR/mp4-window.png")" -ge 35 ]' \
        "the last frame is the window's picture (PSNR $(rec_psnr "$E2E_DIR/mp4-last.png" "$E2E_DIR/mp4-window.png") dB)"
}

rec_check_gif() {
    local file=$1 min=$3 n
    n=$(rec_console_frames "$2")
    check '[ "${n:-0}" -ge "$min" ] && [ "$(rec_frames "$file")" = "$n" ]' "the GIF holds the console's $n frames ($(rec_frames "$file"))"
    check '[ "$(rec_stream "$file" | cut -d, -f1-3)" = "gif,600,600" ]' "a 600 x 600 GIF ($(rec_stream "$file"))"
    rec_last_frame "$file" "$E2E_DIR/gif-last.png"
    check '[ "$(rec_psnr "$E2E_DIR/gif-last.png" "$E2E_DIR/gif-window.png")" -ge 28 ]' \
        "the GIF's last frame is the window's picture (PSNR $(rec_psnr "$E2E_DIR/gif-last.png" "$E2E_DIR/gif-window.png") dB)"
}
