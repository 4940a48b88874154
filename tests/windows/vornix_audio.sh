#!/usr/bin/env bash
# vornix.exe reacting to sound under Wine, through Wine's PulseAudio driver and a PulseAudio server of the test's
# own. Wine has no loopback of an output, so the default input stands in for "what the computer plays" and the state
# says so; here the default input is the null sink's monitor, which hears what is played. A 120 bpm kick train gives
# bass onsets 0.5 s apart (±25 ms, by the stream times the program logs) and a dye burst at the bass emitter.
source "$VORNIX_SOURCE/tests/windows/lib_wine.sh"
source "$VORNIX_SOURCE/tests/e2e/lib_audio.sh"
trap audio_server_kill EXIT
export VORNIX_STUDIO_LOG=1
said() { e2e_wait 60 audio_said "$@"; }

audio_signals
audio_server_start
pactl set-default-source vsink.monitor
wine_exe "$VORNIX_BIN" --audio
xdotool windowfocus --sync "$E2E_WID"
app_shot_until start 60 app_is_help >/dev/null
check 'said "the default input stands in"' "without a loopback the default input stands in, and the state says so"
check 'said "listening to"' "vornix.exe listens ($(tr -d '\r' <"$E2E_DIR/stderr.log" | grep -m1 'listening to'))"
app_dismiss_help >/dev/null

audio_check_kicks

e2e_close
check '[ "$E2E_STATUS" = 0 ]' "closing ends the program with status 0 (status $E2E_STATUS)"
wine_program_lines | grep -v "onset" | tail -5
e2e_finish
