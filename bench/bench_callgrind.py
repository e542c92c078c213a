"""CPU instructions per judged keystroke, counted by callgrind: the keystroke
benchmark fed 100 and then 200 keystrokes of a first run of the lesson (once
the window has settled after loading it, as it does while the learner reads),
the same 200 with a pause after each (the work done in the pauses counted
apart), the same 200 in a second run, the work done while it settles, and the same keys
sent to an empty main window (Qt's own key delivery).

Usage: bench_callgrind.py BENCH_KEYSTROKE
Prints figures; asserts nothing about them."""

import os
import re
import subprocess
import sys
import tempfile


def instructions(exe, mode, n, folder):
    out = os.path.join(folder, f"callgrind.{mode}.{n}")
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=folder)
    run = subprocess.run(["valgrind", "--tool=callgrind", "--collect-atstart=no",
                          f"--callgrind-out-file={out}", exe, mode, str(n)],
                         env=env, capture_output=True, text=True, timeout=600)
    if run.returncode != 0:
        raise RuntimeError(f"{mode} {n}: {run.stderr[-2000:]}")
    with open(out) as f:
        for line in f:
            m = re.match(r"(summary|totals):\s+(\d+)", line)
            if m:
                return int(m.group(2)), run.stdout
    raise RuntimeError(f"no totals in {out}")


def main():
    exe = os.path.abspath(sys.argv[1])
    folder = tempfile.mkdtemp(prefix="bench-callgrind-")
    os.chmod(folder, 0o700)
    print("instructions per judged keystroke (callgrind; press, release and the repaint "
          "of what changed)", flush=True)
    per_key = {}
    for n in (100, 200):
        total, report = instructions(exe, "tutor", n, folder)
        per_key[n] = total / n
        print(f"  tutor, {n} keystrokes: {per_key[n]:12,.0f} instructions per keystroke", flush=True)
    total, _ = instructions(exe, "paced", 200, folder)
    paced = total / 200
    total, _ = instructions(exe, "pauses", 200, folder)
    print(f"  tutor, the same 200 keystrokes at a learner's pace: {paced:12,.0f} per keystroke "
          f"(the window left quiet after each; what it prepares then, the next line's picture and "
          f"the scroll bar's next look, is {total / 200:,.0f} per keystroke, counted apart)", flush=True)
    total, _ = instructions(exe, "again", 200, folder)
    again = total / 200
    print(f"  tutor, the same 200 keystrokes in a second run of the lesson: {again:12,.0f} per keystroke "
          f"(every key's looks and every glyph met before)", flush=True)
    total, _ = instructions(exe, "prepare", 1, folder)
    print(f"  the lesson's looks and glyphs prepared while the learner reads, once per text: "
          f"{total:12,.0f} instructions ({total / 200:,.0f} per keystroke of the 200)", flush=True)
    total, _ = instructions(exe, "floor", 200, folder)
    floor = total / 200
    print(f"  floor, 200 keystrokes: {floor:12,.0f} instructions per keystroke "
          f"(an empty main window: Qt's key delivery)", flush=True)
    print(f"  tutor / floor: {per_key[200] / floor:.1f}x; 100 vs 200 keystrokes differ by "
          f"{abs(per_key[100] - per_key[200]) / per_key[200] * 100:.2f} %", flush=True)
    print("  repaint per keystroke (a native run of the same keystrokes):", flush=True)
    native = subprocess.run([exe, "tutor", "200"], capture_output=True, text=True,
                            env=dict(os.environ, QT_QPA_PLATFORM="offscreen",
                                     XDG_RUNTIME_DIR=folder), timeout=120)
    for line in native.stdout.splitlines():
        print("  " + line, flush=True)


if __name__ == "__main__":
    main()
