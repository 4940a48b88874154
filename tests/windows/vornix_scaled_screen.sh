#!/usr/bin/env bash
# vornix.exe on a screen at 150 %: Wine's LogPixels 144 (the system's dpi, which GLFW takes as the monitor's content
# scale). The prefix serves the later tests of the run, so the values are put back as they were when the test ends.
# The checks are those of tests/e2e/lib_scaled.sh.
source "$VORNIX_SOURCE/tests/windows/lib_wine.sh"
source "$VORNIX_SOURCE/tests/e2e/lib_scaled.sh"

# Wine reads the per-user value first and the machine's as the fallback: both are set.
keys=('HKCU\Control Panel\Desktop' 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts')
declare -A saved
for key in "${keys[@]}"; do
    saved[$key]=$(wine reg query "$key" /v LogPixels </dev/null 2>/dev/null | tr -d '\r' | awk '/LogPixels/ { print $3 }')
done
put_back() {
    local key
    for key in "${keys[@]}"; do
        if [ -n "${saved[$key]}" ]; then
            wine reg add "$key" /v LogPixels /t REG_DWORD /d "$((saved[$key]))" /f </dev/null >/dev/null 2>&1
        else
            wine reg delete "$key" /v LogPixels /f </dev/null >/dev/null 2>&1
        fi
    done
}
trap put_back EXIT
for key in "${keys[@]}"; do
    wine reg add "$key" /v LogPixels /t REG_DWORD /d 144 /f </dev/null >/dev/null 2>&1
done

wine_exe "$VORNIX_BIN"
scaled_started
scaled_checks
e2e_finish
