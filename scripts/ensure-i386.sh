#!/usr/bin/env bash
# Adds Debian's i386 architecture (multiarch), from which Wine's 32-bit half
# (wine32:i386) comes. The 32-bit Windows program runs under it, beside the
# 64-bit one in the same Wine prefix. Whether the kernel can run that code is
# asked later, by the tests (scripts/runs-32bit.sh); the packages install
# either way.
set -euo pipefail
dpkg --print-foreign-architectures | grep -qx i386 && exit 0
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Need root (or sudo) to add the i386 architecture" >&2; exit 1; }
    sudo_cmd=(sudo)
fi
echo "Adding Debian's i386 architecture for Wine's 32-bit half"
"${sudo_cmd[@]}" dpkg --add-architecture i386
# install-deps.sh updates the lists before it installs anything; the new
# architecture's lists are needed even when nothing else is missing.
"${sudo_cmd[@]}" apt-get update -qq </dev/null
