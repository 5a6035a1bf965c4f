#!/usr/bin/env bash
# Installs the Debian packages that are missing.
# Usage: scripts/deps.sh [--tests] [extra-package ...]
#   without --tests: what building and running the program needs (scripts/run);
#   with --tests: also what the tests, the fuzzers, the benchmarks and the
#   package check need (scripts/test, scripts/package).
set -euo pipefail

# qt6-translations-l10n: Qt's own texts in German (buttons, file dialogs);
# qt6-multimedia-dev: live audio capture and the song of the preview;
# libltc-dev: LTC timecode.
run_packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-websockets-dev qt6-translations-l10n
              libqrencode-dev libstb-dev libgif-dev libpng-dev libjpeg62-turbo-dev liblo-dev libasound2-dev
              libsndfile1-dev libaubio-dev qt6-multimedia-dev libltc-dev)
# ola, curl, iproute2: the network checks against a real sACN/Art-Net peer;
# chromium, chromium-driver, python3-selenium: the web remote in a real browser;
# xvfb, xauth, xdotool, openbox, dbus-daemon, at-spi2-core, python3-pyatspi:
# the program on a virtual screen and over the accessibility bus;
# lintian, desktop-file-utils, appstream, dpkg-dev, systemd (systemd-analyze):
# the Debian package and its units;
# liblo-tools: oscsend and oscdump, to try the OSC decoder by hand;
# aubio-tools: aubiotrack, the beat tests' independent reference;
# pulseaudio, pulseaudio-utils: a null sink for the tests that play sound.
test_packages=(libgtest-dev libgmock-dev libbenchmark-dev clang clang-format
               ola curl iproute2 chromium chromium-driver python3-selenium
               xvfb xauth xdotool openbox dbus-daemon at-spi2-core python3-pyatspi
               lintian desktop-file-utils appstream dpkg-dev systemd liblo-tools aubio-tools
               pulseaudio pulseaudio-utils)

packages=("${run_packages[@]}")
if [ "${1:-}" = --tests ]; then
  shift
  packages+=("${test_packages[@]}")
fi
packages+=("$@")

missing=()
for pkg in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$pkg")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}" >&2
  echo "Run as root, or install them: sudo apt-get install ${missing[*]}" >&2
  exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# No package may start a system service here (ola would start its daemon):
# invoke-rc.d asks policy-rc.d, and 101 forbids every start.
policy=/usr/sbin/policy-rc.d
own_policy=
if [ ! -e "$policy" ]; then
  printf '#!/bin/sh\nexit 101\n' > "$policy" && chmod 755 "$policy" && own_policy=1
fi
trap 'if [ -n "$own_policy" ]; then rm -f "$policy"; fi' EXIT
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
# Should the daemon have come up all the same, stop it by its own pid file.
if [ -s /run/olad.pid ]; then
  kill -TERM "$(cat /run/olad.pid)" 2>/dev/null || true
  rm -f /run/olad.pid
fi
