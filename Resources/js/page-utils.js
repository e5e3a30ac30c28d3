
/*
 * Utility block of the embedded pages, appended to jQuery in "jquery.js": Base64 over UTF-8, tag
 * stripping, local time texts, MD5, and two browser behaviours every page shares (Backspace only edits
 * text, and window.confirm / window.open do nothing).
 */

// While true, Backspace does nothing anywhere on the page.
var stopAll = false;

var BASE64_ALPHABET = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// UTF-8 bytes of a text; a lone surrogate becomes "?".
function utf8_bytes(str) {
    var bytes = [];
    str = String(str);
    for (var i = 0; i < str.length; i++) {
        var code = str.charCodeAt(i);
        if (code >= 0xD800 && code <= 0xDBFF) {
            var next = i + 1 < str.length ? str.charCodeAt(i + 1) : 0;
            if (next >= 0xDC00 && next <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10) + (next - 0xDC00);
                i++;
            } else {
                code = 0x3F;
            }
        } else if (code >= 0xDC00 && code <= 0xDFFF) {
            code = 0x3F;
        }
        if (code < 0x80) {
            bytes.push(code);
        } else if (code < 0x800) {
            bytes.push(0xC0 | (code >> 6), 0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            bytes.push(0xE0 | (code >> 12), 0x80 | ((code >> 6) & 0x3F), 0x80 | (code & 0x3F));
        } else {
            bytes.push(0xF0 | (code >> 18), 0x80 | ((code >> 12) & 0x3F), 0x80 | ((code >> 6) & 0x3F),
                0x80 | (code & 0x3F));
        }
    }
    return bytes;
}

// Text of UTF-8 bytes; every byte that does not start a well-formed sequence becomes "?".
function utf8_text(bytes) {
    var out = "";
    var i = 0;
    while (i < bytes.length) {
        var b = bytes[i];
        var need = 0;
        var code = 0;
        var min = 0;
        if (b < 0x80) {
            out += String.fromCharCode(b);
            i++;
            continue;
        } else if (b >= 0xC2 && b <= 0xDF) {
            need = 1; code = b & 0x1F; min = 0x80;
        } else if (b >= 0xE0 && b <= 0xEF) {
            need = 2; code = b & 0x0F; min = 0x800;
        } else if (b >= 0xF0 && b <= 0xF4) {
            need = 3; code = b & 0x07; min = 0x10000;
        } else {
            out += "?";
            i++;
            continue;
        }
        var ok = true;
        for (var k = 1; ok && k <= need; k++) {
            var c = bytes[i + k];
            if (c === undefined || (c & 0xC0) !== 0x80) {
                ok = false;
            } else {
                code = (code << 6) | (c & 0x3F);
            }
        }
        if (!ok || code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            out += "?";
            i++;
            continue;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            out += String.fromCharCode(0xD800 + (code >> 10), 0xDC00 + (code & 0x3FF));
        } else {
            out += String.fromCharCode(code);
        }
        i += need + 1;
    }
    return out;
}

function base64_encode(str) {
    var bytes = utf8_bytes(str === undefined || str === null ? "" : str);
    var out = "";
    for (var i = 0; i < bytes.length; i += 3) {
        var b0 = bytes[i];
        var b1 = i + 1 < bytes.length ? bytes[i + 1] : 0;
        var b2 = i + 2 < bytes.length ? bytes[i + 2] : 0;
        out += BASE64_ALPHABET.charAt(b0 >> 2);
        out += BASE64_ALPHABET.charAt(((b0 & 3) << 4) | (b1 >> 4));
        out += i + 1 < bytes.length ? BASE64_ALPHABET.charAt(((b1 & 15) << 2) | (b2 >> 6)) : "=";
        out += i + 2 < bytes.length ? BASE64_ALPHABET.charAt(b2 & 63) : "=";
    }
    return out;
}

// "" for text that is not standard Base64: a length that is not a multiple of 4, a character outside
// the alphabet, or "=" anywhere but in the last two places.
function base64_decode(str) {
    str = str === undefined || str === null ? "" : String(str);
    if (str.length % 4 !== 0) {
        return "";
    }
    var padding = str.length > 0 && str.charAt(str.length - 1) === "=" ? (str.charAt(str.length - 2) === "=" ? 2 : 1) : 0;
    var body = str.substring(0, str.length - padding);
    for (var j = 0; j < body.length; j++) {
        if (BASE64_ALPHABET.indexOf(body.charAt(j)) < 0) {
            return "";
        }
    }
    var bytes = [];
    for (var i = 0; i < str.length; i += 4) {
        var c0 = BASE64_ALPHABET.indexOf(str.charAt(i));
        var c1 = BASE64_ALPHABET.indexOf(str.charAt(i + 1));
        var c2 = str.charAt(i + 2) === "=" ? -1 : BASE64_ALPHABET.indexOf(str.charAt(i + 2));
        var c3 = str.charAt(i + 3) === "=" ? -1 : BASE64_ALPHABET.indexOf(str.charAt(i + 3));
        bytes.push((c0 << 2) | (c1 >> 4));
        if (c2 >= 0) {
            bytes.push(((c1 & 15) << 4) | (c2 >> 2));
        }
        if (c3 >= 0) {
            bytes.push(((c2 & 3) << 6) | c3);
        }
    }
    return utf8_text(bytes);
}

