"""What the end-to-end scripts share: checks that are counted, a private session (its own session
bus, temporary folder and environment) the script runs itself in, a private X server (Xvfb)
with the openbox window manager, the processes a test starts (ended by their own ids, also when
a check fails), waiting for a condition, window pictures read into memory, the accessibility
bus (its launcher, the tree, the events and the menus shown), and a recorder of the test's own
as the desktop's program for web pages.

Imported by the *_e2e.py scripts from tests/support; only the standard library is needed here
(pyatspi and GLib are given or imported by the functions that read the accessibility bus)."""

import contextlib
import os
import shutil
import subprocess
import tempfile
import time

# ImageMagick's own convert, whatever else PATH offers under that name.
CONVERT = "/usr/bin/convert"
AT_SPI_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
# Exit status of a skipped test (the tests' SKIP_RETURN_CODE).
SKIPPED = 77

# The checks that failed so far in this process.
failures = []


def check(condition, what):
    """Prints one check's result; a false condition is counted as a failure."""
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)
    return condition


def status():
    """The exit status of the checks made: 1 when one failed."""
    return 1 if failures else 0


def missing_tools(tools):
    """The programs of `tools` that are not installed (a test is skipped for these only)."""
    return [tool for tool in tools if shutil.which(tool) is None and not os.path.exists(tool)]


def missing_modules(modules):
    """The Debian packages of the system Python's modules that cannot be imported, from
    (module, package) pairs."""
    return [package for module, package in modules
            if subprocess.run(["/usr/bin/python3", "-c", "import " + module],
                              capture_output=True).returncode != 0]


def skip_for(missing):
    """Says what is missing and gives the skipped status; None when nothing is."""
    if not missing:
        return None
    print("skipped, missing: " + " ".join(missing))
    return SKIPPED


def run_inner(script, *arguments):
    """Runs `script --inner ARGUMENTS` on a private session bus of its own (dbus-run-session),
    so that its accessibility bus, tray watcher and notifications are the test's own; its exit
    status."""
    return subprocess.run(["dbus-run-session", "--", "/usr/bin/python3", os.path.abspath(script),
                           "--inner"] + [str(a) for a in arguments]).returncode


def run_cases(script, cases, variable, *arguments):
    """Runs each case named in the environment variable `variable` (every one of `cases` when
    it is unset) through run_inner, a private session bus each; 1 when any case failed."""
    status = 0
    for case in os.environ.get(variable, " ".join(cases)).split():
        status |= run_inner(script, case, *arguments)
    return 1 if status else 0


def private_environment(folder):
    """An environment that keeps the program under test in `folder`: a home with its run,
    configuration, data, cache and state folders, Corvane's settings files, no service manager, the
    session bus and the sanitizers' options of the caller, and nothing else of it."""
    home = os.path.join(folder, "home")
    os.makedirs(os.path.join(home, "run"), mode=0o700, exist_ok=True)
    env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": home,
           "XDG_RUNTIME_DIR": os.path.join(home, "run"),
           "XDG_CONFIG_HOME": os.path.join(home, ".config"),
           "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
           "XDG_CACHE_HOME": os.path.join(home, ".cache"),
           "XDG_STATE_HOME": os.path.join(home, ".local", "state"),
           "CORVANE_USER_REGISTRY": os.path.join(home, "user.ini"),
           "CORVANE_DEFAULT_REGISTRY": os.path.join(home, "default.ini"),
           "CORVANE_SYSTEMCTL": ""}
    for name in ("DBUS_SESSION_BUS_ADDRESS", "ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS",
                 "TSAN_OPTIONS"):
        if name in os.environ:
            env[name] = os.environ[name]
    return env


@contextlib.contextmanager
def session(prefix, failing=(AssertionError, subprocess.SubprocessError)):
    """(processes, folder, env) for one test run: a temporary folder, the private environment
    in it and the processes started; the processes are ended and the folder removed however
    the run ends. An exception of `failing` (a failed wait, a tool that failed) is a failed
    check; any other goes on up."""
    processes = Processes()
    folder = tempfile.mkdtemp(prefix=prefix)
    try:
        yield processes, folder, private_environment(folder)
    except failing as error:
        check(False, "%s: %s" % (type(error).__name__, error))
    finally:
        processes.end_all()
        shutil.rmtree(folder, ignore_errors=True)


