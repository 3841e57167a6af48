#!/usr/bin/python3
"""A tray that starts after the application, as at a login where the autostart entry wins
the race: one that speaks only StatusNotifierItem (LXQt without its XEmbed tray plugin), and
an XEmbed one (trayer). The icon shows once the tray is up, and a click on it opens the panel."""
# profiles: lxqt bare
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import quaylight_e2e as e2e  # noqa: E402


def test(run):
    run.write_settings("[bool]\nlaunchAtLoginOfferCompleted=true\nquaylightOnboardingComplete=true\n"
                       "walkthroughCompleted=true\n")
    run.start_app()
    e2e.check(not run.name_has_owner("org.kde.StatusNotifierWatcher") and not run.tray_owner(),
              "no tray host of either kind while the application starts")
    e2e.stays("the application keeps running without a tray", lambda: run.app.poll() is None, duration=1.0)

    run.start_panel(sni_only=True, baseline=False)
    if run.sni:
        e2e.check(not run.tray_owner(), "the panel's tray speaks only StatusNotifierItem (no _NET_SYSTEM_TRAY_S0)")
    icon = run.docked_icon()
    e2e.ok(f"the icon shows on the late panel at {icon['x']},{icon['y']} {icon['w']}x{icon['h']}")
    cx, cy = icon["x"] + icon["w"] // 2, icon["y"] + icon["h"] // 2
    run.click(cx, cy)
    panel = run.wait_panel(True, "a click on the icon")
    e2e.wait_for("keyboard focus on the panel", lambda: run.focused_window() == panel["id"])
    run.key("Escape")
    run.wait_panel(False, "Escape")


test.starts_panel_itself = True

if __name__ == "__main__":
    sys.exit(e2e.main(test))
