'use strict';
// A simulated phone: Pixmate's own client script (client/pixmate-client.js), loaded with Node's
// vm module into a scope of Auto.js globals. What the desktop sees is what a phone running that
// script would do; the knobs (answer delay, silence, failure codes, drops) act on the network
// side, below the script.

const fs = require('fs');
const path = require('path');
const vm = require('vm');
const { EventEmitter } = require('events');
const { basicGlobals } = require('./shims/basics');
const { websocketGlobals } = require('./shims/websocket');

const DEFAULT_CLIENT = path.resolve(__dirname, '../../../client/pixmate-client.js');

const DEFAULTS = {
    host: '127.0.0.1',
    port: 12345,
    address: undefined, // what rawInput answers; default host:port
    brand: 'Xiaomi',
    model: 'Redmi Note 12',
    width: 1080,
    height: 2400,
    answerDelayMs: 0,
    silent: false, // never answers evaluations (heartbeats still go out)
    failCode: 0, // answers every evaluation with this failure code
    heartbeatMs: 5000,
    reconnectMs: 3000,
    flavour: 'autox', // autox | pro | okhttp
    name: undefined,
    clientPath: DEFAULT_CLIENT,
    quiet: true, // keep the script's log lines in phone.logLines instead of printing them
    // Extra globals for the script's scope: an object, or a function (phone) => object. Later
    // shims (screen capture, images, click) come in this way.
    globals: undefined,
};

const scriptCache = new Map();

function compiledClient(clientPath) {
    if (!scriptCache.has(clientPath)) {
        const source = fs.readFileSync(clientPath, 'utf8');
        scriptCache.set(clientPath, new vm.Script(source, { filename: clientPath }));
    }
    return scriptCache.get(clientPath);
}

class Phone extends EventEmitter {
    constructor(options = {}) {
        super();
        this.options = { ...DEFAULTS, ...options };
        for (const key of Object.keys(this.options)) {
            if (this.options[key] === undefined && DEFAULTS[key] !== undefined) {
                this.options[key] = DEFAULTS[key];
            }
        }
        this.name = this.options.name || `${this.options.brand} ${this.options.model}`;
        this.stats = { connects: 0, requests: 0, replies: 0, heartbeats: 0 };
        this.prompts = [];
        this.logLines = [];
        this.connectAllowed = true;
        this.running = false;
        this._timers = new Set();
        this._storages = new Map();
        this._exitHandlers = [];
        this._transports = new Set();
        this._current = null;
        this._context = null;
    }

    get connected() {
        return !!this._current && this._current.open;
    }

    start() {
        if (this.running) return this;
        this.running = true;
        const scope = {
            ...basicGlobals(this),
            ...websocketGlobals(this, this.options.flavour),
        };
        let extra = this.options.globals;
        if (typeof extra === 'function') extra = extra(this);
        Object.assign(scope, extra || {});
        this._context = vm.createContext(scope, { name: `phone ${this.name}` });
        try {
            compiledClient(this.options.clientPath).runInContext(this._context);
        } catch (error) {
            this._log(`client script failed: ${error && error.stack ? error.stack : error}`);
            this.stop();
            throw error;
        }
        return this;
    }

    stop() {
        if (!this.running) return;
        this.running = false;
        for (const handler of this._exitHandlers.splice(0)) {
            try {
                handler();
            } catch (error) {
                this._log(`exit handler failed: ${error}`);
            }
        }
        for (const handle of this._timers) {
            clearTimeout(handle);
            clearInterval(handle);
        }
        this._timers.clear();
        for (const transport of this._transports) transport.destroy();
        this._transports.clear();
        this._current = null;
        this.emit('stopped');
    }

    // Drops the connection: 'close' (close frame), 'reset' (TCP reset) or 'silent' (half-open).
    // With hold, the phone stays away until allowReconnect(); otherwise the script reconnects
    // on its own after its reconnect interval.
    disconnect(mode = 'close', { hold = false } = {}) {
        if (hold) this.connectAllowed = false;
        if (this._current) this._current.drop(mode);
    }

    allowReconnect() {
        this.connectAllowed = true;
    }

    // Resolves when the named event comes, rejects after timeoutMs.
    waitFor(event, timeoutMs = 10000, predicate = () => true) {
        return new Promise((resolve, reject) => {
            const onEvent = (...args) => {
                if (!predicate(...args)) return;
                clearTimeout(timer);
                this.off(event, onEvent);
                resolve(args[0]);
            };
            const timer = setTimeout(() => {
                this.off(event, onEvent);
                reject(new Error(`${this.name}: no ${event} within ${timeoutMs} ms`));
            }, timeoutMs);
            this.on(event, onEvent);
        });
    }

    // Resolves once connected (at once when already so).
    connectedPromise(timeoutMs = 10000) {
        if (this.connected) return Promise.resolve();
        return this.waitFor('open', timeoutMs);
    }

    // Transport callbacks.
    _attach(transport) {
        this._transports.add(transport);
        this._current = transport;
    }

    _opened(transport) {
        this.stats.connects += 1;
        this.emit('open');
    }

    _detached(transport) {
        // A silenced transport stays in _transports until stop(), like a dead socket the phone
        // has forgotten but the server has not.
        if (!transport.silenced) this._transports.delete(transport);
        if (this._current === transport) {
            this._current = null;
            this.emit('close');
        }
    }

    _received(text) {
        let request = null;
        try {
            request = JSON.parse(text);
        } catch (e) {
            request = null;
        }
        if (request && request.fun === 'eval') {
            this.stats.requests += 1;
            this.emit('request', request);
        }
    }

    _log(line) {
        this.logLines.push(line);
        if (this.logLines.length > 200) this.logLines.shift();
        if (!this.options.quiet) process.stderr.write(`[${this.name}] ${line}\n`);
        this.emit('log', line);
    }
}

module.exports = { Phone, DEFAULTS, DEFAULT_CLIENT };
