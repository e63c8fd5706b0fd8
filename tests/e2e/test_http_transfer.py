#!/usr/bin/env python3
"""THttpTransfer over WinInet under wine against the project's own loopback server:
bodies with and without a length, a partial answer, a missing file, a connection that
closes early, a refused port, a proxy on loopback and the direct path."""
import os
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "http"))
import loopback  # noqa: E402

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from dextrel_e2e import Failures, scenario_arguments  # noqa: E402

failures = Failures()
check = failures.check


def main():
    args = scenario_arguments()
    work = tempfile.mkdtemp(prefix="dextrel-http-")
    servers = []
    try:
        wine = loopback.Wine(args.bin, work, "http")
        origin = loopback.Server(work, lifetime=300)
        servers.append(origin)
        target = os.path.join(work, "prog.exe.uTMP")
        wtarget = loopback.windows_path(target)

        a = wine.probe(origin.url("/file/100000"))
        check(a.get("outcome") == "complete" and a.get("bytes") == "100000", f"200 with a length: {a}")
        check(int(a.get("progress", 0)) >= 25 and a.get("percent") == "100", f"a progress report per piece: {a}")
        check(a.get("uithread") == "1", f"reports on the user-interface thread: {a}")
        check(a.get("lastmodified") == "1994-11-06T08:49:37", f"Last-Modified read: {a}")

        a = wine.probe(origin.url("/file/100000"), "--file", wtarget, "--hide")
        check(a.get("outcome") == "complete" and a.get("file") == "hidden", f"200 into a hidden file: {a}")
        with open(target, "rb") as f:
            check(f.read() == loopback.pattern_bytes(100000), "the file holds the body")

        a = wine.probe(origin.url("/nolength/50000"), "--file", wtarget)
        check(a.get("outcome") == "complete" and a.get("bytes") == "50000" and a.get("percent") == "0",
              f"200 without a length: {a}")
        check(os.path.getsize(target) == 50000, "the file without a length is whole")

        a = wine.probe(origin.url("/partial/3000"))
        check(a.get("outcome") == "complete" and a.get("status") == "206", f"206: {a}")

        os.remove(target)
        a = wine.probe(origin.url("/missing"), "--file", wtarget)
        check(a.get("outcome") == "http 404" and a.get("file") == "missing", f"404 leaves no file: {a}")
        check(not os.path.exists(target), "404 created no file")

        a = wine.probe(origin.url("/early/200000"), "--file", wtarget)
        check(a.get("outcome") == "lost", f"closed early: {a}")
        check(os.path.exists(target) and 0 < os.path.getsize(target) <= 100000, "the part written stays")

        a = wine.probe(f"http://127.0.0.1:{loopback.refused_port()}/file/10", "--direct")
        check(a.get("outcome") == "no answer" and a.get("status") == "-1", f"refused port: {a}")

        a = wine.probe(f"127.0.0.1:{origin.port}/file/10", "--direct")
        check(a.get("outcome") == "complete" and a.get("bytes") == "10", f"a URL without a scheme: {a}")

        log = os.path.join(work, "proxy.log")
        proxy = loopback.Server(work, "--proxy", "--log", log, lifetime=300)
        servers.append(proxy)
        a = wine.probe(origin.url("/file/20000"), "--proxy", f"127.0.0.1:{proxy.port}", "--bypass", "")
        check(a.get("outcome") == "complete" and a.get("bytes") == "20000", f"through the proxy: {a}")
        logged = open(log).read() if os.path.exists(log) else ""
        check(f"GET {origin.url('/file/20000')}" in logged, f"the proxy forwarded the request: {logged!r}")

        a = wine.probe(origin.url("/file/20001"), "--proxy", f"127.0.0.1:{proxy.port}")
        logged = open(log).read() if os.path.exists(log) else ""
        check(a.get("outcome") == "complete" and "/file/20001" not in logged,
              f"the default bypass keeps 127.0.0.1 off the proxy: {a} {logged!r}")

        a = wine.probe(origin.url("/file/20002"), "--direct")
        logged = open(log).read() if os.path.exists(log) else ""
        check(a.get("outcome") == "complete" and "/file/20002" not in logged, f"direct: {a}")

        guarded = loopback.Server(work, "--proxy", "--proxy-auth", "tom:secret", lifetime=300)
        servers.append(guarded)
        a = wine.probe(origin.url("/file/10"), "--proxy", f"127.0.0.1:{guarded.port}", "--bypass", "",
                       "--file", wtarget + "2")
        check(a.get("outcome") == "http 407" and a.get("file") == "missing", f"a proxy wanting a password: {a}")
        a = wine.probe(origin.url("/file/10"), "--proxy", f"127.0.0.1:{guarded.port}", "--bypass", "",
                       "--proxy-user", "tom", "--proxy-password", "wrong")
        check(a.get("outcome") == "http 407", f"a proxy refusing the account: {a}")
        a = wine.probe(origin.url("/file/10"), "--proxy", f"127.0.0.1:{guarded.port}", "--bypass", "",
                       "--proxy-user", "tom", "--proxy-password", "secret")
        check(a.get("outcome") == "complete", f"a proxy taking the account: {a}")
    finally:
        for server in servers:
            server.stop()
        shutil.rmtree(work, ignore_errors=True)
    failures.exit("http transfer")


if __name__ == "__main__":
    sys.exit(main())
