/*
 * Page side of the launcher: the settings controls, the texts of task statuses, and the calls native
 * code makes into a page that lists the user's games. Elements of one product carry the class
 * "downStatus_" + productId; inside them the parts are found by class (downTips, downTipsShort,
 * downRate, downProgress, downSizeRate, downSpeed, downSpeedLabel, downError, downDots).
 *
 * Every value that comes from native code or from the service is put into the page as text.
 */

var systemConf = null;
// Text table of the page: translation key -> text (setLanguage).
var lang = {};
// Versions of the installed games the page was told about (checkProductUpdate).
var nowVersion = {};
var autoMustUpdate = 0;
var autoAllUpdate = 0;
// Last accepted click of a download button, in seconds.
var lastDownClick = 0;

var EXTRACT_DOTS = ["", ".", "..", "..."];
var extractTimer = null;
var extractStep = 0;

// ---- texts ----

// Whether the table has a real text for a key: without a translation file the launcher sends every key
// mapped to itself, and then the page's own words are better.
function hasLangText(key) {
    return !!lang && typeof lang === "object" && typeof lang[key] === "string" && lang[key] !== "" && lang[key] !== key;
}

// The text of a translation key from the page's table, or the fallback.
function getLang(key, fallback) {
    return hasLangText(key) ? lang[key] : fallback;
}

// The current time in seconds (with its fraction, so a one-second guard is one second long).
function getTimeStamp() {
    return new Date().getTime() / 1000;
}

function setLanguage(str) {
    try {
        var table = JSON.parse(base64_decode(str));
        if (table && typeof table === "object" && !jQuery.isArray(table)) {
            lang = table;
        }
    } catch (e) {
        // A broken table leaves the texts as they are.
    }
    for (var key in lang) {
        if (Object.prototype.hasOwnProperty.call(lang, key) && hasLangText(key)) {
            jQuery(document.getElementsByClassName("lang_" + key)).text(lang[key]);
        }
    }
}

// Text shown for a task status; rate is the percentage of a running download.
function statusText(status, rate) {
    switch (Number(status)) {
    case 0:
        return getLang("js_dengdaixiazai", "等待下载");
    case 1:
        if (Number(rate) >= 100) {
            return getLang("js_zhunbeianzhuang", "准备安装");
        }
        var percent = rate === undefined || rate === null || rate === "" ? "0" : String(rate);
        return getLang("js_xiazaizhong", "下载中") + " " + percent + (percent.indexOf("%") < 0 ? "%" : "");
    case 2:
        return getLang("js_zhunbeianzhuang", "准备安装");
    case 3:
        return getLang("js_xiazaichucuo", "下载出错");
    case 4:
        return getLang("js_jixuxiazai", "继续下载");
    case 5:
        return getLang("js_qidongyouxi", "启动游戏");
    case 6:
        return getLang("js_kaishixiazai", "开始下载");
    case 7:
        return getLang("js_jijianganzhuang", "即将安装..");
    case 8:
        return "远程启动应用";
    case 9:
        return getLang("js_anzhuangshibai", "安装失败");
    case 10:
        return "开始游戏";
    case 11:
        return "手机扫码游戏";
    default:
        return getLang("js_huoquyouxi", "获取游戏");
    }
}

// Display group of a status for lists built from stored tasks: 0 waiting, 1 downloading, 2 finished, 3 failed.
function statusGroupOfRecord(status) {
    switch (Number(status)) {
    case 1:
    case 4:
        return 1;
    case 2:
    case 5:
    case 7:
    case 8:
    case 9:
        return 2;
    case 3:
        return 3;
    default:
        return 0;
    }
}

// Display group of a status reported while a task runs: a task that was just queued shows as downloading.
function statusGroupOfChange(status) {
    return Number(status) === 0 ? 1 : statusGroupOfRecord(status);
}

// When tips contain "%": without digit runs, the first "%" and the first "."; otherwise tips as they are.
function changeTipsShort(tips) {
    tips = tips === undefined || tips === null ? "" : String(tips);
    if (tips.indexOf("%") < 0) {
        return tips;
    }
    return tips.replace(/[0-9]+/g, "").replace("%", "").replace(".", "");
}

// ---- product elements ----

