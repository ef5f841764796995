#!/usr/bin/python3
"""Corvane's tray icon against real tray hosts, the real program under Xvfb with openbox.

- sni: a StatusNotifierItem watcher owns org.kde.StatusNotifierWatcher on the session bus
  (sni_watcher.py). Corvane registers its item there; the item's picture is the live rose
  (the profile's current colour, and a new picture when the counters change); its menu holds
  Restore, Minimize, About... and Exit; minimising hides the window and two activations (two
  clicks) bring it back.
- xembed: trayer is the X tray (_NET_SYSTEM_TRAY_S0). Corvane's icon is embedded in it and
  shows the rose; a right-click on it opens the same menu (read through the accessibility
  bus); minimising hides the window, a double-click on the icon brings it back, and two single
  clicks slower than a double-click do it again.
- none: no tray at all. Minimising with Enable In Tray on minimises as usual: the window is
  iconic, not withdrawn, and comes back when activated.

usage: tray_e2e.py CORVANE OUTPUT_FOLDER
Each case runs on its own private session bus (dbus-run-session) and X server; pictures stay
in OUTPUT_FOLDER. Skipped (77) only when the tools are not installed."""

import os
import select
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
import profile_file  # noqa: E402
import x11_session as x11  # noqa: E402

FIXTURE_TREE = os.path.join(HERE, "..", "fixtures", "proc", "snapshot_a")
CURRENT = (255, 40, 40)
MEMORY_KB = 1_000_000
AXES = [("Available", "\\Memory\\Available MBytes", MEMORY_KB / 1024, MEMORY_KB / 1024 * 0.9),
        ("Committed", "\\Memory\\% Committed Bytes In Use", 100, 90),
        ("Cached", "\\Memory\\Cache Bytes", MEMORY_KB * 1024, MEMORY_KB * 1024 * 0.9),
        ("Free", "\\Memory\\Available Bytes", MEMORY_KB * 1024, MEMORY_KB * 1024 * 0.9)]
MENU = ["Restore", "Minimize", "About...", "Exit"]
TITLE = "Tray.crvn - Corvane"

check = x11.check


def write_meminfo(root, share):
    """Rewrites proc/meminfo in place at the same length: the program keeps it open."""
    rows = [("MemTotal", MEMORY_KB), ("MemFree", int(MEMORY_KB * share)),
            ("MemAvailable", int(MEMORY_KB * share)), ("Buffers", 0),
            ("Cached", int(MEMORY_KB * share)), ("SwapTotal", 0), ("SwapFree", 0),
            ("Committed_AS", int(MEMORY_KB * (1 - share))), ("CommitLimit", MEMORY_KB)]
    text = "".join("%-16s%12d kB\n" % (name + ":", value) for name, value in rows)
    path = os.path.join(root, "proc", "meminfo")
    with open(path, "r+" if os.path.exists(path) else "w") as out:
        out.write(text)


def system_root(folder):
    root = os.path.join(folder, "system")
    shutil.copytree(FIXTURE_TREE, root, symlinks=True)
    os.remove(os.path.join(root, "proc", "meminfo"))
    with open(os.path.join(root, "proc", "sys", "vm", "overcommit_memory"), "w") as out:
        out.write("0\n")
    write_meminfo(root, 0.8)
    return root


def read_line(pipe, seconds):
    """The next line of a child's output, or "" when none comes within `seconds`."""
    ready, _, _ = select.select([pipe], [], [], seconds)
    return pipe.readline().strip() if ready else ""


def colour_count(rgb_pixels, colour, tolerance=40):
    return sum(1 for p in rgb_pixels if all(abs(a - b) <= tolerance for a, b in zip(p, colour)))


def wm_state(env, window):
    out = subprocess.run(["xprop", "-id", str(window), "WM_STATE"], env=env, capture_output=True,
                         text=True).stdout
    for word in ("Normal", "Iconic", "Withdrawn"):
        if "window state: " + word in out:
            return word
    return "none"


def visible_main(env):
    return x11.search_windows(env, "--onlyvisible", "--name", "^" + TITLE + "$")


def hidden_to_tray(env, window):
    """The window manager iconifies the window first; the program then withdraws it into the
    tray, a moment later on a loaded machine."""
    return bool(x11.poll(lambda: wm_state(env, window) in ("Withdrawn", "none")
                         and not visible_main(env), 10))


