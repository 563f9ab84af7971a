#!/usr/bin/env bash
# The settings application beside the simulated phone, on one device root:
# the home screen runs with the tweak and waits for calls, the settings
# window runs, and the Phone application's "add to blacklist" goes through
# the hushgate:// URL to that window. A short tour shows a call passing, the
# number added from the recents list, and the next call blocked; then, with a
# terminal, every number typed is a call (Ctrl-D ends).
#   scripts/demo-gui.sh [BUILD_DIR]
# Without a display the window runs on Qt's offscreen platform (invisible).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
build=$(cd "$build" && pwd)
# A folder of its own (HUSHGATE_DEMO_ROOT names one to keep; it must be new or
# empty), so two demos on one machine never touch each other's device.
if [ -n "${HUSHGATE_DEMO_ROOT:-}" ]; then
  root=$HUSHGATE_DEMO_ROOT
  mkdir -p "$root"
  [ -z "$(ls -A "$root")" ] || { echo "demo-gui.sh: $root is not empty" >&2; exit 2; }
  keep=1
else
  root=$(mktemp -d "${TMPDIR:-/tmp}/hushgate-demo-XXXXXX")
  keep=
fi
root=$(cd "$root" && pwd)
export HUSHGATE_ROOT=$root
gui=$build/hushgate-gui/qt/hushgate-gui
notify=$build/platform/hushgate-notify
history=$root/var/mobile/Containers/Data/Application/com.apple.mobilephone/Documents/hushgate-history.txt

pids=()
cleanup() {
  exec 3>&- 2>/dev/null || true
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  [ -n "$keep" ] || rm -rf "$root"
}
trap cleanup EXIT

scripts/example-device.sh "$build" "$root"
# The device opens hushgate:// URLs with the settings application, and going
# back to the Phone application does nothing visible here.
mkdir -p "$root/Library/URLHandlers" "$root/Library/Launchers"
printf '#!/bin/sh\nexec "%s" "$1"\n' "$gui" > "$root/Library/URLHandlers/hushgate"
printf '#!/bin/sh\nexit 0\n' > "$root/Library/Launchers/com.apple.mobilephone"
chmod +x "$root/Library/URLHandlers/hushgate" "$root/Library/Launchers/com.apple.mobilephone"

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
  echo "(no display: the settings window runs on the offscreen platform, unseen)"
  export QT_QPA_PLATFORM=offscreen
fi
"$gui" > "$root/gui.log" 2>&1 &
pids+=($!)

mkfifo "$root/calls"
"$build/hosts/springboard" < "$root/calls" > "$root/springboard.out" 2> "$root/springboard.err" &
pids+=($!)
exec 3> "$root/calls"

calls=0
# call NUMBER: one incoming call through the home screen; prints its row of
# hushgate-report: what the home screen saw, and why from the block history.
call() {
  calls=$((calls + 1))
  local id="c$calls" event
  event=$(printf '{"call":"%s","status":4,"number":"%s","unique_id":"%s"}' "$id" "$1" "$id")
  # Registered before the call, so the announcement of its block record is not missed.
  : > "$root/notified"
  "$notify" wait com.tevrin.hushgate.mp-block-history-added 5 > "$root/notified" &
  local listener=$!
  pids+=($listener)
  for _ in $(seq 100); do
    grep -q ready "$root/notified" && break
    sleep 0.05
  done
  printf '%s\n' "$event" >> "$root/calls.jsonl"
  printf '%s\n' "$event" >&3
  local line=""
  for _ in $(seq 100); do
    line=$(grep -m1 "\"call\":\"$id\",\"status\":4" "$root/springboard.out" || true)
    [ -n "$line" ] && break
    sleep 0.05
  done
  [[ $line == *'"disconnected"'* ]] || kill "$listener" 2>/dev/null || true
  wait "$listener" 2>/dev/null || true
  printf '{"call":"%s","status":6}\n' "$id" >&3
  if [ -z "$line" ]; then
    echo "   call from $1: no answer from the home screen"
  else
    "$build/tools/hushgate-report" calls "$root/calls.jsonl" "$history" < "$root/springboard.out" |
      grep "^$id " | sed 's/^/   /'
  fi
}

echo "== The settings window and the phone run on the device root $root"
echo "== 1. A call from 13912345678: no rule names it"
call 13912345678
echo "== 2. In the Phone application's recents list, \"add to blacklist\" on that call"
printf '[{"callStatus":1,"uniqueId":"c1","callerId":"+8613912345678","callOccurrences":[],"callerLabel":""}]\n' \
  > "$root/recents.json"
"$build/hosts/mobilephone" --add-to-blacklist 0 "推销" "$root/recents.json" > /dev/null
for _ in $(seq 100); do
  grep -q 13912345678 "$root/var/mobile/hushgate/hushgate-pref.json" && break
  sleep 0.05
done
echo "   the settings application added to its blacklist:"
grep -o '\["+8613912345678",[^]]*\]' "$root/var/mobile/hushgate/hushgate-pref.json" | sed 's/^/   /'
sleep 1
echo "== 3. The same number calls again"
call 13912345678

if [ -t 0 ] && [ "${QT_QPA_PLATFORM:-}" != offscreen ]; then
  echo "== Your turn: change the rules in the settings window; type a number to"
  echo "   place a call (Ctrl-D ends)."
  while read -r -p "number> " number; do
    [ -n "$number" ] && call "$number"
  done
fi
echo "== The block history:"
cat "$history"
