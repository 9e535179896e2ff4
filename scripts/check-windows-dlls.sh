#!/usr/bin/env bash
# Checks that every DLL in the given folders is a PE file whose headers and
# export table can be read. A DLL damaged on its way here (a broken strip,
# a truncated copy) still links, since the linker reads only the import
# libraries, but no program that loads it starts, on Windows or under Wine.
# Prints the damaged ones and fails when there is any.
set -euo pipefail
objdump=x86_64-w64-mingw32-objdump
damaged=()
for folder in "$@"; do
    while IFS= read -r -d '' dll; do
        if ! "$objdump" -p "$dll" >/dev/null 2>&1; then
            damaged+=("$dll")
        fi
    done < <(find "$folder" -maxdepth 2 -name '*.dll' -print0)
done
[ ${#damaged[@]} -eq 0 ] && exit 0
echo "These DLLs are damaged (their PE headers or export table cannot be read); programs that load them do not start:" >&2
printf '  %s\n' "${damaged[@]}" >&2
exit 1
