#!/usr/bin/python3
"""Launching Quaylight again while it runs (from the application menu or a terminal) opens the
running one's panel, as a click on its icon would, with the keyboard in it; the second launch
prints "Quaylight is already running." and exits 0, and the first keeps running. Launched
again while the panel is open, the panel stays open."""
# profiles: bare xfce
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import quaylight_e2e as e2e  # noqa: E402


def launch_again(run):
    try:
        r = subprocess.run([run.app_path], env=dict(run.env, QT_QPA_PLATFORM="xcb"), capture_output=True,
                           text=True, timeout=e2e.TIMEOUT)
    except subprocess.TimeoutExpired:
        raise e2e.Fail("the second launch did not exit")
    e2e.check(r.returncode == 0 and r.stderr == "Quaylight is already running.\n",
              f"the second launch says so and exits 0 (rc {r.returncode}, {r.stderr!r})")


def test(run):
    run.write_settings("[bool]\nlaunchAtLoginOfferCompleted=true\nquaylightOnboardingComplete=true\n"
                       "walkthroughCompleted=true\n")
    app = run.start_app()
    run.docked_icon()
    e2e.stays("the panel is closed after the start", run.panel_window(False), duration=0.3)

    launch_again(run)
    panel = run.wait_panel(True, "a second launch")
    e2e.wait_for("keyboard focus on the panel", lambda: run.focused_window() == panel["id"])
    e2e.ok("a second launch opened the panel with the keyboard in it")

    launch_again(run)
    e2e.stays("the panel stays open after another launch", run.panel_window(True), duration=0.5)
    e2e.check(app.poll() is None, "the first instance still runs")
    run.key("Escape")
    run.wait_panel(False, "Escape")


if __name__ == "__main__":
    sys.exit(e2e.main(test))
