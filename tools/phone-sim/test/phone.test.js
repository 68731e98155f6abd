'use strict';
// The client script under the simulator, against a plain `ws` server standing in for Pixmate.
const test = require('node:test');
const assert = require('node:assert');
const { WebSocketServer } = require('ws');
const { Phone, FLAVOURS } = require('../lib');

// A desktop stand-in: collects what phones send, sends evaluation requests.
async function desktop() {
    const server = new WebSocketServer({ host: '127.0.0.1', port: 0 });
    await new Promise((resolve) => server.once('listening', resolve));
    const inbox = [];
    const waiters = [];
    const sockets = [];
    server.on('connection', (socket) => {
        sockets.push(socket);
        socket.on('message', (data) => {
            const text = data.toString('utf8');
            inbox.push(text);
            for (const waiter of waiters.splice(0)) waiter();
        });
    });
    const next = async (predicate, timeoutMs = 5000) => {
        const started = Date.now();
        for (;;) {
            const index = inbox.findIndex(predicate);
            if (index >= 0) return inbox.splice(index, 1)[0];
            if (Date.now() - started > timeoutMs) throw new Error('nothing arrived');
            await new Promise((resolve) => {
                waiters.push(resolve);
                setTimeout(resolve, 50);
            });
        }
    };
    const evaluate = async (code, back = '0') => {
        const socket = sockets[sockets.length - 1];
        socket.send(JSON.stringify({ fun: 'eval', data: code, back }));
        return JSON.parse(await next((text) => text !== '心跳'));
    };
    return { server, inbox, sockets, next, evaluate, port: server.address().port };
}

async function withPhone(options, body) {
    const d = await desktop();
    const phone = new Phone({ port: d.port, heartbeatMs: 100, reconnectMs: 100, ...options });
    try {
        const opened = phone.waitFor('open', 5000);
        phone.start();
        await opened;
        await body(d, phone);
    } finally {
        phone.stop();
        d.server.close();
    }
}

for (const flavour of FLAVOURS) {
    test(`${flavour}: evaluates, answers in the reply format, sends heartbeats`, async () => {
        await withPhone({ flavour, brand: 'HUAWEI', model: 'P40', width: 1200, height: 2640 }, async (d, phone) => {
            assert.deepStrictEqual(await d.evaluate('returns=device.brand'),
                { fun: 'eval', code: 0, back: 0, returns: 'HUAWEI' });
            assert.strictEqual((await d.evaluate('returns=device.width')).returns, 1200);
            assert.strictEqual((await d.evaluate('var a = [1, 2]; returns = a', '7')).back, 7);
            assert.strictEqual((await d.evaluate('returns = "中文 ✓"')).returns, '中文 ✓');
            assert.strictEqual((await d.evaluate('1 + 1')).returns, null);
            const failed = await d.evaluate('throw new Error("boom")');
            assert.strictEqual(failed.code, 1);
            assert.match(failed.returns, /boom/);
            await d.next((text) => text === '心跳');
            assert.strictEqual(phone.prompts.length, 1);
        });
    });
}

test('the address typed once is offered again next time', async () => {
    await withPhone({}, async (d, phone) => {
        assert.strictEqual(phone._storages.get('pixmate-client').get('address'), `127.0.0.1:${d.port}`);
    });
});

test('knobs: failure code, delay, silence', async () => {
    await withPhone({ failCode: 3 }, async (d) => {
        const reply = await d.evaluate('returns=1');
        assert.strictEqual(reply.code, 3);
    });
    await withPhone({ answerDelayMs: 300 }, async (d) => {
        const started = Date.now();
        await d.evaluate('returns=1');
        assert.ok(Date.now() - started >= 250);
    });
    await withPhone({ silent: true }, async (d, phone) => {
        d.sockets[0].send(JSON.stringify({ fun: 'eval', data: 'returns=1', back: '0' }));
        await phone.waitFor('swallowed', 2000);
        await assert.rejects(d.next((text) => text !== '心跳', 300));
    });
});

test('reconnects after each kind of drop, and stays away while held', async () => {
    await withPhone({}, async (d, phone) => {
        for (const mode of ['close', 'reset', 'silent']) {
            const before = phone.stats.connects;
            const opened = phone.waitFor('open', 5000);
            phone.disconnect(mode);
            await opened;
            assert.strictEqual(phone.stats.connects, before + 1);
        }
        phone.disconnect('close', { hold: true });
        await new Promise((resolve) => setTimeout(resolve, 400));
        assert.strictEqual(phone.connected, false);
        const opened = phone.waitFor('open', 5000);
        phone.allowReconnect();
        await opened;
        assert.strictEqual((await d.evaluate('returns=2')).returns, 2);
    });
});

test('a large answer arrives whole', async () => {
    await withPhone({}, async (d) => {
        const reply = await d.evaluate('returns = "x".repeat(8 * 1024 * 1024)');
        assert.strictEqual(reply.returns.length, 8 * 1024 * 1024);
    });
});
