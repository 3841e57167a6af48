"""Quaylight's end-to-end harness: a private desktop for one run, the real application in
it, and the checks a scenario makes through X11 facts and the accessibility tree.

A scenario is a script `scenario_<name>.py` in this folder (ctest runs each as
`e2e_<name>`, and once more per desktop profile its "# profiles:" line names, as
`e2e_<name>_<profile>`) that defines `test(run)` and ends with
`sys.exit(quaylight_e2e.main(test))`. `run` is a Run: its desktop is up (Xvfb, private
D-Bus, AT-SPI bus and the profile's window manager and panel) and the application is
started with `run.start_app()`.

Desktop profiles (E2E_DESKTOP), each with its panel's configuration from desktops/ written
into the run's HOME:
  bare   trayer at the top edge, no window manager (XEmbed); the default
  xfce   xfwm4 --compositor=off + xfce4-panel at the top, dark (its systray speaks SNI)
  lxqt   openbox + lxqt-panel at the bottom, light (statusnotifier: SNI)
  tint2  openbox + tint2 at the top, dark (XEmbed)
With SNI the icon is no window of the application: it is found on the panel's pixels.

    /usr/bin/python3 tests/e2e/scenario_tray_panel.py build/quaylight

Use /usr/bin/python3: Debian's python3-pyatspi is only importable by the system
interpreter. Debian packages: xvfb xdotool x11-utils x11-xserver-utils trayer dbus-daemon
dbus-bin at-spi2-core python3-pyatspi imagemagick (the panels' pixels, screenshots), and for
the desktop profiles xfce4-panel xfwm4 xfconf openbox lxqt-panel tint2.

Env:  E2E_DESKTOP    the desktop profile (default bare)
      E2E_KEEP=1     keep the work dir (logs) even on success
      E2E_TIMEOUT    per-wait deadline in seconds (default 10)
      E2E_SHOTS=1    save screenshots of the desktop and the panel in the work dir
      E2E_TMP        parent of the per-run work dir (default /tmp; keep it short)

The harness is the subreaper of everything it starts, so grandchildren (the AT-SPI bus
and registry, xfconfd) stay its descendants; teardown (also after a failure or a signal)
ends its descendants, by PID, never by name. Children die with the harness (PDEATHSIG)
when it is killed; what a killed run still leaves is swept by a later run only when the
process is the same user's, in this PID namespace, under the same temporary base, and
carries the marker of a harness proven gone in this namespace.
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


def _pid_namespace(pid):
    try:
        return os.readlink(f"/proc/{pid}/ns/pid")
    except OSError:
        return None


# "<harness pid>-<harness start time>": unique and safe against PID reuse, but only in the
# PID namespace the harness ran in, which E2E_RUN_PIDNS names (a PID of another namespace
# says nothing here).
PID_NS = re.sub(r"\D", "", _pid_namespace("self") or "")
RUN_ID = f"{os.getpid()}-{_starttime('self')}"
TMP_BASE = os.path.realpath(os.environ.get("E2E_TMP", "/tmp"))
DESKTOP = os.environ.get("E2E_DESKTOP", "bare")
DESKTOPS_DIR = os.path.join(HERE, "desktops")
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
PR_SET_CHILD_SUBREAPER = 36


def _child_setup():
    # The kernel sends SIGTERM to each child if the harness dies, even by SIGKILL.
    _libc.prctl(PR_SET_PDEATHSIG, int(signal.SIGTERM))


def _harness_gone(run_id, pid_ns):
    """True only when `run_id` names a harness of this PID namespace that has ended: a marker
    of another namespace, or one that cannot be read, is never proof."""
    parts = run_id.split("-")
    if len(parts) != 2 or not parts[0].isdigit() or not PID_NS or pid_ns != PID_NS:
        return False
    return _starttime(parts[0]) != parts[1]


def _environment(pid):
    try:
        with open(f"/proc/{pid}/environ", "rb") as f:
            entries = f.read().split(b"\0")
    except OSError:
        return None
    return dict(e.decode(errors="replace").split("=", 1) for e in entries if b"=" in e)


def _own_run_dir(path):
    """A run's work dir directly under this run's temporary base."""
    path = os.path.realpath(path or "")
    return os.path.dirname(path) == TMP_BASE and os.path.basename(path).startswith("qe2e-")


def sweep_stale_runs():
    """What an earlier run left when it was killed itself (SIGKILL gives no teardown): its
    processes that outlived the PDEATHSIG, and its work dir. Only the current user's, in
    this PID namespace, in a work dir under this run's temporary base, and only when the
    run's harness is proven gone in this namespace."""
    killed = []
    uid = os.getuid()
    for d in os.listdir("/proc"):
        if not d.isdigit() or int(d) == os.getpid():
            continue
        try:
            if os.stat(f"/proc/{d}").st_uid != uid or _pid_namespace(d) != _pid_namespace("self"):
                continue
        except OSError:
            continue
        env = _environment(d)
        if not env or "E2E_RUN_ID" not in env or not _own_run_dir(env.get("E2E_RUN_DIR")):
            continue
        if not _harness_gone(env["E2E_RUN_ID"], env.get("E2E_RUN_PIDNS")):
            continue
        try:
            os.kill(int(d), signal.SIGKILL)
            killed.append(int(d))
        except OSError:
            pass
    for d in os.listdir(TMP_BASE):
        path = os.path.join(TMP_BASE, d)
        try:
            if not d.startswith("qe2e-") or os.lstat(path).st_uid != uid or os.path.islink(path):
                continue
            with open(os.path.join(path, "run-id")) as f:
                owner, _, owner_ns = f.read().strip().partition(" ")
        except OSError:
            continue
        if _harness_gone(owner, owner_ns) and not os.path.exists(os.path.join(path, "result.txt")):
            shutil.rmtree(path, ignore_errors=True)
    return killed


