#!/usr/bin/python3
"""Corvane as a user meets it: the real program under Xvfb with openbox, on a profile of this
test's own, driven with xdotool and read through the accessibility bus.

- The wind rose is drawn in the profile's colours: the window's picture holds the background,
  the grid and the current, average and maximum lines in their colours, each line at the
  radius its values give (the counters come from a /proc tree the test writes: high values
  for the first sample, half of them afterwards, so maximum > average > current).
- A right-click on the diagram opens the context menu, its check marks as the profile says.
- Its "Window Caption" item makes the window frameless; dragging the diagram then moves it.
- A screen reader reads the main window by its title and the menu items by their texts alone
  (no shortcut text in their names).
- With Always On Top on, a click on the About box's link takes the window out of always-on-top
  without re-creating, hiding or moving it; the setting and its check mark stay, and the window
  is on top again once it is activated.
- A double-click on the diagram brings the caption back; File -> Exit (Alt+F opens the menu,
  its Exit item is pressed through the accessibility bus) ends the program without a question
  and writes the window's new rectangle into the profile.

usage: corvane_e2e.py CORVANE OUTPUT_FOLDER
Leaves its pictures in OUTPUT_FOLDER. The user's own settings are never touched: every
settings file and XDG folder points into a temporary folder. Every process the test starts is
ended by its own id, also when a check fails."""

import math
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import x11_session as x11  # noqa: E402

FIXTURE_TREE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "fixtures", "proc",
                            "snapshot_a")

# The profile's colours, as (r, g, b); the profile stores them as 0x00BBGGRR.
BACK = (24, 32, 48)
CURRENT = (255, 80, 0)
AVERAGE = (0, 176, 255)
MAXIMUM = (224, 0, 224)
TEXT = (250, 235, 170)  # no grey: the menu bar is light grey
LINES = (96, 104, 120)
CRITICAL = (255, 216, 0)

# The window's place in the profile: frame corner and client size.
LEFT, TOP, WIDTH, HEIGHT = 90, 70, 560, 430

# Each axis shows one /proc/meminfo value on a scale that makes it `share` of the axis; byte
# counts are divided down to megabytes so that the value texts stay short.
MEMORY_KB = 1_000_000
MB = 1024 * 1024
AXES = [  # name, counter, maximum of the axis (after the multiplier), multiplier
    ("Available", "\\Memory\\Available MBytes", MEMORY_KB / 1024, 1),
    ("Available bytes", "\\Memory\\Available Bytes", MEMORY_KB / 1024, MB),
    ("Committed", "\\Memory\\Committed Bytes", 2 * MEMORY_KB / 1024, MB),
    ("Committed share", "\\Memory\\% Committed Bytes In Use", 100, 1),
    ("Cache", "\\Memory\\Cache Bytes", MEMORY_KB / 2 / 1024, MB),
]
# The critical value of each axis is at 90 % of its scale and the critical ring at 80 % of the
# radius: the values below it are drawn in proportion.
FIRST_SHARE, LATER_SHARE = 0.8, 0.4

check = x11.check


def colorref(rgb):
    return rgb[0] | rgb[1] << 8 | rgb[2] << 16


def write_meminfo(root, share):
    """Rewrites proc/meminfo in place, same length every time: the program keeps it open."""
    rows = [("MemTotal", MEMORY_KB), ("MemFree", int(MEMORY_KB * share)),
            ("MemAvailable", int(MEMORY_KB * share)), ("Buffers", 0),
            ("Cached", int(MEMORY_KB / 2 * share)), ("SwapTotal", MEMORY_KB),
            ("SwapFree", MEMORY_KB), ("Committed_AS", int(2 * MEMORY_KB * share)),
            ("CommitLimit", 2 * MEMORY_KB)]
    text = "".join("%-16s%10d kB\n" % (name + ":", value) for name, value in rows).encode()
    path = os.path.join(root, "proc", "meminfo")
    descriptor = os.open(path, os.O_RDWR | os.O_CREAT, 0o644)
    try:
        os.write(descriptor, text)
    finally:
        os.close(descriptor)


def system_root(folder):
    """A /proc and /sys tree whose memory figures the test sets."""
    root = os.path.join(folder, "system")
    shutil.copytree(FIXTURE_TREE, root, symlinks=True)
    os.remove(os.path.join(root, "proc", "meminfo"))
    with open(os.path.join(root, "proc", "sys", "vm", "overcommit_memory"), "w") as out:
        out.write("0\n")
    write_meminfo(root, FIRST_SHARE)
    return root


