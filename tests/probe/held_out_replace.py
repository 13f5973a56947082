#!/usr/bin/env python3
"""A replace on a real tree no one here wrote, compared byte for byte with a reference that works on bytes.
  held_out_replace.py NATIVE_PROBE SOURCE_TREE
SOURCE_TREE is Debian's source of Oniguruma, which the Windows builds are made from: C sources and documents, its
Japanese ones in UTF-8. Its Japanese documents are added as code page 932 and as UTF-16LE with a mark. The probe
replaces a Japanese text with the plain search, and a function call with a regular expression and its group; perl
does the same to the UTF-8 bytes, and the other copies are converted from its result."""
import os, re, shutil, subprocess, sys, tempfile

probe, source = sys.argv[1], sys.argv[2]
work = tempfile.mkdtemp(prefix='tolvane-held-out.')
tree, ref = os.path.join(work, 'tree'), os.path.join(work, 'ref')
# A probe of its own: the settings it saves beside itself would carry one run's check boxes into the next.
shutil.copy(probe, os.path.join(work, 'probe'))
probe = os.path.join(work, 'probe')
shutil.copytree(source, tree, ignore=shutil.ignore_patterns('.pc', '*.o', '*.a'))
japanese = [os.path.join(d, n) for d, _, ns in os.walk(tree) for n in ns if n.endswith('.ja') or 'japanese' in n]
copies = {}  # copy: (its original, encoding)
for f in japanese:
    text = open(f, 'rb').read().decode('utf-8')
    for enc, suffix, mark in (('cp932', '.sjis', b''), ('utf-16-le', '.utf16', b'\xff\xfe')):
        try:
            data = mark + text.encode(enc)
        except UnicodeEncodeError:
            continue
        with open(f + suffix, 'wb') as out:
            out.write(data)
        copies[f + suffix] = (f, enc, mark)


def run(lines):
    script = os.path.join(work, 'run.script')
    with open(script, 'wb') as f:
        f.write(('drive\tZ\t/\nset\trefdir\tZ:%s\\\nclick\tcase_on\n' % tree.replace('/', '\\')).encode('cp932') +
                b''.join(l.encode('cp932') + b'\n' for l in lines))
    out = subprocess.run([probe, script], stdout=subprocess.PIPE, check=True).stdout
    return [l for l in out.split(b'\n') if l.startswith(b'msgbox')]


# The reference: every match in the UTF-8 files, on their bytes; the copies from its result.
shutil.copytree(tree, ref)
passes = [(['set\tsearch\t正規表現', 'click\tsearch', 'set\treplace\t《正規表現》\\', 'click\treplace'],
           lambda b: b.replace('正規表現'.encode(), '《正規表現》\\'.encode())),
          (['click\tregex', 'set\tsearch\tonig_(\\w+)\\(', 'click\tsearch', 'set\treplace\tONIG_$1 (',
            'click\treplace'], lambda b: re.sub(rb'onig_([A-Za-z0-9_]+)\(', rb'ONIG_\1 (', b))]
status = 0
for lines, reference in passes:
    boxes = run(lines)
    for d, _, names in os.walk(ref):
        for n in names:
            p = os.path.join(d, n)
            if os.path.join(tree, os.path.relpath(p, ref)) in copies:
                continue  # made from its original below
            with open(p, 'rb') as f:
                data = f.read()
            with open(p, 'wb') as f:
                f.write(reference(data))
    for copy, (original, enc, mark) in copies.items():
        text = open(os.path.join(ref, os.path.relpath(original, tree)), 'rb').read().decode('utf-8')
        with open(os.path.join(ref, os.path.relpath(copy, tree)), 'wb') as f:
            f.write(mark + text.encode(enc))
    said = [l.split('\t')[2] for l in lines if l.startswith('set\t')]
    print(' -> '.join(said), ':', boxes[-1].decode('cp932', 'replace').split('\t')[2])
files = [os.path.relpath(os.path.join(d, n), tree) for d, _, ns in os.walk(tree) for n in ns]
same = lambda a, b: open(a, 'rb').read() == open(b, 'rb').read()
changed = [f for f in files
           if os.path.join(tree, f) not in copies and not same(os.path.join(tree, f), os.path.join(source, f))]
wrong = [f for f in files if not same(os.path.join(tree, f), os.path.join(ref, f))]
if wrong or not changed or len(files) != sum(len(ns) for _, _, ns in os.walk(ref)):
    print('%d of %d files differ from the reference, e.g. %s' % (len(wrong), len(files), wrong[:5]))
    status = 1
else:
    print('%d files (%d of the source tree changed), all byte for byte as the reference' % (len(files), len(changed)))
shutil.rmtree(work, ignore_errors=True)
sys.exit(status)
