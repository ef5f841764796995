#!/usr/bin/python3
"""A night played back on the wind rose, end to end: the real program under Xvfb with openbox,
driven with xdotool and read through a private accessibility bus with pyatspi.

- the program starts on a live profile; File > Open Log... is typed (Alt+F, G), the log's path
  typed into the file dialog;
- the playback bar appears with its "Recorded time" slider holding the keyboard; Page Down and
  Right move to 10:01:01, and the chart's axes read there what the log recorded (row 61: the
  value 61, the average of the last five samples 59, the maximum 61);
- the caption names the moment; a picture of the window is kept;
- Escape brings back the live chart of the profile, sampling again.

The log is written by the test with known values, beside the profile that wrote it.

usage: playback_e2e.py CORVANE [SCREENSHOT_DIR]
Every process the test starts is ended by its id, also when a check fails."""

import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import profile_file  # noqa: E402
import x11_session as x11  # noqa: E402

LIVE_AXES = profile_file.AXES
NIGHT_AXES = [("Load", "\\Test\\Load", 100, 80), ("Free", "\\Test\\Free", 100, 90)]


def write_night(folder):
    """Night.crvn and its CSV log: 120 rows from 2026-03-01 10:00:00, one a second; Load reads
    k at row k, Free 50."""
    os.makedirs(os.path.join(folder, "Logs"))
    profile_file.write_profile(os.path.join(folder, "Night.crvn"), axes=NIGHT_AXES, Interval=1,
                               History=5, LogMode=1, LogFormat=1)
    log = os.path.join(folder, "Logs", "Night-log.csv")
    with open(log, "w") as out:
        out.write("Corvane Log: Night\n\nStarted on Sunday 03/01/2026 at 09:59:59\n"
                  "Date,Time,Load,Free\n")
        for k in range(120):
            seconds = 36000 + k
            out.write("03/01,%02d:%02d:%02d,%d.00,50.00\n"
                      % (seconds // 3600, seconds // 60 % 60, seconds % 60, k))
    return log


def inner(corvane, screenshots):
    import pyatspi  # only under the private session bus

    with x11.session("corvane-playback-e2e-") as (processes, root, env):
        x11.start_display(processes, env, for_this_process=True)
        live = os.path.join(root, "Live.crvn")
        profile_file.write_profile(live)
        log = write_night(os.path.join(root, "night"))
        x11.start_accessibility_bus(processes, env)
        env.update(QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        wait_for = x11.wait_pumped

        app = processes.start([corvane, live], env=env)

        def find(predicate, pid=app.pid):
            application = x11.accessible_application(pyatspi, pid)
            return x11.find_accessible(application, predicate) if application else None

        def showing(node):
            return node.getState().contains(pyatspi.STATE_SHOWING)

        view = wait_for(lambda: find(lambda n: n.getRoleName() == "chart"), 30,
                        "the chart on the accessibility bus")
        wait_for(lambda: view.childCount == len(LIVE_AXES)
                 and not view.description.startswith("Loading"), 20, "the live chart")
        wid = wait_for(lambda: x11.search_windows(env, "--pid", str(app.pid), "--name",
                                                  "Live.crvn"), 10, "the main window")[0]
        x11.xdotool(env, "windowactivate", "--sync", wid)

        # File > Open Log..., the path typed into the dialog's file name.
        x11.xdotool(env, "key", "alt+f")
        wait_for(lambda: find(lambda n: n.getRoleName() == "menu item"
                              and n.name == "Open Log..." and showing(n)), 10, "the File menu")
        x11.xdotool(env, "key", "g")
        dialog = wait_for(lambda: find(lambda n: n.getRoleName() == "dialog"
                                       and n.name == "Open Log" and showing(n)), 15,
                          "the Open Log dialog")
        name_field = wait_for(lambda: x11.find_accessible(
            dialog, lambda n: n.getRoleName() == "text"
            and n.getState().contains(pyatspi.STATE_FOCUSED)), 10, "the file name field")
        x11.xdotool(env, "type", "--delay", "5", log)

        def typed():
            text = name_field.queryText()
            return text.getText(0, text.characterCount)

        wait_for(lambda: typed() == log, 10, "the path in the file name field")
        # The field's completer may take the first Return for itself.
        for _ in range(3):
            x11.xdotool(env, "key", "Return")
            if x11.poll(lambda: (x11.pump_events(), not showing(dialog))[1], 5):
                break
        assert not showing(dialog), "the dialog stays open with " + typed()

        slider = wait_for(lambda: find(lambda n: n.getRoleName() == "slider"
                                       and n.name == "Recorded time" and showing(n)), 15,
                          "the Recorded time slider")
        wait_for(lambda: slider.getState().contains(pyatspi.STATE_FOCUSED), 10,
                 "the slider to hold the keyboard")
        wait_for(lambda: view.childCount == len(NIGHT_AXES), 10, "the recording's axes")
        assert [view.getChildAtIndex(i).name for i in range(view.childCount)] == \
            [axis[0] for axis in NIGHT_AXES]

        x11.xdotool(env, "key", "Next")   # Page Down: one minute on
        x11.xdotool(env, "key", "Right")  # one sample on
        wait_for(lambda: slider.queryValue().currentValue == 61, 10, "the slider at 10:01:01")

        def spoken():
            return [view.getChildAtIndex(i).description for i in range(view.childCount)]

        expected = ["61, average 59, maximum 61, critical value 80",
                    "50, average 50, maximum 50, critical value 90"]
        wait_for(lambda: spoken() == expected, 10, "the axes at 10:01:01")
        print("at 10:01:01:", spoken())
        assert view.getChildAtIndex(0).queryValue().currentValue == 61
        caption = wait_for(lambda: [n for n in x11.search_windows(env, "--pid", str(app.pid),
                                                                  "--name", "Recorded")], 10,
                           "the caption naming the moment")
        title = subprocess.run(["xdotool", "getwindowname", caption[0]], env=env,
                               capture_output=True, text=True).stdout.strip()
        assert title == "Night-log.csv (Recorded 2026-03-01 10:01:01) - Corvane", title
        if screenshots:
            os.makedirs(screenshots, exist_ok=True)
            picture = os.path.join(screenshots, "playback.png")
            x11.Picture.of_window(env, wid, save_as=picture)
            print("picture of the playback window:", picture)

        x11.xdotool(env, "key", "Escape")
        wait_for(lambda: not showing(slider), 10, "the bar to go")
        wait_for(lambda: view.childCount == len(LIVE_AXES)
                 and not view.description.startswith("Loading"), 20, "the live chart again")
        wait_for(lambda: x11.search_windows(env, "--pid", str(app.pid), "--name",
                                            "^Live.crvn - Corvane$"), 10, "the live caption")
        x11.check(True, "playback: opened from the menu, stepped with keys, read, and left "
                  "with Escape")

        # Started with the log alone, as a file manager starts it: the recording plays over
        # the profile that wrote it, and leaving it goes on with that profile's live chart.
        from_log = processes.start([corvane, log], env=env)
        replay = wait_for(lambda: find(lambda n: n.getRoleName() == "slider"
                                       and n.name == "Recorded time" and showing(n),
                                       from_log.pid), 30,
                          "the slider of the program started with the log")
        replay_wid = wait_for(lambda: x11.search_windows(env, "--pid", str(from_log.pid),
                                                         "--name", "Night-log.csv"), 10,
                              "the window of the program started with the log")[0]
        x11.xdotool(env, "windowactivate", "--sync", replay_wid)
        wait_for(lambda: replay.getState().contains(pyatspi.STATE_FOCUSED), 10,
                 "the slider of the program started with the log to hold the keyboard")
        x11.xdotool(env, "key", "Escape")
        wait_for(lambda: not showing(replay), 10, "the bar of the program started with the log "
                 "to go")
        live_view = find(lambda n: n.getRoleName() == "chart", from_log.pid)

        def live_axes():
            return [live_view.getChildAtIndex(i).name for i in range(live_view.childCount)]

        wait_for(lambda: not live_view.description.startswith("Loading")
                 and live_axes() == [axis[0] for axis in NIGHT_AXES], 20,
                 "the live chart of the log's own profile, not a new one")

        def captions():
            return [subprocess.run(["xdotool", "getwindowname", window], env=env,
                                   capture_output=True, text=True).stdout.strip()
                    for window in x11.search_windows(env, "--pid", str(from_log.pid))]

        if not x11.poll(lambda: "Night.crvn - Corvane" in captions(), 10):
            raise AssertionError("the live caption is not the log's profile: %s" % captions())
        x11.check(True, "playback: started with a log, left for the profile that wrote it")


def main():
    if len(sys.argv) in (3, 4) and sys.argv[1] == "--inner":
        inner(sys.argv[2], sys.argv[3] if len(sys.argv) == 4 else None)
        return x11.status()
    corvane = os.path.abspath(sys.argv[1])
    screenshots = [os.path.abspath(sys.argv[2])] if len(sys.argv) > 2 else []
    # scripts/deps.sh test installs them.
    skipped = x11.skip_for(
        x11.missing_tools(["Xvfb", "openbox", "xdotool", "xwd", "dbus-run-session",
                           x11.AT_SPI_LAUNCHER]) +
        x11.missing_modules([("pyatspi", "python3-pyatspi"), ("gi", "python3-gi")]))
    if skipped is not None:
        return skipped
    return x11.run_inner(__file__, corvane, *screenshots)


if __name__ == "__main__":
    sys.exit(main())
