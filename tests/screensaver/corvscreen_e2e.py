#!/usr/bin/python3
"""corvscreen end to end: run by the real XScreenSaver under Xvfb, and with -window-id in a
window this test makes. Checks what a user sees (a screenshot of the wind rose on black) and
that the program ends at once when the host tells it to, even while it is still connecting to
a remote machine that never answers.

usage: corvscreen_e2e.py CORVSCREEN SCREENSHOT_FOLDER
Every process this script starts is ended by its own id, also when a check fails."""

import ctypes
import os
import signal
import socket
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from x11_session import CONVERT, check, status, poll as wait_for  # noqa: E402

CORVSCREEN = os.path.abspath(sys.argv[1])
SHOTS = sys.argv[2]
started = []  # every process we started, to end at the finish
def start(argv, env, **kw):
    process = subprocess.Popen(argv, env=env, stdout=subprocess.DEVNULL,
                               stderr=kw.pop("stderr", subprocess.DEVNULL), **kw)
    started.append(process)
    return process


def start_xvfb(env):
    read_fd, write_fd = os.pipe()
    xvfb = start(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1024x768x24",
                  "-nolisten", "tcp", "-ac"], env, pass_fds=(write_fd,))
    os.close(write_fd)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read_fd, 16)
        if not chunk:
            raise RuntimeError("Xvfb did not start")
        number += chunk
    os.close(read_fd)
    return ":" + number.decode().strip()


def corvscreen_pids(display):
    """corvscreen processes on our display (other users of the machine run theirs)."""
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            if os.readlink(f"/proc/{entry}/exe") != CORVSCREEN:
                continue
            with open(f"/proc/{entry}/environ", "rb") as f:
                variables = f.read().split(b"\0")
            # XScreenSaver names the screen too: ":1.0".
            if any(v in (b"DISPLAY=" + display.encode(), b"DISPLAY=" + display.encode() + b".0")
                   for v in variables):
                found.append(int(entry))
        except OSError:
            pass
    return found


