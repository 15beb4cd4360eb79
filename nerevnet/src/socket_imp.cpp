#include "socket_imp.h"

#include "codes.h"
#include "logger.h"
#include "socket_io.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>

namespace nerevnet {

namespace {
// The receiver hands on at most kBroadcastBuffer bytes of a datagram. It reads
// into room for the largest datagram and cuts there itself, because a read
// into a smaller buffer reports the cut datagram differently per system.
constexpr size_t kBroadcastBuffer = 1024;
constexpr size_t kLargestDatagram = 65536;
// How long the receiver waits for a datagram before it looks whether it was stopped.
constexpr int kReceiveStepMs = 50;
constexpr int kSimpleTcpRetrySeconds = 3;
}  // namespace

std::string broadcastAddress()
{
    const char* configured = std::getenv("NEREVNET_BROADCAST_ADDRESS");
    return configured && *configured ? configured : "255.255.255.255";
}

// ------------------------------------------------------------ SimpleUdpImp

SimpleUdpImp::SimpleUdpImp(BroadcastReceiveCallback callback)
    : m_callback(callback), m_io(1), m_socket(m_io), m_buffer(kLargestDatagram)
{
    asio::error_code error;
    m_socket.open(asio::ip::udp::v4(), error);
    if (error) {
        NLOG_ERROR("SimpleUdp open socket fail: {}", error.message());
    }
}

SimpleUdpImp::~SimpleUdpImp()
{
    stop();
}

bool SimpleUdpImp::setupSender(uint16_t port)
{
    m_senderReady = false;
    asio::error_code error;
    if (!m_socket.is_open()) {
        m_socket.open(asio::ip::udp::v4(), error);
    }
    if (!error) {
        m_socket.set_option(asio::socket_base::broadcast(true), error);
    }
    asio::ip::address destination;
    if (!error) {
        destination = asio::ip::make_address(broadcastAddress(), error);
    }
    if (error) {
        NLOG_ERROR("Start server fail: {}", error.message());
        return false;
    }
    m_destination = asio::ip::udp::endpoint(destination, port);
    m_senderReady = true;
    NLOG_INFO("Bind broadcast local port:{}", port);
    return true;
}

size_t SimpleUdpImp::send(const void* data, size_t length)
{
    if (!m_senderReady) {
        return 0;
    }
    asio::error_code error;
    const size_t sent = m_socket.send_to(asio::buffer(data, length), m_destination, 0, error);
    if (error) {
        NLOG_ERROR("[UDP] BroadCast fail: {}", error.message());
        return 0;
    }
    return sent;
}

void SimpleUdpImp::startReceiver(uint16_t port)
{
    m_port = port;
    m_stopping = false;
    m_thread = std::thread([this] { receiveLoop(); });
}

bool SimpleUdpImp::openReceiver()
{
    asio::error_code error;
    if (!m_socket.is_open()) {
        m_socket.open(asio::ip::udp::v4(), error);
    }
    if (!error) {
        // Several programs on one machine may listen for the same announcements.
        m_socket.set_option(asio::socket_base::reuse_address(true), error);
    }
    if (!error) {
        m_socket.bind(asio::ip::udp::endpoint(asio::ip::udp::v4(), m_port), error);
    }
    if (!error) {
        m_socket.non_blocking(true, error);
    }
    if (error) {
        receiverFailed(error);
        return false;
    }
    return true;
}

void SimpleUdpImp::receiveLoop()
{
    bool bound = false;
    while (!m_stopping) {
        if (!bound) {
            bound = openReceiver();
            continue;
        }
        if (!waitReadable(NativeSocket(m_socket.native_handle()), kReceiveStepMs)) {
            continue;
        }
        asio::error_code error;
        size_t length = m_socket.receive_from(asio::buffer(m_buffer), m_sender, 0, error);
        if (error == asio::error::would_block || error == asio::error::try_again
            || error == asio::error::connection_reset || error == asio::error::connection_refused) {
            // Nothing after all, or (Windows) a report that a datagram this
            // socket never sent found no one.
            continue;
        }
        if (error) {
            receiverFailed(error);
            bound = false;
            continue;
        }
        if (length > 0 && m_callback) {
            const std::string from = m_sender.address().to_string();
            m_callback(m_buffer.data(), int32_t(std::min(length, kBroadcastBuffer)), from.c_str());
        }
    }
}

void SimpleUdpImp::receiverFailed(const asio::error_code& error)
{
    NLOG_ERROR("Start client fail {}", error.message());
    asio::error_code ignored;
    m_socket.close(ignored);
    // Try again in a second, unless the receiver is stopped meanwhile.
    std::unique_lock<std::mutex> lock(m_stopLock);
    m_stopSignal.wait_for(lock, std::chrono::seconds(1), [this] { return m_stopping.load(); });
}

void SimpleUdpImp::stop()
{
    if (!m_thread.joinable()) {
        return;
    }
    NLOG_INFO("[Udp] Stop io context");
    {
        std::lock_guard<std::mutex> lock(m_stopLock);
        m_stopping = true;
    }
    m_stopSignal.notify_all();
    m_thread.join();
    asio::error_code ignored;
    m_socket.close(ignored);
}

// --------------------------------------------------------------- SimpleUdp

SimpleUdp::SimpleUdp(BroadcastReceiveCallback callback) : m_imp(callback) {}

SimpleUdp::~SimpleUdp()
{
    stop();
    NLOG_INFO("Destroy SimpleUdp");
}

int32_t SimpleUdp::start(uint32_t port, bool sender)
{
    if (port < 1 || port > 65535) {
        NLOG_ERROR("SimpleUdp Start need a valid port");
        return code(ErrorCode::InvalidParam);
    }
    if (sender && m_started && m_sender && uint32_t(m_port) == port) {
        return code(ErrorCode::Success);
    }
    NLOG_INFO("SimpleUdp Call Start (port: {})", port);
    m_port = int32_t(port);
    m_sender = sender;
    m_started = true;
    if (sender) {
        m_imp.setupSender(uint16_t(port));
    } else {
        m_imp.startReceiver(uint16_t(port));
    }
    NLOG_INFO("[Udp] Start io context");
    return code(ErrorCode::Success);
}

bool SimpleUdp::broadcast(const void* data, uint32_t length)
{
    NLOG_DEBUG("[UDP] BroadCast");
    if (data == nullptr && length > 0) {
        return false;
    }
    return m_imp.send(data, length) > 0;
}

void SimpleUdp::stop()
{
    if (!m_started) {
        return;
    }
    NLOG_INFO("Stop SimpleUdp");
    m_imp.stop();
    m_started = false;
}

// --------------------------------------------------------------- SimpleTcp

namespace {
AsioTcpImpl::Options simpleTcpOptions()
{
    AsioTcpImpl::Options options;
    options.reconnectInterval = kSimpleTcpRetrySeconds;
    options.serverRetries = false;
    options.serverReportsLoss = true;
    options.logName = "[Udp]";
    return options;
}
}  // namespace

SimpleTcpImp::SimpleTcpImp(TcpDataCallback onData, TcpStatusCallback onStatus)
    : AsioTcpImpl(
          nullptr,
          [onData](const uint8_t* data, size_t length, void*) {
              if (onData) {
                  onData(reinterpret_cast<const char*>(data), int32_t(length));
              }
          },
          [onStatus](int32_t status, void*) {
              if (onStatus) {
                  onStatus(status);
              }
          },
          simpleTcpOptions())
{
}

SimpleTcp::SimpleTcp(TcpDataCallback onData, TcpStatusCallback onStatus) : m_imp(onData, onStatus)
{
    NLOG_INFO("Create SimpleTcp");
}

SimpleTcp::~SimpleTcp()
{
    stop();
    NLOG_INFO("Destroy SimpleTcp");
}

int32_t SimpleTcp::start(const char* address, uint32_t port, bool server)
{
    if (port < 1 || port > 65535) {
        NLOG_ERROR("SimpleTcp Start need a valid port");
        return code(ErrorCode::InvalidParam);
    }
    if (!server && (address == nullptr || *address == '\0')) {
        NLOG_ERROR("SimpleTcp Start need a valid address");
        return code(ErrorCode::InvalidParam);
    }
    NLOG_INFO("SimpleTcp Call Start (address: {}, port: {})", address ? address : "", port);
    std::lock_guard<std::mutex> lock(m_lock);
    m_server = server;
    m_imp.start(address ? address : "", uint16_t(port), server);
    return code(ErrorCode::Success);
}

uint32_t SimpleTcp::sendMessage(const char* data, uint32_t length)
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_imp.status() != ConnectStatus_Connected) {
        NLOG_DEBUG("sendMessage fail, no connection");
        return 0;
    }
    return m_imp.send(0, data, length);
}

