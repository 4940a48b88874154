#!/usr/bin/env bash
# The installer under Wine, in a Wine prefix of its own made for this test: a silent install (/S) without
# administrator rights puts the stripped vornix.exe (with its manifest), README.txt, LICENSE.txt and the licence
# texts into the user's programs folder with a Start-menu shortcut to the program and an uninstaller registered for
# the user; the installed program starts and shows its window. A folder that already holds a user's file (README.txt)
# is refused and left as it was; installing again over the installation works and leaves a user's file there alone,
# and the size registered counts only what was installed. A silent uninstall removes every file it installed (not the
# user's), the shortcut and the registry key again.
export E2E_INSIDE_XVFB=1   # the display is the one scripts/test-windows provides
source "$VORNIX_SOURCE/tests/e2e/lib.sh"
: "${VORNIX_BUILD:?}" "${VORNIX_VERSION:?}" "${VORNIX_X_CLOSE:?}" "${VORNIX_EXIT_RELAY:?}"

setup=$VORNIX_BUILD/vornix-$VORNIX_VERSION-win64-setup.exe
zip=$VORNIX_BUILD/vornix-$VORNIX_VERSION-win64.zip
[ -f "$setup" ] || { echo "FAILED: no installer at $setup (scripts/build-windows makes it)"; exit 1; }

# A fresh prefix with its own server; no menu entries on the host for the shortcut (winemenubuilder off).
export WINEPREFIX=$E2E_DIR/prefix WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
stop_server() { wineserver -k 2>/dev/null || true; }
trap stop_server EXIT
setsid wineserver -p </dev/null >/dev/null 2>&1
setsid wine cmd /c exit </dev/null >/dev/null 2>&1
users=$WINEPREFIX/drive_c/users
wine reg export 'HKCU\Software' "$E2E_DIR/before.reg" /y </dev/null >/dev/null 2>&1

# The default folder already holds a user's README.txt: the installer refuses it and changes nothing there.
programs=$(find "$users" -type d -path '*/AppData/Local' 2>/dev/null | head -n 1)/Programs
mkdir -p "$programs/vornix"
echo "my own notes" >"$programs/vornix/README.txt"
wine "$setup" /S </dev/null >"$E2E_DIR/setup-refused.log" 2>&1
refused_status=$?
check '[ "$refused_status" = 2 ]' "a folder holding a user's file is refused (exit code $refused_status)"
check '[ "$(cat "$programs/vornix/README.txt")" = "my own notes" ] && [ "$(ls "$programs/vornix")" = README.txt ]' \
  "and the user's README.txt is left as it was, alone"
check '! wine reg query "HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\vornix" </dev/null >/dev/null 2>&1' \
  "and nothing is registered"
rm -rf "$programs/vornix"

wine "$setup" /S </dev/null >"$E2E_DIR/setup.log" 2>&1
setup_status=$?
check '[ "$setup_status" = 0 ]' "the silent install succeeds"
dir=$(find "$users" -type d -path '*/AppData/Local/Programs/vornix' 2>/dev/null | head -n 1)
check '[ -n "$dir" ]' "it installs into the user's programs folder (AppData\\Local\\Programs\\vornix)"
[ -n "$dir" ] || e2e_finish

# The same files as the zip, and the uninstaller.
installed=$(cd "$dir" && find . -type f | sed 's|^\./||' | sort)
expected=$( (unzip -Z1 "$zip" | sed -n 's|^[^/]*/\(.*[^/]\)$|\1|p'; echo Uninstall.exe) | sort)
check '[ "$installed" = "$expected" ]' "the installed files are the zip's and Uninstall.exe"
check '! x86_64-w64-mingw32-objdump -h "$dir/vornix.exe" | grep -q "\.debug_"' "the installed vornix.exe is stripped"
check 'grep -aq "level=\"asInvoker\"" "$dir/vornix.exe"' "vornix.exe carries its manifest (asInvoker)"

