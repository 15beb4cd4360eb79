#include "childwait.h"
#include "settingsstore.h"
#include "sharedmemorychannel.h"
#include "steammanager.h"
#include "systeminfo.h"

#include "fakesteam.h"
#include "logcapture.h"
#include "platform/paths.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QTimer>

#include <memory>
#include <thread>

// Steam and SteamVR are played by copies of tools/fake-steam installed where this system's
// assistant looks for them (FakeSteamInstall: a temporary home on Linux, the registry on
// Windows): a Steam folder with its launcher and client, SteamVR with its processes and
// shutdown tool, a "steam" URL handler that records what it was asked to open, and a
// fake vrserver that writes the streamer's signal into the shared block. Every watched
// name carries this test's process id so parallel runs never see each other's fakes.
class TestSteamManager : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void installationIsFoundBelowHome();
    void noInstallationAnywhere();
    void steamRunningIsDebounced();
    void steamAlreadyRunningCountsAtOnce();
    void startSteamLaunchesOnThePool();
    void startSteamWithoutInstallationToasts();
    void destructionWaitsForAStartInProgress();
    void startSteamVrRegistersLaunchesAndClears();
    void staleSignalDoesNotClearEarly();
    void secondStartRunsASecondPoller();
    void startSteamVrNeedsSteam();
    void pollerGivesUpAfterItsBound();
    void stopWithNothingRunningOnlyClears();
    void stopGivesUpOnASteamVrThatNeverExits();
    void stopOnAWorkerThreadWaitsThere();
    void steamVrRunningIsDebounced();
    void restartFromAnotherThread();
    void firewallRuleHasNoMeaningHere();

private:
    QString vrpathFile() const;
    QJsonArray externalDrivers() const;
    void writeVrpath(const QJsonArray& drivers);
    SteamManager::ProcessNames names() const;
    std::unique_ptr<SteamManager> makeManager();
    void killFakes();
    QStringList urlsOpened() const;

    QTemporaryDir m_root;
    FakeSteamInstall m_install;
    QString m_home, m_steamDir, m_vrBin, m_client, m_suffix;
    QString m_log;
};

QString TestSteamManager::vrpathFile() const
{
    return QString::fromStdString(platform::openvrPathRegistryFile(m_home.toStdString()));
}

QJsonArray TestSteamManager::externalDrivers() const
{
    QFile f(vrpathFile());
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(f.readAll()).object().value("external_drivers").toArray();
}

void TestSteamManager::writeVrpath(const QJsonArray& drivers)
{
    QJsonObject root;
    root.insert("runtime", QJsonArray{m_steamDir + "/steamapps/common/SteamVR"});
    root.insert("external_drivers", drivers);
    root.insert("config", QJsonArray{m_steamDir + "/config"});
    root.insert("version", 1);
    QDir().mkpath(QFileInfo(vrpathFile()).absolutePath());
    QFile f(vrpathFile());
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(QJsonDocument(root).toJson());
}

SteamManager::ProcessNames TestSteamManager::names() const
{
    SteamManager::ProcessNames n;
    n.steam = "steam" + m_suffix + ".exe";
    n.vrMonitor = "vrmonitor" + m_suffix + ".exe";
    n.steamVr = QStringList{"vrserver" + m_suffix + ".exe", "vrmonitor" + m_suffix + ".exe",
                            "vrcompositor" + m_suffix + ".exe"};
    return n;
}

std::unique_ptr<SteamManager> TestSteamManager::makeManager()
{
    auto m = std::make_unique<SteamManager>(names());
    m->setWaitLimits(10000, 20000, 100);
    return m;
}

void TestSteamManager::killFakes()
{
    SystemInfo::killProcessesByName({"steam" + m_suffix + ".exe", "vrmonitor" + m_suffix + ".exe",
                                     "vrserver" + m_suffix + ".exe", "vrcompositor" + m_suffix + ".exe"});
    QTRY_VERIFY_WITH_TIMEOUT(!SystemInfo::isProcessRunning("steam" + m_suffix + ".exe") &&
                                 !SystemInfo::isProcessRunning("vrserver" + m_suffix + ".exe") &&
                                 !SystemInfo::isProcessRunning("vrmonitor" + m_suffix + ".exe"),
                             5000);
}

