#!/usr/bin/python3
"""The panel as a screen-reader and keyboard user meets it, read the way a screen reader
reads it (AT-SPI) while one listener hears its focus events: after the first run the keys
belong to the list, not to the search field; the row the keys act on is the list's selected
and focused item, the screen reader is told when the list takes the keys and when the
selection moves, and the selection survives closing the panel and opening it again at once,
when the list has the keys again; after a search
narrows and widens the list the rows come in the order they stand on screen; a choice in the
settings says its current value, and moving through its open menu moves the focus with the
highlight."""
import json
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import quaylight_e2e as e2e  # noqa: E402
from scenario_settings import press, shown  # noqa: E402

EVENTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "atspi_events.py")


def heard(run):
    """The events the listener printed so far."""
    with open(os.path.join(run.dir, "events.log")) as f:
        lines = [json.loads(line) for line in f if line.startswith("{")]
    return lines


def focus_heard(run, role, name=None):
    """Whether the screen reader was told that an item of `role` (named `name`) has the focus."""
    return any((e.get("type") == "focus:" or (e.get("type") == "object:state-changed:focused" and e.get("detail1") == 1))
               and e.get("role") == role and (name is None or e.get("name") == name) for e in heard(run))


def node_of_pid(tree, pid):
    """The list item whose row names `pid` (the label's parent in the tree)."""
    nodes = tree["nodes"]
    for i, n in enumerate(nodes):
        if n["name"] == f"PID {pid}" and "showing" in n["states"]:
            for p in reversed(nodes[:i]):
                if p["depth"] == n["depth"] - 1:
                    return p if p["role"] == "list item" else None
    return None


def search_entry(tree):
    return next((n for n in tree["nodes"] if n["name"] in ("Search listeners", "Search agents")
                 and "showing" in n["states"]), None)