// Every element of a product. Class names are matched literally, so any product id is safe here.
function productElements(productId) {
    return jQuery(document.getElementsByClassName("downStatus_" + productId));
}

// The elements of class cls among a product's elements and inside them.
function productPart(productId, cls) {
    var els = productElements(productId);
    return els.filter("." + cls).add(els.find("." + cls));
}

function clearStatusStyle(els) {
    els.each(function () {
        var el = jQuery(this);
        var classes = String(el.attr("class") || "").split(/\s+/);
        for (var i = 0; i < classes.length; i++) {
            if (/^status_/.test(classes[i])) {
                el.removeClass(classes[i]);
            }
        }
        el.removeAttr("status");
    });
}

function setStatusStyle(els, status) {
    clearStatusStyle(els);
    els.addClass("status_" + Number(status)).attr("status", String(Number(status)));
}

function statusOf(el) {
    var status = parseInt(jQuery(el).attr("status"), 10);
    return isNaN(status) ? -1 : status;
}

function setButtonsDisabled(els, disabled) {
    var selector = ".doActionDown, .iconBtn, button";
    var buttons = els.filter(selector).add(els.find(selector));
    buttons.toggleClass("disabled", !!disabled);
    buttons.filter("button").prop("disabled", !!disabled);
}

// Install information carried on a button: Base64 of {install, run} (plus installcmd for phones).
function encodeInstallInfo(installcmd, startcmd, platform, packageName) {
    var info = { install: installcmd || "", run: startcmd || "" };
    if (String(platform) === "1") {
        info.installcmd = packageName || "";
    }
    return base64_encode(JSON.stringify(info));
}

function decodeInstallInfo(text) {
    try {
        var info = JSON.parse(base64_decode(text || ""));
        if (info && typeof info === "object") {
            return info;
        }
    } catch (e) {
        // Broken information: the button sends empty commands.
    }
    return {};
}

function storeStartCommand(els, startcmd) {
    var buttons = els.filter(".doActionDown").add(els.find(".doActionDown"));
    buttons.each(function () {
        var button = jQuery(this);
        var info = decodeInstallInfo(button.attr("installinfo"));
        info.run = startcmd;
        button.attr("installinfo", base64_encode(JSON.stringify(info)));
    });
}

function decodeRecords(status) {
    try {
        var records = JSON.parse(base64_decode(status));
        return jQuery.isArray(records) ? records : [];
    } catch (e) {
        return [];
    }
}

function recordText(record, key) {
    var value = record ? record[key] : undefined;
    return value === undefined || value === null ? "" : String(value);
}

// ---- embedded frames ----

function castToIFrame(action, params) {
    var frames = ["pageDetailIFrame", "pageLaucherIFrame", "friendFrame"];
    for (var i = 0; i < frames.length; i++) {
        var frame = document.getElementById(frames[i]);
        if (frame && frame.contentWindow) {
            frame.contentWindow.postMessage({ action: action, params: params }, "*");
        }
    }
}

// ---- extraction animation ----

function startExtractAnimation() {
    if (extractTimer !== null) {
        return;
    }
    extractStep = 0;
    extractTimer = setInterval(function () {
        extractStep = (extractStep + 1) % EXTRACT_DOTS.length;
        jQuery(".doActionDown.status_7").find(".downDots").text(EXTRACT_DOTS[extractStep]);
    }, 400);
}

function stopExtractAnimation() {
    if (extractTimer !== null && jQuery(".status_7").length === 0) {
        clearInterval(extractTimer);
        extractTimer = null;
        jQuery(".downDots").text("");
    }
}

// ---- calls native code makes into a page with the user's games ----

