// Loopback benchmark of the UDP (KCP) and TCP drivers, with ENet as the
// side-by-side reference and a lossy user-space relay for both UDP stacks.
// Prints median and spread over several runs. Environment:
//   NEREVNET_BENCH_RUNS       runs per figure (default 5)
//   NEREVNET_BENCH_MB         megabytes per throughput run (default 8)
//   NEREVNET_BENCH_STREAM_S   seconds of video per stream run (default 2)
//   NEREVNET_BENCH_ONLY       what to run, joined by commas: sections "rtt",
//                             "throughput", "loss", "stream" and transports
//                             "kcp", "tcp", "enet" (default: all of a kind
//                             that is not named)
//
// CPU figures are the process's user + system seconds (both ends of the
// link, and the relay where there is one) per gigabyte delivered.
#include "nerevnet.h"

#include <enet/enet.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

int envInt(const char* name, int fallback)
{
    const char* value = std::getenv(name);
    return value && *value ? std::atoi(value) : fallback;
}

// Whether `name` is wanted among `kind` (sections or transports): yes when
// NEREVNET_BENCH_ONLY names it or names none of its kind.
bool wanted(const char* name, std::initializer_list<const char*> kind)
{
    const char* only = std::getenv("NEREVNET_BENCH_ONLY");
    const std::string list = std::string(",") + (only ? only : "") + ",";
    auto named = [&](const char* item) { return list.find(std::string(",") + item + ",") != std::string::npos; };
    return named(name) || std::none_of(kind.begin(), kind.end(), named);
}

bool sectionWanted(const char* section)
{
    return wanted(section, {"rtt", "throughput", "loss", "stream"});
}

// Transport names as the rows begin: "UDP/KCP", "TCP", "ENet".
bool transportWanted(const std::string& row)
{
    const char* name = row.rfind("UDP/KCP", 0) == 0 ? "kcp" : row.rfind("TCP", 0) == 0 ? "tcp" : "enet";
    return wanted(name, {"kcp", "tcp", "enet"});
}

// User + system CPU seconds of the whole process so far.
double cpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, size_t(p * double(values.size() - 1) + 0.5));
    return values[index];
}

struct Summary {
    double median = 0, low = 0, high = 0;
};

Summary summarise(const std::vector<double>& runs)
{
    Summary s;
    s.median = percentile(runs, 0.5);
    s.low = runs.empty() ? 0 : *std::min_element(runs.begin(), runs.end());
    s.high = runs.empty() ? 0 : *std::max_element(runs.begin(), runs.end());
    return s;
}

void printRow(const std::string& name, const std::string& unit, const Summary& s, const std::string& note = "")
{
    std::printf("  %-44s %10.2f %-5s (min %.2f, max %.2f)%s\n", name.c_str(), s.median, unit.c_str(), s.low, s.high,
                note.c_str());
    std::fflush(stdout);
}

// Whether `port` can be bound for this socket type right now.
bool portFree(int type, uint16_t port)
{
    const int fd = ::socket(AF_INET, type, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(port);
    const bool ok = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return ok;
}

// A port p with p and p + 1 free for both UDP and TCP (the drivers use two
// ports, and TCP clients take their local ports from the same range).
uint16_t freePortPair()
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        int probe = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        socklen_t length = sizeof(address);
        ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
        ::close(probe);
        const uint16_t port = ntohs(address.sin_port);
        if (port < 65000 && portFree(SOCK_DGRAM, port) && portFree(SOCK_DGRAM, uint16_t(port + 1))
            && portFree(SOCK_STREAM, port) && portFree(SOCK_STREAM, uint16_t(port + 1))) {
            return port;
        }
    }
    return 0;
}

// --------------------------------------------------------------- relay

