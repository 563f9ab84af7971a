#!/usr/bin/env bash
# The main job: a fresh device with the example rules and caller-identification
# database, and the example calls judged as the phone would judge them.
#   scripts/demo.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
root=$(mktemp -d "${TMPDIR:-/tmp}/hushgate-demo-XXXXXX")
trap 'rm -rf "$root"' EXIT
export HUSHGATE_ROOT=$root

mkdir -p "$root/var/mobile/hushgate" "$root/var/mobile/Library/CallDirectory"
cp data/example/rules.json "$root/var/mobile/hushgate/hushgate-pref.json"
sqlite3 "$root/var/mobile/Library/CallDirectory/CallDirectory.db" < data/example/caller-id.sql
if compgen -G "$build/data/phone-*.dat" >/dev/null; then
  cp "$build"/data/phone-*.dat "$root/var/mobile/hushgate/"
fi

echo "== example rules: data/example/rules.json; example calls: data/example/calls.jsonl"
"$build/tools/hushgate-screen" --table < data/example/calls.jsonl
