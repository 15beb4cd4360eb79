// The UDP and TCP drivers, driven as a host drives them: two instances on
// loopback, server and client, through the C API.
#include "link_relay.h"
#include "transport_support.h"

#include <future>

using namespace transport_test;

namespace {

const char* typeName(int32_t type)
{
    return type == 3 ? "Udp" : "Tcp";
}

class Transport : public ::testing::TestWithParam<int32_t> {
protected:
    int32_t type() const { return GetParam(); }

    void connectPair(Host& server, Host& client, uint16_t port)
    {
        ASSERT_EQ(server.start("127.0.0.1", port), 0);
        ASSERT_EQ(client.start("127.0.0.1", port), 0);
        ASSERT_TRUE(server.waitConnected()) << "server never connected";
        ASSERT_TRUE(client.waitConnected()) << "client never connected";
    }

    // Keeps `host` sending (as a streaming host does) until it reports
    // Disconnected after notification number `mark`.
    static bool disconnectedWhileSending(Host& host, size_t mark)
    {
        return eventually(
            [&] {
                nerevnet_sendMessage(host.handle(), "ping", 4, true);
                return host.sawStatusSince(mark, 3);
            },
            5000ms);
    }
};

NerevnetPacket makePacket(const std::string& data, const std::string* extra)
{
    NerevnetPacket packet;
    std::memset(&packet, 0, sizeof(packet));
    packet.mediaType = 2;
    packet.subType = 7;
    packet.timestamp = 0x0102030405060708LL;
    packet.data = reinterpret_cast<decltype(packet.data)>(const_cast<char*>(data.data()));
    packet.size = data.size();
    if (extra) {
        packet.extraData = reinterpret_cast<decltype(packet.extraData)>(const_cast<char*>(extra->data()));
        packet.extraSize = int64_t(extra->size());
    }
    std::memcpy(&packet.reserved, "RSVD-123", 8);
    return packet;
}

}  // namespace

TEST_P(Transport, ConnectsOnceAndExchangesMessagesAndPacketsBothWays)
{
    const uint16_t port = freePortPair(type());
    Host server(type(), true);
    Host client(type(), false);
    connectPair(server, client, port);

    // Connecting first, then Connected exactly once, each with one key-frame request.
    for (Host* host : {&server, &client}) {
        const auto statuses = host->statuses();
        ASSERT_FALSE(statuses.empty());
        EXPECT_EQ(statuses.front(), 1);
        EXPECT_EQ(statuses.back(), 2);
        EXPECT_EQ(host->connectedCount(), 1u);
        EXPECT_EQ(host->requireIdrCount(), 1u);
    }

    const std::string binary = std::string("a\0b\xff\x01", 5) + patternBytes(60000, 1);
    // An empty message arrives as one and does not hold up those after it.
    const std::vector<std::string> messages = {"hello", std::string(64, 'x'), "", binary, std::string("\0", 1)};
    for (const auto& message : messages) {
        const int32_t result = nerevnet_sendMessage(client.handle(), message.data(), uint32_t(message.size()), true);
        EXPECT_EQ(result, type() == 3 ? 0 : int32_t(message.size()));
        nerevnet_sendMessage(server.handle(), message.data(), uint32_t(message.size()), false);
    }
    ASSERT_TRUE(eventually([&] { return server.messageCount() == messages.size(); }));
    ASSERT_TRUE(eventually([&] { return client.messageCount() == messages.size(); }));
    EXPECT_TRUE(server.messages() == messages);
    EXPECT_TRUE(client.messages() == messages);

    const std::string video = patternBytes(16 * 1024, 2);
    const std::string extra = patternBytes(333, 3);
    const NerevnetPacket withExtra = makePacket(video, &extra);
    const std::string small = video.substr(0, 1000);
    const NerevnetPacket plain = makePacket(small, nullptr);
    EXPECT_TRUE(nerevnet_sendPacket(client.handle(), &withExtra));
    EXPECT_TRUE(nerevnet_sendPacket(client.handle(), &plain));
    EXPECT_TRUE(nerevnet_sendPacket(server.handle(), &withExtra));
    EXPECT_TRUE(nerevnet_sendPacket(server.handle(), &plain));
    for (Host* host : {&server, &client}) {
        ASSERT_TRUE(eventually([&] { return host->packetCount() == 2; }));
        const auto packets = host->packets();
        EXPECT_EQ(packets[0].mediaType, 2);
        EXPECT_EQ(packets[0].subType, 7);
        EXPECT_EQ(packets[0].timestamp, 0x0102030405060708LL);
        EXPECT_EQ(std::memcmp(packets[0].reserved, "RSVD-123", 8), 0);
        EXPECT_TRUE(packets[0].data == video);
        EXPECT_TRUE(packets[0].hasExtra);
        EXPECT_TRUE(packets[0].extra == extra);
        EXPECT_TRUE(packets[1].data == small);
        EXPECT_FALSE(packets[1].hasExtra) << "a packet without extra data arrives with a null extraData";
        EXPECT_EQ(packets[1].extraSize, 0);
    }
}

