"""Follows the focus on the accessibility bus the way a magnifier or an
on-screen keyboard does: it registers for the focus events a screen reader
registers for, and never speaks. Prints "listening" once registered, then
runs until it is stopped.

Runs on the system's Python, the one Orca runs on, which has GObject
introspection and libatspi's bindings.
"""

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402


def moved(event):
    pass


listener = Atspi.EventListener.new(moved)
for event in ("object:state-changed:focused", "focus:"):
    if not listener.register(event):
        raise SystemExit("could not register for " + event)
print("listening", flush=True)
GLib.MainLoop().run()
