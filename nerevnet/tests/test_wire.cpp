// The wire formats as a foreign peer sees them: a raw TCP socket and a raw
// KCP endpoint talk to a driver instance, byte by byte.
#include "transport_support.h"

#include "frame_codec.h"
#include "ikcp.h"
#include "link_relay.h"

using namespace transport_test;
using asio::ip::tcp;
using asio::ip::udp;

namespace {

std::string frame(uint8_t type, const std::string& payload)
{
    uint8_t header[4];
    nerevnet::encodeFrameHeader(type, uint32_t(payload.size()), header);
    return std::string(reinterpret_cast<char*>(header), 4) + payload;
}

std::string packetFrame(int32_t mediaType, const std::string& data, const std::string& extra, uint64_t declaredSize,
                        int64_t declaredExtra)
{
    NerevnetPacket header;
    std::memset(&header, 0, sizeof(header));
    header.mediaType = mediaType;
    header.size = declaredSize;
    header.extraSize = declaredExtra;
    // Pointer values of the sender mean nothing to the receiver.
    header.data = reinterpret_cast<const uint8_t*>(uintptr_t(0xdeadbeef));
    std::string bytes(reinterpret_cast<const char*>(&header), sizeof(header));
    return bytes + data + extra;
}

// Reads one frame from a blocking socket.
std::pair<uint8_t, std::string> readFrame(tcp::socket& socket)
{
    uint8_t header[4];
    asio::read(socket, asio::buffer(header));
    const auto decoded = nerevnet::decodeFrameHeader(header);
    std::string payload(decoded.length, '\0');
    asio::read(socket, asio::buffer(&payload[0], payload.size()));
    return {decoded.type, payload};
}

class TcpWire : public ::testing::Test {
protected:
    void SetUp() override
    {
        port = freePortPair(2);
        ASSERT_EQ(server.start("0.0.0.0", port), 0);
        packets.connect(tcp::endpoint(asio::ip::make_address("127.0.0.1"), port));
        messages.connect(tcp::endpoint(asio::ip::make_address("127.0.0.1"), uint16_t(port + 1)));
        ASSERT_TRUE(server.waitConnected());
    }

    asio::io_context io;
    tcp::socket packets{io};
    tcp::socket messages{io};
    Host server{2, true};
    uint16_t port = 0;
};

}  // namespace

TEST_F(TcpWire, SendsFramesWithTypeZeroAndBigEndianLength)
{
    const std::string message = patternBytes(70000, 9);
    EXPECT_EQ(nerevnet_sendMessage(server.handle(), message.data(), uint32_t(message.size()), true), 70000);
    const auto received = readFrame(messages);
    EXPECT_EQ(received.first, 0);
    EXPECT_TRUE(received.second == message);

    // An empty message is a bare 4-byte header.
    EXPECT_EQ(nerevnet_sendMessage(server.handle(), "", 0, true), 0);
    uint8_t header[4] = {1, 1, 1, 1};
    asio::read(messages, asio::buffer(header));
    EXPECT_EQ(std::memcmp(header, "\0\0\0\0", 4), 0);

    // 70000 = 0x011170.
    uint8_t encoded[4];
    nerevnet::encodeFrameHeader(0, 70000, encoded);
    EXPECT_EQ(std::memcmp(encoded, "\x00\x01\x11\x70", 4), 0);

    const std::string video = "abcdef";
    const std::string extra = "XY";
    NerevnetPacket packet;
    std::memset(&packet, 0, sizeof(packet));
    packet.mediaType = 5;
    packet.timestamp = 77;
    packet.data = reinterpret_cast<const uint8_t*>(video.data());
    packet.size = video.size();
    packet.extraData = reinterpret_cast<const uint8_t*>(extra.data());
    packet.extraSize = 2;
    ASSERT_TRUE(nerevnet_sendPacket(server.handle(), &packet));
    const auto packetBytes = readFrame(packets);
    ASSERT_EQ(packetBytes.second.size(), 56u + 6 + 2);
    NerevnetPacket onWire;
    std::memcpy(&onWire, packetBytes.second.data(), 56);
    EXPECT_EQ(onWire.mediaType, 5);
    EXPECT_EQ(onWire.timestamp, 77);
    EXPECT_EQ(onWire.size, 6u);
    EXPECT_EQ(onWire.extraSize, 2);
    EXPECT_EQ(packetBytes.second.substr(56), "abcdefXY");
}

