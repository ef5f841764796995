#!/usr/bin/python3
"""The live wind rose in a real browser: Debian's chromium, headless, driven through
chromium-driver by Selenium, on the page of a real `corvservice -run` with local counters.

- the page shows the rose (an inline SVG) and the axis table; the stream replaces both (the
  picture's moving group alone while the rest stays), so the time and the values change
  without a reload; a screenshot shows the profile's colours;
- an axis named <img src=x onerror=alert(1)> reads as that text, no img element exists and no
  alert opened;
- the service is stopped: the page says the stream is lost; started again on the same port,
  the same page (never reloaded) says it is back and shows new samples;
- the slider over the profile's CSV log, and then over an HTML log, goes to a recorded row, and
  the table shows that row's values;
- /rose.png opens in the browser at the size asked, on the profile's background.

usage: rose_browser_e2e.py CORVSERVICE [SCREENSHOT_DIR]
Skips (77) when chromium, chromedriver or Selenium is missing. Every process the test starts
is ended by its id, also when a check fails."""

import calendar
import os
import re
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import time
import urllib.request
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import profile_file  # noqa: E402

XSS = "<img src=x onerror=alert(1)>"
UPTIME = "\\System\\System Up Time"
AXES = [("CPU", "\\Processor(_Total)\\% Processor Time", 100, 90),
        ("Threads", "\\System\\Threads", 5000, 4500),
        ("Uptime", UPTIME, 100000000, 90000000),
        (XSS, UPTIME, 100000000, 1)]
CUR_COLOR = 0x0000FF  # red current values, on black
BACK_COLOR = 0x000000


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_until(what, condition, limit=60.0):
    deadline = time.monotonic() + limit
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.1)


class Service:
    def __init__(self, program, profile, port):
        self.program, self.profile, self.port, self.process = program, profile, port, None

    def start(self):
        self.process = subprocess.Popen(
            [self.program, "-run", self.profile, "--metrics=127.0.0.1:%d" % self.port],
            cwd=os.path.dirname(self.profile), stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)

        def serving():
            try:
                with urllib.request.urlopen("http://127.0.0.1:%d/metrics" % self.port,
                                            timeout=5) as answer:
                    return b"corvane_samples_total " in answer.read()
            except OSError:
                return False
        wait_until("the service to serve", serving)

    def stop(self):
        if self.process is not None and self.process.poll() is None:
            self.process.send_signal(signal.SIGINT)
            try:
                self.process.wait(timeout=30)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.process = None


