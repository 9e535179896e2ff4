#!/usr/bin/env bash
# Runs one Qt Test program of the Windows build under 64-bit Wine. Under Wine
# its report does not reach a pipe, so it is written to a file and printed
# from there, as CTest would otherwise show nothing of a failure; a test
# stopped at its time-out prints what it had reported so far.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$1
shift
report=$(mktemp "${TMPDIR:-/tmp}/vx-wine-test.XXXXXX")
trap 'rm -f "$report"' EXIT
"$here/wine-run.sh" "$program" "$@" -o "Z:${report//\//\\},txt" &
child=$!
trap 'kill "$child" 2>/dev/null; cat "$report"; exit 143' TERM INT
status=0
wait "$child" || status=$?
# Qt writes its report in UTF-8.
cat "$report"
exit "$status"
