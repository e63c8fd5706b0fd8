#!/usr/bin/env python3
"""Measures THttpTransfer's throughput under wine for one 50 MB file from the loopback
server, next to a bare WinInet read loop, the floor of a synchronous hand-over (the bare
loop on a worker that sends every piece to a window of another thread and waits, as
THttpTransfer must for its progress reports) and curl on the same file in the same run.
Prints the figures and THttpTransfer's share of the floor; it asserts nothing.

    python3 tests/http/transfer_benchmark.py --bin BUILD_WIN [--size BYTES]"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import loopback  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--size", type=int, default=50 * 1024 * 1024)
    args = parser.parse_args()
    work = tempfile.mkdtemp(prefix="dextrel-bench-")
    server = None
    try:
        wine = loopback.Wine(args.bin, work, "bench")
        server = loopback.Server(work, lifetime=900)
        # A fresh query per client, so no client is served from the system's cache.
        url = server.url(f"/file/{args.size}?client=")
        target = os.path.join(work, "big.uTMP")
        mb = args.size / (1024 * 1024)
        rows = []

        a = wine.probe("--bare", url + "bare", timeout=600)
        ms = max(int(a.get("ms", "0")), 1)
        rows.append(("bare WinInet loop (4096-byte reads)", ms, a.get("bytes") == str(args.size)))

        a = wine.probe("--floor", url + "floor", timeout=600)
        ms = max(int(a.get("ms", "0")), 1)
        floor_ok = a.get("bytes") == str(args.size) and a.get("handed") == str(args.size)
        rows.append(("floor: bare loop, each piece sent to another thread", ms, floor_ok))
        floor_ms = ms

        a = wine.probe(url + "transfer", "--file", loopback.windows_path(target), "--quiet", timeout=600)
        ok = a.get("outcome") == "complete" and os.path.getsize(target) == args.size
        ms = max(int(a.get("ms", "0")), 1)
        rows.append(("THttpTransfer (file, 4096-byte reads, reports)", ms, ok))
        transfer_ms = ms

        started = time.monotonic()
        curl = subprocess.run(["curl", "-s", "--noproxy", "*", "-o", target, url + "curl"], stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=600)
        ms = max(int((time.monotonic() - started) * 1000), 1)
        rows.append(("curl (native)", ms, curl.returncode == 0 and os.path.getsize(target) == args.size))

        print(f"{mb:.0f} MB from 127.0.0.1")
        for name, ms, ok in rows:
            print(f"  {name:50s} {ms:7d} ms  {mb / (ms / 1000):8.1f} MB/s{'' if ok else '  (incomplete!)'}")
        print(f"  THttpTransfer keeps {100 * floor_ms / transfer_ms:.0f} % of the floor's throughput")
    finally:
        if server:
            server.stop()
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
