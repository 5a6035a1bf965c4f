#!/usr/bin/env bash
# OSC from liblo's own tools drives tinctara-cli play and the program (under
# Xvfb), each sending sACN to 127.0.0.1: STOP, a jump to step 3, all elements
# and user colour 1, then PLAY, each seen in the levels received as the
# windows' buttons would make them; a datagram
# that is no OSC changes nothing; oscdump hears the feedback. Runs in a private
# network namespace; exits 77 (skipped) where a tool or the namespace is missing.
# Usage: osc-control.sh TINCTARA-CLI TINCTARA PROGRAM-FOLDER
set -euo pipefail
cli=$1 program=$2 shipped=$3

if [ "${TINCTARA_NETNS:-}" != 1 ]; then
  [ "$(id -u)" = 0 ] || { echo "SKIP: a private network namespace needs root"; exit 77; }
  for tool in python3 oscsend oscdump xvfb-run; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
  done
  unshare -n true 2>/dev/null || { echo "SKIP: this machine cannot make a network namespace"; exit 77; }
  exec env TINCTARA_NETNS=1 timeout -k 5 200 unshare -n bash "$0" "$@"
fi

ip link set lo up
work=$(mktemp -d)
receiver= dump= run=
stop() {  # PID...: ends each and waits for it
  for pid in "$@"; do kill -TERM "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
}
cleanup() {
  [ -s "$work/gui.pid" ] && kill -TERM "$(cat "$work/gui.pid")" 2>/dev/null || true
  stop $run $dump $receiver
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# A 2 x 1 wall on channels 1..8; three steps, step S showing element E as
# red 10 S + E, held 10 s, 10 s and 1 s; the shipped colour table.
mkdir -p "$work/home" "$work/config/TINCTARA"
mkdir -m 700 "$work/runtime"
cp "$shipped/TINCT_D.MSG" "$work/home/"
mkdir "$work/home/Farbtbl"
cp "$shipped/Farbtbl/DEMO.CCT" "$work/home/Farbtbl/"  # user colour 1: red 255
PYTHONPATH="$(dirname "$0")/../../scripts" python3 - "$work/home" <<'PY'
import sys
from show_files import nf, lst, writer
home = sys.argv[1]
write = writer(home)
write("config/WALL.CFG", ["Configuration von TINCTARA 99", "[NAME]", "OSC 2 x 1".ljust(20), "[Config]",
      "ElementeMax = " + nf(2), "Xmax = " + nf(2), "Ymax = " + nf(1), nf(600), nf(600), nf(80), "[DMXINI]",
      lst([60, 0, 0, 228, 1] + [0] * 11), "[Patching]", lst(range(1, 9)), "[Farbkorrektur]", lst([0] * 8)])
values = []
for step in range(1, 4):
    for element in range(1, 3):
        values += [10 * step + element, 0, 0, 0]
write("sequence/OSC.CSQ", ["Sequence von TINCTARA 99", "[Config]", "ElementeMax =   " + nf(2),
      "Sequencenmax =   " + nf(3), "Speed =   " + nf(40), "[WALL]", "Xmax = " + nf(2), "Ymax = " + nf(1),
      "[OTHERFILES]", "", "", "[Sequence]", lst(values), "[HOLDBLEND]", lst([200, 1, 200, 1, 20, 1])])
windows = [0] * 50
windows[0:4] = 150, 150, 17000, 12000
windows[30:34] = 150, 150, 9900, 9600
options = 0x20000 | 0x10000 | 0x100000 | 0x100  # reload the files, wall window open, playing
write("TINCTARA.ini", ["ini-Datei von TINCTARA 98", "[DMXINI]", lst([60, 0, 0, 228, 1] + [0] * 11), "[OPTIONS]",
      nf(options), nf(80), "[FILES]", home + "/config/WALL.CFG", "", home + "/sequence/OSC.CSQ",
      home + "/Farbtbl/DEMO.CCT", "[WINDOWSPOS]", lst(windows)])
PY
printf '%s\n' '[Interface]' 'Type=6' 'SacnDestination=127.0.0.1' 'SacnUniverse=1' \
  > "$work/config/TINCTARA/TINCTARA.conf"

# Writes channels 1, 2, 5 and 6 of each sACN data packet to $work/levels
# whenever they change.
python3 - "$work/levels" <<'PY' &
import socket, sys
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("127.0.0.1", 5568))
last = None
with open(sys.argv[1], "w", buffering=1) as out:
    while True:
        d = s.recv(1000)
        if len(d) < 134 or d[112] & 0x40:
            continue
        levels = " ".join(str(d[125 + c]) for c in (1, 2, 5, 6))
        if levels != last:
            out.write(levels + "\n")
            last = levels
