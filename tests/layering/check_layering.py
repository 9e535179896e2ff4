#!/usr/bin/env python3
"""Every #include of the program's own headers points down the table of rooms:
a folder may use only the folders listed for it, never one above it."""
import pathlib
import re
import sys

# The rooms, lowest first, and what each may include besides itself.
MAY_USE = {
    "reading": set(),
    "codec": set(),
    "platform": set(),
    "platform/qt": {"platform", "codec"},
    "platform/linux": {"platform", "platform/qt", "reading"},
    "platform/windows": {"platform", "platform/qt", "codec", "reading"},
    "ui": set(),
    "speech": {"platform", "reading"},
    "accessibility": {"ui", "speech", "platform"},
    "selfvoicing": {"ui", "speech", "platform"},
    "readermode": {"accessibility", "selfvoicing", "ui", "speech", "platform"},
    "account": {"platform", "codec"},
    "providers": set(),
    "dialogs": {"readermode", "accessibility", "ui", "account", "speech", "platform"},
    "app": {"dialogs", "readermode", "accessibility", "selfvoicing", "ui", "providers", "account",
            "speech", "platform", "reading", "codec"},
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def room(path):
    """The longest room name that path (relative to src/) starts with."""
    parts = pathlib.PurePosixPath(path).parts[:-1]
    for n in range(len(parts), 0, -1):
        name = "/".join(parts[:n])
        if name in MAY_USE:
            return name
    return None


def main(src):
    faults = []
    for file in sorted(src.rglob("*")):
        if file.suffix not in (".h", ".cpp"):
            continue
        here = room(file.relative_to(src).as_posix())
        if here is None:
            continue
        for target in INCLUDE.findall(file.read_text(encoding="utf-8")):
            there = room(target) if "/" in target else here
            if there is None or there == here or there in MAY_USE[here]:
                continue
            faults.append(f"{file.relative_to(src)}: {here} includes {target} ({there})")
    print("\n".join(faults) or f"{src}: every include points down")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(pathlib.Path(sys.argv[1])))
