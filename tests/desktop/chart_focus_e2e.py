#!/usr/bin/python3
"""What a screen reader hears from the wind rose while it listens: the real program under Xvfb
with openbox, on a private accessibility bus, heard and read with pyatspi.

- value changes come for the axis that has the focus only: two axes show the system's up time,
  which changes with every sample, and only the focused one's changes arrive; the arrow keys move the focus and the
  changes follow it;
- an axis that enters the critical state is heard although it has no focus (its description
  changes), and the chart's summary then says how many axes are critical. The axis shows the up
  time too, with a critical value a few seconds ahead: it must cross it while the client listens,
  since what is already critical when the program first hears of a listener is read from the
  chart, not sent as a change;
- walking the chart reads every axis's current text, also of axes whose changes were not sent.

usage: chart_focus_e2e.py CORVANE
Every process the test starts is ended by its id, also when a check fails."""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import x11_session as x11  # noqa: E402

UP_TIME = r"\System\System Up Time"  # changes with every sample
# Seconds from writing the profile until the third axis turns critical: the program is up and
# heard from well before that, also on a loaded machine.
CRITICAL_AFTER = 12
AXES = [
    # name, counter path, max, critical (None: CRITICAL_AFTER seconds of up time from now)
    ("Up time", UP_TIME, 1e9, 1e9),
    ("Up time again", UP_TIME, 1e9, 1e9),
    ("Critical soon", UP_TIME, 1e9, None),
    ("Processes", r"\Objects\Processes", 1000, 800),
]
CRITICAL_AXIS = 2


def up_time():
    with open("/proc/uptime") as source:
        return float(source.read().split()[0])


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
        if critical is None:
            critical = up_time() + CRITICAL_AFTER
        lines += ["", "BeginAxis", "Name=" + name, "Desc=", "MinValue=0.000000",
                  "MaxValue=%f" % maximum, "CriticalValue=%f" % critical,
                  "Multiplier=1.000000", "Inverse=0", "Counter=" + counter, "EndAxis"]
    with open(path, "w", newline="\r\n") as out:
        out.write("\n".join(lines) + "\n")


VALUE = "object:property-change:accessible-value"
DESCRIPTION = "object:property-change:accessible-description"
FOCUSED = "object:state-changed:focused"


def inner(corvane):
    import pyatspi  # only under the private session bus

    with x11.session("corvane-focus-e2e-") as (processes, root, env):
        x11.start_display(processes, env, for_this_process=True)
        profile = os.path.join(root, "Focus.crvn")
        write_profile(profile)
        x11.start_accessibility_bus(processes, env)
        env.update(QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")

        events = []

        def heard(event):
            events.append((event.type, event.source_role, event.source_name, event.detail1))

        pyatspi.Registry.registerEventListener(heard, VALUE, DESCRIPTION, FOCUSED)
        wait_for = x11.wait_pumped

        def listen(seconds):
            deadline = time.monotonic() + seconds
            while time.monotonic() < deadline:
                x11.pump_events()
                time.sleep(0.05)

        app = processes.start([corvane, profile], env=env)

        def chart():
            application = x11.accessible_application(pyatspi, app.pid)
            if application is None:
                return None
            return x11.find_accessible(application, lambda n: n.getRoleName() == "chart")

        view = wait_for(chart, 30, "the chart on the accessibility bus")
        wait_for(lambda: not view.description.startswith("Loading")
                 and view.childCount == len(AXES), 20, "the first sample")

        # Entering critical, heard on an axis without focus; the summary counts it. A value
        # change of the focused axis shows the program has heard of the listener; the border
        # must still lie ahead then.
        wait_for(lambda: any(e[0] == VALUE and e[2] == "Up time" for e in events), 20,
                 "a first value change of the focused axis")
        soon = AXES[CRITICAL_AXIS][0]
        ahead = view.getChildAtIndex(CRITICAL_AXIS).description
        assert "critical," not in ahead, "%s critical before the listener was heard: %s" % (
            soon, ahead)
        wait_for(lambda: any(e[0] == DESCRIPTION and e[2] == soon for e in events),
                 CRITICAL_AFTER + 15, "the critical state of " + soon)
        print("heard entering critical:", view.getChildAtIndex(CRITICAL_AXIS).description)
        wait_for(lambda: "1 critical" in view.description, 10, "the summary")
        print("summary:", view.description)

        def values_heard(seconds):
            events.clear()
            listen(seconds)
            return [e[2] for e in events if e[0] == VALUE and e[1] == pyatspi.ROLE_LIST_ITEM]

        # The first axis has the focus: only its changes are sent, though both axes change.
        names = wait_for(lambda: values_heard(2.5), 20, "a value change of the focused axis")
        print("value changes heard, first axis focused:", names)
        assert set(names) == {"Up time"}, names

        def axis_texts():
            return [view.getChildAtIndex(i).description for i in range(view.childCount)]

        before = axis_texts()
        # A click gives the frameless window the keyboard; Down moves to the second axis.
        wid = wait_for(lambda: subprocess.run(["xdotool", "search", "--pid", str(app.pid),
                                               "--name", "Focus"], env=env,
                                              capture_output=True, text=True).stdout.split(),
                       10, "the main window")[0]
        x, y, width, height = view.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        subprocess.run(["xdotool", "mousemove", str(x + width // 2), str(y + height // 2),
                        "click", "1"], env=env, check=True)
        wait_for(lambda: subprocess.run(["xdotool", "getactivewindow"], env=env,
                                        capture_output=True, text=True).stdout.strip() == wid,
                 10, "the clicked window to be active")
        events.clear()
        subprocess.run(["xdotool", "key", "Down"], env=env, check=True)
        wait_for(lambda: any(e[0] == FOCUSED and e[2] == "Up time again" and e[3] == 1
                             for e in events), 10, "the focus on the second axis")
        assert view.getChildAtIndex(1).getState().contains(pyatspi.STATE_FOCUSED)

        names = wait_for(lambda: values_heard(2.5), 20, "a value change of the newly focused axis")
        print("value changes heard, second axis focused:", names)
        assert set(names) == {"Up time again"}, names

        # Walking the chart reads every axis's current text, the unspoken ones' too.
        after = axis_texts()
        print("axes now:")
        for i, text in enumerate(after):
            print("  %s: %s" % (AXES[i][0], text))
        assert after[0] != before[0], "the first axis's text follows its counter unspoken"
        for text in after:
            assert text and text[0].isdigit(), after
        assert "critical," in after[CRITICAL_AXIS], after[CRITICAL_AXIS]
        x11.check(True, "chart focus: focused values, critical changes and the summary are "
                  "heard")


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--inner":
        inner(sys.argv[2])
        return x11.status()
    corvane = os.path.abspath(sys.argv[1])
    # scripts/deps.sh test installs them.
    skipped = x11.skip_for(
        x11.missing_tools(["Xvfb", "openbox", "xdotool", "dbus-run-session",
                           x11.AT_SPI_LAUNCHER]) +
        x11.missing_modules([("pyatspi", "python3-pyatspi"), ("gi", "python3-gi")]))
    if skipped is not None:
        return skipped
    return x11.run_inner(__file__, corvane)

if __name__ == "__main__":
    sys.exit(main())
