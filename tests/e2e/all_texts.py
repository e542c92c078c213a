"""Every one of the 46 built-in texts, loaded from its menu with the keyboard
and typed to the end with real X key events, about 100 keystrokes a second,
with wrong keys at known places: each run ends with exactly the expected
right and wrong counts, a full progress bar and the report. Part-way through
the first text the screen shows every typed symbol in its echo cell."""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
from harness import A11y, Tutor, check, main  # noqa: E402
import texts  # noqa: E402

MENUS = (("base", "b", 18), ("doc", "d", 18), ("classdoc", "c", 10))
WRONG_BEFORE = (4, 30)  # a wrong key before these positions (0-based), where the text has them


def wrong_key_for(key):
    return "q" if key != "q" else "w"


def check_echoes(display, a11y, shots, typed):
    """The echo cells of the first text line on the screen: the typed ones
    yellow with a symbol in them, the current one light red, the next white."""
    x, y = a11y.center("picWindow")  # 777 x 130 with a 2-pixel border
    left, top = x - 388 + 2 + 4, y - 65 + 2 + 57
    full = display.screenshot(os.path.join(shots, "all-texts-echoes.png"))
    width = 18 * (typed + 2)
    rgb = subprocess.run(["convert", full, "-crop", f"{width}x25+{left}+{top}", "+repage", "rgb:-"],
                         capture_output=True, check=True).stdout
    for cell in range(typed + 2):
        pixels = [rgb[3 * (row * width + 18 * cell + col):][:3] for row in range(25) for col in range(17)]
        back = pixels[-1].hex().upper()
        ink = sum(1 for p in pixels if sum(p) < 3 * 128)
        want = "FFFF00" if cell < typed else "FF8080" if cell == typed else "FFFFFF"
        check(back == want and (ink > 2) == (cell < typed),
              f"echo cell {cell + 1} on the screen: background {back}, {ink} dark pixels")


def test(display, exe, shots):
    total_keys = total_time = runs = 0
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
                time.sleep(0.1)
                check(a11y.showing("lblEsc"), f"{menu} {index}: no run started")
                if runs == 0:  # a few keys first, the window's own echoes checked
                    t.type("".join(keys[:10]))
                    deadline = time.monotonic() + 5
                    while a11y.text("lblRight") != "10" and time.monotonic() < deadline:
                        time.sleep(0.02)
                    check_echoes(display, a11y, shots, 10)
                    keys = keys[10:]
                sequence = ""
                wrong = 0
                for i, k in enumerate(keys):
                    if i in WRONG_BEFORE:
                        sequence += wrong_key_for(k)
                        wrong += 1
                    sequence += k
                started = time.monotonic()
                t.type(sequence, delay_ms=4)
                report = a11y.message_box(timeout=30)
                elapsed = time.monotonic() - started
                total_keys += len(sequence)
                total_time += elapsed
                right_label, wrong_label = a11y.text("lblRight"), a11y.text("lblWrong")
                positions = len(texts.positions(menu, index))
                check(right_label == str(positions),
                      f"{menu} {index}: {right_label} right keys, expected {positions}")
                check(wrong_label == str(wrong), f"{menu} {index}: {wrong_label} wrong keys, expected {wrong}")
                check(a11y.value("Picture1(0)") == 4000, f"{menu} {index}: the progress bar is not full")
                check(report.startswith("恭喜您打完本段文字!!"), f"{menu} {index}: report {report!r}")
                if "您的速度是每秒" in report:
                    accuracy = positions / (positions + wrong) * 100
                    check(f"按鍵的正確率為{accuracy:.2f}%" in report, f"{menu} {index}: report {report!r}")
                if (menu, index) == ("classdoc", 3):
                    display.screenshot(os.path.join(shots, "all-texts-classdoc3.png"))
                t.key("Return")  # close the report
                deadline = time.monotonic() + 5
                while a11y.message_box_open() and time.monotonic() < deadline:
                    time.sleep(0.02)
                t.focus()
                runs += 1
        print(f"{runs} runs, {total_keys} keystrokes judged, {total_keys / total_time:.0f} keys/s overall")
        check(t.close() == 0, "the program did not end cleanly")


if __name__ == "__main__":
    main(test)