def _process_states():
    """(pid, state, parent pid) of every process, read from /proc; gone ones are skipped."""
    for d in os.listdir("/proc"):
        if not d.isdigit():
            continue
        try:
            with open(f"/proc/{d}/stat", "rb") as f:
                fields = f.read().rsplit(b")", 1)[1].split()
        except OSError:
            continue
        yield int(d), fields[0], int(fields[1])


def _children(pid):
    """The live (not zombie) processes whose parent is `pid`."""
    return [child for child, state, parent in _process_states() if parent == pid and state != b"Z"]


def _descendants(pid):
    out, todo = [], [pid]
    while todo:
        for child in _children(todo.pop()):
            out.append(child)
            todo.append(child)
    return out


def _reap_adopted(own):
    """Collects the exit status of orphans we adopted as their subreaper (zombies otherwise);
    our own Popen children are left to Popen."""
    me = os.getpid()
    for child, state, parent in _process_states():
        if parent == me and state == b"Z" and child not in own:
            try:
                os.waitpid(child, os.WNOHANG)
            except ChildProcessError:
                pass


class Run:
    """One private desktop and the application in it."""

    def __init__(self, app_path):
        self.app_path = app_path
        # Short: AF_UNIX socket paths (buses, the hook socket) stay under 108 bytes.
        self.dir = tempfile.mkdtemp(prefix=f"qe2e-{os.getpid()}-", dir=TMP_BASE)
        with open(os.path.join(self.dir, "run-id"), "w") as f:
            f.write(f"{RUN_ID} {PID_NS}\n")
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
            "E2E_RUN_PIDNS": PID_NS,
            "E2E_RUN_DIR": self.dir,
        }
        self.desktop = DESKTOP
        self.sni = DESKTOP in ("xfce", "lxqt")
        self.panel_id = None
        self.baseline = None
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
    def start_desktop(self, with_panel=True):
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

        self.root = int(re.search(r"Window id: (0x[0-9a-f]+)", self.run("xwininfo", "-root").stdout).group(1), 16)
        # Every window the X server creates, maps or hands to a window manager from here on:
        # the stray-window check reads it at the end.
        self.spawn("xev", ["xev", "-root", "-event", "substructure"])
        if self.desktop != "bare":
            self.start_window_manager()
        if with_panel:
            self.start_panel()

    # The profiles' panels: their strip of the screen (y, height), for the pixels of an SNI icon.
    PANEL_STRIP = {"xfce": (0, 26), "lxqt": (768, 32), "tint2": (0, 28), "bare": (0, 24)}

    def start_window_manager(self):
        if self.desktop == "xfce":
            self.spawn("xfwm4", ["xfwm4", "--replace", "--compositor=off"])
        elif self.desktop in ("lxqt", "tint2"):
            self.spawn("openbox", ["openbox", "--sm-disable"])
        else:
            raise Fail(f"unknown desktop profile {self.desktop!r} (bare, xfce, lxqt, tint2)")
        wait_for("a window manager (_NET_SUPPORTING_WM_CHECK)", lambda: "window id" in self.run(
            "xprop", "-root", "_NET_SUPPORTING_WM_CHECK", check=False).stdout)
        ok(f"{self.desktop}: window manager up")

    def _config(self, name, target):
        path = os.path.join(self.home, target)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        shutil.copy(os.path.join(DESKTOPS_DIR, name), path)
        return path

    def start_panel(self, sni_only=False, baseline=True):
        """The profile's panel; waits until its tray answers. `sni_only`: LXQt without its XEmbed
        tray plugin, a host only a StatusNotifierItem reaches. `baseline`: keep the panel's
        picture to find an SNI icon on (without it, the icon is what differs from the panel's
        own colour in the right half, where the panels hold their trays)."""
        if self.desktop == "bare":
            # trayer at the top edge, so the panel opens under the icon; no window manager.
            self.spawn("trayer", ["trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
                                  "--height", "24", "--SetDockType", "true", "--SetPartialStrut", "true",
                                  "--transparent", "false"], extra_env={"NO_AT_BRIDGE": "1"})
        elif self.desktop == "xfce":
            self._config("xfce4-panel.xml", ".config/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml")
            self.spawn("panel", ["xfce4-panel"], extra_env={"NO_AT_BRIDGE": "1"})
        elif self.desktop == "lxqt":
            conf = self._config("lxqt-panel.conf", ".config/lxqt/panel.conf")
            self._config("lxqt.conf", ".config/lxqt/lxqt.conf")
            if sni_only:
                with open(conf) as f:
                    text = f.read()
                with open(conf, "w") as f:
                    f.write(text.replace("plugins=taskbar, statusnotifier, tray", "plugins=taskbar, statusnotifier"))
            self.spawn("panel", ["lxqt-panel"])
        elif self.desktop == "tint2":
            rc = self._config("tint2rc", ".config/tint2/tint2rc")
            self.spawn("panel", ["tint2", "-c", rc], extra_env={"NO_AT_BRIDGE": "1"})
        if self.sni:
            wait_for("a StatusNotifierWatcher on the private bus",
                     lambda: self.name_has_owner("org.kde.StatusNotifierWatcher"))
            ok(f"{self.desktop}: the panel's StatusNotifierWatcher is up (Qt uses SNI)")
        if not (self.desktop == "lxqt" and sni_only):
            owner = wait_for("a system tray (_NET_SYSTEM_TRAY_S0 owner)", self.tray_owner)
            ok(f"system tray available (owner 0x{owner:x})")
        if self.desktop in ("bare", "tint2"):
            check(not self.name_has_owner("org.kde.StatusNotifierWatcher"),
                  "no StatusNotifierWatcher on the private bus: Qt uses the XEmbed tray")
        if not baseline:
            return
        # The panel's strip once it has painted and holds still: an SNI icon is what changes in it.
        last = {}

        def settled():
            now = self.panel_pixels()
            same = now == last.get("pixels") and any(now)
            last["pixels"] = now
            return now if same else None
        self.baseline = wait_for("the panel painted", settled, interval=0.2)

    def grab(self, x, y, w, h):
        """The screen's pixels in a rectangle, as rows of (r, g, b); [] when it cannot be read."""
        r = subprocess.run(["import", "-window", "root", "-crop", f"{w}x{h}+{x}+{y}", "-depth", "8", "rgb:-"],
                           env=self.env, capture_output=True, timeout=15)
        data = r.stdout
        if r.returncode != 0 or len(data) != w * h * 3:
            return []
        return [[tuple(data[(row * w + col) * 3:(row * w + col) * 3 + 3]) for col in range(w)] for row in range(h)]

    def panel_pixels(self):
        y, h = self.PANEL_STRIP[self.desktop]
        return self.grab(0, y, 1280, h)

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
        """Where the tray icon is, once the panel shows it: the XEmbed icon window the host
        reparented and mapped (found by PID and size, never by name: the client leader window
        carries the application's name too), or with SNI the patch of the panel that changed
        from its picture before the application came."""
        def alive():
            if self.app.poll() is not None:
                raise Fail(f"app exited early, rc={self.app.returncode}")

        if self.sni:
            wait_for("the application's item registered with the StatusNotifierWatcher",
                     lambda: alive() or self.registered_items())
            last = {}

            def changed_patch():
                alive()
                now = self.panel_pixels()
                before = self.baseline
                if before is None and now:
                    # Row by row: a panel may be a gradient.
                    before = [row[:640] + [max(set(row), key=row.count)] * 640 for row in now]
                ys = [y for y, (a, b) in enumerate(zip(now, before)) if a != b]
                if not ys or not now:
                    return None
                xs = [x for y in ys for x, (p, q) in enumerate(zip(now[y], before[y])) if p != q]
                box = (min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1)
                same = last.get("box") == box
                last["box"] = box
                return box if same and box[2] <= 48 else None
            x, y, w, h = wait_for("the icon painted on the panel", changed_patch, interval=0.2)
            return {"id": None, "x": x, "y": y + self.PANEL_STRIP[self.desktop][0], "w": w, "h": h}

        def find():
            alive()
            for wid in search(self, "--all", "--pid", str(self.app.pid), "--class", "."):
                i = winfo(self, wid)
                if i and i["parent"] != self.root and i["mapped"] and 0 < i["w"] <= 64 and 0 < i["h"] <= 64:
                    return i
            return None
        # A user clicks the icon they see, where it stays: docked is not yet drawn (the
        # application may still be taking in the embedding), and a tray may still be making
        # room for it. So the mark must show over the panel's background, in the same place
        # at two looks in a row.
        last = {}

        def settled():
            icon = find()
            if not icon:
                return None
            pixels = self.grab(icon["x"], icon["y"], icon["w"], icon["h"])
            drawn = len({p for row in pixels for p in row}) > 1
            place = (icon["id"], icon["x"], icon["y"], icon["w"], icon["h"])
            same = last.get("place") == place
            last["place"] = place
            return icon if drawn and same else None
        return wait_for("tray icon docked, drawn and in place", settled, interval=0.2)

    def registered_items(self):
        r = self.run("dbus-send", "--session", "--print-reply", "--dest=org.kde.StatusNotifierWatcher",
                     "/StatusNotifierWatcher", "org.freedesktop.DBus.Properties.Get",
                     "string:org.kde.StatusNotifierWatcher", "string:RegisteredStatusNotifierItems", check=False)
        return re.findall(r'string "([^"]+)"', r.stdout)

    def icon_contrast(self, icon):
        """(contrast ratio, panel colour, ink colour) of the icon on its panel: the panel is the
        commonest colour around the icon, the ink the icon's pixel farthest from it."""
        pad = 3
        x0, y0 = max(0, icon["x"] - pad), max(0, icon["y"] - pad)
        x1, y1 = min(1280, icon["x"] + icon["w"] + pad), min(800, icon["y"] + icon["h"] + pad)
        rows = self.grab(x0, y0, x1 - x0, y1 - y0)
        if not rows:
            raise Fail("the icon's pixels cannot be read")
        border = rows[0] + rows[-1] + [r[0] for r in rows] + [r[-1] for r in rows]
        panel = max(set(border), key=border.count)
        inside = [p for y, r in enumerate(rows) for x, p in enumerate(r)
                  if icon["x"] <= x0 + x < icon["x"] + icon["w"] and icon["y"] <= y0 + y < icon["y"] + icon["h"]]
        ink = max(inside, key=lambda p: contrast(p, panel))
        return contrast(ink, panel), panel, ink

    def stray_windows(self):
        """Windows of the application other than the panel and the tray icon that were mapped
        or handed to a window manager (reparented into a frame), from the root window's event
        log: a window manager gives such a window the keyboard."""
        if self.panel_id is None:
            return []
        base = self.panel_id & ~0x1FFFFF  # the X server's resource base of the application's connection
        sizes, strays = {}, []
        with open(os.path.join(self.dir, "xev.log"), errors="replace") as f:
            blocks = f.read().split("\n\n")
        for block in blocks:
            kind = re.match(r"\s*(\w+) event", block)
            wids = re.findall(r"window (0x[0-9a-f]+)", block)
            if not kind or not wids:
                continue
            wid = int(wids[-1], 16)
            size = re.search(r"width (\d+), height (\d+)", block)
            if size:
                sizes[wid] = (int(size.group(1)), int(size.group(2)))
            if (wid & ~0x1FFFFF) != base or wid == self.panel_id or "override YES" in block:
                continue
            if kind.group(1) in ("MapNotify", "ReparentNotify"):
                w, h = sizes.get(wid, (0, 0))
                if (w, h) != PANEL_SIZE and not (w <= 64 and h <= 64):
                    strays.append(f"0x{wid:x} {w}x{h} ({kind.group(1)})")
        return sorted(set(strays))

    def panel_window(self, mapped):
        """Poll function: the panel in the wanted map state (gone counts as unmapped)."""
        def f():
            wins = [winfo(self, w) for w in search(self, "--all", "--pid", str(self.app.pid), "--name",
                                                   f"^{PANEL_TITLE}$")]
            wins = [i for i in wins if i and (i["w"], i["h"]) == PANEL_SIZE]
            if not mapped:
                return not any(i["mapped"] for i in wins)
            found = next((i for i in wins if i["mapped"]), None)
            if found:
                self.panel_id = found["id"]
            return found
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
        """Ends everything the run started, grandchildren included: each started process
        (SIGTERM, SIGKILL after 3 s), then every descendant still there (orphans are ours as
        the subreaper). Returns the descendants that had to be killed at the end."""
        for name, p in reversed(self.procs):
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(3)
                except subprocess.TimeoutExpired:
                    log(f"teardown: {name} ignored SIGTERM, SIGKILL")
                    p.kill()
                    p.wait(3)
        own = {p.pid for _, p in self.procs}
        killed, asked, kill_rounds = [], set(), 0
        deadline = time.monotonic() + 3
        while True:
            _reap_adopted(own)
            rest = [pid for pid in _descendants(os.getpid()) if pid not in own]
            if not rest:
                break
            late = time.monotonic() > deadline
            for pid in rest:
                if pid in asked and not late:
                    continue
                try:
                    if late:
                        log(f"teardown: leftover pid {pid} ({_cmdline(pid)}), SIGKILL")
                        os.kill(pid, signal.SIGKILL)
                        killed.append(pid)
                    else:
                        os.kill(pid, signal.SIGTERM)
                        asked.add(pid)
                except ProcessLookupError:
                    pass
            if late:
                kill_rounds += 1
                if kill_rounds >= 3:
                    log(f"teardown: {rest} still there after SIGKILL")
                    break
                deadline = time.monotonic() + 3
            time.sleep(0.05)
        return killed


