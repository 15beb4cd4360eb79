// AdbManger against a scripted adb (tools/fake-adb) on PATH, in the program's
// ADB folder, or as an already running adb; once against Debian's real adb
// with no device attached. Every adb run is a real child process.
#include "childwait.h"
#include "adbanswers.h"
#include "adbmanger.h"
#include "logcapture.h"

#include <QTcpServer>
#include <QtTest>

#include <thread>

#include <memory>

namespace {
const QString kHeader = QStringLiteral("List of devices attached\r\n");
// Programs end in ".exe" on Windows.
const QString kExe = QStringLiteral(OSTREL_EXE_SUFFIX);

QString fakeAdbBinary()
{
    return QStringLiteral(OSTREL_TOOLS_BIN_DIR "/fake-adb/fake-adb" OSTREL_EXE_SUFFIX);
}

bool copyExecutable(const QString &from, const QString &to)
{
    QDir().mkpath(QFileInfo(to).absolutePath());
    QFile::remove(to);
    return QFile::copy(from, to)
        && QFile::setPermissions(to, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}
} // namespace

class TstAdbManger : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void headsetFilter_data();
    void headsetFilter();
    void chunkJudgement_data();
    void chunkJudgement();
    void mappingLists_data();
    void mappingLists();
    void emptyListReportsDisconnectOnce();
    void oneDeviceReportedOnce();
    void bareLineFeedsAreNormalised();
    void deviceChoice_data();
    void deviceChoice();
    void offlineOrConnectingEndsAdb_data();
    void offlineOrConnectingEndsAdb();
    void crLfAnswerMapsPorts();
    void mappingListStartsNothing();
    void onePieceAnswersOfTheRealAdbMapOnce();
    void bothListsInOneChunk_data();
    void bothListsInOneChunk();
    void serverKilledDuringMappingIsMappedAgain();
    void queryThatNeverAnswersIsFreed();
    void folderAdbAfterSilentProbe();
    void runningAdbIsUsedAndLeftRunning();
    void commandLinesPerMode();
    void watcherStartsAndStopsWithTheObject();
    void realAdbWithoutDevice();

private:
    void answer(const QString &key, const QByteArray &text, int delayMs = 0);
    QStringList calls() const;
    std::unique_ptr<AdbManger> makeManager(const QString &path, bool watch = false);
    // A PATH adb that answers the probe, then Idle.
    std::unique_ptr<AdbManger> readyManager();
    // Polls once and waits for the query's answer to be judged and its state
    // to return to Idle.
    void pollAndSettle(AdbManger &manager);
    QString startServerProcess(QProcess &process);
    // Mappings the scripted adb keeps, as a real adb server does.
    void liveMappings(const QByteArray &serial);
    void writeScript(const QString &name, const QByteArray &text);
    QByteArray scriptFile(const QString &name) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_script;
    QString m_bin;
    QString m_noAdbBin;
    QString m_processName;
    QString m_oldCurrent;
    QString m_realAdbPort;
};

void TstAdbManger::initTestCase()
{
    QVERIFY2(QFileInfo(fakeAdbBinary()).isExecutable(), qPrintable(fakeAdbBinary()));
}

void TstAdbManger::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    m_script = m_dir->filePath(QStringLiteral("script"));
    m_bin = m_dir->filePath(QStringLiteral("bin"));
    m_noAdbBin = m_dir->filePath(QStringLiteral("noadb"));
    QVERIFY(QDir().mkpath(m_script));
    QVERIFY(copyExecutable(fakeAdbBinary(), m_bin + QStringLiteral("/adb") + kExe));
    QVERIFY(QDir().mkpath(m_noAdbBin));
    // The shell that runs adb's command lines, without adb (Windows finds cmd by itself).
    if (kExe.isEmpty())
        QVERIFY(QFile::link(QStringLiteral("/bin/sh"), m_noAdbBin + QStringLiteral("/sh")));
    // No process has this name, so no test takes another run's adb server
    // for its own or ends it.
    m_processName = QStringLiteral("ostreladb%1").arg(QCoreApplication::applicationPid());
    m_oldCurrent = QDir::currentPath();
    answer(QStringLiteral("--version"), "Android Debug Bridge version 1.0.41\r\nVersion 29.0.6\r\n");
}