// The part of a status notice every page shows the same way: status style, disabled buttons, tips,
// progress, sizes, speed and the start command.
function applyTaskStatus(productId, tips, status, rate, showDisable, runRate, sizeRate, startcmd) {
    var els = productElements(productId);
    setStatusStyle(els, status);
    setButtonsDisabled(els, String(showDisable) === "1");
    if (tips !== "keep") {
        productPart(productId, "downTips").text(tips === undefined || tips === null ? "" : String(tips));
        productPart(productId, "downTipsShort").text(changeTipsShort(tips));
    }
    if (rate !== "keep") {
        var percent = Math.max(0, Math.min(100, parseFloat(rate) || 0));
        productPart(productId, "downProgress").css("width", percent + "%");
        productPart(productId, "downRate").text(percent + "%");
    }
    if (sizeRate !== "keep" && sizeRate !== "" && sizeRate !== undefined && sizeRate !== null) {
        productPart(productId, "downSizeRate").text(String(sizeRate));
    }
    var speed = String(runRate === undefined || runRate === null ? "" : runRate);
    if (parseFloat(speed) > 0) {
        productPart(productId, "downSpeed").text(speed.indexOf("%") >= 0 ? speed : speed + "Mb/S");
    } else if (runRate !== "keep") {
        productPart(productId, "downSpeed").text("");
    }
    if (startcmd !== undefined && startcmd !== null && startcmd !== "") {
        storeStartCommand(els, String(startcmd));
    }
}

function changeDownLoadStatus(action, productId, tips, status, rate, showDisable, runRate, sizeRate, startcmd) {
    status = Number(status);
    applyTaskStatus(productId, tips, status, rate, showDisable, runRate, sizeRate, startcmd);
    if (status === 7) {
        productPart(productId, "downSpeedLabel").text(getLang("js_jieyajindu", "解压进度"));
        startExtractAnimation();
    } else {
        productPart(productId, "downSpeedLabel").text(getLang("js_xiazaisudu", "下载速度"));
        stopExtractAnimation();
    }
    if (status === 5) {
        productElements(productId).filter(".mainDownload").removeClass("disabled").find(".downTips").text(statusText(5));
    }
    castToIFrame(action, {
        productId: productId, tips: tips, status: status, rate: rate, showDisable: showDisable,
        runRate: runRate, sizeRate: sizeRate, startcmd: startcmd
    });
}

function updateLocalProductStatus(status, updateMyGames) {
    setButtonsDisabled(jQuery(".doActionDown"), false);
    castToIFrame("checkLocalComplete", {});
    var records = decodeRecords(status);
    for (var i = 0; i < records.length; i++) {
        var r = records[i];
        var pid = recordText(r, "productId");
        changeDownLoadStatus("downGame", pid, statusText(r.nowStatus, r.rate), r.nowStatus, recordText(r, "rate"), 0, "",
            recordText(r, "sizeRate"), recordText(r, "startcmd"));
        if (Number(r.nowStatus) === 5) {
            checkProductUpdate(pid, recordText(r, "versionNo"), recordText(r, "versionName"), r.versionZipExists || 0,
                r.baseVersionNo || 0);
        }
    }
    if (String(updateMyGames) === "1") {
        createMyGamesList(records, false);
    }
}

// Remembers the version of an installed game; the storefront page decides what to offer.
function checkProductUpdate(productId, versionNo, versionName, versionZipExists, baseVersionNo) {
    nowVersion[productId] = {
        versionNo: versionNo, versionName: versionName, versionZipExists: versionZipExists,
        baseVersionNo: baseVersionNo
    };
}

function changeDownload_error(productId, error) {
    if (error !== undefined && error !== null && String(error) !== "") {
        productPart(productId, "downError").text(String(error)).show();
    }
}

function deleteDownTask(productId) {
    productElements(productId).remove();
}

function resetGameDownload(productId) {
    var els = productElements(productId);
    clearStatusStyle(els);
    setButtonsDisabled(els, false);
    productPart(productId, "downTips").text(getLang("js_kaishixiazai", "开始下载"));
    productPart(productId, "downTipsShort").text(getLang("js_kaishixiazai", "开始下载"));
    castToIFrame("resetGame", { productId: productId });
}

function channgeUsbStatus(status, resetUi) {
    var tip;
    if (String(status) === "1") {
        tip = "当前USB未连接手机";
    } else if (String(status) === "2") {
        tip = "当前已有USB连接手机";
    } else {
        tip = "正在检测是否USB连接手机..";
    }
    jQuery(".usbStatus").attr("title", tip);
    if (String(status) === "0" && String(resetUi) === "1") {
        var area = jQuery(".phoneArea").empty();
        jQuery("<p class=\"phoneTip\"></p>").text("请通过USB连接您的手机").appendTo(area);
        jQuery("<p class=\"phoneTip small\"></p>").text("安装应用需手机开启USB调试模式").appendTo(area);
        jQuery("<a class=\"openUrl phoneHelp\" href=\"javascript:;\"></a>").attr("url", "/gamesite/help/usbDebugging")
            .text("点击查看如何开启USB传输").appendTo(area);
    }
}