// Removes every tag: each "<" up to the next ">", inclusive.
function strip_tags(str) {
    return String(str === undefined || str === null ? "" : str).replace(/<[^>]*>/g, "");
}

function two_digits(n) {
    return n < 10 ? "0" + n : String(n);
}

// Local time of a Unix time in seconds: "HH:MM", or with isLong "Y-M-D HH:MM:SS".
function getLocalTime(seconds, isLong) {
    if (seconds === "" || seconds === undefined || seconds === null) {
        return "";
    }
    var date = new Date(Number(seconds) * 1000);
    if (isNaN(date.getTime())) {
        return "";
    }
    var time = two_digits(date.getHours()) + ":" + two_digits(date.getMinutes());
    if (!isLong) {
        return time;
    }
    return date.getFullYear() + "-" + (date.getMonth() + 1) + "-" + date.getDate() + " " + time + ":" +
        two_digits(date.getSeconds());
}

// MD5 (RFC 1321) of the UTF-8 form of a text, as 32 lower-case hexadecimal characters.
function getMD5(string) {
    var bytes = utf8_bytes(string === undefined || string === null ? "" : string);
    var shifts = [7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
        5, 9, 14, 20, 5, 9, 14, 20, 5, 9, 14, 20, 5, 9, 14, 20,
        4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
        6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21];
    var table = [];
    for (var t = 0; t < 64; t++) {
        table.push(Math.floor(Math.abs(Math.sin(t + 1)) * 4294967296) | 0);
    }
    var bitLength = bytes.length * 8;
    bytes.push(0x80);
    while (bytes.length % 64 !== 56) {
        bytes.push(0);
    }
    for (var s = 0; s < 8; s++) {
        bytes.push(s < 4 ? (bitLength >>> (8 * s)) & 0xFF : Math.floor(bitLength / 4294967296) >>> (8 * (s - 4)) & 0xFF);
    }
    var h0 = 0x67452301, h1 = 0xEFCDAB89 | 0, h2 = 0x98BADCFE | 0, h3 = 0x10325476;
    for (var block = 0; block < bytes.length; block += 64) {
        var words = [];
        for (var w = 0; w < 16; w++) {
            var at = block + w * 4;
            words.push(bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (bytes[at + 3] << 24));
        }
        var a = h0, b = h1, c = h2, d = h3;
        for (var i = 0; i < 64; i++) {
            var f, g;
            if (i < 16) {
                f = (b & c) | (~b & d); g = i;
            } else if (i < 32) {
                f = (d & b) | (~d & c); g = (5 * i + 1) % 16;
            } else if (i < 48) {
                f = b ^ c ^ d; g = (3 * i + 5) % 16;
            } else {
                f = c ^ (b | ~d); g = (7 * i) % 16;
            }
            var sum = (a + f + table[i] + words[g]) | 0;
            a = d;
            d = c;
            c = b;
            b = (b + ((sum << shifts[i]) | (sum >>> (32 - shifts[i])))) | 0;
        }
        h0 = (h0 + a) | 0;
        h1 = (h1 + b) | 0;
        h2 = (h2 + c) | 0;
        h3 = (h3 + d) | 0;
    }
    var hex = "";
    var state = [h0, h1, h2, h3];
    for (var k = 0; k < 4; k++) {
        for (var byteIndex = 0; byteIndex < 4; byteIndex++) {
            var value = (state[k] >>> (8 * byteIndex)) & 0xFF;
            hex += (value < 16 ? "0" : "") + value.toString(16);
        }
    }
    return hex;
}

// Backspace edits text and nothing else: no "back" navigation from a button, a check box or the page.
var BACKSPACE_EDITABLE_TYPES = { text: true, password: true, file: true, number: true, search: true, email: true,
    tel: true, url: true };

function backspaceAllowed(target) {
    if (stopAll || !target || target.readOnly || target.disabled) {
        return false;
    }
    var tag = String(target.tagName || "").toLowerCase();
    if (tag === "textarea") {
        return true;
    }
    if (tag === "input") {
        return BACKSPACE_EDITABLE_TYPES[String(target.type || "text").toLowerCase()] === true;
    }
    return false;
}

document.addEventListener("keydown", function (event) {
    if (event.keyCode === 8 && !backspaceAllowed(event.target)) {
        event.preventDefault();
    }
}, true);

// Pages never ask for confirmation through the browser or open browser windows of their own.
window.confirm = function () {};
window.open = function () {};