def comes_back(env):
    """The main window is shown again and still shown a second later (a second toggle would
    hide it again at once)."""
    if not x11.poll(lambda: visible_main(env), 10):
        return False
    time.sleep(1)
    return bool(visible_main(env))


def start(folder, env, processes, corvane, output, case):
    root = system_root(folder)
    profile = os.path.join(folder, "Tray.crvn")
    profile_file.write_profile(profile, axes=AXES, EnableTray=1, Interval=1,
                               CurColor=CURRENT[0] | CURRENT[1] << 8 | CURRENT[2] << 16,
                               BackColor=0x302018)
    env.update(CORVANE_SYSTEM_ROOT=root, QT_QPA_PLATFORM="xcb")
    app = processes.start([corvane, profile], env=env, stdout=subprocess.DEVNULL,
                          stderr=subprocess.PIPE, text=True)
    window = x11.wait_for(lambda: visible_main(env), 20, "the main window")
    return root, app, window[0]


# ---- StatusNotifierItem ----

def sni_case(corvane, output, env, processes, folder):
    import dbus
    watcher = processes.start(["/usr/bin/python3", os.path.join(HERE, "sni_watcher.py")],
                              env=env, stdout=subprocess.PIPE, text=True)
    check(read_line(watcher.stdout, 15) == "ready", "the watcher owns its name")
    root, app, window = start(folder, env, processes, corvane, output, "sni")
    line = read_line(watcher.stdout, 20)
    check(line.startswith("item "), "Corvane registers a StatusNotifierItem: " + line)
    if not line.startswith("item "):
        return
    service = line[len("item "):]
    bus = dbus.SessionBus()
    item = bus.get_object(service, "/StatusNotifierItem")
    props = dbus.Interface(item, dbus.PROPERTIES_IFACE)

    def pixmap():
        pixmaps = props.Get("org.kde.StatusNotifierItem", "IconPixmap")
        if not pixmaps:
            return None
        width, height, data = max(pixmaps, key=lambda p: p[0])
        data = bytes(data)  # ARGB32 in network byte order
        return width, height, [(data[i + 1], data[i + 2], data[i + 3])
                               for i in range(0, len(data), 4) if data[i] > 128]

    first = x11.wait_for(lambda: (lambda p: p if p and colour_count(p[2], CURRENT) > 3 else None)(
        pixmap()), 15, "the rose in the item's picture")
    check(colour_count(first[2], CURRENT) > 3,
          "the item's picture (%dx%d) is the rose: %d pixels in the current values' colour"
          % (first[0], first[1], colour_count(first[2], CURRENT)))
    write_meminfo(root, 0.2)
    changed = x11.poll(lambda: (lambda p: p if p and p[2] != first[2] else None)(pixmap()), 15)
    check(changed is not None, "the picture follows the counters: a new picture after they change")
    menu_path = props.Get("org.kde.StatusNotifierItem", "Menu")
    menu = dbus.Interface(bus.get_object(service, menu_path), "com.canonical.dbusmenu")
    _, layout = menu.GetLayout(0, -1, ["label", "type", "visible"])
    labels = [str(child[1].get("label", "")).replace("_", "")
              for child in layout[2] if child[1].get("type", "standard") != "separator"]
    check(labels == MENU, "the item's menu: %s" % labels)

    x11.xdotool(env, "windowminimize", window)
    check(hidden_to_tray(env, window),
          "minimising hides the window to the tray (state %s)" % wm_state(env, window))
    activate = dbus.Interface(item, "org.kde.StatusNotifierItem")
    activate.Activate(10, 10)
    time.sleep(0.15)
    activate.Activate(10, 10)
    check(comes_back(env), "two clicks on the item bring the window back")
    x11.Picture.of_window(env, None, os.path.join(output, "tray-sni.png"))


# ---- XEmbed ----

def icon_window(env, trayer):
    """Corvane's window embedded in trayer: a small viewable child of trayer's window."""
    tree = subprocess.run(["xwininfo", "-tree", "-id", trayer], env=env, capture_output=True,
                          text=True).stdout
    for line in tree.splitlines():
        words = line.split()
        if words and words[0].startswith("0x") and ("Corvane" in line or "corvane" in line):
            return words[0]
    return None