def test(run):
    first, first_port = e2e.start_own_listener(run)
    second, second_port = e2e.start_own_listener(run)
    low, high = (first, second) if first_port < second_port else (second, first)
    high_port = max(first_port, second_port)

    # A fresh first run, heard by a screen reader from the start. Opening shows every port, so
    # that agents running on the machine do not narrow the list when the panel opens again.
    run.write_settings("[text]\ndisplay.defaultFilter=all\n")
    run.start_app()
    run.spawn("events", [e2e.SYS_PY, EVENTS, e2e.APP_NAME])
    e2e.wait_for("the screen reader's listener", lambda: os.path.exists(os.path.join(run.dir, "events.log"))
                 and any(e.get("ready") for e in heard(run)))
    icon = run.docked_icon()
    run.click(icon["x"] + icon["w"] // 2, icon["y"] + icon["h"] // 2)
    panel = run.wait_panel(True, "a click on the icon")
    e2e.wait_for("AT-SPI: the launch-at-login offer", lambda: shown(run.atspi(), "Not now"))
    press(run, "Not now")
    e2e.wait_for("AT-SPI: the welcome tour", lambda: shown(run.atspi(), "Skip"))
    press(run, "Skip")

    # The first run is over: the search field does not hold the keys. (The panel opens on
    # Agents while agents run on the machine: then the list takes them once Ports shows.)
    e2e.wait_for("AT-SPI: the search field", lambda: search_entry(run.atspi()))
    e2e.stays("the search field does not hold the keys after the first run",
              lambda: "focused" not in (search_entry(run.atspi()) or {"states": []})["states"])
    press(run, "Ports view")
    e2e.wait_view_selected(run, "Ports view")
    press(run, "All ports filter")
    e2e.wait_for("AT-SPI: the list holds the keys",
                 lambda: any(n["name"] == "Listeners" and "focused" in n["states"] for n in run.atspi()["nodes"]))
    e2e.ok("after the first run the list holds the keys")
    run.key("x")  # no command of the list: typed into the search field, it would show there
    e2e.stays("a letter typed after the first run does not land in the search field",
              lambda: not (search_entry(run.atspi()) or {}).get("text"))

    # Narrowed to one of our rows, Down hands the keys to the list: that row is the selected,
    # focused item, and the screen reader is told.
    run.click(panel["x"] + 400, panel["y"] + 81)
    run.run("xdotool", "type", "--delay", "30", str(high_port))
    e2e.wait_for("AT-SPI: our row alone", lambda: node_of_pid(run.atspi(), high.pid)
                 and not node_of_pid(run.atspi(), low.pid))
    run.key("Down")
    row = e2e.wait_for("AT-SPI: our row selected and focused", lambda: (lambda n: n if n and "selected" in n["states"]
                       and "focused" in n["states"] else None)(node_of_pid(run.atspi(), high.pid)))
    e2e.ok(f"the row the keys act on is the selected, focused list item '{row['name']}'")
    e2e.wait_for("the screen reader hears the row take the focus", lambda: focus_heard(run, "list item", row["name"]))
    e2e.ok("the screen reader heard which row the keys act on")

    # The search widens again: the rows come in the order they stand on screen.
    run.click(panel["x"] + 400, panel["y"] + 81)
    run.key("ctrl+a", "BackSpace")

    def both_rows():
        tree = run.atspi()
        return tree if node_of_pid(tree, low.pid) and node_of_pid(tree, high.pid) else None
    tree = e2e.wait_for("AT-SPI: both our rows again", both_rows)
    items = [n for n in tree["nodes"] if n["role"] == "list item" and "showing" in n["states"] and n["extents"]]
    ys = [n["extents"][1] for n in items]
    e2e.check(ys == sorted(ys), f"AT-SPI: the {len(items)} rows come in screen order (y {ys[:8]}...)")
    order = [node_of_pid(tree, low.pid), node_of_pid(tree, high.pid)]
    e2e.check(tree["nodes"].index(order[0]) < tree["nodes"].index(order[1]),
              f"AT-SPI: port {min(first_port, second_port)} before port {high_port}, as on screen")
    e2e.ok("after a search narrowed and widened the list, the accessible order is the screen order")

    # The selection stayed on our row; closing and opening the panel keeps it there.
    e2e.check("selected" in node_of_pid(tree, high.pid)["states"], "the widened list keeps our row selected")
    # Opened again at once: the keys must still find the panel's widgets.
    run.key("Escape")
    run.wait_panel(False, "Escape")
    run.key("super+alt+p")
    panel = run.wait_panel(True, "Super+Alt+P")
    e2e.wait_for("keyboard focus on the panel", lambda: run.focused_window() == panel["id"])
    press(run, "Ports view")
    e2e.wait_view_selected(run, "Ports view")
    press(run, "All ports filter")
    e2e.wait_for("AT-SPI: our row still selected after reopening",
                 lambda: "selected" in (node_of_pid(run.atspi(), high.pid) or {"states": []})["states"])
    e2e.ok("reopening the panel keeps the selection on our row")

    # Moving the selection is heard too: each Down in the list announces the row it reaches.
    def row_focus_count():
        return sum(1 for e in heard(run) if e.get("type") == "focus:" and e.get("role") == "list item")
    e2e.wait_for("AT-SPI: the list holds the keys again",
                 lambda: any(n["name"] == "Listeners" and "focused" in n["states"] for n in run.atspi()["nodes"]))
    before = row_focus_count()
    run.key("Down")
    e2e.wait_for("the screen reader hears the next row", lambda: row_focus_count() > before)
    e2e.ok("moving the selection announces the row it reaches")

    # A choice says its value; moving through its open menu moves the focus.
    press(run, "Settings", "push button")
    size = e2e.wait_for("AT-SPI: the Row size choice", lambda: shown(run.atspi(), "Row size", "combo box"))
    e2e.check(size["text"] == "Comfortable", f"AT-SPI: Row size reads its value ({size['text']!r})")
    press(run, "Row size", "combo box")
    e2e.wait_for("AT-SPI: the choices", lambda: shown(run.atspi(), "Compact", "menu item"))
    run.key("Down")
    e2e.wait_for("AT-SPI: Compact highlighted and focused",
                 lambda: "focused" in (shown(run.atspi(), "Compact", "menu item") or {"states": []})["states"])
    e2e.wait_for("the screen reader hears the highlight move", lambda: focus_heard(run, "menu item", "Compact"))
    e2e.ok("the highlighted choice is the focused one, and the screen reader heard it")
    run.key("Return")
    e2e.wait_for("AT-SPI: Row size reads Compact",
                 lambda: (shown(run.atspi(), "Row size", "combo box") or {}).get("text") == "Compact")
    e2e.ok("the chosen value reads back")


if __name__ == "__main__":
    sys.exit(e2e.main(test))
