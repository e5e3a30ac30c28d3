"""The storefront in headless Chromium with the stand-in bridge: rendering, page calls, actions."""

import base64
import json
import os
import shutil
import struct
import tempfile
import unittest
import urllib.parse

import support
import screenshot

service = None
QUERY = "productCode=e17a&versionNo=114&authToken=&channelCode=demo&lang=zh&theme=&stub=1"


def setUpModule():
    global service
    service = support.Service()


def tearDownModule():
    service.stop()


def b64(value):
    return base64.b64encode(json.dumps(value, ensure_ascii=False).encode("utf-8")).decode("ascii")


def run_page(calls, extra=""):
    url = service.base + "/app/gameLaucher?" + QUERY + extra
    if calls is not None:
        url += "&stubCalls=" + urllib.parse.quote(b64(calls))
    return screenshot.inspect_dom(screenshot.dump_dom(url))


@unittest.skipUnless(shutil.which("chromium"), "needs Debian's chromium")
class StorefrontInChromiumTest(unittest.TestCase):
    def setUp(self):
        service.reset()

    def test_renders_without_script_errors_and_sends_hide_wait(self):
        tmp = tempfile.mkdtemp(prefix="demo-shot-")
        try:
            out = os.path.join(tmp, "store.png")
            self.assertEqual(screenshot.main(["--out", out, "--url", service.base + "/app/gameLaucher?" + QUERY]), 0)
            with open(out, "rb") as f:
                head = f.read(24)
            self.assertEqual(head[:8], b"\x89PNG\r\n\x1a\n")
            self.assertEqual(struct.unpack(">II", head[16:24]), (1280, 730))
            self.assertGreater(os.path.getsize(out), 100 * 1024)  # a real picture, not an empty page
        finally:
            shutil.rmtree(tmp, ignore_errors=True)

    def test_page_calls_are_shown_as_the_notices_say_and_logged(self):
        service.control(release={"1001": "2"})
        game = service.game("1001")
        record = {"productId": "1001", "productName": "星际远征", "logo": game["logo"], "platform": "0", "url": "",
                  "package": "", "startcmd": "APP_PATH/bin/game.exe", "installcmd": "", "versionNo": "1",
                  "versionName": "1.0.0", "rate": "100.00", "sizeRate": "1.5MB/1.5MB", "nowStatus": "5",
                  "versionZipExists": 1, "baseVersionNo": "1"}
        calls = [
            ["pageInit", []],
            ["changeDownLoadStatus", ["downGame", "1002", "zhengzaixiazai__10.00%", "1", "10.00", "0", "1.25",
                                      "1.0MB/8.0MB"]],
            ["changeDownLoadStatus", ["downGame", "1002", "keep", "4", "keep", "0", "", "keep"]],
            ["changeDownLoadStatus", ["downGame", "1003", "kaishijiaye__", "7", "100", "1", "-", ""]],
            ["changeDownLoadStatus", ["downGame", "1004", "xiazaichucuo", "3", "keep", "0", "", ""]],
            ["changeDownload_error", ["1004", "Connection refused"]],
            ["layer.msg", ["您的磁盘空间不足，请清理", {"icon": 2}]],
            ["setLastClick", [2]],
            ["stopAutoUpdateNoTips", []],
            ["setUserInfo", ["10002", "星辰 旅人&Co", "demotoken10002"]],
            ["updateLocalProductStatus", [b64([record]), "1"]],
            ["__click", ["#card-1001 .upd"]],
        ]
        ready, errors, result = run_page(calls)
        self.assertTrue(ready)
        self.assertEqual(errors, [])
        cards = result["cards"]
        paused = cards["1002"]
        self.assertEqual((paused["status"], paused["tips"], paused["rate"], paused["sizeRate"], paused["runRate"]),
                         ("4", "zhengzaixiazai__10.00%", "10.00", "1.0MB/8.0MB", ""))
        self.assertEqual((paused["button"], paused["speedText"]), ("继续下载", ""))
        busy = cards["1003"]
        self.assertEqual((busy["status"], busy["disabled"], busy["buttonDisabled"], busy["tipsText"], busy["speedText"]),
                         ("7", "1", True, "kaishijiaye__", ""))
        failed = cards["1004"]
        self.assertEqual((failed["status"], failed["error"], failed["button"]), ("3", "Connection refused", "重试"))
        installed = cards["1001"]
        self.assertEqual((installed["status"], installed["update"], installed["button"]), ("5", True, "开始游戏"))
        self.assertEqual(result["mine"], ["1001"])
        self.assertEqual(result["user"], "星辰 旅人&Co")
        # every call is logged in order with its arguments as given
        logged = [c["fn"] for c in result["calls"]]
        self.assertEqual(logged, [c[0] for c in calls if c[0] != "__click"])
        self.assertEqual(result["calls"][2]["args"], calls[2][1])
        # the installed version's package is kept, so the update takes the patch
        update = [a["data"] for a in result["actions"] if a["action"] == "updateGame"]
        self.assertEqual(update, [{"productId": "1001", "versionNo": "2", "versionName": "1.1.0",
                                   "url": game["patches"][0]["url"]}])

    def test_readiness_and_actions_clicked_before_the_bridge(self):
        calls = [["__click", ["#card-1002 .main"]], ["pageInit", []]]
        for delay, expect_hide_wait in ((0, True), (300, True), (-1, False)):
            with self.subTest(delay=delay):
                service.control(hideWaitDelayMs=delay)
                ready, errors, result = run_page(calls)
                self.assertEqual(errors, [])
                sent = [a["action"] for a in result["actions"]]
                self.assertEqual(sent[:3], ["downGame", "checkProductInstall", "checkProductInstallAll"])
                self.assertEqual("hideWait" in sent, expect_hide_wait)
                self.assertEqual(result["actions"][1]["data"], {"productIds": "(1001,1002,1003,1004,1005,1006)"})
                download = result["actions"][0]["data"]
                self.assertEqual(sorted(download), sorted(["productId", "productName", "url", "startcmd", "installcmd",
                                                           "logo", "platform", "package", "versionNo",
                                                           "versionName"]))
                self.assertEqual(download["productId"], "1002")

    def test_storefront_actions_carry_the_fields_the_launcher_reads(self):
        calls = [
            ["pageInit", []],
            ["__click", ["#card-1005 .main"]],
            ["__click", ["#settingsButton"]],
            ["__click", ["#downloadBoxButton"]],
            ["__click", ["#messageButton"]],
            ["__click", ["#loginButton"]],
            ["__click", ["[data-act=window_close]"]],
            ["__click", ["[data-act=selfUpdate]"]],
            ["setSystemConf", [b64({"useSound": "1", "autoLauch": "0"})]],
            ["__click", ["[data-act=toggleSound]"]],
            ["__click", ["[data-act=toggleAutoStart]"]],
            ["__click", ["[data-act=demoMessage]"]],
            ["__click", ["[data-agreement='1']"]],
        ]
        ready, errors, result = run_page(calls)
        self.assertEqual(errors, [])
        actions = [a for a in result["actions"] if a["action"] not in
                   ("checkProductInstall", "checkProductInstallAll", "hideWait")]
        catalogue = service.catalogue()
        h5 = next(g for g in catalogue["games"] if g["productId"] == "1005")
        expected = [
            ("openH5Game", {"productId": "1005", "productName": h5["productName"], "url": h5["url"],
                            "logo": h5["logo"], "platform": "3"}),
            ("openSystemConf", {"productId": "", "startcmd": ""}),
            ("openWindow", {"type": "downloadBox", "title": "下载管理", "width": 900, "height": 600, "modal": 0,
                            "fun": "doAction('checkProductInstallAll',{})"}),
            ("openWindow", {"type": "messageBox", "title": "消息盒子", "width": 900, "height": 600, "modal": 0,
                            "fun": "loadMessageList()"}),
            ("openLoginDialog", {}),
            ("window_close", {}),
            ("updateMainexe", {"url": catalogue["launcher"]["url"], "md5": catalogue["launcher"]["md5"]}),
            ("updateSystemConf", {"key": "useSound", "val": "0"}),
            ("updateSystemConf", {"key": "autoLauch", "val": "1"}),
            ("changeAutoLauch", {"status": 1}),
            # with the sound switched off the message comes without "playSound"
            ("newMessage", {"title": "新消息：星际远征开启限时活动", "content": "登录游戏即可领取星舰涂装，活动持续 7 天。",
                            "isSelected": 1, "isMust": 0}),
            ("openUrl", {"url": "/agreement/show/productCode/{productCode}/type/1"}),
        ]
        self.assertEqual([(a["action"], a["data"]) for a in actions], expected)


if __name__ == "__main__":
    unittest.main()
