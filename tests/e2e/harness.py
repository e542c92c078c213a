"""Real-window test harness: runs the built tutor under its own Xvfb server and
drives it with real X events (xdotool), as a learner's keyboard would."""

import os
import shutil
import subprocess
import sys
import tempfile
import time

from xlib import X


class Failure(Exception):
    pass


def check(cond, message):
    if not cond:
        raise Failure(message)


def wait(cond, message, timeout=5):
    """Polls cond until it gives something true, and returns that; a Failure
    with message after timeout seconds."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = cond()
        if value:
            return value
        time.sleep(0.02)
    raise Failure(message)


_RUNTIME = None


def _runtime_dir():
    """A private runtime folder (mode 0700) for the programs the tests start."""
    global _RUNTIME
    if _RUNTIME is None:
        _RUNTIME = tempfile.mkdtemp(prefix="quillory-runtime-")
        os.chmod(_RUNTIME, 0o700)
    return _RUNTIME


class Display:
    """A private Xvfb server (24-bit, -noreset so Caps Lock survives)."""

    def __init__(self, width=1024, height=768):
        self.width, self.height = width, height
        self.proc = None
        self.name = None
        self._x = None

    def __enter__(self):
        self.name = None
        # The programs keep their record in a data folder of this display's
        # own, under a home of their own.
        self.home = tempfile.mkdtemp(prefix="quillory-home-")
        self.data_home = os.path.join(self.home, ".local", "share")
        os.makedirs(self.data_home)
        r, w = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(w), "-screen", "0",
             f"{self.width}x{self.height}x24", "-noreset", "-nolisten", "tcp"],
            pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(w)
        with os.fdopen(r) as f:
            number = f.readline().strip()
        check(number, "Xvfb did not start")
        self.name = f":{number}"
        # The accessibility bus, through which the test reads the window.
        self.atspi = None
        launcher = "/usr/libexec/at-spi-bus-launcher"
        if os.environ.get("DBUS_SESSION_BUS_ADDRESS") and os.path.exists(launcher):
            self.atspi = subprocess.Popen([launcher, "--launch-immediately"], env=self.env(),
                                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return self

    def __exit__(self, *exc):
        if self._x:
            self._x.close()
        if getattr(self, "atspi", None):
            self.atspi.terminate()
            self.atspi.wait(timeout=10)
        if self.proc:
            self.proc.terminate()
            self.proc.wait(timeout=10)
        shutil.rmtree(self.home, ignore_errors=True)

    def env(self):
        env = dict(os.environ)
        env["DISPLAY"] = self.name
        env.pop("QT_QPA_PLATFORM", None)
        env.pop("WAYLAND_DISPLAY", None)
        env["LC_ALL"] = "C.UTF-8"
        env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        env.setdefault("XDG_RUNTIME_DIR", _runtime_dir())
        env["HOME"] = self.home
        env["XDG_DATA_HOME"] = self.data_home
        return env

    def run(self, *args, check_rc=True, timeout=30):
        out = subprocess.run(list(args), env=self.env(), capture_output=True, text=True,
                             timeout=timeout)
        if check_rc and out.returncode != 0:
            raise Failure(f"{' '.join(args)} failed: {out.stderr.strip()}")
        return out.stdout

    def x(self):
        if self._x is None:
            self._x = X(self.name)
        return self._x

    def xdotool(self, *args, **kw):
        return self.run("xdotool", *args, **kw)

    def screenshot(self, path):
        os.makedirs(os.path.dirname(path) or ".", exist_ok=True)
        self.run("import", "-window", "root", path)
        return path


class Tutor:
    """The built program, started as a learner starts it."""

    def __init__(self, display, exe, args=(), cwd=None):
        self.display = display
        self.exe = exe
        self.args = list(args)
        self.cwd = cwd
        self.proc = None
        self.window = None
        self.started = None
        self.mapped_after = None

    def __enter__(self):
        self.started = time.monotonic()
        self.proc = subprocess.Popen([self.exe, *self.args], env=self.display.env(), cwd=self.cwd,
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.window = self.wait_for_window("Quillory")
        self.mapped_after = time.monotonic() - self.started
        self.display.xdotool("windowfocus", "--sync", self.window)
        return self

    def __exit__(self, *exc):
        if self.proc and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait(timeout=10)

    def wait_for_window(self, name, timeout=20):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.proc.poll() is not None:
                raise Failure(f"the program ended early: {self.proc.stderr.read()}")
            out = self.display.xdotool("search", "--onlyvisible", "--name", name, check_rc=False)
            ids = out.split()
            if ids:
                return ids[0]
            time.sleep(0.01)
        raise Failure(f"no window named {name!r} within {timeout} s")

    def focus(self):
        """Gives the main window the keyboard focus. Without a window manager
        nothing does it when a dialog closes."""
        self.display.xdotool("windowfocus", "--sync", self.window)

    def wait_title(self, title, timeout=5):
        """Waits until the window's title reads title."""
        deadline = time.monotonic() + timeout
        while self.title() != title:
            if time.monotonic() > deadline:
                raise Failure(f"title {self.title()!r}, expected {title!r}")
            time.sleep(0.02)

    def title(self):
        return self.display.xdotool("getwindowname", self.window).strip()

    def geometry(self):
        out = self.display.xdotool("getwindowgeometry", "--shell", self.window)
        vals = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return {k: int(v) for k, v in vals.items() if v.lstrip("-").isdigit()}

    def key(self, *keys, delay_ms=12):
        self.display.xdotool("key", "--delay", str(delay_ms), *keys)

    def type(self, text, delay_ms=5):
        self.display.xdotool("type", "--delay", str(delay_ms), text)

    def click(self, x, y):
        self.display.xdotool("mousemove", "--sync", str(x), str(y), "click", "1")

    def grab(self, path, x, y, width, height):
        """A screenshot of one area of the screen."""
        full = path + ".full.png"
        self.display.screenshot(full)
        self.display.run("convert", full, "-crop", f"{width}x{height}+{x}+{y}", "+repage", path)
        os.remove(full)
        return path

    def shift_key(self, side, *keys):
        """Types keys with the left or the right Shift held (by keycode: xdotool
        cannot tell the two apart)."""
        x = self.display.x()
        code = 50 if side == "left" else 62
        x.key(code, True)
        try:
            self.display.xdotool("key", "--delay", "12", *keys)
        finally:
            x.key(code, False)

    def close(self, timeout=10):
        """Closes the window as the window manager's close button would."""
        x = self.display.x()
        x.delete_window(int(self.window))
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end after its window was closed")


