// TCP transport: a packet connection on the configured port and a message
// connection on port + 1, each a stream of 4-byte-header frames with its own
// event loop and thread.
#pragma once

#include "channel_core.h"
#include "frame_codec.h"
#include "socket_io.h"

#include <asio.hpp>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace nerevnet {

// One framed TCP connection, as client (reconnecting) or server (one client
// at a time). Reads run on the connection's thread; writes run on the
// caller's thread through the native handle, under m_writeLock, which the
// connection's thread also takes before it replaces or closes the socket.
class AsioTcpImpl : public ChannelCore {
public:
    using ReceiveCallback = std::function<void(const uint8_t* data, size_t length, void* owner)>;
    using StatusCallback = std::function<void(int32_t status, void* owner)>;

    struct Options {
        // Seconds between connection attempts of a client, and before a
        // server whose acceptor failed opens it again.
        int reconnectInterval = 1;
        // A server whose acceptor fails gives up instead of retrying.
        bool serverRetries = true;
        // A server reports 3 (disconnected) when its client goes, before it
        // waits for the next one with 1.
        bool serverReportsLoss = true;
        // Prefix of the "[..] Stop io context" line.
        const char* logName = "[Tcp]";
    };

    AsioTcpImpl(void* owner, ReceiveCallback onReceive, StatusCallback onStatus, Options options);
    ~AsioTcpImpl() override;

    AsioTcpImpl(const AsioTcpImpl&) = delete;
    AsioTcpImpl& operator=(const AsioTcpImpl&) = delete;

    bool isUp() const override { return m_status.load() == ConnectStatus_Connected; }
    int32_t status() const { return m_status.load(); }

    // Sends one frame; returns the payload bytes written, 0 on failure.
    uint32_t send(uint8_t type, const void* data, size_t length);
    // The same for a payload given in two parts (written as one frame).
    uint32_t send(uint8_t type, const void* first, size_t firstLength, const void* second, size_t secondLength);

private:
    // A server listens on all IPv4 addresses (before start() returns) and
    // accepts on the thread; a client connects on the thread.
    void open() override;
    void stopping() override;
    void close() override;
    void setStatus(int32_t status);
    void startClient();
    bool listen(asio::error_code& error);
    void openAcceptor();
    void acceptorFailed(const asio::error_code& error);
    void acceptNext();
    void connected();
    void receiveNext();
    void connectionEnded(const asio::error_code& error);
    void retryLater(void (AsioTcpImpl::*step)());
    void closeSocket();

    void* m_owner;
    ReceiveCallback m_onReceive;
    StatusCallback m_onStatus;
    Options m_options;

    std::unique_ptr<asio::ip::tcp::socket> m_socket;
    std::unique_ptr<asio::ip::tcp::acceptor> m_acceptor;
    asio::ip::tcp::endpoint m_peer;

    std::mutex m_writeLock;
    bool m_writable = false;              // under m_writeLock
    NativeSocket m_writeHandle = NativeSocket(); // under m_writeLock
    std::atomic<bool> m_cancelWrites{false};

    std::atomic<int32_t> m_status{0};
    std::vector<uint8_t> m_readBuffer;
    FrameReader m_reader;
};

class TcpDriver : public DualChannelDriver {
public:
    TcpDriver();
    ~TcpDriver() override;

    int32_t init(NerevnetStartupConfig* config) override;
    int32_t getType() override;

private:
    int32_t sendOnMessageChannel(const char* data, uint32_t length) override;
    bool sendOnPacketChannel(const NerevnetPacket& packet, std::vector<uint8_t>& frame) override;

    std::unique_ptr<AsioTcpImpl> m_packetConnection;
    std::unique_ptr<AsioTcpImpl> m_messageConnection;
};

}  // namespace nerevnet
