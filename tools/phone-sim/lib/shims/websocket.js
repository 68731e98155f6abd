'use strict';
// The WebSocket APIs of the Auto.js builds, as the client script sees them, over Transport:
//   autox   web.newWebSocket(url, options)      (AutoX.js)
//   pro     $web.newWebSocket(url, options)     (Auto.js Pro)
//   okhttp  Packages.okhttp3 + JavaAdapter      (Auto.js 4.x, OkHttp through Java interop)

const { EventEmitter } = require('events');
const { Transport } = require('../transport');

// What every flavour's socket object offers the script, over its Transport.
class TransportSocket {
    send(text) {
        return this._transport.send(text);
    }

    close(code, reason) {
        this._transport.close(code, reason);
        return true;
    }

    cancel() {
        this._transport.cancel();
    }
}

// AutoX's WebXSocket / Pro's WebSocket: an emitter with open, text, binary, closing, closed and
// failure events, and send, close, cancel.
class EmitterSocket extends TransportSocket {
    constructor(phone, url) {
        super();
        this._emitter = new EventEmitter();
        this._transport = new Transport(phone, url, {
            open: () => this._emit('open', { code: 101 }, this),
            text: (text) => this._emit('text', text, this),
            closing: (code, reason) => this._emit('closing', code, reason, this),
            closed: (code, reason) => this._emit('closed', code, reason, this),
            failure: (error) => this._emit('failure', error, null, this),
        });
    }

    _emit(name, ...args) {
        // A throwing script handler must not take the simulator down; Auto.js logs it.
        try {
            this._emitter.emit(name, ...args);
        } catch (error) {
            this._transport.phone._log(`script error in ${name} handler: ${error}`);
        }
    }

    on(name, handler) {
        this._emitter.on(name, handler);
        return this;
    }
}

function webModule(phone) {
    return {
        newWebSocket(url, options) {
            return new EmitterSocket(phone, String(url));
        },
    };
}

// Just enough of OkHttp for `new okhttp3.OkHttpClient.Builder().build()`,
// `new okhttp3.Request.Builder().url(u).build()`, `client.newWebSocket(request, listener)` and
// `new JavaAdapter(okhttp3.WebSocketListener, {...})`.
function okhttpPackages(phone) {
    class WebSocketListener {}

    class OkHttpWebSocket extends TransportSocket {
        constructor(url, listener) {
            super();
            const call = (name, ...args) => {
                if (typeof listener[name] !== 'function') return;
                try {
                    listener[name](this, ...args);
                } catch (error) {
                    phone._log(`script error in ${name}: ${error}`);
                }
            };
            this._transport = new Transport(phone, url, {
                open: () => call('onOpen', { code: () => 101 }),
                text: (text) => call('onMessage', text),
                closing: (code, reason) => call('onClosing', code, reason),
                closed: (code, reason) => call('onClosed', code, reason),
                failure: (error) => call('onFailure', error, null),
            });
        }
    }

    class OkHttpClient {
        newWebSocket(request, listener) {
            return new OkHttpWebSocket(request._url, listener);
        }
    }
    OkHttpClient.Builder = class {
        build() {
            return new OkHttpClient();
        }
    };

    class Request {
        constructor(url) {
            this._url = url;
        }
    }
    Request.Builder = class {
        url(url) {
            this._url = String(url);
            return this;
        }
        build() {
            return new Request(this._url);
        }
    };

    const okhttp3 = { OkHttpClient, Request, WebSocketListener };
    function JavaAdapter(base, implementation) {
        return implementation;
    }
    return { Packages: { okhttp3 }, JavaAdapter };
}

// The globals a flavour adds to the script's scope.
function websocketGlobals(phone, flavour) {
    switch (flavour) {
        case 'autox':
            return { web: webModule(phone) };
        case 'pro':
            return { $web: webModule(phone) };
        case 'okhttp':
            return okhttpPackages(phone);
        default:
            throw new Error(`unknown WebSocket flavour "${flavour}" (autox, pro or okhttp)`);
    }
}

module.exports = { websocketGlobals, FLAVOURS: ['autox', 'pro', 'okhttp'] };
