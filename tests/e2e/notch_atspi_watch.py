#!/usr/bin/env python3
"""Print what a screen reader sees of an application's windows, as it changes.

usage: notch_atspi_watch.py APP_NAME SECONDS
Polls the AT-SPI tree every 50 ms and prints one JSON line each time the set of its
top-level nodes (name and whether they are showing) changes:
  {"t": seconds since start, "windows": [{"name": ..., "showing": bool}, ...]}
Needs DBUS_SESSION_BUS_ADDRESS (a private bus with at-spi-bus-launcher) and DISPLAY.
"""
import json
import sys
import time

import pyatspi  # /usr/bin/python3 only (Debian's python3-pyatspi)


def windows(app_name):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is None or app.name != app_name:
            continue
        found = []
        for j in range(app.childCount):
            node = app.getChildAtIndex(j)
            if node is None:
                continue
            try:
                showing = node.getState().contains(pyatspi.STATE_SHOWING)
            except Exception:  # noqa: BLE001 - a window going away mid-read
                showing = False
            found.append({"name": node.name, "showing": showing})
        return found
    return None


def main():
    app_name, seconds = sys.argv[1], float(sys.argv[2])
    start = time.monotonic()
    last = object()
    while time.monotonic() - start < seconds:
        try:
            now = windows(app_name)
        except Exception:  # noqa: BLE001 - the bus may hiccup while the app starts
            now = None
        if now != last:
            print(json.dumps({"t": round(time.monotonic() - start, 3), "windows": now}), flush=True)
            last = now
        time.sleep(0.05)


if __name__ == "__main__":
    main()
