"""The drawn keyboard in a real window: its picture kept between runs, the
three layouts chosen with the mouse, and the fingering chart chosen from the
help menu, with the hands sliding onto the home row and going again at a
click on the keyboard. Leaves a screenshot of each state."""

import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(__file__))
from harness import Tutor, check, main  # noqa: E402

CLIENT_HEIGHT = 535
KEYBOARD = (32, 244)  # picKey in the client area


def pixel(path, x, y):
    out = subprocess.run(["convert", path, "-format", f"%[hex:p{{{x},{y}}}]", "info:"],
                         capture_output=True, text=True, check=True)
    return out.stdout.strip()[:6].upper()


class Window:
    def __init__(self, display, tutor, shots):
        self.display, self.tutor, self.shots = display, tutor, shots
        g = tutor.geometry()
        self.x, self.y = g["X"], g["Y"]
        self.menu = g["HEIGHT"] - CLIENT_HEIGHT
        self.width, self.height = g["WIDTH"], g["HEIGHT"]

    def client(self, x, y):
        return self.x + x, self.y + self.menu + y

    def key_pixel(self, shot, x, y):
        """The colour at (x, y) of the drawn keyboard."""
        sx, sy = self.client(KEYBOARD[0] + x, KEYBOARD[1] + y)
        return pixel(shot, sx, sy)

    def click(self, x, y):
        self.tutor.click(*self.client(x, y))

    def shot(self, name):
        full = self.display.screenshot(os.path.join(self.shots, "root.png"))
        path = os.path.join(self.shots, name)
        subprocess.run(["convert", full, "-crop", f"{self.width}x{self.height}+{self.x}+{self.y}",
                        "+repage", path], check=True)
        return full, path

    def keyboard_crop(self, full):
        sx, sy = self.client(*KEYBOARD)
        out = subprocess.run(["convert", full, "-crop", f"745x281+{sx}+{sy}", "+repage", "rgb:-"],
                             capture_output=True, check=True)
        return out.stdout


BLACK, GREY, LIGHT_RED, LIGHT_BLUE = "000000", "E0E0E0", "FF8080", "8080FF"


def skin(hexcolour):
    r, g, b = (int(hexcolour[i:i + 2], 16) for i in (0, 2, 4))
    return r >= 190 and r >= g >= b and r - b >= 25


