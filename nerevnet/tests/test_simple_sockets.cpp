// The stand-alone broadcast and plain TCP facilities through their exports.
// Broadcasts go to 127.0.0.1 (NEREVNET_BROADCAST_ADDRESS), never onto a network.
#include "transport_support.h"

using namespace transport_test;

namespace {

struct Inbox {
    std::mutex lock;
    std::vector<std::string> data;
    std::vector<std::string> from;
    std::vector<int32_t> statuses;

    size_t size()
    {
        std::lock_guard<std::mutex> guard(lock);
        return data.size();
    }
    bool sawStatus(int32_t status)
    {
        std::lock_guard<std::mutex> guard(lock);
        return std::find(statuses.begin(), statuses.end(), status) != statuses.end();
    }
    int32_t lastStatus()
    {
        std::lock_guard<std::mutex> guard(lock);
        return statuses.empty() ? 0 : statuses.back();
    }
    void clear()
    {
        std::lock_guard<std::mutex> guard(lock);
        data.clear();
        from.clear();
        statuses.clear();
    }
};

// The callbacks carry no user pointer: one inbox per facility.
Inbox g_broadcasts;
Inbox g_client;
Inbox g_server;

void onBroadcast(const char* data, int32_t length, const char* fromAddress)
{
    std::lock_guard<std::mutex> guard(g_broadcasts.lock);
    g_broadcasts.data.emplace_back(data, size_t(length));
    g_broadcasts.from.emplace_back(fromAddress);
}
void onClientData(const char* data, int32_t length)
{
    std::lock_guard<std::mutex> guard(g_client.lock);
    g_client.data.emplace_back(data, size_t(length));
}
void onClientStatus(int32_t status)
{
    std::lock_guard<std::mutex> guard(g_client.lock);
    g_client.statuses.push_back(status);
}
void onServerData(const char* data, int32_t length)
{
    std::lock_guard<std::mutex> guard(g_server.lock);
    g_server.data.emplace_back(data, size_t(length));
}
void onServerStatus(int32_t status)
{
    std::lock_guard<std::mutex> guard(g_server.lock);
    g_server.statuses.push_back(status);
}

class SimpleSockets : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_broadcasts.clear();
        g_client.clear();
        g_server.clear();
    }
    void TearDown() override
    {
        nerevnet_stopReciverBroadcast();
        nerevnet_stopTcpClient();
        nerevnet_stopTcpTcpServer();
    }
    testsupport::ScopedEnv m_loopback{"NEREVNET_BROADCAST_ADDRESS", "127.0.0.1"};
};

}  // namespace

TEST_F(SimpleSockets, BroadcastReachesTheReceiverWithTheSendersAddress)
{
    const size_t mark = logMark();
    EXPECT_FALSE(nerevnet_broadcast(0, "x", 1));
    EXPECT_TRUE(logged(mark, "SimpleUdp Start need a valid port"));
    EXPECT_FALSE(nerevnet_reciverBroadcast(0, &onBroadcast));

    const uint16_t port = freePortPair<asio::ip::udp>();
    ASSERT_TRUE(nerevnet_reciverBroadcast(port, &onBroadcast));
    const std::string announcement = std::string("service\0here", 12);
    // The receiver's socket is bound on its own thread: repeat until it listens.
    ASSERT_TRUE(eventually([&] {
        EXPECT_TRUE(nerevnet_broadcast(port, announcement.data(), uint32_t(announcement.size())));
        return g_broadcasts.size() > 0;
    }));
    {
        std::lock_guard<std::mutex> guard(g_broadcasts.lock);
        EXPECT_EQ(g_broadcasts.data.front(), announcement);
        EXPECT_EQ(g_broadcasts.from.front(), "127.0.0.1");
    }

    // Datagrams beyond 1024 bytes are cut to 1024 (announcements repeated
    // above may still arrive before it).
    const std::string big = patternBytes(1500, 8);
    EXPECT_TRUE(nerevnet_broadcast(port, big.data(), uint32_t(big.size())));
    EXPECT_TRUE(eventually([&] {
        std::lock_guard<std::mutex> guard(g_broadcasts.lock);
        return std::find(g_broadcasts.data.begin(), g_broadcasts.data.end(), big.substr(0, 1024))
               != g_broadcasts.data.end();
    }));

    // After stopping, nothing more arrives.
    nerevnet_stopReciverBroadcast();
    const size_t stopped = g_broadcasts.size();
    EXPECT_TRUE(nerevnet_broadcast(port, "late", 4));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(g_broadcasts.size(), stopped);
}

