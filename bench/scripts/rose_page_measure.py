#!/usr/bin/python3
"""What the rose's page costs the service: CPU per sample with 0, 1 and 32 open streams, the
time from opening the page to its first picture in a real headless chromium, and the page's
weight.

The service runs a profile of the standard local counters (CPU, memory, processes, threads,
uptime, a disk and a network axis) at the default interval of 2 s, logging nothing. CPU is the
sum of every thread's run time (/proc/PID/task/*/schedstat, nanoseconds) over a stretch of
samples, divided by the samples taken (corvane_samples_total on /metrics, read before and
after; the two reads cost the same in every stretch). Streams are plain sockets, 8 from each
loopback address (the listener's limit per client), that read every event.

The floor: what one send of an event of the same size to each of 32 loopback streams costs the
sending thread on this machine (its CPU time, the kernel's TCP work for both ends included, as
it is for the service), with another process reading: with one send per stream per sample, the
32 streams cannot cost the service less; and the same for 100 bytes, to see what a smaller
event would save.

usage: rose_page_measure.py CORVSERVICE [SECONDS_PER_STRETCH]   (default 60)"""

import glob
import multiprocessing
import os
import re
import select
import signal
import socket
import subprocess
import sys
import tempfile
import time
import urllib.request

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests",
                                "support"))
import profile_file  # noqa: E402

AXES = profile_file.AXES + [("Disk", "\\LogicalDisk(_Total)\\% Free Space", 100, 10),
                            ("Net", "\\Network Interface(*)\\Bytes Total/sec", 10000000, 9000000)]


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def get(port, path):
    with urllib.request.urlopen("http://127.0.0.1:%d%s" % (port, path), timeout=10) as answer:
        return answer.read()


def samples(port):
    return int(re.search(rb"^corvane_samples_total (\d+)$", get(port, "/metrics"), re.M).group(1))


def run_ns(pid):
    total = 0
    for path in glob.glob("/proc/%d/task/*/schedstat" % pid):
        try:
            total += int(open(path).read().split()[0])
        except (OSError, IndexError, ValueError):
            pass  # a thread that just ended
    return total


