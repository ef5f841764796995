#!/usr/bin/python3
"""The desktop program while another process holds its settings store's lock: the real program
under Xvfb with openbox, on a private accessibility bus, its settings files in a temporary
folder and their lock file held (flock) by this test from before the program starts.

- opening a profile writes the recent-file list, File > New the next profile number; each write
  fails after its bounded wait with a message on the standard error naming the lock file, and
  the window takes its keys and answers while the write waits;
- Options > System... (the screen saver for the current user) is written on a thread of its own
  too: the window answers while it waits, and its failure comes in a message box naming the
  lock file;
- throughout, a pyatspi client asks the window's accessible tree and every question is answered
  (within a generous 10 s each: this is no timing goal, a window whose GUI thread waits for
  the lock would not answer at all while it waits);
- once the lock is free and the program is left through its menu, the recent-file list it kept
  in memory is in the settings file.

usage: settings_lock_e2e.py CORVANE SCREENSHOT_FOLDER
Every process the test starts is ended by its id, also when a check fails."""

import fcntl
import os
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import profile_file  # noqa: E402
import x11_session as x11  # noqa: E402

ANSWER_BOUND = 10.0  # seconds one accessibility question may take


def hold_lock(lock_file):
    """A descriptor of `lock_file` (made 0600, as the store makes it) holding flock on it."""
    fd = os.open(lock_file, os.O_RDWR | os.O_CREAT | os.O_CLOEXEC, 0o600)
    fcntl.flock(fd, fcntl.LOCK_EX)
    return fd


def read_text(path):
    with open(path, errors="replace") as source:
        return source.read()


