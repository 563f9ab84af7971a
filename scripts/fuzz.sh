#!/usr/bin/env bash
# Runs every fuzz target a fixed number of runs with a fixed seed:
#   scripts/fuzz.sh DATA_DIR [RUNS]
# DATA_DIR holds a built phone-*.dat (the "data" folder of a build
# directory), from which the number-location target's corpus is made
# (scripts/fuzz_phonedata.sh); the other targets start from their seeds in
# fuzz/seeds/<target>/. RUNS (default 200000) is per target. Exits non-zero
# when a target crashes or a check fails.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
data_dir=${1:?usage: scripts/fuzz.sh DATA_DIR [RUNS]}
runs=${2:-200000}
build=${HUSHGATE_FUZZ_BUILD_DIR:-$repo/build-fuzz}
export HUSHGATE_FUZZ_BUILD_DIR=$build

# Configures, builds every target, and runs the number-location one.
"$repo/scripts/fuzz_phonedata.sh" "$data_dir" "$runs"

mkdir -p "$build/artifacts"
for target in block_record blacklist_url call_script pref_document rules_file; do
  corpus=$(mktemp -d)
  cp "$repo/fuzz/seeds/$target/"* "$corpus/"
  echo "== fuzzing ${target}"
  status=0
  "$build/${target}_fuzz" "$corpus" -runs="$runs" -seed=1 -max_len=65536 -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$build/artifacts/${target}-" \
    > "$build/${target}.log" 2>&1 || status=$?
  rm -rf "$corpus"
  grep -E '^stat::(number_of_executed_units|peak_rss_mb)|^Done ' "$build/${target}.log" || true
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$build/${target}.log" >&2
    echo "fuzz: ${target} failed" >&2
    exit 1
  fi
done
