#!/bin/bash
# Marks, saving and the preview, timed natively (by hand, never from ./test):
#   bench/preview_bench.sh [PROBE]
# 500,000 rows of one file saved as TSV and as JSON Lines (whose matches are the
# marks of every row, found as a drawn row finds them), and the preview of a row
# on the last line of a 400 MB file, each against the search alone (wall seconds,
# median of RUNS).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd); repo=$(dirname "$here")
probe=${1:-$repo/build/native/tolvane-probe}; runs=${RUNS:-5}
cache=${TOLVANE_BENCH_DIR:-/tmp/tolvane-bench}/preview; mkdir -p "$cache/rows" "$cache/big" "$cache/bin" "$cache/out"
[ -f "$cache/rows/r.txt" ] || python3 -c 'import sys
with open(sys.argv[1], "w") as f:
    for i in range(500000): f.write("line %d\tfoo bar foo baz\n" % i)' "$cache/rows/r.txt"
[ -f "$cache/big/b.txt" ] || python3 -c 'import sys
line = b"x" * 99 + b"\n"
with open(sys.argv[1], "wb") as f:
    for _ in range(40): f.write(line * 100000)
    f.write(b"the last foo\n")' "$cache/big/b.txt"
cp "$probe" "$cache/bin/"
run() {  # NAME FOLDER ACTIONS...: median wall seconds of RUNS runs
    { printf 'drive\tC\t%s\ndrive\tD\t%s\nset\trefdir\tC:\\\nset\tsearch\tfoo\nclick\tsearch\n' "$2" "$cache/out"; shift 2; printf '%s\n' "$@"; } >"$cache/script"
    python3 - "$runs" "$cache/bin/${probe##*/}" "$cache/script" <<'PY'
import statistics, subprocess, sys, time
t = []
for _ in range(int(sys.argv[1]) + 1):
    s = time.perf_counter(); subprocess.run(sys.argv[2:], stdout=subprocess.DEVNULL, check=True); t.append(time.perf_counter() - s)
print("%.3f" % statistics.median(t[1:]))
PY
}
echo "500,000 rows: search alone $(run s "$cache/rows")s," \
     "saved as TSV $(run t "$cache/rows" "export	tsv	D:\\out.tsv")s," \
     "as JSON Lines with every row's marks $(run j "$cache/rows" "export	jsonl	D:\\out.jsonl")s"
echo "400 MB file: search alone $(run s "$cache/big")s, with the preview of its last line $(run p "$cache/big" "preview	0")s"
ls -l "$cache/out"; rm -f "$cache/out/"*
