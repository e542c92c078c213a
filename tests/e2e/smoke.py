"""Smoke test: the tutor opens under a real X server with its title and size,
takes a key, shows its window for a screenshot and ends when closed."""

import os
import sys

sys.path.insert(0, os.path.dirname(__file__))
from harness import Tutor, check, main  # noqa: E402


def test(display, exe, shots):
    with Tutor(display, exe) as t:
        check(t.title() == "Quillory注音打字練習", f"title is {t.title()!r}")
        g = t.geometry()
        check(g["WIDTH"] == 794, f"window width {g['WIDTH']}")
        # The client area shows the keyboard (bottom at 525) but not the hand
        # pictures under it: the menu bar plus 535 pixels.
        check(540 <= g["HEIGHT"] <= 570, f"window height {g['HEIGHT']}")
        check(g["Y"] >= 0, "title bar above the screen")
        t.key("F2")
        check(t.proc.poll() is None, "a key ended the program")
        display.screenshot(os.path.join(shots, "smoke.png"))
        print(f"window mapped {t.mapped_after * 1000:.0f} ms after launch")
        rc = t.close()
        check(rc == 0, f"exit code {rc}")


if __name__ == "__main__":
    main(test)
