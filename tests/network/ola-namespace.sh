# Sourced by the network checks: OLA's olad as an independent receiver inside
# the caller's private network namespace, where every packet stays on lo.
#
# OLA's E1.31 plugin never listens on loopback by itself, so it is given a tap
# device (ola0) to choose at start; ola0 is taken down before the E1.31 port is
# patched, and from then on E1.31 and Art-Net both arrive on 127.0.0.1.
#
# ola_start DIR      starts olad (as user olad) with its configuration in DIR;
#                    OLA_ARTNET_CONF and OLA_E131_CONF, when set, replace the
#                    two plugins' settings (olad as a desk sends with them)
# ola_patch_inputs   E1.31 input -> OLA universe 1, Art-Net input (0:0:2) -> OLA universe 2
# ola_levels U       the 512 levels OLA holds for universe U, comma-separated
# ola_stop           stops the olad this shell started, by its pid

OLA_PID=
OLA_DIR=

ola_network_up() {
  ip link set lo up
  echo 1 > /proc/sys/net/ipv6/conf/default/disable_ipv6
  ip tuntap add dev ola0 mode tap
  ip addr add 198.51.100.1/32 dev ola0
  ip link set ola0 up
}

ola_start() {
  OLA_DIR=$1
  mkdir -p "$OLA_DIR/conf"
  local plugin
  for plugin in dummy espnet ftdidmx gpio karate kinet milinst opendmx openpixelcontrol osc \
                pathport renard sandnet shownet spi stageprofi uartdmx usbdmx usbserial; do
    echo 'enabled = false' > "$OLA_DIR/conf/ola-$plugin.conf"
  done
  printf '%s\n' "${OLA_ARTNET_CONF:-enabled = true
ip = 127.0.0.1
use_loopback = true
always_broadcast = false
use_limited_broadcast = false
net = 0
subnet = 0
output_ports = 0}" > "$OLA_DIR/conf/ola-artnet.conf"
  printf '%s\n' "${OLA_E131_CONF:-enabled = true
ip = ola0
cid = 7d3e1a52-0b6c-4f11-9e2a-5c4b3a291807
draft_discovery = false
ignore_preview = true
input_ports = 1
output_ports = 0
prepend_hostname = false}" > "$OLA_DIR/conf/ola-e131.conf"
  chown -R olad "$OLA_DIR"
  setpriv --reuid=olad --regid=nogroup --clear-groups -- olad -c "$OLA_DIR/conf" -l 3 \
    --no-register-with-dns-sd --no-http-quit > "$OLA_DIR/olad.log" 2>&1 &
  OLA_PID=$!
  local i
  for i in $(seq 150); do
    curl -sf -o /dev/null --max-time 1 http://127.0.0.1:9090/json/server_stats && break
    sleep 0.02
  done
  for i in $(seq 100); do
    ola_dev_info > "$OLA_DIR/devices" 2>/dev/null && grep -q E1.31 "$OLA_DIR/devices" &&
      grep -q ArtNet "$OLA_DIR/devices" && return 0
    sleep 0.05
  done
  echo "olad did not come up:"; cat "$OLA_DIR/olad.log"
  return 1
}

ola_patch_inputs() {
  ip link set ola0 down
  ola_patch --device "$(awk '/E1.31/ {print $2}' "$OLA_DIR/devices" | tr -d :)" --port 0 --input --universe 1
  ola_patch --device "$(awk '/ArtNet/ {print $2}' "$OLA_DIR/devices" | tr -d :)" --port 0 --input --universe 2
}

ola_levels() {
  curl -sf --max-time 2 "http://127.0.0.1:9090/get_dmx?u=$1" | tr -d ' \n' |
    sed -n 's/.*"dmx":\[\([0-9,]*\)\].*/\1/p'
}

ola_stop() {
  if [ -n "$OLA_PID" ]; then
    kill -TERM "$OLA_PID" 2>/dev/null || true
    wait "$OLA_PID" 2>/dev/null || true
    OLA_PID=
  fi
}