// A host sending a video frame sends its packets back to back, far more
// than one window of the transport; everything arrives, whole and in order,
// with messages interleaved on the other channel.
TEST_P(Transport, CarriesBurstsOfManyWindowsWholeAndInOrder)
{
    const uint16_t port = freePortPair(type());
    Host server(type(), true);
    Host client(type(), false);
    connectPair(server, client, port);

    const size_t count = 40;
    std::vector<std::string> payloads;
    for (size_t i = 0; i < count; ++i) {
        payloads.push_back(patternBytes(160 * 1024 - 56 * (i % 3), uint32_t(1000 + i)));
    }
    for (size_t i = 0; i < count; ++i) {
        NerevnetPacket packet = makePacket(payloads[i], nullptr);
        packet.timestamp = int64_t(i);
        ASSERT_TRUE(nerevnet_sendPacket(client.handle(), &packet)) << i;
        ASSERT_TRUE(nerevnet_sendPacket(server.handle(), &packet)) << i;
        const std::string message = "frame " + std::to_string(i);
        nerevnet_sendMessage(client.handle(), message.data(), uint32_t(message.size()), true);
    }
    for (Host* host : {&server, &client}) {
        ASSERT_TRUE(eventually([&] { return host->packetCount() == count; }, 20000ms)) << host->packetCount();
        const auto packets = host->packets();
        for (size_t i = 0; i < count; ++i) {
            EXPECT_EQ(packets[i].timestamp, int64_t(i));
            EXPECT_TRUE(packets[i].data == payloads[i]) << i;
        }
    }
    ASSERT_TRUE(eventually([&] { return server.messageCount() == count; }));
    EXPECT_EQ(server.messages().back(), "frame " + std::to_string(count - 1));
}

TEST_P(Transport, RefusesInvalidStartsAndSendsWithoutConnection)
{
    Host server(type(), true);
    Host client(type(), false);
    const size_t mark = logMark();
    EXPECT_EQ(client.start("127.0.0.1", 0), 4);
    EXPECT_TRUE(logged(mark, "Start as client need a valid port"));
    EXPECT_EQ(server.start("", 5000), 4);
    EXPECT_EQ(server.start("0.0.0.0", 0), 4);
    EXPECT_TRUE(logged(mark, type() == 3 ? "UdpDriver::port error" : "TcpDriver::port error"));

    // Nothing is queued before the link is up.
    EXPECT_EQ(nerevnet_sendMessage(client.handle(), "early", 5, true), 0);
    const std::string data = "frame";
    const NerevnetPacket packet = makePacket(data, nullptr);
    EXPECT_FALSE(nerevnet_sendPacket(client.handle(), &packet));

    // A second start without stop is refused; the running one keeps working.
    const uint16_t port = freePortPair(type());
    ASSERT_EQ(server.start("0.0.0.0", port), 0);
    EXPECT_EQ(server.start("0.0.0.0", port), 4);
    ASSERT_EQ(client.start("127.0.0.1", port), 0);
    EXPECT_TRUE(server.waitConnected());
    EXPECT_TRUE(client.waitConnected());
}

TEST_P(Transport, ReconnectsAfterTheClientGoesAndComesBack)
{
    const uint16_t port = freePortPair(type());
    Host server(type(), true);
    Host client(type(), false);
    connectPair(server, client, port);

    const size_t mark = server.statusMark();
    const size_t logs = logMark();
    client.stop();
    EXPECT_EQ(client.stops(), 1);
    // The server learns of the loss while it has something to say to the peer.
    ASSERT_TRUE(disconnectedWhileSending(server, mark)) << "server never reported Disconnected";
    if (type() == 2) {
        // Both connections must have seen their end before the client returns,
        // or the new packet connection could meet the old message connection.
        ASSERT_TRUE(eventually([&] { return loggedCount(logs, "Disconnect from") >= 2; }));
    }

    const auto returned = std::chrono::steady_clock::now();
    ASSERT_EQ(client.start("127.0.0.1", port), 0);
    ASSERT_TRUE(server.waitConnected(3000ms));
    ASSERT_TRUE(client.waitConnected(3000ms));
    EXPECT_LE(std::chrono::steady_clock::now() - returned, 2000ms) << "reconnectInterval 1 s + 1 s";

    EXPECT_EQ(server.connectedCount(), 2u);
    EXPECT_EQ(server.requireIdrCount(), 2u);
    EXPECT_EQ(client.requireIdrCount(), client.connectedCount());

    // The new connection carries data again in both directions.
    EXPECT_TRUE(eventually([&] {
        nerevnet_sendMessage(client.handle(), "again", 5, true);
        return server.messageCount() > 0 && server.messages().back() == "again";
    }));
}

