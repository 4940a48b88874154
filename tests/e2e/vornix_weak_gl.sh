#!/usr/bin/env bash
# vornix on weak OpenGL, made so with Mesa's overrides. Without OpenGL 2.0 it stops with status 1 after one message
# for the user that names what the driver offers. Without float textures, or with a solver program that does not
# compile (Mesa reads a broken text in its place), it runs the CPU engine: one console line and one message say why,
# "Render Engine" shows "CPU", dye shows, choosing "GPU" or a preset tries again and falls back again, and closing
# ends it with status 0. A stand-in zenity records the messages.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/lib_app.sh"

mkdir -p "$E2E_DIR/bin"
messages="$E2E_DIR/messages.txt"
printf '#!/bin/sh\n[ "$1" = --error ] && printf "%%s\\n" "$*" | head -n 1 >>"%s"\nexit 0\n' "$messages" >"$E2E_DIR/bin/zenity"
chmod +x "$E2E_DIR/bin/zenity"
export PATH="$E2E_DIR/bin:$PATH"
message_count() { [ -f "$messages" ] && wc -l <"$messages" || echo 0; }

# No OpenGL 2.0.
rm -f "$messages"
MESA_GL_VERSION_OVERRIDE=1.4 timeout 60 "$VORNIX_BIN" >/dev/null 2>"$E2E_DIR/gl14.err"
status=$?
check '[ "$status" = 1 ]' "without OpenGL 2.0 the program ends with status 1 (status $status)"
check '[ "$(message_count)" = 1 ] && grep -q "needs OpenGL 2.0 or later.*offers OpenGL 1.4" "$messages"' \
    "one message names what is needed and what the driver offers ($(cat "$messages" 2>/dev/null))"
check 'grep -q "No OpenGL context could be made" "$E2E_DIR/gl14.err"' "and the console says so"

dye() { [ "$(e2e_sum "$(e2e_mean "$1" 440 290 20 20)")" -ge 60 ]; }
engine_row() { e2e_mean "$1" 120 $((APP_ENGINE_Y - 8)) 60 16; }
gpu_y=$((APP_ENGINE_CPU_Y + 15))
shown=""   # the "Render Engine" row as it shows "CPU"
shows_cpu() { [ "$(engine_row "$1")" = "$shown" ]; }

# Runs the program on the CPU engine the GPU engine fell back to; $1 names the case, $2 what the message says.
cpu_fallback() {
    local name=$1 why=$2
    rm -f "$messages"
    app_start
    check '[ "$(message_count)" = 1 ] && grep -q "The GPU engine cannot run on this computer: $why" "$messages"' \
        "$name: one message at start says why the CPU engine runs ($(cat "$messages" 2>/dev/null))"
    check '[ "$(grep -c "The GPU engine cannot run" "$E2E_DIR/stderr.log")" = 1 ]' "$name: and one console line"
    app_dismiss_help
    e2e_drag 3 350 300 550 300
    check 'app_shot_until "$name-dye" 20 dye' "$name: a right drag shows dye"

    # "Render Engine" shows "CPU": picking "CPU" changes nothing there; picking "GPU" falls back with one more
    # message and shows "CPU" again.
    app_toggle_panel shown
    shown=$(engine_row "$E2E_DIR/panel-shown.png")
    app_pick "$APP_ENGINE_Y" "$APP_ENGINE_CPU_Y"
    check '[ "$(engine_row "$E2E_DIR/pick-closed.png")" = "$shown" ]' "$name: \"Render Engine\" shows \"CPU\""
    app_pick "$APP_ENGINE_Y" "$gpu_y"
    check '[ "$(message_count)" = 2 ]' "$name: choosing \"GPU\" tries again and shows the message again"
    check 'app_shot_until "$name-gpu-again" 10 shows_cpu' \
        "$name: and \"Render Engine\" shows \"CPU\" again"
    # A preset (each chooses the GPU engine) tries again too.
    app_pick "$APP_PRESET_Y" $((APP_PRESET_ITEM0 + 2 * APP_PRESET_STEP))
    check 'e2e_wait 10 [ "$(message_count)" = 3 ]' "$name: a preset tries again and shows the message again"
    app_toggle_panel hidden
    e2e_drag 3 350 300 550 300
    check 'app_shot_until "$name-dye-again" 20 dye' "$name: the program runs on: dye shows"
    e2e_close
    check '[ "$E2E_STATUS" = 0 ]' "$name: closing ends the program with status 0 (status $E2E_STATUS)"
}

MESA_EXTENSION_OVERRIDE=-GL_ARB_texture_float cpu_fallback "no float textures" \
    "the graphics driver offers no floating-point textures"

# A solver program that does not compile: Mesa reads shader texts named by their SHA-1 from this folder instead.
mkdir -p "$E2E_DIR/shaders"
rm -f "$E2E_DIR"/shaders/*
echo "this is not a shader" >"$E2E_DIR/shaders/FS_$(sha1sum <"$VORNIX_SOURCE/resources/frag_linsolve.glsl" | cut -d' ' -f1).glsl"
MESA_SHADER_READ_PATH="$E2E_DIR/shaders" cpu_fallback "broken solver program" "a solver program could not be made"
check 'grep -q "Shader compile error" "$E2E_DIR/stderr.log"' "the compiler's message is on the console as before"
e2e_finish
