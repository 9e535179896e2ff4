#!/usr/bin/env python3
"""Gives every newly mapped top-level window the input focus, the one thing a
window manager does that start-up depends on: the tool speaks when its first
field gets the focus, and on a bare X server nothing hands it over.

Runs until killed, on the X server named by DISPLAY. Prints "ready" once it
watches the root window. Xlib through ctypes, so nothing beyond libX11 (which
Xvfb needs anyway) has to be installed.
"""

import ctypes
import ctypes.util
import sys

SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
MAP_NOTIFY = 19
REVERT_TO_POINTER_ROOT = 1
CURRENT_TIME = 0


class XMapEvent(ctypes.Structure):
    _fields_ = [
        ("type", ctypes.c_int),
        ("serial", ctypes.c_ulong),
        ("send_event", ctypes.c_int),
        ("display", ctypes.c_void_p),
        ("event", ctypes.c_ulong),
        ("window", ctypes.c_ulong),
        ("override_redirect", ctypes.c_int),
    ]


class XEvent(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("xmap", XMapEvent), ("pad", ctypes.c_long * 24)]


ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)


def main():
    name = ctypes.util.find_library("X11") or "libX11.so.6"
    x = ctypes.CDLL(name)
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x.XDefaultRootWindow.restype = ctypes.c_ulong
    x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
    x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(XEvent)]
    x.XSetInputFocus.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_ulong]
    x.XFlush.argtypes = [ctypes.c_void_p]
    x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x.XSetErrorHandler.argtypes = [ERROR_HANDLER]

    display = x.XOpenDisplay(None)
    if not display:
        print("focus_on_map: cannot open the display", file=sys.stderr)
        return 1
    # A window can be gone again before it gets the focus; that is no reason
    # to stop (Xlib's default handler would end the process).
    ignore = ERROR_HANDLER(lambda _d, _e: 0)
    x.XSetErrorHandler(ignore)
    root = x.XDefaultRootWindow(display)
    x.XSelectInput(display, root, SUBSTRUCTURE_NOTIFY_MASK)
    x.XSync(display, 0)
    print("ready", flush=True)

    event = XEvent()
    while True:
        x.XNextEvent(display, ctypes.byref(event))
        if event.type == MAP_NOTIFY and not event.xmap.override_redirect:
            x.XSetInputFocus(display, event.xmap.window, REVERT_TO_POINTER_ROOT, CURRENT_TIME)
            x.XFlush(display)


if __name__ == "__main__":
    sys.exit(main())
