#pragma once
// The streaming controller's test world, shared by the tst_nerevmanager_*
// programs and the stall benchmark. Everything the controller drives is real and new for every test:
// a settings store in a fresh folder, a SteamManager watching this process's
// fake Steam and SteamVR (copies of tools/fake-steam where the system's
// assistant looks for them, FakeSteamInstall, named with the process id), a control server on a free loopback port with
// tools/streamer-sim as its peer, a SystemInfo, an HttpManager sending to
// tools/cloud-server, and an AdbManger running tools/fake-adb. Only the power
// supply and the audio device are played, since a test cannot unplug them.
#include "adbmanger.h"
#include "httpmanager.h"
#include "nerevmanager.h"
#include "settingsstore.h"
#include "steammanager.h"
#include "sysmanager.h"
#include "systeminfo.h"

#include "cloudserverprocess.h"
#include "controlclient.h"
#include "fakesteam.h"
#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QTimer>
#include <QElapsedTimer>

#include <memory>

// Notes when each watched condition is first seen true, polling every 10 ms
// while the event loop runs, so a test can check the order of steps and the
// pauses between them.
class Milestones
{
public:
    Milestones()
    {
        m_clock.start();
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        // Precise: Windows rounds a coarse 10 ms timer up to its tick of 15 ms or more.
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.start(10);
    }

    void watch(const QString &name, std::function<bool()> condition)
    {
        m_conditions.append({ name, std::move(condition) });
        poll();
    }

    // Whether the pauses between milestones can be judged here. Under Wine each poll
    // lists the processes through Wine's server, which takes longer than the 10 ms
    // step, and the controller's synchronous adb and process calls hold the thread
    // longer too, so a milestone is seen up to a second late. The pacing is the same
    // code on every platform and is judged natively; the order is judged everywhere.
    static bool pausesMeasurable() { return !FakeSteamInstall::windows(); }

    // Milliseconds since the watch began, or -1 when not seen yet.
    qint64 at(const QString &name) const { return m_seen.value(name, -1); }
    bool seen(const QString &name) const { return m_seen.contains(name); }
    int polls() const { return m_polls; }

private:
    void poll()
    {
        ++m_polls;
        for (const auto &condition : qAsConst(m_conditions)) {
            if (!m_seen.contains(condition.first) && condition.second())
                m_seen.insert(condition.first, m_clock.elapsed());
        }
    }

    QElapsedTimer m_clock;
    QTimer m_timer;
    QList<QPair<QString, std::function<bool()>>> m_conditions;
    QMap<QString, qint64> m_seen;
    int m_polls = 0;
};

class ControllerWorld
{
public:
    // Once per test program.
    bool setUp()
    {
        if (!m_root.isValid() || !QFileInfo::exists(fakeSteamBinary()))
            return false;
        m_suffix = QString::number(QCoreApplication::applicationPid());
        if (!m_install.create(m_root.path(), m_suffix))
            return false;
        m_home = m_install.home;
        m_steamDir = m_install.steamDir;
        m_vrBin = m_install.vrBin;
        m_client = m_install.client;
        m_steamLog = m_root.path() + "/fake-steam.log";
        if ((m_adbServer = installFake(m_root.path() + "/adbserver", FakeSteamInstall::exe("adb" + m_suffix))).isEmpty())
            return false;
        m_adbScript = m_root.path() + "/adb-script";
        m_adbBin = m_root.path() + "/adb-bin";
        QDir().mkpath(m_adbScript);
        QDir().mkpath(m_adbBin);
        const QString adb = m_adbBin + "/" + FakeSteamInstall::exe("adb");
        if (!QFile::copy(QStringLiteral(OSTREL_TOOLS_BIN_DIR "/fake-adb/fake-adb" OSTREL_EXE_SUFFIX), adb)
            || !QFile::setPermissions(adb, QFileDevice::ReadOwner | QFileDevice::ExeOwner))
            return false;
        if (!m_cloud.start())
            return false;

        m_install.activate();
        qputenv("OSTREL_USER_DIR", (m_root.path() + "/process-user").toUtf8());
        qputenv("OSTREL_SHARED_BLOCK", ("ostrel_test_ctl_" + m_suffix).toUtf8());
        qputenv("OSTREL_SHARED_MUTEX", ("ostrel_test_ctl_mutex_" + m_suffix).toUtf8());
        qputenv("OSTREL_FAKE_STEAM_LOG", m_steamLog.toUtf8());
        qputenv("OSTREL_FAKE_STEAM_CLIENT", FakeSteamInstall::exe("steam" + m_suffix).toUtf8());
        qputenv("OSTREL_FAKE_STEAMVR_BIN", m_vrBin.toUtf8());
        qputenv("OSTREL_FAKE_SIGNAL_AFTER_MS", "200");
        qputenv("OSTREL_CLOUD_URL", m_cloud.baseUrl().toUtf8());
        qputenv("PATH", (m_install.pathEntry() + QDir::listSeparator()).toUtf8() + qgetenv("PATH"));
        m_oldCurrent = QDir::currentPath();
        return true;
    }

