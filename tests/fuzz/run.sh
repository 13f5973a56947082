#!/bin/bash
# Runs one fuzz target for a bounded time over a copy of its corpus in the
# tree, from a folder of its own (the settings target writes the settings
# file beside its executable). Exit 0 when nothing was found; otherwise the
# report, and the input that shows the fault, in hex and under
# build/fuzz-findings/.
#   run.sh TARGET_EXE CORPUS_DIR [SECONDS]
# $TOLVANE_FUZZ_SECONDS, when set, is the time of every target (for longer
# runs by hand); else SECONDS, else 50.
set -u
if [ $# -lt 2 ]; then
    echo "usage: $0 TARGET_EXE CORPUS_DIR [SECONDS]" >&2
    exit 2
fi
target=$1
seeds=$2
seconds=${TOLVANE_FUZZ_SECONDS:-${3:-50}}
repo=$(cd "$(dirname "$0")/../.." && pwd)
name=$(basename "$target")
work=$(mktemp -d "${TMPDIR:-/tmp}/tolvane-$name.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin" "$work/corpus"
cp "$target" "$work/bin/"
cp "$seeds"/* "$work/corpus/"
export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1
# Inputs up to 4 KB; the scan target makes its megabyte lines itself.
"$work/bin/$name" -max_total_time="$seconds" -max_len=4096 -timeout=30 -rss_limit_mb=4096 \
    -print_final_stats=1 -artifact_prefix="$work/" "$work/corpus" >"$work/log" 2>&1
rc=$?
grep -E '^#[0-9]+.*DONE|^stat::number_of_executed_units' "$work/log"
if [ $rc -ne 0 ]; then
    grep -vE '^#[0-9]+|^INFO:|^\s*NEW_FUNC' "$work/log" | head -60
    mkdir -p "$repo/build/fuzz-findings"
    for f in "$work"/crash-* "$work"/timeout-* "$work"/leak-* "$work"/oom-*; do
        [ -e "$f" ] || continue
        echo "input $(basename "$f"):"
        od -An -tx1 -v "$f" | head -20
        cp "$f" "$repo/build/fuzz-findings/$name-$(basename "$f")"
    done
    echo "$name: failed (exit $rc)"
    exit 1
fi
echo "$name: ${seconds} s, no difference from the reference, no crash, no sanitizer report"
