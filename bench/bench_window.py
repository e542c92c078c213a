"""The tutor's window measured from outside the process, beside an empty Qt
main window built in the same tree (the floor), on a private Xvfb server:

  start-up     launch to the X server's MapNotify, and to the first frame of
               the window that equals its settled picture (everything drawn),
               the pixels read whenever the X server reports a change;
  memory       RSS three seconds after launch, and with a 5000-line practice
               file loaded through the open dialog;
  keystroke    an XTEST key press to the first changed pixel of the keyboard
               picture, over 200 keystrokes of a real run;
  idle         CPU share over 10 s with the window open and no run, and during
               a run with nobody typing.

  before       launch to MapNotify beside the program as it was before a
               change (BASELINE, built from an earlier commit), many launches
               taking turns.

Usage: bench_window.py QUILLORY BARE_WINDOW [BASELINE]
Prints figures; asserts nothing about them."""

import os
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
sys.path.insert(0, HERE)

from harness import Display  # noqa: E402
import texts  # noqa: E402
import xwindow  # noqa: E402

STARTS = 11            # launches of each program, after one unmeasured launch
RSS_STARTS = 5         # of which the first ones also wait for the RSS
SETTLE_S = 1.0         # pixels are watched this long after the map
RSS_AT_S = 3.0         # RSS is read this long after launch
KEYSTROKES = 200
IDLE_S = 10.0
PRACTICE_LINES = 5000
MIB = 1024.0

# The keyboard picture inside the tutor's client area (below the menu bar),
# and the client area's height: the keyboard's next-key and pressed-key
# changes all fall inside it, the clock and the blinking position do not.
KEYBOARD = (32, 244, 745, 281)
CLIENT_HEIGHT = 535

KEYSYMS = {" ": "space", ",": "comma", ".": "period", "/": "slash", ";": "semicolon",
           "-": "minus"}


class Bench(Display):
    """The harness's Xvfb, with the environment of a learner's session: no
    accessibility forced on, a private runtime folder."""

    def env(self):
        env = super().env()
        env.pop("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", None)
        env["XDG_RUNTIME_DIR"] = self.runtime
        return env

    def __enter__(self):
        self.runtime = tempfile.mkdtemp(prefix="bench-runtime-")
        os.chmod(self.runtime, 0o700)
        super().__enter__()
        # The tests' accessibility bus is not part of a learner's start-up.
        if self.atspi:
            self.atspi.terminate()
            self.atspi.wait(timeout=10)
            self.atspi = None
        return self


