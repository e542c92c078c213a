"""A whole drill lesson typed into the running tutor with real X key events,
faster than 50 keys a second, with deliberate wrong keys: the run ends with
the right counts, a full progress bar and the report."""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
from harness import A11y, Tutor, check, main  # noqa: E402
import texts  # noqa: E402

WRONG_AT = (3, 17, 40)  # positions before which a wrong key is typed


def test(display, exe, shots):
    symbols = texts.positions("base", 1)
    keys = [texts.key_of(s) for s in symbols]
    with Tutor(display, exe) as t:
        a11y = A11y(display)
        t.key("alt+b", "Return")  # 基本課程 → 第一課
        title = texts.caption("base", 1)
        deadline = time.monotonic() + 5
        while title not in t.title() and time.monotonic() < deadline:
            time.sleep(0.05)
        check(t.title() == "Quillory注音打字練習_" + title, f"title {t.title()!r}")
        t.key("space")  # Start has the focus
        time.sleep(0.2)
        check(a11y.text("lblEsc") == "按Esc鍵可以中斷打字", "no run started")
        sequence = ""
        for i, k in enumerate(keys):
            if i in WRONG_AT:
                sequence += "q" if k != "q" else "w"
            sequence += k
        started = time.monotonic()
        t.type(sequence, delay_ms=30)
        typed_for = time.monotonic() - started
        report = a11y.message_box()
        display.screenshot(os.path.join(shots, "typing-report.png"))
        rate = len(sequence) / typed_for
        print(f"typed {len(sequence)} keys in {typed_for:.2f} s ({rate:.0f} keys/s)")
        right, wrong = a11y.text("lblRight"), a11y.text("lblWrong")
        check(right == str(len(symbols)), f"right keys {right}, expected {len(symbols)}")
        check(wrong == str(len(WRONG_AT)), f"wrong keys {wrong}, expected {len(WRONG_AT)}")
        check(a11y.value("Picture1(0)") == 4000, "the progress bar is not full")
        check(report.startswith("恭喜您打完本段文字!!"), f"report {report!r}")
        accuracy = len(symbols) / (len(symbols) + len(WRONG_AT)) * 100
        check(f"按鍵的正確率為{accuracy:.2f}%" in report,
              f"report accuracy: {report!r}")
        print("report:", report.replace("\n", " / "))
        t.key("Return")
        time.sleep(0.3)
        check(not a11y.message_box_open(), "the report did not close")
        check(a11y.enabled("cmdStart"), "Start is not enabled after the run")
        check(t.close() == 0, "the program did not end cleanly")


if __name__ == "__main__":
    main(test)
