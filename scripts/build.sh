#!/usr/bin/env bash
# Installs what is missing and builds everything (native engine and tests, both Windows builds, Wine prefixes).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build
