"""Shared pieces of the transfer tests and the benchmark: the loopback server, wine with
the project's prefix, and the probe program's answers."""
import os
import socket
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Server:
    """tests/http/test_server.py on 127.0.0.1, ended by stop() or after its lifetime."""

    def __init__(self, work, *args, lifetime=600):
        self.port_file = os.path.join(work, f"port-{time.monotonic_ns()}")
        self.process = subprocess.Popen(
            [sys.executable, os.path.join(HERE, "test_server.py"), "--port-file", self.port_file,
             "--lifetime", str(lifetime), *args],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
        deadline = time.monotonic() + 15
        while not os.path.exists(self.port_file):
            if time.monotonic() > deadline or self.process.poll() is not None:
                self.stop()
                raise RuntimeError("the loopback server did not start")
            time.sleep(0.05)
        with open(self.port_file) as f:
            self.port = int(f.read())

    def url(self, path):
        return f"http://127.0.0.1:{self.port}{path}"

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


def refused_port():
    """A loopback port nobody listens on."""
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Wine:
    def __init__(self, bin_dir, work, name):
        self.bin_dir = os.path.abspath(bin_dir)
        self.work = work
        self.env = dict(os.environ, WINEDEBUG="-all", WINEARCH="win64",
                        WINEDLLOVERRIDES="mshtml=d;mscoree=d;winemenubuilder.exe=d")
        # No proxy of the machine's own may come between the client and the loopback server.
        for key in ("http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "no_proxy", "NO_PROXY"):
            self.env.pop(key, None)
        self.server = None
        if "WINEPREFIX" in os.environ and os.path.exists(os.path.join(os.environ["WINEPREFIX"], ".dextrel-ready")):
            return
        ready = os.path.join(self.bin_dir, "wineprefix", ".dextrel-ready")
        if os.path.exists(ready):
            self.env["WINEPREFIX"] = os.path.join(self.bin_dir, "wineprefix")
            return
        root = os.environ.get("WINEPREFIX_ROOT", os.path.join(self.bin_dir, "e2e-prefixes"))
        self.env["WINEPREFIX"] = os.path.join(root, name)
        scripts = os.environ.get("SCRIPTS_DIR", os.path.join(HERE, "..", "..", "scripts"))
        subprocess.run(["bash", "-c", '. "$0/wine-env.sh" && wine_env_prepare', scripts], env=self.env,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=300, check=True)

    def run(self, program, *args, timeout=120):
        """Runs a console program; its standard output as text (files, not pipes: wine's
        background processes would hold a pipe open)."""
        fd, out_path = tempfile.mkstemp(dir=self.work, suffix=".out")
        os.close(fd)
        with open(out_path, "wb") as out:
            code = subprocess.run(["wine", os.path.join(self.bin_dir, program), *args], env=self.env,
                                  stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.DEVNULL,
                                  timeout=timeout).returncode
        with open(out_path, encoding="cp1252", errors="replace") as out:
            text = out.read()
        os.remove(out_path)
        return code, text

    def probe(self, *args, timeout=120):
        code, text = self.run("http_probe.exe", *args, timeout=timeout)
        answer = {"exit": code}
        for line in text.splitlines():
            key, _, value = line.strip().partition("=")
            if key:
                answer[key] = value
        return answer


def pattern_bytes(n):
    pattern = bytes((i * 7 + 3) % 251 for i in range(1 << 16))
    whole, rest = divmod(n, len(pattern))
    return pattern * whole + pattern[:rest]
