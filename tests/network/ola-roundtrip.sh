#!/usr/bin/env bash
# A fade rendered by tinctara-cli, sent once by sACN and once by Art-Net to
# 127.0.0.1, must arrive at OLA's olad with exactly the levels the engine
# computed on the last tick. Runs in a private network namespace; exits 77
# (skipped) with the reason where the machine cannot make one.
# Usage: ola-roundtrip.sh TINCTARA-CLI PROGRAM-FOLDER [DEPS-SCRIPT]
set -euo pipefail
cli=$1 home=$2 deps=${3:-}
ticks=30

skip() { echo "SKIP: $*"; exit 77; }

if [ "${TINCTARA_NETNS:-}" != 1 ]; then
  [ "$(id -u)" = 0 ] || skip "a private network namespace needs root"
  if ! command -v olad >/dev/null || ! command -v curl >/dev/null || ! command -v ip >/dev/null; then
    [ -n "$deps" ] && "$deps" ola curl iproute2 || true
  fi
  for tool in olad ola_patch ola_dev_info curl ip unshare setpriv; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
  done
  id olad >/dev/null 2>&1 || skip "the olad user is missing"
  unshare -n true 2>/dev/null || skip "this machine cannot make a network namespace"
  [ -c /dev/net/tun ] || skip "no /dev/net/tun for OLA's E1.31 device"
  exec env TINCTARA_NETNS=1 timeout -k 5 150 unshare -n bash "$0" "$@"
fi

. "$(dirname "$0")/ola-namespace.sh"
work=$(mktemp -d)
trap 'ola_stop; rm -rf "$work"' EXIT
trap 'exit 1' INT TERM
ola_network_up
ola_start "$work"
ola_patch_inputs

failures=0
check() {
  local name=$1 universe=$2 rendered=$3
  local first last got
  first=$(head -n 1 "$rendered" | cut -d, -f2-)
  last=$(tail -n 1 "$rendered" | cut -d, -f2-)
  got=$(ola_levels "$universe")
  if [ "$(wc -l < "$rendered")" != "$ticks" ] || [ "$first" = "$last" ] || [ -z "${last//[0,]/}" ]; then
    echo "$name: the render is no fade ($(wc -l < "$rendered") ticks)"; failures=$((failures + 1))
  elif [ "$got" != "$last" ]; then
    echo "$name: OLA holds ${got:0:80}... but the last tick was ${last:0:80}..."; failures=$((failures + 1))
  else
    echo "$name: OLA universe $universe holds the 512 levels of tick $ticks"
  fi
}

render() {
  "$cli" render --home "$home" --config "$home/config/DEMO.CFG" --sequence "$home/sequence/DEMO.CSQ" --play \
    --ticks "$ticks" --destination 127.0.0.1 "$@" 2> "$work/messages" ||
    { cat "$work/messages"; return 1; }
}

render --interface sacn --universe 1 > "$work/sacn"
render --interface artnet --universe 2 > "$work/artnet"
sleep 0.3  # olad takes the last datagrams off its sockets
check sACN 1 "$work/sacn"
check Art-Net 2 "$work/artnet"
[ "$failures" = 0 ]
