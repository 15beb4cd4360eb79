#include "systeminfo.h"

#include "fakesteam.h"

#include <QJsonDocument>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QStandardPaths>
#include <QTest>

Q_DECLARE_METATYPE(SystemInfo::Adapter)
Q_DECLARE_METATYPE(QList<SystemInfo::Adapter>)

class TestSystemInfo : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void adapterClassification_data();
    void adapterClassification();
    void videoMemoryTexts();
    void ramTexts();
    void directXTexts();
    void nvidiaOutdatedRule();
    void collectedInventory();
    void deviceSerial();
    void audioCheck();
    void virtualCable();
    void networkCategoryParsing();
    void networkCategoryQueryRuns();
    void runCommandReturnsEverything_data();
    void runCommandReturnsEverything();
    void runCommandWaitsForEveryWriter();
    void processNameMatching();
    void processOperations();
    void killMatchesNothing();
    void portUsersOfRealSockets();
};

using Adapter = SystemInfo::Adapter;

void TestSystemInfo::initTestCase()
{
    // instance() hands its cable check to the settings store: keep its folder private.
    static QTemporaryDir userDir;
    qputenv("OSTREL_USER_DIR", userDir.path().toUtf8());
}

void TestSystemInfo::adapterClassification_data()
{
    QTest::addColumn<QList<Adapter>>("adapters");
    QTest::addColumn<QString>("integrated");
    QTest::addColumn<QString>("discrete");
    QTest::addColumn<QString>("vram");
    QTest::addColumn<QStringList>("graphics");

    const Adapter intel{"Intel(R) UHD Graphics 630", 0x8086, 0x3E92, 128ull << 20};
    const Adapter nvidia{"NVIDIA GeForce RTX 3060", 0x10DE, 0x2503, 12884901888ull};
    const Adapter amd{"AMD Radeon RX 6600 XT", 0x1002, 0x73FF, 8573157376ull};
    const Adapter basic{"Microsoft Basic Render Driver", 0x1414, 0x008C, 0};
    const Adapter amdApu{"AMD Radeon(TM) Graphics", 0x1002, 0x1638, 512ull << 20};

    QTest::newRow("intel+nvidia") << QList<Adapter>{intel, nvidia} << intel.name << nvidia.name << "13GB"
                                  << QStringList{nvidia.name, intel.name};
    QTest::newRow("nvidia first") << QList<Adapter>{nvidia, intel} << intel.name << nvidia.name << "13GB"
                                  << QStringList{nvidia.name, intel.name};
    QTest::newRow("intel+amd") << QList<Adapter>{intel, amd} << intel.name << amd.name << "8GB"
                               << QStringList{amd.name, intel.name};
    QTest::newRow("amd only") << QList<Adapter>{amd} << amd.name << QString() << QString()
                              << QStringList{amd.name};
    // The AMD card listed before the Intel one is taken for integrated, then overwritten.
    QTest::newRow("amd then intel") << QList<Adapter>{amd, intel} << intel.name << QString() << QString()
                                    << QStringList{intel.name};
    QTest::newRow("apu+amd card") << QList<Adapter>{amdApu, amd} << amdApu.name << amd.name << "8GB"
                                  << QStringList{amd.name, amdApu.name};
    QTest::newRow("same amd twice") << QList<Adapter>{amd, amd} << amd.name << QString() << QString()
                                    << QStringList{amd.name};
    QTest::newRow("basic render skipped") << QList<Adapter>{basic} << QString() << QString() << QString()
                                          << QStringList{};
    QTest::newRow("basic render beside intel") << QList<Adapter>{intel, basic} << intel.name << QString()
                                               << QString() << QStringList{intel.name};
    QTest::newRow("other microsoft device counts") << QList<Adapter>{Adapter{"Microsoft Remote Display", 0x1414, 0x1234, 0}}
                                                   << "Microsoft Remote Display" << QString() << QString()
                                                   << QStringList{"Microsoft Remote Display"};
    QTest::newRow("later nvidia overwrites") << QList<Adapter>{nvidia, Adapter{"NVIDIA GeForce GTX 970", 0x10DE, 0x13C2, 4294967296ull}}
                                             << QString() << "NVIDIA GeForce GTX 970" << "5GB"
                                             << QStringList{"NVIDIA GeForce GTX 970"};
}

