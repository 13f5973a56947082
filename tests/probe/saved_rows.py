#!/usr/bin/env python3
"""The rows saved by 結果を保存..., read back by Python's own csv and json modules: each
type holds every row's file, line, column, headword and text as the list shows them, and
JSON Lines the marks. With a Windows probe too, both builds must save the same bytes.
    saved_rows.py NATIVE_PROBE [WINDOWS_PROBE_EXE]"""
import csv, io, json, os, shutil, subprocess, sys, tempfile

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
# A field with quotes and commas, one that reads like a CSV record, a lone CR inside a
# line, tabs before a match, a 5C trail byte and a match at the line's end.
LINES = ['## 見出し\t一', 'foo, "bar" foofoo', 'x,"foo",\rz', '\tソ\\foo', '## 二', 'end foo']
TEXT = '\r\n'.join(LINES).encode('cp932')
ROWS = [  # line, column, headword, text, marks in characters
    (2, 1, '## 見出し    一', 'foo, "bar" foofoo', [[0, 3], [11, 3], [14, 3]]),
    (3, 4, '## 見出し    一', 'x,"foo",\rz', [[3, 3]]),
    (4, 4, '## 見出し    一', '    ソ\\foo', [[6, 3]]),
    (6, 5, '## 二', 'end foo', [[4, 3]]),
]
# A UTF-8 file: the types in UTF-8 keep what code page 932 lacks, tag jump lines show '?'.
UNICODE = 'é foo 𠀋\tfoo\n'.encode('utf-8')
UNICODE_ROW = (1, 3, '', 'é foo 𠀋    foo', [[2, 3], [11, 3]])
TYPES = {'tsv': 'a.tsv', 'csv': 'a.csv', 'tagjump': 'a.txt', 'jsonl': 'a.jsonl'}


def run(probe, work):
    data = os.path.join(work, 'data')
    os.makedirs(data)
    with open(os.path.join(data, 'a.txt'), 'wb') as f:
        f.write(TEXT)
    with open(os.path.join(data, 'u.txt'), 'wb') as f:
        f.write(UNICODE)
    shutil.copy(probe, work)
    wine = probe.endswith('.exe')
    if wine:
        folder = 'Z:' + data.replace('/', '\\') + '\\'
        lines = []
    else:
        folder = 'C:\\'
        lines = ['drive\tC\t' + data]
    lines += ['set\trefdir\t' + folder, 'set\theadword\t##', 'set\tsearch\tfoo', 'click\tsearch']
    lines += ['export\t%s\t%s%s' % (t, folder, name) for t, name in TYPES.items()]
    script = os.path.join(work, 'saved.script')
    with open(script, 'wb') as f:
        f.write('\n'.join(lines).encode('cp932') + b'\n')
    exe = os.path.join(work, os.path.basename(probe))
    for _ in range(3):  # Wine now and then cannot reach the display: exit 3
        if wine:
            cmd = [os.path.join(REPO, 'tools/wine-run.sh'), exe, 'Z:' + script.replace('/', '\\')]
        else:
            cmd = [exe, script]
        rc = subprocess.run(cmd, stdout=subprocess.DEVNULL).returncode
        if rc != 3 or not wine:
            break
    if rc != 0:
        sys.exit('%s exited with %d' % (probe, rc))
    return {t: open(os.path.join(data, name), 'rb').read() for t, name in TYPES.items()}, folder


def check(saved, folder):
    # The rows come in the order of the folder's listing, which the disk decides.
    rows = [('a.txt',) + r for r in ROWS] + [('u.txt',) + UNICODE_ROW]
    want = sorted(['\\' + f, str(l), str(c), h, t] for f, l, c, h, t, _ in rows)
    header = ['ファイル名', '行', '桁', '見出し語', '一致内容']
    bad = []
    tsv, csv_bytes = saved['tsv'], saved['csv']
    if not tsv.startswith(b'\xef\xbb\xbf') or not csv_bytes.startswith(b'\xef\xbb\xbf'):
        bad.append('TSV and CSV start with a UTF-8 byte-order mark')
    # The TSV is read by tabs and line ends alone: a field holds neither (a lone CR is a blank there).
    got = list(csv.reader(io.StringIO(tsv.decode('utf-8-sig'), newline=''), delimiter='\t', quoting=csv.QUOTE_NONE))
    got[1:] = sorted(got[1:])
    if got != [header] + sorted(r[:4] + [r[4].replace('\r', ' ')] for r in want):
        bad.append('TSV rows: %r' % got)
    got = list(csv.reader(io.StringIO(csv_bytes.decode('utf-8-sig'), newline='')))
    got[1:] = sorted(got[1:])
    if got != [header] + want:
        bad.append('CSV rows: %r' % got)
    tag = sorted(('%s%s(%d,%d): %s' % (folder, f, l, c, t)).encode('cp932', 'replace') for f, l, c, _, t, _ in rows)
    if sorted(saved['tagjump'].split(b'\r\n')) != [b''] + tag:
        bad.append('tag jump lines: %r' % saved['tagjump'])
    objects = sorted((json.loads(line) for line in saved['jsonl'].decode('utf-8').split('\n') if line),
                     key=lambda o: (o['path'], o['line']))
    want_objects = [{'path': folder + f, 'line': l, 'column': c, 'headword': h, 'text': t, 'matches': m}
                    for f, l, c, h, t, m in rows]
    if objects != want_objects:
        bad.append('JSON Lines: %r' % objects)
    for _, l, c, h, t, marks in rows:
        if [t[s:s + n] for s, n in marks] != ['foo'] * len(marks):
            bad.append('marks of %r do not fall on the matches' % t)
    return bad


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    work = tempfile.mkdtemp(prefix='tolvane-saved.')
    try:
        native, path = run(sys.argv[1], os.path.join(work, 'native'))
        bad = check(native, path)
        if len(sys.argv) == 3:
            windows, wpath = run(sys.argv[2], os.path.join(work, 'windows'))
            bad += ['Windows: ' + b for b in check(windows, wpath)]
            for t in TYPES:  # the paths differ by nature: C:\ against Z:\...
                n, w = native[t], windows[t]
                for p, to in ((path.replace('\\', '\\\\'), b'@'), (path, b'@')):  # JSON's escaped form first
                    n = n.replace(p.encode('cp932' if t == 'tagjump' else 'utf-8'), to)
                for p, to in ((wpath.replace('\\', '\\\\'), b'@'), (wpath, b'@')):
                    w = w.replace(p.encode('cp932' if t == 'tagjump' else 'utf-8'), to)
                if sorted(n.split(b'\n')) != sorted(w.split(b'\n')):  # the same lines, in either order
                    bad.append('the builds saved other %s bytes' % t)
    finally:
        shutil.rmtree(work)
    for b in bad:
        print(b, file=sys.stderr)
    sys.exit(1 if bad else 0)


main()
