// The only translation unit of the program that sees Beast and Asio.
#include "pixmate/link/websocket_server.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include <boost/asio/compose.hpp>
#include <boost/asio/dispatch.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/strand.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http/field.hpp>
#include <boost/beast/websocket.hpp>

#include "pixmate/link/listen_socket.h"
#include "pixmate/link/thread_set.h"

namespace pixmate {

namespace {

namespace beast = boost::beast;
namespace websocket = beast::websocket;
namespace net = boost::asio;
using tcp = net::ip::tcp;
using beast::error_code;

// The connection's socket. Its own teardown: after failing a connection (too big, bad frame)
// the server's close frame must reach the peer, which is still sending; closing at once would
// answer the unread bytes with a reset that destroys the close frame in flight. So the server
// stops sending, reads and discards until the peer closes too, and only then closes. (The tcp
// teardown of Boost 1.81 stops after its first read.) The websocket stream's closing timeout
// bounds the wait.
class LingeringSocket : public tcp::socket {
  public:
    explicit LingeringSocket(tcp::socket&& socket) : tcp::socket(std::move(socket)) {}
};

class DrainOp {
  public:
    DrainOp(LingeringSocket& socket, beast::role_type role)
        : socket_(socket), role_(role), buffer_(std::make_unique<std::array<char, 16 * 1024>>()) {}

    template <class Self>
    void operator()(Self& self, error_code ec = {}, std::size_t = 0) {
        if (!started_) {
            started_ = true;
            error_code ignored;
            if (role_ == beast::role_type::server) {
                socket_.shutdown(net::socket_base::shutdown_send, ignored);
            }
        } else if (ec) {
            error_code ignored;
            if (role_ == beast::role_type::client) {
                socket_.shutdown(net::socket_base::shutdown_send, ignored);
            }
            socket_.close(ignored);
            self.complete(ec == net::error::eof ? error_code{} : ec);
            return;
        }
        socket_.async_read_some(net::buffer(*buffer_), std::move(self));
    }

  private:
    LingeringSocket& socket_;
    beast::role_type role_;
    std::unique_ptr<std::array<char, 16 * 1024>> buffer_;
    bool started_ = false;
};

// Found by argument-dependent lookup from inside Beast, ahead of its own tcp teardown.
template <class TeardownHandler>
void async_teardown(beast::role_type role, LingeringSocket& socket, TeardownHandler&& handler) {
    net::async_compose<TeardownHandler, void(error_code)>(DrainOp(socket, role), handler, socket);
}

enum class EventKind { kEnter, kMessage, kExit };

struct Event {
    EventKind kind = EventKind::kEnter;
    std::int32_t type = 0;
    std::string data;
};

// The events of one connection, in arrival order, between its I/O strand and its event thread.
// It also remembers whether reading was paused because too many bytes wait here.
class EventQueue {
  public:
    explicit EventQueue(std::size_t maxPendingBytes) : maxPendingBytes_(maxPendingBytes) {}

    // True when the reader should pause until the event thread has caught up.
    bool Push(Event event) {
        std::lock_guard lock(mutex_);
        pendingBytes_ += event.data.size();
        events_.push_back(std::move(event));
        changed_.notify_one();
        if (pendingBytes_ > maxPendingBytes_) paused_ = true;
        return paused_;
    }

    // Blocks for the next event; false once Abort has been called.
    bool Pop(Event& event) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return aborted_ || !events_.empty(); });
        if (aborted_) return false;
        event = std::move(events_.front());
        events_.pop_front();
        return true;
    }

    // A message of size bytes has been handled. True when a paused reader should resume.
    bool Consumed(std::size_t size) {
        std::lock_guard lock(mutex_);
        pendingBytes_ -= size;
        if (paused_ && pendingBytes_ <= maxPendingBytes_ / 2) {
            paused_ = false;
            return true;
        }
        return false;
    }

    void Abort() {
        std::lock_guard lock(mutex_);
        aborted_ = true;
        changed_.notify_all();
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Event> events_;
    std::size_t pendingBytes_ = 0;
    const std::size_t maxPendingBytes_;
    bool paused_ = false;
    bool aborted_ = false;
};

class Session;

