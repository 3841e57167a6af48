#!/usr/bin/python3
"""The Ports list stops a listener, the way a person does it: a listener of the test's own
on 127.0.0.1 appears as a row in the open panel; typing its port into the search field
leaves that one row; k raises the card naming exactly that process; Return ends it.

The machine may hold many other listeners (of the same user, or of root in CI): the
scenario presses k only once the accessibility tree shows that one row alone, and Return
only once the card names the test's own PID. It never signals anything itself."""
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import quaylight_e2e as e2e  # noqa: E402

LISTENER = r"""
import socket, sys
s = socket.socket()
s.bind(("127.0.0.1", 0))
s.listen(4)
print(s.getsockname()[1], flush=True)
sys.stdin.read()
"""


def showing(tree, name):
    return [n for n in tree["nodes"] if n["name"] == name and "showing" in n["states"]]


def test(run):
    # First run done; the list starts on all ports (not the agent filter).
    run.write_settings("[bool]\nlaunchAtLoginOfferCompleted=true\nquaylightOnboardingComplete=true\n"
                       "walkthroughCompleted=true\n[text]\ndisplay.defaultFilter=all\n")
    listener = subprocess.Popen([e2e.SYS_PY, "-c", LISTENER], env=run.env, stdin=subprocess.PIPE,
                                stdout=subprocess.PIPE, text=True, preexec_fn=e2e._child_setup)
    run.procs.append(("listener", listener))
    open(os.path.join(run.dir, "listener.log"), "w").close()
    port = int(listener.stdout.readline())
    e2e.ok(f"listener {listener.pid} on 127.0.0.1:{port}")

    run.start_app()
    icon = run.docked_icon()
    run.click(icon["x"] + icon["w"] // 2, icon["y"] + icon["h"] // 2)
    panel = run.wait_panel(True, "a click on the icon")
    e2e.wait_for("keyboard focus on the panel", lambda: run.focused_window() == panel["id"])
    e2e.ok("the panel is open with the keyboard in it")

    # The panel opens on Agents while agents run on the machine: the Ports segment (left in
    # the bar under the header) first. Then into the search field (right of the mode switch)
    # and the port: the list narrows to the one row of that port.
    run.click(panel["x"] + 42, panel["y"] + 81)
    e2e.wait_for("AT-SPI: the Ports view selected", lambda: any(
        n["name"] == "Ports view" and "checked" in n["states"] for n in run.atspi()["nodes"]))
    run.click(panel["x"] + 400, panel["y"] + 81)
    run.run("xdotool", "type", "--delay", "30", str(port))

    def only_our_row():
        tree = run.atspi()
        pids = [n["name"] for n in tree["nodes"]
                if re.fullmatch(r"PID \d+", n["name"] or "") and "showing" in n["states"]]
        return tree if pids == [f"PID {listener.pid}"] and showing(tree, str(port)) else None
    e2e.wait_for("AT-SPI: the listener's row, and no other", only_our_row)
    e2e.ok(f"AT-SPI: one row, port {port}, PID {listener.pid}")

    # Down hands the keys to the list, whose first (only) row is selected; k asks first.
    run.key("Down")
    run.key("k")

    def card():
        tree = run.atspi()
        return next((n for n in tree["nodes"] if (n["name"] or "").startswith("Kill ")
                     and (n["name"] or "").endswith(f"(PID {listener.pid})?") and "showing" in n["states"]), None)
    found = e2e.wait_for("AT-SPI: the kill card naming the listener", card)
    e2e.ok(f"the card asks: {found['name']}")
    if os.environ.get("E2E_SHOTS"):
        run.screenshot("shot-card", panel["id"])
    e2e.check(listener.poll() is None, "the listener still runs while the card asks")

    run.key("Return")
    e2e.wait_for("the listener ended", lambda: listener.poll() is not None)
    e2e.ok(f"Return stopped the listener (status {listener.returncode})")

    def card_gone():
        tree = run.atspi()
        return tree["found"] and not any((n["name"] or "").startswith("Kill ") and "showing" in n["states"]
                                         for n in tree["nodes"])
    e2e.wait_for("AT-SPI: the card is gone", card_gone)
    e2e.ok("the card is gone")


if __name__ == "__main__":
    sys.exit(e2e.main(test))