PY
receiver=$!

failed=0
expect_levels() {  # WHAT "CH1 CH2 CH5 CH6": waits up to 10 s for the levels received
  local i
  for i in $(seq 100); do
    [ "$(tail -n 1 "$work/levels" 2>/dev/null)" = "$2" ] && { echo "ok: $1 ($2)"; return 0; }
    sleep 0.1
  done
  echo "FAILED: $1: expected $2, received $(tail -n 1 "$work/levels" 2>/dev/null || echo nothing)"
  failed=1
}
expect_feedback() {  # LINE: waits up to 5 s for oscdump to print it
  local i
  for i in $(seq 50); do
    # oscdump puts the time tag first.
    sed 's/^[^ ]* //' "$work/feedback" | grep -qxF "$1" && { echo "ok: feedback $1"; return 0; }
    sleep 0.1
  done
  echo "FAILED: no feedback \"$1\"; oscdump printed:"
  cat "$work/feedback"
  failed=1
}
listening() {  # PORT: whether a UDP socket is bound to 127.0.0.1:PORT
  awk -v want="$(printf '0100007F:%04X' "$1")" '$2 == want { found = 1 } END { exit !found }' /proc/net/udp
}
drive() {  # NAME PORT: the same OSC for the CLI and the program
  local port=$2 i
  oscdump -L 9000 > "$work/feedback" 2>&1 &
  dump=$!
  expect_levels "$1 plays step 1" "11 0 12 0"
  for i in $(seq 100); do listening "$port" && break; sleep 0.1; done
  oscsend 127.0.0.1 "$port" /tinctara/stop
  expect_feedback "/tinctara/playing i 0"
  oscsend 127.0.0.1 "$port" /tinctara/jump i 3
  expect_levels "$1 jumps to step 3" "31 0 32 0"
  expect_feedback "/tinctara/step i 3"
  oscsend 127.0.0.1 "$port" /tinctara/all
  oscsend 127.0.0.1 "$port" /tinctara/user i 1
  expect_levels "$1 paints user colour 1" "255 0 255 0"
  expect_feedback "/tinctara/selected i 2"
  # Each of these would change the levels if it were taken: a cut bundle, a
  # jump without its argument's data, a mix short of a level, a user colour
  # as text, and an address of no one's.
  python3 -c 'import socket, sys; s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
for d in (b"#bundle\0\0\0", b"/tinctara/jump\0\0,i\0\0"): s.sendto(d, ("127.0.0.1", int(sys.argv[1])))' "$port"
  oscsend 127.0.0.1 "$port" /tinctara/mix iii 0 0 9
  oscsend 127.0.0.1 "$port" /tinctara/user s 2
  oscsend 127.0.0.1 "$port" /tinctara/selfdestruct
  sleep 1
  expect_levels "$1 ignores what is no action" "255 0 255 0"
  # PLAY goes on from step 3: the painted picture held for its second, then
  # the fade into step 1.
  oscsend 127.0.0.1 "$port" /tinctara/play
  expect_feedback "/tinctara/playing i 1"
  expect_feedback "/tinctara/step i 1"
  expect_levels "$1 plays on into step 1" "11 0 12 0"
  stop $dump
  dump=
}

echo "tinctara-cli play --osc"
"$cli" play --home "$work/home" --config "$work/home/config/WALL.CFG" --sequence "$work/home/sequence/OSC.CSQ" \
  --colours "$work/home/Farbtbl/DEMO.CCT" --interface sacn --destination 127.0.0.1 --osc 8000 --quiet > "$work/cli.log" 2>&1 &
run=$!
drive cli 8000
stop $run
run=

echo "tinctara --osc"
XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime \
  setsid xvfb-run -a -s "-screen 0 1280x860x24" bash -c 'echo $$ > "$1/gui.pid"; exec "$2" --home "$1/home" --osc 8001' \
  gui "$work" "$program" > "$work/gui.log" 2>&1 &
run=$!
drive program 8001
kill -TERM "$(cat "$work/gui.pid")" 2>/dev/null || true
wait $run 2>/dev/null || true
run=

if [ $failed != 0 ]; then
  echo "--- cli"; cat "$work/cli.log"; echo "--- program"; cat "$work/gui.log"
fi
exit $failed
