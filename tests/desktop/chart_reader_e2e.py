#!/usr/bin/python3
"""The wind rose through a screen reader's eyes: the real program under Xvfb with openbox, on a
private accessibility bus, read with pyatspi as an assistive technology reads it.

- the chart lists every axis of the profile with its value (a number with its unit, or "not
  available" for a counter this machine does not have);
- after the next sample the values have changed, and value-change events came over the bus;
- the window has no caption, yet a click gives it the keyboard and Shift+F10 and the Menu key
  open its context menu (seen as object:state-changed:showing of the menu);
- the window manager may still move and size the frameless window (its allowed actions).

usage: chart_reader_e2e.py CORVANE
Every process the test starts is ended by its id, also when a check fails."""

import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import x11_session as x11  # noqa: E402

AXES = [
    # name, counter path, max, critical
    ("% CPU", r"\Processor(_Total)\% Processor Time", 100, 80),
    ("Processes", r"\Objects\Processes", 1000, 800),
    ("Threads", r"\Objects\Threads", 5000, 4000),
    ("% Memory", r"\Memory\% Committed Bytes In Use", 100, 80),
    ("Registry", r"\System\% Registry Quota In Use", 100, 80),  # no Linux meaning: N/A
]


def write_profile(path):
    settings = dict(GridStep=20, CriticalBorder=80, ShowNames=1, ShowNumbers=0, ShowValues=1,
                    LabelTrunc=2, History=30, Interval=1, AlwaysOntop=0, EnableTray=0, Caption=0,
                    ShowCurrent=1, ShowAverage=1, ShowMax=0, CurColor=65535, AvgColor=52224,
                    MaxColor=16777087, BackColor=0, TextColor=16777215, LineColor=8421504,
                    CritColor=255, BoldCur=0, BoldAvg=1, BoldMax=0, BoldCrit=0, WndLeft=100,
                    WndRight=600, WndTop=100, WndBottom=500, LogMode=0, LogFormat=0,
                    LogFileSize=64)
    lines = ["", "# CORVANE CONFIGURATION FILE. DO NOT MODIFY!", ""]
    lines += ["%s=%d" % item for item in settings.items()]
    for name, counter, maximum, critical in AXES:
        lines += ["", "BeginAxis", "Name=" + name, "Desc=", "MinValue=0.000000",
                  "MaxValue=%f" % maximum, "CriticalValue=%f" % critical,
                  "Multiplier=1.000000", "Inverse=0", "Counter=" + counter, "EndAxis"]
    with open(path, "w", newline="\r\n") as out:
        out.write("\n".join(lines) + "\n")


