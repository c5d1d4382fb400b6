#!/usr/bin/env bash
# Runs the backup benchmark under Wine: the backup of a generated 1 GB store folder against CopyFileW plus one
# SHA-256 pass over the same files. Needs about 3 GB free below build/bench-work.
# usage: bench/run-backup-bench.sh [win32|win64] [rounds]   (after scripts/build.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
prefix=${1:-win32} rounds=${2:-5}
build=$PWD/build
work=$build/bench-work/backup-$prefix
mkdir -p "$work"
exec tests/wine-test.sh "$build/wine/$prefix" "$work/run" "$build/win32/bin/bench_backup.exe" -- \
    "Z:${work//\//\\}\\data" "$rounds"
