#!/usr/bin/python3
"""The Debian packages as a user gets them, without installing them.

- Their files are exactly those `cmake --install` installs under /usr (the unit in Debian's
  /lib/systemd/system, the manual pages compressed), plus the copyright, changelog and
  lintian overrides every Debian package carries; corvane-service holds no Qt program.
- Every program runs from the extracted tree: corvquery and corvsnap on the real machine's
  counters and a real profile, corvservice in the console and writing its own unit, the store
  writer on a settings file, corvscreen under Xvfb, and Corvane under Xvfb, started by
  xdg-open on a profile through the package's MIME type and desktop entry.
- The desktop entries, the AppStream entry and lintian find nothing wrong.

usage: package_contents_test.py PACKAGE_DIR BUILD_DIR OUTPUT_DIR
Skipped (77) when PACKAGE_DIR holds no packages (scripts/package.sh makes them) or a tool is
missing. Every process it starts is ended by its own id."""

import glob
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
import profile_file  # noqa: E402
import x11_session as x11  # noqa: E402

PACKAGE_EXTRAS = {"usr/share/doc/{0}/changelog.Debian.gz", "usr/share/doc/{0}/copyright",
                  "usr/share/lintian/overrides/{0}"}
TOOLS = ["dpkg-deb", "cmake", "lintian", "Xvfb", "openbox", "xdotool", "xprop", "xdg-open", "gio",
         "xdg-mime", "update-mime-database", "update-desktop-database", "desktop-file-validate",
         "appstreamcli", "groff"]

def files_under(root):
    found = set()
    for folder, _, names in os.walk(root):
        for name in names:
            found.add(os.path.relpath(os.path.join(folder, name), root))
    return found


def packaged_files(deb):
    listing = subprocess.run(["dpkg-deb", "--fsys-tarfile", deb], capture_output=True,
                             check=True).stdout
    names = subprocess.run(["tar", "-t"], input=listing, capture_output=True,
                           check=True).stdout.decode().split("\n")
    return {name[2:] for name in names if name and not name.endswith("/")}


def installed_by_cmake(build_dir, destdir):
    env = dict(os.environ, DESTDIR=destdir)
    subprocess.run(["cmake", "--install", build_dir, "--prefix", "/usr"], env=env, check=True,
                   stdout=subprocess.DEVNULL)
    files = set()
    for path in files_under(destdir):
        # Debian 12 keeps units in /lib; debhelper compresses the manual pages.
        if path.startswith("usr/lib/systemd/system/"):
            path = path[len("usr/"):]
        if path.startswith("usr/share/man/"):
            path += ".gz"
        files.add(path)
    return files


def run(argv, env, timeout=60, **kwargs):
    return subprocess.run(argv, env=env, capture_output=True, text=True, timeout=timeout,
                          **kwargs)


def check_contents(debs, build_dir, work):
    packaged = {}
    for name, deb in debs.items():
        packaged[name] = packaged_files(deb)
    expected = installed_by_cmake(build_dir, os.path.join(work, "cmake"))
    if not any(path.endswith("bin/Corvane") for path in expected):
        return False  # a build without the Qt programs cannot be compared
    extras = set()
    for name in debs:
        extras |= {extra.format(name) for extra in PACKAGE_EXTRAS}
    everything = set().union(*packaged.values())
    print("files in the packages:\n  " + "\n  ".join(
        "%s: %s" % (name, path) for name in sorted(packaged) for path in sorted(packaged[name])))
    x11.check(everything - extras == expected,
              "the packages hold what cmake --install installs (only in packages: %s; "
              "only installed: %s)" % (sorted(everything - extras - expected),
                                        sorted(expected - everything)))
    service = packaged["corvane-service"]
    x11.check({"usr/bin/corvservice", "usr/bin/corvquery",
               "lib/systemd/system/corvservice.service"} <= service and
              not any(p.endswith(("Corvane", "corvscreen", "corvsnap")) for p in service),
              "corvane-service holds the service, corvquery and the unit, and no Qt program")
    return True


def check_service_depends(deb):
    depends = run(["dpkg-deb", "-f", deb, "Depends"], os.environ).stdout
    x11.check(all(name in depends for name in ("libcurl4", "libmicrohttpd12", "libsimdjson14"))
              and "libqt6" not in depends,
              "corvane-service depends on libcurl4, libmicrohttpd12 and libsimdjson14 and on no Qt "
              "library: " + depends.strip())


