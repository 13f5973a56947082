#!/bin/bash
# Kill trials: the probe is killed (SIGKILL) at random moments of a run of searches, each of which rewrites the
# settings file; after every kill the file must be one of the complete files the run writes (or the one it started
# from), and the next start must show what that file holds.
#   kill_trials.sh NATIVE_PROBE COUNT [WINDOWS_PROBE_EXE COUNT]
# The native probe also computes the files a run writes and what a start shows for each; the Windows build, given, is
# then killed COUNT times under Wine (the same texts: Wine's Z: is the host's root, as the native drive is).
set -u
[ $# -eq 2 ] || [ $# -eq 4 ] || { echo "usage: $0 NATIVE_PROBE COUNT [WINDOWS_PROBE_EXE COUNT]" >&2; exit 2; }
repo=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/tolvane-kill.XXXXXX")
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
presses=10 status=0
mkdir -p "$work/bin" "$work/win" "$work/empty" "$work/data/sub"
cp "$1" "$work/bin/probe"

# A folder large enough that each search takes a while, so kills land in searches as well as in the writing of the file.
python3 - "$work/data" <<'PY'
import os, sys
line = 'ＦＯＯ 検索の対象ではない行です abc def\r\n'.encode('cp932')
for i in range(24):
    with open(os.path.join(sys.argv[1], 'sub' if i % 2 else '', 'f%02d.txt' % i), 'wb') as f:
        f.write(('## 見出し %d\r\n' % i).encode('cp932') + line * 40000 + b'hit s%d\r\n' % (i % 8 + 1))
PY
# A host path as the native probe's drive Z: (the host's root) and Wine's Z: name it.
winpath() { printf 'Z:%s' "$1" | tr '/' '\\'; }

# script FILE PRESSES: the start, then PRESSES searches of $refdir, each with its own headword, search text and case
# choice, so every save writes another file. The drive line is for the native build only.
script() {
    {
        printf 'drive\tZ\t/\nset\trefdir\t%s\\\nset\text\ttxt\n' "$(winpath "$refdir")"
        for k in $(seq 1 "$2"); do
            printf 'set\theadword\t## 見出し %d\nset\tsearch\ts%d\nclick\t%s\nclick\tsearch\n' "$k" "$k" \
                "$([ $((k % 2)) -eq 0 ] && echo case_off || echo case_on)"
        done
    } | iconv -f UTF-8 -t CP932 >"$1"
}
printf 'drive\tZ\t/\ndump\n' >"$work/dump.script"
printf 'dump\n' >"$work/win/dump.script"
shown() { grep -aE '^(field|check|history)' "$@"; }
# The file the trials start from: a validated search of some other run.
{ printf 'C:\\old\\\r\n##\r\ntxt\r\n0\r\n0\r\nold\r\n'; for i in $(seq 1 11); do printf 'old %d\r\n' "$i"; done; } >"$work/start.dat"

# references: the files a run of $refdir writes, press by press, and what a start shows for each, in $work/ref.
references() {
    rm -rf "$work/ref"
    mkdir -p "$work/ref"
    local dat="$work/bin/tolvane.dat" j
    for j in $(seq 0 "$presses"); do
        script "$work/s$j" "$j"
        cp "$work/start.dat" "$dat"
        "$work/bin/probe" "$work/s$j" >/dev/null 2>"$work/err" || { echo "reference run $j failed:"; cat "$work/err"; exit 1; }
        cp "$dat" "$work/ref/$j.dat"
        "$work/bin/probe" "$work/dump.script" 2>/dev/null | shown >"$work/ref/$j.shown"
        rm -f "$dat.new"
    done
    cmp -s "$work/ref/0.dat" "$work/start.dat" || { echo "a run without a search changed the file"; exit 1; }
}

# trials COUNT LABEL DIR FULL DUMP SETTLE PROGRAM...: COUNT kills of PROGRAM FULL (the run of all presses), started
# with the settings file of DIR; SETTLE waits for what a run leaves behind; PROGRAM DUMP shows the next start. The
# program runs as the background job itself, so its pid is the job's.
trials() {
    local n=$1 label=$2 dat=$3/tolvane.dat full=$4 dump=$5 settle=$6 hist="" t j k delay pid took
    shift 6
    [ "$n" -gt 0 ] || return 0
    took=$( { time -p { "$@" "$full" >/dev/null 2>&1 </dev/null; $settle; }; } 2>&1 | awk '/^real/ { print $2 }')
    for t in $(seq 1 "$n"); do
        cp "$work/start.dat" "$dat"
        delay=$(awk -v s="$RANDOM$t" -v t="$took" 'BEGIN { srand(s); printf "%.3f", rand() * t * 0.9 }')
        "$@" "$full" >/dev/null 2>&1 </dev/null &
        pid=$!
        sleep "$delay"
        kill -KILL "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
        $settle
        j=
        for k in $(seq 0 "$presses"); do cmp -s "$dat" "$work/ref/$k.dat" && { j=$k; break; }; done
        [ -n "$j" ] || {
            echo "$label trial $t (kill after ${delay} s): the settings file is no complete file:"
            od -c "$dat" | head -20; status=1; continue
        }
        hist="$hist $j"
        "$@" "$dump" >"$work/dump.out" 2>/dev/null </dev/null
        $settle
        shown "$work/dump.out" | cmp -s - "$work/ref/$j.shown" || {
            echo "$label trial $t: the next start does not show file $j:"
            diff <(shown "$work/dump.out") "$work/ref/$j.shown" | head -20; status=1
        }
    done
    echo "$label: $n kills over a run of ${took} s; files left (0 = the one it started from, $presses = all searches saved):"
    echo "$hist" | tr ' ' '\n' | grep . | sort -n | uniq -c | awk '{ printf "  file %s: %d\n", $2, $1 }'
}

# Half of the kills while the runs search a large folder, half while they
# search an empty one, where the time goes to writing the file.
native() {
    refdir=$work/$1
    references
    trials "$2" "native, $3" "$work/bin" "$work/s$presses" "$work/dump.script" : "$work/bin/probe"
}
native data $(($2 - $2 / 2)) searching
native empty $(($2 / 2)) writing
[ -n "${3:-}" ] && [ "${4:-0}" -gt 0 ] || exit $status

refdir=$work/data
references
cp "$3" "$work/win/probe.exe"
grep -av '^drive' "$work/s$presses" >"$work/win/full.script"
export WINEPREFIX=${TOLVANE_WINEPREFIX:-$repo/build/wineprefix} LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Now and then the wineserver stays up with only Wine's own services after the
# program: past a minute it is ended, which only costs the next start a new one.
wine_settle() { timeout 60 wineserver -w || { echo "wineserver still up a minute after the program; ended it" >&2; wineserver -k; }; }
# The prefix's first start is slow; the trials time a warm one.
wine "$work/win/probe.exe" "$(winpath "$work/win/dump.script")" >/dev/null 2>&1 </dev/null
wine_settle
trials "$4" windows "$work/win" "$(winpath "$work/win/full.script")" "$(winpath "$work/win/dump.script")" wine_settle \
    wine "$work/win/probe.exe"
exit $status