TEST_F(TcpWire, DiscardsOtherFrameTypesAndMalformedPacketFrames)
{
    const size_t mark = logMark();
    const std::string stream = frame(5, "not for the host") + frame(0, "first") + frame(0, "") + frame(0, "last");
    // Dribbled byte by byte, frames still come out whole.
    for (char byte : stream) {
        asio::write(messages, asio::buffer(&byte, 1));
    }
    ASSERT_TRUE(eventually([&] { return server.messageCount() == 3; }));
    EXPECT_TRUE(server.messages() == (std::vector<std::string>{"first", "", "last"}));

    const std::string tooShort = frame(0, std::string(40, 'x'));
    const std::string sizeBeyondFrame = frame(0, packetFrame(1, "abc", "", 4, 0));
    const std::string extraBeyondFrame = frame(0, packetFrame(2, "abc", "de", 3, 3));
    const std::string hugeSize = frame(0, packetFrame(3, "", "", ~uint64_t(0), 0));
    const std::string negativeExtra = frame(0, packetFrame(4, "abc", "", 3, -5));
    const std::string good = frame(0, packetFrame(6, "abc", "de", 3, 2));
    asio::write(packets, asio::buffer(tooShort + sizeBeyondFrame + extraBeyondFrame + hugeSize + negativeExtra + good));
    ASSERT_TRUE(eventually([&] { return server.packetCount() == 2; }));
    const auto received = server.packets();
    EXPECT_EQ(received[0].mediaType, 4);
    EXPECT_EQ(received[0].data, "abc");
    EXPECT_FALSE(received[0].hasExtra) << "a negative extra size means no extra data";
    EXPECT_EQ(received[1].mediaType, 6);
    EXPECT_EQ(received[1].data, "abc");
    EXPECT_EQ(received[1].extra, "de");
    EXPECT_EQ(loggedCount(mark, "[TCP] Drop packet frame"), 4u);
}

TEST_F(TcpWire, RefusesMessagesAboveTheFrameLimitAndCarriesTheLargestOne)
{
    const size_t mark = logMark();
    std::string biggest(16777215, 'm');
    biggest[12345] = 'q';
    std::string tooBig(16777216, 'm');
    EXPECT_EQ(nerevnet_sendMessage(server.handle(), tooBig.data(), uint32_t(tooBig.size()), true), 0);
    EXPECT_TRUE(logged(mark, "Send data exceed maximum: 16777215, send: 16777216"));

    NerevnetPacket packet;
    std::memset(&packet, 0, sizeof(packet));
    packet.data = reinterpret_cast<const uint8_t*>(tooBig.data());
    packet.size = 16777215 - 56 + 1;
    EXPECT_FALSE(nerevnet_sendPacket(server.handle(), &packet));

    std::thread reader([&] {
        const auto received = readFrame(messages);
        EXPECT_EQ(received.second.size(), biggest.size());
        EXPECT_TRUE(received.second == biggest);
    });
    EXPECT_EQ(nerevnet_sendMessage(server.handle(), biggest.data(), uint32_t(biggest.size()), true), 16777215);
    reader.join();
}