def inner(corvane, screenshots):
    import pyatspi  # only under the private session bus

    with x11.session("corvane-settings-lock-e2e-") as (processes, root, env):
        x11.start_display(processes, env, for_this_process=True)
        profile = os.path.join(root, "Locked.crvn")
        profile_file.write_profile(profile)
        registry = env["CORVANE_USER_REGISTRY"]
        lock_file = os.path.join(os.path.dirname(registry),
                                 "." + os.path.basename(registry) + ".lock")
        lock = hold_lock(lock_file)
        x11.start_accessibility_bus(processes, env)
        env.update(QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        errors_path = os.path.join(root, "stderr.txt")
        with open(errors_path, "w") as errors:
            app = processes.start([corvane, profile], env=env, stderr=errors)

        slowest = [0.0]

        def ask():
            """One question to the window's tree: its chart's name; the time it took is kept."""
            start = time.monotonic()
            application = x11.accessible_application(pyatspi, app.pid)
            chart = x11.find_accessible(application, lambda n: n.getRoleName() == "chart")
            name = chart.name if chart is not None else None
            slowest[0] = max(slowest[0], time.monotonic() - start)
            return name

        name = x11.wait_pumped(ask, 30, "the chart on the accessibility bus")
        x11.check(name == "Locked.crvn", "the profile opened with the lock held: " + str(name))

        def ask_until(failures, seconds):
            """Asks the tree all the while until `failures` failed writes were reported; the
            answers that came before the report, and the report."""
            answers = []
            deadline = time.monotonic() + seconds
            while time.monotonic() < deadline:
                answer = ask()
                x11.pump_events()
                text = read_text(errors_path)
                if text.count("not saved to") >= failures:
                    return answers, text
                answers.append(answer)
                time.sleep(0.1)
            return answers, None

        # The recent-file list's write waits for the lock on the writer's thread and gives up.
        answers, report = ask_until(1, 60)
        x11.check(report is not None and lock_file in report,
                  "the recent-file list's failed write is reported with the lock file: " +
                  repr(report))
        x11.check(answers and all(a == "Locked.crvn" for a in answers),
                  "the window answered %d questions while the lock was held" % len(answers))

        # File > New writes the next profile number: the keys are taken at once and the window
        # answers while that write waits (a GUI thread that waited could answer only after the
        # wait, when the report is already out).
        wid = x11.wait_for(lambda: x11.search_windows(env, "--pid", app.pid, "--name", "Locked"),
                           10, "the main window")[0]
        x, y, width, height = x11.window_geometry(env, wid)
        subprocess.run(["xdotool", "mousemove", str(x + width // 2), str(y + height // 2),
                        "click", "1"], env=env, check=True)
        x11.wait_for(lambda: subprocess.run(["xdotool", "getactivewindow"], env=env,
                                            capture_output=True, text=True).stdout.strip() == wid,
                     10, "the clicked window to be active")
        subprocess.run(["xdotool", "key", "ctrl+n"], env=env, check=True)
        answers, report = ask_until(2, 60)
        x11.check(report is not None and report.count(lock_file) >= 2,
                  "the new profile number's failed write is reported too")
        x11.check(len(answers) >= 3 and all(a is not None for a in answers),
                  "the window answered %d questions while New's write waited" % len(answers))
        x11.check(slowest[0] < ANSWER_BOUND,
                  "no question waited %.0f s (slowest %.2f s)" % (ANSWER_BOUND, slowest[0]))
        x11.check(app.poll() is None, "the program still runs")

        os.makedirs(screenshots, exist_ok=True)
        shot = os.path.join(screenshots, "settings_locked.png")
        x11.Picture.of_window(env, save_as=shot)
        print("screenshot:", shot)
        # New's wizard, when it came up, goes away before the menu is asked for.
        for _ in range(2):
            subprocess.run(["xdotool", "key", "Escape"], env=env, check=True)
            time.sleep(0.5)

        # Options > System...: the screen saver for the current user, a write of the same store
        # made on a thread of its own; its failure comes as a message box over the window.
        def find(predicate):
            return x11.find_accessible(x11.accessible_application(pyatspi, app.pid), predicate)

        subprocess.run(["xdotool", "key", "alt+o", "y"], env=env, check=True)
        box = x11.wait_pumped(lambda: find(lambda n: n.getRoleName() == "check box" and
                                           "current user" in n.name), 20,
                              "the system options dialog")
        box.queryAction().doAction(0)
        ok = find(lambda n: n.getRoleName() == "push button" and n.name == "OK")
        ok.queryAction().doAction(0)
        system_answers = []

        def system_failure():
            label = find(lambda n: lock_file in (n.name or "") + (n.description or ""))
            if label is None:
                system_answers.append(ask())
            return label
        label = x11.wait_pumped(system_failure, 60, "the system options' failure message")
        x11.check("could not be saved" in label.name + label.description,
                  "the system options' failure names the lock file: " + label.name)
        x11.check(len(system_answers) >= 3 and all(a is not None for a in system_answers),
                  "the window answered %d questions while the system options' write waited" %
                  len(system_answers))
        x11.Picture.of_window(env, save_as=os.path.join(screenshots, "settings_system.png"))
        subprocess.run(["xdotool", "key", "Return"], env=env, check=True)
        x11.wait_pumped(lambda: find(lambda n: lock_file in (n.name or "")) is None, 20,
                        "the message box to close")

        # Free the lock and leave through the context menu: the kept list is written at the end.
        os.close(lock)
        subprocess.run(["xdotool", "windowactivate", "--sync", wid], env=env, check=False)
        watch = x11.MenuWatch(pyatspi, app.pid)
        watch.forget()
        subprocess.run(["xdotool", "key", "--window", wid, "shift+F10"], env=env, check=True)
        menu = watch.wait_for_menu("Exit")
        x11.check(menu is not None, "the context menu opened")
        if menu is not None:
            item = x11.find_accessible(menu, lambda n: n.name == "Exit")
            try:
                item.queryAction().doAction(0)
            except Exception as error:  # the reply may not come before the program ends
                print("Exit's action:", error)
            # New's profile is unsaved: the question whether to save it is answered with No.
            def no_button():
                application = x11.accessible_application(pyatspi, app.pid)
                return x11.find_accessible(
                    application, lambda n: n.getRoleName() == "push button" and
                    n.name.replace("&", "") in ("No", "Discard", "Don't Save", "Close without Saving"))
            button = x11.poll(lambda: app.poll() is not None or no_button(), 20)
            x11.Picture.of_window(env, save_as=os.path.join(screenshots, "settings_exit.png"))
            if button is not True and button:
                try:
                    button.queryAction().doAction(0)
                except Exception as error:
                    print("No's action:", error)
            try:
                app.wait(timeout=60)
            except subprocess.TimeoutExpired:
                pass
            x11.check(app.poll() == 0, "the program ended through Exit: %s" % app.poll())
            stored = read_text(registry) if os.path.exists(registry) else ""
            x11.check("File1=" + profile in stored and "NewFileNum=" in stored,
                      "the recent-file list and the profile number reached the settings file:\n" +
                      stored)
        print(read_text(errors_path), end="")


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "--inner":
        inner(sys.argv[2], sys.argv[3])
        return x11.status()
    corvane = os.path.abspath(sys.argv[1])
    screenshots = os.path.abspath(sys.argv[2])
    # scripts/deps.sh test installs them.
    skipped = x11.skip_for(
        x11.missing_tools(["Xvfb", "openbox", "xdotool", "xprop", "xwd", x11.CONVERT,
                           "dbus-run-session", x11.AT_SPI_LAUNCHER]) +
        x11.missing_modules([("pyatspi", "python3-pyatspi"), ("gi", "python3-gi")]))
    if skipped is not None:
        return skipped
    return x11.run_inner(__file__, corvane, screenshots)


if __name__ == "__main__":
    sys.exit(main())
