#!/usr/bin/env bash
# The help picture lists every key the README's key table lists (make_help_picture --keys names the keys of the
# picture), and resources/help.jpg is what the generator makes from that list now: a key added to the list without
# the picture made again fails here as well.
set -u
: "${VORNIX_HELP_TOOL:?}" "${VORNIX_SOURCE:?}" "${VORNIX_SCRATCH:?}"
mkdir -p "$VORNIX_SCRATCH"
failures=0
check() {
    if eval "$1"; then echo "ok: $2"; else echo "FAILED: $2"; failures=$((failures + 1)); fi
}

# Keys as single tokens: "1 – 7" on a key cap, `1` … `7` in the README, are the tokens 1 and 7.
pictured=$("$VORNIX_HELP_TOOL" --keys | sed 's/ – /\n/g' | sort -u)
readme=$(sed -n '/^## Using it/,/^## [^U]/p' "$VORNIX_SOURCE/README.md" | grep '^| `' | cut -d'|' -f2 |
    grep -o '`[^`]*`' | tr -d '`' | sort -u)
missing=$(comm -23 <(echo "$readme") <(echo "$pictured") | tr '\n' ' ')
check '[ -n "$readme" ] && [ -z "$missing" ]' "the help picture lists every key of the README's table (missing: ${missing:-none})"

"$VORNIX_HELP_TOOL" "$VORNIX_SCRATCH/help.jpg" >/dev/null
rmse=$(compare -metric RMSE "$VORNIX_SCRATCH/help.jpg" "$VORNIX_SOURCE/resources/help.jpg" null: 2>&1 |
    sed 's/.*(\(.*\))/\1/' | awk '{printf "%d", $1 * 1000}')
check '[ "$rmse" -le 10 ]' "resources/help.jpg is the picture the generator makes now (RMSE ${rmse} per mille)"
[ "$failures" -eq 0 ]
