#!/usr/bin/env bash
# Builds everything and runs every test: native unit tests, the same tests built for Windows under Wine,
# Windows integration tests and GUI tests in both Wine prefixes. Long fuzzing runs are separate:
# `ctest --test-dir build -L fuzz`.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/build.sh
ctest --test-dir build -LE fuzz -j "$(nproc)" --output-on-failure
