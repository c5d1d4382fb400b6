#!/usr/bin/env bash
# Runs the tool under Wine on the simulated PC of demo/: builds what is needed, puts the program and the files
# it ships with into a program folder of its own, and starts the simulated PC afresh from demo/pc.txt.
#
# usage: scripts/run.sh [win32|win64] [--keep] [gui | walkthrough | cli [ARGUMENTS]]
#   gui          the tool's window on your display ($DISPLAY); the default when there is a display
#   walkthrough  a scripted run on a virtual display (detect, select the graphics card, uninstall its package in
#                use oem12.inf, result) that saves screenshots; the default without a display
#   cli          the command-line front end with ARGUMENTS (default: detect); `detect`, `uninstall` and
#                `--help` as the first argument mean the same, and so do `restore` and `backups`
#   --keep       go on with the simulated PC as the previous run left it (say, to restore what it deleted)
set -euo pipefail
cd "$(dirname "$0")/.."
prefix_name=win32
case "${1:-}" in win32 | win64) prefix_name=$1; shift ;; esac
keep=no
[ "${1:-}" = --keep ] && { keep=yes; shift; }
mode=${1:-}
case "$mode" in
    "") if [ -n "${DISPLAY:-}" ]; then mode=gui; else mode=walkthrough; fi ;;
    gui | walkthrough | cli) shift ;;
    detect | uninstall | restore | backups | --help | -h) mode=cli ;;
    *) echo "usage: $0 [win32|win64] [--keep] [gui | walkthrough | cli [ARGUMENTS]]" >&2; exit 2 ;;
esac

./scripts/build.sh >/dev/null
build=$PWD/build
run=$build/run/$prefix_name

if [ "$mode" = walkthrough ]; then
    TOLVIK_BUILD_DIR=$build exec python3 tests/gui/walkthrough.py "$prefix_name" "$run/walkthrough"
fi

folder="$run/驱动卸载工具"
if [ "$keep" = yes ] && [ -f "$run/sim/pc.txt" ]; then
    rm -rf "$folder" && mkdir -p "$folder" "$run/feedback"
    cp "$run/sim/pc.txt" "$run/pc-kept.txt"
else
    rm -rf "$run" && mkdir -p "$folder" "$run/sim" "$run/feedback"
    cp demo/pc.txt "$run/pc-kept.txt"
fi
bin=$build/win32/bin
cp "$bin/ParsingString.xml" "$folder/"
if [ "$prefix_name" = win64 ]; then cp "$build/win64/bin/devconx64.exe" "$folder/"; else cp "$bin/devcon.exe" "$folder/"; fi
cp "$run/pc-kept.txt" "$run/sim/pc.txt"

export WINEPREFIX=$build/wine/$prefix_name WINEDEBUG=-all LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export TOLVIK_SIM_DIR="Z:${run//\//\\}\\sim"
# The feedback library keeps its journal here and records the addresses it is asked to open.
export TOLVIK_FEEDBACK_DIR="Z:${run//\//\\}\\feedback"
status=0
if [ "$mode" = cli ]; then
    [ $# -gt 0 ] || set -- detect
    cp "$bin/TolvikDriverUninstallCli.exe" "$folder/"
    wine "$folder/TolvikDriverUninstallCli.exe" "$@" || status=$?
else
    cp "$bin/TolvikDriverUninstallTool.exe" "$bin/VarunelFeedbackInformation.dll" "$folder/"
    wine "$folder/TolvikDriverUninstallTool.exe" || status=$?
fi
echo
echo "Device Console calls: $run/sim/journal.txt; simulated PC now: $run/sim/pc.txt"
[ "$mode" = cli ] || echo "Feedback library calls: $run/feedback/journal.txt; tool log: $WINEPREFIX/drive_c/ProgramData/ToolLog/videzure.txt"
exit $status
