#!/usr/bin/python3
"""Local stand-in of the operator's web service: storefront, sign-in, messages, pages and packages.

    python3 demo/server.py --port 0 --data DIR [--big-size BYTES] [--exit-with-stdin] [--verbose]

Listens on 127.0.0.1 only. Prints "LISTENING http://127.0.0.1:PORT" on stdout once it accepts
connections. SIGINT or SIGTERM (or the end of stdin with --exit-with-stdin) stops it cleanly.
See demo/README.md for the addresses, the control endpoint and the catalogue.
"""

import argparse
import base64
import html
import json
import os
import re
import signal
import sys
import threading
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import accounts  # noqa: E402
import catalogue  # noqa: E402
import faults  # noqa: E402
import fileserve  # noqa: E402
import images  # noqa: E402
import packages  # noqa: E402

WEB = os.path.join(HERE, "web")
MAX_BODY = 1 << 20

CONTENT_TYPES = {
    ".zip": "application/zip", ".patch": "application/octet-stream",
    ".exe": "application/x-msdownload", ".apk": "application/vnd.android.package-archive",
    ".html": "text/html; charset=utf-8", ".css": "text/css; charset=utf-8",
    ".js": "application/javascript; charset=utf-8", ".png": "image/png", ".svg": "image/svg+xml",
    ".json": "application/json; charset=utf-8",
}

AGREEMENTS = {
    "1": ("用户协议", "欢迎使用游戏盒子。本协议是你与运营方之间关于使用游戏盒子及其服务的约定。"),
    "2": ("隐私政策", "我们重视你的隐私。本政策说明我们如何收集、使用和保护你的个人信息。"),
    "3": ("个人信息收集清单", "为提供下载、安装与登录服务，我们会收集设备标识、账号信息与下载记录。"),
    "4": ("第三方信息共享清单", "为实现支付与消息推送，部分信息会在必要范围内与合作方共享。"),
}


class DemoService:
    """Everything the handler threads share."""

    def __init__(self, data_dir, big_size, verbose=False):
        self.files = packages.ensure_packages(data_dir, big_size,
                                              log=lambda m: print(m, file=sys.stderr, flush=True))
        self.catalogue = catalogue.Catalogue(self.files)
        self.faults = faults.Faults()
        self.accounts = accounts.Accounts()
        self.verbose = verbose
        self.base = ""

    def reset(self):
        self.faults.reset()
        self.catalogue.reset()
        self.accounts.reset()


def _first(query, key, default=""):
    values = query.get(key)
    return values[0] if values else default


