"""The tutor's window measured from outside the process, side by side with
an empty Qt main window built in the same tree (the floor) and with TIPP10
(the peer), on a private Xvfb server, the programs launched in turn:

  start-up     launch to the X server's MapNotify, and to the first frame of
               the window that equals its settled picture (everything drawn),
               the pixels read whenever the X server reports a change;
  memory       RSS and private memory (USS: private clean and dirty pages of
               smaps_rollup) three seconds after launch, and the tutor's
               with a 5000-line practice file loaded through the open dialog;
  keystroke    an XTEST key press to the first changed pixel of what a
               keystroke changes (the tutor's keyboard picture, TIPP10's text
               line and keyboard; neither changes by itself), over 200
               keystrokes of a run in each, taking turns;
  idle         CPU share over 10 s with the window open and no run, and during
               a run with nobody typing.

  before       launch to MapNotify beside the program as it was before a
               change (BASELINE, built from an earlier commit), many launches
               taking turns.

Usage: bench_window.py QUILLORY BARE_WINDOW [TIPP10_SETTINGS_CACHE [BASELINE]]
(BENCH_QUICK=1 in the environment: fewer launches and keystrokes, for a try;
BENCH_ONLY="keys start" and so on: only those of start, baseline, file, keys,
idle.)
Prints figures and ratios; asserts nothing about them."""

import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
sys.path.insert(0, HERE)

from harness import Display  # noqa: E402
import peer  # noqa: E402
import texts  # noqa: E402
import xwindow  # noqa: E402

STARTS = 11            # launches of each program, after one unmeasured launch
RSS_STARTS = 5         # of which the first ones also wait for the memory
SETTLE_S = 1.5         # pixels are watched this long after the map
RSS_AT_S = 3.0         # memory is read this long after launch
KEYSTROKES = 200
KEY_TURN = 25          # keystrokes in one program before the other takes its turn
IDLE_S = 10.0
PRACTICE_LINES = 5000
MIB = 1024.0
if os.environ.get("BENCH_QUICK"):
    STARTS, RSS_STARTS, KEYSTROKES, IDLE_S = 3, 2, 50, 3.0

# The keyboard picture inside the tutor's client area (below the menu bar),
# and the client area's height: the keyboard's next-key and pressed-key
# changes all fall inside it, the clock and the blinking position do not.
KEYBOARD = (32, 244, 745, 281)
CLIENT_HEIGHT = 535

KEYSYMS = {" ": "space", ",": "comma", ".": "period", "/": "slash", ";": "semicolon",
           "-": "minus"}


class Bench(Display):
    """The harness's Xvfb, with the environment of a learner's session: no
    accessibility forced on, a private runtime folder. The programs' windows
    overlap on it: the one typed into is raised."""

    def __init__(self):
        super().__init__(width=1280, height=800)

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


class Kind:
    """How one program is started."""

    def __init__(self, name, argv, env=None):
        self.name, self.argv, self.extra_env = name, argv, env or {}


