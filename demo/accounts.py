"""Demo accounts, sign-in sessions, QR sign-in codes and the message inbox."""

import copy
import hashlib
import itertools
import threading
import time

PHONE_CODE = "123456"

# The second user's name needs percent-encoding in an address (a blank, "&" and CJK characters).
USERS = [
    {"uid": 10001, "username": "demo", "password": "demo123", "nickName": "演示玩家",
     "phone": "13800138000"},
    {"uid": 10002, "username": "星辰 旅人&Co", "password": "star123", "nickName": "星辰旅人",
     "phone": "13900139000"},
]

# Tokens that are always valid, so a test can start signed in without going through a form.
FIXED_TOKENS = {"demotoken10001": 10001, "demotoken10002": 10002}

SESSION_SECONDS = 7 * 24 * 3600

INITIAL_MESSAGES = [
    {"id": 1, "type": 1, "title": "系统通知：星际远征 1.1.0 已发布",
     "showDesc": "<p>新增两个关卡，修复了存档问题。<b>打开游戏盒子即可更新。</b></p>",
     "timeSay": "10:24", "isRead": 0},
    {"id": 2, "type": 3, "title": "新的入群申请",
     "showDesc": "<p>玩家 <b>风之子</b> 申请加入你的群「星际远征攻略组」</p>",
     "timeSay": "09:58", "isRead": 0, "replyUserInfo": {"avatarUrl": "/static/avatar/20001.png"}},
    {"id": 3, "type": 2, "title": "有人回复了你的评论",
     "showDesc": "<p>「这个关卡我也卡了很久，试试先拿护盾。」</p>",
     "timeSay": "昨天", "isRead": 0, "replyUserInfo": {"avatarUrl": "/static/avatar/20002.png"}},
    {"id": 4, "type": 2, "title": "你有一位新粉丝",
     "showDesc": "<p>玩家 <b>小鹿</b> 关注了你</p>", "timeSay": "昨天", "isRead": 1,
     "replyUserInfo": {"avatarUrl": "/static/avatar/20003.png"}},
    {"id": 5, "type": 2, "title": "你的攻略收到了点赞",
     "showDesc": "<p>《龙域传说新手指南》获得 12 个点赞</p>", "timeSay": "3天前", "isRead": 1},
]


def _hex(text):
    return hashlib.md5(text.encode("utf-8")).hexdigest()


class Accounts:
    def __init__(self):
        self._lock = threading.Lock()
        self._counter = itertools.count(1)
        self._sessions = {}
        self._qr = {}
        self._messages = copy.deepcopy(INITIAL_MESSAGES)

    def reset(self):
        with self._lock:
            self._sessions = {}
            self._qr = {}
            self._messages = copy.deepcopy(INITIAL_MESSAGES)

    # --- users and sessions -------------------------------------------------------------------

    @staticmethod
    def user_by_uid(uid):
        for user in USERS:
            if user["uid"] == uid:
                return user
        return None

    def check_password(self, username, password):
        for user in USERS:
            if user["username"] == username and user["password"] == password:
                return user
        return None

    @staticmethod
    def user_by_phone(phone):
        for user in USERS:
            if user["phone"] == phone:
                return user
        return None

    def open_session(self, user):
        n = next(self._counter)
        token = _hex("token:%d:%d" % (user["uid"], n))
        session = {"uid": user["uid"], "token": token, "ptToken": "pt" + _hex("pt:%s" % token)[:30],
                   "expires": time.time() + SESSION_SECONDS}
        with self._lock:
            self._sessions[token] = session
        return session

    def session(self, token):
        if not token:
            return None
        if token in FIXED_TOKENS:
            uid = FIXED_TOKENS[token]
            return {"uid": uid, "token": token, "ptToken": "pt" + _hex("pt:%s" % token)[:30],
                    "expires": time.time() + SESSION_SECONDS}
        with self._lock:
            s = self._sessions.get(token)
        if s and s["expires"] > time.time():
            return s
        return None

    def user_for_token(self, token):
        s = self.session(token)
        return (self.user_by_uid(s["uid"]), s) if s else (None, None)

    def end_session(self, token):
        with self._lock:
            self._sessions.pop(token, None)

    # --- QR sign-in ---------------------------------------------------------------------------

    def create_qr(self):
        n = next(self._counter)
        token = "qr" + _hex("qr:%d:%f" % (n, time.time()))[:22]
        with self._lock:
            self._qr[token] = {"polls": 0, "created": time.time(), "done": False}
        return token

    def poll_qr(self, token, confirm_after):
        """Returns "unknown", "expired", "waiting" or "confirmed"."""
        with self._lock:
            entry = self._qr.get(token)
            if entry is None:
                return "unknown"
            if time.time() - entry["created"] > 300:
                return "expired"
            entry["polls"] += 1
            if entry["done"] or (confirm_after > 0 and entry["polls"] >= confirm_after):
                entry["done"] = True
                return "confirmed"
            return "waiting"

    def confirm_qr(self, token):
        with self._lock:
            if token in self._qr:
                self._qr[token]["done"] = True
                return True
        return False

    # --- messages -----------------------------------------------------------------------------

    def messages(self):
        with self._lock:
            return copy.deepcopy(self._messages)

    def read_message(self, message_id):
        with self._lock:
            for m in self._messages:
                if m["id"] == message_id:
                    m["isRead"] = 1
                    return True
        return False

    def answer_group_request(self, message_id, allow):
        with self._lock:
            for m in self._messages:
                if m["id"] == message_id and m["type"] == 3:
                    m["isRead"] = 1
                    m["answer"] = 1 if allow else 0
                    return True
        return False

    def add_message(self, title, desc):
        with self._lock:
            next_id = max([m["id"] for m in self._messages] + [0]) + 1
            self._messages.insert(0, {"id": next_id, "type": 1, "title": title, "showDesc": desc,
                                      "timeSay": time.strftime("%H:%M"), "isRead": 0})
            return next_id
