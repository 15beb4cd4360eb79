#include "ipcsock.h"

#include "poller.h"

#include <cstring>
#include <iostream>

using platform::SocketHandle;

IPCSock::IPCSock(std::shared_ptr<Poller> poller, int port, const char *bindAddress)
    : m_poller(std::move(poller))
    , m_port(port)
    , m_bindAddress(bindAddress)
{
}

IPCSock::~IPCSock()
{
    shutdown();
}

bool IPCSock::Startup()
{
    platform::socketStartup();
    const char *address = m_bindAddress ? m_bindAddress : kDefaultAddress;
    const int port = m_port < 1 ? kDefaultPort : m_port;

    m_listenSocket = ::socket(AF_INET, SOCK_STREAM, 0);
    if (m_listenSocket == platform::kInvalidSocket) {
        std::cerr << "ControlSocket::Startup socket error : " << platform::lastSocketError() << std::endl;
        return false;
    }
    platform::setSocketNotInherited(m_listenSocket);
    platform::setSocketOption(m_listenSocket, SOL_SOCKET, SO_REUSEADDR, 1);

    sockaddr_in local {};
    local.sin_family = AF_INET;
    local.sin_port = htons(static_cast<unsigned short>(port));
    if (inet_pton(AF_INET, address, &local.sin_addr) != 1
        || ::bind(m_listenSocket, reinterpret_cast<sockaddr *>(&local), sizeof(local)) == platform::kSocketError) {
        std::cerr << "ControlSocket::Startup bind error : " << platform::lastSocketError() << std::endl;
        platform::closeSocket(m_listenSocket);
        m_listenSocket = platform::kInvalidSocket;
        return false;
    }
    if (::listen(m_listenSocket, 10) == platform::kSocketError) {
        std::cerr << "ControlSocket::Startup listen error : " << platform::lastSocketError() << std::endl;
        platform::closeSocket(m_listenSocket);
        m_listenSocket = platform::kInvalidSocket;
        return false;
    }
    platform::SocketLength length = sizeof(local);
    if (::getsockname(m_listenSocket, reinterpret_cast<sockaddr *>(&local), &length) == 0)
        m_boundPort = ntohs(local.sin_port);

    std::cout << "ControlSocket::Startup Successfully bound to " << address << " " << m_boundPort << std::endl;
    if (!m_poller->add(m_listenSocket)) {
        std::cerr << "ControlSocket::Startup cannot watch the listening socket" << std::endl;
        platform::closeSocket(m_listenSocket);
        m_listenSocket = platform::kInvalidSocket;
        m_boundPort = 0;
        return false;
    }
    return true;
}

void IPCSock::shutdown()
{
    closeClient();
    if (m_listenSocket != platform::kInvalidSocket) {
        m_poller->remove(m_listenSocket);
        platform::closeSocket(m_listenSocket);
        m_listenSocket = platform::kInvalidSocket;
        m_boundPort = 0;
    }
}

void IPCSock::acceptClient()
{
    if (m_listenSocket == platform::kInvalidSocket || !m_poller->isSet(m_listenSocket, Poller::Read))
        return;
    sockaddr_in peer {};
    platform::SocketLength length = sizeof(peer);
    SocketHandle socket = ::accept(m_listenSocket, reinterpret_cast<sockaddr *>(&peer), &length);
    if (socket == platform::kInvalidSocket)
        return;
    platform::setSocketNotInherited(socket);
    if (peer.sin_family != AF_INET || peer.sin_addr.s_addr != htonl(INADDR_LOOPBACK)) {
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &peer.sin_addr, text, sizeof(text));
        std::cout << "Refused control client from " << text << std::endl;
        platform::closeSocket(socket);
        return;
    }
    if (m_clientSocket != platform::kInvalidSocket) {
        std::cout << "Closing old control client" << std::endl;
        closeClient();
    }
    // Non-blocking, so that a client that stops reading cannot make a send
    // from the GUI thread hang.
    platform::setSocketNonBlocking(socket, true);
    if (!m_poller->add(socket)) {
        std::cout << "Control client cannot be watched, closing it" << std::endl;
        platform::closeSocket(socket);
        return;
    }
    m_clientSocket = socket;
}

bool IPCSock::receiveLines(std::vector<std::string> &lines)
{
    if (m_clientSocket == platform::kInvalidSocket || !m_poller->isSet(m_clientSocket, Poller::Read))
        return false;
    char chunk[1000];
    const int received = static_cast<int>(::recv(m_clientSocket, chunk, 999, 0));
    if (received == 0) {
        std::cout << "Control connection has closed" << std::endl;
        closeClient();
        return false;
    }
    if (received < 0) {
        const int error = platform::lastSocketError();
        if (platform::socketWouldBlock(error))
            return false;
        std::cout << "Error on recv. close control client: " << error << std::endl;
        closeClient();
        return false;
    }
    const std::size_t before = lines.size();
    if (!takeLines(m_rxBuffer, chunk, static_cast<std::size_t>(received), lines)) {
        std::cout << "Control client sent more than " << kMaxPendingBytes
                  << " bytes without a line feed, closing it" << std::endl;
        closeClient();
    }
    return lines.size() > before;
}

void IPCSock::send(const std::string &text)
{
    if (m_clientSocket == platform::kInvalidSocket)
        return;
    ::send(m_clientSocket, text.c_str(), static_cast<int>(text.size() + 1), platform::kSendFlags);
}

bool IPCSock::takeLines(std::string &buffer, const char *data, std::size_t size, std::vector<std::string> &lines)
{
    const void *nul = std::memchr(data, '\0', size);
    const std::size_t kept = nul ? static_cast<std::size_t>(static_cast<const char *>(nul) - data) : size;
    std::size_t start = buffer.size();
    buffer.append(data, kept);

    // Only the new bytes can hold a line feed: the old rest had none.
    std::size_t lineStart = 0;
    std::size_t feed;
    while ((feed = buffer.find('\n', start)) != std::string::npos) {
        lines.emplace_back(buffer, lineStart, feed - lineStart);
        lineStart = feed + 1;
        start = lineStart;
    }
    buffer.erase(0, lineStart);
    if (buffer.size() > kMaxPendingBytes) {
        buffer.clear();
        return false;
    }
    return true;
}

// Also forgets the bytes the client left without a line feed, so a new
// client never continues the old client's line.
void IPCSock::closeClient()
{
    m_rxBuffer.clear();
    if (m_clientSocket == platform::kInvalidSocket)
        return;
    m_poller->remove(m_clientSocket);
    platform::closeSocket(m_clientSocket);
    m_clientSocket = platform::kInvalidSocket;
}
