/*
 * A stand-in for the launcher, for viewing the storefront in a plain browser (address with stub=1).
 * It defines doAction (actions go to the console and to window.stubActions), then plays a few of the
 * calls the launcher makes after a load, so the page shows signed-in user, progress and states.
 */
(function () {
    'use strict';
    window.stubActions = [];
    window.doAction = function (action, data) {
        window.stubActions.push({ action: action, data: data });
        // Kept in the document too, so a saved DOM shows what the page sent.
        var box = document.getElementById('stub-actions');
        if (!box) {
            box = document.createElement('pre');
            box.id = 'stub-actions';
            box.style.display = 'none';
            document.body.appendChild(box);
        }
        box.textContent = JSON.stringify(window.stubActions);
    };

    function b64(value) {
        var bytes = new TextEncoder().encode(JSON.stringify(value));
        var text = '';
        bytes.forEach(function (b) { text += String.fromCharCode(b); });
        return btoa(text);
    }

    window.addEventListener('load', function () {
        var boot = window.BOOT || {};
        pageInit();
        setSystemConf(b64({ useSound: '1', autoLauch: '0', closeAction: '1', laucherAppAfter: '1' }));
        setAppName('墨舞游戏盒子');
        setUserInfo('10001', '演示玩家', 'demotoken10001');
        var games = (boot.catalogue && boot.catalogue.games) || [];
        var logo = function (id) {
            var g = games.filter(function (x) { return x.productId === id; })[0];
            return g ? g.logo : '';
        };
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
    });
})();
