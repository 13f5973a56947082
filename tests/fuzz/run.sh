#!/bin/bash
# Runs one fuzz target for a bounded time over a copy of its corpus, from a folder of its own (the settings target
# writes the settings file beside its executable). Exit 0 when nothing was found; otherwise the report, and the input
# that shows the fault in hex and under build/fuzz-findings/.
#   run.sh TARGET_EXE CORPUS_DIR [SECONDS]   ($TOLVANE_FUZZ_SECONDS, else SECONDS, else 50)
set -u
[ $# -ge 2 ] || { echo "usage: $0 TARGET_EXE CORPUS_DIR [SECONDS]" >&2; exit 2; }
seconds=${TOLVANE_FUZZ_SECONDS:-${3:-50}}
repo=$(cd "$(dirname "$0")/../.." && pwd)
name=$(basename "$1")
work=$(mktemp -d "${TMPDIR:-/tmp}/tolvane-$name.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin" "$work/corpus"
cp "$1" "$work/bin/"
cp "$2"/* "$work/corpus/"
export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1 UBSAN_OPTIONS=print_stacktrace=1
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
        echo "input $(basename "$f"):" && od -An -tx1 -v "$f" | head -20
        cp "$f" "$repo/build/fuzz-findings/$name-$(basename "$f")"
    done
    echo "$name: failed (exit $rc)"
    exit 1
fi
echo "$name: ${seconds} s, no difference from the reference, no crash, no sanitizer report"
