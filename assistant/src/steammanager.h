#pragma once

#include "sharedmemorychannel.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <mutex>

// Executable names watched; "X.exe" also matches a Linux executable "X".
struct SteamProcessNames {
    QString steam = QStringLiteral("steam.exe");
    QString vrMonitor = QStringLiteral("vrmonitor.exe");
    QStringList steamVr = {QStringLiteral("vrserver.exe"),   QStringLiteral("vrmonitor.exe"),
                           QStringLiteral("vrwebhelper.exe"), QStringLiteral("steamtours.exe"),
                           QStringLiteral("vrdashboard.exe"), QStringLiteral("vrcompositor.exe")};
};

// Owns everything about the Steam client and SteamVR: finds the Steam installation,
// tells whether Steam and SteamVR run, starts Steam in the background, and starts,
// stops and restarts SteamVR with the streamer's driver registered for exactly one
// start.
class SteamManager : public QObject
{
    Q_OBJECT
public:
    using ProcessNames = SteamProcessNames;

    // How long stopSteamVR waits for SteamVR's processes to end by themselves, and how
    // long a start-up poller waits for the streamer's signal before it gives up and
    // removes the registration.
    static constexpr int kStopWaitLimitMs = 30000;
    static constexpr int kPollerLimitMs = 180000;
    // How long destruction waits for a Steam start still running on the
    // thread pool (its pause and the bounded wait for Steam's launcher).
    static constexpr int kStartWaitLimitMs = 15000;

    static SteamManager* instance();

    // The program uses instance(); tests create their own objects (no parent).
    explicit SteamManager(const ProcessNames& names = ProcessNames(), QObject* parent = nullptr);
    ~SteamManager() override;

    bool isSteamInstalled();
    bool steamInstalled() const { return m_steamInstalled; }
    QString steamInstallPath();
    bool isSteamRunning();
    void startSteam();
    void setHeadsetId(QString id);
    bool launchSteamExe();

    Q_INVOKABLE void startSteamVR();
    Q_INVOKABLE void stopSteamVR();
    // The stop of stopSteamVR() run on the calling thread, whichever it is: it
    // returns when SteamVR's processes are gone or the wait bound has passed.
    // The controller runs it on a worker thread so the window keeps responding.
    void stopSteamVROnThisThread();
    void restartSteamVR();
    bool shutdownSteamVr();
    bool isSteamVrRunning();
    bool isFirewallRuleRegistered(QString steamVrDir);
    // SteamVR's folder from its uninstall entry (Linux: the Steam libraries); empty when unknown.
    QString steamVrInstallPath();

    // For tests: shorter bounds and a shorter settle time after SteamVR's exit.
    void setWaitLimits(int stopWaitLimitMs, int pollerLimitMs, int settleMs);
    // Pollers started and not finished yet.
    int activePollers() const;

signals:
    void steamAppChange(int sec, QString appName);
    void showToast(QString tips);

private:
    bool anySteamVrProcessRunning() const;
    void noteVrSessionSeen();
    void endVrSession();
    void startPoller();

    bool m_steamInstalled = false;
    bool m_steamRunning = false;
    QString m_headsetId;
    QMutex m_mutex;
    // Steam starts running on the thread pool; each uses this object to its end.
    std::atomic<int> m_startTasks{0};
    int m_steamSeenCount = 4;
    int m_vrMonitorMissCount = 0;
    SharedMemoryChannel m_shm;
    bool m_steamStarting = false;

    ProcessNames m_names;
    std::atomic<int> m_stopWaitLimitMs{kStopWaitLimitMs}; // read by a stop on a worker thread
    std::atomic<int> m_pollerLimitMs{kPollerLimitMs}; // read by the pollers
    std::atomic<int> m_settleMs{2500};
    std::mutex m_sessionMutex; // guards m_vrSession: a stop on a worker thread ends the session
    QElapsedTimer m_vrSession; // valid while a SteamVR session is open
    QAtomicInt m_activePollers = 0;
};
