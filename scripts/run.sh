#!/usr/bin/env bash
# Installs the packages, builds the program and starts it on its built-in interface emulator.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target tk820-2 tk820-emu
exec build/bin/tk820-2 --emulator "$@"
