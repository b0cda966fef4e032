#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Finds a top-level X11 window by its title, and closes it as a window manager does.

    x11_window.py wait TITLE [SECONDS]   exit 0 once such a window is mapped
    x11_window.py close TITLE            send it WM_DELETE_WINDOW, as the close button does

Talks to $DISPLAY through libX11 (which Qt's X11 platform plugin needs anyway), so the
check needs no tool beyond the X server.
"""
import ctypes
import ctypes.util
import sys
import time

c_ulong_p = ctypes.POINTER(ctypes.c_ulong)


class XClientMessageEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                ("data", ctypes.c_long * 5)]


class XEvent(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("xclient", XClientMessageEvent), ("pad", ctypes.c_long * 24)]


class XWindowAttributes(ctypes.Structure):
    # Only map_state is read; the rest is laid out to reach it.
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                ("height", ctypes.c_int), ("border_width", ctypes.c_int), ("depth", ctypes.c_int),
                ("visual", ctypes.c_void_p), ("root", ctypes.c_ulong), ("c_class", ctypes.c_int),
                ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int),
                ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int),
                ("colormap", ctypes.c_ulong), ("map_installed", ctypes.c_int),
                ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
                ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p)]


IS_VIEWABLE = 2
CLIENT_MESSAGE = 33

x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong, c_ulong_p, c_ulong_p,
                           ctypes.POINTER(c_ulong_p), ctypes.POINTER(ctypes.c_uint)]
x11.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_char_p)]
x11.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                     ctypes.POINTER(XWindowAttributes)]
x11.XInternAtom.restype = ctypes.c_ulong
x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                           ctypes.POINTER(XEvent)]
x11.XFree.argtypes = [ctypes.c_void_p]
x11.XFlush.argtypes = [ctypes.c_void_p]
x11.XCloseDisplay.argtypes = [ctypes.c_void_p]


def find(display, title):
    """The first viewable child of the root window with this title, or None."""
    root, parent = ctypes.c_ulong(), ctypes.c_ulong()
    children, count = c_ulong_p(), ctypes.c_uint()
    if not x11.XQueryTree(display, x11.XDefaultRootWindow(display), ctypes.byref(root),
                          ctypes.byref(parent), ctypes.byref(children), ctypes.byref(count)):
        return None
    found = None
    for i in range(count.value):
        name = ctypes.c_char_p()
        if x11.XFetchName(display, children[i], ctypes.byref(name)) and name.value is not None:
            matches = name.value.decode("latin-1") == title
            x11.XFree(name)
            attributes = XWindowAttributes()
            if matches and x11.XGetWindowAttributes(display, children[i], ctypes.byref(attributes)) \
                    and attributes.map_state == IS_VIEWABLE:
                found = children[i]
                break
    if children:
        x11.XFree(children)
    return found


def main():
    if len(sys.argv) < 3 or sys.argv[1] not in ("wait", "close"):
        sys.exit(__doc__)
    action, title = sys.argv[1], sys.argv[2]
    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("x11_window.py: cannot open the display")
    try:
        if action == "wait":
            deadline = time.monotonic() + float(sys.argv[3] if len(sys.argv) > 3 else 60)
            while find(display, title) is None:
                if time.monotonic() > deadline:
                    sys.exit(f"x11_window.py: no window '{title}' is shown")
                time.sleep(0.2)
            print(f"window '{title}' is shown")
            return
        window = find(display, title)
        if window is None:
            sys.exit(f"x11_window.py: no window '{title}' to close")
        event = XEvent()
        event.xclient.type = CLIENT_MESSAGE
        event.xclient.window = window
        event.xclient.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", False)
        event.xclient.format = 32
        event.xclient.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", False)
        event.xclient.data[1] = 0  # CurrentTime
        if not x11.XSendEvent(display, window, False, 0, ctypes.byref(event)):
            sys.exit("x11_window.py: the close request was not sent")
        x11.XFlush(display)
        print(f"window '{title}' asked to close")
    finally:
        x11.XCloseDisplay(display)


if __name__ == "__main__":
    main()
