'use strict';
// PhoneFarm: phones and plain clients driven by commands, so that a test program in any language
// (the C++ tests, also under Wine) can stage what it needs. Each command is a JSON object with a
// "cmd" and answers with a JSON object ({"ok": true, ...} or {"ok": false, "error": "..."}).
//
// Phones (the client script under the Auto.js shims):
//   phone       {name, port, host?, brand?, model?, width?, height?, answerDelayMs?, silent?,
//                failCode?, heartbeatMs?, reconnectMs?, flavour?, wait?}   answers once connected
//   disconnect  {name, mode: close|reset|silent, hold?}
//   reconnect   {name}          allows the held phone back; answers once connected again
//   stopPhone   {name}
//   phoneStats  {name}          {connects, requests, replies, heartbeats, connected}
// Plain WebSocket clients (the `ws` package) and raw TCP sockets:
//   client      {name, port, host?}                     answers once open
//   send        {name, text?, base64?, size?, fill?, prefix?, suffix?, binary?}
//                                                       size: prefix + fill * size + suffix
//   sendRaw     {name, base64}                          bytes on the socket as they are
//   raw         {name, port, host?, handshake?}         TCP connect; with handshake, upgrade too
//   waitClose   {name, timeoutMs?}                      {closed, code}
//   closeClient {name, mode: close|reset}
//   received    {name}                                  {messages, texts: last few}
//   stopAll     {}

const net = require('net');
const crypto = require('crypto');
const WebSocket = require('ws');
const { Phone } = require('./phone');

const PHONE_OPTIONS = ['host', 'port', 'address', 'brand', 'model', 'width', 'height',
    'answerDelayMs', 'silent', 'failCode', 'heartbeatMs', 'reconnectMs', 'flavour'];

class Farm {
    constructor() {
        this.phones = new Map();
        this.clients = new Map();
    }

    async handle(command) {
        const handler = this[`cmd_${command.cmd}`];
        if (typeof handler !== 'function') throw new Error(`unknown command ${command.cmd}`);
        return (await handler.call(this, command)) || {};
    }

    phone(name) {
        const phone = this.phones.get(name);
        if (!phone) throw new Error(`no phone named ${name}`);
        return phone;
    }

    client(name) {
        const client = this.clients.get(name);
        if (!client) throw new Error(`no client named ${name}`);
        return client;
    }

    async cmd_phone(command) {
        if (this.phones.has(command.name)) throw new Error(`phone ${command.name} exists`);
        const options = { name: command.name };
        for (const key of PHONE_OPTIONS) if (command[key] !== undefined) options[key] = command[key];
        const phone = new Phone(options);
        this.phones.set(command.name, phone);
        const opened = phone.waitFor('open', command.timeoutMs || 10000);
        phone.start();
        if (command.wait !== false) await opened;
        else opened.catch(() => {});
        return {};
    }

    async cmd_disconnect(command) {
        const phone = this.phone(command.name);
        const closed = phone.connected ? phone.waitFor('close', 5000) : Promise.resolve();
        phone.disconnect(command.mode || 'close', { hold: !!command.hold });
        await closed;
        return {};
    }

    async cmd_reconnect(command) {
        const phone = this.phone(command.name);
        const opened = phone.waitFor('open', command.timeoutMs || 10000);
        phone.allowReconnect();
        await opened;
        return {};
    }

    async cmd_stopPhone(command) {
        this.phone(command.name).stop();
        this.phones.delete(command.name);
        return {};
    }

    async cmd_phoneStats(command) {
        const phone = this.phone(command.name);
        return { ...phone.stats, connected: phone.connected };
    }

    async cmd_client(command) {
        if (this.clients.has(command.name)) throw new Error(`client ${command.name} exists`);
        const url = `ws://${command.host || '127.0.0.1'}:${command.port}`;
        const socket = new WebSocket(url, { maxPayload: 256 * 1024 * 1024, perMessageDeflate: false });
        const client = trackClose({ kind: 'ws', socket, texts: [], messages: 0 });
        this.clients.set(command.name, client);
        socket.on('message', (data, isBinary) => {
            client.messages += 1;
            const text = isBinary ? `<${data.length} bytes>` : data.toString('utf8');
            client.texts.push(text.length > 200 ? `${text.slice(0, 200)}...` : text);
            if (client.texts.length > 20) client.texts.shift();
        });
        socket.on('close', (code) => client.closedWith(code));
        socket.on('error', () => client.closedWith(null));
        await new Promise((resolve, reject) => {
            socket.once('open', resolve);
            socket.once('error', reject);
        });
        return {};
    }

