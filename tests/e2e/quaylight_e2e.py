"""Quaylight's end-to-end harness: a private desktop for one run, the real application in
it, and the checks a scenario makes through X11 facts and the accessibility tree.

A scenario is a script `scenario_<name>.py` in this folder (ctest runs each as
`e2e_<name>`) that defines `test(run)` and ends with `sys.exit(quaylight_e2e.main(test))`.
`run` is a Run: its desktop is up (Xvfb, private D-Bus, AT-SPI bus, trayer at the top
edge, no window manager) and the application is started with `run.start_app()`.

    /usr/bin/python3 tests/e2e/scenario_tray_panel.py build/quaylight

Use /usr/bin/python3: Debian's python3-pyatspi is only importable by the system
interpreter. Debian packages: xvfb xdotool x11-utils x11-xserver-utils trayer dbus-daemon
dbus-bin at-spi2-core python3-pyatspi (+ imagemagick for a screenshot on failure).

Env:  E2E_KEEP=1     keep the work dir (logs) even on success
      E2E_TIMEOUT    per-wait deadline in seconds (default 10)
      E2E_SHOTS=1    save screenshots of the desktop and the panel in the work dir
      E2E_TMP        parent of the per-run work dir (default /tmp; keep it short)

Every process the run starts carries the run's marker in its environment; teardown
(also after a failure or a signal) ends them by PID, never by name.
"""
import ctypes
import json
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
APP_NAME = "Quaylight"          # applicationName: the AT-SPI application's name
PANEL_TITLE = "Quaylight"       # the panel's window title
PANEL_SIZE = (700, 480)
TIMEOUT = float(os.environ.get("E2E_TIMEOUT", "10"))
PROBE = os.path.join(HERE, "atspi_probe.py")
SYS_PY = "/usr/bin/python3"


def _starttime(pid):
    try:
        with open(f"/proc/{pid}/stat", "rb") as f:
            return f.read().rsplit(b")", 1)[1].split()[19].decode()
    except OSError:
        return None


# "<harness pid>-<harness start time>": unique and safe against PID reuse.
RUN_ID = f"{os.getpid()}-{_starttime('self')}"
T0 = time.monotonic()


class Fail(Exception):
    pass


class Counter:
    passed = 0


def log(msg):
    print(f"[{time.monotonic() - T0:6.2f}s] {msg}", flush=True)


def ok(what):
    Counter.passed += 1
    log(f"PASS {what}")


def check(cond, what):
    if not cond:
        raise Fail(what)
    ok(what)


def wait_for(what, fn, timeout=TIMEOUT, interval=0.05):
    """Polls fn() until it returns something truthy; a bounded deadline, never a fixed sleep."""
    deadline = time.monotonic() + timeout
    last = None
    while True:
        try:
            last = fn()
        except Fail as e:
            last = f"<{e}>"
        else:
            if last:
                return last
        if time.monotonic() > deadline:
            raise Fail(f"timed out after {timeout:g}s waiting for {what} (last: {last!r})")
        time.sleep(interval)


def stays(what, fn, duration=1.0, interval=0.05):
    """fn() must hold for the whole of `duration` (a closed panel must not come back)."""
    deadline = time.monotonic() + duration
    while time.monotonic() < deadline:
        if not fn():
            raise Fail(f"{what} did not hold")
        time.sleep(interval)
    ok(what)


_libc = ctypes.CDLL(None, use_errno=True)
PR_SET_PDEATHSIG = 1


def _child_setup():
    # The kernel sends SIGTERM to each child if the harness dies, even by SIGKILL.
    _libc.prctl(PR_SET_PDEATHSIG, int(signal.SIGTERM))


def sweep_stale_runs():
    """Kills, by PID, what earlier runs left behind when they were killed themselves:
    processes whose run marker names a harness that is gone."""
    killed = []
    for d in os.listdir("/proc"):
        if not d.isdigit():
            continue
        try:
            with open(f"/proc/{d}/environ", "rb") as f:
                env = f.read().split(b"\0")
        except OSError:
            continue
        ids = [e[len(b"E2E_RUN_ID="):].decode() for e in env if e.startswith(b"E2E_RUN_ID=")]
        if not ids:
            continue
        owner_pid, _, owner_start = ids[0].partition("-")
        if _starttime(owner_pid) == owner_start:
            continue
        try:
            os.kill(int(d), signal.SIGKILL)
            killed.append(int(d))
        except OSError:
            pass
    base = os.environ.get("E2E_TMP", "/tmp")
    for d in os.listdir(base):
        m = re.match(r"qe2e-(\d+)-", d)
        if (m and not os.path.exists(f"/proc/{m.group(1)}")
                and not os.path.exists(os.path.join(base, d, "result.txt"))):
            shutil.rmtree(os.path.join(base, d), ignore_errors=True)
    return killed