def poll(predicate, seconds, interval=0.05):
    """The first true value of predicate() within `seconds`, else its last value."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(interval)
    return predicate()


def wait_for(predicate, seconds, what, interval=0.05):
    """As poll(), but a condition that never comes true fails the test."""
    value = poll(predicate, seconds, interval)
    if not value:
        raise AssertionError("timed out waiting for " + what)
    return value


class Processes:
    """Processes started by a test, ended in reverse order by their ids."""

    def __init__(self):
        self.started = []

    def start(self, argv, **kwargs):
        process = subprocess.Popen(argv, **kwargs)
        self.started.append(process)
        return process

    def end_all(self):
        for process in reversed(self.started):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()


def start_xvfb(processes, env, screen="1024x768x24"):
    """Starts Xvfb on a free display; sets and returns env["DISPLAY"]."""
    read_end, write_end = os.pipe()
    processes.start(["Xvfb", "-displayfd", str(write_end), "-screen", "0", screen,
                     "-nolisten", "tcp"], pass_fds=(write_end,), env=env,
                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        number = pipe.readline().strip()
    if not number:
        raise RuntimeError("Xvfb did not start")
    env["DISPLAY"] = ":" + number
    return env["DISPLAY"]


def start_openbox(processes, env, attempts=3):
    """Starts openbox and waits until it owns the window manager's check window. An openbox
    that ends or does not take the screen within 15 s is started once more; the last one's
    status and messages are told when none did."""
    def managing():
        return "window id" in subprocess.run(
            ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=env, stdout=subprocess.PIPE,
            stderr=subprocess.STDOUT, text=True).stdout

    for _ in range(attempts):
        with tempfile.TemporaryFile(mode="w+") as messages:
            openbox = processes.start(["openbox"], env=env, stdout=messages,
                                      stderr=subprocess.STDOUT)
            if poll(lambda: managing() or openbox.poll() is not None, 15) and managing():
                return
            if openbox.poll() is None:
                openbox.kill()
            openbox.wait()
            messages.seek(0)
            told = messages.read().strip()
    raise AssertionError("timed out waiting for openbox (%d tries; the last ended with status"
                         " %s: %s)" % (attempts, openbox.returncode, told or "no message"))


def start_display(processes, env, screen="1024x768x24", for_this_process=False):
    """Xvfb with openbox on it; returns the display name (also put into env, and with
    `for_this_process` into this process's environment, where pyatspi looks for it)."""
    display = start_xvfb(processes, env, screen)
    start_openbox(processes, env)
    if for_this_process:
        os.environ["DISPLAY"] = display
    return display


def start_accessibility_bus(processes, env):
    """The accessibility bus of the private session, started now rather than on the first
    program's request."""
    processes.start([AT_SPI_LAUNCHER, "--launch-immediately"], env=env,
                    stderr=subprocess.DEVNULL)


def xdotool(env, *arguments):
    """Runs xdotool; returns its output split into words."""
    return subprocess.run(["xdotool"] + [str(a) for a in arguments], env=env, check=True,
                          capture_output=True, text=True).stdout.split()


def search_windows(env, *arguments):
    """The ids of the windows `xdotool search ARGUMENTS` finds (none is no failure)."""
    return subprocess.run(["xdotool", "search"] + [str(a) for a in arguments], env=env,
                          capture_output=True, text=True).stdout.split()


def window_geometry(env, window):
    """(x, y, width, height) of a window's client area on the screen. Asked of xwininfo:
    xdotool's getwindowgeometry counts a window manager's frame offset twice."""
    values = {}
    for line in subprocess.run(["xwininfo", "-id", str(window)], env=env, check=True,
                               capture_output=True, text=True).stdout.splitlines():
        name, _, value = line.strip().partition(":")
        values[name] = value.strip()
    return (int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"]),
            int(values["Width"]), int(values["Height"]))


def frame_extents(env, window):
    """(left, right, top, bottom) of the window manager's frame around a window, 0 without."""
    out = subprocess.run(["xprop", "-id", str(window), "_NET_FRAME_EXTENTS"], env=env,
                         capture_output=True, text=True).stdout
    if "=" not in out:
        return (0, 0, 0, 0)
    return tuple(int(v) for v in out.split("=", 1)[1].replace(" ", "").split(","))


class Picture:
    """An RGB picture in memory, from a window or the whole screen."""

    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, rgb

    @staticmethod
    def of_window(env, window=None, save_as=None):
        """The window's contents as the X server holds them (the root window without one);
        also written to `save_as` (PNG) when given."""
        xwd = subprocess.run(["xwd", "-silent"] + (["-id", str(window)] if window else ["-root"]),
                             env=env, capture_output=True, check=True).stdout
        if save_as:
            subprocess.run([CONVERT, "xwd:-", save_as], input=xwd, check=True)
        ppm = subprocess.run([CONVERT, "xwd:-", "-depth", "8", "ppm:-"], input=xwd,
                             capture_output=True, check=True).stdout
        return Picture.from_ppm(ppm)

    @staticmethod
    def of_file(path):
        """A picture file (PNG, ...) read through ImageMagick."""
        ppm = subprocess.run([CONVERT, path, "-alpha", "off", "-depth", "8", "ppm:-"],
                             capture_output=True, check=True).stdout
        return Picture.from_ppm(ppm)

    @staticmethod
    def from_ppm(ppm):
        """A binary PPM (P6) picture."""
        # P6 header: magic, width, height, maximum, each followed by one white-space byte;
        # comments (the window's name) run from "#" to the line's end.
        fields, at = [], 0
        while len(fields) < 4:
            while ppm[at:at + 1].isspace() or ppm[at:at + 1] == b"#":
                if ppm[at:at + 1] == b"#":
                    at = ppm.index(b"\n", at)
                at += 1
            start = at
            while not ppm[at:at + 1].isspace():
                at += 1
            fields.append(ppm[start:at])
        width, height = int(fields[1]), int(fields[2])
        return Picture(width, height, ppm[at + 1:at + 1 + width * height * 3])

    def colour_counts(self):
        """{(r, g, b): number of pixels}"""
        counts = {}
        rgb = self.rgb
        for i in range(0, len(rgb), 3):
            key = rgb[i:i + 3]
            counts[key] = counts.get(key, 0) + 1
        return {tuple(key): n for key, n in counts.items()}

    def count_near(self, colour, tolerance):
        """Pixels within `tolerance` of `colour` in every channel (smoothed text has few
        pixels of exactly its colour)."""
        low = [max(0, c - tolerance) for c in colour]
        high = [min(255, c + tolerance) for c in colour]
        return sum(n for (r, g, b), n in self.colour_counts().items()
                   if low[0] <= r <= high[0] and low[1] <= g <= high[1] and low[2] <= b <= high[2])

    def points(self, colour):
        """Every (x, y) whose pixel has exactly `colour`."""
        wanted = bytes(colour)
        found, rgb, width = [], self.rgb, self.width
        at = rgb.find(wanted)
        while at >= 0:
            if at % 3 == 0:
                pixel = at // 3
                found.append((pixel % width, pixel // width))
            at = rgb.find(wanted, at + 1)
        return found


def find_accessible(node, predicate):
    """The first node of an accessibility tree (depth first) for which predicate is true."""
    if node is None:
        return None
    if predicate(node):
        return node
    for i in range(node.childCount):
        found = find_accessible(node.getChildAtIndex(i), predicate)
        if found is not None:
            return found
    return None


def accessible_application(pyatspi, pid):
    """The accessibility tree of the process `pid`, or None while it has not registered."""
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        application = desktop.getChildAtIndex(i)
        if application is not None and application.get_process_id() == pid:
            return application
    return None


def pump_events():
    """Delivers the accessibility events that have come in to their listeners (pyatspi's
    listeners are called from GLib's main loop, which a test does not run)."""
    from gi.repository import GLib
    context = GLib.MainContext.default()
    while context.iteration(False):
        pass


def wait_pumped(condition, seconds, what):
    """As wait_for(), delivering the accessibility events before each look."""
    def pumped():
        pump_events()
        return condition()
    return wait_for(pumped, seconds, what)


class MenuWatch:
    """The menus a process shows, seen through the accessibility bus's showing events (a popup
    or context menu is no child of its application in the tree)."""

    def __init__(self, pyatspi, pid):
        self.pid, self.shown = pid, []
        pyatspi.Registry.registerEventListener(self.on_event, "object:state-changed:showing")

    def on_event(self, event):
        try:
            if event.detail1 == 1 and event.source.getRoleName() in ("popup menu", "menu") \
                    and event.source.get_process_id() == self.pid:
                self.shown.append(event.source)
        except Exception:  # a menu gone before it is asked
            pass

    def forget(self):
        """Menus shown so far are not waited for again."""
        pump_events()
        self.shown.clear()

    def wait_for_menu(self, containing, seconds=10):
        """The first menu shown since forget() with an item named `containing`."""
        def menu():
            pump_events()
            for node in self.shown:
                try:
                    names = [node.getChildAtIndex(i).name for i in range(node.childCount)]
                except Exception:
                    continue
                if containing in names:
                    return node
            return None
        return poll(menu, seconds)

    def labels(self):
        """The item names of the last menu shown, mnemonics and separators left out; None
        before one."""
        pump_events()
        for node in reversed(self.shown):
            try:
                return [node.getChildAtIndex(i).name.replace("&", "")
                        for i in range(node.childCount)
                        if node.getChildAtIndex(i).getRoleName() != "separator"]
            except Exception:
                continue
        return None


def recording_browser(root):
    """XDG folders under `root` whose default program for text/html and http: links writes its
    arguments to a file. Returns the XDG variables to run a program with and that file."""
    for sub in ("config", "etc-xdg", "data/applications", "share", "bin"):
        os.makedirs(os.path.join(root, sub), exist_ok=True)
    recorder = os.path.join(root, "bin", "record")
    with open(recorder, "w") as out:
        out.write('#!/bin/sh\nprintf "%s\\n" "$@" > "$0.part" && mv "$0.part" "$0.args"\n')
    os.chmod(recorder, 0o755)
    with open(os.path.join(root, "data/applications/corvane-e2e-recorder.desktop"), "w") as out:
        out.write("[Desktop Entry]\nType=Application\nName=Recorder\n"
                  "Exec=%s %%u\nMimeType=text/html;x-scheme-handler/http;\n" % recorder)
    with open(os.path.join(root, "config/mimeapps.list"), "w") as out:
        out.write("[Default Applications]\ntext/html=corvane-e2e-recorder.desktop\n"
                  "x-scheme-handler/http=corvane-e2e-recorder.desktop\n")
    return {
        "XDG_CONFIG_HOME": os.path.join(root, "config"),
        "XDG_CONFIG_DIRS": os.path.join(root, "etc-xdg"),
        "XDG_DATA_HOME": os.path.join(root, "data"),
        "XDG_DATA_DIRS": os.path.join(root, "share"),
    }, recorder + ".args"
