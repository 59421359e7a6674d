# SPDX-License-Identifier: GPL-3.0-or-later
"""The main window as a screen reader drives it, over the accessibility bus (AT-SPI): the flap key
and the "Input up" key found by their names and pressed, a sound program's radio button toggled;
each must reach the receiver simulator's line, the toggle exactly once.

Runs on a private session bus: dbus-run-session -- /usr/bin/python3 tst_accessibility.py VELMORA SIM
It starts its own Xvfb, accessibility bus, receiver simulator and Velmora, and ends them all.
"""
import importlib.util
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time

BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"


def fail(message):
    sys.exit("FAIL: " + message)


def wait_for(what, predicate, timeout=20):
    deadline = time.monotonic() + timeout
    error = ""
    while time.monotonic() < deadline:
        try:  # an object may go away under a walk of the tree while the window changes
            value = predicate()
            if value:
                return value
        except Exception as e:
            error = f" (last error: {e})"
        time.sleep(0.1)
    fail("timed out waiting for " + what + error)


def main(program, simulator):
    missing = []
    if not shutil.which("Xvfb"):
        missing.append("Xvfb (package xvfb)")
    if not os.access(BUS_LAUNCHER, os.X_OK):
        missing.append(BUS_LAUNCHER + " (package at-spi2-core)")
    if not importlib.util.find_spec("pyatspi"):
        missing.append("pyatspi for " + sys.executable + " (package python3-pyatspi)")
    if missing:
        fail("missing " + ", ".join(missing))
    if "DBUS_SESSION_BUS_ADDRESS" not in os.environ:
        fail("no session bus: run under dbus-run-session")

    work = tempfile.mkdtemp(prefix="velmora-a11y-")
    processes = []
    sim_lines = []

    def start(args, **kwargs):
        process = subprocess.Popen(args, stdin=subprocess.DEVNULL, **kwargs)
        processes.append(process)
        return process

    try:
        server = start(["Xvfb", "-displayfd", "1", "-nolisten", "tcp", "-screen", "0",
                        "1024x768x24"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        display = ":" + server.stdout.readline().decode().strip()
        env = dict(os.environ, DISPLAY=display, HOME=work, XDG_CONFIG_HOME=work,
                   XDG_STATE_HOME=work, XDG_DATA_HOME=work, XDG_RUNTIME_DIR=work)
        # The accessibility bus is ours, not one the session bus would start on the first call.
        start([BUS_LAUNCHER, "--launch-immediately"],
              env={k: v for k, v in env.items() if k != "DISPLAY"})
        wait_for("the accessibility bus", lambda: subprocess.run(
            ["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus", "/",
             "org.freedesktop.DBus.NameHasOwner", "string:org.a11y.Bus"],
            capture_output=True, text=True).stdout.strip().endswith("true"))
        import pyatspi

        sim = start([simulator], stdout=subprocess.PIPE, text=True)
        device = sim.stdout.readline().strip()
        if not device.startswith("/dev/"):
            fail("the receiver simulator did not start: " + device)
        threading.Thread(target=lambda: sim_lines.extend(sim.stdout), daemon=True).start()

        log = open(os.path.join(work, "velmora.log"), "w")
        start([program, "-C1", "-P"], stdout=log, stderr=log,
              env=dict(env, VELMORA_COM1=device, QT_QPA_PLATFORM="xcb", QT_ACCESSIBILITY="1",
                       QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1"))

        def received(code):
            return sum(1 for line in list(sim_lines) if line.startswith("<--") and code in line)

        def velmora():
            for app in pyatspi.Registry.getDesktop(0):
                if app is not None and app.name.lower() == "velmora":
                    return app
            return None

        app = wait_for('the application "velmora" on the accessibility bus', velmora, 60)

        def find(name, role):
            return wait_for(f'"{name}" ({role})', lambda: pyatspi.findDescendant(
                app, lambda a: a is not None and a.name == name and a.getRole() == role))

        def act(accessible, names):
            action = accessible.queryAction()
            offered = [action.getName(i) for i in range(action.nActions)]
            chosen = [n for n in offered if n.lower() in names]
            if not chosen:
                fail(f'"{accessible.name}" offers {offered}, none of {names}')
            action.doAction(offered.index(chosen[0]))

        def state(accessible, which):
            return accessible.getState().contains(which)

        # Connected: the panel shows the receiver's input.
        dvd = find("DVD", pyatspi.ROLE_RADIO_BUTTON)
        wait_for("the connection (DVD selected)", lambda: state(dvd, pyatspi.STATE_CHECKED), 30)

        act(find("Control panel", pyatspi.ROLE_PUSH_BUTTON), ["press"])
        tokyo = find("Tokyo", pyatspi.ROLE_RADIO_BUTTON)
        wait_for("the control panel to open", lambda: state(tokyo, pyatspi.STATE_SHOWING))

        act(tokyo, ["toggle", "press", "click"])
        wait_for("the program Tokyo (07EE7) on the line", lambda: received("07EE7"))
        # The receiver's report selects the button; selecting it sends nothing back.
        wait_for("Tokyo selected", lambda: state(tokyo, pyatspi.STATE_CHECKED))

        # A press that arrives while the report poll holds the link is dropped, as any click
        # then is; on a loaded machine that can happen, so a press that sent nothing is repeated.
        up = find("Input up", pyatspi.ROLE_PUSH_BUTTON)
        for _ in range(3):
            act(up, ["press"])
            deadline = time.monotonic() + 5
            while not received("07AC9") and time.monotonic() < deadline:
                time.sleep(0.1)
            if received("07AC9"):
                break
        wait_for("input MD (07AC9) on the line", lambda: received("07AC9"))
        time.sleep(1)
        if received("07EE7") != 1 or received("07AC9") != 1:
            fail("a command went out more than once")
        print("PASS")
    except SystemExit:
        print("--- simulator ---\n" + "".join(sim_lines), file=sys.stderr)
        log_file = os.path.join(work, "velmora.log")
        if os.path.exists(log_file):
            print("--- velmora ---\n" + open(log_file).read(), file=sys.stderr)
        raise
    finally:
        for process in reversed(processes):
            process.terminate()
            try:
                process.wait(10)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
