#!/usr/bin/python3
"""End to end: the real quaylight binary lists a listener the test started and stops it.

    /usr/bin/python3 popover_stop_e2e.py PATH/TO/quaylight

On a private desktop (Xvfb on a free display, a private session bus, the AT-SPI bus and
the trayer XEmbed tray) it starts one listener of its own on 127.0.0.1 and the real
application with first-run already done, clicks the tray icon, narrows the list to that
listener's port through the search field, checks through the accessibility tree (what a
screen reader gets) that the one row shown and then the confirmation card name exactly
that process, presses k and Return, and waits for the listener to end. It signals nothing
itself; the application may only ever be asked to stop the row this test started.

Exit status 0 = all checks passed.  Last line: "e2e: N passed, M failed".
Env:  E2E_KEEP=1 keep the work dir;  E2E_TIMEOUT per-wait deadline (default 10 s);
      E2E_SHOTS=1 screenshots of the open panel and the card in the work dir;
      E2E_TMP parent of the work dir (default /tmp; keep it short: socket paths).
Needs /usr/bin/python3 with python3-pyatspi, and xvfb xdotool x11-utils trayer
dbus-daemon at-spi2-core.
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
APP = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else None
APP_NAME = "Quaylight"           # the AT-SPI application name
APP_CLASS = "^[Qq]uaylight$"     # WM_CLASS instance of the tray icon's window
PANEL_TITLE = "Quaylight"        # windowTitle of the panel (WM_NAME)
TIMEOUT = float(os.environ.get("E2E_TIMEOUT", "10"))


def _starttime(pid):
    """Start time of a process (clock ticks since boot); None if it is gone."""
    try:
        with open(f"/proc/{pid}/stat", "rb") as f:
            return f.read().rsplit(b")", 1)[1].split()[19].decode()
    except OSError:
        return None


# Marker put in every child's environment (D-Bus-activated grandchildren inherit
# it too): "<harness pid>-<harness start time>", unique and PID-reuse-proof.
RUN_ID = f"{os.getpid()}-{_starttime('self')}"
PROBE = os.path.join(HERE, "popover_atspi_probe.py")
SYS_PY = "/usr/bin/python3"

T0 = time.monotonic()
passed = 0


class Fail(Exception):
    pass


def log(msg):
    print(f"[{time.monotonic() - T0:6.2f}s] {msg}", flush=True)


def ok(what):
    global passed
    passed += 1
    log(f"PASS {what}")


def check(cond, what):
    if not cond:
        raise Fail(what)
    ok(what)


def wait_for(what, fn, timeout=TIMEOUT, interval=0.05):
    """Poll fn() until it returns something truthy; bounded deadline, no fixed sleeps."""
    deadline = time.monotonic() + timeout
    last = None
    while True:
        try:
            last = fn()
        except Fail as e:          # a probe that "can't tell yet" raises Fail
            last = f"<{e}>"
        else:
            if last:
                return last
        if time.monotonic() > deadline:
            raise Fail(f"timed out after {timeout:g}s waiting for {what} (last: {last!r})")
        time.sleep(interval)


# --------------------------------------------------------------- processes
_libc = ctypes.CDLL(None, use_errno=True)
PR_SET_PDEATHSIG = 1


def _child_setup():
    # If the harness dies, even by SIGKILL, the kernel sends SIGTERM to each
    # child: no orphaned Xvfb / dbus-daemon / app after a crashed or killed test.
    # SIGTERM rather than SIGKILL so that at-spi-bus-launcher can still take
    # down the a11y dbus-daemon it spawned (with SIGKILL that one was orphaned).
    _libc.prctl(PR_SET_PDEATHSIG, int(signal.SIGTERM))


def sweep_stale_runs():
    """Kill (by PID) what earlier runs of this harness left behind if they were
    SIGKILLed: processes whose E2E_RUN_ID names a harness PID that is gone."""
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
            continue                            # its harness is still running
        try:
            os.kill(int(d), signal.SIGKILL)
            killed.append(int(d))
        except OSError:
            pass
    base = os.environ.get("E2E_TMP", "/tmp")
    for d in os.listdir(base):     # work dirs of killed harnesses (kept logs have result.txt)
        m = re.match(r"e2e-tray-(\d+)-", d)
        if (m and not os.path.exists(f"/proc/{m.group(1)}")
                and not os.path.exists(os.path.join(base, d, "result.txt"))):
            shutil.rmtree(os.path.join(base, d), ignore_errors=True)
    return killed


class Session:
    def __init__(self):
        # Short path: AF_UNIX socket paths (bus, at-spi/bus_N) must stay < 108 bytes.
        self.dir = tempfile.mkdtemp(prefix=f"e2e-ql-{os.getpid()}-",
                                    dir=os.environ.get("E2E_TMP", "/tmp"))
        self.xdg = os.path.join(self.dir, "xdg")
        os.mkdir(self.xdg, 0o700)                 # XDG_RUNTIME_DIR must be 0700
        self.home = os.path.join(self.dir, "home")
        os.mkdir(self.home)
        self.procs = []                           # (name, Popen), start order
        self.display = None
        # A clean environment: nothing from the developer's desktop session
        # (a real DBUS_SESSION_BUS_ADDRESS with a StatusNotifierWatcher would make
        # Qt use SNI instead of the XEmbed tray; WAYLAND_DISPLAY, QT_QPA_PLATFORMTHEME,
        # QT_SCALE_FACTOR ... would change what is shown).
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": self.home,
            "LANG": "C.UTF-8",
            "XDG_RUNTIME_DIR": self.xdg,
            "XDG_CONFIG_HOME": os.path.join(self.home, ".config"),
            "XDG_CACHE_HOME": os.path.join(self.home, ".cache"),
            "XDG_DATA_HOME": os.path.join(self.home, ".local/share"),
            "GSETTINGS_BACKEND": "memory",        # no dconf-service activation
            "E2E_RUN_ID": RUN_ID,
        }
        for k in ["LD_LIBRARY_PATH", "ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS",
                  "QT_LOGGING_RULES"] + os.environ.get("E2E_PASSENV", "").split():
            if k in os.environ:
                self.env[k] = os.environ[k]

    def spawn(self, name, argv, extra_env=None, pass_fds=()):
        env = dict(self.env, **(extra_env or {}))
        if not shutil.which(argv[0], path=env["PATH"]):
            raise Fail(f"{argv[0]} not found: install its Debian package")
        with open(os.path.join(self.dir, name + ".log"), "wb") as logf:
            p = subprocess.Popen(argv, env=env, stdin=subprocess.DEVNULL, stdout=logf,
                                 stderr=subprocess.STDOUT, pass_fds=pass_fds,
                                 start_new_session=True,  # terminal Ctrl-C hits only the harness
                                 preexec_fn=_child_setup)
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

    def read_line_from_fd(self, fd, proc, what):
        """Read one line a child writes on a pipe (Xvfb -displayfd, dbus --print-address)."""
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

    # -- the private desktop -------------------------------------------------
    def start_xvfb(self):
        r, w = os.pipe()
        # -displayfd: the server picks the first free display number itself
        # (atomic /tmp/.X<n>-lock), so parallel runs never collide.
        p = self.spawn("xvfb", ["Xvfb", "-displayfd", str(w), "-screen", "0", "1280x800x24",
                                "-nolisten", "tcp", "-noreset"], pass_fds=(w,))
        os.close(w)
        self.display = ":" + self.read_line_from_fd(r, p, "Xvfb -displayfd")
        self.env["DISPLAY"] = self.display
        ok(f"Xvfb up on {self.display}")

    def start_wm(self):
        wm = os.environ.get("E2E_WM")
        if not wm:
            return
        self.spawn("wm", [wm, "--sm-disable"] if wm == "openbox" else [wm])
        wait_for(f"{wm} to own _NET_SUPPORTING_WM_CHECK", lambda: "window id" in self.run(
            "xprop", "-root", "_NET_SUPPORTING_WM_CHECK", check=False).stdout)
        ok(f"window manager {wm} up")

    def start_dbus(self):
        r, w = os.pipe()
        p = self.spawn("dbus", ["dbus-daemon", "--session", "--nofork", "--nopidfile",
                                f"--address=unix:path={self.xdg}/bus",
                                f"--print-address={w}"], pass_fds=(w,))
        os.close(w)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = self.read_line_from_fd(r, p, "dbus-daemon")
        ok("private D-Bus session bus up")

    def name_has_owner(self, name):
        r = self.run("dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                     "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                     f"string:{name}", check=False)
        return "boolean true" in r.stdout

    def start_atspi(self):
        # Start the a11y bus ourselves, *before* the app: Qt only connects when
        # org.a11y.Bus is already owned (or gets owned later); it never
        # D-Bus-activates it.  The launcher spawns the a11y dbus-daemon;
        # at-spi2-registryd is activated on that bus on first use.
        self.spawn("atspi", ["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
        wait_for("org.a11y.Bus on the session bus", lambda: self.name_has_owner("org.a11y.Bus"))
        ok("AT-SPI bus launcher up")

    def tray_owner(self):
        """Window owning _NET_SYSTEM_TRAY_S0: exactly what Qt's
        QSystemTrayIcon::isSystemTrayAvailable() looks at on xcb (XEmbed path)."""
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

    def start_tray(self):
        if os.environ.get("E2E_TRAY") == "tint2":
            rc = os.path.join(self.dir, "tint2rc")
            with open(rc, "w") as f:          # a systray-only panel, top right
                f.write("panel_items = S\npanel_position = top right horizontal\n"
                        "panel_size = 200 24\nsystray_icon_size = 22\n"
                        "systray_padding = 0 0 0\nautohide = 0\n")
            self.spawn("tint2", ["tint2", "-c", rc])
        else:
            # trayer: GTK2 XEmbed tray.  Top edge so the panel opens *under* the icon.
            self.spawn("trayer", ["trayer", "--edge", "top", "--align", "right",
                                  "--widthtype", "request", "--height", "24",
                                  "--SetDockType", "true", "--SetPartialStrut", "true",
                                  "--transparent", "false"],
                       extra_env={"NO_AT_BRIDGE": "1"})  # keep it out of the AT-SPI tree
        owner = wait_for("a system tray (_NET_SYSTEM_TRAY_S0 owner)", self.tray_owner)
        ok(f"system tray available (owner 0x{owner:x})")
        # With a StatusNotifierWatcher on the bus Qt would use SNI over D-Bus and
        # there would be no icon window to click: make sure we test XEmbed.
        check(not self.name_has_owner("org.kde.StatusNotifierWatcher"),
              "no StatusNotifierWatcher on the private bus: Qt uses the XEmbed tray")

    def teardown(self):
        marked = self.marked_pids()
        log(f"teardown: {len(marked)} live processes carry the run marker: "
            + ", ".join(os.path.basename(c.split()[0]) for _, c in marked))
        for name, p in reversed(self.procs):
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(3)
                except subprocess.TimeoutExpired:
                    log(f"teardown: {name} ignored SIGTERM, SIGKILL")
                    p.kill()
                    p.wait(3)
        # Safety net for grandchildren we did not spawn ourselves (D-Bus-activated
        # at-spi2-registryd, the a11y dbus-daemon): they inherited E2E_RUN_ID.
        # Kill only those PIDs -- never by process name.
        leftovers = []
        for _ in range(40):
            leftovers = self.marked_pids()
            if not leftovers:
                break
            time.sleep(0.05)                    # they normally exit by themselves
        for pid, cmd in leftovers:
            log(f"teardown: leftover pid {pid} ({cmd}), SIGKILL")
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        return leftovers

    @staticmethod
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
                        continue                # zombie: already dead
                with open(f"/proc/{d}/cmdline", "rb") as f:
                    found.append((int(d), f.read().replace(b"\0", b" ").decode(errors="replace")))
            except OSError:
                continue
        return found


# ------------------------------------------------------------ X11 queries
def winfo(s, wid):
    """Geometry / map state / parent of a window via xwininfo; None if it is gone."""
    r = s.run("xwininfo", "-id", str(wid), "-children", "-stats", check=False)
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


def root_id(s):
    t = s.run("xwininfo", "-root").stdout
    return int(re.search(r"Window id: (0x[0-9a-f]+)", t).group(1), 16)


def search(s, *args):
    r = s.run("xdotool", "search", *args, check=False)    # rc 1 = nothing found
    return [int(x) for x in r.stdout.split()]


def atspi(s):
    """What a screen reader sees of the app (see popover_atspi_probe.py); the last one is
    kept in the work dir for a failure's logs."""
    r = s.run(SYS_PY, PROBE, APP_NAME, check=False, timeout=15)
    if r.returncode != 0:
        raise Fail(f"atspi probe rc={r.returncode}: {r.stderr.strip()[-300:]}")
    with open(os.path.join(s.dir, "atspi.json"), "w") as f:
        f.write(r.stdout)
    return json.loads(r.stdout)


