#!/usr/bin/env bash
# Generates a locale (default ja_JP.UTF-8) unless the system has it already.
# Idempotent: the line in /etc/locale.gen is enabled once, locale-gen runs
# only when the locale is missing.
set -euo pipefail
want=${1:-ja_JP.UTF-8}
lang=${want%%.*}
# "ja_JP.utf8" is how `locale -a` spells ja_JP.UTF-8.
if locale -a 2>/dev/null | grep -qix "${lang}\.utf-\?8"; then
    exit 0
fi
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Need root (or sudo) to generate the locale $want" >&2; exit 1; }
    sudo_cmd=(sudo)
fi
echo "Generating the locale $want"
if grep -q "^# *$want UTF-8" /etc/locale.gen; then
    "${sudo_cmd[@]}" sed -i "s/^# *\($want UTF-8\)/\1/" /etc/locale.gen
elif ! grep -q "^$want UTF-8" /etc/locale.gen; then
    echo "$want UTF-8" | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
fi
"${sudo_cmd[@]}" locale-gen >/dev/null