// What a session needs of the server.
class SessionHost {
  public:
    virtual ~SessionHost() = default;
    virtual const WebSocketServer::Options& Options() const = 0;
    // Gives the session its client handle and starts its event thread; 0 when the server stops.
    virtual std::int32_t Open(const std::shared_ptr<Session>& session,
                              const std::shared_ptr<EventQueue>& events) = 0;
    virtual void Closed(std::int32_t clientHandle) = 0;
    virtual void SessionGone() = 0;
};

// One connection, in the manner of Beast's examples: every member runs on the session's strand.
class Session : public std::enable_shared_from_this<Session> {
  public:
    Session(SessionHost& host, tcp::socket&& socket) : host_(host), ws_(std::move(socket)) {}
    ~Session() { host_.SessionGone(); }

    void Run() {
        net::dispatch(ws_.get_executor(),
                      beast::bind_front_handler(&Session::OnRun, shared_from_this()));
    }

    // Any thread.
    void Send(std::shared_ptr<const std::string> data, bool binary) {
        net::post(ws_.get_executor(), [self = shared_from_this(), data = std::move(data), binary] {
            if (self->ended_) return;
            self->writeQueue_.push_back({std::move(data), binary});
            if (!self->writing_) self->DoWrite();
        });
    }

    // Any thread: a paused reader may go on.
    void Resume() {
        net::post(ws_.get_executor(), [self = shared_from_this()] {
            if (self->paused_ && !self->ended_) {
                self->paused_ = false;
                self->DoRead();
            }
        });
    }

    // Any thread: the server is going away; say so to the peer if there is time.
    void Shutdown() {
        net::post(ws_.get_executor(), [self = shared_from_this()] {
            if (self->open_ && !self->ended_) {
                self->ws_.async_close(websocket::close_code::going_away, [self](error_code) {
                    error_code ignored;
                    self->ws_.next_layer().close(ignored);
                });
            } else {
                error_code ignored;
                self->ws_.next_layer().close(ignored);
            }
        });
    }

  private:
    struct Outgoing {
        std::shared_ptr<const std::string> data;
        bool binary = false;
    };

    void OnRun() {
        const auto& options = host_.Options();
        websocket::stream_base::timeout timeout;
        timeout.handshake_timeout = options.handshakeTimeout;
        timeout.idle_timeout = options.idleTimeout;
        timeout.keep_alive_pings = true;
        ws_.set_option(timeout);
        ws_.read_message_max(options.maxMessageSize);
        // Large replies go out as one frame; the peer reassembles nothing.
        ws_.auto_fragment(false);
        ws_.set_option(websocket::stream_base::decorator([](websocket::response_type& response) {
            response.set(beast::http::field::server, "Pixmate");
        }));
        ws_.async_accept(beast::bind_front_handler(&Session::OnAccept, shared_from_this()));
    }

    void OnAccept(error_code ec) {
        if (ec) return;  // never opened: no events
        events_ = std::make_shared<EventQueue>(host_.Options().maxPendingBytes);
        events_->Push(Event{EventKind::kEnter, 0, {}});
        client_ = host_.Open(shared_from_this(), events_);
        if (client_ == 0) {
            error_code ignored;
            ws_.next_layer().close(ignored);
            return;
        }
        open_ = true;
        DoRead();
    }

    void DoRead() {
        // The buffer object keeps its own idea of the size, so each message gets a fresh one.
        readBuffer_.emplace(readBufferText_);
        ws_.async_read(*readBuffer_,
                       beast::bind_front_handler(&Session::OnRead, shared_from_this()));
    }

    void OnRead(error_code ec, std::size_t) {
        // Beast has already answered a close frame, failed the connection with the right close
        // code (too big, protocol error, bad UTF-8) or closed a timed-out socket.
        if (ec) return End();
        Event event{
            EventKind::kMessage,
            ws_.got_text() ? WebSocketServer::kTextMessage : WebSocketServer::kBinaryMessage,
            std::move(readBufferText_)};
        readBufferText_ = std::string();
        if (events_->Push(std::move(event))) {
            paused_ = true;
            return;
        }
        DoRead();
    }

    void DoWrite() {
        writing_ = true;
        const Outgoing& next = writeQueue_.front();
        ws_.binary(next.binary);
        ws_.async_write(net::buffer(*next.data),
                        beast::bind_front_handler(&Session::OnWrite, shared_from_this()));
    }