def xembed_case(corvane, output, env, processes, folder):
    import pyatspi
    x11.start_accessibility_bus(processes, env)
    processes.start(["trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
                     "--height", "32", "--SetDockType", "true", "--expand", "false",
                     "--transparent", "false", "--tint", "0xffffff"], env=env,
                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    trayer = x11.wait_for(lambda: x11.search_windows(env, "--onlyvisible", "--class", "trayer"),
                          15, "trayer's window")[0]
    time.sleep(0.5)
    env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
    root, app, window = start(folder, env, processes, corvane, output, "xembed")
    menus = x11.MenuWatch(pyatspi, app.pid)
    icon = x11.poll(lambda: icon_window(env, trayer), 15)
    check(icon is not None, "Corvane's icon is embedded in trayer (window %s)" % icon)
    if icon is None:
        return
    picture = x11.poll(lambda: (lambda p: p if p.count_near(CURRENT, 40) > 3 else None)(
        x11.Picture.of_window(env, icon)), 15)
    shot = x11.Picture.of_window(env, icon, os.path.join(output, "tray-xembed-icon.png"))
    check(picture is not None, "the embedded icon (%dx%d) shows the rose: %d pixels in the "
          "current values' colour" % (shot.width, shot.height, shot.count_near(CURRENT, 40)))
    x11.Picture.of_window(env, None, os.path.join(output, "tray-xembed.png"))

    ix, iy, iw, ih = x11.window_geometry(env, icon)
    x11.xdotool(env, "mousemove", ix + iw // 2, iy + ih // 2)
    x11.xdotool(env, "click", "3")
    labels = x11.poll(menus.labels, 10)
    check(labels == MENU, "a right-click on the icon opens its menu: %s" % labels)
    x11.xdotool(env, "key", "Escape")
    time.sleep(0.5)

    x11.xdotool(env, "windowminimize", window)
    check(hidden_to_tray(env, window),
          "minimising hides the window to the tray (state %s)" % wm_state(env, window))
    x11.xdotool(env, "mousemove", ix + iw // 2, iy + ih // 2)
    x11.xdotool(env, "click", "--repeat", "2", "--delay", "80", "1")
    check(comes_back(env),
          "a double-click on the icon brings the window back")
    x11.xdotool(env, "windowminimize", window)
    x11.wait_for(lambda: not visible_main(env), 10, "hidden again")
    time.sleep(0.8)
    # Slower than a double-click (400 ms), within the two-click time (500 ms).
    x11.xdotool(env, "mousemove", ix + iw // 2, iy + ih // 2, "click", "--repeat", "2",
                "--delay", "430", "1")
    check(comes_back(env),
          "two single clicks on the icon bring the window back")


# ---- No tray ----

def none_case(corvane, output, env, processes, folder):
    root, app, window = start(folder, env, processes, corvane, output, "none")
    time.sleep(1)
    x11.xdotool(env, "windowminimize", window)
    state = x11.poll(lambda: wm_state(env, window) == "Iconic" and "Iconic", 10)
    check(state == "Iconic", "without a tray, minimising minimises: the window is iconic (%s)"
          % wm_state(env, window))
    time.sleep(1)
    check(wm_state(env, window) == "Iconic", "and stays iconic, not hidden to a missing tray")
    x11.xdotool(env, "windowactivate", window)
    check(bool(x11.poll(lambda: visible_main(env), 10)),
          "activating it brings it back")


CASES = {"sni": sni_case, "xembed": xembed_case, "none": none_case}


def inner(case, corvane, output):
    with x11.session("corvane-tray-") as (processes, folder, env):
        x11.start_display(processes, env, for_this_process=True)
        print("case " + case, flush=True)
        CASES[case](corvane, output, env, processes, folder)
    return x11.status()


def main():
    if len(sys.argv) == 5 and sys.argv[1] == "--inner":
        return inner(sys.argv[2], sys.argv[3], sys.argv[4])
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    corvane, output = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    skipped = x11.skip_for(
        x11.missing_tools(["Xvfb", "openbox", "xdotool", "xprop", "xwininfo", "xwd", "trayer",
                           "dbus-run-session", x11.CONVERT, x11.AT_SPI_LAUNCHER]) +
        x11.missing_modules([("pyatspi", "python3-pyatspi"), ("dbus", "python3-dbus"),
                             ("gi", "python3-gi")]))
    if skipped is not None:
        return skipped
    os.makedirs(output, exist_ok=True)
    return x11.run_cases(__file__, CASES, "CORVANE_TRAY_CASES", corvane, output)


if __name__ == "__main__":
    sys.exit(main())
