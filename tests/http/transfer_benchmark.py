#!/usr/bin/env python3
"""Measures THttpTransfer's throughput under wine for one 50 MB file from the loopback
server, next to a bare WinInet read loop, the floor of a synchronous hand-over (the bare
loop on a worker that sends every piece to a window of another thread and waits, as
THttpTransfer must for its progress reports) and curl on the same file in the same run.
A cross-thread SendMessage under wine varies by more than THttpTransfer's own cost, so
the three wine figures are taken over several rounds, in an order that alternates, and
their medians compared. Prints the figures and THttpTransfer's share of the floor; it
asserts nothing.

    python3 tests/http/transfer_benchmark.py --bin BUILD_WIN [--size BYTES] [--rounds N]"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import loopback  # noqa: E402

BARE = "bare WinInet loop (4096-byte reads)"
FLOOR = "floor: bare loop, each piece sent to another thread"
TRANSFER = "THttpTransfer (file, 4096-byte reads, reports)"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--size", type=int, default=50 * 1024 * 1024)
    parser.add_argument("--rounds", type=int, default=5)
    args = parser.parse_args()
    work = tempfile.mkdtemp(prefix="dextrel-bench-")
    server = None
    try:
        wine = loopback.Wine(args.bin, work, "bench")
        server = loopback.Server(work, lifetime=900)
        target = os.path.join(work, "big.uTMP")
        mb = args.size / (1024 * 1024)
        times = {BARE: [], FLOOR: [], TRANSFER: []}
        complete = {name: True for name in times}

        def url(client):
            # A fresh query per client, so no client is served from the system's cache.
            return server.url(f"/file/{args.size}?client={client}")

        def measure(name, n):
            if name == BARE:
                a = wine.probe("--bare", url(f"bare{n}"), timeout=600)
                ok = a.get("bytes") == str(args.size)
            elif name == FLOOR:
                a = wine.probe("--floor", url(f"floor{n}"), timeout=600)
                ok = a.get("bytes") == str(args.size) and a.get("handed") == str(args.size)
            else:
                a = wine.probe(url(f"transfer{n}"), "--file", loopback.windows_path(target), "--quiet", timeout=600)
                ok = a.get("outcome") == "complete" and os.path.getsize(target) == args.size
            complete[name] = complete[name] and ok
            times[name].append(max(int(a.get("ms", "0")), 1))

        for n in range(args.rounds):
            order = [BARE, FLOOR, TRANSFER] if n % 2 == 0 else [TRANSFER, FLOOR, BARE]
            for name in order:
                measure(name, n)

        started = time.monotonic()
        curl = subprocess.run(["curl", "-s", "--noproxy", "*", "-o", target, url("curl")], stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=600)
        curl_ms = max(int((time.monotonic() - started) * 1000), 1)
        curl_ok = curl.returncode == 0 and os.path.getsize(target) == args.size

        def line(name, ms, ok, runs=""):
            print(f"  {name:50s} {ms:7.0f} ms  {mb / (ms / 1000):8.1f} MB/s{'' if ok else '  (incomplete!)'}{runs}")

        print(f"{mb:.0f} MB from 127.0.0.1, median of {args.rounds} rounds")
        for name, runs in times.items():
            line(name, statistics.median(runs), complete[name], "   (" + ", ".join(map(str, runs)) + " ms)")
        line("curl (native)", curl_ms, curl_ok)
        share = statistics.median(times[FLOOR]) / statistics.median(times[TRANSFER])
        print(f"  THttpTransfer keeps {100 * share:.0f} % of the floor's throughput")
    finally:
        if server:
            server.stop()
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