    void OnWrite(error_code ec, std::size_t) {
        writing_ = false;
        writeQueue_.pop_front();
        if (ec) {
            // The reader learns of it at once instead of waiting for the idle timeout.
            DropUnsent();
            error_code ignored;
            ws_.next_layer().close(ignored);
            return;
        }
        if (!writeQueue_.empty() && !ended_) DoWrite();
    }

    void End() {
        if (ended_) return;
        ended_ = true;
        open_ = false;
        DropUnsent();
        host_.Closed(client_);
        events_->Push(Event{EventKind::kExit, 0, {}});
        error_code ignored;
        ws_.next_layer().close(ignored);
    }

    // The message being written stays until its write completes: Beast is still reading it.
    void DropUnsent() {
        if (writing_) {
            writeQueue_.erase(writeQueue_.begin() + 1, writeQueue_.end());
        } else {
            writeQueue_.clear();
        }
    }

    SessionHost& host_;
    websocket::stream<LingeringSocket, false> ws_;
    // Whole messages are read straight into a string that is then handed over without a copy.
    std::string readBufferText_;
    std::optional<net::dynamic_string_buffer<char, std::char_traits<char>, std::allocator<char>>>
        readBuffer_;
    std::deque<Outgoing> writeQueue_;
    std::shared_ptr<EventQueue> events_;
    std::int32_t client_ = 0;
    bool open_ = false;
    bool writing_ = false;
    bool paused_ = false;
    bool ended_ = false;
};

}  // namespace

class WebSocketServer::Impl final : public SessionHost {
  public:
    ~Impl() override { Stop(); }

    void Init(std::int32_t port, ClientEvent onEnter, ClientEvent onExit, MessageEvent onMessage,
              const WebSocketServer::Options& options) {
        std::lock_guard lock(mutex_);
        port_ = port;
        onEnter_ = std::move(onEnter);
        onExit_ = std::move(onExit);
        onMessage_ = std::move(onMessage);
        options_ = options;
    }

    bool Start() {
        std::lock_guard startLock(startMutex_);
        if (ioc_) return false;
        if (port_ < 0 || port_ > 65535) return false;
        auto ioc = std::make_unique<net::io_context>(std::max(1, options_.ioThreads));
        auto acceptor = std::make_unique<tcp::acceptor>(net::make_strand(*ioc));
        error_code ec;
        const auto address = net::ip::make_address(options_.address, ec);
        if (ec) return false;
        const tcp::endpoint endpoint(address, static_cast<std::uint16_t>(port_));
        acceptor->open(endpoint.protocol(), ec);
        if (ec) return false;
        // A port in use must fail below; a failure to ask for that is not one to stop at.
        detail::PrepareListeningSocket(static_cast<std::uintptr_t>(acceptor->native_handle()));
        acceptor->bind(endpoint, ec);
        if (ec) return false;
        acceptor->listen(net::socket_base::max_listen_connections, ec);
        if (ec) return false;
        boundPort_ = acceptor->local_endpoint(ec).port();
        {
            std::lock_guard lock(mutex_);
            stopping_ = false;
        }
        ioc_ = std::move(ioc);
        acceptor_ = std::move(acceptor);
        retryTimer_ = std::make_unique<net::steady_timer>(acceptor_->get_executor());
        work_.emplace(net::make_work_guard(*ioc_));
        DoAccept();
        for (int i = 0; i < std::max(1, options_.ioThreads); ++i) {
            ioThreads_.emplace_back([this] {
                for (;;) {
                    try {
                        ioc_->run();
                        return;
                    } catch (...) {
                        // A failed allocation in one connection's handler; the others go on.
                    }
                }
            });
        }
        return true;
    }

    std::uint16_t Port() const {
        return boundPort_.load();
    }

    bool Send(std::int32_t clientHandle, std::string_view data, bool binary) {
        std::shared_ptr<Session> session;
        {
            std::lock_guard lock(mutex_);
            if (stopping_) return false;
            auto it = sessions_.find(clientHandle);
            if (it == sessions_.end()) return false;
            session = it->second.lock();
        }
        if (!session) return false;
        session->Send(std::make_shared<const std::string>(data), binary);
        return true;
    }

    std::string_view GetMessageData(std::int32_t messageHandle) const {
        std::lock_guard lock(messagesMutex_);
        auto it = messages_.find(messageHandle);
        if (it == messages_.end()) return {};
        return *it->second;
    }

