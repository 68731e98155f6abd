#pragma once
// WebSocketServer: the RFC 6455 server the phones connect to.
//
// Threads. Network I/O runs on a small pool of the server's own threads. Every connection has
// its own event thread that raises that connection's events in order (enter, its messages,
// exit), so a handler that blocks (a modal box, a slow evaluation) holds up only its own
// connection. Events never run on the caller's threads; SendText may be called from any thread,
// including from inside an event.
//
// Handles. Client handles are positive and unique among open connections: a handle is not given
// out again before the exit event of its connection has returned. A message handle is valid for
// GetMessageData and TakeMessageData only while its message event runs.
//
// Limits. Messages up to Options::maxMessageSize are accepted; a larger one closes its connection
// with close code 1009. Invalid frames (1002) and invalid UTF-8 in text messages (1007) close
// their connection only. A peer that stays silent is pinged after half the idle timeout and
// dropped after the whole of it, which also detects half-open connections.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace pixmate {

class WebSocketServer {
  public:
    // Message types of the message event (the WebSocket opcodes).
    static constexpr std::int32_t kTextMessage = 1;
    static constexpr std::int32_t kBinaryMessage = 2;

    using ClientEvent = std::function<void(std::int32_t clientHandle)>;
    using MessageEvent = std::function<void(std::int32_t clientHandle, std::int32_t messageType,
                                            std::int32_t messageHandle)>;

    struct Options {
        // Where to listen: every interface for phones on the network, 127.0.0.1 for tests.
        std::string address = "0.0.0.0";
        // From TCP accept to a completed upgrade; also bounds the closing handshake.
        std::chrono::milliseconds handshakeTimeout{10'000};
        // Silence after which a connection is dropped; a ping goes out at half of it.
        std::chrono::milliseconds idleTimeout{30'000};
        std::size_t maxMessageSize = 64u * 1024 * 1024;
        // Received bytes a connection may hold for its (blocked) event thread before reading
        // pauses.
        std::size_t maxPendingBytes = 64u * 1024 * 1024;
        int ioThreads = 2;
    };

    // The server object as start-up makes it: neither initialised nor started.
    static std::unique_ptr<WebSocketServer> BaseCreate();

    WebSocketServer();
    ~WebSocketServer();
    WebSocketServer(const WebSocketServer&) = delete;
    WebSocketServer& operator=(const WebSocketServer&) = delete;

    // Port 0 picks a free port (see Port). Takes effect at the next Start.
    void Init(std::int32_t port, ClientEvent onClientEnter, ClientEvent onClientExit,
              MessageEvent onMessage, const Options& options);
    void Init(std::int32_t port, ClientEvent onClientEnter, ClientEvent onClientExit,
              MessageEvent onMessage);
    // False when the port cannot be had (in use, no permission) or the server already runs.
    bool Start();
    // The port listened on while started, else 0.
    std::uint16_t Port() const;

    // Queue a message for an open connection; false when the handle names none.
    bool SendText(std::int32_t clientHandle, std::string_view text);
    bool SendBinary(std::int32_t clientHandle, std::string_view bytes);

    // The bytes of the message being delivered; empty for an unknown handle or once taken.
    std::string_view GetMessageData(std::int32_t messageHandle) const;
    // Moves the bytes out, sparing a copy of a multi-megabyte message.
    std::string TakeMessageData(std::int32_t messageHandle);

    // Stops listening, drops every connection and waits for running events and threads to end.
    // No event is raised once Stop has begun (pending ones are discarded), so the owner of the
    // event handlers may be released afterwards. Start may be called again.
    void Stop();
    // Stop, then free everything the server holds.
    void BaseRelease();

  private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace pixmate
