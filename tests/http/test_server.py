#!/usr/bin/env python3
"""A small HTTP server on 127.0.0.1 for the transfer tests and the benchmark.

Routes (n is a byte count):
  /file/n       200 with Content-Length and Last-Modified
  /nolength/n   200 without Content-Length; the connection closes after the body
  /partial/n    206 with Content-Length and Content-Range
  /missing      404 with a short body
  /early/n      announces n bytes, sends half of them and closes the connection
  /slow/n       like /file/n but pauses between pieces
  anything else with --root DIR: the file of that path under DIR, when there is one
An absolute request URI, as a client sends it to a proxy, is answered for any host from
the same routes, so a client told to use this server as its proxy reaches it for every
host name.
With --proxy it is instead a forwarding proxy for absolute request URIs, which logs
every request line it forwards to --log. With --proxy-auth USER:PASSWORD it answers
407 until the request carries that account.

The chosen port is written to --port-file. The server ends by itself after --lifetime
seconds, so a test that dies cannot leave it running."""
import argparse
import base64
import http.server
import os
import socket
import sys
import threading
import urllib.request

LAST_MODIFIED = "Sun, 06 Nov 1994 08:49:37 GMT"
PATTERN = bytes((i * 7 + 3) % 251 for i in range(1 << 16))


def body_bytes(n):
    whole, rest = divmod(n, len(PATTERN))
    return PATTERN * whole + PATTERN[:rest]


def send_body(wfile, n, pause=0.0):
    sent = 0
    while sent < n:
        piece = min(len(PATTERN), n - sent)
        wfile.write(PATTERN[:piece])
        sent += piece
        if pause:
            wfile.flush()
            threading.Event().wait(pause)


class Origin(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    root = None
    log_path = None

    def log_message(self, *args):
        pass

    def number(self):
        try:
            return max(0, int(self.path.rstrip("/").rsplit("/", 1)[1].split("?")[0]))
        except (IndexError, ValueError):
            return 0

    def served_file(self, path):
        """The file under --root for the path, or None (never one outside it)."""
        if not self.root:
            return None
        root = os.path.realpath(self.root)
        wanted = os.path.realpath(os.path.join(root, path.split("?")[0].lstrip("/")))
        if wanted.startswith(root + os.sep) and os.path.isfile(wanted):
            return wanted
        return None

    def do_GET(self):
        path = self.path
        if path.startswith("http://"):  # an absolute URI reached the origin directly
            path = "/" + path.split("/", 3)[3]
        if self.log_path:
            with open(self.log_path, "a") as log:
                log.write(self.requestline + "\n")
        n = self.number()
        served = self.served_file(path)
        if served:
            with open(served, "rb") as f:
                data = f.read()
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Content-Length", str(len(data)))
            self.send_header("Last-Modified", LAST_MODIFIED)
            self.end_headers()
            self.wfile.write(data)
        elif path.startswith("/file/") or path.startswith("/slow/"):
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Content-Length", str(n))
            self.send_header("Last-Modified", LAST_MODIFIED)
            self.end_headers()
            send_body(self.wfile, n, 0.05 if path.startswith("/slow/") else 0.0)
        elif path.startswith("/nolength/"):
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Connection", "close")
            self.end_headers()
            send_body(self.wfile, n)
            self.close_connection = True
        elif path.startswith("/partial/"):
            self.send_response(206)
            self.send_header("Content-Length", str(n))
            self.send_header("Content-Range", f"bytes 0-{max(n - 1, 0)}/{n}")
            self.end_headers()
            send_body(self.wfile, n)
        elif path.startswith("/early/"):
            self.send_response(200)
            self.send_header("Content-Length", str(n))
            self.end_headers()
            send_body(self.wfile, n // 2)
            self.wfile.flush()
            self.connection.shutdown(socket.SHUT_RDWR)
            self.close_connection = True
        else:
            data = b"not found"
            self.send_response(404)
            self.send_header("Content-Length", str(len(data)))
            self.end_headers()
            self.wfile.write(data)


class Proxy(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    log_path = None
    account = None

    def log_message(self, *args):
        pass

    def do_GET(self):
        if self.account:
            expected = "Basic " + base64.b64encode(self.account.encode()).decode()
            if self.headers.get("Proxy-Authorization") != expected:
                data = b"proxy authentication required"
                self.send_response(407)
                self.send_header("Proxy-Authenticate", 'Basic realm="loopback proxy"')
                self.send_header("Content-Length", str(len(data)))
                self.end_headers()
                self.wfile.write(data)
                return
        if self.log_path:
            with open(self.log_path, "a") as log:
                log.write(self.requestline + "\n")
        opener = urllib.request.build_opener(urllib.request.ProxyHandler({}))
        try:
            answer = opener.open(self.path, timeout=30)
            status, headers, data = answer.status, answer.headers, answer.read()
        except urllib.error.HTTPError as error:
            status, headers, data = error.code, error.headers, error.read()
        self.send_response(status)
        for name, value in headers.items():
            if name.lower() not in ("content-length", "connection", "transfer-encoding"):
                self.send_header(name, value)
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--proxy", action="store_true")
    parser.add_argument("--proxy-auth")
    parser.add_argument("--log")
    parser.add_argument("--root")
    parser.add_argument("--lifetime", type=float, default=600)
    args = parser.parse_args()
    handler = Origin
    Origin.root = args.root
    Origin.log_path = args.log
    if args.proxy:
        handler = Proxy
        Proxy.log_path = args.log
        Proxy.account = args.proxy_auth
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    server.daemon_threads = True
    with open(args.port_file + ".new", "w") as out:
        out.write(str(server.server_address[1]))
    os.replace(args.port_file + ".new", args.port_file)
    timer = threading.Timer(args.lifetime, server.shutdown)
    timer.daemon = True
    timer.start()
    server.serve_forever()
    os._exit(0)


if __name__ == "__main__":
    sys.exit(main())
