"""X11 through ctypes for the window benchmarks: the map of a top-level window
as the X server reports it, the window's pixels read through shared memory
(MIT-SHM), the X server's reports that a window's pixels changed (DAMAGE), and
key events sent with XTEST without waiting for a reply."""

import ctypes
import ctypes.util
import os
import select
import time

_x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
_xext = ctypes.CDLL(ctypes.util.find_library("Xext"))
_xtst = ctypes.CDLL(ctypes.util.find_library("Xtst"))
_xdamage = ctypes.CDLL(ctypes.util.find_library("Xdamage"))
_libc = ctypes.CDLL(ctypes.util.find_library("c"), use_errno=True)

c_void_p, c_ulong, c_int, c_uint, c_char_p = (ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int,
                                              ctypes.c_uint, ctypes.c_char_p)


class _XImage(ctypes.Structure):
    _fields_ = [("width", c_int), ("height", c_int), ("xoffset", c_int), ("format", c_int),
                ("data", c_void_p), ("byte_order", c_int), ("bitmap_unit", c_int),
                ("bitmap_bit_order", c_int), ("bitmap_pad", c_int), ("depth", c_int),
                ("bytes_per_line", c_int), ("bits_per_pixel", c_int)]


class _ShmInfo(ctypes.Structure):
    _fields_ = [("shmseg", c_ulong), ("shmid", c_int), ("shmaddr", c_void_p), ("readOnly", c_int)]


class _MapEvent(ctypes.Structure):
    _fields_ = [("type", c_int), ("serial", c_ulong), ("send_event", c_int), ("display", c_void_p),
                ("event", c_ulong), ("window", c_ulong), ("override_redirect", c_int)]


class _XEvent(ctypes.Union):
    _fields_ = [("type", c_int), ("xmap", _MapEvent), ("pad", ctypes.c_long * 24)]


class _WindowAttributes(ctypes.Structure):
    _fields_ = [("x", c_int), ("y", c_int), ("width", c_int), ("height", c_int),
                ("border_width", c_int), ("depth", c_int), ("visual", c_void_p),
                ("root", c_ulong), ("rest", ctypes.c_long * 16)]


_ERROR_HANDLER = ctypes.CFUNCTYPE(c_int, c_void_p, c_void_p)

_x11.XOpenDisplay.restype = c_void_p
_x11.XOpenDisplay.argtypes = [c_char_p]
_x11.XCloseDisplay.argtypes = [c_void_p]
_x11.XDefaultRootWindow.restype = c_ulong
_x11.XDefaultRootWindow.argtypes = [c_void_p]
_x11.XDefaultScreen.argtypes = [c_void_p]
_x11.XDefaultVisual.restype = c_void_p
_x11.XDefaultVisual.argtypes = [c_void_p, c_int]
_x11.XDefaultDepth.argtypes = [c_void_p, c_int]
_x11.XSelectInput.argtypes = [c_void_p, c_ulong, ctypes.c_long]
_x11.XConnectionNumber.argtypes = [c_void_p]
_x11.XPending.argtypes = [c_void_p]
_x11.XNextEvent.argtypes = [c_void_p, ctypes.POINTER(_XEvent)]
_x11.XSync.argtypes = [c_void_p, c_int]
_x11.XFlush.argtypes = [c_void_p]
_x11.XFree.argtypes = [c_void_p]
_x11.XGetWindowAttributes.argtypes = [c_void_p, c_ulong, ctypes.POINTER(_WindowAttributes)]
_x11.XKeysymToKeycode.restype = ctypes.c_ubyte
_x11.XKeysymToKeycode.argtypes = [c_void_p, c_ulong]
_x11.XStringToKeysym.restype = c_ulong
_x11.XStringToKeysym.argtypes = [c_char_p]
_x11.XSetErrorHandler.restype = c_void_p
_x11.XSetErrorHandler.argtypes = [_ERROR_HANDLER]
_xext.XShmQueryExtension.argtypes = [c_void_p]
_xext.XShmCreateImage.restype = ctypes.POINTER(_XImage)
_xext.XShmCreateImage.argtypes = [c_void_p, c_void_p, c_uint, c_int, c_char_p,
                                  ctypes.POINTER(_ShmInfo), c_uint, c_uint]
