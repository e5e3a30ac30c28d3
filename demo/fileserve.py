"""Serving one file over HTTP/1.1: single ranges, HEAD, validators, and the transfer faults.

The body goes out with os.sendfile straight from the page cache, so the service is never what limits a
download on loopback.
"""

import email.utils
import os
import socket
import time

SLICE = 8 * 1024 * 1024


def parse_range(header, size):
    """Returns ("none", 0, 0), ("unsatisfiable", 0, 0) or ("ok", first, last) for a Range header.

    Anything but one well-formed byte range is ignored (the whole file is sent), as HTTP allows.
    """
    if not header:
        return ("none", 0, 0)
    header = header.strip()
    if not header.lower().startswith("bytes=") or "," in header:
        return ("none", 0, 0)
    byte_range = header[6:].strip()
    first_text, sep, last_text = byte_range.partition("-")
    first_text, last_text = first_text.strip(), last_text.strip()
    if not sep or (first_text and not first_text.isdigit()) or (last_text and not last_text.isdigit()):
        return ("none", 0, 0)
    if not first_text:
        if not last_text:
            return ("none", 0, 0)
        suffix = int(last_text)
        if suffix == 0 or size == 0:
            return ("unsatisfiable", 0, 0)
        return ("ok", max(0, size - suffix), size - 1)
    first = int(first_text)
    last = int(last_text) if last_text else size - 1
    if last_text and last < first:
        return ("none", 0, 0)
    if first >= size:
        return ("unsatisfiable", 0, 0)
    return ("ok", first, min(last, size - 1))


def http_date(seconds):
    return email.utils.formatdate(seconds, usegmt=True)


def _not_modified(headers, etag, mtime):
    inm = headers.get("If-None-Match")
    if inm is not None:
        tags = [t.strip() for t in inm.split(",")]
        return "*" in tags or etag in tags or ("W/" + etag) in tags
    ims = headers.get("If-Modified-Since")
    if ims:
        try:
            since = email.utils.parsedate_to_datetime(ims).timestamp()
        except (TypeError, ValueError, IndexError, OverflowError):
            return False
        return int(mtime) <= int(since)
    return False


def _range_still_valid(headers, etag, mtime):
    if_range = headers.get("If-Range")
    if not if_range:
        return True
    if_range = if_range.strip()
    if if_range.startswith('"') or if_range.startswith("W/"):
        return if_range == etag
    return if_range == http_date(mtime)


def serve_file(handler, path, content_type, etag, plan, head):
    """Answers the current request with the file at `path`; returns (status, body bytes sent)."""
    try:
        f = open(path, "rb")
    except OSError:
        handler.send_error(404, "No such package")
        return 404, 0
    with f:
        size = os.fstat(f.fileno()).st_size
        mtime = os.fstat(f.fileno()).st_mtime
        if plan["status"]:
            handler.send_error(plan["status"], "Fault injected by the control endpoint")
            return plan["status"], 0
        if _not_modified(handler.headers, etag, mtime):
            handler.send_response(304)
            handler.send_header("ETag", etag)
            handler.send_header("Last-Modified", http_date(mtime))
            handler.end_headers()
            return 304, 0

        kind, first, last = ("none", 0, 0)
        if not plan["ignoreRange"] and _range_still_valid(handler.headers, etag, mtime):
            kind, first, last = parse_range(handler.headers.get("Range"), size)
        if kind == "unsatisfiable":
            handler.send_response(416)
            handler.send_header("Content-Range", "bytes */%d" % size)
            handler.send_header("Content-Length", "0")
            handler.send_header("Accept-Ranges", "bytes")
            handler.end_headers()
            return 416, 0
        if kind == "ok":
            status, offset, length = 206, first, last - first + 1
        else:
            status, offset, length = 200, 0, size

        handler.send_response(status)
        handler.send_header("Content-Type", content_type)
        handler.send_header("Content-Length", str(length))
        handler.send_header("Accept-Ranges", "bytes")
        handler.send_header("ETag", etag)
        handler.send_header("Last-Modified", http_date(mtime))
        if status == 206:
            handler.send_header("Content-Range", "bytes %d-%d/%d" % (first, last, size))
        handler.end_headers()
        handler.wfile.flush()
        if head:
            return status, 0

        limit = length
        if plan["dropAfter"] >= 0:
            limit = min(length, plan["dropAfter"])
        sent = _send_body(handler.connection, f, offset, limit, plan["throttle"])
        if sent < length:
            # Either the client went away or a drop was asked for: end the connection, keeping the
            # bytes already sent (a FIN, not a reset, so the client reads them before the end).
            handler.close_connection = True
            try:
                handler.connection.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
        return status, sent


def _send_body(sock, f, offset, count, throttle):
    sent = 0
    start = time.monotonic()
    out = sock.fileno()
    src = f.fileno()
    while sent < count:
        step = min(SLICE, count - sent)
        if throttle > 0:
            # Keep to `throttle` bytes per second in slices of a tenth of a second.
            step = min(step, max(1, throttle // 10))
            due = start + (sent + step) / float(throttle)
            wait = due - time.monotonic()
            if wait > 0:
                time.sleep(wait)
        try:
            n = os.sendfile(out, src, offset + sent, step)
        except (BrokenPipeError, ConnectionResetError, ConnectionAbortedError, TimeoutError):
            break
        except BlockingIOError:
            time.sleep(0.001)
            continue
        if n == 0:
            break
        sent += n
    return sent
