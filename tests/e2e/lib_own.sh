# Helpers for the end-to-end tests of own presets and colours (Linux and Wine); source after lib_app.sh.
# The Studio panel (key t) sits at the top right; its last group is the own presets': "Own Preset" is its list, "Save
# Preset" saves under the name "My Preset".
#   own_colour_files DIR   writes red.gpl (one colour: a flat red) and sky.ggr (one flat sky-blue segment) into DIR
#   own_red FILE, own_sky FILE   the empty fluid (left half) shows that colour, within 8 per channel
#   own_toggle KEY         KEY shows or hides a panel: waits until the picture has changed and is steady again, which
#                          is then $E2E_DIR/steady-KEY.png
#   own_rows FILE OUT      the parameter panel's rows below "vornix Preset" into OUT
#   own_rows_are REF FILE  FILE's rows are exactly REF (made by own_rows)
#   own_pick_preset ITEM   opens the Studio's "Own Preset" list and chooses its ITEM-th entry ("(none)" is the 0th)
#   differs_from REF FILE  the pictures differ
OWN_SAVE_X=436 OWN_SAVE_Y=480   # "Save Preset"
OWN_LIST_X=528 OWN_LIST_Y=446   # "Own Preset"; its items 15 pixels apart from 20 below
OWN_START_X=486 OWN_START_Y=514 # "Start With It"

own_colour_files() {
    printf 'GIMP Palette\nName: Red\n255 0 0\n' >"$1/red.gpl"
    printf 'GIMP Gradient\nName: Sky\n1\n0 0.5 1 0.2 0.6 1 1 0.2 0.6 1 1 0 0\n' >"$1/sky.ggr"
}

own_near() {   # FILE R G B
    local m; m=$(e2e_mean "$1" 20 300 300 250)
    set -- $m "$2" "$3" "$4"
    [ $(( ($1-$4)**2 + ($2-$5)**2 + ($3-$6)**2 )) -le 192 ]
}
own_red() { own_near "$1" 255 0 0; }
own_sky() { own_near "$1" 51 153 255; }
own_fluid() { e2e_mean "$1" 20 300 300 250; }

differs_from() { [ "$(e2e_diff "$1" "$2")" -gt 0 ]; }

own_steady() {
    local prev="$E2E_DIR/steady-prev.png" same=1
    [ -f "$prev" ] && [ "$(e2e_diff "$1" "$prev")" = 0 ] && same=0
    cp "$1" "$prev"
    return $same
}

own_toggle() {
    local before; before=$(e2e_shot "before-$1")
    e2e_key "$1"
    app_shot_until "toggled-$1" 30 differs_from "$before" && rm -f "$E2E_DIR/steady-prev.png" &&
        app_shot_until "steady-$1" 30 own_steady
}

own_crop() { convert "$1" -crop "$3" +repage "$2"; }   # FILE OUT WxH+X+Y
own_rows() { own_crop "$1" "$2" 280x364+16+56; }
own_rows_are() { own_rows "$2" "$E2E_DIR/rows-now.png" && [ "$(e2e_diff "$1" "$E2E_DIR/rows-now.png")" = 0 ]; }

own_pick_preset() {
    local closed; closed=$(e2e_shot pick-studio-closed)
    e2e_click "$OWN_LIST_X" "$OWN_LIST_Y"
    app_shot_until pick-studio-open 30 differs_from "$closed" || return 1
    e2e_click "$OWN_LIST_X" $((OWN_LIST_Y + 20 + 15 * $1))
    xdotool mousemove --window "$E2E_WID" 590 590   # away from the panels: no tooltips in later pictures
}