// Forwards datagrams between a client and a server on loopback, dropping a
// share of them in both directions with a seeded generator. One relay port
// per server port (the UDP driver uses two).
class LossyRelay {
public:
    LossyRelay(uint16_t serverPort, int ports, double loss, uint32_t seed) : m_loss(loss), m_random(seed)
    {
        m_listenPort = freePortPair();
        for (int i = 0; i < ports; ++i) {
            Leg leg;
            leg.front = ::socket(AF_INET, SOCK_DGRAM, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            address.sin_port = htons(uint16_t(m_listenPort + i));
            ::bind(leg.front, reinterpret_cast<sockaddr*>(&address), sizeof(address));
            leg.back = ::socket(AF_INET, SOCK_DGRAM, 0);
            address.sin_port = htons(uint16_t(serverPort + i));
            ::connect(leg.back, reinterpret_cast<sockaddr*>(&address), sizeof(address));
            const int buffer = 4 << 20;
            for (int fd : {leg.front, leg.back}) {
                ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof(buffer));
                ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &buffer, sizeof(buffer));
            }
            m_legs.push_back(leg);
        }
        m_thread = std::thread([this] { run(); });
    }
    ~LossyRelay()
    {
        m_running = false;
        m_thread.join();
        for (auto& leg : m_legs) {
            ::close(leg.front);
            ::close(leg.back);
        }
    }
    uint16_t port() const { return m_listenPort; }
    void setLossEnabled(bool on) { m_enabled = on; }
    uint64_t dropped() const { return m_dropped; }

private:
    struct Leg {
        int front = -1;
        int back = -1;
        sockaddr_in client{};
        bool haveClient = false;
    };

    bool drop()
    {
        if (!m_enabled) {
            return false;
        }
        if (std::uniform_real_distribution<double>(0, 1)(m_random) < m_loss) {
            ++m_dropped;
            return true;
        }
        return false;
    }

    void run()
    {
        std::vector<pollfd> fds;
        for (auto& leg : m_legs) {
            fds.push_back({leg.front, POLLIN, 0});
            fds.push_back({leg.back, POLLIN, 0});
        }
        char buffer[65536];
        while (m_running) {
            if (::poll(fds.data(), fds.size(), 20) <= 0) {
                continue;
            }
            // Each socket is drained (up to a bound) per wake-up, so that the
            // relay keeps up with a gigabit stream.
            for (size_t i = 0; i < m_legs.size(); ++i) {
                Leg& leg = m_legs[i];
                for (int k = 0; k < 256 && (fds[2 * i].revents & POLLIN); ++k) {
                    sockaddr_in from{};
                    socklen_t length = sizeof(from);
                    const ssize_t n = ::recvfrom(leg.front, buffer, sizeof(buffer), MSG_DONTWAIT,
                                                 reinterpret_cast<sockaddr*>(&from), &length);
                    if (n < 0) {
                        break;
                    }
                    leg.client = from;
                    leg.haveClient = true;
                    if (!drop()) {
                        ::send(leg.back, buffer, size_t(n), 0);
                    }
                }
                for (int k = 0; k < 256 && (fds[2 * i + 1].revents & POLLIN); ++k) {
                    const ssize_t n = ::recv(leg.back, buffer, sizeof(buffer), MSG_DONTWAIT);
                    if (n < 0) {
                        break;
                    }
                    if (leg.haveClient && !drop()) {
                        ::sendto(leg.front, buffer, size_t(n), 0, reinterpret_cast<sockaddr*>(&leg.client),
                                 sizeof(leg.client));
                    }
                }
            }
        }
    }

    std::vector<Leg> m_legs;
    uint16_t m_listenPort = 0;
    double m_loss;
    std::mt19937 m_random;
    std::atomic<bool> m_enabled{false};
    std::atomic<bool> m_running{true};
    std::atomic<uint64_t> m_dropped{0};
    std::thread m_thread;
};

// ------------------------------------------------------------ workloads

// Video frames as the stream workload sends them: every packet begins with
// this tag, and a frame counts as delivered when all its packets arrived.
struct StreamTag {
    uint32_t frame;
    uint16_t index;
    uint16_t count;
};

class StreamTracker {
public:
    explicit StreamTracker(size_t frames) : m_sent(frames), m_done(frames), m_got(frames, 0) {}

