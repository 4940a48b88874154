#!/usr/bin/env bash
# The vornix program from start to close: the help picture with the panel hidden, a click that dismisses it, 'm'
# for the panel, a change of "Render Engine" (the fluid is discarded), the preset "Retro Plasma" (Spectrum colours,
# a 15 x 15 grid whose 40-pixel cells catch the brush), and a close request that ends it with status 0.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/lib_app.sh"

# The command line's questions are answered without a window (no display at all); a mistake is status 2.
no_window() { env -u DISPLAY -u WAYLAND_DISPLAY "$VORNIX_BIN" "$@"; }
check 'no_window --help | grep -q "^Usage: vornix .*FILE"' "--help prints the usage without a display"
check '[[ "$(no_window --version)" =~ ^vornix\ [0-9]+\.[0-9]+ ]]' "--version prints the version without a display"
check 'no_window --bogus 2>"$E2E_DIR/bogus.txt" >/dev/null; [ $? -eq 2 ] && grep -q "^Usage:" "$E2E_DIR/bogus.txt"' \
  "an unknown option prints the usage to standard error with status 2"

app_start
check 'app_is_help "$E2E_DIR/start.png"' "it starts on the help picture, with no panel over it (RMSE $(app_rmse "$E2E_DIR/start.png" "$APP_HELP_REF")%)"

app_dismiss_help
check 'app_is_black "$E2E_DIR/dismissed.png"' "a click dismisses the help picture: the empty fluid is black"

app_toggle_panel shown
check 'app_panel_shown "$E2E_DIR/panel-shown.png"' "'m' shows the panel"

# Dye on the GPU engine, then "Render Engine" CPU: a new model, so the dye is gone; dye again on the CPU model.
dye_at_450() { [ "$(e2e_sum "$(e2e_mean "$1" 440 290 20 20)")" -ge 60 ]; }
e2e_click 450 300 3
check 'app_shot_until gpu-dye 30 dye_at_450' "a right click drops dye on the GPU engine"
app_pick "$APP_ENGINE_Y" "$APP_ENGINE_CPU_Y"
no_dye_at_450() { ! dye_at_450 "$1"; }
check 'app_shot_until cpu-empty 20 no_dye_at_450' "choosing CPU in \"Render Engine\" discards the fluid"
check 'app_panel_shown "$E2E_DIR/cpu-empty.png"' "the panel stays shown after the choice"
e2e_click 450 300 3
check 'app_shot_until cpu-dye 20 dye_at_450' "a right click drops dye on the CPU engine"

# "Retro Plasma": Spectrum (red where there is no dye), no lighting, N = 15, GPU engine, an empty fluid.
is_red() { local m; m=$(e2e_mean "$1" 320 20 260 200); set -- $m; [ "$1" -ge 230 ] && [ "$2" -le 20 ] && [ "$3" -le 20 ]; }
app_pick "$APP_PRESET_Y" $((APP_PRESET_ITEM0 + 4 * APP_PRESET_STEP))
check 'app_shot_until plasma 30 is_red' "the preset \"Retro Plasma\" shows an empty fluid in Spectrum red"
# The grid is compared on the CPU engine, whose picture stands still without velocity (the engine change keeps N).
app_pick "$APP_ENGINE_Y" "$APP_ENGINE_CPU_Y"
e2e_key m
title_red() { local m; m=$(e2e_mean "$1" 20 19 270 14); set -- $m; [ "$1" -ge 230 ] && [ "$2" -le 20 ]; }
check 'app_shot_until plasma-nopanel 20 title_red' "'m' hides the panel again"

# On a 15 x 15 grid a cell is 40 pixels wide: dabs at x = 405 and 435 land in the same cell (11, centre x = 420)
# and give the same picture; a dab at x = 445 lands in the next cell. Nothing moves the dye (no velocity).
# Each dab is a short right drag within the cell (more dye than one click).
dab() {
    local x=$1 name=$2 before
    e2e_key r
    app_shot_until "$name-reset" 20 is_red_everywhere || return 1
    e2e_drag 3 "$x" 300 $((x + 2)) 300 4
    before=$(e2e_mean "$E2E_DIR/$name-reset.png" 380 280 80 40)
    changed() { [ "$(e2e_mean "$1" 380 280 80 40)" != "$before" ]; }
    app_shot_until "$name-dye" 20 changed || return 1
    sleep 1
    e2e_shot "$name" >/dev/null
}
is_red_everywhere() { local m; m=$(e2e_mean "$1" 0 0 600 600); set -- $m; [ "$1" -ge 230 ] && [ "$2" -le 20 ] && [ "$3" -le 20 ]; }
dab 405 dab405 && dab 435 dab435 && dab 445 dab445
check '[ "$(e2e_diff "$E2E_DIR/dab405.png" "$E2E_DIR/dab435.png")" -le 100 ]' \
    "dabs 30 pixels apart in one 40-pixel cell give the same picture ($(e2e_diff "$E2E_DIR/dab405.png" "$E2E_DIR/dab435.png") pixels differ)"
check '[ "$(e2e_diff "$E2E_DIR/dab435.png" "$E2E_DIR/dab445.png")" -ge 5000 ]' \
    "a dab 10 pixels on, in the next cell, moves the dye ($(e2e_diff "$E2E_DIR/dab435.png" "$E2E_DIR/dab445.png") pixels differ)"
# The dab at 405 is centred on its cell's centre, x = 420, not on the click.
left=$(e2e_sum "$(e2e_pixel "$E2E_DIR/dab405.png" 399 300)")
right=$(e2e_sum "$(e2e_pixel "$E2E_DIR/dab405.png" 440 300)")
check '[ $((left - right)) -le 1 ] && [ $((right - left)) -le 1 ] && [ "$(e2e_pixel "$E2E_DIR/dab405.png" 420 300)" != "$(e2e_pixel "$E2E_DIR/dab405.png" 40 40)" ]' \
    "the dye sits symmetric about the cell's centre (x 399: $left, x 440: $right)"

e2e_close
check '[ "$E2E_STATUS" = 0 ]' "closing the window ends the program with status 0 (status $E2E_STATUS)"
e2e_finish
