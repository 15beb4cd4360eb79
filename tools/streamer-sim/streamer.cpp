#include "streamer.h"

#include "platform/shared_block.h"

#include <algorithm>
#include <cstring>
#include <iostream>

namespace {
std::string printable(const std::string &text)
{
    std::string out;
    for (unsigned char c : text) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else
            out += static_cast<char>(c);
    }
    return out;
}

// Splits "Prefix name ip " into name and ip: the ip is the last word, the name
// everything before it (a name may hold blanks).
bool splitNameAndIp(const std::string &rest, std::string &name, std::string &ip)
{
    std::string text = rest;
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    const std::size_t blank = text.rfind(' ');
    if (blank == std::string::npos)
        return false;
    name = text.substr(0, blank);
    ip = text.substr(blank + 1);
    return true;
}
} // namespace

bool parseHeadset(const std::string &text, Headset &headset)
{
    const std::size_t first = text.find(';');
    const std::size_t second = first == std::string::npos ? first : text.find(';', first + 1);
    if (second == std::string::npos)
        return false;
    headset.name = text.substr(0, first);
    headset.ip = text.substr(first + 1, second - first - 1);
    const std::string state = text.substr(second + 1);
    if (state != "true" && state != "false")
        return false;
    headset.connected = state == "true";
    return !headset.name.empty();
}

Streamer::Streamer(StreamerOptions options)
    : m_options(std::move(options))
    , m_started(Clock::now())
    , m_nextConnect(m_started)
    , m_nextReport(m_started)
{
    // Binary: the lines end in "\n" on Windows too.
    if (!m_options.logFile.empty())
        m_log = std::fopen(m_options.logFile.c_str(), "ab");
    log("streamer-sim: control server " + m_options.host + ":" + std::to_string(m_options.port));
}

Streamer::~Streamer()
{
    close();
}

void Streamer::close()
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_socket != platform::kInvalidSocket) {
        platform::closeSocket(m_socket);
        m_socket = platform::kInvalidSocket;
    }
    if (m_block) {
        m_block->close();
        m_block.reset();
    }
    if (m_log) {
        std::fclose(m_log);
        m_log = nullptr;
    }
}

void Streamer::log(const std::string &line)
{
    std::cout << line << std::endl;
    if (m_log) {
        std::fprintf(m_log, "%s\n", line.c_str());
        std::fflush(m_log);
    }
}

void Streamer::queueRawLine(const std::string &line)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_rawLines.push_back(line);
}

void Streamer::stdinClosed()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_stdinClosed = true;
}

bool Streamer::finished() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_stdinClosed && m_rawLines.empty();
}

std::string Streamer::headsetList() const
{
    std::string list;
    if (!m_options.deviceId.empty())
        list = "deviceId:" + m_options.deviceId;
    for (const Headset &headset : m_options.headsets) {
        if (!list.empty())
            list += "~";
        list += headset.name + ";" + headset.ip + ";" + (headset.connected ? "true" : "false") + ";1";
    }
    return list;
}

void Streamer::step(std::chrono::milliseconds wait)
{
    runDueWork();
    if (m_socket == platform::kInvalidSocket) {
        if (Clock::now() >= m_nextConnect)
            connectToServer();
        if (m_socket == platform::kInvalidSocket) {
            timeval tv { 0, static_cast<long>(std::min<long long>(wait.count(), 50) * 1000) };
            ::select(0, nullptr, nullptr, nullptr, &tv);
            return;
        }
    }
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(m_socket, &readable);
    timeval tv { 0, static_cast<long>(wait.count() * 1000) };
    if (::select(platform::selectWidth(m_socket), &readable, nullptr, nullptr, &tv) > 0 && FD_ISSET(m_socket, &readable))
        receive();
    runDueWork();
}

void Streamer::connectToServer()
{
    m_nextConnect = Clock::now() + std::chrono::milliseconds(m_options.reconnectMs);
    platform::SocketHandle socket = ::socket(AF_INET, SOCK_STREAM, 0);
    if (socket == platform::kInvalidSocket)
        return;
    if (!m_options.bindAddress.empty()) {
        sockaddr_in local {};
        local.sin_family = AF_INET;
        if (inet_pton(AF_INET, m_options.bindAddress.c_str(), &local.sin_addr) != 1
            || ::bind(socket, reinterpret_cast<sockaddr *>(&local), sizeof(local)) != 0) {
            log("streamer-sim: cannot bind to " + m_options.bindAddress);
            platform::closeSocket(socket);
            return;
        }
    }
    sockaddr_in server {};
    server.sin_family = AF_INET;
    server.sin_port = htons(static_cast<unsigned short>(m_options.port));
    if (inet_pton(AF_INET, m_options.host.c_str(), &server.sin_addr) != 1
        || ::connect(socket, reinterpret_cast<sockaddr *>(&server), sizeof(server)) != 0) {
        platform::closeSocket(socket);
        return;
    }
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_socket = socket;
    }
    m_rxBuffer.clear();
    log("streamer-sim: connected");
    if (!m_everConnected) {
        m_everConnected = true;
        m_firstConnect = Clock::now();
    }
    if (m_options.sendHello)
        sendLine("Hello");
    sendHeadsetList();
    m_nextReport = Clock::now() + std::chrono::milliseconds(m_options.reportMs);
}

