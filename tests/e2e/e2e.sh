#!/usr/bin/env bash
# End-to-end scenarios across real processes: the springboard and mobilephone
# hosts with the tweak injected, other processes writing rules and history,
# and notifications between them.
#   e2e.sh SCENARIO BUILD_DIR SOURCE_DIR
set -euo pipefail

scenario=$1
build=$(cd "$2" && pwd)
source_dir=$(cd "$3" && pwd)

root=$(mktemp -d "${TMPDIR:-/tmp}/hushgate-e2e-XXXXXX")
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$root"
}
trap cleanup EXIT
export HUSHGATE_ROOT=$root
"$source_dir/scripts/make-device.sh" "$build" "$root"

springboard=$build/hosts/springboard
mobilephone=$build/hosts/mobilephone
notify=$build/platform/hushgate-notify
documents=$root/var/mobile/Containers/Data/Application/com.apple.mobilephone/Documents
history=$documents/hushgate-history.txt
pref=$root/var/mobile/hushgate/hushgate-pref.json

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# write_atomically FILE TEXT: as another process replaces a file.
write_atomically() {
  mkdir -p "$(dirname "$1")"
  printf '%s' "$2" > "$1.tmp.$$"
  mv -f "$1.tmp.$$" "$1"
}

# wait_for FILE PATTERN [SECONDS]: until a line of FILE matches PATTERN.
wait_for() {
  local deadline=$((SECONDS + ${3:-10}))
  until grep -qE -- "$2" "$1" 2>/dev/null; do
    [ $SECONDS -lt $deadline ] || fail "no line matching '$2' in $1: $(cat "$1" 2>/dev/null)"
    sleep 0.05
  done
}

# start_springboard: the home-screen host reading call events from a pipe
# that stays open; events are sent with `send`.
start_springboard() {
  mkfifo "$root/calls"
  "$springboard" < "$root/calls" > "$root/springboard.out" 2> "$root/springboard.err" &
  pids+=($!)
  exec 3> "$root/calls"
}
send() { printf '%s\n' "$1" >&3; }

rules() { write_atomically "$pref" "$1"; }

case "$scenario" in
  blocked_call_is_marked_in_recents)
    # The Phone application runs first and watches the history.
    rules '{"enabled":true,"blacklist":[["95*","^95\\d*$",""]]}'
    cat > "$root/recents.json" <<'JSON'
[{"callStatus":8,"uniqueId":"row-0","callerId":"95555","callOccurrences":[{"kCHCallOccurrenceUniqueIdKey":"call-a"}],"callerLabel":""},
 {"callStatus":8,"uniqueId":"call-b","callerId":"13800138000","callOccurrences":[],"callerLabel":""}]
