#!/usr/bin/python3
"""The screen-top indicator, as it shows a Codex session and its end: with a simulated
200x32 notch on the 1280x800 screen and agent activity on, a busy process the tracker
counts as Codex (started here) maps the left wing at (482, 0, 70, 32) within seconds, a
screen reader reads it as "1 Codex session", and a click at its centre reaches the window
below; once the process is killed the check mark plays ("1 Codex session ended") and the
wing unmaps; the wing's window is named quaylight-notch-left. Without the variable the same
process brings the one fallback log line, and no wing ever maps; with a notch wider than
the screen the log says it was ignored and why."""
import os
import re
import shutil
import signal
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import quaylight_e2e as e2e  # noqa: E402

LEFT_WING = (482, 0, 70, 32)
WING_CENTRE = (LEFT_WING[0] + LEFT_WING[2] // 2, LEFT_WING[1] + LEFT_WING[3] // 2)
FALLBACK_LINE = ("No screen has a notch, so the Tidewatch wings stay hidden; "
                 "QUAYLIGHT_SIMULATED_NOTCH=WIDTHxHEIGHT simulates one.")
TOO_WIDE_LINE = ("QUAYLIGHT_SIMULATED_NOTCH is ignored: a 5000x32 notch does not fit inside the 1280x800 "
                 "primary screen, so the Tidewatch wings stay hidden.")
# The tracker sees a new process on its next tick and needs a second look before it
# counts the run; its calm cadence is 5 s.
TRACKING = max(e2e.TIMEOUT, 30)


def start_app(run, name, simulated_notch):
    env = {"QT_QPA_PLATFORM": "xcb", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"}
    if simulated_notch:
        env["QUAYLIGHT_SIMULATED_NOTCH"] = simulated_notch
    run.app = run.spawn(name, [run.app_path], extra_env=env)
    return run.app


def stop(process):
    process.send_signal(signal.SIGTERM)
    process.wait(10)


def busy_codex(run, name):
    """A shell that spins, under the executable name "codex"."""
    codex = os.path.join(run.dir, "codex")
    if not os.path.exists(codex):
        shutil.copy("/bin/dash", codex)
    return run.spawn(name, [codex, "-c", "while :; do :; done"])


def wings(run, app):
    """The application's mapped 70-point-wide windows: the wings."""
    found = [e2e.winfo(run, w) for w in e2e.search(run, "--all", "--pid", str(app.pid), "--class", ".")]
    return [(i["x"], i["y"], i["w"], i["h"]) for i in found if i and i["mapped"] and i["w"] == 70]


def log_of(run, name):
    with open(os.path.join(run.dir, name + ".log"), errors="replace") as f:
        return f.read()


def node_named(run, name):
    tree = run.atspi()
    return next((n for n in tree["nodes"] if n["depth"] == 1 and n["name"] == name), None)


def test(run):
    run.write_settings("[bool]\ndisplay.showAgentActivity=true\n"
                       "launchAtLoginOfferCompleted=true\nquaylightOnboardingComplete=true\n")
    # The window a click through the wing should reach.
    run.spawn("xev", ["stdbuf", "-oL", "xev", "-geometry", "1280x100+0+0", "-event", "button"])
    e2e.wait_for("the window below mapped",
                 lambda: "IsViewable" in run.run("xwininfo", "-name", "Event Tester", check=False).stdout)

    # With a simulated notch.
    app = start_app(run, "app", "200x32")
    codex = busy_codex(run, "codex")
    e2e.wait_for("the left wing mapped", lambda: LEFT_WING in wings(run, app), timeout=TRACKING)
    e2e.ok(f"the left wing maps at {LEFT_WING}")
    e2e.check(len(wings(run, app)) == 1, "no Claude Code session: the right wing stays unmapped")
    named = e2e.search(run, "--all", "--pid", str(app.pid), "--name", "^quaylight-notch-left$")
    e2e.check(any(e2e.winfo(run, w) and (lambda i: (i["x"], i["y"], i["w"], i["h"]))(e2e.winfo(run, w)) == LEFT_WING
                  for w in named), "the left wing's window is named quaylight-notch-left")
    names = run.run("xprop", "-id", str(named[0]), "WM_NAME", "_NET_WM_NAME").stdout
    e2e.check(names.count('"quaylight-notch-left"') == 2, f"WM_NAME and _NET_WM_NAME name the wing ({names.strip()})")
    node = e2e.wait_for("AT-SPI: '1 Codex session' showing",
                        lambda: (lambda n: n if n and "showing" in n["states"] else None)(
                            node_named(run, "1 Codex session")))
    e2e.check(node["role"] == "label" and "read only" in node["states"],
              f"AT-SPI: the wing is a read-only label, as a screen reader reads it ({node['role']}, {node['states']})")
    e2e.ok(f"AT-SPI: the wing reads '1 Codex session' ({node['role']})")
    run.click(*WING_CENTRE)
    e2e.wait_for("the click in the window below",
                 lambda: re.search(r"ButtonPress.*\n.*\(%d,%d\)" % WING_CENTRE, log_of(run, "xev")))
    e2e.ok("a click at the wing's centre reaches the window below")

    # The session ends: the check mark plays, then the wing goes.
    codex.kill()
    codex.wait()
    e2e.wait_for("AT-SPI: '1 Codex session ended'", lambda: node_named(run, "1 Codex session ended"),
                 timeout=TRACKING)
    e2e.ok("the check mark plays: '1 Codex session ended'")
    e2e.wait_for("the left wing unmapped", lambda: not wings(run, app), timeout=TRACKING)
    e2e.ok("the wing unmaps after the check mark")
    stop(app)

    # Without the variable.
    app = start_app(run, "app-plain", None)
    codex = busy_codex(run, "codex-plain")
    e2e.wait_for("the fallback line", lambda: FALLBACK_LINE in log_of(run, "app-plain"), timeout=TRACKING)
    e2e.ok("the fallback is logged once a session counts")
    e2e.stays("no wing maps without the variable", lambda: not wings(run, app), duration=3)
    e2e.check(log_of(run, "app-plain").count(FALLBACK_LINE) == 1, "the fallback line is logged once")
    codex.kill()
    codex.wait()
    stop(app)

    # A notch wider than the screen: ignored, and the log says why.
    app = start_app(run, "app-wide", "5000x32")
    codex = busy_codex(run, "codex-wide")
    e2e.wait_for("the line naming the ignored notch", lambda: TOO_WIDE_LINE in log_of(run, "app-wide"),
                 timeout=TRACKING)
    e2e.ok("a notch that does not fit is logged as ignored, with both sizes")
    e2e.check(FALLBACK_LINE not in log_of(run, "app-wide"), "and not as a missing notch")
    e2e.check(not wings(run, app), "no wing maps for a notch that does not fit")
    codex.kill()
    codex.wait()
    stop(app)


if __name__ == "__main__":
    sys.exit(e2e.main(test))
