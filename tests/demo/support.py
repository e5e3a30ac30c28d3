"""Starts the demo service for a test module and talks HTTP to it."""

import http.client
import json
import os
import subprocess
import sys
import tempfile
import urllib.parse

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
DEMO = os.path.join(ROOT, "demo")
sys.path.insert(0, DEMO)

# Small enough for a quick build, big enough for ranges and throttling to matter.
BIG_SIZE = 8 * 1024 * 1024


def data_dir():
    """A data directory reused across runs (CTest points it into the build tree)."""
    return os.environ.get("DEMO_TEST_DATA") or os.path.join(tempfile.gettempdir(), "demo-test-data-%d" % os.getuid())


class Service:
    def __init__(self, extra_args=()):
        self.proc = subprocess.Popen(
            [sys.executable, os.path.join(DEMO, "server.py"), "--port", "0", "--data", data_dir(),
             "--big-size", str(BIG_SIZE), "--exit-with-stdin"] + list(extra_args),
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        line = self.proc.stdout.readline().strip()
        if not line.startswith("LISTENING http://127.0.0.1:"):
            self.proc.kill()
            raise RuntimeError("service did not start: %r" % line)
        self.base = line.split(" ", 1)[1]
        self.port = int(self.base.rsplit(":", 1)[1])

    def stop(self):
        self.proc.stdin.close()
        try:
            self.proc.wait(timeout=10)
        finally:
            if self.proc.poll() is None:
                self.proc.kill()
            self.proc.stdout.close()

    def request(self, method, path, headers=None, body=None, read=True):
        """Returns (status, headers as a dict with lower-case keys, body bytes)."""
        conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=30)
        try:
            if isinstance(body, (dict, list)):
                body = json.dumps(body).encode("utf-8")
                headers = dict(headers or {}, **{"Content-Type": "application/json"})
            conn.request(method, path, body=body, headers=headers or {})
            resp = conn.getresponse()
            data = resp.read() if read else b""
            return resp.status, {k.lower(): v for k, v in resp.getheaders()}, data
        finally:
            conn.close()

    def get(self, path, headers=None):
        return self.request("GET", path, headers)

    def json(self, path, body=None):
        status, _, data = self.request("POST" if body is not None else "GET", path, body=body)
        return status, json.loads(data.decode("utf-8"))

    def control(self, **changes):
        status, answer = self.json("/_control", changes)
        if status != 200:
            raise AssertionError("control refused %r: %r" % (changes, answer))
        return answer

    def reset(self):
        self.json("/_control/reset", {})

    def catalogue(self):
        return self.json("/api/catalogue")[1]

    def game(self, product_id):
        return next(g for g in self.catalogue()["games"] if g["productId"] == product_id)

    def path_of(self, url):
        return urllib.parse.urlsplit(url).path

    def file_bytes(self, name):
        with open(os.path.join(data_dir(), "files", name), "rb") as f:
            return f.read()
