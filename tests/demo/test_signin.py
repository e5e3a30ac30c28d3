"""Sign-in: the OAuth redirect, the real-name page, and the login page's endpoints."""

import base64
import json
import re
import unittest
import urllib.parse

import support

SUCCESS = "http://www.login-success.invalid"

service = None


def setUpModule():
    global service
    service = support.Service()


def tearDownModule():
    service.stop()


def form(fields):
    return urllib.parse.urlencode(fields).encode("utf-8")


def boot_of(page):
    return json.loads(re.search(r"var BOOT = (\{.*?\});\n", page).group(1))


class OAuthTest(unittest.TestCase):
    def setUp(self):
        service.reset()

    def login(self, username, password, success_url=SUCCESS, extra=None):
        fields = {"username": username, "password": password, "successUrl": success_url}
        fields.update(extra or {})
        return service.request("POST", "/open/oauth/login",
                               {"Content-Type": "application/x-www-form-urlencoded"}, form(fields))

    def test_success_redirects_to_the_success_address_with_the_user_in_the_query(self):
        cases = [
            # user, password, successUrl, raw username in the query, uid
            ("demo", "demo123", SUCCESS, "demo", "10001"),
            ("星辰 旅人&Co", "star123", SUCCESS + "/", "%E6%98%9F%E8%BE%B0%20%E6%97%85%E4%BA%BA%26Co", "10002"),
            ("demo", "demo123", SUCCESS + "/done?from=box", "demo", "10001"),
        ]
        for username, password, success_url, raw_name, uid in cases:
            with self.subTest(username=username, success_url=success_url):
                status, headers, _ = self.login(username, password, success_url)
                self.assertEqual(status, 302)
                location = headers["location"]
                self.assertTrue(location.startswith(success_url + ("&" if "?" in success_url else "?")))
                query = urllib.parse.urlsplit(location).query
                self.assertIn("&username=%s&" % raw_name, query)
                fields = dict(urllib.parse.parse_qsl(query))
                self.assertEqual(fields["uid"], uid)
                self.assertEqual(fields["username"], username)
                self.assertEqual(fields["timeleft"], "604800")
                self.assertRegex(fields["authToken"], r"^[0-9a-f]{32}$")
                # the token is a live session
                _, answer = service.json("/app/checkLogin?authToken=" + fields["authToken"])
                self.assertEqual(answer["data"]["uid"], int(uid))

    def test_a_failed_sign_in_shows_the_form_again_without_redirect(self):
        for username, password in (("demo", "wrong"), ("nobody", "demo123"), ("", "")):
            with self.subTest(username=username):
                status, headers, body = self.login(username, password)
                self.assertEqual(status, 200)
                self.assertNotIn("location", headers)
                boot = boot_of(body.decode("utf-8"))
                self.assertEqual(boot["error"], "账号或密码错误")
                self.assertEqual(boot["successUrl"], SUCCESS)

    def test_oauth_pages_in_both_address_forms_and_the_popup(self):
        query = ("?openId=gameLaucher&successUrl=" + SUCCESS + "&productCode=e17a&channelCode=demo"
                 "&sign=4a2c&stopClose=1&theme=gameLaucher&lang=zh")
        for path, oversea, popup in (("//open/oauth", False, False), ("/openapi/oauth", True, False),
                                     ("/open/oauth/popup", False, True)):
            with self.subTest(path=path):
                status, _, body = service.get(path + query)
                self.assertEqual(status, 200)
                page = body.decode("utf-8")
                boot = boot_of(page)
                self.assertEqual((boot["successUrl"], boot["oversea"], boot["popup"]), (SUCCESS, oversea, popup))
                self.assertIn('action="/open/oauth/login"', page)
                self.assertIn("function showRealName(", page)
        self.assertEqual(service.get("/open/oauth?openId=gameLaucher")[0], 400)

    def test_real_name_result_page(self):
        status, _, body = service.get("/open/realname")
        self.assertNotIn("实名认证", re.search(r"<title>(.*?)</title>", body.decode("utf-8")).group(1))
        status, _, body = service.get("/open/realname/done?name=%E6%9D%8E%E5%9B%9B&idCard=110101199001011234")
        page = body.decode("utf-8")
        self.assertEqual(status, 200)
        self.assertIn("实名认证", re.search(r"<title>(.*?)</title>", page).group(1))
        self.assertIn("function getUserInfo()", page)
        result = boot_of(page)["result"]
        self.assertRegex(result, r"^[A-Za-z0-9+/=]+$")  # safe inside a quoted page call
        info = json.loads(base64.b64decode(result).decode("utf-8"))
        self.assertEqual(info, {"status": 1, "realName": "李*", "idCard": "1101**********1234", "adult": 1})


