#!/usr/bin/env bash
# Pictures of every screen of the settings application for the README, taken
# from the offscreen program on an example device: the example rules, the
# history of the example calls, the built number-location database.
#   scripts/screenshots.sh [BUILD_DIR] [OUTPUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
out=${2:-docs/screenshots}
root=$(mktemp -d "${TMPDIR:-/tmp}/hushgate-shots-XXXXXX")
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2> /dev/null || true; done
  rm -rf "$root"
}
trap cleanup EXIT
export HUSHGATE_ROOT=$root

# A session bus of its own with the notification service's stand-in, which
# records the notifications the window sends (the picture of one is drawn
# from that record).
export DBUS_SESSION_BUS_ADDRESS="unix:path=$root/session-bus"
dbus-daemon --session --nofork --address="$DBUS_SESSION_BUS_ADDRESS" &
pids+=($!)
for _ in $(seq 100); do [ -S "$root/session-bus" ] && break; sleep 0.05; done
/usr/bin/python3 -m dbusmock --template notification_daemon > "$root/dbusmock.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
  dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
    org.freedesktop.DBus.NameHasOwner string:org.freedesktop.Notifications 2> /dev/null |
    grep -q "boolean true" && break
  sleep 0.05
done

scripts/example-device.sh "$build" "$root"
"$build/hosts/springboard" data/example/call-script.jsonl > /dev/null

# The pictures show the Chinese texts, whatever this machine's locale.
LANG=zh_CN.UTF-8 LC_ALL= LC_MESSAGES= QT_QPA_PLATFORM=offscreen \
  "$build/tools/screenshots/hushgate-gui-screenshots" "$out"
