#!/usr/bin/env python3
"""timeit.py RUNS OUT CMD...: runs CMD once to warm up and RUNS times more,
stdout to OUT (the last run's), and prints the medians of wall and CPU
(user + system) seconds and the largest peak resident set in MB (as
/usr/bin/time reports it: a child forked from this Python process would
count Python's own pages, which exec keeps in the peak)."""
import os, statistics, subprocess, sys, time

runs, out, cmd = int(sys.argv[1]), sys.argv[2], sys.argv[3:]
wall, cpu, rss = [], [], 0
rssfile = out + ".rss"
for i in range(runs + 1):
    with open(out, "wb") as fh:
        t = time.perf_counter()
        p = subprocess.Popen(["/usr/bin/time", "-f", "%M", "-o", rssfile] + cmd, stdout=fh, stderr=subprocess.DEVNULL)
        _, status, ru = os.wait4(p.pid, 0)
        t = time.perf_counter() - t
    if i:
        wall.append(t); cpu.append(ru.ru_utime + ru.ru_stime)
        rss = max(rss, int(open(rssfile).read().split()[-1]))
print("%.3f %.3f %.1f" % (statistics.median(wall), statistics.median(cpu), rss / 1024))