class LoginPageEndpointsTest(unittest.TestCase):
    def setUp(self):
        service.reset()

    def assert_login_data(self, data, uid, username):
        self.assertEqual(data["userData"]["uid"], str(uid))
        self.assertEqual(data["userData"]["username"], username)
        self.assertTrue(data["userData"]["ptToken"])
        self.assertEqual(data["authToken"], data["token"])
        self.assertTrue(data["extData"]["nickName"])
        self.assertTrue(data["extData"]["avatar"].endswith("/static/avatar/%d.png" % uid))
        status, headers, _ = service.get(urllib.parse.urlsplit(data["extData"]["avatar"]).path)
        self.assertEqual((status, headers["content-type"]), (200, "image/png"))

    def test_password_and_phone_sign_in(self):
        cases = [
            ("/app/loginApp?username=demo&password=demo123&deviceId=pcbox&productCode=x&format=json", 10001, "demo"),
            ("/app/loginByPhone?phone=13900139000&code=123456&productCode=x&deviceId=pcbox&format=json",
             10002, "星辰 旅人&Co"),
        ]
        for path, uid, username in cases:
            with self.subTest(path=path):
                status, answer = service.json(path)
                self.assertEqual(status, 200)
                self.assertIs(answer["status"], True)
                self.assert_login_data(answer["data"], uid, username)
        # POST form bodies work the same way
        status, _, body = service.request("POST", "/app/loginApp", {"Content-Type": "application/x-www-form-urlencoded"},
                                          form({"username": "demo", "password": "demo123"}))
        self.assertIs(json.loads(body)["status"], True)

    def test_refused_sign_ins_answer_status_false(self):
        for path in ("/app/loginApp?username=demo&password=nope", "/app/loginApp",
                     "/app/loginByPhone?phone=13800138000&code=000000",
                     "/app/loginByPhone?phone=12345&code=123456",
                     "/app/sendPhoneCode?phone=1380013800", "/app/sendPhoneCode?phone=23800138000"):
            with self.subTest(path=path):
                status, answer = service.json(path)
                self.assertEqual(status, 200)
                self.assertIs(answer["status"], False)
                self.assertTrue(answer["msg"])
        self.assertIs(service.json("/app/sendPhoneCode?phone=13800138000&sendType=1")[1]["status"], True)

    def test_qr_sign_in_waits_then_confirms(self):
        service.control(qrConfirmAfterPolls=0)
        status, answer = service.json("/open/qrUrlcreate", {"logintype": 2, "t_s": 1, "referrer": "x"})
        created = answer["data"]["data"]
        self.assertTrue(created["qrurl"].startswith(service.base + "/open/qrScan?token="))
        status, headers, png = service.get("/open/qrImgCreate?data=" + created["qrurl"])
        self.assertEqual((status, headers["content-type"], png[:8]), (200, "image/png", b"\x89PNG\r\n\x1a\n"))
        poll = "/open/ckTokenLoginPcBox?from=pcapp"
        body = {"logintype": 2, "t_s": 2, "token": created["token"], "redirect": ""}
        self.assertEqual(service.json(poll, body)[1]["code"], 100)
        self.assertEqual(service.get(urllib.parse.urlsplit(created["qrurl"]).path + "?token=" +
                                     created["token"])[0], 200)
        answer = service.json(poll, body)[1]
        self.assertEqual(answer["code"], 200)
        self.assert_login_data(answer["data"], 10001, "demo")
        unknown = service.json(poll, dict(body, token="nope"))[1]
        self.assertEqual((unknown["code"], bool(unknown["msg"])), (101, True))

    def test_qr_code_confirms_itself_after_the_configured_polls(self):
        service.control(qrConfirmAfterPolls=3)
        token = service.json("/open/qrUrlcreate", {})[1]["data"]["data"]["token"]
        codes = [service.json("/open/ckTokenLoginPcBox?from=pcapp", {"token": token})[1]["code"] for _ in range(4)]
        self.assertEqual(codes, [100, 100, 200, 200])

    def test_login_check_and_user_info(self):
        for token, ok in (("demotoken10002", True), ("", False), ("unknown", False)):
            with self.subTest(token=token):
                answer = service.json("/app/checkLogin?authToken=" + token)[1]
                self.assertIs(answer["status"], ok)
                info = service.json("/app/getUserInfo?authToken=" + token)[1]
                self.assertIs(info["status"], ok)
                if ok:
                    self.assertEqual((answer["data"]["token"], answer["data"]["uid"]), (token, 10002))
                    self.assertEqual(info["data"]["username"], "星辰 旅人&Co")


if __name__ == "__main__":
    unittest.main()