class Program:
    """One launch, seen from the X server."""

    def __init__(self, display, x, exe, cwd=None):
        self.display, self.x, self.exe = display, x, exe
        x.drain()
        self.launched = time.monotonic()
        self.proc = subprocess.Popen([exe], env=display.env(), cwd=cwd,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.window, self.mapped = x.wait_for_map(alive=lambda: self.proc.poll() is None)
        self.geometry = x.geometry(self.window)

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
        self.proc.wait(timeout=10)

    def focus(self):
        self.display.xdotool("windowfocus", "--sync", str(self.window))

    def wait_title(self, ending, timeout=10):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.title().endswith(ending):
                return
            time.sleep(0.01)
        raise RuntimeError(f"the title did not become …{ending}: {self.title()!r}")

    def title(self):
        return self.display.xdotool("getwindowname", str(self.window)).strip()


def watch_first_paint(x, program):
    """Milliseconds from launch to the first frame that equals the window's
    settled picture. The window's pixels are read through shared memory each
    time the X server reports that they changed (and every 50 ms besides);
    only frames that differ from the one before are kept, with the time they
    were read."""
    damage = x.watch_damage(program.window)
    grabber = x.grabber(*program.geometry)
    frames = []
    last = None
    end = program.mapped + SETTLE_S
    while True:
        pixels = grabber.grab()
        now = time.monotonic()
        if pixels != last:
            frames.append((now, pixels))
            last = pixels
        if now >= end:
            break
        x.wait_damage(damage, min(0.05, end - now))
    grabber.close()
    x.stop_damage(damage)
    final = frames[-1][1]
    first_full = next(t for t, p in frames if p == final)
    return (first_full - program.launched) * 1000


def start_up(display, x, exe, memory=True):
    """Map and first full paint in ms; with memory, the resident memory in
    MiB RSS_AT_S after launch: all of it, anonymous, mapped files, font files
    and shared with the X server."""
    program = Program(display, x, exe)
    map_ms = (program.mapped - program.launched) * 1000
    paint_ms = watch_first_paint(x, program)
    if not memory:
        program.kill()
        return map_ms, paint_ms
    time.sleep(max(0.0, program.launched + RSS_AT_S - time.monotonic()))
    m = xwindow.memory_kib(program.proc.pid)
    program.kill()
    return (map_ms, paint_ms) + tuple(m[k] / MIB for k in ("rss", "anon", "file", "fonts", "shmem"))


def median(values):
    return statistics.median(values)


def p90(values):
    s = sorted(values)
    return s[min(len(s) - 1, int(round(0.9 * (len(s) - 1))))]


def row(what, value, unit, floor=None, target=None, met=None):
    line = f"  {what:<44} {value:9.2f} {unit:<4}"
    if floor is not None:
        line += f"  floor {floor:8.2f}  ratio {value / floor:5.2f}x"
    if target:
        line += f"  target {target}: {'met' if met else 'MISSED'}"
    print(line, flush=True)


def bench_start_up(display, x, tutor, bare):
    print(f"start-up: {STARTS} launches each, taking turns, medians; memory: the first "
          f"{RSS_STARTS} of them", flush=True)
    start_up(display, x, bare, memory=False)
    start_up(display, x, tutor, memory=False)
    results = {tutor: [], bare: []}
    for i in range(STARTS):
        for exe in (bare, tutor):
            results[exe].append(start_up(display, x, exe, memory=i < RSS_STARTS))
    t = [median(v) for v in zip(*(r[:2] for r in results[tutor]))]
    b = [median(v) for v in zip(*(r[:2] for r in results[bare]))]
    t += [median(v) for v in zip(*(r[2:] for r in results[tutor][:RSS_STARTS]))]
    b += [median(v) for v in zip(*(r[2:] for r in results[bare][:RSS_STARTS]))]
    row("launch to window mapped", t[0], "ms", b[0], "<= 1.3x", t[0] <= 1.3 * b[0])
    row("launch to first full paint", t[1], "ms", b[1], "<= 2x", t[1] <= 2 * b[1])
    row(f"RSS {RSS_AT_S:.0f} s after launch", t[2], "MiB", b[2], "<= 1.25x", t[2] <= 1.25 * b[2])
    row("  of it anonymous (heap, stacks)", t[3], "MiB", b[3])
    row("  of it mapped files", t[4], "MiB", b[4])
    row("    of which font files", t[5], "MiB")
    row("  of it shared with the X server", t[6], "MiB", b[6])
    row(f"RSS {RSS_AT_S:.0f} s after launch less font files", t[2] - t[5], "MiB", b[2] - b[5])
    quartiles = [statistics.quantiles(v, n=4) for v in zip(*(r[:2] for r in results[tutor]))]
    print(f"  (tutor's quartiles: map {quartiles[0][0]:.1f}-{quartiles[0][2]:.1f} ms, paint "
          f"{quartiles[1][0]:.1f}-{quartiles[1][2]:.1f} ms; the floor draws no text and maps no font)",
          flush=True)


BASELINE_STARTS = 31


def map_ms(display, x, exe):
    program = Program(display, x, exe)
    ms = (program.mapped - program.launched) * 1000
    program.kill()
    return ms


def bench_against_baseline(display, x, tutor, baseline):
    print(f"start-up beside the program before the change: {BASELINE_STARTS} launches each, "
          "taking turns, medians", flush=True)
    map_ms(display, x, baseline)
    map_ms(display, x, tutor)
    now, before = [], []
    for i in range(BASELINE_STARTS):
        # Alternate which goes first, so that neither always follows the other.
        pair = (tutor, baseline) if i % 2 else (baseline, tutor)
        for exe in pair:
            (now if exe == tutor else before).append(map_ms(display, x, exe))
    m_now, m_before = median(now), median(before)
    row("launch to window mapped", m_now, "ms", m_before, "<= 1.03x", m_now <= 1.03 * m_before)
    q_now, q_before = statistics.quantiles(now, n=4), statistics.quantiles(before, n=4)
    print(f"  (quartiles: now {q_now[0]:.1f}-{q_now[2]:.1f} ms, before {q_before[0]:.1f}-{q_before[2]:.1f} ms; "
          "the floor column is the program before the change)", flush=True)


def write_practice_file(folder):
    readings = ["ㄓㄨㄥˋ", "ㄒㄩㄝˊ", "ㄌㄧㄤˇ", "ㄍㄨㄛˊ"]
    path = os.path.join(folder, f"lines{PRACTICE_LINES}.txt")
    with open(path, "w", encoding="utf-8", newline="") as f:
        for i in range(PRACTICE_LINES):
            f.write("中" + readings[i % 4] + "\r\n")
    return os.path.basename(path)


def loaded_file_rss(display, x, tutor, folder, name):
    program = Program(display, x, tutor, cwd=folder)
    time.sleep(max(0.0, program.launched + RSS_AT_S - time.monotonic()))
    empty = xwindow.memory_kib(program.proc.pid)
    program.focus()
    x.drain()
    display.xdotool("key", "ctrl+o")
    x.wait_for_map()  # the open dialog, its name box focused
    display.xdotool("type", "--delay", "5", name)
    display.xdotool("key", "Return")
    program.wait_title("__" + name)
    time.sleep(RSS_AT_S)
    loaded = xwindow.memory_kib(program.proc.pid)
    program.kill()
    return empty, loaded


def bench_practice_file(display, x, tutor):
    folder = tempfile.mkdtemp(prefix="bench-practice-")
    name = write_practice_file(folder)
    print(f"memory with a {PRACTICE_LINES}-line practice file loaded: 3 launches, medians", flush=True)
    runs = [loaded_file_rss(display, x, tutor, folder, name) for _ in range(3)]
    empty = median(r[0]["rss"] for r in runs) / MIB
    loaded = median(r[1]["rss"] for r in runs) / MIB
    row("RSS with nothing loaded", empty, "MiB")
    row(f"RSS with the {PRACTICE_LINES}-line file loaded", loaded, "MiB")
    more = median(r[1]["rss"] - r[0]["rss"] for r in runs) / MIB
    row("more with the file loaded", more, "MiB", target="<= 15 MiB", met=more <= 15)
    for part, what in (("anon", "anonymous"), ("fonts", "font files"), ("shmem", "shared with the X server")):
        row(f"  of it {what}", median(r[1][part] - r[0][part] for r in runs) / MIB, "MiB")


def cpu_share(pids, seconds):
    """CPU share of each process over the interval: from the scheduler's
    nanoseconds, from utime + stime clock ticks, and the wake-ups."""
    tick = os.sysconf("SC_CLK_TCK")
    before = {p: (xwindow.cpu_ns(p), xwindow.cpu_ticks(p), xwindow.wakeups(p)) for p in pids}
    time.sleep(seconds)
    out = {}
    for p in pids:
        ns, ticks, wakes = xwindow.cpu_ns(p), xwindow.cpu_ticks(p), xwindow.wakeups(p)
        out[p] = ((ns - before[p][0]) / 1e9 / seconds * 100,
                  (ticks - before[p][1]) / tick / seconds * 100,
                  (wakes - before[p][2]) / seconds)
    return out


def print_idle(what, share, target=None, met=None):
    ns, ticks, wakes = share
    line = (f"  {what:<44} {ns:9.3f} %     (utime+stime {ticks:.1f} %, "
            f"{wakes:.1f} wake-ups/s)")
    if target:
        line += f"  target {target}: {'met' if met else 'MISSED'}"
    print(line, flush=True)


def bench_idle(display, x, tutor, bare):
    print(f"idle: CPU share over {IDLE_S:.0f} s", flush=True)
    t = Program(display, x, tutor)
    b = Program(display, x, bare)
    time.sleep(1.0)
    shares = cpu_share([t.proc.pid, b.proc.pid], IDLE_S)
    t.kill()
    b.kill()
    print_idle("tutor, window open, no run", shares[t.proc.pid], "0 %",
               shares[t.proc.pid][1] == 0)
    print_idle("floor, window open", shares[b.proc.pid])


def keyboard_grabber(x, program):
    left, top, width, height = program.geometry
    menu = height - CLIENT_HEIGHT
    kx, ky, kw, kh = KEYBOARD
    return x.grabber(left + kx, top + menu + ky, kw, kh)


def wait_change(grabber, before, timeout=1.0):
    """Polls the pixels until they differ from before; the time of the first
    read that differs (perf_counter), or None."""
    deadline = time.perf_counter() + timeout
    while True:
        now = time.perf_counter()
        if grabber.grab() != before:
            return time.perf_counter()
        if now > deadline:
            return None


def bench_keystrokes(display, x, tutor):
    print(f"keystroke to screen: {KEYSTROKES} keystrokes of a drill run, XTEST key press to "
          "changed pixels of the keyboard picture", flush=True)
    # 基本課程, the last drill lesson (351 positions): Alt+B, Up, Return.
    lesson = 18
    keys = [texts.key_of(s) for s in texts.positions("base", lesson)][:KEYSTROKES]
    program = Program(display, x, tutor)
    program.focus()
    time.sleep(0.5)
    display.xdotool("key", "--delay", "20", "alt+b", "Up", "Return")
    program.wait_title("_" + texts.caption("base", lesson))
    display.xdotool("key", "space")  # Start has the focus
    time.sleep(0.5)
    grabber = keyboard_grabber(x, program)
    codes = {k: x.keycode(KEYSYMS.get(k, k)) for k in set(keys)}
    press, release = [], []
    missed = 0
    for k in keys:
        before = grabber.grab()
        t0 = time.perf_counter()
        x.send_key(codes[k], True)
        t1 = wait_change(grabber, before)
        if t1 is None:
            missed += 1
        else:
            press.append((t1 - t0) * 1000)
        time.sleep(0.02)
        before = grabber.grab()
        t0 = time.perf_counter()
        x.send_key(codes[k], False)
        t1 = wait_change(grabber, before)
        if t1 is not None:
            release.append((t1 - t0) * 1000)
        time.sleep(0.02)
    # One read of the region, for the resolution of the figures.
    t = time.perf_counter()
    for _ in range(50):
        grabber.grab()
    read_ms = (time.perf_counter() - t) / 50 * 1000
    grabber.close()
    m, p, worst = median(press), p90(press), max(press)
    row("key press to changed pixels, median", m, "ms", target="< 2 ms", met=m < 2)
    row("key press to changed pixels, 90th percentile", p, "ms", target="< 4 ms", met=p < 4)
    row("key press to changed pixels, max", worst, "ms")
    if release:
        row("key release to changed pixels, median", median(release), "ms")
    print(f"  ({len(press)} presses timed, {missed} without a change within 1 s; "
          f"one read of the {KEYBOARD[2]}x{KEYBOARD[3]} region takes {read_ms:.2f} ms)", flush=True)
    row(f"RSS after {KEYSTROKES} keystrokes of the run", xwindow.rss_kib(program.proc.pid) / MIB, "MiB")

    print(f"during the run, nobody typing: CPU share over {IDLE_S:.0f} s", flush=True)
    time.sleep(0.5)
    share = cpu_share([program.proc.pid], IDLE_S)[program.proc.pid]
    print_idle("tutor, run in progress, no keys", share)
    print("  (the clock ticks every 500 ms: 2 wake-ups/s are its floor)", flush=True)
    program.kill()


def main():
    tutor, bare = (os.path.abspath(a) for a in sys.argv[1:3])
    baseline = os.path.abspath(sys.argv[3]) if len(sys.argv) > 3 else None
    with Bench() as display:
        x = xwindow.X(display.name)
        try:
            bench_start_up(display, x, tutor, bare)
            if baseline:
                bench_against_baseline(display, x, tutor, baseline)
            bench_practice_file(display, x, tutor)
            bench_keystrokes(display, x, tutor)
            bench_idle(display, x, tutor, bare)
        finally:
            x.close()


if __name__ == "__main__":
    main()