def _script_json(value):
    """JSON that is safe inside a <script> element."""
    text = json.dumps(value, ensure_ascii=False)
    return text.replace("</", "<\\/").replace("\u2028", "\\u2028").replace("\u2029", "\\u2029")


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "MorvuDemo/1.0"
    service = None  # set by make_server

    # --- plumbing -----------------------------------------------------------------------------

    def log_message(self, fmt, *args):
        if self.service.verbose:
            sys.stderr.write("%s %s\n" % (self.address_string(), fmt % args))

    def _split(self):
        parts = urllib.parse.urlsplit(self.path)
        # The launcher joins its host (kept with a trailing "/") and paths that start with "/".
        path = re.sub(r"/{2,}", "/", parts.path) or "/"
        query = urllib.parse.parse_qs(parts.query, keep_blank_values=True)
        return path, query

    def _body_fields(self):
        try:
            length = int(self.headers.get("Content-Length") or 0)
        except ValueError:
            return None
        if length < 0 or length > MAX_BODY:
            return None
        raw = self.rfile.read(length) if length else b""
        kind = (self.headers.get("Content-Type") or "").split(";")[0].strip().lower()
        if kind == "application/json":
            try:
                value = json.loads(raw.decode("utf-8") or "null")
            except (UnicodeDecodeError, ValueError):
                return None
            return value
        return urllib.parse.parse_qs(raw.decode("utf-8", "replace"), keep_blank_values=True)

    def _send(self, status, body, content_type, extra=None):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "no-store")
        self.send_header("Access-Control-Allow-Origin", "*")
        for key, value in (extra or {}).items():
            self.send_header(key, value)
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def send_json(self, value, status=200):
        self._send(status, json.dumps(value, ensure_ascii=False).encode("utf-8"),
                   "application/json; charset=utf-8")

    def send_html(self, text, status=200):
        self._send(status, text.encode("utf-8"), "text/html; charset=utf-8")

    def redirect(self, location):
        self._send(302, b"", "text/plain", {"Location": location})

    def render(self, name, values, status=200):
        with open(os.path.join(WEB, name), encoding="utf-8") as f:
            text = f.read()
        for key, value in values.items():
            text = text.replace("{{%s}}" % key, value)
        self.send_html(text, status)

    def not_found(self):
        self.render("error.html", {"TITLE": "页面不存在", "MESSAGE": html.escape("找不到 " + self._split()[0]),
                                   "BOOT": _script_json({"apiHost": self.service.base})}, 404)

    # --- verbs --------------------------------------------------------------------------------

    def do_OPTIONS(self):
        self._send(204, b"", "text/plain", {"Access-Control-Allow-Methods": "GET, POST, HEAD, OPTIONS",
                                            "Access-Control-Allow-Headers": "Content-Type"})

    def do_HEAD(self):
        self._dispatch(head=True)

    def do_GET(self):
        self._dispatch()

    def do_POST(self):
        self._dispatch(post=True)

    def _dispatch(self, head=False, post=False):
        path, query = self._split()
        fields = {}
        if post:
            body = self._body_fields()
            if body is None:
                self.close_connection = True  # an unread body must not be taken for the next request
                self.send_json({"status": False, "msg": "bad request body"}, 400)
                return
            fields = body
        if isinstance(fields, dict) and not path.startswith("/_control"):
            merged = dict(query)
            for key, value in fields.items():
                merged[key] = value if isinstance(value, list) else [str(value)]
            query = merged
        try:
            if path.startswith("/download/"):
                self._download(path, head)
                return
            if path.startswith("/_control"):
                self._control(path, fields if post else None)
                return
            route = ROUTES.get(path)
            if route is not None:
                route(self, query)
                return
            for pattern, handler in PATTERN_ROUTES:
                m = pattern.match(path)
                if m:
                    handler(self, query, *m.groups())
                    return
            self.not_found()
        except (BrokenPipeError, ConnectionResetError):
            self.close_connection = True
        except Exception as e:  # a fault of this service: answer it instead of dropping the connection
            sys.stderr.write("error in %s %s: %r\n" % (self.command, path, e))
            self.close_connection = True
            try:
                self.send_json({"status": False, "msg": "internal error"}, 500)
            except OSError:
                pass

    # --- packages -----------------------------------------------------------------------------

    def _download(self, path, head):
        rel = urllib.parse.unquote(path[len("/download/"):])
        entry = self.service.catalogue.file_for_path(rel)
        plan = self.service.faults.transfer_plan(path, head)
        record = {"method": self.command, "path": path, "range": self.headers.get("Range")}
        if entry is None:
            self.send_error(404, "No such package")
            record.update({"status": 404, "sent": 0})
        else:
            content_type = CONTENT_TYPES.get(os.path.splitext(rel)[1].lower(), "application/octet-stream")
            status, sent = fileserve.serve_file(self, entry["path"], content_type, '"%s"' % entry["md5"],
                                                plan, head)
            record.update({"status": status, "sent": sent})
        self.service.faults.record(record)

    # --- control ------------------------------------------------------------------------------

    def _control(self, path, body):
        svc = self.service
        if path == "/_control/requests":
            self.send_json({"requests": svc.faults.requests()})
            return
        if path == "/_control/reset":
            if body is None:
                self.send_json({"status": False, "msg": "use POST"}, 405)
                return
            svc.reset()
        elif path == "/_control":
            if body is not None:
                error = self._apply_control(body)
                if error:
                    self.send_json({"status": False, "msg": error}, 400)
                    return
        else:
            self.send_json({"status": False, "msg": "unknown control address"}, 404)
            return
        self.send_json({"status": True, "faults": svc.faults.snapshot(), "release": svc.catalogue.released()})

    def _apply_control(self, body):
        svc = self.service
        if not isinstance(body, dict):
            return "the body must be a JSON object"
        body = dict(body)
        if body.pop("reset", False) is True:
            svc.reset()
        release = body.pop("release", None)
        message = body.pop("message", None)
        qr_scan = body.pop("qrScan", None)
        if message is not None and not (isinstance(message, dict) and isinstance(message.get("title"), str)):
            return "message must be an object with a title"
        error = svc.faults.update(body) if body else None
        if error:
            return error
        if release is not None:
            error = svc.catalogue.set_released(release)
            if error:
                return error
        if message is not None:
            svc.accounts.add_message(message["title"], str(message.get("desc", "")))
        if qr_scan is not None and not svc.accounts.confirm_qr(str(qr_scan)):
            return "unknown QR token"
        return None


