// The control server over real loopback sockets: framing, the commands of
// both directions, the single-client rule, the miss count and the refusal of
// non-loopback peers.
#include "childwait.h"
#include "controlclient.h"
#include "controllines.h"
#include "logcapture.h"
#include "ipcsock.h"
#include "sysmanager.h"

#include <QtTest>

#include <memory>
#include <string>

using namespace std::chrono_literals;

namespace {
const std::string kHelloReply = std::string("HHHH, You can see me!\n") + '\0';

std::string withNul(const std::string &text)
{
    return text + '\0';
}
} // namespace

class TstSysManager : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void linesSplitAndBatched();
    void headsetListExample();
    void headsetListEdgeCases_data();
    void headsetListEdgeCases();
    void splitAtFirstTab();
    void carriageReturnAndNul();
    void deviceConnectBack();
    void secondClientReplacesFirst();
    void tenBatchMissRule();
    void firewallRequestSentOnce();
    void noSendsWithoutClient();
    void commandsSentToClient();
    void nonLoopbackPeerRefused();
    void lineWithoutFeedIsCapped();
    void clientCloseKeepsListUntilMisses();
    void portTakenLeavesNoServer();
    void portTakenIsRetriedUntilFree();
    void lostClientEndsTheDeviceConnection();
    void shutdownWakesWorker();
    void childProcessDoesNotKeepThePort();
    void restartRunsOnTheWorker();

private:
    // Sends "Hello" and waits for the reply, so that everything sent before
    // has been handled. Counts as one batch without a headset list.
    void sync(ControlClient &client)
    {
        QVERIFY(client.sendBytes("Hello\n"));
        QCOMPARE(client.receive(kHelloReply.size()), kHelloReply);
    }

    std::unique_ptr<SysManager> m_server;
    int m_port = 0;
};

void TstSysManager::init()
{
    m_port = freeLoopbackPort();
    m_server.reset(new SysManager(m_port));
    QVERIFY(m_server->start());
    QCOMPARE(m_server->port(), m_port);
}

void TstSysManager::cleanup()
{
    m_server.reset();
}

void TstSysManager::linesSplitAndBatched()
{
    ControlClient client;
    QVERIFY(client.connectTo(m_port));
    QTRY_VERIFY_WITH_TIMEOUT(m_server->hasClient(), kChildProcessWaitMs);

    // A line split over two sends is handled once, when its feed arrives.
    QVERIFY(client.sendBytes("Hel"));
    QCOMPARE(client.receive(1, 300ms), std::string());
    QVERIFY(client.sendBytes("lo\n"));
    QCOMPARE(client.receive(kHelloReply.size()), kHelloReply);
    QCOMPARE(client.receive(1, 200ms), std::string());

    // Three lines in one send, handled in order: the connected flag ends true.
    QVERIFY(client.sendBytes("DeviceConnectBack\tfalse\nDeviceConnectBack\ttrue\nHello\n"));
    QCOMPARE(client.receive(kHelloReply.size()), kHelloReply);
    QVERIFY(m_server->isDeviceConnected());
}

void TstSysManager::headsetListExample()
{
    ControlClient client;
    QVERIFY(client.connectTo(m_port));
    QVERIFY(client.sendBytes("HMDINFOBACK\tdeviceId:XYZ~Alpha;192.168.0.7;true;1~Beta;192.168.0.8;FALSE;1~bad\n"));
    sync(client);

    QCOMPARE(m_server->deviceId(), QStringLiteral("XYZ"));
    const QVector<HmdInfo> list = m_server->hmdInfoList();
    QCOMPARE(list.size(), 2);
    QCOMPARE(list[0].name, QStringLiteral("Alpha"));
    QCOMPARE(list[0].ip, QStringLiteral("192.168.0.7"));
    QVERIFY(list[0].connected);
    QCOMPARE(list[1].name, QStringLiteral("Beta"));
    QCOMPARE(list[1].ip, QStringLiteral("192.168.0.8"));
    QVERIFY(!list[1].connected);

    // A later list replaces the entries entirely; an empty one empties them
    // and keeps the device id.
    QVERIFY(client.sendBytes("HMDINFOBACK\tGamma;10.0.0.1;x;1\n"));
    sync(client);
    QCOMPARE(m_server->hmdInfoList().size(), 1);
    QCOMPARE(m_server->hmdInfoList()[0].name, QStringLiteral("Gamma"));
    QVERIFY(m_server->hmdInfoList()[0].connected);
    QVERIFY(client.sendBytes("HMDINFOBACK\t\n"));
    sync(client);
    QVERIFY(m_server->hmdInfoList().isEmpty());
    QCOMPARE(m_server->deviceId(), QStringLiteral("XYZ"));
}

