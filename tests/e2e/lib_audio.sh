# Helpers for end-to-end tests with sound; source after lib.sh. There is no sound card: a PulseAudio server of the
# test's own runs in user mode with a null sink, whose monitor is "what the computer plays"; sox makes the signals.
#   audio_server_start    starts the server (socket in $XDG_RUNTIME_DIR) and waits until it answers
#   audio_server_kill     kills it as a crash would and waits until it is gone
#   audio_signals         kick.wav (120 bpm, 8 kicks), sine.wav (440 Hz, 3 s), silence.wav (2 s) in $E2E_DIR
#   audio_play FILE [SINK]   plays FILE to the default output (or SINK); returns once it has been played
#   audio_mark            the number of console lines so far (for audio_onsets_since)
#   audio_onsets_since MARK [BAND]   the stream times of the onsets logged since MARK, one a line
#   audio_said TEXT [MARK] the console has a line containing TEXT (after line MARK)
#   audio_check_kicks     plays kick.wav to the default output and checks eight bass onsets 0.5 s apart (±25 ms, by
#                         the stream times logged) and a dye burst at the bass emitter (help picture dismissed)
export XDG_RUNTIME_DIR="$E2E_DIR/pulse-runtime"
AUDIO_PID=""

audio_server_start() {
    mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
    pulseaudio --daemonize=no --exit-idle-time=-1 -n --load=module-native-protocol-unix \
        --load="module-null-sink sink_name=vsink rate=48000" --load=module-always-sink \
        >>"$E2E_DIR/pulseaudio.log" 2>&1 &
    AUDIO_PID=$!
    e2e_wait 30 pactl info >/dev/null 2>&1 || { echo "the audio server did not start"; return 1; }
    pactl set-default-sink vsink
}

audio_server_kill() {
    [ -n "$AUDIO_PID" ] || return 0
    kill -9 "$AUDIO_PID" 2>/dev/null
    wait "$AUDIO_PID" 2>/dev/null
    AUDIO_PID=""
    rm -f "$XDG_RUNTIME_DIR/pulse/pid"
}

audio_signals() {
    sox -n -r 48000 -c 2 "$E2E_DIR/kick.wav" synth 0.08 sine 60 fade 0 0.08 0.07 pad 0 0.42 repeat 7
    sox -n -r 48000 -c 2 "$E2E_DIR/sine.wav" synth 3 sine 440 gain -6
    sox -n -r 48000 -c 2 "$E2E_DIR/silence.wav" trim 0 2
}

audio_play() { paplay ${2:+--device="$2"} "$1"; }

audio_mark() { wc -l <"$E2E_DIR/stderr.log"; }

audio_onsets_since() {
    tail -n +"$(($1 + 1))" "$E2E_DIR/stderr.log" | sed -n "s/^Audio onset: ${2:-[a-z]*} at \([0-9.]*\) s.*/\1/p"
}

audio_said() { tail -n +"$((${2:-0} + 1))" "$E2E_DIR/stderr.log" | grep -qF "$1"; }

audio_check_kicks() {
    local mark spacing
    mark=$(audio_mark)
    audio_play "$E2E_DIR/kick.wav"
    e2e_wait 15 eval '[ "$(audio_onsets_since "$mark" bass | wc -l)" -ge 8 ]'
    spacing=$(audio_onsets_since "$mark" bass | awk 'NR > 1 { printf "%.3f ", $1 - prev } { prev = $1 }')
    check '[ "$(audio_onsets_since "$mark" bass | wc -l)" = 8 ]' \
        "eight kicks give eight bass onsets ($(audio_onsets_since "$mark" bass | wc -l))"
    check 'echo "$spacing" | awk "{ if (NF < 7) exit 1; for (k = 1; k <= NF; ++k) if (\$k < 0.475 || \$k > 0.525) exit 1 }"' \
        "the onsets are 0.5 s apart ±25 ms ($spacing)"
    check 'app_shot_until burst 20 audio_burst' "the kicks drop dye at the bass emitter"
}

audio_burst() { [ "$(e2e_sum "$(e2e_mean "$1" 260 380 80 80)")" -ge 60 ]; }
