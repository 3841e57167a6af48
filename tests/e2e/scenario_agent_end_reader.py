#!/usr/bin/python3
"""The panel read by one persistent screen-reader connection while it changes under it.

One AT-SPI client (atspi_client.py) stays connected for the whole run and walks the tree
every ~100 ms, as a screen reader does. An agent-like process of the test's own (a shell
under the executable name "codex" whose child listens on 127.0.0.1) shows as a row of the
Agents tab; a click opens the row's details and its Stop button raises the card.

While the card is up, nothing outside it may be showing and enabled for the reader, and
the reader's press on "Settings" (an object it read before the card came) must do nothing.
Return then ends the agent: its row turns into the finished row and, half a minute later,
leaves the list, each time retiring widgets the reader has read. The reader keeps walking
for 35 s; the application must live through it and the row must read "finished".

The machine may run other agents: the scenario acts only on the row and the card that name
the test's own PID. It never signals anything itself."""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import quaylight_e2e as e2e  # noqa: E402
from atspi_client import AtspiClient  # noqa: E402
# The agent's listening child, the same as the Agents scenario's; here the agent itself
# spins, so that the activity tracker counts it as a working session, which leaves a
# finished row when it ends.
from scenario_agents_tab import centre, start_codex_like  # noqa: E402

READ_AFTER_END = 35.0
# The tracker sees a new process on its next tick and needs a second look before it counts
# the run; its calm cadence is 5 s.
TRACKING = max(e2e.TIMEOUT, 30)
COUNTED_LINE = "No screen has a notch, so the Tidewatch wings stay hidden"


def log_of(run, name):
    with open(os.path.join(run.dir, name + ".log"), errors="replace") as f:
        return f.read()


def showing(tree, predicate):
    return next((n for n in tree["nodes"] if predicate(n["name"] or "") and "showing" in n["states"]), None)


def subtree(nodes, index):
    """The node at `index` and every node under it (the walk lists a subtree in one run)."""
    depth = nodes[index]["depth"]
    end = index + 1
    while end < len(nodes) and nodes[end]["depth"] > depth:
        end += 1
    return nodes[index:end]


def reachable_outside_card(tree, card):
    """Nodes outside the card a reader could act on: showing, enabled and no ancestor of it."""
    nodes = tree["nodes"]
    at = next(i for i, n in enumerate(nodes) if n is card)
    inside = {id(n) for n in subtree(nodes, at)}
    # Its ancestors: the nearest shallower node before it, again and again.
    depth = nodes[at]["depth"]
    for n in reversed(nodes[:at]):
        if n["depth"] < depth:
            inside.add(id(n))
            depth = n["depth"]
    return [f"{n['role']} {n['name']!r}" for n in nodes if id(n) not in inside
            and "showing" in n["states"] and ("enabled" in n["states"] or "sensitive" in n["states"])]


