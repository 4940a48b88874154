#!/usr/bin/env bash
# Own presets and colours end to end, in a settings folder of the test's own: a GIMP palette and a GIMP gradient
# named on the command line become the colours the window shows; "Save Preset" and "Start With It" in the Studio
# panel write the preset and the choice; started again, vornix starts with that preset, and choosing it in the
# Studio's list after a built-in preset sets the parameter panel's values again; dragging a stop in the gradient
# editor recolours the dye while the button is held.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/lib_app.sh"
source "$(dirname "$0")/lib_own.sh"

export XDG_CONFIG_HOME=$(e2e_fresh_dir config)
files=$(e2e_fresh_dir files)
own_colour_files "$files"

e2e_start "$VORNIX_BIN" "$files/red.gpl"
xdotool windowfocus --sync "$E2E_WID"
app_shot_until start 30 app_is_help
e2e_click 150 300
check 'app_shot_until red 20 own_red' "a palette on the command line colours the fluid ($(own_fluid "$E2E_DIR/red.png"))"
check '[ -f "$XDG_CONFIG_HOME/vornix/schemes/Red.toml" ]' "the palette is kept as schemes/Red.toml"

check 'own_toggle t' "'t' shows the Studio panel"
e2e_click $OWN_SAVE_X $OWN_SAVE_Y
check 'e2e_wait 20 test -f "$XDG_CONFIG_HOME/vornix/presets/My Preset.toml"' "\"Save Preset\" writes presets/My Preset.toml"
e2e_click $OWN_START_X $OWN_START_Y
check 'e2e_wait 20 grep -q "start_preset = .presets/My Preset.toml." "$XDG_CONFIG_HOME/vornix/settings.toml"' \
  "\"Start With It\" is kept in settings.toml"
check 'grep -q "name = .Red." "$XDG_CONFIG_HOME/vornix/presets/My Preset.toml"' "the preset carries its own colours"
e2e_close
check '[ "$E2E_STATUS" = 0 ]' "the program ends with status 0"

# Started again with a gradient: the start preset first, then the file, which wins.
e2e_start "$VORNIX_BIN" "$files/sky.ggr"
check 'app_shot_until sky 30 own_sky' "a GIMP gradient on the command line colours the fluid ($(own_fluid "$E2E_DIR/sky.png"))"
e2e_close

# Started again without files: the own preset, with its red, and no help picture (it was off when saved).
e2e_start "$VORNIX_BIN"
check 'app_shot_until again 30 own_red' "vornix starts with the saved preset ($(own_fluid "$E2E_DIR/again.png"))"
check 'grep -q "Started with the preset \"My Preset\"" "$E2E_DIR/stderr.log"' "and says so on the console"

# The parameter panel's rows below "vornix Preset" with the own preset, with "Retro Plasma", and with the own preset
# chosen again in the Studio's "Own Preset" list (its second item, below "(none)").
xdotool mousemove --window "$E2E_WID" 590 590
own_toggle m
own_rows "$E2E_DIR/steady-m.png" "$E2E_DIR/rows-own.png"
app_pick "$APP_PRESET_Y" $((APP_PRESET_ITEM0 + 4 * APP_PRESET_STEP))
own_rows "$E2E_DIR/pick-closed.png" "$E2E_DIR/rows-retro.png"
check 'differs_from "$E2E_DIR/rows-own.png" "$E2E_DIR/rows-retro.png"' "\"Retro Plasma\" changes the panel's values"
own_toggle t
own_pick_preset 1
check 'app_shot_until own-again 30 own_rows_are "$E2E_DIR/rows-own.png"' \
  "choosing the own preset in the Studio's list sets the panel's values"

# The gradient editor over dye, paused: "Blackbody" (key 4) has stops at 0, 0.2, ... 1; the one at 0.2 is dragged
# to 0.55 while the upper part of the window, where the dye is, is watched.
own_toggle m
own_toggle t
e2e_key 4
e2e_drag 3 100 200 500 200
e2e_key space
own_toggle e
own_crop "$E2E_DIR/steady-e.png" "$E2E_DIR/dye-before.png" 600x380+0+0
dye_changed() { own_crop "$1" "$E2E_DIR/dye-now.png" 600x380+0+0 && [ "$(e2e_diff "$E2E_DIR/dye-before.png" "$E2E_DIR/dye-now.png")" -ge 500 ]; }
xdotool mousemove --window "$E2E_WID" 94 469
xdotool mousedown 1
for x in $(seq 104 10 210); do xdotool mousemove --window "$E2E_WID" "$x" 469; sleep 0.03; done
check 'app_shot_until dragging 20 dye_changed' "dragging a stop in the gradient editor recolours the dye at once"
xdotool mouseup 1
e2e_close
e2e_finish
