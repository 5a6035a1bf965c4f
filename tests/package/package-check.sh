#!/usr/bin/env bash
# Builds the Debian package from the app preset's build, checks it with
# lintian, desktop-file-validate and appstreamcli, installs it on this machine,
# uses the installed program as a user would, and removes it again.
# Usage: package-check.sh SOURCE_DIR      Exit 77: skipped (said why).
set -uo pipefail
source_dir=$(cd "$1" && pwd)

skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*" >&2; exit 1; }

[ "$(id -u)" -eq 0 ] || skip "installing a package needs root"
[ -x "$source_dir/build/app/program/tinctara" ] ||
  skip "the app preset is not built (cmake --preset app && cmake --build --preset app)"
for tool in dpkg-deb lintian desktop-file-validate appstreamcli xvfb-run useradd cpack systemd-analyze runuser; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/deps.sh)"
done
if dpkg-query -W -f='${Status}' tinctara 2>/dev/null | grep -q 'install ok installed'; then
  skip "a tinctara package is installed on this machine already; the check would replace it"
fi

work=$(mktemp -d)
user=tinctpkg$$
cleanup() {
  pkill -u "$user" 2>/dev/null
  userdel -r "$user" >/dev/null 2>&1
  dpkg -P tinctara >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

echo "== package"
deb=$("$source_dir/scripts/package") || fail "scripts/package"
echo "$deb"
[ "$(basename "$deb")" = "tinctara_$(dpkg-deb -f "$deb" Version)_amd64.deb" ] || fail "unexpected file name $deb"

echo "== lintian"
lintian --fail-on error,warning --allow-root --suppress-tags-from-file /dev/null "$deb" || fail "lintian reports errors or warnings"

echo "== desktop entry and metainfo"
dpkg-deb -x "$deb" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/tinctara.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/"*.metainfo.xml || fail "appstreamcli validate"

echo "== install"
dpkg -i "$deb" || fail "dpkg -i"
libdir=$(dirname "$(dpkg -L tinctara | grep '/hwport32d$')")
before=$(find /usr/share/tinctara "$libdir" -printf '%p %s %T@\n' | sort)

echo "== command line"
/usr/bin/tinctara-cli --help >/dev/null || fail "tinctara-cli --help"
check=$(/usr/bin/tinctara-cli check --config /usr/share/tinctara/config/DEMO.CFG \
          /usr/share/tinctara/sequence/DEMO.CSQ /usr/share/tinctara/Farbtbl/DEMO.CCT)
echo "$check"
[ "$(tail -n 1 <<<"$check")" = ok ] || fail "tinctara-cli check of the installed sample show"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM /usr/bin/tinctara --help | grep -q -- '--home' ||
  fail "tinctara --help without a display"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM /usr/bin/tinctara --version | grep -q '[0-9]' ||
  fail "tinctara --version without a display"

# A first start under Xvfb: the program runs until it is ended by SIGTERM.
first_start() {  # first_start USER HOME
  local run=(env HOME="$2" XDG_DATA_HOME= XDG_CONFIG_HOME= XDG_RUNTIME_DIR=)
  [ "$1" = root ] || run=(runuser -u "$1" -- "${run[@]}")
  "${run[@]}" xvfb-run -a /usr/bin/tinctara >"$work/start-$1.log" 2>&1 &
  local pid=$! waited=0
  until [ -s "$2/.local/share/tinctara/TINCTARA.ini" ] || [ "$waited" -ge 200 ]; do
    sleep 0.25; waited=$((waited + 1))
  done
  sleep 3  # the window comes up and reloads the sample show
  if [ "$1" = root ]; then pkill -TERM -f '^/usr/bin/tinctara$'; else pkill -TERM -u "$1" -f '^/usr/bin/tinctara$'; fi
  wait "$pid" 2>/dev/null
  cat "$work/start-$1.log"
}

echo "== first start as an unprivileged user"
useradd -m -s /bin/bash "$user" || fail "useradd"
home=$(getent passwd "$user" | cut -d: -f6)
first_start "$user" "$home"
data="$home/.local/share/tinctara"
for f in TINCTARA.ini TINCT_D.MSG config/DEMO.CFG sequence/DEMO.CSQ Farbtbl/DEMO.CCT; do
  [ -f "$data/$f" ] || fail "the per-user folder lacks $f"
done
[ "$(stat -c %U "$data/TINCTARA.ini")" = "$user" ] || fail "the per-user folder does not belong to $user"
if find "$data" -type f \( -name '*.so*' -o -perm -u+x \) | grep -q .; then
  fail "executables or libraries were copied into the per-user folder: $(find "$data" -type f \( -name '*.so*' -o -perm -u+x \))"
fi
if grep -a -q '/usr/share/tinctara' "$data/TINCTARA.ini"; then
  fail "the per-user settings still name the installed folder: $(grep -a '/usr/share' "$data/TINCTARA.ini")"
fi

echo "== the web remote comes from the library folder when it is asked for"
remote_log="$work/remote.log"
runuser -u "$user" -- env HOME="$home" XDG_DATA_HOME= XDG_CONFIG_HOME= XDG_RUNTIME_DIR= \
  xvfb-run -a /usr/bin/tinctara --remote 18765 >"$remote_log" 2>&1 &
pid=$! waited=0
until grep -q -e '^http://' -e 'Fernbedienung' "$remote_log" || [ "$waited" -ge 200 ]; do
  sleep 0.25; waited=$((waited + 1))
done
url=$(grep -m1 '^http://' "$remote_log" || true)
page=
# As a browser: the code is exchanged for a session cookie on the way to "/".
[ -n "$url" ] && page=$(python3 -c 'import sys, urllib.request, http.cookiejar
opener = urllib.request.build_opener(urllib.request.HTTPCookieProcessor(http.cookiejar.CookieJar()))
print(opener.open(sys.argv[1], timeout=5).status)' "$url" 2>&1 || true)
pkill -TERM -u "$user" -f '^/usr/bin/tinctara --remote' || true
wait "$pid" 2>/dev/null || true
[ "$page" = 200 ] || fail "the installed program's web remote did not answer ($page): $(cat "$remote_log")"

echo "== the play unit runs the installed show as its user would"
unit=$(dpkg -L tinctara | grep '/systemd/system/tinctara-play@\.service$') || fail "the package has no tinctara-play@.service"
verify=$(systemd-analyze verify --man=no "${unit%@.service}@check.service" 2>&1 | grep -F 'tinctara-play@' || true)
[ -z "$verify" ] || fail "systemd-analyze finds fault with the unit: $verify"
dpkg -L tinctara | grep -q '/man8/tinctara-play@\.service\.8\.gz$' || fail "the unit has no manual page"
# The unit's command line with a file as /etc/tinctara/play/NAME.conf holds it,
# expanded as systemd expands it: ${X} one word, $OPTIONS split at spaces.
conf="$work/show.conf"
sed -e 's|^CONFIG=.*|CONFIG=/usr/share/tinctara/config/DEMO.CFG|' \
    -e 's|^SEQUENCE=.*|SEQUENCE=/usr/share/tinctara/sequence/DEMO.CSQ|' \
    -e 's|^INTERFACE=.*|INTERFACE=sacn|' -e 's|^OPTIONS=.*|OPTIONS="--destination 127.0.0.1 --universe 3"|' \
    /usr/share/doc/tinctara/examples/play.conf >"$conf"
command_line=$(sed -n 's/^ExecStart=//p' "$unit" | sed -e 's/\${\([A-Z]*\)}/"$\1"/g')
(
  set -a; . "$conf"; set +a
  eval "set -- $command_line"
  exec runuser -u "$user" -- "$@"
) >"$work/play.log" 2>&1 &
pid=$!
sleep 2
kill -0 "$pid" 2>/dev/null || fail "the unit's command ended by itself: $(cat "$work/play.log")"
pkill -TERM -u "$user" -f 'tinctara-cli play' || true
wait "$pid"; status=$?
[ "$status" -eq 0 ] || fail "the unit's command ended with $status after SIGTERM: $(cat "$work/play.log")"

echo "== first start as root writes nothing below /usr"
roothome="$work/roothome"; mkdir -p "$roothome"
first_start root "$roothome"
[ -f "$roothome/.local/share/tinctara/TINCTARA.ini" ] || fail "root's first start made no per-user folder"
after=$(find /usr/share/tinctara "$libdir" -printf '%p %s %T@\n' | sort)
[ "$before" = "$after" ] || fail "the program wrote below /usr: $(diff <(echo "$before") <(echo "$after"))"

echo "== upgrade keeps the user's shows"
printf 'mine\r\n' >>"$data/sequence/DEMO.CSQ"
mine=$(md5sum <"$data/sequence/DEMO.CSQ")
settings=$(md5sum <"$data/TINCTARA.ini")
dpkg -i "$deb" >/dev/null || fail "installing the package over itself"
[ "$(md5sum <"$data/sequence/DEMO.CSQ")" = "$mine" ] || fail "the upgrade changed the user's sequence"
[ "$(md5sum <"$data/TINCTARA.ini")" = "$settings" ] || fail "the upgrade changed the user's settings"

echo "== removal and purge"
dpkg -r tinctara >/dev/null || fail "dpkg -r"
[ ! -e /usr/bin/tinctara ] && [ ! -e /usr/share/tinctara ] && [ ! -e "$libdir" ] ||
  fail "the removal left program files"
[ "$(md5sum <"$data/sequence/DEMO.CSQ")" = "$mine" ] || fail "the removal touched the user's shows"
dpkg -P tinctara >/dev/null || fail "dpkg -P"
[ -f "$data/TINCTARA.ini" ] && [ -f "$data/sequence/DEMO.CSQ" ] || fail "the purge removed the user's data"
dpkg-query -W tinctara >/dev/null 2>&1 && fail "the package is still known after the purge"

echo "package check: all passed"
