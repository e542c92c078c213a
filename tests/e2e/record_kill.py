"""Nothing finished is lost: the program is killed (SIGKILL) while its report
is still open, and again in the middle of a run; after each restart the
record window lists every run that had ended, and none that had not."""

import os
import signal
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
from harness import A11y, Tutor, check, main, wait  # noqa: E402
import texts  # noqa: E402



def kill(t):
    t.proc.send_signal(signal.SIGKILL)
    t.proc.wait(timeout=10)


def load(t, menu_key, index):
    t.key(f"alt+{menu_key}")
    time.sleep(0.15)
    t.key(*(["Down"] * (index - 1)), "Return")
    t.wait_title("Quillory注音打字練習_" + texts.caption("base", index))


def recorded_runs(t, a11y):
    """The rows of the record window's runs table: (text, result, right, wrong)."""
    t.key("alt+r")
    time.sleep(0.2)
    t.key("Return")
    t.wait_for_window("學習紀錄")
    table = wait(lambda: a11y.find("grdRuns"), "no runs table").queryTable()
    rows = []
    for r in range(table.nRows):
        cell = lambda c: table.getAccessibleAt(r, c).name  # noqa: E731
        rows.append((cell(1), cell(2), cell(5), cell(6)))
    t.key("Escape")
    return rows


def test(display, exe, shots):
    lesson1 = [texts.key_of(s) for s in texts.positions("base", 1)]
    lesson2 = [texts.key_of(s) for s in texts.positions("base", 2)]

    # A completed run; the program is killed while its report is open.
    with Tutor(display, exe) as t:
        a11y = A11y(display)
        load(t, "b", 1)
        t.key("space")
        time.sleep(0.2)
        t.type("".join(lesson1), delay_ms=20)
        check(a11y.message_box().startswith("恭喜您打完本段文字!!"), "no report")
        kill(t)

    # An interrupted run, then a run cut short by a kill.
    with Tutor(display, exe) as t:
        a11y = A11y(display)
        load(t, "b", 2)
        t.key("space")
        time.sleep(0.2)
        t.type("".join(lesson2[:6]), delay_ms=20)
        wait(lambda: a11y.text("lblRight") == "6", "six keys were not judged")
        t.key("Escape")
        check(a11y.message_box().startswith("您中斷了打字練習!!"), "no interruption report")
        t.key("Return")
        wait(lambda: not a11y.message_box_open(), "the report did not close")
        t.focus()
        t.key("space")  # Start again
        time.sleep(0.2)
        t.type("".join(lesson2[:4]), delay_ms=20)
        wait(lambda: a11y.text("lblRight") == "4", "the second run did not start")
        kill(t)

    with Tutor(display, exe) as t:
        a11y = A11y(display)
        rows = recorded_runs(t, a11y)
        print("recorded:", rows)
        check(rows == [(texts.caption("base", 2), "中斷", "6", "0"),
                       (texts.caption("base", 1), "打完", str(len(lesson1)), "0")],
              f"runs after the kills: {rows}")
        t.focus()
        check(t.close() == 0, "the program did not end cleanly")


if __name__ == "__main__":
    main(test)
