#!/usr/bin/env bash
# Builds the Debian packages from a build directory, installs the tool's on
# this machine, starts the installed /usr/bin/vornix-support on a private X
# server until its main window shows, and removes the package again. The Open
# JTalk module's package is checked and its program started from the
# unpacked package, not installed: the machine's own speech daemon would take
# it up.
#
# Usage: test_package.sh BUILD_DIR
# Needs root (it installs a package); otherwise, or when a tool is missing, or
# when vornix-support is already installed (that installation is the user's,
# not ours to replace), it reports SKIP and exits with 77.
set -uo pipefail

SKIP=77
TITLE='VORNIXサポートソフト'
build=${1:?usage: test_package.sh BUILD_DIR}
build=$(cd "$build" && pwd) || exit 1

skip() { echo "SKIP: $*"; exit $SKIP; }
fail() { echo "FAIL: $*" >&2; exit 1; }

[ "$(id -u)" -eq 0 ] || skip "installing a package needs root"
for tool in cpack dpkg dpkg-deb dpkg-shlibdeps apt-get Xvfb xdotool; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done
[ -f "$build/CPackConfig.cmake" ] || fail "$build/CPackConfig.cmake is missing: configure the build first"
if dpkg-query -W -f='${Status}' vornix-support 2>/dev/null | grep -q 'install ok installed'; then
    skip "vornix-support is already installed on this machine; not replacing it"
fi

work=$(mktemp -d /tmp/vx-package-XXXXXX)
installed_by_us=0
xvfb_pid=
app_pid=

