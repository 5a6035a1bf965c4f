#!/usr/bin/env bash
# By hand: the program with an 11 x 11 wall fading between two pictures, its
# remote on and sACN going to 127.0.0.1, measured by remote_load.py (CPU of
# ten pages, colour-to-output latency). Runs in a private network namespace.
# Usage: remote-load.sh TINCTARA PROGRAM-FOLDER [SECONDS]   (use the app preset's build)
set -euo pipefail
program=$1 shipped=$2 seconds=${3:-20}
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3

if [ "${TINCTARA_NETNS:-}" != 1 ]; then
  [ "$(id -u)" = 0 ] || { echo "a private network namespace needs root"; exit 77; }
  exec env TINCTARA_NETNS=1 unshare -n bash "$0" "$@"
fi
ip link set lo up
work=$(mktemp -d)
gui=
cleanup() {
  # The whole group: xvfb-run does not pass a TERM on to the program it started.
  if [ -n "$gui" ]; then kill -TERM -- "-$gui" 2>/dev/null || true; wait "$gui" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/config/TINCTARA" "$work/home"
mkdir -m 700 "$work/runtime"
(cd "$shipped" && find . -mindepth 1 -maxdepth 1 \( -type d -o ! -perm -u+x \) -exec cp -r {} "$work/home/" \;)
printf '%s\n' '[Interface]' 'Type=6' 'SacnDestination=127.0.0.1' 'SacnUniverse=1' \
  > "$work/config/TINCTARA/TINCTARA.conf"

# An 11 x 11 wall patched 1..484 and a two-step sequence: red to blue, held one
# tick, faded over 40 ticks, so the whole wall is always fading.
"$python" - "$work/home" <<'PY'
import sys
home = sys.argv[1]
def write(path, lines):
    with open(path, "w", encoding="cp1252", newline="\r\n") as f:
        f.write("\n".join(lines) + "\n")
n = 121
values = lambda seq: ", ".join(" %d" % v if v >= 0 else "%d" % v for v in seq).replace("  ", " ")
write(home + "/config/WALL121.CFG", ["Configuration von TINCTARA 99", "[NAME]", "Wand 11 x 11".ljust(20),
      "[Config]", "ElementeMax =  121", "Xmax =  11", "Ymax =  11", " 600", " 600", " 80", "[DMXINI]",
      values([60, 0, 0, 228, 1] + [0] * 11), "[Patching]", values(range(1, 4 * n + 1)),
      "[Farbkorrektur]", values([0] * (4 * n))])
steps = [[255, 0, 0, 0] * n, [0, 0, 255, 0] * n]
write(home + "/sequence/FADE121.CSQ", ["Sequence von TINCTARA 99", "[Config]", "ElementeMax =    121",
      "Sequencenmax =    2", "Speed =   40", "[WALL]", "Xmax =  11", "Ymax =  11", "[OTHERFILES]", "",
      home + "/config/WALL121.CFG", "[Sequence]", values(steps[0] + steps[1]), "[HOLDBLEND]", values([1, 40, 1, 40])])
ini = open(home + "/TINCTARA.ini", encoding="cp1252", newline="").read().split("\r\n")
files = ini.index("[FILES]")
ini[files + 1] = home + "/config/WALL121.CFG"
ini[files + 2] = ""
ini[files + 3] = home + "/sequence/FADE121.CSQ"
open(home + "/TINCTARA.ini", "w", encoding="cp1252", newline="").write("\r\n".join(ini))
PY

XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime HOME=$work \
  setsid xvfb-run -a -s "-screen 0 1280x1024x24" "$program" --home "$work/home" --remote 8080 \
  > "$work/out" 2> "$work/err" &
gui=$!
for _ in $(seq 100); do [ -s "$work/out" ] && break; sleep 0.1; done
url=$(head -n1 "$work/out")
[ -n "$url" ] || { echo "no URL"; cat "$work/err"; exit 1; }
pid=$(pgrep -n -f -- "--home $work/home --remote 8080")
echo "program $pid at $url"
"$python" "$here/remote_load.py" "$url" "$pid" "$seconds"
