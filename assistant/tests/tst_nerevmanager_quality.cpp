// The controller's quality flow: the order and pauses of a quality change,
// changes that wait their turn, the bit-rate keys of each mode, the custom
// quality, and the AV1 and NVIDIA rules (controllerworld.h).
#include "controllerworld.h"

#include <QSignalSpy>
#include <QtTest>

class TestNerevManagerQuality : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_world.setUp()); }
    void init() { m_world.beginTest(); }
    void cleanup() { m_world.endTest(); }

    void qualityChangeStopsWritesAndStartsLater();
    void twoQualityChangesEachRestart();
    void bitRateKeysFollowTheMode();
    void customQualityOfAKnownHeadset();
    void av1AndNvidia_data();
    void av1AndNvidia();

private:
    QJsonObject section(const QString &model) const { return m_world.settingsFile().value(model).toObject(); }

    ControllerWorld m_world;
};

void TestNerevManagerQuality::qualityChangeStopsWritesAndStartsLater()
{
    NerevManager *nerev = m_world.settledWireless();
    QVERIFY(nerev);
    QVERIFY(m_world.startSlowSteamVrServer(800));
    QVERIFY(m_world.writeSessionFile(90));
    QSignalSpy toasts(nerev, &NerevManager::showToast);
    QSignalSpy effects(nerev, &NerevManager::effectChange);

    Milestones steps;
    steps.watch("stop", [&] { return m_world.shutdownToolRan(); });
    steps.watch("SteamVR gone", [&] { return !m_world.anySteamVrProcess(); });
    steps.watch("saved", [&] { return section("KZ").value("codec").toString() == "H264"; });
    steps.watch("session", [&] { return m_world.sessionFps() == 72; });
    steps.watch("start", [&] { return m_world.steamVrLaunches() == 2; });
    int pollsBeforeGone = 0;
    QTimer counter;
    connect(&counter, &QTimer::timeout, [&] { pollsBeforeGone += steps.seen("SteamVR gone") ? 0 : 1; });
    counter.setTimerType(Qt::PreciseTimer);
    counter.start(10);

    nerev->setEffects(0, 0, 0, true, false, false, false);
    QCOMPARE(toasts.count(), 1);
    QCOMPARE(toasts.at(0).at(0).toString(), QString("steamVR重启设置中，请勿操作"));
    QCOMPARE(toasts.at(0).at(1).toInt(), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(steps.seen("start"), 15000);

    // Stop first; SteamVR gone; the pause; the settings and the session file;
    // SteamVR again after the restart delay.
    QVERIFY(steps.at("stop") <= steps.at("SteamVR gone"));
    QVERIFY(steps.at("SteamVR gone") <= steps.at("saved"));
    QVERIFY(steps.at("saved") <= steps.at("session"));
    QVERIFY(steps.at("session") <= steps.at("start"));
    if (Milestones::pausesMeasurable()) {
        QVERIFY2(steps.at("saved") - steps.at("SteamVR gone") >= m_world.timing.rewritePauseMs - 50,
                 qPrintable(QString::number(steps.at("saved") - steps.at("SteamVR gone"))));
        QVERIFY2(steps.at("start") - steps.at("session") >= m_world.timing.restartDelayMs - 50,
                 qPrintable(QString::number(steps.at("start") - steps.at("session"))));
    }
    // The event loop ran while SteamVR took its 800 ms to end: a GUI thread
    // that waited for it would poll once or twice (a loaded machine, as under
    // the sanitizers, polls far less often than every 10 ms).
    QVERIFY2(pollsBeforeGone >= 5, qPrintable(QString::number(pollsBeforeGone)));

    const QJsonObject kz = section("KZ");
    QCOMPARE(kz.value("definitionIndex").toInt(), 0);
    QCOMPARE(kz.value("fps").toString(), QString("72"));
    QCOMPARE(kz.value("audio").toBool(), true);
    QCOMPARE(kz.value("scale").toString(), QString("80"));
    QCOMPARE(kz.value("bitRate").toString(), QString("20"));
    QCOMPARE(kz.value("bitRate_wired").toString(), QString("50"));
    QCOMPARE(effects.count(), 0);
    // Read again, the properties show the new set.
    QCOMPARE(nerev->property("definitionIndex").toInt(), 0);
    QCOMPARE(nerev->property("fpsIndex").toInt(), 0);
    QCOMPARE(nerev->property("encodeType").toInt(), 0);
    QCOMPARE(nerev->property("audioStatus").toBool(), true);
    QCOMPARE(nerev->property("bitRate").toInt(), 20);
    QCOMPARE(nerev->property("videoRatio").toInt(), 80);
    QCOMPARE(nerev->property("widthIndex").toInt(), 2880);
    QCOMPARE(nerev->property("heightIndex").toInt(), 2656);
}

void TestNerevManagerQuality::twoQualityChangesEachRestart()
{
    NerevManager *nerev = m_world.settledWireless();
    QVERIFY(nerev);
    QSignalSpy toasts(nerev, &NerevManager::showToast);
    nerev->setEffects(2, 1, 1, false, false, false, false);
    nerev->setEffects(1, 0, 1, false, false, false, false);
    QCOMPARE(toasts.count(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(m_world.steamVrLaunches(), 3, 15000);
    QCOMPARE(section("KZ").value("definitionIndex").toInt(), 1);
    QCOMPARE(section("KZ").value("fps").toString(), QString("72"));
    QCOMPARE(m_world.steamLog().count(FakeSteamInstall::shutdownLine()), 1);
}

void TestNerevManagerQuality::bitRateKeysFollowTheMode()
{
    NerevManager *nerev = m_world.settledWireless();
    QVERIFY(nerev);
    nerev->setVideoBitRate(77);
    QCOMPARE(section("KZ").value("bitRate").toString(), QString("77"));
    QCOMPARE(section("KZ").value("bitRate_wired").toString(), QString("50"));
    QCOMPARE(nerev->bitRate(), 77);

    // A preset in wireless mode writes its bit rate into "bitRate" only.
    nerev->setEffects(2, 1, 1, false, false, false, false);
    QTRY_COMPARE_WITH_TIMEOUT(section("KZ").value("bitRate").toString(), QString("100"), 10000);
    QCOMPARE(section("KZ").value("bitRate_wired").toString(), QString("50"));

    QVERIFY(m_world.settle());
    QVERIFY(nerev->setProperty("wired", true));
    QTRY_VERIFY_WITH_TIMEOUT(nerev->wired(), 10000);
    // The switch applied the preset again, now for the wired key.
    QCOMPARE(section("KZ").value("bitRate_wired").toString(), QString("100"));
    QCOMPARE(nerev->bitRate(), 100);
    nerev->setVideoBitRate(33);
    QTRY_COMPARE(section("KZ").value("bitRate_wired").toString(), QString("33"));
    QCOMPARE(section("KZ").value("bitRate").toString(), QString("100"));
    QCOMPARE(nerev->bitRate(), 33);
}

void TestNerevManagerQuality::customQualityOfAKnownHeadset()
{
    QVERIFY(m_world.storeMode(2));
    QVERIFY(m_world.startSteamClient());
    QVERIFY(m_world.startStreamer({ "--device-id", "KY0001", "--headset", "KY0001;192.168.0.9;false",
                                    "--link-delay-ms", "100" }));
    NerevManager *nerev = m_world.makeController();
    QSignalSpy effects(nerev, &NerevManager::effectChange);
    QSignalSpy av1(nerev, &NerevManager::av1AvailableChanged);
    // The first refresh links the headset; its model's section applies from then on.
    QTRY_VERIFY(nerev->vrIsConnect());
    QCOMPARE(av1.count(), 1);
    QCOMPARE(effects.count(), 1);
    QVERIFY(nerev->isKY());
    QCOMPARE(nerev->widthIndex(), 1600);
    QVERIFY(m_world.settle());

    nerev->setVideoQuilty(85, 120);
    nerev->setEffects(3, 1, 1, false, false, false, false);
    QTRY_COMPARE_WITH_TIMEOUT(section("KY").value("customize").toBool(), true, 10000);
    QCOMPARE(nerev->videoRatio(), 85);
    QCOMPARE(nerev->bitRate(), 120);
    QCOMPARE(nerev->definitionIndex(), 3);
    QCOMPARE(section("KZ").value("scale").toString(), QString("100"));
}

void TestNerevManagerQuality::av1AndNvidia_data()
{
    QTest::addColumn<QString>("gpu");
    QTest::addColumn<quint32>("vendor");
    QTest::addColumn<QString>("headset");
    QTest::addColumn<bool>("av1");
    QTest::addColumn<bool>("nvidia");
    QTest::newRow("RTX 4090, KZ") << "NVIDIA GeForce RTX 4090" << 0x10DEu << "KZ0001" << true << true;
    QTest::newRow("RTX 4090, KY") << "NVIDIA GeForce RTX 4090" << 0x10DEu << "KY0001" << false << true;
    QTest::newRow("RTX 3080, KZ") << "NVIDIA GeForce RTX 3080" << 0x10DEu << "KZ0001" << false << true;
    QTest::newRow("RTX 3060") << "NVIDIA GeForce RTX 3060" << 0x10DEu << "KZ0001" << false << true;
    QTest::newRow("nvidia in small letters") << "Acme nvidia-based card" << 0x1234u << "KZ0001" << false << true;
    QTest::newRow("AMD") << "AMD Radeon RX 7900 XTX" << 0x1002u << "KZ0001" << false << false;
}

void TestNerevManagerQuality::av1AndNvidia()
{
    QFETCH(QString, gpu);
    QFETCH(quint32, vendor);
    QFETCH(QString, headset);
    QFETCH(bool, av1);
    QFETCH(bool, nvidia);
    m_world.system->setAdapters({ { gpu, vendor, 1, 0 } });
    QVERIFY(m_world.writeCompareTable({ { "graphics", QJsonObject { { "high", QJsonArray { "RTX 4090", "RTX 3080" } } } } }));
    QVERIFY(m_world.storeMode(2, headset));
    QVERIFY(m_world.startSteamClient());
    NerevManager *nerev = m_world.makeController();
    QCOMPARE(nerev->property("AV1available").toBool(), av1);
    QCOMPARE(nerev->property("nvidiaAvailable").toBool(), nvidia);
}

QTEST_GUILESS_MAIN(TestNerevManagerQuality)
#include "tst_nerevmanager_quality.moc"
