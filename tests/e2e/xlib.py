"""A few X11 calls through ctypes: what xdotool cannot do by itself
(ask a window to close as a window manager would, press a key by keycode)."""

import ctypes
import ctypes.util

_x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
_xtst = ctypes.CDLL(ctypes.util.find_library("Xtst"))

_x11.XOpenDisplay.restype = ctypes.c_void_p
_x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
_x11.XInternAtom.restype = ctypes.c_ulong
_x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
_x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
_x11.XFlush.argtypes = [ctypes.c_void_p]
_x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
_x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
_xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]

ClientMessage = 33


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                ("data", ctypes.c_long * 5)]


class _XEvent(ctypes.Union):
    _fields_ = [("xclient", _ClientMessage), ("pad", ctypes.c_long * 24)]


class X:
    def __init__(self, display_name):
        self.dpy = _x11.XOpenDisplay(display_name.encode())
        if not self.dpy:
            raise RuntimeError(f"cannot open display {display_name}")

    def close(self):
        _x11.XCloseDisplay(self.dpy)

    def delete_window(self, window):
        """Sends WM_DELETE_WINDOW, as a window manager's close button does."""
        ev = _XEvent()
        ev.xclient.type = ClientMessage
        ev.xclient.window = window
        ev.xclient.message_type = _x11.XInternAtom(self.dpy, b"WM_PROTOCOLS", 0)
        ev.xclient.format = 32
        ev.xclient.data[0] = _x11.XInternAtom(self.dpy, b"WM_DELETE_WINDOW", 0)
        ev.xclient.data[1] = 0  # CurrentTime
        _x11.XSendEvent(self.dpy, window, 0, 0, ctypes.byref(ev))
        _x11.XFlush(self.dpy)

    def key(self, keycode, press):
        """Presses or releases a key by X keycode (50 left Shift, 62 right Shift)."""
        _xtst.XTestFakeKeyEvent(self.dpy, keycode, 1 if press else 0, 0)
        _x11.XSync(self.dpy, 0)
