#!/usr/bin/env bash
# Starts the tool. Without a display it starts a virtual one (Xvfb), saves a
# screenshot of the main window to build/screenshot.png and keeps the tool
# running until Ctrl+C.
set -euo pipefail
bin=${1:-build/bin/vornix-support}
here=$(cd "$(dirname "$0")/.." && pwd)
shot="$here/build/screenshot.png"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$bin"
fi

echo "No display found: starting the tool on a virtual display (Xvfb)."
display=:$(( 90 + RANDOM % 100 ))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
app_pid=
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT INT TERM
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

"$bin" &
app_pid=$!
win=
for _ in $(seq 100); do
    win=$(xdotool search --name 'VORNIXサポートソフト' 2>/dev/null | head -n 1) && [ -n "$win" ] && break
    sleep 0.1
done
if [ -n "$win" ]; then
    sleep 0.5
    mkdir -p "$(dirname "$shot")"
    import -window "$win" "$shot" && echo "Screenshot of the main window: $shot"
else
    echo "The main window did not appear." >&2
fi
echo "The tool runs on display $display. Press Ctrl+C to stop it."
wait "$app_pid"
