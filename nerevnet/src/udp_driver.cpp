#include "udp_driver.h"

#include "codes.h"
#include "frame_codec.h"
#include "logger.h"
#include "segment_pool.h"
#include "socket_io.h"

#include "ikcp.h"

#include <algorithm>
#include <chrono>
#include <cstddef>

namespace nerevnet {

namespace {

// Windows of 2048 segments (2.8 MB) on our side. Without congestion control
// the window is the only bound on what is in flight, and it must hold a
// frame sent at once (at 400 Mbit/s and 90 frames per second about 400
// segments) plus what the link carries while a lost segment holds the
// window's lower edge: about two round trips until its resend is
// acknowledged, at 400 Mbit/s and a 12 ms Wi-Fi round trip about 870
// segments. KCP advertises its free receive window in every segment and
// never has more in flight than the peer advertises, so a peer with windows
// of 128 still gets and sends no more than 128 at a time.
constexpr int kSendWindow = 2048;
constexpr int kReceiveWindow = 2048;
// ikcp_send refuses a message of IKCP_WND_RCV (128) fragments or more,
// whatever the windows are.
constexpr size_t kMaxFragments = 127;
constexpr int kNoDelay = 2;
constexpr int kIntervalMs = 10;
constexpr int kFastResend = 2;
constexpr int kNoCongestionControl = 1;
// KCP's retransmission timeout follows the measured round trip: smoothed
// round trip plus the larger of four mean deviations and its 10 ms interval.
// Its floor in no-delay mode is 30 ms; ours is 10 ms, which changes nothing
// but the floor. Margins below the interval (3 or 6 ms) were tried: whenever
// the peer's thread is not scheduled for a few milliseconds its
// acknowledgements come late, and a timeout then resends segments that were
// never lost, up to a whole window at once (on the shared 2-core machine 5 to
// 50 % of the segments at 200 to 400 Mbit/s), which made latency worse, not
// better. A lost segment that later segments were acknowledged after is
// resent on the second such acknowledgement (fast resend), well before its
// timeout. Sender side only: nothing on the wire changes.
constexpr IINT32 kMinRtoMs = 10;
// A timeout resends at most this many of the oldest segments per flush; the
// others wait for a later flush. When acknowledgements are only late, a
// whole window resent at once doubles the load just when the peer is
// slowest; when segments were really lost, the oldest go first.
constexpr IUINT32 kTimeoutBurst = 64;
// While segments wait for their acknowledgement the channel flushes at least
// this often, so that a timeout is acted on within this time and not at the
// next 10 ms update; on a busy link the flushes after received datagrams
// come sooner anyway.
constexpr int kResendTickMs = 2;
// Keep-alive: a channel that has heard nothing from its peer for
// kProbeAfterMs asks for the peer's window (KCP's own window probe, which
// every KCP peer answers), at most once per kProbeAfterMs. A peer silent
// for kPeerSilenceMs is gone: several probes have gone unanswered.
constexpr int32_t kProbeAfterMs = 500;
constexpr int32_t kPeerSilenceMs = 2500;
// IKCP_ASK_SEND of ikcp.c: the flag that makes the next flush send a window probe.
constexpr IUINT32 kAskPeerWindow = 1;
// A client without hi this long after its hello starts the attempt again,
// with a new socket and a new hello: on a lossy link either may be lost, and
// a single hello left the channel Connecting for good. A new socket (a new
// port) and a new KCP conversation keep both ends in step: the server begins
// a new conversation with every hello, whether or not it answered the
// earlier one.
constexpr int kHelloWaitMs = 1000;
// KCP marks the link dead after 20 transmissions of one segment, which with
// short timeouts comes after well under a second of silence. The channel
// gives up on its peer for that only when, besides, nothing it sent has been
// acknowledged for kNoProgressMs (a peer that answers the probes but never
// acknowledges data, for example after it started over).
constexpr int32_t kNoProgressMs = 3000;
constexpr size_t kKcpMtu = 1400;
constexpr size_t kKcpOverhead = 24;
constexpr uint8_t kPushCommand = 81;  // IKCP_CMD_PUSH: a data segment
constexpr size_t kMaxDatagram = 4096;
// A full window sent at once (2048 segments, 2.8 MB) must not overflow the
// socket buffers, a few hundred kilobytes by default.
constexpr int kSocketBufferBytes = 4 * 1024 * 1024;
// Datagrams taken in one go before the thread turns to its other work (the
// flushes that sends asked for, the update timer). One flush answers them all.
constexpr int kBurstDatagrams = 64;

// Milliseconds of the steady clock, truncated to KCP's 32-bit clock.
IUINT32 kcpMillis(std::chrono::steady_clock::time_point time)
{
    return IUINT32(std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count());
}

// The later of two KCP times (they wrap around).
IUINT32 laterOf(IUINT32 a, IUINT32 b)
{
    return int32_t(a - b) > 0 ? a : b;
}

// Sets KCP's clock to now before a flush or an input outside the update:
// KCP stamps segments, takes round-trip samples and schedules
// retransmissions by it. It never goes back.
void advanceClock(IKCPCB* kcp)
{
    kcp->current = laterOf(kcpMillis(std::chrono::steady_clock::now()), kcp->current);
}

const IKCPSEG* segmentOf(const IQUEUEHEAD* node)
{
    return reinterpret_cast<const IKCPSEG*>(reinterpret_cast<const char*>(node) - offsetof(IKCPSEG, node));
}

// Before a flush: timeouts counted as TCP counts them. A segment's timeout
// runs from its last transmission or from the latest acknowledgement,
// whichever came later: while acknowledgements keep coming the link
// delivers, and a segment not yet acknowledged is most likely queued behind
// the others (a window's worth sent at once takes a while to drain), not
// lost; a lost one is resent fast, on the acknowledgements of later ones.
// And a timeout resends at most the kTimeoutBurst oldest segments per flush.
void holdBackTimeouts(IKCPCB* kcp, IUINT32 lastAcknowledgement)
{
    const IUINT32 now = kcp->current;
    const IUINT32 limit = kcp->snd_una + kTimeoutBurst;
    for (IQUEUEHEAD* node = kcp->snd_buf.next; node != &kcp->snd_buf; node = node->next) {
        auto* segment = const_cast<IKCPSEG*>(segmentOf(node));
        if (segment->xmit == 0 || int32_t(now - segment->resendts) < 0) {
            continue;
        }
        const IUINT32 sinceAcknowledgement = lastAcknowledgement + segment->rto;
        if (int32_t(now - sinceAcknowledgement) < 0) {
            segment->resendts = sinceAcknowledgement;
        } else if (int32_t(segment->sn - limit) >= 0) {
            segment->resendts = now + kResendTickMs;
        }
    }
}

}  // namespace

// ---------------------------------------------------------------- channel

AsioUdpImpl::AsioUdpImpl(UdpDriver* driver, ReceiveCallback callback, int reconnectInterval)
    : ChannelCore("[Udp]", reconnectInterval), m_driver(driver), m_callback(std::move(callback)), m_datagram(kMaxDatagram)
{
}

AsioUdpImpl::~AsioUdpImpl()
{
    stop();
}

size_t AsioUdpImpl::maxMessageSize()
{
    return kMaxFragments * (kKcpMtu - kKcpOverhead);
}

void AsioUdpImpl::open()
{
    m_connected = false;
    m_flushRequested = false;
    m_waitingRetry = false;
    m_resendArmed = false;
    m_socket = std::make_unique<asio::ip::udp::socket>(io());
    m_updateTimer = std::make_unique<asio::steady_timer>(io());
    m_resendTimer = std::make_unique<asio::steady_timer>(io());
    m_helloTimer = std::make_unique<asio::steady_timer>(io());

    asio::post(io(), [this] {
        m_updateTimer->expires_after(std::chrono::milliseconds(kIntervalMs));
        scheduleUpdate();
    });
    if (isServer()) {
        // Bound before start() returns, so a client started right after this
        // finds the port open; the rest runs on the channel's thread.
        asio::error_code error;
        const bool bound = bindServer(error);
        asio::post(io(), [this, bound, error] {
            if (bound) {
                serverBound();
            } else {
                failed(error);
            }
        });
    } else {
        asio::post(io(), [this] { startClient(); });
    }
    NLOG_INFO("[Udp] Start io context");
}

void AsioUdpImpl::close()
{
    m_connected = false;
    releaseKcp();
    m_resendTimer.reset();
    m_helloTimer.reset();
    m_updateTimer.reset();
    m_socket.reset();
}

void AsioUdpImpl::restartWithSibling()
{
    post([this] {
        if (!m_waitingRetry) {
            failed(asio::error::make_error_code(asio::error::connection_aborted), false);
        }
    });
}

void AsioUdpImpl::lostPeerWithSibling()
{
    const uint32_t hellos = m_hellos.load();
    post([this, hellos] {
        if (!m_waitingRetry && m_hellos.load() == hellos) {
            peerLost("the other channel lost the peer", false);
        }
    });
}

void AsioUdpImpl::peerLost(const char* reason, bool tellSibling)
{
    NLOG_WARN("[Udp] Peer lost: {}", reason);
    if (tellSibling && m_sibling) {
        // The other channel's conversation is with the same peer: it stops
        // counting as up right away, so that the returning client's hello
        // on this channel cannot complete the link with it before the other
        // channel has handled the loss on its own thread. Unless that
        // channel has already taken the returning client's hello.
        std::lock_guard<std::mutex> handshake(m_driver->m_handshakeLock);
        if (m_sibling->m_hellos.load() <= m_hellos.load()) {
            m_sibling->m_connected = false;
        }
    }
    if (m_connected.exchange(false)) {
        m_driver->onConnectStatus(ConnectStatus_Disconnected);
    }
    // A fresh conversation for the next client's hello.
    createKcp();
    if (tellSibling && m_sibling) {
        m_sibling->lostPeerWithSibling();
    }
}

void AsioUdpImpl::peerRestarted()
{
    m_connected = false;
}

void AsioUdpImpl::scheduleUpdate()
{
    m_updateTimer->async_wait([this](const asio::error_code& error) {
        if (error) {
            return;
        }
        const auto expiry = m_updateTimer->expiry();
        const char* lost = updateKcp(kcpMillis(expiry));
        // Keep a fixed 10 ms grid so the update rate does not drift with
        // the time the handlers take; skip ahead only after a long stall.
        auto next = expiry + std::chrono::milliseconds(kIntervalMs);
        const auto now = asio::steady_timer::clock_type::now();
        if (next + std::chrono::milliseconds(kIntervalMs * 10) < now) {
            next = now + std::chrono::milliseconds(kIntervalMs);
        }
        m_updateTimer->expires_at(next);
        if (lost) {
            // The peer went away without the socket noticing.
            if (isServer()) {
                peerLost(lost, true);
            } else {
                NLOG_WARN("[Udp] Peer lost: {}", lost);
                failed(asio::error::make_error_code(asio::error::timed_out));
            }
        }
        scheduleUpdate();
    });
}

bool AsioUdpImpl::bindServer(asio::error_code& error)
{
    m_socket->open(asio::ip::udp::v4(), error);
    if (!error) {
        m_socket->bind(asio::ip::udp::endpoint(asio::ip::udp::v4(), port()), error);
    }
    return !error;
}

void AsioUdpImpl::startServer()
{
    asio::error_code error;
    if (!bindServer(error)) {
        failed(error);
        return;
    }
    serverBound();
}

void AsioUdpImpl::prepareSocket()
{
    asio::error_code ignored;
    m_socket->set_option(asio::socket_base::receive_buffer_size(kSocketBufferBytes), ignored);
    m_socket->set_option(asio::socket_base::send_buffer_size(kSocketBufferBytes), ignored);
    // Non-blocking, so that a burst of datagrams is read until none is left.
    m_socket->non_blocking(true, ignored);
    enableUdpErrorReports(static_cast<NativeSocket>(m_socket->native_handle()));
}

void AsioUdpImpl::serverBound()
{
    prepareSocket();
    asio::error_code ignored;
    const auto local = m_socket->local_endpoint(ignored);
    NLOG_INFO("Bind local address: {}:{}", local.address().to_string(), local.port());
    createKcp();
    m_driver->onConnectStatus(ConnectStatus_Connecting);
    NLOG_INFO("[Udp] Start receive udp packet");
    receiveNext();
}

void AsioUdpImpl::startClient()
{
    asio::error_code error;
    const auto address = asio::ip::make_address(this->address(), error);
    if (!error) {
        m_remote = asio::ip::udp::endpoint(address, port());
        m_socket->open(m_remote.protocol(), error);
    }
    if (error) {
        failed(error);
        return;
    }
    prepareSocket();
    asio::error_code ignored;
    const auto local = m_socket->local_endpoint(ignored);
    NLOG_INFO("Bind local address: {}:{}", local.address().to_string(), local.port());
    sendDatagram(kHelloDatagram, sizeof(kHelloDatagram), m_remote, error);
    if (error) {
        failed(error);
        return;
    }
    NLOG_INFO("Send hello to server {}:{}", m_remote.address().to_string(), m_remote.port());
    awaitHi();
    createKcp();
    m_driver->onConnectStatus(ConnectStatus_Connecting);
    NLOG_INFO("Connect to {}:{}", m_remote.address().to_string(), m_remote.port());
    NLOG_INFO("[Udp] Start receive udp packet");
    receiveNext();
}

void AsioUdpImpl::awaitHi()
{
    m_helloTimer->expires_after(std::chrono::milliseconds(kHelloWaitMs));
    m_helloTimer->async_wait([this](const asio::error_code& error) {
        if (error || m_connected || m_waitingRetry) {
            return;
        }
        NLOG_WARN("[Udp] No hi from the server within {} ms, start again", kHelloWaitMs);
        releaseKcp();
        closeSocket();
        startClient();
    });
}

void AsioUdpImpl::failed(const asio::error_code& error, bool tellSibling)
{
    m_waitingRetry = true;
    if (isServer()) {
        NLOG_ERROR("Start server fail: {}", error.message());
    } else {
        NLOG_ERROR("Start client fail {}", error.message());
    }
    if (m_connected.exchange(false)) {
        m_driver->onConnectStatus(ConnectStatus_Disconnected);
    }
    releaseKcp();
    closeSocket();
    if (isServer()) {
        NLOG_INFO("Restart server after {} seconds ...", reconnectInterval());
    } else {
        NLOG_INFO("Restart client after {} seconds ...", reconnectInterval());
    }
    if (tellSibling && m_sibling) {
        // The peer sees both channels as one link: a client re-sends hello
        // on both, a server waits for hello on both.
        m_sibling->restartWithSibling();
    }
    retryLater([this] {
        m_waitingRetry = false;
        if (isServer()) {
            startServer();
        } else {
            startClient();
        }
    });
}

void AsioUdpImpl::receiveNext()
{
    const uint32_t socketGeneration = m_socketGeneration;
    m_socket->async_receive_from(asio::buffer(m_datagram), m_sender,
                                 [this, socketGeneration](const asio::error_code& error, size_t length) {
                                     // A receive of a socket closed since may end with an error of its
                                     // own (Wine's is not operation_aborted): not the new socket's.
                                     if (socketGeneration == m_socketGeneration) {
                                         onDatagram(error, length);
                                     }
                                 });
}

void AsioUdpImpl::closeSocket()
{
    ++m_socketGeneration;
    asio::error_code ignored;
    m_socket->close(ignored);
}

void AsioUdpImpl::sendDatagram(const void* data, size_t length, const asio::ip::udp::endpoint& to,
                               asio::error_code& error)
{
    for (;;) {
        m_socket->send_to(asio::buffer(data, length), to, 0, error);
        if (error != asio::error::would_block && error != asio::error::try_again) {
            return;
        }
        // The socket is non-blocking: wait for room rather than drop.
        m_socket->wait(asio::socket_base::wait_write, error);
        if (error) {
            return;
        }
    }
}

void AsioUdpImpl::sendHandshake(const uint8_t* data, size_t length, const asio::ip::udp::endpoint& to)
{
    asio::error_code error;
    sendDatagram(data, length, to, error);
    if (error) {
        NLOG_ERROR("[UDP] Udp send fail: {}", error.message());
    }
}

void AsioUdpImpl::onDatagram(const asio::error_code& error, size_t length)
{
    if (error == asio::error::operation_aborted) {
        return;
    }
    // Take every datagram that is waiting (up to a burst), then answer them
    // with one flush: their acknowledgements leave together, and so does
    // whatever the acknowledged window now lets go.
    asio::error_code status = error;
    int taken = 0;
    while (!status) {
        takeDatagram(length);
        if (++taken == kBurstDatagrams) {
            break;
        }
        length = m_socket->receive_from(asio::buffer(m_datagram), m_sender, 0, status);
    }
    if (taken > 0) {
        deliverMessages();
        flushKcp();
    }
    if (status && status != asio::error::would_block && status != asio::error::try_again) {
        receiveFailed(status);
        return;
    }
    if (m_socket->is_open()) {
        receiveNext();
    }
}

void AsioUdpImpl::receiveFailed(const asio::error_code& error)
{
    if (error == asio::error::connection_refused || error == asio::error::connection_reset) {
        drainUdpErrorReports(static_cast<NativeSocket>(m_socket->native_handle()));
        if (isServer()) {
            // The client's port is closed: the socket itself is fine, and
            // closing it would only make the returning client's hello bounce.
            peerLost(error.message().c_str(), true);
            receiveNext();
            return;
        }
    }
    failed(error);
}

void AsioUdpImpl::takeDatagram(size_t length)
{
    m_remote = m_sender;
    NLOG_DEBUG("Udp receive data, size: {}", length);
    switch (classifyDatagram(m_datagram.data(), length)) {
    case DatagramKind::Hello: {
        NLOG_INFO("[Udp] Receive hello, server connected");
        std::lock_guard<std::mutex> handshake(m_driver->m_handshakeLock);
        if (m_connected.exchange(false)) {
            // The client started over: the old conversation is gone on its
            // side, on both channels (the other one gets its own hello).
            if (m_sibling) {
                m_sibling->peerRestarted();
            }
            m_driver->onConnectStatus(ConnectStatus_Disconnected);
        }
        // Every hello begins a new KCP conversation; a control block that has
        // seen an earlier client would discard the new client's sequence numbers.
        releaseKcp();
        createKcp();
        ++m_hellos;
        m_connected = true;
        sendHandshake(kHiDatagram, sizeof(kHiDatagram), m_sender);
        m_driver->onConnectStatus(ConnectStatus_Connected);
        break;
    }
    case DatagramKind::Hi: {
        NLOG_INFO("[Udp] Receive hi, client connected");
        {
            std::lock_guard<std::mutex> lock(m_kcpLock);
            if (m_kcp) {
                advanceClock(m_kcp);
                m_lastHeard = m_kcp->current;
            }
        }
        m_connected = true;
        m_driver->onConnectStatus(ConnectStatus_Connected);
        break;
    }
    case DatagramKind::Data: {
        std::lock_guard<std::mutex> lock(m_kcpLock);
        if (m_kcp) {
            // Round-trip samples are taken against KCP's clock.
            advanceClock(m_kcp);
            const IUINT32 waiting = m_kcp->nsnd_buf;
            if (ikcp_input(m_kcp, reinterpret_cast<const char*>(m_datagram.data()), long(length)) == 0) {
                m_lastHeard = m_kcp->current;
            }
            if (m_kcp->nsnd_buf < waiting) {
                m_lastAcknowledged = m_kcp->current;
            }
        }
        break;
    }
    }
}

void AsioUdpImpl::deliverMessages()
{
    for (;;) {
        int received = 0;
        {
            std::lock_guard<std::mutex> lock(m_kcpLock);
            if (!m_kcp) {
                return;
            }
            // Peek size 0 is a complete empty message: it is taken (and
            // passed on) like any other, or it would block every later one.
            const int size = ikcp_peeksize(m_kcp);
            if (size < 0) {
                return;
            }
            if (m_message.size() < size_t(size) + 1) {
                m_message.resize(size_t(size) + 1);
            }
            received = ikcp_recv(m_kcp, reinterpret_cast<char*>(m_message.data()), size);
        }
        if (received < 0) {
            return;
        }
        NLOG_DEBUG("Kcp receive data, size: {}", received);
        // Called without the KCP lock: the callback may send on this channel.
        if (m_callback) {
            m_callback(m_message.data(), size_t(received), m_driver);
        }
    }
}

void AsioUdpImpl::requestFlush()
{
    if (m_flushRequested.exchange(true)) {
        return;
    }
    const bool posted = post([this] {
        // Cleared first: a send during this flush asks for the next one.
        m_flushRequested = false;
        flushKcp();
    });
    if (!posted) {
        m_flushRequested = false;
    }
}

void AsioUdpImpl::flushKcp()
{
    bool waiting = false;
    {
        std::lock_guard<std::mutex> lock(m_kcpLock);
        if (!m_kcp) {
            return;
        }
        advanceClock(m_kcp);
        holdBackTimeouts(m_kcp, m_lastAcknowledged);
        ikcp_flush(m_kcp);
        waiting = m_kcp->nsnd_buf > 0;
    }
    sendOutgoing();
    keepResending(waiting);
}

void AsioUdpImpl::keepResending(bool waiting)
{
    if (!waiting || m_resendArmed) {
        return;
    }
    m_resendArmed = true;
    m_resendTimer->expires_after(std::chrono::milliseconds(kResendTickMs));
    m_resendTimer->async_wait([this](const asio::error_code& error) {
        if (error) {
            return;
        }
        m_resendArmed = false;
        flushKcp();
    });
}

const char* AsioUdpImpl::updateKcp(uint32_t at)
{
    const char* lost = nullptr;
    bool waiting = false;
    {
        std::lock_guard<std::mutex> lock(m_kcpLock);
        if (!m_kcp) {
            return nullptr;
        }
        // The timer's expiry keeps KCP's flush schedule on the 10 ms grid; a
        // flush in between may already have moved the clock past it.
        const IUINT32 now = laterOf(at, m_kcp->current);
        const bool connected = m_connected;
        if (connected && int32_t(now - m_lastHeard) >= kProbeAfterMs && int32_t(now - m_lastProbe) >= kProbeAfterMs) {
            // Sent by the flush of this update.
            m_kcp->probe |= kAskPeerWindow;
            m_lastProbe = now;
        }
        m_kcp->current = now;
        holdBackTimeouts(m_kcp, m_lastAcknowledged);
        ikcp_update(m_kcp, now);
        if (m_kcp->nsnd_buf == 0 || m_kcp->snd_una != m_ackedUpTo) {
            m_ackedUpTo = m_kcp->snd_una;
            m_lastProgress = now;
            // The segment that reached KCP's limit is acknowledged; should
            // another reach it, KCP marks the link again.
            m_kcp->state = 0;
        }
        if (connected && int32_t(now - m_lastHeard) >= kPeerSilenceMs) {
            lost = "no answer from the peer";
        } else if (m_kcp->state == IUINT32(-1) && int32_t(now - m_lastProgress) >= kNoProgressMs) {
            lost = "no acknowledgement";
        }
        waiting = m_kcp->nsnd_buf > 0;
    }
    sendOutgoing();
    keepResending(waiting);
    return lost;
}

void AsioUdpImpl::sendOutgoing()
{
    size_t offset = 0;
    for (const size_t size : m_outgoingSizes) {
        NLOG_DEBUG("[UDP] Udp send size: {}, dest: {}:{}", size, m_remote.address().to_string(), m_remote.port());
        asio::error_code error;
        sendDatagram(m_outgoing.data() + offset, size, m_remote, error);
        if (error) {
            // KCP sends it again.
            NLOG_ERROR("[UDP] Udp send fail: {}", error.message());
        }
        offset += size;
    }
    m_outgoing.clear();
    m_outgoingSizes.clear();
}

int AsioUdpImpl::send(const uint8_t* data, size_t length)
{
    if (!m_connected) {
        NLOG_WARN("[Udp] Kcp send fail: not connected");
        return -1;
    }
    NLOG_DEBUG("[UDP] Kcp send size: {}", length);
    if (length > maxMessageSize()) {
        // ikcp_send would refuse it as well; checking first also keeps the
        // length within the int that ikcp_send takes.
        NLOG_ERROR("[UDP] Kcp send fail: {} bytes exceed the maximum of {}", length, maxMessageSize());
        return -2;
    }
    int result = 0;
    {
        std::lock_guard<std::mutex> lock(m_kcpLock);
        if (!m_kcp) {
            NLOG_WARN("[Udp] Kcp send fail: not connected");
            return -1;
        }
        result = ikcp_send(m_kcp, reinterpret_cast<const char*>(data), int(length));
    }
    if (result == 0) {
        requestFlush();
    }
    return result;
}

void AsioUdpImpl::createKcp()
{
    IKCPCB* kcp = ikcp_create(0, this);
    ikcp_setoutput(kcp, &AsioUdpImpl::kcpOutput);
    kcp->writelog = &AsioUdpImpl::kcpLog;
    ikcp_wndsize(kcp, kSendWindow, kReceiveWindow);
    ikcp_nodelay(kcp, kNoDelay, kIntervalMs, kFastResend, kNoCongestionControl);
    kcp->rx_minrto = kMinRtoMs;
    NLOG_INFO("Create kcp sndwnd: {}, rcvwnd: {}, nodelay: {}, interval: {}ms, resend: {}, nc: {}", kSendWindow,
            kReceiveWindow, kNoDelay, kIntervalMs, kFastResend, kNoCongestionControl);
    // KCP flushes nothing before its first update; this one lets data that
    // the host sends right after the handshake leave at once.
    ikcp_update(kcp, kcpMillis(std::chrono::steady_clock::now()));
    std::lock_guard<std::mutex> lock(m_kcpLock);
    if (m_kcp) {
        endConversation(m_kcp);
    }
    m_kcp = kcp;
    m_dataSegments = 0;
    m_ackedUpTo = kcp->snd_una;
    m_lastProgress = kcp->current;
    m_lastHeard = kcp->current;
    m_lastProbe = kcp->current;
    m_lastAcknowledged = kcp->current;
}

void AsioUdpImpl::releaseKcp()
{
    std::lock_guard<std::mutex> lock(m_kcpLock);
    if (m_kcp) {
        endConversation(m_kcp);
        m_kcp = nullptr;
    }
}

void AsioUdpImpl::endConversation(IKCPCB* kcp)
{
    if (kcp->snd_nxt > 0) {
        NLOG_INFO("[Udp] Conversation ends: {} segments sent, {} of them again ({} after a timeout)", kcp->snd_nxt,
                  m_dataSegments - kcp->snd_nxt, kcp->xmit);
    }
    ikcp_release(kcp);
}

int AsioUdpImpl::kcpOutput(const char* buffer, int length, IKCPCB*, void* user)
{
    // Runs on the channel's thread inside a flush or update, with the KCP
    // lock held: the datagram waits for sendOutgoing(), so that the host's
    // sends never wait for socket calls.
    auto* self = static_cast<AsioUdpImpl*>(user);
    // Counts the data segments (first and repeated transmissions) for the
    // conversation's closing line: each segment is a 24-byte header (command
    // at byte 4, data length at byte 20, little endian) and its data.
    for (int at = 0; at + int(kKcpOverhead) <= length;) {
        const auto* header = reinterpret_cast<const uint8_t*>(buffer + at);
        const uint32_t dataLength = uint32_t(header[20]) | uint32_t(header[21]) << 8 | uint32_t(header[22]) << 16
                                    | uint32_t(header[23]) << 24;
        self->m_dataSegments += header[4] == kPushCommand ? 1 : 0;
        at += int(kKcpOverhead + dataLength);
    }
    self->m_outgoing.insert(self->m_outgoing.end(), buffer, buffer + length);
    self->m_outgoingSizes.push_back(size_t(length));
    return 0;
}

void AsioUdpImpl::kcpLog(const char* text, IKCPCB*, void*)
{
    NLOG_INFO("[KCP] {}", text);
}

// ----------------------------------------------------------------- driver

UdpDriver::UdpDriver() : DualChannelDriver({"UdpDriver", "sendPacket fail, no connection", false})
{
    NLOG_INFO("Create UdpDriver");
    useSegmentPool();
}

UdpDriver::~UdpDriver()
{
    stopChannels();
    NLOG_INFO("Destroy UdpDriver");
}

int32_t UdpDriver::getType()
{
    return NetworkType_Udp;
}

int32_t UdpDriver::init(NerevnetStartupConfig*)
{
    std::lock_guard<std::mutex> lock(driverLock());
    NLOG_INFO("Init UdpDriver");
    const int interval = config().reconnectInterval;
    m_packetChannel = std::make_unique<AsioUdpImpl>(
        this, [](const uint8_t* data, size_t length, UdpDriver* driver) { driver->receivePacketFrame(data, length); },
        interval);
    m_messageChannel = std::make_unique<AsioUdpImpl>(
        this, [](const uint8_t* data, size_t length, UdpDriver* driver) { driver->receiveMessage(data, length); },
        interval);
    m_packetChannel->setSibling(m_messageChannel.get());
    m_messageChannel->setSibling(m_packetChannel.get());
    setChannels(m_packetChannel.get(), m_messageChannel.get());
    return code(ErrorCode::Success);
}

int32_t UdpDriver::sendOnMessageChannel(const char* data, uint32_t length)
{
    if (data == nullptr && length > 0) {
        NLOG_ERROR("[UDP] sendMessage fail: no data");
        return -1;
    }
    return m_messageChannel->send(reinterpret_cast<const uint8_t*>(data), length);
}

bool UdpDriver::sendOnPacketChannel(const NerevnetPacket& packet, std::vector<uint8_t>& frame)
{
    if (!encodePacketFrame(packet, AsioUdpImpl::maxMessageSize(), frame)) {
        NLOG_ERROR("[UDP] sendPacket fail: size {} + extra size {} cannot be sent (at most {} bytes, data present)",
                 packet.size, packet.extraSize, AsioUdpImpl::maxMessageSize() - kPacketHeaderSize);
        return false;
    }
    return m_packetChannel->send(frame.data(), frame.size()) == 0;
}

}  // namespace nerevnet
