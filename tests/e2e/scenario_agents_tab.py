#!/usr/bin/python3
"""The Agents tab lists an agent and stops it, the way a person does it: a shell of the
test's own under the executable name "codex", whose child listens on 127.0.0.1, shows as a
row of the open panel's Agents tab (found by its PID in the accessibility tree); a click
opens the row, its Stop button raises the card naming that PID, and Return ends the agent.

The machine may run other agents: the scenario acts only on the row and the card that name
the test's own PID. It never signals anything itself."""
import os
import shutil
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import quaylight_e2e as e2e  # noqa: E402

# Listens until its parent (the agent) is gone.
LISTENER = r"""
import os, socket, time
s = socket.socket()
s.bind(("127.0.0.1", 0))
s.listen(4)
parent = os.getppid()
while os.getppid() == parent:
    time.sleep(0.2)
"""


def node(tree, predicate):
    return next((n for n in tree["nodes"] if predicate(n["name"] or "") and "showing" in n["states"]), None)


def centre(found):
    x, y, w, h = found["extents"]
    return x + w // 2, y + h // 2


def start_codex_like(run, then):
    """A shell under the executable name "codex" whose child listens on 127.0.0.1; `then`
    follows the listener in the shell's command line."""
    codex = os.path.join(run.dir, "codex")
    shutil.copy("/bin/dash", codex)
    script = os.path.join(run.dir, "listener.py")
    with open(script, "w") as f:
        f.write(LISTENER)
    return run.spawn("agent", [codex, "-c", f"{e2e.SYS_PY} {script}{then}"])


def test(run):
    run.write_settings("[bool]\nlaunchAtLoginOfferCompleted=true\nquaylightOnboardingComplete=true\n"
                       "walkthroughCompleted=true\n")
    # The trailing command keeps the shell alive as the listener's parent.
    agent = start_codex_like(run, "; exit 0")
    e2e.ok(f"agent-like process {agent.pid} (codex) with a listening child")

    run.start_app()
    icon = run.docked_icon()
    run.click(icon["x"] + icon["w"] // 2, icon["y"] + icon["h"] // 2)
    panel = run.wait_panel(True, "a click on the icon")
    # The Agents segment, right of "Ports" in the bar under the header.
    run.click(panel["x"] + 102, panel["y"] + 81)
    e2e.wait_view_selected(run, "Agents view")

    pid_text = f"PID {agent.pid},"
    row = e2e.wait_for("AT-SPI: a row naming the agent's PID",
                       lambda: node(run.atspi(), lambda name: name.startswith("Codex, ") and pid_text in name))
    e2e.ok(f"the Agents tab lists it: {row['name']}")
    chip = node(run.atspi(), lambda name: name.startswith("Codex agents filter, "))
    e2e.check(chip is not None and not chip["name"].endswith(", 0 agents"), "the Codex chip counts it")

    run.click(*centre(row))
    stop = e2e.wait_for("AT-SPI: the row's Stop button",
                        lambda: node(run.atspi(), lambda name: name == f"Stop Codex agent, PID {agent.pid}"))
    run.click(*centre(stop))
    card = e2e.wait_for("AT-SPI: the card naming the agent",
                        lambda: node(run.atspi(), lambda name: name.startswith("Stop Codex agent")
                                     and name.endswith(f"(PID {agent.pid})?")))
    e2e.check(agent.poll() is None, f"the card asks '{card['name']}' while the agent still runs")
    run.key("Return")
    e2e.wait_for("the agent ended", lambda: agent.poll() is not None)
    e2e.ok(f"Return stopped the agent (status {agent.returncode})")


if __name__ == "__main__":
    sys.exit(e2e.main(test))
