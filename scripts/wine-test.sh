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
# The report is in the ANSI code page, 932 in the tests' Japanese locale.
show() { iconv -f CP932 -t UTF-8 "$report" 2>/dev/null || cat "$report"; }
"$here/wine-run.sh" "$program" "$@" -o "Z:${report//\//\\},txt" &
child=$!
trap 'kill "$child" 2>/dev/null; show; exit 143' TERM INT
status=0
wait "$child" || status=$?
show
exit "$status"
