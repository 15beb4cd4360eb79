// The socket compatibility header, Poller and IPCSock on the system's own
// sockets (Winsock when cross-built and run under Wine, POSIX sockets here).
#include "../controlclient.h"
#include "ipcsock.h"
#include "poller.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {
// Waits on the poller and runs the server's accept and receive steps until
// `lines` holds `count` lines or two seconds pass.
bool pumpUntil(Poller &poller, IPCSock &server, std::vector<std::string> &lines, std::size_t count)
{
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (lines.size() < count && std::chrono::steady_clock::now() < deadline) {
        poller.wait(Poller::Read, 50ms);
        server.acceptClient();
        server.receiveLines(lines);
    }
    return lines.size() >= count;
}

bool pumpUntilClient(Poller &poller, IPCSock &server, bool wanted)
{
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    std::vector<std::string> ignored;
    while (server.hasClient() != wanted && std::chrono::steady_clock::now() < deadline) {
        poller.wait(Poller::Read, 50ms);
        server.acceptClient();
        server.receiveLines(ignored);
    }
    return server.hasClient() == wanted;
}

struct Server {
    std::shared_ptr<Poller> poller = std::make_shared<Poller>();
    IPCSock socket { poller, freeLoopbackPort() };
};
} // namespace

TEST(SocketCompat, NonBlockingReceiveReportsWouldBlock)
{
    Server server;
    ASSERT_TRUE(server.socket.Startup());
    ControlClient client;
    ASSERT_TRUE(client.connectTo(server.socket.boundPort()));

    platform::SocketHandle udp = ::socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_NE(udp, platform::kInvalidSocket);
    ASSERT_TRUE(platform::socketFitsFdSet(udp));
    ASSERT_TRUE(platform::setSocketNonBlocking(udp, true));
    char byte;
    EXPECT_EQ(::recv(udp, &byte, 1, 0), -1);
    EXPECT_TRUE(platform::socketWouldBlock(platform::lastSocketError()));
    EXPECT_EQ(platform::closeSocket(udp), 0);
    EXPECT_FALSE(platform::socketFitsFdSet(platform::kInvalidSocket));
}

TEST(Poller, AddRemoveAndLimit)
{
    Poller poller;
    std::vector<platform::SocketHandle> sockets;
    for (int i = 0; i < Poller::kMaxSockets + 1; ++i)
        sockets.push_back(::socket(AF_INET, SOCK_DGRAM, 0));
    for (int i = 0; i < Poller::kMaxSockets; ++i)
        EXPECT_TRUE(poller.add(sockets[i]));
    EXPECT_FALSE(poller.add(sockets[0]));                       // already there
    EXPECT_FALSE(poller.add(sockets[Poller::kMaxSockets]));     // full
    EXPECT_EQ(poller.count(), Poller::kMaxSockets);
    poller.remove(sockets[3]);
    EXPECT_FALSE(poller.contains(sockets[3]));
    EXPECT_TRUE(poller.contains(sockets[4]));
    EXPECT_TRUE(poller.add(sockets[Poller::kMaxSockets]));
    for (platform::SocketHandle s : sockets)
        platform::closeSocket(s);
}

