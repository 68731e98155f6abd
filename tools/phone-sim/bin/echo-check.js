#!/usr/bin/env node
'use strict';
// Checks a WebSocket echo server with the `ws` client: text, binary, empty, fragmented, large
// and Chinese messages must come back unchanged, and pings must be answered.
//
//   echo-check.js [--wine WINE_RUNNER] -- ECHO_PROGRAM [ARGS...]
//
// The program is started with port 0 as its last argument and must print
// "listening on 127.0.0.1:PORT" first. Exits 0 when every check passed.

const { spawn } = require('child_process');
const readline = require('readline');
const assert = require('assert');
const WebSocket = require('ws');
const { parseRunnerArguments } = require('../lib/runner-arguments');

function startServer({ wine, program, args }) {
    const command = wine || program;
    const commandArgs = wine ? [program, ...args, '0'] : [...args, '0'];
    // Pipes of our own only (see phone-farm.js); under Wine the program keeps them while it runs.
    const child = spawn(command, commandArgs, {
        stdio: ['ignore', 'pipe', 'pipe'],
        env: { ...process.env, PIXMATE_WINE_STDIO: 'live' },
    });
    child.stderr.on('data', (chunk) => process.stderr.write(chunk));
    return new Promise((resolve, reject) => {
        const timer = setTimeout(() => reject(new Error('the echo server did not say where it listens')), 60000);
        readline.createInterface({ input: child.stdout }).on('line', (line) => {
            const match = /listening on 127\.0\.0\.1:(\d+)/.exec(line);
            if (match) {
                clearTimeout(timer);
                resolve({ child, port: Number(match[1]) });
            }
        });
        child.on('exit', (code) => reject(new Error(`the echo server ended early (${code})`)));
    });
}

function nextMessage(socket) {
    return new Promise((resolve, reject) => {
        socket.once('message', (data, isBinary) => resolve({ data, isBinary }));
        socket.once('close', (code) => reject(new Error(`closed with ${code}`)));
    });
}

async function check(port) {
    const socket = new WebSocket(`ws://127.0.0.1:${port}`, { maxPayload: 128 * 1024 * 1024 });
    await new Promise((resolve, reject) => {
        socket.once('open', resolve);
        socket.once('error', reject);
    });
    const roundTrip = async (payload, options = {}) => {
        const reply = nextMessage(socket);
        socket.send(payload, options);
        return reply;
    };

    let reply = await roundTrip('hello');
    assert.strictEqual(reply.isBinary, false);
    assert.strictEqual(reply.data.toString(), 'hello');

    reply = await roundTrip('找图找色 ✓');
    assert.strictEqual(reply.data.toString('utf8'), '找图找色 ✓');

    const bytes = Buffer.from([0, 1, 2, 0xff, 0xfe, 0x80]);
    reply = await roundTrip(bytes, { binary: true });
    assert.strictEqual(reply.isBinary, true);
    assert.deepStrictEqual(Buffer.from(reply.data), bytes);

    reply = await roundTrip('');
    assert.strictEqual(reply.data.length, 0);

    // One message in three frames.
    const pieces = nextMessage(socket);
    socket.send('frag', { fin: false });
    socket.send('men', { fin: false });
    socket.send('ted', { fin: true });
    assert.strictEqual((await pieces).data.toString(), 'fragmented');

    const large = Buffer.alloc(16 * 1024 * 1024, 0x61);
    reply = await roundTrip(large, { binary: false });
    assert.strictEqual(reply.data.length, large.length);
    assert.ok(Buffer.from(reply.data).equals(large));

    const pong = new Promise((resolve) => socket.once('pong', resolve));
    socket.ping('are you there');
    assert.strictEqual((await pong).toString(), 'are you there');

    const closed = new Promise((resolve) => socket.once('close', (code) => resolve(code)));
    socket.close(1000);
    assert.strictEqual(await closed, 1000);
}

async function main() {
    const options = parseRunnerArguments(
        process.argv.slice(2), 'echo-check.js [--wine WINE_RUNNER] -- ECHO_PROGRAM [ARGS...]');
    const { child, port } = await startServer(options);
    try {
        await check(port);
        process.stdout.write(`echo server on port ${port}: every check passed\n`);
    } finally {
        child.removeAllListeners('exit');
        child.kill('SIGTERM');
    }
}

main().then(
    () => process.exit(0),
    (error) => {
        process.stderr.write(`echo-check: ${error.stack || error}\n`);
        process.exit(1);
    },
);
