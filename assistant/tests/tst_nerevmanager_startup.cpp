// The controller's construction and destruction, its surface (meta-object
// order, system information, hardware verdict, analytics) and the small
// operations of the pages, against the real simulators (controllerworld.h).
#include "childwait.h"
#include "controllerworld.h"

#include <QDesktopServices>
#include <QMetaMethod>
#include <QSignalSpy>
#include <QtTest>

class TestNerevManagerStartup : public QObject
{
    Q_OBJECT

public slots:
    // Handler of the URL schemes the controller opens.
    void openUrl(const QUrl &url) { m_opened << url; }

private slots:
    void initTestCase() { QVERIFY(m_world.setUp()); }
    void init() { m_world.beginTest(); }
    void cleanup() { m_world.endTest(); }

    void surfaceKeepsItsOrder();
    void storedModeIsAppliedDuringConstruction();
    void storedWiredModeStartsAdbPolling();
    void withoutStoredModeNothingRuns();
    void systemInfoDocuments();
    void pcHardwareIsJudgedOnceAndReportedPerVerdict();
    void steamVrSessionIsReported();
    void streamModeEvents();
    void closeAppSendsTheQueue();
    void portUsersOfOtherProgramsAreShown();
    void feedbackWithoutHeadsetIdCarriesTheContact();
    void webPages();
    void launchingSteamAndSteamVr();
    void exitSequenceWritesTheFiles();

private:
    static QStringList methodNames(QMetaMethod::MethodType type, int access = -1);

    ControllerWorld m_world;
    QList<QUrl> m_opened;
};

QStringList TestNerevManagerStartup::methodNames(QMetaMethod::MethodType type, int access)
{
    QStringList names;
    const QMetaObject &meta = NerevManager::staticMetaObject;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        const QMetaMethod method = meta.method(i);
        if (method.methodType() == type && (access < 0 || method.access() == access))
            names << QString::fromLatin1(method.methodSignature());
    }
    return names;
}

// QML and the pages connect by these signatures and rely on their order.
void TestNerevManagerStartup::surfaceKeepsItsOrder()
{
    QCOMPARE(methodNames(QMetaMethod::Signal),
             (QStringList { "systemInfoChange()", "pcHardwareChange()", "steamStateChange()", "vrListsChange()",
                            "vrIsConnectChange()", "handleEvent()", "av1AvailableChanged()",
                            "showToast(QString,int)", "showToast(QString)", "showPowerTip()", "closePowerTip()",
                            "effectChange()", "closeExe()", "showMoreHMD()", "showVrList(bool,bool)",
                            "hasEnumdevicesChange()", "showNetWorkSetting()", "showUpdateGPUPage()",
                            "showUseProtPage(QString)", "haslaunchSteamVRChange()", "haslaunchSteamChange()",
                            "wiredChange()" }));
    QCOMPARE(methodNames(QMetaMethod::Method),
             (QStringList { "gotoWeb(Urls)", "sendFeecback(QString,QString)",
                            "setEffects(int,int,int,bool,bool,bool,bool)", "launchSteam(bool)", "launchSteam()",
                            "connectVR(QString,QString,bool)", "connectVR(QString,QString)", "setupNewVersion()",
                            "stopSteam()", "isHasConnectedDevice()", "reportstreamMode(bool,bool)",
                            "openNetworkSetting()", "installAudio()", "trimmedString(QString)", "closeApp()",
                            "shutdownADB()", "checkPortUsage()", "isKY()", "setVideoQuilty(int,int)",
                            "setVideoBitRate(int)", "isHideSelectPage()" }));
    const QMetaObject &meta = NerevManager::staticMetaObject;
    const QMetaProperty wired = meta.property(meta.indexOfProperty("wired"));
    QVERIFY(wired.isWritable());
    QCOMPARE(wired.notifySignal().name(), QByteArray("wiredChange"));
    QVERIFY(!meta.property(meta.indexOfProperty("vrIsConnect")).isWritable());
    QCOMPARE(meta.property(meta.indexOfProperty("AV1available")).notifySignal().name(),
             QByteArray("av1AvailableChanged"));
    QCOMPARE(meta.enumerator(meta.indexOfEnumerator("SteamState")).valueToKey(3), "SteamVRForbid");
    QCOMPARE(meta.enumerator(meta.indexOfEnumerator("HardwareState")).valueToKey(2), "AdviceHardware");
}

