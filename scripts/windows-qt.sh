#!/usr/bin/env bash
# Finds Qt 6.4.2 built for MinGW, 32-bit or 64-bit, and prints its folder (the
# prefix that holds bin/qt-cmake).
# Usage: windows-qt.sh 32|64
# Looks, in this order, at:
#   1. VX_QT_MINGW32 or VX_QT_MINGW64: a Qt folder, or an archive of one (.tar.xz);
#   2. the user cache, ~/.cache/vornix-support/qt6.4.2-mingw32 or -mingw64;
#   3. the archive ../shared/toolchains/qt-6.4.2-mingw32.tar.xz or -mingw64 beside the checkout.
# An archive is checked against the .sha256 beside it, when there is one, and
# unpacked into the cache, so every later build on this machine (a clone
# anywhere) finds it there. A Qt whose DLLs are damaged is passed over. With
# none left it builds Qt from Debian's qt6-base source into the cache: about
# 30 minutes on 2 cores for 64-bit, 55 for 32-bit. Not in CI (CI set), which
# has the archives and no time for that: there it fails at once.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
checkout=$(cd "$here/.." && pwd)
bits=${1:-64}
case "$bits" in
    32) arch=i686 given=${VX_QT_MINGW32:-} variable=VX_QT_MINGW32 ;;
    # VX_QT_MINGW is the name the 64-bit one had when it was the only one.
    64) arch=x86_64 given=${VX_QT_MINGW64:-${VX_QT_MINGW:-}} variable=VX_QT_MINGW64 ;;
    *) echo "usage: windows-qt.sh 32|64" >&2; exit 2 ;;
esac
name=qt6.4.2-mingw$bits
cache_root=${XDG_CACHE_HOME:-$HOME/.cache}/vornix-support
cache=$cache_root/$name
archive_name=qt-6.4.2-mingw$bits.tar.xz

say() { echo "windows-qt ($bits-bit): $*" >&2; }

is_qt() { [ -x "$1/bin/qt-cmake" ] && [ -f "$1/lib/cmake/Qt6/qt.toolchain.cmake" ]; }

# A Qt whose DLLs are damaged still builds (the linker reads only the import
# libraries), but none of its programs starts: such a Qt is not taken.
is_whole_qt() { is_qt "$1" && "$here/check-windows-dlls.sh" "$1/bin" "$1/plugins"; }

# A Qt of the other architecture builds nothing that runs beside its DLLs.
is_right_arch() {
    local format
    format=$(x86_64-w64-mingw32-objdump -f "$1/bin/Qt6Core.dll" 2>/dev/null | sed -n 's/.*file format //p')
    case "$bits:$format" in 32:pei-i386|64:pei-x86-64) return 0 ;; esac
    say "$1 holds Qt for ${format:-an unknown format}, not for $bits-bit Windows"
    return 1
}
usable_qt() { is_whole_qt "$1" && is_right_arch "$1"; }

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
        usable_qt "$given" && { echo "$given"; return 0; }
        say "$variable=$given is no whole Qt for $bits-bit MinGW"
        return 1
    fi
    if [ -f "$given" ]; then
        unpack "$given" && usable_qt "$cache" && { echo "$cache"; return 0; }
        return 1
    fi
    say "$variable=$given does not exist"
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
    say "(about 30 minutes on 2 cores for 64-bit, 55 for 32-bit)"
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
    if ! "$here/build-qt-mingw.sh" "$src" "$work/build" "$prefix" "$arch" >"$work/qt-build.log" 2>&1; then
        tail -n 60 "$work/qt-build.log" >&2
        say "building Qt failed"
        return 1
    fi
    rm -rf "$cache"
    mv "$prefix" "$cache"
    rm -rf "$work"
}

find_qt() {
    if [ -n "$given" ]; then
        from_variable "$given"
        return
    fi
    if usable_qt "$cache"; then
        echo "$cache"
        return 0
    fi
    local shared_archive
    shared_archive="$(dirname "$checkout")/shared/toolchains/$archive_name"
    if [ -f "$shared_archive" ] && unpack "$shared_archive"; then
        if usable_qt "$cache"; then
            echo "$cache"
            return 0
        fi
        say "$shared_archive has damaged DLLs; not used"
    fi
    if [ -n "${CI:-}" ]; then
        say "no usable $archive_name (missing or damaged: $shared_archive)."
        say "CI has no time to build Qt for MinGW here; put a whole archive there."
        return 1
    fi
    build_from_source
    usable_qt "$cache" || { say "building Qt failed"; return 1; }
    echo "$cache"
}

find_qt