def open_streams(port, count, first_address):
    """`count` streams from 127.0.0.FIRST_ADDRESS on, 8 from each address."""
    streams = []
    for i in range(count):
        s = socket.socket()
        s.bind(("127.0.0.%d" % (first_address + i // 8), 0))
        s.connect(("127.0.0.1", port))
        s.sendall(b"GET /events HTTP/1.1\r\nHost: x\r\n\r\n")
        streams.append(s)
    return streams


def stretch(pid, port, streams, seconds):
    """(CPU ms per sample, samples, events read per stream) over `seconds`."""
    got = {s: 0 for s in streams}
    first_samples, first_ns = samples(port), run_ns(pid)
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        ready, _, _ = select.select(streams, [], [], 0.5) if streams else ([], [], [])
        if not streams:
            time.sleep(0.5)
        for s in ready:
            data = s.recv(1 << 16)
            got[s] += data.count(b"event: sample")
    last_ns, last_samples = run_ns(pid), samples(port)
    count = max(last_samples - first_samples, 1)
    events = min(got.values()) if streams else 0
    return (last_ns - first_ns) / 1e6 / count, count, events


def drain(port, count):
    """Reads `count` streams of the floor's listener until they close."""
    streams = [socket.create_connection(("127.0.0.1", port)) for _ in range(count)]
    while streams:
        ready, _, _ = select.select(streams, [], [], 10)
        if not ready:
            return
        for s in ready:
            if not s.recv(1 << 16):
                streams.remove(s)
                s.close()


def send_floor_us(size, count=32, rounds=300):
    """The sending thread's CPU per send of `size` bytes to each of `count` loopback streams,
    in microseconds; the sends of a round follow each other as the service's do, and rounds
    are apart, so that each finds its reader asleep as a sample's does."""
    with socket.socket() as listener:
        listener.bind(("127.0.0.1", 0))
        listener.listen(count)
        reader = multiprocessing.Process(target=drain, args=(listener.getsockname()[1], count))
        reader.start()
        streams = [listener.accept()[0] for _ in range(count)]
    data = b"x" * size
    spent = 0.0
    for _ in range(rounds):
        start = time.thread_time()
        for s in streams:
            s.sendall(data)
        spent += time.thread_time() - start
        time.sleep(0.01)
    for s in streams:
        s.close()
    reader.join(30)
    return spent / rounds / count * 1e6


def first_picture_ms(port, tries=5):
    try:
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service as DriverService
    except ImportError:
        return None
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage"):
        options.add_argument(argument)
    driver = webdriver.Chrome(service=DriverService("/usr/bin/chromedriver"), options=options)
    try:
        times = []
        for _ in range(tries):
            driver.get("about:blank")
            driver.get("http://127.0.0.1:%d/" % port)
            # The picture is in the page itself: its first paint is the first picture.
            paint = driver.execute_script("""
                const p = performance.getEntriesByName('first-contentful-paint')[0];
                return p ? p.startTime : null;""")
            if paint is not None:
                times.append(paint)
        return sorted(times)[len(times) // 2] if times else None
    finally:
        driver.quit()


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    program = os.path.abspath(sys.argv[1])
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 60.0
    root = tempfile.mkdtemp(prefix="corvane-rose-bench-")
    profile = os.path.join(root, "Bench.crvn")
    profile_file.write_profile(profile, axes=AXES, Interval=2, LogMode=0)
    port = free_port()
    service = subprocess.Popen([program, "-run", profile, "--metrics=127.0.0.1:%d" % port],
                               cwd=root, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        deadline = time.monotonic() + 30
        while True:
            try:
                if samples(port) > 0:
                    break
            except OSError:
                pass
            if time.monotonic() > deadline:
                raise SystemExit("the service did not serve")
            time.sleep(0.2)

        page = get(port, "/")
        script = get(port, "/rose.js")
        style = get(port, "/rose.css")
        picture = get(port, "/rose.svg")
        print("page weight: %d bytes (HTML %d with the inline picture, script %d, style %d); "
              "/rose.svg %d bytes" % (len(page) + len(script) + len(style), len(page),
                                      len(script), len(style), len(picture)))
        paint = first_picture_ms(port)
        print("first picture in chromium: %s" % ("%.0f ms (median of 5, first contentful paint)"
                                                 % paint if paint is not None
                                                 else "not measured (no Selenium)"))

        # The size of one event as a stream gets it: from its id line to the blank line that
        # ends it (the first event, the one a stream starts with, is the same).
        with socket.create_connection(("127.0.0.1", port), timeout=10) as s:
            s.sendall(b"GET /events HTTP/1.1\r\nHost: x\r\n\r\n")
            text = b""
            while text.find(b"\n\n", text.find(b"\nid: ") + 1) < 0 or b"\nid: " not in text:
                text += s.recv(1 << 16)
            start = text.find(b"\nid: ") + 1
            event = text.find(b"\n\n", start) + 2 - start

        results = {}
        # Each stretch from addresses of its own: the service notices a closed stream only when
        # a write to it fails, a sample or two later, and until then it counts against its
        # address's limit.
        for count, first_address in ((0, 2), (1, 2), (32, 3)):
            streams = open_streams(port, count, first_address)
            try:
                cpu, taken, events = stretch(service.pid, port, streams, seconds)
            finally:
                for s in streams:
                    s.close()
            results[count] = cpu
            print("%2d streams: %.3f ms CPU per sample over %d samples%s"
                  % (count, cpu, taken, ", every stream read %d events" % events if count else ""))
            time.sleep(3)  # the closed streams are noticed and freed
        print("32 streams add %.1f %% to the service's CPU per sample"
              % (100.0 * (results[32] - results[0]) / results[0]))
        floor = send_floor_us(event)
        print("floor: one send of %d bytes (an event) to each of 32 loopback streams costs the "
              "sender %.1f us a stream, %.3f ms a sample: %.1f %% of the service's CPU with no "
              "stream" % (event, floor, floor * 32 / 1000, 100.0 * floor * 32 / 1000 / results[0]))
        # Whether a smaller event would lower the floor.
        print("       a send of 100 bytes instead: %.1f us a stream" % send_floor_us(100))
        return 0
    finally:
        service.send_signal(signal.SIGINT)
        try:
            service.wait(timeout=30)
        except subprocess.TimeoutExpired:
            service.kill()
            service.wait()


if __name__ == "__main__":
    sys.exit(main())
