#!/usr/bin/env bash
# The main job: a fresh simulated phone with the tweak injected, the example
# rules, a caller-identification database and the number-location database;
# the example calls played through the home-screen host, then the recents
# list of the Phone application host with the blocked calls marked.
#   scripts/demo.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
root=$(mktemp -d "${TMPDIR:-/tmp}/hushgate-demo-XXXXXX")
trap 'rm -rf "$root"' EXIT
export HUSHGATE_ROOT=$root
history=$root/var/mobile/Containers/Data/Application/com.apple.mobilephone/Documents/hushgate-history.txt

scripts/example-device.sh "$build" "$root"

echo "== The home screen screens the example calls (data/example/call-script.jsonl)"
echo "   with the example rules (data/example/rules.json):"
# The host prints what it saw of each call; the report adds why from the
# block history the tweak wrote.
"$build/hosts/springboard" data/example/call-script.jsonl > "$root/springboard.out"
"$build/tools/hushgate-report" calls data/example/call-script.jsonl "$history" < "$root/springboard.out"

echo
echo "== The block history it wrote:"
cat "$history"

echo
echo "== The Phone application's recents list (data/example/recents.json):"
"$build/hosts/mobilephone" data/example/recents.json > "$root/mobilephone.out"
"$build/tools/hushgate-report" recents data/example/recents.json < "$root/mobilephone.out"