QStringList TestSteamManager::urlsOpened() const
{
    QFile f(m_log);
    QStringList urls;
    if (!f.open(QIODevice::ReadOnly))
        return urls;
    for (const QByteArray& line : f.readAll().split('\n')) {
        const QByteArray handler = (FakeSteamInstall::exe("steam") + " ").toUtf8();
        if (line.startsWith(handler + "steam://"))
            urls << QString::fromUtf8(line.mid(handler.size()));
    }
    return urls;
}

void TestSteamManager::initTestCase()
{
    QVERIFY(m_root.isValid());
    QVERIFY(QFileInfo::exists(fakeSteamBinary()));
    m_suffix = QString::number(QCoreApplication::applicationPid());
    QVERIFY(m_install.create(m_root.path(), m_suffix));
    m_home = m_install.home;
    m_steamDir = m_install.steamDir;
    m_vrBin = m_install.vrBin;
    m_client = m_install.client;
    m_log = m_root.path() + "/fake-steam.log";
    m_install.activate();
    qputenv("OSTREL_USER_DIR", (m_root.path() + "/user").toUtf8());
    qputenv("OSTREL_SHARED_BLOCK", ("ostrel_test_steam_" + m_suffix).toUtf8());
    qputenv("OSTREL_SHARED_MUTEX", ("ostrel_test_steam_mutex_" + m_suffix).toUtf8());
    qputenv("OSTREL_FAKE_STEAM_LOG", m_log.toUtf8());
    qputenv("OSTREL_FAKE_STEAM_CLIENT", FakeSteamInstall::exe("steam" + m_suffix).toUtf8());
    qputenv("OSTREL_FAKE_STEAMVR_BIN", m_vrBin.toUtf8());
    qputenv("PATH", (m_install.pathEntry() + QDir::listSeparator()).toUtf8() + qgetenv("PATH"));
    QDir().mkpath(m_root.path() + "/user");
}

void TestSteamManager::init()
{
    // A block of its own for every test: on Windows a SteamVR that an earlier test asked
    // for can start late (the URL goes through explorer), and its server's signal must
    // not reach this test.
    static int testNumber = 0;
    ++testNumber;
    qputenv("OSTREL_SHARED_BLOCK", QStringLiteral("ostrel_test_steam_%1_%2").arg(m_suffix).arg(testNumber).toUtf8());
    qputenv("OSTREL_SHARED_MUTEX", QStringLiteral("ostrel_test_steam_mutex_%1_%2").arg(m_suffix).arg(testNumber).toUtf8());
    writeVrpath({});
    QFile::remove(m_log);
    QFile::remove(m_vrBin + "/shutdown.flag");
    m_install.activate();
    qputenv("OSTREL_FAKE_SIGNAL_AFTER_MS", "300");
    qputenv("OSTREL_FAKE_STEAMVR_BIN", m_vrBin.toUtf8());
}

void TestSteamManager::cleanup()
{
    killFakes();
    QThreadPool::globalInstance()->waitForDone(20000);
}

void TestSteamManager::installationIsFoundBelowHome()
{
    auto m = makeManager();
    QVERIFY(m->steamInstalled());
    QCOMPARE(QDir::fromNativeSeparators(m->steamInstallPath()), m_steamDir);
    QCOMPARE(QDir::fromNativeSeparators(m->steamVrInstallPath()), m_steamDir + "/steamapps/common/SteamVR");
}

void TestSteamManager::noInstallationAnywhere()
{
    QTemporaryDir emptyHome;
    FakeSteamInstall::removeAll(emptyHome.path());
    auto m = makeManager();
    QVERIFY(!m->steamInstalled());
    QTest::ignoreMessage(QtWarningMsg, "[steam] Could not find Steam installation path");
    QCOMPARE(m->steamInstallPath(), QString());
    QCOMPARE(m->steamVrInstallPath(), QString());
    QVERIFY(!m->shutdownSteamVr());
}

void TestSteamManager::steamRunningIsDebounced()
{
    auto m = makeManager(); // Steam is not running: the count starts again from 0
    QVERIFY(!m->isSteamRunning());
    FakeProcesses p;
    QVERIFY(p.start(m_client));
    QVERIFY(!m->isSteamRunning());
    QVERIFY(!m->isSteamRunning());
    QVERIFY(!m->isSteamRunning());
    QVERIFY(m->isSteamRunning());
    QVERIFY(m->isSteamRunning());
    killFakes();
    QVERIFY(!m->isSteamRunning());
}

void TestSteamManager::steamAlreadyRunningCountsAtOnce()
{
    FakeProcesses p;
    QVERIFY(p.start(m_client));
    auto m = makeManager();
    QVERIFY(m->isSteamRunning());
}

