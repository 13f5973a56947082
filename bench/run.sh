#!/bin/bash
# Speed benchmark, run by hand:  bench/run.sh [native|wine|walk|all|encodings|peer|gitdir|rows|parallel|patterns|replace]   (default all;
#   parallel: N workers against one worker (rows compared, order included) and against rg's default threads;
#   walk: the Windows build's search of many small files against a bare wide-API loop under Wine;
#   encodings: CP932 against UTF-8 files of the same text, and CP932 against the probe of BASE;
#   peer: this tree's probes against those of PEER, whole-tree searches natively and under Wine;
#   gitdir: a work tree beside a large .git folder, with the default excluded folders and with none;
#   rows: half a million rows natively and under Wine, against a search that finds nothing, and copied;
#   patterns: regular expressions natively against rg -j1 -E shift_jis, and a literal as a pattern against the plain search;
#   replace: 10,000 matches in 1,000 files replaced and undone by the probe, against sed -i and sed -i back)
# Env: TOLVANE_BENCH_DIR  corpora, builds and scratch (default /tmp/tolvane-bench);
#        corpora are generated once and reused while their manifest.json exists
#      RUNS  timed runs per tool and case, after one warm-up (default 5)
#      PROBE / PROBE_EXE  probes to time (default: built from this tree into the cache)
#      BASE  commit whose probe the CP932 times are compared with (default main)
#      PEER  commit whose probes peer times beside this tree's (default main); PEER_NO_LOOKS=1
#        takes out of its search the looks at the window's queue, to show what they cost
#      REPEAT  searches in each Wine run of peer, so Wine's start-up is paid once (default 10)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd); repo=$(dirname "$here")
cache=${TOLVANE_BENCH_DIR:-/tmp/tolvane-bench}; runs=${RUNS:-5}; what=${1:-all}
mkdir -p "$cache"; export LC_ALL=C

corpus() {  # NAME PRESET NAMES: generate unless present
    [ -f "$cache/$1/manifest.json" ] && return
    echo "generating $1 ($2)..." >&2; rm -rf "$cache/$1"
    python3 "$here/gen_corpus.py" "$cache/$1" --preset "$2" --names "$3" >/dev/null
}
count() { python3 -c "import json,sys; c=json.load(open(sys.argv[1]))['counts'][sys.argv[2]]; print(c[sys.argv[3]], c['bytewise_extra'])" "$@"; }
needle() { python3 -c "import json,sys; sys.stdout.buffer.write(bytes.fromhex(json.load(open(sys.argv[1]))['needles'][sys.argv[2]]))" "$@"; }
rgpat() { needle "$@" | od -An -tx1 -v | tr -d ' \n' | sed 's/../\\x&/g; s/^/(?-u:/; s/$/)/'; }
# TIMEIT CMD... : 1 warm-up + RUNS runs, stdout to $cache/out; prints median wall s, median CPU s, peak RSS MB
timeit() { python3 "$here/timeit.py" "$runs" "$cache/out" "$@"; }
probe_count() { grep -a '^msgbox' "${1:-$cache/out}" | tail -1 | cut -f3 | tr -cd '0-9' | sed 's/^$/0/'; }
script() {  # DRIVE-LINE REFDIR NEEDLE-FILE HEADWORD CASE [EXT]
    { [ -n "$1" ] && printf '%s\n' "$1"
      printf 'set\trefdir\t%s\nset\tsearch\t' "$2"; cat "$3"
      printf '\nset\theadword\t%s\nset\text\t%s\nclick\t%s\nclick\tsearch\n' "$4" "${6:-}" "$5"; } >"$cache/script"
}
build() {  # DIR TOOLCHAIN-ARGS... : the probe of this tree (of $src when set), built into the cache
    cmake -S "${src:-$repo}" -B "$cache/$1" "${@:2}" >/dev/null && cmake --build "$cache/$1" -j"$(nproc)" --target tolvane-probe >/dev/null
}
export_commit() {  # COMMIT DIR: the commit's files in the cache, for build
    # Dated now, not by the commit: a build folder made earlier from another
    # commit would otherwise take its objects for up to date.
    rm -rf "$cache/$2"; mkdir -p "$cache/$2"; git -C "$repo" archive "$1" | tar -x -m -C "$cache/$2"
}
win64=-DCMAKE_TOOLCHAIN_FILE=$repo/cmake/mingw-w64-x86_64.cmake
machine() {
    echo "machine: $(nproc) CPUs, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)," \
         "$(free -g | awk '/Mem:/ {print $2}') GB RAM, $(uname -r); $(grep --version | head -1); $(rg --version 2>/dev/null | head -1)"
    echo "repo: $(git -C "$repo" rev-parse --short HEAD)$(git -C "$repo" diff --quiet HEAD -- . ':!bench' || echo ' (with uncommitted changes)'); runs: median of $runs after 1 warm-up"
}

