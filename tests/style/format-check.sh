#!/usr/bin/env bash
# Fails when a C or C++ source differs from what the repository's .clang-format makes of it, naming each file.
# usage: format-check.sh <source-dir> [clang-format]
# The files are the tracked ones of a git checkout; an exported tree (no git) is searched instead.
set -euo pipefail
root=$1
format=${2:-clang-format}
cd "$root"

if ! command -v "$format" >/dev/null; then
    echo "format-check: $format not found (./scripts/setup.sh installs it)" >&2
    exit 1
fi

files=()
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    while IFS= read -r -d '' f; do
        # A tracked file deleted in the working tree is not there to check.
        [ -f "$f" ] && files+=("$f")
    done < <(git ls-files -z -- '*.cpp' '*.h')
else
    while IFS= read -r -d '' f; do
        files+=("$f")
    done < <(find src tools tests bench fuzz -type f \( -name '*.cpp' -o -name '*.h' \) -print0 2>/dev/null)
fi

if [ ${#files[@]} -eq 0 ]; then
    echo "format-check: no C or C++ source found under $root" >&2
    exit 1
fi

if ! printf '%s\0' "${files[@]}" | xargs -0 "$format" --dry-run -Werror --style=file; then
    echo "format-check: run 'clang-format -i' on the files named above" >&2
    exit 1
fi
echo "format-check: ${#files[@]} files formatted"
