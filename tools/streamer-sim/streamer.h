#pragma once

#include "platform/socket_compat.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform {
class SharedBlock;
}

struct Headset {
    std::string name;
    std::string ip;
    bool connected = false;
};

// "NAME;IP;STATE" with STATE true or false.
bool parseHeadset(const std::string &text, Headset &headset);

struct StreamerOptions {
    std::string host = "127.0.0.1";
    std::string bindAddress;
    int port = 9932;
    std::vector<Headset> headsets;
    std::string deviceId;
    long reportMs = 1000;
    long linkDelayMs = 500;
    long reconnectMs = 300;
    long restartSteamVRMs = -1;
    long loadedAfterMs = 0;
    bool wiredConnected = true;
    bool sendHello = false;
    bool useSharedBlock = true;
    std::string blockName = "OSTREL_VOZEMemory";
    std::string mutexName = "OSTREL_VOZEData_Mutex";
    std::string logFile;
};

// The streamer's side of the control connection, driven by step() from one
// thread; queueRawLine() may be called from another.
class Streamer
{
public:
    using Clock = std::chrono::steady_clock;

    explicit Streamer(StreamerOptions options);
    ~Streamer();

    // One turn: connect if needed, wait up to `wait` for data, handle what
    // came, run what is due.
    void step(std::chrono::milliseconds wait);
    void queueRawLine(const std::string &line);
    void stdinClosed();
    bool finished() const;
    void log(const std::string &line);
    void close();

    // The headset list argument: "deviceId:ID~name;ip;true;1~...".
    std::string headsetList() const;

private:
    void connectToServer();
    void dropConnection(const char *why);
    void receive();
    void handleCommand(const std::string &command);
    void sendLine(const std::string &line);
    void sendHeadsetList();
    void sendDeviceState();
    bool anyConnected() const;
    void runDueWork();
    void signalLoaded();

    struct PendingLink {
        Clock::time_point due;
        std::string name;
        std::string ip;
    };

    StreamerOptions m_options;
    platform::SocketHandle m_socket = platform::kInvalidSocket;
    std::string m_rxBuffer;
    bool m_wired = false;
    bool m_everConnected = false;
    bool m_restartSent = false;
    bool m_loadedSignalled = false;
    Clock::time_point m_started;
    Clock::time_point m_nextConnect;
    Clock::time_point m_nextReport;
    Clock::time_point m_firstConnect;
    std::vector<PendingLink> m_pendingLinks;
    std::unique_ptr<platform::SharedBlock> m_block;
    FILE *m_log = nullptr;

    mutable std::mutex m_lock;   // guards the two fields below and the socket's sends
    std::vector<std::string> m_rawLines;
    bool m_stdinClosed = false;
};
