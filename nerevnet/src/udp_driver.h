// UDP transport on KCP: a packet channel on the configured port and a
// message channel on port + 1, each with its own socket, KCP control block,
// event loop and thread.
#pragma once

#include "base_driver.h"

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
// (send) and the channel's thread (update, input, receive), so every KCP
// call happens under m_kcpLock. The socket, the timers and the endpoints are
// used on the channel's thread only.
class AsioUdpImpl {
public:
    using ReceiveCallback = std::function<void(const uint8_t* data, size_t length, UdpDriver* driver)>;

    AsioUdpImpl(UdpDriver* driver, ReceiveCallback callback);
    ~AsioUdpImpl();

    AsioUdpImpl(const AsioUdpImpl&) = delete;
    AsioUdpImpl& operator=(const AsioUdpImpl&) = delete;

    // Starts the event loop and its thread with the server or client task.
    void start(const std::string& address, uint16_t port, bool isServer, int reconnectInterval);
    // Stops the event loop, joins the thread and releases socket and KCP.
    void stop();

    // The other channel of the same driver: both channels restart together.
    void setSibling(AsioUdpImpl* sibling) { m_sibling = sibling; }

    bool isRunning() const { return m_thread.joinable(); }
    bool runsOnThisThread() const;
    bool isConnected() const { return m_connected.load(); }

    // Queues one KCP message; 0 when queued, negative when refused.
    int send(const uint8_t* data, size_t length);

    // Largest message KCP takes in message mode (127 segments).
    static size_t maxMessageSize();

private:
    void run();
    void scheduleUpdate();
    bool bindServer(asio::error_code& error);
    void startServer();
    void serverBound();
    void startClient();
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
    void onDatagram(const asio::error_code& error, size_t length);
    void deliverMessages();
    void acknowledgeNow();
    void sendHandshake(const uint8_t* data, size_t length, const asio::ip::udp::endpoint& to);

    void createKcp();
    void releaseKcp();
    static int kcpOutput(const char* buffer, int length, IKCPCB* kcp, void* user);
    static void kcpLog(const char* text, IKCPCB* kcp, void* user);

    UdpDriver* m_driver;
    ReceiveCallback m_callback;

    std::string m_address;
    uint16_t m_port = 0;
    bool m_isServer = false;
    int m_reconnectInterval = 1;

    std::unique_ptr<asio::io_context> m_io;
    std::unique_ptr<asio::ip::udp::socket> m_socket;
    std::unique_ptr<asio::steady_timer> m_updateTimer;
    std::unique_ptr<asio::steady_timer> m_retryTimer;
    asio::ip::udp::endpoint m_remote;
    asio::ip::udp::endpoint m_sender;
    std::thread m_thread;
    AsioUdpImpl* m_sibling = nullptr;
    bool m_waitingRetry = false;  // channel thread only
    // Counts the hellos handled: a loss reported by the sibling that was
    // overtaken by a new hello here must not end the new conversation.
    std::atomic<uint32_t> m_hellos{0};
    // Guards m_io against the sibling posting into it while stop() resets it.
    std::mutex m_postLock;

    std::mutex m_kcpLock;
    IKCPCB* m_kcp = nullptr;
    std::atomic<bool> m_connected{false};

    std::vector<uint8_t> m_datagram;
    std::vector<uint8_t> m_message;
};

class UdpDriver : public BaseDriver {
public:
    UdpDriver();
    ~UdpDriver() override;

    int32_t start(const char* address, uint32_t port, uint32_t* bindPort) override;
    void stop() override;
    int32_t sendMessage(const char* data, uint32_t length, bool reliable) override;
    bool sendPacket(const NerevnetPacket* packet) override;
    bool isConnected() override;

    int32_t init(NerevnetStartupConfig* config) override;
    int32_t getType() override;

protected:
    void onConnectStatus(int32_t status) override;

private:
    friend class AsioUdpImpl;

    void stopChannels();
    void receivePacketFrame(const uint8_t* data, size_t length);

    std::unique_ptr<AsioUdpImpl> m_packetChannel;
    std::unique_ptr<AsioUdpImpl> m_messageChannel;
    std::vector<uint8_t> m_packetBuffer;
    std::mutex m_driverLock;
    std::mutex m_statusLock;
    std::atomic<int32_t> m_status{0};
    // Serialises the hello handling of the two channels, which also touches
    // the other channel's connected flag.
    std::mutex m_handshakeLock;
    // Serialises start and stop without blocking the sends: stop joins the
    // channel threads, whose callbacks may be sending at that moment.
    std::mutex m_lifecycleLock;
};

}  // namespace nerevnet
