#!/usr/bin/env bash
# The settings application with a long block history: how long its history
# read takes (from its log) and how much more memory the window holds than
# with no history, on the offscreen platform.
#   scripts/history-load.sh [BUILD_DIR] [RECORDS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
records=${2:-100000}
gui="$build/hushgate-gui/qt/hushgate-gui"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

documents=var/mobile/Containers/Data/Application/com.apple.mobilephone/Documents

# Starts the window on a device with COUNT records; prints "READ_MS RSS_KB".
measure() {
  local count=$1 root="$work/root-$1"
  scripts/make-device.sh "$build" "$root"
  mkdir -p "$root/$documents"
  python3 - "$root/$documents/hushgate-history.txt" "$count" <<'PY'
import json, sys
with open(sys.argv[1], "w", encoding="utf-8") as out:
    for i in range(int(sys.argv[2])):
        out.write(json.dumps({"d": 1700000000 + i, "p": "+8613800138000", "r": i % 5 + 1,
                              "rd": "骚扰电话" if i % 5 == 4 else "",
                              "u": "5D3F2A1C-0B7E-4C1D-9E2F-%012d" % i},
                             ensure_ascii=False, separators=(",", ":")) + "\n")
PY
  : > "$root/var/mobile/hushgate.log"
  HUSHGATE_ROOT=$root QT_QPA_PLATFORM=offscreen "$gui" > /dev/null 2>&1 &
  local pid=$! read_ms=""
  for _ in $(seq 1 600); do
    read_ms=$(sed -n 's/.*== history read: [0-9]* records in \([0-9]*\) ms.*/\1/p' \
      "$root/var/mobile/hushgate.log" | head -1)
    [ -n "$read_ms" ] && break
    sleep 0.05
  done
  sleep 1  # the main screen shows the count
  local rss
  rss=$(awk '/^VmRSS/ {print $2}' "/proc/$pid/status")
  kill "$pid"
  wait "$pid" 2> /dev/null || true
  echo "${read_ms:-none} $rss"
}

read -r _ empty_rss < <(measure 0)
read -r read_ms full_rss < <(measure "$records")
echo "history of $records records: read in $read_ms ms;" \
  "window $((full_rss / 1024)) MB, $(((full_rss - empty_rss) / 1024)) MB over the empty history" \
  "($((empty_rss / 1024)) MB)"
