// The controller's periodic refresh with the streamer (tools/streamer-sim)
// reporting headsets: automatic first connection, several headsets, the
// user's connect and disconnect, reconnection, and the power, network and
// Steam state checks of every refresh (controllerworld.h).
#include "childwait.h"
#include "controllerworld.h"
#include "vrlistmodel.h"

#include <QSignalSpy>
#include <QtTest>

class TestNerevManagerWireless : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_world.setUp()); }
    void init() { m_world.beginTest(); }
    void cleanup() { m_world.endTest(); }

    void theOnlyHeadsetIsConnectedAutomatically();
    void aHeadsetConnectedAlreadyIsAdoptedOnTheNextRefresh();
    void severalHeadsetsAreLeftToTheUser();
    void connectingBetaWhileAlphaIsConnected();
    void aUserDisconnectIsRespected();
    void aDroppedHeadsetIsLinkedAgain();
    void powerTipOnceAndItsCloseOnce();
    void publicNetworkProfileOnce();
    void nothingIsRefreshedWhileSteamAndSteamVrAreDown();
    void adbTroubleIsToldInWiredMode();

private:
    NerevManager *startWireless(const QStringList &streamerArgs)
    {
        if (!m_world.storeMode(2) || !m_world.startSteamClient())
            return nullptr;
        if (!m_world.startStreamer(streamerArgs))
            return nullptr;
        return m_world.makeController();
    }

    static VRListModel *model(NerevManager *nerev) { return nerev->property("vrLists").value<VRListModel *>(); }

    static QVariant cell(VRListModel *list, int row, const QByteArray &role)
    {
        return list->data(list->index(row, 0), list->roleNames().key(role));
    }

    int links(const QString &name, const QString &ip) const
    {
        return m_world.streamerReceivedCount("LinkTo " + name + " " + ip + " ");
    }

    // Lets `count` more periodic refreshes happen.
    void refreshes(NerevManager *nerev, int count)
    {
        QSignalSpy ticks(nerev, &NerevManager::handleEvent);
        QTRY_VERIFY_WITH_TIMEOUT(ticks.count() >= count, 10000);
    }

    ControllerWorld m_world;
};

