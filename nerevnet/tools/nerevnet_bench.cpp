// Benchmark of the UDP (KCP) and TCP drivers on loopback, with ENet as the
// side-by-side reference: round trips, throughput, a video-like stream, and
// the same stream through modelled links (link_relay.h): Wi-Fi-like delay,
// jitter and loss for both UDP stacks, and a proxy like `adb forward` for
// the TCP driver. Prints the median and spread over several runs.
// Environment:
//   NEREVNET_BENCH_RUNS       runs per figure (default 3)
//   NEREVNET_BENCH_MB         megabytes per throughput run (default 8)
//   NEREVNET_BENCH_STREAM_S   seconds of video per stream run (default 2)
//   NEREVNET_BENCH_IDLE_S     seconds of the idle link's measurement (default 5)
//   NEREVNET_BENCH_PROFILES   links of the "links" section, joined by commas:
//                             "wifi-good", "wifi-busy", "wired-adb" (the
//                             default), "relay" (relay only), "custom"
//   NEREVNET_BENCH_LINK       the "custom" link, e.g.
//                             "delay=2,jitter=1,loss=0.5,burst=3,rate=600,queue=512,reorder=0.2"
//                             (ms, percent, Mbit/s, KB); included when set
//   NEREVNET_BENCH_LOG_LEVEL  the library's log level (default 3, warnings;
//                             the log is nerevnet_DATE.log in the current folder)
//   NEREVNET_BENCH_ONLY       what to run, joined by commas: sections "rtt",
//                             "throughput", "loss", "stream", "links", "idle"
//                             and transports "kcp", "tcp", "enet" (default:
//                             all of a kind that is not named)
//
// CPU figures are the process's user + system seconds (both ends of the
// link, and the relay or proxy where there is one) per gigabyte delivered.
#include "link_relay.h"
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
    return wanted(section, {"rtt", "throughput", "loss", "stream", "links", "idle"});
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
    double max = 0;
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
    run.max = latencies.empty() ? 0 : *std::max_element(latencies.begin(), latencies.end());
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
               && m_server.status == ConnectStatus_Connected && m_client.status == ConnectStatus_Connected;
    }
    int32_t serverStatus() const { return m_server.status; }
    int32_t clientStatus() const { return m_client.status; }
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
        config.logLevel = envInt("NEREVNET_BENCH_LOG_LEVEL", NerevnetLogLevel_Warning);
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
    std::vector<double> rates, p50s, p99s, maxima, cpu;
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
            maxima.push_back(result.max);
            cpu.push_back(result.cpuSecondsPerGigabyte);
            complete.push_back(double(result.complete));
        }
    }
    std::printf("  %-20s %7.1f Mbit/s  whole %4.0f/%zu (min %3.0f)  latency p50 %8.2f  p99 %8.2f  max %8.2f ms"
                "  (p99 of the runs %.2f .. %.2f)  CPU %5.2f s/GB\n",
                name.c_str(), summarise(rates).median, summarise(complete).median, frames, summarise(complete).low,
                summarise(p50s).median, summarise(p99s).median, summarise(maxima).median, summarise(p99s).low,
                summarise(p99s).high, summarise(cpu).median);
    std::fflush(stdout);
}

// A UDP link (the UDP driver, or ENet) whose client reaches the server
// through the link relay; losses begin once the link is up, because the
// UDP driver sends its hello once per attempt.
LinkFactory relayed(const linkrelay::LinkModel& model, bool kcp)
{
    return [model, kcp]() -> std::unique_ptr<Link> {
        const uint16_t port = freePortPair();
        auto relay = std::make_shared<linkrelay::UdpLinkRelay>(port, kcp ? 2 : 1, model, 42);
        relay->setLossEnabled(false);
        std::unique_ptr<Link> link;
        if (kcp) {
            link = std::make_unique<NerevnetLink>(3, port, relay->port());
        } else {
            link = std::make_unique<EnetLink>(port, relay->port());
        }
        link->keepAlive = relay;
        waitConnected(*link);
        relay->setLossEnabled(true);
        return link;
    };
}

