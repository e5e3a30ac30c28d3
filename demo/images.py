"""Small PNG pictures drawn in code: game logos, avatars and the sign-in QR picture.

Everything is deterministic, so the same address always gives the same bytes (the launcher caches
images, and tests compare them).
"""

import functools
import hashlib
import math
import struct
import zlib


def encode_png(width, height, rgba_rows):
    """rgba_rows: list of bytes objects, each width * 4 bytes long."""
    raw = b"".join(b"\x00" + row for row in rgba_rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def _hex(color):
    return tuple(int(color[i:i + 2], 16) for i in (1, 3, 5))


def _mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def _inside_polygon(x, y, points):
    inside = False
    j = len(points) - 1
    for i in range(len(points)):
        xi, yi = points[i]
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


def _star(cx, cy, outer, inner, spikes=5):
    pts = []
    for k in range(spikes * 2):
        r = outer if k % 2 == 0 else inner
        a = -math.pi / 2 + k * math.pi / spikes
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


def _regular(cx, cy, r, sides, rotation=0.0):
    return [(cx + r * math.cos(rotation + 2 * math.pi * k / sides),
             cy + r * math.sin(rotation + 2 * math.pi * k / sides)) for k in range(sides)]


def _emblem_test(emblem, size):
    """A function (x, y) -> bool telling whether a point lies on the white emblem."""
    c = size / 2.0
    if emblem == "star":
        pts = _star(c, c * 1.04, size * 0.34, size * 0.14)
        return lambda x, y: _inside_polygon(x, y, pts)
    if emblem == "dragon":
        # a flame: a diamond with a notch
        outer = [(c, size * 0.16), (size * 0.74, c * 1.05), (c, size * 0.84), (size * 0.26, c * 1.05)]
        notch = [(c, size * 0.46), (size * 0.6, c * 1.12), (c, size * 0.72), (size * 0.4, c * 1.12)]
        return lambda x, y: _inside_polygon(x, y, outer) and not _inside_polygon(x, y, notch)
    if emblem == "wheel":
        return lambda x, y: (size * 0.2) ** 2 <= (x - c) ** 2 + (y - c) ** 2 <= (size * 0.32) ** 2 or \
            (x - c) ** 2 + (y - c) ** 2 <= (size * 0.08) ** 2 or \
            (abs(x - c) < size * 0.035 and abs(y - c) < size * 0.3) or \
            (abs(y - c) < size * 0.035 and abs(x - c) < size * 0.3)
    if emblem == "leaf":
        return lambda x, y: ((x - c + size * 0.1) ** 2 + (y - c) ** 2 <= (size * 0.3) ** 2 and
                             (x - c - size * 0.1) ** 2 + (y - c) ** 2 <= (size * 0.3) ** 2)
    if emblem == "snake":
        return lambda x, y: abs(math.hypot(x - c, y - c) - size * 0.24) < size * 0.07 and not (
            x > c and abs(y - c) < size * 0.12) or math.hypot(x - c - size * 0.24, y - c + size * 0.2) < size * 0.07
    if emblem == "blocks":
        cell = size * 0.16

        def blocks(x, y):
            gx, gy = (x - size * 0.26) / cell, (y - size * 0.26) / cell
            if not (0 <= gx < 3 and 0 <= gy < 3):
                return False
            return (gx % 1) < 0.86 and (gy % 1) < 0.86 and (int(gx) + int(gy)) % 2 == 0
        return blocks
    if emblem == "person":
        return lambda x, y: math.hypot(x - c, y - size * 0.38) < size * 0.17 or (
            ((x - c) / (size * 0.32)) ** 2 + ((y - size * 0.92) / (size * 0.36)) ** 2 <= 1)
    hexagon = _regular(c, c, size * 0.3, 6, math.pi / 6)
    return lambda x, y: _inside_polygon(x, y, hexagon)


@functools.lru_cache(maxsize=64)
def emblem_png(emblem, color_a, color_b, size=128, round_shape=False):
    """A rounded tile (or a disc) with a two-colour diagonal gradient and a white emblem."""
    a, b = _hex(color_a), _hex(color_b)
    on_emblem = _emblem_test(emblem, size)
    radius = size * 0.22
    rows = []
    offsets = ((0.25, 0.25), (0.75, 0.25), (0.25, 0.75), (0.75, 0.75))
    for y in range(size):
        row = bytearray()
        for x in range(size):
            cover = 0
            white = 0
            for ox, oy in offsets:
                px, py = x + ox, y + oy
                if round_shape:
                    inside = math.hypot(px - size / 2, py - size / 2) <= size / 2
                else:
                    dx = max(radius - px, 0, px - (size - radius))
                    dy = max(radius - py, 0, py - (size - radius))
                    inside = dx * dx + dy * dy <= radius * radius
                if inside:
                    cover += 1
                    if on_emblem(px, py):
                        white += 1
            base = _mix(a, b, (x + y) / (2.0 * size))
            if cover:
                t = white / cover
                color = _mix(base, (255, 255, 255), t * 0.95)
            else:
                color = base
            row += bytes(color) + bytes([cover * 255 // 4])
        rows.append(bytes(row))
    return encode_png(size, size, rows)


def avatar_png(seed):
    palette = [("#ff8a5b", "#ff3d71"), ("#36d1dc", "#5b86e5"), ("#a18cd1", "#6f5bd3"), ("#43e97b", "#38a169")]
    h = int(hashlib.md5(str(seed).encode("utf-8")).hexdigest(), 16)
    a, b = palette[h % len(palette)]
    return emblem_png("person", a, b, 96, True)


@functools.lru_cache(maxsize=32)
def qr_png(data, modules=25, scale=8, border=2):
    """A picture that looks like a QR code for `data` (the demo's codes are never scanned)."""
    digest = hashlib.sha256(data.encode("utf-8")).digest()
    bits = []
    while len(bits) < modules * modules:
        digest = hashlib.sha256(digest).digest()
        for byte in digest:
            bits.extend((byte >> k) & 1 for k in range(8))

    def finder(mx, my):
        for fx, fy in ((0, 0), (modules - 7, 0), (0, modules - 7)):
            if fx <= mx < fx + 7 and fy <= my < fy + 7:
                dx, dy = mx - fx, my - fy
                ring = min(dx, dy, 6 - dx, 6 - dy)
                return ring != 1
            if fx - 1 <= mx <= fx + 7 and fy - 1 <= my <= fy + 7:
                return False
        return None

    total = (modules + 2 * border) * scale
    rows = []
    for y in range(total):
        my = y // scale - border
        row = bytearray()
        for x in range(total):
            mx = x // scale - border
            dark = False
            if 0 <= mx < modules and 0 <= my < modules:
                f = finder(mx, my)
                dark = f if f is not None else bool(bits[my * modules + mx])
            row += b"\x1b\x1f\x2a\xff" if dark else b"\xff\xff\xff\xff"
        rows.append(bytes(row))
    return encode_png(total, total, rows)
