#!/usr/bin/env python3
"""Real Japanese text no one here wrote, in the encodings read without a mark, against a reference decoder.
  held_out_encodings.py NATIVE_PROBE [SOURCE_TREE]
EUC-JP as Debian ships it: SKK-JISYO.L (skkdic, 175,000 lines) and kakasi's itaijidict (kakasi-dic, kanji only).
iconv, a converter of its own, makes of SKK-JISYO.L and of SOURCE_TREE's Japanese documents (Oniguruma's source, in
UTF-8, as held_out_replace.py takes them) ISO-2022-JP, UTF-16LE and UTF-16BE without a mark, and code page 932,
which is read as it always was; kakasi's kanwadict, a real binary file, must stay binary. The probe searches the tree
with 自動判定, then each folder with its encoding chosen by hand. Every row (file, line, column, text) must be the
reference's: Python's codecs decode each file, a plain search finds the lines, the text shown as code page 932."""
import os, shutil, subprocess, sys, tempfile

probe = sys.argv[1]
work = tempfile.mkdtemp(prefix='tolvane-held-out-enc.')
tree = os.path.join(work, 'tree')
shutil.copy(probe, os.path.join(work, 'probe'))  # its settings beside it, away from any other run's
probe = os.path.join(work, 'probe')
skk, kakasi = '/usr/share/skk/SKK-JISYO.L', '/usr/share/kakasi/'
originals = [(skk, 'EUC-JP')]  # (file, its encoding) for iconv
if len(sys.argv) > 2:
    originals += [(os.path.join(d, n), 'UTF-8') for d, _, ns in os.walk(sys.argv[2]) for n in sorted(ns)
                  if n.endswith('.ja') or 'japanese' in n]
# folder: (iconv's name, Python's codec, the 文字コード entry)
kinds = {'euc': ('EUC-JP', 'euc_jp', 'EUC-JP'), 'jis': ('ISO-2022-JP', 'iso2022_jp', 'JIS'),
         'le': ('UTF-16LE', 'utf-16-le', 'UTF-16LE'), 'be': ('UTF-16BE', 'utf-16-be', 'UTF-16BE'),
         'sjis': ('CP932', 'cp932', 'Shift_JIS')}
files = {}  # path in the tree: Python's codec
for folder, (iconv, codec, _) in kinds.items():
    os.makedirs(os.path.join(tree, folder))
    for path, source in originals + ([(kakasi + 'itaijidict', 'EUC-JP')] if folder == 'euc' else []):
        out = os.path.join(tree, folder, os.path.basename(path))
        with open(out, 'wb') as f:
            if subprocess.run(['iconv', '-f', source, '-t', iconv, path], stdout=f).returncode != 0:
                os.remove(out)  # a character the encoding lacks: no copy
                continue
        files[out] = codec
os.makedirs(os.path.join(tree, 'bin'))
shutil.copy(kakasi + 'kanwadict', os.path.join(tree, 'bin'))
needles = ['文字', '表示', 'ソフト', 'ー', '剣']  # 表 and ソ end in 5C in code page 932; 剣 is in itaijidict
# The JIS forms a row shows as their Microsoft twins, as code page 932 has them.
twins = str.maketrans('\u301c\u2212\u2016\u00a2\u00a3\u00ac\u2014', '\uff5e\uff0d\u2225\uffe0\uffe1\uffe2\u2015')


def shown(text):
    data = text.replace('\t', '    ').translate(twins).encode('cp932', 'replace')
    return data.replace(b'\\', b'\\\\').replace(b'\r', b'\\r').replace(b'\n', b'\\n').decode('cp932')


def reference(folder, needle):
    rows = []
    for path, codec in files.items():
        if not path.startswith(folder):
            continue
        with open(path, 'rb') as f:
            text = f.read().decode(codec)
        rel = shown('\\' + os.path.relpath(path, folder).replace('/', '\\'))
        for n, line in enumerate(text.split('\n'), 1):
            line = line[:-1] if line.endswith('\r') else line
            if needle in line:
                rows.append('\t'.join(['row', rel, '', shown(line), str(n), str(line.index(needle) + 1)]))
    return sorted(rows)


def searches(folder, entry):
    lines = ['set\trefdir\tZ:%s\\' % folder.replace('/', '\\'), 'set\tencoding\t' + entry]
    return [(folder, n) for n in needles], lines + [l for n in needles for l in ('set\tsearch\t' + n, 'click\tsearch', 'dump')]


runs = [searches(tree, '自動判定')] + [searches(os.path.join(tree, f), k[2]) for f, k in kinds.items()]
script = os.path.join(work, 'run.script')
with open(script, 'wb') as f:
    f.write(b'drive\tZ\t/\nclick\tcase_on\nset\theadword\t\nset\text\t\nset\texclude\t\n')
    f.write(''.join(l + '\n' for _, lines in runs for l in lines).encode('cp932'))
out = subprocess.run([probe, script], stdout=subprocess.PIPE, check=True).stdout.decode('cp932', 'surrogateescape').split('\n')
dumps, rows = [], []
for line in out:
    if line.startswith('row\t'):
        rows.append(line)
    elif line.startswith('progress\t'):
        dumps.append(sorted(rows))
        rows = []
boxes = [l.split('\t')[2] for l in out if l.startswith('msgbox\t')]
status = 0
for (folder, needle), got in zip([s for searched, _ in runs for s in searched], dumps):
    want = reference(folder, needle)
    name = '%s in %s' % (needle, os.path.relpath(folder, work))
    if got != want:
        extra, missing = sorted(set(got) - set(want)), sorted(set(want) - set(got))
        print('%s: %d rows, the reference %d; e.g. extra %s, missing %s' % (name, len(got), len(want), extra[:2], missing[:2]))
        status = 1
    else:
        print('%s: %d rows, as the reference' % (name, len(want)))
if len(dumps) != len(needles) * len(runs) or not all('バイナリファイル 1 個を除外しました。' in b for b in boxes[:len(needles)]):
    print('the first searches should each leave out kanwadict as the one binary file: %s' % boxes[:len(needles)])
    status = 1
shutil.rmtree(work, ignore_errors=True)
sys.exit(status)
