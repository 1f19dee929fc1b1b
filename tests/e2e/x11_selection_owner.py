#!/usr/bin/env python3
"""Prints the window that owns an X selection (e.g. _NET_SYSTEM_TRAY_S0) on $DISPLAY.

No command-line tool reports selection owners, and python3-xlib is not installed, so this talks
to libX11 through ctypes. Exit status: 0 owned (prints the window id), 1 not owned, 2 no display.
"""
import ctypes
import ctypes.util
import sys


def main(argv):
    if len(argv) != 2:
        print("usage: x11_selection_owner.py SELECTION", file=sys.stderr)
        return 2
    xlib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    xlib.XInternAtom.restype = ctypes.c_ulong
    xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    xlib.XGetSelectionOwner.restype = ctypes.c_ulong
    xlib.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]

    display = xlib.XOpenDisplay(None)
    if not display:
        print("x11_selection_owner.py: cannot open display", file=sys.stderr)
        return 2
    try:
        atom = xlib.XInternAtom(display, argv[1].encode(), 1)  # only_if_exists: no owner yet
        owner = xlib.XGetSelectionOwner(display, atom) if atom else 0
    finally:
        xlib.XCloseDisplay(display)
    if not owner:
        return 1
    print(hex(owner))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
