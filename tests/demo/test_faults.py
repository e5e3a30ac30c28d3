"""Faults switched on through the control endpoint, and its own checks."""

import http.client
import json
import re
import time
import unittest

import support

BIG = "/download/games/dragon-realm-2.3.0.zip"
SMALL = "/download/games/star-expedition-1.0.0.zip"
STORE = "/app/gameLaucher?productCode=x&versionNo=114&authToken=&channelCode=c&lang=zh&theme="

service = None


def setUpModule():
    global service
    service = support.Service()


def tearDownModule():
    service.stop()


def read_cut(path, headers=None):
    """(status, bytes received) for a response the server may end early."""
    conn = http.client.HTTPConnection("127.0.0.1", service.port, timeout=30)
    try:
        conn.request("GET", path, headers=headers or {})
        resp = conn.getresponse()
        try:
            return resp.status, len(resp.read()), False
        except http.client.IncompleteRead as e:
            return resp.status, len(e.partial), True
    finally:
        conn.close()


class FaultTest(unittest.TestCase):
    def setUp(self):
        service.reset()
        self.small = service.file_bytes("games/star-expedition-1.0.0.zip")

    def test_ignore_range_answers_the_whole_file(self):
        service.control(ignoreRange=True)
        status, headers, body = service.get(SMALL, {"Range": "bytes=100-"})
        self.assertEqual(status, 200)
        self.assertNotIn("content-range", headers)
        self.assertEqual(body, self.small)

    def test_status_fault_answers_the_status_for_downloads_only(self):
        for code in (404, 500, 503):
            with self.subTest(code=code):
                service.control(status=code)
                self.assertEqual(service.get(SMALL)[0], code)
                self.assertEqual(service.get(SMALL, {"Range": "bytes=0-9"})[0], code)
                self.assertEqual(service.request("HEAD", SMALL)[0], code)
                self.assertEqual(service.get(STORE)[0], 200)
                self.assertEqual(service.get("/api/catalogue")[0], 200)

    def test_counted_faults_switch_themselves_off(self):
        service.control(status=503, statusTimes=2)
        self.assertEqual([service.get(SMALL)[0] for _ in range(3)], [503, 503, 200])
        self.assertEqual(service.control()["faults"]["status"], 0)
        service.control(dropAfter=1000, dropTimes=1)
        self.assertEqual(service.request("HEAD", SMALL)[0], 200)  # nothing to cut, nothing used up
        self.assertEqual(read_cut(SMALL), (200, 1000, True))
        self.assertEqual(read_cut(SMALL), (200, len(self.small), False))

    def test_drop_after_cuts_every_response_at_the_byte_count(self):
        service.control(dropAfter=65536)
        for headers in ({}, {"Range": "bytes=4096-"}):
            with self.subTest(headers=headers):
                self.assertEqual(read_cut(SMALL, headers), (206 if headers else 200, 65536, True))
        service.control(dropAfter=0)
        self.assertEqual(read_cut(SMALL), (200, 0, True))

    def test_throttle_limits_the_transfer_rate(self):
        rate = 400 * 1024
        service.control(throttle=rate)
        start = time.monotonic()
        status, headers, body = service.get(SMALL, {"Range": "bytes=0-%d" % (rate - 1)})
        elapsed = time.monotonic() - start
        self.assertEqual((status, len(body)), (206, rate))
        self.assertGreater(elapsed, 0.8)
        self.assertLess(elapsed, 3.0)
        service.control(throttle=0)
        start = time.monotonic()
        service.get(BIG)
        self.assertLess(time.monotonic() - start, 2.0)

    def test_path_prefix_limits_the_transfer_faults(self):
        service.control(status=500, pathPrefix="/download/launcher/")
        self.assertEqual(service.get(SMALL)[0], 200)
        self.assertEqual(service.get("/download/launcher/morvupcbox-1.1.5.exe")[0], 500)

    def test_hide_wait_delay_reaches_the_storefront(self):
        for delay in (0, 2500, -1):
            with self.subTest(delay=delay):
                service.control(hideWaitDelayMs=delay)
                page = service.get(STORE)[2].decode("utf-8")
                boot = json.loads(re.search(r"window\.BOOT = (\{.*?\});\n", page).group(1))
                self.assertEqual(boot["hideWaitDelayMs"], delay)

    def test_bad_control_requests_change_nothing(self):
        service.control(throttle=1000)
        cases = [
            {"nosuch": 1},
            {"status": "500"},
            {"status": 42},
            {"ignoreRange": 1},
            {"throttle": 5, "dropAfter": "x"},
            {"release": {"1001": "9"}},
            {"release": {"9999": "1"}},
            {"message": "text"},
            {"qrScan": "unknown-token"},
            [1, 2],
        ]
        for body in cases:
            with self.subTest(body=body):
                status, answer = service.json("/_control", body)
                self.assertEqual(status, 400)
                self.assertFalse(answer["status"])
                self.assertTrue(answer["msg"])
        state = service.control()
        self.assertEqual(state["faults"]["throttle"], 1000)
        self.assertEqual(state["faults"]["dropAfter"], -1)
        self.assertEqual(state["release"]["1001"], "1")
        for headers, body in (({"Content-Type": "application/json"}, b"{not json"),
                              ({"Content-Type": "application/json", "Content-Length": "x"}, b""),
                              ({"Content-Type": "application/json", "Content-Length": "9999999"}, b"")):
            with self.subTest(headers=headers):
                status, _, _ = service.request("POST", "/_control", headers, body)
                self.assertEqual(status, 400)

    def test_reset_restores_the_start_state(self):
        start = service.control()
        service.control(ignoreRange=True, status=503, dropAfter=10, throttle=99, hideWaitDelayMs=-1,
                        release={"1001": "2"})
        service.get(SMALL)
        service.reset()
        self.assertEqual(service.control(), start)
        self.assertEqual(service.json("/_control/requests")[1]["requests"], [])
        self.assertEqual(service.get("/_control/reset")[0], 405)

    def test_request_log_records_ranges_statuses_and_bytes(self):
        service.get(SMALL, {"Range": "bytes=41943040-104857600"})
        service.get(SMALL, {"Range": "bytes=10-19"})
        service.request("HEAD", SMALL)
        log = service.json("/_control/requests")[1]["requests"]
        self.assertEqual([(r["method"], r["range"], r["status"], r["sent"]) for r in log],
                         [("GET", "bytes=41943040-104857600", 416, 0), ("GET", "bytes=10-19", 206, 10),
                          ("HEAD", None, 200, 0)])
        self.assertTrue(all(r["path"] == SMALL for r in log))


if __name__ == "__main__":
    unittest.main()
