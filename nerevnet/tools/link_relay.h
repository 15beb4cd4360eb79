// User-space links between a client and a server on loopback, shared by the
// benchmark and the tests. UdpLinkRelay treats datagrams as a Wi-Fi link or
// a router does: one-way delay with jitter, random and bursty loss, a
// bandwidth cap with a bounded queue (tail drop), order kept unless
// reordering is asked for. TcpProxy forwards TCP connections through one
// user-space hop that copies both ways, as `adb forward` does.
#pragma once

#include <asio.hpp>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace linkrelay {

// What the link does to the datagrams of each direction.
struct LinkModel {
    double delayMs = 0;     // one-way delay
    double jitterMs = 0;    // plus a uniform random 0 .. jitter
    double lossPercent = 0; // share of datagrams lost
    int burst = 1;          // one loss takes 1 .. burst datagrams in a row
    double rateMbit = 0;    // bandwidth cap; 0 = none
    size_t queueBytes = 0;  // buffer ahead of the cap; 0 = unbounded
    double reorderPercent = 0; // share of datagrams whose delay ignores the order

    // "delay=1.5,jitter=1,loss=0.1,burst=3,rate=600,queue=256,reorder=0.5"
    // (milliseconds, percent, Mbit/s, kilobytes); unnamed values stay 0.
    static bool parse(const std::string& text, LinkModel& out, std::string& error);
    std::string describe() const;
};

// Bytes and datagrams that went one way, and those the link lost.
struct LaneCounters {
    uint64_t datagrams = 0;
    uint64_t bytes = 0;  // payload plus 28 bytes of IPv4 and UDP header each
    uint64_t lost = 0;
};

// Forwards `ports` consecutive ports: a client aiming at port() + i reaches
// the server's serverPort + i on 127.0.0.1. Both directions of all ports
// share the model's cap and order, each direction with its own generator.
class UdpLinkRelay {
public:
    UdpLinkRelay(uint16_t serverPort, int ports, const LinkModel& model, uint32_t seed);
    ~UdpLinkRelay();

    UdpLinkRelay(const UdpLinkRelay&) = delete;
    UdpLinkRelay& operator=(const UdpLinkRelay&) = delete;

    uint16_t port() const { return m_port; }
    // Loss applies only while enabled (delay, jitter and the cap always do),
    // so that a handshake sent once can pass first.
    void setLossEnabled(bool enabled) { m_lossEnabled = enabled; }
    // Everything is lost both ways, silently: the peer has vanished.
    void setCut(bool cut) { m_cut = cut; }
    // Everything on its way to the client is lost.
    void setCutToClient(bool cut) { m_cutToClient = cut; }
    LaneCounters toServer() const;
    LaneCounters toClient() const;

private:
    struct Leg;
    class Lane;
    struct Pending {
        std::chrono::steady_clock::time_point due;
        uint64_t order;
        size_t leg;
        bool toServer;
        std::vector<char> bytes;
    };
    class DatagramBatch {
    public:
        static constexpr size_t kSize = 64;
        static constexpr size_t kSlot = 4096;
        DatagramBatch();
        // What waits on the socket, up to kSize datagrams; 0 when nothing.
        size_t receive(asio::ip::udp::socket& socket);
        const char* data(size_t i) const { return m_buffers.data() + i * kSlot; }
        size_t length(size_t i) const { return m_lengths[i]; }
        const asio::ip::udp::endpoint& sender(size_t i) const { return m_senders[i]; }
        // Sends the items' bytes (to `to`, or on a connected socket).
        static void send(asio::ip::udp::socket& socket, const asio::ip::udp::endpoint* to,
                         std::vector<Pending>& items);

    private:
        std::vector<char> m_buffers;
        std::vector<size_t> m_lengths;
        std::vector<asio::ip::udp::endpoint> m_senders;
    };

    // Heap order of m_pending: the earliest due first, then arrival order.
    static bool later(const Pending& a, const Pending& b);
    void waitReadable(size_t leg, bool front);
    void drain(size_t leg, bool front);
    void admit(size_t leg, bool toServer, const char* data, size_t length);
    void sendDue();
    void armTimer();

    asio::io_context m_io;
    asio::steady_timer m_timer;
    std::chrono::steady_clock::time_point m_timerAt;
    bool m_timerArmed = false;
    std::vector<std::unique_ptr<Leg>> m_legs;
    std::unique_ptr<Lane> m_toServer;
    std::unique_ptr<Lane> m_toClient;
    std::vector<Pending> m_pending;  // a heap, earliest due first
    std::vector<Pending> m_sending;
    std::vector<std::vector<char>> m_spare;  // buffers of sent datagrams, for reuse
    DatagramBatch m_receiving;
    uint64_t m_order = 0;
    uint16_t m_port = 0;
    std::atomic<bool> m_lossEnabled{true};
    std::atomic<bool> m_cut{false};
    std::atomic<bool> m_cutToClient{false};
    mutable std::mutex m_countersLock;
    std::thread m_thread;
};

// Accepts on `ports` consecutive ports (port() + i) and connects each
// accepted client to 127.0.0.1:serverPort + i; one thread copies both ways
// through buffers of `chunk` bytes.
class TcpProxy {
public:
    TcpProxy(uint16_t serverPort, int ports, size_t chunk = 64 * 1024);
    ~TcpProxy();

    TcpProxy(const TcpProxy&) = delete;
    TcpProxy& operator=(const TcpProxy&) = delete;

    uint16_t port() const { return m_port; }

private:
    struct Pipe;
    void acceptNext(size_t index);
    void pump(const std::shared_ptr<Pipe>& pipe, bool up);

    asio::io_context m_io;
    std::vector<std::unique_ptr<asio::ip::tcp::acceptor>> m_acceptors;
    std::vector<std::shared_ptr<Pipe>> m_pipes;
    uint16_t m_serverPort;
    size_t m_chunk;
    uint16_t m_port = 0;
    std::thread m_thread;
};

}  // namespace linkrelay
