#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The demo as a user runs it: scripts/run in a terminal of its own, "input TUNER" typed into it,
and "INPUT TUNER" on Velmora's status line (read with velmora-ctl). Needs a display and a
session bus (CMakeLists.txt beside it provides both)."""
import os
import pty
import select
import subprocess
import sys
import time

source, build = sys.argv[1], sys.argv[2]
ctl = os.path.join(build, "bin", "velmora-ctl")
os.environ["VELMORA_BUILD_DIR"] = build


def status():
    done = subprocess.run([ctl, "status"], capture_output=True, text=True, timeout=60)
    return done.stdout.splitlines()[0] if done.returncode == 0 and done.stdout else ""


pid, terminal = pty.fork()
if pid == 0:
    os.chdir(source)
    os.execv("scripts/run", ["scripts/run"])

shown = b""


def read_until(text, seconds):
    global shown
    deadline = time.monotonic() + seconds
    while text not in shown and time.monotonic() < deadline:
        if select.select([terminal], [], [], 0.2)[0]:
            try:
                shown += os.read(terminal, 4096)
            except OSError:
                break
    return text in shown


try:
    if not read_until(b"Type simulator commands here", 300):
        sys.exit("FAIL: the demo did not start:\n" + shown.decode(errors="replace"))
    deadline = time.monotonic() + 60
    # status never starts a Velmora of its own: it reads nothing until scripts/run's is up.
    while status() in ("", "Connecting...") and time.monotonic() < deadline:
        time.sleep(0.5)
    os.write(terminal, b"input TUNER\r")
    deadline = time.monotonic() + 30
    while status() != "INPUT TUNER" and time.monotonic() < deadline:
        time.sleep(0.5)
    last = status()
    if last != "INPUT TUNER":
        sys.exit(f"FAIL: the status line shows {last!r}; the terminal showed:\n"
                 + shown.decode(errors="replace"))
    print("typed 'input TUNER'; the status line shows INPUT TUNER")
finally:
    subprocess.run([ctl, "quit"], capture_output=True, timeout=60)
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline:
        if os.waitpid(pid, os.WNOHANG)[0]:
            break
        read_until(b"\0", 0.2)
    else:
        # The demo's whole session (script, simulator and program), so that nothing outlives it.
        os.killpg(pid, 9)
