// The real program ended by SIGTERM, as a logout or `kill` ends it: the event
// loop quits and the controller's exit sequence runs (SteamVR stopped, set.json
// saved, the session file tidied, setting.inf written). It runs with a stored
// wireless mode in a private HOME with fake Steam and SteamVR, and
// tools/streamer-sim reporting one headset that the program links at once.
#include "controlclient.h"
#include "fakesteam.h"

#include <QDirIterator>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestNerevManagerExit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void sigtermRunsTheExitSequence();

private:
    QString logText() const;
    QString readFile(const QString &path) const;
    static void writeFile(const QString &path, const QByteArray &content);

    QTemporaryDir m_root;
    QString m_home, m_vrBin, m_user, m_work, m_streamerLog;
    FakeProcesses m_fakes;
    QProcess m_streamer;
};

void TestNerevManagerExit::initTestCase()
{
    QVERIFY(m_root.isValid());
    m_home = m_root.path() + "/home";
    const QString steamDir = m_home + "/.local/share/Steam";
    m_vrBin = steamDir + "/steamapps/common/SteamVR/bin/linux64";
    m_user = m_root.path() + "/user";
    m_work = m_root.path() + "/work";
    QDir().mkpath(m_user);
    QDir().mkpath(m_work);
    // The program watches the product's own process names here.
    QVERIFY(!installFake(steamDir, "steam.sh").isEmpty());
    const QString client = installFake(steamDir + "/ubuntu12_32", "steam");
    QVERIFY(!client.isEmpty());
    QVERIFY(!installFake(m_vrBin, "vrstartup").isEmpty());
    QVERIFY(!installFake(m_vrBin, "vrserver").isEmpty());
    QVERIFY(!installFake(m_vrBin, "vrmonitor").isEmpty());
    QVERIFY(!installFake(m_root.path() + "/bin", "steam").isEmpty());
    QVERIFY(m_fakes.start(client, { "--lifetime-ms", "120000" }));
}

void TestNerevManagerExit::cleanupTestCase()
{
    // Ends the SteamVR processes the program may have left.
    writeFile(m_vrBin + "/shutdown.flag", "");
    if (m_streamer.state() != QProcess::NotRunning) {
        m_streamer.kill();
        m_streamer.waitForFinished(3000);
    }
}

QString TestNerevManagerExit::logText() const
{
    QString text;
    QDirIterator it(m_user, { "*.txt" }, QDir::Files);
    while (it.hasNext())
        text += readFile(it.next());
    return text;
}

QString TestNerevManagerExit::readFile(const QString &path) const
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void TestNerevManagerExit::writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

void TestNerevManagerExit::sigtermRunsTheExitSequence()
{
    const QString suffix = QString::number(QCoreApplication::applicationPid());
    const int port = freeLoopbackPort();
    writeFile(m_user + "/set.json", R"({"lastSn": "KZ", "wiredOrWireless": 2})");
    writeFile(m_user + "/setting.inf", "Alpha;Beta");
    writeFile(m_work + "/session.json", R"({"clientConnections": {"old": {"ip": "10.0.0.1"}},
        "sessionSettings": {"headset": {"serialNumber": ""}, "video": {"preferredFps": 72}}})");

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("QT_QUICK_BACKEND", "software");
    env.insert("HOME", m_home);
    env.insert("PATH", m_root.path() + "/bin:" + env.value("PATH"));
    env.insert("OSTREL_USER_DIR", m_user);
    env.insert("OSTREL_INSTANCE_NAME", "ostrel_exit_test_" + suffix);
    env.insert("OSTREL_CONTROL_PORT", QString::number(port));
    env.insert("OSTREL_SHARED_BLOCK", "ostrel_exit_block_" + suffix);
    env.insert("OSTREL_SHARED_MUTEX", "ostrel_exit_mutex_" + suffix);
    env.insert("OSTREL_FAKE_STEAMVR_BIN", m_vrBin);
    env.insert("OSTREL_FAKE_SIGNAL_AFTER_MS", "200");
    env.insert("OSTREL_FAKE_STEAM_LOG", m_root.path() + "/fake-steam.log");
    // No cloud here: the program's requests fail at once.
    env.insert("OSTREL_CLOUD_URL", "http://127.0.0.1:9");

    m_streamerLog = m_root.path() + "/streamer.log";
    m_streamer.setProcessEnvironment(env);
    m_streamer.setStandardOutputFile(QProcess::nullDevice());
    m_streamer.start(QStringLiteral(OSTREL_TOOLS_BIN_DIR "/streamer-sim/streamer-sim" OSTREL_EXE_SUFFIX),
                     { "--port", QString::number(port), "--headset", "Gamma;192.168.0.9;false", "--link-delay-ms",
                       "100", "--no-shared-block", "--reconnect-ms", "100", "--log", m_streamerLog });
    QVERIFY(m_streamer.waitForStarted(5000));

    QProcess program;
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(m_work);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(QString(OSTREL_ASSISTANT_BIN_DIR) + "/OSTREL_Streaming_Assistant", QStringList());
    QVERIFY(program.waitForStarted(20000));

    // The stored mode started SteamVR; the first refresh linked the headset.
    QTRY_VERIFY_WITH_TIMEOUT(readFile(m_streamerLog).contains("received: LinkTo Gamma 192.168.0.9 "), 30000);
    QTRY_VERIFY_WITH_TIMEOUT(readFile(m_root.path() + "/fake-steam.log").contains("vrmonitor"), 10000);
    QVERIFY(!QFileInfo::exists(m_vrBin + "/shutdown.flag"));

    program.terminate(); // SIGTERM
    QVERIFY2(program.waitForFinished(60000), "the program ends after its exit sequence");
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);

    const QString log = logText();
    QVERIFY2(log.contains("the system asks the program to end: SIGTERM"), qPrintable(log));
    QCOMPARE(log.count("[steam] stopSteamVR"), 2); // at start and at exit
    QVERIFY2(QFileInfo::exists(m_vrBin + "/shutdown.flag"), "SteamVR's shutdown tool ran at exit");
    QCOMPARE(readFile(m_user + "/setting.inf"), QString("Gamma;Alpha;Beta"));
    const QJsonObject settings = QJsonDocument::fromJson(readFile(m_user + "/set.json").toUtf8()).object();
    QCOMPARE(settings.value("lastSn").toString(), QString("Gamma"));
    QCOMPARE(settings.value("wiredOrWireless").toInt(), 2);
    const QJsonObject session = QJsonDocument::fromJson(readFile(m_work + "/session.json").toUtf8()).object();
    QCOMPARE(session.value("clientConnections").toObject(), QJsonObject());
    QCOMPARE(session.value("sessionSettings").toObject().value("video").toObject().value("preferredFps").toInt(), 90);
}

QTEST_GUILESS_MAIN(TestNerevManagerExit)
#include "tst_nerevmanager_exit.moc"
