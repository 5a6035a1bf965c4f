#!/usr/bin/env bash
# Output timing as OLA's olad receives it, for the program (under Xvfb) and for
# tinctara-cli render --realtime, one after the other in the same run: an
# 11 x 11 wall plays a looping 2 s crossfade and sends sACN to 127.0.0.1 in a
# private network namespace; ola_recorder records what olad got.
#
#   window   the program for SECONDS s: receive period median, stdev, p99, max
#            and the largest distance from the median
#   held     the program again, its UI thread (alone) stopped for 1 s by
#            ptrace: the largest gap on the wire and the longest run of
#            identical frames around the hold
#   cli      tinctara-cli render --realtime for SECONDS s, as for the window
#
# Each figure comes twice: as olad received it (ola_recorder, whole ms), and
# from the kernel's timestamps of the same datagrams as they were sent on lo (ns).
#
# Not part of ctest: it runs for minutes. Needs root, ola, curl, iproute2,
# python3, xvfb and xauth.
# Usage: gui-receive-timing.sh TINCTARA PROGRAM-FOLDER [SECONDS]
#        (tinctara-cli is taken from beside TINCTARA)
set -euo pipefail
[ -z "${TIMING_TRACE:-}" ] || set -x
program=$(realpath "$1") shipped=$(realpath "$2") seconds=${3:-60}
cli=$(dirname "$program")/tinctara-cli

if [ "${TINCTARA_NETNS:-}" != 1 ]; then
  [ "$(id -u)" = 0 ] || { echo "needs root"; exit 77; }
  exec env TINCTARA_NETNS=1 ${TIMING_TRACE:+TIMING_TRACE=1} timeout -k 5 $((2 * seconds + 180)) unshare -n bash "$0" "$@"
fi

. "$(dirname "$0")/ola-namespace.sh"
work=$(mktemp -d)
gui= recorder=
stop_recorder() {
  if [ -n "${capture:-}" ]; then
    kill -INT "$capture" 2>/dev/null || true
    wait "$capture" 2>/dev/null || true
  fi
  capture=
  if [ -n "$recorder" ]; then
    kill -INT "$recorder" 2>/dev/null || true  # it saves the show on Ctrl-C
    wait "$recorder" 2>/dev/null || true
  fi
  recorder=
}
stop_gui() {
  if [ -n "$gui" ] && [ -s "$work/gui.pid" ]; then
    kill -TERM "$(cat "$work/gui.pid")" 2>/dev/null || true
    wait "$gui" 2>/dev/null || true
    sleep 0.5  # xvfb-run's own clean-up stops its X server
  fi
  gui=
}
trap 'stop_gui; stop_recorder; ola_stop; rm -rf "$work"' EXIT
trap 'exit 1' INT TERM
ola_network_up
ola_start "$work/ola"
ola_patch_inputs

# A program folder and a settings store of their own: sACN universe 1 to 127.0.0.1.
mkdir -p "$work/home" "$work/config/TINCTARA"
# The data of the program folder, without its (large) executables.
(cd "$shipped" && find . -mindepth 1 -maxdepth 1 \( -type d -o ! -perm -u+x \) -exec cp -r {} "$work/home/" \;)
printf '%s\n' '[Interface]' 'Type=6' 'SacnDestination=127.0.0.1' 'SacnUniverse=1' \
  > "$work/config/TINCTARA/TINCTARA.conf"
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$work/runtime"

# The show: 121 elements, four steps of hold 2 and blend 40, playing when the
# program starts (the settings file restores playback), the wall window open.
# TIMING_WINDOW_TABLE=columns for builds that read the window table by columns.
. "$(dirname "$0")/../../scripts/fade-show.sh"
make_home "$work/home" "$shipped" "${TIMING_WINDOW_TABLE:-rows}" 1

