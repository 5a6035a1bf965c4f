#!/usr/bin/python3
"""Turns a copy of the shipped program folder into one that starts with a
black wall of COLUMNS x ROWS (patched 1, 2, 3, ...), no scene and no
sequence.
Usage: wall_home.py HOME COLUMNS ROWS"""
import sys

home, columns, rows = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
n = columns * rows
numbers = lambda values: ",".join(" %d" % v for v in values)


def write(path, lines):
    with open(path, "w", encoding="cp1252", newline="") as f:
        f.write("\r\n".join(lines) + "\r\n")


# The loader reads "key = value" at fixed places: a number keeps its sign's space.
config = "%s/config/WALL%dX%d.CFG" % (home, columns, rows)
write(config, ["Configuration von TINCTARA 99", "[NAME]", ("Wand %d x %d" % (columns, rows)).ljust(20),
               "[Config]", "ElementeMax = " + numbers([n]), "Xmax = " + numbers([columns]),
               "Ymax = " + numbers([rows]), " 600", " 600", " 80", "[DMXINI]",
               numbers([60, 0, 0, 4 * n % 256, 4 * n // 256] + [0] * 11),
               "[Patching]", numbers(range(1, 4 * n + 1)), "[Farbkorrektur]", numbers([0] * (4 * n))])

with open(home + "/TINCTARA.ini", encoding="cp1252", newline="") as f:
    ini = f.read().split("\r\n")
files = ini.index("[FILES]")
ini[files + 1:files + 4] = [config, "", ""]  # configuration, scene, sequence; the colour table stays
with open(home + "/TINCTARA.ini", "w", encoding="cp1252", newline="") as f:
    f.write("\r\n".join(ini))