// The TCP driver with its client behind a user-space proxy like `adb forward`.
LinkFactory proxied()
{
    return []() -> std::unique_ptr<Link> {
        const uint16_t port = freePortPair();
        auto proxy = std::make_shared<linkrelay::TcpProxy>(port, 2);
        auto link = std::make_unique<NerevnetLink>(2, port, proxy->port());
        link->keepAlive = proxy;
        return link;
    };
}

struct Profile {
    std::string name;
    linkrelay::LinkModel model;
    bool tcp = false;  // the TCP driver through the proxy instead of UDP through the relay
};

// The profiles NEREVNET_BENCH_PROFILES names (default: wifi-good, wifi-busy,
// wired-adb); "custom" is NEREVNET_BENCH_LINK.
std::vector<Profile> chosenProfiles()
{
    std::vector<Profile> known;
    known.push_back({"relay", {}, false});
    linkrelay::LinkModel good;
    good.delayMs = 1.5;
    good.jitterMs = 1;
    good.lossPercent = 0.1;
    known.push_back({"wifi-good", good, false});
    linkrelay::LinkModel busy;
    busy.delayMs = 3;
    busy.jitterMs = 3;
    busy.lossPercent = 1;
    busy.burst = 3;
    known.push_back({"wifi-busy", busy, false});
    known.push_back({"wired-adb", {}, true});
    if (const char* custom = std::getenv("NEREVNET_BENCH_LINK"); custom && *custom) {
        linkrelay::LinkModel model;
        std::string error;
        if (linkrelay::LinkModel::parse(custom, model, error)) {
            known.push_back({"custom", model, false});
        } else {
            std::fprintf(stderr, "NEREVNET_BENCH_LINK: %s\n", error.c_str());
        }
    }
    const char* names = std::getenv("NEREVNET_BENCH_PROFILES");
    const std::string list = std::string(",") + (names && *names ? names : "wifi-good,wifi-busy,wired-adb,custom") + ",";
    std::vector<Profile> chosen;
    for (const auto& profile : known) {
        if (list.find("," + profile.name + ",") != std::string::npos) {
            chosen.push_back(profile);
        }
    }
    return chosen;
}

// The keep-alive of an idle UDP link: bytes each way while nothing is sent,
// then how long each side takes to report Disconnected once its peer has
// silently vanished (the relay loses everything from then on).
void idleFigures(int runs, int seconds)
{
    if (!transportWanted("UDP/KCP")) {
        return;
    }
    std::vector<double> up, down, serverNotice, clientNotice;
    const auto limit = 10s;
    for (int run = 0; run < runs; ++run) {
        const uint16_t port = freePortPair();
        auto relay = std::make_shared<linkrelay::UdpLinkRelay>(port, 2, linkrelay::LinkModel{}, 42);
        NerevnetLink link(3, port, relay->port());
        if (!waitConnected(link)) {
            std::printf("  UDP/KCP: no connection\n");
            return;
        }
        std::this_thread::sleep_for(1s);
        const auto upBefore = relay->toServer();
        const auto downBefore = relay->toClient();
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
        up.push_back(double(relay->toServer().bytes - upBefore.bytes) / seconds);
        down.push_back(double(relay->toClient().bytes - downBefore.bytes) / seconds);

        relay->setCut(true);
        const auto cut = Clock::now();
        double server = -1, client = -1;
        while ((server < 0 || client < 0) && Clock::now() - cut < limit) {
            const double elapsed = std::chrono::duration<double>(Clock::now() - cut).count();
            if (server < 0 && link.serverStatus() == ConnectStatus_Disconnected) {
                server = elapsed;
            }
            if (client < 0 && link.clientStatus() == ConnectStatus_Disconnected) {
                client = elapsed;
            }
            std::this_thread::sleep_for(1ms);
        }
        serverNotice.push_back(server < 0 ? 1e9 : server);
        clientNotice.push_back(client < 0 ? 1e9 : client);
    }
    printRow("idle link, client to server (IP+UDP headers)", "B/s", summarise(up));
    printRow("idle link, server to client (IP+UDP headers)", "B/s", summarise(down));
    auto notice = [&](const char* side, const std::vector<double>& times) {
        const Summary s = summarise(times);
        if (s.high >= 1e9) {
            std::printf("  %-44s not within %lld s in %zu of %d runs\n",
                        (std::string("vanished peer noticed by the ") + side).c_str(), (long long)limit.count(),
                        size_t(std::count(times.begin(), times.end(), 1e9)), runs);
        } else {
            printRow(std::string("vanished peer noticed by the ") + side, "s", s);
        }
    };
    notice("server", serverNotice);
    notice("client", clientNotice);
}

}  // namespace