    void sent(uint32_t frame, Clock::time_point when)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_sent[frame] = when;
    }

    void received(const uint8_t* data, size_t size)
    {
        if (size < sizeof(StreamTag)) {
            return;
        }
        StreamTag tag;
        std::memcpy(&tag, data, sizeof(tag));
        const auto now = Clock::now();
        std::lock_guard<std::mutex> lock(m_lock);
        if (tag.frame >= m_got.size()) {
            return;
        }
        m_bytes += size;
        m_last = now;
        if (++m_got[tag.frame] == tag.count) {
            m_done[tag.frame] = now;
            ++m_complete;
            m_wake.notify_all();
        }
    }

    bool waitComplete(size_t frames, std::chrono::milliseconds timeout)
    {
        std::unique_lock<std::mutex> lock(m_lock);
        return m_wake.wait_for(lock, timeout, [&] { return m_complete >= frames; });
    }

    // Milliseconds from a frame's first packet sent to its last received.
    std::vector<double> latencies()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        std::vector<double> result;
        for (size_t i = 0; i < m_done.size(); ++i) {
            if (m_done[i] != Clock::time_point()) {
                result.push_back(std::chrono::duration<double, std::milli>(m_done[i] - m_sent[i]).count());
            }
        }
        return result;
    }
    uint64_t bytes()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_bytes;
    }
    size_t complete()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_complete;
    }
    Clock::time_point lastArrival()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_last;
    }

private:
    std::mutex m_lock;
    std::condition_variable m_wake;
    std::vector<Clock::time_point> m_sent;
    std::vector<Clock::time_point> m_done;
    std::vector<uint32_t> m_got;
    size_t m_complete = 0;
    uint64_t m_bytes = 0;
    Clock::time_point m_last;
};

// What one side of a link must offer to the workloads.
class Link {
public:
    virtual ~Link() = default;
    virtual bool connected() = 0;
    // Sends from the client; the server echoes messages back.
    virtual void clientSendMessage(const std::string& bytes) = 0;
    virtual void clientSendPacket(const uint8_t* data, size_t size) = 0;
    uint64_t echoes() const { return m_echoes; }
    uint64_t packetBytes() const { return m_packetBytes; }
    // Something the link's traffic passes through (the relay); released
    // after the derived link has shut down.
    std::shared_ptr<void> keepAlive;
    // Told of every packet the server receives; must outlive the link.
    std::atomic<StreamTracker*> stream{nullptr};

protected:
    void gotEcho()
    {
        ++m_echoes;
        std::lock_guard<std::mutex> lock(m_lock);
        m_wake.notify_all();
    }
    void gotPacket(const uint8_t* data, size_t bytes)
    {
        m_packetBytes += bytes;
        if (StreamTracker* tracker = stream.load()) {
            tracker->received(data, bytes);
        }
    }

public:
    bool waitEchoes(uint64_t count, std::chrono::milliseconds timeout)
    {
        std::unique_lock<std::mutex> lock(m_lock);
        return m_wake.wait_for(lock, timeout, [&] { return m_echoes >= count; });
    }

private:
    std::atomic<uint64_t> m_echoes{0};
    std::atomic<uint64_t> m_packetBytes{0};
    std::mutex m_lock;
    std::condition_variable m_wake;
};

