#!/usr/bin/env bash
# Whether this machine runs 32-bit code: the kernel needs its 32-bit
# emulation, and Wine its 32-bit half. Asks by running a small 32-bit
# program, Wine's own 32-bit loader. Exits 0 when it runs; otherwise prints
# why not and exits 1. VX_RUNS_32BIT=no makes the answer "no" (for the test
# of what the Windows tests then say).
set -uo pipefail
loader=/usr/lib/wine/wine
if [ "${VX_RUNS_32BIT:-}" = no ]; then
    echo "VX_RUNS_32BIT=no says this machine runs no 32-bit code"
    exit 1
fi
if [ ! -x "$loader" ]; then
    echo "Wine's 32-bit half is not installed ($loader is missing; Debian package wine32:i386)"
    exit 1
fi
if ! out=$("$loader" --version 2>&1); then
    echo "this machine's kernel runs no 32-bit code: $loader --version said: ${out:-nothing}"
    exit 1
fi
exit 0
