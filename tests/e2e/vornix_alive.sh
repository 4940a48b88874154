#!/usr/bin/env bash
# The fluid alive without a hand. Autopilot: started with --autopilot there is no help picture, it covers a fifth of
# the window within 10 s (300 steps at the program's 30 frames per second: the paths advance per step, so a loaded
# machine takes longer to get there), and 'a' turns it off. Music: started with --audio before any audio server exists, vornix
# says so and runs on, connects when the server comes, paints nothing in silence, gives bass onsets half a second
# apart (±25 ms, by the stream times it logs) and dye bursts for a 120 bpm kick train, at most two onsets for a
# tone, follows a new default output and the next one when that goes, and keeps drawing when the server is killed,
# reconnecting to the same output when it is back. Started with --audio=NAME it listens to that input, and when the
# input goes, says so and follows the default output until it returns.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/lib_app.sh"
source "$(dirname "$0")/lib_audio.sh"
trap audio_server_kill EXIT
export VORNIX_STUDIO_LOG=1   # onsets with their stream times, the autopilot's steps
convert "$VORNIX_SOURCE/resources/help.jpg" -resize '600x600!' "$APP_HELP_REF"

# Share of the window's pixels that show dye (any channel above 5 %), in percent.
dyed_percent() { convert "$1" -colorspace gray -threshold 5% -format "%[fx:round(100*mean)]" info:; }
said() { e2e_wait 30 audio_said "$@"; }

# ---- autopilot ---------------------------------------------------------------------------------------------------
e2e_start "$VORNIX_BIN" --autopilot --seed 4
xdotool windowfocus --sync "$E2E_WID"
check 'said "Autopilot: on, seed 4"' "--autopilot --seed 4 says it paints with seed 4"
first=$(e2e_shot first)
check '! app_is_help "$first"' "started with --autopilot, the help picture is not shown"
start=$SECONDS
check 'e2e_wait 120 audio_said "Autopilot: step 150"' "the autopilot makes 150 steps"
e2e_shot covered >/dev/null
check '[ "$(dyed_percent "$E2E_DIR/covered.png")" -ge 20 ]' \
    "the autopilot covers a fifth of the window within 150 steps ($(dyed_percent "$E2E_DIR/covered.png") %, $((SECONDS - start)) s here)"
e2e_key a
check 'said "Autopilot: off"' "'a' turns the autopilot off"
e2e_close
check '[ "$E2E_STATUS" = 0 ]' "closing ends the program with status 0 (status $E2E_STATUS)"

# ---- music -------------------------------------------------------------------------------------------------------
audio_signals
e2e_start "$VORNIX_BIN" --audio
xdotool windowfocus --sync "$E2E_WID"
app_shot_until start 30 app_is_help >/dev/null
check 'said "Audio: no audio system answers"' "without an audio server, vornix says so"
check 'app_is_help "$E2E_DIR/start.png"' "... and runs on as usual (the help picture is drawn)"

audio_server_start
check 'said "Audio: listening to '"'"'Monitor of Null Output'"'"'"' "it connects to the server once it is there"
app_dismiss_help >/dev/null

audio_play "$E2E_DIR/silence.wav"
e2e_shot silence >/dev/null
check 'app_is_black "$E2E_DIR/silence.png"' "silence paints nothing"

audio_check_kicks

mark=$(audio_mark)
audio_play "$E2E_DIR/sine.wav"
sleep 0.5   # the tail of the stream reaches the analysis after paplay returns; more onsets could only come now
check '[ "$(audio_onsets_since "$mark" | wc -l)" -le 2 ]' "a tone gives at most two onsets ($(audio_onsets_since "$mark" | wc -l))"

# A new default output: vornix follows it.
pactl load-module module-null-sink sink_name=second sink_properties=device.description=Second >/dev/null
pactl set-default-sink second
check 'said "listening to '"'"'Monitor of Second'"'"'"' "a new default output is followed"
mark=$(audio_mark)
audio_play "$E2E_DIR/kick.wav" second
check 'e2e_wait 10 eval "[ \$(audio_onsets_since $mark bass | wc -l) -ge 6 ]"' "the kicks played on the new default give onsets"

# The default output unplugged: vornix follows the one that is left.
mark=$(audio_mark)
pactl list short modules | awk '/sink_name=second/ { print $1 }' | xargs -r -n1 pactl unload-module
check 'said "listening to '"'"'Monitor of Null Output'"'"'" "$mark"' "when the default output goes, the next one is followed"

# The server killed mid-run: vornix keeps drawing (the autopilot's picture changes) and reconnects when it is back.
e2e_key a
mark=$(audio_mark)
audio_server_kill
check 'said "the audio server is gone" "$mark"' "a killed server is reported"
e2e_shot after-kill >/dev/null
changed() { [ "$(e2e_diff "$1" "$E2E_DIR/after-kill.png")" -gt 1000 ]; }
check 'app_shot_until drawing 10 changed' "vornix keeps drawing without the server"
audio_server_start
check 'said "listening to '"'"'Monitor of Null Output'"'"'" "$mark"' "it reconnects when the server is back"
mark=$(audio_mark)
audio_play "$E2E_DIR/kick.wav"
check 'e2e_wait 10 eval "[ \$(audio_onsets_since $mark bass | wc -l) -ge 6 ]"' "after the restart the kicks give onsets again"

e2e_close
check '[ "$E2E_STATUS" = 0 ]' "closing ends the program with status 0 (status $E2E_STATUS)"

# An input chosen by name on the command line (not the default): vornix listens to it, says when it is gone and
# listens to what the computer plays until it returns, then takes it again.
add_chosen() { pactl load-module module-null-sink sink_name=chosen sink_properties=device.description=Chosen >/dev/null; }
add_chosen
e2e_start "$VORNIX_BIN" --audio=Chosen
check 'said "Audio: listening to '"'"'Monitor of Chosen'"'"'"' "--audio=Chosen listens to the input whose name has Chosen"
mark=$(audio_mark)
pactl list short modules | awk '/sink_name=chosen/ { print $1 }' | xargs -r -n1 pactl unload-module
check 'said "no input named '"'"'Chosen'"'"' is there" "$mark"' "when it goes, vornix says so"
check 'said "listening to '"'"'Monitor of Null Output'"'"'" "$mark"' "... and listens to what the computer plays meanwhile"
mark=$(audio_mark)
add_chosen
check 'said "listening to '"'"'Monitor of Chosen'"'"'" "$mark"' "when it returns, vornix listens to it again"
e2e_close
e2e_finish
