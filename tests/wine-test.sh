#!/usr/bin/env bash
# Runs a Windows program under Wine from a fresh program folder, for one test.
# usage: wine-test.sh <prefix-dir> <work-dir> <program.exe> [--with FILE]... [--pc DESCRIPTION]
#                     [--folder NAME | --drive LETTER] -- [args...]
#
# The program folder is <work-dir>/<awkward name>/ (or <work-dir>/NAME, or the root of drive LETTER: mapped to
# <work-dir>/drive-LETTER) and holds the program and the --with files. The simulated
# PC of the Device Console stand-in lives in <work-dir>/sim (outside the program folder), seeded from
# --pc; TOLVIK_SIM_DIR tells the stand-in where it is. The feedback library stand-in keeps its settings and
# journal in <work-dir>/feedback (TOLVIK_FEEDBACK_DIR). The exit code is the program's.
set -euo pipefail
prefix=$1 work=$2 program=$3
shift 3
with=() pc="" name="程序 A&B^C%D 测试" drive=""
while [ $# -gt 0 ]; do
    case "$1" in
        --with) with+=("$2"); shift 2 ;;
        --pc) pc=$2; shift 2 ;;
        --folder) name=$2; shift 2 ;;
        --drive) drive=$2; shift 2 ;;
        --) shift; break ;;
        *) echo "wine-test: unknown option $1" >&2; exit 2 ;;
    esac
done

folder="$work/$name"
[ -n "$drive" ] && folder="$work/drive-$drive"
rm -rf "$work"
mkdir -p "$folder" "$work/sim"
cp "$program" "${with[@]}" "$folder/"
[ -n "$pc" ] && cp "$pc" "$work/sim/pc.txt"

to_windows() { printf 'Z:%s' "${1//\//\\}"; }
export WINEPREFIX="$prefix" WINEDEBUG=-all LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export TOLVIK_SIM_DIR="$(to_windows "$work/sim")"
export TOLVIK_FEEDBACK_DIR="$(to_windows "$work/feedback")"
export TOLVIK_TEST_WORK="$work"
cd "$work"
if [ -n "$drive" ]; then
    ln -sfn "$folder" "$prefix/dosdevices/${drive,,}:"
    exec wine "${drive^^}:\\$(basename "$program")" "$@"
fi
exec wine "$folder/$(basename "$program")" "$@"
