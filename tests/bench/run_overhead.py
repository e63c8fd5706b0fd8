#!/usr/bin/env python3
"""Measures the program's own time per game run under wine: from the simulated game's
exit to the next game's start, less the three fixed waits of 1000 ms between runs.
The moments are taken from the game's record file, watched every few milliseconds.
Prints the figures; not a test.

  python3 tests/bench/run_overhead.py --bin build/win [--runs 5]
"""
import argparse
import os
import sys
import threading
import time

root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(root, "tests", "e2e"))
from dextrel_e2e import Failures, Wine, control_ids  # noqa: E402
from test_benchmark import Scenario  # noqa: E402

FIXED_WAITS_MS = 3000  # one before recording, two inside it


def watch(path, moments, stop):
    """Timestamps every line appended to path."""
    seen = 0
    while not stop.is_set():
        if os.path.exists(path):
            with open(path, encoding="cp1252", errors="replace") as f:
                lines = f.read().splitlines()
            now = time.perf_counter()
            for line in lines[seen:]:
                moments.append((now, line))
            seen = len(lines)
        time.sleep(0.003)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--runs", type=int, default=5, choices=range(2, 6))
    args = parser.parse_args()
    wine = Wine(args.bin, root, "run_overhead")
    f = Failures()
    s = Scenario(wine, control_ids(root), f)
    wine.reg_add(r"HKLM\SOFTWARE\Tamberlin\Dextrel", "Display Memory", "128.0 MB")
    moments, stop = [], threading.Event()
    watcher = threading.Thread(target=watch, args=(s.record, moments, stop), daemon=True)
    try:
        if not s.start(DEXTREL_SIM_PLAY_MS="300", DEXTREL_SIM_FPS="100"):
            return 1
        s.choose(presets=[0], runs=args.runs, quality=1)
        watcher.start()
        s.press_run()
        if not s.wait_idle(60 + 10 * args.runs):
            print("the benchmark did not end", file=sys.stderr)
            return 1
        time.sleep(0.5)
    finally:
        stop.set()
        wine.kill_started()
    starts = [t for t, line in moments if line.startswith("commandline=")]
    exits = [t for t, line in moments if line.startswith("exit=")]
    gaps = [(starts[i + 1] - exits[i]) * 1000 - FIXED_WAITS_MS for i in range(min(len(exits), len(starts) - 1))]
    print(f"game runs: {len(starts)}")
    for i, gap in enumerate(gaps, 1):
        print(f"between run {i} and {i + 1}: {gap:7.1f} ms beyond the fixed {FIXED_WAITS_MS} ms")
    if gaps:
        print(f"mean overhead per run: {sum(gaps) / len(gaps):.1f} ms (includes wine's process start, "
              f"watch resolution ~3 ms)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
