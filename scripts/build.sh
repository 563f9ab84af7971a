#!/usr/bin/env bash
# Configures and builds one build tree:
#   scripts/build.sh DIR [cmake options...] [-- targets...]
# Without targets, everything is built. A new tree uses Ninja when it is
# installed; an existing tree keeps the generator it was made with.
set -euo pipefail
cd "$(dirname "$0")/.."

dir=${1:-build}
shift || true
options=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  options+=("$1")
  shift
done
[ $# -gt 0 ] && shift
targets=()
for target in "$@"; do targets+=(--target "$target"); done

if [ ! -f "$dir/CMakeCache.txt" ] && command -v ninja > /dev/null; then
  options=(-G Ninja "${options[@]}")
fi
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)" "${targets[@]}"
