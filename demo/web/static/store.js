/*
 * The storefront page. It talks to the launcher only through doAction(action, data) (defined by the
 * launcher once the page has loaded) and through the page functions the launcher calls, all defined
 * at the end of this file. Every call the launcher makes is kept, in order, in window.nativeCallLog,
 * and every action the page sends in window.actionLog, so tests can read both back.
 */
(function () {
    'use strict';

    var BOOT = window.BOOT || {};
    var apiHost = BOOT.apiHost || '';
    var query = BOOT.query || {};
    var catalogue = BOOT.catalogue || { games: [], launcher: null };
    var byId = {};
    var state = {};          // productId -> what the launcher last reported for it
    var myGames = [];        // records of the last full list, newest first
    var devices = [];
    var user = BOOT.user || null;
    var unread = 0;
    var lastClick = 0;
    var bridgeReady = false;
    var queued = [];
    var hideWaitSent = false;

    window.nativeCallLog = [];
    window.actionLog = [];
    window.systemConf = null;
    window.autoMustUpdate = 0;
    window.autoAllUpdate = 0;

    var STATUS_TEXT = {
        0: '等待下载', 1: '下载中', 2: '准备安装', 3: '下载出错', 4: '继续下载', 5: '启动游戏', 6: '开始下载',
        7: '即将安装..', 8: '远程启动应用', 9: '安装失败', 10: '开始游戏', 11: '手机扫码游戏'
    };

    function $(id) { return document.getElementById(id); }

    function el(tag, cls, text) {
        var node = document.createElement(tag);
        if (cls) { node.className = cls; }
        if (text !== undefined) { node.textContent = text; }
        return node;
    }

    function reportError(e) {
        window.pageErrors.push(String(e && e.stack || e));
        var box = $('page-errors');
        if (box) { box.textContent = window.pageErrors.join('\n'); }
    }

    function indexCatalogue() {
        byId = {};
        catalogue.games.forEach(function (g) { byId[g.productId] = g; });
    }

    function decodeBase64Text(text) {
        var bytes = Uint8Array.from(atob(String(text)), function (c) { return c.charCodeAt(0); });
        return new TextDecoder('utf-8').decode(bytes);
    }

    function nowSeconds() { return Date.now() / 1000; }

    // --- talking to the launcher ---------------------------------------------------------------

    function sendAction(action, data) {
        data = data || {};
        window.actionLog.push({ action: action, data: JSON.parse(JSON.stringify(data)) });
        if (!bridgeReady || typeof window.doAction !== 'function') {
            queued.push([action, data]);
            return false;
        }
        try {
            window.doAction(action, data);
        } catch (e) {
            reportError(e);
            return false;
        }
        return true;
    }

    function flushQueue() {
        var waiting = queued;
        queued = [];
        waiting.forEach(function (item) {
            try { window.doAction(item[0], item[1]); } catch (e) { reportError(e); }
        });
    }

    function gameData(g) {
        return {
            productId: g.productId, productName: g.productName, url: g.url, startcmd: g.startcmd,
            installcmd: g.installcmd, logo: g.logo, platform: g.platform, package: g.package,
            versionNo: g.versionNo, versionName: g.versionName
        };
    }

    function allProductIds() {
        return '(' + catalogue.games.map(function (g) { return g.productId; }).join(',') + ')';
    }

    function requestLocalStatus() {
        sendAction('checkProductInstall', { productIds: allProductIds() });
    }

    function service(path, body) {
        var options = body ? {
            method: 'POST', headers: { 'Content-Type': 'application/json' }, body: JSON.stringify(body)
        } : {};
        return fetch(apiHost + path, options).then(function (r) { return r.json(); });
    }

    // --- toasts, confirmations, loading ----------------------------------------------------------

    function toast(text, icon) {
        var node = el('div', 'toast' + (icon ? ' icon-' + icon : ''), text);
        $('toasts').appendChild(node);
        setTimeout(function () { node.classList.add('fade'); }, 2200);
        setTimeout(function () { node.remove(); }, 2600);
    }

    function confirmBox(text, yes) {
        $('confirmText').textContent = text;
        $('confirmBox').classList.remove('hidden');
        $('confirmYes').onclick = function () { $('confirmBox').classList.add('hidden'); yes(); };
        $('confirmNo').onclick = function () { $('confirmBox').classList.add('hidden'); };
    }

    // --- game state --------------------------------------------------------------------------

    function stateOf(productId) {
        if (!state[productId]) {
            state[productId] = {
                status: null, source: '', tips: '', rate: '0', runRate: '', sizeRate: '', disabled: false,
                error: '', startcmd: '', record: null, versionNo: '', versionName: '', versionZipExists: 0,
                baseVersionNo: '0'
            };
        }
        return state[productId];
    }

    function listStatusText(status, rate) {
        if (status === 1) {
            return Number(rate) >= 100 ? '准备安装' : '下载中 ' + rate + '%';
        }
        return STATUS_TEXT.hasOwnProperty(status) ? STATUS_TEXT[status] : '获取游戏';
    }

    function updateAvailable(g, s) {
        return s.status === 5 && s.versionNo !== '' && Number(s.versionNo) < Number(g.versionNo);
    }

    function updateUrl(g, s) {
        var patch = (g.patches || []).filter(function (p) {
            return p.from === s.versionNo && p.to === g.versionNo;
        })[0];
        if (patch && Number(s.versionZipExists) === 1 && s.baseVersionNo === s.versionNo) {
            return patch.url;
        }
        return g.url;
    }

    function speedText(runRate) {
        if (!runRate || runRate === 'keep') { return ''; }
        if (String(runRate).indexOf('%') >= 0) { return runRate; }
        return parseFloat(runRate) > 0 ? runRate + ' MB/s' : '';
    }

    // The main button of a game, from the state the launcher reported.
    function mainButton(g, s) {
        var st = s.status;
        if (g.platform === '3') {
            return { text: '开始游戏', cls: 'primary', run: function () { openH5Game(g); } };
        }
        if (st === 1) {
            return { text: '暂停', cls: 'warning', run: function () {
                sendAction('pauseDown', { productId: g.productId, productName: g.productName, url: g.url });
            } };
        }
        if (st === 0 && s.source === 'list') {
            return { text: '取消等待', cls: 'ghost', run: function () { deleteTask(g); } };
        }
        if (st === 4) { return { text: '继续下载', cls: 'primary', run: function () { download(g); } }; }
        if (st === 3) { return { text: '重试', cls: 'primary', run: function () { download(g); } }; }
        if (st === 2) { return { text: '安装', cls: 'success', run: function () { download(g); } }; }
        if (st === 7) { return { text: '安装中', cls: 'ghost', disabled: true }; }
        if (st === 8) { return { text: '启动中…', cls: 'ghost', disabled: true }; }
        if (st === 9) { return { text: '重新安装', cls: 'warning', run: function () { reinstall(g); } }; }
        if (st === 11) { return { text: '扫码游戏', cls: 'ghost', run: function () { toast('请使用手机扫码下载', 0); } }; }
        if (st === 5) {
            return { text: '开始游戏', cls: 'success', run: function () { start(g, s); } };
        }
        return { text: '下载', cls: 'primary', run: function () { download(g); } };
    }

    // --- actions -----------------------------------------------------------------------------

    function clickAccepted() {
        if (nowSeconds() - lastClick < 1) { return false; }
        lastClick = nowSeconds();
        return true;
    }

    function download(g) {
        if (!clickAccepted()) { return; }
        var s = stateOf(g.productId);
        if (s.status === null || s.status === 6 || s.status === 0) {
            s.tips = '正在准备..';
            render(g.productId);
        }
        sendAction('downGame', gameData(g));
    }

    function start(g, s) {
        if (!clickAccepted()) { return; }
        if (g.platform === '1') {
            sendAction('startAndroidApp', { productId: g.productId, package: g.package, startcmd: g.startcmd });
            return;
        }
        sendAction('startApp', { productId: g.productId, startcmd: s.startcmd || g.startcmd, platform: g.platform });
    }

    function update(g) {
        var s = stateOf(g.productId);
        sendAction('updateGame', {
            productId: g.productId, versionNo: g.versionNo, versionName: g.versionName, url: updateUrl(g, s)
        });
    }

    function reinstall(g) { sendAction('recheckInstall', gameData(g)); }

    function repair(g) {
        var d = gameData(g);
        delete d.logo;
        sendAction('checkLocalGame', d);
    }

    function deleteTask(g) {
        confirmBox('确认要删除该下载进度吗？', function () { sendAction('deleteDownTask', { productId: g.productId }); });
    }

    function openH5Game(g) {
        sendAction('openH5Game', {
            productId: g.productId, productName: g.productName, url: g.url, logo: g.logo, platform: g.platform
        });
    }

    function addToMine(g) {
        sendAction('addGameToMy', {
            productId: g.productId, productName: g.productName, url: g.url, startcmd: g.startcmd,
            installcmd: g.installcmd, logo: g.logo, platform: g.platform, package: g.package
        });
        toast('已加入我的游戏', 1);
    }

    function selectInstallPath(g) {
        var d = gameData(g);
        delete d.versionNo;
        delete d.versionName;
        sendAction('selectInstallPath', d);
    }

    function openWindow(type) {
        if (type === 'downloadBox') {
            sendAction('openWindow', { type: 'downloadBox', title: '下载管理', width: 900, height: 600, modal: 0,
                fun: "doAction('checkProductInstallAll',{})" });
        } else {
            sendAction('openWindow', { type: 'messageBox', title: '消息盒子', width: 900, height: 600, modal: 0,
                fun: 'loadMessageList()' });
        }
    }

    function selfUpdate() {
        var build = catalogue.launcher;
        if (build && Number(build.versionNo) > Number(query.versionNo || 0)) {
            sendAction('updateMainexe', { url: build.url, md5: build.md5 });
            toast('发现新版本 ' + build.versionName + '，正在后台下载，重启后生效', 1);
        } else {
            toast('当前已是最新版本', 1);
        }
    }

    function demoMessage() {
        var title = '新消息：星际远征开启限时活动';
        var content = '登录游戏即可领取星舰涂装，活动持续 7 天。';
        service('/_control', { message: { title: title, desc: content } }).catch(function () {});
        sendAction('newMessage', { title: title, content: content, isSelected: 1, isMust: 0 });
        if (setting('useSound', '1') === '1') { sendAction('playSound', { name: 'message' }); }
        setUnread(unread + 1);
    }

    function demoRelease() {
        service('/_control', { release: { '1001': '2' } }).then(function () {
            return fetch(apiHost + '/api/catalogue').then(function (r) { return r.json(); });
        }).then(function (data) {
            catalogue = data;
            indexCatalogue();
            renderAll();
            requestLocalStatus();
            toast('星际远征 1.1.0 已发布', 1);
        }).catch(function (e) { reportError(e); });
    }

    function setting(key, fallback) {
        var conf = window.systemConf;
        return conf && typeof conf[key] === 'string' ? conf[key] : fallback;
    }

    // Flips a "1"/"0" setting; the launcher stores it and sends the settings back.
    function toggleSetting(key) {
        var on = setting(key, key === 'useSound' ? '1' : '0') !== '1';
        if (window.systemConf) { window.systemConf[key] = on ? '1' : '0'; }
        sendAction('updateSystemConf', { key: key, val: on ? '1' : '0' });
        renderSettings();
        return on;
    }

    function renderSettings() {
        $('soundItem').textContent = '消息提示音：' + (setting('useSound', '1') === '1' ? '开' : '关');
        $('autoStartItem').textContent = '开机自动启动：' + (setting('autoLauch', '0') === '1' ? '开' : '关');
    }

    function loadUnread() {
        var params = 'format=json&platform=0&authToken=' + encodeURIComponent(user ? user.authToken : '') +
            '&deviceId=pcbox&channelCode=pcbox&productCode=' + encodeURIComponent(query.productCode || '') +
            '&defaultAvatar=&type=list_myInfo&whereType=0&page=1';
        fetch(apiHost + '/app/getPcBoxMessage?' + params).then(function (r) { return r.json(); }).then(function (a) {
            var list = a && a.data || [];
            setUnread(list.filter(function (m) { return !m.isRead; }).length);
        }).catch(function () {});
    }

    function setUnread(n) {
        unread = Math.max(0, n);
        $('unreadBadge').textContent = unread > 99 ? '99+' : String(unread);
        $('unreadBadge').classList.toggle('hidden', unread === 0);
    }

    // --- rendering ---------------------------------------------------------------------------

    function buildCard(g) {
        var card = el('div', 'card');
        card.id = 'card-' + g.productId;
        card.dataset.productId = g.productId;
        var banner = el('div', 'card-banner');
        banner.style.background = 'linear-gradient(120deg,' + g.colors[0] + ',' + g.colors[1] + ')';
        banner.appendChild(el('span', 'genre', g.genre));
        var pin = el('span', 'pin hidden', '置顶');
        banner.appendChild(pin);
        card.appendChild(banner);

        var body = el('div', 'card-body');
        var head = el('div', 'card-head');
        var logo = el('img', 'card-logo');
        logo.src = g.logo;
        logo.alt = '';
        head.appendChild(logo);
        var title = el('div', 'card-title');
        title.appendChild(el('h3', '', g.productName));
        title.appendChild(el('div', 'meta'));
        head.appendChild(title);
        body.appendChild(head);
        body.appendChild(el('p', 'card-summary', g.summary));
        var progress = el('div', 'progress');
        progress.appendChild(el('div', 'bar'));
        body.appendChild(progress);
        var line = el('div', 'status-line');
        line.appendChild(el('span', 'tips'));
        line.appendChild(el('span', 'speed'));
        line.appendChild(el('span', 'size'));
        body.appendChild(line);
        body.appendChild(el('div', 'error'));
        var actions = el('div', 'card-actions');
        var main = el('button', 'btn main');
        main.addEventListener('click', function () {
            var b = mainButton(byId[g.productId], stateOf(g.productId));
            if (b.run) { b.run(); }
        });
        actions.appendChild(main);
        var upd = el('button', 'btn warning upd hidden', '更新');
        upd.addEventListener('click', function () { update(byId[g.productId]); });
        actions.appendChild(upd);
        var more = el('button', 'btn more', '⋯');
        more.title = '更多操作';
        more.addEventListener('click', function (e) { e.stopPropagation(); showCardMenu(g.productId, more); });
        actions.appendChild(more);
        body.appendChild(actions);
        card.appendChild(body);
        card.appendChild(el('span', 'update-flag hidden'));
        return card;
    }

    function sizeLabel(bytes) {
        if (!bytes) { return '网页游戏'; }
        var mb = bytes / 1048576;
        return mb >= 1024 ? (mb / 1024).toFixed(2) + ' GB' : mb.toFixed(1) + ' MB';
    }

    function render(productId) {
        var g = byId[productId];
        var s = stateOf(productId);
        var card = $('card-' + productId);
        if (g && card) {
            card.dataset.status = s.status === null ? '' : String(s.status);
            card.dataset.tips = s.tips;
            card.dataset.rate = s.rate;
            card.dataset.runRate = s.runRate;
            card.dataset.sizeRate = s.sizeRate;
            card.dataset.disabled = s.disabled ? '1' : '0';
            var installed = s.status === 5 && s.versionName ? '已安装 ' + s.versionName + ' · ' : '';
            card.querySelector('.meta').textContent = installed + '版本 ' + g.versionName + ' · ' + sizeLabel(g.size);
            var rate = parseFloat(s.rate);
            card.querySelector('.bar').style.width = (isNaN(rate) ? 0 : Math.max(0, Math.min(100, rate))) + '%';
            card.querySelector('.tips').textContent = s.tips || (g.platform === '3' ? '点击即玩，无需下载' : '');
            card.querySelector('.speed').textContent = speedText(s.runRate);
            card.querySelector('.size').textContent = s.sizeRate && s.sizeRate !== '0' ? s.sizeRate : '';
            card.querySelector('.error').textContent = s.error;
            var b = mainButton(g, s);
            var main = card.querySelector('.main');
            main.textContent = b.text;
            main.className = 'btn main ' + b.cls;
            main.disabled = !!b.disabled || s.disabled;
            var upd = card.querySelector('.upd');
            var canUpdate = updateAvailable(g, s);
            upd.classList.toggle('hidden', !canUpdate);
            upd.disabled = s.disabled;
            upd.textContent = '更新到 ' + g.versionName;
            card.querySelector('.more').disabled = s.disabled;
            var flag = card.querySelector('.update-flag');
            flag.classList.toggle('hidden', !canUpdate);
            flag.textContent = canUpdate ? '有新版本' : '';
            card.querySelector('.pin').classList.toggle('hidden', !s.pinned);
            if (productId === heroId()) { renderHero(); }
        }
        renderMineItem(productId);
        renderDownloadBadge();
    }

    function heroId() { return '1002'; }

    function renderHero() {
        var g = byId[heroId()];
        if (!g) { return; }
        var s = stateOf(g.productId);
        $('heroTitle').textContent = g.productName;
        $('heroSummary').textContent = g.summary;
        $('heroLogo').src = g.logo;
        $('heroMeta').textContent = '版本 ' + g.versionName + ' · ' + sizeLabel(g.size) + (s.tips ? ' · ' + s.tips : '');
        var b = mainButton(g, s);
        var btn = $('heroAction');
        btn.textContent = b.text === '下载' ? '立即下载' : b.text;
        btn.disabled = !!b.disabled || s.disabled;
        btn.onclick = function () { if (b.run) { b.run(); } };
    }

    function renderAll() {
        var grid = $('grid');
        grid.textContent = '';
        catalogue.games.forEach(function (g) { grid.appendChild(buildCard(g)); });
        catalogue.games.forEach(function (g) { render(g.productId); });
        $('shopSummary').textContent = '共 ' + catalogue.games.length + ' 款游戏';
        renderHero();
        filter();
    }

    function renderDownloadBadge() {
        var n = Object.keys(state).filter(function (id) { return state[id].status === 1; }).length;
        $('downloadBadge').textContent = String(n);
        $('downloadBadge').classList.toggle('hidden', n === 0);
    }

    function renderUser() {
        $('loginButton').classList.toggle('hidden', !!user);
        $('userInfo').classList.toggle('hidden', !user);
        if (user) {
            $('userName').textContent = user.nickName || user.username;
            $('userAvatar').src = user.avatarUrl || (apiHost + '/static/avatar/' + user.uid + '.png');
        }
    }

    function filter() {
        var word = $('search').value.trim().toLowerCase();
        catalogue.games.forEach(function (g) {
            var card = $('card-' + g.productId);
            var hit = !word || g.productName.toLowerCase().indexOf(word) >= 0 ||
                (g.englishName || '').toLowerCase().indexOf(word) >= 0;
            if (card) { card.classList.toggle('hidden', !hit); }
        });
    }

    // "My games": the launcher's full list, newest or pinned first.
    function createMyGamesList(records) {
        myGames = records.slice();
        var list = $('myAppList');
        list.textContent = '';
        myGames.forEach(function (r) {
            var item = el('div', 'mine-item');
            item.id = 'mine-' + r.productId;
            var img = el('img');
            img.src = r.logo || (byId[r.productId] ? byId[r.productId].logo : '');
            img.alt = '';
            item.appendChild(img);
            var info = el('div', 'info');
            info.appendChild(el('div', 'name', r.productName || (byId[r.productId] || {}).productName || r.productId));
            info.appendChild(el('div', 'sub'));
            var progress = el('div', 'progress');
            progress.appendChild(el('div', 'bar'));
            info.appendChild(progress);
            item.appendChild(info);
            var main = el('button', 'btn small main');
            main.addEventListener('click', function () {
                var g = byId[r.productId] || recordGame(r);
                var b = mainButton(g, stateOf(r.productId));
                if (b.run) { b.run(); }
            });
            item.appendChild(main);
            var top = el('button', 'btn small ghost', '置顶');
            top.addEventListener('click', function () {
                sendAction('setProductTop', { productId: r.productId });
                stateOf(r.productId).pinned = true;
                render(r.productId);
            });
            item.appendChild(top);
            var remove = el('button', 'btn small ghost', '移除');
            remove.addEventListener('click', function () {
                confirmBox('确认要将该游戏移出我的游戏吗？', function () {
                    sendAction('deleteMyGame', { productId: r.productId });
                    item.remove();
                    myGames = myGames.filter(function (x) { return x.productId !== r.productId; });
                    renderMineCount();
                });
            });
            item.appendChild(remove);
            list.appendChild(item);
            renderMineItem(r.productId);
        });
        renderMineCount();
    }

    function recordGame(r) {
        return {
            productId: r.productId, productName: r.productName, url: r.url, startcmd: r.startcmd,
            installcmd: r.installcmd, logo: r.logo, platform: r.platform, package: r.package,
            versionNo: r.versionNo, versionName: r.versionName, patches: []
        };
    }

    function renderMineItem(productId) {
        var item = $('mine-' + productId);
        if (!item) { return; }
        var s = stateOf(productId);
        var g = byId[productId] || recordGame(s.record || { productId: productId });
        var sub = s.tips || listStatusText(s.status, s.rate);
        var speed = speedText(s.runRate);
        item.querySelector('.sub').textContent = sub + (speed ? ' · ' + speed : '') +
            (s.sizeRate && s.sizeRate !== '0' ? ' · ' + s.sizeRate : '');
        var rate = parseFloat(s.rate);
        item.querySelector('.bar').style.width = (isNaN(rate) ? 0 : Math.max(0, Math.min(100, rate))) + '%';
        var b = mainButton(g, s);
        var main = item.querySelector('.main');
        main.textContent = b.text;
        main.className = 'btn small main ' + b.cls;
        main.disabled = !!b.disabled || s.disabled;
        item.classList.toggle('selected', !!s.pinned);
    }

    function renderMineCount() {
        $('myCount').textContent = String(myGames.length);
        $('mineEmpty').classList.toggle('hidden', myGames.length > 0);
    }

    // --- menus -------------------------------------------------------------------------------

    function hideMenus() {
        ['userMenu', 'mainMenu', 'cardMenu'].forEach(function (id) { $(id).classList.add('hidden'); });
    }

    function menuItem(menu, text, run, disabled) {
        var b = el('button', '', text);
        b.disabled = !!disabled;
        b.addEventListener('click', function () { hideMenus(); run(); });
        menu.appendChild(b);
    }

    function showCardMenu(productId, anchor) {
        var g = byId[productId];
        var s = stateOf(productId);
        var menu = $('cardMenu');
        menu.textContent = '';
        var pcGame = g.platform === '0';
        menuItem(menu, '加入我的游戏', function () { addToMine(g); });
        menuItem(menu, '置顶', function () {
            sendAction('setProductTop', { productId: productId });
            s.pinned = true;
            render(productId);
        });
        if (g.platform !== '3') {
            menuItem(menu, '修复游戏', function () { repair(g); }, !pcGame);
            menuItem(menu, '重新安装', function () { reinstall(g); });
            menuItem(menu, '选择已安装目录', function () { selectInstallPath(g); }, !g.startcmd || !pcGame);
            menuItem(menu, '游戏设置', function () {
                sendAction('openSystemConf', { productId: productId, startcmd: g.startcmd });
            });
            menu.appendChild(el('hr'));
            menuItem(menu, '删除下载任务', function () { deleteTask(g); });
            menuItem(menu, '清除本地数据', function () {
                confirmBox('将删除该游戏已下载和已安装的全部文件，确认清除吗？', function () {
                    sendAction('clearGameData', { productId: productId });
                });
            });
            menuItem(menu, '清理历史安装包', function () {
                sendAction('clearHistoryData', { productId: productId, keyword: '' });
                toast('已清理历史安装包', 1);
            });
        }
        if (g.platform === '1') {
            menu.appendChild(el('hr'));
            menuItem(menu, '检测手机', function () { sendAction('checkDevices', {}); });
            devices.forEach(function (d) {
                menuItem(menu, (d.isDefault ? '✓ ' : '设为默认：') + (d.deviceName || d.deviceType), function () {
                    sendAction('changeDefaultDevice', { deviceType: d.deviceType });
                });
            });
        }
        menu.appendChild(el('hr'));
        menuItem(menu, '移出我的游戏', function () {
            confirmBox('确认要将该游戏移出我的游戏吗？', function () { sendAction('deleteMyGame', { productId: productId }); });
        });
        var r = anchor.getBoundingClientRect();
        menu.style.left = Math.min(r.right - 170, window.innerWidth - 190) + 'px';
        menu.style.top = Math.min(r.bottom + 6, window.innerHeight - 20 - 34 * menu.children.length) + 'px';
        menu.style.right = 'auto';
        menu.style.position = 'fixed';
        menu.classList.remove('hidden');
    }

    function wire() {
        document.querySelectorAll('.tab').forEach(function (tab) {
            tab.addEventListener('click', function () { showView(tab.dataset.view); });
        });
        $('search').addEventListener('input', filter);
        $('topbar').addEventListener('mousedown', function (e) {
            if (e.button === 0 && !e.target.closest('button, input, .menu, .user-info')) {
                sendAction('moveWindow', {});
            }
        });
        $('topbar').addEventListener('dblclick', function (e) {
            if (!e.target.closest('button, input, .menu, .user-info')) { sendAction('window_full', {}); }
        });
        $('downloadBoxButton').addEventListener('click', function () { openWindow('downloadBox'); });
        $('messageButton').addEventListener('click', function () { openWindow('messageBox'); });
        $('settingsButton').addEventListener('click', function () {
            sendAction('openSystemConf', { productId: '', startcmd: '' });
        });
        $('usbButton').addEventListener('click', function () { sendAction('checkDevices', {}); });
        $('loginButton').addEventListener('click', function () { sendAction('openLoginDialog', {}); });
        $('userInfo').addEventListener('click', function (e) {
            e.stopPropagation();
            var open = $('userMenu').classList.contains('hidden');
            hideMenus();
            $('userMenu').classList.toggle('hidden', !open);
        });
        $('mainMenuButton').addEventListener('click', function (e) {
            e.stopPropagation();
            var open = $('mainMenu').classList.contains('hidden');
            hideMenus();
            $('mainMenu').classList.toggle('hidden', !open);
        });
        document.addEventListener('click', function (e) {
            if (!e.target.closest('.menu')) { hideMenus(); }
        });
        var commands = {
            changeAccount: function () { sendAction('changeAccount', {}); },
            logout: function () { sendAction('logout', {}); },
            selfUpdate: selfUpdate,
            openAboutme: function () { sendAction('openAboutme', {}); },
            pay: function () { sendAction('openUrl2', { url: window.payUrl }); },
            demoMessage: demoMessage,
            toggleSound: function () { toggleSetting('useSound'); },
            toggleAutoStart: function () {
                var on = toggleSetting('autoLauch');
                sendAction('changeAutoLauch', { status: on ? 1 : 0 });
            },
            demoRelease: demoRelease,
            flash: function () { sendAction('falshWindow', {}); },
            offline: function () { sendAction('offline', {}); },
            window_hide: function () { sendAction('window_hide', {}); },
            window_small: function () { sendAction('window_small', {}); },
            window_full: function () { sendAction('window_full', {}); },
            window_close: function () { sendAction('window_close', {}); }
        };
        document.querySelectorAll('[data-act]').forEach(function (node) {
            node.addEventListener('click', function () {
                hideMenus();
                commands[node.dataset.act]();
            });
        });
        document.querySelectorAll('[data-agreement]').forEach(function (node) {
            node.addEventListener('click', function () {
                sendAction('openUrl', { url: '/agreement/show/productCode/{productCode}/type/' + node.dataset.agreement });
            });
        });
        document.querySelectorAll('[data-open]').forEach(function (node) {
            node.addEventListener('click', function () { sendAction('openUrl', { url: node.dataset.open }); });
        });
        $('refreshMine').addEventListener('click', function () { sendAction('checkProductInstallAll', {}); });
    }

    function showView(name) {
        document.querySelectorAll('.tab').forEach(function (t) { t.classList.toggle('active', t.dataset.view === name); });
        $('view-shop').classList.toggle('hidden', name !== 'shop');
        $('view-mine').classList.toggle('hidden', name !== 'mine');
    }

    // --- functions the launcher calls ----------------------------------------------------------

    function expose(name, fn) {
        window[name] = function () {
            var args = Array.prototype.slice.call(arguments);
            window.nativeCallLog.push({ fn: name, args: args });
            try {
                return fn.apply(null, args);
            } catch (e) {
                reportError(e);
                return undefined;
            }
        };
    }

    function changeStatus(productId, tips, status, rate, showDisable, runRate, sizeRate, startcmd, source) {
        var s = stateOf(String(productId));
        var number = parseInt(status, 10);
        s.status = isNaN(number) ? null : number;
        s.source = source;
        if (tips !== 'keep') { s.tips = tips === undefined ? '' : String(tips); }
        if (rate !== 'keep') { s.rate = rate === undefined ? '0' : String(rate); }
        if (runRate !== 'keep') { s.runRate = runRate === undefined ? '' : String(runRate); }
        if (sizeRate !== 'keep' && sizeRate !== undefined && sizeRate !== '') { s.sizeRate = String(sizeRate); }
        s.disabled = String(showDisable) === '1' || showDisable === true;
        if (startcmd) { s.startcmd = String(startcmd); }
        if (s.status === 1 || s.status === 5) { s.error = ''; }
        render(String(productId));
    }

    expose('pageInit', function () {
        bridgeReady = true;
        flushQueue();
        requestLocalStatus();
        sendAction('checkProductInstallAll', {});
        var delay = Number(BOOT.hideWaitDelayMs || 0);
        if (!hideWaitSent && delay >= 0) {
            hideWaitSent = true;
            setTimeout(function () { sendAction('hideWait', {}); }, delay);
        }
    });

    expose('setSystemConf', function (text) {
        var conf = JSON.parse(decodeBase64Text(text));
        if (conf && typeof conf === 'object') { window.systemConf = conf; }
        renderSettings();
    });

    expose('setAppName', function (name) {
        $('appName').textContent = name;
        document.title = name + ' · 商城';
    });

    expose('setPayUrl', function (url) {
        window.payUrl = url;
        $('payItem').classList.toggle('hidden', !url);
    });

    expose('changeDownLoadStatus', function (action, productId, tips, status, rate, showDisable, runRate, sizeRate,
                                             startcmd) {
        changeStatus(productId, tips, status, rate, showDisable, runRate, sizeRate, startcmd, 'notice');
    });

    expose('changeDownload_error', function (productId, error) {
        if (error) {
            stateOf(String(productId)).error = String(error);
            render(String(productId));
        }
    });

    expose('updateLocalProductStatus', function (text, updateMyGames) {
        var records = JSON.parse(decodeBase64Text(text));
        if (!Array.isArray(records)) { return; }
        records.forEach(function (r) {
            var id = String(r.productId);
            var s = stateOf(id);
            var status = parseInt(r.nowStatus, 10);
            s.record = r;
            s.versionNo = r.versionNo || '';
            s.versionName = r.versionName || '';
            changeStatus(id, listStatusText(status, r.rate), r.nowStatus, r.rate, '0', '', r.sizeRate, r.startcmd,
                'list');
            if (status === 5) {
                s.versionZipExists = Number(r.versionZipExists || 0);
                s.baseVersionNo = String(r.baseVersionNo || '0');
                checkProductUpdate(id);
            }
        });
        if (String(updateMyGames) === '1') { createMyGamesList(records); }
    });

    function checkProductUpdate(productId) {
        var g = byId[productId];
        var s = stateOf(productId);
        render(productId);
        if (g && updateAvailable(g, s) && (window.autoMustUpdate === 1 || window.autoAllUpdate === 1)) {
            update(g);
        }
    }

    expose('stopAutoUpdate', function () {
        window.autoMustUpdate = 0;
        window.autoAllUpdate = 0;
        toast('已停止自动更新', 0);
    });

    expose('stopAutoUpdateNoTips', function () {
        window.autoMustUpdate = 0;
        window.autoAllUpdate = 0;
    });

    expose('setLastClick', function (addTime) {
        var add = Number(addTime);
        lastClick = nowSeconds() + (isNaN(add) ? 0 : add);
    });

    function resetGame(productId) {
        var s = stateOf(String(productId));
        s.status = null;
        s.source = '';
        s.tips = '开始下载';
        s.rate = '0';
        s.runRate = '';
        s.sizeRate = '';
        s.disabled = false;
        s.error = '';
        s.versionNo = '';
        render(String(productId));
    }

    expose('resetGameDownload', resetGame);
    expose('deleteDownTask', resetGame);

    expose('clearUnReadaMessage', function () { setUnread(0); });

    expose('channgeUsbStatus', function (status, resetUi) {
        var tips = { 1: '当前USB未连接手机', 2: '当前已有USB连接手机' };
        $('usbButton').title = tips[status] || '正在检测是否USB连接手机..';
        $('usbButton').classList.toggle('connected', String(status) === '2');
        if (String(status) === '0' && String(resetUi) === '1') {
            toast('请通过USB连接您的手机，安装应用需手机开启USB调试模式', 0);
        }
    });

    expose('setUsbDevices', function (text) {
        var list = JSON.parse(decodeBase64Text(text));
        devices = Array.isArray(list) ? list : [];
        $('usbButton').classList.toggle('connected', devices.length > 0);
    });

    expose('choseDefaultDevice', function (deviceType) {
        devices.forEach(function (d) { d.isDefault = d.deviceType === deviceType; });
    });

    expose('setUserInfo', function (uid, username, authToken) {
        user = { uid: String(uid), username: String(username), nickName: String(username), authToken: String(authToken),
                 avatarUrl: apiHost + '/static/avatar/' + encodeURIComponent(uid) + '.png' };
        renderUser();
        loadUnread();
    });

    expose('clearUserUnfo', function () {
        user = null;
        renderUser();
    });

    expose('changeToFriendPage', function () { openWindow('messageBox'); });

    expose('setHasSelectInstall', function (text) { toast(String(text || '').trim() || '本地数据已清除', 1); });

    expose('getProductInfoByProductCode', function (again) {
        requestLocalStatus();
        if (String(again) === '1') { toast('本地游戏数据已清除，请重新下载', 0); }
    });

    expose('showLoading', function () { $('loadingLayer').classList.remove('hidden'); });
    expose('hideLoading', function () { $('loadingLayer').classList.add('hidden'); });

    window.layer = {
        msg: function (text, options) {
            window.nativeCallLog.push({ fn: 'layer.msg', args: [text, options] });
            toast(String(text), options && options.icon);
            return 0;
        },
        closeAll: function () { $('loadingLayer').classList.add('hidden'); },
        load: function () { $('loadingLayer').classList.remove('hidden'); return 1; },
        close: function () { $('loadingLayer').classList.add('hidden'); }
    };

    // Helpers some launcher scripts expect on every page.
    window.getLang = function (key, fallback) { return fallback; };
    window.getTimeStamp = function () { return Math.floor(nowSeconds()); };

    // --- start -------------------------------------------------------------------------------

    function startPage() {
        if (query.theme === 'light') { document.body.classList.add('light'); }
        indexCatalogue();
        wire();
        renderAll();
        renderUser();
        renderSettings();
        $('versionText').textContent = '游戏盒子 版本 ' + (query.versionNo || '-') + ' · 渠道 ' + (query.channelCode || '-');
        loadUnread();
        window.storeReady = true;
        document.body.setAttribute('data-ready', '1');
    }

    try {
        startPage();
    } catch (e) {
        reportError(e);
    }
})();