void TestSystemInfo::adapterClassification()
{
    QFETCH(QList<Adapter>, adapters);
    QFETCH(QString, integrated);
    QFETCH(QString, discrete);
    QFETCH(QString, vram);
    QFETCH(QStringList, graphics);
    const auto c = SystemInfo::classifyAdapters(adapters);
    QCOMPARE(c.integratedGraphics, integrated);
    QCOMPARE(c.discreteGraphics, discrete);
    QCOMPARE(c.vram, vram);
    QStringList list;
    if (!c.discreteGraphics.isEmpty())
        list << c.discreteGraphics;
    if (!c.integratedGraphics.isEmpty())
        list << c.integratedGraphics;
    QCOMPARE(list, graphics);
}

void TestSystemInfo::videoMemoryTexts()
{
    QCOMPARE(SystemInfo::videoMemoryText(8589934592ull), QString("9GB"));
    QCOMPARE(SystemInfo::videoMemoryText(8432648192ull), QString("8GB"));
    QCOMPARE(SystemInfo::videoMemoryText(536870912ull), QString("513M"));
    QCOMPARE(SystemInfo::videoMemoryText((1023ull << 20) - 1), QString("1023M"));
    QCOMPARE(SystemInfo::videoMemoryText(1023ull << 20), QString("1GB"));
    QCOMPARE(SystemInfo::videoMemoryText(1), QString("1M"));
    QCOMPARE(SystemInfo::videoMemoryText(0), QString());
}

void TestSystemInfo::ramTexts()
{
    QCOMPARE(SystemInfo::ramText(17072009216ull), QString("16 GB RAM")); // 15.9 GiB usable
    QCOMPARE(SystemInfo::ramText(8ull << 30), QString("9 GB RAM"));
    QCOMPARE(SystemInfo::ramText(0), QString());
}

void TestSystemInfo::directXTexts()
{
    const QList<QPair<quint32, QString>> table = {
        {0x1000, "DirectX 1.0 Core"}, {0x9100, "DirectX 9.1"},   {0x9200, "DirectX 9.2"},
        {0x9300, "DirectX 9.3"},      {0xA000, "DirectX 10.0"},  {0xA100, "DirectX 10.1"},
        {0xB000, "DirectX 11.0"},     {0xB100, "DirectX 11.1"},  {0xC000, "DirectX 12.0"},
        {0xC100, "DirectX 12.1"},     {0xC200, "Unknown DirectX version"}, {0, "Unknown DirectX version"}};
    for (const auto& row : table)
        QCOMPARE(SystemInfo::directXText(true, false, row.first), row.second);
    QCOMPARE(SystemInfo::directXText(false, false, 0xB000), QString("Unknown DirectX version"));
    QCOMPARE(SystemInfo::directXText(false, true, 0), QString("Current operation system DirectX is not supported!"));
    QCOMPARE(SystemInfo::directXText(true, true, 0xA100), QString("Current operation system DirectX is not supported!"));
}

