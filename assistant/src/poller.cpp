#include "poller.h"

#include <algorithm>
#include <cstring>
#include <iostream>

using platform::SocketHandle;

Poller::Poller()
{
    FD_ZERO(&m_readResult);
    FD_ZERO(&m_writeResult);
    FD_ZERO(&m_exceptResult);
    platform::socketStartup();

    // The wake-up socket: a datagram socket on an ephemeral loopback port
    // that sends to itself.
    m_wakeSocket = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (m_wakeSocket == platform::kInvalidSocket || !platform::socketFitsFdSet(m_wakeSocket)) {
        std::cerr << "Poller wake socket error : " << platform::lastSocketError() << std::endl;
        if (m_wakeSocket != platform::kInvalidSocket)
            platform::closeSocket(m_wakeSocket);
        m_wakeSocket = platform::kInvalidSocket;
        return;
    }
    platform::setSocketNotInherited(m_wakeSocket);
    m_wakeAddress.sin_family = AF_INET;
    m_wakeAddress.sin_port = 0;
    m_wakeAddress.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    platform::SocketLength length = sizeof(m_wakeAddress);
    if (::bind(m_wakeSocket, reinterpret_cast<sockaddr *>(&m_wakeAddress), sizeof(m_wakeAddress)) != 0
        || ::getsockname(m_wakeSocket, reinterpret_cast<sockaddr *>(&m_wakeAddress), &length) != 0) {
        std::cerr << "Poller wake socket bind error : " << platform::lastSocketError() << std::endl;
        platform::closeSocket(m_wakeSocket);
        m_wakeSocket = platform::kInvalidSocket;
        return;
    }
    platform::setSocketNonBlocking(m_wakeSocket, true);
}

Poller::~Poller()
{
    if (m_wakeSocket != platform::kInvalidSocket)
        platform::closeSocket(m_wakeSocket);
    platform::socketCleanup();
}

bool Poller::add(SocketHandle socket)
{
    if (contains(socket) || static_cast<int>(m_master.size()) >= kMaxSockets || !platform::socketFitsFdSet(socket))
        return false;
    m_master.push_back(socket);
    return true;
}

void Poller::remove(SocketHandle socket)
{
    m_master.erase(std::remove(m_master.begin(), m_master.end(), socket), m_master.end());
}

bool Poller::contains(SocketHandle socket) const
{
    return std::find(m_master.begin(), m_master.end(), socket) != m_master.end();
}

int Poller::count() const
{
    return static_cast<int>(m_master.size());
}

int Poller::wait(int kinds, std::chrono::microseconds timeout)
{
    fd_set sets[3];
    const int kindBits[3] = { Read, Write, Except };
    SocketHandle highest = 0;
    for (int i = 0; i < 3; ++i) {
        FD_ZERO(&sets[i]);
        if (!(kinds & kindBits[i]))
            continue;
        for (SocketHandle socket : m_master) {
            FD_SET(socket, &sets[i]);
            highest = std::max(highest, socket);
        }
    }
    if (m_wakeSocket != platform::kInvalidSocket) {
        FD_SET(m_wakeSocket, &sets[0]);
        highest = std::max(highest, m_wakeSocket);
    }

    timeval tv;
    tv.tv_sec = static_cast<long>(timeout.count() / 1000000);
    tv.tv_usec = static_cast<long>(timeout.count() % 1000000);
    int result = ::select(platform::selectWidth(highest), &sets[0], &sets[1], &sets[2], &tv);
    if (result == platform::kSocketError) {
        std::cerr << "select error :" << platform::lastSocketError() << std::endl;
        for (fd_set &set : sets)
            FD_ZERO(&set);
    } else if (m_wakeSocket != platform::kInvalidSocket && FD_ISSET(m_wakeSocket, &sets[0])) {
        char drain[64];
        while (::recv(m_wakeSocket, drain, sizeof(drain), 0) > 0) {
        }
        FD_CLR(m_wakeSocket, &sets[0]);
        --result;
    }
    m_readResult = sets[0];
    m_writeResult = sets[1];
    m_exceptResult = sets[2];
    return result;
}

void Poller::wake()
{
    if (m_wakeSocket == platform::kInvalidSocket)
        return;
    const char byte = 1;
    ::sendto(m_wakeSocket, &byte, 1, 0, reinterpret_cast<const sockaddr *>(&m_wakeAddress), sizeof(m_wakeAddress));
}

bool Poller::isSet(SocketHandle socket, int kind) const
{
    if (!platform::socketFitsFdSet(socket))
        return false;
    switch (kind) {
    case Read:
        return FD_ISSET(socket, const_cast<fd_set *>(&m_readResult)) != 0;
    case Write:
        return FD_ISSET(socket, const_cast<fd_set *>(&m_writeResult)) != 0;
    case Except:
        return FD_ISSET(socket, const_cast<fd_set *>(&m_exceptResult)) != 0;
    default:
        return false;
    }
}