    // Before each test: fresh folders, no fake process, default answers.
    void beginTest()
    {
        ++m_testNumber;
        m_userDir = m_root.path() + QStringLiteral("/user%1").arg(m_testNumber);
        m_workDir = m_root.path() + QStringLiteral("/work%1").arg(m_testNumber);
        QDir().mkpath(m_userDir);
        QDir().mkpath(m_workDir);
        QDir::setCurrent(m_workDir);
        qputenv("OSTREL_USER_DIR", m_userDir.toUtf8());
        QFile::remove(m_steamLog);
        QFile::remove(m_vrBin + "/shutdown.flag");
        writeVrpath();
        for (const QString &file : QDir(m_adbScript).entryList(QDir::Files))
            QFile::remove(m_adbScript + "/" + file);
        answerAdb("--version", "Android Debug Bridge version 1.0.41\r\n");
        answerAdb("devices", "List of devices attached\r\n\r\n");
        m_batchesBefore = m_cloud.eventBatches().size();
        m_mains = true;
        m_stereo = true;
        timing = NerevManager::Timing();
        timing.tickMs = 500;
        timing.switchBlockMs = 1500;
        timing.restartDelayMs = 1500;
        timing.connectFollowUpMs = 300;
        timing.steamWaitStartMs = 200;
        timing.steamFirstWaitMs = 300;
        timing.steamRetryMs = 400;
        timing.exitPauseMs = 50;

        settings = std::make_unique<SettingsStore>(m_userDir);
        controlPort = freeLoopbackPort();
        sys = std::make_unique<SysManager>(controlPort);
        sys->start();
        system = std::make_unique<SystemInfo>();
        // Its network query answers at once here; let it, so a category a
        // test sets is not overwritten by it afterwards.
        if (QProcess *query = system->findChild<QProcess *>())
            query->waitForFinished(5000);
        system->setAudioProbe([this](QString &name, int &channels) {
            name = QStringLiteral("test output");
            channels = m_stereo ? 2 : 6;
            return true;
        });
        http = std::make_unique<HttpManager>();
        AdbManger::Options adbOptions;
        // The fake adb first; then what runs the adb command lines (sh, or cmd in system32).
        adbOptions.environment.insert("PATH", m_adbBin + QDir::listSeparator()
                                                  + (FakeSteamInstall::windows() ? qEnvironmentVariable("PATH") : "/usr/bin:/bin"));
        adbOptions.environment.insert("FAKE_ADB_DIR", m_adbScript);
        adbOptions.adbProcessName = FakeSteamInstall::exe("adb" + m_suffix);
        adbOptions.watchDevices = false;
        adb = std::make_unique<AdbManger>(adbOptions);
    }

    // After each test: the controller goes first (its exit sequence uses the
    // others), then every helper and fake process.
    void endTest()
    {
        controller.reset();
        stopStreamer();
        adb.reset();
        http.reset();
        system.reset();
        sys.reset();
        if (steam && !QTest::qWaitFor([this] { return steam->activePollers() == 0; }, 5000))
            qWarning() << "SteamVR start-up pollers still running after the test";
        // A Steam start on Qt's pool still uses its SteamManager.
        QThreadPool::globalInstance()->waitForDone(20000);
        steam.reset();
        m_fakes.reset(new FakeProcesses);
        killFakes();
        settings.reset();
        streamingPorts.clear();
        QFile::rename(launcher() + ".hidden", launcher());
        QDir::setCurrent(m_oldCurrent);
    }