class Program:
    """One launch, seen from the X server."""

    def __init__(self, display, x, kind, cwd=None):
        self.display, self.x, self.kind = display, x, kind
        x.drain()
        env = dict(display.env(), **kind.extra_env)
        self.launched = time.monotonic()
        self.proc = subprocess.Popen(kind.argv, env=env, cwd=cwd,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.window, self.mapped = x.wait_for_map(alive=lambda: self.proc.poll() is None)
        self.geometry = x.geometry(self.window)

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
        self.proc.wait(timeout=10)

    def focus(self):
        self.display.xdotool("windowraise", str(self.window))
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

    def grabber(self, rect):
        left, top, _, _ = self.geometry
        return self.x.grabber(left + rect[0], top + rect[1], rect[2], rect[3])


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


def start_up(display, x, kind, memory=True):
    """Map and first full paint in ms; with memory, the memory in MiB
    RSS_AT_S after launch: RSS, USS, anonymous, mapped files, font files and
    shared with the X server."""
    program = Program(display, x, kind)
    map_ms = (program.mapped - program.launched) * 1000
    paint_ms = watch_first_paint(x, program)
    if not memory:
        program.kill()
        return map_ms, paint_ms
    time.sleep(max(0.0, program.launched + RSS_AT_S - time.monotonic()))
    m = xwindow.memory_kib(program.proc.pid)
    program.kill()
    return (map_ms, paint_ms) + tuple(m[k] / MIB for k in ("rss", "uss", "anon", "file", "fonts", "shmem"))


def median(values):
    return statistics.median(values)


def p90(values):
    s = sorted(values)
    return s[min(len(s) - 1, int(round(0.9 * (len(s) - 1))))]


def row(what, value, unit, floor=None, target=None, met=None, floor_name="floor"):
    line = f"  {what:<46} {value:9.2f} {unit:<4}"
    if floor is not None:
        line += f"  {floor_name} {floor:8.2f}  ratio {value / floor:5.2f}x"
    if target:
        line += f"  target {target}: {'met' if met else 'MISSED'}"
    print(line, flush=True)


SUMMARY = []


def summary(what, tutor, other, ratio_goal, other_name):
    """One line of the closing table: the tutor's figure, the other
    program's, their ratio and the goal."""
    ratio = tutor / other if other else float("inf")
    SUMMARY.append((what, tutor, other, other_name, ratio, ratio_goal, ratio <= ratio_goal))


def tutor_against(t, f, name):
    """The tutor's first paint and USS beside a floor's (medians of start_up's
    figures)."""
    row("launch to first full paint", t[1], "ms", f[1], floor_name=name)
    row(f"USS {RSS_AT_S:.0f} s after launch", t[3], "MiB", f[3], floor_name=name)
    row(f"USS {RSS_AT_S:.0f} s after launch, both less the font files", t[3] - t[6], "MiB", f[3] - f[6],
        floor_name=name)


def bench_start_up(display, x, tutor, bare, tipp, text, screen):
    kinds = [k for k in (bare, text, screen, tutor, tipp) if k]
    print(f"start-up: {STARTS} launches each, taking turns, medians; memory: the first "
          f"{RSS_STARTS} of them", flush=True)
    for k in kinds:
        start_up(display, x, k, memory=False)
    results = {k.name: [] for k in kinds}
    for i in range(STARTS):
        for k in kinds:
            results[k.name].append(start_up(display, x, k, memory=i < RSS_STARTS))

    def medians(name):
        r = results[name]
        m = [median(v) for v in zip(*(x[:2] for x in r))]
        m += [median(v) for v in zip(*(x[2:] for x in r[:RSS_STARTS]))]
        return m

    t, b = medians("tutor"), medians("floor")
    row("launch to window mapped", t[0], "ms", b[0])
    row("launch to first full paint", t[1], "ms", b[1], "<= 1.5x", t[1] <= 1.5 * b[1])
    row(f"RSS {RSS_AT_S:.0f} s after launch", t[2], "MiB", b[2])
    row(f"USS {RSS_AT_S:.0f} s after launch (private clean + dirty)", t[3], "MiB", b[3], "<= 1.25x",
        t[3] <= 1.25 * b[3])
    row("  RSS anonymous (heap, stacks)", t[4], "MiB", b[4])
    row("  RSS of mapped files", t[5], "MiB", b[5])
    row("    of which font files", t[6], "MiB")
    row("  RSS shared with the X server", t[7], "MiB", b[7])
    quartiles = [statistics.quantiles(v, n=4) for v in zip(*(r[:2] for r in results["tutor"]))]
    print(f"  (tutor's quartiles: map {quartiles[0][0]:.1f}-{quartiles[0][2]:.1f} ms, paint "
          f"{quartiles[1][0]:.1f}-{quartiles[1][2]:.1f} ms)", flush=True)
    summary("launch to first full paint / floor's (ms)", t[1], b[1], 1.5, "floor")
    summary("USS 3 s after launch / floor's (MiB)", t[3], b[3], 1.25, "floor")
    if tipp:
        p = medians("tipp10")
        print("  TIPP10, the same way:", flush=True)
        row("launch to window mapped", p[0], "ms", b[0])
        row("launch to first full paint", p[1], "ms", b[1])
        row(f"RSS {RSS_AT_S:.0f} s after launch", p[2], "MiB", b[2])
        row(f"USS {RSS_AT_S:.0f} s after launch", p[3], "MiB", b[3])
        row("  RSS of font files", p[6], "MiB")
        print("  the tutor against TIPP10:", flush=True)
        row("launch to window mapped", t[0], "ms", p[0], floor_name="TIPP10")
        row("launch to first full paint, against its map", t[1], "ms", p[0], "< 1x", t[1] < p[0],
            floor_name="TIPP10")
        row(f"RSS {RSS_AT_S:.0f} s after launch", t[2], "MiB", p[2], "<= 1x", t[2] <= p[2],
            floor_name="TIPP10")
        row(f"USS {RSS_AT_S:.0f} s after launch", t[3], "MiB", p[3], floor_name="TIPP10")
        summary("launch to first full paint / TIPP10's map (ms)", t[1], p[0], 0.999, "TIPP10")
        summary("RSS 3 s after launch / TIPP10's (MiB)", t[2], p[2], 1.0, "TIPP10")
    w = medians("text")
    print("  the floor with the first screen's writing (bare_window --text: the menu titles and "
          "every caption, in their faces and sizes):", flush=True)
    row("launch to window mapped", w[0], "ms", b[0])
    row("launch to first full paint", w[1], "ms", b[1])
    row(f"USS {RSS_AT_S:.0f} s after launch", w[3], "MiB", b[3])
    row("  RSS anonymous (heap, stacks)", w[4], "MiB", b[4])
    row("  RSS of mapped files", w[5], "MiB", b[5])
    row("    of which font files", w[6], "MiB")
    row(f"USS {RSS_AT_S:.0f} s after launch less the font files", w[3] - w[6], "MiB", b[3])
    print("  the tutor against the floor with that writing:", flush=True)
    tutor_against(t, w, "text")
    print(f"  of the tutor's USS above the empty window ({t[3] - b[3]:.2f} MiB), the writing alone "
          f"takes {w[3] - b[3]:.2f} MiB; of its first paint above it ({t[1] - b[1]:.1f} ms), "
          f"{w[1] - b[1]:.1f} ms", flush=True)
    s = medians("screen")
    print("  the floor of the whole first screen (bare_window --screen: the same writing in the same "
          "controls, Qt's plainest widgets, a keyboard picture made in memory):", flush=True)
    row("launch to window mapped", s[0], "ms", b[0])
    row("launch to first full paint", s[1], "ms", b[1])
    row("launch to first full paint, against the text floor", s[1], "ms", w[1], floor_name="text")
    row(f"USS {RSS_AT_S:.0f} s after launch", s[3], "MiB", b[3])
    row("    of which font files", s[6], "MiB")
    row(f"USS {RSS_AT_S:.0f} s after launch less the font files", s[3] - s[6], "MiB", b[3])
    print("  the tutor against the floor of its first screen:", flush=True)
    tutor_against(t, s, "screen")


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
    for part, what in (("uss", "private (USS)"), ("anon", "anonymous"), ("fonts", "font files"),
                       ("shmem", "shared with the X server")):
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
    line = (f"  {what:<46} {ns:9.3f} %     (utime+stime {ticks:.1f} %, "
            f"{wakes:.1f} wake-ups/s)")
    if target:
        line += f"  target {target}: {'met' if met else 'MISSED'}"
    print(line, flush=True)


def bench_idle(display, x, tutor, bare, tipp):
    print(f"idle: CPU share over {IDLE_S:.0f} s, the windows open side by side, no run", flush=True)
    programs = [Program(display, x, k) for k in (tutor, bare, tipp) if k]
    time.sleep(1.0)
    shares = cpu_share([p.proc.pid for p in programs], IDLE_S)
    for p in programs:
        p.kill()
    for p in programs:
        print_idle(f"{p.kind.name}, window open, no run", shares[p.proc.pid],
                   *(("0 %", shares[p.proc.pid][1] == 0) if p.kind.name == "tutor" else ()))


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


class Run:
    """One program launched, raised and focused, for typing into."""

    def __init__(self, display, x, kind):
        self.display, self.x = display, x
        self.program = Program(display, x, kind)
        self.program.focus()
        time.sleep(0.5)
        self.done = 0
        # Every program's window is read whole before each press, as
        # TIPP10's must be to find its next key: reading it warms the X
        # server's side of the window, and no program is spared that.
        self.whole = self.program.grabber((0, 0, self.program.geometry[2], self.program.geometry[3]))

    def keyboard_grabber(self):
        """Reads the tutor's keyboard picture, or the same place of another
        window of the tutor's size."""
        height = self.program.geometry[3]
        kx, ky, kw, kh = KEYBOARD
        return self.program.grabber((kx, height - CLIENT_HEIGHT + ky, kw, kh))


class TutorRun(Run):
    """The tutor in a drill run: lesson 18 of 基本課程, keys known in advance."""
    name = "tutor"

    def __init__(self, display, x, kind):
        super().__init__(display, x, kind)
        self.lesson = 18
        self.keys = [texts.key_of(s) for s in texts.positions("base", self.lesson)][:KEYSTROKES]
        # 基本課程, the last drill lesson (351 positions): Alt+B, Up, Return.
        display.xdotool("key", "--delay", "20", "alt+b", "Up", "Return")
        self.program.wait_title("_" + texts.caption("base", self.lesson))
        display.xdotool("key", "space")  # Start has the focus
        time.sleep(0.5)
        self.watch = self.keyboard_grabber()
        self.codes = {k: x.keycode(KEYSYMS.get(k, k)) for k in set(self.keys)}

    def next_code(self, screen):
        k = self.keys[self.done]
        self.done += 1
        return self.codes[k]


class PeerRun(Run):
    """TIPP10 in a run of its first lesson; each key read off its keyboard."""
    name = "tipp10"

    def __init__(self, display, x, kind):
        super().__init__(display, x, kind)
        before = self.whole.grab()
        display.xdotool("key", "alt+s")  # Start Training, lesson 1 chosen
        wait_change(self.whole, before, timeout=5)
        time.sleep(0.5)
        display.xdotool("key", "space")  # "Press space bar to start"
        time.sleep(0.5)
        self.watch = self.program.grabber(peer.WATCH)
        self.codes = {k: x.keycode(k) for k in peer.KEY_POINTS}

    def next_code(self, screen):
        key = peer.next_key(screen, self.program.geometry[2])
        if key is None:
            raise RuntimeError("TIPP10 marks no single next key")
        self.done += 1
        return self.codes[key]


class FloorRun(Run):
    """The floor's window with --keys: every key press fills one cell inside
    the region watched in the tutor, every release clears it."""
    name = "floor"

    def __init__(self, display, x, kind):
        super().__init__(display, x, kind)
        self.watch = self.keyboard_grabber()
        self.code = x.keycode("a")

    def next_code(self, screen):
        self.done += 1
        return self.code


def type_turn(run, count, press, release):
    """Types count keys into the run; press gets (ms, keystroke number, first
    of the turn) for each press timed, release the releases' ms."""
    run.program.focus()
    time.sleep(0.2)
    x = run.x
    for i in range(count):
        number = run.done
        code = run.next_code(run.whole.grab())
        before = run.watch.grab()
        t0 = time.perf_counter()
        x.send_key(code, True)
        t1 = wait_change(run.watch, before)
        if t1 is not None:
            press.append(((t1 - t0) * 1000, number, i == 0))
        time.sleep(0.02)
        before = run.watch.grab()
        t0 = time.perf_counter()
        x.send_key(code, False)
        t1 = wait_change(run.watch, before, timeout=0.1)
        if t1 is not None:
            release.append((t1 - t0) * 1000)
        time.sleep(0.03)


def bench_keystrokes(display, x, tutor, bare, tipp):
    runs = [TutorRun(display, x, tutor)]
    if tipp:
        runs.append(PeerRun(display, x, tipp))
    runs.append(FloorRun(display, x, Kind("floor", bare.argv + ["--keys"])))
    names = " and ".join(r.name for r in runs)
    print(f"keystroke to screen: {KEYSTROKES} keystrokes of a run in each of {names}, "
          f"{KEY_TURN} at a time in turn; XTEST key press to the first changed pixel, each window "
          f"read whole before each press", flush=True)
    press = {r.name: [] for r in runs}
    release = {r.name: [] for r in runs}
    for start in range(0, KEYSTROKES, KEY_TURN):
        for r in runs:
            type_turn(r, min(KEY_TURN, KEYSTROKES - start), press[r.name], release[r.name])
    figures = {}
    for r in runs:
        p = [ms for ms, _, _ in press[r.name]]
        figures[r.name] = (median(p), p90(p), max(p))
        print(f"  {r.name}: {len(p)} presses timed, {KEYSTROKES - len(p)} without a change within 1 s",
              flush=True)
        row(f"{r.name}: key press to changed pixels, median", median(p), "ms")
        row(f"{r.name}: key press to changed pixels, p90", p90(p), "ms")
        row(f"{r.name}: key press to changed pixels, max", max(p), "ms")
        if release[r.name]:
            row(f"{r.name}: key release to changed pixels, median", median(release[r.name]), "ms")
        tenth = sorted(press[r.name], reverse=True)[:len(p) // 10]
        others = sorted(n for _, n, first in tenth if not first)
        print(f"  {r.name}: the slowest tenth ({tenth[-1][0]:.2f} ms and over): "
              f"{sum(first for _, _, first in tenth)} first keys of a turn, the others at keystrokes "
              f"{', '.join(map(str, others))}", flush=True)
    t = 50
    read = runs[0].watch
    started = time.perf_counter()
    for _ in range(t):
        read.grab()
    print(f"  (one read of the tutor's {KEYBOARD[2]}x{KEYBOARD[3]} region takes "
          f"{(time.perf_counter() - started) / t * 1000:.2f} ms)", flush=True)
    if tipp:
        tm, tp, _ = figures["tutor"]
        pm, pp, _ = figures["tipp10"]
        row("tutor against TIPP10: median", tm, "ms", pm, "<= 0.75x", tm <= 0.75 * pm, floor_name="TIPP10")
        row("tutor against TIPP10: p90", tp, "ms", pp, "<= 0.75x", tp <= 0.75 * pp, floor_name="TIPP10")
        summary("key press to screen, median / TIPP10's (ms)", tm, pm, 0.75, "TIPP10")
        summary("key press to screen, p90 / TIPP10's (ms)", tp, pp, 0.75, "TIPP10")
    fm, fp, _ = figures["floor"]
    for r in runs[:-1]:
        m, p, _ = figures[r.name]
        row(f"{r.name} against the floor: median", m, "ms", fm)
        row(f"{r.name} against the floor: p90", p, "ms", fp)
    if tipp:
        print(f"  above the floor, median: tutor {tm - fm:+.2f} ms, TIPP10 {pm - fm:+.2f} ms; "
              f"the floor alone is {fm / pm:.2f}x TIPP10's median", flush=True)
    for r in runs:
        row(f"{r.name}: RSS after {r.done} keystrokes of the run",
            xwindow.memory_kib(r.program.proc.pid)["rss"] / MIB, "MiB")

    print(f"during the runs, nobody typing: CPU share over {IDLE_S:.0f} s, side by side", flush=True)
    time.sleep(0.5)
    shares = cpu_share([r.program.proc.pid for r in runs], IDLE_S)
    for r in runs:
        print_idle(f"{r.name}, run in progress, no keys", shares[r.program.proc.pid])
    print("  (the tutor's clock ticks every 500 ms: 2 wake-ups/s are its floor)", flush=True)
    if tipp:
        summary("CPU in a run, nobody typing / TIPP10's (%)", shares[runs[0].program.proc.pid][0],
                shares[runs[1].program.proc.pid][0], 1.0, "TIPP10")
    for r in runs:
        r.program.kill()


def print_summary():
    if not SUMMARY:
        return
    print("summary: the tutor against the floor and TIPP10, measured in this run", flush=True)
    for what, tutor, other, name, ratio, goal, met in SUMMARY:
        print(f"  {what:<50} {tutor:9.3f} vs {name} {other:9.3f}  {ratio:5.2f}x  "
              f"goal <= {goal:g}x: {'met' if met else 'MISSED'}", flush=True)


def main():
    tutor_exe, bare_exe = (os.path.abspath(a) for a in sys.argv[1:3])
    cache = os.path.abspath(sys.argv[3]) if len(sys.argv) > 3 else None
    baseline = os.path.abspath(sys.argv[4]) if len(sys.argv) > 4 else None
    tutor = Kind("tutor", [tutor_exe])
    bare = Kind("floor", [bare_exe])
    with Bench() as display:
        x = xwindow.X(display.name)
        home = None
        try:
            tipp = None
            if cache and os.path.exists(peer.EXE):
                home = peer.fresh_home(peer.prepare(cache, display.env(), x))
                tipp = Kind("tipp10", [peer.EXE], peer.env_for(home))
            else:
                print("(TIPP10 is not installed: the tutor is measured against the floor only)", flush=True)
            only = os.environ.get("BENCH_ONLY", "start baseline file keys idle").split()
            if "start" in only:
                bench_start_up(display, x, tutor, bare, tipp, Kind("text", bare.argv + ["--text"]),
                               Kind("screen", bare.argv + ["--screen"]))
            if baseline and "baseline" in only:
                bench_against_baseline(display, x, tutor, Kind("before", [baseline]))
            if "file" in only:
                bench_practice_file(display, x, tutor)
            if "keys" in only:
                bench_keystrokes(display, x, tutor, bare, tipp)
            if "idle" in only:
                bench_idle(display, x, tutor, bare, tipp)
            print_summary()
        finally:
            x.close()
            if home:
                shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    main()