TEST(TcpServer, ServesOneClientAtATime)
{
    const uint16_t port = freePortPair(2);
    Host server(2, true);
    ASSERT_EQ(server.start("0.0.0.0", port), 0);
    asio::io_context io;
    tcp::socket firstPackets(io), firstMessages(io), secondMessages(io);
    const auto address = asio::ip::make_address("127.0.0.1");
    firstPackets.connect(tcp::endpoint(address, port));
    firstMessages.connect(tcp::endpoint(address, uint16_t(port + 1)));
    ASSERT_TRUE(server.waitConnected());
    // The second client waits in the listen queue while the first is served.
    secondMessages.connect(tcp::endpoint(address, uint16_t(port + 1)));
    const std::string fromSecond = frame(0, "second");
    asio::write(secondMessages, asio::buffer(fromSecond));
    const std::string fromFirst = frame(0, "first");
    asio::write(firstMessages, asio::buffer(fromFirst));
    ASSERT_TRUE(eventually([&] { return server.messageCount() == 1; }));
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(server.messages().front(), "first");
    EXPECT_EQ(server.messageCount(), 1u);

    firstMessages.close();
    ASSERT_TRUE(eventually([&] { return server.messageCount() == 2; }));
    EXPECT_EQ(server.messages().back(), "second");
}

// ---------------------------------------------------------------- UDP

namespace {

// A peer built on nothing but the KCP library's basic use: hello/hi by hand,
// then KCP with the documented parameters (conversation 0, windows of 128,
// no delay 2, interval 10 ms, fast resend 2, no congestion control, message
// mode), driven only by ikcp_update every 10 ms on its own thread. It never
// flushes after a send or an input, so its segments and acknowledgements
// leave only at its updates. As client it sends hello to the server's port;
// as server it binds the port and answers every hello with hi.
class PlainKcpPeer {
public:
    PlainKcpPeer(bool server, uint16_t port)
        : m_server(server), m_socket(m_io, udp::endpoint(udp::v4(), server ? port : 0))
    {
        if (!server) {
            m_remote = udp::endpoint(asio::ip::make_address("127.0.0.1"), port);
        }
        m_kcp = ikcp_create(0, this);
        ikcp_setoutput(m_kcp, [](const char* buffer, int length, ikcpcb*, void* user) {
            auto* self = static_cast<PlainKcpPeer*>(user);
            if (!self->m_cutOff) {
                asio::error_code ignored;
                self->m_socket.send_to(asio::buffer(buffer, size_t(length)), self->m_remote, 0, ignored);
            }
            return 0;
        });
        ikcp_wndsize(m_kcp, 128, 128);
        ikcp_nodelay(m_kcp, 2, 10, 2, 1);
        m_socket.non_blocking(true);
        m_thread = std::thread([this] { run(); });
    }

    ~PlainKcpPeer()
    {
        m_running = false;
        m_thread.join();
        ikcp_release(m_kcp);
    }

    // Sends a datagram outside KCP to the peer.
    void sendRaw(const void* data, size_t length)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        asio::error_code ignored;
        m_socket.send_to(asio::buffer(data, length), m_remote, 0, ignored);
    }

    // Client: sends hello and waits for hi.
    bool handshake()
    {
        sendRaw("HELLO", 6);
        return waitFor([&] { return m_his > 0; }, 1000ms);
    }

    // Server: waits until a hello came and was answered.
    bool waitHello() { return waitFor([&] { return m_hellos > 0; }, 5000ms); }

    size_t hisSeen()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_his;
    }

    // Queues a message in KCP; it leaves at the next update.
    int send(const std::string& bytes)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return ikcp_send(m_kcp, bytes.data(), int(bytes.size()));
    }

    bool waitReceived(size_t count, std::chrono::milliseconds timeout = 10000ms)
    {
        return waitFor([&] { return m_received.size() >= count; }, timeout);
    }

    std::vector<std::string> received()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_received;
    }

    // The receive window the peer last saw advertised (segments free at the other side).
    uint32_t remoteWindow()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_kcp->rmt_wnd;
    }

    // A cut-off peer loses whatever arrives and whatever it sends, as if
    // the network between the two had gone; its KCP runs on.
    void setCutOff(bool cutOff)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_cutOff = cutOff;
    }