# --- storefront -------------------------------------------------------------------------------

def _user_json(svc, user, session):
    if not user:
        return None
    return {"uid": str(user["uid"]), "username": user["username"], "nickName": user["nickName"],
            "avatarUrl": svc.base + "/static/avatar/%d.png" % user["uid"], "authToken": session["token"],
            "ptToken": session["ptToken"]}


def storefront(handler, query, signed_in_variant=False):
    svc = handler.service
    keys = ("productCode", "versionNo", "authToken", "channelCode", "lang", "theme", "from")
    page_query = {k: _first(query, k) for k in keys}
    user, session = svc.accounts.user_for_token(page_query["authToken"])
    boot = {
        "apiHost": svc.base,
        "query": page_query,
        "variant": "pcbox" if signed_in_variant else "gameLaucher",
        "user": _user_json(svc, user, session),
        "catalogue": svc.catalogue.as_json(svc.base),
        "hideWaitDelayMs": svc.faults.value("hideWaitDelayMs"),
        "stub": _first(query, "stub") == "1",
    }
    stub = '<script src="/static/stub-bridge.js"></script>' if boot["stub"] else ""
    handler.render("store.html", {"BOOT": _script_json(boot), "STUB": stub})


def route_catalogue(handler, query):
    handler.send_json(handler.service.catalogue.as_json(handler.service.base))


# --- sign-in ----------------------------------------------------------------------------------

def _login_data(svc, user, session):
    avatar = svc.base + "/static/avatar/%d.png" % user["uid"]
    return {
        "authToken": session["token"],
        "userData": {"uid": str(user["uid"]), "username": user["username"], "ptToken": session["ptToken"]},
        "extData": {"nickName": user["nickName"], "avatar": avatar},
        # the same user in the flat form of the login check
        "token": session["token"], "uid": user["uid"], "username": user["username"],
        "nickName": user["nickName"], "avatarUrl": avatar, "ptToken": session["ptToken"],
    }


def _success_address(success_url, user, session):
    quote = lambda v: urllib.parse.quote(str(v), safe="")  # noqa: E731
    query = "uid=%s&authToken=%s&username=%s&timeleft=%d" % (
        quote(user["uid"]), quote(session["token"]), quote(user["username"]), accounts.SESSION_SECONDS)
    return success_url + ("&" if "?" in success_url else "?") + query


def oauth_page(handler, query, oversea=False, popup=False, error=""):
    svc = handler.service
    success_url = _first(query, "successUrl")
    if not success_url:
        handler.render("error.html", {"TITLE": "参数错误", "MESSAGE": "缺少 successUrl 参数",
                                      "BOOT": _script_json({"apiHost": svc.base})}, 400)
        return
    boot = {
        "apiHost": svc.base, "successUrl": success_url, "oversea": oversea, "popup": popup,
        "productCode": _first(query, "productCode"), "channelCode": _first(query, "channelCode"),
        "lang": _first(query, "lang"), "openId": _first(query, "openId"), "error": error,
        "username": _first(query, "username"),
        "accounts": [{"username": u["username"], "password": u["password"]} for u in accounts.USERS],
    }
    handler.render("oauth.html", {"BOOT": _script_json(boot),
                                  "TITLE": "授权登录" if popup else ("Sign in" if oversea else "账号登录")})


