#!/usr/bin/env python3
"""End to end: the screen-top indicator of the real quaylight binary under Xvfb.

usage: notch_indicator_e2e.py PATH/TO/quaylight
On a private 1280x800 X display, session bus and accessibility bus, with agent activity
switched on and the first run completed in a private HOME:
  1. With QUAYLIGHT_SIMULATED_NOTCH=200x32 and a busy process that the tracker counts as
     Codex (started by this test), the left wing maps at (482, 0, 70, 32) and a screen
     reader sees it as "1 Codex session"; a click at its centre reaches the window below.
  2. Once that process is killed, the check mark plays ("1 Codex session ended") and the
     wing unmaps.
  3. Without the variable the same busy process brings the one fallback log line, and no
     wing ever maps.
Every wait is a bounded poll. Everything started here is stopped by its PID at the end.
Prints "e2e: N passed, M failed" last; exits 0 only when nothing failed.
"""
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

TIMEOUT = float(os.environ.get("E2E_TIMEOUT", "40"))
HERE = os.path.dirname(os.path.abspath(__file__))
FALLBACK_LINE = ("No screen has a notch, so the Tidewatch wings stay hidden; "
                 "QUAYLIGHT_SIMULATED_NOTCH=WIDTHxHEIGHT simulates one.")
LEFT_WING = (482, 0, 70, 32)


class Failure(Exception):
    pass