def inner(corvane):
    import pyatspi  # only under the private session bus

    with x11.session("corvane-reader-e2e-") as (processes, root, env):
        x11.start_display(processes, env, for_this_process=True)
        profile = os.path.join(root, "Reader.crvn")
        write_profile(profile)
        x11.start_accessibility_bus(processes, env)
        env.update(QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")

        events = []

        def heard(event):
            events.append((event.type, event.source_role, event.source_name, event.detail1,
                           event.source))

        pyatspi.Registry.registerEventListener(heard, "object:property-change:accessible-value",
                                               "object:state-changed:showing")

        app = processes.start([corvane, profile], env=env)

        def chart():
            application = x11.accessible_application(pyatspi, app.pid)
            return x11.find_accessible(application, lambda n: n.getRoleName() == "chart")

        view = x11.wait_pumped(chart, 30, "the chart on the accessibility bus")
        assert view.name == "Reader.crvn", view.name

        def readings():
            """Each axis's name and spoken text once every axis has a reading or is N/A and
            the status text is gone."""
            if view.description.startswith("Loading") or view.childCount != len(AXES):
                return None
            result = []
            for i in range(view.childCount):
                axis = view.getChildAtIndex(i)
                text = axis.description
                # Before the first sample every axis reads 0; after it the counter this machine
                # lacks reads "not available" and the others have readings.
                if text.startswith("not available") != (AXES[i][0] == "Registry"):
                    return None
                result.append((axis.name, text, axis.queryValue().currentValue))
            return result

        first = x11.wait_pumped(readings, 20, "every axis with a value")
        print("first sample:")
        for name, text, value in first:
            print("  %s: %s (%s)" % (name, text, value))
        assert [name for name, _, _ in first] == [axis[0] for axis in AXES], first
        for (name, text, _), axis in zip(first, AXES):
            if name == "Registry":
                assert text.startswith("not available, "), text
            else:
                unit = "%" if name.startswith("%") else ""
                number = text.split(",")[0]
                assert number.endswith(unit) and number.rstrip("%").replace(".", "").isdigit(), \
                    (name, text)
                assert ("critical value %d%s" % (axis[3], unit)) in text, text

        events.clear()
        changed = x11.wait_pumped(
            lambda: (lambda now: now if now and now != first else None)(readings()), 15,
            "the next sample to change the values")
        print("next sample:")
        for name, text, value in changed:
            print("  %s: %s (%s)" % (name, text, value))
        # Value changes are sent for the focused axis (the first) only; on a fully loaded
        # machine its 100 % may not change, so the other axes' changes are the check then.
        spoken = lambda: [e[2] for e in events if e[0] == "object:property-change:accessible-value"
                          and e[1] == pyatspi.ROLE_LIST_ITEM]
        if changed[0][1] != first[0][1]:
            x11.wait_pumped(spoken, 10, "a value-change event of the focused axis")
        assert set(spoken()) <= {AXES[0][0]}, spoken()

        # The frameless window: a click gives it the keyboard, Shift+F10 opens the menu.
        wid = x11.wait_for(lambda: x11.search_windows(env, "--pid", app.pid, "--name", "Reader"),
                           10, "the main window")[0]
        x, y, width, height = view.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        subprocess.run(["xdotool", "mousemove", str(x + width // 2), str(y + height // 2),
                        "click", "1"], env=env, check=True)
        x11.wait_pumped(lambda: subprocess.run(["xdotool", "getactivewindow"], env=env,
                                               capture_output=True, text=True).stdout.strip()
                        == wid, 10, "the clicked window to be active")
        allowed = subprocess.run(["xprop", "-id", wid, "_NET_WM_ALLOWED_ACTIONS", "_MOTIF_WM_HINTS"],
                                 env=env, capture_output=True, text=True).stdout
        assert "_NET_WM_ACTION_MOVE" in allowed and "_NET_WM_ACTION_RESIZE" in allowed, allowed

        for keys in (["shift+F10"], ["Menu"]):
            events.clear()
            subprocess.run(["xdotool", "key"] + keys, env=env, check=True)
            shown = x11.wait_pumped(lambda: [e[4] for e in events
                                             if e[0] == "object:state-changed:showing"
                                             and e[3] == 1 and e[1] == pyatspi.ROLE_POPUP_MENU],
                                    10, "the context menu after " + keys[0])
            menu = shown[-1]
            items = [menu.getChildAtIndex(i).name for i in range(menu.childCount)]
            assert "Window Caption" in items and "Exit" in items, items
            subprocess.run(["xdotool", "key", "Escape"], env=env, check=True)
            x11.wait_pumped(lambda: not menu.getState().contains(pyatspi.STATE_SHOWING), 10,
                            "Escape to close the menu")
            print("context menu opened by", keys[0])
        print("chart reader: axes, values, value events and keyboard menu work")


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--inner":
        inner(sys.argv[2])
        return x11.status()
    corvane = os.path.abspath(sys.argv[1])
    # scripts/deps.sh test installs them.
    skipped = x11.skip_for(
        x11.missing_tools(["Xvfb", "openbox", "xdotool", "xprop", "dbus-run-session",
                           x11.AT_SPI_LAUNCHER]) +
        x11.missing_modules([("pyatspi", "python3-pyatspi"), ("gi", "python3-gi")]))
    if skipped is not None:
        return skipped
    return x11.run_inner(__file__, corvane)


if __name__ == "__main__":
    sys.exit(main())
