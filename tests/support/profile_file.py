"""A Corvane profile written as the desktop program saves one, for the tests of installed
programs: the settings (with the caller's changes) and the axes, CR LF lines."""

SETTINGS = dict(GridStep=20, CriticalBorder=80, ShowNames=1, ShowNumbers=0, ShowValues=1,
                LabelTrunc=2, History=30, Interval=1, AlwaysOntop=0, EnableTray=0, Caption=1,
                ShowCurrent=1, ShowAverage=1, ShowMax=1, CurColor=0x0000FF, AvgColor=0x00CC00,
                MaxColor=0xFF7F00, BackColor=0, TextColor=0xFFFFFF, LineColor=0x808080,
                CritColor=0x00FFFF, BoldCur=1, BoldAvg=1, BoldMax=0, BoldCrit=0, WndLeft=100,
                WndRight=600, WndTop=100, WndBottom=500, LogMode=0, LogFormat=0,
                LogFileSize=64)

# name, counter, axis maximum, critical value: counters every Linux machine has.
AXES = [
    ("CPU", "\\Processor(_Total)\\% Processor Time", 100, 90),
    ("Memory", "\\Memory\\% Committed Bytes In Use", 100, 90),
    ("Processes", "\\System\\Processes", 1000, 900),
    ("Threads", "\\System\\Threads", 5000, 4500),
    ("Uptime", "\\System\\System Up Time", 10000000, 9000000),
]

# The colours of SETTINGS as (r, g, b): the profile stores 0x00BBGGRR.
def rgb(colorref):
    return (colorref & 0xFF, colorref >> 8 & 0xFF, colorref >> 16 & 0xFF)


def write_profile(path, axes=AXES, **changes):
    settings = dict(SETTINGS, **changes)
    lines = ["", "# CORVANE CONFIGURATION FILE. DO NOT MODIFY!", ""]
    lines += ["%s=%d" % item for item in settings.items()]
    for name, counter, maximum, critical in axes:
        lines += ["", "BeginAxis", "Name=" + name, "Desc=", "MinValue=0.000000",
                  "MaxValue=%f" % maximum, "CriticalValue=%f" % critical,
                  "Multiplier=1.000000", "Inverse=0", "Counter=" + counter, "EndAxis"]
    with open(path, "w", newline="\r\n") as out:
        out.write("\n".join(lines) + "\n")
