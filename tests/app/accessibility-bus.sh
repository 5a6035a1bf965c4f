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

. "$here/virtual-display.sh"
work=$(mktemp -d)
cleanup() {
  stop_virtual_display
  rm -rf "$work"
}
trap cleanup EXIT
start_virtual_display "$work" || skip "$DISPLAY_PROBLEM"

# The program works in a copy of its folder: its data, not its executables.
mkdir "$work/home"
(cd "$program_folder" && find . -type f -size -1000k ! -name '*.so' ! -perm -u+x -print0 |
  xargs -0 cp --parents -t "$work/home")
sed -i "s#$program_folder#$work/home#g" "$work/home/TINCTARA.ini"

export TINCTARA_AUTOMATION=1 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb
# ACCESSIBILITY_SHOT=FILE.png keeps a screenshot of the question.
dbus-run-session -- /usr/bin/python3 "$here/accessibility_bus_check.py" "$program_folder/tinctara" "$work/home"
