// NerevUpdate against the local cloud server running as a real process, in a
// temporary working directory and a temporary per-user data folder.
#include "cloudserverprocess.h"
#include "nerevupdate.h"
#include "settingsstore.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

namespace {
const QString kTablePath = "/nerevresource/pc_compare.json";
const QString kVersionPath = "/vrmcsys/appstore/getVozeVerInfo";

// The installer the cloud offers in these tests: a script that notes that it ran (a
// batch file on Windows).
#ifdef Q_OS_WIN
#define SETUP_NAME "OSTREL_Setup_1.1.17.cmd"
const QByteArray kInstallerRan("started\r\n");
#else
#define SETUP_NAME "OSTREL_Setup_1.1.17.sh"
const QByteArray kInstallerRan("started\n");
#endif
const QByteArray kTable = R"({"graphics":{"high":["RTX 4090","RTX4080"],"mid":["GTX 1660"],"low":["GT 710"]},"cpu":{"mid":["i7-9700"],"low":["i3-"]}})";
} // namespace

class TestNerevUpdate : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qRegisterMetaType<QNetworkReply*>();
    }

    void init()
    {
        // These check rules alone and need neither server nor folders.
        static const QSet<QByteArray> kRulesOnly{"versionRules", "installerFileName", "noteMarkers"};
        if (kRulesOnly.contains(QTest::currentTestFunction()))
            return;
        m_work = std::make_unique<QTemporaryDir>();
        QVERIFY(m_work->isValid());
        QVERIFY(QDir::setCurrent(m_work->path()));
        qputenv("XDG_DATA_HOME", m_work->filePath("data").toUtf8());
        m_server = std::make_unique<CloudServer>();
        QVERIFY(m_server->start());
        qputenv("OSTREL_CLOUD_URL", m_server->baseUrl().toUtf8());
        m_server->serveFile("pc_compare.json", kTable);
#ifdef Q_OS_WIN
        m_installer = "@echo started>>\"" + QDir::toNativeSeparators(m_work->filePath("installer-ran")).toUtf8() + "\"\r\n";
        // Large enough to arrive in several pieces.
        for (int i = 0; i < 640; ++i)
            m_installer += "rem " + QByteArray(100, 'x') + "\r\n";
#else
        m_installer = "#!/bin/sh\necho started >> '" + m_work->filePath("installer-ran").toUtf8() + "'\n";
        // Large enough to arrive in several pieces.
        m_installer += "# " + QByteArray(64 * 1024, 'x') + "\n";
#endif
        // Downloads of an earlier test (Windows keeps them in the user's folder).
        QDir(downloadFolder()).removeRecursively();
        m_server->serveFile("download/" SETUP_NAME, m_installer);
    }

    void cleanup()
    {
        m_server.reset();
        qunsetenv("OSTREL_CLOUD_URL");
        QDir::setCurrent(QDir::tempPath());
        m_work.reset();
    }

    void versionRules_data()
    {
        QTest::addColumn<QString>("offered");
        QTest::addColumn<bool>("newer");
        QTest::newRow("three parts, higher third") << "1.1.17" << true;
        QTest::newRow("fourth part higher") << "1.1.16.421" << true;
        QTest::newRow("three equal parts") << "1.1.16" << false;
        QTest::newRow("two parts") << "1.2" << false;
        QTest::newRow("older") << "1.0.99.999" << false;
        QTest::newRow("same") << "1.1.16.420" << false;
        QTest::newRow("major higher") << "2.0.0.0" << true;
        QTest::newRow("text part counts as 0") << "1.1.x.999" << false;
        QTest::newRow("empty") << "" << false;
    }

    void versionRules()
    {
        QFETCH(QString, offered);
        QFETCH(bool, newer);
        QCOMPARE(NerevUpdate::isNewer("1.1.16.420", offered), newer);
    }

    void installerFileName_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << "https://cdn.example/dl/OSTREL_Setup_1.1.17.exe" << "OSTREL_Setup_1.1.17.exe";
        QTest::newRow("query") << "https://cdn.example/dl/setup.exe?token=1" << "setup.exe";
        QTest::newRow("trailing slash") << "https://cdn.example/dl/" << "OSTREL_Streaming_Assistant.exe";
        QTest::newRow("no path") << "https://cdn.example" << "OSTREL_Streaming_Assistant.exe";
        QTest::newRow("dot dot") << "https://cdn.example/dl/.." << "OSTREL_Streaming_Assistant.exe";
        // Names that would leave the download folder or open a device on
        // Windows give the default name (found by fuzzing the answer).
        QTest::newRow("encoded backslashes") << "https://cdn.example/dl/%5C..%5C..%5Cevil.exe" << "OSTREL_Streaming_Assistant.exe";
        QTest::newRow("drive colon") << "https://cdn.example/dl/C:evil.exe" << "OSTREL_Streaming_Assistant.exe";
        QTest::newRow("refused character") << "https://cdn.example/dl/%3E." << "OSTREL_Streaming_Assistant.exe";
        QTest::newRow("device name") << "https://cdn.example/dl/NUL.exe" << "OSTREL_Streaming_Assistant.exe";
        QTest::newRow("device name, lower case") << "https://cdn.example/dl/com1" << "OSTREL_Streaming_Assistant.exe";
        QTest::newRow("trailing dot") << "https://cdn.example/dl/setup.exe." << "OSTREL_Streaming_Assistant.exe";
        QTest::newRow("control character") << "https://cdn.example/dl/set%0Aup.exe" << "OSTREL_Streaming_Assistant.exe";
        QTest::newRow("device-like but longer") << "https://cdn.example/dl/CONSOLE.exe" << "CONSOLE.exe";
    }

    void installerFileName()
    {
        QFETCH(QString, url);
        QFETCH(QString, name);
        QCOMPARE(NerevUpdate::installerFileName(url), name);
    }

    void noteMarkers()
    {
        QCOMPARE(NerevUpdate::noteText("修复了连接问题/n提升了画质"), QString("修复了连接问题<br>提升了画质"));
        QCOMPARE(NerevUpdate::noteText("a/nb/nc"), QString("a<br>b<br>c"));
        QCOMPARE(NerevUpdate::noteText("no marker \\n here"), QString("no marker \\n here"));
    }

    void versionText()
    {
        NerevUpdate update;
        QCOMPARE(update.version(), QString("v1.1.16"));
        QCOMPARE(NerevUpdate::versionText("2.0.5.1"), QString("v2.0.5"));
        QCOMPARE(NerevUpdate::versionText("1.2.3"), QString("v1.0.0"));
    }

    void gpuTableIsStoredInTheWorkingDirectory()
    {
        offerVersion("1.1.16");
        NerevUpdate update;
        QSignalSpy replies(managerOf(update), &QNetworkAccessManager::finished);
        QSignalSpy stored(&update, &NerevUpdate::tableStored);
        QTRY_VERIFY_WITH_TIMEOUT(replies.count() >= 2, 10000);
        QCOMPARE(readFile("compare.json"), kTable);
        // The controller judges the PC again when told.
        QCOMPARE(stored.count(), 1);
        // The settings store grades the PC with the table just downloaded.
        SettingsStore store(m_work->filePath("settings"));
        QCOMPARE(store.hardwareScore("Intel(R) Core(TM) i7-9700 CPU @ 3.00GHz", "NVIDIA GeForce RTX 4090"), 12);

        const QJsonObject check = lastRequest(kVersionPath);
        QCOMPARE(check["method"].toString(), QString("POST"));
        QCOMPARE(check["body"].toString(), QString("{}"));
        QCOMPARE(CloudServer::header(check["headers"].toArray(), "Content-Type"), QString("text/plain;charset=UTF-8"));
        QCOMPARE(lastRequest(kTablePath)["method"].toString(), QString("GET"));
    }

    void failedTableDownloadKeepsTheOldTable_data()
    {
        QTest::addColumn<QJsonObject>("rule");
        QTest::addColumn<QString>("logged");
        QTest::newRow("redirect") << QJsonObject{{"mode", "redirect"}, {"status", 302}, {"location", "/elsewhere"}}
                                  << "pc_compare.json Request was redirected.\n";
        QTest::newRow("permanent redirect") << QJsonObject{{"mode", "redirect"}, {"status", 308}}
                                            << "Request was redirected.\n";
        QTest::newRow("server error") << QJsonObject{{"mode", "status"}, {"status", 500}} << "Download of ";
        QTest::newRow("cut") << QJsonObject{{"mode", "cut"}} << "Download of ";
        QTest::newRow("damaged") << QJsonObject{{"mode", "damaged"}} << "compare.json download is not a JSON object";
    }

    void failedTableDownloadKeepsTheOldTable()
    {
        QFETCH(QJsonObject, rule);
        QFETCH(QString, logged);
        const QByteArray old = R"({"graphics":{"high":["old"]}})";
        CloudServer::writeWhole("compare.json", old);
        m_server->setRule(kTablePath, rule);
        offerVersion("1.1.16");

        LogCapture log;
        NerevUpdate update;
        QSignalSpy replies(managerOf(update), &QNetworkAccessManager::finished);
        QSignalSpy stored(&update, &NerevUpdate::tableStored);
        QTRY_VERIFY_WITH_TIMEOUT(replies.count() >= 2, 10000);
        QCOMPARE(readFile("compare.json"), old);
        QCOMPARE(stored.count(), 0);
        // Why it failed: the line support reads.
        QVERIFY(log.contains(logged));
        QCOMPARE(m_server->requestCount("/elsewhere"), 0);
    }

    void newerVersionIsDownloadedWithProgress()
    {
        offerVersion("1.1.17", m_server->baseUrl() + "/download/" SETUP_NAME, "修复连接/n提升画质", 1);
        m_server->setRule("/download/" SETUP_NAME, {{"mode", "slow"}, {"chunks", 8}, {"delayMs", 30}});

        NerevUpdate update;
        QSignalSpy progress(&update, &NerevUpdate::processStatus);
        QSignalSpy offered(&update, &NerevUpdate::updateSignal);
        QSignalSpy finished(&update, &NerevUpdate::downExeFinish);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);

        QVERIFY2(progress.count() >= 2, qPrintable(QString::number(progress.count())));
        float previous = 0.0f;
        for (const QList<QVariant>& signal : progress) {
            const float value = signal.at(0).toFloat();
            QVERIFY(value >= previous);
            QVERIFY(value <= 1.0f);
            previous = value;
        }
        QCOMPARE(previous, 1.0f);

        QCOMPARE(offered.count(), 1);
        QCOMPARE(offered.at(0).at(0).toString(), QString("修复连接<br>提升画质"));
        QCOMPARE(offered.at(0).at(1).toBool(), true);

        const QString installer = downloadFolder() + SETUP_NAME;
        QCOMPARE(readFile(installer), m_installer);
        QCOMPARE(QDir(downloadFolder()).entryList(QDir::Files | QDir::Hidden).size(), 1);

        // setup() starts the installer once, and only once.
        QVERIFY(update.setup());
        QTRY_VERIFY(QFile::exists("installer-ran"));
        QVERIFY(!update.setup());
        QTest::qWait(200);
        QCOMPARE(readFile("installer-ran"), kInstallerRan);
    }

    void notForcedUpdate()
    {
        offerVersion("1.1.16.421", m_server->baseUrl() + "/download/" SETUP_NAME, "one line", 0);
        NerevUpdate update;
        QSignalSpy offered(&update, &NerevUpdate::updateSignal);
        QTRY_COMPARE(offered.count(), 1);
        QCOMPARE(offered.at(0).at(0).toString(), QString("one line"));
        QCOMPARE(offered.at(0).at(1).toBool(), false);
    }

    void olderOrEqualVersionsChangeNothing_data()
    {
        QTest::addColumn<QString>("offered");
        QTest::newRow("1.1.16") << "1.1.16";
        QTest::newRow("1.2") << "1.2";
        QTest::newRow("1.0.99.999") << "1.0.99.999";
        QTest::newRow("1.1.16.420") << "1.1.16.420";
    }

    void olderOrEqualVersionsChangeNothing()
    {
        QFETCH(QString, offered);
        offerVersion(offered, m_server->baseUrl() + "/download/" SETUP_NAME);
        NerevUpdate update;
        QSignalSpy replies(managerOf(update), &QNetworkAccessManager::finished);
        QSignalSpy signalled(&update, &NerevUpdate::updateSignal);
        QSignalSpy finished(&update, &NerevUpdate::downExeFinish);
        QTRY_VERIFY_WITH_TIMEOUT(replies.count() >= 2, 10000);
        QTest::qWait(50);
        QCOMPARE(signalled.count(), 0);
        QCOMPARE(finished.count(), 0);
        QCOMPARE(m_server->requestCount("/download/" SETUP_NAME), 0);
        QVERIFY(!update.setup());
    }

    void failedVersionAnswers_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QJsonObject>("rule");
        QTest::addColumn<QString>("logged");
        const QByteArray newer = versionAnswer("1.1.17", "http://127.0.0.1:1/download/x.exe", "", 0);
        QTest::newRow("errCode 1") << QByteArray(R"({"errCode":1,"errMsg":"busy"})") << QJsonObject()
                                   << R"(check version: {"errCode":1,"errMsg":"busy"})";
        QTest::newRow("errCode missing") << QByteArray(R"({"data":{"version":"9.9.9"}})") << QJsonObject()
                                         << R"(check version: {"data":{"version":"9.9.9"}})";
        QTest::newRow("damaged") << newer << QJsonObject{{"mode", "damaged"}} << "json parseError";
        QTest::newRow("no data") << QByteArray(R"({"errCode":0})") << QJsonObject() << "";
        QTest::newRow("server error") << newer << QJsonObject{{"mode", "status"}, {"status", 503}} << "";
        QTest::newRow("file url") << versionAnswer("1.1.17", "file:///etc/passwd", "", 0) << QJsonObject()
                                  << "installer address refused";
    }

    void failedVersionAnswers()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QJsonObject, rule);
        QFETCH(QString, logged);
        m_server->serveFile("version.json", answer);
        if (!rule.isEmpty())
            m_server->setRule(kVersionPath, rule);
        LogCapture log;
        NerevUpdate update;
        QSignalSpy replies(managerOf(update), &QNetworkAccessManager::finished);
        QSignalSpy signalled(&update, &NerevUpdate::updateSignal);
        QSignalSpy progress(&update, &NerevUpdate::processStatus);
        QSignalSpy finished(&update, &NerevUpdate::downExeFinish);
        QTRY_VERIFY_WITH_TIMEOUT(replies.count() >= 2, 10000);
        QTest::qWait(50);
        if (!logged.isEmpty())
            QVERIFY2(log.contains(logged), qPrintable(log.lines().join('\n')));
        QCOMPARE(signalled.count() + progress.count() + finished.count(), 0);
        // The table is independent of the version answer.
        QCOMPARE(readFile("compare.json"), kTable);
    }

    void cutDownloadLeavesNothingBehind()
    {
        const QString path = "/download/" SETUP_NAME;
        offerVersion("1.1.17", m_server->baseUrl() + path);
        m_server->setRule(path, {{"mode", "cut"}});
        {
            LogCapture log;
            NerevUpdate update;
            QSignalSpy offered(&update, &NerevUpdate::updateSignal);
            QSignalSpy finished(&update, &NerevUpdate::downExeFinish);
            QTRY_COMPARE(finished.count(), 1);
            QCOMPARE(offered.count(), 0);
            QVERIFY(log.contains("Download of " + m_server->baseUrl() + path + " failed: "));
            QVERIFY(!update.setup());
        }
        QCOMPARE(QDir(downloadFolder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());

        // The next start downloads the installer anew instead of offering a half one.
        m_server->clearRules();
        NerevUpdate again;
        QSignalSpy offered(&again, &NerevUpdate::updateSignal);
        QTRY_COMPARE(offered.count(), 1);
        QCOMPARE(m_server->requestCount(path), 2);
        QCOMPARE(readFile(downloadFolder() + SETUP_NAME), m_installer);
    }

    void redirectedInstallerIsNotFollowed()
    {
        const QString path = "/download/" SETUP_NAME;
        offerVersion("1.1.17", m_server->baseUrl() + path);
        m_server->setRule(path, {{"mode", "redirect"}, {"status", 307}, {"location", "/download/evil.sh"}});
        LogCapture log;
        NerevUpdate update;
        QSignalSpy offered(&update, &NerevUpdate::updateSignal);
        QSignalSpy finished(&update, &NerevUpdate::downExeFinish);
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(offered.count(), 0);
        QVERIFY(log.contains("Request was redirected.\n"));
        QCOMPARE(m_server->requestCount("/download/evil.sh"), 0);
        QVERIFY(!QFile::exists(downloadFolder() + SETUP_NAME));
    }

    void installerFromAnEarlierRunIsOffered()
    {
        const QString path = "/download/" SETUP_NAME;
        offerVersion("1.1.17", m_server->baseUrl() + path, "again", 1);
        QVERIFY(QDir().mkpath(downloadFolder()));
        CloudServer::writeWhole(downloadFolder() + SETUP_NAME, "#!/bin/sh\n");

        NerevUpdate update;
        QSignalSpy replies(managerOf(update), &QNetworkAccessManager::finished);
        QSignalSpy offered(&update, &NerevUpdate::updateSignal);
        QSignalSpy finished(&update, &NerevUpdate::downExeFinish);
        QTRY_COMPARE(offered.count(), 1);
        QCOMPARE(offered.at(0).at(0).toString(), QString("again"));
        QCOMPARE(offered.at(0).at(1).toBool(), true);
        QTRY_VERIFY_WITH_TIMEOUT(replies.count() >= 2, 10000);
        QCOMPARE(finished.count(), 0);
        QCOMPARE(m_server->requestCount(path), 0);
    }

    void urlEndingInSlashUsesTheDefaultName()
    {
        // The server answers the folder address with its index file.
        m_server->serveFile("download/latest/index", m_installer);
        offerVersion("1.1.17", m_server->baseUrl() + "/download/latest/");
        NerevUpdate update;
        QSignalSpy offered(&update, &NerevUpdate::updateSignal);
        QTRY_COMPARE(offered.count(), 1);
        QCOMPARE(QDir(downloadFolder()).entryList(QDir::Files | QDir::Hidden),
                 QStringList({"OSTREL_Streaming_Assistant.exe"}));
        QCOMPARE(readFile(downloadFolder() + "OSTREL_Streaming_Assistant.exe"), m_installer);
    }

    void setupWithoutInstaller()
    {
        offerVersion("1.1.16");
        NerevUpdate update;
        QSignalSpy replies(managerOf(update), &QNetworkAccessManager::finished);
        QVERIFY(!update.setup());
        QTRY_VERIFY_WITH_TIMEOUT(replies.count() >= 2, 10000);
        QVERIFY(!update.setup());
    }

    void untrustedCertificateIsRefused()
    {
        if (!QSslSocket::supportsSsl())
            QSKIP("Qt has no TLS backend here");
        const QString cert = m_work->filePath("cert.pem");
        const QString key = m_work->filePath("key.pem");
        HostProcess openssl;
        if (!openssl.start("openssl", {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                                       "-nodes", "-keyout", key, "-out", cert, "-days", "1", "-subj", "/CN=127.0.0.1",
                                       "-addext", "subjectAltName=IP:127.0.0.1"}))
            QSKIP("openssl is not installed");
        QCOMPARE(openssl.waitForExit(20000), 0);

        CloudServer tls;
        QVERIFY(tls.start({"--tls-cert", cert, "--tls-key", key}));
        QVERIFY(tls.baseUrl().startsWith("https://"));
        qputenv("OSTREL_CLOUD_URL", tls.baseUrl().toUtf8());
        tls.serveFile("pc_compare.json", kTable);
        tls.serveFile("download/" SETUP_NAME, m_installer);
        tls.serveFile("version.json", versionAnswer("1.1.17", tls.baseUrl() + "/download/" SETUP_NAME, "", 1));

        // A server whose certificate the system does not trust is not believed.
        {
            LogCapture log;
            NerevUpdate update;
        QSignalSpy replies(managerOf(update), &QNetworkAccessManager::finished);
            QSignalSpy offered(&update, &NerevUpdate::updateSignal);
            QTRY_VERIFY_WITH_TIMEOUT(replies.count() >= 2, 10000);
            QTest::qWait(50);
            QCOMPARE(offered.count(), 0);
            QVERIFY(!QFile::exists("compare.json"));
            QVERIFY(log.contains("down compare.json fail"));
            QVERIFY(!QDir(downloadFolder()).exists() || QDir(downloadFolder()).isEmpty());
            QCOMPARE(tls.requests().size(), 0);
        }

        // Once the certificate is trusted the same server is used.
        const QSslConfiguration original = QSslConfiguration::defaultConfiguration();
        QSslConfiguration trusting = original;
        trusting.addCaCertificates(cert);
        QSslConfiguration::setDefaultConfiguration(trusting);
        NerevUpdate update;
        QSignalSpy replies(managerOf(update), &QNetworkAccessManager::finished);
        QSignalSpy offered(&update, &NerevUpdate::updateSignal);
        QTRY_COMPARE(offered.count(), 1);
        QSslConfiguration::setDefaultConfiguration(original);
        QCOMPARE(readFile("compare.json"), kTable);
        QCOMPARE(readFile(downloadFolder() + SETUP_NAME), m_installer);
    }

private:
    static QByteArray versionAnswer(const QString& version, const QString& url, const QString& note, int forced)
    {
        const QJsonObject data{{"version", version}, {"forced", forced}, {"note", note}, {"url", url}};
        return QJsonDocument(QJsonObject{{"errCode", 0}, {"errMsg", "success"}, {"data", data}}).toJson();
    }

    void offerVersion(const QString& version, const QString& url = QString(), const QString& note = QString(),
                      int forced = 0)
    {
        m_server->serveFile("version.json", versionAnswer(version, url, note, forced));
    }

    static QString downloadFolder()
    {
        return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + "/download/";
    }

    static QByteArray readFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    static QNetworkAccessManager* managerOf(NerevUpdate& update)
    {
        return update.findChild<QNetworkAccessManager*>();
    }

    QJsonObject lastRequest(const QString& path) const
    {
        QJsonObject found;
        for (const QJsonObject& request : m_server->requests()) {
            if (request["path"].toString() == path)
                found = request;
        }
        return found;
    }

    std::unique_ptr<QTemporaryDir> m_work;
    std::unique_ptr<CloudServer> m_server;
    QByteArray m_installer;
};

QTEST_GUILESS_MAIN(TestNerevUpdate)
#include "tst_nerevupdate.moc"
