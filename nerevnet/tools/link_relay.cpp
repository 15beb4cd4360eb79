#include "link_relay.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

#ifdef __linux__
#include <sys/socket.h>
#endif

namespace linkrelay {

using Clock = std::chrono::steady_clock;
using asio::ip::tcp;
using asio::ip::udp;

namespace {

const asio::ip::address_v4 kLoopback = asio::ip::make_address_v4("127.0.0.1");
constexpr int kSocketBufferBytes = 4 << 20;
constexpr size_t kUdpIpHeaderBytes = 28;
// Datagrams taken from one socket before the others get their turn.
constexpr int kDrainBurst = 256;

Clock::duration fromSeconds(double seconds)
{
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

// Opens `count` sockets (acceptors) bound to consecutive loopback ports
// through `bindOne(socket, port)`; the first port is the system's choice.
template <class Socket, class Make, class BindOne>
uint16_t bindConsecutive(int count, std::vector<std::unique_ptr<Socket>>& out, Make make, BindOne bindOne)
{
    for (int attempt = 0; attempt < 200; ++attempt) {
        std::vector<std::unique_ptr<Socket>> sockets;
        uint16_t first = 0;
        bool ok = true;
        for (int i = 0; i < count && ok; ++i) {
            auto socket = make();
            asio::error_code error;
            ok = bindOne(*socket, uint16_t(i == 0 ? 0 : first + i), error);
            if (ok && i == 0) {
                first = socket->local_endpoint().port();
                ok = int(first) + count - 1 <= 65535;
            }
            sockets.push_back(std::move(socket));
        }
        if (ok) {
            out = std::move(sockets);
            return first;
        }
    }
    throw std::runtime_error("no free run of loopback ports");
}

}  // namespace

// ------------------------------------------------------------- the model

bool LinkModel::parse(const std::string& text, LinkModel& out, std::string& error)
{
    LinkModel model;
    std::stringstream items(text);
    std::string item;
    while (std::getline(items, item, ',')) {
        if (item.empty()) {
            continue;
        }
        const size_t equals = item.find('=');
        if (equals == std::string::npos) {
            error = "expected name=value: " + item;
            return false;
        }
        const std::string name = item.substr(0, equals);
        char* end = nullptr;
        const std::string text = item.substr(equals + 1);
        const double value = std::strtod(text.c_str(), &end);
        if (text.empty() || *end != '\0' || value < 0) {
            error = "not a number of at least 0: " + item;
            return false;
        }
        if (name == "delay") {
            model.delayMs = value;
        } else if (name == "jitter") {
            model.jitterMs = value;
        } else if (name == "loss") {
            model.lossPercent = value;
        } else if (name == "burst") {
            model.burst = std::max(1, int(value));
        } else if (name == "rate") {
            model.rateMbit = value;
        } else if (name == "queue") {
            model.queueBytes = size_t(value * 1024);
        } else if (name == "reorder") {
            model.reorderPercent = value;
        } else {
            error = "unknown setting: " + name;
            return false;
        }
    }
    out = model;
    return true;
}

std::string LinkModel::describe() const
{
    char text[256];
    int used = std::snprintf(text, sizeof(text), "%.1f ms one way + 0..%.1f ms jitter, %.2g %% loss", delayMs,
                             jitterMs, lossPercent);
    if (burst > 1) {
        used += std::snprintf(text + used, sizeof(text) - size_t(used), " in bursts of up to %d", burst);
    }
    if (rateMbit > 0) {
        used += std::snprintf(text + used, sizeof(text) - size_t(used), ", %.0f Mbit/s cap", rateMbit);
        if (queueBytes > 0) {
            used += std::snprintf(text + used, sizeof(text) - size_t(used), " with a %zu KB queue", queueBytes / 1024);
        }
    }
    if (reorderPercent > 0) {
        std::snprintf(text + used, sizeof(text) - size_t(used), ", %.2g %% reordered", reorderPercent);
    }
    return text;
}

// ------------------------------------------------------------- one lane

// One direction of the link: decides for each datagram whether it is lost
// and when it leaves.
class UdpLinkRelay::Lane {
public:
    Lane(const LinkModel& model, uint32_t seed) : m_model(model), m_random(seed) {}

