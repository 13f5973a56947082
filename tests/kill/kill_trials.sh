#!/bin/bash
# Kill trials: the probe is killed (SIGKILL) at random moments of a run of
# searches, each of which rewrites the settings file; after every kill the
# file must be one of the complete files the run writes (or the one it
# started from), and the next start must show what that file holds.
#   kill_trials.sh NATIVE_PROBE COUNT [WINDOWS_PROBE_EXE COUNT]
# The native probe also computes the files a run writes and what a start
# shows for each; the Windows build, given, is then killed COUNT times under
# Wine (the same texts: Wine's Z: is the host's root, as the native drive is).
set -u
if [ $# -ne 2 ] && [ $# -ne 4 ]; then
    echo "usage: $0 NATIVE_PROBE COUNT [WINDOWS_PROBE_EXE COUNT]" >&2
    exit 2
fi
native=$1
count=$2
windows=${3:-}
wincount=${4:-0}
repo=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/tolvane-kill.XXXXXX")
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
presses=10

# A folder large enough that each search takes a while, so kills land in
# searches as well as in the writing of the file.
python3 - "$work/data" <<'PY'
import os, sys
root = sys.argv[1]
os.makedirs(os.path.join(root, 'sub'))
line = 'ＦＯＯ 検索の対象ではない行です abc def\r\n'.encode('cp932')
for i in range(24):
    with open(os.path.join(root, 'sub' if i % 2 else '', 'f%02d.txt' % i), 'wb') as f:
        f.write(('## 見出し %d\r\n' % i).encode('cp932'))
        f.write(line * 40000)
        f.write('hit s%d\r\n'.replace('%d', str(i % 8 + 1)).encode('cp932'))
PY
mkdir -p "$work/empty"
# A folder as the native probe's drive Z: (the host's root) and Wine's Z: name it.
zpath() { printf 'Z:%s\\' "$(printf '%s' "$1" | tr '/' '\\')"; }

# script FILE PRESSES: the start, then PRESSES searches of $refdir, each
# with its own headword, search text and case choice, so every save writes
# another file.
script() {
    {
        printf 'drive\tZ\t/\n'
        printf 'set\trefdir\t%s\nset\text\ttxt\n' "$refdir"
        for k in $(seq 1 "$2"); do
            printf 'set\theadword\t## 見出し %d\nset\tsearch\ts%d\n' "$k" "$k"
            if [ $((k % 2)) -eq 0 ]; then printf 'click\tcase_off\n'; else printf 'click\tcase_on\n'; fi
            printf 'click\tsearch\n'
        done
    } | iconv -f UTF-8 -t CP932 >"$1"
}
# The drive line is for the native build only.
winscript() { grep -av '^drive' "$1" >"$2"; }
printf 'drive\tZ\t/\ndump\n' >"$work/dump.script"
printf 'dump\n' >"$work/dump.win"
shown() { grep -aE '^(field|check|history)' "$1"; }

# The file the trials start from: a validated search of some other run.
printf 'C:\\old\\\r\n##\r\ntxt\r\n0\r\n0\r\nold\r\n' >"$work/start.dat"
for i in $(seq 1 11); do printf 'old %d\r\n' "$i"; done >>"$work/start.dat"

mkdir -p "$work/bin"
cp "$native" "$work/bin/probe"
# references: the files a run writes, press by press, and what a start shows
# for each, in $work/ref.
references() {
rm -rf "$work/ref"
mkdir -p "$work/ref"
dat="$work/bin/tolvane.dat"
for j in $(seq 0 "$presses"); do
    script "$work/s$j" "$j"
    cp "$work/start.dat" "$dat"
    "$work/bin/probe" "$work/s$j" >/dev/null 2>"$work/err" || { echo "reference run $j failed:"; cat "$work/err"; exit 1; }
    cp "$dat" "$work/ref/$j.dat"
    "$work/bin/probe" "$work/dump.script" >"$work/ref/$j.raw" 2>/dev/null
    shown "$work/ref/$j.raw" >"$work/ref/$j.shown"
    rm -f "$dat.new"
done
if cmp -s "$work/ref/0.dat" "$work/start.dat"; then :; else echo "a run without a search changed the file"; exit 1; fi
}

# The file as one of the complete ones: its index, or nothing.
which_file() {
    for j in $(seq 0 "$presses"); do
        if cmp -s "$1" "$work/ref/$j.dat"; then echo "$j"; return; fi
    done
}

status=0
# trials RUNNER COUNT: RUNNER start|dump SCRIPT runs a probe in the background
# (start) or to its end (dump) and leaves its pid in $pid.
trials() {
    local runner=$1 n=$2 label=$3 full
    [ "$n" -gt 0 ] || return 0
    full=$( { time -p $runner start_full; } 2>&1 | awk '/^real/ { print $2 }')
    local hist="" t j
    for t in $(seq 1 "$n"); do
        cp "$work/start.dat" "$dat"
        delay=$(awk -v s="$RANDOM$t" -v t="$full" 'BEGIN { srand(s); printf "%.3f", rand() * t * 0.9 }')
        $runner start
        sleep "$delay"
        kill -KILL "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
        $runner settle
        j=$(which_file "$dat")
        if [ -z "$j" ]; then
            echo "$label trial $t (kill after ${delay} s): the settings file is no complete file:"
            od -c "$dat" | head -20
            status=1
            continue
        fi
        $runner dump
        if ! shown "$work/dump.out" | cmp -s - "$work/ref/$j.shown"; then
            echo "$label trial $t: the next start does not show file $j:"
            diff <(shown "$work/dump.out") "$work/ref/$j.shown" | head -20
            status=1
        fi
        hist="$hist $j"
    done
    echo "$label: $n kills over a run of ${full} s; files left (0 = the one it started from, $presses = all searches saved):"
    echo "$hist" | tr ' ' '\n' | grep . | sort -n | uniq -c | awk '{ printf "  file %s: %d\n", $2, $1 }'
}

native_runner() {
    case $1 in
    start_full) "$work/bin/probe" "$work/s$presses" >/dev/null 2>&1 ;;
    start) "$work/bin/probe" "$work/s$presses" >/dev/null 2>&1 & pid=$! ;;
    settle) : ;;
    dump) "$work/bin/probe" "$work/dump.script" >"$work/dump.out" 2>/dev/null ;;
    esac
}
# Half of the kills while the runs search a large folder, half while they
# search an empty one, where the time goes to writing the file.
refdir=$(zpath "$work/data")
references
trials native_runner $((count - count / 2)) "native, searching"
refdir=$(zpath "$work/empty")
references
trials native_runner $((count / 2)) "native, writing"

