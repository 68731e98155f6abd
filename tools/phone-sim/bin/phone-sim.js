#!/usr/bin/env node
'use strict';
// Simulated phones for trying Pixmate by hand or from scripts:
//
//   phone-sim.js [options]
//     --host H              desktop address (default 127.0.0.1)
//     --port N              desktop port (default 12345)
//     --brand B --model M   what device.brand and device.model say
//     --size WxH            device.width and device.height (default 1080x2400)
//     --count N             N phones from this process (models get " #2", " #3", ...)
//     --delay MS            answer every evaluation MS milliseconds late
//     --silent              never answer evaluations (heartbeats still go out)
//     --fail CODE           answer every evaluation with failure code CODE
//     --heartbeat MS        heartbeat interval (default 5000)
//     --reconnect MS        reconnect interval after a drop (default 3000)
//     --flavour F           WebSocket API the client script finds: autox, pro or okhttp
//     --drop-after MS       drop the link after MS milliseconds ...
//     --drop-mode M         ... by close, reset or silent (default close)
//     --back-after MS       ... and let the phone reconnect MS milliseconds after the drop
//     --verbose             print the client script's log lines
// Runs until interrupted.

const { Phone, FLAVOURS } = require('../lib');

function parse(argv) {
    const options = { count: 1, dropMode: 'close' };
    const number = (name, text) => {
        const value = Number(text);
        if (!Number.isFinite(value)) throw new Error(`${name} needs a number`);
        return value;
    };
    for (let i = 0; i < argv.length; ++i) {
        const arg = argv[i];
        const next = () => {
            if (i + 1 >= argv.length) throw new Error(`${arg} needs a value`);
            return argv[++i];
        };
        switch (arg) {
            case '--host': options.host = next(); break;
            case '--port': options.port = number(arg, next()); break;
            case '--brand': options.brand = next(); break;
            case '--model': options.model = next(); break;
            case '--size': {
                const match = /^(\d+)x(\d+)$/.exec(next());
                if (!match) throw new Error('--size needs WIDTHxHEIGHT');
                options.width = Number(match[1]);
                options.height = Number(match[2]);
                break;
            }
            case '--count': options.count = number(arg, next()); break;
            case '--delay': options.answerDelayMs = number(arg, next()); break;
            case '--silent': options.silent = true; break;
            case '--fail': options.failCode = number(arg, next()); break;
            case '--heartbeat': options.heartbeatMs = number(arg, next()); break;
            case '--reconnect': options.reconnectMs = number(arg, next()); break;
            case '--flavour':
                options.flavour = next();
                if (!FLAVOURS.includes(options.flavour)) throw new Error(`--flavour: one of ${FLAVOURS.join(', ')}`);
                break;
            case '--drop-after': options.dropAfterMs = number(arg, next()); break;
            case '--drop-mode': options.dropMode = next(); break;
            case '--back-after': options.backAfterMs = number(arg, next()); break;
            case '--verbose': options.quiet = false; break;
            case '--help': case '-h':
                process.stdout.write(require('fs').readFileSync(__filename, 'utf8').split('\n').slice(2, 22).map((l) => l.replace(/^\/\/ ?/, '')).join('\n') + '\n');
                process.exit(0);
                break;
            default: throw new Error(`unknown option ${arg}`);
        }
    }
    return options;
}

function main() {
    let options;
    try {
        options = parse(process.argv.slice(2));
    } catch (error) {
        process.stderr.write(`phone-sim: ${error.message}\n`);
        process.exit(2);
    }
    const { count, dropAfterMs, dropMode, backAfterMs, ...phoneOptions } = options;
    const phones = [];
    for (let i = 0; i < count; ++i) {
        const model = phoneOptions.model || 'Redmi Note 12';
        const phone = new Phone({ ...phoneOptions, model: count > 1 && i > 0 ? `${model} #${i + 1}` : model });
        phone.on('open', () => process.stdout.write(`${phone.name}: connected\n`));
        phone.on('close', () => process.stdout.write(`${phone.name}: disconnected\n`));
        phone.start();
        phones.push(phone);
        if (dropAfterMs !== undefined) {
            setTimeout(() => {
                phone.disconnect(dropMode, { hold: backAfterMs !== undefined });
                if (backAfterMs !== undefined) setTimeout(() => phone.allowReconnect(), backAfterMs);
            }, dropAfterMs);
        }
    }
    const stop = () => {
        for (const phone of phones) phone.stop();
        process.exit(0);
    };
    process.on('SIGINT', stop);
    process.on('SIGTERM', stop);
}

main();