TEST_P(Transport, ReconnectsAfterTheServerGoesAndComesBack)
{
    const uint16_t port = freePortPair(type());
    Host server(type(), true);
    Host client(type(), false);
    connectPair(server, client, port);

    const size_t mark = client.statusMark();
    server.stop();
    ASSERT_TRUE(disconnectedWhileSending(client, mark)) << "client never reported Disconnected";

    const auto returned = std::chrono::steady_clock::now();
    ASSERT_EQ(server.start("0.0.0.0", port), 0);
    ASSERT_TRUE(client.waitConnected(3000ms));
    ASSERT_TRUE(server.waitConnected(3000ms));
    EXPECT_LE(std::chrono::steady_clock::now() - returned, 2000ms) << "reconnectInterval 1 s + 1 s";
    EXPECT_EQ(client.connectedCount(), 2u);
    EXPECT_EQ(client.requireIdrCount(), 2u);

    EXPECT_TRUE(eventually([&] {
        nerevnet_sendMessage(server.handle(), "back", 4, true);
        return client.messageCount() > 0 && client.messages().back() == "back";
    }));
}

TEST_P(Transport, FiftyStopStartCyclesLeaveNothingBehind)
{
    const uint16_t port = freePortPair(type());
    Host server(type(), true);
    Host client(type(), false);
    connectPair(server, client, port);
    const int threadsBefore = threadCount();

    for (int cycle = 0; cycle < 50; ++cycle) {
        client.stop();
        ASSERT_EQ(client.start("127.0.0.1", port), 0);
        ASSERT_TRUE(client.waitConnected()) << "cycle " << cycle;
    }
    for (int cycle = 0; cycle < 50; ++cycle) {
        server.stop();
        ASSERT_EQ(server.start("0.0.0.0", port), 0);
        // The client starts over too: waiting for its own reconnect
        // (reconnectInterval) would make fifty cycles take a minute.
        client.stop();
        ASSERT_EQ(client.start("127.0.0.1", port), 0);
        ASSERT_TRUE(server.waitConnected()) << "cycle " << cycle;
        ASSERT_TRUE(client.waitConnected()) << "cycle " << cycle;
    }
    EXPECT_EQ(client.stops(), 100);
    EXPECT_EQ(threadCount(), threadsBefore) << "every stop joins the threads of its start";
    EXPECT_EQ(client.requireIdrCount(), client.connectedCount());
}

// A host that answers every message from inside the receive callback while
// the other side stops the instance: stop must not wait for itself.
TEST_P(Transport, StopNeverDeadlocksWhileACallbackSends)
{
    const uint16_t port = freePortPair(type());
    Host server(type(), true);
    Host client(type(), false);
    void* serverHandle = server.handle();
    std::atomic<int> echoes{0};
    server.onMessage([serverHandle, &echoes](const char* data, uint32_t length) {
        for (int i = 0; i < 4; ++i) {
            nerevnet_sendMessage(serverHandle, data, length, true);
            const std::string video(4000, 'v');
            const NerevnetPacket packet = makePacket(video, nullptr);
            nerevnet_sendPacket(serverHandle, &packet);
        }
        ++echoes;
    });
    connectPair(server, client, port);

    for (int round = 0; round < 10; ++round) {
        const int before = echoes;
        ASSERT_TRUE(eventually([&] {
            nerevnet_sendMessage(client.handle(), "echo me", 7, true);
            return echoes > before + 3;
        })) << "round " << round;
        for (int i = 0; i < 20; ++i) {
            nerevnet_sendMessage(client.handle(), "echo me", 7, true);
        }
        auto stopped = std::async(std::launch::async, [&] { server.stop(); });
        if (stopped.wait_for(10s) != std::future_status::ready) {
            ADD_FAILURE() << "stop deadlocked in round " << round;
            std::abort();
        }
        ASSERT_EQ(server.start("0.0.0.0", port), 0);
        client.stop();
        ASSERT_EQ(client.start("127.0.0.1", port), 0);
        ASSERT_TRUE(server.waitConnected()) << "round " << round;
        ASSERT_TRUE(client.waitConnected()) << "round " << round;
    }
}

INSTANTIATE_TEST_SUITE_P(Drivers, Transport, ::testing::Values(3, 2),
                         [](const ::testing::TestParamInfo<int32_t>& info) { return typeName(info.param); });

