#!/usr/bin/env bash
# The program, sending sACN from its stored settings, must end its stream with
# three stream-terminated packets when it is told to end by SIGTERM. Runs in a
# private network namespace on 127.0.0.1; exits 77 (skipped) where none can be made.
# Usage: program-end-terminates.sh TINCTARA PROGRAM-FOLDER
set -euo pipefail
program=$1 shipped=$2

if [ "${TINCTARA_NETNS:-}" != 1 ]; then
  [ "$(id -u)" = 0 ] || { echo "SKIP: a private network namespace needs root"; exit 77; }
  command -v python3 >/dev/null || { echo "SKIP: python3 is not installed"; exit 77; }
  unshare -n true 2>/dev/null || { echo "SKIP: this machine cannot make a network namespace"; exit 77; }
  exec env TINCTARA_NETNS=1 timeout -k 5 100 unshare -n bash "$0" "$@"
fi

ip link set lo up
work=$(mktemp -d)
receiver= gui=
cleanup() {
  for pid in $gui $receiver; do kill -TERM "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

mkdir -p "$work/config/TINCTARA" "$work/home"
mkdir -m 700 "$work/runtime"
# The data of the program folder, without its (large) executables.
(cd "$shipped" && find . -mindepth 1 -maxdepth 1 \( -type d -o ! -perm -u+x \) -exec cp -r {} "$work/home/" \;)
printf '%s\n' '[Interface]' 'Type=6' 'SacnDestination=127.0.0.1' 'SacnUniverse=9' \
  > "$work/config/TINCTARA/TINCTARA.conf"

# Counts the packets until 2 s pass without one; prints "count sequences-of-terminated".
# Marks the file "streaming" once eleven packets came, so that the program is
# ended only when it is surely sending, however slowly a loaded machine starts it.
python3 - "$work/streaming" > "$work/received" <<'PY' &
import socket, sys
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("127.0.0.1", 5568))
s.settimeout(60)
count, terminated, seq = 0, [], []
try:
    while True:
        d = s.recv(1000)
        s.settimeout(2)
        count += 1
        if count == 11:
            open(sys.argv[1], "w").close()
        seq.append(d[111])
        if d[112] & 0x40:
            terminated.append(d[111])
except socket.timeout:
    pass
print(count, len(terminated), int(bool(terminated) and terminated == seq[-3:]))
PY
receiver=$!
sleep 0.3
XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime QT_QPA_PLATFORM=offscreen \
  "$program" --home "$work/home" > "$work/program.log" 2>&1 &
gui=$!
for _ in $(seq 600); do
  [ -e "$work/streaming" ] && break
  kill -0 "$gui" 2>/dev/null || break
  sleep 0.1
done
[ -e "$work/streaming" ] || { echo "the program sent fewer than eleven packets in 60 s"; cat "$work/program.log"; exit 1; }
kill -TERM "$gui"
wait "$gui" || { echo "the program did not end cleanly"; cat "$work/program.log"; exit 1; }
gui=
wait "$receiver"
receiver=
read -r count terminated last < "$work/received"
echo "$count packets, the last $terminated stream-terminated"
[ "$count" -gt 10 ] && [ "$terminated" = 3 ] && [ "$last" = 1 ]