    // False when a datagram of `size` bytes arriving at `now` is lost;
    // otherwise `due` is when it leaves the link.
    bool admit(Clock::time_point now, size_t size, bool lossEnabled, Clock::time_point& due)
    {
        if (lossEnabled && lost()) {
            return false;
        }
        Clock::time_point start = now;
        if (m_model.rateMbit > 0) {
            // The cap serialises datagrams one after the other; those that
            // find the queue ahead of it full are dropped.
            const double bytesPerSecond = m_model.rateMbit * 1e6 / 8;
            const Clock::time_point freeAt = std::max(now, m_linkFreeAt);
            const double backlog = std::chrono::duration<double>(freeAt - now).count() * bytesPerSecond;
            if (m_model.queueBytes > 0 && backlog + double(size) > double(m_model.queueBytes)) {
                return false;
            }
            m_linkFreeAt = freeAt + fromSeconds(double(size) / bytesPerSecond);
            start = m_linkFreeAt;
        }
        double delayMs = m_model.delayMs;
        if (m_model.jitterMs > 0) {
            delayMs += std::uniform_real_distribution<double>(0, m_model.jitterMs)(m_random);
        }
        due = start + fromSeconds(delayMs / 1000);
        if (m_model.reorderPercent > 0 && percent() < m_model.reorderPercent) {
            return true;
        }
        // Order kept: a datagram never overtakes the one before it.
        due = std::max(due, m_lastDue);
        m_lastDue = due;
        return true;
    }

    std::atomic<uint64_t> datagrams{0};
    std::atomic<uint64_t> bytes{0};
    std::atomic<uint64_t> lostCount{0};

private:
    double percent() { return std::uniform_real_distribution<double>(0, 100)(m_random); }

    // Losses come in bursts of 1 .. burst datagrams; bursts start often
    // enough that the share lost is the model's.
    bool lost()
    {
        if (m_burstLeft > 0) {
            --m_burstLeft;
            return true;
        }
        if (m_model.lossPercent <= 0) {
            return false;
        }
        const int burst = std::max(1, m_model.burst);
        const double meanBurst = (1.0 + burst) / 2;
        if (percent() < m_model.lossPercent / meanBurst) {
            m_burstLeft = std::uniform_int_distribution<int>(1, burst)(m_random) - 1;
            return true;
        }
        return false;
    }

