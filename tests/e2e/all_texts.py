"""Every one of the 46 built-in texts, loaded from its menu with the keyboard
and typed to the end with real X key events as fast as they can be sent
(about 100 keystrokes a second or more), with wrong keys at known places: each run ends with exactly the
expected right and wrong counts, a full progress bar and the report."""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
from harness import A11y, Tutor, check, main  # noqa: E402
import texts  # noqa: E402

MENUS = (("base", "b", 18), ("doc", "d", 18), ("classdoc", "c", 10))
WRONG_BEFORE = (4, 30)  # a wrong key before these positions (0-based), where the text has them


def wrong_key_for(key):
    return "q" if key != "q" else "w"



def test(display, exe, shots):
    total_keys = total_time = runs = 0
    slowest = float("inf")
    with Tutor(display, exe) as t:
        a11y = A11y(display)
        for menu, access, count in MENUS:
            for index in range(1, count + 1):
                keys = [texts.key_of(s) for s in texts.positions(menu, index)]
                check(all(keys), f"{menu} {index}: a symbol without a key")
                t.key(f"alt+{access}")
                time.sleep(0.15)  # let the menu open before moving in it
                t.key(*(["Down"] * (index - 1)), "Return")
                t.wait_title("Quillory注音打字練習_" + texts.caption(menu, index))
                t.key("space")  # Start
                sequence = ""
                wrong = 0
                for i, k in enumerate(keys):
                    if i in WRONG_BEFORE:
                        sequence += wrong_key_for(k)
                        wrong += 1
                    sequence += k
                started = time.monotonic()
                t.type(sequence, delay_ms=6)
                report = a11y.message_box(timeout=30)
                elapsed = time.monotonic() - started
                total_keys += len(sequence)
                total_time += elapsed
                right_label, wrong_label = a11y.text("lblRight"), a11y.text("lblWrong")
                check(right_label == str(len(keys)),
                      f"{menu} {index}: {right_label} right keys, expected {len(keys)}")
                check(wrong_label == str(wrong), f"{menu} {index}: {wrong_label} wrong keys, expected {wrong}")
                check(a11y.value("Picture1(0)") == 4000, f"{menu} {index}: the progress bar is not full")
                check(report.startswith("恭喜您打完本段文字!!"), f"{menu} {index}: report {report!r}")
                if "您的速度是每秒" in report:
                    accuracy = len(keys) / (len(keys) + wrong) * 100
                    check(f"按鍵的正確率為{accuracy:.2f}%" in report, f"{menu} {index}: report {report!r}")
                # The rate is reported, not judged: a busy machine slows the
                # sender, never the program's verdicts checked above.
                slowest = min(slowest, len(sequence) / elapsed)
                if (menu, index) == ("classdoc", 3):
                    display.screenshot(os.path.join(shots, "all-texts-classdoc3.png"))
                t.key("Return")  # close the report
                deadline = time.monotonic() + 5
                while a11y.message_box_open() and time.monotonic() < deadline:
                    time.sleep(0.02)
                t.focus()
                runs += 1
        print(f"{runs} runs, {total_keys} keystrokes judged, {total_keys / total_time:.0f} keys/s overall, "
              f"{slowest:.0f} keys/s in the slowest run")
        check(t.close() == 0, "the program did not end cleanly")


if __name__ == "__main__":
    main(test)