def test(display, exe, shots):
    with Tutor(display, exe) as t:
        w = Window(display, t, shots)
        # The window is mapped before it is painted: wait for the keyboard.
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            full = display.screenshot(os.path.join(shots, "root.png"))
            if w.key_pixel(full, 632, 20) == BLACK and w.key_pixel(full, 700, 95) == GREY:
                break
            time.sleep(0.1)
        full, _ = w.shot("keyboard-small-enter.png")
        check(w.key_pixel(full, 632, 20) == BLACK, "Backspace is not at 632, 0")
        check(w.key_pixel(full, 700, 95) == GREY, "a big Enter in the small-Enter layout")

        # "\ 鍵在上": optKey(1) in the frame at 24, 52.
        w.click(24 + 84 + 8, 52 + 16 + 10)
        time.sleep(0.3)
        full, _ = w.shot("keyboard-backslash-up.png")
        check(w.key_pixel(full, 680, 20) == BLACK and w.key_pixel(full, 679, 20) == GREY,
              "Backspace is not at 680, 0 after choosing \\ 鍵在上")
        check(w.key_pixel(full, 700, 95) == LIGHT_BLUE, "no big Enter after \\ 鍵在上")

        # "\ 鍵在下".
        w.click(24 + 160 + 8, 52 + 16 + 10)
        time.sleep(0.3)
        full, _ = w.shot("keyboard-backslash-down.png")
        check(w.key_pixel(full, 684, 164) == BLACK and w.key_pixel(full, 683, 164) == GREY,
              "the backslash key is not at 684, 144 after choosing \\ 鍵在下")
        check(w.key_pixel(full, 700, 95) == LIGHT_BLUE, "no big Enter after \\ 鍵在下")

        # Back to "小Enter鍵": the picture as drawn.
        w.click(24 + 8 + 8, 52 + 16 + 10)
        time.sleep(0.3)
        full, _ = w.shot("keyboard-back-to-small-enter.png")
        check(w.key_pixel(full, 632, 20) == BLACK and w.key_pixel(full, 700, 95) == GREY,
              "小Enter鍵 does not bring the small Enter back")
        before = w.keyboard_crop(full)

        # The fingering chart: help menu (the last one), first item.
        display.xdotool("windowfocus", "--sync", t.window)
        t.key("alt+f")
        time.sleep(0.2)
        t.key("Left")  # from the first menu round to the last
        time.sleep(0.2)
        started = time.monotonic()
        t.key("Return")
        arrived = None
        while time.monotonic() - started < 2.5:
            full = display.screenshot(os.path.join(shots, "root.png"))
            if w.key_pixel(full, 241, 66) == LIGHT_RED:
                arrived = time.monotonic() - started
                at_rest = full
                break
            time.sleep(0.05)
        check(arrived is not None, "the home-key captions did not appear")
        print(f"hands at rest {arrived * 1000:.0f} ms after choosing 指法圖 (screenshot polling)")
        full, _ = w.shot("hands-at-rest.png")
        for name, x in (("A", 104), ("S", 152), ("D", 200), ("F", 248),
                        ("J", 400), ("K", 448), ("L", 496), (";", 544)):
            check(skin(w.key_pixel(full, x, 128)), f"no fingertip on {name}")
        # Both captions appear together and hide 3 s later: look for J's in
        # the picture that showed F's, however slow the screenshots are.
        check(w.key_pixel(at_rest, 397, 66) == LIGHT_RED, "no caption over J")

        # The captions go once more than three seconds have passed.
        time.sleep(max(0.0, 4.0 - (time.monotonic() - started)))
        full, _ = w.shot("hands-captions-gone.png")
        check(w.key_pixel(full, 241, 66) != LIGHT_RED, "the captions stay after 4 s")
        check(skin(w.key_pixel(full, 248, 128)), "the hands went with the captions")

        # A click on the keyboard ends it: the keyboard is clean again.
        w.click(KEYBOARD[0] + 400, KEYBOARD[1] + 20)
        time.sleep(0.3)
        full, _ = w.shot("hands-stopped.png")
        check(w.keyboard_crop(full) == before, "the keyboard is not clean after the demonstration")
        os.remove(os.path.join(shots, "root.png"))


def test_kept_picture(display, exe, shots):
    """The keyboard's picture kept from one run is the picture the next run
    would draw: a first run draws and keeps it, a second shows the kept one."""
    os.environ["XDG_CACHE_HOME"] = tempfile.mkdtemp(prefix="quillory-cache-")
    crops = []
    for run in ("drawn", "kept"):
        with Tutor(display, exe) as t:
            w = Window(display, t, shots)
            time.sleep(0.5)
            full, _ = w.shot(f"keyboard-{run}.png")
            crops.append(w.keyboard_crop(full))
        kept = os.path.join(os.environ["XDG_CACHE_HOME"], "Quillory", "keyboard.picture")
        check(os.path.exists(kept), "the first run kept no picture of the keyboard")
    check(crops[0] == crops[1], "the kept picture differs from the drawn one")

    # The keyboard drawn whole again in another state (hidden and shown during
    # a run, its next key marked) leaves the picture the next launch starts with.
    with open(kept, "rb") as f:
        before = f.read()
    with Tutor(display, exe) as t:
        w = Window(display, t, shots)
        time.sleep(0.5)
        t.key("alt+b", "Return")  # the first drill lesson
        time.sleep(0.3)
        t.key("space")  # Start has the focus
        time.sleep(0.3)
        for _ in range(2):
            w.click(616, 68)  # 隱藏鍵盤, then 顯示鍵盤
            time.sleep(0.4)
        full, _ = w.shot("keyboard-shown-again.png")
        check(w.keyboard_crop(full) != crops[0], "the run marked no key")
    with open(kept, "rb") as f:
        check(f.read() == before, "a later paint replaced the picture the next launch starts with")
    os.remove(os.path.join(shots, "root.png"))


def test_both(display, exe, shots):
    test_kept_picture(display, exe, shots)
    test(display, exe, shots)


if __name__ == "__main__":
    main(test_both)
