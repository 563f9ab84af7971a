#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the normal build, the
# same suite under AddressSanitizer and UndefinedBehaviorSanitizer, and the
# fuzz targets for a fixed number of runs.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

echo "== build"
scripts/build.sh build
echo "== tests"
(cd build && ctest --output-on-failure -j2)

echo "== build with AddressSanitizer and UndefinedBehaviorSanitizer"
scripts/build.sh build-asan -DHUSHGATE_SANITIZE=ON
echo "== tests with AddressSanitizer and UndefinedBehaviorSanitizer"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-asan && ctest --output-on-failure -j2)

if [ -x scripts/fuzz_phonedata.sh ]; then
  echo "== fuzzing"
  scripts/fuzz_phonedata.sh build/data
fi
