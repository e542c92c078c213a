"""Keys as a learner's hands use them, through real X events: Enter presses the
focused button between runs and is a typed key during a run; a lone Alt and the
access keys of the locked menus leave the run alone; and the report tells how
the run really ended also when the program falls behind the keys (the process
is stopped while the keys arrive, then handles them in one batch)."""

import os
import signal
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
from harness import A11y, Tutor, check, main, wait  # noqa: E402
import texts  # noqa: E402



def close_report(t, a11y, expected_start):
    report = a11y.message_box()
    check(report.startswith(expected_start), f"report {report!r}, expected {expected_start!r}…")
    t.key("Return")
    wait(lambda: not a11y.message_box_open(), "the report did not close")
    t.focus()
    return report


# xdotool's names of the keys that type punctuation.
KEY_NAMES = {" ": "space", ";": "semicolon", ",": "comma", ".": "period", "/": "slash", "-": "minus"}


def test(display, exe, shots):
    keys = [texts.key_of(s) for s in texts.positions("base", 1)]
    with Tutor(display, exe) as t:
        a11y = A11y(display)

        def start_with_return():
            t.key("Return")  # Start has the focus
            wait(lambda: not a11y.enabled("cmdStart"), "Return did not start the run")

        def behind(*ks):
            """The keys arrive while the program cannot handle them."""
            os.kill(t.proc.pid, signal.SIGSTOP)
            try:
                t.key(*ks)
            finally:
                os.kill(t.proc.pid, signal.SIGCONT)

        # Alt+B, Return: lesson 1 loads and Start has the focus; Return starts.
        t.key("alt+b")
        time.sleep(0.15)
        t.key("Return")
        wait(lambda: t.title().endswith(texts.caption("base", 1)), "lesson 1 did not load")
        start_with_return()
        wait(lambda: a11y.text("Label1") == "0:0:1", "the clock does not run")

        # A lone Alt, then Return: Return is judged (wrong) and opens no menu,
        # so the next key reaches the run; so does the key after Alt+B of the
        # locked lesson menu.
        t.key("alt")
        time.sleep(0.1)
        t.key("Return")
        t.type(keys[0])
        wait(lambda: a11y.text("lblWrong") == "1", "Return after a lone Alt was not judged")
        wait(lambda: a11y.text("lblRight") == "1", "the key after Alt and Return did not reach the run")
        t.key("alt+b")
        t.type(keys[1])
        wait(lambda: a11y.text("lblRight") == "2", "the key after Alt+B did not reach the run")
        # A lone Alt, then Esc: the run is interrupted.
        t.key("alt")
        time.sleep(0.1)
        t.key("Escape")
        close_report(t, a11y, "您中斷了打字練習!!")

        # Esc and a key handled in one batch: the run was interrupted.
        start_with_return()
        t.type("".join(keys[:3]))
        wait(lambda: a11y.text("lblRight") == "3", "three keys were not judged")
        behind("Escape", "q")
        report = close_report(t, a11y, "您中斷了打字練習!!")
        check(a11y.text("lblRight") == "3" and a11y.text("lblWrong") == "",
              f"counts {a11y.text('lblRight')}/{a11y.text('lblWrong')} after {report!r}")

        # The last key and Esc in one batch: the run was typed to the end.
        start_with_return()
        t.type("".join(keys[:-1]))
        wait(lambda: a11y.text("lblRight") == str(len(keys) - 1), "the keys were not judged")
        behind(KEY_NAMES.get(keys[-1], keys[-1]), "Escape")
        close_report(t, a11y, "恭喜您打完本段文字!!")
        check(a11y.text("lblRight") == str(len(keys)), f"right keys {a11y.text('lblRight')}")
        display.screenshot(os.path.join(shots, "keys-after-report.png"))
        check(t.close() == 0, "the program did not end cleanly")


if __name__ == "__main__":
    main(test)
