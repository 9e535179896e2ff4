#!/usr/bin/env bash
# Runs the Windows build's unit tests under Wine: one private Wine prefix in
# the build folder, one virtual X display and one Wine server for the whole
# run, a Japanese locale (Wine takes the code page, 932, from it).
# Usage: test-windows.sh BUILD_DIR [ctest arguments...]
set -euo pipefail
build=$(cd "${1:?build folder}" && pwd)
shift
here=$(cd "$(dirname "$0")" && pwd)
wine="$here/wine-run.sh"

# Each test would otherwise fail alone with nothing but an exit code.
"$here/check-windows-dlls.sh" "$build/bin"

export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono or Gecko installer prompts
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8

display=:$(( 100 + RANDOM % 100 ))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
server_started=
cleanup() {
    [ -n "$server_started" ] && "$(dirname "$(readlink -f "$(command -v wine64 || echo /usr/lib/wine/wine64)")")/wineserver" -k 2>/dev/null || true
    kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT INT TERM
export DISPLAY=$display

# One server kept alive for the run, started before anything else of Wine's
# (a second one for the prefix refuses to start): each test would otherwise
# start its own and wait for it.
wineserver=$(dirname "$(readlink -f "$(command -v wine64 || echo /usr/lib/wine/wine64)")")/wineserver
mkdir -p "$WINEPREFIX"
"$wineserver" -p
server_started=1
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix $WINEPREFIX"
    "$wine" wineboot -i >/dev/null 2>&1
fi
# Wine leaves the QT_ variables out of a program's environment, so the
# prefix's own environment carries what the tests set: their windows are
# drawn off screen, as on Linux; the packed program's test has a prefix of
# its own and Windows' own platform.
"$wine" reg add 'HKCU\Environment' /v QT_QPA_PLATFORM /d offscreen /f >/dev/null 2>&1
"$wine" reg add 'HKCU\Environment' /v QT_LOGGING_RULES /d 'qt.qpa.*=false' /f >/dev/null 2>&1

cd "$build"
ctest --output-on-failure --timeout 600 "$@"
