'use strict';
// The phone's network side: one WebSocket connection (the `ws` package) with the knobs the tests
// turn: answer delay, silence, failure codes, dropping the link in several ways, holding
// reconnects. The Auto.js API shims (shims/websocket.js) sit on top of it.

const WebSocket = require('ws');

const HEARTBEAT = '心跳';

class Transport {
    // listener: { open(), text(string), closing(code, reason), closed(code, reason), failure(error) }
    constructor(phone, url, listener) {
        this.phone = phone;
        this.listener = listener;
        this.silenced = false;
        this.finished = false;
        if (!phone.connectAllowed) {
            // Like a phone whose network is gone: the attempt fails a moment later.
            setImmediate(() => this.fail(new Error('connection refused (held by the simulator)')));
            return;
        }
        this.socket = new WebSocket(url, { maxPayload: 256 * 1024 * 1024, perMessageDeflate: false });
        phone._attach(this);
        this.socket.on('open', () => {
            if (this.silenced) return;
            phone._opened(this);
            listener.open();
        });
        this.socket.on('message', (data, isBinary) => {
            if (this.silenced || this.finished) return;
            if (isBinary) return;
            const text = data.toString('utf8');
            phone._received(text);
            listener.text(text);
        });
        this.socket.on('close', (code, reason) => {
            this.finish();
            if (!this.silenced) listener.closed(code, reason.toString());
        });
        this.socket.on('error', (error) => {
            if (this.finished) return;
            this.fail(error);
        });
    }

    fail(error) {
        if (this.finished) return;
        this.finish();
        this.listener.failure(error);
    }

    finish() {
        if (this.finished) return;
        this.finished = true;
        this.phone._detached(this);
    }

    get open() {
        return !!this.socket && this.socket.readyState === WebSocket.OPEN && !this.silenced;
    }

    // What the client script sends. Replies to evaluations pass the phone's behaviour knobs.
    send(text) {
        if (!this.open) return false;
        text = String(text);
        const phone = this.phone;
        if (text === HEARTBEAT) {
            phone.stats.heartbeats += 1;
            this.socket.send(text);
            phone.emit('heartbeat');
            return true;
        }
        let reply = null;
        try {
            reply = JSON.parse(text);
        } catch (e) {
            reply = null;
        }
        if (!reply || reply.fun !== 'eval') {
            this.socket.send(text);
            return true;
        }
        if (phone.options.silent) {
            phone.emit('swallowed', reply);
            return true;
        }
        if (phone.options.failCode) {
            reply.code = phone.options.failCode;
            reply.returns = 'simulated failure';
            text = JSON.stringify(reply);
        }
        const deliver = () => {
            if (!this.open) return;
            phone.stats.replies += 1;
            this.socket.send(text);
            phone.emit('reply', reply);
        };
        if (phone.options.answerDelayMs > 0) setTimeout(deliver, phone.options.answerDelayMs);
        else deliver();
        return true;
    }

    close(code, reason) {
        if (!this.socket) return;
        try {
            this.socket.close(code || 1000, reason || undefined);
        } catch (e) {
            this.socket.terminate();
        }
    }

    cancel() {
        if (this.socket) this.socket.terminate();
    }

    // mode: 'close' (close frame), 'reset' (TCP reset), 'silent' (half-open: the phone stops
    // reading and writing without a word, as a phone that lost its network does).
    drop(mode) {
        if (!this.socket) return;
        if (mode === 'reset') {
            const raw = this.socket._socket;
            if (raw && typeof raw.resetAndDestroy === 'function') raw.resetAndDestroy();
            else this.socket.terminate();
        } else if (mode === 'silent') {
            this.silenced = true;
            const raw = this.socket._socket;
            if (raw) raw.pause();
            // The script learns of it as a failure, as OkHttp reports a dead network.
            this.listener.failure(new Error('network gone (simulated)'));
            this.phone._detached(this);
        } else {
            this.close(1000, 'bye');
        }
    }

    // A silenced connection is left to the server; this ends it for good.
    destroy() {
        if (this.socket) this.socket.terminate();
    }
}

module.exports = { Transport, HEARTBEAT };
