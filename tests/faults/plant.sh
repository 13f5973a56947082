#!/bin/bash
# Plants each fault of tests/faults/faults.txt in turn, rebuilds, and runs the tests from the cheapest up (native,
# under Wine, the long runs) until one fails twice; prints the test that caught each, or "missed", and puts every
# file back. Run after ./test, which leaves every build configured.
#   tests/faults/plant.sh [--quick] [NAME...]
# --quick: the native tests, and the Windows-side ones only for a fault in platform/win32/ or res/.
set -uo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
cd "$repo"
quick=0
[ "${1:-}" = --quick ] && { quick=1; shift; }
work=build/faults
mkdir -p "$work"
: >"$work/results.txt"

. tools/xvfb-start.sh
planted=
trap '[ -z "$planted" ] || cp "$work/original" "$planted"; [ -z "$XVFB_PID" ] || kill "$XVFB_PID" 2>/dev/null' EXIT

build() { for tree in "$@"; do cmake --build "build/$tree" -j"$(nproc)" >>"$work/build.log" 2>&1 || return 1; done; }
# The first test of a tier that fails, run once more so that a test that
# failed by chance (Wine missing the display) does not count.
first_failure() {
  local failed
  failed=$(ctest --test-dir build/native "$@" --stop-on-failure 2>&1 | awk '/tests FAILED:/ { f = 1; next } f && / - / { sub(/^.* - /, ""); sub(/ \(.*$/, ""); print; exit }')
  [ -n "$failed" ] || return 1
  ctest --test-dir build/native -R "^${failed//./\\.}\$" >/dev/null 2>&1 && return 1
  echo "$failed"
}
# The other locale and scales run the same code as the Japanese run: only the full run takes them.
tiers=("native:-E:^(wine|kill|fuzz|asan|tsan|executables)"
  "win64:-R:^(wine\\.(unit|probe_same_as_native|probe_without_window|probe_scales|window_144dpi)|executables)\$")
[ $quick = 1 ] || tiers+=("win64 asan tsan fuzz:-R:(kill|end_to_end|fuzz|asan|tsan|en_US|192dpi)")

while IFS=$'\t' read -r name file old new _; do
  case "$name" in ''|'#'*) continue ;; esac
  [ $# -eq 0 ] || [[ " $* " == *" $name "* ]] || continue
  cp "$file" "$work/original"
  planted=$file
  if ! python3 - "$file" "$old" "$new" <<'PY'
import sys
path, old, new = sys.argv[1:4]
data = open(path, "rb").read()
old, new = old.encode("cp932"), new.encode("cp932")
if data.count(old) != 1:
    sys.exit("%s: the text to replace is there %d times" % (path, data.count(old)))
open(path, "wb").write(data.replace(old, new))
PY
  then
    echo "$name	not planted" | tee -a "$work/results.txt"
    continue
  fi
  verdict=missed
  for tier in "${tiers[@]}"; do
    [ $quick = 0 ] || [[ $tier == native:* ]] || [[ $file == platform/win32/* || $file == res/* ]] || continue
    IFS=: read -r trees flag regex <<<"$tier"
    if ! build $trees native; then verdict="caught by the build"; break; fi
    if caught=$(first_failure "$flag" "$regex"); then verdict="caught by $caught"; break; fi
  done
  cp "$work/original" "$file" && planted=
  echo "$name	$verdict" | tee -a "$work/results.txt"
done <tests/faults/faults.txt
build win64 native >/dev/null 2>&1 || echo "plant: the builds did not build again after the faults" >&2