def oauth_login(handler, query):
    svc = handler.service
    user = svc.accounts.check_password(_first(query, "username"), _first(query, "password"))
    oversea = _first(query, "oversea") == "1"
    popup = _first(query, "popup") == "1"
    if user is None:
        oauth_page(handler, query, oversea, popup, "账号或密码错误" if not oversea else "Wrong user name or password")
        return
    session = svc.accounts.open_session(user)
    handler.redirect(_success_address(_first(query, "successUrl"), user, session))


def realname_form(handler, query):
    handler.render("realname.html", {"BOOT": _script_json({"apiHost": handler.service.base, "done": False,
                                                           "result": ""}),
                                     "TITLE": "实名信息填写"})


def realname_done(handler, query):
    name = _first(query, "name", "张三").strip() or "张三"
    id_card = _first(query, "idCard", "110101199001011234").strip()
    masked_name = name[0] + "*" * (len(name) - 1)
    masked_id = id_card[:4] + "*" * max(0, len(id_card) - 8) + id_card[-4:] if len(id_card) > 8 else "****"
    result = {"status": 1, "realName": masked_name, "idCard": masked_id, "adult": 1}
    # Base64 text has no quote or backslash, so the launcher can hand it back inside a page call.
    encoded = base64.b64encode(json.dumps(result, ensure_ascii=False).encode("utf-8")).decode("ascii")
    handler.render("realname.html", {"BOOT": _script_json({"apiHost": handler.service.base, "done": True,
                                                           "result": encoded}),
                                     "TITLE": "实名认证成功"})


def _login_answer(handler, user):
    svc = handler.service
    session = svc.accounts.open_session(user)
    handler.send_json({"status": True, "msg": "登录成功", "data": _login_data(svc, user, session)})


def login_app(handler, query):
    user = handler.service.accounts.check_password(_first(query, "username"), _first(query, "password"))
    if user is None:
        handler.send_json({"status": False, "msg": "账号或密码错误"})
        return
    _login_answer(handler, user)


PHONE_RE = re.compile(r"^1\d{10}$")


def send_phone_code(handler, query):
    phone = _first(query, "phone")
    if not PHONE_RE.match(phone):
        handler.send_json({"status": False, "msg": "手机号码格式错误"})
        return
    handler.send_json({"status": True, "msg": "验证码已发送（演示验证码 %s）" % accounts.PHONE_CODE})


def login_by_phone(handler, query):
    phone, code = _first(query, "phone"), _first(query, "code")
    user = handler.service.accounts.user_by_phone(phone)
    if user is None or code != accounts.PHONE_CODE:
        handler.send_json({"status": False, "msg": "验证码错误"})
        return
    _login_answer(handler, user)


def qr_create(handler, query):
    svc = handler.service
    token = svc.accounts.create_qr()
    handler.send_json({"status": True, "msg": "ok",
                       "data": {"data": {"qrurl": svc.base + "/open/qrScan?token=" + token, "token": token}}})


def qr_image(handler, query):
    handler._send(200, images.qr_png(_first(query, "data")), "image/png")


def qr_scan(handler, query):
    ok = handler.service.accounts.confirm_qr(_first(query, "token"))
    handler.render("error.html", {"TITLE": "扫码登录", "MESSAGE": "已确认登录，请回到电脑上继续" if ok else "二维码已失效",
                                  "BOOT": _script_json({"apiHost": handler.service.base})})


def qr_check(handler, query):
    svc = handler.service
    state = svc.accounts.poll_qr(_first(query, "token"), svc.faults.value("qrConfirmAfterPolls"))
    if state in ("unknown", "expired"):
        handler.send_json({"status": True, "code": 101, "msg": "二维码已失效，请刷新"})
    elif state == "waiting":
        handler.send_json({"status": True, "code": 100, "msg": "请使用手机扫码登录"})
    else:
        user = accounts.USERS[0]
        session = svc.accounts.open_session(user)
        handler.send_json({"status": True, "code": 200, "msg": "登录成功", "data": _login_data(svc, user, session)})