void TstAdbManger::cleanup()
{
    QDir::setCurrent(m_oldCurrent);
    if (!m_realAdbPort.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ANDROID_ADB_SERVER_PORT"), m_realAdbPort);
        QProcess kill;
        kill.setProcessEnvironment(env);
        kill.start(QStringLiteral("adb"), { QStringLiteral("kill-server") });
        kill.waitForFinished(5000);
        m_realAdbPort.clear();
    }
    m_dir.reset();
}

void TstAdbManger::answer(const QString &key, const QByteArray &text, int delayMs)
{
    QFile out(m_script + QLatin1Char('/') + key + QStringLiteral(".out"));
    QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(text);
    out.close();
    QFile delay(m_script + QLatin1Char('/') + key + QStringLiteral(".delay"));
    if (delayMs > 0) {
        QVERIFY(delay.open(QIODevice::WriteOnly | QIODevice::Truncate));
        delay.write(QByteArray::number(delayMs));
    } else {
        delay.remove();
    }
}

QStringList TstAdbManger::calls() const
{
    QFile log(m_script + QStringLiteral("/calls.log"));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

std::unique_ptr<AdbManger> TstAdbManger::makeManager(const QString &path, bool watch)
{
    AdbManger::Options options;
    options.environment.insert(QStringLiteral("PATH"), path);
    options.environment.insert(QStringLiteral("FAKE_ADB_DIR"), m_script);
    options.adbProcessName = m_processName + kExe;
    options.watchDevices = watch;
    return std::make_unique<AdbManger>(options);
}

std::unique_ptr<AdbManger> TstAdbManger::readyManager()
{
    auto manager = makeManager(m_bin + (kExe.isEmpty() ? QStringLiteral(":/usr/bin:/bin") : QString()));
    [&] {
        QCOMPARE(manager->mode(), int(AdbManger::PathAdb));
        QCOMPARE(manager->state(), int(AdbManger::ProbingPathAdb));
        QTRY_COMPARE_WITH_TIMEOUT(manager->state(), int(AdbManger::Idle), kChildProcessWaitMs);
        QCOMPARE(manager->mode(), int(AdbManger::PathAdb));
        QTest::qWait(700);   // the probe chunk's own return to Idle
    }();
    return manager;
}

void TstAdbManger::pollAndSettle(AdbManger &manager)
{
    const int before = calls().size();
    manager.pollDevices();
    QCOMPARE(manager.state(), int(AdbManger::QueryingDevices));
    QTRY_VERIFY_WITH_TIMEOUT(calls().size() >= before + 2, kChildProcessWaitMs);   // devices, then forward --list
    QTRY_COMPARE_WITH_TIMEOUT(manager.state(), int(AdbManger::Idle), kChildProcessWaitMs);
    QTest::qWait(100);
}

QString TstAdbManger::startServerProcess(QProcess &process)
{
    const QString path = m_dir->filePath(QStringLiteral("server/") + m_processName + kExe);
    if (!copyExecutable(fakeAdbBinary(), path))
        return QString();
    QFile stay(m_script + QStringLiteral("/server.stay"));
    stay.open(QIODevice::WriteOnly);
    stay.write("30000");
    stay.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("FAKE_ADB_DIR"), m_script);
    process.setProcessEnvironment(env);
    process.start(path, { QStringLiteral("server") });
    if (!process.waitForStarted(3000))
        return QString();
    return path;
}

void TstAdbManger::headsetFilter_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("headset");
    QTest::newRow("usb device") << "\\\\?\\USB#VID_05C6&PID_903A#0123456789#{a5dcbf10-6530-11d2-901f-00c04fb951ed}" << true;
    QTest::newRow("lower case") << "\\\\?\\usb#vid_05c6&pid_903a#abc#{a5dcbf10-6530-11d2-901f-00c04fb951ed}" << true;
    QTest::newRow("no serial segment") << "\\\\?\\USB#VID_05C6&PID_903A#{a5dcbf10-6530-11d2-901f-00c04fb951ed}" << false;
    QTest::newRow("single function") << "\\\\?\\USB#VID_05C6&PID_903A&MI_01#6&1a2b#{a5dcbf10-6530-11d2-901f-00c04fb951ed}" << false;
    QTest::newRow("hid of the headset") << "\\\\?\\HID#VID_05C6&PID_903A&MI_02#7&abc&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}" << false;
    QTest::newRow("disk of the headset") << "\\\\?\\USBSTOR#Disk&Ven_Qualcomm&Prod_903A#0123&0#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}" << false;
    QTest::newRow("other device") << "\\\\?\\USB#VID_18D1&PID_4EE7#0123456789#{a5dcbf10-6530-11d2-901f-00c04fb951ed}" << false;
    QTest::newRow("no hash at all") << "\\\\?\\USB" << false;
    QTest::newRow("empty") << "" << false;
}

