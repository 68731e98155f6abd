'use strict';
// The everyday Auto.js globals the client script uses: device, rawInput and dialogs, storages,
// timers, logging, events and exit. Screen and image calls (requestScreenCapture, captureScreen,
// images.*, click) are added by other shim modules through Phone's `globals` option.

function basicGlobals(phone) {
    const options = phone.options;
    const timers = phone._timers;

    const track = (handle) => {
        timers.add(handle);
        return handle;
    };
    const guarded = (fn, name) => (...args) => {
        try {
            fn(...args);
        } catch (error) {
            phone._log(`script error in ${name}: ${error && error.stack ? error.stack : error}`);
        }
    };

    const storagesByName = phone._storages;
    const storages = {
        create(name) {
            if (!storagesByName.has(name)) storagesByName.set(name, new Map());
            const map = storagesByName.get(name);
            return {
                get: (key, fallback) => (map.has(key) ? map.get(key) : fallback),
                put: (key, value) => {
                    map.set(key, value);
                },
                remove: (key) => {
                    map.delete(key);
                },
                contains: (key) => map.has(key),
                clear: () => map.clear(),
            };
        },
    };

    // rawInput answers with the simulator's address, the way a user would type it.
    const rawInput = (title, prefill) => {
        phone.prompts.push({ title: String(title), prefill: prefill == null ? '' : String(prefill) });
        return options.address !== undefined ? options.address : `${options.host}:${options.port}`;
    };

    const exitHandlers = phone._exitHandlers;
    const logLine = (...args) => phone._log(args.map(String).join(' '));

    return {
        device: {
            brand: options.brand,
            model: options.model,
            width: options.width,
            height: options.height,
        },
        rawInput,
        dialogs: { rawInput },
        storages,
        setTimeout: (fn, ms, ...args) => track(setTimeout(guarded(fn, 'setTimeout'), ms, ...args)),
        setInterval: (fn, ms, ...args) => track(setInterval(guarded(fn, 'setInterval'), ms, ...args)),
        clearTimeout: (handle) => {
            timers.delete(handle);
            clearTimeout(handle);
        },
        clearInterval: (handle) => {
            timers.delete(handle);
            clearInterval(handle);
        },
        log: logLine,
        toast: logLine,
        toastLog: logLine,
        console: { log: logLine, info: logLine, warn: logLine, error: logLine, verbose: logLine },
        events: {
            on(name, handler) {
                if (name === 'exit') exitHandlers.push(handler);
                return this;
            },
        },
        exit: () => phone.stop(),
        pixmateClientOptions: {
            heartbeatMs: options.heartbeatMs,
            reconnectMs: options.reconnectMs,
        },
    };
}

module.exports = { basicGlobals };
