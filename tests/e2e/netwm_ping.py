#!/usr/bin/env python3
"""Asks an X window whether its program is alive, as a window manager does
with _NET_WM_PING, and waits for the answer the program sends to the root
window.  Usage: netwm_ping.py WINDOW_ID TIMEOUT_MS
Prints "ping ANSWERED ELAPSED_MS"; exit 0 when answered in time, 3 when not,
2 when there is no display.  Only libX11 itself is needed (through ctypes)."""
import ctypes
import ctypes.util
import select
import sys
import time

CLIENT_MESSAGE = 33
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19


class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("l", ctypes.c_long * 5)]


class Event(ctypes.Union):
    # XEvent is a union padded to 24 longs.
    _fields_ = [("type", ctypes.c_int), ("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]


def main():
    window, timeout_ms = int(sys.argv[1], 0), int(sys.argv[2])
    x = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x.XInternAtom.restype = ctypes.c_ulong
    x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x.XDefaultRootWindow.restype = ctypes.c_ulong
    x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
    x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    x.XFlush.argtypes = [ctypes.c_void_p]
    x.XPending.argtypes = [ctypes.c_void_p]
    x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
    x.XConnectionNumber.argtypes = [ctypes.c_void_p]
    display = x.XOpenDisplay(None)
    if not display:
        print("netwm_ping: no display", file=sys.stderr)
        return 2
    protocols = x.XInternAtom(display, b"WM_PROTOCOLS", 0)
    ping = x.XInternAtom(display, b"_NET_WM_PING", 0)
    root = x.XDefaultRootWindow(display)
    # The answer is the same message sent back to the root window.
    x.XSelectInput(display, root, SUBSTRUCTURE_NOTIFY_MASK)
    stamp = int(time.monotonic() * 1000) & 0x7FFFFFFF
    ev = Event()
    ev.xclient.type = CLIENT_MESSAGE
    ev.xclient.window = window
    ev.xclient.message_type = protocols
    ev.xclient.format = 32
    ev.xclient.l[0], ev.xclient.l[1], ev.xclient.l[2] = ping, stamp, window
    start = time.monotonic()
    x.XSendEvent(display, window, 0, 0, ctypes.byref(ev))
    x.XFlush(display)
    fd = x.XConnectionNumber(display)
    answered = False
    while not answered:
        left = timeout_ms / 1000 - (time.monotonic() - start)
        if left <= 0:
            break
        if not x.XPending(display):
            select.select([fd], [], [], left)
            continue
        got = Event()
        x.XNextEvent(display, ctypes.byref(got))
        c = got.xclient
        answered = (got.type == CLIENT_MESSAGE and c.window == root and c.message_type == protocols
                    and c.l[0] == ping and c.l[1] == stamp and c.l[2] == window)
    print("ping\t%d\t%d" % (answered, (time.monotonic() - start) * 1000))
    return 0 if answered else 3


if __name__ == "__main__":
    sys.exit(main())