void TstSysManager::headsetListEdgeCases_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("deviceId");

    QTest::newRow("empty device id keeps the old one") << "deviceId:~A;1;true;1" << QStringList { "A" } << "";
    QTest::newRow("every deviceId: removed") << "deviceId:ABdeviceId:C" << QStringList {} << "ABC";
    QTest::newRow("empty parts kept and skipped") << "~~A;1;false;1~~" << QStringList { "A" } << "";
    QTest::newRow("three or five fields skipped") << "A;1;true~B;2;true;1;9~C;3;true;1" << QStringList { "C" } << "";
    QTest::newRow("empty fields count") << ";;;" << QStringList { "" } << "";
    QTest::newRow("utf-8 name") << QString::fromUtf8("头显;1.2.3.4;false;1") << QStringList { QString::fromUtf8("头显") } << "";
}

void TstSysManager::headsetListEdgeCases()
{
    QFETCH(QString, argument);
    QFETCH(QStringList, names);
    QFETCH(QString, deviceId);
    QString id;
    const QVector<HmdInfo> list = ControlLines::parseHmdInfoList(argument.toStdString(), &id);
    QStringList got;
    for (const HmdInfo &info : list)
        got << info.name;
    QCOMPARE(got, names);
    QCOMPARE(id, deviceId);
}

void TstSysManager::splitAtFirstTab()
{
    std::string command, argument;
    ControlLines::splitLine("HMDINFOBACK\ta\tb", command, argument);
    QCOMPARE(command, std::string("HMDINFOBACK"));
    QCOMPARE(argument, std::string("a\tb"));
    ControlLines::splitLine("Hello", command, argument);
    QCOMPARE(command, std::string("Hello"));
    QCOMPARE(argument, std::string());
    ControlLines::splitLine("\t", command, argument);
    QCOMPARE(command, std::string());
    QCOMPARE(argument, std::string());
}

void TstSysManager::carriageReturnAndNul()
{
    ControlClient client;
    QVERIFY(client.connectTo(m_port));
    // "Hello" with a carriage return is another command: no reply.
    QVERIFY(client.sendBytes("Hello\r\n"));
    QCOMPARE(client.receive(1, 300ms), std::string());

    // Bytes after a NUL in a chunk are lost: the second Hello never counts.
    QVERIFY(client.sendBytes(std::string("Hello\n\0Hello\n", 13)));
    QCOMPARE(client.receive(kHelloReply.size()), kHelloReply);
    QCOMPARE(client.receive(1, 300ms), std::string());

    // A NUL inside an unfinished line cuts it; the next chunk continues it.
    QVERIFY(client.sendBytes(std::string("Hel\0xx", 6)));
    QVERIFY(client.receive(1, 200ms).empty());
    QVERIFY(client.sendBytes("lo\n"));
    QCOMPARE(client.receive(kHelloReply.size()), kHelloReply);
}

void TstSysManager::deviceConnectBack()
{
    ControlClient client;
    QVERIFY(client.connectTo(m_port));
    QVERIFY(client.sendBytes("DeviceConnectBack\tstate=true;\n"));
    sync(client);
    QVERIFY(m_server->isDeviceConnected());
    QVERIFY(client.sendBytes("DeviceConnectBack\tTRUE\n"));
    sync(client);
    QVERIFY(!m_server->isDeviceConnected());
    // The command is compared exactly: a trailing blank makes another one.
    QVERIFY(client.sendBytes("DeviceConnectBack \ttrue\n"));
    sync(client);
    QVERIFY(!m_server->isDeviceConnected());
}

