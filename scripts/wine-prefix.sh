#!/usr/bin/env bash
# Creates a Wine prefix once (win32 or win64), in the Chinese locale with the CJK font standing in for
# "宋体"/SimSun, and leaves a stamp so that later calls return at once.
# usage: wine-prefix.sh <prefix-dir> <win32|win64>
set -euo pipefail
prefix=$1 arch=$2
stamp="$prefix/.tolvik-ready"
[ -f "$stamp" ] && exit 0

rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
export WINEPREFIX="$prefix" WINEARCH="$arch" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
unset DISPLAY

wineboot -i >/dev/null 2>&1
here=$(cd "$(dirname "$0")" && pwd)
# regedit reads a UTF-16 file regardless of the code page; the .reg source is kept in UTF-8.
import_reg() {
    local tmp="$prefix/drive_c/import.reg"
    { printf 'Windows Registry Editor Version 5.00\r\n\r\n'; sed 's/$/\r/' "$1"; } | iconv -f UTF-8 -t UTF-16 >"$tmp"
    wine regedit /S 'C:\import.reg' >/dev/null 2>&1
    rm -f "$tmp"
}
import_reg "$here/wine-prefix.reg"
wineserver -w
touch "$stamp"