def panel_node(tree):
    for n in tree["nodes"]:
        if n["depth"] == 1 and n["name"] == PANEL_TITLE:
            return n
    return None


# ------------------------------------------------------------------- test
LISTENER = r"""
import socket, sys
s = socket.socket()
s.bind(("127.0.0.1", 0))
s.listen(4)
print(s.getsockname()[1], flush=True)
sys.stdin.read()
"""


def test(s):
    if not APP or not os.access(APP, os.X_OK):
        raise Fail(f"no quaylight executable given ({APP})")
    s.start_xvfb()
    s.start_wm()
    s.start_dbus()
    s.start_atspi()
    s.start_tray()
    root = root_id(s)

    # First run is done: the panel opens on the listener list.
    conf = os.path.join(s.env["XDG_CONFIG_HOME"], "Quaylight")
    os.makedirs(conf)
    with open(os.path.join(conf, "Quaylight.conf"), "w") as f:
        f.write("[bool]\nlaunchAtLoginOfferCompleted=true\nquaylightOnboardingComplete=true\n"
                "walkthroughCompleted=true\n")

    # The one process this test lets the application stop: its own child.
    listener = subprocess.Popen([SYS_PY, "-c", LISTENER], env=s.env, stdin=subprocess.PIPE,
                                stdout=subprocess.PIPE, text=True, preexec_fn=_child_setup)
    s.procs.append(("listener", listener))
    open(os.path.join(s.dir, "listener.log"), "w").close()
    port = int(listener.stdout.readline())
    ok(f"listener {listener.pid} on 127.0.0.1:{port}")

    app = s.spawn("app", [APP], extra_env={
        "QT_QPA_PLATFORM": "xcb",
        "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
    })

    def docked_icon():
        if app.poll() is not None:
            raise Fail(f"app exited early, rc={app.returncode}")
        for wid in search(s, "--all", "--pid", str(app.pid), "--classname", APP_CLASS):
            i = winfo(s, wid)
            if i and i["parent"] != root and i["mapped"] and i["w"] > 0:
                return i
        return None
    icon = wait_for("tray icon docked in trayer", docked_icon)
    ok("tray icon docked")
    cx, cy = icon["x"] + icon["w"] // 2, icon["y"] + icon["h"] // 2
    s.run("xdotool", "mousemove", str(cx), str(cy), "click", "1")

    def panel_mapped():
        wins = [winfo(s, w) for w in search(s, "--all", "--pid", str(app.pid), "--name", f"^{PANEL_TITLE}$")]
        return next((i for i in wins if i and i["mapped"] and i["w"] > 100), None)
    p = wait_for("panel mapped after click", panel_mapped)
    ok(f"panel mapped at {p['x']},{p['y']} {p['w']}x{p['h']}")

    def focus_in_panel():
        r = s.run("xdotool", "getwindowfocus", check=False)
        return r.returncode == 0 and int(r.stdout.split()[0]) == p["id"]
    wait_for("keyboard focus on the panel", focus_in_panel)

    def showing(tree, name, role=None):
        return [n for n in tree["nodes"] if n["name"] == name and "showing" in n["states"]
                and (role is None or n["role"] == role)]

    # Narrow the list to the listener's port first: the machine may hold many other
    # listeners, none of which is ours to stop. A click in the search field (right of the
    # mode switch, in the bar under the header) puts the keys there.
    s.run("xdotool", "mousemove", str(p["x"] + 400), str(p["y"] + 81), "click", "1")
    s.run("xdotool", "type", "--delay", "30", str(port))

    def only_our_row():
        t = atspi(s)
        pids = [n["name"] for n in t["nodes"] if re.fullmatch(r"PID \d+", n["name"] or "") and "showing" in n["states"]]
        return t if pids == [f"PID {listener.pid}"] and showing(t, str(port)) else None
    wait_for("AT-SPI: the listener's row, and no other", only_our_row)
    ok(f"AT-SPI: one row, port {port}, PID {listener.pid}")

    # Down from the search field gives the list the keys; its first (only) row is selected.
    s.run("xdotool", "key", "Down")
    s.run("xdotool", "key", "k")
    want_title = f"(PID {listener.pid})?"

    def card():
        t = atspi(s)
        return next((n for n in t["nodes"] if (n["name"] or "").startswith("Kill ")
                     and (n["name"] or "").endswith(want_title) and "showing" in n["states"]), None)
    c = wait_for("AT-SPI: the kill card naming the listener", card)
    ok(f"card: {c['name']}")
    if os.environ.get("E2E_SHOTS"):
        s.run("import", "-window", str(p["id"]), os.path.join(s.dir, "shot-card.png"))
    check(listener.poll() is None, "the listener still runs while the card asks")

    s.run("xdotool", "key", "Return")
    wait_for("the listener ended", lambda: listener.poll() is not None)
    ok(f"Return stopped the listener (exit {listener.returncode})")

    def notice_clear():
        t = atspi(s)
        return t if t["found"] and not any((n["name"] or "").startswith("Kill ") and "showing" in n["states"]
                                           for n in t["nodes"]) else None
    wait_for("AT-SPI: the card is gone", notice_clear)
    ok("the card is gone")

    app.send_signal(signal.SIGTERM)
    try:
        rc = app.wait(TIMEOUT)
    except subprocess.TimeoutExpired:
        raise Fail("app did not exit within the deadline after SIGTERM")
    check(rc == 0, f"app exit status after SIGTERM is {rc}")


