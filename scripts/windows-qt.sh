#!/usr/bin/env bash
# Finds Qt 6.4.2 built for MinGW and prints its folder (the prefix that holds
# bin/qt-cmake). Looks, in this order, at:
#   1. VX_QT_MINGW: a Qt folder, or an archive of one (.tar.xz);
#   2. the user cache, ~/.cache/vornix-support/qt6.4.2-mingw64;
#   3. the archive ../shared/toolchains/qt-6.4.2-mingw64.tar.xz beside the checkout.
# An archive is checked against the .sha256 beside it, when there is one, and
# unpacked into the cache, so every later build on this machine (a clone
# anywhere) finds it there. A Qt whose DLLs are damaged is passed over. With
# none left it builds Qt from Debian's qt6-base source into the cache: about
# 30 minutes on 2 cores.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
checkout=$(cd "$here/.." && pwd)
name=qt6.4.2-mingw64
cache_root=${XDG_CACHE_HOME:-$HOME/.cache}/vornix-support
cache=$cache_root/$name
archive_name=qt-6.4.2-mingw64.tar.xz

say() { echo "windows-qt: $*" >&2; }

is_qt() { [ -x "$1/bin/qt-cmake" ] && [ -f "$1/lib/cmake/Qt6/qt.toolchain.cmake" ]; }

# A Qt whose DLLs are damaged still builds (the linker reads only the import
# libraries), but none of its programs starts: such a Qt is not taken.
is_whole_qt() { is_qt "$1" && "$here/check-windows-dlls.sh" "$1/bin" "$1/plugins"; }

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
        is_whole_qt "$given" && { echo "$given"; return 0; }
        say "VX_QT_MINGW=$given is no whole Qt for MinGW"
        return 1
    fi
    if [ -f "$given" ]; then
        unpack "$given" && is_whole_qt "$cache" && { echo "$cache"; return 0; }
        return 1
    fi
    say "VX_QT_MINGW=$given does not exist"
    return 1
}

# apt-get source needs Debian's source lists; a machine set up from the
# binary lists alone (as CI's is) gets them beside those, for the same suite.
ensure_source_lists() {
    if apt-get source --print-uris -qq qt6-base >/dev/null 2>&1; then
        return 0
    fi
    [ "$(id -u)" -eq 0 ] || { say "apt-get source needs a deb-src line; add one as root"; return 1; }
    say "adding Debian's source lists for apt-get source"
    cat >/etc/apt/sources.list.d/vornix-support-src.sources <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    apt-get update -qq </dev/null >&2
}

build_from_source() {
    say "no usable Qt for MinGW found: building it from Debian's qt6-base source into $cache"
    say "(20 to 35 minutes on 2 cores)"
    ensure_source_lists
    local work
    work=$(mktemp -d "${TMPDIR:-/tmp}/vx-qt-build.XXXXXX")
    (cd "$work" && apt-get source -qq qt6-base </dev/null >/dev/null)
    local src
    src=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' | head -n 1)
    [ -n "$src" ] || { say "apt-get source qt6-base gave no source folder"; return 1; }
    mkdir -p "$cache_root"
    local prefix="$cache_root/.build-$name"
    rm -rf "$prefix"
    # Qt's own build says a great deal; it is kept apart and shown only
    # when it fails.
    say "building (log: $work/qt-build.log)"
    if ! "$here/build-qt-mingw.sh" "$src" "$work/build" "$prefix" >"$work/qt-build.log" 2>&1; then
        tail -n 60 "$work/qt-build.log" >&2
        say "building Qt failed"
        return 1
    fi
    rm -rf "$cache"
    mv "$prefix" "$cache"
    rm -rf "$work"
}

find_qt() {
    if [ -n "${VX_QT_MINGW:-}" ]; then
        from_variable "$VX_QT_MINGW"
        return
    fi
    if is_whole_qt "$cache"; then
        echo "$cache"
        return 0
    fi
    local shared_archive
    shared_archive="$(dirname "$checkout")/shared/toolchains/$archive_name"
    if [ -f "$shared_archive" ] && unpack "$shared_archive"; then
        if is_whole_qt "$cache"; then
            echo "$cache"
            return 0
        fi
        say "$shared_archive has damaged DLLs; not used"
    fi
    build_from_source
    is_whole_qt "$cache" || { say "building Qt failed"; return 1; }
    echo "$cache"
}

find_qt
