#!/usr/bin/python3
"""What the tray application costs while it runs, on a private desktop like the end-to-end
tests' (Xvfb, trayer, private buses), with agent monitoring on (onboarding done, the screen-top
indicator's activity on, a provider configured):

  1. panel closed, idle: CPU (share of one core) and peak resident memory over the window;
  2. panel open on the Ports list, scanning every second, while bench-listener-farm holds
     20 listeners in 4 processes, 200 in 20, then 2,000 in 200: CPU and peak resident
     memory over the window for each, split by thread (the GUI thread; the threads still
     there by name; "exited" the ones gone during the window, such as a scan's helpers);
  3. first show after a click: from the button press (XTEST) to the panel's MapNotify,
     the median of 20 openings.

    ./scripts/build.sh && bench/app_resources.py [build/quaylight] [--seconds 60]
    bench/app_resources.py --compare OLD/quaylight NEW/quaylight [--seconds 30]

With --compare both builds run at once, each on its own private desktop, over the same
windows and the same listeners, and every figure is printed side by side. The listeners
are the machine's: what other programs hold shows up in the lists too (counted at start).

Not a test: it prints figures. Targets: closed < 0.2 % and < 60 MB; open with 20 listeners
< 0.5 %, 200 < 1 %, 2,000 < 3 % and < 70 MB; show < 100 ms.
"""
import argparse
import ctypes
import os
import select
import shutil
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
import quaylight_e2e as e2e  # noqa: E402

CLK_TCK = os.sysconf("SC_CLK_TCK")
PAGE = os.sysconf("SC_PAGE_SIZE")
# "all" as the default filter: the panel opens on the Ports list even when agents run on the machine.
SETTINGS = ("[bool]\nagentConnections.claude.configured=true\n"
            "launchAtLoginOfferCompleted=true\nquaylightOnboardingComplete=true\n"
            "display.showAgentActivity=true\n"
            "[text]\ndisplay.defaultFilter=all\n")
FARMS = [(20, 4), (200, 20), (2000, 200)]  # (listeners, processes)


def _stat_fields(path):
    with open(path, "rb") as f:
        return f.read().rsplit(b")", 1)[1].split()


def cpu_ticks(path):
    fields = _stat_fields(path)
    return int(fields[11]) + int(fields[12])  # utime + stime, after the state field


def threads(pid):
    """{tid: (name, ticks)} of the process's live threads."""
    result = {}
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{tid}/comm") as f:
                name = f.read().strip()
            result[int(tid)] = (name, cpu_ticks(f"/proc/{pid}/task/{tid}/stat"))
        except OSError:
            pass  # gone between the listing and the read
    return result


def rss_bytes(pid):
    with open(f"/proc/{pid}/statm") as f:
        return int(f.read().split()[1]) * PAGE


def listening_sockets():
    count = 0
    for table in ("/proc/net/tcp", "/proc/net/tcp6"):
        with open(table) as f:
            count += sum(1 for line in f.readlines()[1:] if line.split()[3] == "0A")
    return count


class Window:
    """One process's CPU and memory over a window, per thread."""

    def __init__(self, pid):
        self.pid = pid
        self.start_total = cpu_ticks(f"/proc/{pid}/stat")
        self.start_threads = threads(pid)
        self.peak = rss_bytes(pid)

    def sample(self):
        self.peak = max(self.peak, rss_bytes(self.pid))

    def finish(self, seconds):
        total = cpu_ticks(f"/proc/{self.pid}/stat") - self.start_total
        by_name = {}
        gui = 0
        accounted = 0
        for tid, (name, ticks) in threads(self.pid).items():
            spent = ticks - self.start_threads.get(tid, (name, 0))[1]
            accounted += spent
            if tid == self.pid:
                gui = spent
            else:
                by_name[name] = by_name.get(name, 0) + spent
        # Threads that ended in the window: the process's total keeps what they spent.
        by_name["exited"] = total - accounted
        share = lambda ticks: ticks / CLK_TCK / seconds * 100  # noqa: E731
        return {"cpu": share(total), "gui": share(gui), "rss": self.peak / 2**20,
                "threads": {name: share(t) for name, t in by_name.items()}}


