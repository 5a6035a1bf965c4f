# Sourced by scripts/fade-cpu and scripts/wall-pixels: an 11 x 11 wall with a
# looping four-step rainbow crossfade (2 ticks hold, 40 ticks blend) in a
# program folder of its own.
#   make_home HOME PROGRAM_FOLDER rows|columns PLAYING(1|0)
# "columns": the window table as builds before it was written window by window
# read it (one column per value). FADE_EFFECTS_WINDOW=1: the effects window is
# open beside the wall (builds that have one).
make_home() {  # home program_folder layout playing
  mkdir -p "$1"
  cp "$2/TINCT_D.MSG" "$1/"
  PYTHONPATH="$(dirname "${BASH_SOURCE[0]}")" python3 - "$1" "$3" "$4" <<'PY'
import colorsys, os, sys
from show_files import nf, lst, writer
home, layout, playing = sys.argv[1], sys.argv[2], sys.argv[3] == "1"
write = writer(home)
n, steps = 121, 4
write("config/WALL11.CFG", ["Configuration von TINCTARA 99", "[NAME]", "Fassade 11 x 11".ljust(20), "[Config]",
      "ElementeMax = " + nf(n), "Xmax = " + nf(11), "Ymax = " + nf(11), nf(600), nf(600), nf(80), "[DMXINI]",
      lst([60, 0, 0, 228, 1] + [0] * 11), "[Patching]", lst(range(1, 485)), "[Farbkorrektur]", lst([0] * 484)])
values = []
for s in range(steps):
    for e in range(n):
        r, g, b = colorsys.hsv_to_rgb(((e % 11 + e // 11) / 22.0 + s / steps) % 1.0, 1.0, 1.0)
        values += [int(r * 255), int(g * 255), int(b * 255), 0]
write("sequence/FADE.CSQ", ["Sequence von TINCTARA 99", "[Config]", "ElementeMax =   " + nf(n),
      "Sequencenmax =   " + nf(steps), "Speed =   " + nf(40), "[WALL]", "Xmax = " + nf(11), "Ymax = " + nf(11),
      "[OTHERFILES]", "", "", "[Sequence]", lst(values), "[HOLDBLEND]", lst([2, 40] * steps)])
windows = [0] * 50
main_window, wall_window = (150, 150, 17000, 12000), (150, 150, 9900, 9600)
if layout == "columns":  # value by value: all lefts, then all tops, widths, heights
    for k in range(4):
        windows[k * 10 + 0] = main_window[k]
        windows[k * 10 + 6] = wall_window[k]
else:  # window by window: left, top, width, height, state
    windows[0:4] = main_window
    windows[30:34] = wall_window
    if os.environ.get("FADE_EFFECTS_WINDOW"):  # the effects window (slot 8) open beside the wall
        windows[35:40] = 10500, 150, 0, 0, 1
options = 0x20000 | 0x10000 | 0x100000 | (0x100 if playing else 0)  # reload, wall window open, playing
write("TINCTARA.ini", ["ini-Datei von TINCTARA 98", "[DMXINI]", lst([60, 0, 0, 228, 1] + [0] * 11), "[OPTIONS]",
      nf(options), nf(80), "[FILES]", home + "/config/WALL11.CFG", "", home + "/sequence/FADE.CSQ", "",
      "[WINDOWSPOS]", lst(windows)])
PY
}