void TstAdbManger::headsetFilter()
{
    QFETCH(QString, path);
    QFETCH(bool, headset);
    QCOMPARE(AdbManger::isHeadsetInterfacePath(path), headset);
}

void TstAdbManger::chunkJudgement_data()
{
    using V = AdbAnswers::ChunkVerdict;
    QTest::addColumn<QString>("chunk");
    QTest::addColumn<QString>("lastSerial");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("serial");
    QTest::newRow("empty list") << kHeader + "\r\n" << "wired" << int(V::NoDevice) << "";
    QTest::newRow("one device") << kHeader + "KZ1\tdevice\r\n\r\n" << "" << int(V::Device) << "KZ1";
    QTest::newRow("device and mapping list") << kHeader + "KZ1\tdevice\r\n\r\nKZ1 tcp:9943 tcp:9943\r\n" << ""
                                             << int(V::Device) << "KZ1";
    QTest::newRow("the reported one stays") << kHeader + "AAA\tdevice\r\nBBB\tdevice\r\n\r\n" << "BBB" << int(V::Device)
                                            << "BBB";
    QTest::newRow("header without its end") << kHeader + "KZ1\tdevice\r\n" << "" << int(V::Ignore) << "";
    QTest::newRow("details of devices -l") << kHeader + "KZ1\tdevice usb:1-1 product:kz\r\n\r\n" << "" << int(V::Device)
                                           << "KZ1";
    QTest::newRow("offline") << kHeader + "KZ1\toffline\r\n\r\n" << "" << int(V::DeviceTrouble) << "";
    QTest::newRow("empty line alone") << "\r\n" << "" << int(V::MapPorts) << "";
    QTest::newRow("mapping list alone") << "KZ1 tcp:9943 tcp:9943\r\n" << "" << int(V::Ignore) << "";
    // Found by fuzzing: a carriage return inside a line made part of a serial.
    QTest::newRow("control character before the tab") << kHeader + "KZ1\tdevice\r\n\r2345\tdevice\r\n\r\n" << ""
                                                      << int(V::Device) << "KZ1";
    QTest::newRow("blank in the serial") << kHeader + "K Z\tdevice\r\n\r\n" << "" << int(V::NoDevice) << "";
}

void TstAdbManger::chunkJudgement()
{
    QFETCH(QString, chunk);
    QFETCH(QString, lastSerial);
    QFETCH(int, kind);
    QFETCH(QString, serial);
    const AdbAnswers::ChunkVerdict verdict = AdbAnswers::judgeQueryChunk(chunk, lastSerial);
    QCOMPARE(int(verdict.kind), kind);
    QCOMPARE(verdict.serial, serial);
}

void TstAdbManger::mappingLists_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<bool>("forwards");
    QTest::addColumn<bool>("all");
    QTest::newRow("nothing") << "" << false << false;
    QTest::newRow("forwards only") << "KZ1 tcp:9943 tcp:9943\r\nKZ1 tcp:9944 tcp:9944\r\n" << true << false;
    QTest::newRow("all four") << "KZ1 tcp:9943 tcp:9943\r\nKZ1 tcp:9944 tcp:9944\r\nUsbFfs tcp:50000 tcp:50000\r\n"
                                 "UsbFfs tcp:50001 tcp:50001\r\n"
                              << true << true;
    QTest::newRow("another port") << "KZ1 tcp:9943 tcp:9945\r\nKZ1 tcp:9944 tcp:9944\r\n" << false << false;
}

void TstAdbManger::mappingLists()
{
    QFETCH(QString, list);
    QFETCH(bool, forwards);
    QFETCH(bool, all);
    const AdbAnswers::Mappings mappings = AdbAnswers::mappingsIn(list);
    QCOMPARE(mappings.forwardsComplete(), forwards);
    QCOMPARE(mappings.complete(), all);
}

