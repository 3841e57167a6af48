#!/usr/bin/python3
"""A row's action menu stops a listener: a listener of the test's own on 127.0.0.1 appears
as a row in the open panel; a right click on the row opens its menu, which takes the keys;
Up (round from the first item to the last) and Up again reach "Kill Process…", Return
raises the card naming exactly that process, and Return there ends it.

The machine may hold many other listeners (of the same user, or of root in CI): the
scenario opens the menu only once the accessibility tree shows that one row alone, and
confirms only once the card names the test's own PID. It never signals anything itself."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import quaylight_e2e as e2e  # noqa: E402

KILL = "Kill Process\u2026"


def test(run):
    listener, port, panel, tree = e2e.open_on_own_listener(run)

    # A right click in the middle of the row's PID text, which leaves the click to its row.
    pid_node = e2e.showing(tree, f"PID {listener.pid}")[0]
    x, y, w, h = pid_node["extents"]
    run.run("xdotool", "mousemove", str(x + w // 2), str(y + h // 2), "click", "3")

    menu_name = f"on port {port}"

    def menu_with_keys():
        nodes = run.atspi()["nodes"]
        menu = next((n for n in nodes if (n["name"] or "").startswith("Actions for ")
                     and (n["name"] or "").endswith(menu_name) and "showing" in n["states"]
                     and "focused" in n["states"]), None)
        return menu if menu and any(n["name"] == KILL and "showing" in n["states"] for n in nodes) else None
    menu = e2e.wait_for("AT-SPI: the row's action menu, holding the keys", menu_with_keys)
    e2e.ok(f"the menu is open: {menu['name']}")
    if os.environ.get("E2E_SHOTS"):
        run.screenshot("shot-menu", panel["id"])

    # The destructive items close the menu: Up wraps to "Force Kill…", the next Up is "Kill Process…".
    run.key("Up")
    run.key("Up")
    run.key("Return")
    e2e.wait_kill_card(run, listener.pid)
    e2e.check(listener.poll() is None, "the listener still runs while the card asks")
    e2e.check(not any(n["name"] == KILL and "showing" in n["states"] for n in run.atspi()["nodes"]),
              "the menu closed when its item ran")

    e2e.confirm_kill_card(run, listener, "the menu's Kill Process")


if __name__ == "__main__":
    sys.exit(e2e.main(test))