_xext.XShmAttach.argtypes = [c_void_p, ctypes.POINTER(_ShmInfo)]
_xext.XShmDetach.argtypes = [c_void_p, ctypes.POINTER(_ShmInfo)]
_xext.XShmGetImage.argtypes = [c_void_p, c_ulong, ctypes.POINTER(_XImage), c_int, c_int, c_ulong]
_xdamage.XDamageQueryExtension.argtypes = [c_void_p, ctypes.POINTER(c_int), ctypes.POINTER(c_int)]
_xdamage.XDamageCreate.restype = c_ulong
_xdamage.XDamageCreate.argtypes = [c_void_p, c_ulong, c_int]
_xdamage.XDamageSubtract.argtypes = [c_void_p, c_ulong, c_ulong, c_ulong]
_xdamage.XDamageDestroy.argtypes = [c_void_p, c_ulong]
_xtst.XTestFakeKeyEvent.argtypes = [c_void_p, c_uint, c_int, c_ulong]
_libc.shmget.restype = c_int
_libc.shmget.argtypes = [c_int, ctypes.c_size_t, c_int]
_libc.shmat.restype = c_void_p
_libc.shmat.argtypes = [c_int, c_void_p, c_int]
_libc.shmdt.argtypes = [c_void_p]
_libc.shmctl.argtypes = [c_int, c_int, c_void_p]

MAP_NOTIFY = 19
DAMAGE_REPORT_NON_EMPTY = 3
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
Z_PIXMAP = 2
IPC_PRIVATE, IPC_CREAT, IPC_RMID = 0, 0o1000, 0

# A window that vanished between two requests must not end the benchmark.
_errors = []


@_ERROR_HANDLER
def _on_error(_dpy, _event):
    _errors.append(1)
    return 0


class Grabber:
    """Reads a rectangle of the screen into shared memory: the X server copies
    the pixels without sending them over the connection."""

    def __init__(self, x, x0, y0, width, height):
        self.x, self.rect = x, (x0, y0, width, height)
        dpy = x.dpy
        screen = _x11.XDefaultScreen(dpy)
        self.info = _ShmInfo()
        self.image = _xext.XShmCreateImage(dpy, _x11.XDefaultVisual(dpy, screen),
                                           _x11.XDefaultDepth(dpy, screen), Z_PIXMAP, None,
                                           ctypes.byref(self.info), width, height)
        img = self.image.contents
        self.size = img.bytes_per_line * img.height
        self.info.shmid = _libc.shmget(IPC_PRIVATE, self.size, IPC_CREAT | 0o600)
        if self.info.shmid < 0:
            raise OSError(ctypes.get_errno(), "shmget")
        self.info.shmaddr = _libc.shmat(self.info.shmid, None, 0)
        img.data = self.info.shmaddr
        self.info.readOnly = 0
        _xext.XShmAttach(dpy, ctypes.byref(self.info))
        _x11.XSync(dpy, 0)
        # Removed now, freed when both sides have detached.
        _libc.shmctl(self.info.shmid, IPC_RMID, None)

    def grab(self):
        """The rectangle's pixels now (BGRX, row by row)."""
        _xext.XShmGetImage(self.x.dpy, self.x.root, self.image, self.rect[0], self.rect[1],
                           0xFFFFFFFF)
        return ctypes.string_at(self.info.shmaddr, self.size)

    def close(self):
        _xext.XShmDetach(self.x.dpy, ctypes.byref(self.info))
        _x11.XSync(self.x.dpy, 0)
        _libc.shmdt(self.info.shmaddr)
        _x11.XFree(self.image)


