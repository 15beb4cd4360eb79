// UDP transport on KCP: a packet channel on the configured port and a
// message channel on port + 1, each with its own socket, KCP control block,
// event loop and thread.
#pragma once

#include "channel_core.h"

#include <asio.hpp>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct IKCPCB;

namespace nerevnet {

class UdpDriver;

// One channel: a UDP socket and a KCP control block driven by one event loop
// on its own thread. The KCP block is shared between the host's thread
// (send) and the channel's thread (update, input, receive, flush), so every
// KCP call happens under m_kcpLock. The socket, the timers, the endpoints and
// the outgoing datagrams are used on the channel's thread only.
//
// Segments leave as soon as the channel's thread gets to them: a host send
// queues its message in KCP and asks the thread for one flush (further sends
// before that flush ride along with it), and each burst of received
// datagrams ends with a flush that returns their acknowledgements and sends
// what the acknowledged window lets go. The 10 ms update drives KCP's own
// schedule and the keep-alive; while segments wait for acknowledgement a
// flush every 2 ms acts on their timeouts.
class AsioUdpImpl : public ChannelCore {
public:
    using ReceiveCallback = std::function<void(const uint8_t* data, size_t length, UdpDriver* driver)>;

    AsioUdpImpl(UdpDriver* driver, ReceiveCallback callback, int reconnectInterval);
    ~AsioUdpImpl() override;

    AsioUdpImpl(const AsioUdpImpl&) = delete;
    AsioUdpImpl& operator=(const AsioUdpImpl&) = delete;

    // The other channel of the same driver: both channels restart together.
    void setSibling(AsioUdpImpl* sibling) { m_sibling = sibling; }

    bool isUp() const override { return m_connected.load(); }

    // Queues one KCP message; 0 when queued, negative when refused.
    int send(const uint8_t* data, size_t length);

    // Largest message KCP takes in message mode (127 segments).
    static size_t maxMessageSize();

private:
    // The update task and the server or client task on a fresh socket.
    void open() override;
    // Releases socket, timers and KCP.
    void close() override;
    void scheduleUpdate();
    bool bindServer(asio::error_code& error);
    void startServer();
    void serverBound();
    void startClient();
    // Client: starts the attempt again when hi does not come in time.
    void awaitHi();
    void prepareSocket();
    void failed(const asio::error_code& error, bool tellSibling = true);
    // Called from the sibling's thread: run the restart cycle here as well.
    void restartWithSibling();
    // A server whose peer went away (port unreachable, or KCP gave up
    // retransmitting) keeps its socket and waits for the next hello.
    void peerLost(const char* reason, bool tellSibling);
    void lostPeerWithSibling();
    // Called from the sibling's thread: the peer began a new handshake on
    // the sibling, so this channel's conversation is stale too.
    void peerRestarted();
    void receiveNext();
    // Closes the socket; receives still pending on it are ignored.
    void closeSocket();
    void onDatagram(const asio::error_code& error, size_t length);
    void takeDatagram(size_t length);
    void receiveFailed(const asio::error_code& error);
    void deliverMessages();
    void sendHandshake(const uint8_t* data, size_t length, const asio::ip::udp::endpoint& to);
    // Sends one datagram, waiting while the socket's buffer is full.
    void sendDatagram(const void* data, size_t length, const asio::ip::udp::endpoint& to, asio::error_code& error);

    // Asks the channel's thread for one flush; a request already pending
    // covers this one.
    void requestFlush();
    // On the channel's thread: KCP's flush, then the datagrams it put out.
    void flushKcp();
    // The same for the periodic update at time `at`, with the keep-alive;
    // the reason when the peer is to be given up, else null.
    const char* updateKcp(uint32_t at);
    // Flushes again in a moment while segments wait for acknowledgement.
    void keepResending(bool waiting);
    void sendOutgoing();

    void createKcp();
    void releaseKcp();
    // Logs what the conversation sent, then releases its control block.
    void endConversation(IKCPCB* kcp);
    static int kcpOutput(const char* buffer, int length, IKCPCB* kcp, void* user);
    static void kcpLog(const char* text, IKCPCB* kcp, void* user);

    UdpDriver* m_driver;
    ReceiveCallback m_callback;

    std::unique_ptr<asio::ip::udp::socket> m_socket;
    std::unique_ptr<asio::steady_timer> m_updateTimer;
    std::unique_ptr<asio::steady_timer> m_resendTimer;
    std::unique_ptr<asio::steady_timer> m_helloTimer;
    bool m_resendArmed = false;  // channel thread only
    uint32_t m_socketGeneration = 0;  // channel thread only
    asio::ip::udp::endpoint m_remote;
    asio::ip::udp::endpoint m_sender;
    AsioUdpImpl* m_sibling = nullptr;
    bool m_waitingRetry = false;  // channel thread only
    // Counts the hellos handled: a loss reported by the sibling that was
    // overtaken by a new hello here must not end the new conversation.
    std::atomic<uint32_t> m_hellos{0};
    std::atomic<bool> m_flushRequested{false};

    std::mutex m_kcpLock;
    IKCPCB* m_kcp = nullptr;
    // Acknowledgement progress of the conversation and the keep-alive's
    // times (KCP's clock), under m_kcpLock.
    uint32_t m_ackedUpTo = 0;
    uint32_t m_lastProgress = 0;
    uint32_t m_lastHeard = 0;
    uint32_t m_lastProbe = 0;
    uint32_t m_lastAcknowledged = 0;
    // Data segments put out, repeated ones included (KCP's output, under m_kcpLock).
    uint32_t m_dataSegments = 0;
    std::atomic<bool> m_connected{false};

    std::vector<uint8_t> m_datagram;
    std::vector<uint8_t> m_message;
    // Datagrams KCP put out during one flush, sent once the KCP lock is
    // released (channel thread only).
    std::vector<char> m_outgoing;  // same type as KCP's buffer: appending is a plain copy
    std::vector<size_t> m_outgoingSizes;
};

class UdpDriver : public DualChannelDriver {
public:
    UdpDriver();
    ~UdpDriver() override;

    int32_t init(NerevnetStartupConfig* config) override;
    int32_t getType() override;

private:
    friend class AsioUdpImpl;

    int32_t sendOnMessageChannel(const char* data, uint32_t length) override;
    bool sendOnPacketChannel(const NerevnetPacket& packet, std::vector<uint8_t>& frame) override;

    std::unique_ptr<AsioUdpImpl> m_packetChannel;
    std::unique_ptr<AsioUdpImpl> m_messageChannel;
    // Serialises the hello handling of the two channels, which also touches
    // the other channel's connected flag.
    std::mutex m_handshakeLock;
};

}  // namespace nerevnet