stop_pid() {
    local pid=$1
    [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null || return 0
    kill -TERM "$pid" 2>/dev/null
    for _ in $(seq 30); do kill -0 "$pid" 2>/dev/null || return 0; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    return 0
}

remove_package() {
    DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq vornix-support </dev/null >"$work/remove.log" 2>&1 \
        || dpkg -r vornix-support >>"$work/remove.log" 2>&1
}

cleanup() {
    stop_pid "$app_pid"
    stop_pid "$xvfb_pid"
    # Whatever failed, the machine is left without the package we put on it.
    if [ "$installed_by_us" -eq 1 ] && dpkg-query -W -f='${Status}' vornix-support 2>/dev/null | grep -q 'ok installed'; then
        echo "cleanup: removing vornix-support" >&2
        remove_package || echo "cleanup: could not remove vornix-support, see $work/remove.log" >&2
    fi
    [ "${keep_work:-0}" -eq 1 ] || rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

keep_work=1 # until the end: the logs explain a failure

# --- the package --------------------------------------------------------------
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log" >&2; fail "cpack could not build the package"; }
deb=$(find "$work/out" -maxdepth 1 -name 'vornix-support_*.deb' | head -n 1)
[ -n "$deb" ] || fail "cpack made no vornix-support_*.deb (see $work/cpack.log)"
echo "package: $(basename "$deb")"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = vornix-support ] || fail "package name is '$(field Package)'"
depends=$(field Depends)
for lib in libqt6widgets6 libqt6gui6 libqt6core6 libspeechd2 libmecab2 mecab-ipadic-utf8 libc6; do
    grep -q "\b$lib\b" <<<"$depends" || fail "Depends lacks $lib (dpkg-shlibdeps not run?): $depends"
done
recommends=$(field Recommends)
for pkg in speech-dispatcher speech-dispatcher-vornix-jtalk fonts-noto-cjk xdg-utils; do
    grep -q "\b$pkg\b" <<<"$recommends" || fail "Recommends lacks $pkg: $recommends"
done
[ -n "$(field Maintainer)" ] && [ -n "$(field Description)" ] || fail "Maintainer or Description is empty"
contents=$(dpkg-deb -c "$deb")
for path in ./usr/bin/vornix-support ./usr/share/applications/vornix-support.desktop \
    ./usr/share/icons/hicolor/scalable/apps/vornix-support.svg ./usr/share/doc/vornix-support/README.md; do
    grep -q " $path\$" <<<"$contents" || fail "the package lacks $path"
done

# --- the Open JTalk module's package -------------------------------------------
module_deb=$(find "$work/out" -maxdepth 1 -name 'speech-dispatcher-vornix-jtalk_*.deb' | head -n 1)
[ -n "$module_deb" ] || fail "cpack made no speech-dispatcher-vornix-jtalk_*.deb (see $work/cpack.log)"
module_depends=$(dpkg-deb -f "$module_deb" Depends)
for pkg in speech-dispatcher open-jtalk open-jtalk-mecab-naist-jdic libmecab2; do
    grep -q "\b$pkg\b" <<<"$module_depends" || fail "the module's Depends lacks $pkg: $module_depends"
done
grep -q '\bhts-voice-nitech-jp-atr503-m001\b' <<<"$(dpkg-deb -f "$module_deb" Recommends)" \
    || fail "the module's package does not recommend the voice"
module=./usr/lib/speech-dispatcher-modules/sd_vornix-jtalk
grep -q " $module\$" <<<"$(dpkg-deb -c "$module_deb")" || fail "the module's package lacks $module"
dpkg-deb -x "$module_deb" "$work/module" || fail "the module's package does not unpack"
reply=$(printf 'INIT\nQUIT\n' | timeout 30 "$work/module/$module" "$work/no-such.conf" 2>"$work/module.log")
grep -qx '299 OK LOADED SUCCESSFULLY' <<<"$reply" || fail "the packed module does not start: $reply $(cat "$work/module.log")"
echo "module package: $(basename "$module_deb")"

# --- install ------------------------------------------------------------------
installed_by_us=1
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$deb" </dev/null \
    >"$work/install.log" 2>&1 || { cat "$work/install.log" >&2; fail "apt-get could not install the package"; }
dpkg-query -W -f='${Status}' vornix-support | grep -q 'install ok installed' || fail "dpkg does not list the package as installed"
[ -x /usr/bin/vornix-support ] || fail "/usr/bin/vornix-support is missing or not executable"
missing_libs=$(ldd /usr/bin/vornix-support | grep 'not found' || true)
[ -z "$missing_libs" ] || fail "the installed binary lacks libraries: $missing_libs"
desktop=/usr/share/applications/vornix-support.desktop
grep -qx "Name=$TITLE" "$desktop" || fail "$desktop has no Name=$TITLE"
grep -qx "Exec=vornix-support" "$desktop" || fail "$desktop does not run vornix-support"
grep -qx "Categories=Utility;" "$desktop" || fail "$desktop is not in the Utility category"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "$desktop does not validate"
fi

# --- run the installed binary ---------------------------------------------------
exec {display_fd}>"$work/display"
Xvfb -displayfd "$display_fd" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec {display_fd}>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start (see $work/xvfb.log)"
export DISPLAY=":$(head -n 1 "$work/display")"

mkdir -m 700 "$work/runtime" "$work/home"
# A private runtime folder keeps a tool the user has open out of the
# single-instance hand-over; the speech address leads nowhere, so the tool
# runs silently instead of starting a speech daemon of its own.
(cd "$work/home" && exec env -u QT_QPA_PLATFORM HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" \
    SPEECHD_ADDRESS="unix_socket:$work/no-speech-daemon" /usr/bin/vornix-support) >"$work/app.log" 2>&1 &
app_pid=$!

window=
for _ in $(seq 200); do
    kill -0 "$app_pid" 2>/dev/null || { cat "$work/app.log" >&2; fail "the installed tool ended before its window showed"; }
    window=$(xdotool search --onlyvisible --pid "$app_pid" --name "^$TITLE\$" 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || { cat "$work/app.log" >&2; fail "no window titled $TITLE appeared within 20 s"; }
[ "$(xdotool getwindowname "$window")" = "$TITLE" ] || fail "window title is '$(xdotool getwindowname "$window")'"
echo "window $window '$TITLE' shown by /usr/bin/vornix-support (pid $app_pid)"
sleep 0.5
kill -0 "$app_pid" 2>/dev/null || fail "the installed tool ended after showing its window"
stop_pid "$app_pid"; app_pid=

# --- remove -------------------------------------------------------------------
remove_package || { cat "$work/remove.log" >&2; fail "the package could not be removed"; }
installed_by_us=0
[ ! -e /usr/bin/vornix-support ] || fail "/usr/bin/vornix-support is still there after removal"
[ ! -e "$desktop" ] || fail "$desktop is still there after removal"
if dpkg-query -W -f='${Status}' vornix-support 2>/dev/null | grep -q 'ok installed'; then
    fail "dpkg still lists vornix-support as installed"
fi

keep_work=0
echo "PASS: built, installed, started and removed $(basename "$deb")"