class X:
    """One connection to the display, watching the root window for maps."""

    def __init__(self, display_name):
        self.dpy = _x11.XOpenDisplay(display_name.encode())
        if not self.dpy:
            raise RuntimeError(f"cannot open display {display_name}")
        _x11.XSetErrorHandler(_on_error)
        if not _xext.XShmQueryExtension(self.dpy):
            raise RuntimeError("the X server has no MIT-SHM")
        event_base, error_base = c_int(), c_int()
        if not _xdamage.XDamageQueryExtension(self.dpy, ctypes.byref(event_base), ctypes.byref(error_base)):
            raise RuntimeError("the X server has no DAMAGE")
        self.damage_notify = event_base.value  # XDamageNotify is the extension's event 0
        self.root = _x11.XDefaultRootWindow(self.dpy)
        _x11.XSelectInput(self.dpy, self.root, SUBSTRUCTURE_NOTIFY_MASK)
        _x11.XSync(self.dpy, 0)
        self.fd = _x11.XConnectionNumber(self.dpy)

    def close(self):
        _x11.XCloseDisplay(self.dpy)

    def drain(self):
        """Forgets the events received so far."""
        ev = _XEvent()
        _x11.XSync(self.dpy, 0)
        while _x11.XPending(self.dpy):
            _x11.XNextEvent(self.dpy, ctypes.byref(ev))

    def wait_for_map(self, timeout=20.0, alive=lambda: True):
        """The first top-level window mapped from now on, and the monotonic
        time at which the server's MapNotify arrived."""
        ev = _XEvent()
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            while _x11.XPending(self.dpy):
                _x11.XNextEvent(self.dpy, ctypes.byref(ev))
                if ev.type == MAP_NOTIFY and not ev.xmap.override_redirect:
                    return ev.xmap.window, time.monotonic()
            if not alive():
                raise RuntimeError("the program ended before mapping a window")
            select.select([self.fd], [], [], 0.05)
        raise RuntimeError(f"no window mapped within {timeout} s")

    def watch_damage(self, window):
        """Asks the X server to report when the window's pixels change."""
        damage = _xdamage.XDamageCreate(self.dpy, window, DAMAGE_REPORT_NON_EMPTY)
        _x11.XSync(self.dpy, 0)
        return damage

    def stop_damage(self, damage):
        _xdamage.XDamageDestroy(self.dpy, damage)
        _x11.XSync(self.dpy, 0)

    def wait_damage(self, damage, timeout):
        """Waits up to timeout seconds for a report that the window changed;
        True when one came. The report is acknowledged, so that the next
        change is reported again."""
        ev = _XEvent()
        deadline = time.monotonic() + timeout
        while True:
            damaged = False
            while _x11.XPending(self.dpy):
                _x11.XNextEvent(self.dpy, ctypes.byref(ev))
                damaged = damaged or ev.type == self.damage_notify
            if damaged:
                _xdamage.XDamageSubtract(self.dpy, damage, 0, 0)
                _x11.XFlush(self.dpy)
                return True
            left = deadline - time.monotonic()
            if left <= 0:
                return False
            select.select([self.fd], [], [], left)

    def geometry(self, window):
        """(x, y, width, height) of a top-level window (no window manager:
        its position is relative to the root)."""
        a = _WindowAttributes()
        _x11.XGetWindowAttributes(self.dpy, window, ctypes.byref(a))
        return a.x, a.y, a.width, a.height

    def grabber(self, x0, y0, width, height):
        return Grabber(self, x0, y0, width, height)

    def keycode(self, keysym_name):
        return _x11.XKeysymToKeycode(self.dpy, _x11.XStringToKeysym(keysym_name.encode()))

    def send_key(self, keycode, press):
        """Queues an XTEST key event and flushes it, without a round trip."""
        _xtst.XTestFakeKeyEvent(self.dpy, keycode, 1 if press else 0, 0)
        _x11.XFlush(self.dpy)


def cpu_ns(pid):
    """CPU time of all the process's threads in nanoseconds (scheduler
    statistics: finer than the clock ticks of /proc/PID/stat)."""
    total = 0
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{tid}/schedstat") as f:
                total += int(f.read().split()[0])
        except OSError:
            pass
    return total


def cpu_ticks(pid):
    """utime + stime of /proc/PID/stat, in clock ticks."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])


def wakeups(pid):
    """Voluntary context switches of all threads: how often the process slept
    and was woken."""
    total = 0
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{tid}/status") as f:
                for line in f:
                    if line.startswith("voluntary_ctxt_switches:"):
                        total += int(line.split()[1])
        except OSError:
            pass
    return total


def rss_kib(pid):
    return memory_kib(pid)["rss"]


FONT_FILES = (".ttf", ".ttc", ".otf", ".pfb", ".pcf.gz")


def memory_kib(pid):
    """Resident memory in KiB: all of it (rss), the pages no other process
    maps (uss: private clean and dirty), its anonymous part (heap, stacks),
    the pages of mapped files (file) and among them of font files (fonts),
    and shared memory (shmem: the window's image shared with the X server)."""
    out = {"rss": 0, "uss": 0, "anon": 0, "file": 0, "shmem": 0, "fonts": 0}
    with open(f"/proc/{pid}/smaps_rollup") as f:
        for line in f:
            fields = line.split()
            if fields[0] in ("Private_Clean:", "Private_Dirty:"):
                out["uss"] += int(fields[1])
    names = {"VmRSS:": "rss", "RssAnon:": "anon", "RssFile:": "file", "RssShmem:": "shmem"}
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            key = line.split(None, 1)[0]
            if key in names:
                out[names[key]] = int(line.split()[1])
    font = False
    with open(f"/proc/{pid}/smaps") as f:
        for line in f:
            fields = line.split()
            if not fields[0].endswith(":"):  # a mapping's first line
                font = len(fields) > 5 and fields[5].endswith(FONT_FILES)
            elif font and fields[0] == "Rss:":
                out["fonts"] += int(fields[1])
    return out
