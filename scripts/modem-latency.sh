#!/usr/bin/env bash
# The modem host's reaction time: on a private dbus-daemon, the ModemManager
# stand-in announces CALLS blacklisted calls one after another, and
# hushgate-modem with the tweak hangs each up. The stand-in measures the time
# from its CallAdded signal to the Hangup request, and this prints the median
# and the 99th percentile.
#   scripts/modem-latency.sh [BUILD_DIR] [CALLS]     (default: build 1000)
set -euo pipefail
cd "$(dirname "$0")/.."

build=$(cd "${1:-build}" && pwd)
calls=${2:-1000}
fake=$build/tests/modem/fake-modemmanager
host=$build/hosts/hushgate-modem

work=$(mktemp -d "${TMPDIR:-/tmp}/hushgate-latency-XXXXXX")
pids=()
cleanup() {
  exec 3>&- 2>/dev/null || true
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

export HUSHGATE_ROOT=$work/root
scripts/make-device.sh "$build" "$HUSHGATE_ROOT"
printf '%s' '{"enabled":true,"blacklist":[["170*","^170\\d*$",""]]}' \
  > "$HUSHGATE_ROOT/var/mobile/hushgate/hushgate-pref.json"

cat > "$work/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <listen>unix:path=$work/bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
dbus-daemon --config-file="$work/bus.conf" --nofork --print-address > "$work/address" &
pids+=($!)

# wait_for FILE PATTERN: until a line of FILE matches PATTERN (30 s at most).
wait_for() {
  local deadline=$((SECONDS + 30))
  until grep -qE -- "$2" "$1" 2>/dev/null; do
    if [ $SECONDS -ge $deadline ]; then
      echo "no line matching '$2' in $1" >&2
      return 1
    fi
    sleep 0.05
  done
}
wait_for "$work/address" unix:
address=$(head -n 1 "$work/address")

mkfifo "$work/commands"
"$fake" --bus "$address" < "$work/commands" > "$work/fake.out" &
pids+=($!)
exec 3> "$work/commands"
wait_for "$work/fake.out" '^ready$'
echo "modem 0" >&3
wait_for "$work/fake.out" '^modem 0$'

"$host" --bus "$address" --contacts none > "$work/host.out" 2> "$work/host.err" &
pids+=($!)
wait_for "$work/host.out" '"voice":true' || { cat "$work/host.err" >&2; exit 1; }

echo "latency $calls 0 17012345678" >&3
deadline=$((SECONDS + 300))
until grep -q '^latency ' "$work/fake.out"; do
  [ $SECONDS -lt $deadline ] || { echo "the run did not finish" >&2; exit 1; }
  sleep 0.2
done
result=$(grep '^latency ' "$work/fake.out")
echo "$result"
median=$(sed -E 's/.*median-us=([0-9]+).*/\1/' <<< "$result")
p99=$(sed -E 's/.*p99-us=([0-9]+).*/\1/' <<< "$result")
awk -v n="$calls" -v m="$median" -v p="$p99" \
  'BEGIN { printf "CallAdded to Hangup over %d calls: median %.2f ms, p99 %.2f ms\n", n, m / 1000, p / 1000 }'
