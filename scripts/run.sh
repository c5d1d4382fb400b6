#!/usr/bin/env bash
# Runs the tool under Wine on the simulated PC of demo/: builds what is needed, puts the program and the files
# it ships with into a program folder of its own, and starts the simulated PC afresh from demo/pc.txt.
# usage: scripts/run.sh [win32|win64] [arguments for the command-line front end, default: detect]
set -euo pipefail
cd "$(dirname "$0")/.."
prefix_name=win32
case "${1:-}" in win32 | win64) prefix_name=$1; shift ;; esac
[ $# -gt 0 ] || set -- detect

./scripts/build.sh >/dev/null
build=$PWD/build
run=$build/run/$prefix_name
folder="$run/驱动卸载工具"
rm -rf "$run" && mkdir -p "$folder" "$run/sim"
cp "$build"/win32/bin/TolvikDriverUninstallCli.exe "$build"/win32/bin/ParsingString.xml "$folder/"
if [ "$prefix_name" = win64 ]; then cp "$build/win64/bin/devconx64.exe" "$folder/"; else cp "$build/win32/bin/devcon.exe" "$folder/"; fi
cp demo/pc.txt "$run/sim/pc.txt"

export WINEPREFIX=$build/wine/$prefix_name WINEDEBUG=-all LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export TOLVIK_SIM_DIR="Z:${run//\//\\}\\sim"
status=0
wine "$folder/TolvikDriverUninstallCli.exe" "$@" || status=$?
echo
echo "Device Console calls: $run/sim/journal.txt; simulated PC now: $run/sim/pc.txt"
exit $status