private:
    bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
    {
        std::unique_lock<std::mutex> lock(m_lock);
        return m_wake.wait_for(lock, timeout, condition);
    }

    static uint32_t nowMs()
    {
        return uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now().time_since_epoch())
                            .count());
    }

    void run()
    {
        uint32_t nextUpdate = nowMs();
        std::vector<char> buffer(4096);
        while (m_running) {
            {
                std::lock_guard<std::mutex> lock(m_lock);
                for (;;) {
                    asio::error_code error;
                    udp::endpoint from;
                    const size_t length = m_socket.receive_from(asio::buffer(buffer), from, 0, error);
                    if (error) {
                        break;
                    }
                    if (m_cutOff) {
                        continue;
                    }
                    if (m_server && length == 6 && std::memcmp(buffer.data(), "HELLO", 6) == 0) {
                        m_remote = from;
                        m_socket.send_to(asio::buffer("HI", 3), m_remote, 0, error);
                        ++m_hellos;
                    } else if (!m_server && length == 3 && std::memcmp(buffer.data(), "HI", 3) == 0) {
                        ++m_his;
                    } else {
                        ikcp_input(m_kcp, buffer.data(), long(length));
                    }
                }
                // An empty message is a message too (peek size 0).
                for (int size = ikcp_peeksize(m_kcp); size >= 0; size = ikcp_peeksize(m_kcp)) {
                    std::string message(size_t(size), '\0');
                    ikcp_recv(m_kcp, &message[0], size);
                    m_received.push_back(std::move(message));
                }
                const uint32_t now = nowMs();
                if (int32_t(now - nextUpdate) >= 0) {
                    ikcp_update(m_kcp, now);
                    nextUpdate += 10;
                    if (int32_t(now - nextUpdate) >= 0) {
                        nextUpdate = now + 10;
                    }
                }
            }
            m_wake.notify_all();
            std::this_thread::sleep_for(1ms);
        }
    }

    const bool m_server;
    asio::io_context m_io;
    std::mutex m_lock;
    std::condition_variable m_wake;
    udp::socket m_socket;
    udp::endpoint m_remote;
    ikcpcb* m_kcp = nullptr;
    size_t m_hellos = 0;
    size_t m_his = 0;
    bool m_cutOff = false;
    std::vector<std::string> m_received;
    std::atomic<bool> m_running{true};
    std::thread m_thread;
};

// Plain peers for both channels of a driver on `port`: packets on the port,
// messages on port + 1.
struct PlainKcpPeers {
    PlainKcpPeers(bool server, uint16_t port) : packets(server, port), messages(server, uint16_t(port + 1)) {}
    // As clients: hello and hi on both channels.
    bool handshake() { return packets.handshake() && messages.handshake(); }
    // As servers: both channels have answered the driver's hello.
    bool waitHello() { return packets.waitHello() && messages.waitHello(); }

    PlainKcpPeer packets;
    PlainKcpPeer messages;
};

// A driver started as server, and plain peers ready to be its clients.
class UdpWire : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(server.start("0.0.0.0", port), 0); }

    const uint16_t port = freePortPair(3);
    Host server{3, true};
    PlainKcpPeers peers{false, port};
};

NerevnetPacket packetOf(int32_t mediaType, const std::string& data, const std::string& extra)
{
    NerevnetPacket packet;
    std::memset(&packet, 0, sizeof(packet));
    packet.mediaType = mediaType;
    packet.data = reinterpret_cast<const uint8_t*>(data.data());
    packet.size = data.size();
    if (!extra.empty()) {
        packet.extraData = reinterpret_cast<const uint8_t*>(extra.data());
        packet.extraSize = int64_t(extra.size());
    }
    return packet;
}

}  // namespace

