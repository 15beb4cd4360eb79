#pragma once

#include "platform/device_watch.h"

#include <QObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSet>
#include <QString>

namespace AdbAnswers {
struct ChunkVerdict;
}

// The headset's USB link for wired streaming: picks an adb, polls the list of
// attached devices, reports the headset's serial number and maps the
// streaming ports (forward 9943/9944, reverse 50000/50001). A device watcher
// thread asks for a new poll whenever the headset is plugged in or out.
// Everything but the watcher runs on the GUI thread.
class AdbManger : public QObject
{
    Q_OBJECT

public:
    enum AdbMode { FolderAdb = 0, PathAdb = 1, RunningAdb = 2 };
    enum LinkState { Idle = 0, ProbingPathAdb = 1, QueryingDevices = 2, MappingPorts = 4 };

    // What the single object uses; tests give their own.
    struct Options {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // The adb executable as process lists name it; "adb.exe" also matches
        // a program "adb" on systems without file extensions.
        QString adbProcessName = QStringLiteral("adb.exe");
        bool watchDevices = true;
    };

    static AdbManger *instance();

    explicit AdbManger(const Options &options);
    ~AdbManger() override;

    // Ends every adb process, also an adb server the assistant did not start.
    void killAdb();

    // Whether a device-interface path names the headset's USB device.
    static bool isHeadsetInterfacePath(const QString &path);

    int mode() const { return m_mode; }
    int state() const { return m_state; }
    QString adbPath() const { return m_adbPath; }
    QString lastSerial() const { return m_lastSerial; }
    bool isWatchingDevices() const { return m_watching; }
    // The command line runAdb() hands to the command interpreter.
    QString commandLine(const QString &command) const;

signals:
    void checkdevice();
    void showAdbTipToast();
    void deviceConnect(bool connect, QString sn);

public slots:
    void pollDevices();

private slots:
    void onAdbOutput();
    void onAdbFinished(int exitCode, QProcess::ExitStatus exitStatus);

private:
    void initialise();
    void runAdb(const QString &command);
    void applyDeviceVerdict(const AdbAnswers::ChunkVerdict &verdict);
    void judgeQuery(const QString &output);
    void scheduleMapping();
    void mapPorts();
    void onDeviceEvent(const platform::DeviceEvent &event);

    QProcess *m_process = nullptr;
    int m_state = Idle;
    QString m_lastSerial = QStringLiteral("wired");
    QString m_adbPath;
    int m_busyCount = 0;
    platform::DeviceWatcher m_watcher;
    bool m_watching = false;
    int m_mode = FolderAdb;
    int m_fallbackStep = 0;
    Options m_options;
    // The command the process runs and what it printed so far.
    QString m_runningCommand;
    QString m_output;
    // A mapping was started in the current poll.
    bool m_mappingScheduled = false;
    // The last mapping failed or left a mapping out: map at the next poll.
    bool m_remapPending = false;
    QSet<QString> m_notReadyLogged;
};
