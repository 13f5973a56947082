#!/bin/bash
# Runs without the window (a command line with /out), one after another beside the settings a window search saved:
# each ends with its exit code, writes the rows of the same search in the window whole (or no file at all), and
# saves no settings.
#   without_window.sh PROBE      the native probe, or the Windows one (PROBE.exe) under Wine
. "$(dirname "$0")/common.sh"
[ $# -eq 1 ] || usage PROBE
probe=$1 build=native tree=$work/nat
case $1 in *.exe) build=windows tree=$work/win ;; esac
bin=$work/bin
mkdir "$bin" && cp "$1" "$bin/"
status=0
fail() { echo "$*" >&2; status=1; }
# step NAME LINE...: a script of these lines (UTF-8, @C@ and @D@ as in the scripts), run beside the settings.
step() {
    local name=$1
    shift
    printf '%s\n' "$@" >"$work/$name.script"
    here=$work script "$name" "$build"
    run_in "$bin" "$probe" "$work/$name.$build" "$work/$name.out" || fail "$name: the probe failed"
}
expect_out() { cmp -s <(printf "$2") "$work/$1.out" || fail "$1: printed $(cat -A "$work/$1.out"), not $2"; }
header=$(printf '\xef\xbb\xbf\xe3\x83\x95\xe3\x82\xa1\xe3\x82\xa4\xe3\x83\xab\xe5\x90\x8d\t\xe8\xa1\x8c\t')
header+=$(printf '\xe6\xa1\x81\t\xe8\xa6\x8b\xe5\x87\xba\xe3\x81\x97\xe8\xaa\x9e\t\xe4\xb8\x80\xe8\x87\xb4\xe5\x86\x85\xe5\xae\xb9\r')

# Its files read as UTF-8, which they are not: a run that read them as their bytes tell would show other rows.
step window "set	refdir	@C@" "set	headword	##" "click	case_off" "set	encoding	UTF-8" "set	search	FOO" "click	search" \
    "dump"
grep -a '^row	' "$work/window.out" >"$work/window.rows"
[ -s "$work/window.rows" ] || fail "window: no rows"
cp "$bin/tolvane.dat" "$work/saved.dat" && cp "$bin/tolvane.ini" "$work/saved.ini"

# The saved folder, marker, case and encoding; the file's rows are the window's, in its order and as the probe prints them.
step rows "args	/s FOO /out @D@hits.tsv"
expect_out rows 'exit\t0\n'
head -n 1 "$tree/D/hits.tsv" | cmp -s - <(printf '%s\n' "$header") || fail "rows: no byte-order mark and header"
# The window's rows as the file holds them: unescaped, a tab four blanks as in a copy, columns in the file's order.
python3 -c 'import re, sys
for line in open(sys.argv[1], "rb"):
    f = [re.sub(rb"\\(.)", lambda m: b"\t" if m.group(1) == b"t" else m.group(1), x).replace(b"\t", b"    ")
         for x in line.rstrip(b"\n").split(b"\t")]
    sys.stdout.buffer.write(b"\t".join([f[1], f[4], f[5], f[2], f[3]]) + b"\n")' "$work/window.rows" |
    cmp -s - <(tail -n +2 "$tree/D/hits.tsv" | iconv -f UTF-8 -t CP932 | tr -d '\r') ||
    fail "rows: the file's rows are not the window's"
# Nothing found: the header alone, exit 1. On standard output: the same bytes as the file, before the exit line.
step none "args	/s zzz /out @D@none.tsv"
expect_out none 'exit\t1\n'
cmp -s "$tree/D/none.tsv" <(printf '%s\n' "$header") || fail "none: not the header alone"
step stdout "args	/s FOO /out -"
cmp -s "$work/stdout.out" <(cat "$tree/D/hits.tsv"; printf 'exit\t0\n') || fail "stdout: not the file's bytes"
# Refusals: exit 2, the message on standard error, no file; a mistake in a command line without /out is a box.
step refused "args	@C@nowhere /s FOO /out @D@refused.tsv"
expect_out refused 'exit\t2\n'
[ ! -e "$tree/D/refused.tsv" ] || fail "refused: a file was written"
grep -aq "$(printf '参照ディレクトリが見つかりません。' | cp932)" "$work/refused.out.err" || fail "refused: no message"
step missing "args	/s FOO /out"
expect_out missing 'exit\t2\n'
grep -aq "$(printf '/out の後に値がありません。' | cp932)" "$work/missing.out.err" || fail "missing: no message"
step unknown "args	/s FOO /Q"
grep -aq "^msgbox	Error!	$(printf '/Q は使えないオプションです。' | cp932)" "$work/unknown.out" &&
    [ "$(tail -n 1 "$work/unknown.out")" = "$(printf 'exit\t2')" ] || fail "unknown: no box, or not exit 2"

cmp -s "$bin/tolvane.dat" "$work/saved.dat" && cmp -s "$bin/tolvane.ini" "$work/saved.ini" ||
    fail "the settings changed"
[ $status -eq 0 ] && echo "$build: runs without the window as expected"
exit $status
