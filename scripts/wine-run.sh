#!/usr/bin/env bash
# Runs a Windows program under 64-bit Wine. Debian's wine64 package keeps
# its loader out of the PATH unless the wine package is installed too.
set -euo pipefail
wine=$(command -v wine64 || true)
[ -n "$wine" ] || wine=/usr/lib/wine/wine64
exec "$wine" "$@"
