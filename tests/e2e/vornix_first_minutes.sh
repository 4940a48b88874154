#!/usr/bin/env bash
# What a new user meets in the first minutes: the window names itself "vornix" and carries the program's icon, so a
# dock or task bar matches it to the menu entry; on software OpenGL (llvmpipe here) a notice over the help picture
# and one console line say that the CPU engine is faster, and the click that starts takes the notice away. The save
# dialogs start in the XDG pictures and videos folders with a name that overwrites nothing, then in the folder last
# used, also after a restart. After a picture is saved, a notice says where; it is not in the picture and fades by
# itself. While a recording is paused, the indicator says that no frames are added. Without zenity, what a message
# box would have said shows in the window.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/lib_app.sh"

# A home of the test's own, whose user-dirs.dirs names the pictures and videos folders.
home=$(e2e_fresh_dir home)
mkdir -p "$home/Bilder" "$home/Filme"
rm -rf "$XDG_CONFIG_HOME"
mkdir -p "$XDG_CONFIG_HOME"
printf 'XDG_PICTURES_DIR="$HOME/Bilder"\nXDG_VIDEOS_DIR="$HOME/Filme"\n' >"$XDG_CONFIG_HOME/user-dirs.dirs"
export HOME=$home
out=$(e2e_fresh_dir saved)
remembered=$XDG_CONFIG_HOME/vornix/folders.conf
# The dialog's suggestion taken as it is (Return).
dialog_accept() { e2e_dialog_window && xdotool key Return && e2e_dialog_done; }

app_start
wm_class=$(xprop -id "$E2E_WID" WM_CLASS)
check '[ "$wm_class" = "WM_CLASS(STRING) = \"vornix\", \"vornix\"" ]' \
    "the window's class and instance are vornix ($wm_class)"
icons=$(xprop -id "$E2E_WID" _NET_WM_ICON | grep -o "Icon ([0-9]* x [0-9]*)" | tr '\n' ' ')
check '[ "$icons" = "Icon (48 x 48) Icon (128 x 128) " ]' "the window carries the icon at 48 and 128 pixels ($icons)"

advice="OpenGL is drawn in software on this computer (llvmpipe"
check '[ "$(grep -c "^$advice" "$E2E_DIR/stderr.log")" = 1 ]' "one console line says OpenGL is drawn in software"
check 'app_notice_over "$E2E_DIR/start.png" "$APP_HELP_REF"' "a notice over the help picture says so too"
app_dismiss_help
check 'app_is_black "$E2E_DIR/dismissed.png"' "the click that dismisses the help picture takes the notice away"

# The first picture: where the dialog starts, as it suggests.
check '[ ! -e "$remembered" ]' "nothing is written to the settings folder before the first save"
e2e_key s
dialog_accept
check 'e2e_wait 10 app_saved_in "$home/Bilder" png' "'s' suggests the XDG pictures folder and a dated name"
shot=$(app_suggested_in "$home/Bilder" png)
check 'app_shot_until saved 10 app_notice_over "$shot"' "after saving, a notice in the window says where"

# Another folder, typed, while the notice is up: the picture has no notice in it, and the next dialog starts there.
e2e_key s
e2e_dialog_save "$out/typed.png"
e2e_wait 10 test -s "$out/typed.png"
band_black() { [ "$(e2e_sum "$(e2e_mean "$1" 0 500 600 60)")" -le 1 ]; }
check 'band_black "$out/typed.png"' "a picture saved while a notice shows has no notice in it"
notice_gone() { [ "$(e2e_diff "$1[600x60+0+500]" "$out/typed.png[600x60+0+500]")" = 0 ]; }
check 'app_shot_until notice-gone 20 notice_gone' "the notices fade by themselves"
e2e_key s
dialog_accept
check 'e2e_wait 10 app_saved_in "$out" png' "the next save starts in the folder used last"
check 'grep -qx "pictures=$out" "$remembered"' "the folder is remembered in the settings folder"

# The video's dialog starts in the videos folder. The indicator's text right of the clock (0:00): only while paused.
indicator_text() { [ "$(e2e_sum "$(e2e_mean "$1" 70 570 230 24)")" -ge 3 ]; }
no_indicator_text() { ! indicator_text "$1"; }
E2E_DIALOG_TITLE="Record Video"
e2e_key v
dialog_accept
e2e_wait 20 grep -q "^Recording video to $home/Filme/vornix " "$E2E_DIR/stderr.log"
check '[ -n "$(app_suggested_in "$home/Filme" mp4)" ]' "'v' suggests the XDG videos folder and a dated name"
check 'app_shot_until recording 10 no_indicator_text' "while recording, the indicator shows the clip's length"
e2e_key space
check 'app_shot_until recording-paused 10 indicator_text' "paused, it says that no frames are added"
e2e_key space
e2e_key v
check 'e2e_wait 20 grep -q "^Recording stopped" "$E2E_DIR/stderr.log"' "'v' stops the recording"
unset E2E_DIALOG_TITLE
e2e_close
check '[ "$E2E_STATUS" = 0 ]' "closing the window ends the program with status 0 (status $E2E_STATUS)"

# The next run starts where the last one saved.
rm -f "$out"/vornix*
app_start
app_dismiss_help
e2e_key s
dialog_accept
check 'e2e_wait 10 app_saved_in "$out" png' "after a restart, the dialog starts in the folder used last"
e2e_close

# Installed without zenity: no dialog and no message box can be shown; the window says so.
mkdir -p "$E2E_DIR/no-zenity"
e2e_start env PATH="$E2E_DIR/no-zenity" "$VORNIX_BIN"
xdotool windowfocus --sync "$E2E_WID"
app_shot_until start-again 30 app_is_help
app_dismiss_help
e2e_key s
check 'app_shot_until no-dialog 10 app_notice_over "$E2E_DIR/dismissed.png"' \
    "without zenity, 's' says in the window that no dialog could be shown"
console_why() { grep -q "^Save dialog could not be shown: zenity: No such file or directory" "$E2E_DIR/stderr.log"; }
check 'console_why' "and the console says why"
e2e_close
e2e_finish