void TestSteamManager::startSteamLaunchesOnThePool()
{
    auto m = makeManager();
    QSignalSpy toasts(m.get(), &SteamManager::showToast);
    m->startSteam();
    m->startSteam(); // while the first start is under way
    QCOMPARE(toasts.count(), 1);
    QCOMPARE(toasts.at(0).at(0).toString(), QString("Steam正在启动中，请稍候"));
    QTRY_VERIFY_WITH_TIMEOUT(SystemInfo::isProcessRunning("steam" + m_suffix + ".exe"), 15000);
    QVERIFY(QThreadPool::globalInstance()->waitForDone(15000));
    QFile log(m_log);
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(log.readAll().contains(FakeSteamInstall::launchLine().toUtf8()));
    QCOMPARE(toasts.count(), 1); // no failure toast
}

void TestSteamManager::destructionWaitsForAStartInProgress()
{
    QTemporaryDir emptyHome;
    FakeSteamInstall::removeAll(emptyHome.path());
    LogCapture log;
    auto m = makeManager();
    m->startSteam();
    // Gone while the start still sleeps on the thread pool: the start ends
    // first, then the object goes (no use of a destroyed object).
    m.reset();
    QCOMPARE(log.count("[steam] startupSteam failed"), 1);
    QVERIFY(QThreadPool::globalInstance()->waitForDone(15000));
}

void TestSteamManager::startSteamWithoutInstallationToasts()
{
    QTemporaryDir emptyHome;
    FakeSteamInstall::removeAll(emptyHome.path());
    auto m = makeManager();
    // The failure toasts come from the start's worker thread: collect them
    // here, on this thread, as the controller receives them.
    QStringList toasts;
    QObject receiver;
    connect(m.get(), &SteamManager::showToast, &receiver, [&toasts](const QString &tips) { toasts << tips; });
    m->startSteam();
    QVERIFY(QThreadPool::globalInstance()->waitForDone(15000));
    QTRY_COMPARE_WITH_TIMEOUT(toasts.count(), 2, kChildProcessWaitMs);
    QCOMPARE(toasts.at(0), QString("未找到Steam安装路径"));
    QCOMPARE(toasts.at(1), QString("启动Steam失败"));
    // The start is over: a new call tries again rather than reporting a start in progress.
    m->startSteam();
    QVERIFY(QThreadPool::globalInstance()->waitForDone(15000));
    QTRY_COMPARE_WITH_TIMEOUT(toasts.count(), 4, kChildProcessWaitMs);
    QCOMPARE(toasts.at(2), QString("未找到Steam安装路径"));
}

