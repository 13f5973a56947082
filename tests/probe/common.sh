# Sourced by the probe tests: a temp folder, the trees the scripts search, a script
# made ready for a build, a probe run in a folder of its own (its settings file lies
# beside it), the rows of a dump in file-column order (a listing's order is the disk's).
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/tolvane-probe.XXXXXX")
trap 'rm -rf "$work"' EXIT
usage() { echo "usage: $0 $*" >&2; exit 2; }
cp932() { iconv -f UTF-8 -t CP932; }
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

# put PATH TEXT: TEXT (printf %b) in CP932 at nat/PATH and win/PATH: the native
# build sees host names as CP932 bytes, Wine gives the Windows one UTF-8 names.
put() {
    local nat
    nat=$(printf '%s' "$1" | cp932)
    mkdir -p "$(dirname "$work/nat/$nat")" "$(dirname "$work/win/$1")"
    printf '%b' "$2" | cp932 | tee "$work/win/$1" >"$work/nat/$nat"
}
# One folder in each folder: the tree's order is the letters'.
put 'C/a.txt' '## 一\r\nfoo\tx\r\n## 二\r\nbar foo\r\nbar\r\n'
put 'C/表/一覧.txt' '## 見出し\tA\r\nfoo\tbar\r\nソfoo表\r\n## 次\r\n\tfoo\r\n'
put 'C/表/サブ/深/b.txt' 'bar\n'
put 'D/データ/c.txt' 'bar\nbar\n'

# script NAME native|windows: NAME.script as $work/NAME.BUILD, @C@ (@D@, @P@) the
# folder C as the reference field takes it, @PT@ the tree labels that lead to P.
script() {
    if [ "$2" = native ]; then
        printf 'drive\t%s\t%s\n' C "$work/nat/C" D "$work/nat/D"
        grep -q @P "$here/$1.script" && printf 'drive\tP\t%s\n' "$work/nat/P"
        sed 's/@\([CDP]\)@/\1:\\/g; s/@PT@/(P:)/g' "$here/$1.script"
    else
        sed "s|@\([CDP]\)@|$(winpath "$work/win/" | sed 's/\\/\\\\/g')\1\\\\|g
             s|@PT@|(Z:)$(printf '%s' "$work/win/P" | tr / '\t')|g" "$here/$1.script"
    fi | cp932 >"$work/$1.$2"
}

# run PROBE SCRIPT OUT: the probe's exit code; under Wine (PROBE.exe) tried
# again while Wine cannot reach the display (exit 3). run_in BIN PROBE SCRIPT
# OUT runs the copy of PROBE in the folder BIN, beside the settings it left.
run() {
    local bin
    bin=$(mktemp -d "$work/bin.XXXXXX")
    cp "$1" "$bin/"
    run_in "$bin" "$@"
}
run_in() {
    local rc try
    for try in 1 2 3; do
        case $2 in
        *.exe) "$repo/tools/wine-run.sh" "$1/${2##*/}" "$(winpath "$3")" ;;
        *) "$1/${2##*/}" "$3" ;;
        esac >"$4" 2>"$4.err"
        rc=$?
        [ $rc -eq 3 ] && [ "${2%.exe}" != "$2" ] || break
    done
    [ $rc -eq 0 ] || { echo "${3##*/}: the probe exited with $rc" >&2; cat "$4.err" >&2; }
    return $rc
}

# A mark names its row by its place in the list, which is the disk's order too:
# it is printed with the row's file and line instead, and sorted with the marks.
sort_rows() {
    awk -F '\t' -v OFS='\t' '
        $1 == "row" { if (prev != "row") n = 0; file[n] = $2; line[n] = $5; n++ }
        { grouped = $1 == "row" || $1 == "mark"; key = $2
          if ($1 == "mark") { i = $2; key = file[i]; $2 = file[i] OFS line[i] }
          if (!grouped || $1 != prev) blk++
          if (!grouped) key = ""
          printf "%08d\t%s\t%08d\t%s\n", blk, key, NR, $0
          if (!grouped) blk++
          prev = $1 }' |
        LC_ALL=C sort -t "$(printf '\t')" -k1,1 -k2,2 -k3,3n | cut -f4-
}
