#include "facility_roles.h"

#include "child_process.h"

#include <chrono>
#include <cstdio>
#include <thread>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#include <fcntl.h>
#include <io.h>
using socket_t = SOCKET;
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
using socket_t = int;
#endif

namespace testsupport {
namespace {

constexpr auto kLifetime = std::chrono::seconds(30);

void closeSocket(socket_t s)
{
#ifdef _WIN32
    closesocket(s);
#else
    close(s);
#endif
}

int socketRole(const std::vector<std::string> &a, bool listening)
{
#ifdef _WIN32
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
#endif
    socket_t s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (listening) {
        if (bind(s, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 || listen(s, 4) != 0)
            return 1;
    } else {
        addr.sin_port = htons(static_cast<unsigned short>(std::stoi(a[1])));
        if (connect(s, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0)
            return 1;
    }
    sockaddr_in local{};
    socklen_t len = sizeof local;
    getsockname(s, reinterpret_cast<sockaddr *>(&local), &len);
    writeFileAtomically(listening ? a[1] : a[2], std::to_string(ntohs(local.sin_port)));
    std::this_thread::sleep_for(kLifetime);
    closeSocket(s);
    return 0;
}

} // namespace

std::string printPattern(std::size_t n)
{
    std::string out;
    while (out.size() < n)
        out += "abcdefghij\n";
    out.resize(n);
    return out;
}

int facilityRole(const std::vector<std::string> &a)
{
    if (a[0] == "linger" && a.size() > 1) {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::stol(a[1])));
        return 0;
    }
    if (a[0] == "print" && a.size() > 1) {
#ifdef _WIN32
        _setmode(_fileno(stdout), _O_BINARY);
        _setmode(_fileno(stderr), _O_BINARY);
#endif
        const std::string text = printPattern(std::stoul(a[1]));
        const std::size_t half = a.size() > 2 ? text.size() / 2 : 0;
        std::fwrite(text.data(), 1, half, stderr);
        std::fflush(stderr);
        std::fwrite(text.data() + half, 1, text.size() - half, stdout);
        std::fflush(stdout);
        return 0;
    }
    if (a[0] == "console" && a.size() > 1) {
#ifdef _WIN32
        _setmode(_fileno(stdout), _O_BINARY);
#endif
        const std::string text = inConsoleCodePage(waitForFile(a[1], std::chrono::seconds(5)));
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fflush(stdout);
        return 0;
    }
    if (a[0] == "listen" && a.size() > 1)
        return socketRole(a, true);
    if (a[0] == "connect" && a.size() > 2)
        return socketRole(a, false);
    return -1;
}

} // namespace testsupport