void SimpleTcp::stop()
{
    if (!m_imp.isRunning()) {
        return;
    }
    NLOG_INFO("Stop SimpleTcp");
    m_imp.stop();
}

// ------------------------------------------------- process-wide facilities

namespace simple {

namespace {
// The four objects, destroyed (and so stopped) when the library is unloaded.
struct Facilities {
    Facilities()
    {
        // Touch the logging library first, so that its registry is built
        // before this object and still exists when this one is destroyed.
        spdlog::default_logger_raw();
    }
    std::unique_ptr<SimpleUdp> broadcastSender;
    std::unique_ptr<SimpleUdp> broadcastReceiver;
    std::unique_ptr<SimpleTcp> tcpClient;
    std::unique_ptr<SimpleTcp> tcpServer;
};

Facilities& facilities()
{
    static Facilities instance;
    return instance;
}
}  // namespace

bool broadcast(uint32_t port, const void* data, uint32_t length)
{
    if (!facilities().broadcastSender) {
        facilities().broadcastSender = std::make_unique<SimpleUdp>();
    }
    if (facilities().broadcastSender->start(port, true) != code(ErrorCode::Success)) {
        return false;
    }
    return facilities().broadcastSender->broadcast(data, length);
}

bool startBroadcastReceiver(uint32_t port, BroadcastReceiveCallback callback)
{
    facilities().broadcastReceiver.reset();
    facilities().broadcastReceiver = std::make_unique<SimpleUdp>(callback);
    if (facilities().broadcastReceiver->start(port, false) != code(ErrorCode::Success)) {
        facilities().broadcastReceiver.reset();
        return false;
    }
    return true;
}

void stopBroadcastReceiver()
{
    facilities().broadcastReceiver.reset();
}

bool startTcpClient(uint32_t port, const char* address, TcpDataCallback onData, TcpStatusCallback onStatus)
{
    facilities().tcpClient.reset();
    facilities().tcpClient = std::make_unique<SimpleTcp>(onData, onStatus);
    if (facilities().tcpClient->start(address, port, false) != code(ErrorCode::Success)) {
        facilities().tcpClient.reset();
        return false;
    }
    return true;
}

bool startTcpServer(uint32_t port, TcpDataCallback onData, TcpStatusCallback onStatus)
{
    facilities().tcpServer.reset();
    facilities().tcpServer = std::make_unique<SimpleTcp>(onData, onStatus);
    if (facilities().tcpServer->start("", port, true) != code(ErrorCode::Success)) {
        facilities().tcpServer.reset();
        return false;
    }
    return true;
}

bool sendTcpClient(const char* data, uint32_t length)
{
    if (!facilities().tcpClient) {
        NLOG_WARN("Please call nerevnet_startTcpClient first");
        return false;
    }
    return facilities().tcpClient->sendMessage(data, length) > 0;
}

bool sendTcpServer(const char* data, uint32_t length)
{
    if (!facilities().tcpServer) {
        NLOG_WARN("Please call nerevnet_startTcpServer first");
        return false;
    }
    return facilities().tcpServer->sendMessage(data, length) > 0;
}

void stopTcpClient()
{
    facilities().tcpClient.reset();
}

void stopTcpServer()
{
    facilities().tcpServer.reset();
}

}  // namespace simple

}  // namespace nerevnet