    std::string TakeMessageData(std::int32_t messageHandle) {
        std::lock_guard lock(messagesMutex_);
        auto it = messages_.find(messageHandle);
        if (it == messages_.end()) return {};
        std::string data = std::move(*it->second);
        it->second->clear();
        return data;
    }

    void Stop() {
        std::lock_guard startLock(startMutex_);
        if (!ioc_) return;
        std::vector<std::shared_ptr<Session>> sessions;
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
            for (auto& [handle, weak] : sessions_) {
                if (auto session = weak.lock()) sessions.push_back(std::move(session));
            }
            for (auto& queue : queues_) queue->Abort();
        }
        // Events under way finish; queued ones are dropped.
        eventThreads_.JoinAll();

        net::post(acceptor_->get_executor(), [this] {
            error_code ignored;
            acceptor_->close(ignored);
            retryTimer_->cancel();
        });
        for (auto& session : sessions) session->Shutdown();
        sessions.clear();
        // Give the peers a moment to answer the close frames, then cut what is left.
        {
            std::unique_lock lock(mutex_);
            sessionsGone_.wait_for(lock, std::chrono::seconds(1),
                                   [this] { return liveSessions_ == 0; });
        }
        work_.reset();
        ioc_->stop();
        for (auto& thread : ioThreads_) thread.join();
        ioThreads_.clear();
        retryTimer_.reset();
        acceptor_.reset();
        ioc_.reset();  // destroys the handlers still queued, and with them the sessions

        std::lock_guard lock(mutex_);
        sessions_.clear();
        queues_.clear();
        handlesInUse_.clear();
        boundPort_ = 0;
    }

    // SessionHost
    const WebSocketServer::Options& Options() const override {
        return options_;
    }

    std::int32_t Open(const std::shared_ptr<Session>& session,
                      const std::shared_ptr<EventQueue>& events) override {
        std::lock_guard lock(mutex_);
        if (stopping_) return 0;
        const std::int32_t handle = NextHandle();
        std::weak_ptr<Session> weak = session;
        const bool started =
            eventThreads_.Spawn([this, handle, events, weak] { RunEvents(handle, events, weak); });
        if (!started) return 0;
        sessions_[handle] = weak;
        queues_.insert(events);
        handlesInUse_.insert(handle);
        return handle;
    }

    void Closed(std::int32_t clientHandle) override {
        std::lock_guard lock(mutex_);
        sessions_.erase(clientHandle);
    }

    void SessionGone() override {
        std::lock_guard lock(mutex_);
        --liveSessions_;
        sessionsGone_.notify_all();
    }

  private:
    void DoAccept() {
        acceptor_->async_accept(net::make_strand(*ioc_), [this](error_code ec, tcp::socket socket) {
            if (ec == net::error::operation_aborted || !acceptor_->is_open()) return;
            if (ec) {
                // Out of descriptors or the like: try again shortly instead of spinning.
                retryTimer_->expires_after(std::chrono::milliseconds(100));
                retryTimer_->async_wait([this](error_code wait) {
                    if (!wait && acceptor_->is_open()) DoAccept();
                });
                return;
            }
            {
                std::lock_guard lock(mutex_);
                ++liveSessions_;
            }
            std::make_shared<Session>(*this, std::move(socket))->Run();
            DoAccept();
        });
    }

    // Called with mutex_ held.
    std::int32_t NextHandle() {
        for (;;) {
            const std::int32_t handle = nextHandle_;
            nextHandle_ = nextHandle_ == INT32_MAX ? 1 : nextHandle_ + 1;
            if (!handlesInUse_.contains(handle)) return handle;
        }
    }

    void RunEvents(std::int32_t client, const std::shared_ptr<EventQueue>& events,
                   const std::weak_ptr<Session>& session) {
        ClientEvent onEnter, onExit;
        MessageEvent onMessage;
        {
            std::lock_guard lock(mutex_);
            onEnter = onEnter_;
            onExit = onExit_;
            onMessage = onMessage_;
        }
        Event event;
        while (events->Pop(event)) {
            // Handlers are the program's; nothing they throw may end the server.
            try {
                if (event.kind == EventKind::kEnter) {
                    if (onEnter) onEnter(client);
                } else if (event.kind == EventKind::kMessage) {
                    const std::size_t size = event.data.size();
                    const std::int32_t message = RegisterMessage(&event.data);
                    try {
                        if (onMessage) onMessage(client, event.type, message);
                    } catch (...) {
                    }
                    UnregisterMessage(message);
                    event.data = std::string();
                    if (events->Consumed(size)) {
                        if (auto open = session.lock()) open->Resume();
                    }
                } else {
                    if (onExit) onExit(client);
                    break;
                }
            } catch (...) {
                if (event.kind == EventKind::kExit) break;
            }
        }
        std::lock_guard lock(mutex_);
        handlesInUse_.erase(client);
        queues_.erase(events);
    }

    std::int32_t RegisterMessage(std::string* data) {
        std::lock_guard lock(messagesMutex_);
        for (;;) {
            const std::int32_t handle = nextMessage_;
            nextMessage_ = nextMessage_ == INT32_MAX ? 1 : nextMessage_ + 1;
            if (messages_.emplace(handle, data).second) return handle;
        }
    }

    void UnregisterMessage(std::int32_t handle) {
        std::lock_guard lock(messagesMutex_);
        messages_.erase(handle);
    }

    // Start and Stop, one at a time.
    std::mutex startMutex_;

    // Guards the configuration, the connection tables and stopping_.
    mutable std::mutex mutex_;
    std::condition_variable sessionsGone_;
    std::int32_t port_ = 0;
    ClientEvent onEnter_, onExit_;
    MessageEvent onMessage_;
    WebSocketServer::Options options_;
    bool stopping_ = false;
    std::unordered_map<std::int32_t, std::weak_ptr<Session>> sessions_;
    std::set<std::shared_ptr<EventQueue>> queues_;
    std::set<std::int32_t> handlesInUse_;
    std::int32_t nextHandle_ = 1;
    int liveSessions_ = 0;

    mutable std::mutex messagesMutex_;
    std::unordered_map<std::int32_t, std::string*> messages_;
    std::int32_t nextMessage_ = 1;

    std::atomic<std::uint16_t> boundPort_{0};
    std::unique_ptr<net::io_context> ioc_;
    std::unique_ptr<tcp::acceptor> acceptor_;
    std::unique_ptr<net::steady_timer> retryTimer_;
    std::optional<net::executor_work_guard<net::io_context::executor_type>> work_;
    std::vector<std::thread> ioThreads_;
    ThreadSet eventThreads_;
};

