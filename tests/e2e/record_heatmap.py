"""The learner's record in the real window: a lesson typed with deliberate
wrong keys, then the record window opened from the keyboard alone (Alt+R),
where the heat map's figures, read over the accessibility bus, show every
wrong key under the key that was needed, and the confusions list names the
key typed instead."""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
from harness import A11y, Tutor, check, main, wait  # noqa: E402
import texts  # noqa: E402

WRONG_AT = (2, 9, 23, 31, 40)  # positions (0-based) before which a wrong key is typed



def label(symbol):
    """How the record names the key of a symbol: the symbol, "ˉ" for the space bar."""
    return "ˉ" if symbol == " " else symbol


def test(display, exe, shots):
    symbols = texts.positions("base", 1)
    wrong_key = {}
    confused = {}
    sequence = ""
    for i, s in enumerate(symbols):
        k = texts.key_of(s)
        if i in WRONG_AT:
            typo = "q" if k != "q" else "w"
            sequence += typo
            wrong_key[label(s)] = wrong_key.get(label(s), 0) + 1
            pair = (label(s), "ㄆ" if typo == "q" else "ㄊ")
            confused[pair] = confused.get(pair, 0) + 1
        sequence += k
    needed = {}
    for s in symbols:
        needed[label(s)] = needed.get(label(s), 0) + 1

    with Tutor(display, exe) as t:
        a11y = A11y(display)
        t.key("alt+b", "Return")
        t.wait_title("Quillory注音打字練習_" + texts.caption("base", 1))
        t.key("space")
        time.sleep(0.2)
        t.type(sequence, delay_ms=20)
        check(a11y.message_box().startswith("恭喜您打完本段文字!!"), "no report")
        t.key("Return")
        wait(lambda: not a11y.message_box_open(), "the report did not close")
        t.focus()

        # 紀錄(R) → 學習紀錄, then the tab of the keys: keyboard only.
        t.key("alt+r")
        time.sleep(0.2)
        t.key("Return")
        t.wait_for_window("學習紀錄")
        time.sleep(0.3)
        t.key("alt+k")
        heat = wait(lambda: a11y.find("picHeatMap"), "no heat map")
        time.sleep(0.3)
        display.screenshot(os.path.join(shots, "record-keys.png"))

        figures = {}
        for i in range(heat.childCount):
            item = heat.getChildAtIndex(i)
            figures[item.name] = item.description
        check(len(figures) >= 50, f"the heat map shows {len(figures)} keys")
        for key, count in needed.items():
            wrong = wrong_key.get(key, 0)
            rate = wrong / (count + wrong) * 100
            expected = f"錯誤率 {rate:.1f}%（需要 {count} 次，按錯 {wrong} 次"
            check(figures.get(key, "").startswith(expected),
                  f"key {key}: {figures.get(key)!r}, expected {expected!r}…")
        check(figures.get("ㄘ") == "沒有紀錄", f"ㄘ was never typed: {figures.get('ㄘ')!r}")
        print("weak keys on the heat map:",
              ", ".join(f"{k} {figures[k].split('（')[0]}" for k in wrong_key))

        # The confusions: each needed key above with the key typed instead.
        cells = [n.name for n in a11y._walk(a11y.find("lstConfusions"))
                 if n.getRoleName() == "table cell"]
        listed = {(cells[i], cells[i + 1]): int(cells[i + 2]) for i in range(0, len(cells) - 2, 3)}
        check(listed == confused, f"confusions {listed}, expected {confused}")

        t.key("Escape")
        wait(lambda: not any(w.description == "frmRecord" for w in a11y.windows() if w is not None),
             "the record window did not close")
        t.focus()
        check(t.close() == 0, "the program did not end cleanly")


if __name__ == "__main__":
    main(test)
