// The Win32 half of socket_io.h (Winsock).
#include "socket_io.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace nerevnet {

namespace {

constexpr int kWaitStepMs = 100;

std::string errorText(int code)
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

}  // namespace

void setNonBlocking(NativeSocket socket)
{
    u_long on = 1;
    ::ioctlsocket(SOCKET(socket), FIONBIO, &on);
}

bool waitReadable(NativeSocket socket, int timeoutMs)
{
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(SOCKET(socket), &readable);
    fd_set failed = readable;
    timeval wait{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    return ::select(0, &readable, nullptr, &failed, &wait) > 0;
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

}  // namespace nerevnet
