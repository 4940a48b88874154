# Helpers for the end-to-end tests of the vornix program itself; source after lib.sh.
# The panel "Simulation Parameters" sits at (16, 16) with 280 x 480 pixels; its rows are laid out from the entry list,
# so the places below are fixed as long as the entries are.
#   app_start             starts vornix and waits until the help picture is drawn
#   app_dismiss_help      a left click beside the panel's place; waits until the (empty, black) fluid shows
#   app_toggle_panel      'm'; waits until the panel is shown or gone (judged over an empty, black fluid)
#   app_pick COMBO ITEM   opens the drop-down list at panel row y=COMBO and clicks its item at y=ITEM
#   app_use_cpu           shows the panel, picks "CPU" in "Render Engine", hides the panel again (over an empty fluid)
#   app_shot_until NAME SECS CMD...   takes screenshot NAME until CMD (given the file) succeeds
#   app_notice_over FILE PICTURE      a notice shows in FILE's bottom band, over what PICTURE shows there
#   app_suggested_in FOLDER EXT       the newest file in FOLDER named as the save dialogs suggest ("vornix <date>.EXT")
#   app_saved_in FOLDER EXT           such a file is there and not empty
: "${VORNIX_BIN:?}" "${VORNIX_SOURCE:?}" "${VORNIX_X_CLOSE:?}"
# The program remembers its save dialogs' folders in the settings folder: the tests' own, not the user's.
export XDG_CONFIG_HOME="$E2E_DIR/config"

APP_PRESET_Y=44         # "vornix Preset"; its list starts at y=APP_PRESET_ITEM0, one item per APP_PRESET_STEP pixels
APP_PRESET_ITEM0=64
APP_PRESET_STEP=15
APP_ENGINE_Y=343        # "Render Engine"; its list: "CPU" at APP_ENGINE_CPU_Y, "GPU" 15 pixels below
APP_ENGINE_CPU_Y=363
APP_COMBO_X=200
APP_HELP_REF="$E2E_DIR/help-reference.png"

# The title bar of the panel: about (77, 77, 83) over a black picture, black when the panel is hidden.
app_title_sum() { e2e_sum "$(e2e_mean "$1" 20 19 270 14)"; }
app_panel_shown() { local s; s=$(app_title_sum "$1"); [ "$s" -ge 180 ] && [ "$s" -le 300 ]; }
app_panel_hidden() { [ "$(app_title_sum "$1")" -le 30 ]; }

app_shot_until() {
    local name=$1 secs=$2
    shift 2
    local deadline=$((SECONDS + secs)) file
    while :; do
        file=$(e2e_shot "$name")
        "$@" "$file" && return 0
        [ "$SECONDS" -ge "$deadline" ] && return 1
        sleep 0.2
    done
}

# Root-mean-square difference of two pictures in percent of full scale (integer).
app_rmse() { compare -metric RMSE "$1" "$2" null: 2>&1 | sed 's/.*(\(.*\))/\1/' | awk '{printf "%d", $1 * 100}'; }
# The help picture above the band where notices appear (on this machine the one about software OpenGL, at start).
app_is_help() { [ "$(app_rmse "$1[600x500+0+0]" "$APP_HELP_REF[600x500+0+0]")" -le 3 ]; }
# A notice is up: the band above the window's bottom edge (y 500 to 560) differs from the picture under it, $2.
app_notice_over() { [ "$(app_rmse "$1[600x60+0+500]" "$2[600x60+0+500]")" -ge 8 ]; }
app_is_black() { [ "$(e2e_sum "$(e2e_mean "$1" 0 0 600 600)")" -le 3 ]; }

app_start() {
    convert "$VORNIX_SOURCE/resources/help.jpg" -resize '600x600!' "$APP_HELP_REF"
    e2e_start "$VORNIX_BIN"
    xdotool windowfocus --sync "$E2E_WID"
    app_shot_until start 30 app_is_help
}

app_dismiss_help() {
    e2e_click 450 300
    app_shot_until dismissed 20 app_is_black
}

app_toggle_panel() {
    local want=$1
    e2e_key m
    app_shot_until "panel-$want" 20 "app_panel_$want"
}

app_crop_mean() { e2e_mean "$1" $((APP_COMBO_X - 40)) $(($2 - 6)) 100 12; }
app_region_differs() { [ "$(app_crop_mean "$3" "$1")" != "$2" ]; }   # ITEM_Y BEFORE FILE

# The list is closed when the item's place shows neither the open list (as it looked without the pointer) nor the
# blue of a hovered item.
app_list_closed() {
    local m
    m=$(app_crop_mean "$3" "$1")
    [ "$m" != "$2" ] || return 1
    set -- $m
    [ $(($3 - $1)) -lt 40 ]
}

app_pick() {
    local combo=$1 item=$2 before open
    before=$(app_crop_mean "$(e2e_shot pick-before)" "$item")
    e2e_click "$APP_COMBO_X" "$combo"
    # The list opens with the next frame, which may be slow: wait until the item's place changes.
    app_shot_until pick-open 20 app_region_differs "$item" "$before" || return 1
    open=$(app_crop_mean "$E2E_DIR/pick-open.png" "$item")
    e2e_click "$APP_COMBO_X" "$item"
    sleep 0.3
    xdotool mousemove --window "$E2E_WID" 590 590   # away from the panel: no tooltips in later pictures
    # Wait for the choice to be taken before anything else happens: hiding the panel before the library has seen
    # the button's release would lose the click.
    app_shot_until pick-closed 20 app_list_closed "$item" "$open"
}

# Fails unless the entry's value changed (from "GPU" to "CPU").
app_use_cpu() {
    app_toggle_panel shown || return 1
    app_pick "$APP_ENGINE_Y" "$APP_ENGINE_CPU_Y" || return 1
    [ "$(e2e_mean "$E2E_DIR/pick-before.png" 120 $((APP_ENGINE_Y - 8)) 60 16)" != "$(e2e_mean "$E2E_DIR/pick-closed.png" 120 $((APP_ENGINE_Y - 8)) 60 16)" ] ||
        return 1
    app_toggle_panel hidden
}

app_suggested_in() {
    local stamp="[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] [0-9][0-9]-[0-9][0-9]-[0-9][0-9]"
    find "$1" -maxdepth 1 -name "vornix $stamp*.$2" | sort | tail -n 1
}
app_saved_in() { local file; file=$(app_suggested_in "$1" "$2"); [ -n "$file" ] && [ -s "$file" ]; }
