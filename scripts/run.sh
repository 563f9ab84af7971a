#!/usr/bin/env bash
# Installs what is missing, builds, and runs the main job.
#   scripts/run.sh          the simulated phone with the example calls
#   scripts/run.sh --gui    then the settings application beside the phone
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh build
scripts/demo.sh build
if [ "${1:-}" = "--gui" ]; then
  echo
  scripts/demo-gui.sh build
fi
