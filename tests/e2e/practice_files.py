"""Practice files opened with the keyboard through the open dialog, in UTF-8
and in Big5, mixing Zhuyin with ASCII characters that are typed exactly as
they are: Caps Lock off and on, Shift from both sides."""

import os
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(__file__))
from harness import A11y, Tutor, check, main  # noqa: E402

# 中ㄓㄨㄥ then the single-byte characters a, A, ? and ! (each line: the
# character and its reading).
LINES = ["中ㄓㄨㄥ", "aa", "AA", "??", "!!"]


def run_file(t, a11y, name, caps_lock):
    t.key("ctrl+o")
    time.sleep(0.3)
    t.type(name)
    t.key("Return")
    t.wait_title("Quillory注音打字練習__" + name)
    t.focus()
    t.key("space")  # Start
    time.sleep(0.1)
    if caps_lock:
        t.key("Caps_Lock")
        time.sleep(0.1)
    t.type("5j/ ")  # ㄓㄨㄥ and the first tone (Caps Lock does not matter here)
    if not caps_lock:
        t.shift_key("right", "a")  # "A" where "a" is expected: wrong
        t.key("a")                 # a
        t.shift_key("right", "a")  # A: the right Shift for a left-hand letter
    else:
        t.key("a")                 # gives "A": wrong where "a" is expected
        t.shift_key("right", "a")  # Shift with Caps Lock gives "a"
        t.key("a")                 # A
    t.shift_key("left", "slash")   # ?
    t.shift_key("right", "1")      # !
    report = a11y.message_box()
    check(report.startswith("恭喜您打完本段文字!!"), f"{name}: report {report!r}")
    check(a11y.text("lblRight") == "8", f"{name}: right {a11y.text('lblRight')}")
    check(a11y.text("lblWrong") == "1", f"{name}: wrong {a11y.text('lblWrong')}")
    t.key("Return")
    time.sleep(0.2)
    t.focus()
    if caps_lock:
        t.key("Caps_Lock")


def test(display, exe, shots):
    folder = tempfile.mkdtemp()
    text = "\r\n".join(LINES) + "\r\n"
    with open(os.path.join(folder, "mixed-utf8.txt"), "w", encoding="utf-8", newline="") as f:
        f.write(text)
    with open(os.path.join(folder, "mixed-big5.txt"), "w", encoding="cp950", newline="") as f:
        f.write(text)
    with Tutor(display, exe, cwd=folder) as t:
        a11y = A11y(display)
        for caps in (False, True):
            for name in ("mixed-utf8.txt", "mixed-big5.txt"):
                run_file(t, a11y, name, caps)
        display.screenshot(os.path.join(shots, "practice-file.png"))
        check(t.close() == 0, "the program did not end cleanly")
    print("4 runs over practice files: UTF-8 and Big5, Caps Lock off and on")


if __name__ == "__main__":
    main(test)