function buildGameItem(record) {
    var pid = recordText(record, "productId");
    var item = jQuery("<li class=\"myGameItem\"><img class=\"myGameLogo\"><div class=\"myGameInfo\">" +
        "<div class=\"myGameName\"></div><div class=\"downBar\"><div class=\"downProgress\"></div></div>" +
        "<div class=\"downTips\"></div></div></li>");
    item.addClass("downStatus_" + pid).attr("productId", pid);
    item.find(".myGameLogo").attr("src", recordText(record, "logo") || "qrc:/images/Resources/images/downicon.jpg");
    item.find(".myGameName").text(recordText(record, "productName"));
    item.find(".downProgress").css("width", Math.max(0, Math.min(100, parseFloat(record.rate) || 0)) + "%");
    item.find(".downTips").text(statusText(record.nowStatus, record.rate));
    item.attr("installinfo", encodeInstallInfo(recordText(record, "installcmd"), recordText(record, "startcmd"),
        recordText(record, "platform"), recordText(record, "package")));
    setStatusStyle(item, Number(record.nowStatus) || 0);
    return item;
}

function createMyGamesList(data, append) {
    var list = jQuery("#myAppList");
    if (list.length === 0 || !jQuery.isArray(data)) {
        return;
    }
    var fresh = [];
    for (var i = 0; i < data.length; i++) {
        var pid = recordText(data[i], "productId");
        var existing = list.children(".myGameItem").filter(function () {
            return jQuery(this).attr("productId") === pid;
        });
        if (existing.length > 0) {
            list.children(".myGameItem").removeClass("selected");
            existing.addClass("selected");
        } else {
            fresh.push(buildGameItem(data[i]));
        }
    }
    // New items go before the others (or after them with append), in the order of the records.
    for (var j = 0; j < fresh.length; j++) {
        if (append) {
            list.append(fresh[j]);
        } else if (j === 0) {
            list.prepend(fresh[j]);
        } else {
            fresh[j - 1].after(fresh[j]);
        }
    }
    resetMyGameNum();
}

function resetMyGameNum() {
    setTimeout(function () {
        var count = jQuery("#myAppList .myGameItem").length;
        jQuery(".myGameNum").text(String(count));
        jQuery(".myGameEmpty").text(count === 0 ? "浏览商城添加应用吧" : "").toggle(count === 0);
    }, 20);
}

function showLoading() {
    if (jQuery("#pcappLoading").length > 0) {
        return;
    }
    var layerEl = jQuery("<div id=\"pcappLoading\" class=\"pcappLoading\"><div class=\"pcappSpinner\"></div></div>");
    layerEl.appendTo(document.body);
    setTimeout(function () {
        layerEl.addClass("show");
    }, 20);
}

function hideLoading() {
    var layerEl = jQuery("#pcappLoading");
    layerEl.find(".pcappSpinner").remove();
    layerEl.removeClass("show");
    setTimeout(function () {
        layerEl.remove();
    }, 250);
}

// A QR code of the address to scan with a phone; the service draws the code.
function showQRCodeToPlay(url) {
    var content = jQuery("<div class=\"qrPlay\"><img class=\"qrPlayImage\"><p></p></div>");
    content.find("img").attr("src", apiHost + "/open/qrImgCreate?data=" + encodeURIComponent(url || ""));
    content.find("p").text("手机扫码游戏");
    layer.open({ type: 1, title: false, area: ["240px", "270px"], shadeClose: true, content: content.prop("outerHTML") });
}

function toMyGame() {
    if (jQuery("#myGameTab").length > 0) {
        jQuery("#myGameTab").click();
    } else {
        doAction("toMyGame", {});
    }
}

function toShop() {
    if (jQuery("#shopTab").length > 0) {
        jQuery("#shopTab").click();
    } else {
        doAction("toShop", {});
    }
}