void TstAdbManger::emptyListReportsDisconnectOnce()
{
    answer(QStringLiteral("devices"), (kHeader + QStringLiteral("\r\n")).toLatin1());
    auto manager = readyManager();
    QSignalSpy spy(manager.get(), &AdbManger::deviceConnect);
    pollAndSettle(*manager);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), false);
    QCOMPARE(spy.at(0).at(1).toString(), QString());
    QCOMPARE(manager->lastSerial(), QString());

    pollAndSettle(*manager);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(calls().mid(1), (QStringList { "devices", "forward --list", "devices", "forward --list" }));
}

void TstAdbManger::oneDeviceReportedOnce()
{
    answer(QStringLiteral("devices"), (kHeader + QStringLiteral("ABC123\tdevice\r\n\r\n")).toLatin1());
    // Already mapped: the polls only query.
    answer(QStringLiteral("forward_--list"), "ABC123 tcp:9943 tcp:9943\r\nABC123 tcp:9944 tcp:9944\r\n");
    auto manager = readyManager();
    QSignalSpy spy(manager.get(), &AdbManger::deviceConnect);
    pollAndSettle(*manager);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), true);
    QCOMPARE(spy.at(0).at(1).toString(), QStringLiteral("ABC123"));
    pollAndSettle(*manager);
    QCOMPARE(spy.count(), 1);

    // Unplugged: one disconnection.
    answer(QStringLiteral("devices"), (kHeader + QStringLiteral("\r\n")).toLatin1());
    pollAndSettle(*manager);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(1).at(0).toBool(), false);
}

void TstAdbManger::bareLineFeedsAreNormalised()
{
    answer(QStringLiteral("devices"), "List of devices attached\nXYZ789\tdevice\n\n");
    answer(QStringLiteral("forward_--list"), "XYZ789 tcp:9943 tcp:9943\nXYZ789 tcp:9944 tcp:9944\n");
    auto manager = readyManager();
    QSignalSpy spy(manager.get(), &AdbManger::deviceConnect);
    pollAndSettle(*manager);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(1).toString(), QStringLiteral("XYZ789"));

    answer(QStringLiteral("devices"), "List of devices attached\n\n");
    pollAndSettle(*manager);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(1).at(0).toBool(), false);
}

void TstAdbManger::writeScript(const QString &name, const QByteArray &text)
{
    QFile file(m_script + QLatin1Char('/') + name);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

void TstAdbManger::liveMappings(const QByteArray &serial)
{
    QVERIFY(QDir().mkpath(m_script + QStringLiteral("/ports")));
    writeScript(QStringLiteral("ports/serial"), serial);
}

QByteArray TstAdbManger::scriptFile(const QString &name) const
{
    QFile file(m_script + QLatin1Char('/') + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TstAdbManger::deviceChoice_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<QString>("serial");
    // A device adb cannot use yet is no headset to stream to.
    QTest::newRow("unauthorized") << kHeader + "ABC123\tunauthorized\r\n\r\n" << false << "";
    QTest::newRow("unauthorized beside a usable one") << kHeader + "ABC123\tunauthorized\r\nKZ77\tdevice\r\n\r\n" << true
                                                      << "KZ77";
    QTest::newRow("two devices: the first") << kHeader + "AAA\tdevice\r\nBBB\tdevice\r\n\r\n" << true << "AAA";
    // Within one chunk, a NUL ends the text.
    QTest::newRow("nul byte") << kHeader + "ABC\tdevice\r\n\r\n" + QChar(0) + "junk" << true << "ABC";
}

void TstAdbManger::deviceChoice()
{
    QFETCH(QString, answer);
    QFETCH(bool, connected);
    QFETCH(QString, serial);
    this->answer(QStringLiteral("devices"), answer.toLatin1());
    auto manager = readyManager();
    LogCapture log;
    QSignalSpy spy(manager.get(), &AdbManger::deviceConnect);
    pollAndSettle(*manager);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), connected);
    QCOMPARE(spy.at(0).at(1).toString(), serial);
    QCOMPARE(log.count(QStringLiteral("adb device not usable: ABC123 unauthorized")),
             answer.contains(QStringLiteral("unauthorized")) ? 1 : 0);
}