TEST(Poller, WaitReportsReadinessPerKind)
{
    Poller poller;
    platform::SocketHandle udp = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    platform::SocketLength length = sizeof(address);
    ASSERT_EQ(::bind(udp, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
    ASSERT_EQ(::getsockname(udp, reinterpret_cast<sockaddr *>(&address), &length), 0);
    ASSERT_TRUE(poller.add(udp));

    EXPECT_EQ(poller.wait(Poller::Read, 0us), 0);
    EXPECT_FALSE(poller.isSet(udp, Poller::Read));

    // Writable but not readable: the kinds must not leak into each other.
    EXPECT_EQ(poller.wait(Poller::Read | Poller::Write, 100ms), 1);
    EXPECT_TRUE(poller.isSet(udp, Poller::Write));
    EXPECT_FALSE(poller.isSet(udp, Poller::Read));
    EXPECT_FALSE(poller.isSet(udp, Poller::Except));

    const char byte = 'x';
    ASSERT_EQ(::sendto(udp, &byte, 1, 0, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 1);
    EXPECT_EQ(poller.wait(Poller::Read, 1s), 1);
    EXPECT_TRUE(poller.isSet(udp, Poller::Read));
    EXPECT_FALSE(poller.isSet(udp, Poller::Write));   // not asked for: emptied
    EXPECT_FALSE(poller.isSet(udp, 3));
    EXPECT_FALSE(poller.isSet(platform::kInvalidSocket, Poller::Read));
    platform::closeSocket(udp);
}

TEST(Poller, WakeEndsALongWaitAtOnce)
{
    Poller poller;
    std::atomic<bool> returned { false };
    std::thread waiter([&] {
        poller.wait(Poller::Read, 30s);
        returned = true;
    });
    std::this_thread::sleep_for(100ms);
    EXPECT_FALSE(returned);
    poller.wake();
    waiter.join();   // hangs for 30 s if the wake were lost
    EXPECT_TRUE(returned);
    // A wake before the wait is not lost either, and it is consumed once.
    poller.wake();
    EXPECT_EQ(poller.wait(Poller::Read, 10s), 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(poller.wait(Poller::Read, 50ms), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 40ms);
}

TEST(IPCSock, FramesLinesAcrossChunks)
{
    std::string buffer;
    std::vector<std::string> lines;
    EXPECT_TRUE(IPCSock::takeLines(buffer, "ab", 2, lines));
    EXPECT_TRUE(lines.empty());
    EXPECT_TRUE(IPCSock::takeLines(buffer, "c\nd\n\ne", 6, lines));
    EXPECT_EQ(lines, (std::vector<std::string> { "abc", "d", "" }));
    EXPECT_EQ(buffer, "e");
    lines.clear();
    EXPECT_TRUE(IPCSock::takeLines(buffer, "f\r\nx\0y\n", 7, lines));
    EXPECT_EQ(lines, (std::vector<std::string> { "ef\r" }));
    EXPECT_EQ(buffer, "x");

    const std::string big(IPCSock::kMaxPendingBytes, 'z');
    buffer.clear();
    lines.clear();
    EXPECT_TRUE(IPCSock::takeLines(buffer, big.data(), big.size(), lines));
    EXPECT_FALSE(IPCSock::takeLines(buffer, "zz", 2, lines));
    EXPECT_TRUE(buffer.empty());
    // A long line that does end in a feed is fine.
    EXPECT_TRUE(IPCSock::takeLines(buffer, big.data(), big.size() - 1, lines));
    EXPECT_TRUE(IPCSock::takeLines(buffer, "\n", 1, lines));
    EXPECT_EQ(lines.size(), 1u);
}

TEST(IPCSock, ServesOneLoopbackClientAtATime)
{
    Server server;
    ASSERT_TRUE(server.socket.Startup());
    EXPECT_GT(server.socket.boundPort(), 0);

    ControlClient first;
    ASSERT_TRUE(first.connectTo(server.socket.boundPort()));
    ASSERT_TRUE(pumpUntilClient(*server.poller, server.socket, true));
    server.socket.send("WiredConnect");
    EXPECT_EQ(first.receive(13), std::string("WiredConnect", 13));

    ControlClient second;
    ASSERT_TRUE(second.connectTo(server.socket.boundPort()));
    std::vector<std::string> lines;
    ASSERT_TRUE(second.sendBytes("from second\n"));
    ASSERT_TRUE(pumpUntil(*server.poller, server.socket, lines, 1));
    EXPECT_EQ(lines.at(0), "from second");
    EXPECT_TRUE(first.waitForClose());

    second.close();
    EXPECT_TRUE(pumpUntilClient(*server.poller, server.socket, false));
    server.socket.send("nobody listens");   // no client: nothing happens
}

TEST(IPCSock, RefusesPeersOtherThanLoopbackOne)
{
    Server server;
    ASSERT_TRUE(server.socket.Startup());
    ControlClient stranger;
    if (!stranger.connectTo(server.socket.boundPort(), "127.0.0.2"))
        GTEST_SKIP() << "127.0.0.2 cannot be bound here";
    const auto deadline = std::chrono::steady_clock::now() + 500ms;
    std::vector<std::string> lines;
    while (std::chrono::steady_clock::now() < deadline) {
        server.poller->wait(Poller::Read, 50ms);
        server.socket.acceptClient();
        server.socket.receiveLines(lines);
    }
    EXPECT_FALSE(server.socket.hasClient());
    EXPECT_TRUE(stranger.waitForClose());
}

TEST(IPCSock, DropsAClientThatNeverEndsALine)
{
    Server server;
    ASSERT_TRUE(server.socket.Startup());
    ControlClient client;
    ASSERT_TRUE(client.connectTo(server.socket.boundPort()));
    ASSERT_TRUE(pumpUntilClient(*server.poller, server.socket, true));
    std::thread flood([&] { client.sendBytes(std::string(IPCSock::kMaxPendingBytes + 2000, 'q')); });
    EXPECT_TRUE(pumpUntilClient(*server.poller, server.socket, false));
    flood.join();
}

TEST(IPCSock, SecondServerOnTakenPortFails)
{
    Server first;
    ASSERT_TRUE(first.socket.Startup());
    auto poller = std::make_shared<Poller>();
    IPCSock second(poller, first.socket.boundPort());
#ifndef _WIN32
    // Winsock lets SO_REUSEADDR take over a bound port; POSIX refuses.
    EXPECT_FALSE(second.Startup());
    EXPECT_EQ(poller->count(), 0);
#endif
    IPCSock badAddress(poller, 1, "not-an-address");
    EXPECT_FALSE(badAddress.Startup());
}
