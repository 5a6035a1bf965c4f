#!/usr/bin/env bash
# Starts the real program on a virtual display with an accessibility bus and
# reads it over AT-SPI only (accessibility_bus_check.py).
#   tests/app/accessibility-bus.sh PROGRAM_FOLDER
# Exit 77 (a skip for ctest) with a line saying why where no display server or
# bus can start.
set -u
program_folder=$(realpath "$1")
here=$(dirname "$(realpath "$0")")

skip() { echo "SKIPPED: $*"; exit 77; }

for tool in Xvfb dbus-run-session xdotool; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/deps.sh installs it)"
done
[ -x /usr/libexec/at-spi-bus-launcher ] || skip "at-spi2-core is not installed (scripts/deps.sh installs it)"
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || skip "python3-pyatspi is not installed (scripts/deps.sh installs it)"

work=$(mktemp -d)
xvfb_pid=
wm_pid=
cleanup() {
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1280x860x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || break
  sleep 0.1
done
[ -s "$work/display" ] || skip "no display server could start (Xvfb: $(tail -1 "$work/xvfb.log"))"
export DISPLAY=":$(head -1 "$work/display")"

# A window manager gives the program's windows the keyboard as on a desktop.
if command -v openbox >/dev/null; then
  openbox >/dev/null 2>&1 &
  wm_pid=$!
fi

# The program works in a copy of its folder: its data, not its executables.
mkdir "$work/home"
(cd "$program_folder" && find . -type f -size -1000k ! -name '*.so' ! -perm -u+x -print0 |
  xargs -0 cp --parents -t "$work/home")
sed -i "s#$program_folder#$work/home#g" "$work/home/TINCTARA.ini"

export TINCTARA_AUTOMATION=1 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb
# ACCESSIBILITY_SHOT=FILE.png keeps a screenshot of the question.
dbus-run-session -- /usr/bin/python3 "$here/accessibility_bus_check.py" "$program_folder/tinctara" "$work/home"
