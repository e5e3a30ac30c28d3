/*
 * Client side of the web channel between a page and the launcher, small enough to read at once.
 *
 * The launcher runs `new QWebChannel(qt.webChannelTransport, function (channel) { ... })` after each
 * load; this file provides that constructor. It only needs what the storefront uses: the published
 * objects with their methods (calls are fire-and-forget, an optional last function argument receives
 * the result) and their signals (connect/disconnect). Message kinds are those of the channel protocol.
 */
(function (global) {
    'use strict';

    var MSG = {
        signal: 1, propertyUpdate: 2, init: 3, idle: 4, debug: 5,
        invokeMethod: 6, connectToSignal: 7, disconnectFromSignal: 8, setProperty: 9, response: 10
    };

    function ChannelObject(name, meta, channel) {
        var self = this;
        var handlers = {};
        this.__id__ = name;

        (meta.methods || []).forEach(function (entry) {
            var methodName = entry[0];
            var methodIndex = entry[1];
            // Overloads are also listed by signature ("callback(QString)"); the plain name is enough.
            self[methodName] = function () {
                var args = Array.prototype.slice.call(arguments);
                var done = null;
                if (args.length && typeof args[args.length - 1] === 'function') {
                    done = args.pop();
                }
                channel.exec({ type: MSG.invokeMethod, object: name, method: methodIndex, args: args }, done);
            };
        });

        (meta.properties || []).forEach(function (entry) {
            var value = entry[3];
            Object.defineProperty(self, entry[1], {
                configurable: true,
                get: function () { return value; },
                set: function (v) {
                    value = v;
                    channel.exec({ type: MSG.setProperty, object: name, property: entry[0], value: v });
                }
            });
            self['__set_' + entry[0]] = function (v) { value = v; };
        });

        (meta.signals || []).forEach(function (entry) {
            var signalName = entry[0];
            var signalIndex = entry[1];
            handlers[signalIndex] = [];
            self[signalName] = {
                connect: function (fn) {
                    if (typeof fn !== 'function') { return; }
                    handlers[signalIndex].push(fn);
                    if (handlers[signalIndex].length === 1 && signalName !== 'destroyed') {
                        channel.exec({ type: MSG.connectToSignal, object: name, signal: signalIndex });
                    }
                },
                disconnect: function (fn) {
                    var i = handlers[signalIndex].indexOf(fn);
                    if (i >= 0) { handlers[signalIndex].splice(i, 1); }
                    if (!handlers[signalIndex].length) {
                        channel.exec({ type: MSG.disconnectFromSignal, object: name, signal: signalIndex });
                    }
                }
            };
        });

        this.__emit__ = function (signalIndex, args) {
            (handlers[signalIndex] || []).forEach(function (fn) { fn.apply(fn, args || []); });
        };
    }

    function QWebChannel(transport, initCallback) {
        if (!transport || typeof transport.send !== 'function') {
            throw new Error('QWebChannel needs a transport with a send() function');
        }
        var channel = this;
        var pending = {};
        var nextId = 0;
        this.objects = {};

        this.send = function (message) {
            transport.send(typeof message === 'string' ? message : JSON.stringify(message));
        };

        this.exec = function (message, callback) {
            // The other end drops method calls without an id, so calls always carry one.
            if (callback || message.type === MSG.invokeMethod || message.type === MSG.init) {
                message.id = nextId++;
                if (callback) { pending[message.id] = callback; }
            }
            channel.send(message);
        };

        transport.onmessage = function (event) {
            var message = event && event.data !== undefined ? event.data : event;
            if (typeof message === 'string') {
                message = JSON.parse(message);
            }
            if (message.type === MSG.response) {
                var done = pending[message.id];
                delete pending[message.id];
                if (done) { done(message.data); }
            } else if (message.type === MSG.signal) {
                var target = channel.objects[message.object];
                if (target) { target.__emit__(message.signal, message.args); }
            } else if (message.type === MSG.propertyUpdate) {
                (message.data || []).forEach(function (update) {
                    var obj = channel.objects[update.object];
                    if (!obj) { return; }
                    Object.keys(update.properties || {}).forEach(function (index) {
                        if (obj['__set_' + index]) { obj['__set_' + index](update.properties[index]); }
                    });
                    Object.keys(update.signals || {}).forEach(function (index) {
                        obj.__emit__(Number(index), update.signals[index]);
                    });
                });
                channel.exec({ type: MSG.idle });
            }
        };

        this.exec({ type: MSG.init }, function (data) {
            Object.keys(data || {}).forEach(function (name) {
                channel.objects[name] = new ChannelObject(name, data[name], channel);
            });
            channel.exec({ type: MSG.idle });
            if (initCallback) { initCallback(channel); }
        });
    }

    global.QWebChannel = QWebChannel;
})(window);