    async cmd_send(command) {
        const client = this.client(command.name);
        let payload;
        if (command.base64 !== undefined) payload = Buffer.from(command.base64, 'base64');
        else if (command.size !== undefined) {
            payload = (command.prefix || '') + (command.fill || 'x').repeat(command.size) + (command.suffix || '');
        } else payload = command.text || '';
        if (client.kind !== 'ws') throw new Error('send needs a WebSocket client');
        // binary false with a Buffer sends its bytes as a text frame unchecked (invalid UTF-8
        // included), which is what the tests of the server's checks need.
        await new Promise((resolve) => {
            client.socket.send(payload, { binary: !!command.binary }, () => resolve());
        });
        return {};
    }

    async cmd_sendRaw(command) {
        const client = this.client(command.name);
        const socket = client.kind === 'raw' ? client.socket : client.socket._socket;
        await new Promise((resolve) => socket.write(Buffer.from(command.base64, 'base64'), resolve));
        return {};
    }

    async cmd_raw(command) {
        if (this.clients.has(command.name)) throw new Error(`client ${command.name} exists`);
        const socket = net.connect(command.port, command.host || '127.0.0.1');
        const client = trackClose({ kind: 'raw', socket, received: Buffer.alloc(0), texts: [], messages: 0 });
        this.clients.set(command.name, client);
        socket.on('data', (chunk) => {
            client.received = Buffer.concat([client.received, chunk]);
        });
        socket.on('close', () => client.closedWith(closeCodeOf(client.received)));
        socket.on('error', () => {});
        await new Promise((resolve, reject) => {
            socket.once('connect', resolve);
            socket.once('error', reject);
        });
        if (command.handshake) {
            const key = crypto.randomBytes(16).toString('base64');
            socket.write(`GET / HTTP/1.1\r\nHost: 127.0.0.1:${command.port}\r\nUpgrade: websocket\r\n` +
                `Connection: Upgrade\r\nSec-WebSocket-Key: ${key}\r\nSec-WebSocket-Version: 13\r\n\r\n`);
            await waitUntil(() => client.received.includes('\r\n\r\n') || client.closed, 5000);
            if (!client.received.toString('latin1').startsWith('HTTP/1.1 101')) {
                throw new Error('the server refused the upgrade');
            }
        }
        return {};
    }

    async cmd_waitClose(command) {
        const client = this.client(command.name);
        await waitUntil(() => client.closed, command.timeoutMs || 10000).catch(() => {});
        return { closed: client.closed, code: client.closeCode };
    }

    async cmd_closeClient(command) {
        const client = this.client(command.name);
        if (command.mode === 'reset') {
            const raw = client.kind === 'raw' ? client.socket : client.socket._socket;
            if (raw && raw.resetAndDestroy) raw.resetAndDestroy();
            else if (raw) raw.destroy();
        } else if (client.kind === 'ws') {
            client.socket.close(1000);
        } else {
            client.socket.end();
        }
        return {};
    }

    async cmd_received(command) {
        const client = this.client(command.name);
        return { messages: client.messages, texts: client.texts };
    }

    async cmd_stopAll() {
        this.stopAll();
        return {};
    }

    stopAll() {
        for (const phone of this.phones.values()) phone.stop();
        this.phones.clear();
        for (const client of this.clients.values()) {
            if (client.kind === 'ws') client.socket.terminate();
            else client.socket.destroy();
        }
        this.clients.clear();
    }
}

function trackClose(client) {
    client.closed = false;
    client.closeCode = null;
    client.closedWith = (code) => {
        if (client.closed) return;
        client.closed = true;
        client.closeCode = code;
    };
    return client;
}

// The status code of the first close frame the server sent on a raw socket, if any.
function closeCodeOf(received) {
    const headerEnd = received.toString('latin1').indexOf('\r\n\r\n');
    if (headerEnd < 0) return null;
    let at = headerEnd + 4;
    while (at + 2 <= received.length) {
        const opcode = received[at] & 0x0f;
        let length = received[at + 1] & 0x7f;
        let header = 2;
        if (length === 126) {
            length = received.readUInt16BE(at + 2);
            header = 4;
        } else if (length === 127) {
            return null;
        }
        if (opcode === 8) {
            return length >= 2 ? received.readUInt16BE(at + header) : 1005;
        }
        at += header + length;
    }
    return null;
}

function waitUntil(predicate, timeoutMs) {
    return new Promise((resolve, reject) => {
        const started = Date.now();
        const poll = () => {
            if (predicate()) return resolve();
            if (Date.now() - started > timeoutMs) return reject(new Error('timed out'));
            setTimeout(poll, 10);
        };
        poll();
    });
}

module.exports = { Farm, closeCodeOf };