def png_pixels(data):
    """(width, height, rows of (r, g, b)) of an 8-bit RGB or RGBA PNG without interlace."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    pos, idat, width, height, channels = 8, b"", 0, 0, 3
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        chunk = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", chunk[:10])
            assert depth == 8 and colour in (2, 6), (depth, colour)
            channels = 3 if colour == 2 else 4
        elif kind == b"IDAT":
            idat += chunk
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            corner = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                predictor = left if pa <= pb and pa <= pc else up if pb <= pc else corner
                line[i] = (line[i] + predictor) & 0xFF
        rows.append([tuple(line[x * channels:x * channels + 3]) for x in range(width)])
        previous = line
    return width, height, rows


def table(driver):
    """The axis table as {name: (current, average, maximum, critical, state)}."""
    return driver.execute_script("""
        const rows = {};
        for (const tr of document.querySelectorAll('#axes tbody tr')) {
          rows[tr.querySelector('th').textContent] =
              Array.from(tr.querySelectorAll('td'), td => td.textContent);
        }
        return rows;""")


def status(driver):
    return driver.find_element("id", "status").text


def csv_rows(log):
    """(local seconds, [values]) of every sample row of a CSV log."""
    rows, year = [], time.localtime().tm_year
    for line in open(log):
        m = re.match(r"(\d\d)/(\d\d),(\d\d):(\d\d):(\d\d),(.*)$", line.strip())
        if m:
            mo, d, h, mi, s = (int(g) for g in m.groups()[:5])
            rows.append((calendar.timegm((year, mo, d, h, mi, s)), m.group(6).split(",")))
    return rows


def html_rows(log):
    """(local seconds, [values]) of every sample row of an HTML log; none before the service
    has made the log at its first sample."""
    rows, year = [], time.localtime().tm_year
    if not os.path.exists(log):
        return rows
    text = open(log).read()
    for m in re.finditer(r"<td>(\d\d)/(\d\d)</td><td>(\d\d):(\d\d):(\d\d)</td>(.*?)</tr>", text,
                         re.S):
        mo, d, h, mi, s = (int(g) for g in m.groups()[:5])
        # A value that rose or fell carries an arrow in tags of its own after the number.
        cells = [re.sub(r"<[^>]*>|&[a-z]+;", "", cell).strip()
                 for cell in re.findall(r"<td[^>]*>(.*?)</td>", m.group(6), re.S)]
        rows.append((calendar.timegm((year, mo, d, h, mi, s)), cells))
    return rows


def slide_to(driver, seconds):
    driver.execute_script("""
        const slider = document.getElementById('at');
        slider.value = String(arguments[0]);
        slider.dispatchEvent(new Event('change'));""", seconds)
    wait_until("the recorded moment's page", lambda: driver.execute_script(
        "return document.body.dataset.moment") == str(seconds))


def check_recorded_row(driver, rows):
    """Slides to a row in the middle of `rows` and compares the table's current values. A
    moment is a second: a row that shares its second with another (a late sample and the next
    one) is not chosen, as the later one is in force."""
    times = [at for at, _ in rows]
    single = [row for row in rows if times.count(row[0]) == 1]
    assert len(single) >= 3, rows
    at, values = single[len(single) // 2]
    slide_to(driver, at)
    shown = table(driver)
    names = [axis[0] for axis in AXES]
    for name, logged in zip(names, values):
        expected = "n/a" if logged in ("N/A", "") else logged
        assert shown[name][0] == expected, (name, shown[name], logged)
    return at


def run(program, screenshots):
    from selenium import webdriver
    from selenium.common.exceptions import NoAlertPresentException
    from selenium.webdriver.chrome.service import Service as DriverService

    root = tempfile.mkdtemp(prefix="corvane-rose-browser-")
    services, driver = [], None
    try:
        profile = os.path.join(root, "Rose.crvn")
        profile_file.write_profile(profile, axes=AXES, Interval=1, LogMode=1, LogFormat=1,
                                   CurColor=CUR_COLOR, BackColor=BACK_COLOR, ShowMax=0)
        port = free_port()
        service = Service(program, profile, port)
        services.append(service)
        service.start()

        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for argument in ("--headless=new", "--no-sandbox", "--disable-gpu",
                         "--disable-dev-shm-usage", "--window-size=1100,900"):
            options.add_argument(argument)
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        driver = webdriver.Chrome(service=DriverService("/usr/bin/chromedriver"), options=options)
        url = "http://127.0.0.1:%d/" % port
        driver.get(url)

        # The rose and the table come with the page; the stream then replaces them.
        assert driver.find_elements("css selector", "#rose svg"), driver.page_source[:500]
        first_time = driver.find_element("id", "time").text
        first_uptime = table(driver)["Uptime"][0]
        moving_text = ("const g = document.querySelectorAll('#rose svg > g#moving');"
                       "return g.length === 1 ? g[0].textContent : null")
        first_moving = driver.execute_script(moving_text)
        assert first_moving, "no moving group in the page's picture"
        driver.execute_script("window.neverReloaded = true;")
        wait_until("a new sample on the page", lambda: status(driver) == "Live." and
                   driver.find_element("id", "time").text != first_time)
        wait_until("the uptime to change", lambda: table(driver)["Uptime"][0] != first_uptime)
        # The stream sends the moving group alone once a reader has the picture: it takes the
        # place of the old one, and the picture's still part stays.
        wait_until("the moving group to change", lambda: driver.execute_script(moving_text)
                   not in (None, first_moving))
        assert driver.execute_script("return document.querySelectorAll('#rose svg').length") == 1
        picture = driver.execute_script("return document.getElementById('rose').dataset.picture")
        assert int(picture) > 0, picture

        # The hostile name is text, nothing ran.
        rows = table(driver)
        assert XSS in rows, rows.keys()
        assert rows[XSS][4] == "critical", rows[XSS]
        assert driver.execute_script("return document.querySelectorAll('img').length") == 0
        try:
            driver.switch_to.alert
            raise AssertionError("an alert opened")
        except NoAlertPresentException:
            pass

        # The values are drawn in the profile's colour for current values, not the default's.
        current_texts = driver.execute_script(
            "return document.querySelectorAll('#rose svg text[fill=\"#ff0000\"]').length")
        assert current_texts >= len(AXES), current_texts

        os.makedirs(screenshots, exist_ok=True)
        shot = os.path.join(screenshots, "rose-page.png")
        driver.save_screenshot(shot)
        width, height, pixels = png_pixels(open(shot, "rb").read())
        box = driver.execute_script("""
            const r = document.querySelector('#rose svg').getBoundingClientRect();
            return [r.left, r.top, r.width, r.height];""")
        scale = width / driver.execute_script("return window.innerWidth")
        x0, y0 = int(box[0] * scale), int(box[1] * scale)
        x1, y1 = int((box[0] + box[2]) * scale), int((box[1] + box[3]) * scale)
        inside = [pixels[y][x] for y in range(y0, min(y1, height), 2)
                  for x in range(x0, min(x1, width), 2)]
        black = sum(1 for p in inside if p == (0, 0, 0))
        red = sum(1 for p in inside if p[0] > 200 and p[1] < 60 and p[2] < 60)
        assert black > len(inside) // 2, (black, len(inside))
        assert red > 20, red

        # Lost, and back without a reload.
        service.stop()
        wait_until("the page to say the stream is lost", lambda: "lost" in status(driver))
        lost_time = driver.find_element("id", "time").text
        service.start()
        wait_until("the page to say the stream is back", lambda: "back" in status(driver))
        wait_until("samples of the new run",
                   lambda: driver.find_element("id", "time").text != lost_time)
        assert driver.execute_script("return window.neverReloaded === true"), "page reloaded"

        # The slider over the CSV log: the table shows the values of the row chosen.
        driver.get(url)
        log_rows = csv_rows(os.path.join(root, "Logs", "Rose-log.csv"))
        check_recorded_row(driver, log_rows)
        driver.save_screenshot(os.path.join(screenshots, "rose-recorded.png"))
        service.stop()

        # And over an HTML log.
        html_profile = os.path.join(root, "RoseHtml.crvn")
        profile_file.write_profile(html_profile, axes=AXES, Interval=1, LogMode=1, LogFormat=0)
        html_service = Service(program, html_profile, free_port())
        services.append(html_service)
        html_service.start()
        log = os.path.join(root, "Logs", "RoseHtml-log.html")
        wait_until("three rows in the HTML log", lambda: len(html_rows(log)) >= 4)
        driver.get("http://127.0.0.1:%d/" % html_service.port)
        check_recorded_row(driver, html_rows(log))

        # The PNG picture opened on its own: the size asked, on the profile's background.
        png_url = "http://127.0.0.1:%d/rose.png?size=300x200" % html_service.port
        driver.get(png_url)
        shown = wait_until("the PNG in the browser", lambda: driver.execute_script(
            "const i = document.images[0];"
            "return i && i.complete && i.naturalWidth ? [i.naturalWidth, i.naturalHeight] : null"))
        assert shown == [300, 200], shown
        driver.save_screenshot(os.path.join(screenshots, "rose-png.png"))
        with urllib.request.urlopen(png_url, timeout=10) as answer:
            assert answer.headers["Content-Type"] == "image/png", answer.headers
            width, height, pixels = png_pixels(answer.read())
        assert (width, height) == (300, 200), (width, height)
        assert pixels[2][2] == (0, 0, 0), pixels[2][2]  # the profile's black background

        # Nothing the page's policy refused; the lost stream and the icon the browser asks for
        # on its own are no faults.
        errors = [entry for entry in driver.get_log("browser") if entry["level"] == "SEVERE"
                  and "/events" not in entry["message"] and "favicon" not in entry["message"]]
        assert not errors, errors
        print("rose page checked; screenshots in", screenshots)
        return 0
    finally:
        if driver is not None:
            driver.quit()
        for service in services:
            service.stop()
        shutil.rmtree(root, ignore_errors=True)


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    try:
        import selenium  # noqa: F401
    except ImportError:
        print("skipped: python3-selenium is not installed")
        return 77
    if not (os.path.exists("/usr/bin/chromium") and os.path.exists("/usr/bin/chromedriver")):
        print("skipped: chromium and chromium-driver are not installed")
        return 77
    screenshots = sys.argv[2] if len(sys.argv) > 2 else tempfile.mkdtemp(prefix="rose-shots-")
    return run(os.path.abspath(sys.argv[1]), screenshots)


if __name__ == "__main__":
    sys.exit(main())
