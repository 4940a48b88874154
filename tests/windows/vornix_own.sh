#!/usr/bin/env bash
# Own presets and colours in vornix.exe under Wine. The settings folder is the user's roaming application data
# (the prefix's drive_c/users/<user>/AppData/Roaming/vornix, which the other tests share: emptied before and after).
# A GIMP gradient on the command line colours the fluid and is kept there; "Save Preset" in the Studio panel writes
# the preset. Started again with a GIMP palette: the palette colours the fluid, the preset is listed, and choosing it
# after a built-in preset gives the parameter panel the values and colours it had when the preset was saved.
source "$VORNIX_SOURCE/tests/windows/lib_wine.sh"
source "$VORNIX_SOURCE/tests/e2e/lib_own.sh"

settings="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/vornix"
rm -rf "$settings"
trap 'rm -rf "$settings"' EXIT
export XDG_CONFIG_HOME=$(e2e_fresh_dir xdg)
files=$(e2e_fresh_dir files)
own_colour_files "$files"

wine_start "$(winpath "$files/sky.ggr")"
e2e_click 150 300
check 'app_shot_until sky 60 own_sky' "a GIMP gradient on the command line colours the fluid ($(own_fluid "$E2E_DIR/sky.png"))"
check '[ -f "$settings/schemes/Sky.toml" ]' "it is kept in %APPDATA%\\vornix\\schemes"
check 'own_toggle t' "'t' shows the Studio panel"
e2e_click $OWN_SAVE_X $OWN_SAVE_Y
check 'e2e_wait 30 test -f "$settings/presets/My Preset.toml"' "\"Save Preset\" writes %APPDATA%\\vornix\\presets\\My Preset.toml"
own_toggle t
xdotool mousemove --window "$E2E_WID" 590 590
own_toggle m
own_rows "$E2E_DIR/steady-m.png" "$E2E_DIR/rows-saved.png"
e2e_close
check '[ "$E2E_STATUS" = 0 ]' "the program ends with status 0 (got $E2E_STATUS)"
# Wine's own PulseAudio driver keeps its runtime link in pulse/ there once the Studio's audio is asked about.
check '[ -z "$(ls -A "$XDG_CONFIG_HOME" | grep -vx pulse)" ]' "nothing of vornix is written to the Linux settings folder"

wine_start "$(winpath "$files/red.gpl")"
e2e_click 150 300
check 'app_shot_until red 60 own_red' "a GIMP palette on the command line colours the fluid ($(own_fluid "$E2E_DIR/red.png"))"
check '[ -f "$settings/schemes/Red.toml" ]' "it is kept beside the gradient"
own_toggle m
app_pick "$APP_PRESET_Y" $((APP_PRESET_ITEM0 + 4 * APP_PRESET_STEP))   # "Retro Plasma"
own_rows "$E2E_DIR/pick-closed.png" "$E2E_DIR/rows-retro.png"
check 'differs_from "$E2E_DIR/rows-saved.png" "$E2E_DIR/rows-retro.png"' "\"Retro Plasma\" changes the panel's values"
own_toggle t
own_pick_preset 1
check 'app_shot_until own-again 30 own_rows_are "$E2E_DIR/rows-saved.png"' \
  "the saved preset is listed after a restart, and choosing it sets the panel's values"
e2e_close
wine_program_lines
e2e_finish
