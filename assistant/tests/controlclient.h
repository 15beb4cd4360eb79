#pragma once

// A raw TCP client for the control-socket tests: plain blocking sockets with
// select() bounds, so a test sees exactly the bytes that travel.
#include "platform/socket_compat.h"

#include <chrono>
#include <string>

class ControlClient
{
public:
    ControlClient() { platform::socketStartup(); }
    ~ControlClient() { close(); }
    ControlClient(const ControlClient &) = delete;
    ControlClient &operator=(const ControlClient &) = delete;

    bool connectTo(int port, const char *localAddress = nullptr)
    {
        m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
        if (m_socket == platform::kInvalidSocket)
            return false;
        if (localAddress) {
            sockaddr_in local {};
            local.sin_family = AF_INET;
            inet_pton(AF_INET, localAddress, &local.sin_addr);
            if (::bind(m_socket, reinterpret_cast<sockaddr *>(&local), sizeof(local)) != 0)
                return false;
        }
        sockaddr_in server {};
        server.sin_family = AF_INET;
        server.sin_port = htons(static_cast<unsigned short>(port));
        inet_pton(AF_INET, "127.0.0.1", &server.sin_addr);
        return ::connect(m_socket, reinterpret_cast<sockaddr *>(&server), sizeof(server)) == 0;
    }

    bool sendBytes(const std::string &bytes)
    {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const int n = static_cast<int>(::send(m_socket, bytes.data() + sent, static_cast<int>(bytes.size() - sent),
                                                  platform::kSendFlags));
            if (n <= 0)
                return false;
            sent += static_cast<std::size_t>(n);
        }
        return true;
    }

    // Reads until `count` bytes have come, the peer closed, or `timeout` passed.
    std::string receive(std::size_t count, std::chrono::milliseconds timeout = std::chrono::milliseconds(3000))
    {
        std::string data;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        m_closedByPeer = false;
        while (data.size() < count) {
            const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                break;
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(m_socket, &readable);
            timeval tv { static_cast<long>(left.count() / 1000000), static_cast<long>(left.count() % 1000000) };
            if (::select(platform::selectWidth(m_socket), &readable, nullptr, nullptr, &tv) <= 0)
                break;
            char chunk[4096];
            const int n = static_cast<int>(::recv(m_socket, chunk, static_cast<int>(std::min(sizeof(chunk), count - data.size())), 0));
            if (n <= 0) {
                m_closedByPeer = true;
                break;
            }
            data.append(chunk, static_cast<std::size_t>(n));
        }
        return data;
    }

    // True when the server closed the connection within `timeout`.
    bool waitForClose(std::chrono::milliseconds timeout = std::chrono::milliseconds(3000))
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            receive(1u << 20, std::chrono::milliseconds(100));
            if (m_closedByPeer)
                return true;
        }
        return false;
    }

    void close()
    {
        if (m_socket != platform::kInvalidSocket) {
            platform::closeSocket(m_socket);
            m_socket = platform::kInvalidSocket;
        }
    }

private:
    platform::SocketHandle m_socket = platform::kInvalidSocket;
    bool m_closedByPeer = false;
};

// A loopback port that was free a moment ago.
inline int freeLoopbackPort()
{
    platform::socketStartup();
    platform::SocketHandle s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in local {};
    local.sin_family = AF_INET;
    inet_pton(AF_INET, "127.0.0.1", &local.sin_addr);
    ::bind(s, reinterpret_cast<sockaddr *>(&local), sizeof(local));
    platform::SocketLength length = sizeof(local);
    ::getsockname(s, reinterpret_cast<sockaddr *>(&local), &length);
    platform::closeSocket(s);
    return ntohs(local.sin_port);
}
