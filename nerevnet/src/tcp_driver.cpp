#include "tcp_driver.h"

#include "logger.h"

#include <chrono>
#include <cstring>

namespace nerevnet {

namespace {

constexpr size_t kReadChunk = 64 * 1024;

std::chrono::milliseconds retryDelay(int seconds)
{
    // A zero or negative interval would spin on a refused connection.
    return seconds > 0 ? std::chrono::milliseconds(seconds * 1000LL) : std::chrono::milliseconds(100);
}

}  // namespace

// ------------------------------------------------------------- connection

AsioTcpImpl::AsioTcpImpl(void* owner, ReceiveCallback onReceive, StatusCallback onStatus, Options options)
    : m_owner(owner),
      m_onReceive(std::move(onReceive)),
      m_onStatus(std::move(onStatus)),
      m_options(options),
      m_readBuffer(kReadChunk),
      m_reader([this](uint8_t type, const uint8_t* payload, uint32_t length) {
          NLOG_DEBUG("Receive data, type: {}, size: {}", type, length);
          if (type == 0 && m_onReceive) {
              m_onReceive(payload, length, m_owner);
          }
      })
{
}

AsioTcpImpl::~AsioTcpImpl()
{
    stop();
}

bool AsioTcpImpl::runsOnThisThread() const
{
    return m_thread.joinable() && m_thread.get_id() == std::this_thread::get_id();
}

void AsioTcpImpl::start(const std::string& address, uint16_t port, bool isServer)
{
    m_address = address;
    m_port = port;
    m_isServer = isServer;
    m_cancelWrites = false;
    m_io = std::make_unique<asio::io_context>(1);
    m_socket = std::make_unique<asio::ip::tcp::socket>(*m_io);
    m_acceptor = std::make_unique<asio::ip::tcp::acceptor>(*m_io);
    m_retryTimer = std::make_unique<asio::steady_timer>(*m_io);
    if (m_isServer) {
        // Listening before start() returns, so a client started right after
        // this is not refused; accepting runs on the connection's thread.
        asio::error_code error;
        const bool listening = listen(error);
        asio::post(*m_io, [this, listening, error] {
            if (listening) {
                acceptNext();
            } else {
                acceptorFailed(error);
            }
        });
    } else {
        asio::post(*m_io, [this] { startClient(); });
    }
    m_thread = std::thread([this] { run(); });
}

void AsioTcpImpl::run()
{
    for (;;) {
        try {
            m_io->run();
            return;
        } catch (const std::exception& e) {
            NLOG_ERROR("{} Event loop error: {}", m_options.logName, e.what());
        }
    }
}

void AsioTcpImpl::stop()
{
    if (!m_io) {
        return;
    }
    NLOG_INFO("{} Stop io context", m_options.logName);
    // A write waiting for a peer that does not read gives up, so that the
    // thread (which may be waiting for the write lock) can finish.
    m_cancelWrites = true;
    m_io->stop();
    if (m_thread.joinable()) {
        m_thread.join();
    }
    closeSocket();
    asio::error_code ignored;
    m_acceptor->close(ignored);
    m_retryTimer.reset();
    m_acceptor.reset();
    m_socket.reset();
    m_io.reset();
    m_reader.reset();
}

void AsioTcpImpl::setStatus(int32_t status)
{
    m_status = status;
    if (m_onStatus) {
        m_onStatus(status, m_owner);
    }
}

void AsioTcpImpl::retryLater(void (AsioTcpImpl::*step)())
{
    NLOG_INFO("Wait {} second to reconnect", m_options.reconnectInterval);
    m_retryTimer->expires_after(retryDelay(m_options.reconnectInterval));
    m_retryTimer->async_wait([this, step](const asio::error_code& error) {
        if (!error) {
            (this->*step)();
        }
    });
}

void AsioTcpImpl::closeSocket()
{
    std::lock_guard<std::mutex> lock(m_writeLock);
    m_writable = false;
    if (m_socket) {
        asio::error_code ignored;
        m_socket->close(ignored);
    }
}

void AsioTcpImpl::startClient()
{
    NLOG_INFO("Start connect server: {}:{}", m_address, m_port);
    setStatus(1);
    asio::error_code error;
    const auto address = asio::ip::make_address(m_address, error);
    if (error) {
        NLOG_ERROR("Start client fail {}", error.message());
        retryLater(&AsioTcpImpl::startClient);
        return;
    }
    m_peer = asio::ip::tcp::endpoint(address, m_port);
    m_socket->async_connect(m_peer, [this](const asio::error_code& connectError) {
        if (connectError == asio::error::operation_aborted) {
            return;
        }
        if (connectError) {
            NLOG_ERROR("Start client fail {}", connectError.message());
            closeSocket();
            retryLater(&AsioTcpImpl::startClient);
            return;
        }
        connected();
    });
}

bool AsioTcpImpl::listen(asio::error_code& error)
{
    const asio::ip::tcp::endpoint local(asio::ip::tcp::v4(), m_port);
    m_acceptor->open(local.protocol(), error);
    if (!error) {
        m_acceptor->set_option(asio::socket_base::reuse_address(true), error);
    }
    if (!error) {
        m_acceptor->bind(local, error);
    }
    if (!error) {
        m_acceptor->listen(asio::socket_base::max_listen_connections, error);
    }
    return !error;
}

void AsioTcpImpl::openAcceptor()
{
    asio::error_code error;
    if (!listen(error)) {
        acceptorFailed(error);
        return;
    }
    acceptNext();
}

void AsioTcpImpl::acceptorFailed(const asio::error_code& error)
{
    NLOG_ERROR("Start server fail {}", error.message());
    closeSocket();
    asio::error_code ignored;
    m_acceptor->close(ignored);
    if (m_options.serverRetries) {
        retryLater(&AsioTcpImpl::openAcceptor);
    }
}

void AsioTcpImpl::acceptNext()
{
    NLOG_INFO("Start accept client: *:{}", m_port);
    setStatus(1);
    m_acceptor->async_accept(*m_socket, m_peer, [this](const asio::error_code& error) {
        if (error == asio::error::operation_aborted) {
            return;
        }
        if (error) {
            acceptorFailed(error);
            return;
        }
        connected();
    });
}

void AsioTcpImpl::connected()
{
    asio::error_code ignored;
    m_socket->set_option(asio::ip::tcp::no_delay(true), ignored);
    {
        std::lock_guard<std::mutex> lock(m_writeLock);
        m_writeHandle = static_cast<NativeSocket>(m_socket->native_handle());
        setNonBlocking(m_writeHandle);
        m_writable = true;
    }
    m_reader.reset();
    setStatus(2);
    if (m_isServer) {
        NLOG_INFO("Accpet client: {}:{}", m_peer.address().to_string(), m_peer.port());
    }
    receiveNext();
}

void AsioTcpImpl::receiveNext()
{
    m_socket->async_read_some(asio::buffer(m_readBuffer), [this](const asio::error_code& error, size_t length) {
        if (error == asio::error::operation_aborted) {
            return;
        }
        if (error) {
            connectionEnded(error);
            return;
        }
        m_reader.feed(m_readBuffer.data(), length);
        receiveNext();
    });
}

void AsioTcpImpl::connectionEnded(const asio::error_code& error)
{
    NLOG_ERROR("Disconnect from {}:{}, err: {}", m_peer.address().to_string(), m_peer.port(), error.message());
    closeSocket();
    if (m_isServer) {
        if (m_options.serverReportsLoss) {
            setStatus(3);
        }
        acceptNext();
        return;
    }
    setStatus(3);
    retryLater(&AsioTcpImpl::startClient);
}

uint32_t AsioTcpImpl::send(uint8_t type, const void* data, size_t length)
{
    return send(type, data, length, nullptr, 0);
}

uint32_t AsioTcpImpl::send(uint8_t type, const void* first, size_t firstLength, const void* second,
                           size_t secondLength)
{
    const size_t length = firstLength + secondLength;
    if (length > kMaxFramePayload) {
        NLOG_ERROR("Send data exceed maximum: {}, send: {}", kMaxFramePayload, length);
        return 0;
    }
    if ((firstLength > 0 && first == nullptr) || (secondLength > 0 && second == nullptr)) {
        NLOG_ERROR("Send fail: {}", "no data");
        return 0;
    }
    // Header and the first part go out together, so a small message is one segment.
    std::vector<uint8_t> head;
    const bool joinFirst = firstLength <= 4096;
    head.resize(kFrameHeaderSize + (joinFirst ? firstLength : 0));
    encodeFrameHeader(type, uint32_t(length), head.data());
    if (joinFirst && firstLength > 0) {
        std::memcpy(head.data() + kFrameHeaderSize, first, firstLength);
    }
    std::lock_guard<std::mutex> lock(m_writeLock);
    if (!m_writable) {
        NLOG_ERROR("Send fail: {}", "not connected");
        return 0;
    }
    std::string error;
    bool ok = true;
    if (joinFirst) {
        ok = writeAll(m_writeHandle, head.data(), head.size(), second, secondLength, m_cancelWrites, error);
    } else {
        ok = writeAll(m_writeHandle, head.data(), head.size(), first, firstLength, m_cancelWrites, error)
             && writeAll(m_writeHandle, nullptr, 0, second, secondLength, m_cancelWrites, error);
    }
    if (!ok) {
        NLOG_ERROR("Send fail: {}", error);
        return 0;
    }
    return uint32_t(length);
}

// ----------------------------------------------------------------- driver

TcpDriver::TcpDriver() : DualChannelDriver({"TcpDriver", "sendMessage fail, no connection", true})
{
    NLOG_INFO("Create TcpDriver 1.31.0");
}

TcpDriver::~TcpDriver()
{
    stopChannels();
    NLOG_INFO("Destroy TcpDriver");
}

int32_t TcpDriver::getType()
{
    return 2;
}

int32_t TcpDriver::init(NerevnetStartupConfig*)
{
    std::lock_guard<std::mutex> lock(driverLock());
    NLOG_INFO("Init TcpDriver");
    AsioTcpImpl::Options options;
    options.reconnectInterval = config().reconnectInterval;
    auto onStatus = [](int32_t status, void* owner) { static_cast<TcpDriver*>(owner)->onConnectStatus(status); };
    m_packetConnection = std::make_unique<AsioTcpImpl>(
        this,
        [](const uint8_t* data, size_t length, void* owner) {
            static_cast<TcpDriver*>(owner)->receivePacketFrame(data, length);
        },
        onStatus, options);
    m_messageConnection = std::make_unique<AsioTcpImpl>(
        this,
        [](const uint8_t* data, size_t length, void* owner) {
            static_cast<TcpDriver*>(owner)->receiveMessage(data, length);
        },
        onStatus, options);
    setChannels(m_packetConnection.get(), m_messageConnection.get());
    return 0;
}

int32_t TcpDriver::sendOnMessageChannel(const char* data, uint32_t length)
{
    return int32_t(m_messageConnection->send(0, data, length));
}

bool TcpDriver::sendOnPacketChannel(const NerevnetPacket& packet, std::vector<uint8_t>& frame)
{
    if ((packet.size > 0 && packet.data == nullptr) || (packet.extraSize > 0 && packet.extraData == nullptr)) {
        NLOG_ERROR("[TCP] sendPacket fail: size {} + extra size {} without data", packet.size, packet.extraSize);
        return false;
    }
    if (!encodePacketFrame(packet, kMaxFramePayload, frame)) {
        const uint64_t extra = packet.extraSize > 0 ? uint64_t(packet.extraSize) : 0;
        NLOG_ERROR("Send data exceed maximum: {}, send: {}", kMaxFramePayload, kPacketHeaderSize + packet.size + extra);
        return false;
    }
    return m_packetConnection->send(0, frame.data(), frame.size()) == frame.size();
}

}  // namespace nerevnet