// Round trips of `size`-byte messages, in milliseconds.
std::vector<double> pingPong(Link& link, size_t size, int count, std::chrono::microseconds pause)
{
    std::vector<double> rtts;
    const std::string message(size, 'p');
    std::mt19937 random(7);
    for (int i = 0; i < count; ++i) {
        if (pause.count() > 0) {
            // A random pause, so that sends fall anywhere between two updates.
            std::this_thread::sleep_for(std::chrono::microseconds(random() % pause.count()));
        }
        const uint64_t before = link.echoes();
        const auto start = Clock::now();
        link.clientSendMessage(message);
        if (!link.waitEchoes(before + 1, 5000ms)) {
            std::printf("    (echo %d lost)\n", i);
            break;
        }
        rtts.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return rtts;
}

struct Rate {
    double megabytesPerSecond = 0;
    double cpuSecondsPerGigabyte = 0;
};

// `size`-byte packets delivered, `total` bytes in all: megabytes per second
// and CPU seconds per gigabyte.
Rate throughput(Link& link, size_t size, size_t total)
{
    const std::vector<uint8_t> packet(size, 't');
    const size_t count = std::max<size_t>(1, total / size);
    const uint64_t before = link.packetBytes();
    const uint64_t want = before + uint64_t(count) * size;
    const double cpuBefore = cpuSeconds();
    const auto start = Clock::now();
    for (size_t i = 0; i < count; ++i) {
        link.clientSendPacket(packet.data(), packet.size());
    }
    while (link.packetBytes() < want && Clock::now() - start < 60s) {
        std::this_thread::sleep_for(200us);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double bytes = double(link.packetBytes() - before);
    Rate rate;
    rate.megabytesPerSecond = bytes / seconds / 1e6;
    rate.cpuSecondsPerGigabyte = bytes > 0 ? (cpuSeconds() - cpuBefore) / (bytes / 1e9) : 0;
    return rate;
}

struct StreamRun {
    double megabitsPerSecond = 0;
    double p50 = 0;
    double p99 = 0;
    size_t complete = 0;
    double cpuSecondsPerGigabyte = 0;
};

constexpr size_t kStreamPacketLimit = 160 * 1024;
constexpr int kFramesPerSecond = 90;

// A video-like stream: `frames` frames at 90 per second, each of the size
// that gives `megabits` per second, split into packets of at most 160 KB
// sent back to back.
StreamRun streamVideo(Link& link, StreamTracker& tracker, double megabits, size_t frames)
{
    const size_t frameBytes = size_t(megabits * 1e6 / 8 / kFramesPerSecond);
    const size_t packets = (frameBytes + kStreamPacketLimit - 1) / kStreamPacketLimit;
    std::vector<uint8_t> buffer(kStreamPacketLimit, 'v');
    const auto period = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / kFramesPerSecond));
    link.stream = &tracker;
    const double cpuBefore = cpuSeconds();
    const auto start = Clock::now();
    for (size_t frame = 0; frame < frames; ++frame) {
        std::this_thread::sleep_until(start + period * int64_t(frame));
        tracker.sent(uint32_t(frame), Clock::now());
        size_t left = frameBytes;
        for (size_t index = 0; index < packets; ++index) {
            const size_t size = std::min(left, kStreamPacketLimit);
            const StreamTag tag{uint32_t(frame), uint16_t(index), uint16_t(packets)};
            std::memcpy(buffer.data(), &tag, sizeof(tag));
            link.clientSendPacket(buffer.data(), size);
            left -= size;
        }
    }
    tracker.waitComplete(frames, 5000ms);
    link.stream = nullptr;
    StreamRun run;
    const uint64_t bytes = tracker.bytes();
    const double nominal = double(frames) / kFramesPerSecond;
    const double seconds = std::max(nominal, std::chrono::duration<double>(tracker.lastArrival() - start).count());
    run.megabitsPerSecond = double(bytes) * 8 / seconds / 1e6;
    const auto latencies = tracker.latencies();
    run.p50 = percentile(latencies, 0.5);
    run.p99 = percentile(latencies, 0.99);
    run.complete = tracker.complete();
    run.cpuSecondsPerGigabyte = bytes > 0 ? (cpuSeconds() - cpuBefore) / (double(bytes) / 1e9) : 0;
    return run;
}

// --------------------------------------------------------- nerevnet link

class NerevnetLink : public Link {
public:
    // `relay` is the port the client aims at (0: straight at the server).
    NerevnetLink(int32_t type, uint16_t port, uint16_t relay = 0)
    {
        make(type, true);
        make(type, false);
        uint32_t bound = 0;
        nerevnet_start(m_server.handle, "0.0.0.0", port, &bound);
        nerevnet_start(m_client.handle, "127.0.0.1", relay ? relay : port, &bound);
    }
    ~NerevnetLink() override
    {
        nerevnet_shutdown(m_client.handle);
        nerevnet_shutdown(m_server.handle);
    }
    bool connected() override
    {
        return nerevnet_isConnected(m_server.handle) && nerevnet_isConnected(m_client.handle)
               && m_server.status == 2 && m_client.status == 2;
    }
    void clientSendMessage(const std::string& bytes) override
    {
        nerevnet_sendMessage(m_client.handle, bytes.data(), uint32_t(bytes.size()), true);
    }
    void clientSendPacket(const uint8_t* data, size_t size) override
    {
        NerevnetPacket packet;
        std::memset(&packet, 0, sizeof(packet));
        packet.mediaType = 2;
        packet.data = data;
        packet.size = size;
        if (!nerevnet_sendPacket(m_client.handle, &packet)) {
            std::printf("    (packet refused)\n");
        }
    }

private:
    struct Side {
        void* handle = nullptr;
        NerevnetLink* link = nullptr;
        bool server = false;
        std::atomic<int32_t> status{0};
    };

    Side& makeSide(bool server) { return server ? m_server : m_client; }