exe_win=$(winepath -w "$dir/vornix.exe" 2>/dev/null | tr -d '\r')
link=$(find "$users" -path '*/Start Menu/Programs/vornix.lnk' 2>/dev/null | head -n 1)
check '[ -n "$link" ]' "a Start-menu shortcut is made"
lnk_targets() { strings -a "$1"; strings -a -el "$1"; }
check '[ -n "$link" ] && lnk_targets "$link" | grep -qixF "$exe_win"' "the shortcut points to $exe_win"

key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\vornix'
uninstall_value=$(wine reg query "$key" /v UninstallString </dev/null 2>/dev/null | tr -d '\r')
check 'grep -qiF "$(winepath -w "$dir/Uninstall.exe" | tr -d "\r")" <<<"$uninstall_value"' \
  "the uninstaller is registered for the user ($key)"

# Installing again over the installation (an update) is allowed; a user's file put there stays, and the size
# registered is that of the installed files (without the user's 5 MB).
head -c 5000000 /dev/zero >"$dir/user-data.bin"
wine "$setup" /S </dev/null >"$E2E_DIR/setup-again.log" 2>&1
again_status=$?
check '[ "$again_status" = 0 ] && [ "$(stat -c %s "$dir/user-data.bin")" = 5000000 ]' \
  "installing over the installation succeeds and keeps a user's file (exit code $again_status)"
size_kb=$(wine reg query "$key" /v EstimatedSize </dev/null 2>/dev/null | tr -d '\r' | awk '/EstimatedSize/ { print $3 }')
size_kb=$((${size_kb:-0}))   # REG_DWORD comes as 0x...
# NSIS counts each file in whole KB: up to one more per file.
files=$(cd "$dir" && find . -type f ! -name Uninstall.exe ! -name user-data.bin -printf '%s\n')
files_kb=$(awk '{ s += $1 } END { print int(s / 1024) }' <<<"$files")
slack=$(($(wc -l <<<"$files") + 4))
check '[ "$size_kb" -ge $((files_kb - 4)) ] && [ "$size_kb" -le $((files_kb + slack)) ]' \
  "the registered size counts the installed files only ($size_kb KB; installed $files_kb KB)"

# The installed program starts and shows its window; its exit code comes through the relay (see lib_wine.sh).
E2E_EXIT_CODE_FILE=$E2E_DIR/exit-code
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
E2E_WINDOW_TITLE="^vornix - Quillon" e2e_start wine "$VORNIX_EXIT_RELAY" "$(windows_path "$E2E_EXIT_CODE_FILE")" \
  "$(windows_path "$dir/vornix.exe")"
check '[ "$(xdotool getwindowname "$E2E_WID")" = "vornix - Quillon'"'"'s interactive fluidum" ]' \
  "the installed vornix.exe shows its window"
e2e_close
check '[ "$E2E_STATUS" = 0 ]' "and ends with status 0 on a close request (got $E2E_STATUS)"

# The uninstaller copies itself away and returns at once: wait for the files to go.
wine "$dir/Uninstall.exe" /S </dev/null >"$E2E_DIR/uninstall.log" 2>&1
check 'e2e_wait 120 test ! -e "$dir/Uninstall.exe"' "the silent uninstall removes the program"
check '[ "$(cd "$dir" && find . | sort | tr "\n" " ")" = ". ./user-data.bin " ]' \
  "and every file it installed, but not the user's ($(cd "$dir" && find . -type f | tr "\n" " "))"
rm -rf "$dir"
check '[ -z "$(find "$users" -name vornix.lnk)" ]' "and the shortcut"
check '! wine reg query "$key" </dev/null >/dev/null 2>&1' "and the uninstall key"
wine reg export 'HKCU\Software' "$E2E_DIR/after.reg" /y </dev/null >/dev/null 2>&1
keys() { iconv -f UTF-16LE -t UTF-8 "$1" 2>/dev/null | tr -d '\r' | grep '^\[' | sort; }
check '[ -z "$(comm -13 <(keys "$E2E_DIR/before.reg") <(keys "$E2E_DIR/after.reg") | grep -i vornix)" ]' \
  "no registry key of the installer is left"
e2e_finish
