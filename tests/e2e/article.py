"""An article opened from the command line, one reading changed with the
keyboard in the review, saved as a practice file through the save dialog,
opened again through the open dialog and typed to the report."""

import os
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(__file__))
from harness import A11y, Tutor, check, main  # noqa: E402
import texts  # noqa: E402

ARTICLE = "我們去銀行。\n他還沒有來。\n"
ZHUYIN = set(texts.KEYS) | {" "}


def is_reading(name):
    return bool(name) and all(c in ZHUYIN for c in name)


def wait_for(predicate, what, timeout=5):
    deadline = time.monotonic() + timeout
    while not predicate():
        check(time.monotonic() < deadline, what)
        time.sleep(0.05)


def test(display, exe, shots):
    folder = tempfile.mkdtemp()
    path = os.path.join(folder, "news.txt")
    with open(path, "w", encoding="utf-8") as f:
        f.write(ARTICLE)
    saved = os.path.join(folder, "saved.txt")

    with Tutor(display, exe, args=[path], cwd=folder) as t:
        a11y = A11y(display)
        t.wait_title("Quillory注音打字練習__news.txt")
        t.focus()

        # To 行 of 銀行: the first character, then four to the right.
        t.key("ctrl+Home")
        t.key("Right", "Right", "Right", "Right")
        wait_for(lambda: a11y.text("articleReview").startswith("行 "), "the cursor is not on 行")
        # "行 ㄏㄤˊ 請確認讀音 也可讀 ㄒㄧㄥˊ、ㄏㄤˋ": the reading, then the others.
        described = a11y.text("articleReview").split(" ")
        before = described[1]
        check(is_reading(before) and "也可讀" in described, f"行 is described as {described}")
        others = described[described.index("也可讀") + 1].split("、")
        check(all(is_reading(r) for r in others), f"other readings {others}")

        # Its list: the current reading first and selected, then the others.
        t.key("Return")
        time.sleep(0.5)
        display.screenshot(os.path.join(shots, "article-readings.png"))
        t.key("Down", "Return")
        after = others[0]
        wait_for(lambda: a11y.text("articleReview").startswith(f"行 {after} "),
                 f"行 did not change to {after}: {a11y.text('articleReview')!r}")

        # Saved through the save dialog, under a name typed in full.
        t.key("ctrl+s")
        time.sleep(0.5)
        t.key("ctrl+a")
        t.type(saved)
        t.key("Return")
        wait_for(lambda: os.path.exists(saved), "the practice file was not written")
        with open(saved, encoding="utf-8", newline="") as f:
            lines = [line for line in f.read().split("\r\n") if line]
        check("行" + after in lines, f"saved lines {lines}")

        # Opened again as a practice file and typed to the end.
        t.focus()
        t.key("ctrl+o")
        time.sleep(0.3)
        t.type("saved.txt")
        t.key("Return")
        t.wait_title("Quillory注音打字練習__saved.txt")
        t.focus()
        keys = ""
        for line in lines:
            reading = line[1:]
            if not reading:
                continue
            if reading[-1] not in texts.TONES:
                reading += " "
            keys += "".join(texts.key_of(s) for s in reading)
        t.key("space")  # Start has the focus
        time.sleep(0.2)
        t.type(keys, delay_ms=20)
        report = a11y.message_box()
        display.screenshot(os.path.join(shots, "article-report.png"))
        check(report.startswith("恭喜您打完本段文字!!"), f"report {report!r}")
        check(a11y.text("lblRight") == str(len(keys)), f"right keys {a11y.text('lblRight')}, expected {len(keys)}")
        t.key("Return")
        time.sleep(0.2)
        check(t.close() == 0, "the program did not end cleanly")
    print(f"行 changed from {before} to {after}; {len(keys)} keys typed from the saved file")


if __name__ == "__main__":
    main(test)
