#!/bin/bash
# Runs the same actions through the native probe and through the Windows
# probe under Wine, over the same folder of CP932, UTF-8 and UTF-16 files, and compares what a
# user sees: message boxes, rows (in file-column order: the order of a listing
# belongs to the file system), history, checks, the other fields and progress.
# The tree and the reference folder differ by nature (drives) and are left out.
#   compare_builds.sh NATIVE_PROBE WINDOWS_PROBE_EXE
# Exit 0 when both agree, 1 with a diff on stderr otherwise, 2 on bad use.
set -u
if [ $# -ne 2 ]; then
    echo "usage: $0 NATIVE_PROBE WINDOWS_PROBE_EXE" >&2
    exit 2
fi
native=$1
windows=$2
repo=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/tolvane-compare.XXXXXX")
trap 'rm -rf "$work"' EXIT

cp932() { iconv -f UTF-8 -t CP932; }

# put PATH TEXT: the same file in both trees. The native build sees host
# names as CP932 bytes; Wine gives the Windows build UTF-8 host names.
put() {
    local nat
    nat=$(printf '%s' "$1" | cp932)
    mkdir -p "$(dirname "$work/nat/$nat")" "$(dirname "$work/win/$1")"
    printf '%b' "$2" | cp932 >"$work/nat/$nat"
    printf '%b' "$2" | cp932 >"$work/win/$1"
}

put 'a.txt' '## 第一章\r\nfoo\tbar\r\n検索 foo\r\n## 第二章\r\n\t\tFOO\r\nend\r\n'
put 'b.md' 'foo without line end'
put '表.txt' '## 表\nfoo 表示\n検索\n'
put 'sub/c.txt' 'nothing here\n## h\nFoo\n'
put 'sub/deeper/d.txt.bak' '## d\nfoo\n検索結果\n'
put 'sub/deeper/データ.txt' '## データ\r\nＦＯＯ\r\nfoo データ\r\n'
put 'ソ/e.txt' '## ソ\nfoo ソ\n'
put 'ソ/f/g.TXT' 'foo upper-case extension\n'
put 'zero.txt' 'foo\0 after a NUL\nbar\0foo\n'
put 'kana.txt' 'ア\nアA\n'
put 'long.txt' "$(head -c 99994 /dev/zero | tr '\0' x)needle\nneedle\n"
# put_encoded PATH ENCODING MARK TEXT: TEXT in ENCODING (iconv's name) after
# the bytes MARK, the same in both trees.
put_encoded() {
    { printf '%b' "$3"; printf '%b' "$4" | iconv -f UTF-8 -t "$2"; } >"$work/nat/$1"
    cp "$work/nat/$1" "$work/win/$1"
}
utf_text='## 章一\r\nfoo ＦＯＯ αβ\tΑΒ\r\n## 章二\n\tFoo 検索 € ｶﾅ\nfoo\0 NUL'
put_encoded 'u8.txt' UTF-8 '' "$utf_text"
put_encoded 'u8bom.txt' UTF-8 '\xef\xbb\xbf' "$utf_text"
put_encoded 'u16le.txt' UTF-16LE '\xff\xfe' "$utf_text"
put_encoded 'u16be.txt' UTF-16BE '\xfe\xff' "$utf_text"
# The two forms of 〜 (U+301C from other systems, U+FF5E from Windows).
put_encoded 'wave8.txt' UTF-8 '' '波\xe3\x80\x9cダッシュ\nＷＡＶＥ\xef\xbd\x9e\nfoo_bar foo\n12 345 ｶﾀｶﾅ\n'
put 'wave932.txt' '波～ 亜細亜\nfoo_bar\n'
mkdir -p "$work/nat/empty" "$work/win/empty"
# Links to folders, as Wine shows host links (reparse points): two lead back
# up the walk path and are not walked again, one leads aside and is walked.
for l in '..:sub/up' '../..:sub/deeper/back' 'sub/deeper:aside'; do
    ln -s "${l%%:*}" "$work/nat/${l#*:}"
    ln -s "${l%%:*}" "$work/win/${l#*:}"
done

# script OUT REF SELECT: the actions, with REF as the reference folder (ending
# in "\") and SELECT the tree labels, TAB-separated, of its folder sub.
script() {
    local ref=${2//\\/\\\\}  # sed takes a doubled backslash in a replacement for one
    sed "s|@REF@|$ref|g; s|@SELECT@|$3|g" <<'EOF' | cp932 >"$1"
set	refdir	@REF@
set	headword	##
set	search	foo
click	search
dump
key	results	ctrl+a
key	results	ctrl+c
set	search	検索
set	ext	txt
click	search
dump
click	case_off
set	search	FOO
set	ext	
click	search
dump
click	selected_only
click	search
dump
click	selected_only
set	ext	.TXT
click	search
dump
set	ext	
set	search	a
click	search
dump
set	search	needle
click	search
dump
# Masks, excluded folders and binary files; typed folders as Windows reads them.
set	search	foo
set	ext	*.txt;!d*;*.md
set	exclude	deeper;ソ
click	search
dump
set	ext	
set	exclude	
click	skip_binary
click	search
dump
click	skip_binary
set	exclude	.git;.svn;.hg;.vs;node_modules
# Patterns and whole words: Unicode classes and both forms of 〜 in every encoding.
click	regex
set	search	[ァ-ヶ]+ル|[一-龠]{2,}|\d{3,}|～
click	search
dump
click	whole_word
set	search	foo|ｶﾀｶﾅ
click	search
dump
click	regex
set	search	検索
click	search
dump
click	whole_word
set	search	～
click	search
dump
click	regex
set	search	fo(o
click	search
dump
click	regex
set	refdir	@REF@sub\deeper\..\.  
click	search
dump
set	refdir	@REF@nowhere
click	search
set	refdir	@REF@a.txt
click	search
set	refdir	@REF@
set	search	needle
click	search
# The editor at each row's line and column: line 1 at its 99,995th character.
set	editor	"E:\ed\my ed.exe" -n%line% -c%column% "%path%"
dblclick	0
rows	1
key	results	enter
key	results	ctrl+a
context	0	タグジャンプ形式でコピー
set	editor	
dump
sort	line
sort	line
dump
set	search	?
click	search
dump
queue	esc
click	search
dump
set	search	
click	search
set	refdir	
set	search	x
click	search
set	refdir	@REF@ソ
set	search	foo
set	ext	
click	search
dump
restart
dump
select	@SELECT@
set	search	foo
click	search
dump
EOF
}

ref_native='C:\'
ref_windows="Z:$(printf '%s' "$work/win/" | tr / '\\')"
{ printf 'drive\tC\t%s\n' "$work/nat"; } >"$work/native.script"
script "$work/native.body" "$ref_native" "(C:)	sub"
cat "$work/native.body" >>"$work/native.script"
script "$work/windows.script" "$ref_windows" "(Z:)$(printf '%s' "$work/win/sub" | tr / '\t')"

# Each probe in a folder of its own: the settings file lies beside it.
mkdir -p "$work/native-bin" "$work/windows-bin"
cp "$native" "$work/native-bin/"
cp "$windows" "$work/windows-bin/"
"$work/native-bin/$(basename "$native")" "$work/native.script" >"$work/native.raw" 2>"$work/native.err"
rc=$?
if [ $rc -ne 0 ]; then
    echo "native probe exited with $rc" >&2
    cat "$work/native.err" >&2
    exit 1
fi
win_script="Z:$(printf '%s' "$work/windows.script" | tr / '\\')"
"$repo/tools/wine-run.sh" "$work/windows-bin/$(basename "$windows")" "$win_script" >"$work/windows.raw" 2>"$work/windows.err"
rc=$?
if [ $rc -ne 0 ]; then
    echo "Windows probe exited with $rc" >&2
    cat "$work/windows.err" >&2
    exit 1
fi

# What both must agree on; the rows of each dump in file-column order, stable.
normalize() {
    grep -a -v -e '^tree	' -e '^selected	' -e '^field	refdir	' -e '^rect	' |
        awk -F '\t' '{ if ($1 != "row") { blk++; key = "" } else key = $2
                       printf "%08d\t%s\t%08d\t%s\n", blk, key, NR, $0
                       if ($1 != "row") blk++ }' |
        LC_ALL=C sort -t "$(printf '\t')" -k1,1 -k2,2 -k3,3n | cut -f4-
}

# The Windows clipboard holds both texts, and they must agree.
if ! grep -a -q '^clipboard-unicode	' "$work/windows.raw" ||
    [ "$(grep -a '^clipboard	' "$work/windows.raw" | cut -f2-)" != \
      "$(grep -a '^clipboard-unicode	' "$work/windows.raw" | cut -f2-)" ]; then
    echo "the Windows clipboard's CF_TEXT and CF_UNICODETEXT differ or are missing" >&2
    exit 1
fi
# Copied rows are in listing order too: compared as sorted lines.
sort_clipboard() {
    grep -a -v '^clipboard-unicode	' |
        python3 -c 'import sys
for line in sys.stdin.buffer:
    if line.startswith(b"clipboard\t"):
        rows = line[10:].rstrip(b"\n").split(b"\\r\\n")
        line = b"clipboard\t" + b"\\r\\n".join(sorted(rows[:-1]) + rows[-1:]) + b"\n"
    sys.stdout.buffer.write(line)'
}
# Full paths (tag-jump copies, editors started) name the folder each build searched.
unref() {
    python3 -c 'import sys
ref = sys.argv[1].encode().replace(b"\\", b"\\\\")
sys.stdout.buffer.write(sys.stdin.buffer.read().replace(ref, b"@REF@"))' "$1"
}
sort_clipboard <"$work/native.raw" | unref "$ref_native" | normalize >"$work/native.out"
sort_clipboard <"$work/windows.raw" | unref "$ref_windows" | normalize >"$work/windows.out"

# A run that shows nothing would agree with any other.
if ! grep -a -q '^row	' "$work/native.out" || ! grep -a -q '^msgbox	' "$work/native.out" ||
    ! grep -a -q '^clipboard	' "$work/native.out"; then
    echo "the native probe showed no rows or no message boxes" >&2
    exit 1
fi
if ! cmp -s "$work/native.out" "$work/windows.out"; then
    echo "native (<) and Windows (>) builds differ (shown in UTF-8):" >&2
    diff <(iconv -f CP932 -t UTF-8 "$work/native.out") <(iconv -f CP932 -t UTF-8 "$work/windows.out") >&2
    exit 1
fi
exit 0
