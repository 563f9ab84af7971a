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
  [ -n "${KEEP_ROOT:-}" ] || rm -rf "$root"
}
trap cleanup EXIT
export HUSHGATE_ROOT=$root
"$source_dir/scripts/make-device.sh" "$build" "$root"

springboard=$build/hosts/springboard
gui=$build/hushgate-gui/qt/hushgate-gui
mobilephone=$build/hosts/mobilephone
notify=$build/platform/hushgate-notify
report=$build/tools/hushgate-report
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
# that stays open; events are sent with `send`, which also keeps them as the
# script that hushgate-report reads.
start_springboard() {
  mkfifo "$root/calls"
  "$springboard" < "$root/calls" > "$root/springboard.out" 2> "$root/springboard.err" &
  pids+=($!)
  exec 3> "$root/calls"
}
send() {
  printf '%s\n' "$1" >> "$root/script.jsonl"
  printf '%s\n' "$1" >&3
}

# listen, then heard: waits for the tweak to announce a block record written
# after listen (registered before the call that is blocked is sent).
listen() {
  : > "$root/notified"
  "$notify" wait com.tevrin.hushgate.mp-block-history-added 10 > "$root/notified" &
  listener=$!
  pids+=($listener)
  wait_for "$root/notified" '^ready$'
}
heard() { wait "$listener" || fail "no block record announced"; }

# reason_is CALL WORDS: hushgate-report's row of CALL, the host's output
# joined with the history, gives WORDS as the reason.
reason_is() {
  local row
  row=$("$report" calls "$root/script.jsonl" "$history" < "$root/springboard.out" |
    grep "^$1 " || true)
  [[ $row == *"$2"* ]] || fail "call $1: '$row' does not say '$2'"
}

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
    listen
    send '{"call":"a","status":4,"number":"95555","unique_id":"call-a"}'
    wait_for "$root/springboard.out" '"call":"a","status":4,"outcome":"disconnected"'
    wait_for "$root/springboard.out" '"call":"a","status":6,"outcome":"swallowed"'
    heard
    reason_is a 'blocked: blacklist'
    # The Phone application reloads on the notification and marks the row.
    wait_for "$root/mobilephone.out" '"row":0,"marked":true,"actions":\["🗑"\]'
    tail -n 2 "$root/mobilephone.out" | grep -q '"row":1,"marked":false' ||
      fail "row 1 was not blocked: $(cat "$root/mobilephone.out")"
    ;;

  repeated_call_passes_and_is_recorded)
    # A blocked caller who calls again within the minutes gets through; the
    # history says which rule blocked the first call (with the area code's
    # place from the number database) and that the second was
    # let through.
    rules '{"enabled":true,"blocked-cities-flattened":["0755"],"repeated-call-enabled":true,"repeated-call-minutes":3}'
    start_springboard
    listen
    send '{"call":"a","status":4,"number":"075512345678","unique_id":"call-a"}'
    wait_for "$root/springboard.out" '"call":"a","status":4,"outcome":"disconnected"'
    heard
    send '{"call":"a","status":6}'
    listen
    send '{"call":"b","status":4,"number":"075512345678","unique_id":"call-b"}'
    wait_for "$root/springboard.out" '"call":"b","status":4,"outcome":"passed"'
    heard
    rule='"rule":{"kind":"area-code","place":"深圳","value":"0755"}'
    grep -q "\"u\":\"call-a\".*$rule" "$history" || grep -q "$rule.*\"u\":\"call-a\"" "$history" ||
      fail "the first call's record names no rule: $(cat "$history")"
    grep '"call-b"' "$history" | grep -q '"pass":"repeated-call"' ||
      fail "the second call is not recorded as let through: $(cat "$history")"
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
    listen
    send '{"call":"b","status":4,"number":"17012345678"}'
    wait_for "$root/springboard.out" '"call":"b","status":4,"outcome":"disconnected"'
    heard
    reason_is b 'blocked: blacklist'

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
    listen
    send '{"call":"a","status":4,"number":"4001","unique_id":"u-a"}'
    wait_for "$root/springboard.out" '"call":"a","status":6,"outcome":"swallowed"'
    heard  # u-a is written before the file is replaced

    # The settings application rewrites the file (keeping one old record and
    # dropping u-a) but the announcement has not arrived yet.
    kept='{"d":1,"p":"123","r":4,"rd":"","u":"kept"}'
    write_atomically "$history" "$kept"$'\n'
    listen
    send '{"call":"b","status":4,"number":"4002","unique_id":"u-b"}'
    wait_for "$root/springboard.out" '"call":"b","status":4,"outcome":"disconnected"'
    heard

    # Now with the announcement, as the settings application sends it.
    write_atomically "$history" "$(cat "$history")"$'\n'
    "$notify" post com.tevrin.hushgate.mp-history-file-changed
    sleep 0.3
    listen
    send '{"call":"c","status":4,"number":"4003","unique_id":"u-c"}'
    wait_for "$root/springboard.out" '"call":"c","status":4,"outcome":"disconnected"'
    heard
    reason_is c 'blocked: blacklist'

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

  settings_url_blocks_next_call)
    # The Phone application's "add to blacklist" reaches the settings
    # application without a window; its entry is in force for the next call
    # of the running home screen, which is not restarted.
    rules '{"enabled":true}'
    mkdir -p "$root/Library/URLHandlers" "$root/Library/Launchers"
    cat > "$root/Library/URLHandlers/hushgate" <<EOF2