void TestSystemInfo::nvidiaOutdatedRule()
{
    QVERIFY(!SystemInfo::isNvidiaDriverOutdated({}));
    QVERIFY(!SystemInfo::isNvidiaDriverOutdated({"31.0.15.5176"}));
    QVERIFY(SystemInfo::isNvidiaDriverOutdated({"31.0.15.3623"}));
    QVERIFY(!SystemInfo::isNvidiaDriverOutdated({"31.0.15.3623", "32.0.15.6094"}));
    QVERIFY(!SystemInfo::isNvidiaDriverOutdated({"32.0.15.6094", "31.0.15.3623"}));
    // Too short to judge: ignored, so a list of only such entries is outdated.
    QVERIFY(SystemInfo::isNvidiaDriverOutdated({"5.5176"}));
    QVERIFY(SystemInfo::isNvidiaDriverOutdated({"551.76"}));
    QVERIFY(!SystemInfo::isNvidiaDriverOutdated({"551.76", "31.0.15.5177"}));
    // The comparison is textual on the last six characters without dots.
    QVERIFY(SystemInfo::isNvidiaDriverOutdated({"27.21.14.6089"})); // "4.6089" gives "46089"
}

void TestSystemInfo::collectedInventory()
{
    SystemInfo* info = SystemInfo::instance();
    QCOMPARE(SystemInfo::instance(), info);
    QCOMPARE(info->version(), QString("1.1.16.420"));
    const QJsonObject report = info->reportJson();
    qInfo().noquote() << "inventory of this machine:" << QJsonDocument(report).toJson(QJsonDocument::Compact)
                      << "directX:" << info->directX() << "graphics:" << info->graphics().join(" | ")
                      << "nvidia drivers:" << info->nvidiaDriverVersions().join(",");
    const QStringList keys = {"streamingAssistantVersion", "GUID", "os", "cpu", "ram", "integratedGraphics",
                              "discreteGraphics", "vram", "deciveSN"};
    QCOMPARE(report.keys().size(), keys.size());
    for (const QString& k : keys) {
        QVERIFY2(report.contains(k), qPrintable(k));
        QVERIFY(report.value(k).isString());
    }
    QCOMPARE(report.value("os").toString(), info->os());
    QVERIFY(!info->os().isEmpty());
    QVERIFY(info->ram().endsWith(" GB RAM"));
    QVERIFY(!info->cpu().isEmpty());
    QVERIFY(!info->machineGuid().isEmpty());
    QCOMPARE(info->minimumMemory(), QString("8 GB RAM"));
    QCOMPARE(info->recommendedMemory(), QString("16 GB RAM"));
    QCOMPARE(info->minimumSystem(), QString("Windows 10"));
    QCOMPARE(info->recommendedSystem(), QString("Windows 10/11"));
    QCOMPARE(info->minimumDirectX(), QString("DirectX 11"));
    QVERIFY(info->minimumProcessor().contains("i5-6600"));
    QVERIFY(info->recommendedGraphics().contains("RTX 3060"));
}

void TestSystemInfo::deviceSerial()
{
    SystemInfo info;
    info.setDeviceSN("2G0YC1ZF8B0BQZ");
    QCOMPARE(info.reportJson().value("deciveSN").toString(), QString("2G0YC1ZF8B0BQZ"));
    info.setDeviceSN(QString());
    QCOMPARE(info.deviceSN(), QString("2G0YC1ZF8B0BQZ"));
    info.setDeviceSN("PA7L10MGH7160003");
    QCOMPARE(info.deviceSN(), QString("PA7L10MGH7160003"));
}

void TestSystemInfo::audioCheck()
{
    SystemInfo info;
    int calls = 0;
    int channels = 6;
    bool present = false;
    info.setAudioProbe([&](QString& name, int& ch) {
        ++calls;
        name = "Speakers";
        ch = channels;
        return present;
    });
    QVERIFY(!info.audioIsStereo()); // no device
    present = true;
    QVERIFY(!info.audioIsStereo()); // first device has 6 channels
    channels = 2;
    QVERIFY(info.audioIsStereo());
    const int before = calls;
    channels = 8;
    present = false;
    QVERIFY(info.audioIsStereo()); // cached for the life of the object
    QCOMPARE(calls, before);
}

