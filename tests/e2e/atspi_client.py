#!/usr/bin/python3
"""One persistent accessibility client, the way a screen reader reads an application: a
single process keeps one AT-SPI connection, listens to the application's events and walks
its whole tree again every ~100 ms, holding on to the objects it met. A new process per
read (atspi_probe.py) never holds an object across a change, so it cannot see a fault
that only a long-lived reader meets.

In a scenario:

    client = AtspiClient(run)                 # started once the desktop is up
    tree = client.tree()                      # the latest walk, as atspi_probe.py prints it
    client.press("Settings")                  # the Press action of the node last read under that name
    client.close()

The process reads one JSON command a line on stdin and answers one JSON line on stdout:
  {"cmd": "tree"}                -> {"walks": n, "events": n, "found": bool, "nodes": [...]}
  {"cmd": "press", "name": N}    -> {"pressed": bool, "actions": [...], "states": [...],
                                     "error": text when the object could not be asked, else null}
  {"cmd": "quit"}
Its node objects are kept from walk to walk: "press" acts on the object read under that
name the last time it was seen, even when the tree no longer lists it, as a screen reader
acts on the object it announced.
"""
import json
import os
import select
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
INTERVAL = 0.1
EVENTS = ["object:state-changed", "object:children-changed", "object:property-change",
          "object:visible-data-changed", "object:bounds-changed", "focus:", "window:"]


class AtspiClient:
    """The scenario's handle on the persistent client process."""

    def __init__(self, run, app_name="Quaylight"):
        import quaylight_e2e as e2e
        self._e2e = e2e
        self.log = open(os.path.join(run.dir, "atspi-client.log"), "w")
        self.proc = subprocess.Popen([e2e.SYS_PY, os.path.abspath(__file__), app_name], env=run.env,
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=self.log, text=True,
                                     preexec_fn=e2e._child_setup)
        run.procs.append(("atspi-client", self.proc))
        e2e.ok(f"one persistent AT-SPI client up (pid {self.proc.pid})")

    def _ask(self, command):
        if self.proc.poll() is not None:
            raise self._e2e.Fail(f"the AT-SPI client exited (rc={self.proc.returncode})")
        self.proc.stdin.write(json.dumps(command) + "\n")
        self.proc.stdin.flush()
        ready, _, _ = select.select([self.proc.stdout], [], [], 60)
        line = self.proc.stdout.readline() if ready else ""
        if not line:
            raise self._e2e.Fail(f"the AT-SPI client gave no answer to {command['cmd']}")
        return json.loads(line)

    def tree(self):
        return self._ask({"cmd": "tree"})

    def press(self, name):
        return self._ask({"cmd": "press", "name": name})

    def close(self):
        if self.proc.poll() is None:
            try:
                self.proc.stdin.write(json.dumps({"cmd": "quit"}) + "\n")
                self.proc.stdin.flush()
                self.proc.wait(5)
            except (OSError, subprocess.TimeoutExpired):
                self.proc.terminate()


# ---- the client process


def _serve(app_name):
    import pyatspi  # python3-pyatspi, only for /usr/bin/python3
    from gi.repository import GLib

    sys.path.insert(0, HERE)
    from atspi_probe import walk  # noqa: E402

    counts = {"walks": 0, "events": 0}

    def on_event(_event):
        counts["events"] += 1
    # Listening is what makes the application send its events to this connection.
    pyatspi.Registry.registerEventListener(on_event, *EVENTS)
    context = GLib.MainContext.default()
    latest = {"found": False, "nodes": []}
    by_name = {}

    def read_once():
        desktop = pyatspi.Registry.getDesktop(0)
        app = None
        for i in range(desktop.childCount):
            child = desktop.getChildAtIndex(i)
            if child is not None and child.name == app_name:
                app = child
        nodes, objects = [], []
        if app is not None:
            walk(app, 0, nodes, objects=objects)
        for node, obj in zip(nodes, objects):
            if node["name"]:
                by_name[node["name"]] = obj
            read_more(obj)
        counts["walks"] += 1
        return {"found": app is not None, "nodes": nodes}

    def read_more(obj):
        """What a screen reader asks besides: where the node sits, what it relates to, what it does."""
        try:
            obj.getIndexInParent()
            obj.parent
            for relation in obj.getRelationSet():
                relation.getTarget(0)
            obj.getAttributes()
            action = obj.queryAction()
            for i in range(action.nActions):
                action.getName(i)
        except Exception:  # noqa: BLE001 - no action interface, or gone meanwhile
            pass

    def press(name):
        obj = by_name.get(name)
        if obj is None:
            return {"pressed": False, "states": [], "error": f"no object was ever read under the name {name!r}"}
        try:
            states = [pyatspi.stateToString(s) for s in obj.getState().getStates()]
            action = obj.queryAction()
            names = [action.getName(i) for i in range(action.nActions)]
            index = next((i for i, n in enumerate(names) if n.lower() in ("press", "click")), 0 if names else None)
            # A disabled control offers no action: there is nothing to press.
            pressed = index is not None and bool(action.doAction(index))
            return {"pressed": pressed, "actions": names, "states": states, "error": None}
        except Exception as e:  # noqa: BLE001 - the object may be gone
            return {"pressed": False, "states": [], "error": repr(e)}

    while True:
        try:
            latest = read_once()
        except Exception as e:  # noqa: BLE001 - a node replaced while it is read, or the app gone
            print(f"walk failed: {e!r}", file=sys.stderr, flush=True)
        while context.pending():
            context.iteration(False)
        ready, _, _ = select.select([sys.stdin], [], [], INTERVAL)
        if not ready:
            continue
        line = sys.stdin.readline()
        if not line:
            return
        command = json.loads(line)
        if command["cmd"] == "quit":
            return
        if command["cmd"] == "tree":
            answer = dict(latest, **counts)
        elif command["cmd"] == "press":
            answer = press(command["name"])
        else:
            answer = {"error": f"unknown command {command['cmd']!r}"}
        print(json.dumps(answer), flush=True)


if __name__ == "__main__":
    _serve(sys.argv[1])
