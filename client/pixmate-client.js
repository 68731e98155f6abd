/*
 * Pixmate phone client for Auto.js.
 *
 * Run this script on the phone in Auto.js 4.x, Auto.js Pro or AutoX.js. It asks for the address
 * that Pixmate shows at the top left of its window (after "ip:"), connects to Pixmate on port
 * 12345, keeps the link alive with heartbeats, reconnects after a drop, and runs the code that
 * Pixmate sends: each request's "data" runs in a scope where it sets `returns`, and the value
 * of `returns` goes back to Pixmate.
 *
 * Written for the script engine of Auto.js (Rhino): plain ES5, no arrow functions.
 */
(function () {
    var PIXMATE_PORT = 12345;
    // Test harnesses may set pixmateClientOptions; on a phone it does not exist.
    var options = (typeof pixmateClientOptions !== "undefined" && pixmateClientOptions) || {};
    var HEARTBEAT_MS = options.heartbeatMs || 5000;
    var RECONNECT_MS = options.reconnectMs || 3000;
    var CONNECT_TIMEOUT_MS = options.connectTimeoutMs || 15000;
    var TICK_MS = Math.max(50, Math.min(1000, HEARTBEAT_MS, RECONNECT_MS));
    var HEARTBEAT = "心跳";

    var link = {
        url: null,
        socket: null,
        state: "idle", // idle | connecting | open
        generation: 0, // events of replaced sockets are ignored
        lastAttempt: 0,
        lastBeat: 0,
        okhttp: null
    };

    function say(text) {
        try {
            if (typeof toastLog === "function") toastLog(text);
            else if (typeof log === "function") log(text);
        } catch (e) {}
    }

    function trim(text) {
        return String(text).replace(/^\s+|\s+$/g, "");
    }

    function askAddress() {
        var store = null;
        try {
            store = storages.create("pixmate-client");
        } catch (e) {}
        var last = store ? store.get("address", "") : "";
        var title = "Pixmate 电脑地址（窗口左上角 ip: 后面的地址）";
        var input = typeof rawInput === "function" ? rawInput(title, last) : dialogs.rawInput(title, last);
        if (input == null) return null;
        input = trim(input).replace(/^ip:/i, "").replace(/^wss?:\/\//i, "").replace(/\/+$/, "");
        input = trim(input);
        if (!input) return null;
        if (store) store.put("address", input);
        // A port typed by the user wins; otherwise Pixmate's.
        return /:\d+$/.test(input) ? input : input + ":" + PIXMATE_PORT;
    }

    // Runs Pixmate's code where it can assign `returns`. Direct eval keeps its `var`s local.
    function runCode(__pixmateCode) {
        var returns;
        eval(__pixmateCode);
        return returns;
    }

    // Java values (from Auto.js calls) do not survive JSON.stringify; send their text.
    function toWire(value) {
        if (value === undefined) return null;
        if (value !== null && typeof value === "object" && typeof value.getClass === "function") {
            return String(value);
        }
        return value;
    }

    function encodeReply(reply) {
        try {
            return JSON.stringify(reply);
        } catch (e) {
            reply.returns = String(reply.returns);
            return JSON.stringify(reply);
        }
    }

    function handleText(text) {
        var request;
        try {
            request = JSON.parse(text);
        } catch (e) {
            return;
        }
        if (!request || request.fun !== "eval") return;
        var back = Number(request.back);
        var reply = { fun: "eval", code: 0, back: isFinite(back) ? back : 0, returns: null };
        try {
            reply.returns = toWire(runCode(request.data == null ? "" : String(request.data)));
        } catch (e) {
            reply.code = 1;
            reply.returns = String(e);
        }
        send(encodeReply(reply));
    }

    function send(text) {
        if (!link.socket || link.state !== "open") return false;
        try {
            return link.socket.send(text) !== false;
        } catch (e) {
            dropped(link.generation, String(e));
            return false;
        }
    }

    function opened(generation) {
        if (generation !== link.generation) return;
        link.state = "open";
        link.lastBeat = Date.now();
        say("Pixmate 已连接 " + link.url);
    }

    function dropped(generation, why) {
        if (generation !== link.generation || link.state === "idle") return;
        var wasOpen = link.state === "open";
        link.state = "idle";
        link.socket = null;
        if (wasOpen) say("Pixmate 连接断开，稍后重连" + (why ? ": " + why : ""));
    }

    // The WebSocket APIs of the Auto.js builds, behind one face: send, close, cancel.
    function openSocket(url, generation) {
        var webApi = null;
        if (typeof web !== "undefined" && web && typeof web.newWebSocket === "function") webApi = web;
        else if (typeof $web !== "undefined" && $web && typeof $web.newWebSocket === "function") webApi = $web;
        if (webApi) return openEmitterSocket(webApi, url, generation);
        return openOkHttpSocket(url, generation);
    }

    // AutoX.js web.newWebSocket and Auto.js Pro $web.newWebSocket: an event emitter whose events
    // arrive on this script's thread.
    function openEmitterSocket(webApi, url, generation) {
        var ws = webApi.newWebSocket(url, { eventThread: "this" });
        ws.on("open", function () {
            opened(generation);
        });
        ws.on("text", function (text) {
            if (generation === link.generation) handleText(String(text));
        });
        ws.on("closing", function (code) {
            try {
                ws.close(1000, null);
            } catch (e) {}
        });
        ws.on("closed", function () {
            dropped(generation);
        });
        ws.on("failure", function (error) {
            dropped(generation, String(error));
        });
        return wrapSocket(ws);
    }

    // Auto.js 4.x: OkHttp through Java interop; events arrive on OkHttp's threads.
    function openOkHttpSocket(url, generation) {
        var okhttp3 = Packages.okhttp3;
        if (!link.okhttp) link.okhttp = new okhttp3.OkHttpClient.Builder().build();
        var request = new okhttp3.Request.Builder().url(url).build();
        var listener = new JavaAdapter(okhttp3.WebSocketListener, {
            onOpen: function (ws, response) {
                opened(generation);
            },
            onMessage: function (ws, message) {
                if (generation !== link.generation) return;
                // Text arrives as a string, binary as an okio.ByteString.
                handleText(message != null && typeof message.utf8 === "function" ? String(message.utf8()) : String(message));
            },
            onClosing: function (ws, code, reason) {
                try {
                    ws.close(1000, null);
                } catch (e) {}
            },
            onClosed: function (ws, code, reason) {
                dropped(generation);
            },
            onFailure: function (ws, error, response) {
                dropped(generation, String(error));
            }
        });
        return wrapSocket(link.okhttp.newWebSocket(request, listener));
    }

    function wrapSocket(ws) {
        return {
            send: function (text) {
                return ws.send(text);
            },
            close: function () {
                try {
                    ws.close(1000, null);
                } catch (e) {}
            },
            cancel: function () {
                try {
                    ws.cancel();
                } catch (e) {}
            }
        };
    }

    function connect() {
        link.generation += 1;
        link.state = "connecting";
        link.lastAttempt = Date.now();
        try {
            link.socket = openSocket(link.url, link.generation);
        } catch (e) {
            link.state = "idle";
            link.socket = null;
            say("Pixmate 连接失败: " + e);
        }
    }

    function tick() {
        var now = Date.now();
        if (link.state === "open") {
            if (now - link.lastBeat >= HEARTBEAT_MS) {
                link.lastBeat = now;
                send(HEARTBEAT);
            }
        } else if (link.state === "connecting") {
            if (now - link.lastAttempt >= CONNECT_TIMEOUT_MS) {
                if (link.socket) link.socket.cancel();
                link.state = "idle";
                link.socket = null;
            }
        } else if (now - link.lastAttempt >= RECONNECT_MS) {
            connect();
        }
    }

    var address = askAddress();
    if (!address) {
        say("没有输入地址，脚本结束");
        exit();
        return;
    }
    link.url = "ws://" + address;
    if (typeof events !== "undefined" && events && typeof events.on === "function") {
        events.on("exit", function () {
            link.generation += 1;
            if (link.socket) link.socket.close();
        });
    }
    connect();
    // Also keeps the script alive: Auto.js ends a script whose main thread has nothing left to do.
    setInterval(tick, TICK_MS);
})();