def settle(pids, limit=120):
    """Waits until every process's GUI thread has spent under 15 % of a core for two
    seconds running (the list built for the new listeners); the seconds it took."""
    start = time.monotonic()
    quiet = 0
    last = [cpu_ticks(f"/proc/{pid}/task/{pid}/stat") for pid in pids]
    while quiet < 2 and time.monotonic() - start < limit:
        time.sleep(1)
        now = [cpu_ticks(f"/proc/{pid}/task/{pid}/stat") for pid in pids]
        busy = any((b - a) / CLK_TCK > 0.15 for a, b in zip(last, now))
        quiet = 0 if busy else quiet + 1
        last = now
    return time.monotonic() - start


def measure(pids, seconds):
    """Each process's window figures over the same `seconds`, memory sampled every 0.5 s."""
    windows = [Window(pid) for pid in pids]
    start = time.monotonic()
    while time.monotonic() - start < seconds:
        time.sleep(0.5)
        for w in windows:
            w.sample()
    elapsed = time.monotonic() - start
    return [w.finish(elapsed) for w in windows]


class Farm:
    """bench-listener-farm holding `listeners` sockets in `processes` processes."""

    def __init__(self, binary, listeners, processes):
        self.proc = subprocess.Popen([binary, "--processes", str(processes), "--listeners", str(listeners)],
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        if self.proc.stdout.readline().strip() != b"ready":
            raise e2e.Fail(f"bench-listener-farm could not hold {listeners} listeners")

    def stop(self):
        self.proc.stdin.close()
        self.proc.wait(10)


class XEvents:
    """A second X connection that watches one window's map state and presses buttons."""

    class XEvent(ctypes.Union):
        _fields_ = [("type", ctypes.c_int), ("pad", ctypes.c_long * 24)]

    def __init__(self, display):
        self.x = ctypes.cdll.LoadLibrary("libX11.so.6")
        self.xtst = ctypes.cdll.LoadLibrary("libXtst.so.6")
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        for name in ("XSelectInput", "XSync", "XPending", "XNextEvent", "XFlush", "XConnectionNumber"):
            getattr(self.x, name).argtypes = None
        self.d = ctypes.c_void_p(self.x.XOpenDisplay(display.encode()))
        self.fd = self.x.XConnectionNumber(self.d)

    def watch(self, window):
        self.x.XSelectInput(self.d, ctypes.c_ulong(window), ctypes.c_long(1 << 17))  # StructureNotifyMask
        self.x.XSync(self.d, 0)
        self.drain()

    def drain(self):
        event = self.XEvent()
        while self.x.XPending(self.d):
            self.x.XNextEvent(self.d, ctypes.byref(event))

    def press_and_wait_mapped(self, timeout=5.0):
        """Presses and releases button 1 where the pointer is; seconds until MapNotify."""
        event = self.XEvent()
        pressed = time.monotonic()
        self.xtst.XTestFakeButtonEvent(self.d, 1, 1, ctypes.c_ulong(0))
        self.x.XFlush(self.d)
        self.xtst.XTestFakeButtonEvent(self.d, 1, 0, ctypes.c_ulong(0))
        self.x.XFlush(self.d)
        while time.monotonic() - pressed < timeout:
            while self.x.XPending(self.d):
                self.x.XNextEvent(self.d, ctypes.byref(event))
                if event.type == 19:  # MapNotify
                    return time.monotonic() - pressed
            select.select([self.fd], [], [], 0.05)
        raise e2e.Fail("the panel did not map after a press")


class Build:
    """One build on its own private desktop, its icon docked."""

    def __init__(self, label, app):
        self.label = label
        self.run = e2e.Run(os.path.abspath(app))
        e2e.log(f"{label}: work dir {self.run.dir}, app {self.run.app_path}")

    def start(self):
        self.run.start_desktop()
        self.run.write_settings(SETTINGS)
        self.app = self.run.start_app()
        icon = self.run.docked_icon()
        self.icon = (icon["x"] + icon["w"] // 2, icon["y"] + icon["h"] // 2)
        e2e.wait_for("the hook socket", lambda: os.path.exists(self.run.socket_path))

    def open_panel(self):
        self.run.click(*self.icon)
        self.panel = self.run.wait_panel(True, "a click")

    def close_panel(self):
        self.run.key("Escape")
        # Generous: a build that lays out 2,000 rows anew once the farm goes can take a while.
        e2e.wait_for("panel unmapped after Escape", self.run.panel_window(False), timeout=90)

    def shows(self, count):
        x = XEvents(self.run.display)
        x.watch(self.panel["id"])
        self.run.run("xdotool", "mousemove", str(self.icon[0]), str(self.icon[1]))
        shows = []
        for _ in range(count):
            time.sleep(0.6)  # past the double-click interval, the panel settled
            x.drain()
            shows.append(x.press_and_wait_mapped())
            self.close_panel()
        return shows


def report(case, builds, figures, results):
    """Logs one case's figures, one build a column."""
    cells = lambda f: [f(fig) for fig in figures]  # noqa: E731
    e2e.log(f"{case}: CPU " + " | ".join(f"{b.label} {c}" for b, c in zip(builds, cells(
        lambda fig: f"{fig['cpu']:.2f} % (GUI thread {fig['gui']:.2f} %), peak RSS {fig['rss']:.1f} MB"))))
    for b, fig in zip(builds, figures):
        rest = ", ".join(f"{name} {share:.2f} %" for name, share in sorted(fig["threads"].items(),
                                                                           key=lambda kv: -kv[1]) if share >= 0.005)
        e2e.log(f"  {b.label} other threads: {rest or 'none'}")
    results.append((case, figures))


def print_table(builds, results):
    print("\n| case | " + " | ".join(f"{b.label}: CPU (GUI thread / rest), peak RSS" for b in builds) + " |")
    print("|---|" + "---|" * len(builds))
    for case, figures in results:
        print(f"| {case} | " + " | ".join(
            f"{f['cpu']:.2f} % ({f['gui']:.2f} / {f['cpu'] - f['gui']:.2f}), {f['rss']:.1f} MB" for f in figures) + " |")
    sys.stdout.flush()


def bench(builds, seconds, farm_binary, show_count):
    results = []
    e2e.log(f"listening sockets on the machine before the farm: {listening_sockets()}")
    time.sleep(3)  # start-up work (fonts, first tracking ticks) is not what is measured
    pids = [b.app.pid for b in builds]
    report("panel closed, idle", builds, measure(pids, seconds), results)

    for b in builds:
        b.open_panel()
    for listeners, processes in FARMS:
        farm = Farm(farm_binary, listeners, processes)
        try:
            time.sleep(3)  # a few scans: the lists hold the farm's rows
            e2e.log(f"{listeners} listeners: the lists settled after {settle(pids):.0f} s more")
            before = listening_sockets()
            figures = measure(pids, seconds)
            after = listening_sockets()
            if after != before:
                e2e.log(f"  (the machine's listeners changed during the window: {before} -> {after})")
            report(f"panel open, Ports list, {listeners} listeners in {processes} processes", builds,
                   figures, results)
        finally:
            farm.stop()
    print_table(builds, results)
    for b in builds:
        b.close_panel()

    if show_count:
        for b in builds:
            shows = b.shows(show_count)
            e2e.log(f"{b.label} first show after a click: median {statistics.median(shows) * 1000:.1f} ms "
                    f"(min {min(shows) * 1000:.1f}, max {max(shows) * 1000:.1f}, n={len(shows)})")



def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("app", nargs="?", default=os.path.join(HERE, "..", "build", "quaylight"))
    parser.add_argument("--compare", nargs=2, metavar=("OLD", "NEW"), help="two builds side by side")
    parser.add_argument("--seconds", type=float, default=60, help="each case's window")
    parser.add_argument("--shows", type=int, default=20, help="openings timed after the cases (0: none)")
    parser.add_argument("--farm", default=None, help="bench-listener-farm (default: beside the new build)")
    args = parser.parse_args()
    apps = [("before", args.compare[0]), ("after", args.compare[1])] if args.compare else [("build", args.app)]
    farm = args.farm or os.path.join(os.path.dirname(os.path.abspath(apps[-1][1])), "bench", "bench-listener-farm")
    if not shutil.which(farm):
        print(f"{farm} not found: build the bench-listener-farm target", file=sys.stderr)
        return 2

    e2e._libc.prctl(e2e.PR_SET_CHILD_SUBREAPER, 1)
    e2e.sweep_stale_runs()
    builds = []
    failed = 0
    try:
        for label, app in apps:
            builds.append(Build(label, app))
            builds[-1].start()
        bench(builds, args.seconds, farm, args.shows)
    except e2e.Fail as e:
        failed = 1
        e2e.log(f"FAIL {e}")
    finally:
        # One teardown for every desktop: each ends all the harness's descendants.
        if builds:
            first = builds[0].run
            for b in builds[1:]:
                first.procs += b.run.procs
            left = first.teardown()
            if left:
                e2e.log(f"teardown: {len(left)} leftover process(es) had to be killed")
            for b in builds:
                shutil.rmtree(b.run.dir, ignore_errors=True)
    return failed


if __name__ == "__main__":
    sys.exit(main())
