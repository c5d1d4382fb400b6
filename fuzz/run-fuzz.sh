#!/usr/bin/env bash
# Runs one libFuzzer program over its seed corpus and the corpus it has grown in earlier runs.
# usage: run-fuzz.sh <program> <work-dir> <seed-dir> [libFuzzer option...]
# Fails (non-zero) when the program finds a crash, a leak, undefined behaviour or a hang; the input that
# caused it is written to <work-dir>/artifacts/.
set -euo pipefail
program=$1 work=$2 seeds=$3
shift 3
mkdir -p "$work/corpus" "$work/artifacts"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
exec "$program" -artifact_prefix="$work/artifacts/" -timeout=10 -print_final_stats=1 "$@" "$work/corpus" "$seeds"
