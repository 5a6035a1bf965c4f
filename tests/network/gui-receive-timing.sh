#!/usr/bin/env bash
# The program itself (under Xvfb) sends sACN to OLA's olad for SECONDS seconds
# at its 50 ms tick; olad's side is recorded with ola_recorder and the receive
# period and its jitter are printed (median, p99, max). Everything stays on
# 127.0.0.1 in a private network namespace. Not part of ctest: it runs for
# over a minute. Needs root, ola, curl, iproute2, xvfb and xauth.
# Usage: gui-receive-timing.sh TINCTARA PROGRAM-FOLDER [SECONDS]
set -euo pipefail
program=$1 shipped=$2 seconds=${3:-60}

if [ "${TINCTARA_NETNS:-}" != 1 ]; then
  [ "$(id -u)" = 0 ] || { echo "needs root"; exit 77; }
  exec env TINCTARA_NETNS=1 timeout -k 5 $((seconds + 90)) unshare -n bash "$0" "$@"
fi

. "$(dirname "$0")/ola-namespace.sh"
work=$(mktemp -d)
gui=
recorder=
stop_recorder() {
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

# A program folder and a settings store of its own: sACN universe 1 to 127.0.0.1.
mkdir -p "$work/home" "$work/config/TINCTARA"
# The data of the program folder, without its (large) executables.
(cd "$shipped" && find . -mindepth 1 -maxdepth 1 \( -type d -o ! -perm -u+x \) -exec cp -r {} "$work/home/" \;)
printf '%s\n' '[Interface]' 'Type=6' 'SacnDestination=127.0.0.1' 'SacnUniverse=1' \
  > "$work/config/TINCTARA/TINCTARA.conf"
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$work/runtime"

ola_recorder --universes 1 --record "$work/show" > "$work/recorder.log" 2>&1 &
recorder=$!
sleep 1
xvfb-run -a bash -c 'echo $$ > "$1/gui.pid"; exec "$2" --home "$1/home"' gui "$work" "$program" \
  > "$work/gui.log" 2>&1 &
gui=$!
sleep "$seconds"
stop_recorder
stop_gui

# The recorder writes each frame's universe and levels, then the delay in ms
# before the next frame.
awk 'NF == 1 && $1 ~ /^[0-9]+$/ {print $1}' "$work/show" | sort -n > "$work/delays"
count=$(wc -l < "$work/delays")
[ "$count" -gt $((seconds * 10)) ] || { echo "only $count frames recorded"; cat "$work/gui.log" "$work/recorder.log"; exit 1; }
# Period: the recorded delays; jitter: how far each lies from the 50 ms tick.
stats() {  # sorted numbers on stdin -> "median M ms, p99 P ms, max X ms"
  awk '{ v[NR] = $1 } END {
    m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    p = int(0.99 * NR); if (p < 0.99 * NR) p++
    printf "median %s ms, p99 %s ms, max %s ms", m, v[p], v[NR] }'
}
total=$(awk '{ s += $1 } END { printf "%.1f", s / 1000 }' "$work/delays")
echo "$((count + 1)) frames in $total s"
echo "receive period: $(stats < "$work/delays"), min $(head -n 1 "$work/delays") ms"
echo "jitter |period - 50 ms|: $(awk '{ d = $1 - 50; print (d < 0 ? -d : d) }' "$work/delays" | sort -n | stats)"
