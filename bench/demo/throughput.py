#!/usr/bin/python3
"""Download throughput of the demo service next to nginx, for the same file on loopback.

    python3 bench/demo/throughput.py [--data DIR] [--size BYTES] [--runs N]

Builds the large game package at --size (default 1 GiB) in DIR, serves it with the demo service and with
an nginx started here on its own configuration (loopback only, no system service), and fetches it with
curl: one transfer at a time, then three at once (the launcher runs up to three downloads). Prints
MiB/s for both servers side by side and the ratio. Both servers send from the page cache; a warm-up
transfer fills it first.
"""

import argparse
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "demo"))

import packages  # noqa: E402

MIB = 1024 * 1024


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def start_demo(data_dir, size):
    proc = subprocess.Popen([sys.executable, os.path.join(ROOT, "demo", "server.py"), "--port", "0", "--data",
                             data_dir, "--big-size", str(size), "--exit-with-stdin"],
                            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    line = proc.stdout.readline().strip()
    if not line.startswith("LISTENING "):
        proc.kill()
        raise RuntimeError("demo service did not start: %r" % line)
    return proc, line.split(" ", 1)[1]


def start_nginx(root, workdir):
    port = free_port()
    conf = os.path.join(workdir, "nginx.conf")
    user = "user root;\n" if os.geteuid() == 0 else ""
    with open(conf, "w") as f:
        f.write("""%sworker_processes 1;
daemon off;
pid %s/nginx.pid;
error_log %s/error.log;
events { worker_connections 64; }
http {
    access_log off;
    sendfile on;
    tcp_nopush on;
    default_type application/octet-stream;
    client_body_temp_path %s/body;
    proxy_temp_path %s/proxy;
    fastcgi_temp_path %s/fastcgi;
    uwsgi_temp_path %s/uwsgi;
    scgi_temp_path %s/scgi;
    server {
        listen 127.0.0.1:%d;
        root %s;
    }
}
""" % ((user,) + (workdir,) * 7 + (port, root)))
    proc = subprocess.Popen(["nginx", "-p", workdir, "-e", os.path.join(workdir, "error.log"), "-c", conf],
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=0.2):
                return proc, "http://127.0.0.1:%d" % port
        except OSError:
            if proc.poll() is not None:
                raise RuntimeError("nginx did not start: %s" % proc.stderr.read().decode("utf-8", "replace"))
            time.sleep(0.05)
    proc.kill()
    raise RuntimeError("nginx did not answer")


def fetch(urls):
    """Fetches every address at the same time; returns the seconds until the last one ended."""
    start = time.monotonic()
    procs = [subprocess.Popen(["curl", "-s", "-f", "-o", "/dev/null", "--noproxy", "*", url]) for url in urls]
    for p in procs:
        if p.wait() != 0:
            raise RuntimeError("curl failed for %s" % urls)
    return time.monotonic() - start


def measure(url, size, runs, parallel):
    fetch([url])  # warm-up: page cache, connection path
    best = 0.0
    for _ in range(runs):
        seconds = fetch([url] * parallel)
        best = max(best, size * parallel / MIB / seconds)
    return best


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--data", default=os.path.join(ROOT, "build", "demo-bench-data"))
    parser.add_argument("--size", type=int, default=1024 * MIB)
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args(argv)
    for tool in ("nginx", "curl", "7z"):
        if not shutil.which(tool):
            print("needs %s" % tool)
            return 1

    files = packages.ensure_packages(args.data, args.size, log=lambda m: print(m, flush=True))
    entry = files[packages.DRAGON]
    rel = packages.DRAGON
    workdir = tempfile.mkdtemp(prefix="demo-bench-")
    demo, demo_base = start_demo(args.data, args.size)
    nginx = None
    try:
        nginx, nginx_base = start_nginx(os.path.join(args.data, "files"), workdir)
        print("file: %s (%.1f MiB), %d runs each, best run shown" % (rel, entry["size"] / MIB, args.runs))
        print("%-22s %14s %14s %8s" % ("transfers", "demo MiB/s", "nginx MiB/s", "ratio"))
        for parallel in (1, 3):
            d = measure(demo_base + "/download/" + rel, entry["size"], args.runs, parallel)
            n = measure(nginx_base + "/" + rel, entry["size"], args.runs, parallel)
            label = "one at a time" if parallel == 1 else "%d at once" % parallel
            print("%-22s %14.0f %14.0f %8.2f" % (label, d, n, d / n), flush=True)
    finally:
        demo.stdin.close()
        demo.wait(timeout=10)
        if nginx:
            nginx.terminate()
            nginx.wait(timeout=10)
        shutil.rmtree(workdir, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