def check_tools(root, work, env):
    bin_dir = os.path.join(root, "usr", "bin")
    profile = os.path.join(work, "profiles", "Machine.crvn")
    os.makedirs(os.path.dirname(profile))
    profile_file.write_profile(profile, LogMode=1)

    objects = run([os.path.join(bin_dir, "corvquery"), "--list"], env)
    x11.check(objects.returncode == 0 and "Processor" in objects.stdout.split("\n"),
              "corvquery --list lists this machine's objects")
    rows = run([os.path.join(bin_dir, "corvquery"), "--samples", "2", "--interval", "0.2",
                "\\Processor(_Total)\\% Processor Time", "\\System\\Processes"], env)
    lines = rows.stdout.strip().split("\n")
    x11.check(rows.returncode == 0 and len(lines) == 3 and lines[1].split(",")[2] != "",
              "corvquery prints a header and two rows of real counters: %r" % lines)

    picture = os.path.join(work, "rose.png")
    snap = run([os.path.join(bin_dir, "corvsnap"), profile, picture, "--seconds", "2",
                "--size", "400x300"], env)
    with open(picture, "rb") if os.path.exists(picture) else open(os.devnull, "rb") as image:
        magic = image.read(8)
    x11.check(snap.returncode == 0 and magic == b"\x89PNG\r\n\x1a\n",
              "corvsnap writes the profile's rose as PNG (status %d %s)" % (snap.returncode,
                                                                             snap.stderr.strip()))

    service = subprocess.Popen([os.path.join(bin_dir, "corvservice"), "-run", profile], env=env,
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    try:
        log = x11.poll(lambda: glob.glob(os.path.join(os.path.dirname(profile), "Logs", "*")), 20)
        running = service.poll() is None
        service.send_signal(signal.SIGINT)
        out, err = service.communicate(timeout=20)
    finally:
        if service.poll() is None:
            service.kill()
            service.wait()
    x11.check(running and log and service.returncode == 0,
              "corvservice -run samples the profile, writes its log (%s) and ends on Ctrl+C "
              "with 0 (%s)" % (log, err.strip()[-200:]))

    units = os.path.join(work, "units")
    os.makedirs(units)
    unit_env = dict(env, CORVANE_UNIT_DIR=units, CORVANE_SYSTEMCTL="")
    install = run([os.path.join(bin_dir, "corvservice"), "-install"], unit_env)
    written = os.path.join(units, "corvane.service")
    text = open(written).read() if os.path.exists(written) else ""
    x11.check(install.returncode == 0 and
              'ExecStart="%s"' % os.path.join(bin_dir, "corvservice") in text,
              "corvservice -install writes corvane.service for the program it is (%s)"
              % install.stdout.strip()[-120:])
    remove = run([os.path.join(bin_dir, "corvservice"), "-remove"], unit_env)
    x11.check(remove.returncode == 0 and not os.path.exists(written),
              "corvservice -remove deletes it again")
    packaged_unit = open(os.path.join(root, "lib", "systemd", "system",
                                      "corvservice.service")).read()
    x11.check('ExecStart="/usr/bin/corvservice"' in packaged_unit and
              "Conflicts=corvane.service" in packaged_unit and "[Install]" in packaged_unit,
              "the packaged corvservice.service runs /usr/bin/corvservice and conflicts with the "
              "unit -install writes")

    # The packaged writer changes the machine-wide store only: a file of the caller's is refused
    # and left unwritten, the variable that moves the default hive for the others too.
    store = os.path.join(work, "store.ini")
    write = run([os.path.join(bin_dir, "corvane-store-write"), "--default-user-values", store,
                 "--set-create", "Software\\Quillfen\\Corvane\\Screen Saver", "Profile", profile],
                dict(env, CORVANE_DEFAULT_REGISTRY=store))
    x11.check(write.returncode == 2 and not os.path.exists(store) and
              "only /etc/Quillfen/Corvane/registry.ini is written" in write.stdout,
              "corvane-store-write refuses to write any file but the machine-wide store (%s)"
              % write.stdout.strip())

    for page in ("man1/Corvane.1.gz", "man1/corvscreen.1.gz", "man1/corvsnap.1.gz",
                 "man1/corvquery.1.gz", "man1/corvane-store-write.1.gz",
                 "man8/corvservice.8.gz"):
        path = os.path.join(root, "usr", "share", "man", page)
        shown = subprocess.run("zcat '%s' | groff -man -Tascii -P-cbou" % path, shell=True,
                               capture_output=True, text=True)
        x11.check(shown.returncode == 0 and "EXIT STATUS" in shown.stdout and
                  not shown.stderr.strip(), "the manual page %s reads cleanly" % page)


def check_desktop(root, work, env, output):
    share = os.path.join(root, "usr", "share")
    processes = x11.Processes()
    try:
        x11.start_display(processes, env)
        # The saver on the root window, as a host without its own window runs it.
        saver = processes.start([os.path.join(root, "usr", "libexec", "xscreensaver",
                                              "corvscreen"), "--root"], env=env,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        time.sleep(3)
        alive = saver.poll() is None
        saver.terminate()
        try:
            saver.wait(timeout=5)
        except subprocess.TimeoutExpired:
            pass
        x11.check(alive and saver.returncode == 0,
                  "corvscreen --root runs on the root window and ends on SIGTERM with 0 (%s)"
                  % saver.returncode)

        # The desktop's databases over the extracted tree, as the package's triggers make them.
        subprocess.run(["update-mime-database", os.path.join(share, "mime")], check=True,
                       capture_output=True)
        subprocess.run(["update-desktop-database", os.path.join(share, "applications")],
                       check=True, capture_output=True)
        env["XDG_DATA_DIRS"] = share + ":/usr/share"
        # xdg-open hands the file to the desktop's opener, as on a GNOME desktop (gio, which
        # reads the shared MIME database and the desktop entries' MIME lists).
        env["XDG_CURRENT_DESKTOP"] = "GNOME"
        env["PATH"] = os.path.join(root, "usr", "bin") + ":" + env["PATH"]
        profile = os.path.join(work, "profiles", "Opened.crvn")
        profile_file.write_profile(profile, WndLeft=50, WndTop=50, WndRight=450, WndBottom=350)
        kind = run(["xdg-mime", "query", "filetype", profile], env).stdout.strip()
        x11.check(kind == "application/x-corvane-profile", "a .crvn file is a Corvane profile: "
                  + kind)
        handler = run(["xdg-mime", "query", "default", kind], env).stdout.strip()
        x11.check(handler == "corvane.desktop", "its program is corvane.desktop: " + handler)
        opener = processes.start(["xdg-open", profile], env=env, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL)
        window = x11.poll(lambda: x11.search_windows(env, "--onlyvisible", "--name",
                                                     "^Opened.crvn - Corvane$"), 30)
        x11.check(bool(window), "xdg-open starts Corvane on the profile: window "
                  "\"Opened.crvn - Corvane\"")
        if window:
            pid = int(x11.xdotool(env, "getwindowpid", window[0])[0])
            exe = os.readlink("/proc/%d/exe" % pid)
            x11.check(exe == os.path.join(root, "usr", "bin", "Corvane"),
                      "the window belongs to the extracted program: " + exe)
            time.sleep(2.5)
            x11.Picture.of_window(env, window[0], os.path.join(output, "opened-profile.png"))
            os.kill(pid, signal.SIGTERM)
            x11.poll(lambda: not os.path.exists("/proc/%d" % pid), 10)
            if os.path.exists("/proc/%d" % pid):
                os.kill(pid, signal.SIGKILL)
        if opener.poll() is None:
            opener.terminate()
    finally:
        processes.end_all()


def check_metadata(root, debs):
    share = os.path.join(root, "usr", "share")
    for entry in ("applications/corvane.desktop", "applications/screensavers/corvscreen.desktop"):
        result = run(["desktop-file-validate", os.path.join(share, entry)], os.environ)
        # Hints are advice (a screen saver's entry has no main menu category, by design).
        problems = [line for line in result.stdout.splitlines() if " hint: " not in line]
        x11.check(result.returncode == 0 and not problems,
                  "desktop-file-validate %s: %s" % (entry, result.stdout.strip() or "clean"))
    result = run(["appstreamcli", "validate", "--no-net", "--explain",
                  os.path.join(share, "metainfo", "org.quillfen.Corvane.metainfo.xml")],
                 os.environ)
    x11.check(result.returncode == 0, "appstreamcli validate: " + result.stdout.strip()[-300:])
    result = run(["lintian", "--fail-on", "error,warning", "--display-info"]
                 + sorted(debs.values()), os.environ, timeout=280)
    print("lintian:\n" + (result.stdout.strip() or "(nothing)"))
    x11.check(result.returncode == 0, "lintian finds no error or warning")


def main():
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    package_dir, build_dir, output = (os.path.abspath(a) for a in sys.argv[1:])
    debs = {}
    for deb in glob.glob(os.path.join(package_dir, "*.deb")):
        name = os.path.basename(deb).split("_")[0]
        if not name.endswith("-dbgsym"):  # debug symbols: not what cmake installs
            debs[name] = deb
    if not {"corvane", "corvane-service"} <= set(debs):
        print("skipped: no corvane and corvane-service packages in %s "
              "(scripts/package.sh makes them)" % package_dir)
        return 77
    missing = x11.missing_tools(TOOLS)
    if missing:
        print("skipped, missing: " + " ".join(missing))
        return 77
    os.makedirs(output, exist_ok=True)
    work = tempfile.mkdtemp(prefix="corvane-packages-")
    try:
        root = os.path.join(work, "root")
        for name in sorted(debs):
            subprocess.run(["dpkg-deb", "-x", debs[name], root], check=True)
        if not check_contents(debs, build_dir, work):
            print("skipped: this build has no Qt programs to compare the packages with")
            return 77
        check_service_depends(debs["corvane-service"])
        home = os.path.join(work, "home")
        os.makedirs(os.path.join(home, "run"), mode=0o700)
        env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": home,
               "XDG_RUNTIME_DIR": os.path.join(home, "run"),
               "XDG_CONFIG_HOME": os.path.join(home, ".config"),
               "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
               "XDG_CACHE_HOME": os.path.join(home, ".cache"),
               "CORVANE_USER_REGISTRY": os.path.join(home, "user.ini"),
               "CORVANE_DEFAULT_REGISTRY": os.path.join(home, "default.ini"),
               "CORVANE_SYSTEMCTL": "", "QT_QPA_PLATFORM": "xcb"}
        check_tools(root, work, dict(env, QT_QPA_PLATFORM="offscreen"))
        check_desktop(root, work, env, output)
        check_metadata(root, debs)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return x11.status()


if __name__ == "__main__":
    sys.exit(main())
