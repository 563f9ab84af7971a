#!/usr/bin/env bash
# A fresh simulated device with the example data: the device of
# make-device.sh, the example rules (data/example/rules.json) and the example
# caller-identification database.
#   scripts/example-device.sh BUILD_DIR ROOT
set -euo pipefail
cd "$(dirname "$0")/.."

root=$2
scripts/make-device.sh "$1" "$root"
cp data/example/rules.json "$root/var/mobile/hushgate/hushgate-pref.json"
sqlite3 "$root/var/mobile/Library/CallDirectory/CallDirectory.db" < data/example/caller-id.sql
