#!/usr/bin/env bash
# Two minutes of the soak test (scripts/soak) on the sanitizer build of vornix (the only build that registers this
# test); scripts/soak SECONDS runs it longer.
set -euo pipefail
: "${VORNIX_BIN:?}" "${VORNIX_X_CLOSE:?}" "${VORNIX_SOURCE:?}" "${VORNIX_SCRATCH:?}"
SOAK_DIR="$VORNIX_SCRATCH" exec "$VORNIX_SOURCE/scripts/soak" "${VORNIX_SOAK_SECONDS:-120}"
