"""The package generator: archives, the patch, the scripts inside, determinism and reuse."""

import json
import os
import shutil
import subprocess
import tempfile
import unittest
import zipfile

import support
import packages

MIB = 1024 * 1024


def extract(archive, target):
    result = subprocess.run(["7z", "x", archive, "-o" + target, "-aoa"], stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, text=True)
    return result.stdout


class GeneratedPackagesTest(unittest.TestCase):
    """Checks the files of the shared data directory, as the service serves them."""

    @classmethod
    def setUpClass(cls):
        cls.files = packages.ensure_packages(support.data_dir(), support.BIG_SIZE)
        cls.tmp = tempfile.mkdtemp(prefix="demo-packages-")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp, ignore_errors=True)

    def path(self, name):
        return self.files[name]["path"]

    def test_archives_extract_with_7z(self):
        cases = [
            (packages.STAR_V1, {"bin/game.exe", "README.txt", "data/world.pak", "data/config.ini"}),
            (packages.STAR_V2, {"bin/game.exe", "README.txt", "data/world.pak", "data/config.ini",
                                "data/levels.pak"}),
            (packages.DRAGON, {"bin/game.exe", "data/assets.bin"}),
        ]
        for name, expected in cases:
            with self.subTest(name=name):
                target = os.path.join(self.tmp, os.path.basename(name))
                output = extract(self.path(name), target)
                self.assertIn("Everything is Ok", output)
                found = {os.path.relpath(os.path.join(d, f), target) for d, _, fs in os.walk(target) for f in fs}
                self.assertEqual(found, expected)
                self.assertTrue(os.access(os.path.join(target, "bin/game.exe"), os.X_OK))

    def test_large_game_holds_incompressible_data_of_the_asked_size(self):
        with zipfile.ZipFile(self.path(packages.DRAGON)) as z:
            info = z.getinfo("data/assets.bin")
        self.assertEqual(info.file_size, support.BIG_SIZE)
        self.assertEqual(info.compress_type, zipfile.ZIP_STORED)
        self.assertGreater(os.path.getsize(self.path(packages.DRAGON)), support.BIG_SIZE)

    def test_patch_applied_to_version_1_gives_exactly_version_2(self):
        out = os.path.join(self.tmp, "rebuilt.zip")
        subprocess.run(["xdelta3", "-d", "-f", "-s", self.path(packages.STAR_V1), self.path(packages.STAR_PATCH), out],
                       check=True)
        with open(out, "rb") as a, open(self.path(packages.STAR_V2), "rb") as b:
            self.assertEqual(a.read(), b.read())
        # a patch is worth it: much smaller than the archive it rebuilds
        self.assertLess(self.files[packages.STAR_PATCH]["size"], self.files[packages.STAR_V2]["size"] / 2)

    def test_game_program_records_its_command_line_and_directory(self):
        target = os.path.join(self.tmp, "run-v2")
        extract(self.path(packages.STAR_V2), target)
        program = os.path.join(target, "bin", "game.exe")
        workdir = os.path.join(target, "bin")
        args = ["channelCode=demo", "lang=zh", "oversea=0", "productCode=abc", "username=星辰 旅人&Co"]
        record = os.path.join(self.tmp, "record.jsonl")
        env = dict(os.environ, DEMO_GAME_RECORD=record)
        subprocess.run([program] + args, cwd=workdir, env=env, check=True, timeout=30)
        subprocess.run(["/bin/sh", program, "second"], cwd=self.tmp, env=env, check=True, timeout=30)
        env.pop("DEMO_GAME_RECORD")
        subprocess.run([program, "third"], cwd=self.tmp, env=env, check=True, timeout=30)
        with open(record, encoding="utf-8") as f:
            first, second = [json.loads(line) for line in f]
        self.assertEqual(first["args"], args)
        self.assertEqual(first["cwd"], workdir)
        self.assertEqual((first["program"], first["productId"], first["version"]), (program, "1001", "1.1.0"))
        self.assertEqual((second["args"], second["cwd"]), (["second"], self.tmp))
        with open(os.path.join(workdir, "launches.jsonl"), encoding="utf-8") as f:
            self.assertEqual(json.loads(f.read())["args"], ["third"])

    def test_installer_records_and_exits_with_zero(self):
        installer = os.path.join(self.tmp, "setup.exe")
        shutil.copy(self.path(packages.KART_SETUP), installer)
        for command in ([installer, "/qn"], ["/bin/sh", installer, "/qn"]):
            with self.subTest(command=command[0]):
                result = subprocess.run(command, cwd=self.tmp, timeout=30)
                self.assertEqual(result.returncode, 0)
        with open(installer + ".install.jsonl", encoding="utf-8") as f:
            entries = [json.loads(line) for line in f]
        self.assertEqual([e["args"] for e in entries], [["/qn"], ["/qn"]])
        self.assertEqual(entries[0]["productId"], "1003")


class GeneratorCacheTest(unittest.TestCase):
    """Builds into fresh directories with a small large game."""

    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="demo-build-")

    def tearDown(self):
        shutil.rmtree(self.tmp, ignore_errors=True)

    def build(self, name, big=MIB):
        built = []
        files = packages.ensure_packages(os.path.join(self.tmp, name), big, log=built.append)
        return files, [line.replace("building ", "") for line in built]

    def test_builds_are_identical_and_reused(self):
        first, built = self.build("a")
        self.assertEqual(sorted(built), sorted(r[0] for r in packages.recipes(MIB)))
        stamps = {n: os.stat(e["path"]).st_mtime_ns for n, e in first.items()}
        inodes = {n: os.stat(e["path"]).st_ino for n, e in first.items()}

        again, built = self.build("a")
        self.assertEqual(built, [])
        self.assertEqual({n: e["md5"] for n, e in again.items()}, {n: e["md5"] for n, e in first.items()})
        self.assertEqual({n: os.stat(e["path"]).st_ino for n, e in again.items()}, inodes)
        self.assertEqual({n: os.stat(e["path"]).st_mtime_ns for n, e in again.items()}, stamps)

        other, _ = self.build("b")
        self.assertEqual({n: e["md5"] for n, e in other.items()}, {n: e["md5"] for n, e in first.items()})

    def test_damaged_or_resized_packages_are_rebuilt_alone(self):
        first, _ = self.build("c")
        with open(first[packages.STAR_V1]["path"], "r+b") as f:
            f.truncate(1000)
        os.remove(first[packages.FARM_APK]["path"])
        files, built = self.build("c")
        # the patch depends on version 1, so it is made again too
        self.assertEqual(built, [packages.STAR_V1, packages.STAR_PATCH, packages.FARM_APK])
        self.assertEqual({n: e["md5"] for n, e in files.items()}, {n: e["md5"] for n, e in first.items()})

        files, built = self.build("c", 2 * MIB)
        self.assertEqual(built, [packages.DRAGON])
        with zipfile.ZipFile(files[packages.DRAGON]["path"]) as z:
            self.assertEqual(z.getinfo("data/assets.bin").file_size, 2 * MIB)

    def test_a_damaged_manifest_leads_to_a_full_rebuild(self):
        self.build("d")
        with open(os.path.join(self.tmp, "d", "manifest.json"), "w") as f:
            f.write("{broken")
        files, built = self.build("d")
        self.assertEqual(len(built), len(packages.recipes(MIB)))
        self.assertTrue(all(os.path.getsize(e["path"]) == e["size"] for e in files.values()))


if __name__ == "__main__":
    unittest.main()