def write_profile(path):
    settings = [
        ("GridStep", 25), ("CriticalBorder", 80), ("ShowNames", 1), ("ShowNumbers", 0),
        ("ShowValues", 1), ("LabelTrunc", 0), ("History", 30), ("Interval", 1),
        ("AlwaysOntop", 0), ("EnableTray", 0), ("Caption", 1), ("ShowCurrent", 1),
        ("ShowAverage", 1), ("ShowMax", 1), ("CurColor", colorref(CURRENT)),
        ("AvgColor", colorref(AVERAGE)), ("MaxColor", colorref(MAXIMUM)),
        ("BackColor", colorref(BACK)), ("TextColor", colorref(TEXT)),
        ("LineColor", colorref(LINES)), ("CritColor", colorref(CRITICAL)), ("BoldCur", 1),
        ("BoldAvg", 1), ("BoldMax", 1), ("BoldCrit", 0), ("WndLeft", LEFT),
        ("WndRight", LEFT + WIDTH), ("WndTop", TOP), ("WndBottom", TOP + HEIGHT),
        ("LogMode", 0), ("LogFormat", 0), ("LogFileSize", 64)]
    text = "\r\n# CORVANE CONFIGURATION FILE. DO NOT MODIFY!\r\n\r\n"
    text += "".join("%s=%d\r\n" % item for item in settings) + "\r\n"
    for name, counter, maximum, multiplier in AXES:
        text += ("BeginAxis\r\nName=%s\r\nDesc=\r\nMinValue=0.000000\r\nMaxValue=%f\r\n"
                 "CriticalValue=%f\r\nMultiplier=%f\r\nInverse=0\r\nCounter=%s\r\n"
                 "EndAxis\r\n\r\n" % (name, maximum, maximum * 0.9, multiplier, counter))
    with open(path, "w", newline="") as out:
        out.write(text)


def read_profile(path):
    values = {}
    with open(path, newline="") as profile:
        for line in profile.read().split("\r\n"):
            name, sep, value = line.partition("=")
            if sep and name not in values:  # the settings come before the axes
                values[name] = value
    return values


def rose_radii(picture):
    """{colour: (mean distance from the rose's centre, pixels)} of the three lines' pixels
    inside the rose, and the rose's radius; None while a line is missing. The centre and the
    radius are those of the grid (rings and axes in the lines' colour); the value texts in
    the lines' colours lie outside it."""
    grid = picture.points(LINES)
    if len(grid) < 100:
        return None
    cx = sum(x for x, _ in grid) / len(grid)
    cy = sum(y for _, y in grid) / len(grid)
    outer = max(math.hypot(x - cx, y - cy) for x, y in grid)
    radii = {"radius": outer}
    for colour in (CURRENT, AVERAGE, MAXIMUM):
        distances = [d for d in (math.hypot(x - cx, y - cy) for x, y in picture.points(colour))
                     if d <= outer + 3]
        if len(distances) < 50:
            return None
        radii[colour] = (sum(distances) / len(distances), len(distances))
    return radii


def item_named(menu, name):
    for i in range(menu.childCount):
        item = menu.getChildAtIndex(i)
        if item.name == name:
            return item
    return None


def is_checked(pyatspi, item):
    return item.getState().contains(pyatspi.STATE_CHECKED)


def on_top(env, window):
    state = subprocess.run(["xprop", "-id", str(window), "_NET_WM_STATE"], env=env,
                           capture_output=True, text=True).stdout
    return "_NET_WM_STATE_ABOVE" in state


def with_shortcut_text(names):
    """The names that carry shortcut text."""
    return [name for name in names if "\t" in name or "Ctrl+" in name]


def menu_names(menu):
    return [menu.getChildAtIndex(i).name for i in range(menu.childCount)]


