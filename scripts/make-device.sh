#!/usr/bin/env bash
# Lays out a fresh simulated device under ROOT: the data folder with the
# number-location database, the caller-identification folder, and the tweak
# in the injection folder.
#   scripts/make-device.sh BUILD_DIR ROOT
set -euo pipefail

build=$1
root=$2
mkdir -p "$root/var/mobile/hushgate" "$root/var/mobile/Library/CallDirectory" \
  "$root/Library/MobileSubstrate/DynamicLibraries"
cp "$build"/data/phone-*.dat "$root/var/mobile/hushgate/"
cp "$build/hushgate/hushgate.so" "$root/Library/MobileSubstrate/DynamicLibraries/"