void TstAdbManger::offlineOrConnectingEndsAdb_data()
{
    QTest::addColumn<QString>("status");
    QTest::newRow("offline") << "offline";
    QTest::newRow("connecting") << "connecting";
}

void TstAdbManger::offlineOrConnectingEndsAdb()
{
    QFETCH(QString, status);
    answer(QStringLiteral("devices"), (kHeader + QStringLiteral("ABC123\t") + status + QStringLiteral("\r\n\r\n")).toLatin1());
    auto manager = readyManager();
    // An adb server of the name this manager looks for, started after it.
    QProcess server;
    QVERIFY(!startServerProcess(server).isEmpty());
    QSignalSpy toast(manager.get(), &AdbManger::showAdbTipToast);
    QSignalSpy connect(manager.get(), &AdbManger::deviceConnect);
    manager->pollDevices();
    QVERIFY(toast.wait(kChildProcessWaitMs));
    QCOMPARE(toast.count(), 1);
    QCOMPARE(connect.count(), 0);
    QVERIFY(server.waitForFinished(3000));                // long before its 30 s stay
#ifndef Q_OS_WIN
    QCOMPARE(server.exitStatus(), QProcess::CrashExit);   // ended by a signal
#endif
}

void TstAdbManger::crLfAnswerMapsPorts()
{
#ifdef Q_OS_WIN
    QSKIP("the mapping list runs 1000 ms after the mapping command; starting its four adb processes "
          "takes longer than that under Wine, so the list is not started (\"adb still busy\")");
#endif
    answer(QStringLiteral("devices"), (kHeader + QStringLiteral("ABC123\tdevice\r\n\r\n")).toLatin1());
    // The empty mapping list comes as its own chunk, as a separate adb run.
    answer(QStringLiteral("forward_--list"), "\r\n", 300);
    auto manager = readyManager();
    manager->pollDevices();
    QTRY_VERIFY_WITH_TIMEOUT(calls().contains(QStringLiteral("reverse tcp:50001 tcp:50001")), kChildProcessWaitMs);
    QStringList seen = calls();
    QCOMPARE(seen.mid(1, 6), (QStringList { "devices", "forward --list", "forward tcp:9943 tcp:9943", "forward tcp:9944 tcp:9944",
                                           "reverse tcp:50000 tcp:50000", "reverse tcp:50001 tcp:50001" }));
    // The list runs 1000 ms after the mapping command, and only when adb is
    // free by then; four adb runs may outlast that on a loaded machine.
    if (!QTest::qWaitFor([this] { return calls().contains(QStringLiteral("reverse --list")); }, 5000))
        QSKIP("the four mapping runs outlasted the 1000 ms before the mapping list (a loaded machine)");
    seen = calls();
    QCOMPARE(seen.mid(7), (QStringList { "forward --list", "reverse --list" }));
    // The mapping list's own "\r\n" is not in the querying state: no new mapping.
    QTest::qWait(1500);
    QCOMPARE(calls().size(), 9);
    QTRY_COMPARE_WITH_TIMEOUT(manager->state(), int(AdbManger::Idle), kChildProcessWaitMs);
}

void TstAdbManger::mappingListStartsNothing()
{
    answer(QStringLiteral("devices"), (kHeader + QStringLiteral("ABC123\tdevice\r\n\r\n")).toLatin1());
    answer(QStringLiteral("forward_--list"), "ABC123 tcp:9943 tcp:9943\r\nABC123 tcp:9944 tcp:9944\r\n", 300);
    auto manager = readyManager();
    pollAndSettle(*manager);
    QTest::qWait(500);
    QCOMPARE(calls().mid(1), (QStringList { "devices", "forward --list" }));
}

