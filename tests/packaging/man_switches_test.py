#!/usr/bin/python3
"""Every switch a program accepts appears in its manual page.

The switches of a program are those its usage text names (the program itself prints it) and
those its command-line parser compares arguments with (read from the parser's source); the
page is the one the build made from packaging/man, rendered with groff as man shows it.

usage: man_switches_test.py SOURCE_DIR MAN_DIR PROGRAM=PATH..."""

import os
import re
import subprocess
import sys

# program: (page, how the usage is asked for, exit statuses of that, parser sources)
PROGRAMS = {
    "corvquery": ("corvquery.1", ["--help"], (0,), ["tools/corvquery/query_options.cpp"]),
    "corvsnap": ("corvsnap.1", ["--help"], (0,), ["tools/corvsnap/snap_options.cpp",
                                                  "tools/corvsnap/snap_options.h"]),
    "corvscreen": ("corvscreen.1", ["--help"], (0,), ["screensaver/saver_command_line.cpp",
                                                      "screensaver/saver_command_line.h"]),
    "corvservice": ("corvservice.8", [], (0,), ["service/command_line.cpp"]),
    "corvane-store-write": ("corvane-store-write.1", [], (2,),
                            ["platform/linux/privileged/privileged_store_write.cpp",
                             "platform/linux/privileged/privileged_store_write.h"]),
}

# Switches in a usage text: "-x", "--word", "-word" and the framework's "/x".
USAGE_SWITCH = re.compile(r"(?<![\w/\\$-])(--?[A-Za-z][\w-]*|/[A-Za-z])(?![\w/\\])")
# What a parser compares with: string literals of switches, words given to the helpers that
# accept "-" and "/" (IsWord, NamesEqual) and the framework's one-letter switches.
PARSER_PATTERNS = [
    (re.compile(r'"(--?[a-z][a-z-]*)"'), lambda m: [m.group(1)]),
    (re.compile(r'IsWord\(arg, "([a-z-]+)"\)'), lambda m: ["-" + m.group(1), "--" + m.group(1)]),
    (re.compile(r'NamesEqual\(word, "([a-z]+)"\)'), lambda m: ["-" + m.group(1)]),
    (re.compile(r"letter != '([a-z])'"), lambda m: ["/" + m.group(1)]),
]


def usage_switches(program, arguments, statuses):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", CORVANE_SYSTEMCTL="")
    env.pop("NOTIFY_SOCKET", None)
    env.pop("INVOCATION_ID", None)
    run = subprocess.run([program] + arguments, capture_output=True, text=True, env=env,
                         timeout=30)
    if run.returncode not in statuses:
        raise AssertionError("%s %s exited with %d" % (program, arguments, run.returncode))
    text = run.stdout + run.stderr
    if "sage" not in text:
        raise AssertionError("%s %s printed no usage" % (program, arguments))
    return set(USAGE_SWITCH.findall(text))


def parser_switches(source_dir, files):
    found = set()
    for name in files:
        with open(os.path.join(source_dir, name)) as source:
            # Comments may name words that are not switches.
            text = re.sub(r"//[^\n]*", "", source.read())
        for pattern, forms in PARSER_PATTERNS:
            for match in pattern.finditer(text):
                found.update(forms(match))
    return found


def page_text(path):
    """The page as man shows it, in ASCII, with lines long enough that nothing is hyphenated."""
    roff = subprocess.run(["groff", "-t", "-man", "-Tascii", "-P-cbou", "-rLL=400n", path],
                          capture_output=True, text=True, check=True).stdout
    return roff


def mentioned(switch, text):
    return re.search(r"(?<![\w-])" + re.escape(switch) + r"(?![\w-])", text) is not None


def main():
    if len(sys.argv) < 4:
        print(__doc__)
        return 2
    source_dir, man_dir = sys.argv[1], sys.argv[2]
    programs = dict(argument.split("=", 1) for argument in sys.argv[3:])
    failures = []
    for name, (page, arguments, statuses, parsers) in PROGRAMS.items():
        if name not in programs:
            print("skip %s: not built" % name)
            continue
        switches = usage_switches(programs[name], arguments, statuses)
        switches |= parser_switches(source_dir, parsers)
        text = page_text(os.path.join(man_dir, page))
        missing = sorted(s for s in switches if not mentioned(s, text))
        print("%s: %d switches: %s" % (name, len(switches), " ".join(sorted(switches))))
        if missing:
            failures.append("%s: not in %s: %s" % (name, page, " ".join(missing)))
        # Every page has the sections a reader looks for.
        for section in ("SYNOPSIS", "OPTIONS", "EXIT STATUS", "ENVIRONMENT", "FILES",
                        "EXAMPLES"):
            if not re.search(r"^" + section + r"\s*$", text, re.MULTILINE):
                failures.append("%s: no %s section" % (page, section))
    for failure in failures:
        print("FAIL " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
