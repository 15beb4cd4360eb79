// The checker of "Check my PC": results one by one off the GUI thread, time limits,
// "check again", the fixes against the stand-ins for PowerShell, netsh and powercfg
// (which record their command lines), ending a port holder after confirmation, the
// driver registration through a short path, and the report for support.
#include "childwait.h"
#include "driverregistration.h"
#include "fakesteam.h"
#include "pcchecker.h"
#include "settingsstore.h"
#include "steammanager.h"
#include "systeminfo.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <memory>

namespace {

const QString kStandIns = QStringLiteral(OSTREL_TOOLS_BIN_DIR "/fake-wintools/bin");

void writeFile(const QString &path, const QByteArray &contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(contents);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int rowOf(const PcChecker &checker, const QString &id)
{
    const QAbstractItemModel *model = checker.rows();
    for (int i = 0; i < model->rowCount(); ++i) {
        if (model->index(i, 0).data(PcCheckModel::RowIdRole).toString() == id)
            return i;
    }
    return -1;
}

QVariant role(const PcChecker &checker, const QString &id, int r)
{
    return checker.rows()->index(rowOf(checker, id), 0).data(r);
}

// The program's own subsystems, as main hands them in.
PcChecker::Services programServices()
{
    return PcChecker::Services{SettingsStore::instance(), SystemInfo::instance(), SteamManager::instance()};
}

// Facts under which every check passes; tests change the ones they are about.
PcChecker::Environment passingEnvironment(const QString &toolsFolder)
{
    PcChecker::Environment e;
    e.context = [toolsFolder] {
        PcChecker::Context c;
        c.toolsFolder = toolsFolder;
        c.driverFolder = QStringLiteral("C:\\Program Files\\OSTREL");
        return c;
    };
    e.graphics = [](const PcChecker::Context &) {
        PcCheck::GraphicsFacts f;
        f.adapters = QStringList{QStringLiteral("NVIDIA GeForce RTX 3060")};
        f.bestAdapter = f.adapters.first();
        f.tableRead = true;
        f.bestScore = 8;
        return f;
    };
    e.networkProfile = [](const PcChecker::Context &) {
        PcCheck::NetworkProfileFacts f;
        f.known = true;
        f.toolFound = true;
        f.connections = {PcCheck::Connection{QStringLiteral("Home"), 12, QStringLiteral("Private")}};
        return f;
    };
    e.firewall = [](const PcChecker::Context &) {
        PcCheck::FirewallFacts f;
        f.known = true;
        return f;
    };
    e.ports = [](const PcChecker::Context &) {
        PcCheck::PortFacts f;
        f.known = true;
        return f;
    };
    e.driverFolder = [](const PcChecker::Context &c) {
        PcCheck::DriverFolderFacts f;
        f.folder = c.driverFolder;
        return f;
    };
    e.link = [](const PcChecker::Context &) {
        PcCheck::LinkFacts f;
        f.known = true;
        f.kind = PcCheck::LinkKind::Ethernet;
        f.speedBitsPerSecond = 1000000000ull;
        return f;
    };
    e.audio = [](const PcChecker::Context &) { return PcCheck::AudioFacts{1, QStringLiteral("Speakers")}; };
    e.powerPlan = [](const PcChecker::Context &) {
        PcCheck::PowerFacts f;
        f.known = true;
        f.kind = PcCheck::PowerKind::Balanced;
        f.name = QStringLiteral("Balanced");
        return f;
    };
    e.steam = [](const PcChecker::Context &) {
        return PcCheck::SteamFacts{true, QStringLiteral("C:\\SteamVR"), QStringLiteral("2.7.4.0")};
    };
    e.openUrl = [](const QUrl &) { return true; };
    e.installAudio = [](const QString &) { return true; };
    e.endProcess = [](quint32) { return false; };
    e.inventory = [] { return QJsonObject(); };
    e.logFiles = [] { return QStringList(); };
    e.settingsFile = [] { return QString(); };
    e.recentFile = [] { return QString(); };
    e.reportFolder = [] { return QString(); };
    return e;
}

} // namespace

class TestPcChecker : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root;
    QString m_tools;   // the stand-ins' answer folder and calls.log
    int m_count = 0;