void TstAdbManger::onePieceAnswersOfTheRealAdbMapOnce()
{
#ifdef Q_OS_WIN
    QSKIP("the mapping list runs 1000 ms after the mapping command; starting its four adb processes "
          "takes longer than that under Wine, so the list is not started (\"adb still busy\")");
#endif
    // Debian's adb: the device list in one write with bare line feeds, and
    // nothing at all for an empty forward list.
    answer(QStringLiteral("devices"), "List of devices attached\nKZ0001\tdevice\n\n");
    liveMappings("KZ0001");
    auto manager = readyManager();
    QSignalSpy spy(manager.get(), &AdbManger::deviceConnect);
    manager->pollDevices();
    QTRY_VERIFY_WITH_TIMEOUT(calls().contains(QStringLiteral("reverse --list")), kChildProcessWaitMs);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(1).toString(), QStringLiteral("KZ0001"));
    QCOMPARE(calls().mid(1), (QStringList { "devices", "forward --list", "forward tcp:9943 tcp:9943",
                                            "forward tcp:9944 tcp:9944", "reverse tcp:50000 tcp:50000",
                                            "reverse tcp:50001 tcp:50001", "forward --list", "reverse --list" }));
    QCOMPARE(scriptFile(QStringLiteral("ports/forward")), QByteArray("tcp:9943 tcp:9943\ntcp:9944 tcp:9944\n"));
    QCOMPARE(scriptFile(QStringLiteral("ports/reverse")), QByteArray("tcp:50000 tcp:50000\ntcp:50001 tcp:50001\n"));
    QTRY_COMPARE_WITH_TIMEOUT(manager->state(), int(AdbManger::Idle), kChildProcessWaitMs);

    // The next poll finds the four mappings: nothing more to do.
    QTest::qWait(700);
    pollAndSettle(*manager);
    QTest::qWait(1500);
    QCOMPARE(calls().size(), 11);
    QCOMPARE(spy.count(), 1);
}

void TstAdbManger::bothListsInOneChunk_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("maps");
    QTest::newRow("both forwards, line feeds") << QByteArray("List of devices attached\nKZ0002\tdevice\n\n"
                                                           "KZ0002 tcp:9943 tcp:9943\nKZ0002 tcp:9944 tcp:9944\n")
                                                << false;
    QTest::newRow("both forwards, CR LF") << QByteArray("List of devices attached\r\nKZ0002\tdevice\r\n\r\n"
                                                      "KZ0002 tcp:9943 tcp:9943\r\nKZ0002 tcp:9944 tcp:9944\r\n")
                                           << false;
    QTest::newRow("one forward missing") << QByteArray("List of devices attached\nKZ0002\tdevice\n\n"
                                                     "KZ0002 tcp:9943 tcp:9943\n")
                                          << true;
    QTest::newRow("empty forward list, CR LF") << QByteArray("List of devices attached\r\nKZ0002\tdevice\r\n\r\n\r\n")
                                                << true;
}

void TstAdbManger::bothListsInOneChunk()
{
    QFETCH(QByteArray, answer);
    QFETCH(bool, maps);
    // One adb run prints both lists in one write, so they reach the
    // assistant as one chunk.
    this->answer(QStringLiteral("devices"), answer);
    auto manager = readyManager();
    QSignalSpy spy(manager.get(), &AdbManger::deviceConnect);
    manager->pollDevices();
    QVERIFY(spy.wait(kChildProcessWaitMs));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), true);
    QCOMPARE(spy.at(0).at(1).toString(), QStringLiteral("KZ0002"));
    QTest::qWait(2000);
    const int mappings = calls().count(QStringLiteral("forward tcp:9943 tcp:9943"));
    QCOMPARE(mappings, maps ? 1 : 0);
    QCOMPARE(spy.count(), 1);
}

