#pragma once

#include "hmdinfo.h"

#include <QObject>
#include <QString>
#include <QVector>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class IPCSock;
class Poller;
class QTimer;

// The loopback control server for the streamer: a worker thread accepts one
// client at a time on 127.0.0.1:9932, reads its lines (headset list, device
// state, SteamVR restart, hello) and keeps what it learned; the streaming
// controller reads that state and sends commands from the GUI thread. One
// mutex serialises the shared fields and every use of the client socket.
class SysManager : public QObject
{
    Q_OBJECT

public:
    // The longest the worker sleeps in one wait when nothing happens; data
    // and stop() end a wait at once, so this only bounds an idle turn.
    static constexpr std::chrono::milliseconds kIdleWait { 1000 };
    // Batches in a row without a headset list after which the list is dropped.
    static constexpr std::uint32_t kMissLimit = 10;
    // How often the single object tries again to listen when another program
    // holds the port.
    static constexpr std::chrono::milliseconds kRetryInterval { 5000 };

    // The program's port: 9932, or the environment variable
    // OSTREL_CONTROL_PORT (for tests and parallel runs); -1 means 9932.
    static int portFromEnvironment();

    // `port` below 1 means 9932, a null `bindAddress` means "127.0.0.1".
    explicit SysManager(int port = -1, const char *bindAddress = nullptr);
    ~SysManager() override;

    // Binds the listening socket and, only if that worked, starts the worker.
    bool start();
    // Calls start() every `interval` on this object's thread until it
    // succeeds (or shutdown() is called); at once when not listening yet.
    void keepTryingToStart(std::chrono::milliseconds interval);
    // Ends the worker and closes the sockets; the destructor calls it.
    void shutdown();

    bool isListening() const;
    int port() const;
    bool hasClient() const;

    QVector<HmdInfo> hmdInfoList() const;
    bool isDeviceConnected() const;
    QString deviceId() const;
    std::uint32_t missCount() const;

    void requestHmdInfo();
    void sendWiredConnect(bool wired);
    void linkTo(const QString &name, const QString &ip);
    void disconnectFrom(const QString &name, const QString &ip);
    void requestFirewallRegistration();
    void sendCommand(const std::string &text);

    // What "RESTARTSTEAMVR" runs, on the worker thread; by default the
    // SteamVR restart of SteamManager. Tests put their own here.
    void setSteamVRRestart(std::function<void()> restart);

private:
    void run();
    void processPass();
    void handleLine(const std::string &line, bool *batchHadList);
    void retryStart();

    std::atomic<bool> m_stop { false };
    std::thread m_worker;
    std::shared_ptr<Poller> m_poller;
    std::shared_ptr<IPCSock> m_socket;

    mutable std::mutex m_lock;
    bool m_firewallPending = false;
    QVector<HmdInfo> m_hmd_info_back;
    QString m_deviceId;
    std::uint32_t m_missCount = 0;
    bool m_deviceConnected = false;
    bool m_listening = false;
    bool m_startFailed = false;
    QTimer *m_retryTimer = nullptr;
    std::function<void()> m_restartSteamVR;
};
