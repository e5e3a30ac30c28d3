/*
 * Shared script of the embedded pages: the page globals the native side fills in after every load,
 * small helpers, and the mouse handlers behind the classes "openPage", "moveWindow" and "doAction".
 */

var authToken = "";
var productCode = "";
var deviceId = "";
// Overwritten by the native bootstrap with the configured API host.
var apiHost = "http://127.0.0.1:8080";
var jsVersion = "1.0";
var userInfo = null;

// Called by the native bootstrap once the web channel is up; pages define their own.
function pageInit() {}

function doNativeCallback() {}

// The native bootstrap defines the real doAction after every load; until then an action has nowhere to go.
if (typeof doAction !== "function") {
    var doAction = function (action) {
        if (window.console) {
            console.log("no bridge yet for action " + action);
        }
    };
}

function setToken(token) {
    authToken = token;
}

function refershPage() {
    window.location.reload();
}

function setUserInfo(sUserInfo) {
    if (sUserInfo && typeof sUserInfo === "object" && sUserInfo.uid !== undefined) {
        userInfo = sUserInfo;
    }
}

// Value of a query key of the page's own address, or false when the key is absent.
function Args(name) {
    var query = window.location.search.replace(/^\?/, "");
    var pairs = query === "" ? [] : query.split("&");
    for (var i = 0; i < pairs.length; i++) {
        var at = pairs[i].indexOf("=");
        var key = at < 0 ? pairs[i] : pairs[i].substring(0, at);
        if (key === name) {
            var value = at < 0 ? "" : pairs[i].substring(at + 1);
            try {
                return decodeURIComponent(value.replace(/\+/g, " "));
            } catch (e) {
                return value;
            }
        }
    }
    return false;
}

// "0B" for 0 or anything that is not a number; otherwise B, KB, MB or GB with two decimals, ".00" dropped.
function FileSizeFormat(bytes) {
    var size = Number(bytes);
    if (!size || isNaN(size)) {
        return "0B";
    }
    var units = ["B", "KB", "MB", "GB"];
    var unit = 0;
    while (Math.abs(size) >= 1024 && unit < units.length - 1) {
        size = size / 1024;
        unit++;
    }
    return size.toFixed(2).replace(/\.00$/, "") + units[unit];
}

// Calls fun only when delay ms have passed since the last call that went through.
window.throttle = function (fun, delay) {
    var last = 0;
    return function () {
        var now = new Date().getTime();
        if (now - last < delay) {
            return undefined;
        }
        last = now;
        return fun.apply(this, arguments);
    };
};

jQuery(function ($) {
    $(document).on("click", ".openPage", function () {
        var el = $(this);
        var url = el.attr("url") || "";
        if (url === "") {
            return;
        }
        doAction("openPage", {
            url: url,
            title: el.attr("loadTitle") || url,
            only: el.attr("only") === "true" ? "1" : "0",
            icon: el.attr("icon") || ""
        });
    });

    $(document).on("mousedown", ".moveWindow", function (event) {
        if (event.which === 1 || event.which === undefined) {
            doAction("moveWindow", {});
        }
    });

    $(document).on("click", ".doAction", function () {
        var action = $(this).attr("action");
        if (action) {
            doAction(action, {});
        }
    });

    // Dropping a file on a page must not navigate away from it.
    $(document).on("dragover drop", function (event) {
        event.preventDefault();
    });
});
