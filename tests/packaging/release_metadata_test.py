#!/usr/bin/python3
"""One release, named the same everywhere it is written down.

- The version: the build's project VERSION, the newest entry of debian/changelog (its
  upstream part) and the newest release of the software centre's entry the build made.
- The project's site: the build's HOMEPAGE_URL, debian/control's Homepage, debian/copyright's
  Source and the software centre's homepage address; the screenshot's address lies on that
  site and ends with the name of the picture the package installs, whose size is the one the
  entry gives.
- debian/copyright is a machine-readable copyright file whose every Files paragraph names a
  licence that has its text.
- The software centre's entry passes appstreamcli validate --no-net (when AppStream is
  installed).

usage: release_metadata_test.py SOURCE_DIR METAINFO VERSION HOMEPAGE"""

import os
import re
import shutil
import struct
import subprocess
import sys
import xml.etree.ElementTree as ElementTree

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from x11_session import check, status  # noqa: E402

def control_paragraphs(path):
    """The paragraphs of a Debian control-style file, as {field: value} (continuation lines
    joined with newlines)."""
    paragraphs, current, field = [], {}, None
    with open(path) as text:
        for line in text.read().splitlines():
            if not line.strip():
                if current:
                    paragraphs.append(current)
                current, field = {}, None
            elif line[0] in " \t" and field:
                current[field] += "\n" + line.strip()
            else:
                field, _, value = line.partition(":")
                current[field] = value.strip()
    if current:
        paragraphs.append(current)
    return paragraphs


def newest_changelog_version(path):
    with open(path) as text:
        first = text.readline()
    found = re.match(r"^\S+ \(([^)]+)\)", first)
    return found.group(1) if found else None


def png_size(path):
    with open(path, "rb") as picture:
        header = picture.read(24)
    if header[:8] != b"\x89PNG\r\n\x1a\n":
        return None
    return struct.unpack(">II", header[16:24])


def main():
    if len(sys.argv) != 5:
        print(__doc__)
        return 2
    source, metainfo, version, homepage = sys.argv[1:]
    debian = os.path.join(source, "debian")

    changelog = newest_changelog_version(os.path.join(debian, "changelog"))
    check(changelog is not None and changelog.rsplit("-", 1)[0] == version,
          "debian/changelog's newest entry is release %s: %s" % (version, changelog))
    entry = ElementTree.parse(metainfo).getroot()
    releases = [r.get("version") for r in entry.iter("release")]
    check(releases[:1] == [version],
          "the software centre's newest release is %s: %s" % (version, releases))

    control = control_paragraphs(os.path.join(debian, "control"))
    check(control[0].get("Homepage") == homepage,
          "debian/control's Homepage is the project's site %s: %s"
          % (homepage, control[0].get("Homepage")))
    copyright_file = control_paragraphs(os.path.join(debian, "copyright"))
    check(copyright_file[0].get("Source") == homepage,
          "debian/copyright's Source is the project's site: %s" % copyright_file[0].get("Source"))
    urls = {u.get("type"): u.text for u in entry.iter("url")}
    check(urls.get("homepage") == homepage,
          "the software centre's homepage is the project's site: %s" % urls.get("homepage"))

    images = list(entry.iter("image"))
    check(len(images) == 1, "the entry has one screenshot: %d" % len(images))
    if images:
        image = images[0]
        url = image.text or ""
        name = url.rsplit("/", 1)[-1]
        picture = os.path.join(source, "docs", name)
        check(url.startswith(homepage + "/"), "the screenshot lies on the project's site: " + url)
        check(os.path.exists(picture), "the screenshot is the picture the package installs: "
              + picture)
        if os.path.exists(picture):
            size = png_size(picture)
            stated = (int(image.get("width", 0)), int(image.get("height", 0)))
            check(size == stated, "the screenshot is as large as the entry says: %s, %s"
                  % (size, stated))

    header = copyright_file[0]
    check(header.get("Format", "").startswith(
        "https://www.debian.org/doc/packaging-manuals/copyright-format/1.0"),
        "debian/copyright is machine-readable")
    licences = {p["License"].split("\n")[0]: p["License"] for p in copyright_file[1:]
                if "License" in p}
    files = [p for p in copyright_file[1:] if "Files" in p]
    check(files, "debian/copyright has a Files paragraph")
    for paragraph in files:
        name = paragraph.get("License", "").split("\n")[0]
        text = paragraph.get("License", "").split("\n", 1)[1:] or licences.get(name, "").split(
            "\n", 1)[1:]
        check(name and paragraph.get("Copyright") and text and text[0].strip(),
              "the files %s have a holder and a licence with its text (%s)"
              % (paragraph["Files"], name))

    if shutil.which("appstreamcli"):
        result = subprocess.run(["appstreamcli", "validate", "--no-net", metainfo],
                                capture_output=True, text=True)
        check(result.returncode == 0, "appstreamcli validate --no-net passes:\n"
              + result.stdout.strip())
    else:
        print("appstreamcli is not installed: the entry's validation is left to the package "
              "test")
    return status()


if __name__ == "__main__":
    sys.exit(main())