#!/bin/sh
exec "$gui" --handle-url "\$1" > "$root/gui.out" 2> "$root/gui.err"
EOF2
    cat > "$root/Library/Launchers/com.apple.mobilephone" <<EOF2
#!/bin/sh
echo returned > "$root/returned"
EOF2
    chmod +x "$root/Library/URLHandlers/hushgate" "$root/Library/Launchers/com.apple.mobilephone"
    start_springboard
    send '{"call":"a","status":4,"number":"13912345678","unique_id":"call-a"}'
    wait_for "$root/springboard.out" '"call":"a","status":4,"outcome":"passed"'
    send '{"call":"a","status":6}'
    wait_for "$root/springboard.out" '"call":"a","status":6,"outcome":"passed"'
    cat > "$root/recents.json" <<'JSON'
[{"callStatus":1,"uniqueId":"call-a","callerId":"+8613912345678","callOccurrences":[],"callerLabel":""}]
JSON
    "$mobilephone" --add-to-blacklist 0 '推销' "$root/recents.json" > /dev/null
    # The settings program ends once it has returned to the Phone application.
    wait_for "$root/returned" '^returned$' 15
    wait_for "$root/gui.out" '^added to the blacklist$'
    grep -q '13912345678' "$pref" || fail "entry not saved: $(cat "$pref")"
    sleep 1  # the announcement reaches the home screen
    listen
    send '{"call":"b","status":4,"number":"13912345678","unique_id":"call-b"}'
    wait_for "$root/springboard.out" '"call":"b","status":4,"outcome":"disconnected"'
    heard
    reason_is b 'blocked: blacklist'
    # Handling it again adds nothing.
    "$gui" --handle-url 'hushgate://add_to_blacklist/?number=%2B8613912345678' | grep -qx 'already in the blacklist' ||
      fail "a second add was not refused"
    [ "$(grep -o '13912345678' "$pref" | wc -l)" -le 2 ] || fail "entry added twice: $(cat "$pref")"
    ;;

  url_goes_to_the_running_settings_app)
    # A URL opened while the settings window is open goes to that window;
    # the second start ends at once.
    rules '{"enabled":true}'
    export QT_QPA_PLATFORM=offscreen
    "$gui" > "$root/gui.out" 2> "$root/gui.err" &
    pids+=($!)
    gui_pid=$!
    socket=${TMPDIR:-/tmp}/hushgate-gui-$(id -u)-$(printf '%s' "$root" | sha256sum | cut -c1-16)
    deadline=$((SECONDS + 20))
    until [ -S "$socket" ]; do
      [ $SECONDS -lt $deadline ] || fail "the settings program does not listen: $(cat "$root/gui.err")"
      sleep 0.05
    done
    start_springboard
    timeout 10 "$gui" 'hushgate://add_to_blacklist/?number=95188&label=x' ||
      fail "the second start did not hand the URL over"
    wait_for "$pref" '"95188"'
    sleep 1  # the announcement reaches the home screen
    kill -0 "$gui_pid" || fail "the running instance ended"
    listen
    send '{"call":"a","status":4,"number":"95188","unique_id":"call-a"}'
    wait_for "$root/springboard.out" '"call":"a","status":4,"outcome":"disconnected"'
    heard
    reason_is a 'blocked: blacklist'
    ;;

  installed_settings_program)
    # cmake --install lays out the program with everything it reads.
    prefix=$root/prefix
    cmake --install "$build" --prefix "$prefix" > "$root/install.log" ||
      fail "install failed: $(tail -5 "$root/install.log")"
    for file in bin/hushgate-gui share/applications/hushgate-gui.desktop \
        share/icons/hicolor/scalable/apps/hushgate-gui.svg share/hushgate/cities.json \
        share/hushgate/localization/zh_CN/root.json share/hushgate/localization/en/root.json; do
      [ -s "$prefix/$file" ] || fail "not installed: $file"
    done
    ls "$prefix"/share/hushgate/phone-*.dat > /dev/null || fail "no number-location database"
    grep -qx 'MimeType=x-scheme-handler/hushgate;' "$prefix/share/applications/hushgate-gui.desktop" ||
      fail "the desktop entry does not register the scheme"
    grep -qx 'Exec=hushgate-gui %u' "$prefix/share/applications/hushgate-gui.desktop" ||
      fail "the desktop entry does not pass the URL"
    rules '{"enabled":true}'
    env -u HUSHGATE_RESOURCES "$prefix/bin/hushgate-gui" --handle-url 'hushgate://add_to_blacklist/?number=10086' |
      grep -qx 'added to the blacklist' || fail "the installed program did not run"
    grep -q '"10086"' "$pref" || fail "entry not saved: $(cat "$pref")"
    ;;

  installed_programs_follow_conventions)
    # The layout a packager expects, and the command-line conventions of every
    # installed program.
    prefix=$root/prefix
    cmake --install "$build" --prefix "$prefix" > "$root/install.log" ||
      fail "install failed: $(tail -5 "$root/install.log")"
    user_programs="hushgate-gui hushgate-screen hushgate-phonedata hushgate-report hushgate-notify hushgate-modem hushgate-rules"
    for file in libexec/hushgate/springboard libexec/hushgate/mobilephone lib/hushgate/hushgate.so \
        share/metainfo/com.tevrin.hushgate.metainfo.xml share/hushgate/hushgate-gui.svg; do
      [ -s "$prefix/$file" ] || fail "not installed: $file"
    done
    ls "$prefix"/lib/hushgate/libplatform.so* > /dev/null || fail "no platform library in lib/hushgate"
    for program in $(ls "$prefix/bin"); do
      case " $user_programs " in *" $program "*) ;; *) fail "bin/ holds $program" ;; esac
    done
    [ -z "$(ls "$prefix/lib" | grep -v '^hushgate$' | grep -v '^systemd$')" ] ||
      fail "lib/ holds $(ls "$prefix/lib")"
    desktop-file-validate "$prefix/share/applications/hushgate-gui.desktop" ||
      fail "the desktop entry is not valid"
    appstreamcli validate --no-net "$prefix/share/metainfo/com.tevrin.hushgate.metainfo.xml" > "$root/as.log" ||
      fail "the AppStream metadata is not valid: $(cat "$root/as.log")"
    version=$(sed -n 's/^project(hushgate VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
    for program in $user_programs; do
      path=$prefix/bin/$program
      [ -x "$path" ] || fail "not installed: bin/$program"
      # The installed program finds its libraries in the prefix, not the build tree.
      ! ldd "$path" | grep -q "$build" || fail "$program links the build tree: $(ldd "$path" | grep "$build")"
      [ -s "$prefix/share/man/man1/$program.1" ] || fail "no manual page for $program"
      out=$("$path" --version) || fail "$program --version: status $?"
      [ "$out" = "$program $version" ] || fail "$program --version printed '$out'"
      "$path" --help > "$root/help.txt" || fail "$program --help: status $?"
      grep -q '^usage: ' "$root/help.txt" || fail "$program --help prints no usage"
      # Every program that works on the device root says so (the database
      # tool works on the files it is given).
      [ "$program" = hushgate-phonedata ] || grep -q 'HUSHGATE_ROOT' "$root/help.txt" ||
        fail "$program --help does not name HUSHGATE_ROOT"
      set +e
      "$path" --no-such-option > "$root/out.txt" 2> "$root/err.txt"
      status=$?
      set -e
      [ "$status" = 2 ] || fail "$program with a bad option: status $status"
      [ ! -s "$root/out.txt" ] && grep -q 'usage: ' "$root/err.txt" ||
        fail "$program with a bad option: the usage is not on standard error"
    done
    for host in springboard mobilephone; do
      out=$("$prefix/libexec/hushgate/$host" --version) || fail "$host --version: status $?"
      [ "$out" = "$host $version" ] || fail "$host --version printed '$out'"
    done
    # A display that does not answer: one sentence and status 1, no abort.
    set +e
    env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:97 "$prefix/bin/hushgate-gui" 2> "$root/err.txt"
    status=$?
    set -e
    [ "$status" = 1 ] || fail "hushgate-gui with a dead display: status $status"
    grep -q '^hushgate-gui: cannot open the display :97' "$root/err.txt" ||
      fail "hushgate-gui with a dead display said: $(cat "$root/err.txt")"
    ;;

  *)
    fail "unknown scenario $scenario"
    ;;
esac
echo "ok: $scenario"
