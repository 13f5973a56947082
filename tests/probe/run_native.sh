#!/bin/bash
# Runs probe scripts natively against trees made in a temp folder and compares
# what the probe prints with tests/probe/NAME.expected (CP932 bytes).
#   run_native.sh PROBE            exit 0 when every script gave what is expected
# Rows of one dump are put in file-column order first (stable, so the rows of
# one file keep their order): the order of a listing belongs to the file system.
set -u
if [ $# -ne 1 ]; then
    echo "usage: $0 PROBE" >&2
    exit 2
fi
probe=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/tolvane-probe-native.XXXXXX")
trap 'rm -rf "$work"' EXIT

cp932() { iconv -f UTF-8 -t CP932; }
# put PATH TEXT: a file whose name and content are given in UTF-8 and land as CP932.
put() {
    local path
    path=$(printf '%s' "$1" | cp932)
    mkdir -p "$(dirname "$work/$path")"
    printf '%b' "$2" | cp932 >"$work/$path"
}

# Every folder holds at most one folder, so the tree's order is the letters'.
put 'C/a.txt' '## one\r\nfoo\tx\r\n## two\r\nfoo bar\r\nbar\r\n'
put 'C/z.md' 'foo in a file without txt\n'
put 'C/docs/b.txt' 'Foo first\n## h\n\tFOO\t\tend'
put 'C/docs/c.txt.bak' '## c\nfoo\n'
put 'C/docs/deep/d.txt' '## 見出し\n全角ではない foo と ＦＯＯ\n'
put 'D/データ/e.txt' '## 表\nfoo 表示\n'
put 'D/データ/サブ/f.txt' 'foo\n'
put 'D/ファイル.txt' 'foo at the root of D\n'
put 'R/表/一覧.txt' '## 見出し\tA\r\nfoo\tbar\r\nソfoo表\r\n## 次\r\n\tfoo\r\n'

# script NAME: the script text on stdin, in UTF-8, with @C@ and @D@ for the drives.
script() {
    sed -e "s|@C@|$work/C|g" -e "s|@D@|$work/D|g" -e "s|@R@|$work/R|g" | cp932 >"$work/$1.script"
}

script startup <<'EOF'
# The window as it opens without a settings file.
drive	C	@C@
drive	D	@D@
dump
EOF

script search <<'EOF'
drive	C	@C@
drive	D	@D@
set	refdir	C:\
set	headword	##
set	search	foo
click	search
dump
# Refused: the search text first, then the folder; each also reports no match.
set	refdir	
set	search	
click	search
set	search	bar
click	search
# Case-blind, a folder typed without its final backslash, ext without a dot.
set	refdir	C:\docs
set	search	FOO
set	ext	txt
click	case_off
click	search
dump
EOF

script restart <<'EOF'
drive	C	@C@
drive	D	@D@
set	refdir	C:\docs\
set	headword	##
set	ext	.txt
click	case_off
click	selected_only
click	regex
click	whole_word
set	search	fo+
click	search
set	search	
click	search
pick	1
click	search
restart
dump
EOF

script stop <<'EOF'
# An Esc waiting when the search starts stops it before the first file; the
# settings are written before the walk and the history as after any search.
drive	C	@C@
set	refdir	C:\
set	headword	##
click	case_off
set	search	foo
queue	esc
click	search
dump
# The Esc was taken by the search: the window is still open, and the next
# search runs to its end.
set	search	bar
click	search
dump
restart
dump
EOF

script tree <<'EOF'
drive	C	@C@
drive	D	@D@
set	search	foo
select	(D:)	データ
click	search
dump
select
click	search
select	(C:)	docs	deep
click	search
expand	(C:)
collapse	(C:)
dump
EOF

script results <<'EOF'
drive	C	@C@
drive	R	@R@
dump
# No rows: only すべて選択, greyed; nothing to copy.
context	0	すべて選択
key	results	ctrl+c
set	search	foo
set	headword	##
set	refdir	R:\
click	search
# The walked folder holds, whatever the field says now.
set	refdir	C:\
rows	1
key	results	ctrl+c
rows	2	0
key	results	ctrl+c
rows
key	results	ctrl+c
key	results	ctrl+a
key	results	ctrl+c
dump
dblclick	2
context	1	フォルダを開く
# A row outside the selection becomes it; one inside keeps the selection.
rows	0	1
context	2	コピー
rows	0	1
context	1	コピー(C)
context	0	すべて選択
dump
# Rows opened in an editor at their line and column: a double-click, Enter
# on the focused row and 開く; tag-jump lines of the selection.
set	editor	"C:\ed\my ed.exe" -n%line% -c%column% "%path%"
dblclick	0
rows	1
key	results	enter
context	2	開く
rows	0	2
context	0	タグジャンプ形式でコピー
dump
# No editor chosen and none installed: the file type's program, as before.
set	editor	
key	results	enter
dump
resize	1200	800
dump
resize	100	100
dump
EOF

# The rows of each dump in file-column order, stable.
sort_rows() {
    awk -F '\t' '{ if ($1 != "row") { blk++; key = "" } else key = $2
                   printf "%08d\t%s\t%08d\t%s\n", blk, key, NR, $0
                   if ($1 != "row") blk++ }' |
        LC_ALL=C sort -t "$(printf '\t')" -k1,1 -k2,2 -k3,3n | cut -f4-
}

status=0
for name in startup search restart stop tree results; do
    mkdir -p "$work/bin-$name"
    cp "$probe" "$work/bin-$name/"
    "$work/bin-$name/$(basename "$probe")" "$work/$name.script" >"$work/$name.raw" 2>"$work/$name.err"
    rc=$?
    if [ $rc -ne 0 ]; then
        echo "$name: the probe exited with $rc" >&2
        cat "$work/$name.err" >&2
        status=1
        continue
    fi
    sort_rows <"$work/$name.raw" >"$work/$name.out"
    if ! cmp -s "$here/$name.expected" "$work/$name.out"; then
        echo "$name: output differs from $name.expected (shown in UTF-8):" >&2
        diff <(iconv -f CP932 -t UTF-8 "$here/$name.expected") <(iconv -f CP932 -t UTF-8 "$work/$name.out") >&2
        [ -n "${TOLVANE_KEEP_OUTPUT:-}" ] && cp "$work/$name.out" "$TOLVANE_KEEP_OUTPUT/$name.out"
        status=1
    fi
done
exit $status
