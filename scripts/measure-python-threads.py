#!/usr/bin/env python3
"""How mt1d.forward scales over Python threads: 10^4 models of 6 layers at 40 frequencies,
computed by one thread, then split between two (the interpreter's lock is released while the
kernel runs). Prints the median of 7 runs of each and their ratio.

    PYTHONPATH=build/python python3 scripts/measure-python-threads.py
"""

import statistics
import threading
import time

import numpy as np

import mt1d

MODELS, LAYERS, RUNS = 10_000, 6, 7
rng = np.random.default_rng(1)
rho = 10 ** rng.uniform(0, 3, (MODELS, LAYERS))
h = 10 ** rng.uniform(1, 3, (MODELS, LAYERS - 1))
f = np.logspace(-3, 3, 40)


def timed(threads):
    parts = np.array_split(np.arange(MODELS), threads)
    workers = [threading.Thread(target=mt1d.forward, args=(rho[p], h[p], f)) for p in parts]
    start = time.perf_counter()
    for w in workers:
        w.start()
    for w in workers:
        w.join()
    return time.perf_counter() - start


mt1d.forward(rho, h, f)  # warm up
one = statistics.median(timed(1) for _ in range(RUNS))
two = statistics.median(timed(2) for _ in range(RUNS))
print(f"1 thread:  {one * 1e3:.1f} ms for {MODELS} models ({one / MODELS * 1e6:.2f} µs per model)")
print(f"2 threads: {two * 1e3:.1f} ms (ratio {two / one:.2f})")