void TestNerevManagerWireless::theOnlyHeadsetIsConnectedAutomatically()
{
    NerevManager *nerev = startWireless({ "--headset", "KZ12ABCDEFGH;192.168.0.7;false", "--link-delay-ms", "300" });
    QVERIFY(nerev);
    QCOMPARE(nerev->vrName(), QString("Marelle眼镜"));
    QSignalSpy lists(nerev, &NerevManager::showVrList);
    QTRY_COMPARE_WITH_TIMEOUT(links("KZ12ABCDEFGH", "192.168.0.7"), 1, kChildProcessWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(nerev->vrIsConnect(), kChildProcessWaitMs);
    QCOMPARE(nerev->vrName(), QString("眼镜ID：CDEFGH"));
    QVERIFY(nerev->hasEnumdevices());
    refreshes(nerev, 3);
    QCOMPARE(links("KZ12ABCDEFGH", "192.168.0.7"), 1);
    QCOMPARE(lists.last().at(0).toBool(), true);
    QCOMPARE(lists.last().at(1).toBool(), false);

    VRListModel *list = model(nerev);
    QVERIFY(list);
    QCOMPARE(list->rowCount(), 1);
    QCOMPARE(cell(list, 0, "vrState").toBool(), true);
    QCOMPARE(cell(list, 0, "isRecent").toBool(), true);
    QVERIFY(nerev->isHasConnectedDevice());
}

void TestNerevManagerWireless::aHeadsetConnectedAlreadyIsAdoptedOnTheNextRefresh()
{
    NerevManager *nerev = startWireless({ "--headset", "Alpha;192.168.0.7;true" });
    QVERIFY(nerev);
    QTRY_VERIFY_WITH_TIMEOUT(nerev->vrIsConnect(), kChildProcessWaitMs);
    QCOMPARE(nerev->vrName(), QString("眼镜ID：Alpha"));
    QCOMPARE(m_world.streamerReceived().filter("LinkTo").size(), 0);
}

void TestNerevManagerWireless::severalHeadsetsAreLeftToTheUser()
{
    QFile recent(m_world.userDir() + "/setting.inf");
    QVERIFY(recent.open(QIODevice::WriteOnly));
    recent.write("Alpha");
    recent.close();
    NerevManager *nerev = startWireless({ "--headset", "Alpha;192.168.0.7;false", "--headset", "Beta;192.168.0.8;false" });
    QVERIFY(nerev);
    QSignalSpy more(nerev, &NerevManager::showMoreHMD);
    QTRY_COMPARE_WITH_TIMEOUT(more.count(), 1, kChildProcessWaitMs);
    refreshes(nerev, 3);
    QCOMPARE(more.count(), 1);
    QCOMPARE(m_world.streamerReceived().filter("LinkTo").size(), 0);
    QVERIFY(!nerev->vrIsConnect());

    VRListModel *list = model(nerev);
    QCOMPARE(list->rowCount(), 2);
    QCOMPARE(cell(list, 0, "vrName").toString(), QString("Beta"));
    QCOMPARE(cell(list, 0, "isRecent").toBool(), false);
    QCOMPARE(cell(list, 1, "vrName").toString(), QString("Alpha"));
    QCOMPARE(cell(list, 1, "isRecent").toBool(), true);

    nerev->connectVR("Beta", "192.168.0.8");
    QTRY_COMPARE_WITH_TIMEOUT(links("Beta", "192.168.0.8"), 1, kChildProcessWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(nerev->vrIsConnect(), kChildProcessWaitMs);
    QCOMPARE(nerev->vrName(), QString("眼镜ID：Beta"));
}

void TestNerevManagerWireless::connectingBetaWhileAlphaIsConnected()
{
    NerevManager *nerev = startWireless({ "--headset", "Alpha;192.168.0.7;false", "--link-delay-ms", "100" });
    QVERIFY(nerev);
    QTRY_VERIFY_WITH_TIMEOUT(nerev->vrIsConnect(), kChildProcessWaitMs);

    nerev->connectVR("Beta", "192.168.0.8");
    QTRY_COMPARE_WITH_TIMEOUT(links("Beta", "192.168.0.8"), 1, kChildProcessWaitMs);
    const QStringList received = m_world.streamerReceived();
    const int disconnect = received.indexOf("Disconnect Alpha 192.168.0.7 ");
    QVERIFY(disconnect >= 0);
    QCOMPARE(received.at(disconnect + 1), QString("LinkTo Beta 192.168.0.8 "));
    QTRY_COMPARE_WITH_TIMEOUT(nerev->vrName(), QString("眼镜ID：Beta"), kChildProcessWaitMs);

    m_world.controller.reset(); // the exit writes the recent list
    QFile written(m_world.userDir() + "/setting.inf");
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), QByteArray("Beta;Alpha"));
}