    void make(int32_t type, bool server)
    {
        Side& side = makeSide(server);
        side.link = this;
        side.server = server;
        NerevnetStartupConfig config;
        std::memset(&config, 0, sizeof(config));
        config.version = NEREVNET_VERSION;
        config.networkType = type;
        config.reconnectInterval = 1;
        config.role = server ? Role_Server : Role_Client;
        config.logLevel = NerevnetLogLevel_Warning;
        int32_t error = 0;
        side.handle = nerevnet_startup(&config, &error);
        NerevnetCallbacks callbacks;
        std::memset(&callbacks, 0, sizeof(callbacks));
        callbacks.onConnectStatus = [](int32_t status, void* user) { static_cast<Side*>(user)->status = status; };
        callbacks.onReceiveMessage = [](const char* data, uint32_t length, void* user) {
            auto* self = static_cast<Side*>(user);
            if (self->server) {
                nerevnet_sendMessage(self->handle, data, length, true);
            } else {
                self->link->gotEcho();
            }
        };
        callbacks.onReceivePacket = [](const NerevnetPacket* packet, uint32_t, void* user) {
            static_cast<Side*>(user)->link->gotPacket(packet->data, size_t(packet->size));
        };
        nerevnet_setCallback(side.handle, &callbacks, &side);
    }

    Side m_server;
    Side m_client;
};

// ------------------------------------------------------------- ENet link

class EnetLink : public Link {
public:
    EnetLink(uint16_t port, uint16_t relay = 0)
    {
        ENetAddress address;
        address.host = ENET_HOST_ANY;
        address.port = port;
        m_server = enet_host_create(&address, 4, 1, 0, 0);
        m_client = enet_host_create(nullptr, 1, 1, 0, 0);
        ENetAddress target;
        enet_address_set_host(&target, "127.0.0.1");
        target.port = relay ? relay : port;
        m_peer = enet_host_connect(m_client, &target, 1, 0);
        m_serverThread = std::thread([this] { serve(); });
        m_clientThread = std::thread([this] { runClient(); });
    }
    ~EnetLink() override
    {
        m_running = false;
        m_serverThread.join();
        m_clientThread.join();
        enet_host_destroy(m_client);
        enet_host_destroy(m_server);
    }
    bool connected() override { return m_connected; }
    void clientSendMessage(const std::string& bytes) override { post("M" + bytes); }
    void clientSendPacket(const uint8_t* data, size_t size) override
    {
        std::string wire(size + 1, 'P');
        std::memcpy(&wire[1], data, size);
        post(std::move(wire));
    }

private:
    // ENet hosts are not thread-safe: sends are queued for the client's
    // thread, which takes them between its service calls (of up to 1 ms).
    void post(std::string wire)
    {
        std::lock_guard<std::mutex> lock(m_queueLock);
        m_queue.push_back(std::move(wire));
    }

    void serve()
    {
        ENetEvent event;
        while (m_running) {
            while (enet_host_service(m_server, &event, 1) > 0) {
                if (event.type == ENET_EVENT_TYPE_RECEIVE) {
                    // The first byte tells an echo request from a packet.
                    if (event.packet->dataLength > 0 && event.packet->data[0] == 'M') {
                        ENetPacket* echo =
                            enet_packet_create(event.packet->data, event.packet->dataLength, ENET_PACKET_FLAG_RELIABLE);
                        enet_peer_send(event.peer, 0, echo);
                        enet_host_flush(m_server);
                    } else {
                        gotPacket(event.packet->data + 1, event.packet->dataLength - 1);
                    }
                    enet_packet_destroy(event.packet);
                }
            }
        }
    }

    void runClient()
    {
        ENetEvent event;
        while (m_running) {
            std::deque<std::string> pending;
            {
                std::lock_guard<std::mutex> lock(m_queueLock);
                pending.swap(m_queue);
            }
            for (auto& wire : pending) {
                enet_peer_send(m_peer, 0, enet_packet_create(wire.data(), wire.size(), ENET_PACKET_FLAG_RELIABLE));
            }
            if (!pending.empty()) {
                enet_host_flush(m_client);
            }
            while (enet_host_service(m_client, &event, 1) > 0) {
                if (event.type == ENET_EVENT_TYPE_CONNECT) {
                    m_connected = true;
                } else if (event.type == ENET_EVENT_TYPE_RECEIVE) {
                    gotEcho();
                    enet_packet_destroy(event.packet);
                }
            }
        }
    }

