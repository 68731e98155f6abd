// pixmate-ws-echo: the phone link's WebSocket server as a plain echo server on 127.0.0.1, so it
// can be held against RFC 6455 conformance suites (and poked at by hand).
//
//   pixmate-ws-echo PORT [--idle-ms N]
//
// Every text or binary message comes back unchanged (fragmented ones reassembled). Port 0 picks
// a free port; the port listened on is printed on the first line. Runs until interrupted.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "pixmate/link/websocket_server.h"

namespace {

std::atomic<bool> interrupted{false};

void OnSignal(int) {
    interrupted = true;
}

bool ParseInt(const char* text, long min, long max, long& value) {
    char* end = nullptr;
    value = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && value >= min && value <= max;
}

}  // namespace

int main(int argc, char** argv) {
    long port = -1;
    long idleMs = 60'000;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--idle-ms") == 0 && i + 1 < argc) {
            if (!ParseInt(argv[++i], 1, 86'400'000, idleMs)) port = -2;
        } else if (port == -1) {
            if (!ParseInt(argv[i], 0, 65535, port)) port = -2;
        } else {
            port = -2;
        }
    }
    if (port < 0) {
        std::fprintf(stderr, "usage: pixmate-ws-echo PORT [--idle-ms N]\n");
        return 2;
    }

    pixmate::WebSocketServer server;
    pixmate::WebSocketServer::Options options;
    options.address = "127.0.0.1";
    options.idleTimeout = std::chrono::milliseconds(idleMs);
    server.Init(
        static_cast<std::int32_t>(port), nullptr, nullptr,
        [&server](std::int32_t client, std::int32_t type, std::int32_t message) {
            const std::string data = server.TakeMessageData(message);
            if (type == pixmate::WebSocketServer::kTextMessage) {
                server.SendText(client, data);
            } else {
                server.SendBinary(client, data);
            }
        },
        options);
    if (!server.Start()) {
        std::fprintf(stderr, "pixmate-ws-echo: cannot listen on 127.0.0.1:%ld\n", port);
        return 1;
    }
    std::printf("listening on 127.0.0.1:%u\n", static_cast<unsigned>(server.Port()));
    std::fflush(stdout);

    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    while (!interrupted) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    server.Stop();
    return 0;
}
