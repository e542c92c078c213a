"""The About box under a window manager, opened from the keyboard: its title
bar shows no title (the platform would fill an empty one with the program's
name), and a character key closes it."""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
from harness import A11y, Failure, Tutor, check, main, wait  # noqa: E402


def showing(a11y, name):
    try:
        return a11y.find(name).getState().contains(a11y.pyatspi.STATE_SHOWING)
    except Failure:  # not (or no longer) in the tree
        return False


def test(display, exe, shots):
    wm = subprocess.Popen(["openbox"], env=display.env(), stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL)
    try:
        wait(lambda: "window id" in display.run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK", check_rc=False),
             "the window manager did not start")
        with Tutor(display, exe) as t:
            a11y = A11y(display)
            # The help menu is the last: one to the left of the file menu.
            t.key("alt+f")
            time.sleep(0.3)
            t.key("Left", "Up", "Return")
            wait(lambda: showing(a11y, "Command1"), "the About box did not open")
            def boxes():
                out = display.xdotool("search", "--onlyvisible", "--pid", str(t.proc.pid), check_rc=False)
                return [w for w in out.split() if w != t.window]
            wait(boxes, "no About box window")
            titles = {w: display.run("xprop", "-id", w, "-notype", "_NET_WM_NAME").strip() for w in boxes()}
            check(all(v == '_NET_WM_NAME = " "' for v in titles.values()),
                  f"the About box's title bar reads {list(titles.values())}")
            display.screenshot(os.path.join(shots, "about-box.png"))
            t.key("x")
            wait(lambda: not showing(a11y, "Command1"), "a character key did not close the box")
            check(t.close() == 0, "the program did not end cleanly")
    finally:
        wm.terminate()
        wm.wait(timeout=10)
    print("About box: no title under a window manager, closed by a key")


if __name__ == "__main__":
    main(test)