def test(run):
    run.write_settings("[bool]\nlaunchAtLoginOfferCompleted=true\nquaylightOnboardingComplete=true\n"
                       "walkthroughCompleted=true\ndisplay.showAgentActivity=true\n")
    agent = start_codex_like(run, " & while :; do :; done")
    e2e.ok(f"agent-like process {agent.pid} (codex, busy) with a listening child")

    client = AtspiClient(run)
    run.start_app()
    icon = run.docked_icon()
    pid_text = f"PID {agent.pid},"

    def open_working_row():
        """The panel open on the Agents tab with the agent's row reading "working", or None:
        the tracker rests while the panel is open, so it is closed again for it to look."""
        run.click(icon["x"] + icon["w"] // 2, icon["y"] + icon["h"] // 2)
        panel = run.wait_panel(True, "a click on the icon")
        # The Agents segment, right of "Ports" in the bar under the header.
        run.click(panel["x"] + 102, panel["y"] + 81)
        e2e.wait_for("the reader: the Agents view selected", lambda: any(
            n["name"] == "Agents view" and "checked" in n["states"] for n in client.tree()["nodes"]))
        row = e2e.wait_for("the reader: the agent's row", lambda: showing(
            client.tree(), lambda name: name.startswith("Codex, ") and pid_text in name))
        if row["name"].startswith("Codex, working"):
            return panel, row
        run.key("Escape")
        run.wait_panel(False, "Escape")
        return None
    # The application logs once that a session counts (there is no notch to show it on).
    e2e.wait_for("the tracker counting a session", lambda: COUNTED_LINE in log_of(run, "app"), timeout=TRACKING)
    # The panel closed between two looks leaves the tracker time for the next one.
    panel, row = e2e.wait_for("the reader: the agent's row reading working", open_working_row, timeout=2 * TRACKING,
                              interval=6)
    e2e.ok(f"the reader reads the row: {row['name']}")
    settings = showing(client.tree(), lambda name: name == "Settings")
    e2e.check(settings is not None and "enabled" in settings["states"], "the reader reads an enabled Settings button")

    # The row opened: its details (and their Stop button) are what the reader walks now.
    run.click(*centre(row))
    stop_name = f"Stop Codex agent, PID {agent.pid}"
    stop = e2e.wait_for("the reader: the open row's Stop button",
                        lambda: showing(client.tree(), lambda name: name == stop_name))
    run.click(*centre(stop))

    def card_up():
        tree = client.tree()
        card = showing(tree, lambda name: name.startswith("Stop Codex agent") and name.endswith(f"(PID {agent.pid})?"))
        return (tree, card) if card else None
    tree, card = e2e.wait_for("the reader: the card naming the agent", card_up)
    e2e.ok(f"the card asks: {card['name']}")
    # The column under the card leaves the reader's tree with the card's arrival.
    def shielded():
        up = card_up()
        if up is None:
            return None
        reachable = reachable_outside_card(*up)
        if reachable:
            raise e2e.Fail(f"outside the card: {', '.join(reachable[:12])}")
        return up
    tree, card = e2e.wait_for("the reader: nothing outside the card showing and enabled", shielded)
    e2e.ok(f"nothing outside the card is showing and enabled ({len(tree['nodes'])} nodes read)")

    pressed = client.press("Settings")
    e2e.check(not pressed["error"] and "enabled" not in pressed["states"],
              f"the reader's press on the Settings it read before does nothing ({pressed})")
    # Two more whole walks after the press: the card still asks, no settings opened behind it.
    walks = client.tree()["walks"]
    after = e2e.wait_for("two walks after the press", lambda: (lambda t: t if t["walks"] >= walks + 2 else None)(
        client.tree()))
    e2e.check(showing(after, lambda name: name == card["name"]) is not None
              and not any(n["name"] == "Close Settings" for n in after["nodes"]),
              "the card still asks and no settings opened behind it")
    e2e.check(agent.poll() is None, "the agent still runs while the card asks")

    run.key("Return")
    e2e.wait_for("the agent ended", lambda: agent.poll() is not None)
    ended = time.monotonic()
    e2e.ok(f"Return stopped the agent (status {agent.returncode})")

    finished = None
    walks = client.tree()["walks"]
    while time.monotonic() - ended < READ_AFTER_END:
        if run.app.poll() is not None:
            raise e2e.Fail(f"the application died {time.monotonic() - ended:.1f}s after the agent ended "
                           f"(status {run.app.returncode})")
        tree = client.tree()
        finished = finished or showing(tree, lambda name: name.startswith("Codex, finished") and pid_text in name)
        time.sleep(0.2)
    tree = client.tree()
    e2e.check(run.app.poll() is None, f"the application is alive {READ_AFTER_END:g}s after the agent ended")
    # At least a walk every two seconds all along: the sanitized application answers a whole
    # walk in about a second and a half on a busy machine, the plain one some four times a second.
    e2e.check(tree["found"] and tree["walks"] > walks + READ_AFTER_END / 2,
              f"the one client kept reading: {tree['walks'] - walks} walks, {tree['events']} events heard")
    e2e.check(finished is not None, f"the row read finished: {finished and finished['name']}")
    client.close()


if __name__ == "__main__":
    sys.exit(e2e.main(test))
