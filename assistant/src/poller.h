#pragma once

#include "platform/socket_compat.h"

#include <atomic>
#include <chrono>
#include <vector>

// Readiness of a small set of sockets through select(). The control server's
// worker waits here; besides the watched sockets the poller owns a loopback
// datagram socket that wake() writes to, so another thread can end a wait at
// once (used to stop the worker without polling for the stop flag).
class Poller
{
public:
    enum Kind { Read = 1, Write = 2, Except = 4 };
    static constexpr int kMaxSockets = 64;

    Poller();
    ~Poller();
    Poller(const Poller &) = delete;
    Poller &operator=(const Poller &) = delete;

    // Adds `socket` to the watched set unless it is there already or the set
    // is full; false when it was not added.
    bool add(platform::SocketHandle socket);
    void remove(platform::SocketHandle socket);
    bool contains(platform::SocketHandle socket) const;
    int count() const;

    // Waits until a watched socket is ready for one of `kinds`, wake() is
    // called, or `timeout` passes. Returns select()'s result for the watched
    // sockets (0 also after a wake), or the socket error value on failure.
    int wait(int kinds, std::chrono::microseconds timeout);
    // Ends the current or the next wait(); safe from any thread.
    void wake();
    // Whether the last wait() found `socket` ready for `kind` (1, 2 or 4).
    bool isSet(platform::SocketHandle socket, int kind) const;

private:
    std::vector<platform::SocketHandle> m_master;
    fd_set m_readResult;
    fd_set m_writeResult;
    fd_set m_exceptResult;
    platform::SocketHandle m_wakeSocket = platform::kInvalidSocket;
    sockaddr_in m_wakeAddress {};
};