void TestSystemInfo::virtualCable()
{
    const QString cable = "CABLE Output (VB-Audio Virtual Cable)";
    QVERIFY(SystemInfo::vbCableInNames({"Microphone (Realtek)", cable, cable}));
    QVERIFY(!SystemInfo::vbCableInNames({"Microphone (Realtek)", "CABLE Output"}));
    QVERIFY(!SystemInfo::vbCableInNames({QString(QChar(0xFFFD)) + cable.mid(1), QString()}));
    QVERIFY(!SystemInfo::vbCableInNames({}));
    // This machine has no such device; the real query must answer without crashing.
    QVERIFY(!SystemInfo::vbCableInstalled());
}

void TestSystemInfo::networkCategoryParsing()
{
    SystemInfo info;
    info.applyNetworkCategoryOutput("NetworkCategory  : Private\r\nNetworkCategory  : Public\r\n");
    QCOMPARE(info.networkCategory(), QString("Public"));
    info.applyNetworkCategoryOutput("NetworkCategory  : Private\r\n");
    QCOMPARE(info.networkCategory(), QString("Private"));
    info.applyNetworkCategoryOutput("NetworkCategory  : DomainAuthenticated\r\n");
    QCOMPARE(info.networkCategory(), QString());
    info.applyNetworkCategoryOutput("networkcategory : public");
    QCOMPARE(info.networkCategory(), QString());
}

void TestSystemInfo::networkCategoryQueryRuns()
{
    // Without NetworkManager the query knows no category and says so: empty, not "Private".
#ifdef Q_OS_WIN
    QSKIP("Windows answers with PowerShell's Get-NetConnectionProfile, which Wine does not have");
#endif
    SystemInfo info;
    QCOMPARE(info.networkCategory(), QString("Private"));
    QProcess* process = info.findChild<QProcess*>();
    QVERIFY(process);
    QTRY_VERIFY_WITH_TIMEOUT(process->state() == QProcess::NotRunning, 10000);
    QCoreApplication::processEvents();
    const bool haveNm = !QStandardPaths::findExecutable("nmcli").isEmpty();
    if (!haveNm)
        QCOMPARE(info.networkCategory(), QString());
    else
        QVERIFY(QStringList({"Public", "Private", ""}).contains(info.networkCategory()));
}

void TestSystemInfo::runCommandReturnsEverything_data()
{
    QTest::addColumn<int>("size");
    for (int n : {0, 1, 1023, 1024, 1025, 2048, 100000})
        QTest::newRow(qPrintable(QString::number(n))) << n;
}

void TestSystemInfo::runCommandReturnsEverything()
{
#ifdef Q_OS_WIN
    QSKIP("the command lines are sh syntax; platform_tests checks the Windows command runner (Command.*)");
#endif
    QFETCH(int, size);
    QByteArray expected;
    while (expected.size() < size)
        expected += "abcdefghij\n";
    expected.truncate(size);
    const QString out = SystemInfo::runCommand(QString("yes abcdefghij | head -c %1").arg(size));
    QCOMPARE(out.size(), size);
    QCOMPARE(out.toUtf8(), expected);
}

void TestSystemInfo::runCommandWaitsForEveryWriter()
{
#ifdef Q_OS_WIN
    QSKIP("the command lines are sh syntax; platform_tests checks the Windows command runner (Command.*)");
#endif
    // Standard error goes into the same pipe, and output of a child that outlives the
    // shell is still collected.
    const QString out = SystemInfo::runCommand("echo first; echo second >&2; (sleep 0.3; echo late) &");
    QCOMPARE(out, QString("first\nsecond\nlate\n"));
    QCOMPARE(SystemInfo::runCommand("printf '\\344\\270\\262\\346\\265\\201'"), QString("串流"));
    QCOMPARE(SystemInfo::runCommand("exit 3"), QString());
}