TEST_F(SimpleSockets, BroadcastSenderIsSetUpAgainOnlyWhenThePortChanges)
{
    const uint16_t first = freePortPair<asio::ip::udp>();
    const uint16_t second = uint16_t(first + 1);
    const size_t mark = logMark();
    EXPECT_TRUE(nerevnet_broadcast(first, "a", 1));
    EXPECT_TRUE(nerevnet_broadcast(second, "b", 1));
    EXPECT_TRUE(nerevnet_broadcast(second, "c", 1));
    EXPECT_TRUE(nerevnet_broadcast(second, "d", 1));
    EXPECT_EQ(loggedCount(mark, "Bind broadcast local port:"), 2u);
    EXPECT_EQ(loggedCount(mark, "SimpleUdp Call Start"), 2u);
    EXPECT_FALSE(nerevnet_broadcast(second, "", 0)) << "nothing sent is not success";
}

TEST_F(SimpleSockets, TcpClientAndServerExchangeFramesAndReportTheirStatus)
{
    const size_t mark = logMark();
    EXPECT_FALSE(nerevnet_sendTcpServer("x", 1));
    EXPECT_TRUE(logged(mark, "Please call nerevnet_startTcpServer first"));
    EXPECT_FALSE(nerevnet_sendTcpClient("x", 1));
    EXPECT_TRUE(logged(mark, "Please call nerevnet_startTcpClient first"));
    EXPECT_FALSE(nerevnet_startTcpClient(9000, "", &onClientData, &onClientStatus));
    EXPECT_TRUE(logged(mark, "SimpleTcp Start need a valid address"));
    EXPECT_FALSE(nerevnet_startTcpServer(0, &onServerData, &onServerStatus));
    EXPECT_TRUE(logged(mark, "SimpleTcp Start need a valid port"));

    const uint16_t port = freePortPair<asio::ip::tcp>();
    ASSERT_TRUE(nerevnet_startTcpServer(port, &onServerData, &onServerStatus));
    ASSERT_TRUE(nerevnet_startTcpClient(port, "127.0.0.1", &onClientData, &onClientStatus));
    ASSERT_TRUE(eventually([] { return g_client.lastStatus() == 2 && g_server.lastStatus() == 2; }));
    EXPECT_TRUE(g_client.sawStatus(1));
    EXPECT_TRUE(g_server.sawStatus(1));

    const std::string payload = patternBytes(100000, 11);
    EXPECT_TRUE(nerevnet_sendTcpClient(payload.data(), uint32_t(payload.size())));
    EXPECT_TRUE(nerevnet_sendTcpServer("pong", 4));
    ASSERT_TRUE(eventually([] { return g_server.size() == 1 && g_client.size() == 1; }));
    {
        std::lock_guard<std::mutex> guard(g_server.lock);
        EXPECT_TRUE(g_server.data.front() == payload);
    }
    {
        std::lock_guard<std::mutex> guard(g_client.lock);
        EXPECT_EQ(g_client.data.front(), "pong");
    }

    // The client goes: the server reports the loss and waits for the next one.
    nerevnet_stopTcpClient();
    ASSERT_TRUE(eventually([] { return g_server.sawStatus(3) && g_server.lastStatus() == 1; }));
    EXPECT_FALSE(nerevnet_sendTcpServer("nobody", 6));
    EXPECT_FALSE(nerevnet_sendTcpClient("gone", 4));
}

TEST_F(SimpleSockets, ANewServerReplacesTheRunningOne)
{
    const uint16_t first = freePortPair<asio::ip::tcp>();
    ASSERT_TRUE(nerevnet_startTcpServer(first, &onServerData, &onServerStatus));
    const uint16_t second = freePortPair<asio::ip::tcp>();
    ASSERT_TRUE(nerevnet_startTcpServer(second, &onServerData, &onServerStatus));

    asio::io_context io;
    asio::ip::tcp::socket probe(io);
    asio::error_code error;
    probe.connect(asio::ip::tcp::endpoint(asio::ip::make_address("127.0.0.1"), first), error);
    EXPECT_TRUE(error) << "the first server no longer listens";

    ASSERT_TRUE(nerevnet_startTcpClient(second, "127.0.0.1", &onClientData, &onClientStatus));
    // Both ends must have seen the connection: the server may accept before
    // the client's own connect handler has run.
    ASSERT_TRUE(eventually([] { return g_server.lastStatus() == 2 && g_client.lastStatus() == 2; }));
    EXPECT_TRUE(nerevnet_sendTcpClient("hi", 2));
    ASSERT_TRUE(eventually([] { return g_server.size() == 1; }));
}