void TestNerevManagerStartup::storedModeIsAppliedDuringConstruction()
{
    QVERIFY(m_world.storeMode(2));
    QVERIFY(m_world.writeSessionFile(72));
    QVERIFY(m_world.startSteamClient());
    QVERIFY(m_world.startSteamVr()); // left running by an earlier session

    NerevManager *nerev = m_world.makeController();
    QVERIFY(nerev->isHideSelectPage());
    QCOMPARE(nerev->wired(), false);
    // SteamVR of the earlier session was stopped first, then the session file
    // written with the stored quality (90 Hz by default), then SteamVR started.
    // (Read from Steam's log: the new SteamVR start removes the shutdown flag.)
    QVERIFY(m_world.steamLog().contains(FakeSteamInstall::shutdownLine()));
    QCOMPARE(m_world.sessionFps(), 90);
    QCOMPARE(m_world.sessionFile().value("openvr_config").toObject().value("refresh_rate").toInt(), 90);
    QTRY_COMPARE_WITH_TIMEOUT(m_world.steamVrLaunches(), 1, kChildProcessWaitMs);
    const QStringList log = m_world.steamLog();
    QVERIFY(log.indexOf(FakeSteamInstall::shutdownLine()) >= 0);
    QVERIFY(log.indexOf(FakeSteamInstall::shutdownLine()) < log.indexOf(FakeSteamInstall::urlLine("steam://rungameid/250820")));
    QCOMPARE(m_world.settingsFile().value("wiredOrWireless").toInt(), 2);

    // The periodic refresh runs and asks the streamer for its headsets.
    QVERIFY(m_world.startStreamer());
    QSignalSpy ticks(nerev, &NerevManager::handleEvent);
    QTRY_VERIFY_WITH_TIMEOUT(ticks.count() >= 2, kChildProcessWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(m_world.streamerReceivedCount("HMDInfoRequest") >= 1, kChildProcessWaitMs);
    QCOMPARE(m_world.streamerReceivedCount("WiredConnect"), 0);
    QVERIFY(nerev->systemInfo() != "[]");
    // The page view, then the hardware verdict's, once the mode that names it is applied.
    QStringList ids;
    QTRY_COMPARE(ids += m_world.eventIds(),
                 (QStringList { "streamingAssistant_streaming_streamingType_0_0_page_view",
                                "streamingAssistant_streaming_wirelessStreaming_0_0_page_view" }));
}

void TestNerevManagerStartup::storedWiredModeStartsAdbPolling()
{
    QVERIFY(m_world.storeMode(1));
    QVERIFY(m_world.startSteamClient());
    NerevManager *nerev = m_world.makeController();
    QCOMPARE(nerev->wired(), true);
    QVERIFY(nerev->isHideSelectPage());
    QTRY_VERIFY_WITH_TIMEOUT(m_world.adbCalls().contains("devices"), kChildProcessWaitMs);
    QVERIFY(m_world.startStreamer());
    QTRY_VERIFY_WITH_TIMEOUT(m_world.streamerReceivedCount("WiredConnect") >= 1, kChildProcessWaitMs);
}

void TestNerevManagerStartup::withoutStoredModeNothingRuns()
{
    QVERIFY(m_world.startSteamClient());
    QVERIFY(m_world.startStreamer({ "--headset", "Alpha;192.168.0.7;false" }));
    NerevManager *nerev = m_world.makeController();
    QSignalSpy ticks(nerev, &NerevManager::handleEvent);
    QTest::qWait(3 * m_world.timing.tickMs);
    QVERIFY(!nerev->isHideSelectPage());
    QCOMPARE(ticks.count(), 0);
    QCOMPARE(m_world.streamerReceived(), QStringList());
    QCOMPARE(m_world.steamVrLaunches(), 0);
    QCOMPARE(nerev->systemInfo(), QString("[]"));
    QCOMPARE(m_world.settingsFile().value("wiredOrWireless").toInt(0), 0);
    QCOMPARE(m_world.eventIds(), QStringList { "streamingAssistant_streaming_streamingType_0_0_page_view" });
}

void TestNerevManagerStartup::systemInfoDocuments()
{
    QVERIFY(m_world.startSteamClient());
    m_world.system->setAdapters({ { "NVIDIA GeForce RTX 3060", 0x10DE, 0x2504, 12ull << 30 },
                                  { "Intel(R) UHD Graphics 770", 0x8086, 0x4680, 0 } });
    NerevManager *nerev = m_world.makeController();
    QSignalSpy info(nerev, &NerevManager::systemInfoChange);
    QSignalSpy hardware(nerev, &NerevManager::pcHardwareChange);
    nerev->setProperty("wired", false);
    QCOMPARE(info.count(), 1);
    QCOMPARE(hardware.count(), 1);

    SystemInfo *system = m_world.system.get();
    const QString gpus = "NVIDIA GeForce RTX 3060;Intel(R) UHD Graphics 770";
    auto column = [](const QString &title, const QStringList &values) {
        const QStringList labels { "操作系统：", "处理器：", "内存：", "显卡：", "DirectX 版本：" };
        QJsonArray pairs;
        for (int i = 0; i < 5; ++i)
            pairs.append(QJsonArray { labels.at(i), values.at(i) });
        return QJsonArray { title, pairs };
    };
    const QJsonArray expected {
        column("当前配置", { system->os(), system->cpu(), system->ram(), gpus, system->directX() }),
        column("最低配置", { "Windows 10", system->minimumProcessor(), "8 GB RAM", system->minimumGraphics(), "DirectX 11" }),
        column("推荐配置", { "Windows 10/11", system->recommendedProcessor(), "16 GB RAM", system->recommendedGraphics(),
                             "DirectX 11" })
    };
    QCOMPARE(nerev->systemInfo(), QString::fromUtf8(QJsonDocument(expected).toJson(QJsonDocument::Compact)));
    const QJsonArray simple { QJsonArray { "处理器：", system->cpu() }, QJsonArray { "显卡：", gpus } };
    QCOMPARE(nerev->simplySystemInfo(), QString::fromUtf8(QJsonDocument(simple).toJson(QJsonDocument::Compact)));
    QCOMPARE(nerev->property("systemInfo").toString(), nerev->systemInfo());
}

// The verdict is judged when the PC is known and again when a new GPU table
// arrives; reading it has no effect, each verdict is reported once.
void TestNerevManagerStartup::pcHardwareIsJudgedOnceAndReportedPerVerdict()
{
    QVERIFY(m_world.startSteamClient());
    m_world.system->setAdapters({ { "NVIDIA GeForce RTX 4090", 0x10DE, 0x2684, 24ull << 30 } });
    QVERIFY(m_world.writeCompareTable({ { "cpu", QJsonObject { { "mid", QJsonArray { m_world.system->cpu() } } } },
                                { "graphics", QJsonObject { { "high", QJsonArray { "RTX 4090" } } } } }));
    NerevManager *nerev = m_world.makeController();
    QCOMPARE(nerev->pcHardware(), NerevManager::NotCanRun);
    QSignalSpy verdicts(nerev, &NerevManager::pcHardwareChange);
    nerev->setProperty("wired", true);
    QCOMPARE(verdicts.count(), 1);
    QCOMPARE(nerev->property("pcHardware").toInt(), int(NerevManager::AdviceHardware));
    QCOMPARE(nerev->pcHardware(), NerevManager::AdviceHardware);
    QStringList ids;
    QTRY_VERIFY_WITH_TIMEOUT((ids += m_world.eventIds()).contains("streamingAssistant_streaming_wiredStreaming_0_0_page_view"), kChildProcessWaitMs);
    QCOMPARE(ids.count("streamingAssistant_streaming_wiredStreaming_0_0_page_view"), 1);
    QTest::qWait(50);
    QCOMPARE(m_world.events().size(), 0);

    // A new table that does not know this GPU: the PC cannot run it.
    QVERIFY(m_world.writeCompareTable({ { "graphics", QJsonObject { { "high", QJsonArray { "RTX 5090" } } } } }));
    QCOMPARE(nerev->pcHardware(), NerevManager::AdviceHardware);
    nerev->judgeHardware();
    QCOMPARE(verdicts.count(), 2);
    QCOMPARE(nerev->pcHardware(), NerevManager::NotCanRun);
    QList<QJsonObject> events;
    QTRY_VERIFY_WITH_TIMEOUT(!(events += m_world.events()).isEmpty(), kChildProcessWaitMs);
    QCOMPARE(events.size(), 1);
    QCOMPARE(events.at(0).value("eventId").toString(), QString("streamingAssistant_streaming_wiredStreaming_0_0_page_view"));
    QCOMPARE(events.at(0).value("extraData").toObject(), (QJsonObject { { "is_available", false } }));
}

// A SteamVR session that SteamManager sees end is reported with the quality
// read at construction.
void TestNerevManagerStartup::steamVrSessionIsReported()
{
    QVERIFY(ControllerWorld::writeJson(m_world.userDir() + "/set.json",
                               { { "KZ", QJsonObject { { "fps", "72" }, { "definitionIndex", 2 }, { "audio", true } } },
                                 { "lastSn", "KZ01" },
                                 { "wiredOrWireless", 0 } }));
    NerevManager *nerev = m_world.makeController();
    Q_UNUSED(nerev)
    QVERIFY(m_world.startSteamVr());
    QVERIFY(m_world.steam->isSteamVrRunning());
    m_world.steam->stopSteamVR();
    QJsonObject session;
    QTRY_VERIFY([&] {
        for (const QJsonObject &event : m_world.events()) {
            if (event.value("eventId") == "streamingAssistant_steamvr_0_0_0_module_pend")
                session = event.value("extraData").toObject();
        }
        return !session.isEmpty();
    }());
    QCOMPARE(session.value("streamingApp").toString(), QString("SteamVR"));
    QVERIFY(session.value("duration").isDouble());
    QCOMPARE(session.value("streamingType").toString(), QString("wireless"));
    QCOMPARE(session.value("fps").toInt(), 72);
    QCOMPARE(session.value("microphoneOn").toBool(), true);
    QCOMPARE(session.value("graphicsQuality").toString(), QString("Smooth"));
}

void TestNerevManagerStartup::streamModeEvents()
{
    NerevManager *nerev = m_world.makeController();
    m_world.eventIds();
    nerev->reportstreamMode(true, false);
    nerev->reportstreamMode(false, false);
    nerev->reportstreamMode(true, true);
    nerev->reportstreamMode(false, true);
    const QList<QJsonObject> events = m_world.events();
    QStringList ids;
    for (const QJsonObject &event : events) {
        ids << event.value("eventId").toString();
        QCOMPARE(event.value("extraData").toObject(), QJsonObject());
    }
    QCOMPARE(ids, (QStringList { "streamingAssistant_streaming_streamingType_wiredStreaming_start_pit_click",
                                 "streamingAssistant_streaming_streamingType_wirelessStreaming_start_pit_click",
                                 "streamingAssistant_streaming_wiredStreaming_nerevGlasses_switchToWirelessStreaming_pit_click",
                                 "streamingAssistant_streaming_wirelessStreaming_nerevGlasses_switchToWiredStreaming_pit_click" }));
}

void TestNerevManagerStartup::closeAppSendsTheQueue()
{
    NerevManager *nerev = m_world.makeController();
    const int before = m_world.cloud().eventBatches().size();
    nerev->closeApp(); // returns once the server has answered
    const QList<QByteArray> batches = m_world.cloud().eventBatches();
    QCOMPARE(batches.size(), before + 1);
    const QJsonArray sent = QJsonDocument::fromJson(batches.last()).array();
    QCOMPARE(sent.size(), 2);
    QCOMPARE(sent.at(0).toObject().value("eventId").toString(), QString("streamingAssistant_streaming_streamingType_0_0_page_view"));
    const QJsonObject closing = sent.at(1).toObject();
    QCOMPARE(closing.value("eventId").toString(), QString("streamingAssistant_streaming_0_0_0_module_pend"));
    QVERIFY(closing.value("extraData").toObject().value("duration").isDouble());
    QVERIFY(closing.value("extraData").toObject().value("duration").toInt() >= 0);
}

void TestNerevManagerStartup::portUsersOfOtherProgramsAreShown()
{
    // Programs listening on ports of their own stand in for the streaming
    // ports; only those not belonging to SteamVR, Steam or adb are named.
    const QString suffix = QString::number(QCoreApplication::applicationPid());
    QTemporaryDir dir;
    const QStringList names { "foo" + suffix + ".exe", "vrserver" + suffix + "x.exe", "bar" + suffix + ".exe",
                              "steamwebhelper" + suffix + ".exe", "xadb.exe" };
    FakeProcesses fakes;
    QList<int> ports;
    for (const QString &name : names) {
        QProcess *process = fakes.start(installFake(dir.path(), name), { "--listen", "--lifetime-ms", "20000" });
        QVERIFY(process);
        QVERIFY(process->waitForReadyRead(5000));
        ports << process->readLine().trimmed().toInt();
        QVERIFY(ports.last() > 0);
    }
    if (!tcpTableNamesOwners())
        QSKIP("this system's TCP table names no owning processes (Wine's GetTcpTable2 is partial)");
    m_world.streamingPorts = ports;
    NerevManager *nerev = m_world.makeController();
    QSignalSpy shown(nerev, &NerevManager::showUseProtPage);
    nerev->checkPortUsage();
    QCOMPARE(shown.count(), 1);
    QCOMPARE(shown.at(0).at(0).toString(), names.at(0) + ";" + names.at(2));

    // Only programs of our own on the ports: nothing to show.
    m_world.endTest();
    m_world.beginTest();
    m_world.streamingPorts = { ports.at(1), ports.at(3), ports.at(4) };
    nerev = m_world.makeController();
    QSignalSpy none(nerev, &NerevManager::showUseProtPage);
    nerev->checkPortUsage();
    QCOMPARE(none.count(), 0);
}

void TestNerevManagerStartup::feedbackWithoutHeadsetIdCarriesTheContact()
{
    NerevManager *nerev = m_world.makeController();
    const QDate today = QDate::currentDate();
    nerev->sendFeecback("画面卡顿", "qq:12345");
    QTRY_COMPARE_WITH_TIMEOUT(m_world.cloud().feedbackUploads().size(), 1, kChildProcessWaitMs);
    const QJsonArray parts = m_world.cloud().feedbackUploads().at(0).value("parts").toArray();
    QCOMPARE(parts.size(), 2);
    const QString name = parts.at(1).toObject().value("body").toString();
    QVERIFY2(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d_qq:12345$").match(name).hasMatch(),
             qPrintable(name));
    QVERIFY(name.startsWith(today.toString("yyyy-MM-dd ")) || name.startsWith(today.addDays(1).toString("yyyy-MM-dd ")));

    const QJsonObject file = ControllerWorld::readJson(m_world.userDir() + "/feedback.json");
    QCOMPARE(file.value("content").toString(), QString("画面卡顿"));
    QCOMPARE(file.value("contact").toString(), QString("qq:12345"));
    QCOMPARE(file.value("cpu").toString(), m_world.system->cpu());
    QCOMPARE(file.value("gpu").toString(), m_world.system->graphics().join(";"));
    QCOMPARE(QJsonDocument::fromJson(parts.at(0).toObject().value("body").toString().toUtf8()).object(), file);

    // With a headset known, its id names the feedback.
    nerev->connectVR("KY7788", "192.168.0.9");
    nerev->sendFeecback("again", "qq:12345");
    QTRY_COMPARE_WITH_TIMEOUT(m_world.cloud().feedbackUploads().size(), 2, kChildProcessWaitMs);
    QVERIFY(m_world.cloud().feedbackUploads().at(1).value("parts").toArray().at(1).toObject().value("body")
                .toString().endsWith("_KY7788"));
}

void TestNerevManagerStartup::webPages()
{
    QDesktopServices::setUrlHandler("https", this, "openUrl");
    QDesktopServices::setUrlHandler("ms-settings", this, "openUrl");
    NerevManager *nerev = m_world.makeController();
    m_opened.clear();
    nerev->gotoWeb(NerevManager::SteamUrl);
    QCOMPARE(m_opened.value(0), QUrl("https://store.steampowered.com/about/"));

    const QUrl chinese = NerevManager::webPage(NerevManager::UserHelperUrl, QLocale::Chinese);
    const QUrl other = NerevManager::webPage(NerevManager::UserHelperUrl, QLocale::English);
    QVERIFY(chinese.isValid() && other.isValid() && chinese != other);
    QCOMPARE(NerevManager::webPage(NerevManager::SteamHelperUrl, QLocale::Chinese), chinese);
    QCOMPARE(NerevManager::webPage(NerevManager::SteamHelperUrl, QLocale::Japanese), other);
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    nerev->gotoWeb(NerevManager::SteamHelperUrl);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    nerev->gotoWeb(NerevManager::UserHelperUrl);
    QCOMPARE(m_opened.mid(1), (QList<QUrl> { chinese, other }));

    qputenv("OSTREL_HELP_URL_OTHER", "https://help.example.org/assistant");
    QCOMPARE(NerevManager::webPage(NerevManager::UserHelperUrl, QLocale::German), QUrl("https://help.example.org/assistant"));
    qputenv("OSTREL_HELP_URL_OTHER", "not an address");
    QCOMPARE(NerevManager::webPage(NerevManager::UserHelperUrl, QLocale::German), other);
    qunsetenv("OSTREL_HELP_URL_OTHER");

    nerev->gotoWeb(static_cast<NerevManager::Urls>(7));
    nerev->openNetworkSetting();
    QCOMPARE(m_opened.size(), 4);
    QCOMPARE(m_opened.last(), QUrl("ms-settings:network"));
    QDesktopServices::unsetUrlHandler("https");
    QDesktopServices::unsetUrlHandler("ms-settings");
}

void TestNerevManagerStartup::launchingSteamAndSteamVr()
{
    NerevManager *nerev = m_world.makeController();
    QSignalSpy toasts(nerev, &NerevManager::showToast);
    QSignalSpy steamChange(nerev, &NerevManager::haslaunchSteamChange);
    QSignalSpy vrChange(nerev, &NerevManager::haslaunchSteamVRChange);
    nerev->launchSteam();
    QCOMPARE(toasts.count(), 1);
    QCOMPARE(toasts.at(0).at(0).toString(), QString("正在登录steam，请稍等"));
    QCOMPARE(toasts.at(0).at(1).toInt(), 15000);
    QCOMPARE(steamChange.count(), 1);
    QCOMPARE(nerev->haslaunchSteam(), false); // follows at the next state check
    QTRY_VERIFY_WITH_TIMEOUT(m_world.steamRunning(), 15000);
    QCOMPARE(m_world.steamLaunches(), 1);

    QTRY_VERIFY_WITH_TIMEOUT(m_world.steam->isSteamRunning(), kChildProcessWaitMs);
    nerev->launchSteam(true);
    QVERIFY(nerev->haslaunchSteamVR());
    QCOMPARE(vrChange.count(), 1);
    QCOMPARE(toasts.last().at(0).toString(), QString("正在准备打开或者安装SteamVR,确保已登录steam"));
    QCOMPARE(toasts.last().at(1).toInt(), 2000);
    QTRY_COMPARE_WITH_TIMEOUT(m_world.steamVrLaunches(), 1, kChildProcessWaitMs);
}

void TestNerevManagerStartup::exitSequenceWritesTheFiles()
{
    QVERIFY(m_world.storeMode(2));
    QVERIFY(m_world.writeSessionFile());
    QJsonObject session = m_world.sessionFile();
    session.insert("clientConnections", QJsonObject { { "old", QJsonObject { { "ip", "10.0.0.1" } } } });
    QVERIFY(ControllerWorld::writeJson(m_world.workDir() + "/session.json", session));
    QFile recent(m_world.userDir() + "/setting.inf");
    QVERIFY(recent.open(QIODevice::WriteOnly));
    recent.write("Alpha;;Beta");
    recent.close();
    QVERIFY(m_world.startSteamClient());

    NerevManager *nerev = m_world.makeController();
    QTRY_VERIFY_WITH_TIMEOUT(m_world.steamVrRunning(), 5000);
    nerev->connectVR("KY0042", "192.168.0.42");
    QVERIFY(m_world.settle());
    m_world.controller.reset();

    QVERIFY2(!m_world.steamVrRunning(), "SteamVR is stopped at exit");
    QVERIFY(m_world.shutdownToolRan());
    QCOMPARE(m_world.settingsFile().value("lastSn").toString(), QString("KY0042"));
    QVERIFY(m_world.settingsFile().contains("KY"));
    QCOMPARE(m_world.sessionFile().value("clientConnections").toObject(), QJsonObject());
    QFile written(m_world.userDir() + "/setting.inf");
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), QByteArray("KY0042;Alpha;;Beta"));
}

QTEST_GUILESS_MAIN(TestNerevManagerStartup)
#include "tst_nerevmanager_startup.moc"