    QString calls() const { return QString::fromUtf8(readFile(m_tools + QStringLiteral("/calls.log"))); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        QVERIFY2(QFileInfo::exists(kStandIns + QStringLiteral("/netsh" OSTREL_EXE_SUFFIX)), qPrintable(kStandIns));
        // The system environment's singletons keep to this test's folders.
        qputenv("HOME", (m_root.path() + QStringLiteral("/home")).toUtf8());
        qputenv("OSTREL_USER_DIR", (m_root.path() + QStringLiteral("/user")).toUtf8());
        const QByteArray suffix = QByteArray::number(QCoreApplication::applicationPid());
        qputenv("OSTREL_SHARED_BLOCK", "ostrel_test_pccheck_" + suffix);
        qputenv("OSTREL_SHARED_MUTEX", "ostrel_test_pccheck_mutex_" + suffix);
    }

    void init()
    {
        m_tools = m_root.path() + QStringLiteral("/tools") + QString::number(++m_count);
        QVERIFY(QDir().mkpath(m_tools));
        qputenv("OSTREL_FAKE_TOOLS_DIR", m_tools.toUtf8());
    }

    void resultsArriveOneByOneAndCheckAgainRunsEveryCheckAnew()
    {
        auto runs = std::make_shared<std::atomic<int>>(0);
        auto release = std::make_shared<QSemaphore>();
        PcChecker::Environment e = passingEnvironment(kStandIns);
        // The ports check answers last, and only on its first run finds another program.
        e.ports = [runs, release](const PcChecker::Context &) {
            release->acquire();
            PcCheck::PortFacts f;
            f.known = true;
            if (runs->fetch_add(1) == 0)
                f.holders = {PcCheck::PortHolder{9943, 900, QStringLiteral("foo.exe")}};
            return f;
        };
        PcChecker checker(e);
        QSignalSpy results(&checker, &PcChecker::resultReady);
        QSignalSpy finished(&checker, &PcChecker::checksFinished);
        QSignalSpy failed(&checker, &PcChecker::anyFailedChanged);

        QCOMPARE(role(checker, QStringLiteral("ports"), PcCheckModel::StateRole).toInt(), PcCheckModel::kNoResult);
        checker.checkAll();
        QVERIFY(checker.checking());
        QTRY_COMPARE_WITH_TIMEOUT(results.count(), PcCheck::ids().size() - 1, kChildProcessWaitMs);
        QVERIFY(role(checker, QStringLiteral("ports"), PcCheckModel::BusyRole).toBool());
        QVERIFY(!role(checker, QStringLiteral("audio"), PcCheckModel::BusyRole).toBool());
        QCOMPARE(role(checker, QStringLiteral("audio"), PcCheckModel::StateRole).toInt(), int(PcCheck::Passed));
        QCOMPARE(finished.count(), 0);
        QVERIFY(checker.checking());

        release->release();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, kChildProcessWaitMs);
        QCOMPARE(results.last().at(0).toString(), QStringLiteral("ports"));
        QVERIFY(!checker.checking());
        QVERIFY(checker.anyFailed());
        QCOMPARE(failed.count(), 1);
        QCOMPARE(role(checker, QStringLiteral("ports"), PcCheckModel::StateRole).toInt(), int(PcCheck::Failed));
        QVERIFY(role(checker, QStringLiteral("ports"), PcCheckModel::SentenceRole).toString().contains(QLatin1String("foo.exe")));
        QVERIFY(!role(checker, QStringLiteral("ports"), PcCheckModel::FixLabelRole).toString().isEmpty());

