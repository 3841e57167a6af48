#!/usr/bin/python3
"""What the tray application costs while it runs, on a private desktop like the end-to-end
tests' (Xvfb, trayer, private buses), with agent monitoring on (onboarding done, the screen-top
indicator's activity on, a provider configured):

  1. panel closed: CPU (share of one core) and peak resident memory over the window;
  2. panel open, scanning every second: CPU over the window;
  3. first show after a click: from the button press (XTEST) to the panel's MapNotify,
     the median of 20 openings.

    ./scripts/build.sh && bench/app_resources.py [build/quaylight] [--seconds 60]

Not a test: it prints figures. Targets: closed < 0.5 % and < 60 MB, open < 3 %, show < 100 ms.
"""
import argparse
import ctypes
import os
import select
import statistics
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
import quaylight_e2e as e2e  # noqa: E402

CLK_TCK = os.sysconf("SC_CLK_TCK")
PAGE = os.sysconf("SC_PAGE_SIZE")


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat", "rb") as f:
        fields = f.read().rsplit(b")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / CLK_TCK  # utime + stime


def rss_bytes(pid):
    with open(f"/proc/{pid}/statm") as f:
        return int(f.read().split()[1]) * PAGE


def measure(pid, seconds):
    """CPU share of one core and peak RSS over `seconds`, sampled every 0.5 s."""
    start_cpu, start = cpu_seconds(pid), time.monotonic()
    peak = rss_bytes(pid)
    while time.monotonic() - start < seconds:
        time.sleep(0.5)
        peak = max(peak, rss_bytes(pid))
    return (cpu_seconds(pid) - start_cpu) / (time.monotonic() - start), peak


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


def bench(run, seconds):
    run.write_settings("[bool]\nagentConnections.claude.configured=true\n"
                       "launchAtLoginOfferCompleted=true\nquaylightOnboardingComplete=true\n"
                       "display.showAgentActivity=true\n")
    app = run.start_app()
    icon = run.docked_icon()
    cx, cy = icon["x"] + icon["w"] // 2, icon["y"] + icon["h"] // 2
    e2e.wait_for("the hook socket", lambda: os.path.exists(run.socket_path))
    time.sleep(3)  # start-up work (fonts, first tracking ticks) is not what is measured

    closed_cpu, closed_rss = measure(app.pid, seconds)
    e2e.log(f"panel closed: CPU {closed_cpu * 100:.2f} % of one core, peak RSS {closed_rss / 2**20:.1f} MB")

    run.click(cx, cy)
    panel = run.wait_panel(True, "a click")
    time.sleep(1)
    open_cpu, open_rss = measure(app.pid, seconds)
    e2e.log(f"panel open (1 s scans): CPU {open_cpu * 100:.2f} % of one core, peak RSS {open_rss / 2**20:.1f} MB")
    run.key("Escape")
    run.wait_panel(False, "Escape")

    x = XEvents(run.display)
    x.watch(panel["id"])
    run.run("xdotool", "mousemove", str(cx), str(cy))
    shows = []
    for _ in range(20):
        time.sleep(0.6)  # past the double-click interval, the panel settled
        x.drain()
        shows.append(x.press_and_wait_mapped())
        run.key("Escape")
        run.wait_panel(False, "Escape")
    e2e.log("shows (ms): " + " ".join(f"{v * 1000:.1f}" for v in shows))
    e2e.log(f"first show after a click: median {statistics.median(shows) * 1000:.1f} ms "
            f"(min {min(shows) * 1000:.1f}, max {max(shows) * 1000:.1f}, n={len(shows)})")
    print(f"RESULT closed_cpu_percent={closed_cpu * 100:.2f} closed_rss_mb={closed_rss / 2**20:.1f} "
          f"open_cpu_percent={open_cpu * 100:.2f} show_median_ms={statistics.median(shows) * 1000:.1f}", flush=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("app", nargs="?", default=os.path.join(HERE, "..", "build", "quaylight"))
    parser.add_argument("--seconds", type=float, default=60)
    args = parser.parse_args()
    sys.argv = [sys.argv[0], args.app]
    return e2e.main(lambda run: bench(run, args.seconds))


if __name__ == "__main__":
    sys.exit(main())