void TstSysManager::secondClientReplacesFirst()
{
    ControlClient first;
    QVERIFY(first.connectTo(m_port));
    sync(first);
    QVERIFY(first.sendBytes("HMDINFOBACK\tAl"));   // unfinished line of the first client

    ControlClient second;
    QVERIFY(second.connectTo(m_port));
    QVERIFY(first.waitForClose());
    // The first client's unfinished bytes are not prepended to the second's.
    QVERIFY(second.sendBytes("pha;1;true;1\nHello\n"));
    QCOMPARE(second.receive(kHelloReply.size()), kHelloReply);
    QVERIFY(m_server->hasClient());
    QVERIFY(m_server->hmdInfoList().isEmpty());
}

void TstSysManager::tenBatchMissRule()
{
    ControlClient client;
    QVERIFY(client.connectTo(m_port));
    QVERIFY(client.sendBytes("HMDINFOBACK\tAlpha;1.1.1.1;true;1\n"));
    // (Without a client the list is one empty entry, so wait for the name.)
    QTRY_COMPARE_WITH_TIMEOUT(m_server->hmdInfoList().value(0).name, QStringLiteral("Alpha"), kChildProcessWaitMs);
    QCOMPARE(m_server->missCount(), 0u);

    for (int i = 1; i <= 9; ++i) {
        sync(client);
        // The reply goes out while its batch is handled; the count follows.
        QTRY_COMPARE_WITH_TIMEOUT(m_server->missCount(), static_cast<std::uint32_t>(i), kChildProcessWaitMs);
        QCOMPARE(m_server->hmdInfoList().size(), 1);
    }
    // A batch holding the list resets the count ...
    QVERIFY(client.sendBytes("DeviceConnectBack\tfalse\nHMDINFOBACK\tAlpha;1.1.1.1;true;1\nHello\n"));
    QCOMPARE(client.receive(kHelloReply.size()), kHelloReply);
    QTRY_COMPARE_WITH_TIMEOUT(m_server->missCount(), 0u, kChildProcessWaitMs);

    // ... and ten batches without it empty the list.
    for (int i = 1; i <= 9; ++i)
        sync(client);
    QTRY_COMPARE_WITH_TIMEOUT(m_server->missCount(), 9u, kChildProcessWaitMs);
    QCOMPARE(m_server->hmdInfoList().size(), 1);
    sync(client);
    QTRY_VERIFY_WITH_TIMEOUT(m_server->hmdInfoList().isEmpty(), kChildProcessWaitMs);
    QCOMPARE(m_server->missCount(), 0u);
}

void TstSysManager::firewallRequestSentOnce()
{
    ControlClient client;
    QVERIFY(client.connectTo(m_port));
    QTRY_VERIFY_WITH_TIMEOUT(m_server->hasClient(), kChildProcessWaitMs);
    m_server->requestFirewallRegistration();
    // Not sent until a headset list arrives.
    QCOMPARE(client.receive(1, 300ms), std::string());

    QVERIFY(client.sendBytes("HMDINFOBACK\t\n"));
    QCOMPARE(client.receive(withNul("RegisterFireWall").size()), withNul("RegisterFireWall"));
    QVERIFY(client.sendBytes("HMDINFOBACK\t\nHMDINFOBACK\t\n"));
    sync(client);
    QCOMPARE(client.receive(1, 300ms), std::string());
}

void TstSysManager::noSendsWithoutClient()
{
    const QVector<HmdInfo> none = m_server->hmdInfoList();
    QCOMPARE(none.size(), 1);
    QCOMPARE(none[0], HmdInfo {});

    m_server->requestHmdInfo();
    m_server->sendWiredConnect(true);
    m_server->linkTo(QStringLiteral("Alpha"), QStringLiteral("1.2.3.4"));
    m_server->disconnectFrom(QStringLiteral("Alpha"), QStringLiteral("1.2.3.4"));

    // Nothing was queued for a later client: the first bytes it gets answer it.
    ControlClient client;
    QVERIFY(client.connectTo(m_port));
    sync(client);
    QCOMPARE(client.receive(1, 300ms), std::string());

    // After the client has gone, the list is the one empty entry again.
    QVERIFY(client.sendBytes("HMDINFOBACK\tA;1;true;1\n"));
    sync(client);
    QCOMPARE(m_server->hmdInfoList().size(), 1);
    QCOMPARE(m_server->hmdInfoList()[0].name, QStringLiteral("A"));
    client.close();
    QTRY_VERIFY_WITH_TIMEOUT(!m_server->hasClient(), kChildProcessWaitMs);
    QCOMPARE(m_server->hmdInfoList()[0], HmdInfo {});
}

