#!/usr/bin/python3
"""Measures the remote by hand: what ten connected pages cost the program
during a 121-lamp fade, and how long a colour from a page takes to reach the
sACN output. Talks WebSocket with the standard library only.

Usage: remote_load.py URL PID [SECONDS]"""
import base64
import os
import random
import socket
import statistics
import struct
import sys
import threading
import time
import urllib.parse

url, pid = sys.argv[1], int(sys.argv[2])
seconds = float(sys.argv[3]) if len(sys.argv) > 3 else 20
parts = urllib.parse.urlsplit(url)
code = urllib.parse.parse_qs(parts.query)["code"][0]


class Page:
    """One page's WebSocket: sends masked text frames, reads and drops what comes."""

    def __init__(self):
        self.s = socket.create_connection((parts.hostname, parts.port))
        key = base64.b64encode(os.urandom(16)).decode()
        self.s.sendall(("GET /ws?code=%s HTTP/1.1\r\nHost: %s\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                        "Sec-WebSocket-Key: %s\r\nSec-WebSocket-Version: 13\r\nOrigin: http://%s\r\n\r\n"
                        % (code, parts.netloc, key, parts.netloc)).encode())
        head = b""
        while b"\r\n\r\n" not in head:
            head += self.s.recv(1)
        assert head.startswith(b"HTTP/1.1 101"), head
        self.received = 0
        threading.Thread(target=self.drain, daemon=True).start()

    def drain(self):
        try:
            while True:
                data = self.s.recv(65536)
                if not data:
                    return
                self.received += len(data)
        except OSError:
            return

    def send(self, text):
        payload = text.encode()
        mask = os.urandom(4)
        masked = bytes(b ^ mask[i % 4] for i, b in enumerate(payload))
        self.s.sendall(struct.pack("!BB", 0x81, 0x80 | len(payload)) + mask + masked)

    def close(self):
        self.s.close()


frame_lock = threading.Lock()
frame = [None, 0.0]
arrivals = []  # packet times while one is wanted
recording = [False]


def receive():
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.bind(("127.0.0.1", 5568))
    while True:
        data = s.recv(1000)
        if len(data) >= 126:
            with frame_lock:
                frame[0] = data[126:126 + 512]
                frame[1] = time.monotonic()
                if recording[0]:
                    arrivals.append(frame[1])


threading.Thread(target=receive, daemon=True).start()


def cpu_seconds():
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def cpu_share(duration):
    start, t0 = cpu_seconds(), time.monotonic()
    time.sleep(duration)
    return 100.0 * (cpu_seconds() - start) / (time.monotonic() - t0)


control = Page()
time.sleep(0.5)

# Latency: all selected, the sequence stopped, a colour from the page until the
# sACN frame carries it.
control.send("stop")
control.send("all")
time.sleep(1.0)
latencies = []
for i in range(40):
    level = 10 + (i * 37) % 240
    with frame_lock:
        seen = frame[0]
    if seen is not None and seen[0] == level:
        level = (level + 1) % 256
    t0 = time.monotonic()
    control.send("mix %d 0 0 0" % level)
    while time.monotonic() - t0 < 2:
        with frame_lock:
            if frame[0] is not None and frame[0][0] == level and frame[1] >= t0:
                latencies.append((frame[1] - t0) * 1000)
                break
        time.sleep(0.0005)
    time.sleep(0.2 + 0.1 * random.random())  # within the rate limit, and at any phase of the tick
print("colour to sACN output: %d samples, median %.1f ms, max %.1f ms"
      % (len(latencies), statistics.median(latencies), max(latencies)))

# CPU: the fade playing, with the control page alone and with ten more.
control.send("none")
control.send("play")
time.sleep(2)
alone, loaded = [], []
for round_ in range(3):
    alone.append(cpu_share(seconds / 2))
    pages = [Page() for _ in range(10)]
    time.sleep(1)
    loaded.append(cpu_share(seconds / 2))
    received = sum(p.received for p in pages)
    for p in pages:
        p.close()
    time.sleep(1)
print("program CPU during the fade: 1 page %s %%, 11 pages %s %% of a core; medians %.2f / %.2f, extra %.2f %%"
      % (["%.2f" % v for v in alone], ["%.2f" % v for v in loaded], statistics.median(alone),
         statistics.median(loaded), statistics.median(loaded) - statistics.median(alone)))
print("the ten pages received %d bytes in the last round" % received)


def intervals(duration, flood=None):
    """Gaps between sACN packets in ms over `duration` seconds, with a page flooding meanwhile."""
    del arrivals[:]
    recording[0] = True
    end = time.monotonic() + duration
    sent = 0
    while time.monotonic() < end:
        if flood:
            try:
                flood.send("mix %d 0 0 0" % (sent % 256))
                sent += 1
            except OSError:
                flood = Page()  # let go by the program, as it should be: come back and go on
        else:
            time.sleep(0.01)
    recording[0] = False
    gaps = [(b - a) * 1000 for a, b in zip(arrivals, arrivals[1:])]
    gaps.sort()
    return gaps, sent


quiet, _ = intervals(5)
flooder = Page()
busy, sent = intervals(5, flooder)
describe = lambda g: "median %.1f ms, 99th %.1f ms, max %.1f ms" % (
    statistics.median(g), g[int(len(g) * 0.99) - 1], g[-1])
print("sACN packet gaps during the fade, quiet:", describe(quiet))
print("  while a page floods %d actions in 5 s (coming back when let go):" % sent, describe(busy))
control.send("stop")
