// The wire formats as a foreign peer sees them: a raw TCP socket and a raw
// KCP endpoint talk to a driver instance, byte by byte.
#include "transport_support.h"

#include "frame_codec.h"
#include "ikcp.h"

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

// A peer speaking the UDP driver's protocol by hand: hello/hi, then KCP with
// the documented parameters.
class RawKcpPeer {
public:
    explicit RawKcpPeer(uint16_t serverPort) : m_socket(m_io, udp::endpoint(udp::v4(), 0))
    {
        m_server = udp::endpoint(asio::ip::make_address("127.0.0.1"), serverPort);
        m_kcp = ikcp_create(0, this);
        ikcp_setoutput(m_kcp, [](const char* buffer, int length, ikcpcb*, void* user) {
            auto* self = static_cast<RawKcpPeer*>(user);
            self->m_socket.send_to(asio::buffer(buffer, size_t(length)), self->m_server);
            return 0;
        });
        ikcp_wndsize(m_kcp, 128, 128);
        ikcp_nodelay(m_kcp, 2, 10, 2, 1);
        m_socket.non_blocking(true);
    }
    ~RawKcpPeer() { ikcp_release(m_kcp); }

    void sendRaw(const void* data, size_t length) { m_socket.send_to(asio::buffer(data, length), m_server); }

    bool handshake()
    {
        sendRaw("HELLO", 6);
        return pumpUntil([&](const std::string& datagram) { return datagram == std::string("HI\0", 3); });
    }

    void sendMessage(const std::string& bytes) { ikcp_send(m_kcp, bytes.data(), int(bytes.size())); }

    // Runs KCP and feeds it every datagram until `done` holds for one
    // (checked for non-KCP datagrams) or the time is up.
    bool pumpUntil(const std::function<bool(const std::string&)>& done,
                   std::chrono::milliseconds timeout = 1000ms)
    {
        const auto until = std::chrono::steady_clock::now() + timeout;
        char buffer[4096];
        while (std::chrono::steady_clock::now() < until) {
            if (done(std::string())) {
                return true;
            }
            ikcp_update(m_kcp, uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                                            std::chrono::steady_clock::now().time_since_epoch())
                                            .count()));
            asio::error_code error;
            udp::endpoint from;
            const size_t length = m_socket.receive_from(asio::buffer(buffer), from, 0, error);
            if (!error) {
                const std::string datagram(buffer, length);
                if (done(datagram)) {
                    return true;
                }
                ikcp_input(m_kcp, buffer, long(length));
            } else {
                std::this_thread::sleep_for(1ms);
            }
        }
        return false;
    }

private:
    asio::io_context m_io;
    udp::socket m_socket;
    udp::endpoint m_server;
    ikcpcb* m_kcp;
};

}  // namespace

TEST(UdpWire, HandshakeNeedsTheExactHelloAndPacketFramesAreChecked)
{
    const uint16_t port = freePortPair(3);
    Host server(3, true);
    ASSERT_EQ(server.start("0.0.0.0", port), 0);
    RawKcpPeer packets(port);
    RawKcpPeer messages(uint16_t(port + 1));

    // Seven bytes that begin with hello are KCP input, not a handshake.
    const size_t mark = logMark();
    packets.sendRaw("HELLO\0\0", 7);
    EXPECT_FALSE(packets.pumpUntil([](const std::string& datagram) { return datagram.size() == 3; }, 200ms));
    EXPECT_FALSE(logged(mark, "[Udp] Receive hello"));

    ASSERT_TRUE(packets.handshake());
    EXPECT_EQ(server.status(), 1) << "one channel up is not yet Connected";
    ASSERT_TRUE(messages.handshake());
    ASSERT_TRUE(server.waitConnected());
    EXPECT_EQ(server.requireIdrCount(), 1u);

    messages.sendMessage("raw hello");
    messages.pumpUntil([&](const std::string&) { return server.messageCount() == 1; });
    ASSERT_EQ(server.messageCount(), 1u);
    EXPECT_EQ(server.messages().front(), "raw hello");

    packets.sendMessage(std::string(20, 'x'));
    packets.sendMessage(packetFrame(1, "abc", "", 300, 0));
    packets.sendMessage(packetFrame(2, "abc", "", 3, 1));
    packets.sendMessage(packetFrame(3, "abc", "zz", 3, 2));
    packets.sendMessage(packetFrame(4, "", "", 0, 0));
    packets.pumpUntil([&](const std::string&) { return server.packetCount() == 2; });
    ASSERT_EQ(server.packetCount(), 2u);
    const auto received = server.packets();
    EXPECT_EQ(received[0].mediaType, 3);
    EXPECT_EQ(received[0].data, "abc");
    EXPECT_EQ(received[0].extra, "zz");
    EXPECT_EQ(received[1].mediaType, 4);
    EXPECT_TRUE(received[1].data.empty());
    EXPECT_EQ(loggedCount(mark, "[UDP] Drop packet frame"), 3u);
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
