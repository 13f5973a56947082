#!/usr/bin/env python3
"""replace_bench.py PROBE CORPUS_TREE SCRATCH RUNS: a replace of 10,000 matches in 1,000 files of the benchmark
tree against GNU sed -i on the same files, then its undo against sed -i back.

The first 1,000 files of the tree (by path) are copied and given ten lines each that hold a marker found nowhere
else. Each turn starts from that copy (untimed) and times, in turn: the probe searching the marker and replacing it
(the 置換 button, its confirmation answered OK), the probe's 元に戻す, sed -i of the marker to the replacement and
sed -i back. The search alone is timed as well, so that the replace's own share shows. Backups and flushes to disk
are all in the probe's times; sed flushes nothing. Prints medians and the median of the ratios within a turn."""
import os, shutil, statistics, subprocess, sys, time

probe, tree, scratch, runs = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
MARK, NEW = '置換の目印ＸＹ'.encode('cp932'), '置換済みＺ'.encode('cp932')
orig, work, bindir = (os.path.join(scratch, d) for d in ('orig', 'work', 'bin'))

if not os.path.isdir(orig):
    files = sorted(os.path.join(d, n) for d, _, ns in os.walk(tree) for n in ns)[:1000]
    for f in files:
        dst = os.path.join(orig, os.path.relpath(f, tree))
        os.makedirs(os.path.dirname(dst), exist_ok=True)
        with open(f, 'rb') as fh:
            lines = fh.read().split(b'\n')
        step = max(1, len(lines) // 10)
        for k in range(10):
            lines.insert(min(len(lines), k * step + k), b'line ' + MARK + b' %d\r' % k)
        with open(dst, 'wb') as fh:
            fh.write(b'\n'.join(lines))
shutil.rmtree(bindir, ignore_errors=True)
os.makedirs(bindir)
shutil.copy(probe, os.path.join(bindir, 'tolvane-probe'))


def script(name, lines):
    path = os.path.join(bindir, name)
    with open(path, 'wb') as f:
        f.write(b'drive\tC\t' + work.encode() + b'\n' + b''.join(l + b'\n' for l in lines))
    return path


search = [b'set\trefdir\tC:\\', b'set\tsearch\t' + MARK, b'set\theadword\t', b'set\text\t', b'click\tcase_on',
          b'click\tsearch']
s_search = script('search.script', search)
s_replace = script('replace.script', search + [b'set\treplace\t' + NEW, b'click\treplace'])
s_undo = script('undo.script', [b'sysmenu\t' + '元に戻す'.encode('cp932')])
files = sorted(os.path.join(d, n) for d, _, ns in os.walk(orig) for n in ns)
rel = [os.path.relpath(f, orig) for f in files]


def fresh():
    shutil.rmtree(work, ignore_errors=True)
    shutil.copytree(orig, work)
    for f in ('tolvane.dat', 'tolvane.ini'):
        if os.path.exists(os.path.join(bindir, f)):
            os.remove(os.path.join(bindir, f))
    shutil.rmtree(os.path.join(bindir, 'backup'), ignore_errors=True)
    os.sync()


def timed(cmd, **kw):
    t = time.perf_counter()
    out = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, **kw).stdout
    return time.perf_counter() - t, out


def sed(a, b):
    return ['sed', '-i', b's/' + a + b'/' + b + b'/g'] + rel


times = {k: [] for k in ('search', 'replace', 'undo', 'sed', 'sed back')}
report = b''
for turn in range(runs + 1):
    fresh()
    t_search, _ = timed([os.path.join(bindir, 'tolvane-probe'), s_search])
    fresh()
    t_replace, report = timed([os.path.join(bindir, 'tolvane-probe'), s_replace])
    t_undo, undo = timed([os.path.join(bindir, 'tolvane-probe'), s_undo])
    fresh()
    env = dict(os.environ, LC_ALL='C')
    t_sed, _ = timed(sed(MARK, NEW), cwd=work, env=env)
    t_back, _ = timed(sed(NEW, MARK), cwd=work, env=env)
    if turn > 0:
        for k, v in zip(times, (t_search, t_replace, t_undo, t_sed, t_back)):
            times[k].append(v)
boxes = [l.split(b'\t')[2].decode('cp932', 'replace') for l in report.split(b'\n') if l.startswith(b'msgbox')]
print('replace: %d files, %d markers; the probe said: %s' % (len(files), 10 * len(files), ' / '.join(boxes[-1:])))
med = {k: statistics.median(v) for k, v in times.items()}
ratio = lambda a, b: statistics.median(x / y for x, y in zip(times[a], times[b]))
own = [r - s for r, s in zip(times['replace'], times['search'])]
print('median wall s over %d turns: search %.3f, search + replace %.3f (replace alone %.3f), undo %.3f; '
      'sed -i %.3f, sed -i back %.3f' % (runs, med['search'], med['replace'], statistics.median(own), med['undo'],
                                          med['sed'], med['sed back']))
print('ratios (median within a turn): search + replace / sed -i %.2f, replace alone / sed -i %.2f, '
      'undo / sed -i back %.2f' % (ratio('replace', 'sed'),
                                   statistics.median(o / s for o, s in zip(own, times['sed'])),
                                   ratio('undo', 'sed back')))