void Streamer::dropConnection(const char *why)
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_socket == platform::kInvalidSocket)
            return;
        platform::closeSocket(m_socket);
        m_socket = platform::kInvalidSocket;
    }
    m_rxBuffer.clear();
    log(std::string("streamer-sim: disconnected: ") + why);
    m_nextConnect = Clock::now() + std::chrono::milliseconds(m_options.reconnectMs);
}

void Streamer::receive()
{
    char chunk[1024];
    const int received = static_cast<int>(::recv(m_socket, chunk, sizeof(chunk), 0));
    if (received <= 0) {
        dropConnection(received == 0 ? "closed by the assistant" : "receive error");
        return;
    }
    m_rxBuffer.append(chunk, static_cast<std::size_t>(received));
    // The assistant ends every command with a NUL byte.
    std::size_t end;
    while ((end = m_rxBuffer.find('\0')) != std::string::npos) {
        const std::string command = m_rxBuffer.substr(0, end);
        m_rxBuffer.erase(0, end + 1);
        handleCommand(command);
    }
}

void Streamer::handleCommand(const std::string &command)
{
    log("received: " + printable(command));
    std::string name, ip;
    if (command == "HMDInfoRequest") {
        sendHeadsetList();
    } else if (command == "WiredConnect") {
        m_wired = true;
        sendDeviceState();
    } else if (command == "WirelessConnect") {
        m_wired = false;
        sendDeviceState();
    } else if (command.rfind("LinkTo ", 0) == 0 && splitNameAndIp(command.substr(7), name, ip)) {
        m_pendingLinks.push_back({ Clock::now() + std::chrono::milliseconds(m_options.linkDelayMs), name, ip });
    } else if (command.rfind("Disconnect ", 0) == 0 && splitNameAndIp(command.substr(11), name, ip)) {
        for (Headset &headset : m_options.headsets) {
            if (headset.name == name && headset.ip == ip)
                headset.connected = false;
        }
        sendHeadsetList();
        sendDeviceState();
    }
    // "RegisterFireWall" and the answer to "Hello" are only logged.
}

void Streamer::sendLine(const std::string &line)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_socket == platform::kInvalidSocket)
        return;
    const std::string data = line + "\n";
    ::send(m_socket, data.data(), static_cast<int>(data.size()), platform::kSendFlags);
}

void Streamer::sendHeadsetList()
{
    sendLine("HMDINFOBACK\t" + headsetList());
}

bool Streamer::anyConnected() const
{
    for (const Headset &headset : m_options.headsets) {
        if (headset.connected)
            return true;
    }
    return false;
}

void Streamer::sendDeviceState()
{
    const bool connected = m_wired ? m_options.wiredConnected : anyConnected();
    sendLine(std::string("DeviceConnectBack\t") + (connected ? "true" : "false"));
}

void Streamer::runDueWork()
{
    const Clock::time_point now = Clock::now();
    if (!m_loadedSignalled && m_options.useSharedBlock
        && now - m_started >= std::chrono::milliseconds(m_options.loadedAfterMs))
        signalLoaded();

    std::vector<std::string> raw;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_socket != platform::kInvalidSocket)
            raw.swap(m_rawLines);
    }
    for (const std::string &line : raw)
        sendLine(line);

    if (m_socket == platform::kInvalidSocket)
        return;

    for (auto it = m_pendingLinks.begin(); it != m_pendingLinks.end();) {
        if (it->due > now) {
            ++it;
            continue;
        }
        bool known = false;
        for (Headset &headset : m_options.headsets) {
            const bool match = headset.name == it->name && headset.ip == it->ip;
            headset.connected = match;
            known = known || match;
        }
        if (!known)
            m_options.headsets.push_back({ it->name, it->ip, true });
        log("streamer-sim: linked " + it->name + " " + it->ip);
        it = m_pendingLinks.erase(it);
        sendHeadsetList();
        sendDeviceState();
    }

    if (m_options.restartSteamVRMs >= 0 && !m_restartSent
        && now - m_firstConnect >= std::chrono::milliseconds(m_options.restartSteamVRMs)) {
        m_restartSent = true;
        sendLine("RESTARTSTEAMVR");
    }

    if (m_options.reportMs > 0 && now >= m_nextReport) {
        m_nextReport = now + std::chrono::milliseconds(m_options.reportMs);
        sendHeadsetList();
    }
}

void Streamer::signalLoaded()
{
    m_loadedSignalled = true;
    m_block.reset(new platform::SharedBlock);
    if (!m_block->open(m_options.blockName, m_options.mutexName, 8)) {
        log("streamer-sim: cannot open the shared block " + m_options.blockName + ": " + m_block->lastError());
        m_block.reset();
        return;
    }
    // value 1 (little-endian) at offset 0, flag 1 at offset 4, under the mutex.
    if (m_block->lock()) {
        unsigned char *data = m_block->data();
        data[0] = 1;
        data[1] = data[2] = data[3] = 0;
        data[4] = 1;
        m_block->unlock();
    }
    log("streamer-sim: loaded, wrote 1 into " + m_options.blockName);
}
