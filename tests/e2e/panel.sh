#!/usr/bin/env bash
# The parameter panel with real X input: a click on a checkbox toggles its variable and never reaches the
# application, a click beside the panel does, a shortcut key toggles once, the + button and the wheel stay in range,
# and screenshots show the panel drawn over the picture.
set -euo pipefail
: "${VORNIX_PANEL_DEMO:?VORNIX_PANEL_DEMO names the panel demo program}"
scratch=${VORNIX_SCRATCH:-$(mktemp -d)}
mkdir -p "$scratch"

if [ -z "${PANEL_E2E_INNER:-}" ]; then
  exec env PANEL_E2E_INNER=1 LP_NUM_THREADS=0 xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp -noreset" bash "$0" "$@"
fi

out="$scratch/demo.out"
"$VORNIX_PANEL_DEMO" 120 >"$out" 2>"$scratch/demo.err" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT

fail() { echo "FAIL: $*"; echo "--- demo output"; cat "$out"; echo "--- demo errors"; cat "$scratch/demo.err"; exit 1; }

for _ in $(seq 100); do grep -q '^ready$' "$out" && break; sleep 0.1; done
grep -q '^ready$' "$out" || fail "the demo did not come up"
wid=$(xdotool search --sync --pid "$pid" | head -n1)

# Centre of an entry's value, from "rect <label>|x y w h".
centre() {
  awk -v label="$1" -F'|' '$1 == "rect " label { split($2, r, " "); printf "%d %d\n", r[1] + r[3] / 2, r[2] + r[4] / 2 }' "$out"
}
click_at() {
  xdotool mousemove --window "$wid" "$1" "$2"
  sleep 0.2
  xdotool click 1
  sleep 0.4
}
count() { grep -c -- "$1" "$out" || true; }

read -r hx hy < <(centre "Show Help")
[ -n "$hx" ] || fail "no place for Show Help"

# A real click on the checkbox toggles the bool, read back from the variable; the application sees no press.
click_at "$hx" "$hy"
[ "$(count '^value Show Help = 1$')" = 1 ] || fail "the click did not switch Show Help on"
[ "$(count '^app mouseDown')" = 0 ] || fail "a click on the panel reached the application"
import -window "$wid" "$scratch/panel.png"

# A click beside the panel reaches the application.
click_at 450 560
grep -q '^app mouseDown 450 560$' "$out" || fail "a click beside the panel did not reach the application"

# The shortcut key toggles once and is kept from the application.
xdotool key --window "$wid" h
sleep 0.4
[ "$(count '^value Show Help = 0$')" = 1 ] || fail "key h did not switch Show Help off exactly once"
grep -q "^app keyDown 104" "$out" && fail "key h reached the application"
xdotool key --window "$wid" q
sleep 0.3
grep -q "^app keyDown 113 'q'" "$out" || fail "a key without a shortcut did not reach the application"

# The + button of "Velocity Precision" (4, max 100) and the wheel over it stay within the range.
read -r px py < <(centre "Velocity Precision")
read -r vx vy vw vh < <(awk -F'|' '$1 == "rect Velocity Precision" { print $2 }' "$out")
plus_x=$(awk -v x="$vx" -v w="$vw" -v h="$vh" 'BEGIN { printf "%d", x + w + 4 + h + 4 + h / 2 }')
click_at "$plus_x" "$py"
grep -q '^value Velocity Precision = 5$' "$out" || fail "the + button did not step 4 to 5"
xdotool mousemove --window "$wid" "$px" "$py"
sleep 0.2
for _ in $(seq 8); do xdotool click 5; done   # wheel down: eight steps, stopped at 0
sleep 0.5
[ "$(tail -n 200 "$out" | grep '^value Velocity Precision' | tail -n1)" = "value Velocity Precision = 0" ] ||
  fail "the wheel did not stop at the minimum"
grep -q '^app mouseWheel' "$out" && fail "the wheel over the panel reached the application"

# Hovering a row with help shows its tooltip; the screenshot keeps it for a look.
read -r rx ry < <(centre "Reset Fluid")
xdotool mousemove --window "$wid" "$rx" "$ry"
sleep 1.2
import -window "$wid" "$scratch/panel-tooltip.png"

# The panel is drawn: its background differs from the picture beside it at the same height.
read -r _ px0 py0 pw ph < <(grep '^panel ' "$out")
inside=$(convert "$scratch/panel.png" -format "%[pixel:p{$((px0 + pw / 2)),$((py0 + ph - 12))}]" info:)
outside=$(convert "$scratch/panel.png" -format "%[pixel:p{$((px0 + pw + 40)),$((py0 + ph - 12))}]" info:)
[ "$inside" != "$outside" ] || fail "no panel in the screenshot ($inside)"
echo "panel background $inside, picture beside it $outside; screenshots in $scratch"
echo "1 passed, 0 failed"