TEST_F(UdpWire, HandshakeNeedsTheExactHelloAndPacketFramesAreChecked)
{
    PlainKcpPeer& packets = peers.packets;
    PlainKcpPeer& messages = peers.messages;

    // Seven bytes that begin with hello are KCP input, not a handshake.
    const size_t mark = logMark();
    packets.sendRaw("HELLO\0\0", 7);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(packets.hisSeen(), 0u);
    EXPECT_FALSE(logged(mark, "[Udp] Receive hello"));

    ASSERT_TRUE(packets.handshake());
    EXPECT_EQ(server.status(), 1) << "one channel up is not yet Connected";
    ASSERT_TRUE(messages.handshake());
    ASSERT_TRUE(server.waitConnected());
    EXPECT_EQ(server.requireIdrCount(), 1u);

    messages.send("raw hello");
    ASSERT_TRUE(server.waitFor([&] { return server.messageCount() == 1; }));
    EXPECT_EQ(server.messages().front(), "raw hello");

    packets.send(std::string(20, 'x'));
    packets.send(packetFrame(1, "abc", "", 300, 0));
    packets.send(packetFrame(2, "abc", "", 3, 1));
    packets.send(packetFrame(3, "abc", "zz", 3, 2));
    packets.send(packetFrame(4, "", "", 0, 0));
    ASSERT_TRUE(server.waitFor([&] { return server.packetCount() == 2; }));
    const auto received = server.packets();
    EXPECT_EQ(received[0].mediaType, 3);
    EXPECT_EQ(received[0].data, "abc");
    EXPECT_EQ(received[0].extra, "zz");
    EXPECT_EQ(received[1].mediaType, 4);
    EXPECT_TRUE(received[1].data.empty());
    EXPECT_EQ(loggedCount(mark, "[UDP] Drop packet frame"), 3u);
}

// The driver flushes on its own and has far larger windows; a peer that
// only runs KCP's 10 ms update with the listed parameters (windows of 128)
// must still exchange messages and packets with it both ways, in either
// role, including bursts of many windows and empty messages: straight, and
// through a Wi-Fi-like link that delays, reorders by jitter and loses
// datagrams in bursts (both sides then resend).
class PlainKcpPeerRoles : public ::testing::TestWithParam<std::tuple<bool, bool>> {};

