"""Faults that tests switch on through the control endpoint, and the record of requests served."""

import copy
import threading
import time

DEFAULTS = {
    # Transfer faults apply to requests whose path starts with this prefix (package downloads).
    "pathPrefix": "/download/",
    "ignoreRange": False,     # answer 200 with the whole file even when a Range was asked for
    "status": 0,              # answer this status (404, 500, 503, ...) instead of the file; 0: off
    "statusTimes": -1,        # how many requests get `status` before it switches itself off; -1: all
    "dropAfter": -1,          # close the connection after this many body bytes; -1: off
    "dropTimes": -1,          # how many responses are cut before it switches itself off; -1: all
    "throttle": 0,            # bytes per second for file bodies; 0: no limit
    # Storefront readiness: milliseconds before the page sends "hideWait"; -1 never sends it.
    "hideWaitDelayMs": 0,
    # Sign-in by QR code: the code counts as scanned at this poll; 0: never.
    "qrConfirmAfterPolls": 3,
}

_INT_KEYS = ("status", "statusTimes", "dropAfter", "dropTimes", "throttle", "hideWaitDelayMs",
             "qrConfirmAfterPolls")
MAX_LOG = 2000


class Faults:
    def __init__(self):
        self._lock = threading.Lock()
        self._state = copy.deepcopy(DEFAULTS)
        self._requests = []

    def reset(self):
        with self._lock:
            self._state = copy.deepcopy(DEFAULTS)
            self._requests = []

    def snapshot(self):
        with self._lock:
            return copy.deepcopy(self._state)

    def update(self, changes):
        """Validates and applies a partial state; returns an error text or None (nothing applied)."""
        if not isinstance(changes, dict):
            return "the body must be a JSON object"
        for key, value in changes.items():
            if key not in DEFAULTS:
                return "unknown key: %s" % key
            if key in _INT_KEYS:
                if isinstance(value, bool) or not isinstance(value, int):
                    return "%s must be an integer" % key
            elif key == "ignoreRange":
                if not isinstance(value, bool):
                    return "ignoreRange must be true or false"
            elif not isinstance(value, str):
                return "%s must be a string" % key
        if changes.get("status", 0) and not 100 <= changes["status"] <= 599:
            return "status must be an HTTP status code"
        with self._lock:
            self._state.update(changes)
        return None

    def applies(self, path):
        with self._lock:
            return path.startswith(self._state["pathPrefix"])

    def transfer_plan(self, path, head=False):
        """The faults for one file response, consuming the counted ones (a HEAD request has no body
        to cut, so it does not use up a counted drop)."""
        with self._lock:
            s = self._state
            if not path.startswith(s["pathPrefix"]):
                return {"ignoreRange": False, "status": 0, "dropAfter": -1, "throttle": 0}
            plan = {"ignoreRange": s["ignoreRange"], "status": s["status"], "dropAfter": s["dropAfter"],
                    "throttle": s["throttle"]}
            if plan["status"]:
                if s["statusTimes"] > 0:
                    s["statusTimes"] -= 1
                    if s["statusTimes"] == 0:
                        s["status"] = 0
                        s["statusTimes"] = -1
            elif plan["dropAfter"] >= 0 and s["dropTimes"] > 0 and not head:
                s["dropTimes"] -= 1
                if s["dropTimes"] == 0:
                    s["dropAfter"] = -1
                    s["dropTimes"] = -1
            if plan["status"]:
                plan["dropAfter"] = -1
            return plan

    def value(self, key):
        with self._lock:
            return self._state[key]

    def record(self, entry):
        entry["time"] = time.time()
        with self._lock:
            self._requests.append(entry)
            if len(self._requests) > MAX_LOG:
                del self._requests[: len(self._requests) - MAX_LOG]

    def requests(self):
        with self._lock:
            return list(self._requests)
