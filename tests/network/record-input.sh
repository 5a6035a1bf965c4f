#!/usr/bin/env bash
# tinctara-cli record against senders of our own on 127.0.0.1: the highest
# sACN priority wins, sources of one priority and Art-Net senders merge
# highest-first, ArtPoll is answered while it listens, SIGINT ends it with the
# steps saved, no sender is exit 1 without a file; play --input runs and ends
# on SIGTERM. Runs in a private network namespace; exits 77 (skipped) with the
# reason where the machine cannot make one.
# Usage: record-input.sh TINCTARA-CLI PROGRAM-FOLDER
set -euo pipefail
cli=$1 home=$2
desk="$(cd "$(dirname "$0")" && pwd)/input_desk.py"

skip() { echo "SKIP: $*"; exit 77; }

if [ "${TINCTARA_NETNS:-}" != 1 ]; then
  [ "$(id -u)" = 0 ] || skip "a private network namespace needs root"
  for tool in python3 unshare ip; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
  done
  unshare -n true 2>/dev/null || skip "this machine cannot make a network namespace"
  exec env TINCTARA_NETNS=1 timeout -k 5 100 unshare -n bash "$0" "$@"
fi

ip link set lo up
# sACN joins its universe's multicast group, which needs a route here.
ip link set lo multicast on
ip route add 224.0.0.0/4 dev lo
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
trap 'exit 1' INT TERM
cfg=$home/config/DEMO.CFG
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# record NAME OPTIONS...: three seconds (sACN counts after 1.5 s of listening), a step every 5 ticks.
record() {
  local name=$1
  shift
  local code=0
  "$cli" record --home "$home" --config "$cfg" --out "$work/$name.CSQ" --seconds 3 --every 5 "$@" \
    > "$work/$name.out" 2> "$work/$name.err" || code=$?
  echo "$code" > "$work/$name.code"
}

# expect NAME PATTERN...: exit 0, the summary line, and the last step is the HTP of the patterns.
expect() {
  local name=$1
  shift
  if [ "$(cat "$work/$name.code")" != 0 ]; then
    fail "$name: exit $(cat "$work/$name.code")"; cat "$work/$name.err"; return
  fi
  grep -q '^[0-9]* Schritte\? aufgenommen\.$' "$work/$name.out" || fail "$name: no summary: $(cat "$work/$name.out")"
  python3 "$desk" check "$cfg" "$work/$name.CSQ" "$@" > "$work/$name.check" || fail "$name: $(cat "$work/$name.check")"
  echo "$name: $(tail -n 1 "$work/$name.check")"
}

# sACN: priority 150 beats 100; two sources of 100 merge highest-first.
python3 "$desk" sacn "Pult A" 100 1 3 4.5 &
python3 "$desk" sacn "Pult B" 150 1 5 4.5 &
sleep 0.5
record sacn-priority --interface sacn --universe 1
wait
expect sacn-priority 5

python3 "$desk" sacn "Pult A" 100 9 3 4.5 &
python3 "$desk" sacn "Pult B" 100 9 5 4.5 &
sleep 0.5
record sacn-htp --interface sacn --universe 9
wait
expect sacn-htp 3 5

# Art-Net: two senders told apart by their address, and a poll answered meanwhile.
python3 "$desk" artnet 127.0.0.1 2 3 4.5 &
python3 "$desk" artnet 127.0.0.2 2 11 4.5 &
sleep 0.5
record artnet-htp --interface artnet --universe 2 &
sleep 0.5
node=$(python3 "$desk" artpoll) || true
wait
expect artnet-htp 3 11
[ "$node" = Tinctara ] && echo "ArtPoll: answered by $node" || fail "ArtPoll: answered by '$node'"

# No sender: exit 1 with the message, nothing written.
record silent --interface sacn --universe 7
if [ "$(cat "$work/silent.code")" != 1 ] || [ -e "$work/silent.CSQ" ] ||
   ! grep -qx 'tinctara-cli: Kein Schritt aufgenommen: kein Sender auf Universum 7.' "$work/silent.err"; then
  fail "silent: exit $(cat "$work/silent.code"), $(cat "$work/silent.err")"
else
  echo "silent: exit 1, no file"
fi

# SIGINT ends a recording without a time limit; what was taken is saved.
python3 "$desk" sacn "Pult A" 100 1 7 4 &
sleep 0.3
"$cli" record --home "$home" --config "$cfg" --out "$work/stopped.CSQ" --on-change --interface sacn --universe 1 \
  > "$work/stopped.out" 2> "$work/stopped.err" &
recorder=$!
sleep 2.5
kill -INT "$recorder"
code=0
wait "$recorder" || code=$?
echo "$code" > "$work/stopped.code"
wait
expect stopped 7

# play merges a desk's universe: it starts listening and ends on SIGTERM.
python3 "$desk" sacn "Pult A" 100 1 3 2 &
"$cli" play --home "$home" --config "$cfg" --sequence "$home/sequence/DEMO.CSQ" --quiet \
  --input sacn --input-universe 1 --merge ltp > "$work/play.out" 2> "$work/play.err" &
player=$!
sleep 1
kill -TERM "$player"
code=0
wait "$player" || code=$?
wait
[ "$code" = 0 ] && echo "play --input: exit 0 on SIGTERM" || { fail "play --input: exit $code"; cat "$work/play.err"; }

[ "$failures" = 0 ]