TEST_P(PlainKcpPeerRoles, ExchangesMessagesAndPacketsBothWays)
{
    const bool peerIsServer = std::get<0>(GetParam());
    const bool throughLink = std::get<1>(GetParam());
    const uint16_t port = freePortPair(3);
    std::unique_ptr<linkrelay::UdpLinkRelay> link;
    if (throughLink) {
        linkrelay::LinkModel busyWifi;
        busyWifi.delayMs = 3;
        busyWifi.jitterMs = 3;
        busyWifi.lossPercent = 1;
        busyWifi.burst = 3;
        link = std::make_unique<linkrelay::UdpLinkRelay>(port, 2, busyWifi, 5);
        // Hello and hi are sent once: they pass before the losses begin.
        link->setLossEnabled(false);
    }
    // The port the client aims at.
    const uint16_t serverSide = link ? link->port() : port;
    Host driver(3, !peerIsServer);
    std::unique_ptr<PlainKcpPeers> peers;
    if (peerIsServer) {
        peers = std::make_unique<PlainKcpPeers>(true, port);
        ASSERT_EQ(driver.start("127.0.0.1", serverSide), 0);
        ASSERT_TRUE(peers->waitHello());
    } else {
        ASSERT_EQ(driver.start("0.0.0.0", port), 0);
        peers = std::make_unique<PlainKcpPeers>(false, serverSide);
        ASSERT_TRUE(peers->handshake());
    }
    PlainKcpPeer& packets = peers->packets;
    PlainKcpPeer& messages = peers->messages;
    ASSERT_TRUE(driver.waitConnected());
    if (link) {
        link->setLossEnabled(true);
    }

    // Messages: small ones, an empty one, the largest KCP carries, then more.
    const std::vector<std::string> toDriver = {"first", "", patternBytes(127 * 1376, 21), "after the empty one"};
    const std::vector<std::string> toPeer = {"one", "", patternBytes(127 * 1376, 22), "two"};
    for (size_t i = 0; i < toDriver.size(); ++i) {
        EXPECT_EQ(messages.send(toDriver[i]), 0);
        EXPECT_EQ(nerevnet_sendMessage(driver.handle(), toPeer[i].data(), uint32_t(toPeer[i].size()), true), 0);
    }

    // Packets: a burst of about twenty windows each way, back to back.
    std::vector<std::string> payloads;
    for (uint32_t i = 0; i < 24; ++i) {
        payloads.push_back(patternBytes(100000 + i, 100 + i));
    }
    const std::string extra = "side data";
    const std::string none;
    // Every other packet carries extra data.
    auto extraOf = [&](size_t i) -> const std::string& { return i % 2 ? extra : none; };
    for (size_t i = 0; i < payloads.size(); ++i) {
        const NerevnetPacket packet = packetOf(int32_t(i), payloads[i], extraOf(i));
        ASSERT_TRUE(nerevnet_sendPacket(driver.handle(), &packet)) << i;
        std::string frame(reinterpret_cast<const char*>(&packet), sizeof(packet));
        frame += payloads[i] + extraOf(i);
        EXPECT_EQ(packets.send(frame), 0);
    }

    ASSERT_TRUE(driver.waitFor([&] { return driver.messageCount() == toDriver.size(); }, 20000ms));
    EXPECT_TRUE(driver.messages() == toDriver);
    ASSERT_TRUE(messages.waitReceived(toPeer.size()));
    EXPECT_TRUE(messages.received() == toPeer);

    ASSERT_TRUE(driver.waitFor([&] { return driver.packetCount() == payloads.size(); }, 20000ms));
    const auto atDriver = driver.packets();
    for (size_t i = 0; i < payloads.size(); ++i) {
        EXPECT_EQ(atDriver[i].mediaType, int32_t(i));
        EXPECT_TRUE(atDriver[i].data == payloads[i]) << i;
        EXPECT_EQ(atDriver[i].extra, extraOf(i));
    }
    ASSERT_TRUE(packets.waitReceived(payloads.size()));
    const auto atPeer = packets.received();
    for (size_t i = 0; i < payloads.size(); ++i) {
        ASSERT_EQ(atPeer[i].size(), 56 + payloads[i].size() + extraOf(i).size()) << i;
        NerevnetPacket header;
        std::memcpy(&header, atPeer[i].data(), 56);
        EXPECT_EQ(header.mediaType, int32_t(i));
        EXPECT_EQ(header.size, payloads[i].size());
        EXPECT_TRUE(atPeer[i].compare(56, payloads[i].size(), payloads[i]) == 0) << i;
    }
    // The window the driver advertises carries a 400 Mbit/s stream over
    // Wi-Fi round trips (a frame of about 400 segments and the round trips
    // of a resend), whatever the peer's own window is.
    EXPECT_GE(packets.remoteWindow(), 1024u);
}

INSTANTIATE_TEST_SUITE_P(Udp, PlainKcpPeerRoles, ::testing::Combine(::testing::Bool(), ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<bool, bool>>& info) {
                             return std::string(std::get<0>(info.param) ? "PeerIsServer" : "PeerIsClient")
                                    + (std::get<1>(info.param) ? "OverBusyWifi" : "");
                         });

