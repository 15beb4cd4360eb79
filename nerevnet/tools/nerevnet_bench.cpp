// Loopback benchmark of the UDP (KCP) and TCP drivers, with ENet as the
// side-by-side reference and a lossy user-space relay for both UDP stacks.
// Prints median and spread over several runs. Environment:
//   NEREVNET_BENCH_RUNS   runs per figure (default 5)
//   NEREVNET_BENCH_MB     megabytes per throughput run (default 8)
#include "nerevnet.h"

#include <enet/enet.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
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

// A UDP port p with p and p + 1 free.
uint16_t freeUdpPair()
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        int a = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(a, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        socklen_t length = sizeof(address);
        ::getsockname(a, reinterpret_cast<sockaddr*>(&address), &length);
        const uint16_t port = ntohs(address.sin_port);
        int b = ::socket(AF_INET, SOCK_DGRAM, 0);
        address.sin_port = htons(uint16_t(port + 1));
        const bool ok = port < 65000 && ::bind(b, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
        ::close(a);
        ::close(b);
        if (ok) {
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
        m_listenPort = freeUdpPair();
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
            for (size_t i = 0; i < m_legs.size(); ++i) {
                Leg& leg = m_legs[i];
                if (fds[2 * i].revents & POLLIN) {
                    sockaddr_in from{};
                    socklen_t length = sizeof(from);
                    const ssize_t n = ::recvfrom(leg.front, buffer, sizeof(buffer), MSG_DONTWAIT,
                                                 reinterpret_cast<sockaddr*>(&from), &length);
                    if (n >= 0) {
                        leg.client = from;
                        leg.haveClient = true;
                        if (!drop()) {
                            ::send(leg.back, buffer, size_t(n), 0);
                        }
                    }
                }
                if (fds[2 * i + 1].revents & POLLIN) {
                    const ssize_t n = ::recv(leg.back, buffer, sizeof(buffer), MSG_DONTWAIT);
                    if (n >= 0 && leg.haveClient && !drop()) {
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

// What one side of a link must offer to the workloads.
class Link {
public:
    virtual ~Link() = default;
    virtual bool connected() = 0;
    // Sends from the client; the server echoes messages back.
    virtual void clientSendMessage(const std::string& bytes) = 0;
    virtual void clientSendPacket(const std::string& bytes) = 0;
    uint64_t echoes() const { return m_echoes; }
    uint64_t packetBytes() const { return m_packetBytes; }
    // Something the link's traffic passes through (the relay); released
    // after the derived link has shut down.
    std::shared_ptr<void> keepAlive;

protected:
    void gotEcho()
    {
        ++m_echoes;
        std::lock_guard<std::mutex> lock(m_lock);
        m_wake.notify_all();
    }
    void gotPacket(size_t bytes) { m_packetBytes += bytes; }

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

// Megabytes per second of `size`-byte packets delivered, `total` bytes in all.
double throughput(Link& link, size_t size, size_t total)
{
    const std::string packet(size, 't');
    const size_t count = std::max<size_t>(1, total / size);
    const uint64_t before = link.packetBytes();
    const uint64_t want = before + uint64_t(count) * size;
    const auto start = Clock::now();
    for (size_t i = 0; i < count; ++i) {
        link.clientSendPacket(packet);
    }
    while (link.packetBytes() < want && Clock::now() - start < 60s) {
        std::this_thread::sleep_for(200us);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return double(link.packetBytes() - before) / seconds / 1e6;
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
    void clientSendPacket(const std::string& bytes) override
    {
        NerevnetPacket packet;
        std::memset(&packet, 0, sizeof(packet));
        packet.mediaType = 2;
        packet.data = reinterpret_cast<const uint8_t*>(bytes.data());
        packet.size = bytes.size();
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
            static_cast<Side*>(user)->link->gotPacket(size_t(packet->size));
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
    void clientSendMessage(const std::string& bytes) override { post(bytes, true); }
    void clientSendPacket(const std::string& bytes) override { post(bytes, false); }

private:
    // ENet hosts are not thread-safe: sends are queued for the client's thread.
    void post(const std::string& bytes, bool message)
    {
        std::lock_guard<std::mutex> lock(m_queueLock);
        m_queue.push_back({bytes, message});
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
                        gotPacket(event.packet->dataLength - 1);
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
            std::deque<std::pair<std::string, bool>> pending;
            {
                std::lock_guard<std::mutex> lock(m_queueLock);
                pending.swap(m_queue);
            }
            for (auto& item : pending) {
                std::string wire = (item.second ? "M" : "P") + item.first;
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
    std::deque<std::pair<std::string, bool>> m_queue;
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

double throughputFigures(const std::string& name, const LinkFactory& make, int runs, size_t size, size_t total,
                         const std::string& note = "")
{
    std::vector<double> rates;
    for (int run = 0; run < runs; ++run) {
        auto link = make();
        if (!link || !waitConnected(*link)) {
            std::printf("  %s: no connection\n", name.c_str());
            return 0;
        }
        rates.push_back(throughput(*link, size, total));
    }
    const Summary s = summarise(rates);
    printRow(name, "MB/s", s, note);
    return s.median;
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
    const int pings = 50;

    // KCP window ceiling for the fixed parameters: at most a send window of
    // 128 segments (congestion control off) leaves per 10 ms update.
    const double segmentPayload = 1400 - 24;
    const double ceiling = 128 * segmentPayload / 0.010 / 1e6;
    std::printf("nerevnet benchmark on loopback, %d runs per figure, %zu MB per throughput run\n", runs, total >> 20);
    std::printf("KCP ceiling: 128 segments x %.0f B per 10 ms update = %.2f MB/s of frame bytes\n\n", segmentPayload,
                ceiling);

    auto udp = [](uint16_t relay = 0, uint16_t port = 0) -> LinkFactory {
        return [relay, port] { return std::make_unique<NerevnetLink>(3, port ? port : freeUdpPair(), relay); };
    };
    auto tcp = [] { return std::make_unique<NerevnetLink>(2, freeUdpPair()); };
    auto enet = [] { return std::make_unique<EnetLink>(freeUdpPair()); };

    std::printf("Message round trip (ping-pong, %d per run; 'paced': a random pause of up to 20 ms before each)\n",
                pings);
    for (size_t size : {size_t(64), size_t(1024)}) {
        const std::string label = size == 64 ? "64 B" : "1 KB";
        latencyFigures("UDP/KCP " + label, udp(), runs, pings, size, false);
        latencyFigures("UDP/KCP " + label + " paced", udp(), runs, pings, size, false, 20ms);
        latencyFigures("TCP     " + label, tcp, runs, pings, size, false);
        latencyFigures("ENet    " + label, enet, runs, pings, size, false);
        latencyFigures("ENet    " + label + " paced", enet, runs, pings, size, false, 20ms);
    }

    std::printf("\nPacket throughput\n");
    for (size_t size : {size_t(16 * 1024), size_t(128 * 1024)}) {
        const std::string label = size == 16 * 1024 ? "16 KB" : "128 KB";
        // The ceiling counts frame bytes: each packet carries a 56-byte header.
        const double limit = ceiling * double(size) / double(size + 56);
        char note[96];
        const double measured = throughputFigures("UDP/KCP " + label, udp(), runs, size, total);
        std::snprintf(note, sizeof(note), "  = %.0f%% of the %.2f MB/s ceiling", 100 * measured / limit, limit);
        std::printf("  %-44s %s\n", "", note);
        throughputFigures("TCP     " + label, tcp, runs, size, total);
        throughputFigures("ENet    " + label, enet, runs, size, total);
    }

    for (double loss : {0.01, 0.05}) {
        std::printf("\nThrough a relay dropping %.0f%% of datagrams both ways (seed 42)\n", loss * 100);
        auto relayed = [loss](bool kcp) -> LinkFactory {
            return [loss, kcp]() -> std::unique_ptr<Link> {
                const uint16_t port = freeUdpPair();
                auto relay = std::make_shared<LossyRelay>(port, kcp ? 2 : 1, loss, 42);
                std::unique_ptr<Link> link;
                if (kcp) {
                    link = std::make_unique<NerevnetLink>(3, port, relay->port());
                } else {
                    link = std::make_unique<EnetLink>(port, relay->port());
                }
                link->keepAlive = relay;
                // The handshake passes unharmed (the UDP driver sends hello
                // once per attempt); the workload then meets the losses.
                waitConnected(*link);
                relay->setLossEnabled(true);
                return link;
            };
        };
        latencyFigures("UDP/KCP 64 B", relayed(true), runs, pings * 2, 64, true);
        latencyFigures("ENet    64 B", relayed(false), runs, pings * 2, 64, true);
        throughputFigures("UDP/KCP 16 KB delivered", relayed(true), runs, 16 * 1024, total / 2);
        throughputFigures("ENet    16 KB delivered", relayed(false), runs, 16 * 1024, total / 2);
    }

    enet_deinitialize();
    return 0;
}
