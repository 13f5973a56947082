#!/bin/bash
# The same scripts through the native probe and through the Windows probe under Wine, over the same files: both builds
# must show the same, but for what differs by nature (the tree and the reference field: drives; the controls' places:
# fonts), with rows and copied rows in file-column order.
#   compare_builds.sh NATIVE_PROBE WINDOWS_PROBE_EXE
# Exit 0 when both agree, 1 with a diff on stderr otherwise, 2 on bad use.
. "$(dirname "$0")/common.sh"
[ $# -eq 2 ] || usage NATIVE_PROBE WINDOWS_PROBE_EXE
put 'P/a.txt' '## 第一章\r\nfoo\tbar\r\n検索 foo'
put 'P/表.txt' '## 表\nfoo 表示 ｶﾅ 123\n'
put 'P/ソ/e.txt' '## ソ\nfoo ソ\n'
put 'P/sub/c.txt' 'nothing\n## h\nFoo foo\n'
put 'P/sub/deeper/データ.txt' '## データ\r\nfoo データ\r\n'
put 'P/long.txt' "$(printf '表%.0s' {1..300}) foo\n"
mkdir -p "$work/nat/P/empty" "$work/win/P/empty"
# Links as Wine shows host links (reparse points): two lead back up the walk
# path and are not walked again, one leads aside and is walked.
for l in '..:sub/up' '../..:sub/deeper/back' 'sub/deeper:aside'; do
    ln -s "${l%%:*}" "$work/nat/P/${l#*:}"
    ln -s "${l%%:*}" "$work/win/P/${l#*:}"
done

# normal [WINDOWS_FOLDER]: full paths (copied tag-jump rows, programs started) with
# @C\ for the folder C (C:\ or WINDOWS_FOLDER\C\) and so on, copied rows in file-column order.
normal() {
    python3 -c 'import re, sys
win = re.escape(sys.argv[1].replace("\\", "\\\\")) + "([CDP])" if len(sys.argv) > 1 else "([CDP]):"
pattern = re.compile(win.encode() + rb"\\\\")
for line in sys.stdin.buffer:
    line = pattern.sub(rb"@\1\\\\", line)
    if line.startswith(b"clipboard\t"):
        rows = line[10:-1].split(b"\\r\\n")
        line = b"clipboard\t" + b"\\r\\n".join(sorted(rows[:-1]) + rows[-1:]) + b"\n"
    sys.stdout.buffer.write(line)' "$@" |
        grep -av -e '^tree	' -e '^selected	' -e '^field	refdir	' -e '^rect	' -e '^clipboard-unicode	' | sort_rows
}
for name in startup restart stop results platform replace replace_changed start; do
    script "$name" native
    script "$name" windows
    run "$1" "$work/$name.native" "$work/$name.native.raw" || exit 1
    run "$2" "$work/$name.windows" "$work/$name.windows.raw" || exit 1
    # The Windows clipboard holds both texts, and they must agree.
    cmp -s <(grep -a '^clipboard	' "$work/$name.windows.raw" | cut -f2-) \
        <(grep -a '^clipboard-unicode	' "$work/$name.windows.raw" | cut -f2-) ||
        { echo "$name: the Windows clipboard's CF_TEXT and CF_UNICODETEXT differ" >&2; exit 1; }
    normal <"$work/$name.native.raw" >"$work/$name.native.out"
    normal "$(winpath "$work/win/")" <"$work/$name.windows.raw" >"$work/$name.windows.out"
    if ! cmp -s "$work/$name.native.out" "$work/$name.windows.out"; then
        echo "$name: native (<) and Windows (>) builds differ (shown in UTF-8):" >&2
        diff <(iconv -f CP932 -t UTF-8 "$work/$name.native.out") <(iconv -f CP932 -t UTF-8 "$work/$name.windows.out") >&2
        exit 1
    fi
done
# A run that shows nothing would agree with any other.
for kind in row msgbox clipboard shell clipboard-unicode; do
    cat "$work"/*.raw | grep -aq "^$kind	" || { echo "no $kind line in any run" >&2; exit 1; }
done
exit 0