// An idle link to a peer that only answers KCP's own window probes stays
// up. While its peer is unreachable the driver keeps retransmitting: an
// outage of a second and a half ends nothing, and what was sent meanwhile
// arrives afterwards. A peer that stays silent is given up within 3 s.
TEST_F(UdpWire, RidesOutAShortOutageAndGivesUpOnASilentPeer)
{
    PlainKcpPeer& messages = peers.messages;
    ASSERT_TRUE(peers.handshake());
    ASSERT_TRUE(server.waitConnected());
    const size_t mark = server.statusMark();

    // Idle for longer than a silent peer is given up after.
    std::this_thread::sleep_for(3500ms);
    EXPECT_FALSE(server.sawStatusSince(mark, 3)) << "an idle plain KCP peer was given up";

    // Traffic first, so that the driver's retransmission timeout comes from
    // measured round trips rather than KCP's initial 200 ms.
    std::vector<std::string> sent;
    for (int i = 0; i < 20; ++i) {
        sent.push_back("before " + std::to_string(i));
        nerevnet_sendMessage(server.handle(), sent.back().data(), uint32_t(sent.back().size()), true);
        ASSERT_TRUE(messages.waitReceived(sent.size()));
    }

    messages.setCutOff(true);
    for (int i = 0; i < 15; ++i) {
        sent.push_back("during the outage " + std::to_string(i));
        EXPECT_EQ(nerevnet_sendMessage(server.handle(), sent.back().data(), uint32_t(sent.back().size()), true), 0);
        std::this_thread::sleep_for(100ms);
    }
    messages.setCutOff(false);
    ASSERT_TRUE(messages.waitReceived(sent.size()));
    EXPECT_TRUE(messages.received() == sent);
    EXPECT_FALSE(server.sawStatusSince(mark, 3)) << "the outage ended the connection";
    EXPECT_EQ(server.status(), 2);

    messages.setCutOff(true);
    const auto silent = std::chrono::steady_clock::now();
    EXPECT_EQ(nerevnet_sendMessage(server.handle(), "anyone there?", 13, true), 0);
    EXPECT_TRUE(server.waitStatus(3, 5000ms)) << "a silent peer was never given up";
    EXPECT_LE(std::chrono::steady_clock::now() - silent, 3000ms);
}

TEST(UdpLimits, RefusesWhatKcpCannotCarryInOneMessage)
{
    const uint16_t port = freePortPair(3);
    Host server(3, true);
    Host client(3, false);
    ASSERT_EQ(server.start("0.0.0.0", port), 0);
    ASSERT_EQ(client.start("127.0.0.1", port), 0);
    ASSERT_TRUE(client.waitConnected());
    ASSERT_TRUE(server.waitConnected());

    // 127 segments of 1376 bytes.
    const size_t limit = 127 * 1376;
    const std::string largest = patternBytes(limit, 4);
    const std::string tooLarge = patternBytes(limit + 1, 5);
    EXPECT_LT(nerevnet_sendMessage(client.handle(), tooLarge.data(), uint32_t(tooLarge.size()), true), 0);
    EXPECT_EQ(nerevnet_sendMessage(client.handle(), largest.data(), uint32_t(largest.size()), true), 0);

    NerevnetPacket packet;
    std::memset(&packet, 0, sizeof(packet));
    packet.data = reinterpret_cast<const uint8_t*>(tooLarge.data());
    packet.size = limit - 56 + 1;
    EXPECT_FALSE(nerevnet_sendPacket(client.handle(), &packet));
    packet.size = limit - 56 - 10;
    packet.extraData = packet.data;
    packet.extraSize = 11;
    EXPECT_FALSE(nerevnet_sendPacket(client.handle(), &packet));
    packet.extraSize = 10;
    EXPECT_TRUE(nerevnet_sendPacket(client.handle(), &packet));
    // Sizes that only a broken host passes are refused, never read.
    packet.extraData = nullptr;
    EXPECT_FALSE(nerevnet_sendPacket(client.handle(), &packet));

    ASSERT_TRUE(eventually([&] { return server.messageCount() == 1 && server.packetCount() == 1; }));
    EXPECT_TRUE(server.messages().front() == largest);
    EXPECT_EQ(server.packets().front().data.size(), limit - 56 - 10);
    EXPECT_EQ(server.packets().front().extra.size(), 10u);
}
