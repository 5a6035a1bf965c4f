#!/usr/bin/env python3
"""Writes the firmware images of the emulated ISA DMX cards into data/.

Our own format, which the emulated cards recognise: "TCFW", the 12-byte file
name, the image length (16 bits, little endian), a body, and a 16-bit sum of
every byte before it. Each image stays below card address 0x3F0, so an upload
never reaches the timing block or the channel memory."""
import pathlib
import random

IMAGES = {
    "FWISA12A.BIN": (700, "fixed timing, 512 channels"),
    "FWISA16B.BIN": (860, "timing block at 3F0h: break, start code, idle, channel count"),
    "FWISA17C.BIN": (780, "own timing, 512 channels"),
}

def image(name, length, note):
    body = f"Tinctara emulated ISA DMX card operating system {name[:-4]}: {note}.\0".encode("ascii")
    rng = random.Random(name)
    filler = bytes(rng.randrange(256) for _ in range(length - 18 - 2 - len(body)))
    head = b"TCFW" + name.encode("ascii") + length.to_bytes(2, "little")
    data = head + body + filler
    assert len(data) == length - 2 and length < 0x3F0
    return data + (sum(data) & 0xFFFF).to_bytes(2, "little")

folder = pathlib.Path(__file__).resolve().parent.parent / "data"
for name, (length, note) in IMAGES.items():
    (folder / name).write_bytes(image(name, length, note))
    print(f"wrote data/{name} ({length} bytes)")
