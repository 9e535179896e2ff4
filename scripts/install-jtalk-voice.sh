#!/usr/bin/env bash
# Installs Open JTalk's voice (hts-voice-nitech-jp-atr503-m001). Debian keeps it
# in contrib; when no contrib source is configured, one is added for this
# voice alone: a source file of its own and a pin that keeps every other
# contrib package out. Idempotent. Without the voice the tool still speaks
# through espeak-ng, so a failure here is reported and does not stop `make`.
set -uo pipefail
voice=hts-voice-nitech-jp-atr503-m001
source_file=/etc/apt/sources.list.d/vornix-support-contrib.sources
pin_file=/etc/apt/preferences.d/vornix-support-contrib

if dpkg-query -W -f='${Status}' "$voice" 2>/dev/null | grep -q 'install ok installed'; then
    exit 0
fi
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
        echo "Need root (or sudo) to install $voice; the tool speaks with espeak-ng without it." >&2
        exit 0
    fi
    sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive

has_candidate() {
    apt-cache policy "$voice" 2>/dev/null | grep -q 'Candidate: [0-9]'
}

if ! has_candidate; then
    "${sudo_cmd[@]}" apt-get update -qq </dev/null
fi
if ! has_candidate && [ ! -e "$source_file" ]; then
    # The mirror and suite of the system's own Debian main source, whichever
    # file and format it is written in.
    . /etc/os-release
    suite=${VERSION_CODENAME:-bookworm}
    mirror=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE) $(COMPONENT)' 'Identifier: Packages' 2>/dev/null |
        awk -v s="$suite" '$2 == s && $3 == "main" { print $1; exit }')
    mirror=${mirror:-http://deb.debian.org/debian/}
    keyring=/usr/share/keyrings/debian-archive-keyring.gpg
    printf 'Types: deb\nURIs: %s\nSuites: %s\nComponents: contrib\nSigned-By: %s\n' \
        "$mirror" "$suite" "$keyring" | "${sudo_cmd[@]}" tee "$source_file" >/dev/null
    printf '%s\n' \
        "# Added by vornix-support for Open JTalk's voice alone: nothing else from contrib." \
        "Package: $voice" 'Pin: release c=contrib' 'Pin-Priority: 500' '' \
        'Package: *' 'Pin: release c=contrib' 'Pin-Priority: -1' |
        "${sudo_cmd[@]}" tee "$pin_file" >/dev/null
    echo "Added the contrib source $source_file (from $mirror, $suite) for $voice alone,"
    echo "pinned by $pin_file so that nothing else from contrib is installed."
    echo "Remove both files to undo."
    "${sudo_cmd[@]}" apt-get update -qq </dev/null
fi
if ! "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "$voice" </dev/null; then
    echo "Could not install $voice: the tool speaks with espeak-ng without it." >&2
fi
exit 0
