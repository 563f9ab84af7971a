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
trap 'rm -rf "$root"' EXIT
export HUSHGATE_ROOT=$root

scripts/example-device.sh "$build" "$root"
"$build/hosts/springboard" data/example/call-script.jsonl > /dev/null

# The pictures show the Chinese texts, whatever this machine's locale.
LANG=zh_CN.UTF-8 LC_ALL= LC_MESSAGES= QT_QPA_PLATFORM=offscreen \
  "$build/tools/screenshots/hushgate-gui-screenshots" "$out"