if [ -n "$windows" ] && [ "$wincount" -gt 0 ]; then
    refdir=$(zpath "$work/data")
    references
    mkdir -p "$work/win"
    cp "$windows" "$work/win/probe.exe"
    dat="$work/win/tolvane.dat"
    winscript "$work/s$presses" "$work/win/full.script"
    winpath() { printf 'Z:%s' "$1" | tr '/' '\\'; }
    export WINEPREFIX=${TOLVANE_WINEPREFIX:-$repo/build/wineprefix} LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    # Now and then the prefix's wineserver stays up with only Wine's own
    # services left after the program has ended, and waiting for it would
    # wait for ever: past a minute it is ended, which only costs the next
    # start a new server.
    wine_settle() {
        timeout 60 wineserver -w || { echo "wineserver still up a minute after the program; ended it" >&2; wineserver -k; }
    }
    # wine runs the program in its own process, so its pid is the program's.
    wine_runner() {
        case $1 in
        start_full) wine "$work/win/probe.exe" "$(winpath "$work/win/full.script")" >/dev/null 2>&1 </dev/null; wine_settle ;;
        start) wine "$work/win/probe.exe" "$(winpath "$work/win/full.script")" >/dev/null 2>&1 </dev/null & pid=$! ;;
        settle) wine_settle ;;
        dump) wine "$work/win/probe.exe" "$(winpath "$work/dump.win")" >"$work/dump.out" 2>/dev/null </dev/null; wine_settle ;;
        esac
    }
    wine_runner dump  # the prefix's first start is slow; the trials time a warm one
    trials wine_runner "$wincount" windows
fi
exit $status