# Beside OLA's view, the wire's: a packet socket on lo takes the kernel's
# timestamp (ns) of every sACN datagram as the sender hands it to lo, so the
# sender's own regularity shows apart from how promptly the receiving side
# (loopback delivery, olad, the recorder) is scheduled on a busy machine.
capture=
record() {  # NAME: starts ola_recorder into $work/NAME and the capture into $work/NAME.ns
  ola_recorder --universes 1 --record "$work/$1" > "$work/$1.log" 2>&1 &
  recorder=$!
  python3 "$(dirname "$0")/sacn_capture.py" "$work/$1.ns" &
  capture=$!
  local i
  for i in $(seq 100); do [ -e "$work/$1.ns" ] && break; sleep 0.1; done  # bound and listening
  sleep 1
}
# The recorder writes each frame's universe and levels, then the delay in ms
# before the next frame.
delays() { awk 'NF == 1 && $1 ~ /^[0-9.]+$/ {print $1}' "$work/$1"; }
period_stats() {  # NAME LABEL: median, stdev, p99, max and the largest distance from the median
  delays "$1" | sort -n | awk -v label="$2" '{ v[NR] = $1; s += $1; q += $1 * $1 } END {
    if (NR < 2) { printf "%s: only %d frames\n", label, NR + 1; exit 1 }
    m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    p = int(0.99 * NR); if (p < 0.99 * NR) p++
    sd = sqrt((q - s * s / NR) / (NR - 1))
    off = v[NR] - m; if (m - v[1] > off) off = m - v[1]
    printf "%-7s %6d frames in %7.1f s: period median %.3f ms, stdev %.3f ms, p99 %.3f ms, max %.3f ms, max off median %.3f ms\n",
      label, NR + 1, s / 1000, m, sd, v[p], v[NR], off }'
}
kernel_delays() { awk 'NR > 1 { printf "%.4f\n", ($1 - last) / 1e6 } { last = $1 }' "$work/$1.ns"; }
kernel_stats() {  # NAME LABEL: the same figures from the kernel's timestamps
  kernel_delays "$1" | sort -n | awk -v label="$2" '{ v[NR] = $1; s += $1; q += $1 * $1 } END {
    if (NR < 2) { printf "%s: only %d datagrams\n", label, NR + 1; exit 1 }
    m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    p = int(0.99 * NR); if (p < 0.99 * NR) p++
    sd = sqrt((q - s * s / NR) / (NR - 1))
    off = v[NR] - m; if (m - v[1] > off) off = m - v[1]
    printf "%-7s %6d datagrams sent on lo: period median %.3f ms, stdev %.3f ms, p99 %.3f ms, max %.3f ms, max off median %.3f ms\n",
      label, NR + 1, m, sd, v[p], v[NR], off }'
}
start_gui() {
  # A session of its own: what xvfb-run and its X server signal on the way out
  # stays there.
  setsid xvfb-run -a -s "-screen 0 1280x860x24" bash -c 'echo $$ > "$1/gui.pid"; exec "$2" --home "$1/home"' gui \
    "$work" "$program" > "$work/gui.log" 2>&1 &
  gui=$!
  sleep 4  # start-up, and the show loaded and playing
}

echo "measuring ${seconds} s per sender; show: 121 elements, hold 2, blend 40 ticks"
start_gui
record window
sleep "$seconds"
stop_recorder
period_stats window window
kernel_stats window window

# Holding the UI thread alone: ptrace seizes that one thread (its id is the
# process id) and stops it for a second; the sender's thread runs on. (gdb's
# non-stop mode does the same, but cannot be scripted reliably in batch mode.)
cat > "$work/hold.py" <<'PY'
import ctypes, os, sys, time
libc = ctypes.CDLL(None, use_errno=True)
libc.ptrace.argtypes = [ctypes.c_long, ctypes.c_long, ctypes.c_void_p, ctypes.c_void_p]
libc.ptrace.restype = ctypes.c_long
PTRACE_SEIZE, PTRACE_INTERRUPT, PTRACE_DETACH = 0x4206, 0x4207, 17
tid, seconds = int(sys.argv[1]), float(sys.argv[2])
def call(request):
    if libc.ptrace(request, tid, None, None) != 0:
        sys.exit("ptrace %#x: %s" % (request, os.strerror(ctypes.get_errno())))
call(PTRACE_SEIZE)
call(PTRACE_INTERRUPT)
os.waitpid(tid, 0x40000000)  # __WALL: the thread has stopped
started = time.monotonic()
time.sleep(seconds)
call(PTRACE_DETACH)
print("held    UI thread %d stopped for %.3f s" % (tid, time.monotonic() - started))
PY
record held
sleep 2
python3 "$work/hold.py" "$(cat "$work/gui.pid")" 1
sleep 3
stop_recorder
stop_gui
delays held | sort -n | tail -n 1 | awk '{ printf "held    largest gap as OLA saw it while the UI thread was held for 1 s: %.3f ms\n", $1 }'
kernel_delays held | sort -n | tail -n 1 | awk '{ printf "held    largest gap sent on lo while the UI thread was held for 1 s: %.3f ms\n", $1 }'
awk 'NF == 2 { if ($0 == last) run++; else run = 1; last = $0; if (run > longest) longest = run }
     END { printf "held    longest run of identical frames: %d (a 1 s hold repeats the last frame about 20 times)\n", longest }' \
  "$work/held"

record cli
"$cli" render --home "$work/home" --config "$work/home/config/WALL11.CFG" --sequence "$work/home/sequence/FADE.CSQ" \
  --play --interface sacn --destination 127.0.0.1 --universe 1 --realtime --ticks $((seconds * 20)) \
  --channels 1-1 > /dev/null 2> "$work/cli.log"
stop_recorder
period_stats cli cli
kernel_stats cli cli
