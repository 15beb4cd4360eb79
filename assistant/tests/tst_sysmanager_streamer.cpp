// The control server with tools/streamer-sim as the streamer, a separate
// process on a real loopback connection: reports, requests, linking,
// reconnection, the firewall request and the shared "loaded" signal.
#include "childwait.h"
#include "controlclient.h"
#include "logcapture.h"
#include "platform/shared_block.h"
#include "sysmanager.h"

#include <QtTest>

#include <memory>

namespace {
QString simulatorBinary()
{
    return QStringLiteral(OSTREL_TOOLS_BIN_DIR "/streamer-sim/streamer-sim" OSTREL_EXE_SUFFIX);
}
} // namespace

class TstSysManagerStreamer : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void reportsHeadsetsAndDeviceId();
    void answersModeRequests();
    void linkedHeadsetConnectsAfterDelay();
    void helloAndFirewallRequest();
    void reconnectsAfterBeingReplaced();
    void streamerKilledAndRestarted();
    void signalsLoadedThroughSharedBlock();
    void rawLinesFromStandardInput();
    void environmentPortForTheProgramsServer();

private:
    bool startSimulator(const QStringList &extra);
    QStringList simulatorLog() const;
    int logCount(const QString &line) const { return simulatorLog().count(line); }
    int disconnects() const { return simulatorLog().filter(QRegularExpression("^streamer-sim: disconnected")).size(); }

    std::unique_ptr<SysManager> m_server;
    std::unique_ptr<QTemporaryDir> m_dir;
    QProcess m_sim;
    int m_port = 0;
};

void TstSysManagerStreamer::init()
{
    m_dir.reset(new QTemporaryDir);
    m_port = freeLoopbackPort();
    m_server.reset(new SysManager(m_port));
    QVERIFY(m_server->start());
}

void TstSysManagerStreamer::cleanup()
{
    if (m_sim.state() != QProcess::NotRunning) {
        m_sim.terminate();
        if (!m_sim.waitForFinished(3000))
            m_sim.kill();
        m_sim.waitForFinished(3000);
    }
    m_server.reset();
    m_dir.reset();
}

bool TstSysManagerStreamer::startSimulator(const QStringList &extra)
{
    QStringList args { "--port", QString::number(m_port), "--log", m_dir->filePath("sim.log"),
                       "--exit-after-ms", "30000", "--reconnect-ms", "100" };
    args << extra;
    m_sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_sim.start(simulatorBinary(), args);
    return m_sim.waitForStarted(5000);
}