    ENetHost* m_server = nullptr;
    ENetHost* m_client = nullptr;
    ENetPeer* m_peer = nullptr;
    std::atomic<bool> m_running{true};
    std::atomic<bool> m_connected{false};
    std::mutex m_queueLock;
    std::deque<std::string> m_queue;
    std::thread m_serverThread;
    std::thread m_clientThread;
};

bool waitConnected(Link& link)
{
    const auto until = Clock::now() + 5s;
    while (Clock::now() < until) {
        if (link.connected()) {
            return true;
        }
        std::this_thread::sleep_for(1ms);
    }
    return false;
}

// Fresh link per run, so that runs do not share queues or windows.
using LinkFactory = std::function<std::unique_ptr<Link>()>;

void latencyFigures(const std::string& name, const LinkFactory& make, int runs, int count, size_t size,
                    bool percentiles, std::chrono::microseconds pause = std::chrono::microseconds(0))
{
    if (!transportWanted(name)) {
        return;
    }
    std::vector<double> medians, p99s;
    for (int run = 0; run < runs; ++run) {
        auto link = make();
        if (!link || !waitConnected(*link)) {
            std::printf("  %s: no connection\n", name.c_str());
            return;
        }
        const auto rtts = pingPong(*link, size, count, pause);
        medians.push_back(percentile(rtts, 0.5));
        p99s.push_back(percentile(rtts, 0.99));
    }
    printRow(name + " rtt p50", "ms", summarise(medians));
    if (percentiles) {
        printRow(name + " rtt p99", "ms", summarise(p99s));
    }
}

double throughputFigures(const std::string& name, const LinkFactory& make, int runs, size_t size, size_t total)
{
    if (!transportWanted(name)) {
        return 0;
    }
    std::vector<double> rates, cpu;
    for (int run = 0; run < runs; ++run) {
        auto link = make();
        if (!link || !waitConnected(*link)) {
            std::printf("  %s: no connection\n", name.c_str());
            return 0;
        }
        const Rate rate = throughput(*link, size, total);
        rates.push_back(rate.megabytesPerSecond);
        cpu.push_back(rate.cpuSecondsPerGigabyte);
    }
    const Summary s = summarise(rates);
    printRow(name, "MB/s", s);
    printRow(name + " CPU", "s/GB", summarise(cpu));
    return s.median;
}

void streamFigures(const std::string& name, const LinkFactory& make, int runs, double megabits, size_t frames)
{
    if (!transportWanted(name)) {
        return;
    }
    std::vector<double> rates, p50s, p99s, cpu;
    std::vector<double> complete;
    for (int run = 0; run < runs; ++run) {
        StreamTracker tracker(frames);
        {
            auto link = make();
            if (!link || !waitConnected(*link)) {
                std::printf("  %s: no connection\n", name.c_str());
                return;
            }
            const StreamRun result = streamVideo(*link, tracker, megabits, frames);
            rates.push_back(result.megabitsPerSecond);
            p50s.push_back(result.p50);
            p99s.push_back(result.p99);
            cpu.push_back(result.cpuSecondsPerGigabyte);
            complete.push_back(double(result.complete));
        }
    }
    const Summary p99 = summarise(p99s);
    std::printf("  %-30s %7.1f Mbit/s  p50 %7.2f ms  p99 %7.2f ms (max %7.2f)  whole %4.0f/%zu (min %.0f)  CPU %5.2f s/GB\n",
                name.c_str(), summarise(rates).median, summarise(p50s).median, p99.median, p99.high,
                summarise(complete).median, frames, summarise(complete).low, summarise(cpu).median);
    std::fflush(stdout);
}

// A link whose client reaches the server through a relay that drops `loss`
// of the datagrams both ways once the link is up.
LinkFactory relayed(double loss, bool kcp)
{
    return [loss, kcp]() -> std::unique_ptr<Link> {
        const uint16_t port = freePortPair();
        auto relay = std::make_shared<LossyRelay>(port, kcp ? 2 : 1, loss, 42);
        std::unique_ptr<Link> link;
        if (kcp) {
            link = std::make_unique<NerevnetLink>(3, port, relay->port());
        } else {
            link = std::make_unique<EnetLink>(port, relay->port());
        }
        link->keepAlive = relay;
        // The handshake passes unharmed (the UDP driver sends hello once per
        // attempt); the workload then meets the losses.
        waitConnected(*link);
        relay->setLossEnabled(true);
        return link;
    };
}

}  // namespace

