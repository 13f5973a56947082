#!/bin/bash
# The benchmark corpus through the native probe: no CP932 file of it is read
# as UTF-8 (every file gives its rows for a Japanese search string, and the
# rows are as many as the generator planted), and the same text as UTF-8,
# UTF-8 with a byte-order mark and UTF-16 gives the same rows, byte for byte.
#   corpus_encodings.sh PROBE      exit 0 when all of that holds
set -u
if [ $# -ne 1 ]; then
    echo "usage: $0 PROBE" >&2
    exit 2
fi
repo=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/tolvane-corpus.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin"
cp "$1" "$work/bin/probe"
fail=0

needle() { python3 -c "import json,sys; sys.stdout.buffer.write(bytes.fromhex(json.load(open(sys.argv[1]))['needles'][sys.argv[2]]))" "$@"; }
count() { python3 -c "import json,sys; print(json.load(open(sys.argv[1]))['counts'][sys.argv[2]][sys.argv[3]])" "$@"; }

# search TREE NEEDLE-NAME MANIFEST CASE(case_on|case_off) HEADWORD: the probe's rows, sorted
search() {
    { printf 'drive\tC\t%s\nset\trefdir\tC:\\\nset\tsearch\t' "$1"; needle "$3" "$2"
      printf '\nset\theadword\t%s\nclick\t%s\nclick\tsearch\ndump\n' "$5" "$4"; } >"$work/script"
    rm -f "$work/bin/tolvane.dat"
    "$work/bin/probe" "$work/script" | grep -a '^row	' | LC_ALL=C sort -s -t '	' -k2,2
}

python3 "$repo/bench/gen_corpus.py" "$work/main" --preset main --names cp932 >/dev/null || exit 1
m=$work/main/manifest.json
search "$work/main/tree" ja_many "$m" case_on "" >"$work/rows"
if [ "$(wc -l <"$work/rows")" != "$(count "$m" ja_many case)" ]; then
    echo "main corpus: $(wc -l <"$work/rows") rows for ja_many, want $(count "$m" ja_many case)" >&2
    fail=1
fi
# Every file has headword lines (■第...): each must show them.
printf '\x81\xa1\x91\xe6' >"$work/head"
{ printf 'drive\tC\t%s\nset\trefdir\tC:\\\nset\tsearch\t' "$work/main/tree"; cat "$work/head"
  printf '\nclick\tcase_on\nclick\tsearch\ndump\n'; } >"$work/script"
rm -f "$work/bin/tolvane.dat"
"$work/bin/probe" "$work/script" | grep -a '^row	' >"$work/rows"
files=$(cd "$work/main/tree" && python3 -c "
import os
n = 0
for d, _, fs in os.walk('.'):
    for f in fs:
        n += '\u25a0\u7b2c' in open(os.path.join(d, f), 'rb').read().decode('cp932')
print(n)")
with_rows=$(cut -f2 "$work/rows" | LC_ALL=C sort -u | wc -l)
if [ "$(wc -l <"$work/rows")" != "$(python3 -c "import json; print(json.load(open('$m'))['headwords'])")" ] ||
   [ "$files" != "$with_rows" ]; then
    echo "main corpus: $(wc -l <"$work/rows") headword rows; $with_rows files with rows of $files that hold one" >&2
    fail=1
fi
rm -rf "$work/main"

python3 "$repo/bench/gen_corpus.py" "$work/wine" --preset wine --names ascii >/dev/null || exit 1
m=$work/wine/manifest.json
python3 - "$work/wine/tree" "$work" <<'PY' || exit 1
import os, sys
src, out = sys.argv[1], sys.argv[2]
for name, mark, codec in (('utf8', b'', 'utf-8'), ('utf8bom', b'\xef\xbb\xbf', 'utf-8'),
                          ('utf16le', b'\xff\xfe', 'utf-16-le'), ('utf16be', b'\xfe\xff', 'utf-16-be')):
    for d, _, files in os.walk(src):
        dst = os.path.join(out, name, os.path.relpath(d, src))
        os.makedirs(dst, exist_ok=True)
        for f in files:
            text = open(os.path.join(d, f), 'rb').read().decode('cp932')
            open(os.path.join(dst, f), 'wb').write(mark + text.encode(codec))
PY
head=$(printf '\x81\xa1')  # the corpus's headword lines start with it
for c in ja_many:case_on ascii_many:case_off ja_few:case_off; do
    search "$work/wine/tree" "${c%:*}" "$m" "${c#*:}" "$head" >"$work/cp932.rows"
    want=$(count "$m" "${c%:*}" "$([ "${c#*:}" = case_on ] && echo case || echo nocase)")
    if [ "$(wc -l <"$work/cp932.rows")" != "$want" ]; then
        echo "wine corpus, $c: $(wc -l <"$work/cp932.rows") rows, want $want" >&2
        fail=1
    fi
    for e in utf8 utf8bom utf16le utf16be; do
        search "$work/$e" "${c%:*}" "$m" "${c#*:}" "$head" >"$work/$e.rows"
        if ! cmp -s "$work/cp932.rows" "$work/$e.rows"; then
            echo "wine corpus as $e, $c: rows differ from CP932" >&2
            diff "$work/cp932.rows" "$work/$e.rows" | head -5 >&2
            fail=1
        fi
    done
done
exit $fail
