#!/usr/bin/env bash
# Painting with the mouse on the CPU engine: a right drag leaves dye along its path and nowhere else, a left drag
# carries the dye along; space freezes the picture and the right arrow steps once; the keys 1 to 8 recolour it.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/lib_app.sh"

app_start
app_dismiss_help
check 'app_use_cpu' "the panel's \"Render Engine\" switches to CPU"
check 'app_panel_hidden "$E2E_DIR/panel-hidden.png"' "the panel is hidden again after choosing the CPU engine"

# Sum of the mean colour of a region of a screenshot.
region() { e2e_sum "$(e2e_mean "$1" "$2" "$3" "$4" "$5")"; }

# A right drag along y = 450 from x = 150 to 450: dye along the stroke, black above it and beyond its ends.
e2e_drag 3 150 450 450 450
stroke_done() { [ "$(region "$1" 440 440 20 20)" -ge 60 ]; }
check 'app_shot_until stroke 20 stroke_done' "a right drag leaves dye at its end"
sleep 0.5
e2e_shot stroke >/dev/null
for x in 150 250 350 450; do
    check '[ "$(region "$E2E_DIR/stroke.png" $((x - 10)) 440 20 20)" -ge 60 ]' "dye along the stroke at x = $x"
done
check '[ "$(region "$E2E_DIR/stroke.png" 0 0 600 300)" -le 1 ]' "no dye in the upper half of the window"
check '[ "$(region "$E2E_DIR/stroke.png" 0 420 40 60)" -le 1 ] && [ "$(region "$E2E_DIR/stroke.png" 560 420 40 60)" -le 1 ]' \
    "no dye beyond the ends of the stroke"

# A left drag upwards across the stroke at x = 300 pushes the dye up into the empty region above it.
e2e_drag 1 300 500 300 300 25
moved_up() { [ "$(region "$1" 270 320 60 60)" -ge 60 ]; }
check 'app_shot_until pushed 20 moved_up' "a left drag carries the dye up where there was none ($(region "$E2E_DIR/stroke.png" 270 320 60 60) before)"

# Space pauses: two pictures a second apart are equal. The right arrow then shows exactly one more step.
e2e_key space
sleep 0.8
e2e_shot paused1 >/dev/null
sleep 1
e2e_shot paused2 >/dev/null
check '[ "$(e2e_diff "$E2E_DIR/paused1.png" "$E2E_DIR/paused2.png")" = 0 ]' "paused: two pictures a second apart are equal"
e2e_key Right
stepped() { [ "$(e2e_diff "$1" "$E2E_DIR/paused2.png")" -gt 0 ]; }
check 'app_shot_until stepped 10 stepped' "the right arrow steps the paused fluid"
sleep 1
e2e_shot stepped2 >/dev/null
check '[ "$(e2e_diff "$E2E_DIR/stepped.png" "$E2E_DIR/stepped2.png")" = 0 ]' "one step only: the picture stays as it is after the step"

# The colour keys on the frozen picture: every scheme gives another picture. 1 Spectrum is red where there is no
# dye, 2 Black2White is grey, 6 Winter light blue at zero density.
previous="$E2E_DIR/stepped2.png"
for k in 1 2 3 4 5 6 7 8; do
    e2e_key "$k"
    recoloured() { [ "$(e2e_diff "$1" "$previous")" -gt 1000 ]; }
    check 'app_shot_until "scheme$k" 10 recoloured' "key $k changes the colours"
    previous="$E2E_DIR/scheme$k.png"
done
# A place without dye: black in the paused Blackbody picture (on a slow machine the dye may have reached a corner).
clear_at="20 20"
for p in "20 20" "580 20" "20 580" "580 580" "300 20" "20 300" "580 300"; do
    [ "$(e2e_pixel "$E2E_DIR/stepped2.png" $p)" = "0 0 0" ] && { clear_at=$p; break; }
done
check '[ "$(e2e_pixel "$E2E_DIR/scheme1.png" $clear_at)" = "255 0 0" ]' "scheme 1 (Spectrum): no dye is red ($(e2e_pixel "$E2E_DIR/scheme1.png" $clear_at) at $clear_at)"
grey() { set -- $(e2e_mean "$1" 150 440 300 20); [ "$1" = "$2" ] && [ "$2" = "$3" ] && [ "$1" -gt 3 ]; }
check 'grey "$E2E_DIR/scheme2.png"' "scheme 2 (Black2White): the dye is grey ($(e2e_mean "$E2E_DIR/scheme2.png" 150 440 300 20))"
check '[ "$(e2e_pixel "$E2E_DIR/scheme2.png" $clear_at)" = "0 0 0" ]' "scheme 2 (Black2White): no dye is black"
check '[ "$(e2e_pixel "$E2E_DIR/scheme6.png" $clear_at)" = "76 128 255" ]' "scheme 6 (Winter): no dye is light blue ($(e2e_pixel "$E2E_DIR/scheme6.png" $clear_at))"
check '[ "$(e2e_diff "$E2E_DIR/scheme4.png" "$E2E_DIR/stepped2.png")" = 0 ]' "key 4 brings back the starting scheme, Blackbody"

e2e_close
check '[ "$E2E_STATUS" = 0 ]' "closing the window ends the program with status 0 (status $E2E_STATUS)"
e2e_finish