native() {
    corpus main main cp932; corpus big big cp932; corpus treeview tree cp932
    if [ -z "${PROBE:-}" ]; then build build-native; PROBE=$cache/build-native/tolvane-probe; fi
    mkdir -p "$cache/pn"; cp "$PROBE" "$cache/pn/tolvane-probe"; local p=$cache/pn/tolvane-probe
    local m=$cache/main/manifest.json tree=$cache/main/tree head
    head=$(printf '\x81\xa1')  # ■
    machine
    echo "corpus: $(python3 -c "import json; d=json.load(open('$m')); print(f\"{d['bytes']/1e6:.0f} MB, {d['lines']} lines, {d['files']} files, {d['folders']} folders, {d['headwords']} headword lines\")")"
    echo "times: median CPU seconds (user+system; wall clock in brackets), ratios on CPU time"
    printf '\n%-24s %-14s %-14s %-14s %6s %6s  %-34s %s\n' case probe grep rg p/grep p/rg "lines probe/grep/rg (want/+bytewise)" "probe RSS MB"
    local c k mode hw gi ri pc gc rc want extra tp tg tr
    for c in a:ascii_few a:ascii_many a:ja_few a:ja_many b:ascii_few b:ascii_many b:ja_few b:ja_many \
             c:ascii_few c:ascii_many c:ja_many; do
        mode=${c%%:*}; k=${c#*:}; hw=; gi=; ri=
        [ "$mode" = c ] && hw=$head
        [ "$mode" = b ] && { gi=-i; ri=-i; }
        needle "$m" "$k" >"$cache/needle"
        script "drive	C	$tree" 'C:\' "$cache/needle" "$hw" "$([ "$mode" = b ] && echo case_off || echo case_on)"
        rm -f "$cache/pn/tolvane.dat"
        read -r tp[0] tp[1] tp[2] < <(timeit "$p" "$cache/script"); pc=$(probe_count)
        read -r tg[0] tg[1] tg[2] < <(timeit grep -rF $gi -f "$cache/needle" "$tree"); gc=$(wc -l <"$cache/out")
        if [[ $k == ascii* ]]; then read -r tr[0] tr[1] tr[2] < <(timeit rg -F $ri -j1 --no-ignore -a -f "$cache/needle" "$tree")
        else read -r tr[0] tr[1] tr[2] < <(timeit rg $ri -j1 --no-ignore -a "$(rgpat "$m" "$k")" "$tree"); fi
        rc=$(wc -l <"$cache/out")
        read -r want extra < <(count "$m" "$k" "$([ "$mode" = b ] && echo nocase || echo case)")
        printf '%-24s %-14s %-14s %-14s %6s %6s  %-34s %s\n' "$mode $k${hw:+ +headword}" \
            "${tp[1]} (${tp[0]})" "${tg[1]} (${tg[0]})" "${tr[1]} (${tr[0]})" \
            "$(awk "BEGIN{printf \"%.2f\", ${tp[1]}/${tg[1]}}")" "$(awk "BEGIN{printf \"%.2f\", ${tp[1]}/${tr[1]}}")" \
            "$pc/$gc/$rc ($want/+$extra)$([ "$pc" = "$want" ] && [ "$gc" = $((want + extra)) ] && [ "$rc" = "$gc" ] || echo ' MISMATCH')" "${tp[2]}"
    done
    echo
    echo "peak memory (ASCII needle Kvarn42, case distinguished / not) on $(du -sm "$cache/big/tree" | cut -f1) MB of large files:"
    printf 'Kvarn42' >"$cache/needle"
    local f cs
    for f in ordinary.txt oneline.txt .txt; do for cs in case_on case_off; do
        script "drive	C	$cache/big/tree" 'C:\' "$cache/needle" "" $cs "$f"
        rm -f "$cache/pn/tolvane.dat"
        /usr/bin/time -f '%M %e' -o "$cache/rss" "$p" "$cache/script" >"$cache/out"
        printf '  %-14s %-9s rows %-4s  max RSS %6.1f MB  %5.2f s\n' "${f/#.txt/both files}" $cs "$(probe_count)" \
            "$(awk '{print $1/1024}' "$cache/rss")" "$(awk '{print $2}' "$cache/rss")"
    done; done
    printf '\ntree view (native): '
    tree_case "drive	C	$cache/treeview/tree" "(C:)" "$p" ""
}

patterns() {  # regular expressions on the main corpus, one thread each
    corpus main main cp932
    if [ -z "${PROBE:-}" ]; then build build-native; PROBE=$cache/build-native/tolvane-probe; fi
    mkdir -p "$cache/pn"; cp "$PROBE" "$cache/pn/tolvane-probe"; local p=$cache/pn/tolvane-probe
    local m=$cache/main/manifest.json tree=$cache/main/tree k pat t1 t2 c1 c2
    # Every run starts from no settings: a run's saved check boxes would turn
    # the next run's click the other way.
    local fresh='d=$(dirname "$0"); rm -f "$d/tolvane.dat" "$d/tolvane.ini"; exec "$0" "$1"'
    machine
    pscript() {  # NEEDLE-FILE REGEX(0|1)
        { printf 'drive\tC\t%s\nset\trefdir\tC:\\\nset\tsearch\t' "$tree"; cat "$1"
          printf '\nset\theadword\t\nset\text\t\nclick\tcase_on\n'; [ "$2" = 1 ] && printf 'click\tregex\n'
          printf 'click\tsearch\n'; } >"$cache/script"
    }
    echo "a literal as a pattern against the plain search of it (CPU s, wall in brackets):"
    for k in ascii_many ja_many ja_few; do
        needle "$m" "$k" >"$cache/needle"
        pscript "$cache/needle" 0; read -r t1[0] t1[1] t1[2] < <(timeit sh -c "$fresh" "$p" "$cache/script"); c1=$(probe_count)
        pscript "$cache/needle" 1; read -r t2[0] t2[1] t2[2] < <(timeit sh -c "$fresh" "$p" "$cache/script"); c2=$(probe_count)
        printf '  %-12s plain %-14s pattern %-14s %5s  rows %s/%s\n' "$k" "${t1[1]} (${t1[0]})" "${t2[1]} (${t2[0]})" \
            "$(awk "BEGIN{printf \"%.2f\", ${t2[1]}/${t1[1]}}")" "$c1" "$c2"
    done
    echo "patterns against rg -j1 -E shift_jis --no-ignore -a (CPU s, wall in brackets):"
    for pat in 'ファイル.*名' '[ァ-ヶ]+ル' '(?:オプション|引数)を' '\d{3,}'; do
        printf '%s' "$pat" | iconv -f UTF-8 -t CP932 >"$cache/needle"
        pscript "$cache/needle" 1; read -r t1[0] t1[1] t1[2] < <(timeit sh -c "$fresh" "$p" "$cache/script"); c1=$(probe_count)
        read -r t2[0] t2[1] t2[2] < <(timeit rg -j1 -E shift_jis --no-ignore -a "$pat" "$tree"); c2=$(wc -l <"$cache/out")
        printf '  %-22s probe %-14s rg %-14s %5s  rows %s/%s\n' "$pat" "${t1[1]} (${t1[0]})" "${t2[1]} (${t2[0]})" \
            "$(awk "BEGIN{printf \"%.2f\", ${t1[1]}/${t2[1]}}")" "$c1" "$c2"
    done
}

tree_case() {  # DRIVE-LINE "LABEL<TAB>..." (path to the parent) PROBE RUNNER: expand a folder of 5,000 subfolders
    local t0 t1 t2 n path= l
    { [ -n "$1" ] && printf '%s\n' "$1"
      printf 'expand\n'  # the root item first, as a user would
      for l in $2; do path=${path:+$path	}$l; printf 'expand\t%s\n' "$path"; done; } >"$cache/script0"
    { cat "$cache/script0"; printf 'expand\t%s\tbig\n' "$path"; } >"$cache/script1"
    { cat "$cache/script1"; printf 'expand\t%s\tother\n' "$path"; } >"$cache/script2"
    { cat "$cache/script1"; printf 'dump\n'; } >"$cache/script3"
    if ! $4 "$3" "$cache/script3" >"$cache/out" 2>"$cache/err"; then
        echo "expand does not work yet ($(head -c 200 "$cache/err" | tr '\n' ' ')); skipped"; return 0
    fi
    n=$(grep -ac '^tree	.*	d[0-9][0-9][0-9][0-9]	' "$cache/out" || true)
    [ "$n" -lt 5000 ] && { echo "expand shows $n of the 5000 subfolders; skipped"; return 0; }
    read -r t0 _ < <(timeit $4 "$3" "$cache/script0"); read -r t1 _ < <(timeit $4 "$3" "$cache/script1")
    read -r t2 _ < <(timeit $4 "$3" "$cache/script2")
    echo "$n of 5000 subfolders shown; expanding them $(awk "BEGIN{printf \"%.2f\", $t1-$t0}") s," \
         "a later expand of a one-folder sibling $(awk "BEGIN{printf \"%.2f\", $t2-$t1}") s (whole runs $t0 / $t1 / $t2 s)"
}

wine_setup() {
    export TOLVANE_WINEPREFIX=$cache/wineprefix
    local xvfb n
    if [ -z "${DISPLAY:-}" ]; then  # one X server for all runs rather than one per run
        rm -f "$cache/displayfd"; mkfifo "$cache/displayfd"
        Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$cache/displayfd" >/dev/null 2>&1 & xvfb=$!
        read -r -t 30 n <"$cache/displayfd"; export DISPLAY=":$n"
        trap "kill $xvfb 2>/dev/null" EXIT
    fi
    # Without a window manager (Xvfb) Wine waits 2 s for every top-level window
    # that closes (the main window, each message box) unless it leaves them unmanaged.
    "$repo/tools/wine-run.sh" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
}

wine_part() {
    corpus wine-utf8 wine utf8; corpus treeview-utf8 tree utf8
    if [ -z "${PROBE_EXE:-}" ]; then
        build build-win64 "$win64"; PROBE_EXE=$cache/build-win64/tolvane-probe.exe
    fi
    mkdir -p "$cache/pw"; cp "$PROBE_EXE" "$cache/pw/tolvane-probe.exe"; local p=$cache/pw/tolvane-probe.exe
    wine_setup
    local m=$cache/wine-utf8/manifest.json want t0 t1 k
    echo; machine | tail -1
    echo "Wine: $(wine --version 2>/dev/null), prefix with unmanaged windows; corpus $(python3 -c "import json; d=json.load(open('$m')); print(f\"{d['bytes']/1e6:.0f} MB, {d['lines']} lines, {d['files']} files, UTF-8 host names\")")"
    echo "times: median wall seconds of the whole probe run (Wine start-up and exit included) minus the same search of an empty folder"
    mkdir -p "$cache/empty"; printf 'Kvarn42' >"$cache/needle"; rm -f "$cache/pw/tolvane.dat"
    script "" "Z:$(echo "$cache/empty" | tr / '\\')\\" "$cache/needle" "" case_on
    read -r t0 _ < <(timeit "$repo/tools/wine-run.sh" "$p" "$cache/script")
    echo "  search of an empty folder (the baseline): $t0 s"
    for k in ascii_few:case_on ascii_many:case_on ascii_many:case_off; do
        needle "$m" "${k%:*}" >"$cache/needle"; read -r want _ < <(count "$m" "${k%:*}" "$([ "${k#*:}" = case_on ] && echo case || echo nocase)")
        script "" "Z:$(echo "$cache/wine-utf8/tree" | tr / '\\')\\" "$cache/needle" "" "${k#*:}"
        read -r t1 _ < <(timeit "$repo/tools/wine-run.sh" "$p" "$cache/script")
        printf '  %-22s rows %6s (want %6s)  whole run %6.3f s  search %5.2f s%s\n' "$k" "$(probe_count)" "$want" "$t1" \
            "$(awk "BEGIN{print $t1-$t0}")" "$([ "$want" = 20000 ] && echo '  (target < 5 s)')"
    done
    printf 'tree view (Wine): '
    local labels; labels=$(echo "$cache/treeview-utf8/tree" | tr / '\t' | sed 's/^\t/(Z:)\t/')
    tree_case "" "$labels" "$p" "$repo/tools/wine-run.sh"
}

# The whole-tree search of the Windows build against a bare loop of the same
# toolchain and listing call that only opens, reads and counts line ends. The
# programs take turns, and each is timed less its run over an empty folder.
walk_part() {
    corpus walk-utf8 walk utf8
    if [ -z "${PROBE_EXE:-}" ]; then build build-win64 "$win64"; PROBE_EXE=$cache/build-win64/tolvane-probe.exe; fi
    mkdir -p "$cache/pw" "$cache/empty"; cp "$PROBE_EXE" "$cache/pw/tolvane-probe.exe"; local p=$cache/pw/tolvane-probe.exe
    x86_64-w64-mingw32-g++-posix -O2 -municode -static -o "$cache/pw/bare_walk.exe" "$here/bare_walk.cpp"
    wine_setup
    local m=$cache/walk-utf8/manifest.json run=$repo/tools/wine-run.sh tree empty s0 s1 b0 b1 bi
    tree="Z:$(echo "$cache/walk-utf8/tree" | tr / '\\')"; empty="Z:$(echo "$cache/empty" | tr / '\\')"
    printf 'Kvarn42' >"$cache/needle"; rm -f "$cache/pw/tolvane.dat"
    script "" "$empty\\" "$cache/needle" "" case_on; mv "$cache/script" "$cache/script-empty"
    script "" "$tree\\" "$cache/needle" "" case_on
    echo; machine | tail -1
    echo "walk (Wine): $(python3 -c "import json; d=json.load(open('$m')); print(f\"{d['files']} files in {d['folders']} folders, {d['bytes']/1e6:.0f} MB, UTF-8 host names\")")"
    echo "times: median wall seconds of the whole run, the five commands taking turns"
    { read -r s0 _; read -r s1 _; read -r b0 _; read -r b1 _; read -r bi _; } < <(timeit \
        "$run" "$p" "$cache/script-empty" --- "$run" "$p" "$cache/script" --- \
        "$run" "$cache/pw/bare_walk.exe" "$empty" --- "$run" "$cache/pw/bare_walk.exe" "$tree" --- \
        "$run" "$cache/pw/bare_walk.exe" --identity "$tree")
    echo "  search: $(grep -a '^msgbox' "$cache/out.2" | tail -1 | cut -f3 | iconv -f cp932 -t utf-8)"
    echo "  bare loop: $(cat "$cache/out.4")"
    awk -v s0="$s0" -v s1="$s1" -v b0="$b0" -v b1="$b1" -v bi="$bi" -v n="$(cut -d' ' -f2 "$cache/out.4")" 'BEGIN {
        printf "  search %.2f s (whole run %.2f, empty folder %.2f)  bare loop %.2f s (%.2f, %.2f)  ratio %.2f (target <= 1.3)\n",
               s1 - s0, s1, s0, b1 - b0, b1, b0, (s1 - s0) / (b1 - b0)
        printf "  bare loop that also asks every folder its identity: %.2f s, %.2f ms more per folder\n", bi - b0, (bi - b1) * 1000 / n }'
}

encodings() {  # the benchmark corpus as CP932 and as UTF-8; and CP932 against the probe of BASE
    corpus main main cp932
    if [ ! -f "$cache/main-utf8text/done" ]; then
        echo "converting main to UTF-8..." >&2; rm -rf "$cache/main-utf8text"
        python3 - "$cache/main/tree" "$cache/main-utf8text/tree" <<'PY'
import os, sys
src, dst = sys.argv[1], sys.argv[2]
for d, _, files in os.walk(src):
    out = os.path.join(dst, os.path.relpath(d, src)); os.makedirs(out, exist_ok=True)
    for f in files:
        data = open(os.path.join(d, f), 'rb').read()
        open(os.path.join(out, f), 'wb').write(data.decode('cp932').encode('utf-8'))
PY
        touch "$cache/main-utf8text/done"
    fi
    if [ -z "${PROBE:-}" ]; then build build-native; PROBE=$cache/build-native/tolvane-probe; fi
    local base=${BASE:-main}
    export_commit "$base" base-src; src=$cache/base-src build build-base
    mkdir -p "$cache/pn" "$cache/pn8" "$cache/pb"; cp "$PROBE" "$cache/pn/"; cp "$PROBE" "$cache/pn8/"; cp "$cache/build-base/tolvane-probe" "$cache/pb/"
    local m=$cache/main/manifest.json k mode hw t8 t9 tb c8 c9 cb
    machine; echo "base: $base ($(git -C "$repo" rev-parse --short "$base")); corpus main preset, $(du -sm "$cache/main/tree" | cut -f1) MB as CP932, $(du -sm "$cache/main-utf8text/tree" | cut -f1) MB as UTF-8"
    echo "times: median CPU seconds (user+system), the three runs of a case taking turns"
    printf '\n%-30s %-9s %-9s %-9s %7s %7s  %s\n' case base cp932 utf8 cp/base u8/cp "rows base/cp932/utf8"
    for k in ascii_few:case_on: ja_few:case_on: ja_many:case_on: ascii_many:case_on: ja_many:case_off: \
             ascii_many:case_off: ja_few:case_on:head ascii_many:case_off:head; do
        mode=${k#*:}; hw=${mode#*:}; mode=${mode%:*}; needle "$m" "${k%%:*}" >"$cache/needle"
        [ -n "$hw" ] && hw=$(printf '\x81\xa1')  # ■
        script "drive	C	$cache/main-utf8text/tree" 'C:\' "$cache/needle" "$hw" "$mode"; mv "$cache/script" "$cache/script8"
        script "drive	C	$cache/main/tree" 'C:\' "$cache/needle" "$hw" "$mode"
        rm -f "$cache"/p[bn]*/tolvane.dat
        { read -r _ tb _; read -r _ t9 _; read -r _ t8 _; } < <(timeit "$cache/pb/tolvane-probe" "$cache/script" --- \
            "$cache/pn/tolvane-probe" "$cache/script" --- "$cache/pn8/tolvane-probe" "$cache/script8")
        cb=$(probe_count); c9=$(probe_count "$cache/out.2"); c8=$(probe_count "$cache/out.3")
        printf '%-30s %-9s %-9s %-9s %7s %7s  %s\n' "${k%%:*} $mode${hw:+ +headword}" "$tb" "$t9" "$t8" \
            "$(awk "BEGIN{printf \"%.3f\", $t9/$tb}")" "$(awk "BEGIN{printf \"%.2f\", $t8/$t9}")" \
            "$cb/$c9/$c8$([ "$cb" = "$c9" ] && [ "$c9" = "$c8" ] || echo ' MISMATCH')"
    done
}

# This tree's probes against PEER's, the two taking turns: whole-tree searches
# natively (CPU seconds) and under Wine (wall seconds, REPEAT searches in one
# run, less the same run over an empty folder, per search).
peer() {
    local k m=$cache/main/manifest.json w=$cache/wine-utf8/manifest.json reps=${REPEAT:-10} i this other e0 e1
    corpus main main cp932; corpus wine-utf8 wine utf8
    export_commit "${PEER:-main}" peer-src
    if [ -n "${PEER_NO_LOOKS:-}" ]; then
        python3 - "$cache/peer-src/search/search.cpp" <<'PY'
import re, sys
path = sys.argv[1]; s = open(path).read()
s, n = re.subn(r'(void CSearchDlg::KeepWindowAlive\([^)]*\)\n\{\n)', r'\1    return;\n', s)
s, m = re.subn(r'KeepWindowAlive\(GetTickCount64\(\)\);', '', s)
if n != 1 or m < 1: sys.exit("PEER_NO_LOOKS: the looks of this search.cpp were not found")
open(path, 'w').write(s)
PY
    fi
    build build-native; src=$cache/peer-src build peer-native
    build build-win64 "$win64"; src=$cache/peer-src build peer-win64 "$win64"
    machine; echo "peer: ${PEER:-main} ($(git -C "$repo" rev-parse --short "${PEER:-main}"))${PEER_NO_LOOKS:+ without its looks at the queue}"
    mkdir -p "$cache/pn" "$cache/pp"; cp "$cache/build-native/tolvane-probe" "$cache/pn/"; cp "$cache/peer-native/tolvane-probe" "$cache/pp/"
    echo "native: median CPU seconds of the whole run, the two probes taking turns"
    for k in ascii_few:case_on ascii_many:case_on ja_many:case_on ascii_many:case_off; do
        needle "$m" "${k%:*}" >"$cache/needle"; script "drive	C	$cache/main/tree" 'C:\' "$cache/needle" "" "${k#*:}"
        rm -f "$cache/pn/tolvane.dat" "$cache/pp/tolvane.dat"
        { read -r _ this _; read -r _ other _; } < <(timeit "$cache/pn/tolvane-probe" "$cache/script" --- "$cache/pp/tolvane-probe" "$cache/script")
        printf '  %-20s rows %6s/%-6s  this %6.3f s  peer %6.3f s  this/peer %5.3f\n' "$k" "$(probe_count)" \
            "$(probe_count "$cache/out.2")" "$this" "$other" "$(awk "BEGIN{print $this/$other}")"
    done
    wine_setup
    mkdir -p "$cache/empty" "$cache/wn" "$cache/wp"
    cp "$cache/build-win64/tolvane-probe.exe" "$cache/wn/"; cp "$cache/peer-win64/tolvane-probe.exe" "$cache/wp/"
    echo "Wine: median wall seconds per search, $reps searches a run, less the same run over an empty folder"
    for k in empty:case_on ascii_few:case_on ascii_many:case_on ascii_many:case_off; do
        if [ "${k%:*}" = empty ]; then printf 'Kvarn42' >"$cache/needle"; script "" "Z:$(echo "$cache/empty" | tr / '\\')\\" "$cache/needle" "" case_on
        else needle "$w" "${k%:*}" >"$cache/needle"; script "" "Z:$(echo "$cache/wine-utf8/tree" | tr / '\\')\\" "$cache/needle" "" "${k#*:}"; fi
        for ((i = 1; i < reps; i++)); do printf 'click\tsearch\n'; done >>"$cache/script"
        rm -f "$cache/wn/tolvane.dat" "$cache/wp/tolvane.dat"
        { read -r this _; read -r other _; } < <(timeit "$repo/tools/wine-run.sh" "$cache/wn/tolvane-probe.exe" "$cache/script" \
                                                   --- "$repo/tools/wine-run.sh" "$cache/wp/tolvane-probe.exe" "$cache/script")
        if [ "${k%:*}" = empty ]; then e0=$this; e1=$other; echo "  empty folder: whole runs this $e0 s, peer $e1 s"; continue; fi
        this=$(awk "BEGIN{print ($this-$e0)/$reps}"); other=$(awk "BEGIN{print ($other-$e1)/$reps}")
        printf '  %-20s rows %6s/%-6s  this %6.3f s  peer %6.3f s  this/peer %5.3f\n' "$k" "$(probe_count)" \
            "$(probe_count "$cache/out.2")" "$this" "$other" "$(awk "BEGIN{print $this/$other}")"
    done
}

# A work tree of 400 files beside a .git folder of 4,096 loose objects holding
# copies of its text, searched with the default excluded folders and with none
# (each run sets the field: a search keeps it in tolvane.ini for the next).
gitdir() {
    local t=$cache/gitdir/tree
    if [ ! -f "$cache/gitdir/manifest.json" ]; then
        echo "generating gitdir..." >&2; rm -rf "$cache/gitdir"
        python3 - "$t" <<'PY'
import json, os, sys
root = sys.argv[1]
line = "検索のためのテキストの行です。 a line of sample text\r\n".encode("cp932")
hit = "ここに目印がある。\r\n".encode("cp932")
for d in range(20):
    os.makedirs("%s/src/d%02d" % (root, d))
    for f in range(20):
        open("%s/src/d%02d/f%02d.txt" % (root, d, f), "wb").write(line * 100 + hit + line * 100)
for d in range(256):
    os.makedirs("%s/.git/objects/%02x" % (root, d))
    for f in range(16):
        open("%s/.git/objects/%02x/%038x" % (root, d, f), "wb").write(line * 100 + hit + line * 100)
json.dump({"files": 400, "git_files": 4096}, open(os.path.join(os.path.dirname(root), "manifest.json"), "w"))
PY
    fi
    if [ -z "${PROBE:-}" ]; then build build-native; PROBE=$cache/build-native/tolvane-probe; fi
    mkdir -p "$cache/pn"; cp "$PROBE" "$cache/pn/tolvane-probe"
    machine
    echo "tree: $(du -sm "$t/src" | cut -f1) MB in 400 files outside .git, $(du -sm "$t/.git" | cut -f1) MB in 4,096 files inside"
    for ex in default none; do
        { printf 'drive\tC\t%s\nset\trefdir\tC:\\\nset\tsearch\t' "$t"; printf '目印' | iconv -f UTF-8 -t CP932
          printf '\nset\texclude\t%s\nclick\tsearch\n' "$([ $ex = none ] || echo '.git;.svn;.hg;.vs;node_modules')"
        } >"$cache/script-$ex"
    done
    rm -f "$cache/pn/tolvane.dat" "$cache/pn/tolvane.ini"
    { read -r w1 c1 _; read -r w2 c2 _; } < <(timeit "$cache/pn/tolvane-probe" "$cache/script-default" --- \
                                                 "$cache/pn/tolvane-probe" "$cache/script-none")
    printf '  %-28s rows %5s  wall %6.3f s  CPU %6.3f s\n' "default excluded folders" "$(probe_count)" "$w1" "$c1"
    printf '  %-28s rows %5s  wall %6.3f s  CPU %6.3f s\n' "no excluded folder" "$(probe_count "$cache/out.2")" "$w2" "$c2"
}

# Half a million rows: the native probe and the Windows build under Wine
# search the main corpus for the hiragana の, and copy every row; under Wine
# also a text found nowhere, and an empty folder (the program's start and end).
many_rows() {
    corpus main main cp932
    if [ -z "${PROBE:-}" ]; then build build-native; PROBE=$cache/build-native/tolvane-probe; fi
    if [ -z "${PROBE_EXE:-}" ]; then build build-win64 "$win64"; PROBE_EXE=$cache/build-win64/tolvane-probe.exe; fi
    mkdir -p "$cache/pn" "$cache/wn" "$cache/empty"
    cp "$PROBE" "$cache/pn/tolvane-probe"; cp "$PROBE_EXE" "$cache/wn/tolvane-probe.exe"
    machine
    local no; no=$(printf 'の' | iconv -f UTF-8 -t CP932)
    rows_script() {  # FILE DRIVE-LINE REFDIR NEEDLE [COPY]
        { if [ -n "$2" ]; then printf '%s\n' "$2"; fi; printf 'set\trefdir\t%s\nset\tsearch\t%s\nclick\tsearch\n' "$3" "$4"
          if [ -n "${5:-}" ]; then printf 'key\tresults\tctrl+a\nkey\tresults\tctrl+c\n'; fi; } >"$1"
    }
    rows_script "$cache/n-many" "drive	C	$cache/main/tree" 'C:\' "$no"
    rows_script "$cache/n-copy" "drive	C	$cache/main/tree" 'C:\' "$no" copy
    echo "native: median wall seconds, peak RSS MB"
    for k in many copy; do
        rm -f "$cache/pn/tolvane.dat" "$cache/pn/tolvane.ini"
        read -r w _ m < <(timeit "$cache/pn/tolvane-probe" "$cache/n-$k")
        printf '  %-34s rows %7s  wall %7.3f s  peak %6.1f MB\n' "の$([ $k = copy ] && echo ', all copied')" "$(probe_count)" "$w" "$m"
    done
    # Wine reads host names as UTF-8: the same corpus with such names.
    corpus main-utf8 main utf8
    wine_setup
    local tree; tree="Z:$(echo "$cache/main-utf8/tree" | tr / '\\')\\"
    rows_script "$cache/w-empty" "" "Z:$(echo "$cache/empty" | tr / '\\')\\" Kvarn42
    rows_script "$cache/w-none" "" "$tree" Kvarn42Tolvane
    rows_script "$cache/w-many" "" "$tree" "$no"
    rows_script "$cache/w-copy" "" "$tree" "$no" copy
    echo "Wine: median wall seconds of the whole run, peak RSS MB; the search less the empty folder's run"
    local e=0
    for k in empty none many copy; do
        rm -f "$cache/wn/tolvane.dat" "$cache/wn/tolvane.ini"
        read -r w _ m < <(timeit "$repo/tools/wine-run.sh" "$cache/wn/tolvane-probe.exe" "$cache/w-$k")
        [ $k = empty ] && e=$w
        printf '  %-34s rows %7s  wall %7.3f s (%7.3f s)  peak %6.1f MB\n' "$k" "$(probe_count)" "$w" \
            "$(awk "BEGIN{print $w-$e}")" "$m"
    done
}

# The search on every core: rows, order included, equal to a one-worker run
# in case-on, case-off and headword modes; wall time against rg with its
# default threads and against the one-worker run; peak memory of the
# few-match searches against the one-worker run; then the Windows build
# under Wine against its own one-worker run.
parallel() {
    corpus main main cp932
    if [ -z "${PROBE:-}" ]; then build build-native; PROBE=$cache/build-native/tolvane-probe; fi
    mkdir -p "$cache/pn"; cp "$PROBE" "$cache/pn/tolvane-probe"; local p=$cache/pn/tolvane-probe
    local m=$cache/main/manifest.json tree=$cache/main/tree head c k mode hw ri a b t1 tn tr same r1 rr rgcmd
    head=$(printf '\x81\xa1')  # ■
    machine
    echo "native: median wall seconds (CPU seconds in brackets), peak RSS MB; default workers: $(nproc);"
    echo "  the three commands take turns; N/rg and N/1 are medians of the ratios within a turn"
    printf '%-24s %-16s %-16s %-16s %7s %7s  %-10s %s\n' case "N workers" "1 worker" "rg (default -j)" "N/rg" "N/1" "rows" "RSS N/1 MB"
    for c in a:ascii_few a:ja_few a:ascii_many b:ascii_few b:ja_few b:ascii_many c:ascii_few c:ja_many; do
        mode=${c%%:*}; k=${c#*:}; hw=; ri=
        [ "$mode" = c ] && hw=$head
        [ "$mode" = b ] && ri=-i
        needle "$m" "$k" >"$cache/needle"
        script "drive	C	$tree" 'C:\' "$cache/needle" "$hw" "$([ "$mode" = b ] && echo case_off || echo case_on)"
        cp "$cache/script" "$cache/script-dump"; printf 'dump\n' >>"$cache/script-dump"
        rm -f "$cache/pn/tolvane.dat"
        TOLVANE_WORKERS=1 "$p" "$cache/script-dump" | grep -a '^row' >"$cache/rows1"
        rm -f "$cache/pn/tolvane.dat"
        "$p" "$cache/script-dump" | grep -a '^row' >"$cache/rowsn"
        same=$(cmp -s "$cache/rows1" "$cache/rowsn" && echo same || echo DIFFERENT)
        # The three take turns, and the ratios are those of each turn's runs.
        if [[ $k == ascii* ]]; then rgcmd=(rg -F $ri --no-ignore -a -f "$cache/needle" "$tree")
        else rgcmd=(rg $ri --no-ignore -a "$(rgpat "$m" "$k")" "$tree"); fi
        { read -r tn[0] tn[1] tn[2]; read -r t1[0] t1[1] t1[2]; read -r tr[0] tr[1] tr[2]; read -r _ r1; read -r _ rr; } \
            < <(timeit "$p" "$cache/script" --- env TOLVANE_WORKERS=1 "$p" "$cache/script" --- "${rgcmd[@]}")
        printf '%-24s %-16s %-16s %-16s %7s %7s  %-10s %s\n' "$mode $k${hw:+ +headword}" \
            "${tn[0]} (${tn[1]})" "${t1[0]} (${t1[1]})" "${tr[0]} (${tr[1]})" "$rr" "$r1" \
            "$(wc -l <"$cache/rowsn") $same" "${tn[2]}/${t1[2]}"
    done
    corpus main-utf8 main utf8
    if [ -z "${PROBE_EXE:-}" ]; then build build-win64 "$win64"; PROBE_EXE=$cache/build-win64/tolvane-probe.exe; fi
    mkdir -p "$cache/pw"; cp "$PROBE_EXE" "$cache/pw/tolvane-probe.exe"; p=$cache/pw/tolvane-probe.exe
    wine_setup
    m=$cache/main-utf8/manifest.json
    echo "Wine: median wall seconds of the whole run (start-up included), N workers against 1 (taking turns)"
    for k in ascii_few:case_on ascii_many:case_off; do
        needle "$m" "${k%:*}" >"$cache/needle"
        script "" "Z:$(echo "$cache/main-utf8/tree" | tr / '\\')\\" "$cache/needle" "" "${k#*:}"
        rm -f "$cache/pw/tolvane.dat"
        { read -r a _; read -r b _; read -r _ r1; } < <(timeit "$repo/tools/wine-run.sh" "$p" "$cache/script" --- \
            env TOLVANE_WORKERS=1 "$repo/tools/wine-run.sh" "$p" "$cache/script")
        printf '  %-22s rows %7s  N workers %7.3f s  1 worker %7.3f s  ratio %s\n' "$k" "$(probe_count)" "$a" "$b" "$r1"
    done
}

replace() {  # 10,000 matches in 1,000 files of the main corpus, replaced and undone, against sed -i
    corpus main main cp932
    if [ -z "${PROBE:-}" ]; then build build-native; PROBE=$cache/build-native/tolvane-probe; fi
    machine
    python3 "$here/replace_bench.py" "$PROBE" "$cache/main/tree" "$cache/replace" "$runs"
}

case $what in
    parallel) parallel ;; replace) replace ;;
    native) native ;; wine) wine_part ;; all) native; wine_part ;; encodings) encodings ;; peer) peer ;; walk) walk_part ;;
    gitdir) gitdir ;; rows) many_rows ;; patterns) patterns ;;
    *) echo "usage: $0 [native|wine|walk|all|encodings|peer|gitdir|rows|parallel|patterns|replace]" >&2; exit 2 ;;
esac