def check_login(handler, query):
    svc = handler.service
    user, session = svc.accounts.user_for_token(_first(query, "authToken") or _first(query, "token"))
    if user is None:
        handler.send_json({"status": False, "msg": "登录已失效", "data": {}})
        return
    handler.send_json({"status": True, "data": _login_data(svc, user, session)})


def user_info(handler, query):
    svc = handler.service
    user, session = svc.accounts.user_for_token(_first(query, "authToken"))
    if user is None:
        handler.send_json({"status": False, "msg": "未登录", "data": {}})
        return
    handler.send_json({"status": True, "data": _user_json(svc, user, session)})


def logout(handler, query):
    handler.service.accounts.end_session(_first(query, "authToken"))
    handler.send_json({"status": True})


# --- messages ---------------------------------------------------------------------------------

def get_messages(handler, query):
    svc = handler.service
    items = svc.accounts.messages()
    for item in items:
        info = item.get("replyUserInfo")
        if info and info.get("avatarUrl", "").startswith("/"):
            info["avatarUrl"] = svc.base + info["avatarUrl"]
    unread = sum(1 for m in items if not m["isRead"])
    handler.send_json({"status": True, "msg": "ok", "unread": unread, "data": items})


def _int_param(query, key):
    text = _first(query, key)
    return int(text) if text.isdigit() else None


def apply_group(handler, query):
    nid, kind = _int_param(query, "nid"), _first(query, "type")
    if nid is None or kind not in ("0", "1"):
        handler.send_json({"status": False, "msg": "参数错误"})
        return
    ok = handler.service.accounts.answer_group_request(nid, kind == "1")
    handler.send_json({"status": ok, "msg": "操作成功" if ok else "申请不存在"})


def read_message(handler, query):
    mid = _int_param(query, "id")
    ok = mid is not None and handler.service.accounts.read_message(mid)
    handler.send_json({"status": bool(ok), "msg": "ok" if ok else "消息不存在"})


# --- pages ------------------------------------------------------------------------------------

def agreement(handler, query, type_a, code_a, code_b, type_b):
    kind = type_a or type_b
    code = code_a if type_a else code_b
    if kind not in AGREEMENTS:
        handler.not_found()
        return
    title, text = AGREEMENTS[kind]
    handler.render("agreement.html", {"TITLE": title, "TEXT": html.escape(text), "TYPE": kind,
                                      "PRODUCT": html.escape(code or "")})


def error_page(handler, query):
    handler.render("error.html", {"TITLE": "游戏暂时无法打开", "MESSAGE": "这个游戏的地址无效或已下线，请返回游戏盒子选择其他游戏。",
                                  "BOOT": _script_json({"apiHost": handler.service.base})})


def register_page(handler, query):
    handler.render("register.html", {"BOOT": _script_json({"apiHost": handler.service.base})})


def h5_game(handler, query, product_id="1005"):
    product = catalogue.product(product_id)
    if product is None or product["platform"] != "3":
        handler.not_found()
        return
    boot = {"apiHost": handler.service.base, "productId": product_id, "productName": product["productName"],
            "portrait": product_id == "1006", "query": {k: v[0] for k, v in query.items() if v}}
    handler.render("h5game.html", {"BOOT": _script_json(boot), "TITLE": html.escape(product["productName"])})


def index_page(handler, query):
    handler.redirect("/app/gameLaucher?productCode=demo&versionNo=114&authToken=&channelCode=demo&lang=zh&theme=")


def login_handle(handler, query):
    handler.send_json({"status": False, "msg": "请使用页面内登录"})


# --- static files and pictures ----------------------------------------------------------------

def static_file(handler, query, name):
    path = os.path.normpath(os.path.join(WEB, "static", name))
    if not path.startswith(os.path.join(WEB, "static") + os.sep) or not os.path.isfile(path):
        handler.not_found()
        return
    with open(path, "rb") as f:
        body = f.read()
    handler._send(200, body, CONTENT_TYPES.get(os.path.splitext(path)[1], "application/octet-stream"))


