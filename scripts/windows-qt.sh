#!/usr/bin/env bash
# Finds Qt 6.4.2 built for MinGW and prints its folder (the prefix that holds
# bin/qt-cmake). Looks, in this order, at:
#   1. VX_QT_MINGW: a Qt folder, or an archive of one (.tar.xz);
#   2. the user cache, ~/.cache/vornix-support/qt6.4.2-mingw64;
#   3. the archive ../shared/toolchains/qt-6.4.2-mingw64.tar.xz beside the checkout.
# An archive is checked against the .sha256 beside it, when there is one, and
# unpacked into the cache, so every later build on this machine (a clone
# anywhere) finds it there. With none of them it builds Qt from Debian's
# qt6-base source into the cache: about 30 minutes on 2 cores.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
checkout=$(cd "$here/.." && pwd)
name=qt6.4.2-mingw64
cache_root=${XDG_CACHE_HOME:-$HOME/.cache}/vornix-support
cache=$cache_root/$name
archive_name=qt-6.4.2-mingw64.tar.xz

say() { echo "windows-qt: $*" >&2; }

is_qt() { [ -x "$1/bin/qt-cmake" ] && [ -f "$1/lib/cmake/Qt6/qt.toolchain.cmake" ]; }

unpack() {
    local archive=$1
    if [ -f "$archive.sha256" ]; then
        local want have
        want=$(cut -d' ' -f1 <"$archive.sha256")
        have=$(sha256sum "$archive" | cut -d' ' -f1)
        if [ "$want" != "$have" ]; then
            say "$archive does not match its checksum; not used"
            return 1
        fi
    fi
    say "unpacking $archive into $cache"
    mkdir -p "$cache_root"
    # Unpacked beside the cache and moved in one step: an interrupted unpack
    # never leaves a half Qt where the next build would take it for whole.
    local tmp
    tmp=$(mktemp -d "$cache_root/.unpack.XXXXXX")
    if ! tar -C "$tmp" -xJf "$archive"; then
        rm -rf "$tmp"
        return 1
    fi
    local top
    top=$(find "$tmp" -mindepth 1 -maxdepth 1 -type d | head -n 1)
    if ! is_qt "$top"; then
        say "$archive holds no Qt for MinGW"
        rm -rf "$tmp"
        return 1
    fi
    rm -rf "$cache"
    mv "$top" "$cache"
    rm -rf "$tmp"
}

from_variable() {
    local given=$1
    if [ -d "$given" ]; then
        is_qt "$given" && { echo "$given"; return 0; }
        say "VX_QT_MINGW=$given is no Qt for MinGW"
        return 1
    fi
    if [ -f "$given" ]; then
        unpack "$given" && { echo "$cache"; return 0; }
        return 1
    fi
    say "VX_QT_MINGW=$given does not exist"
    return 1
}

build_from_source() {
    say "no Qt for MinGW found: building it from Debian's qt6-base source into $cache"
    say "(about 30 minutes on 2 cores; needs a deb-src line for apt-get source)"
    local work
    work=$(mktemp -d "${TMPDIR:-/tmp}/vx-qt-build.XXXXXX")
    (cd "$work" && apt-get source -qq qt6-base >/dev/null)
    local src
    src=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' | head -n 1)
    [ -n "$src" ] || { say "apt-get source qt6-base gave no source folder"; return 1; }
    mkdir -p "$cache_root"
    local prefix="$cache_root/.build-$name"
    rm -rf "$prefix"
    "$here/build-qt-mingw.sh" "$src" "$work/build" "$prefix" >&2
    rm -rf "$cache"
    mv "$prefix" "$cache"
    rm -rf "$work"
}

if [ -n "${VX_QT_MINGW:-}" ]; then
    from_variable "$VX_QT_MINGW"
    exit
fi
if is_qt "$cache"; then
    echo "$cache"
    exit 0
fi
shared_archive="$(dirname "$checkout")/shared/toolchains/$archive_name"
if [ -f "$shared_archive" ] && unpack "$shared_archive"; then
    echo "$cache"
    exit 0
fi
build_from_source
is_qt "$cache" || { say "building Qt failed"; exit 1; }
echo "$cache"
