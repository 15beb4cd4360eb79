#pragma once

#include "hmdinfo.h"
#include "sequencequeue.h"

#include "platform/power.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QLocale>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariant>

#include <functional>

class AdbManger;
class HttpManager;
class QMutex;
class QTimerEvent;
class SettingsStore;
class SteamManager;
class SysManager;
class SystemInfo;
class VRListModel;

// The streaming controller: the one object the user interface binds to (as
// "nerev"). It holds the streaming state (chosen mode, connected headset,
// Steam and SteamVR state, the PC's hardware verdict), drives the other
// subsystems (settings and session files, ADB, SteamVR, the control socket to
// the streamer, system probes, analytics) and tells the pages what to show
// through properties, signals and toasts.
//
// Everything runs on the GUI thread. The sequences that wait (a mode switch
// or quality change with its SteamVR restart, a refresh with its pause for the
// streamer's answer, the wait for Steam) run one after another through a
// SequenceQueue: their pauses are timers and the SteamVR stop runs on a worker
// thread, so the window never stops responding.
//
// nerevmanager.cpp: surface, construction, destruction, system information
// and the hardware verdict; nerevmanager_connection.cpp: mode switching, the
// start of the machinery, connect; nerevmanager_tick.cpp: what happens on a
// tick; nerevmanager_quality.cpp: the quality settings flow.
class NerevManager : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString systemInfo READ systemInfo NOTIFY systemInfoChange)
    Q_PROPERTY(QString simplySystemInfo READ simplySystemInfo NOTIFY systemInfoChange)
    Q_PROPERTY(HardwareState pcHardware READ pcHardware NOTIFY pcHardwareChange)
    Q_PROPERTY(SteamState steamState READ steamState NOTIFY steamStateChange)
    Q_PROPERTY(QString vrName READ vrName NOTIFY vrIsConnectChange)
    Q_PROPERTY(bool vrIsConnect READ vrIsConnect NOTIFY vrIsConnectChange)
    Q_PROPERTY(QVariant vrLists READ vrLists NOTIFY vrListsChange)
    Q_PROPERTY(int fpsIndex READ fpsIndex NOTIFY effectChange)
    Q_PROPERTY(bool audioStatus READ audioStatus NOTIFY effectChange)
    Q_PROPERTY(bool tenbitEnc READ tenbitEnc NOTIFY effectChange)
    Q_PROPERTY(bool fullRangeColor READ fullRangeColor NOTIFY effectChange)
    Q_PROPERTY(bool enableHdr READ enableHdr NOTIFY effectChange)
    Q_PROPERTY(int definitionIndex READ definitionIndex NOTIFY effectChange)
    Q_PROPERTY(int encodeType READ encodeType NOTIFY effectChange)
    Q_PROPERTY(int widthIndex READ widthIndex NOTIFY effectChange)
    Q_PROPERTY(int heightIndex READ heightIndex NOTIFY effectChange)
    Q_PROPERTY(int bitRate READ bitRate NOTIFY effectChange)
    Q_PROPERTY(int videoRatio READ videoRatio NOTIFY effectChange)
    Q_PROPERTY(bool haslaunchSteamVR READ haslaunchSteamVR NOTIFY haslaunchSteamVRChange)
    Q_PROPERTY(bool haslaunchSteam READ haslaunchSteam NOTIFY haslaunchSteamChange)
    Q_PROPERTY(bool wired READ wired WRITE setWiredOrWireless NOTIFY wiredChange)
    Q_PROPERTY(bool hasEnumdevices READ hasEnumdevices NOTIFY hasEnumdevicesChange)
    Q_PROPERTY(bool AV1available READ av1Available NOTIFY av1AvailableChanged)
    Q_PROPERTY(bool nvidiaAvailable READ nvidiaAvailable NOTIFY effectChange)

