#!/usr/bin/env node
'use strict';
// Runs a test program with a phone farm beside it:
//
//   phone-farm.js [--wine WINE_RUNNER] -- PROGRAM [ARGS...]
//
// The program (natively, or a Windows program under Wine through WINE_RUNNER) sees
// PIXMATE_PHONE_FARM=1 in its environment and sends commands as lines on its standard error:
//
//   @@phone-farm {"id": 7, "cmd": "phone", "name": "A", "port": 40123}
//
// Each answer is one line on the program's standard input: {"id": 7, "ok": true, ...}. All other
// output passes through. The farm ends with the program and exits with its status.

const { spawn } = require('child_process');
const readline = require('readline');
const { Farm } = require('../lib/farm');
const { parseRunnerArguments } = require('../lib/runner-arguments');

const MARKER = '@@phone-farm ';

function main() {
    const { wine, program, args } = parseRunnerArguments(
        process.argv.slice(2), 'phone-farm.js [--wine WINE_RUNNER] -- PROGRAM [ARGS...]');
    const command = wine ? wine : program;
    const commandArgs = wine ? [program, ...args] : args;
    // Every stream is a pipe of ours: under Wine, helper processes may inherit the program's
    // streams and outlive it, and must not hold on to the streams of whoever started the farm.
    const child = spawn(command, commandArgs, {
        stdio: ['pipe', 'pipe', 'pipe'],
        env: { ...process.env, PIXMATE_PHONE_FARM: '1', PIXMATE_WINE_STDIO: 'live' },
    });
    child.stdout.on('data', (chunk) => process.stdout.write(chunk));
    const farm = new Farm();

    const answer = (reply) => {
        if (child.stdin.writable) child.stdin.write(`${JSON.stringify(reply)}\n`);
    };

    readline.createInterface({ input: child.stderr, crlfDelay: Infinity }).on('line', (line) => {
        // Wine may hand lines over with a carriage return.
        const clean = line.replace(/\r$/, '');
        const at = clean.indexOf(MARKER);
        if (at < 0) {
            process.stderr.write(`${clean}\n`);
            return;
        }
        if (at > 0) process.stderr.write(`${clean.slice(0, at)}\n`);
        let request;
        try {
            request = JSON.parse(clean.slice(at + MARKER.length));
        } catch (error) {
            process.stderr.write(`phone-farm: unreadable command: ${clean}\n`);
            return;
        }
        farm.handle(request).then(
            (result) => answer({ id: request.id, ok: true, ...result }),
            (error) => answer({ id: request.id, ok: false, error: String(error && error.message ? error.message : error) }),
        );
    });
    child.stdin.on('error', () => {});

    child.on('error', (error) => {
        process.stderr.write(`phone-farm: cannot start ${command}: ${error.message}\n`);
        farm.stopAll();
        process.exit(1);
    });
    child.on('exit', (code, signal) => {
        farm.stopAll();
        if (signal) process.stderr.write(`phone-farm: ${program} ended by ${signal}\n`);
        // Let the last output drain, without waiting for streams a Wine helper may still hold.
        setTimeout(() => process.exit(code === null ? 1 : code), 300);
    });
    for (const name of ['SIGINT', 'SIGTERM']) {
        process.on(name, () => child.kill(name));
    }
}

main();
