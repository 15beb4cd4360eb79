// Stand-alone facilities that need no instance: a UDP broadcast sender and
// receiver (SimpleUdp) and one plain framed TCP client or server (SimpleTcp).
#pragma once

#include "tcp_driver.h"

#include <asio.hpp>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace nerevnet {

using BroadcastReceiveCallback = NerevnetBroadcastCallback;
using TcpDataCallback = NerevnetTcpDataCallback;
using TcpStatusCallback = NerevnetTcpStatusCallback;

// Destination of broadcasts. NEREVNET_BROADCAST_ADDRESS replaces the
// limited broadcast address (tests send to 127.0.0.1 so nothing leaves the
// machine).
std::string broadcastAddress();

class SimpleUdpImp {
public:
    explicit SimpleUdpImp(BroadcastReceiveCallback callback);
    ~SimpleUdpImp();

    SimpleUdpImp(const SimpleUdpImp&) = delete;
    SimpleUdpImp& operator=(const SimpleUdpImp&) = delete;

    // Sender: enables broadcast and sets the destination, on the caller's thread.
    bool setupSender(uint16_t port);
    size_t send(const void* data, size_t length);

    // Receiver: a thread of its own that waits for datagrams in short steps
    // and hands each to the callback. It uses no overlapped (asynchronous)
    // receive: cancelling one when the receiver stops let Windows complete it
    // into memory already released.
    void startReceiver(uint16_t port);
    void stop();

private:
    void receiveLoop();
    bool openReceiver();
    void receiverFailed(const asio::error_code& error);

    BroadcastReceiveCallback m_callback;
    asio::io_context m_io;  // the sockets' executor; never run
    asio::ip::udp::socket m_socket;
    asio::ip::udp::endpoint m_destination;
    asio::ip::udp::endpoint m_sender;
    uint16_t m_port = 0;
    bool m_senderReady = false;
    std::atomic<bool> m_stopping{false};
    std::mutex m_stopLock;
    std::condition_variable m_stopSignal;
    std::thread m_thread;
    std::vector<char> m_buffer;
};

class SimpleUdp {
public:
    explicit SimpleUdp(BroadcastReceiveCallback callback = nullptr);
    ~SimpleUdp();

    int32_t start(uint32_t port, bool sender);
    bool broadcast(const void* data, uint32_t length);
    void stop();

private:
    int32_t m_port = 0;
    bool m_sender = false;
    bool m_started = false;
    SimpleUdpImp m_imp;
};

class SimpleTcpImp : public AsioTcpImpl {
public:
    SimpleTcpImp(TcpDataCallback onData, TcpStatusCallback onStatus);
};

class SimpleTcp {
public:
    SimpleTcp(TcpDataCallback onData, TcpStatusCallback onStatus);
    ~SimpleTcp();

    int32_t start(const char* address, uint32_t port, bool server);
    uint32_t sendMessage(const char* data, uint32_t length);
    void stop();

private:
    bool m_server = false;
    std::mutex m_lock;
    SimpleTcpImp m_imp;
};

// The process-wide objects behind the broadcast and plain TCP exports.
namespace simple {
bool broadcast(uint32_t port, const void* data, uint32_t length);
bool startBroadcastReceiver(uint32_t port, BroadcastReceiveCallback callback);
void stopBroadcastReceiver();
bool startTcpClient(uint32_t port, const char* address, TcpDataCallback onData, TcpStatusCallback onStatus);
bool startTcpServer(uint32_t port, TcpDataCallback onData, TcpStatusCallback onStatus);
bool sendTcpClient(const char* data, uint32_t length);
bool sendTcpServer(const char* data, uint32_t length);
void stopTcpClient();
void stopTcpServer();
}  // namespace simple

}  // namespace nerevnet