public:
    // A fixed underlying type: QML may pass any number, which must stay a valid value.
    enum Urls : int { SteamUrl = 0, UserHelperUrl = 1, SteamHelperUrl = 2 };
    Q_ENUM(Urls)
    enum HardwareState { NotCanRun = 0, LowHardware = 1, AdviceHardware = 2, ExcellentHardware = 3 };
    Q_ENUM(HardwareState)
    enum SteamState { Pass = 0, NoneSteam = 1, NoneSteamVR = 2, SteamVRForbid = 3 };
    Q_ENUM(SteamState)

    // The objects the controller drives, made by main (tests give their own,
    // so that every test has its own settings folder, process names, control
    // port and adb). All are required.
    struct Services {
        SettingsStore *settings = nullptr;
        SteamManager *steam = nullptr;
        AdbManger *adb = nullptr;
        SysManager *sys = nullptr;  // started by the first mode choice
        SystemInfo *system = nullptr;
        HttpManager *http = nullptr;
        // The power supply; the system's answer unless a test plays one.
        std::function<platform::PowerStatus()> powerStatus;
        // The streamer's ports looked at by checkPortUsage(), in this order.
        QList<int> streamingPorts { 9943, 9944, 50001, 50000 };
    };

    // Every pause of the controller's sequences, in milliseconds.
    struct Timing {
        int tickMs = 5000;            // periodic refresh
        int switchBlockMs = 4000;     // further mode choices refused after one
        int restartDelayMs = 10000;   // SteamVR started again after a restart's rewrite
        int answerPauseMs = 200;      // after a request to the streamer
        int rewritePauseMs = 500;     // between SteamVR's stop and the session-file rewrite
        int connectFollowUpMs = 1000; // refresh after connectVR
        int steamCheckMs = 1000;      // first Steam state check after init()
        int steamWaitStartMs = 2000;  // wait for Steam begins after init()
        int steamFirstWaitMs = 7000;  // then this long before the first look
        int steamRetryMs = 2000;      // and this long between further looks
        int steamRetries = 10;
        int adminToastMs = 4000;      // toast about system folders after init()
        int exitPauseMs = 1000;       // after SteamVR's stop at exit
    };

    // How long each toast stays, in milliseconds.
    static constexpr int kToastMs = 2000;
    static constexpr int kModeRestartToastMs = 13000;
    static constexpr int kQualityRestartToastMs = 15000;
    static constexpr int kSteamLoginToastMs = 15000;
    static constexpr int kSteamStartingToastMs = 5000;

    NerevManager(const Services &services, const Timing &timing, QObject *parent = nullptr);
    ~NerevManager() override;

    // Properties.
    QString systemInfo() const;
    QString simplySystemInfo() const;
    HardwareState pcHardware() const { return m_pcHardware; }
    SteamState steamState() const { return static_cast<SteamState>(m_steamState); }
    QString vrName() const;
    bool vrIsConnect() const { return m_vrIsConnect; }
    QVariant vrLists() const;
    int fpsIndex() const;
    bool audioStatus() const;
    bool tenbitEnc() const;
    bool fullRangeColor() const;
    bool enableHdr() const;
    int definitionIndex() const;
    int encodeType() const;
    int widthIndex() const;
    int heightIndex() const;
    int bitRate() const;
    int videoRatio() const;
    bool haslaunchSteamVR() const { return m_haslaunchSteamVR; }
    bool haslaunchSteam() const { return m_haslaunchSteam; }
    bool wired() const { return m_wired; }
    bool hasEnumdevices() const { return !m_connectedName.isEmpty(); }
    bool av1Available() const;
    bool nvidiaAvailable() const;

    void setWiredOrWireless(bool wired);

    // Invokable operations.
    Q_INVOKABLE void gotoWeb(Urls url);
    Q_INVOKABLE void sendFeecback(QString content, QString id);
    Q_INVOKABLE void setEffects(int definition, int fps, int encodType, bool audiostatus, bool tenbit, bool fullRange,
                                bool Hdr);
    Q_INVOKABLE void launchSteam(bool isVR = false);
    Q_INVOKABLE void connectVR(QString VRname, QString ip, bool vrState = true);
    Q_INVOKABLE void setupNewVersion();
    Q_INVOKABLE void stopSteam();
    Q_INVOKABLE bool isHasConnectedDevice();
    Q_INVOKABLE void reportstreamMode(bool wired, bool isSwitch);
    Q_INVOKABLE void openNetworkSetting();
    Q_INVOKABLE bool installAudio();
    Q_INVOKABLE QString trimmedString(QString str);
    Q_INVOKABLE void closeApp();
    Q_INVOKABLE void shutdownADB();
    Q_INVOKABLE void checkPortUsage();
    Q_INVOKABLE bool isKY();
    Q_INVOKABLE void setVideoQuilty(int scale, int bitrate);
    Q_INVOKABLE void setVideoBitRate(int bitrate);
    Q_INVOKABLE bool isHideSelectPage();

    // The web pages of gotoWeb(). The two help pages are build constants
    // (OSTREL_HELP_URL_CHINESE, OSTREL_HELP_URL_OTHER), which the environment
    // variables of the same names override.
    static QUrl webPage(Urls url, QLocale::Language language);

    // A sequence (refresh, connect, restart, wait for Steam) is under way.
    bool sequenceRunning() const { return m_sequences.busy(); }
    // A mode choice was applied a moment ago; further ones are refused.
    bool modeChoiceBlocked() const { return m_switching; }

    // Judges the PC again from its processor, graphics and the GPU table
    // (after a new table arrived); nothing before the PC is known.
    void judgeHardware();

