#!/usr/bin/env bash
# cmake --install lays out hushgate-modem as its systemd user unit runs it:
# the unit names the installed program and the device script, the script
# lays out a device root, and the installed program with the installed tweak
# hangs up a blacklisted call of the ModemManager stand-in on a private bus.
#   installed_service.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/hushgate-installed-XXXXXX")
pids=()
cleanup() {
  exec 3>&- 2>/dev/null || true
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
wait_for() {
  local deadline=$((SECONDS + 30))
  until grep -qE -- "$2" "$1" 2>/dev/null; do
    [ $SECONDS -lt $deadline ] || fail "no line matching '$2' in $1: $(cat "$1" "${3:-/dev/null}")"
    sleep 0.05
  done
}

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" > "$work/install.log"
unit=$prefix/lib/systemd/user/hushgate-modem.service
[ -f "$unit" ] || fail "no unit installed"
start=$(sed -n 's/^ExecStart=//p' "$unit")
prepare=$(sed -n 's/^ExecStartPre=//p' "$unit")
[ "$start" = "$prefix/bin/hushgate-modem" ] && [ -x "$start" ] || fail "ExecStart is '$start'"
[ -x "$prepare" ] || fail "ExecStartPre is '$prepare'"
[ -f "$prefix/share/polkit-1/rules.d/50-hushgate-modem.rules" ] || fail "no polkit rule"

export HUSHGATE_ROOT=$work/root
"$prepare"
"$prepare"  # again, as at every start
[ -e "$HUSHGATE_ROOT/Library/MobileSubstrate/DynamicLibraries/hushgate.so" ] || fail "no tweak"
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
dbus-daemon --config-file="$work/bus.conf" --nofork --print-address > "$work/address" 2>/dev/null &
pids+=($!)
wait_for "$work/address" unix:
export DBUS_SYSTEM_BUS_ADDRESS=$(head -n 1 "$work/address")

mkfifo "$work/commands"
"$build/tests/modem/fake-modemmanager" < "$work/commands" > "$work/fake.out" &
pids+=($!)
exec 3> "$work/commands"
wait_for "$work/fake.out" '^ready$'
echo "modem 0" >&3
"$start" --contacts none > "$work/host.out" 2> "$work/host.err" &
pids+=($!)
wait_for "$work/host.out" '"voice":true' "$work/host.err"
echo "call c1 0 17012345678" >&3
wait_for "$work/fake.out" '^hangup c1 ok$'
wait_for "$work/host.out" '"status":6,.*"outcome":"swallowed"' "$work/host.err"
echo "installed service: the blacklisted call was hung up"