def logo(handler, query, product_id):
    product = catalogue.product(product_id)
    if product is None:
        handler.not_found()
        return
    body = images.emblem_png(product["emblem"], product["colors"][0], product["colors"][1])
    handler._send(200, body, "image/png", {"Cache-Control": "max-age=3600"})


def avatar(handler, query, uid):
    handler._send(200, images.avatar_png(uid), "image/png")


ROUTES = {
    "/": index_page,
    "/app/gameLaucher": storefront,
    "/app/pcbox": lambda h, q: storefront(h, q, True),
    "/api/catalogue": route_catalogue,
    "/open/oauth": oauth_page,
    "/openapi/oauth": lambda h, q: oauth_page(h, q, oversea=True),
    "/open/oauth/popup": lambda h, q: oauth_page(h, q, popup=True),
    "/open/oauth/login": oauth_login,
    "/open/realname": realname_form,
    "/open/realname/done": realname_done,
    "/app/loginApp": login_app,
    "/app/sendPhoneCode": send_phone_code,
    "/app/loginByPhone": login_by_phone,
    "/open/qrUrlcreate": qr_create,
    "/open/qrImgCreate": qr_image,
    "/open/qrScan": qr_scan,
    "/open/ckTokenLoginPcBox": qr_check,
    "/app/checkLogin": check_login,
    "/app/getUserInfo": user_info,
    "/app/logout": logout,
    "/app/getPcBoxMessage": get_messages,
    "/app/applyGroupDo": apply_group,
    "/app/readMessage": read_message,
    "/gameCenter/error": error_page,
    "/gamesite/register": register_page,
    "/base/loginHandle": login_handle,
    "/h5/starcatcher/index.html": h5_game,
}

PATTERN_ROUTES = [
    (re.compile(r"^/agreement/show/(?:type/(\d+)/productCode/([^/]*?)(?:\.html)?|productCode/([^/]*)/type/(\d+)"
                r"(?:\.html)?)/?$"), agreement),
    (re.compile(r"^/gameCenter/play/(\d+)$"), h5_game),
    (re.compile(r"^/static/logo/(\d+)\.png$"), logo),
    (re.compile(r"^/static/avatar/(\d+)\.png$"), avatar),
    (re.compile(r"^/static/([A-Za-z0-9_.-]+)$"), static_file),
]


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 128


def make_server(service, port):
    handler = type("BoundHandler", (Handler,), {"service": service})
    server = Server(("127.0.0.1", port), handler)
    service.base = "http://127.0.0.1:%d" % server.server_address[1]
    return server


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--port", type=int, default=0, help="port on 127.0.0.1 (0 picks a free one)")
    parser.add_argument("--data", default=os.path.join(HERE, "data"),
                        help="directory for the generated packages (reused when present)")
    parser.add_argument("--big-size", type=int,
                        default=int(os.environ.get("DEMO_BIG_SIZE", packages.DEFAULT_BIG_SIZE)),
                        help="bytes of incompressible data in the large game (env DEMO_BIG_SIZE)")
    parser.add_argument("--exit-with-stdin", action="store_true",
                        help="stop when standard input reaches its end (the parent went away)")
    parser.add_argument("--verbose", action="store_true", help="log every request on stderr")
    args = parser.parse_args(argv)
    if args.big_size < 0 or args.port < 0 or args.port > 65535:
        parser.error("sizes and ports must not be negative")

    service = DemoService(args.data, args.big_size, args.verbose)
    server = make_server(service, args.port)
    stop = threading.Event()

    def request_stop(*_):
        stop.set()

    signal.signal(signal.SIGINT, request_stop)
    signal.signal(signal.SIGTERM, request_stop)
    if args.exit_with_stdin:
        def watch_stdin():
            while sys.stdin.buffer.read1(4096):
                pass
            stop.set()
        threading.Thread(target=watch_stdin, daemon=True).start()

    worker = threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.2}, daemon=True)
    worker.start()
    print("LISTENING %s" % service.base, flush=True)
    while not stop.wait(0.5):
        pass
    server.shutdown()
    server.server_close()
    worker.join(timeout=5)
    print("STOPPED", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