signals:
    void systemInfoChange();
    void pcHardwareChange();
    void steamStateChange();
    void vrListsChange();
    void vrIsConnectChange();
    void handleEvent();
    void av1AvailableChanged();
    void showToast(QString tips, int duration = 2000);
    void showPowerTip();
    void closePowerTip();
    void effectChange();
    void closeExe();
    void showMoreHMD();
    void showVrList(bool isConnect, bool hasDisConnect);
    void hasEnumdevicesChange();
    void showNetWorkSetting();
    void showUpdateGPUPage();
    void showUseProtPage(QString names);
    void haslaunchSteamVRChange();
    void haslaunchSteamChange();
    void wiredChange();

public slots:
    void refreshState();

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    // nerevmanager.cpp
    void construct();
    void checkFirewallRule();
    void updateSystemInfo();
    void reportSteamVrSession(int sec, QString appName, int definitionIndex, bool fps90, bool microphone);
    void report(const QString &eventId, const QJsonObject &extraData = QJsonObject());
    void announceHardware();
    SettingsStore *settings() const { return m_services.settings; }
    SteamManager *steam() const { return m_services.steam; }
    AdbManger *adb() const { return m_services.adb; }
    SysManager *sys() const { return m_services.sys; }
    SystemInfo *system() const { return m_services.system; }
    HttpManager *http() const { return m_services.http; }

    // nerevmanager_connection.cpp
    void applyMode(bool wired, SequenceQueue::Done done);
    void finishMode(bool wired);
    void init();
    void startSteamAndSteamVr();
    void startControlServer();
    void waitForSteam(int waitsMade, SequenceQueue::Done done);
    void checkSteamState();

    // nerevmanager_tick.cpp: what happens on a tick, as named checks.
    void runTick(SequenceQueue::Done done);
    void checkPower();
    bool checkSteamVr();
    void checkAudio();
    void refreshWiredHeadset(bool vrRunning);
    void checkNetworkProfile();
    void refreshWirelessHeadsets();
    void handleFirstList(const QVector<HmdInfo> &list);
    void followListedHeadsets(const QVector<HmdInfo> &list);
    void adoptConnectedHeadset(const HmdInfo &entry);

    // nerevmanager_connection.cpp
    void beginConnect(const QString &name, const QString &ip, bool vrState, SequenceQueue::Done done);
    void finishConnect(const QString &name, const QString &ip);
    void scheduleFollowUp();
    void scheduleSteamVrStart();
    void stopSteamVrThen(std::function<void()> then);
    bool lockRestart();
    void unlockRestart(bool held);
    void onDeviceConnect(bool connect, QString sn);
    void onAdbTip();

    // The controller's state.
    bool m_switching = false;
    QJsonArray m_systemInfo;
    QJsonArray m_simplySystemInfo;
    int m_steamState = NoneSteam;
    HardwareState m_pcHardware = NotCanRun;
    bool m_gpuDriverOutdated = false;
    VRListModel *m_vrListModel = nullptr;
    QString m_connectedName;
    QString m_connectedIp;
    QString m_appDir;
    bool m_vrIsConnect = false;
    bool m_powerTipShown = false;
    bool m_haslaunchSteamVR = false;
    bool m_haslaunchSteam = false;
    int m_timeId = 0;
    // Held around each stop-write-restart sequence. The sequence queue keeps
    // those sequences apart, so taking it never waits; a failed tryLock would
    // mean two of them interleave, and is logged.
    QMutex *m_restartMutex = nullptr;
    bool m_skipNextTick = false;
    bool m_userDisconnected = false;
    bool m_autoConnectDone = false;
    QString m_targetName;
    QStringList m_recentList;
    bool m_wired = false;
    bool m_adbSignalsConnected = false;
    QString m_gpuNames;
    QString m_cpuName;
    QString m_deviceSn;
    QDateTime m_startTime;
    bool m_checkNetworkProfile = true;
    bool m_hideSelectPage = false;

    // Set-up and the machinery of the waits.
    Services m_services;
    Timing m_timing;
    SequenceQueue m_sequences;
    bool m_ticking = false;    // the periodic timer runs (m_timeId keeps its value after stopSteam())
    bool m_tickQueued = false; // a tick waits behind a running sequence
    // The streamer's firewall rule is missing: ask for it once the control
    // server runs (it is not started before the first mode choice).
    bool m_firewallRegistrationDue = false;
};