function openChat() {
    if (jQuery("#chatTab").length > 0) {
        jQuery("#chatTab").click();
    } else {
        doAction("openChatPage", { onlyOpen: 0, fun: jQuery(".openChat").attr("fun") || "" });
    }
}

function setLastClick(addTime) {
    lastDownClick = getTimeStamp() + (Number(addTime) || 0);
}

function stopAutoUpdateNoTips() {
    autoMustUpdate = 0;
    autoAllUpdate = 0;
}

function getSystemConf(key, defaultVal) {
    if (systemConf && typeof systemConf === "object" && systemConf[key] !== undefined) {
        return systemConf[key];
    }
    return defaultVal;
}

// ---- settings controls ----

function setSystemConf(str) {
    try {
        var conf = JSON.parse(base64_decode(str));
        if (conf && typeof conf === "object" && !jQuery.isArray(conf)) {
            systemConf = conf;
        }
    } catch (e) {
        // Broken settings leave the page as it is.
    }
    initSystemConfUI();
}

function setCheckState(box, on) {
    box.toggleClass("checked", !!on).attr("value", on ? "1" : "0");
}

function selectRadio(group, value) {
    var radios = jQuery(".radio[name=\"" + group + "\"]");
    radios.removeClass("checked");
    radios.filter("[value=\"" + value + "\"]").addClass("checked");
}

function selectedRadioValue(group) {
    return jQuery(".radio.checked[name=\"" + group + "\"]").attr("value");
}

// The folder is kept as Base64 of its text; the field shows the folder itself.
function installPathForDisplay(stored) {
    stored = stored === undefined || stored === null ? "" : String(stored);
    var decoded = base64_decode(stored);
    return stored !== "" && decoded !== "" ? decoded : stored;
}

// A stored value counts as set, so it goes back into every save unchanged.
function fillField(name, value) {
    if (value === undefined || value === null) {
        return;
    }
    jQuery("input[name=\"" + name + "\"]").val(String(value)).attr("value", String(value));
}

function initSystemConfUI() {
    if (!systemConf || typeof systemConf !== "object") {
        return;
    }
    var checks = ["autoLauch", "showAfterCloseGame", "useSound"];
    for (var i = 0; i < checks.length; i++) {
        if (systemConf[checks[i]] !== undefined) {
            setCheckState(jQuery(".checkbox[name=\"" + checks[i] + "\"]"), String(systemConf[checks[i]]) === "1");
        }
    }
    selectRadio("downloadLimit", String(systemConf.downloadLimit) === "1" ? "1" : "0");
    selectRadio("laucherAppAfter", String(systemConf.laucherAppAfter) === "1" ? "1" : "2");
    selectRadio("closeAction", String(systemConf.closeAction) === "1" ? "1" : "2");
    fillField("downloadLimitRate", systemConf.downloadLimitRate);
    if (systemConf.userSelectInstallPath !== undefined && systemConf.userSelectInstallPath !== null) {
        fillField("userSelectInstallPath", installPathForDisplay(systemConf.userSelectInstallPath));
    }
    jQuery(".privacyAgreement").attr("url", systemConf.agreement || "");
    jQuery(".privacyStatement").attr("url", systemConf.privateUrl || "");
    jQuery(".privacyLicense").attr("url", systemConf.licenseUrl || "");
}

function updateSystemConf(k, v) {
    if (!systemConf || typeof systemConf !== "object") {
        systemConf = {};
    }
    systemConf[k] = v;
    initSystemConfUI();
}

function setUseSound(status) {
    setCheckState(jQuery(".checkbox[name=\"useSound\"]"), String(status) === "1");
    saveSystemConf();
}

// The settings as the controls show them: a control whose value was never set is left out, and so is a
// radio group with nothing selected.
function collectSystemConf() {
    var conf = {};
    jQuery(".needSave").each(function () {
        // The attribute, not the field's live value: null means nobody ever set it.
        var key = this.getAttribute("name");
        var value = this.getAttribute("value");
        if (key && value !== null) {
            conf[key] = value;
        }
    });
    if (conf.userSelectInstallPath !== undefined && conf.userSelectInstallPath !== "") {
        conf.userSelectInstallPath = base64_encode(conf.userSelectInstallPath);
    }
    conf.closeAction = selectedRadioValue("closeAction");
    conf.laucherAppAfter = selectedRadioValue("laucherAppAfter");
    conf.downloadLimit = selectedRadioValue("downloadLimit");
    return conf;
}