void TstSysManager::commandsSentToClient()
{
    ControlClient client;
    QVERIFY(client.connectTo(m_port));
    QTRY_VERIFY_WITH_TIMEOUT(m_server->hasClient(), kChildProcessWaitMs);

    const std::string expected = withNul("HMDInfoRequest") + withNul("WiredConnect") + withNul("WirelessConnect")
        + withNul("LinkTo Alpha One 192.168.0.7 ") + withNul("Disconnect %2 192.168.0.8 ");
    m_server->requestHmdInfo();
    m_server->sendWiredConnect(true);
    m_server->sendWiredConnect(false);
    m_server->linkTo(QStringLiteral("Alpha One"), QStringLiteral("192.168.0.7"));
    // A name holding a placeholder is sent as it is.
    m_server->disconnectFrom(QStringLiteral("%2"), QStringLiteral("192.168.0.8"));
    QCOMPARE(client.receive(expected.size()), expected);
}

void TstSysManager::nonLoopbackPeerRefused()
{
    ControlClient stranger;
    if (!stranger.connectTo(m_port, "127.0.0.2"))
        QSKIP("this system cannot bind 127.0.0.2");
    QVERIFY(stranger.waitForClose());
    QVERIFY(!m_server->hasClient());

    // A refused stranger does not disturb the connected client either.
    ControlClient client;
    QVERIFY(client.connectTo(m_port));
    sync(client);
    ControlClient stranger2;
    QVERIFY(stranger2.connectTo(m_port, "127.0.0.2"));
    QVERIFY(stranger2.waitForClose());
    sync(client);
}

void TstSysManager::lineWithoutFeedIsCapped()
{
    ControlClient client;
    QVERIFY(client.connectTo(m_port));
    sync(client);
    const std::string flood(IPCSock::kMaxPendingBytes + 4096, 'x');
    client.sendBytes(flood);
    QVERIFY(client.waitForClose());
    QTRY_VERIFY_WITH_TIMEOUT(!m_server->hasClient(), kChildProcessWaitMs);

    // The server goes on serving the next client.
    ControlClient next;
    QVERIFY(next.connectTo(m_port));
    sync(next);
}

void TstSysManager::clientCloseKeepsListUntilMisses()
{
    {
        ControlClient client;
        QVERIFY(client.connectTo(m_port));
        QVERIFY(client.sendBytes("HMDINFOBACK\tdeviceId:D1~A;1;true;1\n"));
        QTRY_COMPARE_WITH_TIMEOUT(m_server->hmdInfoList().value(0).name, QStringLiteral("A"), kChildProcessWaitMs);
        sync(client);
        QTRY_COMPARE_WITH_TIMEOUT(m_server->missCount(), 1u, kChildProcessWaitMs);
    }
    QTRY_VERIFY_WITH_TIMEOUT(!m_server->hasClient(), kChildProcessWaitMs);
    // A reconnecting streamer finds the list kept.
    ControlClient again;
    QVERIFY(again.connectTo(m_port));
    QTRY_VERIFY_WITH_TIMEOUT(m_server->hasClient(), kChildProcessWaitMs);
    QCOMPARE(m_server->hmdInfoList().size(), 1);
    QCOMPARE(m_server->deviceId(), QStringLiteral("D1"));
    QCOMPARE(m_server->missCount(), 1u);
}

void TstSysManager::portTakenLeavesNoServer()
{
    SysManager second(m_port);
    QVERIFY(!second.start());
    QVERIFY(!second.isListening());
    QCOMPARE(second.hmdInfoList().size(), 1);
    second.requestHmdInfo();
    second.linkTo(QStringLiteral("A"), QStringLiteral("1"));
    // The first server still owns the port.
    ControlClient client;
    QVERIFY(client.connectTo(m_port));
    sync(client);
}

