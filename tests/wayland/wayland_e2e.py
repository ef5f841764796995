#!/usr/bin/python3
"""Corvane on Wayland for real: the program on Qt's Wayland platform under weston.

- headless: weston's headless back end (pixman renderer). The window appears titled after
  its profile (the xdg_toplevel title in weston's protocol dump), paints the rose (a picture through
  weston's screenshot protocol: the profile's background at the profile's size, the current
  values' colour inside it), and its menus and dialogs work: Help > About... opens the about
  box and its OK closes it. Where the compositor put the window, against the profile's
  rectangle, is printed ("placed at").
- input: weston's X11 back end inside Xvfb, so that xdotool's pointer reaches the compositor
  as a real seat. With the caption off, dragging the diagram moves the window and dragging
  its lower right corner sizes it, both carried out by the compositor. The X screen is larger
  than weston's window: each drag enters that window from outside, the one moment weston's
  X11 back end learns where the pointer is (otherwise it adds up the motions from a position
  it may never have been told, and the press lands elsewhere, e.g. on the panel's launcher).

usage: wayland_e2e.py CORVANE OUTPUT_FOLDER
Each case runs on its own private session bus; pictures stay in OUTPUT_FOLDER. Skipped (77)
only when weston, Qt's Wayland plugin or the other tools are not installed."""

import glob
import os
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
import profile_file  # noqa: E402
import x11_session as x11  # noqa: E402

QT_WAYLAND_PLUGIN = "/usr/lib/x86_64-linux-gnu/qt6/plugins/platforms/libqwayland-generic.so"
BACK = (24, 40, 64)
CURRENT = (255, 40, 40)
LEFT, TOP, WIDTH, HEIGHT = 300, 250, 500, 400
# weston's output, and for the input case the larger X screen its window sits in at 0,0.
OUTPUT_SIZE = (1024, 768)
X_SCREEN = "1280x960x24"
OUTSIDE_OUTPUT = (1200, 900)

check = x11.check


def colorref(rgb):
    return rgb[0] | rgb[1] << 8 | rgb[2] << 16


def screenshot(env, folder, save_as):
    """The compositor's output, through weston's screenshot protocol."""
    for old in glob.glob(os.path.join(folder, "wayland-screenshot*.png")):
        os.remove(old)
    subprocess.run(["weston-screenshooter"], env=env, cwd=folder, check=True, timeout=30,
                   capture_output=True)
    taken = glob.glob(os.path.join(folder, "wayland-screenshot*.png"))[0]
    shutil.copy(taken, save_as)
    return x11.Picture.of_file(taken)


def chart_box(picture):
    """(left, top, width, height) of the background's pixels: the diagram on the screen."""
    points = picture.points(BACK)
    if len(points) < 1000:
        return None
    xs = sorted(p[0] for p in points)
    ys = sorted(p[1] for p in points)
    return (xs[0], ys[0], xs[-1] - xs[0] + 1, ys[-1] - ys[0] + 1)


def current_inside(picture, box):
    left, top, width, height = box
    return sum(1 for (x, y) in picture.points(CURRENT)
               if left <= x < left + width and top <= y < top + height)