class Run:
    def __init__(self, binary):
        self.binary = binary
        self.work = tempfile.mkdtemp(prefix="e2e-notch-", dir="/tmp")
        os.chmod(self.work, 0o700)
        self.children = []  # started here, stopped in reverse order
        self.passed = 0
        self.failed = 0
        self.env = {}

    # ---- processes

    def start(self, argv, env, log_name, **kw):
        log = open(os.path.join(self.work, log_name), "wb")
        child = subprocess.Popen(argv, env=env, stdout=log, stderr=subprocess.STDOUT,
                                 start_new_session=True, **kw)
        self.children.append(child)
        return child

    def stop(self, child):
        if child.poll() is not None:
            return
        child.send_signal(signal.SIGTERM)
        try:
            child.wait(3)
        except subprocess.TimeoutExpired:
            child.kill()
            child.wait()

    def teardown(self):
        for child in reversed(self.children):
            self.stop(child)
        # The accessibility bus's own daemon and registry are grandchildren: each session
        # was started in its own process group, which is ended as a whole.
        for child in self.children:
            try:
                os.killpg(child.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        if self.failed == 0 and not os.environ.get("E2E_KEEP"):
            shutil.rmtree(self.work, ignore_errors=True)
        else:
            print(f"e2e: logs kept in {self.work}")

    def log(self, name):
        with open(os.path.join(self.work, name), "rb") as f:
            return f.read().decode("utf-8", "replace")

    # ---- checks

    def check(self, what, ok, detail=""):
        if ok:
            self.passed += 1
            print(f"PASS {what}")
        else:
            self.failed += 1
            print(f"FAIL {what} {detail}")
            raise Failure(what)

    def wait_for(self, what, probe, timeout=TIMEOUT):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            value = probe()
            if value:
                self.check(what, True)
                return value
            time.sleep(0.05)
        self.check(what, False, f"(timed out after {timeout:.0f} s)")

    # ---- the desktop

    def x(self, *argv):
        result = subprocess.run(argv, env=self.env, capture_output=True, text=True, timeout=10)
        return result.stdout if result.returncode == 0 else ""

    def app_windows(self, app):
        """(x, y, w, h, mapped) of every top-level window of the app's process."""
        found = []
        for wid in self.x("xdotool", "search", "--pid", str(app.pid)).split():
            info = self.x("xwininfo", "-id", wid)
            geometry = [re.search(rf"{key}:\s+(-?\d+)", info) for key in
                        ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height")]
            if not all(geometry):
                continue
            mapped = "IsViewable" in info
            found.append(tuple(int(g.group(1)) for g in geometry) + (mapped,))
        return found

    def wing_mapped(self, app):
        return any(w[:4] == LEFT_WING and w[4] for w in self.app_windows(app))

    def any_small_window_mapped(self, app):
        return [w for w in self.app_windows(app) if w[4] and w[2] == 70]

    def desktop(self):
        home = os.path.join(self.work, "home")
        config = os.path.join(home, ".config", "Quaylight")
        os.makedirs(config)
        with open(os.path.join(config, "Quaylight.conf"), "w") as f:
            f.write("[bool]\ndisplay.showAgentActivity=true\n"
                    "launchAtLoginOfferCompleted=true\nquaylightOnboardingComplete=true\n")
        runtime = os.path.join(self.work, "rt")
        os.mkdir(runtime, 0o700)
        base = {"PATH": "/usr/sbin:/usr/bin:/sbin:/bin", "HOME": home, "XDG_RUNTIME_DIR": runtime,
                "XDG_CONFIG_HOME": os.path.join(home, ".config"), "GSETTINGS_BACKEND": "memory"}
        read_end, write_end = os.pipe()
        self.start(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
                   base, "xvfb.log", pass_fds=(write_end,))
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            display = pipe.readline().strip()
        base["DISPLAY"] = f":{display}"
        bus_read, bus_write = os.pipe()
        self.start(["dbus-daemon", "--session", "--nofork", f"--address=unix:path={runtime}/bus",
                    f"--print-address={bus_write}"], base, "dbus.log", pass_fds=(bus_write,))
        os.close(bus_write)
        with os.fdopen(bus_read) as pipe:
            base["DBUS_SESSION_BUS_ADDRESS"] = pipe.readline().strip()
        self.env = base
        self.start(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"], base, "a11y.log")
        self.wait_for("accessibility bus up", lambda: "org.a11y.Bus" in self.x(
            "dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
            "org.freedesktop.DBus.ListNames"), timeout=15)

    def app_env(self, simulated_notch):
        env = dict(self.env, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        if simulated_notch:
            env["QUAYLIGHT_SIMULATED_NOTCH"] = simulated_notch
        return env

    def busy_codex(self):
        """A process the tracker counts as Codex: a shell named codex spinning."""
        codex = os.path.join(self.work, "codex")
        if not os.path.exists(codex):
            shutil.copy("/bin/dash", codex)
        return self.start([codex, "-c", "while :; do :; done"], self.env, "codex.log")

    def watch(self, seconds):
        return self.start(["timeout", str(int(seconds) + 5), "/usr/bin/python3",
                           os.path.join(HERE, "notch_atspi_watch.py"), "Quaylight", str(seconds)],
                          self.env, "atspi.log")

    def screen_reader_saw(self, predicate):
        for line in self.log("atspi.log").splitlines():
            try:
                windows = json.loads(line)["windows"] or []
            except (ValueError, KeyError):
                continue
            if any(predicate(w) for w in windows):
                return True
        return False


def scenario(run):
    run.desktop()
    env = run.app_env(None)
    # The window the click should reach, beneath the wing.
    run.start(["stdbuf", "-oL", "xev", "-geometry", "1280x100+0+0", "-event", "button"], env, "xev.log")
    run.wait_for("window below mapped", lambda: "IsViewable" in run.x("xwininfo", "-name", "Event Tester"),
                 timeout=10)

    # 1. With a simulated notch.
    watcher = run.watch(TIMEOUT * 3)
    app = run.start([run.binary], run.app_env("200x32"), "app.log")
    codex = run.busy_codex()
    run.wait_for("left wing mapped at (482, 0, 70, 32)", lambda: run.wing_mapped(app))
    run.wait_for("screen reader sees '1 Codex session'",
                 lambda: run.screen_reader_saw(lambda w: w["name"] == "1 Codex session" and w["showing"]))
    run.x("xdotool", "mousemove", "517", "16")
    run.x("xdotool", "click", "1")
    run.wait_for("click at the wing's centre reaches the window below",
                 lambda: re.search(r"ButtonPress.*\n.*\(517,16\)", run.log("xev.log")), timeout=10)

    # 2. The session ends.
    os.kill(codex.pid, signal.SIGKILL)
    codex.wait()
    run.wait_for("check mark plays: '1 Codex session ended'",
                 lambda: run.screen_reader_saw(lambda w: w["name"] == "1 Codex session ended"))
    run.wait_for("left wing unmapped", lambda: not run.wing_mapped(app))
    run.stop(app)
    run.stop(watcher)

    # 3. Without the variable.
    app = run.start([run.binary], run.app_env(None), "app-plain.log")
    codex = run.busy_codex()
    run.wait_for("fallback logged once the session counts", lambda: FALLBACK_LINE in run.log("app-plain.log"))
    deadline = time.monotonic() + 3
    mapped = []
    while time.monotonic() < deadline and not mapped:
        mapped = run.any_small_window_mapped(app)
        time.sleep(0.05)
    run.check("no wing maps without the variable", not mapped, str(mapped))
    run.check("the fallback line is logged once", run.log("app-plain.log").count(FALLBACK_LINE) == 1)
    os.kill(codex.pid, signal.SIGKILL)
    codex.wait()
    run.stop(app)


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    run = Run(os.path.abspath(sys.argv[1]))
    for sig in (signal.SIGTERM, signal.SIGINT):
        signal.signal(sig, lambda *_: (_ for _ in ()).throw(KeyboardInterrupt()))
    try:
        scenario(run)
    except Failure:
        pass
    except KeyboardInterrupt:
        run.failed += 1
    finally:
        run.teardown()
    print(f"e2e: {run.passed} passed, {run.failed} failed")
    return 0 if run.failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
