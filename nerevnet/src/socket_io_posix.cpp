// The POSIX half of socket_io.h.
#include "socket_io.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>

namespace nerevnet {

namespace {
constexpr int kWaitStepMs = 100;
}

void setNonBlocking(NativeSocket socket)
{
    const int flags = ::fcntl(socket, F_GETFL, 0);
    if (flags >= 0) {
        ::fcntl(socket, F_SETFL, flags | O_NONBLOCK);
    }
}

bool waitReadable(NativeSocket socket, int timeoutMs)
{
    pollfd entry{socket, POLLIN, 0};
    return ::poll(&entry, 1, timeoutMs) > 0;
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

}  // namespace nerevnet
