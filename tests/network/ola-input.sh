#!/usr/bin/env bash
# OLA's olad as the desk: its E1.31 and Art-Net output ports, patched to OLA
# universes 1 and 2, send what ola_streaming_client gives them, and
# tinctara-cli record must save a sequence whose last step plays those levels
# back through the configuration's patch. Art-Net goes only to nodes that
# answered olad's ArtPoll for the universe, so a recording there also shows our
# ArtPollReply understood. Runs in a private network namespace (olad and we on
# the two ends of a veth pair); exits 77 (skipped) with the reason where the
# machine cannot make one.
# Usage: ola-input.sh TINCTARA-CLI PROGRAM-FOLDER [DEPS-SCRIPT]
set -euo pipefail
cli=$1 home=$2 deps=${3:-}
desk="$(cd "$(dirname "$0")" && pwd)/input_desk.py"

skip() { echo "SKIP: $*"; exit 77; }

if [ "${TINCTARA_NETNS:-}" != 1 ]; then
  [ "$(id -u)" = 0 ] || skip "a private network namespace needs root"
  if ! command -v olad >/dev/null || ! command -v curl >/dev/null || ! command -v ip >/dev/null; then
    [ -n "$deps" ] && "$deps" ola curl iproute2 || true
  fi
  for tool in olad ola_patch ola_dev_info ola_streaming_client curl ip unshare setpriv python3; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
  done
  id olad >/dev/null 2>&1 || skip "the olad user is missing"
  unshare -n true 2>/dev/null || skip "this machine cannot make a network namespace"
  exec env TINCTARA_NETNS=1 timeout -k 5 150 unshare -n bash "$0" "$@"
fi

. "$(dirname "$0")/ola-namespace.sh"
work=$(mktemp -d)
wall=
trap 'ola_stop; kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
trap 'exit 1' INT TERM
# olad in this namespace on ola-desk, we in a second one on ola-wall: the two
# ends of a veth pair, so that neither sees the other's address as its own.
ip link set lo up
unshare -n sleep 120 &
wall=$!
for i in $(seq 50); do [ "$(readlink /proc/$wall/ns/net)" != "$(readlink /proc/$$/ns/net)" ] && break; sleep 0.02; done
ip link add ola-desk type veth peer name ola-wall || skip "this machine cannot make a veth pair"
ip link set ola-wall netns "$wall"
ip addr add 198.51.100.1/24 brd + dev ola-desk
ip link set ola-desk up
on_wall() { nsenter -t "$wall" -n "$@"; }
on_wall ip link set lo up
on_wall ip addr add 198.51.100.2/24 brd + dev ola-wall
on_wall ip link set ola-wall up
on_wall ip route add 224.0.0.0/4 dev ola-wall  # sACN joins its group there

# Art-Net only to nodes that answered the poll for the universe (no broadcast).
OLA_ARTNET_CONF='enabled = true
ip = 198.51.100.1
always_broadcast = false
use_limited_broadcast = false
net = 0
subnet = 0
input_ports = 0
output_ports = 1'
OLA_E131_CONF='enabled = true
ip = 198.51.100.1
cid = 7d3e1a52-0b6c-4f11-9e2a-5c4b3a291807
draft_discovery = false
input_ports = 0
output_ports = 1
prepend_hostname = false'
ola_start "$work"

cfg=$home/config/DEMO.CFG
# record NAME OPTIONS...: listening before olad's ports are patched, so that it hears the poll.
record() {
  local name=$1
  shift
  on_wall "$cli" record --home "$home" --config "$cfg" --listen 198.51.100.2 --seconds 4 --out "$work/$name.CSQ" \
    "$@" > "$work/$name.out" 2> "$work/$name.err" &
}
record sacn --interface sacn --universe 1 --every 10
sacn=$!
record artnet --interface artnet --universe 2 --on-change
artnet=$!
sleep 0.3
ola_patch --device "$(awk '/E1.31/ {print $2}' "$OLA_DIR/devices" | tr -d :)" --port 0 --universe 1
ola_patch --device "$(awk '/ArtNet/ {print $2}' "$OLA_DIR/devices" | tr -d :)" --port 0 --universe 2
# A desk sends on: the same frame every 50 ms for 3.5 s (sACN counts after 1.5 s).
stream() {
  local levels
  levels=$(python3 "$desk" levels "$2")
  for _ in $(seq 70); do echo "$levels"; sleep 0.05; done | ola_streaming_client -u "$1"
}
stream 1 3 &
streams=$!
stream 2 5 &
streams="$streams $!"

failures=0
check() {
  local name=$1 pid=$2 pattern=$3 code=0
  wait "$pid" || code=$?
  if [ "$code" != 0 ]; then
    echo "FAIL: $name: exit $code"; cat "$work/$name.err"; failures=$((failures + 1))
  elif ! python3 "$desk" check "$cfg" "$work/$name.CSQ" "$pattern" > "$work/$name.check"; then
    echo "FAIL: $name: $(cat "$work/$name.check")"; failures=$((failures + 1))
  else
    echo "$name from olad: $(tail -n 1 "$work/$name.check")"
  fi
}
check sacn "$sacn" 3
check artnet "$artnet" 5
wait $streams
[ "$failures" = 0 ]