void TestNerevManagerWireless::aUserDisconnectIsRespected()
{
    NerevManager *nerev = startWireless({ "--headset", "Alpha;192.168.0.7;false", "--link-delay-ms", "100" });
    QVERIFY(nerev);
    QTRY_VERIFY_WITH_TIMEOUT(nerev->vrIsConnect(), kChildProcessWaitMs);
    QSignalSpy lists(nerev, &NerevManager::showVrList);

    nerev->connectVR("", "", false);
    QTRY_COMPARE_WITH_TIMEOUT(m_world.streamerReceivedCount("Disconnect Alpha 192.168.0.7 "), 1, kChildProcessWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(!nerev->vrIsConnect(), kChildProcessWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(!lists.isEmpty(), kChildProcessWaitMs);
    QCOMPARE(lists.last().at(1).toBool(), true);

    // The streamer reports the headset connected again on its own: not adopted.
    QVERIFY(m_world.startStreamer({ "--headset", "Alpha;192.168.0.7;true" }));
    refreshes(nerev, 4);
    QVERIFY(!nerev->vrIsConnect());
    QCOMPARE(lists.last().at(0).toBool(), false);
    QCOMPARE(m_world.streamerReceived().filter("LinkTo").size(), 0);
}

void TestNerevManagerWireless::aDroppedHeadsetIsLinkedAgain()
{
    NerevManager *nerev = startWireless({ "--headset", "Alpha;192.168.0.7;false", "--link-delay-ms", "100" });
    QVERIFY(nerev);
    QTRY_VERIFY_WITH_TIMEOUT(nerev->vrIsConnect(), kChildProcessWaitMs);

    // A new streamer that sees the headset but never gets it linked.
    QVERIFY(m_world.startStreamer({ "--headset", "Alpha;192.168.0.7;false", "--link-delay-ms", "600000" }));
    QTRY_VERIFY_WITH_TIMEOUT(!nerev->vrIsConnect(), kChildProcessWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(links("Alpha", "192.168.0.7") >= 2, 10000);
}

void TestNerevManagerWireless::powerTipOnceAndItsCloseOnce()
{
    m_world.setMainsPower(false);
    NerevManager *nerev = startWireless({});
    QVERIFY(nerev);
    QSignalSpy shown(nerev, &NerevManager::showPowerTip);
    QSignalSpy closed(nerev, &NerevManager::closePowerTip);
    refreshes(nerev, 3);
    QCOMPARE(shown.count(), 1);
    QCOMPARE(closed.count(), 0);
    m_world.setMainsPower(true);
    refreshes(nerev, 3);
    QCOMPARE(shown.count(), 1);
    QCOMPARE(closed.count(), 1);
}

void TestNerevManagerWireless::publicNetworkProfileOnce()
{
    m_world.system->applyNetworkCategoryOutput("NetworkCategory : Public\r\n");
    NerevManager *nerev = startWireless({});
    QVERIFY(nerev);
    QSignalSpy profile(nerev, &NerevManager::showNetWorkSetting);
    refreshes(nerev, 4);
    QCOMPARE(profile.count(), 1);
}

void TestNerevManagerWireless::nothingIsRefreshedWhileSteamAndSteamVrAreDown()
{
    m_world.hideSteamLauncher();
    m_world.setStereoAudio(false);
    QVERIFY(m_world.storeMode(2));
    QVERIFY(m_world.startStreamer({ "--headset", "Alpha;192.168.0.7;false" }));
    NerevManager *nerev = m_world.makeController();
    // SteamVR counts as gone from its second missed check on.
    refreshes(nerev, 2);
    QVERIFY(!nerev->haslaunchSteam());
    QVERIFY(!nerev->haslaunchSteamVR());
    QSignalSpy toasts(nerev, &NerevManager::showToast);
    QSignalSpy lists(nerev, &NerevManager::showVrList);
    QSignalSpy more(nerev, &NerevManager::showMoreHMD);
    const int links = m_world.streamerReceived().filter("LinkTo").size();
    refreshes(nerev, 4);
    QCOMPARE(toasts.count(), 0);
    QCOMPARE(lists.count(), 0);
    QCOMPARE(more.count(), 0);
    QCOMPARE(m_world.streamerReceived().filter("LinkTo").size(), links);

    // Audio in many channels is told on every refresh once Steam runs.
    QVERIFY(m_world.startSteamClient());
    QTRY_VERIFY_WITH_TIMEOUT(toasts.count() >= 2, kChildProcessWaitMs);
    QCOMPARE(toasts.at(0).at(0).toString(),
             QString("当前无音频设备或音频设备是多声道，请切换成双声道模式或者切换双声道音频设备"));
}

void TestNerevManagerWireless::adbTroubleIsToldInWiredMode()
{
    QVERIFY(m_world.answerAdb("devices", "List of devices attached\r\nKY1\toffline\r\n\r\n"));
    QVERIFY(m_world.storeMode(1));
    QVERIFY(m_world.startSteamClient());
    NerevManager *nerev = m_world.makeController();
    QSignalSpy toasts(nerev, &NerevManager::showToast);
    QTRY_VERIFY_WITH_TIMEOUT(!toasts.isEmpty(), 10000);
    QCOMPARE(toasts.at(0).at(0).toString(), QString("设备连接失败，请插拔眼镜再试"));
    QCOMPARE(toasts.at(0).at(1).toInt(), 2000);
}

QTEST_GUILESS_MAIN(TestNerevManagerWireless)
#include "tst_nerevmanager_wireless.moc"
