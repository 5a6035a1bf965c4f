#!/usr/bin/env bash
# The remote in a real browser against the real program under Xvfb, which
# turns its remote on with --remote. Runs in a private network namespace where
# one can be made, so that port 5568 is ours alone. Exits 77 (skipped) with
# the reason where no browser can start.
# Usage: browser-remote.sh TINCTARA PROGRAM-FOLDER [phone]
#   without "phone": the sample show driven through the page, which sends sACN
#     to 127.0.0.1 (browser_remote.py); then the program again on the same
#     port, which refuses the session cookie of before (stale_cookie.py);
#   "phone": walls of 11 x 11, 8 x 6 and 1 x 1, one program each, on a phone's
#     screen (browser_phone.py).
set -euo pipefail
program=$1 shipped=$2 mode=${3:-}
here=$(cd "$(dirname "$0")" && pwd)

python=/usr/bin/python3  # Debian's, where python3-selenium lives
export PYTHONDONTWRITEBYTECODE=1  # headless.py is imported from the source tree
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

# One X server; each program with a folder of its own: settings, the lock
# against a second copy, its program folder and what it prints.
declare -a dirs=() urls=()
add_program() {  # NAME: copies the shipped folder
  local dir=$work/$1
  mkdir -p "$dir/config/TINCTARA" "$dir/home"
  mkdir -m 700 "$dir/runtime"
  (cd "$shipped" && find . -mindepth 1 -maxdepth 1 \( -type d -o ! -perm -u+x \) -exec cp -r {} "$dir/home/" \;)
  dirs+=("$dir")
}

if [ "$mode" = phone ]; then
  sizes=(11x11 8x6 1x1)
  for size in "${sizes[@]}"; do
    add_program "$size"
    "$python" "$here/wall_home.py" "$work/$size/home" "${size%x*}" "${size#*x}"
  done
else
  add_program sample
  printf '%s\n' '[Interface]' 'Type=6' 'SacnDestination=127.0.0.1' 'SacnUniverse=1' \
    > "$work/sample/config/TINCTARA/TINCTARA.conf"
fi

read -r -a ports < <("$python" -c '
import socket, sys
held = [socket.socket() for _ in range(int(sys.argv[1]))]
for s in held: s.bind(("127.0.0.1", 0))
print(" ".join(str(s.getsockname()[1]) for s in held))' "${#dirs[@]}")
# Starts every program under one X server and collects the URL each prints.
start_programs() {
  local launch=() i dir port url
  for i in "${!dirs[@]}"; do
    launch+=("${dirs[$i]}" "${ports[$i]}")
    rm -f "${dirs[$i]}/out"
  done
  setsid xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    program=$1; shift
    while [ $# -gt 0 ]; do
      XDG_CONFIG_HOME=$1/config XDG_RUNTIME_DIR=$1/runtime HOME=$1 "$program" --home "$1/home" --remote "$2" \
        > "$1/out" 2> "$1/err" &
      shift 2
    done
    wait' launch "$program" "${launch[@]}" > /dev/null 2>&1 &
  gui=$!
  urls=()
  for i in "${!dirs[@]}"; do
    dir=${dirs[$i]} port=${ports[$i]}
    for _ in $(seq 150); do
      [ -s "$dir/out" ] && break
      sleep 0.1
    done
    url=$(head -n1 "$dir/out")
    echo "program prints: $url"
    [[ "$url" =~ ^http://127\.0\.0\.1:$port/\?code=[A-Za-z0-9]{22}$ ]] || { echo "no URL line"; cat "$dir/err"; exit 1; }
    [ "$(wc -l < "$dir/out")" = 1 ] || { echo "more than one line on standard output"; exit 1; }
    urls+=("$url")
  done
}

stop_programs() {
  kill -TERM -- "-$gui" 2>/dev/null || true
  wait "$gui" 2>/dev/null || true
  gui=
}

start_programs
if [ "$mode" = phone ]; then
  walls=()
  for i in "${!sizes[@]}"; do walls+=("${sizes[$i]}=${urls[$i]}"); done
  HOME=$work "$python" "$here/browser_phone.py" "${walls[@]}"
else
  HOME=$work "$python" "$here/browser_remote.py" "${urls[0]}" "$work/cookie"
  # The program again, on the same port with a new code: the session's
  # cookie of before is refused.
  stop_programs
  start_programs
  "$python" "$here/stale_cookie.py" "${urls[0]}" "$(cat "$work/cookie")"
fi
