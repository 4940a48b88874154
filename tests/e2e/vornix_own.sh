#!/usr/bin/env bash
# Own presets and colours end to end, in a settings folder of the test's own: a GIMP palette and a GIMP gradient
# named on the command line become the colours the window shows; "Save Preset" and "Start With It" in the Studio
# panel write the preset and the choice; started again, vornix starts with that preset.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/lib_app.sh"

export XDG_CONFIG_HOME=$(e2e_fresh_dir config)
files=$(e2e_fresh_dir files)
printf 'GIMP Palette\nName: Red\n255 0 0\n' >"$files/red.gpl"                              # one colour: flat red
printf 'GIMP Gradient\nName: Sky\n1\n0 0.5 1 0.2 0.6 1 1 0.2 0.6 1 1 0 0\n' >"$files/sky.ggr"   # flat sky blue

# The empty fluid shows the gradient's first colour; the panels sit at the top and right.
near() {   # FILE R G B: the fluid's left half within 8 of the colour
    local m; m=$(e2e_mean "$1" 20 300 300 250)
    set -- $m "$2" "$3" "$4"
    [ $(( ($1-$4)**2 + ($2-$5)**2 + ($3-$6)**2 )) -le 192 ]
}
red() { near "$1" 255 0 0; }
sky() { near "$1" 51 153 255; }

e2e_start "$VORNIX_BIN" "$files/red.gpl"
xdotool windowfocus --sync "$E2E_WID"
app_shot_until start 30 app_is_help
e2e_click 150 300
check 'app_shot_until red 20 red' "a palette on the command line colours the fluid ($(e2e_mean "$E2E_DIR/red.png" 20 300 300 250))"
check '[ -f "$XDG_CONFIG_HOME/vornix/schemes/Red.toml" ]' "the palette is kept as schemes/Red.toml"

e2e_key t
sleep 1
e2e_click 484 112   # "Save Preset" (named "My Preset")
check 'e2e_wait 20 test -f "$XDG_CONFIG_HOME/vornix/presets/My Preset.toml"' "\"Save Preset\" writes presets/My Preset.toml"
e2e_click 475 180   # "Start With It"
check 'e2e_wait 20 grep -q "start_preset = .presets/My Preset.toml." "$XDG_CONFIG_HOME/vornix/settings.toml"' \
  "\"Start With It\" is kept in settings.toml"
check 'grep -q "name = .Red." "$XDG_CONFIG_HOME/vornix/presets/My Preset.toml"' "the preset carries its own colours"
e2e_close
check '[ "$E2E_STATUS" = 0 ]' "the program ends with status 0"

# Started again with a gradient: the start preset first, then the file, which wins.
e2e_start "$VORNIX_BIN" "$files/sky.ggr"
check 'app_shot_until sky 30 sky' "a GIMP gradient on the command line colours the fluid ($(e2e_mean "$E2E_DIR/sky.png" 20 300 300 250))"
e2e_close

# Started again without files: the own preset, with its red, and no help picture (it was off when saved).
e2e_start "$VORNIX_BIN"
check 'app_shot_until again 30 red' "vornix starts with the saved preset ($(e2e_mean "$E2E_DIR/again.png" 20 300 300 250))"
check 'grep -q "Started with the preset \"My Preset\"" "$E2E_DIR/stderr.log"' "and says so on the console"
e2e_close
e2e_finish
