// The controller's mode choice: first choices, the refusal within the block,
// a later switch with its SteamVR restart and adb's end, the same mode again,
// stopSteam, and sequences that wait their turn. Real simulators throughout
// (controllerworld.h).
#include "childwait.h"
#include "controllerworld.h"

#include <QSignalSpy>
#include <QtTest>

class TestNerevManagerModes : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_world.setUp()); }
    void init() { m_world.beginTest(); }
    void cleanup() { m_world.endTest(); }

    void firstWiredChoice();
    void firstWirelessChoiceWaitsForSteam();
    void switchRestartsSteamVrAndEndsAdb();
    void sameModeAgainOnlyStoresIt();
    void stopSteamThenSwitch();
    void qualityChangeAndSwitchTakeTurns();
    void exitWhileARestartRuns();

private:
    static QStringList toastTexts(const QSignalSpy &spy)
    {
        QStringList texts;
        for (const QList<QVariant> &toast : spy)
            texts << toast.at(0).toString();
        return texts;
    }

    ControllerWorld m_world;
};

void TestNerevManagerModes::firstWiredChoice()
{
    QVERIFY(m_world.startSteamClient());
    QVERIFY(m_world.writeSessionFile(72));
    QVERIFY(m_world.answerAdb("devices", "List of devices attached\r\nKY5566\tdevice\r\n\r\n"));
    QVERIFY(m_world.startStreamer());
    NerevManager *nerev = m_world.makeController();
    QSignalSpy wiredChange(nerev, &NerevManager::wiredChange);
    QSignalSpy toasts(nerev, &NerevManager::showToast);
    QSignalSpy enumerated(nerev, &NerevManager::hasEnumdevicesChange);

    QVERIFY(nerev->setProperty("wired", true));
    QCOMPARE(wiredChange.count(), 1);
    QVERIFY(nerev->wired());
    QCOMPARE(m_world.settingsFile().value("wiredOrWireless").toInt(), 1);
    QCOMPARE(m_world.sessionFps(), 90);

    // A second choice within the block is refused and changes nothing.
    QVERIFY(nerev->setProperty("wired", false));
    QCOMPARE(toastTexts(toasts), QStringList { "切换模式中，请稍后再试" });
    QCOMPARE(toasts.at(0).at(1).toInt(), 2000);
    QVERIFY(nerev->wired());
    QCOMPARE(m_world.settingsFile().value("wiredOrWireless").toInt(), 1);

    // SteamVR starts; adb is asked for the headset, which then counts as connected
    // once the streamer answers "WiredConnect" and SteamVR runs.
    QTRY_COMPARE_WITH_TIMEOUT(m_world.steamVrLaunches(), 1, kChildProcessWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(enumerated.count() >= 1, kChildProcessWaitMs);
    QVERIFY(nerev->hasEnumdevices());
    QVERIFY(nerev->isKY());
    QTRY_VERIFY_WITH_TIMEOUT(m_world.streamerReceivedCount("WiredConnect") >= 1, kChildProcessWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(nerev->vrIsConnect(), kChildProcessWaitMs);
    QCOMPARE(nerev->vrName(), QString("Marelle眼镜"));
    QVERIFY(m_world.adbCalls().contains("devices"));
    QCOMPARE(nerev->steamState(), NerevManager::Pass);

    // Switched to wireless with no wireless headset about, the headset card
    // no longer shows the cable's headset as connected.
    QTRY_VERIFY_WITH_TIMEOUT(!nerev->sequenceRunning(), 15000);
    QTest::qWait(m_world.timing.switchBlockMs + 250);
    QVERIFY(nerev->setProperty("wired", false));
    QTRY_VERIFY_WITH_TIMEOUT(!nerev->wired(), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(!nerev->vrIsConnect(), 10000);
}

void TestNerevManagerModes::firstWirelessChoiceWaitsForSteam()
{
    NerevManager *nerev = m_world.makeController();
    QSignalSpy wiredChange(nerev, &NerevManager::wiredChange);
    QSignalSpy toasts(nerev, &NerevManager::showToast);
    // Counts event-loop turns while the wait for Steam runs.
    int turnsWhileWaiting = 0;
    QTimer turns;
    connect(&turns, &QTimer::timeout, [&] { turnsWhileWaiting += nerev->sequenceRunning() ? 1 : 0; });
    turns.start(20);

    QVERIFY(nerev->setProperty("wired", false));
    QCOMPARE(wiredChange.count(), 0);
    QCOMPARE(m_world.settingsFile().value("wiredOrWireless").toInt(), 2);
    QTRY_VERIFY_WITH_TIMEOUT(toastTexts(toasts).contains("steam启动中，请勿操作"), 5000);
    QCOMPARE(toasts.at(toastTexts(toasts).indexOf("steam启动中，请勿操作")).at(1).toInt(), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(m_world.steamLaunches(), 1, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(m_world.steamVrLaunches(), 1, 15000);
    QVERIFY2(turnsWhileWaiting > 10, qPrintable(QString::number(turnsWhileWaiting)));
    QTRY_VERIFY_WITH_TIMEOUT(nerev->haslaunchSteam(), kChildProcessWaitMs);
    // Wireless: adb was never asked anything beyond its probe at creation.
    QCOMPARE(m_world.adbCalls(), QStringList { "--version" });
}

void TestNerevManagerModes::switchRestartsSteamVrAndEndsAdb()
{
    QVERIFY(m_world.storeMode(1));
    QVERIFY(m_world.startSteamClient());
    QVERIFY(m_world.startStreamer({ "--headset", "Alpha;192.168.0.7;false", "--report-ms", "0" }));
    NerevManager *nerev = m_world.makeController();
    QVERIFY(nerev->wired());
    QTRY_VERIFY_WITH_TIMEOUT(m_world.steamVrRunning(), kChildProcessWaitMs);
    QVERIFY(m_world.startAdbServer());
    QTRY_VERIFY_WITH_TIMEOUT(m_world.adbServerRunning(), kChildProcessWaitMs);
    QVERIFY(m_world.modeBlockOver(nerev));
    // SteamVR some time up, as a user would find it.
    QTest::qWait(m_world.timing.switchBlockMs + 250);
    QVERIFY(m_world.settle());
    QVERIFY(m_world.writeSessionFile(72)); // as the streamer leaves it
    QSignalSpy wiredChange(nerev, &NerevManager::wiredChange);
    QSignalSpy toasts(nerev, &NerevManager::showToast);

    Milestones steps;
    steps.watch("stop", [&] { return m_world.shutdownToolRan(); });
    steps.watch("SteamVR gone", [&] { return !m_world.steamVrRunning(); });
    steps.watch("rewrite", [&] { return m_world.sessionFps() == 90; });
    steps.watch("start", [&] { return m_world.steamVrLaunches() == 2; });
    nerev->setProperty("wired", false);
    QCOMPARE(toastTexts(toasts), QStringList { "正在重启，请稍候" });
    QCOMPARE(toasts.at(0).at(1).toInt(), 13000);
    QVERIFY2(nerev->wired(), "the mode changes once SteamVR is down and the file rewritten");

    QTRY_VERIFY_WITH_TIMEOUT(steps.seen("start"), 15000);
    QVERIFY(steps.at("stop") <= steps.at("SteamVR gone"));
    QVERIFY(steps.at("SteamVR gone") <= steps.at("rewrite") && steps.at("rewrite") <= steps.at("start"));
    if (Milestones::pausesMeasurable()) {
        QVERIFY2(steps.at("rewrite") - steps.at("SteamVR gone") >= m_world.timing.rewritePauseMs - 50,
                 qPrintable(QString::number(steps.at("rewrite") - steps.at("SteamVR gone"))));
        QVERIFY2(steps.at("start") - steps.at("rewrite") >= m_world.timing.restartDelayMs - 50,
                 qPrintable(QString::number(steps.at("start") - steps.at("rewrite"))));
    }
    QCOMPARE(wiredChange.count(), 1);
    QVERIFY(!nerev->wired());
    QCOMPARE(m_world.settingsFile().value("wiredOrWireless").toInt(), 2);
    QTRY_VERIFY_WITH_TIMEOUT(!m_world.adbServerRunning(), kChildProcessWaitMs);
    // The automatic first connection is armed again.
    QTRY_VERIFY_WITH_TIMEOUT(m_world.streamerReceived().contains("LinkTo Alpha 192.168.0.7 "), kChildProcessWaitMs);
}

void TestNerevManagerModes::sameModeAgainOnlyStoresIt()
{
    QVERIFY(m_world.storeMode(2));
    QVERIFY(m_world.startSteamClient());
    NerevManager *nerev = m_world.makeController();
    QTRY_COMPARE_WITH_TIMEOUT(m_world.steamVrLaunches(), 1, kChildProcessWaitMs);
    // The stored mode's application ends the start-up sequence and only then
    // starts its block; on a busy machine that can be well after the launch.
    QVERIFY(m_world.modeBlockOver(nerev));
    QSignalSpy toasts(nerev, &NerevManager::showToast);
    QSignalSpy wiredChange(nerev, &NerevManager::wiredChange);
    QVERIFY(nerev->setProperty("wired", false));
    QVERIFY(nerev->setProperty("wired", true)); // within the block again
    QCOMPARE(toastTexts(toasts), QStringList { "切换模式中，请稍后再试" });
    QCOMPARE(wiredChange.count(), 0);
    QTest::qWait(m_world.timing.restartDelayMs + 500);
    QVERIFY(!m_world.shutdownToolRan());
    QCOMPARE(m_world.steamVrLaunches(), 1);
    QCOMPARE(m_world.settingsFile().value("wiredOrWireless").toInt(), 2);
}

void TestNerevManagerModes::stopSteamThenSwitch()
{
    QVERIFY(m_world.storeMode(2));
    QVERIFY(m_world.startSteamClient());
    QVERIFY(m_world.startStreamer());
    NerevManager *nerev = m_world.makeController();
    QTRY_VERIFY_WITH_TIMEOUT(m_world.steamVrRunning(), kChildProcessWaitMs);
    QSignalSpy ticks(nerev, &NerevManager::handleEvent);
    QTRY_VERIFY_WITH_TIMEOUT(ticks.count() >= 1, kChildProcessWaitMs);

    nerev->stopSteam();
    QTRY_VERIFY_WITH_TIMEOUT(!m_world.steamVrRunning(), kChildProcessWaitMs);
    QVERIFY(m_world.settle());
    const int ticksAfterStop = ticks.count();
    QTest::qWait(3 * m_world.timing.tickMs);
    QCOMPARE(ticks.count(), ticksAfterStop);

    m_world.allowSteamVrAgain();
    QTest::qWait(m_world.timing.switchBlockMs);
    QSignalSpy toasts(nerev, &NerevManager::showToast);
    QVERIFY(nerev->setProperty("wired", true));
    QCOMPARE(toastTexts(toasts), QStringList { "正在重启，请稍候" });
    QTRY_VERIFY_WITH_TIMEOUT(nerev->wired(), kChildProcessWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(m_world.steamVrLaunches(), 2, 10000);
    QTest::qWait(3 * m_world.timing.tickMs);
    QCOMPARE(ticks.count(), ticksAfterStop);
    QCOMPARE(m_world.streamerReceivedCount("WiredConnect"), 0);
}

// A mode switch asked for while a quality change restarts SteamVR waits until
// that change has written its files; the two never interleave.
void TestNerevManagerModes::qualityChangeAndSwitchTakeTurns()
{
    NerevManager *nerev = m_world.settledWireless();
    QVERIFY(nerev);
    QVERIFY(m_world.startSlowSteamVrServer(1200));
    QSignalSpy toasts(nerev, &NerevManager::showToast);

    Milestones steps;
    steps.watch("quality written", [&] {
        return m_world.settingsFile().value("KZ").toObject().value("definitionIndex").toInt(-1) == 0;
    });
    steps.watch("switch begins", [&] { return toastTexts(toasts).contains("正在重启，请稍候"); });
    steps.watch("mode written", [&] { return m_world.settingsFile().value("wiredOrWireless").toInt() == 1; });
    nerev->setEffects(0, 1, 1, false, false, false, false);
    QVERIFY(nerev->setProperty("wired", true));
    QCOMPARE(toastTexts(toasts), QStringList { "steamVR重启设置中，请勿操作" });
    QTRY_VERIFY_WITH_TIMEOUT(steps.seen("mode written"), 15000);
    QVERIFY(steps.seen("quality written"));
    QVERIFY(steps.at("quality written") <= steps.at("switch begins"));
    QVERIFY(steps.at("switch begins") <= steps.at("mode written"));
    QVERIFY(nerev->wired());
    QCOMPARE(m_world.steamLog().count(FakeSteamInstall::shutdownLine()), 1);
    // Each restart starts SteamVR once more.
    QTRY_COMPARE_WITH_TIMEOUT(m_world.steamVrLaunches(), 3, 10000);
}

// The program ends while a quality change waits for SteamVR's end: the exit
// waits for that stop, drops the rest of the change and what was queued, and
// still writes its files.
void TestNerevManagerModes::exitWhileARestartRuns()
{
    NerevManager *nerev = m_world.settledWireless();
    QVERIFY(nerev);
    QVERIFY(m_world.startSlowSteamVrServer(1000));
    nerev->setEffects(0, 0, 0, false, false, false, false);
    nerev->connectVR("KY0009", "192.168.0.9"); // queued behind the change
    QTRY_VERIFY_WITH_TIMEOUT(m_world.shutdownToolRan(), kChildProcessWaitMs);
    m_world.controller.reset();

    QVERIFY(!m_world.anySteamVrProcess());
    QCOMPARE(m_world.settingsFile().value("KZ").toObject().value("definitionIndex").toInt(), 1);
    QCOMPARE(m_world.settingsFile().value("lastSn").toString(), QString("KZ"));
    QCOMPARE(m_world.settingsFile().value("wiredOrWireless").toInt(), 2);
    QTest::qWait(m_world.timing.restartDelayMs + 500);
    QCOMPARE(m_world.steamVrLaunches(), 1);
}

QTEST_GUILESS_MAIN(TestNerevManagerModes)
#include "tst_nerevmanager_modes.moc"
