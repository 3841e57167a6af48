#!/usr/bin/python3
"""The tray icon and the panel, used the way a person does: the icon docks and reads against
the panel (3:1 or better, dark panels and light); a click on it opens the panel under it (over
it on a bottom panel) with the keyboard in it; Escape, a click elsewhere and a second click a
few pixels from the first on the icon each close it, and it stays closed; under a window
manager the panel is in no taskbar or pager and shows on every desktop, the first click after
a desktop switch opening it; Super+Alt+P opens and closes it (also with NumLock on), and
Escape works after that opening too; what a screen reader sees names every control; SIGTERM
ends the application with status 0 and removes the hook socket."""
# profiles: bare xfce lxqt tint2
import os
import re
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import quaylight_e2e as e2e  # noqa: E402

# Two presses on the icon closer than the double-click interval (400 ms) are a double
# click; the scenario leaves more time than that between presses on the same spot.
DOUBLE_CLICK_GAP = 0.5


def test(run):
    # A provider is configured, so the hook server runs and its socket exists.
    run.write_settings("[bool]\nagentConnections.claude.configured=true\n"
                       "launchAtLoginOfferCompleted=true\nquaylightOnboardingComplete=true\n")
    app = run.start_app()

    icon = run.docked_icon()
    e2e.ok(f"icon docked at {icon['x']},{icon['y']} {icon['w']}x{icon['h']}")
    cx, cy = icon["x"] + icon["w"] // 2, icon["y"] + icon["h"] // 2

    # The mark reads on the panel: its ink follows the panel, dark or light. The ink is
    # chosen once the icon is docked: wait for it rather than read the first frame.
    def readable():
        ratio, panel, ink = run.icon_contrast(icon)
        return (ratio, panel, ink) if ratio >= 3.0 else None
    ratio, panel, ink = e2e.wait_for("the icon at 3:1 or better against the panel", readable)
    e2e.ok(f"the icon reads against the {run.desktop} panel: contrast {ratio:.1f}:1 "
           f"(ink {'#%02x%02x%02x' % ink} on {'#%02x%02x%02x' % panel})")
    pictures = os.environ.get("E2E_PICTURES")
    if pictures:
        # The panel's right end, three times enlarged, pixels kept sharp.
        y, h = run.PANEL_STRIP[run.desktop]
        run.run("import", "-window", "root", "-crop", f"160x{h}+1120+{y}", "+repage", "-filter", "point", "-resize", "300%",
                os.path.join(pictures, f"tray-icon-{run.desktop}.png"), timeout=15)
    e2e.wait_for("the hook socket", lambda: os.path.exists(run.socket_path))
    e2e.ok("the hook socket exists")

    # A click opens the panel under the icon, with the keyboard in it.
    run.click(cx, cy)
    panel = run.wait_panel(True, "a click on the icon")
    if cy < 400:
        gap, where = panel["y"] - (icon["y"] + icon["h"]), "under"
    else:  # a bottom panel: the panel opens above the icon
        gap, where = icon["y"] - (panel["y"] + panel["h"]), "over"
    e2e.check(0 <= gap <= 16 and panel["x"] <= cx < panel["x"] + panel["w"],
              f"the panel is {where} the icon (gap {gap}px, icon centre {cx} in [{panel['x']}, "
              f"{panel['x'] + panel['w']}))")
    e2e.wait_for("keyboard focus on the panel", lambda: run.focused_window() == panel["id"])
    e2e.ok("the panel has the keyboard")
    if os.environ.get("E2E_SHOTS"):
        run.screenshot("shot-panel", panel["id"])

    # What a screen reader sees: the panel showing, every control named.
    def showing_tree():
        tree = run.atspi()
        node = e2e.panel_node(tree)
        return tree if tree["found"] and node and "showing" in node["states"] else None
    tree = e2e.wait_for("AT-SPI: the application with a showing panel", showing_tree)
    e2e.ok(f"AT-SPI: application '{e2e.APP_NAME}' among {tree['apps']}")
    controls = [n for n in tree["nodes"] if n["depth"] >= 2 and n["role"] in
                ("push button", "label", "text", "check box", "radio button", "toggle button", "combo box",
                 "list", "list item", "menu item", "page tab", "slider", "spin button", "entry")]
    unnamed = [n for n in controls if not n["name"]]
    e2e.check(controls and not unnamed, f"AT-SPI: every control has a name ({len(controls)} controls, "
              f"unnamed: {[n['role'] for n in unnamed]})")
    e2e.check(any(n["role"] == "push button" and n["name"] == "Quit" for n in controls), "AT-SPI: a Quit button")

    # Escape closes it at once, and it stays closed.
    run.key("Escape")
    run.wait_panel(False, "Escape")
    e2e.stays("the panel stays closed after Escape", run.panel_window(False))

    def panel_not_showing():
        node = e2e.panel_node(run.atspi())
        return node is None or "showing" not in node["states"]
    e2e.wait_for("AT-SPI: the panel no longer showing", panel_not_showing)
    e2e.ok("AT-SPI: the panel lost the 'showing' state")

    # A click elsewhere closes it.
    time.sleep(DOUBLE_CLICK_GAP)
    run.click(cx, cy)
    run.wait_panel(True, "a second opening click")
    run.click(200, 600)
    run.wait_panel(False, "a click elsewhere")
    e2e.stays("the panel stays closed after a click elsewhere", run.panel_window(False))

    # A second click on the icon closes it (the press must not reopen it), also when it lands
    # a few pixels from the first: a StatusNotifierItem tray gives no icon geometry.
    run.click(cx, cy)
    panel = run.wait_panel(True, "a click on the icon")
    time.sleep(DOUBLE_CLICK_GAP)
    run.click(cx + 5, cy + 2)
    run.wait_panel(False, "a second click on the icon, 5 px from the first")
    e2e.stays("the panel stays closed after the second click on the icon", run.panel_window(False))

    if run.desktop != "bare":
        # Under a window manager: no task button, no pager entry, and on every desktop. The
        # taskbar is the left half of each profile's panel: it does not change when the panel opens.
        def taskbar():
            return [row[:640] for row in run.panel_pixels()]
        closed = taskbar()
        time.sleep(DOUBLE_CLICK_GAP)
        run.click(cx, cy)
        panel = run.wait_panel(True, "a click on the icon")
        e2e.stays("no task button for the panel in the taskbar", lambda: taskbar() == closed, duration=1.0)
        props = run.run("xprop", "-id", str(panel["id"]), "_NET_WM_STATE", "_NET_WM_DESKTOP").stdout
        e2e.check("_NET_WM_STATE_SKIP_TASKBAR" in props and "_NET_WM_STATE_SKIP_PAGER" in props,
                  f"the panel skips taskbars and pagers ({' '.join(props.split())})")
        e2e.check(re.search(r"_NET_WM_DESKTOP\(CARDINAL\) = 4294967295", props),
                  "the panel is on every desktop (_NET_WM_DESKTOP 0xFFFFFFFF)")
        run.run("xdotool", "set_desktop", "1")
        e2e.wait_for("desktop 1", lambda: "= 1" in run.run("xprop", "-root", "_NET_CURRENT_DESKTOP").stdout)
        e2e.stays("the open panel stays on screen after a desktop switch", run.panel_window(True), duration=0.5)
        # The panel showed on this desktop too, so the first click closes it, and the next opens it.
        time.sleep(DOUBLE_CLICK_GAP)
        run.click(cx, cy)
        run.wait_panel(False, "the first click on the icon after a desktop switch")
        time.sleep(DOUBLE_CLICK_GAP)
        run.click(cx, cy)
        panel = run.wait_panel(True, "the next click")
        e2e.wait_for("keyboard focus on the panel on desktop 1", lambda: run.focused_window() == panel["id"])
        run.key("Escape")
        run.wait_panel(False, "Escape")
        run.run("xdotool", "set_desktop", "0")
        e2e.ok("after a desktop switch the panel is on screen and the icon toggles it")

    # The global shortcut opens and closes it; Escape works after that opening too.
    run.key("super+alt+p")
    panel = run.wait_panel(True, "Super+Alt+P")
    e2e.wait_for("keyboard focus on the panel after Super+Alt+P", lambda: run.focused_window() == panel["id"])
    run.key("Escape")
    run.wait_panel(False, "Escape after Super+Alt+P")
    run.key("super+alt+p")
    panel = run.wait_panel(True, "Super+Alt+P again")
    e2e.wait_for("keyboard focus on the panel", lambda: run.focused_window() == panel["id"])
    run.key("super+alt+p")
    run.wait_panel(False, "Super+Alt+P while open")
    e2e.stays("the panel stays closed after Super+Alt+P", run.panel_window(False))

    run.key("Num_Lock")
    e2e.check(re.search(r"Num Lock:\s+on", run.run("xset", "q").stdout), "NumLock is on")
    run.key("super+alt+p")
    run.wait_panel(True, "Super+Alt+P with NumLock on")
    run.key("super+alt+p")
    run.wait_panel(False, "Super+Alt+P with NumLock on, while open")
    run.key("Num_Lock")

    # SIGTERM: the termination order runs, the socket goes, status 0.
    app.send_signal(signal.SIGTERM)
    try:
        rc = app.wait(e2e.TIMEOUT)
    except subprocess.TimeoutExpired:
        raise e2e.Fail("the application did not exit after SIGTERM")
    e2e.check(rc == 0, f"exit status after SIGTERM is {rc}")
    e2e.check(not os.path.lexists(run.socket_path), "the hook socket is gone")


if __name__ == "__main__":
    sys.exit(e2e.main(test))
