#!/usr/bin/env python3
"""timeit.py RUNS OUT CMD... [--- CMD...]: runs each CMD once to warm up and
RUNS times more, the commands taking turns so that a machine that slows down
meanwhile slows them alike. The last run's stdout of the first command goes
to OUT, of the n-th to OUT.n. Prints a line per command: the medians of wall
and CPU (user + system) seconds and the largest peak resident set in MB (as
/usr/bin/time reports it: a child forked from this Python process would
count Python's own pages, which exec keeps in the peak). Each run's output is written back to
disk before the next starts. Then, for each
command after the first, a line "ratio R": the median over the turns of
the first command's wall time over this one's in the same turn, which holds
when the machine's speed drifts between turns."""
import os, statistics, subprocess, sys, time

runs, out, cmds = int(sys.argv[1]), sys.argv[2], [[]]
for arg in sys.argv[3:]:
    if arg == "---":
        cmds.append([])
    else:
        cmds[-1].append(arg)
wall, cpu, rss = [[] for _ in cmds], [[] for _ in cmds], [0 for _ in cmds]
rssfile = out + ".rss"
for i in range(runs + 1):
    for n, cmd in enumerate(cmds):
        with open(out if n == 0 else "%s.%d" % (out, n + 1), "wb") as fh:
            t = time.perf_counter()
            p = subprocess.Popen(["/usr/bin/time", "-f", "%M", "-o", rssfile] + cmd, stdout=fh, stderr=subprocess.DEVNULL)
            _, status, ru = os.wait4(p.pid, 0)
            t = time.perf_counter() - t
        # What a run wrote (rg's 20 MB of rows) is written back to disk
        # here, untimed, not on a processor the next run needs; the pause
        # lets the file system's journal settle too.
        os.sync()
        time.sleep(0.2)
        if i:
            wall[n].append(t); cpu[n].append(ru.ru_utime + ru.ru_stime)
            rss[n] = max(rss[n], int(open(rssfile).read().split()[-1]))
for n in range(len(cmds)):
    print("%.3f %.3f %.1f" % (statistics.median(wall[n]), statistics.median(cpu[n]), rss[n] / 1024))
for n in range(1, len(cmds)):
    print("ratio %.2f" % statistics.median(a / b for a, b in zip(wall[0], wall[n])))
