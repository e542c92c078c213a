"""Runs a program on a private Xvfb server (24-bit, -noreset): the Qt tests
that need an X server's own key events."""

import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(__file__))
from harness import Display  # noqa: E402

with Display() as display:
    env = display.env()
    env["QT_QPA_PLATFORM"] = "xcb"
    env.pop("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", None)
    code = subprocess.run(sys.argv[1:], env=env).returncode
sys.exit(code)
