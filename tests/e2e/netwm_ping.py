#!/usr/bin/env python3
"""Asks an X window whether its program is alive with _NET_WM_PING, as a window
manager does, and waits for the answer sent to the root window (libX11 through ctypes).
Usage: netwm_ping.py WINDOW_ID TIMEOUT_MS; prints "ping ANSWERED ELAPSED_MS", exit 0
when answered in time, 3 when not, 2 when there is no display."""
import ctypes
import ctypes.util
import select
import sys
import time

CLIENT_MESSAGE = 33
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
P, UL, I, L = ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long


class ClientMessage(ctypes.Structure):
    _fields_ = [("type", I), ("serial", UL), ("send_event", I), ("display", P), ("window", UL),
                ("message_type", UL), ("format", I), ("l", L * 5)]


class Event(ctypes.Union):
    # XEvent is a union padded to 24 longs.
    _fields_ = [("type", I), ("xclient", ClientMessage), ("pad", L * 24)]


def main():
    window, timeout_ms = int(sys.argv[1], 0), int(sys.argv[2])
    x = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
    for name, res, args in [("XOpenDisplay", P, [ctypes.c_char_p]), ("XInternAtom", UL, [P, ctypes.c_char_p, I]),
                            ("XDefaultRootWindow", UL, [P]), ("XSelectInput", I, [P, UL, L]),
                            ("XSendEvent", I, [P, UL, I, L, P]), ("XFlush", I, [P]), ("XPending", I, [P]),
                            ("XNextEvent", I, [P, P]), ("XConnectionNumber", I, [P])]:
        getattr(x, name).restype, getattr(x, name).argtypes = res, args
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
    ev.xclient.type, ev.xclient.window, ev.xclient.message_type, ev.xclient.format = CLIENT_MESSAGE, window, protocols, 32
    ev.xclient.l[0], ev.xclient.l[1], ev.xclient.l[2] = ping, stamp, window
    start = time.monotonic()
    x.XSendEvent(display, window, 0, 0, ctypes.byref(ev))
    x.XFlush(display)
    answered = False
    while not answered and time.monotonic() < start + timeout_ms / 1000:
        if not x.XPending(display):
            select.select([x.XConnectionNumber(display)], [], [], max(0, start + timeout_ms / 1000 - time.monotonic()))
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
