"""Package downloads: ranges, resume, HEAD and validators."""

import hashlib
import http.client
import unittest

import support

STAR_V1 = "games/star-expedition-1.0.0.zip"
PATH = "/download/" + STAR_V1

service = None


def setUpModule():
    global service
    service = support.Service()


def tearDownModule():
    service.stop()


class RangeTest(unittest.TestCase):
    def setUp(self):
        service.reset()
        self.content = service.file_bytes(STAR_V1)
        self.size = len(self.content)

    def test_single_ranges_answer_206_with_exactly_the_asked_bytes(self):
        size = self.size
        cases = [
            # header, first, last
            ("bytes=0-0", 0, 0),
            ("bytes=100-199", 100, 199),
            ("bytes=1000-", 1000, size - 1),
            ("bytes=-500", size - 500, size - 1),
            ("bytes=-%d" % (size * 2), 0, size - 1),
            # the launcher asks with the total size as the end, one past the last byte
            ("bytes=4096-%d" % size, 4096, size - 1),
            ("bytes=%d-%d" % (size - 1, size - 1), size - 1, size - 1),
        ]
        for header, first, last in cases:
            with self.subTest(header=header):
                status, headers, body = service.get(PATH, {"Range": header})
                self.assertEqual(status, 206)
                self.assertEqual(headers["content-range"], "bytes %d-%d/%d" % (first, last, size))
                self.assertEqual(int(headers["content-length"]), last - first + 1)
                self.assertEqual(body, self.content[first:last + 1])

    def test_range_past_the_end_is_416_with_the_size(self):
        for header in ("bytes=%d-" % self.size, "bytes=%d-%d" % (self.size + 10, self.size + 20), "bytes=-0"):
            with self.subTest(header=header):
                status, headers, body = service.get(PATH, {"Range": header})
                self.assertEqual(status, 416)
                self.assertEqual(headers["content-range"], "bytes */%d" % self.size)
                self.assertEqual(body, b"")

    def test_unusable_ranges_give_the_whole_file(self):
        for header in ("bytes=0-1,5-9", "bytes=abc-", "items=0-10", "bytes=50-10", "bytes=-"):
            with self.subTest(header=header):
                status, headers, body = service.get(PATH, {"Range": header})
                self.assertEqual(status, 200)
                self.assertNotIn("content-range", headers)
                self.assertEqual(body, self.content)

    def test_resuming_from_the_middle_gives_identical_bytes(self):
        # The first transfer is cut after an odd number of bytes; the second continues from there.
        cut = self.size // 2 + 12345
        service.control(dropAfter=cut, dropTimes=1)
        conn = http.client.HTTPConnection("127.0.0.1", service.port, timeout=30)
        try:
            conn.request("GET", PATH)
            resp = conn.getresponse()
            self.assertEqual(resp.status, 200)
            with self.assertRaises(http.client.IncompleteRead) as cm:
                resp.read()
        finally:
            conn.close()
        first_part = cm.exception.partial
        self.assertEqual(len(first_part), cut)
        status, _, rest = service.get(PATH, {"Range": "bytes=%d-%d" % (len(first_part), self.size)})
        self.assertEqual(status, 206)
        whole = first_part + rest
        self.assertEqual(hashlib.md5(whole).hexdigest(), service.game("1001")["md5"])
        self.assertEqual(whole, self.content)

    def test_head_answers_the_headers_of_get_without_a_body(self):
        get_status, get_headers, _ = service.get(PATH)
        status, headers, body = service.request("HEAD", PATH)
        self.assertEqual((status, body), (200, b""))
        for key in ("content-length", "content-type", "etag", "last-modified", "accept-ranges"):
            self.assertEqual(headers[key], get_headers[key], key)
        self.assertEqual(int(headers["content-length"]), self.size)
        status, headers, body = service.request("HEAD", PATH, {"Range": "bytes=10-19"})
        self.assertEqual((status, headers["content-range"], body), (206, "bytes 10-19/%d" % self.size, b""))

    def test_validators_and_conditional_requests(self):
        _, headers, _ = service.get(PATH)
        etag, modified = headers["etag"], headers["last-modified"]
        self.assertEqual(etag, '"%s"' % service.game("1001")["md5"])
        cases = [
            ({"If-None-Match": etag}, 304, None),
            ({"If-None-Match": '"other"'}, 200, self.content),
            ({"If-Modified-Since": modified}, 304, None),
            ({"Range": "bytes=0-9", "If-Range": etag}, 206, self.content[:10]),
            ({"Range": "bytes=0-9", "If-Range": '"stale"'}, 200, self.content),
            ({"Range": "bytes=0-9", "If-Range": modified}, 206, self.content[:10]),
        ]
        for headers_in, expected, body in cases:
            with self.subTest(headers=headers_in):
                status, _, data = service.get(PATH, headers_in)
                self.assertEqual(status, expected)
                if body is not None:
                    self.assertEqual(data, body)

    def test_every_catalogue_package_is_served_with_its_size_md5_and_type(self):
        catalogue = service.catalogue()
        entries = [v for g in catalogue["games"] for v in g["versions"] + g["patches"] if v["size"]]
        entries.append(catalogue["launcher"])
        types = {".zip": "application/zip", ".exe": "application/x-msdownload",
                 ".apk": "application/vnd.android.package-archive", ".patch": "application/octet-stream"}
        self.assertEqual(len(entries), 7)
        for entry in entries:
            with self.subTest(url=entry["url"]):
                status, headers, body = service.get(service.path_of(entry["url"]))
                self.assertEqual(status, 200)
                self.assertEqual(len(body), entry["size"])
                self.assertEqual(hashlib.md5(body).hexdigest(), entry["md5"])
                suffix = entry["fileName"][entry["fileName"].rfind("."):]
                self.assertEqual(headers["content-type"], types[suffix])

    def test_unknown_package_is_404(self):
        for path in ("/download/games/none.zip", "/download/../manifest.json", "/download/"):
            with self.subTest(path=path):
                self.assertEqual(service.get(path)[0], 404)

    def test_keep_alive_serves_several_requests_on_one_connection(self):
        conn = http.client.HTTPConnection("127.0.0.1", service.port, timeout=30)
        try:
            for first in (0, 1000, 5000):
                conn.request("GET", PATH, headers={"Range": "bytes=%d-%d" % (first, first + 99)})
                resp = conn.getresponse()
                self.assertEqual(resp.status, 206)
                self.assertEqual(resp.read(), self.content[first:first + 100])
        finally:
            conn.close()


if __name__ == "__main__":
    unittest.main()