std::unique_ptr<WebSocketServer> WebSocketServer::BaseCreate() {
    return std::make_unique<WebSocketServer>();
}

WebSocketServer::WebSocketServer() : impl_(std::make_unique<Impl>()) {}

WebSocketServer::~WebSocketServer() = default;

void WebSocketServer::Init(std::int32_t port, ClientEvent onClientEnter, ClientEvent onClientExit,
                           MessageEvent onMessage, const Options& options) {
    if (impl_) {
        impl_->Init(port, std::move(onClientEnter), std::move(onClientExit), std::move(onMessage),
                    options);
    }
}

void WebSocketServer::Init(std::int32_t port, ClientEvent onClientEnter, ClientEvent onClientExit,
                           MessageEvent onMessage) {
    Init(port, std::move(onClientEnter), std::move(onClientExit), std::move(onMessage), Options{});
}

bool WebSocketServer::Start() {
    return impl_ && impl_->Start();
}

std::uint16_t WebSocketServer::Port() const {
    return impl_ ? impl_->Port() : 0;
}

bool WebSocketServer::SendText(std::int32_t clientHandle, std::string_view text) {
    return impl_ && impl_->Send(clientHandle, text, false);
}

bool WebSocketServer::SendBinary(std::int32_t clientHandle, std::string_view bytes) {
    return impl_ && impl_->Send(clientHandle, bytes, true);
}

std::string_view WebSocketServer::GetMessageData(std::int32_t messageHandle) const {
    return impl_ ? impl_->GetMessageData(messageHandle) : std::string_view();
}

std::string WebSocketServer::TakeMessageData(std::int32_t messageHandle) {
    return impl_ ? impl_->TakeMessageData(messageHandle) : std::string();
}

void WebSocketServer::Stop() {
    if (impl_) impl_->Stop();
}

void WebSocketServer::BaseRelease() {
    impl_.reset();
}

}  // namespace pixmate
