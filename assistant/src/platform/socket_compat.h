// One spelling of the BSD socket calls for Winsock and for POSIX sockets, so
// the control server and its tools build unchanged on both. Only what they use
// is here: the socket type, its invalid value, close, the last error, select
// limits, a non-blocking switch and the one-time start-up Winsock needs.
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>
#endif

namespace platform {

#ifdef _WIN32
using SocketHandle = SOCKET;
constexpr SocketHandle kInvalidSocket = INVALID_SOCKET;
constexpr int kSocketError = SOCKET_ERROR;
using SocketLength = int;
#else
using SocketHandle = int;
constexpr SocketHandle kInvalidSocket = -1;
constexpr int kSocketError = -1;
using SocketLength = socklen_t;
#endif

// Flags for send(): a send to a peer that has gone must come back as an error,
// not as SIGPIPE, which would end the whole process on POSIX.
#if defined(_WIN32)
constexpr int kSendFlags = 0;
#elif defined(MSG_NOSIGNAL)
constexpr int kSendFlags = MSG_NOSIGNAL;
#else
constexpr int kSendFlags = 0;
#endif

// Starts Winsock 2.0 for this process (counted by the system, so calling it
// once per user is fine); nothing to do on POSIX.
inline bool socketStartup()
{
#ifdef _WIN32
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 0), &data) == 0;
#else
    return true;
#endif
}

inline void socketCleanup()
{
#ifdef _WIN32
    WSACleanup();
#endif
}

inline int closeSocket(SocketHandle socket)
{
#ifdef _WIN32
    return closesocket(socket);
#else
    return ::close(socket);
#endif
}

// The error code of the last failed socket call on this thread.
inline int lastSocketError()
{
#ifdef _WIN32
    return WSAGetLastError();
#else
    return errno;
#endif
}

// True when the last failure only means "try again later".
inline bool socketWouldBlock(int error)
{
#ifdef _WIN32
    return error == WSAEWOULDBLOCK;
#else
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
#endif
}

inline bool setSocketNonBlocking(SocketHandle socket, bool nonBlocking)
{
#ifdef _WIN32
    u_long mode = nonBlocking ? 1 : 0;
    return ioctlsocket(socket, FIONBIO, &mode) == 0;
#else
    const int flags = fcntl(socket, F_GETFL, 0);
    if (flags < 0)
        return false;
    return fcntl(socket, F_SETFL, nonBlocking ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK)) == 0;
#endif
}

// Keeps `socket` out of child processes. Without this every program the
// assistant starts (adb, whose server lives on after the command) would hold
// the control port open, and the next start of the assistant could not bind it.
inline bool setSocketNotInherited(SocketHandle socket)
{
#ifdef _WIN32
    return SetHandleInformation(reinterpret_cast<HANDLE>(socket), HANDLE_FLAG_INHERIT, 0) != 0;
#else
    const int flags = fcntl(socket, F_GETFD, 0);
    return flags >= 0 && fcntl(socket, F_SETFD, flags | FD_CLOEXEC) == 0;
#endif
}

// Whether `socket` may go into an fd_set. Winsock sets hold handles of any
// value (up to FD_SETSIZE of them); a POSIX set is a bitmap indexed by the
// descriptor, so a descriptor at or above FD_SETSIZE would write past it.
inline bool socketFitsFdSet(SocketHandle socket)
{
#ifdef _WIN32
    return socket != INVALID_SOCKET;
#else
    return socket >= 0 && socket < FD_SETSIZE;
#endif
}

// The first argument of select(): ignored by Winsock, highest descriptor + 1
// on POSIX.
inline int selectWidth(SocketHandle highest)
{
#ifdef _WIN32
    (void)highest;
    return 0;
#else
    return highest + 1;
#endif
}

// Options of setsockopt take a char pointer on Winsock and a void pointer on
// POSIX; both accept this.
inline int setSocketOption(SocketHandle socket, int level, int name, int value)
{
    return setsockopt(socket, level, name, reinterpret_cast<const char *>(&value), sizeof(value));
}

} // namespace platform
