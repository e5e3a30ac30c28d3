/*
 * A stand-in for the launcher, for viewing the storefront in a plain browser (address with stub=1).
 * It defines doAction (actions are kept in window.stubActions), then plays calls the launcher would
 * make after a load: a built-in demo scene, or the calls given Base64-encoded as JSON in the address
 * parameter stubCalls ([["fnName", [args...]], ...]; "__click" with a selector clicks an element).
 * Everything the page did is written into <pre id="stub-result"> so a saved DOM shows it.
 */
(function () {
    'use strict';
    window.stubActions = [];

    function publish() {
        var box = document.getElementById('stub-result');
        if (!box) {
            box = document.createElement('pre');
            box.id = 'stub-result';
            box.style.display = 'none';
            document.body.appendChild(box);
        }
        var cards = {};
        document.querySelectorAll('.card').forEach(function (card) {
            var main = card.querySelector('.main');
            var upd = card.querySelector('.upd');
            cards[card.dataset.productId] = {
                status: card.dataset.status, tips: card.dataset.tips, rate: card.dataset.rate,
                runRate: card.dataset.runRate, sizeRate: card.dataset.sizeRate, disabled: card.dataset.disabled,
                button: main.textContent, buttonDisabled: main.disabled,
                update: !upd.classList.contains('hidden'), error: card.querySelector('.error').textContent,
                tipsText: card.querySelector('.tips').textContent, speedText: card.querySelector('.speed').textContent
            };
        });
        box.textContent = JSON.stringify({
            actions: window.stubActions, calls: window.nativeCallLog || [], cards: cards,
            mine: Array.prototype.map.call(document.querySelectorAll('.mine-item'), function (n) {
                return n.id.replace('mine-', '');
            }),
            user: document.getElementById('userName').textContent,
            errors: window.pageErrors || []
        });
    }

    window.doAction = function (action, data) {
        window.stubActions.push({ action: action, data: data });
        publish();
    };

    function b64(value) {
        var bytes = new TextEncoder().encode(JSON.stringify(value));
        var text = '';
        bytes.forEach(function (b) { text += String.fromCharCode(b); });
        return btoa(text);
    }

    function fromB64(text) {
        var bytes = Uint8Array.from(atob(text), function (c) { return c.charCodeAt(0); });
        return JSON.parse(new TextDecoder('utf-8').decode(bytes));
    }

    function demoScene() {
        var boot = window.BOOT || {};
        var games = (boot.catalogue && boot.catalogue.games) || [];
        var logo = function (id) {
            var g = games.filter(function (x) { return x.productId === id; })[0];
            return g ? g.logo : '';
        };
        pageInit();
        setSystemConf(b64({ useSound: '1', autoLauch: '0', closeAction: '1', laucherAppAfter: '1' }));
        setAppName('墨舞游戏盒子');
        setUserInfo('10001', '演示玩家', 'demotoken10001');
        updateLocalProductStatus(b64([
            { productId: '1001', productName: '星际远征', logo: logo('1001'), platform: '0', url: '', package: '',
              startcmd: 'APP_PATH/bin/game.exe', installcmd: '', versionNo: '1', versionName: '1.0.0',
              rate: '100.00', sizeRate: '1.5MB/1.5MB', nowStatus: '5', versionZipExists: 1, baseVersionNo: '1' },
            { productId: '1003', productName: '像素赛车', logo: logo('1003'), platform: '0', url: '', package: '',
              startcmd: '', installcmd: '', versionNo: '', versionName: '', rate: '62.50', sizeRate: '1.9MB/3.0MB',
              nowStatus: '4' }
        ]), '1');
        changeDownLoadStatus('downGame', '1002', '正在下载 45.23%', '1', '45.23', '0', '12.34', '115.8MB/256.0MB');
        changeDownLoadStatus('downGame', '1004', '正在解压', '7', '58.00', '1', '58.00%', '');
        channgeUsbStatus('2', '0');
    }

    function play(calls) {
        calls.forEach(function (call) {
            var name = call[0];
            var args = call[1] || [];
            if (name === '__click') {
                document.querySelector(args[0]).click();
                return;
            }
            var owner = window;
            var parts = name.split('.');
            var fn = parts.pop();
            parts.forEach(function (p) { owner = owner[p]; });
            owner[fn].apply(owner, args);
        });
    }

    window.addEventListener('load', function () {
        var given = new URLSearchParams(location.search).get('stubCalls');
        try {
            if (given) {
                play(fromB64(given));
            } else {
                demoScene();
            }
        } catch (e) {
            (window.pageErrors = window.pageErrors || []).push('stub: ' + e);
        }
        publish();
    });
})();
