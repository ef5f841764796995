#!/usr/bin/python3
"""The about box as a user meets it: a real X server (Xvfb) with openbox, the about box over an
always-on-top main window, read through the accessibility bus, its link clicked with xdotool.
The link must reach the desktop's HTML program (a recorder of the test's own) with the
manual's address, and take the main window out of always-on-top; OK must close the box.

usage: about_box_e2e.py HELP_PROBE SCREENSHOT.png
Every process the test starts is ended by its id, also when a check fails."""

import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
from x11_session import (Processes, accessible_application, find_accessible as find,  # noqa: E402
                         missing_tools, recording_browser, start_display, wait_for)


def inner(probe, screenshot):
    import pyatspi  # only under the private session bus

    processes = Processes()
    root = tempfile.mkdtemp(prefix="corvane-about-e2e-")
    try:
        env = dict(os.environ)
        # openbox finds its theme through the machine's XDG folders, so it starts before the
        # test's own folders are put in place.
        start_display(processes, env)
        xdg, recorded = recording_browser(root)
        env.update(xdg)
        processes.start(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"], env=env,
                        stderr=subprocess.DEVNULL)
        env.update(QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        os.environ["DISPLAY"] = env["DISPLAY"]
        app = processes.start([probe, "--about"], env=env, stdout=subprocess.PIPE, text=True)

        def about_box():
            return find(accessible_application(pyatspi, app.pid),
                        lambda n: n.name == "About Corvane" and n.getRoleName() == "dialog")

        dialog = wait_for(about_box, 20, "the about box on the accessibility bus")
        texts = set()

        def collect(node):
            if node.getRoleName() == "label":
                texts.add(node.name)
            for i in range(node.childCount):
                collect(node.getChildAtIndex(i))

        collect(dialog)
        for text in ("Corvane Version 1.6.1", "For latest updates and more information visit",
                     "Corvane manual"):
            assert text in texts, "%r not in the about box: %r" % (text, texts)

        time.sleep(0.5)  # let the window manager settle the placement before the picture
        subprocess.run(["import", "-window", "root", screenshot], env=env, check=True)

        def main_on_top():
            wid = subprocess.run(["xdotool", "search", "--name", "Corvane probe main window"],
                                 env=env, capture_output=True, text=True).stdout.split()
            if not wid:
                return None
            state = subprocess.run(["xprop", "-id", wid[0], "_NET_WM_STATE"], env=env,
                                   capture_output=True, text=True).stdout
            return "on top" if "_NET_WM_STATE_ABOVE" in state else "not on top"

        assert wait_for(main_on_top, 10, "the main window") == "on top"

        link = find(dialog, lambda n: n.name == "Corvane manual")
        x, y, width, height = link.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        subprocess.run(["xdotool", "mousemove", str(x + width // 2), str(y + height // 2),
                        "click", "1"], env=env, check=True)
        wait_for(lambda: os.path.exists(recorded), 10, "the browser to be started")
        with open(recorded) as args:
            arguments = args.read().splitlines()
        assert len(arguments) == 1 and arguments[0].startswith("file:///") \
            and arguments[0].endswith("/Help/help.html"), arguments
        assert wait_for(lambda: main_on_top() == "not on top", 10,
                        "the main window to leave always-on-top")

        ok = find(dialog, lambda n: n.name == "OK" and n.getRoleName() == "push button")
        ok.queryAction().doAction(0)
        out, _ = app.communicate(timeout=10)
        assert app.returncode == 0, app.returncode
        assert out.strip() == "about result 1, main window on top 0", out
        print("about box: labels, link and OK work; screenshot in", screenshot)
    finally:
        processes.end_all()
        shutil.rmtree(root, ignore_errors=True)


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "--inner":
        inner(sys.argv[2], sys.argv[3])
        return 0
    probe, screenshot = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    missing = missing_tools(["Xvfb", "openbox", "xdotool", "xprop", "import",
                             "dbus-run-session"])
    if missing:
        print("missing " + " ".join(missing))
        return 77  # skipped
    if subprocess.run(["/usr/bin/python3", "-c", "import pyatspi"]).returncode != 0:
        print("missing python3-pyatspi")
        return 77
    # pyatspi comes with the system's Python.
    return subprocess.run(["dbus-run-session", "--", "/usr/bin/python3", os.path.abspath(__file__),
                           "--inner", probe, screenshot], start_new_session=False).returncode


if __name__ == "__main__":
    sys.exit(main())
