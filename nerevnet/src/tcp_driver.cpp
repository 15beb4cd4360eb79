#include "tcp_driver.h"

#include "codes.h"
#include "logger.h"

#include <chrono>
#include <cstring>

namespace nerevnet {

namespace {

constexpr size_t kReadChunk = 64 * 1024;

}  // namespace

// ------------------------------------------------------------- connection

AsioTcpImpl::AsioTcpImpl(void* owner, ReceiveCallback onReceive, StatusCallback onStatus, Options options)
    : ChannelCore(options.logName, options.reconnectInterval),
      m_owner(owner),
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

void AsioTcpImpl::open()
{
    m_cancelWrites = false;
    m_socket = std::make_unique<asio::ip::tcp::socket>(io());
    m_acceptor = std::make_unique<asio::ip::tcp::acceptor>(io());
    if (isServer()) {
        // Listening before start() returns, so a client started right after
        // this is not refused; accepting runs on the connection's thread.
        asio::error_code error;
        const bool listening = listen(error);
        asio::post(io(), [this, listening, error] {
            if (listening) {
                acceptNext();
            } else {
                acceptorFailed(error);
            }
        });
    } else {
        asio::post(io(), [this] { startClient(); });
    }
}

void AsioTcpImpl::stopping()
{
    // A write waiting for a peer that does not read gives up, so that the
    // thread (which may be waiting for the write lock) can finish.
    m_cancelWrites = true;
}

void AsioTcpImpl::close()
{
    closeSocket();
    asio::error_code ignored;
    m_acceptor->close(ignored);
    m_acceptor.reset();
    m_socket.reset();
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
    NLOG_INFO("Wait {} second to reconnect", reconnectInterval());
    ChannelCore::retryLater([this, step] { (this->*step)(); });
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
    NLOG_INFO("Start connect server: {}:{}", address(), port());
    setStatus(ConnectStatus_Connecting);
    asio::error_code error;
    const auto server = asio::ip::make_address(address(), error);
    if (error) {
        NLOG_ERROR("Start client fail {}", error.message());
        retryLater(&AsioTcpImpl::startClient);
        return;
    }
    m_peer = asio::ip::tcp::endpoint(server, port());
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
    const asio::ip::tcp::endpoint local(asio::ip::tcp::v4(), port());
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
    NLOG_INFO("Start accept client: *:{}", port());
    setStatus(ConnectStatus_Connecting);
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
    setStatus(ConnectStatus_Connected);
    if (isServer()) {
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
    if (isServer()) {
        if (m_options.serverReportsLoss) {
            setStatus(ConnectStatus_Disconnected);
        }
        acceptNext();
        return;
    }
    setStatus(ConnectStatus_Disconnected);
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
    return NetworkType_Tcp;
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
    return code(ErrorCode::Success);
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
