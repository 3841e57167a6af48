#!/usr/bin/python3
"""Dump what a screen reader sees of one application, as JSON on stdout.

usage: atspi_probe.py APP_NAME
Needs DBUS_SESSION_BUS_ADDRESS (private session bus with at-spi-bus-launcher
running on it) and DISPLAY in the environment.  Prints
  {"found": bool, "apps": [...names...], "nodes": [{"role","name","text","states","depth","extents"}, ...]}
(extents: [x, y, width, height] on the screen, or null)
Run it under `timeout`: AT-SPI calls block up to 25 s on D-Bus when a peer hangs.
"""
import json
import sys

import pyatspi  # python3-pyatspi (imports gi Atspi; reads env at import time)


def text_of(acc):
    try:
        t = acc.queryText()
        return t.getText(0, t.characterCount)
    except NotImplementedError:
        return None
    except Exception:  # noqa: BLE001 - some roles raise other errors
        return None


def walk(acc, depth, out, limit=4000, objects=None):
    """Appends acc and its subtree to out; with `objects`, also each node's object, in step."""
    if acc is None or len(out) >= limit or depth > 25:
        return
    try:
        states = [pyatspi.stateToString(s) for s in acc.getState().getStates()]
    except Exception:  # noqa: BLE001
        states = []
    try:
        role, name = acc.getRoleName(), acc.name
    except Exception:  # noqa: BLE001 - gone meanwhile (a list row replaced by a new frame)
        return
    try:
        e = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        extents = [e.x, e.y, e.width, e.height]
    except Exception:  # noqa: BLE001 - no component (the application node)
        extents = None
    out.append({
        "depth": depth,
        "role": role,
        "name": name,
        "text": text_of(acc),
        "states": states,
        "extents": extents,
    })
    if objects is not None:
        objects.append(acc)
    try:
        children = [acc.getChildAtIndex(i) for i in range(acc.childCount)]
    except Exception:  # noqa: BLE001 - a row replaced while it is read
        children = []
    for child in children:
        walk(child, depth + 1, out, limit, objects)


def main():
    want = sys.argv[1]
    desktop = pyatspi.Registry.getDesktop(0)
    apps = [desktop.getChildAtIndex(i) for i in range(desktop.childCount)]
    names = [a.name if a is not None else None for a in apps]
    result = {"found": False, "apps": names, "nodes": []}
    for a in apps:
        if a is not None and a.name == want:
            result["found"] = True
            walk(a, 0, result["nodes"])
            break
    json.dump(result, sys.stdout)
    print()


if __name__ == "__main__":
    main()
