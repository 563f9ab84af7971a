#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the normal build, the
# same suite under AddressSanitizer and UndefinedBehaviorSanitizer, and the
# fuzz targets for a fixed number of runs each. Prints the time of each stage as
# "== stage time: N s (STAGE)", and the processor time that its commands
# used as "== stage cpu: N s (STAGE)" (steadier on a shared machine).
#
# The normal build (build/) is built whole, at -O2 without debug
# information; the sanitizer build (build-asan/) at -O1 with line tables, and
# only what ctest runs (the target test_programs), with the number-location
# data of the normal build. In both, the tests' own code (not the code under
# test) is compiled at -Og.
set -euo pipefail
cd "$(dirname "$0")/.."

# read_cpu sets cpu to the seconds of processor time (user and system) that
# the commands run so far used. `times` must run in this shell: in a command
# substitution it would count only the subshell's children.
times_file=$(mktemp)
trap 'rm -f "$times_file"' EXIT
read_cpu() {
  times > "$times_file"
  cpu=$(awk 'END { split($1 " " $2, t, /[ms ]/); print int(t[1] * 60 + t[2] + t[4] * 60 + t[5]) }' \
    "$times_file")
}
start=$SECONDS
stage_start=$SECONDS
read_cpu
stage_cpu=$cpu
stage_done() {
  read_cpu
  echo "== stage time: $((SECONDS - stage_start)) s ($1)"
  echo "== stage cpu: $((cpu - stage_cpu)) s ($1)"
  stage_start=$SECONDS
  stage_cpu=$cpu
}

scripts/install-deps.sh
stage_done install

echo "== build"
scripts/build.sh build \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" \
  -DHUSHGATE_TEST_CODE_OPTIONS=-Og
stage_done build
echo "== tests"
(cd build && ctest --output-on-failure -j2)
stage_done tests

echo "== build with AddressSanitizer and UndefinedBehaviorSanitizer"
scripts/build.sh build-asan -DHUSHGATE_SANITIZE=ON -DHUSHGATE_PHONEDATA_FROM="$PWD/build/data" \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DHUSHGATE_TEST_CODE_OPTIONS=-Og \
  -- test_programs
stage_done "sanitizer build"
echo "== tests with AddressSanitizer and UndefinedBehaviorSanitizer"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-asan && ctest --output-on-failure -j2)
stage_done "sanitizer tests"

echo "== fuzzing"
scripts/fuzz.sh build/data 50000
stage_done fuzz
echo "== stage time: $((SECONDS - start)) s (total)"
read_cpu
echo "== stage cpu: $cpu s (total)"
