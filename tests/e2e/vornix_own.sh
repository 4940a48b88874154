#!/usr/bin/env bash
# Own presets and colours end to end, in a settings folder of the test's own: a GIMP palette and a GIMP gradient
# named on the command line become the colours the window shows; "Save Preset" and "Start With It" in the Studio
# panel write the preset and the choice; started again, vornix starts with that preset, and choosing it in the
# Studio's list after a built-in preset sets the parameter panel's values again; dragging a stop in the gradient
# editor recolours the dye while the button is held.
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
differs_from() { [ "$(e2e_diff "$1" "$2")" -gt 0 ]; }    # REF FILE
# The window without motion: the same picture twice in a row.
steady() {
    local prev="$E2E_DIR/steady-prev.png" same=1
    [ -f "$prev" ] && [ "$(e2e_diff "$1" "$prev")" = 0 ] && same=0
    cp "$1" "$prev"
    return $same
}
# A key that shows or hides a panel: waits until the picture has changed and is steady again.
toggle() {
    local before; before=$(e2e_shot "before-$1")
    e2e_key "$1"
    app_shot_until "toggled-$1" 20 differs_from "$before" && rm -f "$E2E_DIR/steady-prev.png" &&
        app_shot_until "steady-$1" 20 steady
}
crop() { convert "$1" -crop "$3" +repage "$2"; }   # FILE OUT WxH+X+Y

e2e_start "$VORNIX_BIN" "$files/red.gpl"
xdotool windowfocus --sync "$E2E_WID"
app_shot_until start 30 app_is_help
e2e_click 150 300
check 'app_shot_until red 20 red' "a palette on the command line colours the fluid ($(e2e_mean "$E2E_DIR/red.png" 20 300 300 250))"
check '[ -f "$XDG_CONFIG_HOME/vornix/schemes/Red.toml" ]' "the palette is kept as schemes/Red.toml"

check 'toggle t' "'t' shows the Studio panel"
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

# The parameter panel's rows below "vornix Preset" with the own preset, with "Retro Plasma", and with the own preset
# chosen again in the Studio's "Own Preset" list (its second item, below "(none)").
xdotool mousemove --window "$E2E_WID" 590 590
toggle m
rows='280x364+16+56'
crop "$E2E_DIR/steady-m.png" "$E2E_DIR/rows-own.png" "$rows"
app_pick "$APP_PRESET_Y" $((APP_PRESET_ITEM0 + 4 * APP_PRESET_STEP))
crop "$E2E_DIR/pick-closed.png" "$E2E_DIR/rows-retro.png" "$rows"
check 'differs_from "$E2E_DIR/rows-own.png" "$E2E_DIR/rows-retro.png"' "\"Retro Plasma\" changes the panel's values"
toggle t
e2e_click 523 78
app_shot_until own-list 20 differs_from "$E2E_DIR/steady-t.png"
e2e_click 523 113
xdotool mousemove --window "$E2E_WID" 590 590
own_rows() { crop "$1" "$E2E_DIR/rows-again.png" "$rows" && [ "$(e2e_diff "$E2E_DIR/rows-own.png" "$E2E_DIR/rows-again.png")" = 0 ]; }
check 'app_shot_until own-again 20 own_rows' "choosing the own preset in the Studio's list sets the panel's values"

# The gradient editor over dye, paused: "Blackbody" (key 4) has stops at 0, 0.2, ... 1; the one at 0.2 is dragged
# to 0.55 while the upper part of the window, where the dye is, is watched.
toggle m
toggle t
e2e_key 4
e2e_drag 3 100 200 500 200
e2e_key space
toggle e
crop "$E2E_DIR/steady-e.png" "$E2E_DIR/dye-before.png" 600x380+0+0
dye_changed() { crop "$1" "$E2E_DIR/dye-now.png" 600x380+0+0 && [ "$(e2e_diff "$E2E_DIR/dye-before.png" "$E2E_DIR/dye-now.png")" -ge 500 ]; }
xdotool mousemove --window "$E2E_WID" 94 469
xdotool mousedown 1
for x in $(seq 104 10 210); do xdotool mousemove --window "$E2E_WID" "$x" 469; sleep 0.03; done
check 'app_shot_until dragging 20 dye_changed' "dragging a stop in the gradient editor recolours the dye at once"
xdotool mouseup 1
e2e_close
e2e_finish
