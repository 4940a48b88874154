# Checks of vornix on the keyboard layout the display has now (setxkbmap), shared by the Linux test and the Windows
# build's test under Wine; source after lib.sh and lib_app.sh. xdotool types by key symbol, so it presses the keys a
# user of that layout would, with Shift where the layout needs it (the digits on AZERTY).
#   layouts_shortcuts NAME [M]   the program must show the empty fluid (help dismissed, panel hidden): the key on
#                        the place of the US 'm' (key symbol M, "m" by default: a non-Latin layout names it by its own
#                        letter) toggles the panel, the keys that type 1 and 4 switch the colour scheme
#   layouts_check NAME   layouts_shortcuts, then a value typed into "Brushsize Density" takes effect; leaves the panel
#                        hidden, the fluid with a large dab of dye

LAYOUTS_DENSITY_X=195   # the value box of "Brushsize Density"
LAYOUTS_DENSITY_Y=187

layouts_spectrum() { local m; m=$(e2e_mean "$1" 320 20 260 200); set -- $m; [ "$1" -ge 230 ] && [ "$2" -le 20 ] && [ "$3" -le 20 ]; }
# 150 pixels from the dab's centre: 50 cells, far outside the 20-cell brush (nothing there), inside the 80-cell one,
# whose dye thins out towards its rim (a sum of about 55 there on the start scheme). The far corner stays black: a
# typed digit that reached the program's keys instead of the field changes the colour scheme, and black with it.
layouts_far_dye() {
    [ "$(e2e_sum "$(e2e_mean "$1" 290 290 20 20)")" -ge 30 ] && [ "$(e2e_sum "$(e2e_mean "$1" 10 10 20 20)")" -le 10 ]
}

# One press and release in one go: a key held across a slow moment (a busy machine) would repeat, and 'm' would
# toggle twice.
layouts_key() { xdotool key "$1"; }
LAYOUTS_M=m
layouts_toggle() { layouts_key "$LAYOUTS_M"; app_shot_until "panel-$1" 20 "app_panel_$1"; }

# The text of the value box of "Brushsize Density" cut out of a screenshot (the box's own shade, which the pointer
# and the keyboard focus change, left out).
layouts_box() { convert "$1" -crop 100x14+145+180 +repage -colorspace gray -threshold 60% "$2"; }
layouts_box_changed() {
    layouts_box "$1" "$E2E_DIR/box-after.png"
    [ "$(e2e_diff "$E2E_DIR/box-before.png" "$E2E_DIR/box-after.png")" -gt 10 ]
}

# Types VALUE into "Brushsize Density" (double-click, type, Return) with the panel shown, until the box
# shows another value: a click or a toggle lost on a busy machine is tried again, at most three times, after the
# colour scheme the digits chose instead (the program's keys while no field is open) is put back to Blackbody.
# Whether the value took effect is the caller's check.
layouts_type_density() {
    local attempt
    for attempt in 1 2 3; do
        xdotool mousemove --window "$E2E_WID" 590 590   # the box is drawn without the pointer's highlight
        app_panel_shown "$(e2e_shot "typing-$attempt")" || layouts_toggle shown || continue
        layouts_box "$(e2e_shot "before-$attempt")" "$E2E_DIR/box-before.png"
        xdotool mousemove --window "$E2E_WID" "$LAYOUTS_DENSITY_X" "$LAYOUTS_DENSITY_Y"
        sleep 0.3
        xdotool click --repeat 2 --delay 80 1   # selects the value, which typing replaces
        sleep 0.5
        xdotool type --delay 120 "$1"
        sleep 0.3
        e2e_key Return
        xdotool mousemove --window "$E2E_WID" 590 590
        app_shot_until "typed-$attempt" 5 layouts_box_changed && return 0
        layouts_toggle hidden
        layouts_key 4
    done
    return 1
}

layouts_shortcuts() {
    local name=$1
    LAYOUTS_M=${2:-m}
    check 'layouts_toggle shown' "$name: the key $LAYOUTS_M shows the panel"
    check 'layouts_toggle hidden' "$name: and hides it again"
    LAYOUTS_M=m
    layouts_key 1
    check 'app_shot_until "$name-spectrum" 20 layouts_spectrum' "$name: the key that types 1 chooses Spectrum"
    layouts_key 4
    check 'app_shot_until "$name-blackbody" 20 app_is_black' "$name: the key that types 4 chooses Blackbody again"
}

layouts_check() {
    local name=$1
    layouts_shortcuts "$name"

    # Double-click the value to type one; 80 cells (240 pixels) instead of 20 make a dab that reaches far.
    layouts_type_density 80
    layouts_toggle hidden
    e2e_click 450 300 3
    check 'app_shot_until "$name-dab" 20 layouts_far_dye' "$name: \"80\" typed into \"Brushsize Density\" makes a dab reaching 150 pixels"
}
