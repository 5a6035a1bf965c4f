#!/usr/bin/env python3
"""A stand-in desk for the input checks: sends sACN or Art-Net levels to
127.0.0.1, asks for ArtPollReply, prints level patterns, and compares the last
step of a recorded sequence with the levels sent, through the configuration's
patch and correction.

  input_desk.py levels K                       the pattern K as a comma list
  input_desk.py sacn NAME PRIORITY UNIVERSE K SECONDS
  input_desk.py artnet FROM UNIVERSE K SECONDS
  input_desk.py artpoll                        prints the short name that answered
  input_desk.py check CFG CSQ K [K ...]        the last step against HTP of the patterns
"""
import socket
import struct
import sys
import time
import uuid


def pattern(k):
    # Every level 1..255 somewhere, 0 on every seventh channel.
    return [0 if channel % 7 == 0 else (channel * k + k) % 255 + 1 for channel in range(1, 513)]


def sacn_packet(name, cid, priority, universe, sequence, levels):
    dmp = struct.pack("!HBBHHH", 0x7000 | 523, 0x02, 0xA1, 0, 1, 513) + b"\0" + bytes(levels)
    framing = struct.pack("!HI", 0x7000 | (77 + len(dmp)), 2) + name.encode()[:63].ljust(64, b"\0")
    framing += struct.pack("!BHBBH", priority, 0, sequence & 0xFF, 0, universe) + dmp
    root = struct.pack("!HH12sHI", 0x0010, 0, b"ASC-E1.17\0\0\0", 0x7000 | (22 + len(framing)), 4)
    return root + cid + framing


def artdmx_packet(universe, sequence, levels):
    return (b"Art-Net\0" + struct.pack("<H", 0x5000) + bytes([0, 14, sequence & 0xFF or 1, 0, universe & 0xFF,
                                                                universe >> 8]) + struct.pack("!H", 512) + bytes(levels))


def send_for(seconds, send):
    end = time.monotonic() + seconds
    sequence = 0
    while time.monotonic() < end:
        send(sequence)
        sequence += 1
        time.sleep(0.025)


def sacn(name, priority, universe, k, seconds):
    cid = uuid.uuid5(uuid.NAMESPACE_DNS, name).bytes
    levels = pattern(int(k))
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        send_for(float(seconds), lambda n: s.sendto(sacn_packet(name, cid, int(priority), int(universe), n, levels),
                                                    ("127.0.0.1", 5568)))


def artnet(source, universe, k, seconds):
    levels = pattern(int(k))
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        s.bind((source, 0))
        send_for(float(seconds), lambda n: s.sendto(artdmx_packet(int(universe), n, levels), ("127.0.0.1", 6454)))


def artpoll():
    # Art-Net answers to port 6454 of the poller, so it listens there on an
    # address of its own beside the node's socket.
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        s.bind(("127.0.0.3", 6454))
        s.settimeout(0.2)
        poll = b"Art-Net\0" + struct.pack("<H", 0x2000) + bytes([0, 14, 0, 0])
        for _ in range(25):
            s.sendto(poll, ("127.0.0.1", 6454))
            try:
                reply, _ = s.recvfrom(1024)
            except socket.timeout:
                continue
            if reply[:10] == b"Art-Net\0\0\x21":
                print(reply[26:44].split(b"\0")[0].decode("latin-1"))
                return 0
    print("no ArtPollReply")
    return 1


def section(lines, name):
    at = [i for i, line in enumerate(lines) if line.strip().upper() == name][0]
    values = []
    for line in lines[at + 1:]:
        if line.startswith("["):
            break
        values += [int(v) for v in line.replace(",", " ").split()]
    return values


def check(cfg, csq, patterns):
    config = open(cfg, encoding="cp1252").read().splitlines()
    sequence = open(csq, encoding="cp1252").read().splitlines()
    elements = int([l for l in config if l.strip().startswith("ElementeMax")][0].split("=")[1])
    steps = int([l for l in sequence if l.strip().startswith("Sequencenmax")][0].split("=")[1])
    patch, correction = section(config, "[PATCHING]"), section(config, "[FARBKORREKTUR]")
    colours = section(sequence, "[SEQUENCE]")[(steps - 1) * elements * 4:steps * elements * 4]
    sent = [max(levels) for levels in zip(*(pattern(int(k)) for k in patterns))]
    wrong = 0
    for i, (channel, corr, colour) in enumerate(zip(patch, correction, colours)):
        level = sent[channel - 1] if 1 <= channel <= 512 else 0
        want = 0 if level == 0 else min(255, level + corr)
        if colour != want:
            wrong += 1
            print(f"element {i // 4 + 1} plane {i % 4 + 1} (channel {channel}): {colour}, not {want}")
    print(f"{steps} step(s); the last holds {len(colours) - wrong} of {len(colours)} colours as sent")
    return 1 if wrong or len(colours) != elements * 4 else 0


def main(args):
    command, rest = args[0], args[1:]
    if command == "levels":
        print(",".join(map(str, pattern(int(rest[0])))))
        return 0
    if command == "sacn":
        sacn(*rest)
        return 0
    if command == "artnet":
        artnet(*rest)
        return 0
    if command == "artpoll":
        return artpoll()
    if command == "check":
        return check(rest[0], rest[1], rest[2:])
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