class Run:
    """One private desktop and the application in it."""

    def __init__(self, app_path):
        self.app_path = app_path
        # Short: AF_UNIX socket paths (buses, the hook socket) stay under 108 bytes.
        self.dir = tempfile.mkdtemp(prefix=f"qe2e-{os.getpid()}-", dir=os.environ.get("E2E_TMP", "/tmp"))
        self.xdg = os.path.join(self.dir, "xdg")
        os.mkdir(self.xdg, 0o700)
        self.home = os.path.join(self.dir, "home")
        os.mkdir(self.home)
        self.procs = []
        self.display = None
        self.app = None
        # A clean environment: nothing of the developer's desktop (Wayland, a session bus
        # with a StatusNotifierWatcher, a platform theme, a scale factor) leaks in.
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": self.home,
            "LANG": "C.UTF-8",
            "XDG_RUNTIME_DIR": self.xdg,
            "XDG_CONFIG_HOME": os.path.join(self.home, ".config"),
            "XDG_CACHE_HOME": os.path.join(self.home, ".cache"),
            "XDG_DATA_HOME": os.path.join(self.home, ".local/share"),
            "GSETTINGS_BACKEND": "memory",
            "E2E_RUN_ID": RUN_ID,
        }
        for k in ["LD_LIBRARY_PATH", "ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS", "QT_LOGGING_RULES"]:
            if k in os.environ:
                self.env[k] = os.environ[k]

    # ---- processes
    def spawn(self, name, argv, extra_env=None, pass_fds=()):
        env = dict(self.env, **(extra_env or {}))
        if not shutil.which(argv[0], path=env["PATH"]):
            raise Fail(f"{argv[0]} not found: install its Debian package")
        with open(os.path.join(self.dir, name + ".log"), "wb") as logf:
            p = subprocess.Popen(argv, env=env, stdin=subprocess.DEVNULL, stdout=logf, stderr=subprocess.STDOUT,
                                 pass_fds=pass_fds, start_new_session=True, preexec_fn=_child_setup)
        self.procs.append((name, p))
        return p

    def run(self, *argv, check=True, timeout=10):
        try:
            r = subprocess.run(argv, env=self.env, capture_output=True, text=True, timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Fail(f"{' '.join(argv)} hung for {timeout}s")
        if check and r.returncode != 0:
            raise Fail(f"{argv[0]} {argv[1:]} -> rc {r.returncode}: {r.stderr.strip()}")
        return r

    def _read_line(self, fd, proc, what):
        buf = b""
        deadline = time.monotonic() + TIMEOUT
        while b"\n" not in buf:
            left = deadline - time.monotonic()
            if left <= 0:
                raise Fail(f"{what}: no answer in {TIMEOUT:g}s")
            r, _, _ = select.select([fd], [], [], min(left, 0.2))
            if r:
                chunk = os.read(fd, 4096)
                if not chunk:
                    raise Fail(f"{what}: exited early (rc={proc.poll()})")
                buf += chunk
        os.close(fd)
        return buf.decode().strip()

    # ---- the private desktop
    def start_desktop(self):
        r, w = os.pipe()
        p = self.spawn("xvfb", ["Xvfb", "-displayfd", str(w), "-screen", "0", "1280x800x24", "-nolisten", "tcp",
                                "-noreset"], pass_fds=(w,))
        os.close(w)
        self.display = ":" + self._read_line(r, p, "Xvfb -displayfd")
        self.env["DISPLAY"] = self.display
        ok(f"Xvfb up on {self.display}")

        r, w = os.pipe()
        p = self.spawn("dbus", ["dbus-daemon", "--session", "--nofork", "--nopidfile",
                                f"--address=unix:path={self.xdg}/bus", f"--print-address={w}"], pass_fds=(w,))
        os.close(w)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = self._read_line(r, p, "dbus-daemon")
        ok("private D-Bus session bus up")

        # Qt connects to the accessibility bus only when it is already there.
        self.spawn("atspi", ["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
        wait_for("org.a11y.Bus on the session bus", lambda: self.name_has_owner("org.a11y.Bus"))
        ok("AT-SPI bus launcher up")

        # trayer at the top edge, so the panel opens under the icon; no window manager.
        self.spawn("trayer", ["trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
                              "--height", "24", "--SetDockType", "true", "--SetPartialStrut", "true",
                              "--transparent", "false"], extra_env={"NO_AT_BRIDGE": "1"})
        owner = wait_for("a system tray (_NET_SYSTEM_TRAY_S0 owner)", self.tray_owner)
        ok(f"system tray available (owner 0x{owner:x})")
        check(not self.name_has_owner("org.kde.StatusNotifierWatcher"),
              "no StatusNotifierWatcher on the private bus: Qt uses the XEmbed tray")
        self.root = int(re.search(r"Window id: (0x[0-9a-f]+)", self.run("xwininfo", "-root").stdout).group(1), 16)

    def name_has_owner(self, name):
        r = self.run("dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
                     "org.freedesktop.DBus.NameHasOwner", f"string:{name}", check=False)
        return "boolean true" in r.stdout

    def tray_owner(self):
        x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XInternAtom.restype = ctypes.c_ulong
        x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x11.XGetSelectionOwner.restype = ctypes.c_ulong
        x11.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        d = x11.XOpenDisplay(self.display.encode())
        if not d:
            raise Fail("cannot open display")
        try:
            return x11.XGetSelectionOwner(d, x11.XInternAtom(d, b"_NET_SYSTEM_TRAY_S0", 0))
        finally:
            x11.XCloseDisplay(d)

    # ---- the application
    def write_settings(self, text):
        """The settings file the application reads (INI, one group per value type)."""
        folder = os.path.join(self.home, ".config", "Quaylight")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "Quaylight.conf"), "w") as f:
            f.write(text)

    @property
    def socket_path(self):
        # The application's rule: under the home while the path stays below 104 bytes,
        # else in the runtime folder.
        preferred = os.path.join(self.home, ".local/share/Quaylight/Runtime/agent-events.sock")
        if len(preferred.encode()) < 104:
            return preferred
        return os.path.join(self.xdg, "quaylight", "agent-events.sock")

    def start_app(self):
        self.app = self.spawn("app", [self.app_path], extra_env={
            "QT_QPA_PLATFORM": "xcb",
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
        })
        return self.app

    def docked_icon(self):
        """The tray icon once trayer has reparented and mapped it (found by PID and size,
        never by name: the client leader window carries the application's name too)."""
        def find():
            if self.app.poll() is not None:
                raise Fail(f"app exited early, rc={self.app.returncode}")
            for wid in search(self, "--all", "--pid", str(self.app.pid), "--class", "."):
                i = winfo(self, wid)
                if i and i["parent"] != self.root and i["mapped"] and 0 < i["w"] <= 64 and 0 < i["h"] <= 64:
                    return i
            return None
        return wait_for("tray icon docked in trayer", find)

    def panel_window(self, mapped):
        """Poll function: the panel in the wanted map state (gone counts as unmapped)."""
        def f():
            wins = [winfo(self, w) for w in search(self, "--all", "--pid", str(self.app.pid), "--name",
                                                   f"^{PANEL_TITLE}$")]
            wins = [i for i in wins if i and (i["w"], i["h"]) == PANEL_SIZE]
            if not mapped:
                return not any(i["mapped"] for i in wins)
            return next((i for i in wins if i["mapped"]), None)
        return f

    def wait_panel(self, mapped, after):
        return wait_for(f"panel {'mapped' if mapped else 'unmapped'} after {after}", self.panel_window(mapped))

    def click(self, x, y):
        # No "mousemove --sync" (it hangs when the pointer is already there); XTEST events
        # are processed in order, so the click lands at the new position.
        self.run("xdotool", "mousemove", str(x), str(y), "click", "1")

    def key(self, *keys):
        self.run("xdotool", "key", *keys)

    def focused_window(self):
        r = self.run("xdotool", "getwindowfocus", check=False)  # fails while focus is PointerRoot
        return int(r.stdout.split()[0]) if r.returncode == 0 and r.stdout.strip() else None

    def atspi(self):
        """What a screen reader sees of the application (see atspi_probe.py)."""
        r = self.run(SYS_PY, PROBE, APP_NAME, check=False, timeout=20)
        if r.returncode != 0:
            raise Fail(f"atspi probe rc={r.returncode}: {r.stderr.strip()[-300:]}")
        return json.loads(r.stdout)

    def screenshot(self, name, window="root"):
        if shutil.which("import"):
            self.run("import", "-window", str(window), os.path.join(self.dir, f"{name}.png"), check=False, timeout=15)

    # ---- teardown
    def teardown(self):
        for name, p in reversed(self.procs):
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(3)
                except subprocess.TimeoutExpired:
                    log(f"teardown: {name} ignored SIGTERM, SIGKILL")
                    p.kill()
                    p.wait(3)
        leftovers = []
        for _ in range(40):
            leftovers = marked_pids()
            if not leftovers:
                break
            time.sleep(0.05)
        for pid, cmd in leftovers:
            log(f"teardown: leftover pid {pid} ({cmd}), SIGKILL")
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        return leftovers


def marked_pids():
    me = os.getpid()
    marker = f"E2E_RUN_ID={RUN_ID}".encode()
    found = []
    for d in os.listdir("/proc"):
        if not d.isdigit() or int(d) == me:
            continue
        try:
            with open(f"/proc/{d}/environ", "rb") as f:
                if marker not in f.read().split(b"\0"):
                    continue
            with open(f"/proc/{d}/stat", "rb") as f:
                if f.read().rsplit(b")", 1)[1].split()[0] == b"Z":
                    continue
            with open(f"/proc/{d}/cmdline", "rb") as f:
                found.append((int(d), f.read().replace(b"\0", b" ").decode(errors="replace")))
        except OSError:
            continue
    return found


def winfo(run, wid):
    """Geometry, map state and parent of a window; None once it is gone."""
    r = run.run("xwininfo", "-id", str(wid), "-children", "-stats", check=False)
    if r.returncode != 0:
        return None
    t = r.stdout

    def num(label):
        return int(re.search(label + r":\s+(-?\d+)", t).group(1))
    return {
        "id": wid,
        "x": num("Absolute upper-left X"), "y": num("Absolute upper-left Y"),
        "w": num("Width"), "h": num("Height"),
        "mapped": "Map State: IsViewable" in t,
        "parent": int(re.search(r"Parent window id: (0x[0-9a-f]+)", t).group(1), 16),
    }


# A listener of the scenario's own on 127.0.0.1: prints its port, ends when its input closes.
_LISTENER = r"""
import socket, sys
s = socket.socket()
s.bind(("127.0.0.1", 0))
s.listen(4)
print(s.getsockname()[1], flush=True)
sys.stdin.read()
"""


def showing(tree, name):
    return [n for n in tree["nodes"] if n["name"] == name and "showing" in n["states"]]


def wait_view_selected(run, view):
    """Waits until the mode switch shows `view` ("Ports view" or "Agents view") selected."""
    wait_for(f"AT-SPI: the {view} selected", lambda: any(
        n["name"] == view and "checked" in n["states"] for n in run.atspi()["nodes"]))


def start_own_listener(run):
    """A listener of the test's own on 127.0.0.1, ended by teardown: (process, port)."""
    listener = subprocess.Popen([SYS_PY, "-c", _LISTENER], env=run.env, stdin=subprocess.PIPE,
                                stdout=subprocess.PIPE, text=True, preexec_fn=_child_setup)
    run.procs.append(("listener", listener))
    open(os.path.join(run.dir, "listener.log"), "w").close()
    port = int(listener.stdout.readline())
    ok(f"listener {listener.pid} on 127.0.0.1:{port}")
    return listener, port


def open_on_own_listener(run):
    """Starts a listener of the test's own, then the application past its first run; opens
    the panel on the Ports view and types the port into the search field until the tree
    shows that one row alone. Returns (listener process, port, panel window, tree)."""
    run.write_settings("[bool]\nlaunchAtLoginOfferCompleted=true\nquaylightOnboardingComplete=true\n"
                       "walkthroughCompleted=true\n[text]\ndisplay.defaultFilter=all\n")
    listener, port = start_own_listener(run)

    run.start_app()
    icon = run.docked_icon()
    run.click(icon["x"] + icon["w"] // 2, icon["y"] + icon["h"] // 2)
    panel = run.wait_panel(True, "a click on the icon")
    wait_for("keyboard focus on the panel", lambda: run.focused_window() == panel["id"])
    ok("the panel is open with the keyboard in it")

    # The panel opens on Agents while agents run on the machine: the Ports segment (left in
    # the bar under the header) first. Then into the search field (right of the mode switch)
    # and the port: the list narrows to the one row of that port.
    run.click(panel["x"] + 42, panel["y"] + 81)
    wait_view_selected(run, "Ports view")
    run.click(panel["x"] + 400, panel["y"] + 81)
    run.run("xdotool", "type", "--delay", "30", str(port))

    def only_our_row():
        tree = run.atspi()
        pids = [n["name"] for n in tree["nodes"]
                if re.fullmatch(r"PID \d+", n["name"] or "") and "showing" in n["states"]]
        return tree if pids == [f"PID {listener.pid}"] and showing(tree, str(port)) else None
    tree = wait_for("AT-SPI: the listener's row, and no other", only_our_row)
    ok(f"AT-SPI: one row, port {port}, PID {listener.pid}")
    return listener, port, panel, tree


def wait_kill_card(run, pid):
    """The kill card naming `pid`, as the tree shows it."""
    def card():
        tree = run.atspi()
        return next((n for n in tree["nodes"] if (n["name"] or "").startswith("Kill ")
                     and (n["name"] or "").endswith(f"(PID {pid})?") and "showing" in n["states"]), None)
    found = wait_for("AT-SPI: the kill card naming the listener", card)
    ok(f"the card asks: {found['name']}")
    return found


def confirm_kill_card(run, listener, how):
    """Return on the kill card ends the listener, and the card goes away."""
    run.key("Return")
    wait_for("the listener ended", lambda: listener.poll() is not None)
    ok(f"{how} stopped the listener (status {listener.returncode})")

    def card_gone():
        tree = run.atspi()
        return tree["found"] and not any((n["name"] or "").startswith("Kill ") and "showing" in n["states"]
                                         for n in tree["nodes"])
    wait_for("AT-SPI: the card is gone", card_gone)
    ok("the card is gone")


def search(run, *args):
    r = run.run("xdotool", "search", *args, check=False)  # rc 1: nothing found
    return [int(x) for x in r.stdout.split()]


def panel_node(tree):
    for n in tree["nodes"]:
        if n["depth"] == 1 and n["name"] == PANEL_TITLE and n["role"] in ("frame", "filler", "window", "dialog"):
            return n
    return None


def main(test):
    def on_signal(signum, _frame):
        raise SystemExit(128 + signum)
    for sig in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(sig, on_signal)
    if len(sys.argv) < 2:
        print("usage: scenario_NAME.py PATH/TO/quaylight", file=sys.stderr)
        return 2
    stale = sweep_stale_runs()
    if stale:
        log(f"killed {len(stale)} leftover process(es) of an earlier, killed run: {stale}")
    run = Run(os.path.abspath(sys.argv[1]))
    failed = 0
    log(f"work dir {run.dir}, app {run.app_path}")
    try:
        run.start_desktop()
        test(run)
    except Fail as e:
        failed = 1
        log(f"FAIL {e}")
        if run.display:
            run.run("import", "-display", run.display, "-window", "root", os.path.join(run.dir, "failure.png"),
                    check=False, timeout=15) if shutil.which("import") else None
    except BaseException as e:
        failed = 1
        log(f"FAIL aborted: {e!r}")
        raise
    finally:
        xvfb = next((p for n, p in run.procs if n == "xvfb"), None)
        left = run.teardown()
        lock = f"/tmp/.X{(run.display or ':x')[1:]}-lock"
        try:
            with open(lock) as f:
                if xvfb and f.read().strip() == str(xvfb.pid):
                    log(f"teardown: {lock} of our Xvfb still there")
                    failed = 1
        except OSError:
            pass
        if left:
            log(f"teardown: {len(left)} leftover process(es) had to be killed")
        if failed:
            for name, _ in run.procs:
                with open(os.path.join(run.dir, name + ".log"), errors="replace") as f:
                    tail = f.read()[-1500:]
                print(f"----- {name}.log (tail) -----\n{tail}", flush=True)
        if failed or os.environ.get("E2E_KEEP"):
            with open(os.path.join(run.dir, "result.txt"), "w") as f:
                f.write(f"{Counter.passed} passed, {failed} failed\n")
            log(f"logs kept in {run.dir}")
        else:
            shutil.rmtree(run.dir, ignore_errors=True)
        log(f"done in {time.monotonic() - T0:.2f}s")
        print(f"e2e: {Counter.passed} passed, {failed} failed", flush=True)
    return 1 if failed else 0
