"""Builds the downloadable packages of the demo service into a data directory.

Every file is made from fixed seeds and fixed time stamps, so the same build gives the same bytes
(and the same MD5) on every machine. A manifest in the data directory remembers what was built from
which recipe; files whose recipe and size still match are reused, so a second start is instant.
"""

import contextlib
import fcntl
import hashlib
import json
import os
import random
import shutil
import subprocess
import tempfile

# Bump when the content of any package changes, so old data directories are rebuilt.
GENERATOR_VERSION = 3
DEFAULT_BIG_SIZE = 256 * 1024 * 1024
FIXED_MTIME = 1704067200  # 2024-01-01 00:00:00 UTC, the time stamp of every packed file
CHUNK = 1 << 20

# Every package the service offers, by file name (relative to <data>/files).
STAR_V1 = "games/star-expedition-1.0.0.zip"
STAR_V2 = "games/star-expedition-1.1.0.zip"
STAR_PATCH = "games/star-expedition-1.0.0-1.1.0.patch"
DRAGON = "games/dragon-realm-2.3.0.zip"
KART_SETUP = "games/pixel-kart-setup-1.2.0.exe"
FARM_APK = "games/pocket-farm-1.0.0.apk"
LAUNCHER_BUILD = "launcher/morvupcbox-1.1.5.exe"

# The game program: a text script named ".exe" (the launcher only starts commands containing "exe").
# Started directly or through sh, it hands itself to python3, which appends one JSON line with its
# command line and working directory to $DEMO_GAME_RECORD, or else to launches.jsonl beside itself.
GAME_SCRIPT = """#!/bin/sh
# {name} {version}: demo game program. It records how it was started, then exits.
exec /usr/bin/python3 - "$0" "$@" <<'RECORD'
import json, os, sys, time
program = os.path.abspath(sys.argv[1])
record = os.environ.get("DEMO_GAME_RECORD") or os.path.join(os.path.dirname(program), "launches.jsonl")
entry = {{"productId": "{product}", "version": "{version}", "program": program,
         "args": sys.argv[2:], "cwd": os.getcwd(), "time": time.time()}}
with open(record, "a", encoding="utf-8") as out:
    out.write(json.dumps(entry, ensure_ascii=False) + "\\n")
RECORD
"""

# The installer: the same kind of script followed by a binary payload that the shell never reads.
INSTALLER_SCRIPT = """#!/bin/sh
# {name} setup {version}: demo installer. It records how it was started, then exits with 0.
exec /usr/bin/python3 - "$0" "$@" <<'RECORD'
import json, os, sys, time
program = os.path.abspath(sys.argv[1])
record = os.environ.get("DEMO_INSTALLER_RECORD") or program + ".install.jsonl"
entry = {{"productId": "{product}", "version": "{version}", "program": program,
         "args": sys.argv[2:], "cwd": os.getcwd(), "time": time.time()}}
with open(record, "a", encoding="utf-8") as out:
    out.write(json.dumps(entry, ensure_ascii=False) + "\\n")
RECORD
exit 0
"""


def random_bytes(seed, size):
    rng = random.Random(seed)
    out = bytearray()
    while len(out) < size:
        out += rng.randbytes(min(CHUNK, size - len(out)))
    return bytes(out)


def write_random_file(path, seed, size):
    rng = random.Random(seed)
    left = size
    with open(path, "wb") as f:
        while left > 0:
            n = min(CHUNK, left)
            f.write(rng.randbytes(n))
            left -= n


def file_md5(path):
    h = hashlib.md5()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(CHUNK), b""):
            h.update(block)
    return h.hexdigest()