void TstAdbManger::serverKilledDuringMappingIsMappedAgain()
{
#ifdef Q_OS_WIN
    QSKIP("the mapping list runs 1000 ms after the mapping command; starting its four adb processes "
          "takes longer than that under Wine, so the list is not started (\"adb still busy\")");
#endif
    answer(QStringLiteral("devices"), "List of devices attached\nKZ0003\tdevice\n\n");
    liveMappings("KZ0003");
    // The server dies while the mapping runs: it forgets the mapping made so
    // far and the next adb command fails as the real client does.
    writeScript(QStringLiteral("forward_tcp:9944_tcp:9944.delay"), "300");
    auto manager = readyManager();
    LogCapture log;
    manager->pollDevices();
    QTRY_VERIFY_WITH_TIMEOUT(calls().contains(QStringLiteral("forward tcp:9944 tcp:9944")), kChildProcessWaitMs);
    writeScript(QStringLiteral("ports/forward"), "");
    writeScript(QStringLiteral("forward_tcp:9944_tcp:9944.out"), "");
    writeScript(QStringLiteral("forward_tcp:9944_tcp:9944.err"),
                "error: protocol fault (couldn't read status): Connection reset by peer\n");
    writeScript(QStringLiteral("forward_tcp:9944_tcp:9944.exit"), "1");

    QTRY_COMPARE_WITH_TIMEOUT(log.count(QStringLiteral("adb port mapping failed (exit 1): error: protocol fault")), 1, kChildProcessWaitMs);
    // The mapping list that follows shows the loss too.
    QTRY_VERIFY_WITH_TIMEOUT(calls().contains(QStringLiteral("reverse --list")), kChildProcessWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(log.count(QStringLiteral("adb mappings incomplete")), 1, kChildProcessWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(manager->state(), int(AdbManger::Idle), kChildProcessWaitMs);
    QVERIFY(!calls().contains(QStringLiteral("reverse tcp:50000 tcp:50000")));
    QCOMPARE(scriptFile(QStringLiteral("ports/forward")), QByteArray());

    // The server is back: the next poll maps all four again.
    for (const char *suffix : { ".out", ".err", ".exit", ".delay" })
        QFile::remove(m_script + QStringLiteral("/forward_tcp:9944_tcp:9944") + QLatin1String(suffix));
    manager->pollDevices();
    QTRY_COMPARE_WITH_TIMEOUT(scriptFile(QStringLiteral("ports/reverse")), QByteArray("tcp:50000 tcp:50000\ntcp:50001 tcp:50001\n"), kChildProcessWaitMs);
    QCOMPARE(scriptFile(QStringLiteral("ports/forward")), QByteArray("tcp:9943 tcp:9943\ntcp:9944 tcp:9944\n"));
    QCOMPARE(manager->lastSerial(), QStringLiteral("KZ0003"));
}

void TstAdbManger::queryThatNeverAnswersIsFreed()
{
    answer(QStringLiteral("devices"), "", 20000);
    auto manager = readyManager();
    manager->pollDevices();
    QCOMPARE(manager->state(), int(AdbManger::QueryingDevices));
    manager->pollDevices();
    manager->pollDevices();
    QCOMPARE(manager->state(), int(AdbManger::QueryingDevices));
    manager->pollDevices();   // the third poll that finds it busy frees it
    QCOMPARE(manager->state(), int(AdbManger::Idle));
    manager->pollDevices();
    QCOMPARE(manager->state(), int(AdbManger::QueryingDevices));
}

void TstAdbManger::folderAdbAfterSilentProbe()
{
    // No adb on PATH: the probe prints nothing on standard output.
    QVERIFY(copyExecutable(fakeAdbBinary(), m_dir->filePath(QStringLiteral("app/ADB/adb") + kExe)));
    QVERIFY(QDir::setCurrent(m_dir->filePath(QStringLiteral("app"))));
    answer(QStringLiteral("devices"), (kHeader + QStringLiteral("ABC123\tdevice\r\n\r\n")).toLatin1());
    auto manager = makeManager(m_noAdbBin);
    QCOMPARE(manager->state(), int(AdbManger::ProbingPathAdb));

    manager->pollDevices();                       // starts the 400 ms wait
    manager->pollDevices();                       // still waiting: nothing
    QCOMPARE(manager->mode(), int(AdbManger::PathAdb));
    QTest::qWait(600);
    QCOMPARE(manager->state(), int(AdbManger::ProbingPathAdb));
    QSignalSpy spy(manager.get(), &AdbManger::deviceConnect);
    manager->pollDevices();                       // the first poll after the wait switches
    QCOMPARE(manager->mode(), int(AdbManger::FolderAdb));
    QCOMPARE(manager->adbPath(), QDir::currentPath() + QStringLiteral("/ADB/adb") + kExe);
    QCOMPARE(manager->state(), int(AdbManger::QueryingDevices));
    QVERIFY(spy.wait(kChildProcessWaitMs));
    QCOMPARE(spy.at(0).at(1).toString(), QStringLiteral("ABC123"));
}

void TstAdbManger::runningAdbIsUsedAndLeftRunning()
{
    QProcess server;
    const QString path = startServerProcess(server);
    QVERIFY(!path.isEmpty());
    answer(QStringLiteral("devices"), (kHeader + QStringLiteral("\r\n")).toLatin1());
    {
        auto manager = makeManager(m_noAdbBin);
        QCOMPARE(manager->mode(), int(AdbManger::RunningAdb));
        QCOMPARE(manager->adbPath(), QDir::toNativeSeparators(path)); // as the system names it
        QCOMPARE(manager->state(), int(AdbManger::Idle));
        QSignalSpy spy(manager.get(), &AdbManger::deviceConnect);
        pollAndSettle(*manager);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toBool(), false);
        // Destruction removes the mappings and leaves the server running.
    }
    QCOMPARE(calls(), (QStringList { "server", "devices", "forward --list", "forward --remove-all", "reverse --remove-all" }));
    QCOMPARE(server.state(), QProcess::Running);
    server.kill();
    server.waitForFinished(3000);
}

void TstAdbManger::commandLinesPerMode()
{
    QProcess server;
    QVERIFY(!startServerProcess(server).isEmpty());
    {
        auto running = makeManager(m_noAdbBin);
        const QString adb = running->adbPath();
        QCOMPARE(running->commandLine(QStringLiteral("adb devices && adb forward --list")),
                 adb + QStringLiteral(" devices && ") + adb + QStringLiteral(" forward --list"));
    }
    server.kill();
    server.waitForFinished(3000);

    auto path = makeManager(m_bin);
    const QString mapping = QStringLiteral("adb forward tcp:9943 tcp:9943 && adb forward tcp:9944 tcp:9944 && "
                                           "adb reverse tcp:50000 tcp:50000 && adb reverse tcp:50001 tcp:50001");
    QCOMPARE(path->commandLine(mapping), mapping);

    // A path with a blank: the command stays as it is (the working
    // directory holds the adb).
    const QString spaced = m_dir->filePath(QStringLiteral("my app/srv/")) + m_processName + kExe;
    QVERIFY(copyExecutable(fakeAdbBinary(), spaced));
    QProcess spacedServer;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("FAKE_ADB_DIR"), m_script);
    spacedServer.setProcessEnvironment(env);
    spacedServer.start(spaced, { QStringLiteral("server") });
    QVERIFY(spacedServer.waitForStarted(3000));
    {
        auto running = makeManager(m_noAdbBin);
        QCOMPARE(running->adbPath(), QDir::toNativeSeparators(spaced));
        QCOMPARE(running->commandLine(QStringLiteral("adb devices")), QStringLiteral("adb devices"));
    }
    spacedServer.kill();
    spacedServer.waitForFinished(3000);
}