JSON
    "$mobilephone" --watch "$root/recents.json" > "$root/mobilephone.out" &
    pids+=($!)
    wait_for "$root/mobilephone.out" '"row":1'
    grep -q '"row":0,"marked":false,"actions":\["🚫","🗑"\]' "$root/mobilephone.out" ||
      fail "row 0 should start unmarked: $(cat "$root/mobilephone.out")"

    start_springboard
    send '{"call":"a","status":4,"number":"95555","unique_id":"call-a"}'
    wait_for "$root/springboard.out" '"call":"a","status":4,"outcome":"blocked","reason":4'
    wait_for "$root/springboard.out" '"call":"a","status":6,"outcome":"swallowed"'
    grep -q '"u":"call-a"' "$history" || fail "no history record: $(cat "$history")"
    # The Phone application reloads on the notification and marks the row.
    wait_for "$root/mobilephone.out" '"row":0,"marked":true,"actions":\["🗑"\]'
    tail -n 2 "$root/mobilephone.out" | grep -q '"row":1,"marked":false' ||
      fail "row 1 was not blocked: $(cat "$root/mobilephone.out")"
    ;;

  rule_change_applies_to_next_call)
    rules '{"enabled":true}'
    start_springboard
    send '{"call":"a","status":4,"number":"17012345678"}'
    wait_for "$root/springboard.out" '"call":"a","status":4,"outcome":"passed"'
    send '{"call":"a","status":6}'
    wait_for "$root/springboard.out" '"call":"a","status":6,"outcome":"passed"'

    # Another process saves new rules and announces them.
    rules '{"enabled":true,"blacklist":[["170*","^170\\d*$",""]]}'
    "$notify" post com.tevrin.hushgate.preference-updated
    sleep 1
    send '{"call":"b","status":4,"number":"17012345678"}'
    wait_for "$root/springboard.out" '"call":"b","status":4,"outcome":"blocked","reason":4'

    # Switched off again: the next call passes.
    rules '{"blacklist":[["170*","^170\\d*$",""]]}'
    "$notify" post com.tevrin.hushgate.preference-updated
    sleep 1
    send '{"call":"c","status":4,"number":"17012345678"}'
    wait_for "$root/springboard.out" '"call":"c","status":4,"outcome":"passed"'
    ;;

  replaced_history_keeps_every_record)
    rules '{"enabled":true,"blacklist":[["400*","^400\\d*$",""]]}'
    start_springboard
    send '{"call":"a","status":4,"number":"4001","unique_id":"u-a"}'
    wait_for "$root/springboard.out" '"call":"a","status":6,"outcome":"swallowed"'

    # The settings application rewrites the file (keeping one old record and
    # dropping u-a) but the announcement has not arrived yet.
    kept='{"d":1,"p":"123","r":4,"rd":"","u":"kept"}'
    write_atomically "$history" "$kept"$'\n'
    send '{"call":"b","status":4,"number":"4002","unique_id":"u-b"}'
    wait_for "$root/springboard.out" '"call":"b","status":4,"outcome":"blocked","reason":4'

    # Now with the announcement, as the settings application sends it.
    write_atomically "$history" "$(cat "$history")"$'\n'
    "$notify" post com.tevrin.hushgate.mp-history-file-changed
    sleep 0.3
    send '{"call":"c","status":4,"number":"4003","unique_id":"u-c"}'
    wait_for "$root/springboard.out" '"call":"c","status":4,"outcome":"blocked","reason":4'

    expected=$'kept\nu-b\nu-c'
    actual=$(grep -o '"u":"[^"]*"' "$history" | sed 's/"u":"\(.*\)"/\1/')
    [ "$actual" = "$expected" ] || fail "history holds [$actual], expected [$expected]"
    ;;

  phone_injection_switched_off)
    write_atomically "$documents/hushgate-pref.json" '{"mp-injection-enabled":false}'
    write_atomically "$history" '{"d":1,"p":"95555","r":4,"rd":"","u":"call-a"}'$'\n'
    cat > "$root/recents.json" <<'JSON'
[{"callStatus":8,"uniqueId":"call-a","callerId":"95555","callOccurrences":[],"callerLabel":""}]
JSON
    out=$("$mobilephone" "$root/recents.json")
    [ "$out" = '{"row":0,"marked":false,"actions":["Delete"]}' ] || fail "Phone host was touched: $out"
    # Switched on (the default), the same row is marked.
    rm "$documents/hushgate-pref.json"
    out=$("$mobilephone" "$root/recents.json")
    [ "$out" = '{"row":0,"marked":true,"actions":["🗑"]}' ] || fail "Phone host not hooked: $out"
    ;;

  add_to_blacklist_url_reaches_the_handler)
    mkdir -p "$root/Library/URLHandlers"
    cat > "$root/Library/URLHandlers/hushgate" <<EOF2
#!/bin/sh
printf '%s\n' "\$#" "\$1" > "$root/handled"
EOF2
    chmod +x "$root/Library/URLHandlers/hushgate"
    cat > "$root/recents.json" <<'JSON'
[{"callStatus":1,"uniqueId":"x","callerId":"+8613800138000","callOccurrences":[],"callerLabel":"old"}]
JSON
    out=$("$mobilephone" --add-to-blacklist 0 '  a b&c ' "$root/recents.json")
    url='hushgate://add_to_blacklist/?from=com.apple.mobilephone&number=%2B8613800138000&label=a%20b%26c'
    grep -qxF "{\"url\":\"$url\"}" <<< "$out" || fail "unexpected output: $out"
    wait_for "$root/handled" '^1$'
    [ "$(sed -n 2p "$root/handled")" = "$url" ] || fail "handler got $(cat "$root/handled")"
    ;;

  *)
    fail "unknown scenario $scenario"
    ;;
esac
echo "ok: $scenario"