def start_weston(processes, env, folder, backend):
    env["XDG_RUNTIME_DIR"] = os.path.join(folder, "run")
    os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700, exist_ok=True)
    socket = "corvane-test"
    processes.start(["weston", "--backend=" + backend, "--use-pixman",
                     "--width=%d" % OUTPUT_SIZE[0], "--height=%d" % OUTPUT_SIZE[1], "--socket=" + socket, "--idle-time=0", "--debug"],
                    env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    x11.wait_for(lambda: os.path.exists(os.path.join(env["XDG_RUNTIME_DIR"], socket)), 20,
                 "weston's socket")
    time.sleep(1)  # the shell's panel and background
    env["WAYLAND_DISPLAY"] = socket


def start_corvane(processes, env, folder, corvane, **settings):
    profile = os.path.join(folder, "Wayland.crvn")
    profile_file.write_profile(profile, WndLeft=LEFT, WndTop=TOP, WndRight=LEFT + WIDTH,
                               WndBottom=TOP + HEIGHT, BackColor=colorref(BACK),
                               CurColor=colorref(CURRENT), **settings)
    app_env = dict(env, QT_QPA_PLATFORM="wayland", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    app_env.pop("DISPLAY", None)
    return processes.start([corvane, profile], env=app_env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.PIPE, text=True)


def toplevel_requests(protocol, request):
    """The string arguments of every xdg_toplevel.REQUEST in weston's protocol dump."""
    found = []
    with open(protocol, errors="replace") as dump:
        for line in dump:
            at = line.find("." + request + '("')
            if "xdg_toplevel@" in line and at >= 0:
                found.append(line[at + len(request) + 3:line.rindex('")')])
    return found


def accessible(pyatspi, pid, predicate, seconds=15):
    def find():
        application = x11.accessible_application(pyatspi, pid)
        return x11.find_accessible(application, predicate) if application else None
    return x11.poll(find, seconds)


def headless_case(corvane, output, env, processes, folder):
    import pyatspi
    x11.start_accessibility_bus(processes, env)
    start_weston(processes, env, folder, "headless-backend.so")
    # Every request of every client, as weston receives it (weston --debug).
    protocol = os.path.join(folder, "protocol.log")
    processes.start(["weston-debug", "proto", "-o", protocol], env=env,
                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    x11.wait_for(lambda: os.path.exists(protocol), 10, "weston's protocol dump")
    app = start_corvane(processes, env, folder, corvane, AlwaysOntop=1)
    title = x11.poll(lambda: "Wayland.crvn - Corvane" in toplevel_requests(protocol, "set_title"),
                     15)
    check(title, "the window is titled after its profile, as the compositor hears it: %s"
          % toplevel_requests(protocol, "set_title"))
    check(toplevel_requests(protocol, "set_app_id") == ["corvane"],
          "its application id is the desktop entry's name: %s"
          % toplevel_requests(protocol, "set_app_id"))
    time.sleep(2.5)  # two samples
    picture = screenshot(env, folder, os.path.join(output, "wayland-window.png"))
    box = chart_box(picture)
    check(box is not None and box[2] == WIDTH,
          "the diagram is painted at the profile's width: %s" % (box,))
    if box is None:
        return
    check(current_inside(picture, box) > 50, "the rose's current values are drawn in it (%d "
          "pixels)" % current_inside(picture, box))
    requests = set()
    with open(protocol, errors="replace") as dump:
        for line in dump:
            if " rq xdg_toplevel@" in line:
                requests.add(line.split(" rq ", 1)[1].split("@", 1)[0] + "." +
                             line.split(".", 1)[1].split("(", 1)[0].rsplit(".", 1)[-1])
    print("always on top: with Always On Top on, the window's requests to the compositor are "
          "only %s (xdg-shell has none for stacking)" % sorted(requests), flush=True)
    print("placed at: the diagram's top left corner is at %d,%d on the screen; the profile "
          "asks for the window at %d,%d" % (box[0], box[1], LEFT, TOP), flush=True)

    about = accessible(pyatspi, app.pid, lambda n: n.getRoleName() == "menu item" and
                       n.name.replace("&", "") == "About...")
    check(about is not None, "the Help menu holds About...")
    if about is None:
        return
    # The about box is modal: the program answers the action only once the box is closed, so
    # the call is not waited for.
    pyatspi.setTimeout(1000, 15000)
    try:
        about.queryAction().doAction(0)
    except Exception:  # no reply while the box is open
        pass
    pyatspi.setTimeout(25000, 15000)
    dialog = accessible(pyatspi, app.pid, lambda n: n.getRoleName() == "dialog" and
                        n.getState().contains(pyatspi.STATE_SHOWING), 15)
    check(dialog is not None, "Help > About... opens the about box: %r"
          % (dialog.name if dialog else None))
    if dialog is None:
        return
    time.sleep(0.5)
    screenshot(env, folder, os.path.join(output, "wayland-about.png"))
    ok = x11.find_accessible(dialog, lambda n: n.getRoleName() == "push button" and
                             n.name.replace("&", "") == "OK")
    check(ok is not None, "the about box has an OK button")
    if ok is not None:
        try:
            ok.queryAction().doAction(0)
        except Exception:  # the answer of the box's closing may come late
            pass
        gone = x11.poll(lambda: accessible(pyatspi, app.pid, lambda n: n.getRoleName() == "dialog"
                                           and n.getState().contains(pyatspi.STATE_SHOWING),
                                           0.2) is None, 10)
        check(gone, "OK closes it")


def drag(env, start, delta):
    """A left-button drag, in steps, as a hand does it (the move starts after the drag
    distance). The pointer comes into weston's window from outside it, right at the start."""
    x, y = start
    x11.xdotool(env, "mousemove", *OUTSIDE_OUTPUT)
    time.sleep(0.2)
    x11.xdotool(env, "mousemove", x, y)
    time.sleep(0.2)
    x11.xdotool(env, "mousedown", "1")
    steps = 12
    for i in range(1, steps + 1):
        x11.xdotool(env, "mousemove", x + delta[0] * i // steps, y + delta[1] * i // steps)
        time.sleep(0.03)
    time.sleep(0.2)
    x11.xdotool(env, "mouseup", "1")
    time.sleep(0.8)


def input_case(corvane, output, env, processes, folder):
    x11.start_xvfb(processes, env, X_SCREEN)
    start_weston(processes, env, folder, "x11-backend.so")
    start_corvane(processes, env, folder, corvane, Caption=0)
    time.sleep(3)
    before = chart_box(screenshot(env, folder, os.path.join(output, "wayland-frameless.png")))
    check(before is not None, "the frameless window is painted: %s" % (before,))
    if before is None:
        return
    left, top, width, height = before
    drag(env, (left + width // 2, top + height // 2), (-120, -90))
    moved = chart_box(screenshot(env, folder, os.path.join(output, "wayland-moved.png")))
    check(moved is not None and (moved[0] - left, moved[1] - top) == (-120, -90) and
          moved[2:] == before[2:],
          "dragging the diagram moves the window through the compositor: %s -> %s"
          % (before, moved))
    if moved is None:
        return
    left, top, width, height = moved
    drag(env, (left + width - 2, top + height - 2), (80, 60))
    sized = chart_box(screenshot(env, folder, os.path.join(output, "wayland-sized.png")))
    check(sized is not None and sized[:2] == moved[:2] and sized[2] - width >= 60 and
          sized[3] - height >= 40,
          "dragging the lower right corner sizes it through the compositor: %s -> %s"
          % (moved, sized))


CASES = {"headless": headless_case, "input": input_case}


def inner(case, corvane, output):
    # No screenshot file (IndexError) is a failed check as well.
    with x11.session("corvane-wayland-", (AssertionError, subprocess.SubprocessError,
                                          IndexError)) as (processes, folder, env):
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
        x11.missing_tools(["weston", "weston-screenshooter", "weston-debug", "Xvfb", "xdotool",
                           "dbus-run-session", x11.CONVERT, x11.AT_SPI_LAUNCHER,
                           QT_WAYLAND_PLUGIN]) +
        x11.missing_modules([("pyatspi", "python3-pyatspi")]))
    if skipped is not None:
        return skipped
    os.makedirs(output, exist_ok=True)
    return x11.run_cases(__file__, CASES, "CORVANE_WAYLAND_CASES", corvane, output)


if __name__ == "__main__":
    sys.exit(main())
