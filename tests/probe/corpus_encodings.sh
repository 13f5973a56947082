#!/bin/bash
# The benchmark corpus through the native probe: no CP932 file of it is read
# as UTF-8 (the rows are as many as the generator planted), and the same text
# as UTF-8, UTF-8 with a byte-order mark and UTF-16 gives the same rows, byte
# for byte.
#   corpus_encodings.sh PROBE      exit 0 when all of that holds
. "$(dirname "$0")/common.sh"
[ $# -eq 1 ] || usage PROBE
fail=0
# manifest KEY...: a value of the corpus's manifest $m; needles are hex bytes.
manifest() {
    python3 -c 'import json, sys
v = json.load(open(sys.argv[1]))
for k in sys.argv[2:]: v = v[k]
sys.stdout.buffer.write(bytes.fromhex(v) if sys.argv[2] == "needles" else str(v).encode())' "$m" "$@"
}
# search TREE NEEDLE case_on|case_off HEADWORD: the rows, in file-column order.
search() {
    { printf 'drive\tC\t%s\nset\trefdir\tC:\\\nset\tsearch\t' "$1"; manifest needles "$2"
      printf '\nset\theadword\t%s\nclick\t%s\nclick\tsearch\ndump\n' "$4" "$3"; } >"$work/script"
    run "$probe" "$work/script" "$work/raw" && grep -a '^row	' "$work/raw" | LC_ALL=C sort -s -t '	' -k2,2
}
# counted TREE NEEDLE case_on|case_off: the rows at $work/rows, as many as the corpus planted.
counted() {
    search "$1" "$2" "$3" "$head" >"$work/rows"
    local want
    want=$(manifest counts "$2" "$([ "$3" = case_on ] && echo case || echo nocase)")
    [ "$(wc -l <"$work/rows")" = "$want" ] || { echo "$1, $2: $(wc -l <"$work/rows") rows, want $want" >&2; fail=1; }
}
probe=$1
head=$(printf '\x81\xa1')  # the corpus's headword lines start with it
python3 "$repo/bench/gen_corpus.py" "$work/main" --preset main --names cp932 >/dev/null || exit 1
m=$work/main/manifest.json
counted "$work/main/tree" ja_many case_on
rm -rf "$work/main"

python3 "$repo/bench/gen_corpus.py" "$work/wine" --preset wine --names ascii >/dev/null || exit 1
m=$work/wine/manifest.json
python3 -c 'import os, sys
for name, mark, codec in (("utf8", b"", "utf-8"), ("utf8bom", b"\xef\xbb\xbf", "utf-8"),
                          ("utf16le", b"\xff\xfe", "utf-16-le"), ("utf16be", b"\xfe\xff", "utf-16-be")):
    for d, _, files in os.walk(sys.argv[1]):
        dst = os.path.join(sys.argv[2], name, os.path.relpath(d, sys.argv[1]))
        os.makedirs(dst, exist_ok=True)
        for f in files:
            text = open(os.path.join(d, f), "rb").read().decode("cp932")
            open(os.path.join(dst, f), "wb").write(mark + text.encode(codec))' "$work/wine/tree" "$work" || exit 1
for c in ja_many:case_on ascii_many:case_off ja_few:case_off; do
    counted "$work/wine/tree" "${c%:*}" "${c#*:}"
    for e in utf8 utf8bom utf16le utf16be; do
        search "$work/$e" "${c%:*}" "${c#*:}" "$head" | cmp -s "$work/rows" - ||
            { echo "the wine corpus as $e, $c: rows differ from CP932" >&2; fail=1; }
    done
done
exit $fail
