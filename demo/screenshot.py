#!/usr/bin/python3
"""Opens the storefront in headless Chromium with the stand-in bridge and saves a screenshot.

    python3 demo/screenshot.py --out build/demo-screenshots/store.png [--url URL] [--data DIR]

Without --url it starts the demo service itself. It fails (exit status 1) when the page reports a
script error, does not finish starting, or does not send "hideWait".
"""

import argparse
import html
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
STORE_QUERY = "productCode=demo&versionNo=114&authToken=&channelCode=demo&lang=zh&theme=&stub=1"


def chromium_args(profile):
    return ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
            "--disable-background-networking", "--disable-component-update", "--disable-sync",
            "--disable-dev-shm-usage", "--user-data-dir=" + profile, "--window-size=1280,730",
            "--virtual-time-budget=4000"]


def start_service(data_dir, big_size):
    proc = subprocess.Popen([sys.executable, os.path.join(HERE, "server.py"), "--port", "0", "--data", data_dir,
                             "--big-size", str(big_size), "--exit-with-stdin"],
                            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    line = proc.stdout.readline().strip()
    if not line.startswith("LISTENING "):
        proc.kill()
        raise RuntimeError("the demo service did not start: %r" % line)
    return proc, line.split(" ", 1)[1]


def inspect_dom(dom):
    """Returns (ready, errors, result) read from a saved storefront DOM; result is what the stand-in
    bridge recorded (actions, calls, cards), or {} without it."""
    ready = re.search(r'<body[^>]*data-ready="1"', dom) is not None
    m = re.search(r'<pre id="page-errors"[^>]*>(.*?)</pre>', dom, re.S)
    errors = [e for e in html.unescape(m.group(1)).split("\n") if e.strip()] if m else ["no error box in the page"]
    m = re.search(r'<pre id="stub-result"[^>]*>(.*?)</pre>', dom, re.S)
    result = json.loads(html.unescape(m.group(1))) if m else {}
    errors += [e for e in result.get("errors", []) if e not in errors]
    return ready, errors, result


def dump_dom(url):
    profile = tempfile.mkdtemp(prefix="demo-chromium-")
    try:
        return subprocess.run(chromium_args(profile) + ["--dump-dom", url], stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, text=True, timeout=120).stdout
    finally:
        shutil.rmtree(profile, ignore_errors=True)


def capture(url, out):
    profile = tempfile.mkdtemp(prefix="demo-chromium-")
    try:
        dom = subprocess.run(chromium_args(profile) + ["--dump-dom", url], stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL, text=True, timeout=120).stdout
        os.makedirs(os.path.dirname(os.path.abspath(out)), exist_ok=True)
        subprocess.run(chromium_args(profile) + ["--screenshot=" + os.path.abspath(out), url],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120, check=True)
    finally:
        shutil.rmtree(profile, ignore_errors=True)
    return inspect_dom(dom)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--out", required=True, help="PNG file to write")
    parser.add_argument("--url", help="storefront address (default: a service started here)")
    parser.add_argument("--data", default=os.path.join(HERE, "data"), help="data directory of the service")
    parser.add_argument("--big-size", type=int, default=8 * 1024 * 1024)
    args = parser.parse_args(argv)

    proc = None
    url = args.url
    if not url:
        proc, base = start_service(args.data, args.big_size)
        url = base + "/app/gameLaucher?" + STORE_QUERY
    try:
        ready, errors, result = capture(url, args.out)
    finally:
        if proc:
            proc.stdin.close()
            proc.wait(timeout=10)
    sent = [a.get("action") for a in result.get("actions", [])]
    print("screenshot: %s" % os.path.abspath(args.out))
    print("ready: %s, script errors: %d, actions sent: %s" % (ready, len(errors), ", ".join(sent)))
    for e in errors:
        print("  error: %s" % e)
    return 0 if ready and not errors and "hideWait" in sent else 1


if __name__ == "__main__":
    sys.exit(main())
