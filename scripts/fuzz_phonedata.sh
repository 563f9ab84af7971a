#!/usr/bin/env bash
# Fuzzes the number-location database reader for a fixed number of runs.
#
#   scripts/fuzz_phonedata.sh DATA_DIR [RUNS]
#
# DATA_DIR holds a built phone-*.dat (the "data" folder of a build directory).
# Builds the libFuzzer target with clang (address and undefined-behaviour
# sanitizers) in build-fuzz (or $HUSHGATE_FUZZ_BUILD_DIR), seeds a corpus from
# the database (the file, truncated copies, copies with a broken header, index
# offset, record offset or card type) and runs RUNS inputs (default 200000)
# with a fixed seed. Exits non-zero when the target crashes or a check fails.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
data_dir=${1:?usage: scripts/fuzz_phonedata.sh DATA_DIR [RUNS]}
runs=${2:-200000}
build=${HUSHGATE_FUZZ_BUILD_DIR:-$repo/build-fuzz}

dat=$(find "$data_dir" -maxdepth 1 -type f -name 'phone-*.dat' | sort | head -n 1)
if [[ -z "$dat" ]]; then
  echo "fuzz_phonedata: no phone-*.dat in $data_dir (build the phonedata_files target first)" >&2
  exit 1
fi

generator=()
if [ ! -f "$build/CMakeCache.txt" ] && command -v ninja > /dev/null; then generator=(-G Ninja); fi
cmake -S "$repo/fuzz" -B "$build" "${generator[@]}" -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2

corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT

cp "$dat" "$corpus/full.dat"
for size in 0 3 8 17 100 4096 16384 65536; do
  head -c "$size" "$dat" >"$corpus/head-$size.dat"
done
index_offset=$(od -An -tu4 -j4 -N4 "$dat" | tr -d ' ')

# A copy of the first 64 KiB with BYTES (printf escapes) written at OFFSET.
perturbed() {
  local name=$1 offset=$2 bytes=$3
  head -c 65536 "$dat" >"$corpus/$name.dat"
  printf "$bytes" | dd of="$corpus/$name.dat" bs=1 seek="$offset" conv=notrunc status=none
}
perturbed version-without-nul 0 'abcd'
perturbed index-offset-past-end 4 '\377\377\377\377'
perturbed index-offset-in-header 4 '\000\000\000\000'
perturbed index-offset-unaligned 4 "$(printf '\\%03o' $(((index_offset + 4) & 255)) $((((index_offset + 4) >> 8) & 255)) 0 0)"
perturbed record-offset-past-end $((index_offset + 4)) '\377\377\377\377'
perturbed record-offset-in-index $((index_offset + 13)) "$(printf '\\%03o' $((index_offset & 255)) $(((index_offset >> 8) & 255)) 0 0)"
perturbed card-type-unknown $((index_offset + 8)) '\000'
perturbed record-without-nul $((index_offset - 1)) '|'

mkdir -p "$build/artifacts"
"$build/phonedata_fuzz" "$corpus" -runs="$runs" -seed=1 -max_len=65536 -timeout=10 \
  -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$build/artifacts/"