    // Created here, after the test has started Steam or not: a Steam running
    // when SteamManager is created counts as running at once.
    NerevManager *makeController()
    {
        if (!steam) {
            steam = std::make_unique<SteamManager>(processNames());
            steam->setWaitLimits(steamStopLimitMs, steamPollerLimitMs, steamSettleMs);
        }
        NerevManager::Services services;
        services.settings = settings.get();
        services.steam = steam.get();
        services.adb = adb.get();
        services.sys = sys.get();
        services.system = system.get();
        services.http = http.get();
        services.powerStatus = [this] {
            platform::PowerStatus status;
            status.known = true;
            status.acLine = m_mains ? platform::AcLine::Online : platform::AcLine::Offline;
            return status;
        };
        if (!streamingPorts.isEmpty())
            services.streamingPorts = streamingPorts;
        controller = std::make_unique<NerevManager>(services, timing);
        return controller.get();
    }

    // The block of further mode choices after the last one is over.
    bool modeBlockOver(NerevManager *nerev)
    {
        return QTest::qWaitFor([nerev] { return !nerev->modeChoiceBlocked(); }, 15000 + timing.switchBlockMs);
    }

    // A stored wireless mode applied at construction with Steam running, then
    // SteamVR up and the mode's block over. Null when that does not happen.
    NerevManager *settledWireless(const QStringList &streamerArgs = {})
    {
        if (!storeMode(2) || !startSteamClient() || (!streamerArgs.isEmpty() && !startStreamer(streamerArgs)))
            return nullptr;
        NerevManager *nerev = makeController();
        if (!QTest::qWaitFor([this] { return steamVrRunning(); }, 5000))
            return nullptr;
        // The stored mode's application blocks further choices until a while
        // after its end, which on a busy machine can come well after SteamVR's start.
        if (!modeBlockOver(nerev))
            return nullptr;
        return settle() ? nerev : nullptr;
    }

    // ---- Files

    QString userDir() const { return m_userDir; }
    QString workDir() const { return m_workDir; }

    // A set.json as an earlier run left it.
    bool storeMode(int mode, const QString &lastSn = QStringLiteral("KZ"))
    {
        return writeJson(m_userDir + "/set.json", QJsonObject { { "lastSn", lastSn }, { "wiredOrWireless", mode } });
    }

    QJsonObject settingsFile() const { return readJson(m_userDir + "/set.json"); }

    // A session file with the members the assistant edits.
    bool writeSessionFile(int fps = 72)
    {
        QJsonObject root {
            { "sessionSettings",
              QJsonObject { { "video", QJsonObject { { "preferredFps", fps } } },
                            { "audio", QJsonObject { { "microphone", QJsonObject { { "enabled", true } } } } },
                            { "headset", QJsonObject { { "serialNumber", "" } } } } },
            { "openvr_config", QJsonObject { { "refresh_rate", fps } } },
            { "clientConnections", QJsonObject {} }
        };
        return writeJson(m_workDir + "/session.json", root);
    }

    QJsonObject sessionFile() const { return readJson(m_workDir + "/session.json"); }

    int sessionFps() const
    {
        return sessionFile().value("sessionSettings").toObject().value("video").toObject().value("preferredFps").toInt();
    }

    bool writeCompareTable(const QJsonObject &table) const { return writeJson(m_workDir + "/compare.json", table); }