QStringList TstSysManagerStreamer::simulatorLog() const
{
    QFile log(m_dir->filePath("sim.log"));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void TstSysManagerStreamer::reportsHeadsetsAndDeviceId()
{
    QVERIFY(startSimulator({ "--no-shared-block", "--report-ms", "200", "--device-id", "XYZ",
                             "--headset", "Alpha;192.168.0.7;false", "--headset", "Beta;192.168.0.8;true" }));
    QTRY_COMPARE_WITH_TIMEOUT(m_server->hmdInfoList().size(), 2, kChildProcessWaitMs);
    const QVector<HmdInfo> list = m_server->hmdInfoList();
    QCOMPARE(list[0], (HmdInfo { "Alpha", "192.168.0.7", false }));
    QCOMPARE(list[1], (HmdInfo { "Beta", "192.168.0.8", true }));
    QCOMPARE(m_server->deviceId(), QStringLiteral("XYZ"));
    // Regular reports keep the miss count down.
    QTest::qWait(600);
    QCOMPARE(m_server->missCount(), 0u);
    QCOMPARE(m_server->hmdInfoList().size(), 2);
}

void TstSysManagerStreamer::answersModeRequests()
{
    QVERIFY(startSimulator({ "--no-shared-block", "--report-ms", "0", "--headset", "Alpha;192.168.0.7;false" }));
    QTRY_VERIFY_WITH_TIMEOUT(m_server->hasClient(), kChildProcessWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(m_server->hmdInfoList().size(), 1, kChildProcessWaitMs);

    m_server->sendWiredConnect(true);
    QTRY_VERIFY_WITH_TIMEOUT(m_server->isDeviceConnected(), kChildProcessWaitMs);
    m_server->sendWiredConnect(false);
    QTRY_VERIFY_WITH_TIMEOUT(!m_server->isDeviceConnected(), kChildProcessWaitMs);
    m_server->requestHmdInfo();
    QTRY_COMPARE_WITH_TIMEOUT(logCount("received: HMDInfoRequest"), 1, kChildProcessWaitMs);
    QCOMPARE(logCount("received: WiredConnect"), 1);
    QCOMPARE(logCount("received: WirelessConnect"), 1);
}

void TstSysManagerStreamer::linkedHeadsetConnectsAfterDelay()
{
    QVERIFY(startSimulator({ "--no-shared-block", "--report-ms", "0", "--link-delay-ms", "400",
                             "--headset", "Alpha;192.168.0.7;false", "--headset", "Beta;192.168.0.8;false" }));
    QTRY_COMPARE_WITH_TIMEOUT(m_server->hmdInfoList().size(), 2, kChildProcessWaitMs);
    m_server->sendWiredConnect(false);
    QTRY_COMPARE_WITH_TIMEOUT(logCount("received: WirelessConnect"), 1, kChildProcessWaitMs);

    m_server->linkTo(QStringLiteral("Beta"), QStringLiteral("192.168.0.8"));
    QTRY_COMPARE_WITH_TIMEOUT(logCount("received: LinkTo Beta 192.168.0.8 "), 1, kChildProcessWaitMs);
    QVERIFY(!m_server->hmdInfoList()[1].connected);   // not before the delay
    QTRY_VERIFY_WITH_TIMEOUT(m_server->hmdInfoList()[1].connected, kChildProcessWaitMs);
    QVERIFY(!m_server->hmdInfoList()[0].connected);
    QTRY_VERIFY_WITH_TIMEOUT(m_server->isDeviceConnected(), kChildProcessWaitMs);

    m_server->disconnectFrom(QStringLiteral("Beta"), QStringLiteral("192.168.0.8"));
    QTRY_VERIFY_WITH_TIMEOUT(!m_server->hmdInfoList()[1].connected, kChildProcessWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(!m_server->isDeviceConnected(), kChildProcessWaitMs);
    QCOMPARE(logCount("received: Disconnect Beta 192.168.0.8 "), 1);
}

void TstSysManagerStreamer::helloAndFirewallRequest()
{
    m_server->requestFirewallRegistration();
    QVERIFY(startSimulator({ "--no-shared-block", "--report-ms", "100", "--hello", "--restart-steamvr-ms", "50" }));
    QTRY_COMPARE_WITH_TIMEOUT(logCount("received: HHHH, You can see me!\\n"), 1, kChildProcessWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(logCount("received: RegisterFireWall"), 1, kChildProcessWaitMs);
    // Many reports later it is still the only one.
    QTest::qWait(800);
    QCOMPARE(logCount("received: RegisterFireWall"), 1);
    QVERIFY(m_server->hasClient());
}

void TstSysManagerStreamer::reconnectsAfterBeingReplaced()
{
    QVERIFY(startSimulator({ "--no-shared-block", "--report-ms", "100", "--device-id", "D7",
                             "--headset", "Alpha;192.168.0.7;true" }));
    QTRY_COMPARE_WITH_TIMEOUT(m_server->hmdInfoList().size(), 1, kChildProcessWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(logCount("streamer-sim: connected"), 1, kChildProcessWaitMs);

    // Another client takes the server; the streamer notices and reconnects,
    // which in turn closes that client.
    ControlClient intruder;
    QVERIFY(intruder.connectTo(m_port));
    QTRY_COMPARE_WITH_TIMEOUT(disconnects(), 1, kChildProcessWaitMs);
    QVERIFY(intruder.waitForClose(std::chrono::milliseconds(5000)));
    QTRY_COMPARE_WITH_TIMEOUT(logCount("streamer-sim: connected"), 2, kChildProcessWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(m_server->hmdInfoList().value(0).name, QStringLiteral("Alpha"), kChildProcessWaitMs);

    // The server going away (closing with unread reports may reset the
    // connection rather than end it) and coming back on the same port.
    m_server.reset();
    QTRY_COMPARE_WITH_TIMEOUT(disconnects(), 2, kChildProcessWaitMs);
    m_server.reset(new SysManager(m_port));
    QVERIFY(m_server->start());
    QTRY_COMPARE_WITH_TIMEOUT(logCount("streamer-sim: connected"), 3, kChildProcessWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(m_server->deviceId(), QStringLiteral("D7"), kChildProcessWaitMs);
}

void TstSysManagerStreamer::streamerKilledAndRestarted()
{
    const QStringList options { "--no-shared-block", "--report-ms", "100", "--device-id", "D9",
                                "--headset", "Alpha;192.168.0.7;true" };
    LogCapture log;
    QVERIFY(startSimulator(options));
    QTRY_COMPARE_WITH_TIMEOUT(m_server->hmdInfoList().value(0).name, QStringLiteral("Alpha"), kChildProcessWaitMs);
    m_server->sendWiredConnect(true);
    QTRY_VERIFY_WITH_TIMEOUT(m_server->isDeviceConnected(), kChildProcessWaitMs);

    // Killed in the middle of the session: no goodbye, the socket just ends.
    m_sim.kill();
    QVERIFY(m_sim.waitForFinished(3000));
    QTRY_VERIFY_WITH_TIMEOUT(!m_server->hasClient(), kChildProcessWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(log.count(QStringLiteral("control client gone")), 1, kChildProcessWaitMs);
    QVERIFY(!m_server->isDeviceConnected());
    QCOMPARE(m_server->hmdInfoList(), QVector<HmdInfo> { HmdInfo {} });
    // Commands meanwhile go nowhere and harm nothing.
    m_server->sendWiredConnect(true);
    m_server->linkTo(QStringLiteral("Alpha"), QStringLiteral("192.168.0.7"));

    QVERIFY(startSimulator(options));
    QTRY_COMPARE_WITH_TIMEOUT(log.count(QStringLiteral("control client connected")), 2, kChildProcessWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(m_server->hmdInfoList().value(0).name, QStringLiteral("Alpha"), kChildProcessWaitMs);
    QCOMPARE(m_server->deviceId(), QStringLiteral("D9"));
    m_server->sendWiredConnect(true);
    QTRY_VERIFY_WITH_TIMEOUT(m_server->isDeviceConnected(), kChildProcessWaitMs);
}

void TstSysManagerStreamer::signalsLoadedThroughSharedBlock()
{
    const std::string suffix = std::to_string(QCoreApplication::applicationPid());
    const std::string blockName = "ostrel_test_sim_block_" + suffix;
    const std::string mutexName = "ostrel_test_sim_mutex_" + suffix;
    platform::SharedBlock::removeNames(blockName, mutexName);
    platform::SharedBlock block;
    QVERIFY2(block.open(blockName, mutexName, 8), block.lastError().c_str());
    QVERIFY(block.lock());
    std::fill(block.data(), block.data() + 8, 0);
    block.unlock();

    QVERIFY(startSimulator({ "--report-ms", "0", "--loaded-after-ms", "300", "--block-name",
                             QString::fromStdString(blockName), "--mutex-name", QString::fromStdString(mutexName) }));
    auto flag = [&] {
        block.lock();
        const bool set = block.data()[4] != 0;
        block.unlock();
        return set;
    };
    QTest::qWait(100);
    QVERIFY(!flag());
    QTRY_VERIFY_WITH_TIMEOUT(flag(), kChildProcessWaitMs);
    QVERIFY(block.lock());
    const unsigned char *data = block.data();
    const quint32 value = quint32(data[0]) | quint32(data[1]) << 8 | quint32(data[2]) << 16 | quint32(data[3]) << 24;
    block.unlock();
    QCOMPARE(value, 1u);
    block.close();
}

void TstSysManagerStreamer::rawLinesFromStandardInput()
{
    QVERIFY(startSimulator({ "--no-shared-block", "--report-ms", "0", "--stdin" }));
    QTRY_VERIFY_WITH_TIMEOUT(m_server->hasClient(), kChildProcessWaitMs);
    m_sim.write("DeviceConnectBack\tyes, true\n");
    QTRY_VERIFY_WITH_TIMEOUT(m_server->isDeviceConnected(), kChildProcessWaitMs);
    m_sim.write("HMDINFOBACK\tRaw;1.2.3.4;true;1\n");
    QTRY_COMPARE_WITH_TIMEOUT(m_server->hmdInfoList().value(0).name, QStringLiteral("Raw"), kChildProcessWaitMs);
    // The end of its input ends the simulator, and the server sees it go.
    m_sim.closeWriteChannel();
    QVERIFY(m_sim.waitForFinished(5000));
    QCOMPARE(m_sim.exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!m_server->hasClient(), kChildProcessWaitMs);
}

void TstSysManagerStreamer::environmentPortForTheProgramsServer()
{
    qputenv("OSTREL_CONTROL_PORT", "not a port");
    QCOMPARE(SysManager::portFromEnvironment(), -1);
    qputenv("OSTREL_CONTROL_PORT", "70000");
    QCOMPARE(SysManager::portFromEnvironment(), -1);
    const int port = freeLoopbackPort();
    qputenv("OSTREL_CONTROL_PORT", QByteArray::number(port));
    SysManager server(SysManager::portFromEnvironment());
    QVERIFY(server.start());
    QCOMPARE(server.port(), port);
    m_port = port;
    QVERIFY(startSimulator({ "--no-shared-block", "--headset", "Solo;10.1.1.1;false" }));
    QTRY_COMPARE_WITH_TIMEOUT(server.hmdInfoList().value(0).name, QStringLiteral("Solo"), kChildProcessWaitMs);
    qunsetenv("OSTREL_CONTROL_PORT");
}

QTEST_GUILESS_MAIN(TstSysManagerStreamer)
#include "tst_sysmanager_streamer.moc"
