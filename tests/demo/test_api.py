"""JSON shapes of the endpoints, the storefront's start data, and the plain pages."""

import json
import re
import unittest
import urllib.parse

import support

service = None


def setUpModule():
    global service
    service = support.Service()


def tearDownModule():
    service.stop()


def store_boot(path):
    status, headers, body = service.get(path)
    page = body.decode("utf-8")
    return status, headers, page, json.loads(re.search(r"window\.BOOT = (\{.*?\});\n", page).group(1))


class MessagesTest(unittest.TestCase):
    def setUp(self):
        service.reset()

    def messages(self):
        query = ("format=json&platform=0&authToken=&deviceId=pcbox&channelCode=pcbox&productCode=x"
                 "&defaultAvatar=&type=list_myInfo&whereType=0&page=1")
        status, answer = service.json("/app/getPcBoxMessage?" + query)
        self.assertEqual(status, 200)
        return answer

    def test_message_list_shape(self):
        answer = self.messages()
        self.assertIs(answer["status"], True)
        self.assertEqual(answer["unread"], sum(1 for m in answer["data"] if m["isRead"] == 0))
        types = set()
        for m in answer["data"]:
            self.assertIsInstance(m["id"], int)
            self.assertIn(m["isRead"], (0, 1))
            for key in ("title", "showDesc", "timeSay"):
                self.assertIsInstance(m[key], str)
            if "replyUserInfo" in m:
                self.assertTrue(m["replyUserInfo"]["avatarUrl"].startswith(service.base + "/static/avatar/"))
            types.add(m["type"])
        self.assertTrue({1, 3} <= types)

    def test_reading_and_answering_messages(self):
        group = next(m for m in self.messages()["data"] if m["type"] == 3)
        notice = next(m for m in self.messages()["data"] if m["type"] == 1)
        cases = [
            ("/app/readMessage?id=%d" % notice["id"], True),
            ("/app/readMessage?id=999", False),
            ("/app/readMessage?id=abc", False),
            ("/app/applyGroupDo?nid=%d&type=1" % group["id"], True),
            ("/app/applyGroupDo?nid=%d&type=0" % notice["id"], False),
            ("/app/applyGroupDo?nid=%d&type=7" % group["id"], False),
        ]
        for path, ok in cases:
            with self.subTest(path=path):
                answer = service.json(path)[1]
                self.assertIs(answer["status"], ok)
                self.assertIsInstance(answer["msg"], str)
        read = {m["id"]: m["isRead"] for m in self.messages()["data"]}
        self.assertEqual((read[notice["id"]], read[group["id"]]), (1, 1))

    def test_pushed_message_is_first_and_unread(self):
        before = self.messages()["unread"]
        service.control(message={"title": "活动开始", "desc": "<p>快来</p>"})
        answer = self.messages()
        self.assertEqual(answer["unread"], before + 1)
        self.assertEqual((answer["data"][0]["title"], answer["data"][0]["isRead"]), ("活动开始", 0))


class CatalogueTest(unittest.TestCase):
    def setUp(self):
        service.reset()

    def test_catalogue_shape(self):
        catalogue = service.catalogue()
        ids = [g["productId"] for g in catalogue["games"]]
        self.assertEqual(ids, ["1001", "1002", "1003", "1004", "1005", "1006"])
        for g in catalogue["games"]:
            with self.subTest(product=g["productId"]):
                for key in ("productName", "url", "startcmd", "installcmd", "logo", "platform", "package",
                            "versionNo", "versionName", "md5"):
                    self.assertIsInstance(g[key], str, key)
                self.assertTrue(g["productId"].isdigit())
                self.assertTrue(g["versionNo"].isdigit())
                self.assertTrue(g["url"].startswith(service.base + "/"))
                self.assertEqual(service.get(urllib.parse.urlsplit(g["logo"]).path)[1]["content-type"], "image/png")
                released = next(v for v in g["versions"] if v["versionNo"] == g["versionNo"])
                self.assertEqual((released["url"], released["md5"], released["size"]), (g["url"], g["md5"], g["size"]))
        platforms = {g["productId"]: g["platform"] for g in catalogue["games"]}
        self.assertEqual(platforms, {"1001": "0", "1002": "0", "1003": "0", "1004": "1", "1005": "3", "1006": "3"})
        self.assertIn("exe", next(g for g in catalogue["games"] if g["productId"] == "1001")["startcmd"])
        launcher = catalogue["launcher"]
        self.assertEqual((launcher["versionNo"], len(launcher["md5"])), ("115", 32))

    def test_release_switches_the_offered_version(self):
        self.assertEqual(service.game("1001")["versionName"], "1.0.0")
        service.control(release={"1001": "2"})
        game = service.game("1001")
        self.assertEqual((game["versionNo"], game["versionName"]), ("2", "1.1.0"))
        self.assertTrue(game["url"].endswith("/star-expedition-1.1.0.zip"))
        self.assertEqual(game["patches"][0]["from"], "1")
        boot = store_boot("/app/gameLaucher?productCode=x")[3]
        self.assertEqual(next(g for g in boot["catalogue"]["games"] if g["productId"] == "1001")["versionNo"], "2")