    static bool writeJson(const QString &path, const QJsonObject &root)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(QJsonDocument(root).toJson()) > 0;
    }

    static QJsonObject readJson(const QString &path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(file.readAll()).object();
    }

    // ---- Steam and SteamVR

    SteamManager::ProcessNames processNames() const
    {
        SteamManager::ProcessNames names;
        names.steam = "steam" + m_suffix + ".exe";
        names.vrMonitor = "vrmonitor" + m_suffix + ".exe";
        names.steamVr = QStringList { "vrserver" + m_suffix + ".exe", "vrmonitor" + m_suffix + ".exe" };
        return names;
    }

    bool startSteamClient()
    {
        return m_fakes->start(m_client) && QTest::qWaitFor([this] { return steamRunning(); }, 5000);
    }

    // SteamVR as if left running by an earlier session.
    bool startSteamVr()
    {
        return m_fakes->start(m_vrBin + "/vrserver" + m_suffix) && m_fakes->start(m_vrBin + "/vrmonitor" + m_suffix)
            && QTest::qWaitFor([this] { return steamVrRunning(); }, 5000);
    }

    // Steam cannot be started: its launcher is gone (until the test ends).
    void hideSteamLauncher() const { QFile::rename(launcher(), launcher() + ".hidden"); }

    // One more SteamVR server, which takes `lingerMs` to end once SteamVR's
    // shutdown tool has run: a stop that lasts.
    bool startSlowSteamVrServer(int lingerMs)
    {
        return m_fakes->start(m_vrBin + "/vrserver" + m_suffix, { "--linger-ms", QString::number(lingerMs) });
    }

    bool anySteamVrProcess() const
    {
        return SystemInfo::isProcessRunning("vrmonitor" + m_suffix + ".exe")
            || SystemInfo::isProcessRunning("vrserver" + m_suffix + ".exe");
    }

    bool steamRunning() const { return SystemInfo::isProcessRunning("steam" + m_suffix + ".exe"); }
    bool steamVrRunning() const { return SystemInfo::isProcessRunning("vrmonitor" + m_suffix + ".exe"); }

    // SteamVR's stop leaves this flag; the next SteamVR would end at once.
    void allowSteamVrAgain() const { QFile::remove(m_vrBin + "/shutdown.flag"); }
    bool shutdownToolRan() const { return QFileInfo::exists(m_vrBin + "/shutdown.flag"); }

    // Every start of a fake Steam program, "name arg...".
    QStringList steamLog() const
    {
        QFile log(m_steamLog);
        if (!log.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts);
    }

    int steamVrLaunches() const { return steamLog().count(FakeSteamInstall::urlLine("steam://rungameid/250820")); }
    int steamLaunches() const { return steamLog().count(FakeSteamInstall::launchLine()); }

    QJsonArray externalDrivers() const
    {
        return readJson(vrpathFile()).value("external_drivers").toArray();
    }

    // A process named as the adb server of this test.
    QProcess *startAdbServer() { return m_fakes->start(m_adbServer, { "--lifetime-ms", "60000" }); }
    bool adbServerRunning() const { return SystemInfo::isProcessRunning("adb" + m_suffix + ".exe"); }

    // ---- Streamer, adb, power, audio, cloud

    // streamer-sim on this test's control port; `args` add headsets and the like.
    bool startStreamer(const QStringList &args = {})
    {
        stopStreamer();
        m_streamerLog = m_workDir + QStringLiteral("/streamer%1.log").arg(++m_streamerCount);
        m_streamer = std::make_unique<QProcess>();
        m_streamer->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_streamer->setStandardOutputFile(QProcess::nullDevice());
        m_streamer->start(QStringLiteral(OSTREL_TOOLS_BIN_DIR "/streamer-sim/streamer-sim" OSTREL_EXE_SUFFIX),
                          QStringList { "--port", QString::number(controlPort), "--no-shared-block", "--log",
                                        m_streamerLog, "--reconnect-ms", "100" }
                              + args);
        if (!m_streamer->waitForStarted(5000))
            return false;
        return QTest::qWaitFor([this] { return sys->hasClient(); }, 5000);
    }

    void stopStreamer()
    {
        if (!m_streamer)
            return;
        m_streamer->terminate();
        if (!m_streamer->waitForFinished(3000)) {
            m_streamer->kill();
            m_streamer->waitForFinished(3000);
        }
        m_streamer.reset();
    }

    // What the streamer received, in order ("HMDInfoRequest", "LinkTo Alpha 1.2.3.4 ", ...).
    QStringList streamerReceived() const
    {
        QStringList commands;
        QFile log(m_streamerLog);
        if (!log.open(QIODevice::ReadOnly))
            return commands;
        const QByteArray prefix("received: ");
        for (QByteArray line : log.readAll().split('\n')) {
            if (line.startsWith(prefix))
                commands << QString::fromUtf8(line.mid(prefix.size()));
        }
        return commands;
    }

    int streamerReceivedCount(const QString &command) const { return streamerReceived().count(command); }

    bool answerAdb(const QString &key, const QByteArray &text)
    {
        QFile out(m_adbScript + "/" + key + ".out");
        return out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(text) == text.size();
    }

    QStringList adbCalls() const
    {
        QFile log(m_adbScript + "/calls.log");
        if (!log.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts);
    }

    void setMainsPower(bool mains) { m_mains = mains; }
    void setStereoAudio(bool stereo) { m_stereo = stereo; }

    // The events the controller reported since the last call (or since the
    // test began), in order, after sending what is queued.
    QList<QJsonObject> events()
    {
        http->sendQueuedEvents(false);
        QList<QJsonObject> all;
        const QList<QByteArray> batches = m_cloud.eventBatches();
        for (int i = m_batchesBefore; i < batches.size(); ++i) {
            for (const QJsonValue &record : QJsonDocument::fromJson(batches.at(i)).array())
                all << record.toObject();
        }
        m_batchesBefore = batches.size();
        return all;
    }

    QStringList eventIds()
    {
        QStringList ids;
        for (const QJsonObject &event : events())
            ids << event.value("eventId").toString();
        return ids;
    }

    CloudServer &cloud() { return m_cloud; }

    // Waits until the controller has no sequence running or queued.
    bool settle(int timeoutMs = 20000)
    {
        return QTest::qWaitFor([this] { return !controller || !controller->sequenceRunning(); }, timeoutMs);
    }

    NerevManager::Timing timing;
    // SteamManager's bounds; short ones keep the tests quick.
    int steamStopLimitMs = 10000;
    int steamPollerLimitMs = 20000;
    int steamSettleMs = 100;
    QList<int> streamingPorts;
    int controlPort = 0;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<SteamManager> steam;
    std::unique_ptr<SysManager> sys;
    std::unique_ptr<SystemInfo> system;
    std::unique_ptr<HttpManager> http;
    std::unique_ptr<AdbManger> adb;
    std::unique_ptr<NerevManager> controller;