void TestSteamManager::startSteamVrRegistersLaunchesAndClears()
{
    FakeProcesses p;
    QVERIFY(p.start(m_client));
    auto m = makeManager();
    QSignalSpy sessions(m.get(), &SteamManager::steamAppChange);
    m->startSteamVR();
    QCOMPARE(externalDrivers(), QJsonArray{QCoreApplication::applicationDirPath()});
    QCOMPARE(m->activePollers(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(urlsOpened(), QStringList{"steam://rungameid/250820"}, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(SystemInfo::isProcessRunning("vrserver" + m_suffix + ".exe"), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(externalDrivers(), QJsonArray{}, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(m->activePollers(), 0, 2000);
    QVERIFY(m->isSteamVrRunning());

    // Stop: the registration goes first, the shutdown tool is run and the wait lasts
    // until SteamVR's processes are gone.
    writeVrpath({"/somewhere/else"});
    m->stopSteamVR();
    QCOMPARE(externalDrivers(), QJsonArray{});
    QVERIFY(QFileInfo::exists(m_vrBin + "/shutdown.flag"));
    QVERIFY(!SystemInfo::isProcessRunning("vrserver" + m_suffix + ".exe"));
    QVERIFY(!SystemInfo::isProcessRunning("vrmonitor" + m_suffix + ".exe"));
    QCOMPARE(sessions.count(), 1);
    QCOMPARE(sessions.at(0).at(1).toString(), QString("SteamVR"));
    QVERIFY(sessions.at(0).at(0).toInt() >= 0);
}

void TestSteamManager::staleSignalDoesNotClearEarly()
{
    if (FakeSteamInstall::windows())
        QSKIP("under Wine a SteamVR start that an earlier test sent through explorer can reach the fake SteamVR "
              "late and signal within this test's 600 ms (it passes when run alone); the rule is the same code "
              "on every platform and is checked natively");
    FakeProcesses p;
    QVERIFY(p.start(m_client));
    {
        SharedMemoryChannel other;
        QVERIFY(other.open());
        QVERIFY(other.writeValue(1)); // left from an earlier SteamVR run
    }
    qputenv("OSTREL_FAKE_SIGNAL_AFTER_MS", "1500");
    auto m = makeManager();
    SharedMemoryChannel streamerView;
    QVERIFY(streamerView.open());
    m->startSteamVR();
    QTest::qWait(600);
    QCOMPARE(externalDrivers(), QJsonArray{QCoreApplication::applicationDirPath()});
    quint32 value = 7;
    QVERIFY(streamerView.readValue(value));
    QCOMPARE(value, 0u);
    QTRY_COMPARE_WITH_TIMEOUT(externalDrivers(), QJsonArray{}, 6000);
}

void TestSteamManager::secondStartRunsASecondPoller()
{
    FakeProcesses p;
    QVERIFY(p.start(m_client));
    qputenv("OSTREL_FAKE_STEAMVR_BIN", ""); // the streamer's signal comes from the test
    auto m = makeManager();
    m->startSteamVR();
    m->startSteamVR();
    QCOMPARE(m->activePollers(), 2);
    QTest::qWait(200);
    QCOMPARE(m->activePollers(), 2);
    SharedMemoryChannel streamer;
    QVERIFY(streamer.open());
    QVERIFY(streamer.writeValue(1));
    QTRY_COMPARE_WITH_TIMEOUT(m->activePollers(), 0, 3000);
    QCOMPARE(externalDrivers(), QJsonArray{});
    // The URL goes to its handler through a detached process (explorer on Windows).
    QTRY_COMPARE_WITH_TIMEOUT(urlsOpened().size(), 2, 10000);
}

void TestSteamManager::startSteamVrNeedsSteam()
{
    auto m = makeManager();
    writeVrpath({"/kept"});
    m->startSteamVR();
    QCOMPARE(m->activePollers(), 0);
    QCOMPARE(externalDrivers(), QJsonArray{"/kept"});
    QTest::qWait(300);
    QCOMPARE(urlsOpened(), QStringList{});
}

void TestSteamManager::pollerGivesUpAfterItsBound()
{
    FakeProcesses p;
    QVERIFY(p.start(m_client));
    qputenv("OSTREL_FAKE_STEAMVR_BIN", ""); // SteamVR never loads the streamer
    auto m = makeManager();
    m->setWaitLimits(10000, 400, 100);
    m->startSteamVR();
    QCOMPARE(externalDrivers(), QJsonArray{QCoreApplication::applicationDirPath()});
    QTRY_COMPARE_WITH_TIMEOUT(m->activePollers(), 0, 5000);
    QCOMPARE(externalDrivers(), QJsonArray{});
}

void TestSteamManager::stopWithNothingRunningOnlyClears()
{
    auto m = std::make_unique<SteamManager>(names()); // the product's own bounds
    writeVrpath({QCoreApplication::applicationDirPath()});
    QElapsedTimer t;
    t.start();
    m->stopSteamVR();
    QVERIFY2(t.elapsed() < 2000, "no settle time without SteamVR");
    QCOMPARE(externalDrivers(), QJsonArray{});
    QVERIFY(!QFileInfo::exists(m_vrBin + "/shutdown.flag"));
}

void TestSteamManager::stopGivesUpOnASteamVrThatNeverExits()
{
    FakeProcesses p;
    QProcess* stubborn = p.start(m_vrBin + "/vrserver" + m_suffix, {"--stubborn"});
    QVERIFY(stubborn);
    QTRY_VERIFY_WITH_TIMEOUT(SystemInfo::isProcessRunning("vrserver" + m_suffix + ".exe"), kChildProcessWaitMs);
    auto m = makeManager();
    m->setWaitLimits(1500, 20000, 100);
    writeVrpath({QCoreApplication::applicationDirPath()});
    QElapsedTimer t;
    t.start();
    m->stopSteamVR();
    QVERIFY(t.elapsed() >= 1400);
    QVERIFY(t.elapsed() < 8000);
    QCOMPARE(stubborn->state(), QProcess::Running);
    QCOMPARE(externalDrivers(), QJsonArray{});
}

// The controller runs the stop on a worker thread: it waits there for
// SteamVR's end while this thread goes on, and the session's end reaches
// receivers here.
void TestSteamManager::stopOnAWorkerThreadWaitsThere()
{
    FakeProcesses p;
    QVERIFY(p.start(m_vrBin + "/vrserver" + m_suffix, {"--linger-ms", "700"}));
    QVERIFY(p.start(m_vrBin + "/vrmonitor" + m_suffix));
    QTRY_VERIFY_WITH_TIMEOUT(SystemInfo::isProcessRunning("vrmonitor" + m_suffix + ".exe"), kChildProcessWaitMs);
    auto m = makeManager();
    QVERIFY(m->isSteamVrRunning()); // a session is open
    QObject receiver;
    QThread* deliveredOn = nullptr;
    connect(m.get(), &SteamManager::steamAppChange, &receiver, [&] { deliveredOn = QThread::currentThread(); });
    writeVrpath({QCoreApplication::applicationDirPath()});

    QAtomicInt returned = 0;
    bool goneOnReturn = false;
    std::thread worker([&] {
        m->stopSteamVROnThisThread();
        goneOnReturn = !SystemInfo::isProcessRunning("vrserver" + m_suffix + ".exe");
        returned = 1;
    });
    int turns = 0;
    QTimer turn;
    connect(&turn, &QTimer::timeout, [&] { ++turns; });
    turn.setTimerType(Qt::PreciseTimer); // Windows rounds a coarse one up to its tick
    turn.start(10);
    QTRY_VERIFY_WITH_TIMEOUT(returned.loadAcquire() == 1, 10000);
    worker.join();
    QVERIFY2(goneOnReturn, "returns only when SteamVR has ended");
    QVERIFY2(turns >= 30, qPrintable(QString::number(turns)));
    QVERIFY(QFileInfo::exists(m_vrBin + "/shutdown.flag"));
    QCOMPARE(externalDrivers(), QJsonArray{});
    QTRY_COMPARE_WITH_TIMEOUT(deliveredOn, QThread::currentThread(), kChildProcessWaitMs);
}

void TestSteamManager::steamVrRunningIsDebounced()
{
    auto m = makeManager();
    QSignalSpy sessions(m.get(), &SteamManager::steamAppChange);
    FakeProcesses p;
    QVERIFY(p.start(m_vrBin + "/vrmonitor" + m_suffix));
    QTRY_VERIFY_WITH_TIMEOUT(SystemInfo::isProcessRunning("vrmonitor" + m_suffix + ".exe"), kChildProcessWaitMs);
    QVERIFY(m->isSteamVrRunning());
    killFakes();
    QVERIFY(m->isSteamVrRunning()); // one miss is forgiven
    QCOMPARE(sessions.count(), 0);
    QVERIFY(!m->isSteamVrRunning());
    QCOMPARE(sessions.count(), 1);
    QVERIFY(!m->isSteamVrRunning());
    QCOMPARE(sessions.count(), 1);
}

void TestSteamManager::restartFromAnotherThread()
{
    auto m = makeManager();
    m->setHeadsetId("KX2G0YC1ZF8B0BQZ");
    QSignalSpy toasts(m.get(), &SteamManager::showToast);
    writeVrpath({QCoreApplication::applicationDirPath()});
    QTest::ignoreMessage(QtWarningMsg, "[steam] stopSteamVR thread");
    std::thread worker([&] { m->restartSteamVR(); });
    worker.join();
    QFile settings(SettingsStore::instance()->settingsFilePath());
    QVERIFY(settings.open(QIODevice::ReadOnly));
    QVERIFY(settings.readAll().contains("KX2G0YC1ZF8B0BQZ"));
    QTRY_COMPARE_WITH_TIMEOUT(externalDrivers(), QJsonArray{}, 2000); // the queued stop ran here
    QTRY_COMPARE_WITH_TIMEOUT(toasts.count(), 1, 6000);
    QCOMPARE(toasts.at(0).at(0).toString(), QString("正在重启，请等待"));
}

void TestSteamManager::firewallRuleHasNoMeaningHere()
{
    if (FakeSteamInstall::windows())
        QSKIP("Windows has a firewall rule to look for (netsh), which this test is not about");
    auto m = makeManager();
    QVERIFY(m->isFirewallRuleRegistered(m_steamDir + "/steamapps/common/SteamVR"));
}

QTEST_GUILESS_MAIN(TestSteamManager)
#include "tst_steammanager.moc"