function saveSystemConf() {
    setTimeout(function () {
        var conf = collectSystemConf();
        var links = {};
        if (systemConf && typeof systemConf === "object") {
            links = { agreement: systemConf.agreement, privateUrl: systemConf.privateUrl, licenseUrl: systemConf.licenseUrl };
        }
        systemConf = jQuery.extend({}, links, conf);
        doAction("saveSystemConf", { confString: JSON.stringify(conf) });
    }, 50);
}

// ---- page handlers ----

jQuery(function ($) {
    $(document).on("click", ".checkbox", function () {
        var box = $(this);
        var on = box.attr("value") !== "1";
        setCheckState(box, on);
        if (box.hasClass("selfStart")) {
            doAction("changeAutoLauch", { status: on ? 1 : 0 });
        }
    });

    $(document).on("click", ".radio", function () {
        var radio = $(this);
        if (radio.hasClass("checked")) {
            radio.removeClass("checked");
        } else {
            $(".radio[name=\"" + radio.attr("name") + "\"]").removeClass("checked");
            radio.addClass("checked");
        }
        saveSystemConf();
    });

    $(document).on("click", ".needSave", function () {
        saveSystemConf();
    });

    $(document).on("click", ".openUrl2", function () {
        doAction("openUrl2", { url: $(this).attr("url") || "" });
    });

    $(document).on("click", ".openUrl", function () {
        doAction("openUrl", { url: $(this).attr("url") || "" });
    });

    $(document).on("click", ".openGame", function () {
        var el = $(this);
        var data = {
            url: el.attr("url") || "", productName: el.attr("productName") || "", productId: el.attr("productId") || "",
            platform: el.attr("platform") || "", "package": el.attr("package") || "", logo: el.attr("logo") || ""
        };
        doAction("openH5Game", data);
        createMyGamesList([$.extend({ nowStatus: 0, rate: 0 }, data)], false);
        $("#myAppList .myGameItem").removeClass("selected").filter(function () {
            return $(this).attr("productId") === data.productId;
        }).addClass("selected");
    });

    // A download button acts by its product's status, at most once a second.
    $(document).on("click", ".doActionDown", function () {
        var button = $(this);
        if (button.hasClass("disabled") || button.prop("disabled")) {
            return;
        }
        var now = getTimeStamp();
        if (now - lastDownClick < 1) {
            return;
        }
        lastDownClick = now;
        var info = decodeInstallInfo(button.attr("installinfo"));
        var data = {
            url: button.attr("url") || "", productName: button.attr("productName") || "",
            productId: button.attr("productId") || "", platform: button.attr("platform") || "",
            "package": button.attr("package") || "", logo: button.attr("logo") || "",
            versionNo: button.attr("versionNo") || "", versionName: button.attr("versionName") || "",
            installcmd: typeof info.install === "string" ? info.install : "",
            startcmd: typeof info.run === "string" ? info.run : ""
        };
        if (data.platform === "1") {
            data.installcmd = data["package"];
        }
        var pid = data.productId;
        switch (statusOf(button)) {
        case 11:
            showQRCodeToPlay(data.url);
            return;
        case 1:
            productPart(pid, "downTips").text(getLang("js_zhengzaizanting", "正在暂停.."));
            doAction("pauseDown", data);
            return;
        case 2:
            setButtonsDisabled(productElements(pid), true);
            productPart(pid, "downTips").text(getLang("js_zhengzaianzhuang", "正在安装.."));
            doAction("downGame", data);
            return;
        case 7:
            return;
        case 5:
            doAction("startApp", data);
            return;
        case 8:
            doAction("startAndroidApp", data);
            return;
        case 9:
            doAction("recheckInstall", data);
            return;
        default:
            setStatusStyle(productElements(pid), 1);
            productPart(pid, "downProgress").css("width", "0%");
            productPart(pid, "downTips").text(getLang("js_zhengzaianzhuang", "正在准备.."));
            doAction("downGame", data);
        }
    });
});