private:
    QString launcher() const { return m_steamDir + (FakeSteamInstall::windows() ? "/steam.exe" : "/steam.sh"); }

    QString vrpathFile() const
    {
        return QString::fromStdString(platform::openvrPathRegistryFile(m_home.toStdString()));
    }

    void writeVrpath() const
    {
        (void)writeJson(vrpathFile(), QJsonObject { { "runtime", QJsonArray { m_steamDir + "/steamapps/common/SteamVR" } },
                                              { "external_drivers", QJsonArray {} },
                                              { "version", 1 } });
    }

    void killFakes()
    {
        // SteamVR's processes started by the fake URL handler are nobody's
        // children here: the shutdown flag ends them, the rest by name.
        QFile flag(m_vrBin + "/shutdown.flag");
        flag.open(QIODevice::WriteOnly);
        flag.close();
        // Again until none is left: a Steam start under way may still bring one.
        const bool gone = QTest::qWaitFor([this] {
            return SystemInfo::killProcessesByName({ "steam" + m_suffix + ".exe", "vrserver" + m_suffix + ".exe",
                                                     "vrmonitor" + m_suffix + ".exe", "adb" + m_suffix + ".exe" })
                == 0
                && !steamRunning() && !anySteamVrProcess();
        }, 5000);
        if (!gone)
            qWarning() << "fake Steam processes still running after the test";
        QFile::remove(m_vrBin + "/shutdown.flag");
    }

    QTemporaryDir m_root;
    FakeSteamInstall m_install;
    QString m_suffix, m_home, m_steamDir, m_vrBin, m_client, m_steamLog, m_adbScript, m_adbBin, m_adbServer;
    QString m_userDir, m_workDir, m_oldCurrent, m_streamerLog;
    int m_testNumber = 0;
    int m_streamerCount = 0;
    int m_batchesBefore = 0;
    bool m_mains = true;
    bool m_stereo = true;
    CloudServer m_cloud;
    std::unique_ptr<QProcess> m_streamer;
    std::unique_ptr<FakeProcesses> m_fakes = std::make_unique<FakeProcesses>();
};
