#include "socket_io.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>
#endif

namespace nerevnet {

namespace {
constexpr int kWaitStepMs = 100;
}

#ifdef _WIN32

static std::string errorText(int code)
{
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, DWORD(code), 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string result = text ? text : ("socket error " + std::to_string(code));
    if (text) {
        LocalFree(text);
    }
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r')) {
        result.pop_back();
    }
    return result;
}

void setNonBlocking(NativeSocket socket)
{
    u_long on = 1;
    ::ioctlsocket(SOCKET(socket), FIONBIO, &on);
}

bool writeAll(NativeSocket socket, const void* first, size_t firstLength, const void* second,
              size_t secondLength, const std::atomic<bool>& cancel, std::string& error)
{
    const char* parts[2] = {static_cast<const char*>(first), static_cast<const char*>(second)};
    size_t left[2] = {firstLength, secondLength};
    for (int i = 0; i < 2; ++i) {
        while (left[i] > 0) {
            const int chunk = left[i] > (1u << 30) ? (1 << 30) : int(left[i]);
            const int sent = ::send(SOCKET(socket), parts[i], chunk, 0);
            if (sent == SOCKET_ERROR) {
                const int code = WSAGetLastError();
                if (code != WSAEWOULDBLOCK) {
                    error = errorText(code);
                    return false;
                }
                if (cancel) {
                    error = "write cancelled";
                    return false;
                }
                fd_set writable;
                FD_ZERO(&writable);
                FD_SET(SOCKET(socket), &writable);
                timeval step{0, kWaitStepMs * 1000};
                ::select(0, nullptr, &writable, nullptr, &step);
                continue;
            }
            parts[i] += sent;
            left[i] -= size_t(sent);
        }
    }
    return true;
}

void enableUdpErrorReports(NativeSocket)
{
    // Windows reports a closed peer port as WSAECONNRESET on UDP sockets by default.
}

void drainUdpErrorReports(NativeSocket)
{
    // Windows keeps no queue of such reports.
}

#else

void setNonBlocking(NativeSocket socket)
{
    const int flags = ::fcntl(socket, F_GETFL, 0);
    if (flags >= 0) {
        ::fcntl(socket, F_SETFL, flags | O_NONBLOCK);
    }
}

bool writeAll(NativeSocket socket, const void* first, size_t firstLength, const void* second,
              size_t secondLength, const std::atomic<bool>& cancel, std::string& error)
{
    iovec parts[2] = {{const_cast<void*>(first), firstLength}, {const_cast<void*>(second), secondLength}};
    int index = 0;
    while (index < 2) {
        if (parts[index].iov_len == 0) {
            ++index;
            continue;
        }
        msghdr message{};
        message.msg_iov = parts + index;
        message.msg_iovlen = size_t(2 - index);
        const ssize_t sent = ::sendmsg(socket, &message, MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                error = std::strerror(errno);
                return false;
            }
            if (cancel) {
                error = "write cancelled";
                return false;
            }
            pollfd entry{socket, POLLOUT, 0};
            ::poll(&entry, 1, kWaitStepMs);
            continue;
        }
        size_t done = size_t(sent);
        while (index < 2 && done >= parts[index].iov_len) {
            done -= parts[index].iov_len;
            parts[index].iov_len = 0;
            ++index;
        }
        if (index < 2) {
            parts[index].iov_base = static_cast<char*>(parts[index].iov_base) + done;
            parts[index].iov_len -= done;
        }
    }
    return true;
}

void enableUdpErrorReports(NativeSocket socket)
{
    const int on = 1;
    // One of the two fails on a socket of the other family; that is harmless.
    ::setsockopt(socket, IPPROTO_IP, IP_RECVERR, &on, sizeof(on));
    ::setsockopt(socket, IPPROTO_IPV6, IPV6_RECVERR, &on, sizeof(on));
}

void drainUdpErrorReports(NativeSocket socket)
{
    char buffer[512];
    char control[512];
    for (int i = 0; i < 1024; ++i) {
        iovec part{buffer, sizeof(buffer)};
        msghdr message{};
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof(control);
        if (::recvmsg(socket, &message, MSG_ERRQUEUE | MSG_DONTWAIT) < 0) {
            return;
        }
    }
}

#endif

}  // namespace nerevnet
