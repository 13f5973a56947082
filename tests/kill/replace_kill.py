#!/usr/bin/env python3
"""Kill trials of a replace: the probe searches a tree of 2,000 files and replaces in all of them, and is killed
(SIGKILL) at a random moment of that run. After each kill every file must be its old bytes or its new bytes whole;
the next start (which undoes the replace) must leave no temporary file and give back the old tree exactly.
  replace_kill.py NATIVE_PROBE COUNT [WINDOWS_PROBE_EXE COUNT]
The Windows build, given, is killed COUNT times under Wine on the same tree (Wine's Z: is the host's root, as the
native probe's drive Z: is)."""
import os, random, shutil, subprocess, sys, tempfile, time

FILES, FOLDERS = 2000, 40


def make_tree(root):
    """Code page 932 files mostly, some UTF-8 and UTF-16LE ones, each with a few lines to replace."""
    rng = random.Random(7)
    for i in range(FILES):
        folder = os.path.join(root, 'd%02d' % (i % FOLDERS))
        os.makedirs(folder, exist_ok=True)
        lines = ['行 %d ファイル %d の本文\r\n' % (k, i) if rng.random() > 0.15 else '目印 %d です\r\n' % k
                 for k in range(20)] + ['最後の目印']
        text = ''.join(lines)
        kind = i % 10
        data = (b'\xff\xfe' + text.encode('utf-16-le')) if kind == 0 else text.encode('utf-8' if kind == 1 else 'cp932')
        with open(os.path.join(folder, 'f%04d.txt' % i), 'wb') as f:
            f.write(data)


def snapshot(root):
    out = {}
    for d, _, names in os.walk(root):
        for n in names:
            p = os.path.join(d, n)
            with open(p, 'rb') as f:
                out[os.path.relpath(p, root)] = f.read()
    return out


def winpath(p):
    return 'Z:' + p.replace('/', '\\')


def main():
    args = sys.argv[1:]
    if len(args) not in (2, 4):
        sys.exit(__doc__)
    work = tempfile.mkdtemp(prefix='tolvane-replace-kill.')
    status = 0
    try:
        tree, orig = os.path.join(work, 'tree'), os.path.join(work, 'orig')
        make_tree(orig)
        old = snapshot(orig)

        def script(path, lines, native):
            with open(path, 'wb') as f:
                f.write((('drive\tZ\t/\n' if native else '') + ''.join(l + '\n' for l in lines)).encode('cp932'))

        run_lines = ['set\trefdir\t%s\\' % winpath(tree), 'set\tsearch\t目印', 'click\tsearch',
                     'set\treplace\t置換済みの印', 'click\treplace']

        def trials(label, count, command, bindir, native, settle):
            nonlocal status
            full, undo = os.path.join(bindir, 'run.script'), os.path.join(bindir, 'undo.script')
            script(full, run_lines, native)
            script(undo, ['sysmenu\t元に戻す'], native)
            arg = (lambda p: p) if native else winpath

            def fresh():
                shutil.rmtree(tree, ignore_errors=True)
                shutil.copytree(orig, tree)
                shutil.rmtree(os.path.join(bindir, 'backup'), ignore_errors=True)

            fresh()
            start = time.time()
            subprocess.run(command + [arg(full)], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            settle()
            took = time.time() - start
            new = snapshot(tree)
            if sum(new[k] != old[k] for k in old) != FILES or set(new) != set(old):
                print('%s: the reference run did not replace in every file' % label)
                status = 1
                return
            replaced = []
            for t in range(1, count + 1):
                fresh()
                delay = random.uniform(0, took * 0.9)
                p = subprocess.Popen(command + [arg(full)], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                time.sleep(delay)
                p.kill()
                p.wait()
                settle()
                now = snapshot(tree)
                mixed = [k for k in old if now.get(k) not in (old[k], new[k])]
                if mixed:
                    print('%s trial %d (kill after %.3f s): %d files neither old nor new, e.g. %s'
                          % (label, t, delay, len(mixed), mixed[0]))
                    status = 1
                replaced.append(sum(now.get(k) == new[k] for k in old))
                subprocess.run(command + [arg(undo)], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                settle()
                after = snapshot(tree)
                if after != old:
                    extra = sorted(set(after) - set(old))
                    wrong = [k for k in old if after.get(k) != old[k]]
                    print('%s trial %d (kill after %.3f s): undo after the restart left %d files other than '
                          'before and %d more files (%s)' % (label, t, delay, len(wrong), len(extra), extra[:3]))
                    status = 1
            print('%s: %d kills over a run of %.1f s; files replaced when killed: none in %d, all in %d, '
                  'some in %d' % (label, count, took, replaced.count(0), replaced.count(FILES),
                                  len([r for r in replaced if 0 < r < FILES])))

        native_bin = os.path.join(work, 'bin')
        os.makedirs(native_bin)
        shutil.copy(args[0], os.path.join(native_bin, 'probe'))
        trials('native', int(args[1]), [os.path.join(native_bin, 'probe')], native_bin, True, lambda: None)
        if len(args) == 4 and int(args[3]) > 0:
            win_bin = os.path.join(work, 'win')
            os.makedirs(win_bin)
            shutil.copy(args[2], os.path.join(win_bin, 'probe.exe'))
            env = dict(os.environ, LANG='ja_JP.UTF-8', LC_ALL='ja_JP.UTF-8', WINEDEBUG='-all',
                       WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d')
            env.setdefault('WINEPREFIX', os.environ.get('TOLVANE_WINEPREFIX',
                                                         os.path.join(os.path.dirname(__file__), '../../build/wineprefix')))
            os.environ.update(env)

            def wine_settle():
                if subprocess.run(['timeout', '60', 'wineserver', '-w']).returncode != 0:
                    subprocess.run(['wineserver', '-k'])

            trials('windows', int(args[3]), ['wine', os.path.join(win_bin, 'probe.exe')], win_bin, False, wine_settle)
    finally:
        if not os.environ.get('KEEP'):
            shutil.rmtree(work, ignore_errors=True)
    sys.exit(status)


main()
