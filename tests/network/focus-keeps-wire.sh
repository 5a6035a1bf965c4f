#!/usr/bin/env bash
# A sequencer field with the focus stops the output tick; the wire must go on
# all the same, or a receiver drops the source after 2.5 s and the lamps go
# dark. The program sends sACN to OLA's olad on 127.0.0.1 in a private network
# namespace, under Xvfb with an accessibility bus; focus_keeps_wire.py clicks
# into "Blendezeit" for 10 s, then PLAY. Passes when olad got frames
# throughout (never 2.5 s without one) and the sequence numbers on the wire ran
# on without a break; prints the gap figures.
# Exit 77 (a skip for ctest) with a line saying why where the machine cannot.
# Usage: focus-keeps-wire.sh TINCTARA PROGRAM-FOLDER
set -euo pipefail
program=$(realpath "$1") shipped=$(realpath "$2")
here=$(dirname "$(realpath "$0")")
skip() { echo "SKIPPED: $*"; exit 77; }

if [ "${TINCTARA_NETNS:-}" != 1 ]; then
  [ "$(id -u)" = 0 ] || skip "a private network namespace needs root"
  for tool in Xvfb dbus-run-session xdotool olad ola_recorder curl ip; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/deps.sh installs it)"
  done
  [ -x /usr/libexec/at-spi-bus-launcher ] || skip "at-spi2-core is not installed (scripts/deps.sh installs it)"
  /usr/bin/python3 -c 'import pyatspi' 2>/dev/null || skip "python3-pyatspi is not installed"
  unshare -n true 2>/dev/null || skip "this machine cannot make a network namespace"
  exec env TINCTARA_NETNS=1 timeout -k 5 170 unshare -n bash "$0" "$@"
fi

. "$here/ola-namespace.sh"
. "$here/../app/virtual-display.sh"
work=$(mktemp -d)
recorder= capture=
cleanup() {
  for pid in $capture $recorder; do kill -INT "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
  ola_stop
  stop_virtual_display
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

ola_network_up
ola_start "$work/ola"
ola_patch_inputs

start_virtual_display "$work" || skip "$DISPLAY_PROBLEM"

# A copy of the program folder's data, and a settings store that sends sACN.
mkdir "$work/home" "$work/config" "$work/config/TINCTARA"
(cd "$shipped" && find . -type f -size -1000k ! -name '*.so' ! -perm -u+x -print0 |
  xargs -0 cp --parents -t "$work/home")
printf '%s\n' '[Interface]' 'Type=6' 'SacnDestination=127.0.0.1' 'SacnUniverse=1' \
  > "$work/config/TINCTARA/TINCTARA.conf"
mkdir -m 700 "$work/runtime"

ola_recorder --universes 1 --record "$work/olad" > "$work/recorder.log" 2>&1 &
recorder=$!
python3 "$here/sacn_capture.py" "$work/wire" &
capture=$!
for _ in $(seq 100); do [ -e "$work/wire" ] && break; sleep 0.1; done

XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime TINCTARA_AUTOMATION=1 \
  QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb \
  dbus-run-session -- /usr/bin/python3 "$here/focus_keeps_wire.py" "$program" "$work/home" "$work/marks"
sleep 1
for pid in $capture $recorder; do kill -INT "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
capture= recorder=

python3 - "$work/marks" "$work/wire" "$work/olad" <<'PY'
import sys
focused, left = map(int, open(sys.argv[1]).read().split())
wire = [tuple(map(int, line.split())) for line in open(sys.argv[2]) if line.strip()]
delays = [float(l) for l in open(sys.argv[3]) if l.strip() and len(l.split()) == 1 and l.strip().replace(".", "").isdigit()]
during = [t for t, _ in wire if focused <= t <= left]
around = [t for t, _ in wire if focused - 10**9 <= t <= left + 10**9]
gaps = [(b - a) / 1e6 for a, b in zip(around, around[1:])]
breaks = sum(1 for (_, a), (_, b) in zip(wire, wire[1:]) if b != (a + 1) % 256)
seconds = (left - focused) / 1e9
print("focus in Blendezeit for %.1f s: %d datagrams on the wire (%.1f per s), largest gap %.1f ms"
      % (seconds, len(during), len(during) / seconds, max(gaps) if gaps else float("inf")))
print("whole run: %d datagrams, %d breaks in the sequence numbers; olad: %d frames, largest gap %.0f ms"
      % (len(wire), breaks, len(delays) + 1, max(delays) if delays else float("inf")))
ok = len(during) > 0 and gaps and max(gaps) < 2500 and breaks == 0 and delays and max(delays) < 2500
sys.exit(0 if ok else 1)
PY
