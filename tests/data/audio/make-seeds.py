#!/usr/bin/python3
"""Writes the audio_file fuzzer's seeds with libsndfile: a few clicks of a
tenth of a second in each format the program reads, mono and stereo."""
import ctypes
import ctypes.util
import math
import os

sf = ctypes.CDLL(ctypes.util.find_library("sndfile") or "libsndfile.so.1")


class SfInfo(ctypes.Structure):
    _fields_ = [("frames", ctypes.c_int64), ("samplerate", ctypes.c_int), ("channels", ctypes.c_int),
                ("format", ctypes.c_int), ("sections", ctypes.c_int), ("seekable", ctypes.c_int)]


sf.sf_open.restype = ctypes.c_void_p
sf.sf_open.argtypes = [ctypes.c_char_p, ctypes.c_int, ctypes.POINTER(SfInfo)]
sf.sf_writef_float.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_float), ctypes.c_int64]
sf.sf_close.argtypes = [ctypes.c_void_p]

SFM_WRITE = 0x20
WAV, FLAC, OGG = 0x010000, 0x170000, 0x200000
PCM_16, PCM_U8, FLOAT, VORBIS = 0x0002, 0x0005, 0x0006, 0x0060


def write(name, rate, channels, fmt):
    frames = rate // 10
    samples = []
    for i in range(frames):
        t = i / rate
        click = math.exp(-((t % 0.05) / 0.004)) * math.sin(2 * math.pi * 440 * t) * 0.7
        samples += [click * (1 - 0.5 * c) for c in range(channels)]
    info = SfInfo(0, rate, channels, fmt, 0, 0)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), name)
    handle = sf.sf_open(path.encode(), SFM_WRITE, ctypes.byref(info))
    if not handle:
        raise SystemExit(f"libsndfile refuses {name}")
    buffer = (ctypes.c_float * len(samples))(*samples)
    sf.sf_writef_float(handle, buffer, frames)
    sf.sf_close(handle)


write("clicks-mono-8k.wav", 8000, 1, WAV | PCM_U8)
write("clicks-stereo.wav", 11025, 2, WAV | PCM_16)
write("clicks-float.wav", 8000, 1, WAV | FLOAT)
write("clicks.flac", 8000, 2, FLAC | PCM_16)
write("clicks.ogg", 8000, 1, OGG | VORBIS)