def _run(args, cwd=None):
    result = subprocess.run(args, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    if result.returncode != 0:
        raise RuntimeError("%s failed: %s" % (args[0], result.stdout.decode("utf-8", "replace")[-2000:]))
    return result.stdout.decode("utf-8", "replace")


def _stage(root, files):
    """files: {relative path: bytes or (seed, size)}; scripts (".exe") are made executable."""
    for rel, content in files.items():
        path = os.path.join(root, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        if isinstance(content, tuple):
            write_random_file(path, *content)
        else:
            with open(path, "wb") as f:
                f.write(content)
        os.chmod(path, 0o755 if rel.endswith(".exe") else 0o644)
    for dirpath, dirnames, filenames in os.walk(root, topdown=False):
        for name in filenames + dirnames:
            os.utime(os.path.join(dirpath, name), (FIXED_MTIME, FIXED_MTIME))


def _zip(out_path, files, level):
    with tempfile.TemporaryDirectory(dir=os.path.dirname(out_path)) as stage:
        _stage(stage, files)
        # Files are named one by one in a fixed order so the archive layout never depends on the
        # order in which the file system lists them.
        _run(["7z", "a", "-tzip", "-mx=%d" % level, "-bd", out_path] + sorted(files), cwd=stage)


def _game_script(name, product, version):
    return GAME_SCRIPT.format(name=name, product=product, version=version).encode("utf-8")


def _star_files(version):
    world = random_bytes(1001, 1536 * 1024)
    files = {
        "bin/game.exe": _game_script("Star Expedition", "1001", version),
        "README.txt": ("Star Expedition %s\nA demo game of the local game service.\n" % version).encode(),
    }
    if version == "1.0.0":
        files["data/world.pak"] = world
        files["data/config.ini"] = b"[game]\nversion=1.0.0\nlevels=3\n"
    else:
        changed = bytearray(world)
        changed[512 * 1024:576 * 1024] = random_bytes(1002, 64 * 1024)
        files["data/world.pak"] = bytes(changed) + random_bytes(1003, 256 * 1024)
        files["data/config.ini"] = b"[game]\nversion=1.1.0\nlevels=5\n"
        files["data/levels.pak"] = random_bytes(1004, 300 * 1024)
    return files


def _build_star_v1(out, _params):
    _zip(out, _star_files("1.0.0"), 5)


def _build_star_v2(out, _params):
    _zip(out, _star_files("1.1.0"), 5)


def _build_star_patch(out, _params, files_dir):
    _run(["xdelta3", "-e", "-f", "-A", "-9", "-s", os.path.join(files_dir, STAR_V1),
          os.path.join(files_dir, STAR_V2), out])


def _build_dragon(out, params):
    files = {
        "bin/game.exe": _game_script("Dragon Realm", "1002", "2.3.0"),
        "data/assets.bin": (2002, params["bigSize"]),
    }
    _zip(out, files, 0)  # incompressible content: store it, packing it would only cost time


def _build_installer(out, _params):
    script = INSTALLER_SCRIPT.format(name="Pixel Kart", product="1003", version="1.2.0").encode("utf-8")
    with open(out, "wb") as f:
        f.write(script)
        f.write(random_bytes(3003, 3 * 1024 * 1024))
    os.chmod(out, 0o755)


def _build_apk(out, _params):
    with open(out, "wb") as f:
        f.write(b"PK\x03\x04")
        f.write(random_bytes(4004, 2 * 1024 * 1024))


def _build_launcher(out, _params):
    with open(out, "wb") as f:
        f.write(b"MORVUPCBOX demo launcher build 1.1.5 (115)\n")
        f.write(random_bytes(5005, 4 * 1024 * 1024))
    os.chmod(out, 0o755)


def recipes(big_size):
    """(file name, recipe key, builder, dependencies) in build order."""
    big = {"bigSize": big_size}
    return [
        (STAR_V1, "star-1", _build_star_v1, {}),
        (STAR_V2, "star-2", _build_star_v2, {}),
        (STAR_PATCH, "star-patch-1-2", None, {}),
        (DRAGON, "dragon-%d" % big_size, _build_dragon, big),
        (KART_SETUP, "kart-setup", _build_installer, {}),
        (FARM_APK, "farm-apk", _build_apk, {}),
        (LAUNCHER_BUILD, "launcher-115", _build_launcher, {}),
    ]


@contextlib.contextmanager
def _locked(data_dir):
    os.makedirs(data_dir, exist_ok=True)
    with open(os.path.join(data_dir, ".lock"), "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        try:
            yield
        finally:
            fcntl.flock(lock, fcntl.LOCK_UN)


def ensure_packages(data_dir, big_size=DEFAULT_BIG_SIZE, log=None):
    """Builds what is missing or stale; returns {file name: {"size": int, "md5": str, "path": str}}."""
    data_dir = os.path.abspath(data_dir)
    files_dir = os.path.join(data_dir, "files")
    manifest_path = os.path.join(data_dir, "manifest.json")
    with _locked(data_dir):
        try:
            with open(manifest_path, encoding="utf-8") as f:
                manifest = json.load(f)
        except (OSError, ValueError):
            manifest = {}
        if manifest.get("generator") != GENERATOR_VERSION:
            manifest = {"generator": GENERATOR_VERSION, "files": {}}
        entries = manifest.setdefault("files", {})
        rebuilt = set()
        for name, key, builder, params in recipes(big_size):
            path = os.path.join(files_dir, name)
            entry = entries.get(name)
            depends_rebuilt = name == STAR_PATCH and (STAR_V1 in rebuilt or STAR_V2 in rebuilt)
            if (entry and entry.get("key") == key and not depends_rebuilt and os.path.isfile(path)
                    and os.path.getsize(path) == entry.get("size")):
                continue
            if log:
                log("building %s" % name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            tmp = os.path.join(os.path.dirname(path), ".tmp-" + os.path.basename(path))
            if os.path.exists(tmp):
                os.remove(tmp)
            if builder is None:
                _build_star_patch(tmp, params, files_dir)
            else:
                builder(tmp, params)
            os.utime(tmp, (FIXED_MTIME, FIXED_MTIME))
            os.replace(tmp, path)
            entries[name] = {"key": key, "size": os.path.getsize(path), "md5": file_md5(path)}
            rebuilt.add(name)
        if rebuilt:
            tmp = manifest_path + ".part"
            with open(tmp, "w", encoding="utf-8") as f:
                json.dump(manifest, f, indent=1, sort_keys=True)
            os.replace(tmp, manifest_path)
    return {name: {"size": e["size"], "md5": e["md5"], "path": os.path.join(files_dir, name)}
            for name, e in entries.items() if name in {r[0] for r in recipes(big_size)}}


def clear_data_dir(data_dir):
    shutil.rmtree(data_dir, ignore_errors=True)
