#!/usr/bin/env bash
# Keys by the user's layout, French (AZERTY) and German (QWERTZ): the shell's key events carry the code of the key's
# label (letters) or of its place (the digit row) and the character the layout types, also with Control; the program's
# keys and the panel then work as on a US keyboard. Russian and Greek: a letter key types a letter of another script,
# and stands for the Latin letter of its place (code and character), so the program's keys work there too.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/lib_app.sh"
source "$(dirname "$0")/lib_layouts.sh"
export LP_NUM_THREADS=0

# The shell probe prints one line per key event: "keyDown code=C character=K modifiers=M".
probe_keys() {   # LAYOUT KEYSYMS...: the probe's key-down lines (modifier keys left out) for the keys pressed
    local out="$E2E_DIR/probe-$1.out" pid
    shift
    "$VORNIX_SHELL_PROBE" >"$out" 2>&1 &
    pid=$!
    local wid
    wid=$(e2e_find_window 30 --onlyvisible --pid "$pid" | head -n 1)
    xdotool windowfocus --sync "$wid"
    local k
    for k in "$@"; do
        xdotool key "$k"
        sleep 0.05
    done
    # The last key's line comes with the next frame's events at the latest.
    e2e_wait 10 grep -q "^keyDown code=[^3]" "$out"
    sleep 0.5
    "$VORNIX_X_CLOSE" "$wid"
    wait "$pid"
    grep "^keyDown" "$out" | grep -vE "code=30[3-8] " | sed 's/^keyDown //' | tr '\n' ';'
}

setxkbmap fr
check '[ "$(setxkbmap -query | sed -n "s/^layout: *//p")" = fr ]' "the display has the French layout"
# m (the US ';' place), 1 (Shift and the '&' key), '&', Control+A and Shift+A (the US 'q' place), '-' (on the 6 key),
# ',' (the US 'm' place).
got=$(probe_keys fr m 1 ampersand ctrl+a shift+a minus comma)
want="code=109 character=109 modifiers=0;code=49 character=49 modifiers=8;code=49 character=38 modifiers=0;code=97 character=97 modifiers=32;code=97 character=65 modifiers=8;code=54 character=45 modifiers=0;code=44 character=44 modifiers=0;"
check '[ "$got" = "$want" ]' "AZERTY keys give the layout's codes and characters (got: $got)"

app_start
app_dismiss_help
layouts_check AZERTY
e2e_close
check '[ "$E2E_STATUS" = 0 ]' "AZERTY: closing ends the program with status 0 (status $E2E_STATUS)"

setxkbmap de
# z and y (swapped places), Control+Z, '-' (the US '/' place: no code), Shift+2 ('"').
got=$(probe_keys de z y ctrl+z minus quotedbl)
want="code=122 character=122 modifiers=0;code=121 character=121 modifiers=0;code=122 character=122 modifiers=32;code=0 character=45 modifiers=0;code=50 character=34 modifiers=8;"
check '[ "$got" = "$want" ]' "QWERTZ keys give the layout's codes and characters (got: $got)"

app_start
app_dismiss_help
layouts_check QWERTZ
e2e_close
check '[ "$E2E_STATUS" = 0 ]' "QWERTZ: closing ends the program with status 0 (status $E2E_STATUS)"

setxkbmap ru
# The places of m ('ь'), Shift+m ('Ь'), Control+c ('с'), a ('ф') and 1.
got=$(probe_keys ru Cyrillic_softsign shift+Cyrillic_SOFTSIGN ctrl+Cyrillic_es Cyrillic_ef 1)
want="code=109 character=109 modifiers=0;code=109 character=77 modifiers=8;code=99 character=99 modifiers=32;code=97 character=97 modifiers=0;code=49 character=49 modifiers=0;"
check '[ "$got" = "$want" ]' "Russian letter keys give their places' Latin letters (got: $got)"
app_start
app_dismiss_help
layouts_shortcuts Russian Cyrillic_softsign
e2e_close

setxkbmap gr
# The places of m ('μ') and w ('ς').
got=$(probe_keys gr Greek_mu Greek_finalsmallsigma)
want="code=109 character=109 modifiers=0;code=119 character=119 modifiers=0;"
check '[ "$got" = "$want" ]' "Greek letter keys give their places' Latin letters (got: $got)"
app_start
app_dismiss_help
layouts_shortcuts Greek Greek_mu
e2e_close
setxkbmap us
e2e_finish