int main()
{
    if (enet_initialize() != 0) {
        std::fprintf(stderr, "ENet initialisation failed\n");
        return 1;
    }
    const int runs = std::max(1, envInt("NEREVNET_BENCH_RUNS", 5));
    const size_t total = size_t(std::max(1, envInt("NEREVNET_BENCH_MB", 8))) << 20;
    const size_t streamFrames = size_t(std::max(1, envInt("NEREVNET_BENCH_STREAM_S", 2))) * kFramesPerSecond;
    const int pings = 50;

    std::printf("nerevnet benchmark on loopback, %d runs per figure, %zu MB per throughput run\n", runs, total >> 20);
    std::printf("(ENet's sends wait for its client thread's next turn, up to 1 ms, in every figure)\n\n");

    auto udp = [] { return std::make_unique<NerevnetLink>(3, freePortPair()); };
    auto tcp = [] { return std::make_unique<NerevnetLink>(2, freePortPair()); };
    auto enet = [] { return std::make_unique<EnetLink>(freePortPair()); };

    if (sectionWanted("rtt")) {
        std::printf("Message round trip (ping-pong, %d per run; 'paced': a random pause of up to 20 ms before each)\n",
                    pings);
        for (size_t size : {size_t(64), size_t(1024)}) {
            const std::string label = size == 64 ? "64 B" : "1 KB";
            latencyFigures("UDP/KCP " + label, udp, runs, pings, size, false);
            latencyFigures("UDP/KCP " + label + " paced", udp, runs, pings, size, false, 20ms);
            latencyFigures("TCP     " + label, tcp, runs, pings, size, false);
            latencyFigures("ENet    " + label, enet, runs, pings, size, false);
            latencyFigures("ENet    " + label + " paced", enet, runs, pings, size, false, 20ms);
        }
        std::printf("\n");
    }

    if (sectionWanted("throughput")) {
        std::printf("Packet throughput (packets sent back to back)\n");
        for (size_t size : {size_t(16 * 1024), size_t(128 * 1024)}) {
            const std::string label = size == 16 * 1024 ? "16 KB" : "128 KB";
            throughputFigures("UDP/KCP " + label, udp, runs, size, total);
            throughputFigures("TCP     " + label, tcp, runs, size, total);
            throughputFigures("ENet    " + label, enet, runs, size, total);
        }
        std::printf("\n");
    }

    if (sectionWanted("loss")) {
        for (double loss : {0.01, 0.05}) {
            std::printf("Through a relay dropping %.0f%% of datagrams both ways (seed 42)\n", loss * 100);
            latencyFigures("UDP/KCP 64 B", relayed(loss, true), runs, pings * 2, 64, true);
            latencyFigures("ENet    64 B", relayed(loss, false), runs, pings * 2, 64, true);
            throughputFigures("UDP/KCP 16 KB delivered", relayed(loss, true), runs, 16 * 1024, total / 2);
            throughputFigures("ENet    16 KB delivered", relayed(loss, false), runs, 16 * 1024, total / 2);
            std::printf("\n");
        }
    }

    if (sectionWanted("stream")) {
        std::printf("Video-like stream: %d frames per second for %zu s, frames split into packets of at most 160 KB\n"
                    "sent back to back; delivered rate, frame latency (first packet sent to last received) p50\n"
                    "and p99 (median of the runs, max of the runs), frames delivered whole, CPU per GB\n",
                    kFramesPerSecond, streamFrames / kFramesPerSecond);
        for (const bool lossy : {false, true}) {
            std::printf(lossy ? "Through the relay dropping 1%% of datagrams both ways (TCP needs a lossy path in the kernel: not measured)\n"
                              : "Loopback\n");
            for (const double megabits : {100.0, 200.0, 400.0, 1000.0}) {
                char label[32];
                std::snprintf(label, sizeof(label), "%4.0f Mbit/s", megabits);
                streamFigures(std::string("UDP/KCP ") + label, lossy ? relayed(0.01, true) : LinkFactory(udp), runs,
                              megabits, streamFrames);
                if (!lossy) {
                    streamFigures(std::string("TCP     ") + label, tcp, runs, megabits, streamFrames);
                }
                streamFigures(std::string("ENet    ") + label, lossy ? relayed(0.01, false) : LinkFactory(enet), runs,
                              megabits, streamFrames);
            }
        }
    }

    enet_deinitialize();
    return 0;
}
