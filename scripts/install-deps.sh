#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, only those missing.
set -euo pipefail

packages=(
  g++ make cmake ninja-build mold pkg-config clang-format
  libicu-dev nlohmann-json3-dev libsqlite3-dev sqlite3 libboost-dev zlib1g-dev
  libphonenumber-dev libcurl4-openssl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  qt6-base-dev qt6-qpa-plugins fonts-wqy-microhei
  libmm-glib-dev libebook1.2-dev dbus-daemon evolution-data-server locales python3-dbusmock
  libqt6svg6 desktop-file-utils appstream help2man
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "== installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
