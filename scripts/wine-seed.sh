#!/usr/bin/env bash
# Imports a .reg body (UTF-8, no header line) into a Wine prefix. Every key that this file or the previous
# import of a file of the same name holds is deleted first, so keys and values dropped from the file do not
# linger. The imported copy is kept in <prefix>/.tolvik-seeded/ and serves as the build's stamp.
# usage: wine-seed.sh <prefix-dir> <file.reg>
set -euo pipefail
prefix=$(cd "$1" && pwd) file=$2
record="$prefix/.tolvik-seeded/$(basename "$file")"
mkdir -p "$prefix/.tolvik-seeded"

export WINEPREFIX="$prefix" WINEDEBUG=-all LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
unset DISPLAY

keys() { sed -n 's/^\[\([^]-].*\)\]\r\{0,1\}$/\1/p' "$@"; }
previous=()
[ -f "$record" ] && previous=("$record")

# regedit reads a UTF-16 file with its header regardless of the code page.
tmp="$prefix/drive_c/tolvik-seed-$$.reg"
trap 'rm -f "$tmp"' EXIT
{
    printf 'Windows Registry Editor Version 5.00\n\n'
    keys "${previous[@]}" "$file" | sort -u | sed 's/.*/[-&]/'
    printf '\n'
    cat "$file"
} | sed 's/\r*$/\r/' | iconv -f UTF-8 -t UTF-16 >"$tmp"
wine regedit /S "C:\\$(basename "$tmp")" >/dev/null 2>&1
wineserver -w
cp "$file" "$record.tmp" && mv "$record.tmp" "$record"