def gone_within(pid, seconds):
    """True when the process (zombie included) disappears within `seconds`. A hack whose host
    exits right after killing it becomes ours to reap (we are a child subreaper), so its end
    is seen at once rather than whenever the container's init gets round to it."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        try:
            os.waitpid(pid, os.WNOHANG)
        except ChildProcessError:
            pass
        if not os.path.exists(f"/proc/{pid}"):
            return True
        time.sleep(0.01)
    return False


def screenshot(env, name, window="-root"):
    path = os.path.join(SHOTS, name)
    xwd = subprocess.run(["xwd", "-silent"] + (["-root"] if window == "-root" else
                                                ["-id", str(window)]),
                         env=env, capture_output=True, check=True).stdout
    subprocess.run([CONVERT, "xwd:-", path], input=xwd, check=True)
    return path


def image_fact(path, *ops_and_format):
    *ops, fmt = ops_and_format
    return subprocess.run([CONVERT, path] + list(ops) + ["-format", fmt, "info:"],
                          capture_output=True, text=True, check=True).stdout.strip()


def lit_box(path):
    """Width, height, left, top of the part that is not black."""
    box = image_fact(path, "-fuzz", "3%", "%@")  # WxH+X+Y
    size, x, y = box.split("+")
    w, h = size.split("x")
    return int(w), int(h), int(x), int(y)


def colour_share(path, colour):
    return float(image_fact(path, "-fuzz", "10%", "-fill", "black", "+opaque", colour,
                            "-fill", "white", "-opaque", colour, "%[fx:mean]"))


class Xcb:
    """Just enough of libxcb to make, resize and destroy a plain window."""

    class Cookie(ctypes.Structure):
        _fields_ = [("sequence", ctypes.c_uint)]

    class ScreenIterator(ctypes.Structure):
        _fields_ = [("data", ctypes.POINTER(ctypes.c_uint32)), ("rem", ctypes.c_int),
                    ("index", ctypes.c_int)]

    def __init__(self, display):
        self.lib = ctypes.CDLL("libxcb.so.1")
        lib = self.lib
        lib.xcb_connect.restype = ctypes.c_void_p
        lib.xcb_connect.argtypes = [ctypes.c_char_p, ctypes.c_void_p]
        lib.xcb_get_setup.restype = ctypes.c_void_p
        lib.xcb_get_setup.argtypes = [ctypes.c_void_p]
        lib.xcb_setup_roots_iterator.restype = Xcb.ScreenIterator
        lib.xcb_setup_roots_iterator.argtypes = [ctypes.c_void_p]
        lib.xcb_generate_id.restype = ctypes.c_uint32
        lib.xcb_generate_id.argtypes = [ctypes.c_void_p]
        lib.xcb_create_window.restype = Xcb.Cookie
        lib.xcb_create_window.argtypes = [ctypes.c_void_p, ctypes.c_uint8, ctypes.c_uint32,
                                          ctypes.c_uint32, ctypes.c_int16, ctypes.c_int16,
                                          ctypes.c_uint16, ctypes.c_uint16, ctypes.c_uint16,
                                          ctypes.c_uint16, ctypes.c_uint32, ctypes.c_uint32,
                                          ctypes.c_void_p]
        for name in ("xcb_map_window", "xcb_destroy_window"):
            getattr(lib, name).restype = Xcb.Cookie
            getattr(lib, name).argtypes = [ctypes.c_void_p, ctypes.c_uint32]
        lib.xcb_flush.argtypes = [ctypes.c_void_p]
        lib.xcb_disconnect.argtypes = [ctypes.c_void_p]
        self.c = lib.xcb_connect(display.encode(), None)
        self.root = lib.xcb_setup_roots_iterator(lib.xcb_get_setup(self.c)).data[0]

    def create(self, x, y, width, height):
        wid = self.lib.xcb_generate_id(self.c)
        back = (ctypes.c_uint32 * 1)(0x203040)  # a colour of its own: the hack paints black
        self.lib.xcb_create_window(self.c, 0, wid, self.root, x, y, width, height, 0, 1, 0,
                                   0x2, back)  # XCB_CW_BACK_PIXEL
        self.lib.xcb_map_window(self.c, wid)
        self.lib.xcb_flush(self.c)
        return wid

    def destroy(self, wid):
        self.lib.xcb_destroy_window(self.c, wid)
        self.lib.xcb_flush(self.c)

    def close(self):
        self.lib.xcb_disconnect(self.c)


def xscreensaver_part(env, home, display):
    with open(os.path.join(home, ".xscreensaver"), "w") as f:
        f.write("timeout: 0:30:00\ncycle: 0:00:00\nlock: False\nfade: False\nunfade: False\n"
                "splash: False\ndpmsEnabled: False\ngrabDesktopImages: False\nmode: one\n"
                "selected: 0\n"
                f"programs: \"Corvane\" {CORVSCREEN} --root \\n\n")
    # XScreenSaver launches no hacks as root; a test run as root hands it to "nobody".
    as_user = []
    if os.geteuid() == 0:
        as_user = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"]
        os.chown(home, 65534, 65534)
        os.chown(os.path.join(home, ".xscreensaver"), 65534, 65534)
    # XScreenSaver 6.06 now and then ends with status 1 and no reason while it starts on a busy
    # machine, before it has run anything of ours; a host that ended so is started once more.
    for attempt in (1, 2):
        host_log = open(os.path.join(home, "xscreensaver-%d.log" % attempt), "w+")
        host = start(as_user + ["xscreensaver", "-no-splash", "-verbose"], env, stderr=host_log)
        try:
            # The daemon's start can take a while on a machine busy with other tests.
            ready = wait_for(lambda: host.poll() is not None or subprocess.run(
                ["xscreensaver-command", "-time"], env=env,
                capture_output=True).returncode == 0, 30) and host.poll() is None
            if not ready:
                host_log.seek(0)
                print("xscreensaver %s; it said:\n%s" % (
                    "runs" if host.poll() is None else "ended with %s" % host.returncode,
                    host_log.read()[-2000:]))
                if attempt == 1 and host.poll() is not None:
                    continue
            if check(ready, "XScreenSaver answers xscreensaver-command"):
                run_host(env, display)
            return
        finally:
            if host.poll() is None:
                host.terminate()
            host.wait(10)


def run_host(env, display):
    subprocess.run(["xscreensaver-command", "-activate"], env=env, capture_output=True)
    pids = wait_for(lambda: corvscreen_pids(display), 10)
    if not check(len(pids) == 1, "-activate runs corvscreen once"):
        return
    time.sleep(4)  # the first sample and its repaint
    shot = screenshot(env, "xscreensaver.png")
    w, h, x, y = lit_box(shot)
    # 50 % of 1024 x 768, centred: 511 x 374 at (256, 197); the lit part lies within it.
    check(150 < w <= 511 and 150 < h <= 374, f"a chart-sized picture is lit ({w}x{h})")
    check(256 <= x and x + w <= 256 + 511 and 197 <= y and y + h <= 197 + 374,
          f"it lies in the centred chart rectangle (+{x}+{y})")
    check(colour_share(shot, "#FF0000") > 0.0005, "the red critical ring is drawn")
    check(colour_share(shot, "#808080") > 0.001, "the grey grid is drawn")
    asked = time.monotonic()
    deactivate = subprocess.run(["xscreensaver-command", "-deactivate"], env=env,
                                capture_output=True, text=True)
    print(deactivate.stdout.strip(), deactivate.stderr.strip())
    gone = gone_within(pids[0], 1.0)
    if not gone:
        gone_within(pids[0], 10)
        print(f"     (gone after {time.monotonic() - asked:.2f} s)")
    check(gone, "-deactivate ends corvscreen within one second, no zombie")


def stalled_listener():
    """A loopback port that accepts connections and never answers, as a slow host would."""
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    return listener


def remote_profile(folder, port):
    path = os.path.join(folder, "Remote.crvn")
    axis = ("BeginAxis\r\nName=Remote CPU\r\nDesc=\r\nMinValue=0.000000\r\n"
            "MaxValue=100.000000\r\nCriticalValue=80.000000\r\nMultiplier=1.000000\r\n"
            f"Inverse=0\r\nCounter=\\\\127.0.0.1:{port}\\Processor(_Total)\\% Processor Time"
            "\r\nEndAxis\r\n\r\n")
    with open(path, "w", newline="") as f:
        f.write("\r\n# CORVANE CONFIGURATION FILE. DO NOT MODIFY!\r\n\r\nInterval=1\r\n"
                "LogMode=0\r\n\r\n" + axis)
    return path


def window_id_part(env, home, display):
    xcb = Xcb(display)
    try:
        # A window of the default profile's picture: drawn, follows a resize, ends with it.
        wid = xcb.create(20, 20, 640, 480)
        saver = start([CORVSCREEN, "-window-id", hex(wid)], env, stderr=subprocess.PIPE)
        time.sleep(4)
        shot = screenshot(env, "window-id.png", wid)
        w, h, x, y = lit_box(shot)
        check(100 < w <= 319 and 100 < h <= 230, f"-window-id draws the chart ({w}x{h})")
        check(float(image_fact(shot, "-crop", "10x10+0+0", "%[fx:maxima]")) < 0.02,
              "around the chart the window is black")
        subprocess.run(["xdotool", "windowsize", str(wid), "300", "200"], env=env, check=True)
        time.sleep(1.5)
        shot = screenshot(env, "window-id-small.png", wid)
        w, h, _, _ = lit_box(shot)
        check(saver.poll() is None and w <= 149 and h <= 90,
              f"after a resize to 300x200 the chart is redrawn at its new size ({w}x{h})")
        xcb.destroy(wid)
        check(gone_within(saver.pid, 0.5) or saver.poll() is not None,
              "the host window's destruction ends corvscreen within half a second")
        saver.wait(5)
        check(saver.returncode == 0, f"... with status 0 ({saver.returncode})")

        # A profile whose machine never answers: SIGTERM still ends it at once.
        listener = stalled_listener()
        registry = env["CORVANE_USER_REGISTRY"]
        with open(registry, "w") as f:
            f.write("[Software\\Quillfen\\Corvane\\Screen Saver]\nProfile=" +
                    remote_profile(home, listener.getsockname()[1]) + "\n")
        wid = xcb.create(20, 20, 640, 480)
        saver = start([CORVSCREEN, "-window-id", str(wid)], env)
        time.sleep(1.5)
        shot = screenshot(env, "connecting.png", wid)
        w, _, _, _ = lit_box(shot)
        check(saver.poll() is None and w > 30, f"the connecting text is shown ({w} wide)")
        began = time.monotonic()
        saver.send_signal(signal.SIGTERM)
        saver.wait(5)
        took = time.monotonic() - began
        check(took < 0.5, f"SIGTERM while connecting ends it within half a second ({took:.3f} s)")
        listener.close()
        os.remove(registry)
        xcb.destroy(wid)
    finally:
        xcb.close()


def full_screen_part(env):
    saver = start([CORVSCREEN, "/s"], env)
    time.sleep(4)
    shot = screenshot(env, "full-screen.png")
    w, h, _, _ = lit_box(shot)
    check(150 < w <= 511 and 150 < h <= 374, f"/s draws the chart on black ({w}x{h})")
    second = subprocess.run([CORVSCREEN, "/s"], env=env, capture_output=True, timeout=10)
    check(second.returncode == 0 and saver.poll() is None,
          "a second /s brings the first forward and ends; the first runs on")
    subprocess.run(["xdotool", "key", "space"], env=env, check=True)
    check(gone_within(saver.pid, 1.0), "a key ends the full-screen screen saver")


def main():
    os.makedirs(SHOTS, exist_ok=True)
    PR_SET_CHILD_SUBREAPER = 36
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0)
    with tempfile.TemporaryDirectory(prefix="corvscreen-e2e-") as home:
        env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": home,
               "XDG_RUNTIME_DIR": home, "XDG_CONFIG_HOME": os.path.join(home, ".config"),
               "CORVANE_USER_REGISTRY": os.path.join(home, "user.ini"),
               "CORVANE_DEFAULT_REGISTRY": os.path.join(home, "default.ini")}
        for name in ("ASAN_OPTIONS", "UBSAN_OPTIONS", "TSAN_OPTIONS"):
            if name in os.environ:
                env[name] = os.environ[name]
        try:
            env["DISPLAY"] = start_xvfb(env)
            start(["openbox"], env)
            xscreensaver_part(env, home, env["DISPLAY"])
            window_id_part(env, home, env["DISPLAY"])
            full_screen_part(env)
        finally:
            for process in reversed(started):
                if process.poll() is None:
                    process.terminate()
                    try:
                        process.wait(5)
                    except subprocess.TimeoutExpired:
                        process.kill()
                        process.wait()
    print(f"screenshots in {SHOTS}")
    return status()


if __name__ == "__main__":
    sys.exit(main())
