"""The games the demo storefront offers, and the launcher build for self-update."""

import copy
import threading

import packages

# Product ids are decimal, as the launcher's task store expects.
PRODUCTS = [
    {
        "productId": "1001", "productName": "星际远征", "englishName": "Star Expedition",
        "genre": "太空冒险", "platform": "0", "emblem": "star", "colors": ["#5b8cff", "#8a4dff"],
        "startcmd": "APP_PATH/bin/game.exe", "installcmd": "", "package": "",
        "summary": "驾驶探索舰穿越未知星域，收集资源，建立属于你的星际航线。",
        "versions": [
            {"versionNo": "1", "versionName": "1.0.0", "file": packages.STAR_V1},
            {"versionNo": "2", "versionName": "1.1.0", "file": packages.STAR_V2},
        ],
        "patches": [{"from": "1", "to": "2", "file": packages.STAR_PATCH}],
        "released": "1",
    },
    {
        "productId": "1002", "productName": "龙域传说", "englishName": "Dragon Realm",
        "genre": "角色扮演", "platform": "0", "emblem": "dragon", "colors": ["#ff7a45", "#d4145a"],
        "startcmd": "APP_PATH/bin/game.exe", "installcmd": "", "package": "",
        "summary": "巨龙苏醒的大陆上，组建你的冒险小队，书写属于你的传说。",
        "versions": [{"versionNo": "23", "versionName": "2.3.0", "file": packages.DRAGON}],
        "patches": [],
        "released": "23",
    },
    {
        "productId": "1003", "productName": "像素赛车", "englishName": "Pixel Kart",
        "genre": "竞速", "platform": "0", "emblem": "wheel", "colors": ["#00c9a7", "#0081cf"],
        "startcmd": "", "installcmd": "", "package": "",
        "summary": "复古像素风格的卡丁车竞速，十二条赛道等你挑战。安装包形式发行。",
        "versions": [{"versionNo": "12", "versionName": "1.2.0", "file": packages.KART_SETUP}],
        "patches": [],
        "released": "12",
    },
    {
        "productId": "1004", "productName": "口袋农场", "englishName": "Pocket Farm",
        "genre": "模拟经营 · 手游", "platform": "1", "emblem": "leaf", "colors": ["#7bd389", "#2a9d8f"],
        "startcmd": "com.morvu.pocketfarm.MainActivity", "installcmd": "",
        "package": "com.morvu.pocketfarm",
        "summary": "在手机上经营一座小农场。通过 USB 安装到你的安卓手机。",
        "versions": [{"versionNo": "1", "versionName": "1.0.0", "file": packages.FARM_APK}],
        "patches": [],
        "released": "1",
    },
    {
        "productId": "1005", "productName": "星光捕手", "englishName": "Star Catcher",
        "genre": "网页游戏", "platform": "3", "emblem": "snake", "colors": ["#f9d423", "#ff4e50"],
        "startcmd": "", "installcmd": "", "package": "",
        "summary": "无需下载，点开即玩的网页小游戏：接住坠落的星星！",
        "versions": [{"versionNo": "1", "versionName": "1.0.0", "page": "/h5/starcatcher/index.html"}],
        "patches": [],
        "released": "1",
    },
    {
        "productId": "1006", "productName": "方块叠叠乐", "englishName": "Block Stack",
        "genre": "网页游戏 · 竖屏", "platform": "3", "emblem": "blocks", "colors": ["#c471f5", "#fa71cd"],
        "startcmd": "", "installcmd": "", "package": "",
        "summary": "竖屏网页小游戏，以手机尺寸的窗口打开。",
        "versions": [{"versionNo": "1", "versionName": "1.0.0", "page": "/gameCenter/play/1006"}],
        "patches": [],
        "released": "1",
    },
]

LAUNCHER = {"versionNo": "115", "versionName": "Standard 1.1.5", "file": packages.LAUNCHER_BUILD}


class Catalogue:
    def __init__(self, files):
        """files: the result of packages.ensure_packages."""
        self._files = files
        self._lock = threading.Lock()
        self._released = {p["productId"]: p["released"] for p in PRODUCTS}

    def reset(self):
        with self._lock:
            self._released = {p["productId"]: p["released"] for p in PRODUCTS}

    def set_released(self, releases):
        """releases: {productId: versionNo}; returns an error text or None (nothing applied)."""
        if not isinstance(releases, dict):
            return "release must be an object of productId to versionNo"
        for pid, version in releases.items():
            product = _product(pid)
            if product is None:
                return "unknown product: %s" % pid
            if not any(v["versionNo"] == version for v in product["versions"]):
                return "product %s has no version %s" % (pid, version)
        with self._lock:
            self._released.update(releases)
        return None

    def released(self):
        with self._lock:
            return dict(self._released)

    def file_for_path(self, rel):
        """The package behind a download path (relative to /download/), or None."""
        entry = self._files.get(rel)
        return entry

    def _file_fields(self, base, name):
        entry = self._files[name]
        return {"url": base + "/download/" + name, "md5": entry["md5"], "size": entry["size"],
                "fileName": name.rsplit("/", 1)[-1]}

    def as_json(self, base):
        released = self.released()
        games = []
        for p in PRODUCTS:
            game = {k: copy.deepcopy(v) for k, v in p.items() if k not in ("versions", "patches", "released")}
            game["logo"] = base + "/static/logo/%s.png" % p["productId"]
            versions = []
            for v in p["versions"]:
                item = {"versionNo": v["versionNo"], "versionName": v["versionName"]}
                if "file" in v:
                    item.update(self._file_fields(base, v["file"]))
                else:
                    item.update({"url": base + v["page"], "md5": "", "size": 0, "fileName": ""})
                versions.append(item)
            patches = []
            for patch in p["patches"]:
                item = {"from": patch["from"], "to": patch["to"]}
                item.update(self._file_fields(base, patch["file"]))
                patches.append(item)
            current = next(v for v in versions if v["versionNo"] == released[p["productId"]])
            game.update({"versionNo": current["versionNo"], "versionName": current["versionName"],
                         "url": current["url"], "md5": current["md5"], "size": current["size"],
                         "versions": versions, "patches": patches})
            games.append(game)
        launcher = {"versionNo": LAUNCHER["versionNo"], "versionName": LAUNCHER["versionName"]}
        launcher.update(self._file_fields(base, LAUNCHER["file"]))
        return {"games": games, "launcher": launcher}


def _product(pid):
    for p in PRODUCTS:
        if p["productId"] == pid:
            return p
    return None


def product(pid):
    return _product(pid)