def about_link_keeps_always_on_top(pyatspi, env, app, menus, window, output):
    """Always On Top on through the Options menu, then the About box's link clicked."""
    x11.xdotool(env, "windowactivate", "--sync", window)
    menus.forget()
    x11.xdotool(env, "key", "alt+o")
    options = menus.wait_for_menu("Always On Top")
    if not check(options is not None, "Alt+O opens the Options menu"):
        return
    check(not with_shortcut_text(menu_names(options)), "the Options menu's items are named by their "
          "texts alone: %s" % menu_names(options))
    item_named(options, "Always On Top").queryAction().doAction(0)
    if not check(x11.poll(lambda: on_top(env, window), 10), "Always On Top puts the window "
                 "above the others (_NET_WM_STATE_ABOVE)"):
        return
    time.sleep(0.3)
    before = x11.window_geometry(env, window)

    menus.forget()
    x11.xdotool(env, "key", "alt+h")
    help_menu = menus.wait_for_menu("About...")
    if not check(help_menu is not None, "Alt+H opens the Help menu"):
        return
    check(not with_shortcut_text(menu_names(help_menu)), "the Help menu's items are named by "
          "their texts alone: %s" % menu_names(help_menu))

    def about_box():
        return x11.find_accessible(x11.accessible_application(pyatspi, app.pid),
                                   lambda n: n.name == "About Corvane"
                                   and n.getRoleName() == "dialog")
    # Its mnemonic chooses About...: pressing the item through the accessibility bus would
    # wait for the modal box to close.
    time.sleep(0.3)
    x11.xdotool(env, "key", "a")
    dialog = x11.poll(about_box, 15)
    if not check(dialog is not None, "Help -> About... opens the About box"):
        return
    link = x11.find_accessible(dialog, lambda n: n.name == "Corvane manual")
    if not check(link is not None, "the About box shows its link"):
        return
    time.sleep(0.3)
    lx, ly, lw, lh = link.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    x11.xdotool(env, "mousemove", lx + lw // 2, ly + lh // 2, "click", "1")
    check(x11.poll(lambda: not on_top(env, window), 10),
          "a click on the link takes the window out of always-on-top")
    time.sleep(0.5)
    windows = x11.search_windows(env, "--onlyvisible", "--name", "^E2E.crvn - Corvane$")
    if not check(windows == [window], "... keeping its own X window, mapped all the time "
                 "(%s, now %s)" % (window, windows)):
        return
    after = x11.window_geometry(env, window)
    x11.Picture.of_window(env, None, save_as=os.path.join(output, "corvane-about-link.png"))
    check(after == before, "... without moving or sizing it (%s, then %s)" % (before, after))

    ok = x11.find_accessible(dialog, lambda n: n.name == "OK" and n.getRoleName() == "push button")
    ok.queryAction().doAction(0)
    x11.poll(lambda: about_box() is None, 10)
    x11.xdotool(env, "windowactivate", "--sync", window)
    check(x11.poll(lambda: on_top(env, window), 10),
          "activated again, the window is back above the others")
    check(x11.window_geometry(env, window) == before, "... where it stood")

    menus.forget()
    x11.xdotool(env, "key", "alt+o")
    options = menus.wait_for_menu("Always On Top")
    if check(options is not None, "Alt+O opens the Options menu again"):
        item = item_named(options, "Always On Top")
        check(is_checked(pyatspi, item), "Always On Top is still checked after the link")
        item.queryAction().doAction(0)  # back off, as the profile has it
    check(x11.poll(lambda: not on_top(env, window), 10), "Always On Top off again")


def inner(corvane, output):
    import pyatspi  # the system's Python, under the private session bus

    with x11.session("corvane-e2e-") as (processes, folder, env):
        x11.start_display(processes, env, for_this_process=True)
        x11.start_accessibility_bus(processes, env)
        root = system_root(folder)
        profile = os.path.join(folder, "E2E.crvn")
        write_profile(profile)
        # The link's page goes to a recorder: the test's own XDG folders for programs and
        # their default applications (the others stay, for the window manager's theme).
        xdg, recorded = x11.recording_browser(os.path.join(folder, "browser"))
        env.update((name, xdg[name]) for name in ("XDG_CONFIG_HOME", "XDG_DATA_HOME"))
        env.update(CORVANE_SYSTEM_ROOT=root, QT_QPA_PLATFORM="xcb",
                   QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        app = processes.start([corvane, profile], env=env, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, text=True)
        menus = x11.MenuWatch(pyatspi, app.pid)

        window = x11.wait_for(lambda: x11.search_windows(env, "--onlyvisible", "--name",
                                                         "^E2E.crvn - Corvane$") if app.poll() is None
                              else "gone", 20, "the main window")
        check(window != "gone", "Corvane starts on the profile, window \"E2E.crvn - Corvane\"")
        if window == "gone":
            return
        window = window[0]
        frame = x11.poll(lambda: x11.find_accessible(
            x11.accessible_application(pyatspi, app.pid),
            lambda n: n.getRoleName() == "frame"), 15)
        check(frame is not None and frame.name == "E2E.crvn - Corvane",
              "a screen reader names the main window by its title (%r)"
              % (frame.name if frame else None))
        # openbox frames the window once it manages it.
        x11.poll(lambda: x11.frame_extents(env, window)[2] > 0, 5)
        time.sleep(0.3)
        x, y, w, h = x11.window_geometry(env, window)
        left, _, top, _ = x11.frame_extents(env, window)
        check((x - left, y - top, w, h) == (LEFT, TOP, WIDTH, HEIGHT),
              "the window stands at the profile's rectangle (%d,%d %dx%d)"
              % (x - left, y - top, w, h))

        # The first sample shows the high values; then the counters drop to half.
        x11.wait_for(lambda: len(x11.Picture.of_window(env, window).points(CURRENT)) > 50, 15,
                     "the first sample's lines")
        write_meminfo(root, LATER_SHARE)

        def rose():
            radii = rose_radii(x11.Picture.of_window(env, window))
            if radii and radii[CURRENT][0] + 3 < radii[AVERAGE][0] < radii[MAXIMUM][0] - 3:
                return radii
            return None
        radii = x11.poll(rose, 10, interval=0.2)
        shot = os.path.join(output, "corvane-rose.png")
        picture = x11.Picture.of_window(env, window, save_as=shot)
        counts = picture.colour_counts()
        total = picture.width * picture.height
        for name, colour in (("background", BACK), ("grid", LINES), ("critical ring", CRITICAL)):
            check(counts.get(colour, 0) > 100, "the %s is drawn in the profile's colour %s "
                  "(%d pixels)" % (name, colour, counts.get(colour, 0)))
        text = picture.count_near(TEXT, 40)
        check(text > 150, "the counters' names are written in the profile's text colour %s "
              "(%d pixels)" % (TEXT, text))
        check(counts.get(BACK, 0) > total // 3, "the background fills most of the window "
              "(%d of %d pixels)" % (counts.get(BACK, 0), total))
        check(radii is not None, "current, average and maximum lines are drawn in their colours, "
              "each at its own radius: %s" % (
                  {n: "r=%.1f px, %d px" % radii[c] for n, c in (
                      ("current", CURRENT), ("average", AVERAGE), ("maximum", MAXIMUM))}
                  if radii else rose_radii(picture)))
        if radii:
            ratio = radii[CURRENT][0] / radii[MAXIMUM][0]
            check(abs(ratio - LATER_SHARE / FIRST_SHARE) < 0.08,
                  "current at %.2f of the maximum's radius (values at %.2f)"
                  % (ratio, LATER_SHARE / FIRST_SHARE))

        # A real right-click on the diagram opens the context menu.
        cx, cy = x + w // 2, y + h // 2
        menus.forget()
        x11.xdotool(env, "mousemove", cx, cy, "click", "3")
        menu = menus.wait_for_menu("Window Caption")
        if not check(menu is not None, "a right-click on the diagram opens the context menu"):
            return
        time.sleep(0.3)
        x11.Picture.of_window(env, None, save_as=os.path.join(output, "corvane-context-menu.png"))
        marks = {name: is_checked(pyatspi, item_named(menu, name))
                 for name in ("Window Caption", "Enable In Tray", "Always On Top")}
        check(marks == {"Window Caption": True, "Enable In Tray": False, "Always On Top": False},
              "its check marks follow the profile: %s" % marks)
        check(item_named(menu, "Exit") is not None, "the context menu offers Exit")

        # Its Window Caption item, clicked, leaves a frameless window.
        item = item_named(menu, "Window Caption")
        ix, iy, iw, ih = item.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        x11.xdotool(env, "mousemove", ix + iw // 2, iy + ih // 2, "click", "1")
        frameless = x11.poll(lambda: x11.frame_extents(env, window) == (0, 0, 0, 0), 10)
        check(frameless, "Window Caption off leaves the window without a frame")
        time.sleep(0.5)
        before = x11.window_geometry(env, window)

        # A real drag on the diagram moves the window.
        bx, by, bw, bh = before
        sx, sy = bx + bw // 2, by + bh // 2
        dx, dy = 150, 90
        x11.xdotool(env, "mousemove", sx, sy, "mousedown", "1")
        for step in range(1, 11):
            x11.xdotool(env, "mousemove", sx + dx * step // 10, sy + dy * step // 10)
            time.sleep(0.03)
        x11.xdotool(env, "mouseup", "1")
        moved = x11.poll(lambda: x11.window_geometry(env, window)[:2] != before[:2], 5)
        after = x11.window_geometry(env, window)
        # The move begins once the pointer has left the start-drag distance, at the first step;
        # from there the window follows the pointer.
        check(moved and dx - dx // 10 - 3 <= after[0] - before[0] <= dx + 3
              and dy - dy // 10 - 3 <= after[1] - before[1] <= dy + 3 and after[2:] == before[2:],
              "a drag of (%d,%d) moves the frameless window from %s to %s"
              % (dx, dy, before, after))
        x11.Picture.of_window(env, None, save_as=os.path.join(output, "corvane-frameless.png"))

        # A double-click on the diagram brings the caption back.
        ax, ay, aw, ah = after
        x11.xdotool(env, "mousemove", ax + aw // 2, ay + ah // 2, "click", "--repeat", "2",
                    "--delay", "80", "1")
        check(x11.poll(lambda: x11.frame_extents(env, window)[2] > 0, 10),
              "a double-click on the diagram brings the caption back")
        time.sleep(0.5)

        about_link_keeps_always_on_top(pyatspi, env, app, menus, window, output)
        check(x11.poll(lambda: os.path.exists(recorded), 10),
              "the link reached the program for HTML pages")

        # File -> Exit on the keyboard: no question, the profile keeps the new rectangle.
        x, y, w, h = x11.window_geometry(env, window)
        left, _, top, _ = x11.frame_extents(env, window)
        x11.xdotool(env, "windowactivate", "--sync", window)
        menus.forget()
        x11.xdotool(env, "key", "alt+f")
        file_menu = menus.wait_for_menu("Save As...")
        if check(file_menu is not None, "Alt+F opens the File menu"):
            names = menu_names(file_menu)
            check("New..." in names and "Save" in names and not with_shortcut_text(names),
                  "the File menu's items are named by their texts alone: %s" % names)
            # Its Exit item pressed through the accessibility bus: a key typed while a slow
            # (sanitizer) build is still settling the menu can be lost.
            item_named(file_menu, "Exit").queryAction().doAction(0)
        try:
            app.wait(timeout=15)
        except subprocess.TimeoutExpired:
            pass
        check(app.returncode == 0, "File -> Exit ends the program at once with status 0 (%s)"
              % app.returncode)
        saved = read_profile(profile)
        rect = tuple(int(saved.get(k, "-1")) for k in ("WndLeft", "WndTop", "WndRight",
                                                       "WndBottom"))
        expected = (x - left, y - top, x - left + w, y - top + h)
        check(rect == expected, "the profile holds the window's new rectangle %s (saved %s)"
              % (expected, rect))
        check(rect[:2] != (LEFT, TOP), "... which is not the one it started with")
        check(saved.get("Caption") == "1" and saved.get("CurColor") == str(colorref(CURRENT))
              and open(profile, newline="").read().count("BeginAxis") == len(AXES),
              "the rest of the profile is kept (caption on, colours, %d axes)" % len(AXES))
        with open(env["CORVANE_USER_REGISTRY"]) as registry:
            check(profile in registry.read(), "the profile is first in the recent-file list of "
                  "the test's own settings file")
        if app.returncode is not None:
            out, err = app.communicate()
            if err.strip():
                print("Corvane's standard error:\n" + err)
    print("pictures in", output)


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "--inner":
        inner(sys.argv[2], sys.argv[3])
        return x11.status()
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    corvane, output = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    skipped = x11.skip_for(
        x11.missing_tools(["Xvfb", "openbox", "xdotool", "xprop", "xwininfo", "xwd",
                           "dbus-run-session", x11.CONVERT, x11.AT_SPI_LAUNCHER]) +
        x11.missing_modules([("pyatspi", "python3-pyatspi")]))
    if skipped is not None:
        return skipped
    os.makedirs(output, exist_ok=True)
    return x11.run_inner(__file__, corvane, output)


if __name__ == "__main__":
    sys.exit(main())