        release->release();
        checker.checkAll();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, kChildProcessWaitMs);
        QCOMPARE(results.count(), 2 * PcCheck::ids().size());
        QCOMPARE(role(checker, QStringLiteral("ports"), PcCheckModel::StateRole).toInt(), int(PcCheck::Passed));
        QVERIFY(!checker.anyFailed());
        QCOMPARE(failed.count(), 2);
        const QJsonArray json = checker.resultsJson();
        QCOMPARE(json.size(), PcCheck::ids().size());
        for (const QJsonValue &v : json)
            QCOMPARE(v.toObject().value(QStringLiteral("state")).toString(), QStringLiteral("passed"));
    }

    void aCheckPastItsLimitCouldNotCheckAndItsLateAnswerIsDropped()
    {
        auto release = std::make_shared<QSemaphore>();
        auto answered = std::make_shared<std::atomic<bool>>(false);
        PcChecker::Environment e = passingEnvironment(kStandIns);
        e.firewall = [release, answered](const PcChecker::Context &) {
            release->acquire();
            PcCheck::FirewallFacts f;
            f.known = true;
            f.filtersInbound = true;
            f.blocksAllInbound = true; // a failure, should it still be taken
            answered->store(true);
            return f;
        };
        PcChecker checker(e);
        checker.setTimeLimits(200, 1000);
        QSignalSpy finished(&checker, &PcChecker::checksFinished);
        checker.checkAll();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, kChildProcessWaitMs);
        QCOMPARE(checker.outcome(QStringLiteral("firewall")).state, PcCheck::CouldNotCheck);
        QVERIFY(!checker.checking());

        release->release();
        QTRY_VERIFY_WITH_TIMEOUT(answered->load(), kChildProcessWaitMs);
        QTest::qWait(200);
        QCOMPARE(checker.outcome(QStringLiteral("firewall")).state, PcCheck::CouldNotCheck);
        QVERIFY(!checker.anyFailed());
    }

    void aFixRunsItsToolRecordsTheCommandAndChecksAgain()
    {
        PcChecker::Environment e = passingEnvironment(kStandIns);
        const QString log = m_tools + QStringLiteral("/calls.log");
        // The network stays public until the stand-in was asked to make it private.
        e.networkProfile = [log](const PcChecker::Context &) {
            PcCheck::NetworkProfileFacts f;
            f.known = true;
            f.toolFound = true;
            const bool made = readFile(log).contains("Set-NetConnectionProfile -InterfaceIndex 12");
            f.connections = {PcCheck::Connection{QStringLiteral("Cafe"), 12,
                                                 made ? QStringLiteral("Private") : QStringLiteral("Public")}};
            return f;
        };
        PcChecker checker(e);
        QSignalSpy results(&checker, &PcChecker::resultReady);
        QSignalSpy fixes(&checker, &PcChecker::fixFinished);
        checker.check(QStringLiteral("networkProfile"));
        QTRY_COMPARE_WITH_TIMEOUT(results.count(), 1, kChildProcessWaitMs);
        QCOMPARE(checker.outcome(QStringLiteral("networkProfile")).fix, PcCheck::Fix::MakeNetworkPrivate);

        checker.applyFix(QStringLiteral("networkProfile"));
        QTRY_COMPARE_WITH_TIMEOUT(fixes.count(), 1, kChildProcessWaitMs);
        QVERIFY(fixes.first().at(1).toBool());
        QTRY_COMPARE_WITH_TIMEOUT(results.count(), 2, kChildProcessWaitMs);
        QCOMPARE(checker.outcome(QStringLiteral("networkProfile")).state, PcCheck::Passed);
        QCOMPARE(calls(), QStringLiteral("powershell -NoProfile -NonInteractive -Command "
                                         "\"Set-NetConnectionProfile -InterfaceIndex 12 -NetworkCategory Private\"\n"));
    }

    void aFailedFixSaysWhyAndChangesNothingElse()
    {
        PcChecker::Environment e = passingEnvironment(kStandIns);
        e.firewall = [](const PcChecker::Context &) {
            PcCheck::FirewallFacts f;
            f.known = true;
            f.filtersInbound = true;
            f.toolFound = true;
            f.vrServerPath = QStringLiteral("C:\\SteamVR\\bin\\win64\\vrserver.exe");
            f.ports = {9943};
            return f;
        };
        writeFile(m_tools + QStringLiteral("/netsh.1.out"),
                  "The requested operation requires elevation (Run as administrator).\r\n\r\n");
        writeFile(m_tools + QStringLiteral("/netsh.1.exit"), "1");
        PcChecker checker(e);
        QSignalSpy results(&checker, &PcChecker::resultReady);
        QSignalSpy fixes(&checker, &PcChecker::fixFinished);

        // A row that passed has nothing to fix and runs nothing.
        checker.checkAll();
        QTRY_COMPARE_WITH_TIMEOUT(results.count(), PcCheck::ids().size(), kChildProcessWaitMs);
        checker.applyFix(QStringLiteral("audio"));
        QCOMPARE(fixes.count(), 1);
        QVERIFY(!fixes.last().at(1).toBool());

        checker.applyFix(QStringLiteral("firewall"));
        QTRY_COMPARE_WITH_TIMEOUT(fixes.count(), 2, kChildProcessWaitMs);
        QVERIFY(!fixes.last().at(1).toBool());
        QVERIFY2(fixes.last().at(2).toString().contains(QLatin1String("requires elevation")),
                 qPrintable(fixes.last().at(2).toString()));
        QTRY_COMPARE_WITH_TIMEOUT(results.count(), PcCheck::ids().size() + 1, kChildProcessWaitMs);
        QCOMPARE(checker.outcome(QStringLiteral("firewall")).state, PcCheck::Failed);
        // The second rule was never tried.
        QCOMPARE(calls(), QStringLiteral("netsh advfirewall firewall add rule \"name=OSTREL Streaming Assistant - SteamVR server\" "
                                         "dir=in action=allow program=C:\\SteamVR\\bin\\win64\\vrserver.exe enable=yes profile=any\n"));
    }

    void thePowerPlanFallsBackToBalancedWithoutHighPerformance()
    {
        PcChecker::Environment e = passingEnvironment(kStandIns);
        e.powerPlan = [](const PcChecker::Context &) {
            PcCheck::PowerFacts f;
            f.known = true;
            f.toolFound = true;
            f.kind = PcCheck::PowerKind::PowerSaver;
            f.name = QStringLiteral("Power saver");
            return f;
        };
        writeFile(m_tools + QStringLiteral("/powercfg.1.out"),
                  "Unable to perform operation. The specified power scheme does not exist.\r\n");
        writeFile(m_tools + QStringLiteral("/powercfg.1.exit"), "1");
        PcChecker checker(e);
        QSignalSpy results(&checker, &PcChecker::resultReady);
        QSignalSpy fixes(&checker, &PcChecker::fixFinished);
        checker.check(QStringLiteral("powerPlan"));
        QTRY_COMPARE_WITH_TIMEOUT(results.count(), 1, kChildProcessWaitMs);
        checker.applyFix(QStringLiteral("powerPlan"));
        QTRY_COMPARE_WITH_TIMEOUT(fixes.count(), 1, kChildProcessWaitMs);
        QVERIFY(fixes.first().at(1).toBool());
        QCOMPARE(calls(), QStringLiteral("powercfg /setactive 8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c\n"
                                         "powercfg /setactive 381b4222-f694-41f0-9685-ff5bb260df2e\n"));
    }

    void fixesThatOpenAPageOrAnInstallerReachTheirTargets()
    {
        auto opened = std::make_shared<QStringList>();
        auto installs = std::make_shared<int>(0);
        PcChecker::Environment e = passingEnvironment(kStandIns);
        e.openUrl = [opened](const QUrl &url) {
            opened->append(url.toString());
            return true;
        };
        e.installAudio = [installs](const QString &) {
            ++*installs;
            return true;
        };
        e.graphics = [](const PcChecker::Context &) {
            PcCheck::GraphicsFacts f;
            f.adapters = QStringList{QStringLiteral("AMD Radeon RX 6600 XT")};
            f.bestAdapter = f.adapters.first();
            f.vendor = QStringLiteral("amd");
            f.tableRead = true;
            f.bestScore = 8;
            f.driverVersion = QStringLiteral("31.0.1");
            f.recommendedDriver = QStringLiteral("31.0.2");
            return f;
        };
        e.audio = [](const PcChecker::Context &) { return PcCheck::AudioFacts{0, QString()}; };
        e.steam = [](const PcChecker::Context &) { return PcCheck::SteamFacts{true, QString(), QString()}; };
        PcChecker checker(e);
        QSignalSpy results(&checker, &PcChecker::resultReady);
        QSignalSpy fixes(&checker, &PcChecker::fixFinished);
        checker.checkAll();
        QTRY_COMPARE_WITH_TIMEOUT(results.count(), PcCheck::ids().size(), kChildProcessWaitMs);
        for (const char *id : {"graphics", "audio", "steam"})
            checker.applyFix(QLatin1String(id));
        QCOMPARE(fixes.count(), 3);
        QCOMPARE(*opened, (QStringList{PcCheck::driverPage(QStringLiteral("amd")), QStringLiteral("steam://install/250820")}));
        QCOMPARE(*installs, 1);
        QVERIFY(calls().isEmpty());

        // The program's own installer start: no installer beside this test, so the fix failed.
        e.installAudio = PcChecker::systemEnvironment(programServices()).installAudio;
        PcChecker noInstaller(e);
        QSignalSpy noInstallerResults(&noInstaller, &PcChecker::resultReady);
        QSignalSpy noInstallerFixes(&noInstaller, &PcChecker::fixFinished);
        noInstaller.check(QStringLiteral("audio"));
        QTRY_COMPARE_WITH_TIMEOUT(noInstallerResults.count(), 1, kChildProcessWaitMs);
        noInstaller.applyFix(QStringLiteral("audio"));
        QCOMPARE(noInstallerFixes.count(), 1);
        QVERIFY(!noInstallerFixes.first().at(1).toBool());
        QCOMPARE(noInstallerFixes.first().at(2).toString(),
                 PcChecker::tr("修复失败：%1").arg(PcChecker::tr("无法启动安装程序")));
    }

    void endingAPortHolderWaitsForTheConfirmation()
    {
        // A program of another name holding a loopback port: the fake Steam under a new name.
        const QString holderPath = m_root.path() + QStringLiteral("/portholder" OSTREL_EXE_SUFFIX);
        QFile::remove(holderPath);
        QVERIFY(QFile::copy(QStringLiteral(OSTREL_TOOLS_BIN_DIR "/fake-steam/fake-steam" OSTREL_EXE_SUFFIX), holderPath));
        QFile::setPermissions(holderPath, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcess holder;
        holder.start(holderPath, {QStringLiteral("--listen"), QStringLiteral("--lifetime-ms"), QStringLiteral("60000")});
        QVERIFY(holder.waitForReadyRead(10000));
        if (!tcpTableNamesOwners())
            QSKIP("this system's TCP table names no owning processes (Wine's GetTcpTable2 is partial)");
        const int port = holder.readLine().trimmed().toInt();
        QVERIFY(port > 0);

        PcChecker::Environment e = PcChecker::systemEnvironment(programServices());
        e.context = [port] {
            PcChecker::Context c;
            c.streamingPorts = {port};
            return c;
        };
        PcChecker checker(e);
        QSignalSpy results(&checker, &PcChecker::resultReady);
        QSignalSpy fixes(&checker, &PcChecker::fixFinished);
        checker.check(QStringLiteral("ports"));
        QTRY_COMPARE_WITH_TIMEOUT(results.count(), 1, kChildProcessWaitMs);
        QCOMPARE(checker.outcome(QStringLiteral("ports")).state, PcCheck::Failed);
        QVERIFY(checker.outcome(QStringLiteral("ports")).sentence.contains(QLatin1String("portholder")));
        QVERIFY(checker.fixConfirmation(QStringLiteral("ports")).contains(QLatin1String("portholder")));
        QVERIFY(checker.fixConfirmation(QStringLiteral("audio")).isEmpty());

        checker.applyFix(QStringLiteral("ports"));
        QCOMPARE(fixes.count(), 1);
        QVERIFY(!fixes.last().at(1).toBool());
        QVERIFY(!holder.waitForFinished(300));

        checker.applyFix(QStringLiteral("ports"), true);
        QTRY_COMPARE_WITH_TIMEOUT(fixes.count(), 2, kChildProcessWaitMs);
        QVERIFY2(fixes.last().at(1).toBool(), qPrintable(fixes.last().at(2).toString()));
        QTRY_COMPARE_WITH_TIMEOUT(holder.state(), QProcess::NotRunning, kChildProcessWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(results.count(), 2, kChildProcessWaitMs);
        QCOMPARE(checker.outcome(QStringLiteral("ports")).state, PcCheck::Passed);
    }

    void aChineseDriverFolderIsRegisteredByItsShortPathKeepingEveryOtherDriver()
    {
        const QString vrpath = m_root.path() + QStringLiteral("/openvr/openvrpaths.vrpath");
        const QString longFolder = QStringLiteral("D:\\游戏\\串流助手");
        const QString shortFolder = QStringLiteral("D:\\B8F9~1\\4E32~1");
        writeFile(vrpath, "{\n"
                  "    \"config\": [\"C:\\\\Program Files (x86)\\\\Steam\\\\config\"],\n"
                  "    \"external_drivers\": [\"D:\\\\drivers\\\\one\", \"d:/游戏/串流助手\", \"E:\\\\drivers\\\\two\"],\n"
                  "    \"jsonid\": \"vrpathreg\",\n"
                  "    \"runtime\": [\"C:\\\\Program Files (x86)\\\\Steam\\\\steamapps\\\\common\\\\SteamVR\"],\n"
                  "    \"version\": 1\n"
                  "}");
        QJsonObject before = QJsonDocument::fromJson(readFile(vrpath)).object();

        PcChecker::Environment e = passingEnvironment(kStandIns);
        e.context = [vrpath, longFolder] {
            PcChecker::Context c;
            c.vrpathFile = vrpath;
            c.driverFolder = longFolder;
            return c;
        };
        e.driverFolder = [shortFolder](const PcChecker::Context &c) {
            PcCheck::DriverFolderFacts f;
            f.folder = c.driverFolder;
            f.shortPath = shortFolder;
            f.registered = DriverRegistration(c.vrpathFile).drivers();
            return f;
        };
        PcChecker checker(e);
        QSignalSpy results(&checker, &PcChecker::resultReady);
        QSignalSpy fixes(&checker, &PcChecker::fixFinished);
        checker.check(QStringLiteral("driverFolder"));
        QTRY_COMPARE_WITH_TIMEOUT(results.count(), 1, kChildProcessWaitMs);
        QCOMPARE(checker.outcome(QStringLiteral("driverFolder")).fix, PcCheck::Fix::RegisterShortPath);
        checker.applyFix(QStringLiteral("driverFolder"));
        QTRY_COMPARE_WITH_TIMEOUT(fixes.count(), 1, kChildProcessWaitMs);
        QVERIFY2(fixes.first().at(1).toBool(), qPrintable(fixes.first().at(2).toString()));
        QTRY_COMPARE_WITH_TIMEOUT(results.count(), 2, kChildProcessWaitMs);
        QCOMPARE(checker.outcome(QStringLiteral("driverFolder")).state, PcCheck::Passed);

        QJsonObject after = QJsonDocument::fromJson(readFile(vrpath)).object();
        QCOMPARE(after.value(QStringLiteral("external_drivers")).toArray(),
                 (QJsonArray{QStringLiteral("D:\\drivers\\one"), shortFolder, QStringLiteral("E:\\drivers\\two")}));
        before.remove(QStringLiteral("external_drivers"));
        after.remove(QStringLiteral("external_drivers"));
        QCOMPARE(after, before);

        // And back out again: only the streamer's entry goes.
        QVERIFY(DriverRegistration(vrpath).removeFolder(shortFolder));
        QCOMPARE(DriverRegistration(vrpath).drivers(),
                 (QStringList{QStringLiteral("D:\\drivers\\one"), QStringLiteral("E:\\drivers\\two")}));
        // SteamVR writes an empty list as null; a damaged file is left alone.
        writeFile(vrpath, "{\"external_drivers\": null, \"version\": 1}");
        QVERIFY(DriverRegistration(vrpath).replaceFolder(longFolder, shortFolder));
        QCOMPARE(DriverRegistration(vrpath).drivers(), QStringList{shortFolder});
        writeFile(vrpath, "{\"external_drivers\": [");
        QString error;
        QVERIFY(!DriverRegistration(vrpath).replaceFolder(longFolder, shortFolder, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(readFile(vrpath), QByteArray("{\"external_drivers\": ["));
    }

    void theSupportReportHoldsWhatSupportNeedsAndNoSecret()
    {
        const QString user = m_root.path() + QStringLiteral("/reportuser");
        const QString desktop = m_root.path() + QStringLiteral("/Desktop");
        const QString work = m_root.path() + QStringLiteral("/work");
        writeFile(user + QStringLiteral("/2024-05-01.txt"), "yesterday's line\n");
        writeFile(user + QStringLiteral("/2024-05-02.txt"), "today's line\n");
        writeFile(user + QStringLiteral("/2024-04-01.txt"), "an old log\n");
        writeFile(user + QStringLiteral("/set.json"), "{\"lastId\": \"KZ123\", \"cloudToken\": \"tok-SECRET-123\", \"KZ\": {\"fps\": \"90\"}}");
        writeFile(user + QStringLiteral("/setting.inf"), "KZ123;KY456");
        writeFile(user + QStringLiteral("/feedback.json"), "{\"content\": \"no sound\", \"contact\": \"li@example.com\"}");
        writeFile(work + QStringLiteral("/session.json"), "{\"sessionSettings\": {\"headset\": {\"serialNumber\": \"KZ123\"}}}");
        const QString vrpath = m_root.path() + QStringLiteral("/report-openvrpaths.vrpath");
        writeFile(vrpath, "{\"external_drivers\": [], \"version\": 1}");

        PcChecker::Environment e = passingEnvironment(kStandIns);
        e.context = [vrpath] {
            PcChecker::Context c;
            c.vrpathFile = vrpath;
            return c;
        };
        e.logFiles = [user] { return QStringList{user + QStringLiteral("/2024-05-01.txt"), user + QStringLiteral("/2024-05-02.txt")}; };
        e.settingsFile = [user] { return user + QStringLiteral("/set.json"); };
        e.recentFile = [user] { return user + QStringLiteral("/setting.inf"); };
        e.inventory = [] {
            return QJsonObject{{QStringLiteral("cpu"), QStringLiteral("Intel Core i7-9700")},
                               {QStringLiteral("deciveSN"), QStringLiteral("KZ123")}};
        };
        e.reportFolder = [desktop] { return desktop; };
        PcChecker checker(e);
        QSignalSpy finished(&checker, &PcChecker::checksFinished);
        QSignalSpy saved(&checker, &PcChecker::reportSaved);
        checker.checkAll();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, kChildProcessWaitMs);

        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(work));
        checker.saveSupportReport();
        QVERIFY(QDir::setCurrent(previous));
        QTRY_COMPARE_WITH_TIMEOUT(saved.count(), 1, kChildProcessWaitMs);
        const QString zip = saved.first().at(0).toString();
        QCOMPARE(QFileInfo(zip).absolutePath(), QFileInfo(desktop).absoluteFilePath());
        QVERIFY(QFileInfo(zip).fileName().startsWith(QLatin1String("OSTREL_Streaming_Assistant_report_")));
        QCOMPARE(QDir(desktop).entryList(QDir::Files | QDir::Hidden), QStringList{QFileInfo(zip).fileName()});

#ifdef Q_OS_WIN
        QSKIP("the archive is read with the build machine's unzip, which a Windows program cannot start");
#endif
        QProcess unzip;
        unzip.start(QStringLiteral("unzip"), {QStringLiteral("-t"), zip});
        QVERIFY(unzip.waitForFinished(30000));
        QVERIFY2(unzip.exitCode() == 0, unzip.readAll().constData());
        unzip.start(QStringLiteral("unzip"), {QStringLiteral("-Z1"), zip});
        QVERIFY(unzip.waitForFinished(30000));
        QStringList names = QString::fromUtf8(unzip.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        names.sort();
        QCOMPARE(names, (QStringList{"checks.json", "inventory.json", "logs/2024-05-01.txt", "logs/2024-05-02.txt",
                                     "openvrpaths.vrpath", "session.json", "set.json", "setting.inf"}));
        unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), zip});
        QVERIFY(unzip.waitForFinished(30000));
        const QByteArray everything = unzip.readAllStandardOutput();
        QVERIFY(everything.contains("today's line"));
        QVERIFY(everything.contains("\"lastId\""));
        QVERIFY(!everything.contains("tok-SECRET-123"));
        QVERIFY(!everything.contains("li@example.com"));
        unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), zip, QStringLiteral("checks.json")});
        QVERIFY(unzip.waitForFinished(30000));
        const QJsonArray checks = QJsonDocument::fromJson(unzip.readAllStandardOutput()).array();
        QCOMPARE(checks.size(), PcCheck::ids().size());
        QCOMPARE(checks.first().toObject().value(QStringLiteral("state")).toString(), QStringLiteral("passed"));

        // A report that cannot be written says so.
        const QString blocked = m_root.path() + QStringLiteral("/blocked");
        writeFile(blocked, "a file where the folder should be");
        PcChecker::Environment broken = e;
        broken.reportFolder = [blocked] { return blocked + QStringLiteral("/Desktop"); };
        PcChecker second(broken);
        QSignalSpy secondFailed(&second, &PcChecker::reportFailed);
        second.saveSupportReport();
        QTRY_COMPARE_WITH_TIMEOUT(secondFailed.count(), 1, kChildProcessWaitMs);
        QVERIFY(!secondFailed.first().at(0).toString().isEmpty());
    }

    void theSystemsOwnFactsAnswerEveryCheck()
    {
        PcChecker checker(PcChecker::systemEnvironment(programServices()));
        QSignalSpy finished(&checker, &PcChecker::checksFinished);
        checker.checkAll();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, PcChecker::kCheckLimitMs + 5000);
        QVERIFY(!checker.checking());
        for (const QString &id : PcCheck::ids()) {
            QVERIFY(checker.hasResult(id));
            QVERIFY2(!checker.outcome(id).sentence.isEmpty(), qPrintable(id));
            QVERIFY2(checker.outcome(id).sentence != PcChecker::tr("检查超时，请再检查一次。"), qPrintable(id));
        }
#ifndef Q_OS_WIN
        // No Steam below this test's home folder (Windows finds Steam through
        // the registry, which the other tests in the same prefix fill).
        QCOMPARE(checker.outcome(QStringLiteral("steam")).fix, PcCheck::Fix::InstallSteam);
#endif
    }
};

QTEST_MAIN(TestPcChecker)
#include "tst_pcchecker.moc"
