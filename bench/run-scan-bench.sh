#!/usr/bin/env bash
# Runs the scan benchmark under Wine on the demo PC: a scan against the sum of its console runs.
# usage: bench/run-scan-bench.sh [win32|win64] [rounds]   (after scripts/build.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
prefix=${1:-win32} rounds=${2:-5}
build=$PWD/build
tool=$build/win32/bin/devcon.exe
[ "$prefix" = win64 ] && tool=$build/win64/bin/devconx64.exe
exec tests/wine-test.sh "$build/wine/$prefix" "$build/bench-work/scan-$prefix" "$build/win32/bin/bench_scan.exe" \
    --with "$tool" --with "$build/win32/bin/ParsingString.xml" --pc demo/pc.txt -- "$rounds"
