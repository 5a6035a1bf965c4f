#!/usr/bin/env bash
# The remote in a real browser against the real program under Xvfb: the
# program sends sACN to 127.0.0.1 and turns its remote on with --remote.
# Runs in a private network namespace where one can be made, so that port
# 5568 is ours alone. Exits 77 (skipped) with the reason where no browser can start.
# Usage: browser-remote.sh TINCTARA PROGRAM-FOLDER
set -euo pipefail
program=$1 shipped=$2
here=$(cd "$(dirname "$0")" && pwd)

python=/usr/bin/python3  # Debian's, where python3-selenium lives
for tool in chromium chromedriver xvfb-run "$python"; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
"$python" -c 'import selenium' 2>/dev/null || { echo "SKIP: python3-selenium is not installed"; exit 77; }

if [ "${TINCTARA_NETNS:-}" != 1 ] && [ "$(id -u)" = 0 ] && unshare -n true 2>/dev/null; then
  exec env TINCTARA_NETNS=1 timeout -k 5 170 unshare -n bash "$0" "$@"
fi
[ "${TINCTARA_NETNS:-}" = 1 ] && ip link set lo up

work=$(mktemp -d)
gui=
cleanup() {
  # The whole group: xvfb-run does not pass a TERM on to the program it started.
  if [ -n "$gui" ]; then kill -TERM -- "-$gui" 2>/dev/null || true; wait "$gui" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

mkdir -p "$work/config/TINCTARA" "$work/home"
mkdir -m 700 "$work/runtime"
(cd "$shipped" && find . -mindepth 1 -maxdepth 1 \( -type d -o ! -perm -u+x \) -exec cp -r {} "$work/home/" \;)
printf '%s\n' '[Interface]' 'Type=6' 'SacnDestination=127.0.0.1' 'SacnUniverse=1' \
  > "$work/config/TINCTARA/TINCTARA.conf"

port=$("$python" -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime HOME=$work \
  setsid xvfb-run -a -s "-screen 0 1280x1024x24" "$program" --home "$work/home" --remote "$port" \
  > "$work/out" 2> "$work/err" &
gui=$!
for _ in $(seq 100); do
  [ -s "$work/out" ] && break
  sleep 0.1
done
url=$(head -n1 "$work/out")
echo "program prints: $url"
[[ "$url" =~ ^http://127\.0\.0\.1:$port/\?code=[A-Za-z0-9]{22}$ ]] || { echo "no URL line"; cat "$work/err"; exit 1; }
[ "$(wc -l < "$work/out")" = 1 ] || { echo "more than one line on standard output"; exit 1; }

HOME=$work "$python" "$here/browser_remote.py" "$url"