def _cmdline(pid):
    try:
        with open(f"/proc/{pid}/cmdline", "rb") as f:
            return f.read().replace(b"\0", b" ").decode(errors="replace").strip()
    except OSError:
        return "?"


def contrast(a, b):
    """The WCAG contrast ratio of two (r, g, b) colours."""
    def lum(c):
        ch = [v / 255 for v in c]
        ch = [v / 12.92 if v <= 0.03928 else ((v + 0.055) / 1.055) ** 2.4 for v in ch]
        return 0.2126 * ch[0] + 0.7152 * ch[1] + 0.0722 * ch[2]
    la, lb = lum(a), lum(b)
    return (max(la, lb) + 0.05) / (min(la, lb) + 0.05)


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
    # Orphaned grandchildren (the AT-SPI registry, the accessibility bus) come to us, not to
    # init, so teardown finds them among our descendants.
    _libc.prctl(PR_SET_CHILD_SUBREAPER, 1)
    stale = sweep_stale_runs()
    if stale:
        log(f"killed {len(stale)} leftover process(es) of an earlier, killed run: {stale}")
    run = Run(os.path.abspath(sys.argv[1]))
    failed = 0
    log(f"work dir {run.dir}, app {run.app_path}")
    try:
        run.start_desktop(with_panel=not getattr(test, "starts_panel_itself", False))
        test(run)
        strays = run.stray_windows()
        check(not strays, f"no window of the application but the panel and the tray icon was mapped "
              f"(strays: {strays})")
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