    LinkModel m_model;
    std::mt19937 m_random;
    int m_burstLeft = 0;
    Clock::time_point m_linkFreeAt{};
    Clock::time_point m_lastDue{};
};

// ----------------------------------------------------------- batches

// Datagrams received or sent with one system call where the system offers
// one (recvmmsg and sendmmsg on Linux), one by one elsewhere: at a few
// hundred Mbit/s the relay's thread spends most of its time in system calls.
UdpLinkRelay::DatagramBatch::DatagramBatch() : m_buffers(kSize * kSlot), m_lengths(kSize), m_senders(kSize) {}

size_t UdpLinkRelay::DatagramBatch::receive(udp::socket& socket)
{
#ifdef __linux__
    mmsghdr messages[kSize] = {};
    iovec parts[kSize];
    for (size_t i = 0; i < kSize; ++i) {
        parts[i] = {m_buffers.data() + i * kSlot, kSlot};
        messages[i].msg_hdr.msg_iov = &parts[i];
        messages[i].msg_hdr.msg_iovlen = 1;
        messages[i].msg_hdr.msg_name = m_senders[i].data();
        messages[i].msg_hdr.msg_namelen = socklen_t(m_senders[i].capacity());
    }
    for (;;) {
        const int count = ::recvmmsg(socket.native_handle(), messages, kSize, MSG_DONTWAIT, nullptr);
        if (count > 0) {
            for (int i = 0; i < count; ++i) {
                m_lengths[size_t(i)] = messages[i].msg_len;
                m_senders[size_t(i)].resize(messages[i].msg_hdr.msg_namelen);
            }
            return size_t(count);
        }
        // A port-unreachable report of the other side ends the call;
        // whatever waits behind it is taken by the next one.
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return 0;
        }
        if (count == 0) {
            return 0;
        }
    }
#else
    size_t count = 0;
    while (count < kSize) {
        asio::error_code error;
        const size_t length =
            socket.receive_from(asio::buffer(m_buffers.data() + count * kSlot, kSlot), m_senders[count], 0, error);
        if (error == asio::error::would_block || error == asio::error::try_again) {
            break;
        }
        if (error) {
            continue;  // a port-unreachable report: nothing to relay
        }
        m_lengths[count++] = length;
    }
    return count;
#endif
}

void UdpLinkRelay::DatagramBatch::send(udp::socket& socket, const udp::endpoint* to, std::vector<Pending>& items)
{
#ifdef __linux__
    mmsghdr messages[kSize] = {};
    iovec parts[kSize];
    const size_t count = std::min(items.size(), kSize);
    for (size_t i = 0; i < count; ++i) {
        parts[i] = {items[i].bytes.data(), items[i].bytes.size()};
        messages[i].msg_hdr.msg_iov = &parts[i];
        messages[i].msg_hdr.msg_iovlen = 1;
        if (to) {
            messages[i].msg_hdr.msg_name = const_cast<sockaddr*>(to->data());
            messages[i].msg_hdr.msg_namelen = socklen_t(to->size());
        }
    }
    for (size_t sent = 0; sent < count;) {
        const int done = ::sendmmsg(socket.native_handle(), messages + sent, unsigned(count - sent), 0);
        // A datagram the system refuses is lost, as on a real link.
        sent += done > 0 ? size_t(done) : 1;
    }
#else
    for (const Pending& item : items) {
        asio::error_code ignored;
        if (to) {
            socket.send_to(asio::buffer(item.bytes), *to, 0, ignored);
        } else {
            socket.send(asio::buffer(item.bytes), 0, ignored);
        }
    }
#endif
}

// ------------------------------------------------------------ UDP relay

struct UdpLinkRelay::Leg {
    explicit Leg(asio::io_context& io) : front(io), back(io) {}
    udp::socket front;  // faces the client
    udp::socket back;   // connected to the server
    udp::endpoint client;
    bool haveClient = false;
};

UdpLinkRelay::UdpLinkRelay(uint16_t serverPort, int ports, const LinkModel& model, uint32_t seed)
    : m_timer(m_io),
      m_toServer(std::make_unique<Lane>(model, seed)),
      m_toClient(std::make_unique<Lane>(model, seed ^ 0x9e3779b9u))
{
    std::vector<std::unique_ptr<udp::socket>> fronts;
    m_port = bindConsecutive(
        ports, fronts, [this] { return std::make_unique<udp::socket>(m_io); },
        [](udp::socket& socket, uint16_t port, asio::error_code& error) {
            socket.open(udp::v4(), error);
            if (!error) {
                socket.bind(udp::endpoint(kLoopback, port), error);
            }
            return !error;
        });
    for (int i = 0; i < ports; ++i) {
        auto leg = std::make_unique<Leg>(m_io);
        leg->front = std::move(*fronts[size_t(i)]);
        leg->back.open(udp::v4());
        leg->back.connect(udp::endpoint(kLoopback, uint16_t(serverPort + i)));
        for (udp::socket* socket : {&leg->front, &leg->back}) {
            asio::error_code ignored;
            socket->set_option(asio::socket_base::receive_buffer_size(kSocketBufferBytes), ignored);
            socket->set_option(asio::socket_base::send_buffer_size(kSocketBufferBytes), ignored);
            // Nothing waits: a receive takes what is there, and a datagram
            // the system cannot take right now is lost, as on a real link.
            socket->non_blocking(true);
        }
        m_legs.push_back(std::move(leg));
    }
    for (size_t i = 0; i < m_legs.size(); ++i) {
        waitReadable(i, true);
        waitReadable(i, false);
    }
    m_thread = std::thread([this] { m_io.run(); });
}

UdpLinkRelay::~UdpLinkRelay()
{
    m_io.stop();
    m_thread.join();
}

LaneCounters UdpLinkRelay::toServer() const
{
    return {m_toServer->datagrams.load(), m_toServer->bytes.load(), m_toServer->lostCount.load()};
}

LaneCounters UdpLinkRelay::toClient() const
{
    return {m_toClient->datagrams.load(), m_toClient->bytes.load(), m_toClient->lostCount.load()};
}

bool UdpLinkRelay::later(const Pending& a, const Pending& b)
{
    return a.due != b.due ? a.due > b.due : a.order > b.order;
}

void UdpLinkRelay::waitReadable(size_t leg, bool front)
{
    udp::socket& socket = front ? m_legs[leg]->front : m_legs[leg]->back;
    socket.async_wait(udp::socket::wait_read, [this, leg, front](const asio::error_code& error) {
        if (error) {
            return;
        }
        drain(leg, front);
        waitReadable(leg, front);
    });
}

void UdpLinkRelay::drain(size_t index, bool front)
{
    Leg& leg = *m_legs[index];
    udp::socket& socket = front ? leg.front : leg.back;
    for (int taken = 0; taken < kDrainBurst;) {
        const size_t count = m_receiving.receive(socket);
        if (count == 0) {
            break;
        }
        for (size_t i = 0; i < count; ++i) {
            if (front) {
                leg.client = m_receiving.sender(i);
                leg.haveClient = true;
            }
            admit(index, front, m_receiving.data(i), m_receiving.length(i));
        }
        taken += int(count);
    }
    sendDue();
    armTimer();
}

void UdpLinkRelay::admit(size_t leg, bool toServer, const char* data, size_t length)
{
    Lane& lane = toServer ? *m_toServer : *m_toClient;
    ++lane.datagrams;
    lane.bytes += length + kUdpIpHeaderBytes;
    Clock::time_point due;
    if (m_cut || (!toServer && m_cutToClient) || !lane.admit(Clock::now(), length, m_lossEnabled, due)) {
        ++lane.lostCount;
        return;
    }
    std::vector<char> bytes;
    if (!m_spare.empty()) {
        bytes = std::move(m_spare.back());
        m_spare.pop_back();
    }
    bytes.assign(data, data + length);
    m_pending.push_back(Pending{due, m_order++, leg, toServer, std::move(bytes)});
    std::push_heap(m_pending.begin(), m_pending.end(), &UdpLinkRelay::later);
}

void UdpLinkRelay::sendDue()
{
    const auto now = Clock::now();
    while (!m_pending.empty() && m_pending.front().due <= now) {
        // Datagrams due for the same socket leave together.
        const size_t leg = m_pending.front().leg;
        const bool toServer = m_pending.front().toServer;
        m_sending.clear();
        while (!m_pending.empty() && m_pending.front().due <= now && m_pending.front().leg == leg
               && m_pending.front().toServer == toServer && m_sending.size() < DatagramBatch::kSize) {
            std::pop_heap(m_pending.begin(), m_pending.end(), &UdpLinkRelay::later);
            m_sending.push_back(std::move(m_pending.back()));
            m_pending.pop_back();
        }
        Leg& target = *m_legs[leg];
        if (toServer) {
            DatagramBatch::send(target.back, nullptr, m_sending);
        } else if (target.haveClient) {
            DatagramBatch::send(target.front, &target.client, m_sending);
        }
        for (Pending& item : m_sending) {
            m_spare.push_back(std::move(item.bytes));
        }
    }
}

void UdpLinkRelay::armTimer()
{
    if (m_pending.empty()) {
        return;
    }
    const auto next = m_pending.front().due;
    if (m_timerArmed && m_timerAt <= next) {
        return;
    }
    m_timerArmed = true;
    m_timerAt = next;
    m_timer.expires_at(next);
    m_timer.async_wait([this](const asio::error_code& error) {
        if (error) {
            return;  // moved to an earlier time by a later call
        }
        m_timerArmed = false;
        sendDue();
        armTimer();
    });
}

// ------------------------------------------------------------ TCP proxy

struct TcpProxy::Pipe {
    Pipe(asio::io_context& io, size_t chunk) : client(io), server(io), up(chunk), down(chunk) {}
    void close()
    {
        asio::error_code ignored;
        client.close(ignored);
        server.close(ignored);
    }
    tcp::socket client;
    tcp::socket server;
    std::vector<char> up;    // client to server
    std::vector<char> down;  // server to client
};

TcpProxy::TcpProxy(uint16_t serverPort, int ports, size_t chunk) : m_serverPort(serverPort), m_chunk(chunk)
{
    m_port = bindConsecutive(
        ports, m_acceptors, [this] { return std::make_unique<tcp::acceptor>(m_io); },
        [](tcp::acceptor& acceptor, uint16_t port, asio::error_code& error) {
            acceptor.open(tcp::v4(), error);
            if (!error) {
                acceptor.bind(tcp::endpoint(kLoopback, port), error);
            }
            if (!error) {
                acceptor.listen(asio::socket_base::max_listen_connections, error);
            }
            return !error;
        });
    for (size_t i = 0; i < m_acceptors.size(); ++i) {
        acceptNext(i);
    }
    m_thread = std::thread([this] { m_io.run(); });
}

TcpProxy::~TcpProxy()
{
    m_io.stop();
    m_thread.join();
    for (auto& pipe : m_pipes) {
        pipe->close();
    }
}

void TcpProxy::acceptNext(size_t index)
{
    auto pipe = std::make_shared<Pipe>(m_io, m_chunk);
    m_acceptors[index]->async_accept(pipe->client, [this, index, pipe](const asio::error_code& error) {
        if (error) {
            return;
        }
        asio::error_code connectError;
        pipe->server.connect(tcp::endpoint(kLoopback, uint16_t(m_serverPort + index)), connectError);
        if (connectError) {
            // As adb does when nothing listens on the device's port.
            pipe->close();
        } else {
            asio::error_code ignored;
            pipe->client.set_option(tcp::no_delay(true), ignored);
            pipe->server.set_option(tcp::no_delay(true), ignored);
            m_pipes.push_back(pipe);
            pump(pipe, true);
            pump(pipe, false);
        }
        acceptNext(index);
    });
}

void TcpProxy::pump(const std::shared_ptr<Pipe>& pipe, bool up)
{
    tcp::socket& from = up ? pipe->client : pipe->server;
    std::vector<char>& buffer = up ? pipe->up : pipe->down;
    from.async_read_some(asio::buffer(buffer), [this, pipe, up](const asio::error_code& error, size_t length) {
        if (error) {
            // One end went: the other is closed as well.
            pipe->close();
            return;
        }
        tcp::socket& to = up ? pipe->server : pipe->client;
        std::vector<char>& data = up ? pipe->up : pipe->down;
        asio::async_write(to, asio::buffer(data.data(), length),
                          [this, pipe, up](const asio::error_code& writeError, size_t) {
                              if (writeError) {
                                  pipe->close();
                                  return;
                              }
                              pump(pipe, up);
                          });
    });
}

}  // namespace linkrelay