class StorefrontTest(unittest.TestCase):
    def setUp(self):
        service.reset()

    def test_storefront_start_data(self):
        cases = [
            # address, variant, uid of the signed-in user or None
            ("/app/gameLaucher?productCode=e17a&versionNo=114&authToken=&channelCode=demo&lang=zh&theme=",
             "gameLaucher", None),
            ("//app/gameLaucher?productCode=e17a&versionNo=114&authToken=demotoken10001&channelCode=demo"
             "&lang=autolocate&theme=", "gameLaucher", "10001"),
            ("//app/pcbox?from=pcapp&authToken=demotoken10002&productCode=e17a&versionNo=114&theme=", "pcbox", "10002"),
            ("/app/pcbox?from=pcapp&authToken=expired&productCode=e17a&versionNo=114&theme=", "pcbox", None),
        ]
        for path, variant, uid in cases:
            with self.subTest(path=path):
                status, headers, page, boot = store_boot(path)
                self.assertEqual(status, 200)
                self.assertEqual(headers["content-type"], "text/html; charset=utf-8")
                self.assertEqual(boot["variant"], variant)
                self.assertEqual(boot["apiHost"], service.base)
                self.assertEqual(boot["query"]["productCode"], "e17a")
                self.assertEqual(boot["user"]["uid"] if boot["user"] else None, uid)
                self.assertEqual(len(boot["catalogue"]["games"]), 6)
                self.assertIn('src="/static/channel.js"', page)
                self.assertNotIn("stub-bridge.js", page)
        page = store_boot("/app/gameLaucher?stub=1")[2]
        self.assertIn('src="/static/stub-bridge.js"', page)

    def test_query_values_cannot_break_out_of_the_page_script(self):
        hostile = "</script><script>window.hacked=1</script>"
        status, _, page, boot = store_boot("/app/gameLaucher?productCode=" + urllib.parse.quote(hostile))
        self.assertEqual(boot["query"]["productCode"], hostile)
        self.assertNotIn(hostile, page)
        plain = store_boot("/app/gameLaucher?productCode=x")[2]
        self.assertEqual(page.count("</script>"), plain.count("</script>"))

    def test_store_page_defines_every_function_the_launcher_calls(self):
        script = service.get("/static/store.js")[2].decode("utf-8")
        for name in ("pageInit", "setSystemConf", "setAppName", "setPayUrl", "changeDownLoadStatus",
                     "changeDownload_error", "updateLocalProductStatus", "stopAutoUpdate", "stopAutoUpdateNoTips",
                     "setLastClick", "resetGameDownload", "clearUnReadaMessage", "channgeUsbStatus", "setUsbDevices",
                     "choseDefaultDevice", "setUserInfo", "clearUserUnfo", "changeToFriendPage",
                     "setHasSelectInstall", "getProductInfoByProductCode"):
            with self.subTest(name=name):
                self.assertIn("expose('%s'," % name, script)
        self.assertIn("window.layer = {", script)


class PagesTest(unittest.TestCase):
    def test_pages_answer_html(self):
        cases = [
            ("//agreement/show/type/1/productCode/e17a.html", 200, "用户协议"),
            ("/agreement/show/type/2/productCode/e17a.html", 200, "隐私政策"),
            ("/agreement/show/productCode/e17a/type/1", 200, "用户协议"),
            ("/agreement/show/productCode/e17a/type/2", 200, "隐私政策"),
            ("//agreement/show/type/3/productCode/e17a", 200, "个人信息收集清单"),
            ("//agreement/show/type/4/productCode/", 200, "第三方信息共享清单"),
            ("/agreement/show/type/9/productCode/e17a", 404, "页面不存在"),
            ("//gameCenter/error?authToken=abc", 200, "游戏暂时无法打开"),
            ("/gamesite/register", 200, "快速注册"),
            ("/h5/starcatcher/index.html?ptToken=p&from=pcbox", 200, "星光捕手"),
            ("/gameCenter/play/1006?ptToken=p&from=pcbox", 200, "方块叠叠乐"),
            ("/gameCenter/play/1001", 404, "页面不存在"),
            ("/no/such/page", 404, "页面不存在"),
        ]
        for path, status, text in cases:
            with self.subTest(path=path):
                code, headers, body = service.get(path)
                self.assertEqual(code, status)
                self.assertEqual(headers["content-type"], "text/html; charset=utf-8")
                self.assertIn(text, re.search(r"<title>(.*?)</title>", body.decode("utf-8")).group(1) +
                              body.decode("utf-8"))

    def test_h5_game_reads_the_variables_the_launcher_injects(self):
        page = service.get("/h5/starcatcher/index.html")[2].decode("utf-8")
        for name in ("authToken", "productCode", "deviceId", "apiHost"):
            self.assertIn("typeof %s === 'string'" % name, page)
        self.assertIn("function pageInit()", page)
        self.assertIn("<canvas", page)

    def test_static_files_stay_inside_their_folder(self):
        self.assertEqual(service.get("/static/store.css")[0], 200)
        for path in ("/static/..%2Fserver.py", "/static/../server.py", "/static/nope.js"):
            with self.subTest(path=path):
                self.assertEqual(service.get(path)[0], 404)


if __name__ == "__main__":
    unittest.main()
