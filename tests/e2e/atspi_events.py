#!/usr/bin/python3
"""Print what a screen reader hears of one application: its focus and state events, one JSON
line each, as they come, until ended by a signal.

usage: atspi_events.py APP_NAME
Needs DBUS_SESSION_BUS_ADDRESS (private session bus with at-spi-bus-launcher running on
it) and DISPLAY in the environment.  Prints a line {"ready": true} once it listens, then
  {"type": "focus:" | "object:state-changed:focused" | ..., "detail1": int,
   "role": str, "name": str}
for every event of that application.  Applications send these events only while someone
listens, as a screen reader does.  SIGTERM ends it.
"""
import json
import sys

import pyatspi  # python3-pyatspi

EVENTS = ("focus:", "object:state-changed:focused", "object:state-changed:selected")


def main():
    want = sys.argv[1]

    def on_event(event):
        try:
            if event.host_application is None or event.host_application.name != want:
                return
            source = event.source
            line = {"type": event.type, "detail1": event.detail1, "role": source.getRoleName(),
                    "name": source.name}
        except Exception:  # noqa: BLE001 - the source went away meanwhile
            return
        print(json.dumps(line), flush=True)

    pyatspi.Registry.registerEventListener(on_event, *EVENTS)
    print(json.dumps({"ready": True}), flush=True)
    pyatspi.Registry.start()


if __name__ == "__main__":
    main()
