#!/usr/bin/env bash
# Installs what the build and the tests need from Debian's packages.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
PACKAGES=(build-essential cmake ninja-build qt6-base-dev qt6-serialport-dev qt6-svg-dev libqt6sql6-sqlite qt6-qpa-plugins libgl-dev lintian
          libbenchmark-dev poppler-utils dpkg-dev clang libclang-rt-14-dev python3-pyvisa python3-pyvisa-py)
missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
    $SUDO apt-get update -q
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${missing[@]}"
fi