int main()
{
    if (enet_initialize() != 0) {
        std::fprintf(stderr, "ENet initialisation failed\n");
        return 1;
    }
    const int runs = std::max(1, envInt("NEREVNET_BENCH_RUNS", 3));
    const size_t total = size_t(std::max(1, envInt("NEREVNET_BENCH_MB", 8))) << 20;
    const size_t streamFrames = size_t(std::max(1, envInt("NEREVNET_BENCH_STREAM_S", 2))) * kFramesPerSecond;
    const int idleSeconds = std::max(1, envInt("NEREVNET_BENCH_IDLE_S", 5));
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
        for (double loss : {1.0, 5.0}) {
            std::printf("Through a relay dropping %.0f%% of datagrams both ways (seed 42)\n", loss);
            linkrelay::LinkModel model;
            model.lossPercent = loss;
            latencyFigures("UDP/KCP 64 B", relayed(model, true), runs, pings * 2, 64, true);
            latencyFigures("ENet    64 B", relayed(model, false), runs, pings * 2, 64, true);
            throughputFigures("UDP/KCP 16 KB delivered", relayed(model, true), runs, 16 * 1024, total / 2);
            throughputFigures("ENet    16 KB delivered", relayed(model, false), runs, 16 * 1024, total / 2);
            std::printf("\n");
        }
    }

    const auto rateLabel = [](const char* transport, double megabits) {
        char label[40];
        std::snprintf(label, sizeof(label), "%-8s%4.0f Mbit/s", transport, megabits);
        return std::string(label);
    };

    if (sectionWanted("stream") || sectionWanted("links")) {
        std::printf("Video-like stream: %d frames per second for %zu s, frames split into packets of at most 160 KB\n"
                    "sent back to back. Delivered rate, frames delivered whole, frame latency (first packet sent to\n"
                    "last received) p50, p99 and max; each the median of the runs; CPU per delivered GB of the whole\n"
                    "process (both ends, and the relay or proxy where there is one)\n\n",
                    kFramesPerSecond, streamFrames / kFramesPerSecond);
    }

    if (sectionWanted("stream")) {
        std::printf("Loopback\n");
        for (const double megabits : {100.0, 200.0, 400.0, 1000.0}) {
            streamFigures(rateLabel("UDP/KCP", megabits), udp, runs, megabits, streamFrames);
            streamFigures(rateLabel("TCP", megabits), tcp, runs, megabits, streamFrames);
            streamFigures(rateLabel("ENet", megabits), enet, runs, megabits, streamFrames);
        }
        std::printf("\n");
    }

    if (sectionWanted("links")) {
        for (const Profile& profile : chosenProfiles()) {
            if (profile.tcp) {
                std::printf("\"%s\": the TCP driver through a user-space TCP proxy (one hop copying both ways, as adb forward)\n",
                            profile.name.c_str());
                for (const double megabits : {100.0, 200.0, 400.0, 1000.0}) {
                    streamFigures(rateLabel("TCP", megabits), proxied(), runs, megabits, streamFrames);
                }
            } else {
                std::printf("\"%s\": %s, both ways\n", profile.name.c_str(), profile.model.describe().c_str());
                for (const double megabits : {100.0, 200.0, 400.0}) {
                    streamFigures(rateLabel("UDP/KCP", megabits), relayed(profile.model, true), runs, megabits,
                                  streamFrames);
                    streamFigures(rateLabel("ENet", megabits), relayed(profile.model, false), runs, megabits,
                                  streamFrames);
                }
            }
            std::printf("\n");
        }
    }

    if (sectionWanted("idle")) {
        std::printf("Idle UDP link through the relay (no loss) for %d s, then the peer vanishes silently\n", idleSeconds);
        idleFigures(runs, idleSeconds);
        std::printf("\n");
    }

    enet_deinitialize();
    return 0;
}
