#!/usr/bin/env bash
# Puts the built Open JTalk module where speech-dispatcher 0.11 loads modules
# by itself, /usr/lib/speech-dispatcher-modules/. It changes no configuration:
# the daemon's choice of voice for Japanese stays espeak-ng until the user
# makes it the module (README), and only the tool asks for the module itself.
# Idempotent; a failure is reported and does not stop `make run`.
set -uo pipefail
module=${1:?usage: install-jtalk-module.sh BUILT_MODULE}
target=/usr/lib/speech-dispatcher-modules/sd_vornix-jtalk

[ -x "$module" ] || { echo "No module at $module: build first." >&2; exit 0; }
if cmp -s "$module" "$target"; then
    exit 0
fi
if owner=$(dpkg-query -S "$target" 2>/dev/null); then
    echo "$target belongs to the package ${owner%%:*}; left as it is."
    exit 0
fi
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
        echo "Need root (or sudo) to install $target; the tool speaks with espeak-ng without it." >&2
        exit 0
    fi
    sudo_cmd=(sudo)
fi
if "${sudo_cmd[@]}" install -m 0755 -D "$module" "$target"; then
    echo "Installed the Open JTalk speech module: $target"
    echo "A speech-dispatcher that is running already loads it when it starts again."
else
    echo "Could not install $target; the tool speaks with espeak-ng without it." >&2
fi
exit 0