void TstSysManager::portTakenIsRetriedUntilFree()
{
    LogCapture log;
    SysManager second(m_port);
    QVERIFY(!second.start());
    second.keepTryingToStart(100ms);
    QTest::qWait(500);
    QVERIFY(!second.isListening());
    QCOMPARE(log.count(QStringLiteral("control server cannot listen on port %1").arg(m_port)), 1);
    QCOMPARE(second.hmdInfoList().size(), 1);
    QCOMPARE(second.hmdInfoList().at(0), HmdInfo {});

    // The other program ends: the port is free and the retry takes it.
    m_server.reset();
    QTRY_VERIFY_WITH_TIMEOUT(second.isListening(), kChildProcessWaitMs);
    QCOMPARE(second.port(), m_port);
    QCOMPARE(log.count(QStringLiteral("after all")), 1);
    ControlClient client;
    QVERIFY(client.connectTo(m_port));
    QVERIFY(client.sendBytes("HMDINFOBACK\tA;1.2.3.4;true;1\n"));
    QTRY_COMPARE_WITH_TIMEOUT(second.hmdInfoList().value(0).name, QStringLiteral("A"), kChildProcessWaitMs);
    QTest::qWait(300);
    QCOMPARE(log.count(QStringLiteral("cannot listen")), 1);
}

void TstSysManager::lostClientEndsTheDeviceConnection()
{
    LogCapture log;
    {
        ControlClient client;
        QVERIFY(client.connectTo(m_port));
        QVERIFY(client.sendBytes("DeviceConnectBack\ttrue\n"));
        QTRY_VERIFY_WITH_TIMEOUT(m_server->isDeviceConnected(), kChildProcessWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(log.count(QStringLiteral("control client connected")), 1, kChildProcessWaitMs);
    }
    QTRY_VERIFY_WITH_TIMEOUT(!m_server->hasClient(), kChildProcessWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(log.count(QStringLiteral("control client gone")), 1, kChildProcessWaitMs);
    QVERIFY(!m_server->isDeviceConnected());
}

void TstSysManager::shutdownWakesWorker()
{
    // The worker sleeps up to kIdleWait between events; stopping must not
    // wait for that.
    QElapsedTimer timer;
    timer.start();
    m_server->shutdown();
    QVERIFY2(timer.elapsed() < SysManager::kIdleWait.count() * 8 / 10, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(!m_server->isListening());
    ControlClient client;
    QVERIFY(!client.connectTo(m_port));
}

void TstSysManager::childProcessDoesNotKeepThePort()
{
    // A program started while the server runs (an adb server lives on for
    // long) must not inherit the listening socket.
    QProcess child;
    child.start(QStringLiteral(OSTREL_TOOLS_BIN_DIR "/fake-steam/fake-steam" OSTREL_EXE_SUFFIX),
                { QStringLiteral("--lifetime-ms"), QStringLiteral("20000") });
    QVERIFY(child.waitForStarted(3000));
    ControlClient client;
    QVERIFY(client.connectTo(m_port));
    sync(client);
    m_server.reset();
    QVERIFY(client.waitForClose());

    m_server.reset(new SysManager(m_port));
    QVERIFY(m_server->start());
    child.kill();
    child.waitForFinished(3000);
}

void TstSysManager::restartRunsOnTheWorker()
{
    std::atomic<int> restarts { 0 };
    std::atomic<bool> onGuiThread { true };
    const std::thread::id gui = std::this_thread::get_id();
    m_server->setSteamVRRestart([&] {
        onGuiThread = std::this_thread::get_id() == gui;
        // While the restart's own pause runs, the GUI thread can still use
        // the server: no lock is held.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        ++restarts;
    });
    ControlClient client;
    QVERIFY(client.connectTo(m_port));
    QVERIFY(client.sendBytes("RESTARTSTEAMVR\n"));
    QTest::qWait(100);
    QVERIFY(m_server->hasClient());   // the lock is free during the restart
    QCOMPARE(restarts.load(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(restarts.load(), 1, kChildProcessWaitMs);
    QVERIFY(!onGuiThread);
    // A carriage return makes another command; an argument is ignored.
    QVERIFY(client.sendBytes("RESTARTSTEAMVR\r\n"));
    sync(client);
    QCOMPARE(restarts.load(), 1);
    QVERIFY(client.sendBytes("RESTARTSTEAMVR\tnow\n"));
    QTRY_COMPARE_WITH_TIMEOUT(restarts.load(), 2, kChildProcessWaitMs);
}

QTEST_GUILESS_MAIN(TstSysManager)
#include "tst_sysmanager.moc"
