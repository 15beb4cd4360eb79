#pragma once

#include "platform/socket_compat.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class Poller;

// The control server's sockets: a listening socket on the loopback address
// and at most one client, with the framing of the client's byte stream into
// lines ended by a line feed. It does no locking of its own; SysManager
// serialises every use.
class IPCSock
{
public:
    static constexpr int kDefaultPort = 9932;
    static constexpr const char *kDefaultAddress = "127.0.0.1";
    // Bytes a client may send without a line feed before it is dropped.
    static constexpr std::size_t kMaxPendingBytes = 64 * 1024;

    // `port` below 1 means 9932, a null `bindAddress` means "127.0.0.1".
    explicit IPCSock(std::shared_ptr<Poller> poller, int port = -1, const char *bindAddress = nullptr);
    ~IPCSock();
    IPCSock(const IPCSock &) = delete;
    IPCSock &operator=(const IPCSock &) = delete;

    bool Startup();
    // Closes the client and the listening socket and takes them off the poller.
    void shutdown();

    // Accepts a waiting connection if the last wait found one; a loopback
    // peer replaces the current client, any other peer is refused.
    void acceptClient();
    // Reads what the client sent if the last wait found it readable and moves
    // every complete line into `lines`. True when at least one line came.
    bool receiveLines(std::vector<std::string> &lines);
    // Sends `text` and its NUL terminator to the client, if there is one.
    void send(const std::string &text);

    bool hasClient() const { return m_clientSocket != platform::kInvalidSocket; }
    // The port the listening socket is bound to; 0 before a successful start.
    int boundPort() const { return m_boundPort; }
    // The port Startup() binds to.
    int configuredPort() const { return m_port < 1 ? kDefaultPort : m_port; }

    // Appends `size` bytes of `data` (up to the first NUL among them) to
    // `buffer` and moves each text ended by a line feed, without it, into
    // `lines`. False when the bytes left without a line feed exceed
    // kMaxPendingBytes; the buffer is then emptied.
    static bool takeLines(std::string &buffer, const char *data, std::size_t size, std::vector<std::string> &lines);

private:
    void closeClient();

    std::shared_ptr<Poller> m_poller;
    platform::SocketHandle m_listenSocket = platform::kInvalidSocket;
    platform::SocketHandle m_clientSocket = platform::kInvalidSocket;
    std::string m_rxBuffer;
    int m_port = -1;
    const char *m_bindAddress = nullptr;
    int m_boundPort = 0;
};