void TstAdbManger::watcherStartsAndStopsWithTheObject()
{
    for (int i = 0; i < 10; ++i) {
        auto manager = makeManager(m_noAdbBin, true);
        if (!manager->isWatchingDevices())
            QSKIP("no device notifications on this system");
        QSignalSpy spy(manager.get(), &AdbManger::checkdevice);
        // A checkdevice() emitted from another thread runs the poll queued on
        // this one, as the watcher's does.
        std::thread([&] { emit manager->checkdevice(); }).join();
        QCOMPARE(manager->state(), int(AdbManger::ProbingPathAdb));
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, kChildProcessWaitMs);
    }
}

void TstAdbManger::realAdbWithoutDevice()
{
    if (QStandardPaths::findExecutable(QStringLiteral("adb")).isEmpty())
        QSKIP("adb is not installed");
    // A server of our own on a free port, so another run's server (on 5037
    // or elsewhere) is neither used nor ended.
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    m_realAdbPort = QString::number(probe.serverPort());
    probe.close();

    AdbManger::Options options;
    options.environment.insert(QStringLiteral("ANDROID_ADB_SERVER_PORT"), m_realAdbPort);
    options.adbProcessName = m_processName + kExe;
    options.watchDevices = false;
    auto manager = std::make_unique<AdbManger>(options);
    QCOMPARE(manager->mode(), int(AdbManger::PathAdb));
    QTRY_COMPARE_WITH_TIMEOUT(manager->state(), int(AdbManger::Idle), 10000);
    QTest::qWait(700);

    QSignalSpy spy(manager.get(), &AdbManger::deviceConnect);
    manager->pollDevices();
    QVERIFY(spy.wait(15000));
    QCOMPARE(spy.at(0).at(0).toBool(), false);
    QCOMPARE(spy.at(0).at(1).toString(), QString());
    // Let the mapping attempt that the empty mapping list starts run out.
    QTest::qWait(2500);
}

QTEST_GUILESS_MAIN(TstAdbManger)
#include "tst_adbmanger.moc"
