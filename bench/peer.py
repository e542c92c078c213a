"""TIPP10, the Qt typing tutor a Debian user can install, run beside the
tutor as its peer: a settings folder in which it starts straight into its
main window, and the keys of its first lesson read off its drawn keyboard.

TIPP10 fills its lesson database the first time it starts, which takes
minutes on a busy machine, and greets a new user with an introduction. The
folder is prepared once (the database filled, the introduction turned off)
and each run of the benchmarks works on a fresh copy of it."""

import os
import shutil
import subprocess
import tempfile
import time

EXE = "/usr/bin/tipp10"

SETTINGS = """[main]
check_illustration=false
language_layout=us_qwerty_win
language_lesson=en_us_qwerty
"""

# The keys of lesson 1 ("asdf jkl;") on TIPP10's keyboard, in its window's
# coordinates: a point inside each key, beside its legend. A key to press is
# drawn in its finger's colour (the space bar grey), the others near white.
KEY_POINTS = {
    "a": (176, 256), "s": (215, 256), "d": (255, 256), "f": (295, 256),
    "j": (415, 256), "k": (455, 256), "l": (495, 256), "semicolon": (535, 256),
    "space": (381, 336), "Return": (651, 256),
}
UNMARKED = (244, 244, 244)

# The text line and the keyboard: what a keystroke changes. The clock and the
# counters below them change by themselves.
WATCH = (75, 54, 605, 308)


def env_for(home):
    return {
        "HOME": home,
        "XDG_CONFIG_HOME": os.path.join(home, ".config"),
        "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
        "XDG_CACHE_HOME": os.path.join(home, ".cache"),
    }


def _database(home):
    return os.path.join(home, ".local", "share", "TIPP10", "TIPP10", "tipp10v2.db")


def prepare(cache, display_env, x, timeout=900):
    """The prepared settings folder in cache, made on first use: TIPP10 is
    started once in it, left to fill its database until its first window
    maps, and closed; then its settings are written."""
    ready = os.path.join(cache, "ready")
    if os.path.exists(ready):
        return cache
    shutil.rmtree(cache, ignore_errors=True)
    os.makedirs(cache)
    env = dict(display_env, **env_for(cache))
    print(f"  preparing TIPP10's settings in {cache} (it fills its lesson database once)", flush=True)
    x.drain()
    proc = subprocess.Popen([EXE], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        x.wait_for_map(timeout=timeout, alive=lambda: proc.poll() is None)
        time.sleep(1.0)
    finally:
        proc.terminate()
        try:
            proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait(timeout=10)
    if not os.path.exists(_database(cache)):
        raise RuntimeError("TIPP10 made no lesson database")
    conf = os.path.join(cache, ".config", "TIPP10")
    os.makedirs(conf, exist_ok=True)
    with open(os.path.join(conf, "TIPP10.conf"), "w") as f:
        f.write(SETTINGS)
    with open(ready, "w") as f:
        f.write("")
    return cache


def fresh_home(cache):
    """A copy of the prepared folder for one run of the benchmarks."""
    home = tempfile.mkdtemp(prefix="bench-tipp10-")
    shutil.copytree(cache, home, dirs_exist_ok=True)
    return home


def next_key(image, width):
    """The key TIPP10 marks as the next one, from its window's pixels (BGRX
    rows of the given width), or None."""
    marked = []
    for key, (px, py) in KEY_POINTS.items():
        i = (py * width + px) * 4
        b, g, r = image[i], image[i + 1], image[i + 2]
        if max(abs(r - UNMARKED[0]), abs(g - UNMARKED[1]), abs(b - UNMARKED[2])) > 12:
            marked.append(key)
    return marked[0] if len(marked) == 1 else None