// The UDP link's keep-alive, through a link that can lose everything: an
// idle link that is alive stays Connected at little cost, and a peer that
// vanishes without a word (no port-unreachable report either, as when a
// headset goes out of range) is reported Disconnected on both sides within
// 3 s, while nothing is being sent.
TEST(UdpKeepAlive, IdleLinkStaysUpCheaplyAndAVanishedPeerIsNoticedWithinThreeSeconds)
{
    using Clock = std::chrono::steady_clock;
    const uint16_t port = freePortPair(3);
    linkrelay::UdpLinkRelay link(port, 2, linkrelay::LinkModel{}, 1);
    Host server(3, true);
    Host client(3, false);
    ASSERT_EQ(server.start("0.0.0.0", port), 0);
    ASSERT_EQ(client.start("127.0.0.1", link.port()), 0);
    ASSERT_TRUE(server.waitConnected());
    ASSERT_TRUE(client.waitConnected());

    // Idle for longer than a silent peer is given up after.
    const size_t serverMark = server.statusMark();
    const size_t clientMark = client.statusMark();
    const uint64_t upBefore = link.toServer().bytes;
    const uint64_t downBefore = link.toClient().bytes;
    const auto idleSince = Clock::now();
    std::this_thread::sleep_for(4s);
    const double idleSeconds = std::chrono::duration<double>(Clock::now() - idleSince).count();
    EXPECT_FALSE(server.sawStatusSince(serverMark, 3)) << "the server gave up a live idle link";
    EXPECT_FALSE(client.sawStatusSince(clientMark, 3)) << "the client gave up a live idle link";
    EXPECT_LT(double(link.toServer().bytes - upBefore) / idleSeconds, 1000.0) << "bytes per second";
    EXPECT_LT(double(link.toClient().bytes - downBefore) / idleSeconds, 1000.0) << "bytes per second";

    link.setCut(true);
    const auto cut = Clock::now();
    Clock::duration serverNoticed{};
    Clock::duration clientNoticed{};
    eventually(
        [&] {
            if (serverNoticed == Clock::duration{} && server.status() == 3) {
                serverNoticed = Clock::now() - cut;
            }
            if (clientNoticed == Clock::duration{} && client.status() == 3) {
                clientNoticed = Clock::now() - cut;
            }
            return serverNoticed != Clock::duration{} && clientNoticed != Clock::duration{};
        },
        10s);
    ASSERT_NE(serverNoticed, Clock::duration{}) << "the server never noticed";
    ASSERT_NE(clientNoticed, Clock::duration{}) << "the client never noticed";
    EXPECT_LE(serverNoticed, 3000ms);
    EXPECT_LE(clientNoticed, 3000ms);
}

// Hello and hi each cross the link once per attempt: a client without hi
// after a second starts the attempt again (new socket, new hello), so that a
// lost hello or a lost hi delays the link instead of leaving it Connecting.
TEST(UdpHandshake, SurvivesALostHelloAndALostHi)
{
    const uint16_t port = freePortPair(3);
    linkrelay::UdpLinkRelay link(port, 2, linkrelay::LinkModel{}, 2);
    Host server(3, true);
    Host client(3, false);
    ASSERT_EQ(server.start("0.0.0.0", port), 0);

    link.setCut(true);
    ASSERT_EQ(client.start("127.0.0.1", link.port()), 0);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(server.connectedCount(), 0u);
    link.setCut(false);
    ASSERT_TRUE(client.waitConnected(3000ms)) << "the client never connected after its first hello was lost";
    ASSERT_TRUE(server.waitConnected(3000ms));
    client.stop();

    const size_t connectedBefore = server.connectedCount();
    link.setCutToClient(true);
    ASSERT_EQ(client.start("127.0.0.1", link.port()), 0);
    // The server has the client's hello, the client has no hi.
    ASSERT_TRUE(server.waitFor([&] { return server.connectedCount() > connectedBefore; }, 3000ms));
    std::this_thread::sleep_for(300ms);
    EXPECT_NE(client.status(), 2);
    link.setCutToClient(false);
    ASSERT_TRUE(client.waitConnected(3000ms)) << "the client never connected after its hi was lost";
    ASSERT_TRUE(server.waitConnected(3000ms));
    EXPECT_TRUE(eventually([&] {
        nerevnet_sendMessage(client.handle(), "up", 2, true);
        nerevnet_sendMessage(server.handle(), "down", 4, true);
        return server.messageCount() > 0 && server.messages().back() == "up" && client.messageCount() > 0
               && client.messages().back() == "down";
    })) << "the ends of the link are out of step";
}