def main():
    def on_signal(signum, _frame):
        raise SystemExit(128 + signum)          # unwinds into the finally below
    for sig in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(sig, on_signal)

    stale = sweep_stale_runs()
    if stale:
        log(f"killed {len(stale)} leftover process(es) of an earlier, killed run: {stale}")
    s = Session()
    failed = 0
    log(f"work dir {s.dir}, app {APP}")
    try:
        test(s)
    except Fail as e:
        failed = 1
        log(f"FAIL {e}")
        if s.display and shutil.which("import"):
            try:
                subprocess.run(["import", "-display", s.display, "-window", "root",
                                os.path.join(s.dir, "failure.png")], capture_output=True, timeout=10)
            except subprocess.TimeoutExpired:
                pass
    except BaseException as e:                  # SystemExit from a signal, bugs
        failed = 1
        log(f"FAIL aborted: {e!r}")
        raise
    finally:
        xvfb = next((p for n, p in s.procs if n == "xvfb"), None)
        left = s.teardown()
        lock = f"/tmp/.X{(s.display or ':x')[1:]}-lock"
        try:    # a parallel run may already own the number again: compare PIDs
            with open(lock) as f:
                if xvfb and f.read().strip() == str(xvfb.pid):
                    log(f"teardown: {lock} of our Xvfb still there")
                    failed = 1
        except OSError:
            pass
        if left:
            log(f"teardown: {len(left)} leftover process(es) had to be killed")
        if failed:
            for name, _ in s.procs:
                with open(os.path.join(s.dir, name + ".log"), errors="replace") as f:
                    tail = f.read()[-1500:]
                print(f"----- {name}.log (tail) -----\n{tail}", flush=True)
            log(f"logs kept in {s.dir}")
        elif os.environ.get("E2E_KEEP"):
            log(f"logs kept in {s.dir}")
        if failed or os.environ.get("E2E_KEEP"):
            with open(os.path.join(s.dir, "result.txt"), "w") as f:
                f.write(f"{passed} passed, {failed} failed\n")
        else:
            shutil.rmtree(s.dir, ignore_errors=True)
        log(f"done in {time.monotonic() - T0:.2f}s")
        print(f"e2e: {passed} passed, {failed} failed", flush=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
