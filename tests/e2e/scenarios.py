"""A learner's session in the real window: interrupting with Esc and with the
menu item, a second run over the same text, layouts and speed classes changed
between runs, the keyboard hidden during a run, the hands demonstration
stopped by a typed key, and the window closed during a run."""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
from harness import A11y, Tutor, check, main, wait  # noqa: E402
import texts  # noqa: E402



def same_image(display, a, b):
    out = subprocess.run(["compare", "-metric", "AE", a, b, "null:"], env=display.env(),
                         capture_output=True, text=True)
    return out.stderr.strip().split()[0] == "0"


def close_report(t, a11y, expected_start):
    report = a11y.message_box()
    check(report.startswith(expected_start), f"report {report!r}, expected {expected_start!r}…")
    t.key("Return")
    wait(lambda: not a11y.message_box_open(), "the report did not close")
    t.focus()
    return report


def test(display, exe, shots):
    keys = [texts.key_of(s) for s in texts.positions("base", 2)]
    with Tutor(display, exe) as t:
        a11y = A11y(display)
        click = lambda name: t.click(*a11y.center(name))  # noqa: E731

        # Lesson 2, interrupted with Esc after five keys.
        t.key("alt+b")
        time.sleep(0.15)
        t.key("Down", "Return")
        wait(lambda: t.title().endswith(texts.caption("base", 2)), "lesson 2 did not load")
        click("cmdStart")
        t.type("".join(keys[:5]))
        wait(lambda: a11y.text("lblRight") == "5", "five keys were not judged")
        t.key("Escape")
        close_report(t, a11y, "您中斷了打字練習!!")
        check(a11y.enabled("frmKeySet") and a11y.enabled("cmdStart"), "the window did not return to idle")

        # Between runs: another layout and another speed class.
        click("optKey(1)")
        click("optClass(3)")
        wait(lambda: a11y.checked("optKey(1)") and a11y.checked("optClass(3)"), "the options did not change")

        # A second run over the same text, interrupted from the menu.
        click("cmdStart")
        wait(lambda: a11y.text("lblRight") == "", "the counters were not cleared")
        check(not a11y.enabled("frmKeySet"), "the layout frame is usable during a run")
        t.type("".join(keys[:3]))
        wait(lambda: a11y.text("lblRight") == "3", "three keys were not judged")
        t.key("alt+f")
        time.sleep(0.15)
        t.key("Return")  # 中斷打字Esc, the first item usable during a run
        close_report(t, a11y, "您中斷了打字練習!!")

        # A third run typed to the end, the keyboard hidden half-way.
        click("cmdStart")
        t.type("".join(keys[:10]), delay_ms=10)
        click("cmdSandH")
        wait(lambda: not a11y.showing("picKey"), "the keyboard did not hide")
        check(a11y.text("cmdSandH") == "顯示鍵盤", "the button caption did not change")
        t.type("".join(keys[10:]), delay_ms=10)
        report = close_report(t, a11y, "恭喜您打完本段文字!!")
        # No wrong key: the counter stays as the run's start left it, empty.
        check(a11y.text("lblRight") == str(len(keys)) and a11y.text("lblWrong") == "",
              f"counts {a11y.text('lblRight')}/{a11y.text('lblWrong')} after {report!r}")
        display.screenshot(os.path.join(shots, "scenario-keyboard-hidden.png"))
        click("cmdSandH")
        wait(lambda: a11y.showing("picKey"), "the keyboard did not come back")

        # The hands demonstration, stopped by a typed key: the keyboard is clean.
        t.focus()
        x, y = a11y.center("picKey")
        area = (x - 372, y - 140, 745, 281)
        before = t.grab(os.path.join(shots, "scenario-keyboard-before.png"), *area)
        # 說明(E) has no access key: open it with the mouse, as a learner would.
        t.click(*a11y.center_of(a11y.find_name("說明(E)", "menu item")))
        time.sleep(0.2)
        t.click(*a11y.center_of(a11y.find_name("指法圖", "menu item")))
        time.sleep(0.7)  # the hands slide up for about half a second
        during = t.grab(os.path.join(shots, "scenario-hands-moving.png"), *area)
        check(not same_image(display, before, during), "the hands did not appear")
        t.key("a")
        time.sleep(0.3)
        after = t.grab(os.path.join(shots, "scenario-keyboard-after.png"), *area)
        check(same_image(display, before, after), "the keyboard is not clean after the hands stopped")

        # Closing the window during a run ends the program at once, without a report.
        t.key("alt+b")
        time.sleep(0.15)
        t.key("Return")
        wait(lambda: t.title().endswith(texts.caption("base", 1)), "lesson 1 did not load")
        click("cmdStart")
        t.type("".join(texts.key_of(s) for s in texts.positions("base", 1)[:4]))
        started = time.monotonic()
        rc = t.close(timeout=5)
        took = time.monotonic() - started
        check(rc == 0, f"exit code {rc}")
        check(took < 2, f"the program took {took:.1f} s to end")
        print(f"closed during a run: ended in {took * 1000:.0f} ms")


if __name__ == "__main__":
    main(test)
