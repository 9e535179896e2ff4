#!/usr/bin/env bash
# Runs the Windows builds' tests under Wine: the 32-bit build under Wine's
# 32-bit half, the 64-bit build under wine64. Each build has a private Wine
# prefix in its folder; one virtual X display serves both, one Wine server
# each prefix, a Japanese locale (Wine takes the code page, 932, from it).
# A machine whose kernel runs no 32-bit code runs the 64-bit half alone and
# says so in the last lines.
# Usage: test-windows.sh BUILD32 BUILD64 [ctest arguments...]
set -euo pipefail
build32=$(cd "${1:?32-bit build folder}" && pwd)
build64=$(cd "${2:?64-bit build folder}" && pwd)
shift 2
here=$(cd "$(dirname "$0")" && pwd)
wine="$here/wine-run.sh"
wineserver=$(dirname "$(readlink -f "$(command -v wine64 || echo /usr/lib/wine/wine64)")")/wineserver

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono or Gecko installer prompts
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8

display=:$(( 100 + RANDOM % 100 ))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
prefixes=()
cleanup() {
    for prefix in "${prefixes[@]}"; do
        WINEPREFIX=$prefix "$wineserver" -k 2>/dev/null || true
    done
    kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT INT TERM
export DISPLAY=$display

# A prefix made while Wine had no 32-bit half has no 32-bit system folder,
# and no 32-bit program starts in it: such a prefix is made anew.
prepare_prefix() {
    local with32=$1
    if [ -f "$WINEPREFIX/system.reg" ] && [ "$with32" = yes ] && [ ! -f "$WINEPREFIX/.vx-with-wine32" ]; then
        echo "Making $WINEPREFIX anew: it was made without Wine's 32-bit half"
        rm -rf "$WINEPREFIX"
    fi
    mkdir -p "$WINEPREFIX"
    # One server kept alive for the run, started before anything else of
    # Wine's (a second one for the prefix refuses to start): each test would
    # otherwise start its own and wait for it.
    "$wineserver" -p
    prefixes+=("$WINEPREFIX")
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "Creating the Wine prefix $WINEPREFIX"
        "$wine" wineboot -i >/dev/null 2>&1
        [ "$with32" = yes ] && touch "$WINEPREFIX/.vx-with-wine32"
    fi
    # Wine leaves the QT_ variables out of a program's environment, so the
    # prefix's own environment carries what the tests set: their windows are
    # drawn off screen, as on Linux; the packed program's test has a prefix of
    # its own and Windows' own platform.
    "$wine" reg add 'HKCU\Environment' /v QT_QPA_PLATFORM /d offscreen /f /reg:64 >/dev/null 2>&1
    "$wine" reg add 'HKCU\Environment' /v QT_LOGGING_RULES /d 'qt.qpa.*=false' /f /reg:64 >/dev/null 2>&1
}

# Each test would otherwise fail alone with nothing but an exit code.
"$here/check-windows-dlls.sh" "$build32/bin" "$build64/bin"

run_half() {
    local bits=$1 build=$2 with32=$3
    shift 3
    export WINEPREFIX="$build/wineprefix"
    echo "== The $bits-bit Windows build's tests, under $bits-bit Wine"
    prepare_prefix "$with32"
    (cd "$build" && ctest --output-on-failure --timeout 600 "$@")
}

if why_not=$("$here/runs-32bit.sh"); then
    runs32=yes
else
    runs32=no
fi

status32="not run"
status64=failed
failed=0
if [ "$runs32" = yes ]; then
    if run_half 32 "$build32" yes "$@"; then status32=passed; else status32=failed; failed=1; fi
fi
# The 64-bit program meets the 32-bit components too, as on a user's 64-bit
# Windows, where it can load none of them.
export VX_WINDOWS32_DOUBLES="$build32/doubles"
if run_half 64 "$build64" "$runs32" "$@"; then status64=passed; else failed=1; fi

echo
echo "Windows tests, 64-bit build under wine64: $status64"
if [ "$runs32" = yes ]; then
    echo "Windows tests, 32-bit build under 32-bit Wine: $status32"
else
    echo "Windows tests, 32-bit build: NOT RUN. $why_not."
    echo "Only the 64-bit half ran; the 32-bit program, the one users install, is untested on this machine."
fi
exit "$failed"