class A11y:
    """Reads the tutor's window through the accessibility tree (AT-SPI):
    every control carries its control name as its accessible description."""

    def __init__(self, display, app_name="Quillory", timeout=20):
        os.environ["DISPLAY"] = display.name
        import pyatspi  # Debian's python3-pyatspi
        self.pyatspi = pyatspi
        deadline = time.monotonic() + timeout
        self.app = None
        while time.monotonic() < deadline and self.app is None:
            desktop = pyatspi.Registry.getDesktop(0)
            for i in range(desktop.childCount):
                a = desktop.getChildAtIndex(i)
                if a is not None and a.name == app_name:
                    self.app = a
            if self.app is None:
                time.sleep(0.1)
        check(self.app is not None, "the tutor does not appear on the accessibility bus")

    def _walk(self, node):
        yield node
        for i in range(node.childCount):
            child = node.getChildAtIndex(i)
            if child is not None:
                yield from self._walk(child)

    def find(self, description, root=None):
        for n in self._walk(root or self.app):
            if n.description == description:
                return n
        raise Failure(f"no control {description!r} in the accessibility tree")

    def find_name(self, name, role=None, timeout=5):
        """A control by its caption (menu items carry no control name)."""
        deadline = time.monotonic() + timeout
        while True:
            for n in self._walk(self.app):
                if n.name == name and (role is None or n.getRoleName() == role):
                    return n
            if time.monotonic() > deadline:
                raise Failure(f"nothing named {name!r} in the accessibility tree")
            time.sleep(0.05)

    def center_of(self, node):
        ext = node.queryComponent().getExtents(self.pyatspi.DESKTOP_COORDS)
        return ext.x + ext.width // 2, ext.y + ext.height // 2

    def text(self, description):
        return self.find(description).name

    def value(self, description):
        return self.find(description).queryValue().currentValue

    def center(self, description):
        """Screen coordinates of the middle of a control."""
        ext = self.find(description).queryComponent().getExtents(self.pyatspi.DESKTOP_COORDS)
        return ext.x + ext.width // 2, ext.y + ext.height // 2

    def checked(self, description):
        return self.find(description).getState().contains(self.pyatspi.STATE_CHECKED)

    def showing(self, description):
        return self.find(description).getState().contains(self.pyatspi.STATE_SHOWING)

    def enabled(self, description):
        return self.find(description).getState().contains(self.pyatspi.STATE_ENABLED)

    def windows(self):
        return [self.app.getChildAtIndex(i) for i in range(self.app.childCount)]

    def message_box(self, timeout=10):
        """The text of the message box that is open, waiting for it to show."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            for w in self.windows():
                if w is not None and w.getRoleName() in ("alert", "dialog") and w.description != "frmSplash":
                    labels = [n.name for n in self._walk(w)
                              if n.getRoleName() == "label" and n.name]
                    if labels:
                        return "\n".join(labels)
            time.sleep(0.05)
        raise Failure("no message box appeared")

    def message_box_open(self):
        return any(w is not None and w.getRoleName() in ("alert", "dialog") for w in self.windows())


def main(test):
    """Runs one test function test(display, exe, shots) and reports like a test runner."""
    exe = os.path.abspath(sys.argv[1])
    shots = sys.argv[2] if len(sys.argv) > 2 else tempfile.mkdtemp()
    for tool in ("Xvfb", "xdotool", "import"):
        if not shutil.which(tool):
            print(f"missing {tool}: run scripts/setup.sh")
            sys.exit(1)
    try:
        with Display() as d:
            test(d, exe, shots)
    except Failure as e:
        print(f"FAIL: {e}")
        sys.exit(1)
    print("PASS")
