# Checks of vornix on a screen at 150 %, shared by the Linux test (Xft.dpi) and the Wine test (LogPixels); source
# after lib.sh and lib_app.sh. At that scale the window covers on screen what 600 x 600 covers at 100 %: 900 x 900
# pixels, centred on the 1280 x 1024 screen at (190, 62). (200 % would make it 1200 x 1200, larger than the screen.)
#   scaled_start CMD...   starts the program and waits until the help picture fills the 900 x 900 window
#   scaled_started        the same wait for a program started otherwise (wine_exe)
#   scaled_checks         the window's size, a readable panel, a click on a panel entry, a dab under the mouse,
#                         the size after full screen, and the close
SCALED_HELP_REF="$E2E_DIR/help-reference-900.png"
convert "$VORNIX_SOURCE/resources/help.jpg" -resize '900x900!' "$SCALED_HELP_REF"

scaled_is_help() { [ "$(app_rmse "$1[900x750+0+0]" "$SCALED_HELP_REF[900x750+0+0]")" -le 3 ]; }
scaled_is_black() { [ "$(e2e_sum "$(e2e_mean "$1" 0 0 900 900)")" -le 3 ]; }
scaled_geometry() { xdotool getwindowgeometry "$E2E_WID" | tr -s ' \n' ' '; }
scaled_windowed() { [[ "$(scaled_geometry)" == *"Position: 190,62"*"Geometry: 900x900"* ]]; }
scaled_full() { [[ "$(scaled_geometry)" == *"Geometry: 1280x1024"* ]]; }
# Rows of the panel's title bar (its grey, not its border or the panel below) in the column x = 28, inside the
# panel's left edge and left of every text: 13 at 100 %, 20 at 150 %.
scaled_title_rows() {
    convert "$1" -crop 1x100+28+0 +repage -depth 8 txt:- |
        awk -F'[(),]' 'NR > 1 { s = $3 + $4 + $5; if (s >= 150 && s <= 250) n++ } END { print n + 0 }'
}
scaled_panel_shown() { [ "$(scaled_title_rows "$1")" -ge 18 ]; }
scaled_panel_hidden() { [ "$(scaled_title_rows "$1")" -eq 0 ]; }
region() { e2e_sum "$(e2e_mean "$1" "$2" "$3" "$4" "$5")"; }
# The gradient bar: 45 rows (N = 200), its right end bright in the Blackbody colours.
scaled_bar_shown() { [ "$(region "$1" 800 5 90 30)" -ge 300 ]; }
scaled_dye_at_600() { [ "$(region "$1" 590 590 20 20)" -ge 60 ]; }

scaled_start() {
    e2e_start "$@"
    scaled_started
}

scaled_started() {
    xdotool windowfocus --sync "$E2E_WID"
    app_shot_until start 60 scaled_is_help
}

scaled_checks() {
    check 'scaled_windowed' "the window covers 900 x 900 pixels, centred ($(scaled_geometry))"
    check 'scaled_is_help "$E2E_DIR/start.png"' "the help picture fills the window"
    e2e_click 675 450
    check 'app_shot_until dismissed 20 scaled_is_black' "a click dismisses the help picture"

    e2e_key m
    app_shot_until panel 20 scaled_panel_shown
    check 'scaled_panel_shown "$E2E_DIR/panel.png"' \
        "'m' shows the panel with its text half again as large: title bar $(scaled_title_rows "$E2E_DIR/panel.png") rows high"
    # "Show Gradient Bar" at its place at 150 %; the click must land on the checkbox.
    e2e_click 220 609
    xdotool mousemove --window "$E2E_WID" 880 880
    e2e_key m
    check 'app_shot_until bar 20 scaled_bar_shown' "a click on the panel's \"Show Gradient Bar\" shows the bar"
    check 'scaled_panel_hidden "$E2E_DIR/bar.png"' "'m' hides the panel again"

    # A short right drag across x = 600 at y = 600: dye under the pointer, none in the upper half below the bar.
    e2e_drag 3 560 600 640 600 8
    check 'app_shot_until dab 20 scaled_dye_at_600' "a right drag leaves dye under the pointer at (600, 600)"
    sleep 0.3
    e2e_shot dab >/dev/null
    check '[ "$(region "$E2E_DIR/dab.png" 0 60 900 390)" -le 1 ]' "no dye in the upper half, where halved or doubled coordinates would put it"

    e2e_key Escape
    check 'e2e_wait 20 scaled_full' "Escape: full screen"
    e2e_key Escape
    e2e_wait 20 scaled_windowed
    check 'scaled_windowed' "Escape again: back to 900 x 900 at its place ($(scaled_geometry))"

    e2e_close
    check '[ "$E2E_STATUS" = 0 ]' "closing the window ends the program with status 0 (status $E2E_STATUS)"
}