void TestSystemInfo::processNameMatching()
{
    QVERIFY(SystemInfo::processNameMatches("adb.exe", "adb.exe"));
    QVERIFY(SystemInfo::processNameMatches("adb", "adb.exe"));
    QVERIFY(SystemInfo::processNameMatches("adb", "adb"));
    QVERIFY(!SystemInfo::processNameMatches("adb.exe", "adb"));
    QVERIFY(!SystemInfo::processNameMatches("ADB", "adb.exe"));
    QVERIFY(!SystemInfo::processNameMatches("ad", "adb.exe"));
    QVERIFY(!SystemInfo::processNameMatches("adbx", "adb.exe"));
}

void TestSystemInfo::processOperations()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString name = QString("vrmon%1").arg(QCoreApplication::applicationPid());
    const QString path = installFake(dir.path(), name);
    QVERIFY(!path.isEmpty());
    QVERIFY(!SystemInfo::isProcessRunning(name + ".exe"));
    QCOMPARE(SystemInfo::runningProcessPath(name + ".exe"), QString());

    FakeProcesses processes;
    QProcess* a = processes.start(path);
    QProcess* b = processes.start(path);
    QVERIFY(a && b);
    QVERIFY(SystemInfo::isProcessRunning(name + ".exe"));
    QVERIFY(SystemInfo::isProcessRunning(name));
    QVERIFY(!SystemInfo::isProcessRunning(name.toUpper() + ".exe"));
    QVERIFY(!SystemInfo::isProcessRunning(name.left(name.size() - 1) + ".exe"));
    QCOMPARE(QDir::fromNativeSeparators(SystemInfo::runningProcessPath(name + ".exe")), QFileInfo(path).canonicalFilePath());

    QCOMPARE(SystemInfo::killProcessesByName({"nothing-like-this.exe", name + ".exe"}), 2);
    QVERIFY(a->waitForFinished(5000));
    QVERIFY(b->waitForFinished(5000));
#ifndef Q_OS_WIN
    QCOMPARE(a->exitStatus(), QProcess::CrashExit); // (taskkill's exit code is not settled)
#endif
    QTRY_VERIFY_WITH_TIMEOUT(!SystemInfo::isProcessRunning(name + ".exe"), 5000);
}

void TestSystemInfo::killMatchesNothing()
{
    QCOMPARE(SystemInfo::killProcessesByName({"no-such-program.exe"}), 0);
    QCOMPARE(SystemInfo::killProcessesByName({}), 0);
    // The test program itself is never ended.
    const QString self = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    QCOMPARE(SystemInfo::killProcessesByName({self}), 0);
}

void TestSystemInfo::portUsersOfRealSockets()
{
    QTemporaryDir dir;
    const QString server = installFake(dir.path(), "adb");
    const QString client = installFake(dir.path(), "steam");
    FakeProcesses processes;
    QProcess* listener = processes.start(server, {"--listen"});
    QVERIFY(listener);
    QVERIFY(listener->waitForReadyRead(5000));
    const int port = listener->readLine().trimmed().toInt();
    QVERIFY(port > 0);
    if (!tcpTableNamesOwners())
        QSKIP("this system's TCP table names no owning processes (Wine's GetTcpTable2 is partial)");

    SystemInfo info;
    QCOMPARE(info.portUsers({port}), QStringList{"adb"});
    QCOMPARE(info.portUsers({}), QStringList{});

    QProcess* connector = processes.start(client, {"--connect", QString::number(port)});
    QVERIFY(connector && connector->waitForReadyRead(5000));
    const int clientPort = connector->readLine().trimmed().toInt();
    QVERIFY(clientPort > 0);
    // The listener's port is held by its listening socket and by the accepted side
    // (still in the backlog, owned by nobody yet); the client's own port by the client.
    QVERIFY(info.portUsers({port}).contains("adb"));
    QCOMPARE(info.portUsers({clientPort}), QStringList{"steam"});
    const QStringList both = info.portUsers({clientPort, port, 1});
    QVERIFY(both.contains("adb") && both.contains("steam"));
}

QTEST_GUILESS_MAIN(TestSystemInfo)
#include "tst_systeminfo.moc"
