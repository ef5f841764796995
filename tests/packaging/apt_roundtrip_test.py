#!/usr/bin/python3
"""Installing the packages with apt and purging them leaves nothing behind.

Lists every file of the machine outside the users' folders and the package manager's own
records, installs ./corvane_*.deb and ./corvane-service_*.deb with `apt-get install`, checks
that the packaged unit is there and not enabled, purges the packages (and whatever apt pulled
in for them), and lists again: the two lists must be equal. Both lists and their differences
are written to OUTPUT_DIR.

usage: apt_roundtrip_test.py PACKAGE_DIR OUTPUT_DIR
Skipped (77) without the packages, without root or sudo, or when Corvane's packages are
installed already (the test would remove them)."""

import glob
import os
import shutil
import subprocess
import sys

# Folders that are the users' own, the kernel's, or the package manager's and the system's
# running records, which any install changes.
SKIPPED = ["/proc", "/sys", "/dev", "/run", "/tmp", "/var/tmp", "/home", "/root", "/work",
           "/var/lib/dpkg", "/var/lib/apt", "/var/cache", "/var/log", "/var/backups",
           "/usr/lib/python3"]
PACKAGES = ["corvane", "corvane-service"]


def as_root():
    if os.geteuid() == 0:
        return []
    if shutil.which("sudo") and subprocess.run(["sudo", "-n", "true"],
                                               capture_output=True).returncode == 0:
        return ["sudo", "-n"]
    return None


def machine_files():
    found = set()
    for top in os.listdir("/"):
        start = "/" + top
        if any(start == s or start.startswith(s + "/") for s in SKIPPED):
            continue
        if os.path.islink(start) or not os.path.isdir(start):
            found.add(start)
            continue
        for folder, dirs, names in os.walk(start):
            dirs[:] = [d for d in dirs
                       if not any(os.path.join(folder, d) == s for s in SKIPPED)]
            for name in names + [d for d in dirs if os.path.islink(os.path.join(folder, d))]:
                path = os.path.join(folder, name)
                if "__pycache__" not in path:
                    found.add(path)
    return found


def installed_packages():
    out = subprocess.run(["dpkg-query", "-W", "-f", "${Package} ${Status}\n"],
                         capture_output=True, text=True).stdout
    return {line.split()[0] for line in out.splitlines() if line.endswith("install ok installed")}


def quiet(output):
    """apt's output without the database-reading progress."""
    return "\n".join(line for line in output.splitlines() if not line.startswith("(Reading"))


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    package_dir, output = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    debs = sorted(glob.glob(os.path.join(package_dir, "corvane_*.deb")) +
                  glob.glob(os.path.join(package_dir, "corvane-service_*.deb")))
    if len(debs) != 2:
        print("skipped: no corvane and corvane-service packages in %s "
              "(scripts/package.sh makes them)" % package_dir)
        return 77
    root = as_root()
    if root is None:
        print("skipped: installing packages needs root or sudo without a password")
        return 77
    before_packages = installed_packages()
    if set(PACKAGES) & before_packages:
        print("skipped: Corvane's packages are installed on this machine already")
        return 77
    os.makedirs(output, exist_ok=True)
    # The source tree, its builds and this test's own output change while it runs.
    source = os.path.realpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
    SKIPPED.extend([source, output, os.path.realpath(package_dir), os.getcwd()])
    env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
    failures = []

    before = machine_files()
    install = subprocess.run(root + ["apt-get", "install", "-y", "-q", "--no-install-recommends"]
                             + debs, env=env, capture_output=True, text=True)
    print(quiet(install.stdout)[-2500:] + install.stderr[-1500:])
    if install.returncode != 0:
        print("FAIL apt-get install")
        return 1
    pulled = sorted(installed_packages() - before_packages - set(PACKAGES))
    installed = machine_files()
    added = sorted(installed - before)
    print("installed files (%d):\n  %s" % (len(added), "\n  ".join(added)))
    for wanted in ("/usr/bin/Corvane", "/usr/bin/corvservice",
                   "/lib/systemd/system/corvservice.service",
                   "/usr/share/man/man8/corvservice.8.gz"):
        if not os.path.exists(wanted):  # /lib may be a link to /usr/lib
            failures.append("not installed: " + wanted)
    enabled = [path for path in installed
               if "wants/corvservice.service" in path or "wants/corvane.service" in path]
    if enabled:
        failures.append("the unit was enabled: %s" % enabled)

    purge = subprocess.run(root + ["apt-get", "purge", "-y", "-q"] + PACKAGES + pulled, env=env,
                           capture_output=True, text=True)
    print(quiet(purge.stdout)[-2500:] + purge.stderr[-1500:])
    if purge.returncode != 0:
        failures.append("apt-get purge")
    after = machine_files()
    left = sorted(after - before)
    gone = sorted(before - after)
    with open(os.path.join(output, "before.txt"), "w") as out:
        out.write("\n".join(sorted(before)) + "\n")
    with open(os.path.join(output, "installed.txt"), "w") as out:
        out.write("\n".join(added) + "\n")
    with open(os.path.join(output, "after.txt"), "w") as out:
        out.write("\n".join(sorted(after)) + "\n")
    print("packages apt pulled in: %s" % (" ".join(pulled) or "none"))
    print("left behind after purge (%d): %s" % (len(left), left))
    print("removed that were there before (%d): %s" % (len(gone), gone))
    if left:
        failures.append("files left behind: %s" % left)
    if gone:
        failures.append("files removed that were there before: %s" % gone)
    if set(PACKAGES) & installed_packages():
        failures.append("packages still installed after purge")
    for failure in failures:
        print("FAIL " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
